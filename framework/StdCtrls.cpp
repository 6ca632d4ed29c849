#include "framework/StdCtrls.h"

#include <algorithm>

#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"

namespace fw {

namespace {

const wchar_t kInsertLineError[] = L"Unable to insert a line";

}  // namespace

// --- TCustomComboBoxStrings ------------------------------------------------------------

LRESULT TCustomComboBoxStrings::Send(UINT Msg, WPARAM WParam, LPARAM LParam) const {
    return SendMessageW(comboBox_->Handle(), Msg, WParam, LParam);
}

void TCustomComboBoxStrings::CheckIndex(int Index, int Count) const {
    if (Index < 0 || Index >= Count) ErrorIndex(Index);
}

int TCustomComboBoxStrings::GetCount() const {
    if (inWindow_) return int(Send(CB_GETCOUNT));
    return int(kept_.size());
}

std::wstring TCustomComboBoxStrings::Get(int Index) const {
    if (!inWindow_) {
        CheckIndex(Index, int(kept_.size()));
        return kept_[size_t(Index)].text;
    }
    const LRESULT length = Send(CB_GETLBTEXTLEN, WPARAM(Index));
    if (length == CB_ERR || Index < 0) ErrorIndex(Index);
    std::wstring text(size_t(length) + 1, L'\0');
    const LRESULT n = Send(CB_GETLBTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(text.data()));
    if (n == CB_ERR) ErrorIndex(Index);
    text.resize(size_t(std::clamp<LRESULT>(n, 0, length)));
    return text;
}

TObject* TCustomComboBoxStrings::GetObject(int Index) const {
    if (!inWindow_) {
        CheckIndex(Index, int(kept_.size()));
        return kept_[size_t(Index)].object;
    }
    const LRESULT data = Send(CB_GETITEMDATA, WPARAM(Index));
    if (data == CB_ERR || Index < 0) ErrorIndex(Index);
    return reinterpret_cast<TObject*>(data);
}

void TCustomComboBoxStrings::PutObject(int Index, TObject* AObject) {
    if (!inWindow_) {
        CheckIndex(Index, int(kept_.size()));
        kept_[size_t(Index)].object = AObject;
        return;
    }
    if (Index < 0 || Send(CB_SETITEMDATA, WPARAM(Index), reinterpret_cast<LPARAM>(AObject)) == CB_ERR)
        ErrorIndex(Index);
}

int TCustomComboBoxStrings::Add(const std::wstring& S) {
    if (inWindow_) {
        const LRESULT index = Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
        if (index < 0) throw EOutOfResources(kInsertLineError);
        return int(index);
    }
    size_t index = kept_.size();
    if (comboBox_->Sorted()) {
        // After its equals, as the sorted window list puts it.
        index = size_t(std::upper_bound(kept_.begin(), kept_.end(), S,
                                        [this](const std::wstring& s, const Item& item) {
                                            return CompareStrings(s, item.text) < 0;
                                        }) -
                       kept_.begin());
    }
    kept_.insert(kept_.begin() + std::ptrdiff_t(index), Item{S, nullptr});
    if (comboBox_->itemIndex_ >= int(index)) ++comboBox_->itemIndex_;
    return int(index);
}

void TCustomComboBoxStrings::Insert(int Index, const std::wstring& S) {
    if (inWindow_) {
        if (Index < 0 || Index > GetCount()) ErrorIndex(Index);
        if (Send(CB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
            throw EOutOfResources(kInsertLineError);
        return;
    }
    if (Index < 0 || Index > int(kept_.size())) ErrorIndex(Index);
    kept_.insert(kept_.begin() + Index, Item{S, nullptr});
    if (comboBox_->itemIndex_ >= Index) ++comboBox_->itemIndex_;
}

void TCustomComboBoxStrings::Delete(int Index) {
    if (inWindow_) {
        if (Index < 0 || Send(CB_DELETESTRING, WPARAM(Index)) == CB_ERR) ErrorIndex(Index);
        return;
    }
    CheckIndex(Index, int(kept_.size()));
    kept_.erase(kept_.begin() + Index);
    int& selected = comboBox_->itemIndex_;
    if (selected == Index) selected = -1;
    else if (selected > Index) --selected;
}

void TCustomComboBoxStrings::Clear() {
    if (inWindow_) {
        const std::wstring text = comboBox_->Text();
        Send(CB_RESETCONTENT);
        comboBox_->SetText(text);
        comboBox_->Update();
        return;
    }
    kept_.clear();
    comboBox_->itemIndex_ = -1;
    if (!comboBox_->HasEdit()) comboBox_->text_.clear();
}

int TCustomComboBoxStrings::IndexOf(const std::wstring& S) const {
    if (!inWindow_) return TStrings::IndexOf(S);
    const LRESULT index = Send(CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(S.c_str()));
    return index == CB_ERR ? -1 : int(index);
}

void TCustomComboBoxStrings::SetUpdateState(bool Updating) {
    if (!inWindow_) return;
    Send(WM_SETREDRAW, Updating ? FALSE : TRUE);
    if (!Updating) comboBox_->Refresh();
}

void TCustomComboBoxStrings::LoadIntoWindow() {
    if (inWindow_) return;
    const HWND wnd = comboBox_->Handle();
    std::vector<Item> items;
    items.swap(kept_);
    inWindow_ = true;
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    for (const Item& item : items) {
        const LRESULT index = SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
        if (index < 0) {
            SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
            throw EOutOfResources(kInsertLineError);
        }
        SendMessageW(wnd, CB_SETITEMDATA, WPARAM(index), reinterpret_cast<LPARAM>(item.object));
    }
    if (UpdateCount() == 0) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

void TCustomComboBoxStrings::SaveFromWindow() {
    if (!inWindow_) return;
    const int count = GetCount();
    std::vector<Item> items;
    items.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) items.push_back(Item{Get(i), GetObject(i)});
    kept_.swap(items);
    inWindow_ = false;
}

// --- TCustomComboBox -----------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {
    // The system class handles the mouse itself: no capture, no clicks from presses.
    controlStyle_ = csSetCaption | csDoubleClicks | csFixedHeight | csReflector;
    width_ = 145;
    height_ = 21;
    SetTabStop(true);
    SetParentColor(false);
}

TCustomComboBox::~TCustomComboBox() {
    // The canvas goes with the object; the window (destroyed by the base) no longer uses it.
    canvas_.reset();
}

std::unique_ptr<TCustomComboBoxStrings> TCustomComboBox::CreateItems() {
    return std::make_unique<TCustomComboBoxStrings>(this);
}

TStrings* TCustomComboBox::Items() const {
    if (!items_) {
        auto* self = const_cast<TCustomComboBox*>(this);
        items_ = self->CreateItems();
        // Made while the window exists: the (empty) window list is the list.
        if (HandleAllocated()) items_->inWindow_ = true;
    }
    return items_.get();
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
    if (Value == sorted_) return;
    sorted_ = Value;
    if (HandleAllocated()) {
        RecreateWnd();
        return;
    }
    if (!Value || !items_ || items_->inWindow_) return;
    // Sort the kept items, the selection following its item.
    auto& kept = items_->kept_;
    std::vector<size_t> order(kept.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return items_->CompareStrings(kept[a].text, kept[b].text) < 0; });
    std::vector<TCustomComboBoxStrings::Item> sorted;
    sorted.reserve(kept.size());
    int selected = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (int(order[i]) == itemIndex_) selected = int(i);
        sorted.push_back(kept[order[i]]);
    }
    kept.swap(sorted);
    itemIndex_ = selected;
}

