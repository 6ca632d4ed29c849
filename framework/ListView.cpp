#include "framework/ListView.h"

#include <windowsx.h>

#include "framework/ControlCanvas.h"
#include "framework/Handles.h"

#include <algorithm>
#include <vector>

namespace fw {

namespace {

bool RegisterListViewClass() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    return done;
}

constexpr DWORD ViewStyleBits[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

}  // namespace

// --- TListItem -----------------------------------------------------------------

TListItem::TListItem(TListItems* AOwner) : owner_(AOwner) {}

TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const {
    return owner_ ? owner_->Owner() : nullptr;
}

const std::wstring& TListItem::Caption() {
    NeedTexts();
    return caption_;
}

void TListItem::SetCaption(const std::wstring& Value) {
    caption_ = Value;
    Update();
}

TListSubItems& TListItem::SubItems() {
    NeedTexts();
    return subItems_;
}

void TListItem::SetImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    Update();
}

void TListItem::SetStateIndex(int Value) {
    if (Value == stateIndex_) return;
    stateIndex_ = Value;
    Update();
}

void TListItem::SetOverlayIndex(int Value) {
    if (Value == overlayIndex_) return;
    overlayIndex_ = Value;
    Update();
}

void TListItem::SetCut(bool Value) {
    if (Value == cut_) return;
    cut_ = Value;
    Update();
}

