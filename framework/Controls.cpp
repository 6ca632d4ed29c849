#include "framework/Controls.h"

#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

namespace fw {

namespace {

const wchar_t kControlProp[] = L"fw.TWinControl";

// The control whose window is being created: its window procedure binds the new
// window to it at the first message, before CreateWindowExW returns.
thread_local TWinControl* creationControl = nullptr;
// A windowless control holding the mouse (its parent's window has the capture).
TControl* captureControl = nullptr;

std::mutex canvasListLock;
std::vector<TControlCanvas*> canvasList;

int NextControlId() {
    static int counter = 0;
    return 100 + (counter++ % 60000);
}

// Every control's creation number: aligned children are laid out in this order.
long long NextCreationIndex() {
    static long long counter = 0;
    return ++counter;
}

void HandleWindowException(TObject* Sender) {
    Application()->HandleException(Sender);
}

TWinControl* RootOf(TControl* Control) {
    TWinControl* root = Control->IsWindowed() ? static_cast<TWinControl*>(Control) : Control->Parent();
    while (root && root->Parent()) root = root->Parent();
    return root;
}

}  // namespace

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
    Destroying();
    WindowProc = nullptr;
    if (captureControl == this) SetCaptureControl(nullptr);
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
    if (Down) {
        if (Button == mbLeft) {
            if (controlStyle_ & csCaptureMouse) SetMouseCapture(true);
            controlState_ |= csLButtonDown;
            if (!Double && (controlStyle_ & csClickEvents)) controlState_ |= csClicked;
            if (Double && (controlStyle_ & csClickEvents)) DblClick();
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
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
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

// --- TControlCanvas -------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* Value) {
    if (Value == control_) return;
    FreeHandle();
    control_ = Value;
}

void TControlCanvas::CreateHandle() {
    if (!deviceContext_) {
        HWND window = nullptr;
        if (control_ && control_->IsWindowed()) {
            auto* w = static_cast<TWinControl*>(control_);
            if (w->HandleAllocated()) window = w->Handle();
        } else if (control_ && control_->Parent() && control_->Parent()->HandleAllocated()) {
            window = control_->Parent()->Handle();
        }
        if (window) {
            deviceContext_ = GetDC(window);
            window_ = window;
            memory_ = false;
            if (deviceContext_ && !control_->IsWindowed()) {
                // A windowless control draws on its parent, at its place.
                SetViewportOrgEx(deviceContext_, control_->Left(), control_->Top(), nullptr);
                IntersectClipRect(deviceContext_, 0, 0, control_->Width(), control_->Height());
            }
        }
        if (!deviceContext_) {
            deviceContext_ = CreateCompatibleDC(nullptr);
            window_ = nullptr;
            memory_ = true;
        }
        if (!deviceContext_) return;
        std::lock_guard<std::mutex> guard(canvasListLock);
        canvasList.push_back(this);
    }
    SetHandle(deviceContext_);
}

void TControlCanvas::FreeHandle() {
    if (!deviceContext_) return;
    SetHandle(nullptr);
    if (memory_) DeleteDC(deviceContext_);
    else ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
    window_ = nullptr;
    std::lock_guard<std::mutex> guard(canvasListLock);
    canvasList.erase(std::remove(canvasList.begin(), canvasList.end(), this), canvasList.end());
}

void FreeDeviceContexts() {
    std::vector<TControlCanvas*> canvases;
    {
        std::lock_guard<std::mutex> guard(canvasListLock);
        canvases = canvasList;
    }
    for (auto it = canvases.rbegin(); it != canvases.rend(); ++it) {
        TControlCanvas* canvas = *it;
        if (canvas->TryLock()) {
            canvas->FreeHandle();
            canvas->Unlock();
        }
    }
}

// --- TWinControl ------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), brush_(std::make_unique<TBrush>()), controlId_(NextControlId()) {
    brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
    Destroying();
    WindowProc = nullptr;
    // Owned components first (a form's controls), then children held but not
    // owned; their windows go before this one.
    DestroyComponents();
    while (!controls_.empty()) delete controls_.back();
    if (parent_) {
        parent_->RemoveControl(this);
    } else {
        RemoveFocus(true);
        DestroyHandle();
    }
    if (captureControl && !captureControl->IsWindowed() && captureControl->Parent() == this) captureControl = nullptr;
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return controls_[size_t(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl || AControl->parent_ == this) return;
    if (AControl->parent_) AControl->parent_->RemoveControl(AControl);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    AControl->parent_ = this;
    controls_.push_back(AControl);
    if (AControl->IsWindowed()) tabList_.push_back(static_cast<TWinControl*>(AControl));
    if (!AControl->HasState(csReading)) {
        AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (AControl->IsWindowed()) static_cast<TWinControl*>(AControl)->UpdateControlState();
        else if (HandleAllocated()) AControl->Invalidate();
        AlignControl(AControl);
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->parent_ != this) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (AControl->IsWindowed()) {
        auto* w = static_cast<TWinControl*>(AControl);
        w->RemoveFocus(true);
        w->DestroyHandle();
    } else if (HandleAllocated()) {
        AControl->InvalidateControl(AControl->Visible(), false);
    }
    if (hoverControl_ == AControl) hoverControl_ = nullptr;
    if (captureControl == AControl) {
        captureControl = nullptr;
        if (handle_ && GetCapture() == handle_) ReleaseCapture();
    }
    controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), AControl), tabList_.end());
    AControl->parent_ = nullptr;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    Realign();
}

