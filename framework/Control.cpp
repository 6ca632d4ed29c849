#include "framework/Control.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

#include "framework/Exception.h"
#include "framework/Menus.h"
#include "framework/WinControl.h"

namespace fw {

namespace {

// Every control's creation number: aligned children are laid out in this order.
long long NextCreationIndex() {
    static long long counter = 0;
    return ++counter;
}

}  // namespace

TControl* TControl::captureControl_ = nullptr;

// --- Shift states ------------------------------------------------------------------

TShiftState KeysToShiftState(WORD Keys) {
    TShiftState s = 0;
    if (Keys & MK_SHIFT) s |= ssShift;
    if (Keys & MK_CONTROL) s |= ssCtrl;
    if (Keys & MK_LBUTTON) s |= ssLeft;
    if (Keys & MK_RBUTTON) s |= ssRight;
    if (Keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0 || (KeyData & 0x08000000)) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0 || (KeyData & 0x10000000)) s |= ssCtrl;
    if (KeyData & 0x20000000) s |= ssAlt;
    return s;
}

LPARAM ShiftStateToKeyData(TShiftState Shift) {
    LPARAM data = 0;
    if (Shift & ssAlt) data |= 0x20000000;
    if (Shift & ssCtrl) data |= 0x10000000;
    if (Shift & ssShift) data |= 0x08000000;
    return data;
}

TShiftState GetShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
    return s;
}

// --- TControl ------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), font_(std::make_unique<TFont>()), creationIndex_(NextCreationIndex()) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    font_->OnChange = [this](TObject*) { FontObjectChanged(); };
}

TControl::~TControl() {
    for (DestroyWatch* w = watches_; w; w = w->next_) w->control_ = nullptr;
    Destroying();
    WindowProc = nullptr;
    if (captureControl_ == this) SetCaptureControl(nullptr);
    if (parent_) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

void TControl::WndProc(TMessage& Message) {
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK) {
        // Without double clicks a second press is just a press.
        if (!(controlStyle_ & csDoubleClicks) &&
            (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK))
            Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        switch (Message.Msg) {
        case WM_LBUTTONDOWN: HandleMouseButton(Message, mbLeft, true, false); return;
        case WM_LBUTTONDBLCLK: HandleMouseButton(Message, mbLeft, true, true); return;
        case WM_LBUTTONUP: HandleMouseButton(Message, mbLeft, false, false); return;
        case WM_RBUTTONDOWN: HandleMouseButton(Message, mbRight, true, false); return;
        case WM_RBUTTONDBLCLK: HandleMouseButton(Message, mbRight, true, true); return;
        case WM_RBUTTONUP: HandleMouseButton(Message, mbRight, false, false); return;
        case WM_MBUTTONDOWN: HandleMouseButton(Message, mbMiddle, true, false); return;
        case WM_MBUTTONDBLCLK: HandleMouseButton(Message, mbMiddle, true, true); return;
        case WM_MBUTTONUP: HandleMouseButton(Message, mbMiddle, false, false); return;
        case WM_MOUSEMOVE:
            DefaultHandler(Message);
            if (!(controlStyle_ & csNoStdEvents))
                MouseMove(KeysToShiftState(WORD(Message.WParam)), GET_X_LPARAM(Message.LParam),
                          GET_Y_LPARAM(Message.LParam));
            return;
        default: break;
        }
    }
    switch (Message.Msg) {
    case WM_CONTEXTMENU: HandleContextMenu(Message); return;
    case WM_CANCELMODE:
        if (MouseCapture()) {
            SetMouseCapture(false);
            // The pressed state ends without a click: the release lies outside.
            Perform(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
        }
        DefaultHandler(Message);
        return;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED: Invalidate(); return;
    case CM_VISIBLECHANGED: InvalidateControl(true, visible_ && (controlStyle_ & csOpaque)); return;
    case CM_PARENTFONTCHANGED:
        if (parentFont_) {
            TFont* source = Message.WParam ? reinterpret_cast<TFont*>(Message.LParam)
                            : parent_      ? parent_->Font()
                                           : nullptr;
            if (source) font_->Assign(source);
            parentFont_ = true;
        }
        return;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_) {
            if (Message.WParam) SetColor(TColor(Message.LParam));
            else if (parent_) SetColor(parent_->Color());
            parentColor_ = true;
        }
        return;
    case CM_PARENTSHOWHINTCHANGED:
        if (parentShowHint_ && parent_) {
            SetShowHint(parent_->ShowHint());
            parentShowHint_ = true;
        }
        return;
    case CM_HITTEST: Message.Result = HTCLIENT; return;
    default: break;
    }
    DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
        if (!buffer || Message.WParam == 0) {
            Message.Result = 0;
            break;
        }
        const size_t n = std::min(text_.size(), size_t(Message.WParam) - 1);
        std::copy_n(text_.data(), n, buffer);
        buffer[n] = L'\0';
        Message.Result = LRESULT(n);
        break;
    }
    case WM_GETTEXTLENGTH: Message.Result = LRESULT(text_.size()); break;
    case WM_SETTEXT:
        text_ = Message.LParam ? reinterpret_cast<const wchar_t*>(Message.LParam) : L"";
        Message.Result = 1;
        break;
    default: break;
    }
}

