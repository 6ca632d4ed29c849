#include "framework/TreeView.h"

#include <algorithm>
#include <cstring>

#include "framework/Exception.h"
#include "framework/ImageList.h"

namespace fw {

namespace {

constexpr UINT_PTR kChangeTimer = 0x7E01;
// Posted to the tree after the user collapsed a node: the collapse is over when it comes.
constexpr UINT kCheckSelection = CM_BASE + 0x7E0;

// TVM_GETITEMRECT takes the item in the rectangle's first bytes.
RECT ItemRectRequest(HTREEITEM Item) {
    RECT r{};
    std::memcpy(&r, &Item, sizeof(Item));
    return r;
}

int CALLBACK CompareNodes(LPARAM A, LPARAM B, LPARAM Compare) {
    return (*reinterpret_cast<const TTVCompare*>(Compare))(reinterpret_cast<TTreeNode*>(A),
                                                           reinterpret_cast<TTreeNode*>(B));
}

}  // namespace

// --- TTreeNode ------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* AOwner) : owner_(AOwner) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const {
    return owner_->Owner();
}

HWND TTreeNode::Window() const {
    TCustomTreeView* tree = TreeView();
    return tree->HandleAllocated() ? tree->Handle() : nullptr;
}

TTreeNode* TTreeNode::NodeOf(HTREEITEM Item) const {
    return owner_->GetNode(Item);
}

void TTreeNode::FillItem(TVITEMW& Item) const {
    Item.mask |= TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
    Item.lParam = reinterpret_cast<LPARAM>(this);
    // The window asks for images and the child flag when it needs them: changing
    // them costs a repaint of the row, not a TVM_SETITEM (which measures every
    // shown row again).
    Item.iImage = I_IMAGECALLBACK;
    Item.iSelectedImage = I_IMAGECALLBACK;
    Item.cChildren = I_CHILDRENCALLBACK;
    Item.stateMask |= TVIS_OVERLAYMASK | TVIS_STATEIMAGEMASK | TVIS_CUT;
    // Overlay images are numbered from 0 (-1 none); the window counts them from 1.
    Item.state |= INDEXTOOVERLAYMASK(UINT(std::clamp(overlayIndex_ + 1, 0, 15))) |
                  INDEXTOSTATEIMAGEMASK(UINT(std::clamp(stateIndex_, 0, 15))) | (cut_ ? TVIS_CUT : 0);
}

void TTreeNode::UpdateItem(UINT Mask) {
    const HWND wnd = Window();
    if (!wnd || !item_) return;
    TVITEMW item{};
    FillItem(item);
    item.mask &= Mask | TVIF_HANDLE;
    item.mask |= TVIF_HANDLE;
    item.hItem = item_;
    TreeView()->Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const std::wstring& Value) {
    text_ = Value;
    const HWND wnd = Window();
    if (!wnd || !item_) return;
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_TEXT;
    item.hItem = item_;
    item.pszText = const_cast<wchar_t*>(text_.c_str());
    TreeView()->Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::InvalidateRow() {
    const HWND wnd = Window();
    if (!wnd || !item_) return;
    RECT r = ItemRectRequest(item_);
    if (TreeView()->Send(TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r))) InvalidateRect(wnd, &r, FALSE);
}

void TTreeNode::SetImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    InvalidateRow();
}

void TTreeNode::SetSelectedIndex(int Value) {
    if (Value == selectedIndex_) return;
    selectedIndex_ = Value;
    InvalidateRow();
}

void TTreeNode::SetOverlayIndex(int Value) {
    if (Value == overlayIndex_) return;
    overlayIndex_ = Value;
    UpdateItem(TVIF_STATE);
}

void TTreeNode::SetStateIndex(int Value) {
    if (Value == stateIndex_) return;
    stateIndex_ = Value;
    UpdateItem(TVIF_STATE);
}

void TTreeNode::SetHasChildren(bool Value) {
    if (Value == hasChildren_) return;
    hasChildren_ = Value;
    InvalidateRow();
}

bool TTreeNode::Cut() const {
    return cut_;
}

void TTreeNode::SetCut(bool Value) {
    if (Value == cut_) return;
    cut_ = Value;
    UpdateItem(TVIF_STATE);
}