bool TWinControl::ContainsControl(const TControl* AControl) const {
    for (const TControl* c = AControl; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() && !AllowWinControls) continue;
        if (!c->visible_ || !(c->enabled_ || AllowDisabled)) continue;
        const int x = Pos.x - c->left_;
        const int y = Pos.y - c->top_;
        if (x >= 0 && x < c->width_ && y >= 0 && y < c->height_ &&
            c->Perform(CM_HITTEST, 0, MAKELPARAM(WORD(x), WORD(y))) != 0)
            return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    // A copy: a handler may add or remove controls.
    const std::vector<TControl*> list = controls_;
    for (TControl* c : list) {
        if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
        if (c->WindowProc) c->WindowProc(Message);
        else c->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT Msg) {
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

// --- Layout ---------------------------------------------------------------------------

void TWinControl::DisableAlign() {
    ++alignLevel_;
}

void TWinControl::EnableAlign() {
    if (alignLevel_ > 0 && --alignLevel_ == 0 && (controlState_ & csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl) {
    if (HasState(csDestroying)) return;
    if (alignLevel_ != 0 || HasState(csLoading)) {
        controlState_ |= csAlignmentNeeded;
        return;
    }
    DisableAlign();
    controlState_ |= csAligning;
    try {
        RECT r = ClientRect();
        AdjustClientRect(r);
        AlignControls(AControl, r);
    } catch (...) {
        controlState_ &= ~(csAlignmentNeeded | csAligning);
        --alignLevel_;
        throw;
    }
    // Requests the children made while being placed are answered by this pass.
    controlState_ &= ~(csAlignmentNeeded | csAligning);
    EnableAlign();
}

void TWinControl::AdjustClientRect(RECT& Rect) const {
    (void)Rect;
}

void TWinControl::AlignControls(TControl* AControl, RECT& Rect) {
    (void)AControl;
    std::vector<TControl*> list;
    for (TControl* c : controls_)
        if (c->align_ != alNone && c->align_ != alCustom && c->visible_) list.push_back(c);
    std::stable_sort(list.begin(), list.end(),
                     [](const TControl* a, const TControl* b) { return a->creationIndex_ < b->creationIndex_; });
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : list) {
            if (c->align_ != align) continue;
            const int w = std::max<int>(0, Rect.right - Rect.left);
            const int h = std::max<int>(0, Rect.bottom - Rect.top);
            switch (align) {
            case alTop:
                c->SetBounds(Rect.left, Rect.top, w, c->height_);
                Rect.top += c->height_;
                break;
            case alBottom:
                c->SetBounds(Rect.left, Rect.bottom - c->height_, w, c->height_);
                Rect.bottom -= c->height_;
                break;
            case alLeft:
                c->SetBounds(Rect.left, Rect.top, c->width_, h);
                Rect.left += c->width_;
                break;
            case alRight:
                c->SetBounds(Rect.right - c->width_, Rect.top, c->width_, h);
                Rect.right -= c->width_;
                break;
            case alClient: c->SetBounds(Rect.left, Rect.top, w, h); break;
            default: break;
            }
        }
    }
}

// --- Bounds -----------------------------------------------------------------------------

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    if (handle_ && !IsIconic(handle_)) {
        // The window reports where it went (WM_WINDOWPOSCHANGED → UpdateBounds).
        SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBounds();
        return;
    }
    const bool sizeChanged = AWidth != width_ || AHeight != height_;
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    BoundsChanged(sizeChanged);
}

void TWinControl::UpdateBounds() {
    if (!handle_ || IsIconic(handle_)) return;
    RECT r;
    if (!GetWindowRect(handle_, &r)) return;
    if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(handle_)) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (r.left == left_ && r.top == top_ && w == width_ && h == height_) return;
    const bool sizeChanged = w != width_ || h != height_;
    left_ = r.left;
    top_ = r.top;
    width_ = w;
    height_ = h;
    BoundsChanged(sizeChanged);
}

