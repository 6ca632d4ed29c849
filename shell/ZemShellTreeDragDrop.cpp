// The shell tree in OLE drag and drop: a node dragged out as a shell object, and
// shell objects dropped onto a node through that node's own shell drop target.
#include <memory>

#include "framework/Application.h"
#include "framework/StringList.h"
#include "shell/ExactDeletion.h"
#include "shell/ExactPaths.h"
#include "shell/Pathfinch.h"
#include "shell/ProtectedObjects.h"
#include "shell/ShellDropData.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemShellTree.h"

namespace shell {

namespace {

// How near an edge (in pixels) a drag scrolls the tree, and how often (ms).
constexpr int kScrollEdgeX = 25, kScrollEdgeY = 20;
constexpr DWORD kScrollPause = 100;
// How long a drag rests on a closed node before it opens (ms).
constexpr DWORD kHoverExpand = 2000;

// Whether the window's scroll bar Bar has more range than one page.
bool CanScroll(HWND Window, int Bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(Window, Bar, &info)) return false;
    return info.nMax - info.nMin + 1 > int(info.nPage);
}

// What the dropped files allow: the shell's drop target moves or copies them by
// their plain paths, and under some systems moves what a link points to.
DWORD DroppedFilesAllow(IDataObject* Data) {
    DWORD allow = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    std::unique_ptr<fw::TStringList> files = Data ? GetDataObjectFiles(Data) : nullptr;
    if (!files || files->Count() == 0) return allow;
    const TProtectedObjects protectedObjects;
    for (int i = 0; i < files->Count(); ++i) {
        std::wstring link;
        if (!PlainFormIsExact(files->Strings(i))) return DROPEFFECT_NONE;
        if (MoveRefusal(files->Strings(i), protectedObjects, link) != trNone) allow &= ~DWORD(DROPEFFECT_MOVE);
    }
    return allow;
}

}  // namespace

DWORD TZemShellTree::Now() const {
    return Clock ? Clock() : GetTickCount();
}

DWORD TZemShellTree::CopyModeEffects() const {
    switch (copyMode_) {
    case cmCopy: return DROPEFFECT_COPY;
    case cmMove: return DROPEFFECT_MOVE;
    case cmLink: return DROPEFFECT_LINK;
    default: return DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    }
}

// ---- Registration ---------------------------------------------------------------------------------

void TZemShellTree::SetOleDragDrop(bool Value) {
    oleDragDrop_ = Value;
    // The window tells of dragged nodes only while the tree drags them itself.
    SetDragMode(Value && !HasState(fw::csDesigning) ? fw::dmAutomatic : fw::dmManual);
    if (HasState(fw::csLoading) || HasState(fw::csDesigning) || !HandleAllocated()) return;
    if (Value) RegisterDropTarget();
    else dropRegistration_.Revoke();
}

void TZemShellTree::RegisterDropTarget() {
    if (!dropTarget_) {
        dropTarget_ = fw::TDropTarget::Create();
        dropTarget_->OnDragEnter = [this](IDataObject* Data, DWORD Keys, POINT P, DWORD& Effect) {
            return DragEnter(Data, Keys, P, Effect);
        };
        dropTarget_->OnDragOver = [this](DWORD Keys, POINT P, DWORD& Effect) { return DragOver(Keys, P, Effect); };
        dropTarget_->OnDragLeave = [this] { return DragLeave(); };
        dropTarget_->OnDrop = [this](IDataObject* Data, DWORD Keys, POINT P, DWORD& Effect) {
            return Drop(Data, Keys, P, Effect);
        };
    }
    if (dropRegistration_.Registered() && dropRegistration_.Window() == Handle()) return;
    // A window that cannot take drops leaves the tree without them.
    if (FAILED(dropRegistration_.Register(Handle(), dropTarget_.get()))) {
        oleDragDrop_ = false;
        SetDragMode(fw::dmManual);
    }
}

// A node that goes while a drag runs over it (a notice, a refresh) is forgotten.
void TZemShellTree::Delete(fw::TTreeNode* Node) {
    if (Node == dropNode_) {
        if (objectTarget_) objectTarget_->DragLeave();
        objectTarget_.reset();
        dropNode_ = nullptr;
        lastEffect_ = DROPEFFECT_NONE;
    }
    if (Node == dragNode_) dragNode_ = nullptr;
    fw::TCustomTreeView::Delete(Node);
}

// ---- Drag source -----------------------------------------------------------------------------------