TTreeNode* TTreeNode::Parent() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(item_))));
}

int TTreeNode::Level() const {
    int level = 0;
    for (TTreeNode* p = Parent(); p; p = p->Parent()) ++level;
    return level;
}

TTreeNode* TTreeNode::GetFirstChild() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(item_))));
}

TTreeNode* TTreeNode::GetNextSibling() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(item_))));
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_PREVIOUS, LPARAM(item_))));
}

TTreeNode* TTreeNode::GetLastChild() const {
    TTreeNode* last = nullptr;
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) last = c;
    return last;
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = GetFirstChild()) return child;
    for (const TTreeNode* n = this; n; n = n->Parent())
        if (TTreeNode* sibling = n->GetNextSibling()) return sibling;
    return nullptr;
}

int TTreeNode::Count() const {
    int count = 0;
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) ++count;
    return count;
}

TTreeNode* TTreeNode::Item(int Index) const {
    TTreeNode* c = GetFirstChild();
    for (int i = 0; c && i < Index; ++i) c = c->GetNextSibling();
    return Index >= 0 ? c : nullptr;
}

int TTreeNode::Index() const {
    int index = 0;
    for (TTreeNode* s = GetPrevSibling(); s; s = s->GetPrevSibling()) ++index;
    return index;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const {
    for (TTreeNode* p = Parent(); p; p = p->Parent())
        if (p == Value) return true;
    return false;
}

bool TTreeNode::Expanded() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    return (TreeView()->Send(TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool Recurse) {
    TCustomTreeView* tree = TreeView();
    const HWND wnd = Window();
    if (wnd && item_ && (hasChildren_ || GetFirstChild()) && !Expanded() && tree->CanExpand(this)) {
        // The window tells of its first expansion itself; this one was asked already.
        tree->expandingInCode_ = item_;
        TreeView()->Send(TVM_EXPAND, TVE_EXPAND, LPARAM(item_));
        tree->expandingInCode_ = nullptr;
        if (Expanded()) tree->Expand(this);
    }
    if (!Recurse) return;
    for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
    TCustomTreeView* tree = TreeView();
    const HWND wnd = Window();
    if (Recurse)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->Collapse(true);
    if (wnd && item_ && Expanded() && tree->CanCollapse(this)) {
        TreeView()->Send(TVM_EXPAND, TVE_COLLAPSE, LPARAM(item_));
        tree->ReportMovedSelection();
        tree->Collapse(this);
    }
}

bool TTreeNode::Selected() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    return reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_CARET, 0)) == item_;
}

void TTreeNode::SetSelected(bool Value) {
    if (Value) TreeView()->SetSelected(this);
    else if (Selected()) TreeView()->SetSelected(nullptr);
}

bool TTreeNode::IsVisible() const {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    RECT r = ItemRectRequest(item_);
    return TreeView()->Send(TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r)) != FALSE;
}

void TTreeNode::MakeVisible() {
    if (const HWND wnd = Window(); wnd && item_) TreeView()->Send(TVM_ENSUREVISIBLE, 0, LPARAM(item_));
}

RECT TTreeNode::DisplayRect(bool TextOnly) const {
    const HWND wnd = Window();
    if (!wnd || !item_) return RECT{};
    RECT r = ItemRectRequest(item_);
    if (!TreeView()->Send(TVM_GETITEMRECT, TextOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&r))) r = RECT{};
    return r;
}

bool TTreeNode::EditText() {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    // The editor opens only in a window that has the focus.
    if (GetFocus() != wnd) ::SetFocus(wnd);
    return TreeView()->Send(TVM_EDITLABELW, 0, LPARAM(item_)) != 0;
}

void TTreeNode::EndEdit(bool Cancel) {
    if (const HWND wnd = Window()) TreeView()->Send(TVM_ENDEDITLABELNOW, Cancel ? TRUE : FALSE, 0);
}

bool TTreeNode::DropTarget() const {
    return Window() && item_ && TreeView()->DropTarget() == this;
}

void TTreeNode::SetDropTarget(bool Value) {
    if (Value) TreeView()->SetDropTarget(this);
    else if (DropTarget()) TreeView()->SetDropTarget(nullptr);
}