void TWinControl::BoundsChanged(bool SizeChanged) {
    if (SizeChanged) Realign();
    TControl::BoundsChanged(SizeChanged);
}

namespace {

// The frame a window of these styles puts around its client area.
RECT FrameOf(DWORD Style, DWORD ExStyle) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, Style, FALSE, ExStyle);
    return frame;
}

}  // namespace

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, 0, 0};
    if (handle_) {
        GetClientRect(handle_, &r);
        return r;
    }
    TCreateParams p;
    const_cast<TWinControl*>(this)->CreateParams(p);
    const RECT frame = FrameOf(p.Style, p.ExStyle);
    r.right = std::max<int>(0, width_ - (frame.right - frame.left));
    r.bottom = std::max<int>(0, height_ - (frame.bottom - frame.top));
    return r;
}

POINT TWinControl::ClientOrigin() const {
    POINT p{0, 0};
    if (handle_) {
        ::ClientToScreen(handle_, &p);
        return p;
    }
    p = TControl::ClientOrigin();
    TCreateParams params;
    const_cast<TWinControl*>(this)->CreateParams(params);
    const RECT frame = FrameOf(params.Style, params.ExStyle);
    p.x -= frame.left;
    p.y -= frame.top;
    return p;
}

// --- Window creation ----------------------------------------------------------------------

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = text_;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (controlStyle_ & csAcceptsControls) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (!Enabled()) Params.Style |= WS_DISABLED;
    if (tabStop_) Params.Style |= WS_TABSTOP;
    Params.X = left_;
    Params.Y = top_;
    Params.Width = width_;
    Params.Height = height_;
    Params.WndParent = parent_ && parent_->handle_ ? parent_->handle_ : parentWindow_;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | ((controlStyle_ & csDoubleClicks) ? CS_DBLCLKS : 0);
    Params.WindowClass.lpfnWndProc = DefWindowProcW;
    Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Params.WindowClass.hbrBackground = nullptr;
    Params.WindowClass.hInstance = GetModuleHandleW(nullptr);
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName) {
    WNDCLASSW wc{};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), ControlClassName, &wc) &&
        !GetClassInfoW(nullptr, ControlClassName, &wc))
        throw EInvalidOperation(std::wstring(L"Window class not found: ") + ControlClassName);
    const UINT keep = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.style = (wc.style & ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS)) |
               (Params.WindowClass.style & keep & ~CS_DBLCLKS) | (wc.style & CS_DBLCLKS);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = nullptr;
    wc.lpszMenuName = nullptr;
    Params.WindowClass = wc;
}