int TCustomComboBox::ItemIndex() const {
    if (items_ && items_->inWindow_ && HandleAllocated())
        return int(SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int Value) {
    TCustomComboBoxStrings* items = static_cast<TCustomComboBoxStrings*>(Items());
    if (items->inWindow_) {
        SendMessageW(Handle(), CB_SETCURSEL, WPARAM(Value), 0);
        return;
    }
    // As the window does: an index outside the list clears the selection and the text.
    const bool valid = Value >= 0 && Value < items->Count();
    itemIndex_ = valid ? Value : -1;
    text_ = valid ? items->Strings(Value) : std::wstring();
}

void TCustomComboBox::SetText(const std::wstring& Value) {
    if (HasEdit()) {
        TWinControl::SetText(Value);
        return;
    }
    const int index = Items()->IndexOf(Value);
    if (index == ItemIndex()) return;
    // The text selects its item; a descendant's SetItemIndex (which may tell of a choice) is not asked.
    TCustomComboBox::SetItemIndex(index);
    Perform(CM_TEXTCHANGED, 0, 0);
}

bool TCustomComboBox::DroppedDown() const {
    if (!HandleAllocated()) return false;
    return SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

int TCustomComboBox::ItemHeight() const {
    if (IsOwnerDrawn() || !HandleAllocated()) return itemHeight_;
    return int(SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int Value) {
    if (Value <= 0) return;
    itemHeight_ = Value;
    if (IsOwnerDrawn()) RecreateWnd();  // owner-drawn heights are asked for when the window is made
    else if (HandleAllocated()) SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, Value);
}

void TCustomComboBox::SetMaxLength(int Value) {
    maxLength_ = std::max(Value, 0);
    if (HandleAllocated() && HasEdit()) SendMessageW(Handle(), CB_LIMITTEXT, WPARAM(maxLength_), 0);
}

int TCustomComboBox::SelStart() const {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return int(start);
}

int TCustomComboBox::SelLength() const {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return int(end - start);
}

void TCustomComboBox::SetSelStart(int Value) {
    if (HandleAllocated()) SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

void TCustomComboBox::SetSelLength(int Value) {
    const int start = SelStart();
    if (HandleAllocated()) SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + Value));
}

void TCustomComboBox::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

HWND TCustomComboBox::EditHandle() {
    if (!HandleAllocated() || !HasEdit()) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(Handle(), &info)) return nullptr;
    return info.hwndItem;
}