bool TListItem::Selected() const {
    TCustomListView* view = ListView();
    if (!view || index_ < 0 || !view->HandleAllocated()) return false;
    return (ListView_GetItemState(view->Handle(), index_, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool Value) {
    TCustomListView* view = ListView();
    if (!view || index_ < 0) return;
    ListView_SetItemState(view->Handle(), index_, Value ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

bool TListItem::Focused() const {
    TCustomListView* view = ListView();
    if (!view || index_ < 0 || !view->HandleAllocated()) return false;
    return (ListView_GetItemState(view->Handle(), index_, LVIS_FOCUSED) & LVIS_FOCUSED) != 0;
}

void TListItem::SetFocused(bool Value) {
    TCustomListView* view = ListView();
    if (!view || index_ < 0) return;
    ListView_SetItemState(view->Handle(), index_, Value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
}

RECT TListItem::DisplayRect(TDisplayCode Code) const {
    RECT r{};
    TCustomListView* view = ListView();
    static const int codes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
    if (view && index_ >= 0 && view->HandleAllocated()) ListView_GetItemRect(view->Handle(), index_, &r, codes[Code]);
    return r;
}

void TListItem::EditCaption() {
    TCustomListView* view = ListView();
    if (!view || index_ < 0 || !view->HandleAllocated()) return;
    if (GetFocus() != view->Handle()) SetFocus(view->Handle());
    ListView_EditLabel(view->Handle(), index_);
}

void TListItem::Update() {
    TCustomListView* view = ListView();
    if (view && index_ >= 0 && view->HandleAllocated() && !owner_->Updating()) view->UpdateItems(index_, index_);
}

void TListItem::Delete() {
    if (owner_ && index_ >= 0) owner_->Delete(index_);
}

// --- TListItems ----------------------------------------------------------------

TListItems::TListItems(TCustomListView* AOwner) : owner_(AOwner) {}

TListItems::~TListItems() {
    for (auto& item : items_) item->index_ = -1;
    items_.clear();
}

TListItem* TListItems::Add() {
    std::unique_ptr<TListItem> item(owner_->CreateListItem());
    item->owner_ = this;
    item->index_ = Count();
    items_.push_back(std::move(item));
    CountChanged(true);
    return items_.back().get();
}

void TListItems::Delete(int Index) {
    TListItem* item = Item(Index);
    owner_->Delete(item);
    // The handler may have deleted rows itself: look the row up again.
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == item; });
    if (it == items_.end()) return;
    std::unique_ptr<TListItem> gone = std::move(*it);
    const int at = int(it - items_.begin());
    items_.erase(it);
    gone->index_ = -1;
    Renumber(at);
    onlyAppended_ = false;
    if (owner_->HandleAllocated()) {
        // The window keeps selection by position: the rows after the gap move up.
        owner_->SetStates(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    CountChanged();
}

void TListItems::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    for (auto& item : items_) owner_->Delete(item.get());
    for (auto& item : items_) item->index_ = -1;
    items_.clear();
    if (owner_->HandleAllocated()) owner_->SetStates(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    countPending_ = true;
    onlyAppended_ = false;
    EndUpdate();
}

void TListItems::BeginUpdate() {
    ++updateCount_;
}

void TListItems::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && countPending_) {
        countPending_ = false;
        owner_->ItemCountChanged(onlyAppended_);
        onlyAppended_ = true;
    }
}

void TListItems::CountChanged(bool Appended) {
    if (!Appended) onlyAppended_ = false;
    if (updateCount_ > 0) {
        countPending_ = true;
        return;
    }
    owner_->ItemCountChanged(onlyAppended_);
    onlyAppended_ = true;
}

void TListItems::Renumber(int From) {
    for (int i = From; i < Count(); ++i) items_[size_t(i)]->index_ = i;
}

std::vector<TListItem*> TListItems::SelectedItems() const {
    std::vector<TListItem*> selected;
    if (!owner_->HandleAllocated()) return selected;
    const HWND wnd = owner_->Handle();
    for (int i = ListView_GetNextItem(wnd, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(wnd, i, LVNI_SELECTED))
        if (TListItem* item = Find(i)) selected.push_back(item);
    return selected;
}

void TListItems::Sort(const std::function<bool(TListItem*, TListItem*)>& Less) {
    const std::vector<TListItem*> selected = SelectedItems();
    TListItem* focused = owner_->ItemFocused();
    std::stable_sort(items_.begin(), items_.end(),
                     [&](const std::unique_ptr<TListItem>& A, const std::unique_ptr<TListItem>& B) {
                         return Less(A.get(), B.get());
                     });
    Moved(selected, focused);
}

void TListItems::Reorder(const std::vector<int>& Order) {
    // Anything but every row once leaves the rows as they are.
    if (Order.size() != items_.size()) return;
    std::vector<bool> named(items_.size(), false);
    for (int from : Order) {
        if (from < 0 || size_t(from) >= named.size() || named[size_t(from)]) return;
        named[size_t(from)] = true;
    }
    const std::vector<TListItem*> selected = SelectedItems();
    TListItem* focused = owner_->ItemFocused();
    std::vector<std::unique_ptr<TListItem>> placed;
    placed.reserve(items_.size());
    for (int from : Order) placed.push_back(std::move(items_[size_t(from)]));
    items_ = std::move(placed);
    Moved(selected, focused);
}

void TListItems::Moved(const std::vector<TListItem*>& Selected, TListItem* Focused) {
    Renumber(0);
    if (!owner_->HandleAllocated()) return;
    // Selection and focus stay with their rows, wherever the rows went.
    const HWND wnd = owner_->Handle();
    // Every row selected stays so wherever it went: only the focus moves.
    const bool all = !Selected.empty() && Selected.size() == items_.size();
    if (!Selected.empty() || Focused) {
        // Each row is drawn as its state changes: with many rows, once at the end.
        const bool once = Selected.size() > 256 && IsWindowVisible(wnd);
        if (once) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
        ListView_SetItemState(wnd, -1, 0, all ? LVIS_FOCUSED : LVIS_SELECTED | LVIS_FOCUSED);
        if (!all)
            for (TListItem* item : Selected) ListView_SetItemState(wnd, item->index_, LVIS_SELECTED, LVIS_SELECTED);
        if (Focused) ListView_SetItemState(wnd, Focused->index_, LVIS_FOCUSED, LVIS_FOCUSED);
        if (once) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    }
    InvalidateRect(wnd, nullptr, FALSE);
}

// --- Columns -------------------------------------------------------------------

TListColumn::TListColumn(TListColumns* AOwner) : owner_(AOwner) {}

int TListColumn::Index() const {
    return owner_->IndexOf(this);
}

void TListColumn::SetCaption(const std::wstring& Value) {
    caption_ = Value;
    Changed();
}

int TListColumn::Width() const {
    TCustomListView* view = owner_->Owner();
    const int index = Index();
    if (view->ViewStyle() == vsList && index == 0) return view->ListColumnWidth();
    if (view->HandleAllocated() && owner_->updateCount_ == 0 && view->ViewStyle() == vsReport && index >= 0)
        return int(SendMessageW(view->Handle(), LVM_GETCOLUMNWIDTH, WPARAM(index), 0));
    return width_;
}

// The window takes column widths only in the report view: in the list view its one
// width is that of its columns of rows, given through column 0, and the icon views
// take none. A width given outside the report view is kept here and given to the
// window as the report view is entered; the report's own widths stay as they are.
void TListColumn::SetWidth(int Value) {
    TCustomListView* view = owner_->Owner();
    const int index = Index();
    if (view->ViewStyle() == vsList && index == 0) {
        view->SetListColumnWidth(Value);
        return;
    }
    width_ = Value;
    if (view->HandleAllocated() && owner_->updateCount_ == 0 && index >= 0 && view->ViewStyle() == vsReport)
        SendMessageW(view->Handle(), LVM_SETCOLUMNWIDTH, WPARAM(index), MAKELPARAM(Value, 0));
}

void TListColumn::SetAutoSize(bool Value) {
    // Fitted as the flag turns on; setting it again keeps the width the column has.
    if (Value == autoSize_) return;
    autoSize_ = Value;
    if (Value) owner_->Owner()->FitColumn(this);
}

void TListColumn::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    Changed();
}

void TListColumn::Changed() {
    TCustomListView* view = owner_->Owner();
    const int index = Index();
    if (!view->HandleAllocated() || owner_->updateCount_ > 0 || index < 0) return;
    static const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption_.c_str());
    column.fmt = index == 0 ? LVCFMT_LEFT : formats[alignment_];
    SendMessageW(view->Handle(), LVM_SETCOLUMNW, WPARAM(index), LPARAM(&column));
}

TListColumns::TListColumns(TCustomListView* AOwner) : owner_(AOwner) {}

TListColumns::~TListColumns() = default;

TListColumn* TListColumns::Add() {
    columns_.push_back(std::make_unique<TListColumn>(this));
    if (updateCount_ == 0) Rebuild();
    return columns_.back().get();
}

void TListColumns::Delete(int Index) {
    columns_.erase(columns_.begin() + Index);
    if (updateCount_ == 0) Rebuild();
}

void TListColumns::Clear() {
    columns_.clear();
    if (updateCount_ == 0) Rebuild();
}

void TListColumns::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Rebuild();
}

void TListColumns::KeepWindowWidths() {
    const HWND wnd = owner_->Handle();
    const HWND header = ListView_GetHeader(wnd);
    if (updateCount_ > 0 || !header || Header_GetItemCount(header) != Count()) return;
    for (int i = 0; i < Count(); ++i) Items(i)->width_ = int(SendMessageW(wnd, LVM_GETCOLUMNWIDTH, WPARAM(i), 0));
}

void TListColumns::GiveWidths() {
    if (updateCount_ > 0) return;
    const HWND wnd = owner_->Handle();
    for (int i = 0; i < Count(); ++i) SendMessageW(wnd, LVM_SETCOLUMNWIDTH, WPARAM(i), MAKELPARAM(Items(i)->width_, 0));
}

int TListColumns::IndexOf(const TListColumn* Column) const {
    for (int i = 0; i < Count(); ++i)
        if (columns_[size_t(i)].get() == Column) return i;
    return -1;
}

void TListColumns::Rebuild() {
    if (!owner_->HandleAllocated()) return;
    const HWND wnd = owner_->Handle();
    const HWND header = ListView_GetHeader(wnd);
    // Widths the user dragged are kept in the objects before the window's columns go.
    const int old = header ? Header_GetItemCount(header) : 0;
    for (int i = old - 1; i >= 0; --i) SendMessageW(wnd, LVM_DELETECOLUMN, WPARAM(i), 0);
    static const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    for (int i = 0; i < Count(); ++i) {
        TListColumn* c = Items(i);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(c->caption_.c_str());
        column.fmt = i == 0 ? LVCFMT_LEFT : formats[c->alignment_];
        column.cx = c->width_;
        SendMessageW(wnd, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&column));
    }
    InvalidateRect(wnd, nullptr, TRUE);
}

