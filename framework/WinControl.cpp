#include "framework/WinControl.h"

#include <uxtheme.h>

#include <algorithm>
#include <map>

#include "framework/ControlCanvas.h"
#include "framework/Exception.h"

namespace fw {

namespace {

const wchar_t kControlProp[] = L"fw.TWinControl";

// The control whose window is being created: its window procedure binds the new
// window to it at the first message, before CreateWindowExW returns.
thread_local TWinControl* creationControl = nullptr;

int NextControlId() {
    static int counter = 0;
    return 100 + (counter++ % 60000);
}

}  // namespace

// --- TWinControl ------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), brush_(std::make_unique<TBrush>()), controlId_(NextControlId()) {
    brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
    // The focus leaves the controls inside while they are whole: they get their
    // OnExit now, and this control, being destroyed, gets none.
    if (TWinControl* form = HostForm(); form && form != this) form->DefocusControlOnForm(this, true);
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
    if (captureControl_ && !captureControl_->IsWindowed() && captureControl_->Parent() == this)
        captureControl_ = nullptr;
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
    if (captureControl_ == AControl) {
        captureControl_ = nullptr;
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
            try {
                PlaceAligned(c, Rect);
            } catch (...) {
                // One child's failure (its OnResize) leaves the others placed.
                ReportException(c);
            }
        }
    }
}

namespace {

// The extent a child asks for: its own, or what it had before the layout cut it down.
int Wanted(int Current, int Clamped, int Unclamped) {
    return Current == Clamped ? Unclamped : Current;
}

// Cuts Wanted down to Room, remembering what it was.
int Fit(int Wanted, int Room, int& Clamped, int& Unclamped) {
    const int fit = std::min(Wanted, Room);
    Clamped = fit < Wanted ? fit : -1;
    Unclamped = Wanted;
    return fit;
}

}  // namespace

void TWinControl::PlaceAligned(TControl* Control, RECT& Rect) {
    // Each child gets at most the space that is left, never a place outside it.
    TControl* c = Control;
    const int w = std::max<int>(0, Rect.right - Rect.left);
    const int h = std::max<int>(0, Rect.bottom - Rect.top);
    const bool vertical = c->align_ == alTop || c->align_ == alBottom;
    const bool horizontal = c->align_ == alLeft || c->align_ == alRight;
    int height = 0, width = 0;
    if (vertical)
        height =
            Fit(Wanted(c->height_, c->clampedHeight_, c->unclampedHeight_), h, c->clampedHeight_, c->unclampedHeight_);
    if (horizontal)
        width = Fit(Wanted(c->width_, c->clampedWidth_, c->unclampedWidth_), w, c->clampedWidth_, c->unclampedWidth_);
    switch (c->align_) {
    case alTop:
        Rect.top += height;
        c->SetBounds(Rect.left, Rect.top - height, w, height);
        break;
    case alBottom:
        Rect.bottom -= height;
        c->SetBounds(Rect.left, Rect.bottom, w, height);
        break;
    case alLeft:
        Rect.left += width;
        c->SetBounds(Rect.left - width, Rect.top, width, h);
        break;
    case alRight:
        Rect.right -= width;
        c->SetBounds(Rect.right, Rect.top, width, h);
        break;
    case alClient: c->SetBounds(Rect.left, Rect.top, w, h); break;
    default: break;
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

void TWinControl::HandleNcDestroy(TMessage& Message) {
    DefaultHandler(Message);
    if (handle_) RemovePropW(handle_, kControlProp);
    handle_ = nullptr;
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
    if (c->IsForm() || c->parentWindow_) UpdateShowing();
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
        try {
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        } catch (...) {
            // One control's failure leaves the others painted.
            ReportException(c);
        }
    }
}

void TWinControl::HandlePaint(TMessage& Message) {
    bool graphic = false;
    for (TControl* c : controls_) graphic = graphic || !c->IsWindowed();
    if (!(controlState_ & csCustomPaint) && !graphic) DefaultHandler(Message);
    else PaintHandler(Message);
}

void TWinControl::HandlePrintClient(TMessage& Message) {
    // Drawing into a given context (a parent drawing its background for a themed
    // child, a print): the same as painting, for windows we paint.
    if (defWndProc_ != DefWindowProcW && !(controlState_ & csCustomPaint)) {
        TControl::WndProc(Message);
        return;
    }
    if (Message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, Message.WParam, 0);
    if (Message.LParam & PRF_CLIENT) {
        TMessage paint{WM_PAINT, Message.WParam, 0, 0};
        PaintHandler(paint);
    }
    Message.Result = 0;
}

void TWinControl::HandleEraseBackground(TMessage& Message) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    if ((controlStyle_ & csParentBackground) && parent_ && IsThemeActive()) {
        DrawThemeParentBackground(handle_, dc, nullptr);
    } else if (handle_) {
        RECT r;
        GetClientRect(handle_, &r);
        ::FillRect(dc, &r, brush_->Handle());
    }
    Message.Result = 1;
}

// --- The window procedure ------------------------------------------------------------------

void TWinControl::MainWndProc(TMessage& Message) {
    try {
        if (WindowProc) WindowProc(Message);
        else WndProc(Message);
    } catch (...) {
        // Unwinding through the system's dispatch code is not safe: report here.
        ReportException(this);
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

// --- Finding controls ----------------------------------------------------------------------

TWinControl* TWinControl::RootControl() {
    TWinControl* root = this;
    while (root->parent_) root = root->parent_;
    return root;
}

TWinControl* TWinControl::HostForm() const {
    TWinControl* root = const_cast<TWinControl*>(this)->RootControl();
    return root->IsForm() ? root : nullptr;
}

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

}  // namespace fw