void TTreeNode::Delete() {
    // The window's deletion notice frees this object (and those of the children).
    const HWND wnd = Window();
    if (wnd && item_) TreeView()->Send(TVM_DELETEITEM, 0, LPARAM(item_));
}

void TTreeNode::DeleteChildren() {
    const HWND wnd = Window();
    if (!wnd || !item_) return;
    // The node keeps its child flag: the window asks the node for it.
    while (TTreeNode* c = GetFirstChild()) c->Delete();
}

bool TTreeNode::CustomSort(const TTVCompare& Compare, bool Recurse) {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    TVSORTCB sort{};
    sort.hParent = item_;
    sort.lpfnCompare = CompareNodes;
    sort.lParam = reinterpret_cast<LPARAM>(&Compare);
    const bool ok = TreeView()->Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != FALSE;
    if (Recurse)
        for (TTreeNode* c = GetFirstChild(); c; c = c->GetNextSibling()) c->CustomSort(Compare, true);
    return ok;
}

bool TTreeNode::AlphaSort(bool Recurse) {
    const HWND wnd = Window();
    if (!wnd || !item_) return false;
    return TreeView()->Send(TVM_SORTCHILDREN, Recurse ? TRUE : FALSE, LPARAM(item_)) != FALSE;
}

// --- TTreeNodes -----------------------------------------------------------------------

TTreeNodes::~TTreeNodes() {
    FreeAll();
}

TTreeNode* TTreeNodes::GetNode(HTREEITEM Item) const {
    if (!Item) return nullptr;
    const auto found = nodes_.find(Item);
    return found == nodes_.end() ? nullptr : found->second;
}