// --- TCustomListView -----------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), items_(std::make_unique<TListItems>(this)), columns_(std::make_unique<TListColumns>(this)) {
    RegisterListViewClass();
    // The window tracks the mouse itself while it waits for a drag, and takes the
    // button's release there: a capture of ours after that would hold the next click.
    SetControlStyle((ControlStyle() | csDoubleClicks | csClickEvents) & ~unsigned(csCaptureMouse));
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
    // The list keeps its own colour (clWindow is also the default, so the call above changes nothing).
    SetParentColor(false);
}

TCustomListView::~TCustomListView() {
    // The window asks for rows until it is gone: it goes first.
    DestroyHandle();
    OnDeletion = nullptr;
    OnChange = nullptr;
    items_.reset();
}

void TCustomListView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_LISTVIEWW);
    Params.Style |= LVS_OWNERDATA | LVS_SHAREIMAGELISTS | ViewStyleBits[viewStyle_];
    if (!multiSelect_) Params.Style |= LVS_SINGLESEL;
    if (!showColumnHeaders_) Params.Style |= LVS_NOCOLUMNHEADER;
    if (!hideSelection_) Params.Style |= LVS_SHOWSELALWAYS;
    if (autoArrange_) Params.Style |= LVS_AUTOARRANGE;
    if (!readOnly_) Params.Style |= LVS_EDITLABELS;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
    TWinControl::CreateWnd();
    ApplyColor();
    UpdateExtendedStyle();
    ApplyImageLists();
    columns_->Rebuild();
    if (viewStyle_ == vsList && listColumnWidth_ > 0)
        SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(listColumnWidth_, 0));
    SetCallbackMask();
    SendMessageW(Handle(), LVM_SETITEMCOUNT, WPARAM(items_->Count()), LVSICF_NOSCROLL);
    FitAutoSizeColumns();
}