void TZemShellTree::BeginItemDrag(fw::TTreeNode* Node, fw::TMouseButton Button) {
    auto* node = static_cast<TZemShellTreeNode*>(Node);
    if (!oleDragDrop_ || !Usable(node) || !node->Parent() || !node->ParentFolder() || !node->RelativeIDList()) {
        fw::TCustomTreeView::BeginItemDrag(Node, Button);
        return;
    }
    browser_->SetAbsoluteObjectIDList(node->AbsoluteIDList());
    fw::ComPtr<IDataObject> data;
    LPCITEMIDLIST relative = node->RelativeIDList();
    if (FAILED(
            node->ParentFolder()->GetUIObjectOf(Handle(), 1, &relative, IID_IDataObject, nullptr, data.put_void())) ||
        !data)
        return;
    // Only what the shell allows for the object: a drive or a special folder is never moved away.
    SFGAOF allowed = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
    if (FAILED(node->ParentFolder()->GetAttributesOf(1, &relative, &allowed))) allowed = 0;
    allowed &= CopyModeEffects();
    // Whoever takes the drop reads the path in its plain form: a path it would take
    // for another object's is never dragged out. A drive, a special folder or a link
    // the system would follow is never moved away.
    const std::wstring path = NodePath(node);
    std::wstring link;
    if (!PlainFormIsExact(path)) allowed = 0;
    else if (MoveRefusal(path, TProtectedObjects(), link) != trNone) allowed &= ~DWORD(DROPEFFECT_MOVE);
    if (allowed == 0) return;
    dragNode_ = node;
    dragButton_ = Button == fw::mbRight ? MK_RBUTTON : MK_LBUTTON;
    fw::ComPtr<fw::TDropSource> source = fw::TDropSource::Create(dragButton_);
    source->OnQueryContinueDrag = [this](bool Escape, DWORD Keys) { return QueryContinueDrag(Escape, Keys); };
    source->OnGiveFeedback = [this](DWORD Effect) { return GiveFeedback(Effect); };
    const HTREEITEM parentItem = node->Parent()->ItemId();
    DWORD effect = DROPEFFECT_NONE;
    fw::RunDragDrop(data.get(), source.get(), allowed, effect);
    source->Clear();
    dragButton_ = 0;
    dragNode_ = nullptr;
    fw::Application()->ProcessMessages();
    // The node may have moved away: its folder is looked at again.
    if (auto* parent = static_cast<TZemShellTreeNode*>(Items()->GetNode(parentItem))) RefreshNode(parent, true, true);
    // Any other effect, none included (a cancelled drag, or a move the target made
    // itself), is a drag alone.
    std::unique_ptr<fw::TStringList> files = GetDataObjectFiles(data.get());
    if (effect == DROPEFFECT_COPY) DoOperation({sopCopy, sopDrag}, files.get(), std::wstring());
    else if (effect == DROPEFFECT_MOVE) DoOperation({sopMove, sopDrag, sopRemove}, files.get(), std::wstring());
    else DoOperation({sopDrag}, files.get(), std::wstring());
}

HRESULT TZemShellTree::QueryContinueDrag(bool EscapePressed, DWORD KeyState) {
    // Released: dropped; Escape or a second mouse button: cancelled.
    constexpr DWORD kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
    const DWORD button = dragButton_ ? dragButton_ : MK_LBUTTON;
    if (KeyState & kButtons & ~button) return DRAGDROP_S_CANCEL;
    return fw::QueryContinueByButton(EscapePressed, KeyState, button);
}

HRESULT TZemShellTree::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- Drop target -------------------------------------------------------------------------------------

HRESULT TZemShellTree::DragEnter(IDataObject* Data, DWORD KeyState, POINT, DWORD& Effect) {
    Effect = DROPEFFECT_NONE;
    dragData_ = fw::ComPtr<IDataObject>(Data);
    dragFilesAllow_ = DroppedFilesAllow(Data);
    lastKeyState_ = KeyState;
    lastEffect_ = DROPEFFECT_NONE;
    lastScrollTick_ = Now();
    return S_OK;
}