TTreeNode* TTreeNodes::GetFirstNode() const {
    if (!owner_->HandleAllocated() || nodes_.empty()) return nullptr;
    return GetNode(reinterpret_cast<HTREEITEM>(owner_->Send(TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

TTreeNode* TTreeNodes::Item(int Index) const {
    TTreeNode* node = GetFirstNode();
    for (int i = 0; node && i < Index; ++i) node = node->GetNext();
    return Index >= 0 ? node : nullptr;
}

void TTreeNodes::InsertItem(TTreeNode* Node, HTREEITEM Parent, HTREEITEM InsertAfter) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = Parent;
    insert.hInsertAfter = InsertAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(Node->text_.c_str());
    Node->FillItem(insert.item);
    const auto item = reinterpret_cast<HTREEITEM>(owner_->Send(TVM_INSERTITEMW, 0, LPARAM(&insert)));
    if (!item) throw EOutOfResources(L"Failed to create tree node");
    Node->item_ = item;
    nodes_[item] = Node;
}

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* Parent, HTREEITEM InsertAfter, const std::wstring& S) {
    owner_->HandleNeeded();
    std::unique_ptr<TTreeNode> node(owner_->CreateNode());
    node->text_ = S;
    InsertItem(node.get(), Parent ? Parent->item_ : TVI_ROOT, InsertAfter);
    return node.release();
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::wstring& S) {
    return InternalAdd(Sibling ? Sibling->Parent() : nullptr, TVI_LAST, S);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::wstring& S) {
    return InternalAdd(Parent, TVI_LAST, S);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::wstring& S) {
    return InternalAdd(Parent, TVI_FIRST, S);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::wstring& S) {
    if (!Sibling) return InternalAdd(nullptr, TVI_LAST, S);
    TTreeNode* previous = Sibling->GetPrevSibling();
    return InternalAdd(Sibling->Parent(), previous ? previous->item_ : TVI_FIRST, S);
}

void TTreeNodes::Clear() {
    // While the window is gone, the nodes kept for its return go instead.
    if (!owner_->HandleAllocated()) {
        owner_->DropSavedNodes();
        return;
    }
    if (nodes_.empty()) return;
    // Emptying the tree is no selection change.
    owner_->clearing_ = true;
    owner_->KillChangeTimer();
    owner_->Send(TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
    owner_->clearing_ = false;
}

void TTreeNodes::BeginUpdate() {
    if (updateCount_++ == 0 && owner_->HandleAllocated()) owner_->Send(WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
    if (updateCount_ == 0 || --updateCount_ > 0) return;
    if (!owner_->HandleAllocated()) return;
    owner_->Send(WM_SETREDRAW, TRUE, 0);
    owner_->Invalidate();
}

void TTreeNodes::ItemDeleted(HTREEITEM Item) {
    const auto found = nodes_.find(Item);
    if (found == nodes_.end()) return;
    TTreeNode* node = found->second;
    owner_->Delete(node);
    nodes_.erase(Item);
    node->item_ = nullptr;
    delete node;
}

void TTreeNodes::FreeAll() {
    std::unordered_map<HTREEITEM, TTreeNode*> nodes;
    nodes.swap(nodes_);
    for (auto& [item, node] : nodes) {
        node->item_ = nullptr;
        delete node;
    }
}

// --- TCustomTreeView -----------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner) {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_TREEVIEW_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)initialised;
    width_ = 121;
    height_ = 97;
    // The window tracks the mouse itself while it waits for a drag, and takes the
    // button's release there: a capture of ours after that would hold the next click.
    controlStyle_ &= ~unsigned(csCaptureMouse);
    SetTabStop(true);
    SetParentColor(false);
}

TCustomTreeView::~TCustomTreeView() {
    FreeNodes();
}

void TCustomTreeView::FreeNodes() {
    destroyingNodes_ = true;
    DestroyHandle();
    if (items_) items_->FreeAll();
    // Nodes kept for a window that will not come.
    for (auto& saved : saved_) {
        saved.first->item_ = nullptr;
        delete saved.first;
    }
    saved_.clear();
}

LRESULT TCustomTreeView::Send(UINT Msg, WPARAM WParam, LPARAM LParam) {
    // Straight to the window class: the control's own dispatch has nothing to add
    // to the tree's messages, and a wide folder sends tens of thousands of them.
    return CallWindowProcW(DefWndProc(), Handle(), Msg, WParam, LParam);
}

TTreeNodes* TCustomTreeView::Items() {
    if (!items_) items_ = CreateNodes();
    return items_.get();
}

TTreeNode* TCustomTreeView::CreateNode() {
    return new TTreeNode(Items());
}

std::unique_ptr<TTreeNodes> TCustomTreeView::CreateNodes() {
    return std::make_unique<TTreeNodes>(this);
}

TTreeNode* TCustomTreeView::Selected() {
    if (!HandleAllocated()) return nullptr;
    return Items()->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
    if (!HandleAllocated() && !Value) return;
    Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(Value ? Value->item_ : nullptr));
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) {
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = POINT{X, Y};
    Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) return nullptr;
    return Items()->GetNode(hit.hItem);
}

TTreeNode* TCustomTreeView::TopItem() {
    if (!HandleAllocated()) return nullptr;
    return Items()->GetNode(reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    if (HandleAllocated()) Send(TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images_ ? images_->Handle() : nullptr));
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
    if (stateImages_) stateImages_->RemoveFreeNotification(this);
    stateImages_ = Value;
    if (stateImages_) stateImages_->FreeNotification(this);
    if (HandleAllocated()) Send(TVM_SETIMAGELIST, TVSIL_STATE, LPARAM(stateImages_ ? stateImages_->Handle() : nullptr));
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == images_) SetImages(nullptr);
    if (AComponent == stateImages_) SetStateImages(nullptr);
}

void TCustomTreeView::SetStyle(DWORD Style, bool On) {
    const DWORD style = On ? (style_ | Style) : (style_ & ~Style);
    if (style == style_) return;
    style_ = style;
    if (!HandleAllocated()) return;
    const LONG_PTR current = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, On ? (current | LONG_PTR(Style)) : (current & ~LONG_PTR(Style)));
    Invalidate();
}

void TCustomTreeView::SetDragMode(TDragMode Value) {
    SetStyle(TVS_DISABLEDRAGDROP, Value == dmManual);
    TWinControl::SetDragMode(Value);
}

int TCustomTreeView::Indent() const {
    if (!HandleAllocated()) return indent_;
    return int(const_cast<TCustomTreeView*>(this)->Send(TVM_GETINDENT, 0, 0));
}

void TCustomTreeView::SetIndent(int Value) {
    indent_ = std::max(Value, 0);
    if (HandleAllocated() && indent_ > 0) Send(TVM_SETINDENT, WPARAM(indent_), 0);
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNextSibling()) n->Expand(true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNextSibling()) n->Collapse(true);
}