void TControl::HandleMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool Double) {
    DefaultHandler(Message);
    const int x = GET_X_LPARAM(Message.LParam);
    const int y = GET_Y_LPARAM(Message.LParam);
    TShiftState shift = KeysToShiftState(WORD(Message.WParam));
    // A click handler may free the control: nothing of it is used after that.
    const DestroyWatch watch(this);
    if (Down) {
        if (Button == mbLeft) {
            if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
            controlState_ |= csLButtonDown;
            if (!Double && (controlStyle_ & csClickEvents)) controlState_ |= csClicked;
            if (Double && (controlStyle_ & csClickEvents)) DblClick();
            if (watch.Destroyed()) return;
        }
        if (Double) shift |= ssDouble;
        if (!(controlStyle_ & csNoStdEvents)) MouseDown(Button, shift, x, y);
    } else {
        if (Button == mbLeft) {
            controlState_ &= ~csLButtonDown;
            if (controlStyle_ & csCaptureMouse) SetMouseCapture(false);
            if (controlState_ & csClicked) {
                controlState_ &= ~csClicked;
                const RECT client = ClientRect();
                if (x >= client.left && x < client.right && y >= client.top && y < client.bottom) Click();
                if (watch.Destroyed()) return;
            }
        }
        if (!(controlStyle_ & csNoStdEvents)) MouseUp(Button, shift, x, y);
    }
}