HRESULT TZemShellTree::DragOver(DWORD KeyState, POINT Point, DWORD& Effect) {
    if (ReadOnly() || !HandleAllocated()) {
        Effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const POINT client = ScreenToClient(Point);
    auto* node = static_cast<TZemShellTreeNode*>(GetNodeAt(client.x, client.y));
    lastKeyState_ = KeyState;
    // What the source allows, the copy mode permits, and the files and the node can take.
    DWORD allowed = Effect & CopyModeEffects() & dragFilesAllow_;
    if (node != dropNode_) SetDropNode(node, KeyState, Point, Effect);
    if (dropNode_ && !PlainFormIsExact(NodePath(dropNode_))) allowed = DROPEFFECT_NONE;
    AutoScroll(client);
    if (dropNode_ && !dropNode_->Expanded() && dropNode_->HasChildren() && Now() - dropNodeTick_ > kHoverExpand)
        dropNode_->Expand(false);
    // The effect reported is the one a drop here performs.
    Effect = allowed;
    if (!objectTarget_ || FAILED(objectTarget_->DragOver(KeyState, POINTL{Point.x, Point.y}, &Effect)))
        Effect = DROPEFFECT_NONE;
    Effect &= allowed;
    lastEffect_ = Effect;
    return S_OK;
}

void TZemShellTree::SetDropNode(TZemShellTreeNode* Node, DWORD KeyState, POINT Point, DWORD& Effect) {
    fw::TTreeNodes* items = Items();
    items->BeginUpdate();
    SetDropTarget(nullptr);
    if (objectTarget_) objectTarget_->DragLeave();
    objectTarget_.reset();
    dropNode_ = Node;
    // Any node opens after the drag rested on it, one that takes no drops too.
    dropNodeTick_ = Now();
    if (Node && Usable(Node) && Node->HasShellObject()) {
        fw::ComPtr<IDropTarget> target = ObjectDropTarget(Node);
        DWORD effect = Effect & CopyModeEffects();
        if (target && dragData_ &&
            SUCCEEDED(target->DragEnter(dragData_.get(), KeyState, POINTL{Point.x, Point.y}, &effect)))
            objectTarget_ = target;
        Node->SetDropTarget(true);
    }
    items->EndUpdate();
}

fw::ComPtr<IDropTarget> TZemShellTree::ObjectDropTarget(TZemShellTreeNode* Node) {
    fw::ComPtr<IDropTarget> target;
    browser_->SetAbsoluteObjectIDList(Node->AbsoluteIDList());
    try {
        browser_->GetUIObjectOf(IID_IDropTarget, target.put_void());
    } catch (const EPathfinchError&) {
        target.reset();
    }
    return target;
}

void TZemShellTree::AutoScroll(POINT ClientPoint) {
    const DWORD now = Now();
    if (now - lastScrollTick_ <= kScrollPause) return;
    lastScrollTick_ = now;
    const RECT client = ClientRect();
    const HWND window = Handle();
    if (CanScroll(window, SB_HORZ)) {
        if (ClientPoint.x < client.left + kScrollEdgeX) Perform(WM_HSCROLL, SB_LINELEFT, 0);
        else if (ClientPoint.x >= client.right - kScrollEdgeX) Perform(WM_HSCROLL, SB_LINERIGHT, 0);
    }
    if (CanScroll(window, SB_VERT)) {
        if (ClientPoint.y < client.top + kScrollEdgeY) Perform(WM_VSCROLL, SB_LINEUP, 0);
        else if (ClientPoint.y >= client.bottom - kScrollEdgeY) Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    }
}

HRESULT TZemShellTree::DragLeave() {
    EndDrop(true);
    return S_OK;
}

// TellTarget: the object under the cursor is told that the drag left it (not after its own drop).
void TZemShellTree::EndDrop(bool TellTarget) {
    if (HandleAllocated()) SetDropTarget(nullptr);
    if (objectTarget_ && TellTarget) objectTarget_->DragLeave();
    objectTarget_.reset();
    dragData_.reset();
    dropNode_ = nullptr;
    lastEffect_ = DROPEFFECT_NONE;
}

HRESULT TZemShellTree::Drop(IDataObject* Data, DWORD KeyState, POINT Point, DWORD& Effect) {
    if (!dragData_) {
        dragData_ = fw::ComPtr<IDataObject>(Data);
        dragFilesAllow_ = DroppedFilesAllow(Data);
    }
    DWORD allowed = Effect;
    if (!ReadOnly() && HandleAllocated()) DragOver(KeyState, Point, allowed);
    // Over empty space, over an object that takes no drops, or where the drag was
    // told nothing would happen: nothing happens.
    if (ReadOnly() || !objectTarget_ || !dropNode_ || lastEffect_ == DROPEFFECT_NONE) {
        Effect = DROPEFFECT_NONE;
        EndDrop(true);
        return S_OK;
    }
    TZemShellTreeNode* node = dropNode_;
    const HTREEITEM item = node->ItemId();
    const std::wstring destination = NodePath(node);
    // The folder's target chooses among these: never a move of files that may not move.
    Effect &= CopyModeEffects() & dragFilesAllow_;
    std::unique_ptr<fw::TStringList> files = GetDataObjectFiles(Data);
    bool execute = true;
    if (OnBeforeShellDrop) OnBeforeShellDrop(this, node, files.get(), execute, KeyState);
    HRESULT hr = E_UNEXPECTED;
    fw::ComPtr<IDropTarget> target = objectTarget_;
    if (execute) {
        hr = target->Drop(Data, KeyState, POINTL{Point.x, Point.y}, &Effect);
        if (FAILED(hr)) Effect = DROPEFFECT_NONE;
    } else {
        Effect = DROPEFFECT_NONE;
        target->DragLeave();
    }
    // The target's drop ended its part of the drag.
    objectTarget_.reset();
    fw::Application()->ProcessMessages();
    if (execute && SUCCEEDED(hr)) {
        if (Effect == DROPEFFECT_NONE && files && files->Count() > 0 && !PathExists(files->Strings(0)))
            Effect = DROPEFFECT_MOVE;  // an optimised move reports no effect
        if (Effect == DROPEFFECT_COPY) DoOperation({sopCopy, sopDrop}, files.get(), destination);
        else if (Effect == DROPEFFECT_MOVE) DoOperation({sopMove, sopDrop}, files.get(), destination);
        else if (Effect != DROPEFFECT_NONE) DoOperation({sopDrop}, files.get(), destination);
    }
    if (auto* still = static_cast<TZemShellTreeNode*>(Items()->GetNode(item)); still && still->GetFirstChild())
        RefreshNode(still, true, false);
    EndDrop(false);
    return hr;
}

}  // namespace shell