bool TCustomTreeView::AlphaSort(bool Recurse) {
    if (!HandleAllocated()) return false;
    return Send(TVM_SORTCHILDREN, Recurse ? TRUE : FALSE, LPARAM(TVI_ROOT)) != FALSE;
}

bool TCustomTreeView::CustomSort(const TTVCompare& Compare, bool Recurse) {
    if (!HandleAllocated()) return false;
    TVSORTCB sort{};
    sort.hParent = TVI_ROOT;
    sort.lpfnCompare = CompareNodes;
    sort.lParam = reinterpret_cast<LPARAM>(&Compare);
    const bool ok = Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != FALSE;
    if (Recurse)
        for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNextSibling()) n->CustomSort(Compare, true);
    return ok;
}

bool TCustomTreeView::IsEditing() {
    return HandleAllocated() && Send(TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TREEVIEWW);
    Params.Style |= style_ | WS_BORDER;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyColor();
    if (indent_ > 0) Send(TVM_SETINDENT, WPARAM(indent_), 0);
    if (images_) Send(TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images_->Handle()));
    if (stateImages_) Send(TVM_SETIMAGELIST, TVSIL_STATE, LPARAM(stateImages_->Handle()));
    RestoreNodes();
}

void TCustomTreeView::DestroyWnd() {
    KillChangeTimer();
    if (HandleAllocated() && !destroyingNodes_ && !HasState(csDestroying)) SaveNodes();
    // The window's deletion notices find no node objects: they were kept or go below.
    std::unordered_map<HTREEITEM, TTreeNode*> nodes;
    if (items_) nodes.swap(items_->nodes_);
    TWinControl::DestroyWnd();
    if (saved_.empty())
        for (auto& [item, node] : nodes) {
            node->item_ = nullptr;
            delete node;
        }
}

void TCustomTreeView::SaveNodes() {
    saved_.clear();
    savedExpanded_.clear();
    savedSelection_ = Selected();
    for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) {
        saved_.emplace_back(n, n->Parent());
        if (n->Expanded()) savedExpanded_.push_back(n);
    }
}

void TCustomTreeView::DropSavedNodes() {
    std::vector<std::pair<TTreeNode*, TTreeNode*>> saved;
    saved.swap(saved_);
    savedExpanded_.clear();
    savedSelection_ = nullptr;
    for (auto& [node, parent] : saved) {
        Delete(node);
        node->item_ = nullptr;
        delete node;
    }
}

