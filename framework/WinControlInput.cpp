// The windowed control's messages: their dispatch, mouse, keys and focus.
#include "framework/WinControl.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Exception.h"

namespace fw {

// --- Mouse ---------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* control = nullptr;
    const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (handle_ && GetCapture() == handle_) {
        if (captureControl_ && captureControl_->parent_ == this) control = captureControl_;
    } else {
        control = ControlAtPos(p, false);
    }
    if (!control) return false;
    const int x = p.x - control->left_;
    const int y = p.y - control->top_;
    Message.Result = control->Perform(Message.Msg, Message.WParam, MAKELPARAM(WORD(x), WORD(y)));
    return true;
}

void TWinControl::TrackMouse(TMessage& Message) {
    if (!mouseInControl_ && handle_) {
        mouseInControl_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
        TrackMouseEvent(&track);
        Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
    }
    const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    SetHoverControl(ControlAtPos(p, true));
}

void TWinControl::SetHoverControl(TControl* Control) {
    if (Control == hoverControl_) return;
    TControl* old = hoverControl_;
    hoverControl_ = Control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    if (Control && hoverControl_ == Control) Control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Control));
}

// --- Keys and focus ------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
    TWinControl* form = HostForm();
    if (form && form != this && form->PreviewsKeys() && form->DoKeyDown(Message)) return true;
    if (!(controlStyle_ & csNoStdEvents)) {
        WORD key = WORD(Message.WParam);
        KeyDown(key, KeyDataToShiftState(Message.LParam));
        if (key == 0) return true;
        Message.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TWinControl* form = HostForm();
    if (form && form != this && form->PreviewsKeys() && form->DoKeyUp(Message)) return true;
    if (!(controlStyle_ & csNoStdEvents)) {
        WORD key = WORD(Message.WParam);
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        if (key == 0) return true;
        Message.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TWinControl* form = HostForm();
    if (form && form != this && form->PreviewsKeys() && form->DoKeyPress(Message)) return true;
    if (!(controlStyle_ & csNoStdEvents)) {
        wchar_t key = wchar_t(Message.WParam);
        KeyPress(key);
        if (key == 0) return true;
        Message.WParam = key;
    }
    return false;
}

void TWinControl::HandleKeyNotify(TMessage& Message) {
    Message.Result = 1;
    if (!HasState(csDesigning)) {
        if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
        UINT mask = 0;
        switch (Message.WParam) {
        case VK_TAB: mask = DLGC_WANTTAB; break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: mask = DLGC_WANTARROWS; break;
        case VK_RETURN:
        case VK_EXECUTE:
        case VK_ESCAPE:
        case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
        default: break;
        }
        if (mask && Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
            TWinControl* root = RootControl();
            if (root && root->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
        }
    }
    Message.Result = 0;
}

void TWinControl::HandleCharNotify(TMessage& Message) {
    Message.Result = 1;
    if (!HasState(csDesigning)) {
        TWinControl* root = RootControl();
        if (Message.Msg == CN_SYSCHAR) {
            if (Message.WParam != VK_SPACE && root && root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
                return;
        } else if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && root &&
                   root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) {
            return;
        }
    }
    Message.Result = 0;
}

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    const TWinControl* c = this;
    while (true) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (!c->parent_) break;
        c = c->parent_;
    }
    return c->IsForm() || c->parentWindow_ != nullptr;
}

void TWinControl::SetFocus() {
    if (TWinControl* form = HostForm()) {
        form->FocusControlOnForm(this);
    } else if (RootControl()->parentWindow_) {
        ::SetFocus(Handle());
    } else {
        throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
    }
}

void TWinControl::RemoveFocus(bool Removing) {
    if (TWinControl* form = HostForm()) form->DefocusControlOnForm(this, Removing);
}