TListItem* TCustomListView::CreateListItem() {
    TListItemFactory factory = [](TListItems* Owner) { return new TListItem(Owner); };
    if (OnCreateItemClass) OnCreateItemClass(this, factory);
    return factory(items_.get());
}

void TCustomListView::UpdateStyle(DWORD Mask, DWORD Bits) {
    if (!HandleAllocated()) return;
    const HWND wnd = Handle();
    const DWORD style = DWORD(GetWindowLongPtrW(wnd, GWL_STYLE));
    const DWORD next = (style & ~Mask) | Bits;
    if (next != style) SetWindowLongPtrW(wnd, GWL_STYLE, LONG_PTR(next));
}

void TCustomListView::UpdateExtendedStyle() {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, rowSelect_ ? LVS_EX_FULLROWSELECT : 0);
}

void TCustomListView::ApplyImageLists() {
    if (!HandleAllocated()) return;
    const HWND wnd = Handle();
    ListView_SetImageList(wnd, smallImages_ ? smallImages_->Handle() : nullptr, LVSIL_SMALL);
    ListView_SetImageList(wnd, largeImages_ ? largeImages_->Handle() : nullptr, LVSIL_NORMAL);
    ListView_SetImageList(wnd, stateImages_ ? stateImages_->Handle() : nullptr, LVSIL_STATE);
}

void TCustomListView::SetCallbackMask() {
    // Owner-data rows keep no state but selection and focus: the rest is asked for.
    if (HandleAllocated())
        SendMessageW(Handle(), LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK | LVIS_OVERLAYMASK | LVIS_CUT, 0);
}

void TCustomListView::ApplyColor() {
    // The rows, the empty space and the erased background all in the list's colour.
    if (HandleAllocated()) ListView_SetBkColor(Handle(), ColorToRGB(Color()));
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
    if (Value == viewStyle_) return;
    viewStyle_ = Value;
    if (HandleAllocated()) SwitchView();
}