HWND TCustomComboBox::ListHandle() {
    if (!HandleAllocated()) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(Handle(), &info)) return nullptr;
    return info.hwndList;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"COMBOBOX");
    static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                    CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                    CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS};
    Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | kStyles[style_];
    if (sorted_) Params.Style |= CBS_SORT;
    // The height a drop-down combo box is made with is that of its open list.
    if (style_ != csSimple) Params.Height = height_ + itemHeight_ * std::max(dropDownCount_, 1) + 2;
}

void TCustomComboBox::CreateWnd() {
    TWinControl::CreateWnd();
    const HWND wnd = Handle();
    if (HasEdit() && maxLength_ > 0) SendMessageW(wnd, CB_LIMITTEXT, WPARAM(maxLength_), 0);
    auto* items = static_cast<TCustomComboBoxStrings*>(Items());
    int selected = itemIndex_;
    std::wstring selectedText;
    TObject* selectedObject = nullptr;
    if (!items->inWindow_ && selected >= 0 && selected < int(items->kept_.size())) {
        selectedText = items->kept_[size_t(selected)].text;
        selectedObject = items->kept_[size_t(selected)].object;
    }
    items->LoadIntoWindow();
    if (sorted_ && selected >= 0) {
        // The window sorted the items: find the selected one again.
        int index = items->IndexOf(selectedText);
        for (int i = index; i >= 0 && i < items->Count(); ++i) {
            if (items->Strings(i) != selectedText && i != index) break;
            if (items->Strings(i) == selectedText && items->Objects(i) == selectedObject) {
                index = i;
                break;
            }
        }
        selected = index;
    }
    if (selected >= 0) SendMessageW(wnd, CB_SETCURSEL, WPARAM(selected), 0);
    if (HasEdit() && TControl::GetText() != text_)
        SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text_.c_str()));
}

void TCustomComboBox::SaveWindowState() {
    if (!items_ || !items_->inWindow_) return;
    itemIndex_ = int(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    items_->SaveFromWindow();
}

void TCustomComboBox::DestroyWnd() {
    if (HandleAllocated()) SaveWindowState();
    TWinControl::DestroyWnd();
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect) OnSelect(this);
    else Change();
}