void TControl::HandleContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    POINT pt{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    const bool keyboard = pt.x == -1 && pt.y == -1;
    const POINT client = keyboard ? POINT{width_ / 2, height_ / 2} : ScreenToClient(pt);
    bool handled = false;
    DoContextPopup(client, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (auto* menu = dynamic_cast<TPopupMenu*>(popupMenu_)) {
        if (keyboard) pt = ClientToScreen(POINT{0, 0});
        menu->SetPopupComponent(this);
        menu->Popup(pt.x, pt.y);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TControl::DoContextPopup(POINT MousePos, bool& Handled) {
    if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (AParent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    const bool sizeChanged = AWidth != width_ || AHeight != height_;
    InvalidateControl(visible_, false);
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    Invalidate();
    BoundsChanged(sizeChanged);
}

void TControl::BoundsChanged(bool SizeChanged) {
    if (SizeChanged && !HasState(csLoading)) Resize();
    RequestAlign();
}

RECT TControl::ClientRect() const {
    return RECT{0, 0, width_, height_};
}

void TControl::SetClientSize(int AWidth, int AHeight) {
    const RECT client = ClientRect();
    SetBounds(left_, top_, width_ - client.right + AWidth, height_ - client.bottom + AHeight);
}

POINT TControl::ClientOrigin() const {
    if (!parent_) return POINT{left_, top_};
    POINT p = parent_->ClientOrigin();
    p.x += left_;
    p.y += top_;
    return p;
}

POINT TControl::ClientToScreen(POINT Point) const {
    const POINT origin = ClientOrigin();
    return POINT{Point.x + origin.x, Point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT Point) const {
    const POINT origin = ClientOrigin();
    return POINT{Point.x - origin.x, Point.y - origin.y};
}

void TControl::RequestAlign() {
    if (parent_ && align_ != alNone) parent_->AlignControl(this);
}

void TControl::SetAlign(TAlign Value) {
    if (Value == align_) return;
    const TAlign old = align_;
    align_ = Value;
    if (parent_ && (old != alNone || Value != alNone)) parent_->AlignControl(this);
}

void TControl::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    try {
        Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    } catch (...) {
        // A notification that failed (OnShow) leaves the control as it was, so
        // the next change is tried again.
        visible_ = !Value;
        throw;
    }
    RequestAlign();
}

void TControl::Show() {
    SetVisible(true);
}

void TControl::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

std::wstring TControl::GetText() {
    const LRESULT length = Perform(WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(size_t(length) + 1, L'\0');
    const LRESULT n = Perform(WM_GETTEXT, WPARAM(length + 1), text.data());
    text.resize(size_t(std::clamp<LRESULT>(n, 0, length)));
    return text;
}

void TControl::SetText(const std::wstring& Value) {
    if (GetText() == Value) return;
    Perform(WM_SETTEXT, 0, Value.c_str());
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::FontObjectChanged() {
    parentFont_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (Value == parentFont_) return;
    parentFont_ = Value;
    if (parent_ && Value) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (Value == parentColor_) return;
    parentColor_ = Value;
    if (parent_ && Value) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
    if (Value == showHint_) return;
    showHint_ = Value;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (Value == parentShowHint_) return;
    parentShowHint_ = Value;
    if (parent_ && Value) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* Value) {
    if (Value == popupMenu_) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = Value;
    if (Value) Value->FreeNotification(this);
}

bool TControl::MouseCapture() const {
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (MouseCapture() == Value) return;
    SetCaptureControl(Value ? this : nullptr);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (IsVisible && parent_ && parent_->HandleAllocated()) {
        const RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, !IsOpaque);
    }
}

void TControl::Invalidate() {
    InvalidateControl(visible_, (controlStyle_ & csOpaque) != 0);
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::BringToFront() {
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.push_back(this);
    }
    if (IsWindowed()) {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        Invalidate();
    }
}

void TControl::SendToBack() {
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.insert(list.begin(), this);
    }
    if (IsWindowed()) {
        auto* w = static_cast<TWinControl*>(this);
        if (w->HandleAllocated())
            SetWindowPos(w->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        Invalidate();
    }
}

bool TControl::IsVisible() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

// --- Destroy watches -----------------------------------------------------------------

TControl::DestroyWatch::DestroyWatch(TControl* Control) : control_(Control), next_(Control->watches_) {
    Control->watches_ = this;
}

TControl::DestroyWatch::~DestroyWatch() {
    if (!control_) return;
    for (DestroyWatch** link = &control_->watches_; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

// --- Cursors -----------------------------------------------------------------------

namespace {

std::map<TCursor, HCURSOR>& RegisteredCursors() {
    static std::map<TCursor, HCURSOR> registered;
    return registered;
}

TCursor globalCursor = crDefault;

}  // namespace

void RegisterCursor(TCursor Cursor, HCURSOR Handle) {
    RegisteredCursors()[Cursor] = Handle;
}

HCURSOR CursorHandle(TCursor Cursor) {
    const auto& registered = RegisteredCursors();
    if (const auto it = registered.find(Cursor); it != registered.end()) return it->second;
    const wchar_t* id = IDC_ARROW;
    switch (Cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crNoDrop:
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
    }
    return LoadCursorW(nullptr, id);
}

TCursor GlobalCursor() {
    return globalCursor;
}

void SetGlobalCursor(TCursor Cursor) {
    globalCursor = Cursor;
}

// --- Mouse capture -------------------------------------------------------------------

TControl* GetCaptureControl() {
    TWinControl* window = FindControl(GetCapture());
    if (window && TControl::captureControl_ && TControl::captureControl_->Parent() == window)
        return TControl::captureControl_;
    return window;
}

void SetCaptureControl(TControl* Control) {
    const HWND current = GetCapture();
    TControl::captureControl_ = nullptr;
    if (current) ReleaseCapture();
    if (!Control) return;
    if (!Control->IsWindowed()) {
        if (!Control->Parent()) return;
        TControl::captureControl_ = Control;
        Control = Control->Parent();
    }
    SetCapture(static_cast<TWinControl*>(Control)->Handle());
}

}  // namespace fw