// The system's list view measures or places every row when its view changes:
// the list view measures every row's text for its column width (a round trip per
// row), and Wine repaints each icon as it places it. On 100,000 rows that is
// seconds. So the list and report views are entered with no rows, which are
// given back after; the icon views are entered with drawing off. The selection
// and the focus stay, the focused row (or else the first in view) is brought into
// view, and the whole list (frame, scroll bars and header too) is drawn afresh once.
void TCustomListView::SwitchView() {
    const HWND wnd = Handle();
    const bool icons = viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon;
    const int count = items_->Count();
    // Turning drawing back on shows a window: a hidden one is left as it is.
    const bool shown = IsWindowVisible(wnd) != FALSE;
    if (shown) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    const DWORD old = DWORD(GetWindowLongPtrW(wnd, GWL_STYLE)) & LVS_TYPEMASK;
    // The report's widths as the user left them; the other views keep no widths of their own.
    if (old == LVS_REPORT) columns_->KeepWindowWidths();
    std::vector<int> selected;
    const int focused = count > 0 ? ListView_GetNextItem(wnd, -1, LVNI_FOCUSED) : -1;
    // The row kept in view: the focused one, else the first in view of a list or
    // report (an icon view has no first row: its rows start again from the top).
    int anchor = focused;
    if (anchor < 0 && count > 0 && (old == LVS_REPORT || old == LVS_LIST)) anchor = ListView_GetTopIndex(wnd);
    if (!icons && count > 0) {
        for (int i = ListView_GetNextItem(wnd, -1, LVNI_SELECTED); i >= 0;
             i = ListView_GetNextItem(wnd, i, LVNI_SELECTED))
            selected.push_back(i);
        SendMessageW(wnd, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
    }
    UpdateStyle(LVS_TYPEMASK, ViewStyleBits[viewStyle_]);
    if (viewStyle_ == vsReport) columns_->GiveWidths();
    if (viewStyle_ == vsList && listColumnWidth_ > 0)
        SendMessageW(wnd, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(listColumnWidth_, 0));
    if (!icons && count > 0) {
        SendMessageW(wnd, LVM_SETITEMCOUNT, WPARAM(count), LVSICF_NOSCROLL);
        // The rows' states come back as they were: no change to report.
        restoringState_ = true;
        if (int(selected.size()) == count) {
            ListView_SetItemState(wnd, -1, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            for (int i : selected) ListView_SetItemState(wnd, i, LVIS_SELECTED, LVIS_SELECTED);
        }
        if (focused >= 0) ListView_SetItemState(wnd, focused, LVIS_FOCUSED, LVIS_FOCUSED);
        restoringState_ = false;
    }
    if (shown) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    // A scroll position counts rows, columns or pixels by view, so the old one
    // means nothing in the new view: it starts from the top, then goes to the anchor.
    if (count > 0) ListView_EnsureVisible(wnd, 0, FALSE);
    if (anchor > 0) ListView_EnsureVisible(wnd, anchor, FALSE);
    RedrawWindow(wnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int TCustomListView::ListColumnWidth() const {
    if (!HandleAllocated() || viewStyle_ != vsList) return listColumnWidth_;
    return int(SendMessageW(const_cast<TCustomListView*>(this)->Handle(), LVM_GETCOLUMNWIDTH, 0, 0));
}

// The rows move with the list view's column width. Wine's list view places them
// by the new width but keeps the scroll range of the old one (Windows takes it
// afresh), so columns to the right could be out of reach. Told its own row count
// again, the window measures its range anew, on both systems; and it brings the
// focused row back into view, since the rows in view have changed.
void TCustomListView::SetListColumnWidth(int Value) {
    listColumnWidth_ = Value;
    if (!HandleAllocated() || viewStyle_ != vsList) return;
    const HWND wnd = Handle();
    SendMessageW(wnd, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(Value, 0));
    SendMessageW(wnd, LVM_SETITEMCOUNT, WPARAM(ListView_GetItemCount(wnd)), LVSICF_NOINVALIDATEALL);
}

void TCustomListView::SetMultiSelect(bool Value) {
    multiSelect_ = Value;
    UpdateStyle(LVS_SINGLESEL, Value ? 0 : LVS_SINGLESEL);
}

void TCustomListView::SetRowSelect(bool Value) {
    rowSelect_ = Value;
    UpdateExtendedStyle();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
    showColumnHeaders_ = Value;
    UpdateStyle(LVS_NOCOLUMNHEADER, Value ? 0 : LVS_NOCOLUMNHEADER);
}

void TCustomListView::SetReadOnly(bool Value) {
    readOnly_ = Value;
    UpdateStyle(LVS_EDITLABELS, Value ? 0 : LVS_EDITLABELS);
}

bool TCustomListView::IsEditing() const {
    return HandleAllocated() && ListView_GetEditControl(const_cast<TCustomListView*>(this)->Handle()) != nullptr;
}

void TCustomListView::SetHideSelection(bool Value) {
    hideSelection_ = Value;
    UpdateStyle(LVS_SHOWSELALWAYS, Value ? 0 : LVS_SHOWSELALWAYS);
}

void TCustomListView::SetAutoArrange(bool Value) {
    autoArrange_ = Value;
    UpdateStyle(LVS_AUTOARRANGE, Value ? LVS_AUTOARRANGE : 0);
}

void TCustomListView::SetSmallImages(TCustomImageList* Value) {
    smallImages_ = Value;
    ApplyImageLists();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) {
    largeImages_ = Value;
    ApplyImageLists();
}

void TCustomListView::SetStateImages(TCustomImageList* Value) {
    stateImages_ = Value;
    ApplyImageLists();
}

HWND TCustomListView::HeaderHandle() {
    return HandleAllocated() ? ListView_GetHeader(Handle()) : nullptr;
}

void TCustomListView::UpdateItems(int First, int Last) {
    if (HandleAllocated()) ListView_RedrawItems(Handle(), First, Last);
}

void TCustomListView::FitColumn(TListColumn* Column) {
    const int index = Column ? Column->Index() : -1;
    if (index < 0 || !HandleAllocated() || columns_->updateCount_ > 0 || Column->Width() == 0) return;
    const HWND wnd = Handle();
    const WindowDC dc(wnd);
    if (!dc) return;
    const SelectObjectGuard font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(wnd, WM_GETFONT, 0, 0)));
    const auto extent = [&](const std::wstring& Text) {
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), Text.c_str(), int(Text.size()), &size);
        return int(size.cx);
    };
    // The margins the header and the cells keep around a text.
    constexpr int HeaderMargin = 16, CellMargin = 12;
    int width = extent(Column->Caption()) + HeaderMargin;
    // Only the rows in view are read: a long listing costs no more than a page.
    const int first = std::max(0, ListView_GetTopIndex(wnd));
    const int last = std::min(items_->Count(), first + ListView_GetCountPerPage(wnd) + 1);
    int images = 0;
    if (index == 0) {
        if (smallImages_) images += smallImages_->Width() + 4;
        if (stateImages_) images += stateImages_->Width();
    }
    for (int i = first; i < last; ++i) {
        TListItem* item = items_->Item(i);
        const std::wstring* text = nullptr;
        if (index == 0) {
            text = &item->Caption();
        } else if (index - 1 < item->SubItems().Count()) {
            text = &item->SubItems().Strings(index - 1);
        }
        if (text) width = std::max(width, extent(*text) + CellMargin + images);
    }
    Column->SetWidth(width);
}

