#include "framework/InplaceEdit.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Handles.h"

namespace fw {

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetVisible(false);
    SetTabStop(false);
    controlStyle_ &= ~unsigned(csCaptureMouse);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    Params.Style =
        (Params.Style & ~DWORD(WS_BORDER | WS_TABSTOP)) | WS_CHILD | WS_CLIPSIBLINGS | ES_MULTILINE | ES_AUTOHSCROLL;
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TInplaceEdit::ShowAt(const RECT& Rect) {
    SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
    if (!TControl::Visible()) SetVisible(true);
    BoundsChanged(true);
}

void TInplaceEdit::HideEdit() {
    if (TControl::Visible()) SetVisible(false);
}

bool TInplaceEdit::IsShown() {
    return HandleAllocated() && IsWindowVisible(Handle());
}

void TInplaceEdit::UpdateContents() {
    if (!grid_) return;
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, WPARAM(grid_->GetEditLimit()), 0);
}

void TInplaceEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TInplaceEdit::Deselect() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(-1), 0);
}

RECT TInplaceEdit::EditRect() {
    RECT r = ClientRect();
    // The text sits where the grid draws a cell's text.
    r.left += 2;
    r.top += 2;
    return r;
}

void TInplaceEdit::BoundsChanged(bool SizeChanged) {
    TWinControl::BoundsChanged(SizeChanged);
    if (HandleAllocated()) {
        RECT r = EditRect();
        SendMessageW(Handle(), EM_SETRECTNP, 0, LPARAM(&r));
    }
}

void TInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS |
                         ((grid_ && (grid_->Options() & goTabs)) ? DLGC_WANTTAB : 0);
        return;
    case WM_SETFOCUS:
        TWinControl::WndProc(Message);
        if (grid_) grid_->InvalidateCell(grid_->Col(), grid_->Row());
        return;
    default: break;
    }
    TWinControl::WndProc(Message);
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if (!grid_ || Key == 0) return;
    auto caretAt = [this](bool atEnd) {
        DWORD start = 0, end = 0;
        SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
        if (start != end) return false;
        return atEnd ? int(end) >= GetWindowTextLengthW(Handle()) : start == 0;
    };
    bool toGrid = false;
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_F2: toGrid = true; break;
    case VK_TAB: toGrid = (grid_->Options() & goTabs) != 0; break;
    case VK_LEFT: toGrid = HandleAllocated() && caretAt(false); break;
    case VK_RIGHT: toGrid = HandleAllocated() && caretAt(true); break;
    case VK_HOME:
    case VK_END: toGrid = (Shift & ssCtrl) != 0; break;
    default: break;
    }
    if (toGrid) {
        grid_->KeyDown(Key, Shift);
        Key = 0;
    }
}

void TInplaceEdit::KeyPress(wchar_t& Key) {
    TWinControl::KeyPress(Key);
    // Enter, Escape and Tab are the grid's; the edit would only beep at them.
    if (Key == L'\r' || Key == 27 || Key == L'\t') Key = 0;
    else if (grid_ && Key >= L' ' && !grid_->CanEditModify()) Key = 0;
}

// ===========================================================================
// TPopupListbox

TPopupListbox::TPopupListbox(TComponent* AOwner) : TWinControl(AOwner), items_(new TStringList) {
    SetVisible(false);
    SetTabStop(false);
}

TPopupListbox::~TPopupListbox() {
    delete items_;
}

void TPopupListbox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"LISTBOX");
    Params.Style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TPopupListbox::LoadItems() {
    HWND h = Handle();
    SendMessageW(h, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < items_->Count(); ++i) SendMessageW(h, LB_ADDSTRING, 0, LPARAM(items_->Strings(i).c_str()));
}

int TPopupListbox::ItemIndex() const {
    if (!HandleAllocated()) return -1;
    return int(SendMessageW(const_cast<TPopupListbox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TPopupListbox::SetItemIndex(int Value) {
    SendMessageW(Handle(), LB_SETCURSEL, WPARAM(Value), 0);
}

void TPopupListbox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    case WM_LBUTTONUP: {
        TWinControl::WndProc(Message);
        RECT client = ClientRect();
        const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (OnCloseUp) OnCloseUp(PtInRect(&client, p) && ItemIndex() >= 0);
        return;
    }
    default: break;
    }
    TWinControl::WndProc(Message);
}

// ===========================================================================
// TInplaceEditList

TInplaceEditList::TInplaceEditList(TComponent* AOwner)
    : TInplaceEdit(AOwner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL)) {}

TPopupListbox* TInplaceEditList::PickList() {
    if (!pickList_) {
        pickList_ = new TPopupListbox(this);
        pickList_->OnCloseUp = [this](bool Accept) { CloseUp(Accept); };
    }
    return pickList_;
}