void TCustomTreeView::RestoreNodes() {
    if (saved_.empty()) return;
    std::vector<std::pair<TTreeNode*, TTreeNode*>> saved;
    saved.swap(saved_);
    for (auto& [node, parent] : saved) items_->InsertItem(node, parent ? parent->item_ : TVI_ROOT, TVI_LAST);
    for (TTreeNode* n : savedExpanded_) Send(TVM_EXPAND, TVE_EXPAND, LPARAM(n->item_));
    savedExpanded_.clear();
    if (savedSelection_) {
        // The same selection again is no change.
        clearing_ = true;
        Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(savedSelection_->item_));
        clearing_ = false;
    }
    savedSelection_ = nullptr;
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(this, Node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
    if (OnChange) OnChange(this, Node);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
    if (OnDeletion) OnDeletion(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
    bool allow = true;
    if (OnEditing) OnEditing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Edit(TTreeNode* Node, std::wstring& S) {
    if (OnEdited) OnEdited(this, Node, S);
    Node->SetText(S);
}

void TCustomTreeView::EditCanceled(TTreeNode* Node) {
    if (OnCancelEdit) OnCancelEdit(this, Node);
}

void TCustomTreeView::BeginItemDrag(TTreeNode*, TMouseButton) {}

void TCustomTreeView::HandleEndLabelEdit(NMTVDISPINFOW& Info) {
    TTreeNode* node = items_ ? items_->GetNode(Info.item.hItem) : nullptr;
    // The editor may lose the focus while it goes (or while a handler runs
    // messages), which ends the same edit once more: an edit ends once.
    const HWND editor = reinterpret_cast<HWND>(Send(TVM_GETEDITCONTROL, 0, 0));
    if (!node || (editor && editor == endedEditor_)) return;
    endedEditor_ = editor;
    // An empty label names nothing: the edit is given up.
    if (!Info.item.pszText || !*Info.item.pszText) {
        EditCanceled(node);
        return;
    }
    std::wstring text = Info.item.pszText;
    Edit(node, text);
}

TTreeNode* TCustomTreeView::DropTarget() {
    if (!HandleAllocated()) return nullptr;
    // The item counts while it is drawn as the target (some windows keep naming it after).
    const auto item = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    if (!item || !(Send(TVM_GETITEMSTATE, WPARAM(item), TVIS_DROPHILITED) & TVIS_DROPHILITED)) return nullptr;
    return Items()->GetNode(item);
}

void TCustomTreeView::SetDropTarget(TTreeNode* Value) {
    if (!HandleAllocated()) return;
    const auto old = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    Send(TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(Value ? Value->item_ : nullptr));
    if (!Value && old) {
        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_STATE;
        item.hItem = old;
        item.stateMask = TVIS_DROPHILITED;
        Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

UINT TCustomTreeView::GetHitTestInfoAt(int X, int Y) {
    if (!HandleAllocated()) return TVHT_NOWHERE;
    TVHITTESTINFO hit{};
    hit.pt = POINT{X, Y};
    Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.flags;
}

void TCustomTreeView::GetImageIndex(TTreeNode*) {}

void TCustomTreeView::GetSelectedIndex(TTreeNode*) {}

bool TCustomTreeView::CustomDrawItem(TTreeNode*, NMTVCUSTOMDRAW&) {
    return false;
}

void TCustomTreeView::KillChangeTimer() {
    if (!changeTimer_) return;
    changeTimer_ = false;
    if (HandleAllocated()) KillTimer(Handle(), kChangeTimer);
}

void TCustomTreeView::SelectionChanged(TTreeNode* Node) {
    KillChangeTimer();
    if (changeDelay_ > 0 && HandleAllocated()) {
        changeTimer_ = SetTimer(Handle(), kChangeTimer, changeDelay_, nullptr) != 0;
        if (changeTimer_) return;
    }
    Change(Node);
}

void TCustomTreeView::ReportMovedSelection() {
    if (!HandleAllocated() || clearing_ || HasState(csDestroying)) return;
    // A collapse that hides the selected node selects the collapsed one; some
    // windows tell nothing of it, yet it is a selection change like any other.
    const auto caret = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (caret == reported_) return;
    reported_ = caret;
    SelectionChanged(Items()->GetNode(caret));
}

void TCustomTreeView::HandleDispInfo(NMTVDISPINFOW& Info) {
    TTreeNode* node = reinterpret_cast<TTreeNode*>(Info.item.lParam);
    if (!node || !items_ || items_->GetNode(Info.item.hItem) != node) return;
    if (Info.item.mask & TVIF_IMAGE) {
        if (node->imageIndex_ < 0) GetImageIndex(node);
        Info.item.iImage = node->imageIndex_;
    }
    if (Info.item.mask & TVIF_SELECTEDIMAGE) {
        if (node->selectedIndex_ < 0) GetSelectedIndex(node);
        Info.item.iSelectedImage = node->selectedIndex_ >= 0 ? node->selectedIndex_ : node->imageIndex_;
    }
    if (Info.item.mask & TVIF_CHILDREN) Info.item.cChildren = node->hasChildren_ ? 1 : 0;
}

// Each row, and the space below the last, is laid on the tree's own colour before
// the window draws on it: a themed tree may first lay its parent's background
// under the whole client area (Wine does, with the explorer style), which would
// show around the rows' texts and below them.
LRESULT TCustomTreeView::HandleCustomDraw(NMTVCUSTOMDRAW& Draw) {
    switch (Draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT: {
        FillRect(Draw.nmcd.hdc, &Draw.nmcd.rc, Brush()->Handle());
        if (!IsCustomDrawn()) return CDRF_DODEFAULT;
        TTreeNode* node = items_ ? items_->GetNode(reinterpret_cast<HTREEITEM>(Draw.nmcd.dwItemSpec)) : nullptr;
        return node && CustomDrawItem(node, Draw) ? CDRF_NEWFONT : CDRF_DODEFAULT;
    }
    case CDDS_POSTPAINT: FillBelowRows(Draw.nmcd.hdc); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

void TCustomTreeView::FillBelowRows(HDC DC) {
    RECT below{};
    GetClientRect(Handle(), &below);
    const auto item = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_LASTVISIBLE, 0));
    RECT last = ItemRectRequest(item);
    if (item && Send(TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&last)))
        below.top = std::max(below.top, last.bottom);
    if (below.top < below.bottom) FillRect(DC, &below, Brush()->Handle());
}

void TCustomTreeView::ApplyColor() {
    // The rows' texts stand on the same colour as the rest of the tree.
    if (HandleAllocated()) Send(TVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
}

void TCustomTreeView::HandleNotify(TMessage& Message) {
    auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
    auto* view = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
    TTreeNodes* items = Items();
    Message.Result = 0;
    switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
        if (view->itemNew.hItem == expandingInCode_) return;
        TTreeNode* node = items->GetNode(view->itemNew.hItem);
        if (!node) return;
        const bool allow = view->action == TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
        Message.Result = allow ? 0 : 1;
        return;
    }
    case TVN_ITEMEXPANDEDW: {
        if (view->itemNew.hItem == expandingInCode_) return;
        TTreeNode* node = items->GetNode(view->itemNew.hItem);
        if (!node) return;
        if (view->action == TVE_EXPAND) Expand(node);
        else if (view->action == TVE_COLLAPSE) {
            PostMessageW(Handle(), kCheckSelection, 0, 0);
            Collapse(node);
        }
        return;
    }
    case TVN_SELCHANGINGW: {
        if (clearing_) return;
        TTreeNode* node = items->GetNode(view->itemNew.hItem);
        Message.Result = !node || CanChange(node) ? 0 : 1;
        return;
    }
    case TVN_SELCHANGEDW:
        reported_ = view->itemNew.hItem;
        if (!clearing_ && !HasState(csDestroying)) SelectionChanged(items->GetNode(view->itemNew.hItem));
        return;
    case TVN_DELETEITEMW: items->ItemDeleted(view->itemOld.hItem); return;
    case TVN_GETDISPINFOW: HandleDispInfo(*reinterpret_cast<NMTVDISPINFOW*>(Message.LParam)); return;
    case TVN_BEGINLABELEDITW: {
        TTreeNode* node = items->GetNode(reinterpret_cast<NMTVDISPINFOW*>(Message.LParam)->item.hItem);
        endedEditor_ = nullptr;
        Message.Result = node && CanEdit(node) ? FALSE : TRUE;
        return;
    }
    case TVN_ENDLABELEDITW:
        // The node sets its own text: the window keeps what it was given.
        HandleEndLabelEdit(*reinterpret_cast<NMTVDISPINFOW*>(Message.LParam));
        Message.Result = FALSE;
        return;
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGA:
    case TVN_BEGINRDRAGW: {
        // The ANSI form carries the item at the same place.
        TTreeNode* node = items->GetNode(view->itemNew.hItem);
        const bool right = header->code == TVN_BEGINRDRAGA || header->code == TVN_BEGINRDRAGW;
        if (node) BeginItemDrag(node, right ? mbRight : mbLeft);
        return;
    }
    case NM_RCLICK: {
        if (rightClickSelect_) {
            POINT p;
            GetCursorPos(&p);
            p = ScreenToClient(p);
            if (TTreeNode* node = GetNodeAt(p.x, p.y)) SetSelected(node);
        }
        // The menu a right click asks for, once, where the click was: the window
        // would send it only when the click is not handled, and some systems never do.
        const DWORD at = GetMessagePos();
        SendMessageW(Handle(), WM_CONTEXTMENU, WPARAM(Handle()), MAKELPARAM(LOWORD(at), HIWORD(at)));
        Message.Result = 1;
        return;
    }
    case NM_CUSTOMDRAW: Message.Result = HandleCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(Message.LParam)); return;
    default: TWinControl::WndProc(Message); return;
    }
}

void TCustomTreeView::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_NOTIFY: HandleNotify(Message); return;
    case kCheckSelection: ReportMovedSelection(); return;
    case CM_COLORCHANGED:
        TWinControl::WndProc(Message);
        ApplyColor();
        return;
    case WM_TIMER:
        if (Message.WParam == kChangeTimer) {
            KillChangeTimer();
            Change(Selected());
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