void TCustomListView::FitAutoSizeColumns() {
    for (int i = 0; i < columns_->Count(); ++i)
        if (columns_->Items(i)->AutoSize()) FitColumn(columns_->Items(i));
}

void TCustomListView::Arrange() {
    if (HandleAllocated()) ListView_Arrange(Handle(), LVA_DEFAULT);
}

TListItem* TCustomListView::Selected() const {
    if (!HandleAllocated()) return nullptr;
    const HWND wnd = const_cast<TCustomListView*>(this)->Handle();
    const int focused = ListView_GetNextItem(wnd, -1, LVNI_FOCUSED | LVNI_SELECTED);
    if (focused >= 0) return items_->Find(focused);
    return items_->Find(ListView_GetNextItem(wnd, -1, LVNI_SELECTED));
}

void TCustomListView::SetSelected(TListItem* Item) {
    ClearSelection();
    if (Item) {
        Item->SetSelected(true);
        Item->SetFocused(true);
    }
}

int TCustomListView::SelCount() const {
    if (!HandleAllocated()) return 0;
    return int(SendMessageW(const_cast<TCustomListView*>(this)->Handle(), LVM_GETSELECTEDCOUNT, 0, 0));
}

TListItem* TCustomListView::ItemFocused() const {
    if (!HandleAllocated()) return nullptr;
    return items_->Find(ListView_GetNextItem(const_cast<TCustomListView*>(this)->Handle(), -1, LVNI_FOCUSED));
}

void TCustomListView::SelectAll() {
    if (HandleAllocated() && multiSelect_) SetStates(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void TCustomListView::ClearSelection() {
    if (HandleAllocated()) SetStates(-1, 0, LVIS_SELECTED);
}

bool TCustomListView::ManyMayChange(bool Selecting) const {
    constexpr int many = 256;
    const int selected = SelCount();
    return Selecting ? items_->Count() - selected > many : selected > many;
}

void TCustomListView::SetStates(int Index, UINT State, UINT Mask) {
    const HWND wnd = Handle();
    // Turning drawing back on shows a window: a hidden one is left as it is.
    const bool once = Index < 0 && IsWindowVisible(wnd) && ManyMayChange((State & Mask & LVIS_SELECTED) != 0);
    if (once) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemState(wnd, Index, State, Mask);
    if (!once) return;
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(wnd, nullptr, FALSE);
}

void TCustomListView::DefaultHandler(TMessage& Message) {
    // A click on a row, or a key that moves the focus, selects one row (or a
    // range) and deselects every other one. Neither runs a loop of its own, so
    // drawing can wait until the window is done.
    bool once = false;
    if (HandleAllocated() && (Message.Msg == WM_LBUTTONUP || Message.Msg == WM_KEYDOWN)) {
        const bool navigation =
            Message.Msg == WM_LBUTTONUP ||
            (Message.WParam >= VK_SPACE && Message.WParam <= VK_DOWN);  // space, pages, ends, arrows
        once = navigation && IsWindowVisible(Handle()) && ManyMayChange(false);
    }
    // A click on no row deselects every row first: done here, it is drawn once.
    if (Message.Msg == WM_LBUTTONDOWN && HandleAllocated() && !(Message.WParam & (MK_CONTROL | MK_SHIFT))) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (ListView_HitTest(Handle(), &hit) < 0 && ManyMayChange(false)) ClearSelection();
    }
    if (once) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    TWinControl::DefaultHandler(Message);
    if (!once) return;
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, FALSE);
}