namespace {

// Registers the window class Params describes, with the common window procedure,
// and returns the name it has. Classes that differ in base procedure, style or
// extra bytes get distinct names.
std::wstring RegisterControlClass(const TCreateParams& Params) {
    static std::map<std::wstring, std::wstring> registered;
    const WNDCLASSW& source = Params.WindowClass;
    wchar_t key[128];
    swprintf(key, 128, L"|%p|%x|%d|%d|%p|%p", reinterpret_cast<void*>(source.lpfnWndProc), source.style,
             source.cbClsExtra, source.cbWndExtra, reinterpret_cast<void*>(source.hCursor),
             reinterpret_cast<void*>(source.hbrBackground));
    const std::wstring fullKey = Params.WinClassName + key;
    auto found = registered.find(fullKey);
    if (found != registered.end()) return found->second;
    std::wstring name = Params.WinClassName.empty() ? L"TWinControl" : Params.WinClassName;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int n = 1;; ++n) {
        WNDCLASSW existing{};
        if (!GetClassInfoW(instance, name.c_str(), &existing)) break;
        name = Params.WinClassName + L"." + std::to_wstring(n);
    }
    WNDCLASSW wc = source;
    wc.lpfnWndProc = TWinControl::StdWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = name.c_str();
    wc.lpszMenuName = nullptr;
    if (!RegisterClassW(&wc)) RaiseLastOSError();
    registered[fullKey] = name;
    return name;
}

}  // namespace

void TWinControl::CreateWnd() {
    if (parent_) parent_->HandleNeeded();
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD))
        throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
    defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcW;
    CreateWindowHandle(params);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    const std::wstring className = RegisterControlClass(Params);
    TWinControl* outer = creationControl;
    creationControl = this;
    const HMENU id = (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(INT_PTR(controlId_)) : nullptr;
    HWND wnd =
        CreateWindowExW(Params.ExStyle, className.c_str(), Params.Caption.c_str(), Params.Style, Params.X, Params.Y,
                        Params.Width, Params.Height, Params.WndParent, id, GetModuleHandleW(nullptr), Params.Param);
    const DWORD error = GetLastError();
    creationControl = outer;
    if (!wnd) {
        handle_ = nullptr;
        RaiseLastOSError(error ? error : ERROR_INVALID_WINDOW_HANDLE);
    }
    handle_ = wnd;
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    controlState_ |= csCreating;
    try {
        CreateWnd();
    } catch (...) {
        controlState_ &= ~csCreating;
        throw;
    }
    controlState_ &= ~csCreating;
    UpdateBounds();
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 1);
    // The children's windows keep the order of the list.
    if (parent_) {
        HWND after = HWND_TOP;
        for (TWinControl* c : parent_->tabList_) {
            if (c == this) break;
            if (c->handle_) after = c->handle_;
        }
        if (after != HWND_TOP) SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    Realign();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    // The focus leaves the windows about to go first, so that it does not pass
    // from child to parent while they go, and never lands on a control that is
    // being destroyed.
    const HWND focus = GetFocus();
    if (focus && (focus == handle_ || IsChild(handle_, focus))) {
        TWinControl* target = parent_;
        while (target && (target->HasState(csDestroying) || !target->handle_)) target = target->parent_;
        ::SetFocus(target ? target->handle_ : nullptr);
    }
    for (TControl* c : controls_)
        if (c->IsWindowed()) static_cast<TWinControl*>(c)->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    // The window's text lives on in the object until the window is made again.
    text_ = TControl::GetText();
    FreeDeviceContexts();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    if (!handle_) return;
    controlState_ |= csDestroyingHandle;
    HWND wnd = handle_;
    DestroyWindow(wnd);
    controlState_ &= ~csDestroyingHandle;
    if (handle_ == wnd) {
        // Destroyed elsewhere or from another thread: forget it all the same.
        RemovePropW(wnd, kControlProp);
        handle_ = nullptr;
    }
    showing_ = false;
    mouseInControl_ = false;
    hoverControl_ = nullptr;
}

