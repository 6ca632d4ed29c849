#include "shell/ZemFileListItem.h"

#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemWorkItems.h"

namespace shell {

// --- TZemCheckableListItem -------------------------------------------------------

TZemCheckableListItem::TZemCheckableListItem(fw::TListItems* AOwner) : fw::TListItem(AOwner) {}

TZemCheckableListItem::~TZemCheckableListItem() {
    // Icons, checks and existence tests of this row have nowhere to go now.
    if (queuedWork_ && GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(this, 0, nullptr);
}

TZemSelectionState TZemCheckableListItem::GetCheckState() {
    return StateIndex() < 0 ? ssUnused : TZemSelectionState(StateIndex());
}

void TZemCheckableListItem::SetCheckState(TZemSelectionState Value) {
    const TZemSelectionState old = GetCheckState();
    if (Value == old) return;
    const bool hadState = StateIndex() >= 0;
    SetStateIndex(int(Value));
    auto* view = dynamic_cast<TZemBaseShellListView*>(ListView());
    if (hadState && view && view->OnCheckStateChanged) view->OnCheckStateChanged(view, Index(), GetFullPath(), Value);
}

bool TZemCheckableListItem::IsChecked() {
    const TZemSelectionState state = GetCheckState();
    return state == ssChecked || state == ssGrayed;
}

void TZemCheckableListItem::SetChecked(bool Value) {
    SetCheckState(Value ? ssChecked : ssUnChecked);
}

// --- TZemFileListItem ------------------------------------------------------------

// A new row holds no thumbnail yet: nothing to reset.
TZemFileListItem::TZemFileListItem(fw::TListItems* AOwner) : TZemCheckableListItem(AOwner) {}

TZemFileListItem::~TZemFileListItem() = default;

TZemCustomFileList* TZemFileListItem::FileList() const {
    return dynamic_cast<TZemCustomFileList*>(ListView());
}

void TZemFileListItem::SetFullPath(const std::wstring& Value, size_t NameStart) {
    fullPath_ = Value;
    nameStart_ = NameStart > 0 && NameStart < Value.size() ? uint32_t(NameStart) : 0;
}

std::wstring TZemFileListItem::Name() const {
    if (nameStart_) return fullPath_.substr(nameStart_);
    if (IsDriveRoot(fullPath_)) return fullPath_;
    return fw::ExtractFileName(fw::ExcludeTrailingPathDelimiter(fullPath_));
}

std::wstring TZemFileListItem::Folder() const {
    if (nameStart_) return fullPath_.substr(0, nameStart_);
    if (IsDriveRoot(fullPath_)) return std::wstring();
    return fw::ExtractFilePath(fw::ExcludeTrailingPathDelimiter(fullPath_));
}

void TZemFileListItem::ResetThumbnail() {
    if (TZemCustomFileList* list = FileList()) list->ReleaseThumbnail(this);
}

void TZemFileListItem::EnsureIDList() {
    if (relativeIDList_ && absoluteIDList_) return;
    try {
        std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(fullPath_);
        if (!browser) return;
        absoluteIDList_.reset(PidlClone(browser->AbsoluteObjectIDList()));
        relativeIDList_.reset(browser->ObjectIDList());
    } catch (...) {
        // A path the shell cannot open keeps no lists.
    }
}

TZemSelectionState TZemFileListItem::GetCheckState() {
    const TZemSelectionState inherited = TZemCheckableListItem::GetCheckState();
    TZemCustomFileList* list = FileList();
    if (!updated_ && list && list->Checkboxes() && inherited != ssDisabled && list->ShellLink()) {
        bool fromParent = false;
        return list->ShellLink()->SelectionList()->GetState(fullPath_, fromParent);
    }
    return inherited;
}

void TZemFileListItem::SetChecked(bool Value) {
    TZemCustomFileList* list = FileList();
    if (!list || TZemCheckableListItem::GetCheckState() == ssDisabled) return;
    TZemShellLink* link = list->ShellLink();
    if (!link) {
        TZemCheckableListItem::SetChecked(Value);
        return;
    }
    EnsureIDList();
    TZemSelectionList* selection = link->SelectionList();
    selection->BeginUpdate();
    try {
        if (absoluteIDList_) {
            if (Value) selection->Check(absoluteIDList_.get());
            else selection->Uncheck(absoluteIDList_.get());
        }
    } catch (...) {
        selection->EndUpdate();
        throw;
    }
    selection->EndUpdate();
    if (absoluteIDList_ && GlobalWorkerPool) NoteQueuedWork();
    if (absoluteIDList_ && GlobalWorkerPool)
        GlobalWorkerPool->AddWorkItem(
            std::make_shared<TCheckBoxWorkItem>(absoluteIDList_.get(), selection, list, this, 0));
}

const TZemFindData& TZemFileListItem::FindData() {
    if (!findDataKnown_) {
        findDataKnown_ = true;
        WIN32_FIND_DATAW data;
        const HANDLE find = IsDriveRoot(fullPath_) ? INVALID_HANDLE_VALUE : FindFirstFileLong(fullPath_, data);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            findData_ = TZemFindData{data.dwFileAttributes, FindDataFileSize(data), data.ftLastWriteTime};
            found_ = true;
        } else if (IsDriveRoot(fullPath_)) {
            findData_.Attributes = FILE_ATTRIBUTE_DIRECTORY;
        }
    }
    return findData_;
}

bool TZemFileListItem::Found() {
    FindData();
    return found_;
}

void TZemFileListItem::SetFindData(const TZemFindData& Value) {
    findData_ = Value;
    findDataKnown_ = true;
    found_ = true;
}

void TZemFileListItem::Renamed(const std::wstring& NewPath) {
    // A row that follows its folder keeps its name, and so where it begins.
    const std::wstring name = Name();
    const size_t at = NewPath.size() > name.size() ? NewPath.size() - name.size() : 0;
    const bool sameName =
        nameStart_ && at > 0 && NewPath[at - 1] == L'\\' && NewPath.compare(at, name.size(), name) == 0;
    SetFullPath(NewPath, sameName ? at : 0);
    relativeIDList_.reset();
    absoluteIDList_.reset();
    findDataKnown_ = false;
    textsFilled_ = false;
    ResetThumbnail();
    Update();
}

void TZemFileListItem::NeedTexts() {
    if (textsFilled_) return;
    if (TZemCustomFileList* list = FileList()) list->FillItemDetails(this);
}

}  // namespace shell