TListItem* TCustomListView::GetItemAt(int X, int Y) const {
    if (!HandleAllocated()) return nullptr;
    LVHITTESTINFO info{};
    info.pt = POINT{X, Y};
    const int index = ListView_HitTest(const_cast<TCustomListView*>(this)->Handle(), &info);
    return (info.flags & LVHT_ONITEM) ? items_->Find(index) : nullptr;
}

TListItem* TCustomListView::TopItem() const {
    if (!HandleAllocated()) return nullptr;
    return items_->Find(ListView_GetTopIndex(const_cast<TCustomListView*>(this)->Handle()));
}

int TCustomListView::VisibleRowCount() const {
    if (!HandleAllocated()) return 0;
    return ListView_GetCountPerPage(const_cast<TCustomListView*>(this)->Handle());
}

void TCustomListView::Clear() {
    items_->Clear();
}

void TCustomListView::CustomSort(const std::function<int(TListItem*, TListItem*)>& Compare) {
    items_->Sort([&](TListItem* A, TListItem* B) { return Compare(A, B) < 0; });
}

void TCustomListView::ItemCountChanged(bool OnlyAppended) {
    if (!HandleAllocated()) return;
    // Rows added at the end need no repaint of the rows in view.
    const LPARAM flags = OnlyAppended ? LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL : LVSICF_NOSCROLL;
    const HWND wnd = Handle();
    // The icon views place every new row, and Wine repaints each one as it does:
    // drawing is off while they are placed, and the list is drawn once after.
    const bool icons = (viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon) && IsWindowVisible(wnd);
    if (icons) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(wnd, LVM_SETITEMCOUNT, WPARAM(items_->Count()), flags);
    if (icons) {
        SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(wnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void TCustomListView::ColClick(TListColumn* Column) {
    if (OnColumnClick) OnColumnClick(this, Column);
}

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
    if (OnChange) OnChange(this, Item, Change);
}

void TCustomListView::Delete(TListItem* Item) {
    if (OnDeletion) OnDeletion(this, Item);
}

bool TCustomListView::CanEdit(TListItem* Item) {
    bool allow = !readOnly_;
    if (allow && OnEditing) OnEditing(this, Item, allow);
    return allow;
}

void TCustomListView::Edit(TListItem* Item, const std::wstring* Text) {
    if (!Text) return;
    std::wstring caption = *Text;
    if (OnEdited) OnEdited(this, Item, caption);
    Item->SetCaption(caption);
}

void TCustomListView::GetImageIndex(TListItem* Item) {
    if (OnGetImageIndex) OnGetImageIndex(this, Item);
}

bool TCustomListView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
    if (Stage != cdPrePaint) return false;
    if (Target == dtControl) return bool(OnAdvancedCustomDraw);
    return Target == dtItem && bool(OnAdvancedCustomDrawItem);
}

bool TCustomListView::CustomDrawItem(TListItem* Item, UINT State, TCustomDrawStage Stage) {
    bool defaultDraw = true;
    if (OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, Item, State, Stage, defaultDraw);
    return defaultDraw;
}

TCanvas* TCustomListView::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>();
    return canvas_.get();
}

TCustomImageList* TCustomListView::GetDragImages() {
    if (!HandleAllocated()) return nullptr;
    const int row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED);
    if (row < 0) return nullptr;
    POINT origin{};
    const HIMAGELIST picture = ListView_CreateDragImage(Handle(), row, &origin);
    if (!picture) return nullptr;
    int width = 0, height = 0;
    ImageList_GetIconSize(picture, &width, &height);
    dragImages_ = std::make_unique<TImageList>(nullptr, width, height);
    dragImages_->SetHandle(picture);
    return dragImages_.get();
}