void TWinControl::HandleNcDestroy() {
    showing_ = false;
    mouseInControl_ = false;
    hoverControl_ = nullptr;
}

HWND TWinControl::Handle() {
    if (!handle_) CreateHandle();
    return handle_;
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    const bool wasFocused = Focused();
    // Every window inside is made again, in the order of the tree.
    std::vector<TWinControl*> had;
    std::vector<TWinControl*> pending{this};
    while (!pending.empty()) {
        TWinControl* c = pending.back();
        pending.pop_back();
        if (!c->handle_) continue;
        had.push_back(c);
        for (auto it = c->controls_.rbegin(); it != c->controls_.rend(); ++it)
            if ((*it)->IsWindowed()) pending.push_back(static_cast<TWinControl*>(*it));
    }
    controlState_ |= csRecreating;
    try {
        DestroyHandle();
        for (TWinControl* c : had) c->HandleNeeded();
        UpdateControlState();
    } catch (...) {
        controlState_ &= ~csRecreating;
        throw;
    }
    controlState_ &= ~csRecreating;
    if (wasFocused && handle_) ::SetFocus(handle_);
}

void TWinControl::SetParentWindow(HWND Value) {
    if (parent_ || Value == parentWindow_) return;
    if (handle_ && parentWindow_ && Value) {
        parentWindow_ = Value;
        ::SetParent(handle_, Value);
    } else {
        DestroyHandle();
        parentWindow_ = Value;
    }
    UpdateControlState();
}

void TWinControl::UpdateShowing() {
    const bool show = Visible() && !HasState(csDestroying);
    if (show) {
        if (!handle_) CreateHandle();
        for (TControl* c : std::vector<TControl*>(controls_))
            if (c->IsWindowed()) static_cast<TWinControl*>(c)->UpdateShowing();
    }
    if (handle_ && showing_ != show) {
        showing_ = show;
        try {
            Perform(CM_SHOWINGCHANGED, 0, 0);
        } catch (...) {
            showing_ = !show;
            throw;
        }
    }
}

void TWinControl::UpdateControlState() {
    TWinControl* c = this;
    while (c->parent_) {
        c = c->parent_;
        if (!c->showing_) return;
    }
    if (dynamic_cast<TCustomForm*>(c) || c->parentWindow_) UpdateShowing();
}