void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    canvas_->FillRect(Rect);
    if (Index >= 0) canvas_->TextOut(Rect.left + 2, Rect.top, Items()->Strings(Index));
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::AdjustDropDown() {
    if (style_ == csSimple || !HandleAllocated()) return;
    const int count = std::clamp(Items()->Count(), 1, std::max(dropDownCount_, 1));
    SetWindowPos(Handle(), nullptr, 0, 0, width_, height_ + ItemHeight() * count + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

int TCustomComboBox::FindPrefix(const std::wstring& Prefix) const {
    for (int i = 0; i < Items()->Count(); ++i) {
        const std::wstring item = Items()->Strings(i);
        if (item.size() >= Prefix.size() && AnsiSameText(item.substr(0, Prefix.size()), Prefix)) return i;
    }
    return -1;
}

bool TCustomComboBox::TypedInList(wchar_t Char) {
    if (Char < L' ' && Char != L'\b') return false;
    if (autoDropDown_ && !DroppedDown()) SetDroppedDown(true);
    if (!autoComplete_) return false;
    const DWORD now = GetTickCount();
    if (now - lastKeyTick_ > autoCompleteDelay_) searchText_.clear();
    lastKeyTick_ = now;
    if (Char == L'\b') {
        if (!searchText_.empty()) searchText_.pop_back();
        return true;
    }
    const int found = FindPrefix(searchText_ + Char);
    // A key that matches nothing is dropped, so what was found stays.
    if (found < 0) return true;
    searchText_ += Char;
    if (found != ItemIndex()) {
        // One typed choice is told once, by Select: a descendant's SetItemIndex is not asked.
        TCustomComboBox::SetItemIndex(found);
        Click();
        Select();
    }
    return true;
}

void TCustomComboBox::EditChanged() {
    HWND edit = EditHandle();
    if (!edit) return;
    const std::wstring text = TControl::GetText();
    // Only typing that added to the text is completed: a deletion stays a deletion.
    const bool grew = text.size() > typedText_.size();
    typedText_ = text;
    if (!grew || text.empty()) return;
    if (autoDropDown_ && !DroppedDown()) SetDroppedDown(true);
    if (!autoComplete_) return;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    if (end != text.size()) return;  // typed in the middle: left alone
    const int found = FindPrefix(text);
    if (found < 0) return;
    // The list moves to the item, whose text the edit shows with the part not
    // typed selected, so the next key replaces it.
    const bool changed = found != ItemIndex();
    SendMessageW(Handle(), CB_SETCURSEL, WPARAM(found), 0);
    typedText_ = text;
    SendMessageW(edit, EM_SETSEL, WPARAM(text.size()), LPARAM(-1));
    if (changed) Click();
}

void TCustomComboBox::HandleCommand(TMessage& Message) {
    switch (HIWORD(Message.WParam)) {
    case CBN_DBLCLK: DblClick(); break;
    case CBN_EDITCHANGE:
        EditChanged();
        Change();
        break;
    case CBN_DROPDOWN:
        DropDown();
        AdjustDropDown();
        break;
    case CBN_SELCHANGE: {
        // The edit part shows the chosen item before anyone hears of it.
        const int index = ItemIndex();
        if (HasEdit() && index >= 0) TWinControl::SetText(Items()->Strings(index));
        Click();
        Select();
        break;
    }
    case CBN_CLOSEUP: CloseUp(); break;
    case CBN_SETFOCUS:
        // Also when the edit part takes the focus, which the form does not see.
        if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
        break;
    default: break;
    }
    Message.Result = 0;
}

void TCustomComboBox::HandleDrawItem(TMessage& Message) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    const TOwnerDrawState state = item->itemState;
    const int index = int(item->itemID);
    canvas_->Lock();
    canvas_->SetHandle(item->hDC);
    try {
        canvas_->SetFont(Font());
        canvas_->SetBrush(Brush());
        if (index >= 0 && (state & odSelected)) {
            canvas_->Brush()->SetColor(clHighlight);
            canvas_->Font()->SetColor(clHighlightText);
        }
        if (index >= 0) DrawItem(index, item->rcItem, state);
        else canvas_->FillRect(item->rcItem);
        if (state & odFocused) DrawFocusRect(item->hDC, &item->rcItem);
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    Message.Result = 1;
}

void TCustomComboBox::HandleMeasureItem(TMessage& Message) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    int height = itemHeight_;
    if (style_ == csOwnerDrawVariable) MeasureItem(int(item->itemID), height);
    item->itemHeight = UINT(std::max(height, 0));
    Message.Result = 1;
}

void TCustomComboBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND: HandleCommand(Message); return;
    case WM_CHAR:
        if (!HasEdit() && TypedInList(wchar_t(Message.WParam))) {
            Message.Result = 0;
            return;
        }
        break;
    case WM_SETTEXT:
    case CB_SETCURSEL:
    case CB_SELECTSTRING:
        // A text the program puts in the edit part is where the user's typing starts from.
        TWinControl::WndProc(Message);
        if (HasEdit() && HandleAllocated()) typedText_ = TControl::GetText();
        return;
    case CN_DRAWITEM: HandleDrawItem(Message); return;
    case CN_MEASUREITEM: HandleMeasureItem(Message); return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // The edit and list windows inside ask their parent, this window: they
        // take the control's colours.
        Message.Result = Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    case WM_DESTROY:
        // Destroyed from outside (a foreign parent window going): keep the items.
        if (items_ && items_->inWindow_) {
            text_ = TControl::GetText();
            SaveWindowState();
        }
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
