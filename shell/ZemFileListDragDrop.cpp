// The file list in OLE drag and drop: selected rows dragged out as shell
// objects, and files dropped onto the list added as rows (the dropped objects
// themselves are neither copied nor moved).
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/StringList.h"
#include "shell/ExactDeletion.h"
#include "shell/ExactPaths.h"
#include "shell/ProtectedObjects.h"
#include "shell/ShellDropData.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemFileList.h"

namespace shell {

namespace {

DWORD EffectsOfCopyMode(TZemCopyMode Mode) {
    switch (Mode) {
    case cmCopy: return DROPEFFECT_COPY;
    case cmMove: return DROPEFFECT_MOVE;
    case cmLink: return DROPEFFECT_LINK;
    default: return DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    }
}

// The effects the shell allows for Path (its copy, move and link attributes
// have the drop effects' values).
DWORD ShellEffects(const std::wstring& Path) {
    SHFILEINFOW info{};
    info.dwAttributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
    if (!SHGetFileInfoW(Path.c_str(), 0, &info, sizeof(info), SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED)) return 0;
    return info.dwAttributes & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
}

}  // namespace

void TZemCustomFileList::SetOleDragDrop(bool Value) {
    oleDragDrop_ = Value;
    if (HasState(fw::csLoading) || HasState(fw::csDesigning) || !HandleAllocated()) return;
    if (Value) RegisterDropTarget();
    else dropRegistration_.Revoke();
}

void TZemCustomFileList::RegisterDropTarget() {
    if (!dropTarget_) {
        dropTarget_ = fw::TDropTarget::Create();
        dropTarget_->OnDragEnter = [this](IDataObject* Data, DWORD Keys, POINT P, DWORD& Effect) {
            std::unique_ptr<fw::TStringList> files = GetDataObjectFiles(Data);
            dropHasFiles_ = files && files->Count() > 0;
            return ListDragOver(Keys, P, Effect);
        };
        dropTarget_->OnDragOver = [this](DWORD Keys, POINT P, DWORD& Effect) { return ListDragOver(Keys, P, Effect); };
        dropTarget_->OnDragLeave = [this] {
            dropDataObject_.reset();
            dropTargetIndex_ = -1;
            return S_OK;
        };
        dropTarget_->OnDrop = [this](IDataObject* Data, DWORD, POINT, DWORD& Effect) { return ListDrop(Data, Effect); };
    }
    if (dropRegistration_.Registered() && dropRegistration_.Window() == Handle()) return;
    // A window that cannot take drops leaves the list without them.
    if (FAILED(dropRegistration_.Register(Handle(), dropTarget_.get()))) oleDragDrop_ = false;
}

HRESULT TZemCustomFileList::ListDragOver(DWORD KeyState, POINT Point, DWORD& Effect) {
    dropKeyState_ = KeyState;
    const POINT client = ScreenToClient(Point);
    fw::TListItem* item = GetItemAt(client.x, client.y);
    dropTargetIndex_ = item ? item->Index() : -1;
    // The effect the drop will have: the files become rows, nothing is moved.
    if (!dropHasFiles_) Effect = DROPEFFECT_NONE;
    else if (Effect & DROPEFFECT_COPY) Effect = DROPEFFECT_COPY;
    else if (Effect & DROPEFFECT_LINK) Effect = DROPEFFECT_LINK;
    else Effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TZemCustomFileList::ListDrop(IDataObject* Data, DWORD& Effect) {
    // The source is told that nothing was moved.
    Effect = DROPEFFECT_NONE;
    dropDataObject_ = fw::ComPtr<IDataObject>(Data);
    std::unique_ptr<fw::TStringList> names = GetDataObjectFiles(Data);
    bool execute = true;
    if (names && OnBeforeShellDrop)
        OnBeforeShellDrop(this, Items()->Find(dropTargetIndex_), names.get(), execute, int(dropKeyState_));
    if (names && execute) AddPaths(names.get(), false);
    dropDataObject_.reset();
    dropTargetIndex_ = -1;
    return S_OK;
}

void TZemCustomFileList::StartDrag(fw::TMouseButton Button) {
    DWORD effects = EffectsOfCopyMode(CopyMode);
    auto objects = std::make_unique<fw::TStringList>();
    std::unique_ptr<fw::TStringList> selected = SelectedPaths();
    const TProtectedObjects protectedObjects;
    for (int i = 0; i < selected->Count(); ++i) {
        const std::wstring path = selected->Strings(i);
        if (!checkIfExists_ && !PathExists(path)) continue;
        // Whoever takes the drop reads the paths in their plain form: a path it
        // would take for another object's is never dragged out.
        if (!PlainFormIsExact(path)) return;
        objects->Add(path);
        effects &= ShellEffects(path);
        // A drive, a special folder or a link the system would follow is never
        // moved away, whatever the shell says.
        std::wstring link;
        if (MoveRefusal(path, protectedObjects, link) != trNone) effects &= ~DWORD(DROPEFFECT_MOVE);
    }
    if (effects == 0 || objects->Count() == 0) return;
    dragKeyState_ = Button == fw::mbLeft ? MK_LBUTTON : Button == fw::mbRight ? MK_RBUTTON : MK_MBUTTON;
    browser_->SetMultiObjects(std::move(objects));
    fw::ComPtr<IDataObject> data;
    try {
        browser_->GetUIObjectOf(IID_IDataObject, data.put_void());
    } catch (const fw::Exception&) {
        data.reset();
    }
    DWORD effect = DROPEFFECT_NONE;
    if (data) {
        fw::ComPtr<fw::TDropSource> source = fw::TDropSource::Create(DWORD(dragKeyState_));
        fw::RunDragDrop(data.get(), source.get(), effects, effect);
        source->Clear();
    }
    browser_->SetMultiObjects(nullptr);
    dragKeyState_ = 0;
    if (effect == DROPEFFECT_NONE) return;
    std::unique_ptr<fw::TStringList> files = GetDataObjectFiles(data.get());
    if (effect == DROPEFFECT_COPY) DoOperation({sopCopy, sopDrag}, files.get(), std::wstring());
    else if (effect == DROPEFFECT_MOVE) DoOperation({sopMove, sopDrag, sopRemove}, files.get(), std::wstring());
    else DoOperation({sopDrag}, files.get(), std::wstring());
}

}  // namespace shell