LRESULT TCustomListView::HandleCustomDraw(NMLVCUSTOMDRAW& Draw) {
    switch (Draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: {
        if (IsCustomDrawn(dtControl, cdPrePaint) && !CustomDraw(Draw.nmcd.rc, cdPrePaint)) return CDRF_SKIPDEFAULT;
        return IsCustomDrawn(dtItem, cdPrePaint) ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT: return IsCustomDrawn(dtItem, cdPrePaint) ? ItemPrePaint(Draw) : CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

LRESULT TCustomListView::ItemPrePaint(NMLVCUSTOMDRAW& Draw) {
    TListItem* item = items_->Find(int(Draw.nmcd.dwItemSpec));
    if (!item) return CDRF_DODEFAULT;
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    const TColor text = canvas->Font()->Color(), back = canvas->Brush()->Color();
    bool drawn = false;
    {
        CanvasLease lease(canvas, Draw.nmcd.hdc);
        drawn = !CustomDrawItem(item, Draw.nmcd.uItemState, cdPrePaint);
    }
    if (drawn) return CDRF_SKIPDEFAULT;
    // The handler's colours and font go to the list's own drawing of the row.
    if (canvas->Font()->Color() != text) Draw.clrText = ColorToRGB(canvas->Font()->Color());
    if (canvas->Brush()->Color() != back) Draw.clrTextBk = ColorToRGB(canvas->Brush()->Color());
    SelectObject(Draw.nmcd.hdc, canvas->Font()->Handle());
    return CDRF_NEWFONT;
}

bool TCustomListView::CustomDraw(const RECT& ARect, TCustomDrawStage Stage) {
    bool defaultDraw = true;
    if (OnAdvancedCustomDraw) OnAdvancedCustomDraw(this, ARect, Stage, defaultDraw);
    return defaultDraw;
}

void TCustomListView::GetDispInfo(NMLVDISPINFOW& Info) {
    LVITEMW& lv = Info.item;
    TListItem* item = items_->Find(lv.iItem);
    if (!item) return;
    if (lv.mask & LVIF_IMAGE) {
        GetImageIndex(item);
        // The handler may have removed rows.
        if (items_->Find(lv.iItem) != item) return;
        lv.iImage = item->ImageIndex();
    }
    if (lv.mask & LVIF_TEXT) {
        const TListSubItems* subItems = lv.iSubItem > 0 ? &item->SubItems() : nullptr;
        const std::wstring& text = lv.iSubItem == 0                   ? item->Caption()
                                   : lv.iSubItem <= subItems->Count() ? subItems->Strings(lv.iSubItem - 1)
                                                                      : textBuffer_;
        if (lv.pszText && lv.cchTextMax > 0) lstrcpynW(lv.pszText, text.c_str(), lv.cchTextMax);
    }
    if (lv.mask & LVIF_STATE) {
        UINT state = 0;
        if (item->StateIndex() >= 0) state |= INDEXTOSTATEIMAGEMASK(UINT(item->StateIndex() + 1));
        // Overlay images are numbered from 0; the window counts them from 1.
        if (item->OverlayIndex() >= 0) state |= INDEXTOOVERLAYMASK(UINT(std::min(item->OverlayIndex() + 1, 15)));
        if (item->Cut()) state |= LVIS_CUT;
        lv.state = (lv.state & ~lv.stateMask) | (state & lv.stateMask);
    }
}

void TCustomListView::HandleNotify(TMessage& Message) {
    auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
    switch (header->code) {
    case LVN_GETDISPINFOW: GetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(header)); break;
    case LVN_ODFINDITEMW: Message.Result = -1; break;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        if (column >= 0 && column < columns_->Count()) ColClick(columns_->Items(column));
        break;
    }
    case LVN_BEGINLABELEDITW: {
        TListItem* item = items_->Find(reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem);
        Message.Result = item && CanEdit(item) ? FALSE : TRUE;  // TRUE refuses the edit
        break;
    }
    case LVN_ENDLABELEDITW: {
        const LVITEMW& edited = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if (TListItem* item = items_->Find(edited.iItem)) {
            const std::wstring text = edited.pszText ? edited.pszText : L"";
            Edit(item, edited.pszText ? &text : nullptr);
        }
        // The rows are ours: the caption was set (or not) above.
        Message.Result = FALSE;
        break;
    }
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && change->iItem >= 0 && !restoringState_)
            if (TListItem* item = items_->Find(change->iItem)) Change(item, ctState);
        break;
    }
    case NM_CUSTOMDRAW: Message.Result = HandleCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header)); break;
    default: break;
    }
}

void TCustomListView::WndProc(TMessage& Message) {
    if (Message.Msg == CN_NOTIFY) {
        HandleNotify(Message);
        return;
    }
    if (Message.Msg == CM_COLORCHANGED) ApplyColor();
    TWinControl::WndProc(Message);
}

}  // namespace fw