void TInplaceEditList::SetEditStyle(TEditStyle Value) {
    if (Value == editStyle_) return;
    editStyle_ = Value;
    BoundsChanged(true);
    if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TInplaceEditList::SetButtonWidth(int Value) {
    buttonWidth_ = Value;
    BoundsChanged(true);
}

RECT TInplaceEditList::ButtonRect() {
    RECT r = ClientRect();
    if (editStyle_ == esSimple) return RECT{r.right, r.top, r.right, r.bottom};
    r.left = std::max(r.left, r.right - buttonWidth_);
    return r;
}

RECT TInplaceEditList::EditRect() {
    RECT r = TInplaceEdit::EditRect();
    if (editStyle_ != esSimple) r.right = std::max(r.left, r.right - buttonWidth_);
    return r;
}

void TInplaceEditList::PaintButton(HDC DC) {
    if (editStyle_ == esSimple) return;
    RECT r = ButtonRect();
    if (editStyle_ == esPickList) {
        DrawFrameControl(DC, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (listVisible_ ? DFCS_PUSHED | DFCS_FLAT : 0));
    } else {
        DrawFrameControl(DC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
        // Three dots in the middle.
        const int cx = (r.left + r.right) / 2 + (pressed_ ? 1 : 0), cy = (r.top + r.bottom) / 2 + (pressed_ ? 1 : 0);
        const GdiObject<HBRUSH> dot(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
        for (int i = -1; i <= 1; ++i) {
            RECT d{cx + 3 * i - 1, cy - 1, cx + 3 * i + 1, cy + 1};
            FillRect(DC, &d, dot.get());
        }
    }
}

void TInplaceEditList::UpdateContents() {
    activeList_ = nullptr;
    TInplaceEdit::UpdateContents();
    if (Grid()) SetEditStyle(Grid()->GetEditStyle(Grid()->Col(), Grid()->Row()));
    if (editStyle_ == esPickList) activeList_ = PickList();
}

void TInplaceEditList::DropDown() {
    if (listVisible_ || !activeList_ || !HandleAllocated()) return;
    TPopupListbox* list = activeList_;
    list->SetParentWindow(Handle());
    list->LoadItems();
    const std::wstring text = Text();
    int index = -1;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Items()->Strings(i) == text) {
            index = i;
            break;
        }
    list->SetItemIndex(index);
    const int itemHeight = std::max(1, int(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0)));
    const int rows = std::max(1, std::min(list->Items()->Count(), 7));
    RECT window;
    GetWindowRect(Handle(), &window);
    const int height = rows * itemHeight + 2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(list->Handle(), HWND_TOPMOST, window.left, window.bottom, window.right - window.left, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    listVisible_ = true;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TInplaceEditList::CloseUp(bool Accept) {
    if (!listVisible_) return;
    TPopupListbox* list = activeList_ ? activeList_ : pickList_;
    listVisible_ = false;
    int index = -1;
    if (list && list->HandleAllocated()) {
        index = list->ItemIndex();
        SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
    if (Accept && list && index >= 0 && index < list->Items()->Count()) {
        SetText(list->Items()->Strings(index));
        SelectAll();
        // A multi-line edit reports no change for a text set from outside: the cell is told here.
        if (Grid()) Grid()->UpdateText();
    }
    if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TInplaceEditList::DoEditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

void TInplaceEditList::KeyDown(WORD& Key, TShiftState Shift) {
    if (listVisible_ && activeList_) {
        switch (Key) {
        case VK_RETURN:
            CloseUp(true);
            Key = 0;
            return;
        case VK_ESCAPE:
            CloseUp(false);
            Key = 0;
            return;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            if (!(Shift & ssAlt)) {
                SendMessageW(activeList_->Handle(), WM_KEYDOWN, Key, 0);
                Key = 0;
                return;
            }
            break;
        default: break;
        }
    }
    if (editStyle_ == esPickList && ((Key == VK_DOWN && (Shift & ssAlt)) || Key == VK_F4)) {
        if (listVisible_) CloseUp(false);
        else DropDown();
        Key = 0;
        return;
    }
    if (editStyle_ == esEllipsis && Key == VK_RETURN && (Shift & ssCtrl)) {
        DoEditButtonClick();
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TInplaceEditList::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: {
        TInplaceEdit::WndProc(Message);
        if (editStyle_ != esSimple && HandleAllocated()) {
            const WindowDC dc(Handle());
            PaintButton(dc.get());
        }
        return;
    }
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        RECT b = ButtonRect();
        if (PtInRect(&b, p)) {
            ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        RECT b = ButtonRect();
        if (PtInRect(&b, p)) {
            if (editStyle_ == esPickList) {
                if (listVisible_) CloseUp(false);
                else DropDown();
            } else {
                pressed_ = true;
                SetCapture(Handle());
                ::InvalidateRect(Handle(), &b, FALSE);
            }
            Message.Result = 0;
            return;
        }
        if (listVisible_) CloseUp(false);
        break;
    }
    case WM_LBUTTONUP:
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
            RECT b = ButtonRect();
            ::InvalidateRect(Handle(), &b, FALSE);
            const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            if (PtInRect(&b, p)) DoEditButtonClick();
            Message.Result = 0;
            return;
        }
        break;
    case WM_KILLFOCUS:
        if (listVisible_) CloseUp(false);
        break;
    case WM_CANCELMODE:
        if (listVisible_) CloseUp(false);
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
        }
        break;
    default: break;
    }
    TInplaceEdit::WndProc(Message);
}

}  // namespace fw