void TWinControl::HandleShowingChanged() {
    SetWindowPos(
        handle_, nullptr, 0, 0, 0, 0,
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

// --- Painting ------------------------------------------------------------------------------

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !(controlStyle_ & csOpaque));
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::PaintWindow(HDC DC) {
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(m);
}

namespace {

// BeginPaint/EndPaint for one WM_PAINT, unless the message brings its own context.
// EndPaint also runs when a paint handler throws: a window left invalid would be
// sent WM_PAINT again at once, and the error reported without end.
class PaintScope {
public:
    PaintScope(HWND Wnd, HDC Given) : wnd_(Wnd), dc_(Given), own_(!Given) {
        if (own_) dc_ = BeginPaint(wnd_, &ps_);
    }
    ~PaintScope() {
        if (own_) EndPaint(wnd_, &ps_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC DC() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
    bool own_;
    PAINTSTRUCT ps_{};
};

// SaveDC now, RestoreDC on leaving (also by an exception).
class SavedDC {
public:
    explicit SavedDC(HDC DC) : dc_(DC), saved_(SaveDC(DC)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// Lends DC to Canvas, locked, for one Paint call, and takes it back however Paint ends.
class CanvasLease {
public:
    CanvasLease(TCanvas* Canvas, HDC DC) : canvas_(Canvas) {
        canvas_->Lock();
        canvas_->SetHandle(DC);
    }
    ~CanvasLease() {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    CanvasLease(const CanvasLease&) = delete;
    CanvasLease& operator=(const CanvasLease&) = delete;

private:
    TCanvas* canvas_;
};

}  // namespace

void TWinControl::PaintHandler(TMessage& Message) {
    const PaintScope paint(handle_, reinterpret_cast<HDC>(Message.WParam));
    const HDC dc = paint.DC();
    {
        const SavedDC saved(dc);
        int clip = SIMPLEREGION;
        // Opaque windowless children cover their part: the window does not paint under them.
        for (TControl* c : controls_) {
            if (c->IsWindowed() || !c->visible_ || !(c->controlStyle_ & csOpaque)) continue;
            clip = ExcludeClipRect(dc, c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
            if (clip == NULLREGION) break;
        }
        if (clip != NULLREGION) PaintWindow(dc);
    }
    PaintControls(dc, nullptr);
    Message.Result = 0;
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    const std::vector<TControl*> list = controls_;
    auto start = First ? std::find(list.begin(), list.end(), First) : list.begin();
    if (start == list.end()) start = list.begin();
    for (auto it = start; it != list.end(); ++it) {
        TControl* c = *it;
        if (c->IsWindowed() || !c->visible_) continue;
        const RECT r = c->BoundsRect();
        if (!RectVisible(DC, &r)) continue;
        const SavedDC saved(DC);
        POINT origin;
        GetWindowOrgEx(DC, &origin);
        SetWindowOrgEx(DC, origin.x - c->left_, origin.y - c->top_, nullptr);
        IntersectClipRect(DC, 0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    }
}

// --- Mouse ---------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
    TControl* control = nullptr;
    const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (handle_ && GetCapture() == handle_) {
        if (captureControl && captureControl->parent_ == this) control = captureControl;
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
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message)) return true;
    if (!(controlStyle_ & csNoStdEvents)) {
        WORD key = WORD(Message.WParam);
        KeyDown(key, KeyDataToShiftState(Message.LParam));
        if (key == 0) return true;
        Message.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message)) return true;
    if (!(controlStyle_ & csNoStdEvents)) {
        WORD key = WORD(Message.WParam);
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        if (key == 0) return true;
        Message.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message)) return true;
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
            TWinControl* root = RootOf(this);
            if (root && root->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
        }
    }
    Message.Result = 0;
}

void TWinControl::HandleCharNotify(TMessage& Message) {
    Message.Result = 1;
    if (!HasState(csDesigning)) {
        TWinControl* root = RootOf(this);
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
    return dynamic_cast<const TCustomForm*>(c) != nullptr || c->parentWindow_ != nullptr;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this)) {
        form->FocusControl(this);
    } else if (RootOf(this)->parentWindow_) {
        ::SetFocus(Handle());
    } else {
        throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
    }
}

void TWinControl::RemoveFocus(bool Removing) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
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
        TCursor cursor = Screen()->Cursor();
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            TControl* control = ControlAtPos(ScreenToClient(p), false);
            if (control) cursor = control->Cursor();
            if (cursor == crDefault) cursor = Cursor();
        }
        if (cursor != crDefault) {
            ::SetCursor(Screen()->Cursors(cursor));
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

void TWinControl::MainWndProc(TMessage& Message) {
    try {
        if (WindowProc) WindowProc(Message);
        else WndProc(Message);
    } catch (...) {
        // Unwinding through the system's dispatch code is not safe: report here.
        HandleWindowException(this);
    }
    FreeDeviceContexts();
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* control = static_cast<TWinControl*>(GetPropW(Wnd, kControlProp));
    if (!control) {
        control = creationControl;
        if (!control || control->handle_) return DefWindowProcW(Wnd, Msg, WParam, LParam);
        creationControl = nullptr;
        control->handle_ = Wnd;
        SetPropW(Wnd, kControlProp, control);
    }
    if (Msg == CM_RELEASE) {
        delete control;
        return 0;
    }
    TMessage m{Msg, WParam, LParam, 0};
    control->MainWndProc(m);
    return m.Result;
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (handle_) {
        Message.Result = CallWindowProcW(defWndProc_, handle_, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TControl::DefaultHandler(Message);
}

void TWinControl::WndProc(TMessage& Message) {
    const UINT msg = Message.Msg;
    // Mouse messages: tracking, then the windowless child under the mouse gets them.
    if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) {
        if (msg == WM_MOUSEMOVE) TrackMouse(Message);
        if (IsControlMouseMsg(Message)) {
            if (Message.Result == 0 && handle_) DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        TControl::WndProc(Message);
        return;
    }
    switch (msg) {
    case WM_MOUSELEAVE:
        SetHoverControl(nullptr);
        if (mouseInControl_) {
            mouseInControl_ = false;
            Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
        }
        DefaultHandler(Message);
        return;
    case WM_MOUSEWHEEL: {
        const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (DoMouseWheel(KeysToShiftState(LOWORD(Message.WParam)), short(HIWORD(Message.WParam)), p)) {
            Message.Result = 1;
            return;
        }
        DefaultHandler(Message);
        return;
    }
    case WM_CANCELMODE:
        if (handle_ && GetCapture() == handle_ && captureControl && captureControl->parent_ == this)
            captureControl->Perform(WM_CANCELMODE, 0, 0);
        break;
    case WM_SETFOCUS: {
        TCustomForm* form = GetParentForm(this);
        if (form && !form->SetFocusedControl(this)) return;
        DefaultHandler(Message);
        return;
    }
    case WM_KILLFOCUS:
        if (controlState_ & csFocusing) return;
        DefaultHandler(Message);
        return;
    case WM_NCHITTEST:
        DefaultHandler(Message);
        if (Message.Result == HTTRANSPARENT) {
            const POINT p = ScreenToClient(POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
            if (ControlAtPos(p, false)) Message.Result = HTCLIENT;
        }
        return;
    case WM_PAINT: {
        bool graphic = false;
        for (TControl* c : controls_) graphic = graphic || !c->IsWindowed();
        if (!(controlState_ & csCustomPaint) && !graphic) DefaultHandler(Message);
        else PaintHandler(Message);
        return;
    }
    case WM_PRINTCLIENT:
        // Drawing into a given context (a parent drawing its background for a
        // themed child, a print): the same as painting, for windows we paint.
        if (defWndProc_ != DefWindowProcW && !(controlState_ & csCustomPaint)) break;
        if (Message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, Message.WParam, 0);
        if (Message.LParam & PRF_CLIENT) {
            TMessage paint{WM_PAINT, Message.WParam, 0, 0};
            PaintHandler(paint);
        }
        Message.Result = 0;
        return;
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        if ((controlStyle_ & csParentBackground) && parent_ && IsThemeActive()) {
            DrawThemeParentBackground(handle_, dc, nullptr);
        } else if (handle_) {
            RECT r;
            GetClientRect(handle_, &r);
            ::FillRect(dc, &r, brush_->Handle());
        }
        Message.Result = 1;
        return;
    }
    case WM_SIZE:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(Message);
        UpdateBounds();
        return;
    case WM_SETCURSOR: HandleSetCursor(Message); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!DoKeyDown(Message)) DefaultHandler(Message);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(Message)) DefaultHandler(Message);
        return;
    case WM_CHAR:
        if (!DoKeyPress(Message)) DefaultHandler(Message);
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: HandleKeyNotify(Message); return;
    case CN_CHAR:
    case CN_SYSCHAR: HandleCharNotify(Message); return;
    case WM_CONTEXTMENU:
        if (Message.Result == 0 && !(GET_X_LPARAM(Message.LParam) == -1 && GET_Y_LPARAM(Message.LParam) == -1)) {
            const POINT p = ScreenToClient(POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
            if (TControl* c = ControlAtPos(p, false)) {
                Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
                if (Message.Result != 0) return;
            }
        }
        break;
    case WM_COMMAND:
        if (Message.LParam && DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) return;
        DefaultHandler(Message);
        return;
    case WM_NOTIFY:
        if (DoControlMsg(reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom, Message)) return;
        DefaultHandler(Message);
        return;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        if (item->CtlType != ODT_MENU && DoControlMsg(item->hwndItem, Message)) return;
        DefaultHandler(Message);
        return;
    }
    case WM_MEASUREITEM: {
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
        return;
    }
    case WM_DELETEITEM: {
        auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
        if (DoControlMsg(item->hwndItem, Message)) return;
        DefaultHandler(Message);
        return;
    }
    case WM_COMPAREITEM: {
        auto* item = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
        if (DoControlMsg(item->hwndItem, Message)) return;
        DefaultHandler(Message);
        return;
    }
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
    case WM_CTLCOLORSTATIC:
        if (Message.LParam && DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) return;
        DefaultHandler(Message);
        return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: HandleColorNotify(Message); return;
    case WM_NCDESTROY:
        DefaultHandler(Message);
        if (handle_) RemovePropW(handle_, kControlProp);
        handle_ = nullptr;
        HandleNcDestroy();
        return;
    case CM_ENABLEDCHANGED:
        if (!Enabled() && parent_) RemoveFocus(false);
        if (handle_) EnableWindow(handle_, Enabled());
        Invalidate();
        return;
    case CM_VISIBLECHANGED:
        if (!Visible() && parent_) RemoveFocus(false);
        UpdateControlState();
        return;
    case CM_SHOWINGCHANGED: HandleShowingChanged(); return;
    case CM_FONTCHANGED:
        Invalidate();
        if (handle_) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
        NotifyControls(CM_PARENTFONTCHANGED);
        return;
    case CM_COLORCHANGED:
        brush_->SetColor(Color());
        Invalidate();
        NotifyControls(CM_PARENTCOLORCHANGED);
        return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_CURSORCHANGED:
        if (handle_) {
            POINT p;
            GetCursorPos(&p);
            if (WindowFromPoint(p) == handle_)
                SendMessageW(handle_, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        }
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
    case CM_SYSCOLORCHANGE: Broadcast(Message); return;
    case CM_CHILDKEY:
        if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
        return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_INVALIDATE: Invalidate(); return;
    case CM_RECREATEWND: RecreateWnd(); return;
    default: break;
    }
    TControl::WndProc(Message);
}

// --- TGraphicControl and TCustomControl -------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        if (Message.WParam && !HasState(csDestroying)) {
            const CanvasLease lease(canvas_.get(), reinterpret_cast<HDC>(Message.WParam));
            Paint();
        }
        return;
    }
    TControl::WndProc(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {
    controlState_ |= csCustomPaint;
}

TCustomControl::~TCustomControl() {
    // The canvas goes with the object; the window (destroyed by the base) no longer uses it.
    canvas_.reset();
}

void TCustomControl::PaintWindow(HDC DC) {
    if (!canvas_) return;
    const CanvasLease lease(canvas_.get(), DC);
    Paint();
}

// --- Free routines ---------------------------------------------------------------------------

TWinControl* FindControl(HWND Handle) {
    if (!Handle) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(Handle, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    return static_cast<TWinControl*>(GetPropW(Handle, kControlProp));
}

TWinControl* FindVCLWindow(POINT Pos) {
    for (HWND wnd = WindowFromPoint(Pos); wnd; wnd = GetParent(wnd))
        if (TWinControl* c = FindControl(wnd)) return c;
    return nullptr;
}

TControl* FindDragTarget(POINT Pos, bool AllowDisabled) {
    TWinControl* window = FindVCLWindow(Pos);
    if (!window) return nullptr;
    TControl* control = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled);
    return control ? control : window;
}

TControl* GetCaptureControl() {
    TWinControl* window = FindControl(GetCapture());
    if (window && captureControl && captureControl->Parent() == window) return captureControl;
    return window;
}

void SetCaptureControl(TControl* Control) {
    const HWND current = GetCapture();
    captureControl = nullptr;
    if (current) ReleaseCapture();
    if (!Control) return;
    if (!Control->IsWindowed()) {
        if (!Control->Parent()) return;
        captureControl = Control;
        Control = Control->Parent();
    }
    SetCapture(static_cast<TWinControl*>(Control)->Handle());
}

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