void TWinControl::SetTabStop(bool Value) {
    if (Value == tabStop_) return;
    tabStop_ = Value;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
        style = Value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP));
        SetWindowLongPtrW(handle_, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
    if (!parent_) return -1;
    const auto& list = parent_->tabList_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!parent_) return;
    auto& list = parent_->tabList_;
    const int current = TabOrder();
    if (current < 0) return;
    Value = std::clamp(Value, 0, int(list.size()) - 1);
    if (Value == current) return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const int n = int(list.size());
    if (n == 0) return nullptr;
    int start = int(std::find(list.begin(), list.end(), CurControl) - list.begin());
    if (start == n) start = GoForward ? n - 1 : 0;
    int i = start;
    do {
        if (GoForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        TWinControl* c = list[size_t(i)];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->parent_ == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) c->SetFocus();
}

// --- Messages -----------------------------------------------------------------------------

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message) {
    TWinControl* control = FindControl(ControlHandle);
    if (!control || control == this) return false;
    Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return true;
}

void TWinControl::HandleSetCursor(TMessage& Message) {
    if (reinterpret_cast<HWND>(Message.WParam) == handle_ && LOWORD(Message.LParam) == HTCLIENT) {
        TCursor cursor = GlobalCursor();
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            TControl* control = ControlAtPos(ScreenToClient(p), false);
            if (control) cursor = control->Cursor();
            if (cursor == crDefault) cursor = Cursor();
        }
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::HandleColorNotify(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    SetBkColor(dc, ColorToRGB(brush_->Color()));
    Message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

// --- The message dispatch ---------------------------------------------------------------------

void TWinControl::WndProc(TMessage& Message) {
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK) {
        HandleMouse(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_MOUSELEAVE: HandleMouseLeave(Message); return;
    case WM_MOUSEWHEEL: HandleMouseWheel(Message); return;
    case WM_CANCELMODE: HandleCancelMode(Message); return;
    case WM_SETFOCUS: HandleSetFocus(Message); return;
    case WM_KILLFOCUS: HandleKillFocus(Message); return;
    case WM_NCHITTEST: HandleNcHitTest(Message); return;
    case WM_PAINT: HandlePaint(Message); return;
    case WM_PRINTCLIENT: HandlePrintClient(Message); return;
    case WM_ERASEBKGND: HandleEraseBackground(Message); return;
    case WM_SIZE:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED: HandleWindowMoved(Message); return;
    case WM_SETCURSOR: HandleSetCursor(Message); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: HandleKeyDown(Message); return;
    case WM_KEYUP:
    case WM_SYSKEYUP: HandleKeyUp(Message); return;
    case WM_CHAR: HandleChar(Message); return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: HandleKeyNotify(Message); return;
    case CN_CHAR:
    case CN_SYSCHAR: HandleCharNotify(Message); return;
    case WM_CONTEXTMENU: HandleChildContextMenu(Message); return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: HandleChildNotify(Message); return;
    case WM_MEASUREITEM: HandleMeasureItem(Message); return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: HandleColorNotify(Message); return;
    case WM_NCDESTROY: HandleNcDestroy(Message); return;
    case CM_ENABLEDCHANGED: HandleEnabledChanged(); return;
    case CM_VISIBLECHANGED: HandleVisibleChanged(); return;
    case CM_SHOWINGCHANGED: HandleShowingChanged(); return;
    case CM_FONTCHANGED: HandleFontChanged(); return;
    case CM_COLORCHANGED: HandleColorChanged(); return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_CURSORCHANGED: HandleCursorChanged(); return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
    case CM_SYSCOLORCHANGE: Broadcast(Message); return;
    case CM_CHILDKEY: HandleChildKey(Message); return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_INVALIDATE: Invalidate(); return;
    case CM_RECREATEWND: RecreateWnd(); return;
    default: TControl::WndProc(Message); return;
    }
}

// --- Message handlers ------------------------------------------------------------------------

void TWinControl::HandleMouse(TMessage& Message) {
    // Tracking first, then the windowless child under the mouse gets the message.
    if (Message.Msg == WM_MOUSEMOVE) TrackMouse(Message);
    if (IsControlMouseMsg(Message)) {
        if (Message.Result == 0 && handle_) DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TControl::WndProc(Message);
}

void TWinControl::HandleMouseLeave(TMessage& Message) {
    SetHoverControl(nullptr);
    if (mouseInControl_) {
        mouseInControl_ = false;
        Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
    }
    DefaultHandler(Message);
}

void TWinControl::HandleMouseWheel(TMessage& Message) {
    const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (DoMouseWheel(KeysToShiftState(LOWORD(Message.WParam)), short(HIWORD(Message.WParam)), p)) {
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::HandleCancelMode(TMessage& Message) {
    if (handle_ && GetCapture() == handle_ && captureControl_ && captureControl_->parent_ == this)
        captureControl_->Perform(WM_CANCELMODE, 0, 0);
    TControl::WndProc(Message);
}

void TWinControl::HandleSetFocus(TMessage& Message) {
    TWinControl* form = HostForm();
    if (form && !form->FocusedControlChanging(this)) return;
    DefaultHandler(Message);
}

void TWinControl::HandleKillFocus(TMessage& Message) {
    if (controlState_ & csFocusing) return;
    DefaultHandler(Message);
}

void TWinControl::HandleNcHitTest(TMessage& Message) {
    DefaultHandler(Message);
    if (Message.Result == HTTRANSPARENT) {
        const POINT p = ScreenToClient(POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        if (ControlAtPos(p, false)) Message.Result = HTCLIENT;
    }
}

void TWinControl::HandleWindowMoved(TMessage& Message) {
    DefaultHandler(Message);
    UpdateBounds();
}

void TWinControl::HandleKeyDown(TMessage& Message) {
    if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::HandleKeyUp(TMessage& Message) {
    if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::HandleChar(TMessage& Message) {
    if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::HandleChildContextMenu(TMessage& Message) {
    if (Message.Result == 0 && !(GET_X_LPARAM(Message.LParam) == -1 && GET_Y_LPARAM(Message.LParam) == -1)) {
        const POINT p = ScreenToClient(POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        if (TControl* c = ControlAtPos(p, false)) {
            Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
            if (Message.Result != 0) return;
        }
    }
    TControl::WndProc(Message);
}

namespace {

// The child window a notification to its parent comes from, or nullptr.
HWND NotifySource(const TMessage& Message) {
    switch (Message.Msg) {
    case WM_NOTIFY: return reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        return item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_DELETEITEM: return reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam)->hwndItem;
    case WM_COMPAREITEM: return reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam)->hwndItem;
    default: return reinterpret_cast<HWND>(Message.LParam);
    }
}

}  // namespace

void TWinControl::HandleChildNotify(TMessage& Message) {
    const HWND source = NotifySource(Message);
    if (source && DoControlMsg(source, Message)) return;
    DefaultHandler(Message);
}

void TWinControl::HandleMeasureItem(TMessage& Message) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    if (item->CtlType != ODT_MENU) {
        for (TControl* c : controls_) {
            if (!c->IsWindowed()) continue;
            auto* w = static_cast<TWinControl*>(c);
            if (UINT(w->controlId_) == item->CtlID) {
                Message.Result = w->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
                return;
            }
        }
    }
    DefaultHandler(Message);
}

void TWinControl::HandleEnabledChanged() {
    if (!Enabled() && parent_) RemoveFocus(false);
    if (handle_) EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::HandleVisibleChanged() {
    if (!Visible() && parent_) RemoveFocus(false);
    UpdateControlState();
}

void TWinControl::HandleFontChanged() {
    Invalidate();
    if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::HandleColorChanged() {
    brush_->SetColor(Color());
    Invalidate();
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::HandleCursorChanged() {
    if (!handle_) return;
    POINT p;
    GetCursorPos(&p);
    if (WindowFromPoint(p) == handle_)
        SendMessageW(handle_, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void TWinControl::HandleChildKey(TMessage& Message) {
    if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

// --- Key messages of the loop ----------------------------------------------------------------

bool IsKeyMsg(MSG& Msg) {
    if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
    HWND wnd = GetCapture();
    if (!wnd || !FindControl(wnd)) {
        wnd = Msg.hwnd;
        while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
    }
    if (!wnd) return false;
    return SendMessageW(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

}  // namespace fw
