#include "framework/Hints.h"

#include <algorithm>
#include <memory>

#include "framework/AllocateHWnd.h"
#include "framework/AppEvents.h"

namespace fw {

// --- THintWindow ------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csOpaque;
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clInfoBk);
    Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int MaxWidth, const std::wstring& Hint) {
    RECT rect{0, 0, std::max(MaxWidth, 1), 0};
    std::wstring text = Hint;
    Canvas()->SetFont(Font());
    Canvas()->TextRect(rect, text, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    // Room for the border and a little margin around the text.
    rect.right += 6;
    rect.bottom += 4;
    return rect;
}

void THintWindow::ActivateHint(const RECT& Rect, const std::wstring& Hint) {
    SetCaption(Hint);
    SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate();
}

void THintWindow::ReleaseHandle() {
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
    RECT rect = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(rect);
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    InflateRect(&rect, -2, -1);
    std::wstring text = Caption();
    Canvas()->TextRect(rect, text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::WndProc(TMessage& Message) {
    if (Message.Msg == WM_NCHITTEST) {
        // The mouse falls through to the control below.
        Message.Result = HTTRANSPARENT;
        return;
    }
    if (Message.Msg == WM_MOUSEACTIVATE) {
        Message.Result = MA_NOACTIVATE;
        return;
    }
    TCustomControl::WndProc(Message);
}

// --- The application's hint handling ------------------------------------------------

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;

// The controller: which control the mouse rests on, and the hint shown for it.
THintWindow* MakePlainHintWindow(TComponent* AOwner) {
    return new THintWindow(AOwner);
}

// A component, so it hears when that control is freed.
class THintController : public TComponent {
public:
    THintController() : TComponent(nullptr), timers_([this](UINT m, WPARAM w, LPARAM l) { return Timer(m, w, l); }) {}

    void MouseMoved(POINT Pos);
    void Hide(bool Forget);
    bool Activate(POINT Pos);

    THintWindow* window_ = nullptr;
    THintWindowClass windowClass_ = nullptr;  // what made window_
    bool shown_ = false;
    std::wstring text_;
    RECT cursorRect_{};
    DWORD hiddenAt_ = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == TOperation::opRemove && AComponent == control_) {
            control_ = nullptr;
            Hide(true);
        }
    }

private:
    LRESULT Timer(UINT Msg, WPARAM WParam, LPARAM LParam);
    void SetControl(TControl* Control);
    void StartTimer(UINT_PTR Id, int Milliseconds) {
        SetTimer(timers_.Handle(), Id, UINT(std::max(Milliseconds, 1)), nullptr);
    }
    void StopTimer(UINT_PTR Id) { KillTimer(timers_.Handle(), Id); }

    TControl* control_ = nullptr;
    TMessageWindow timers_;
};

THintController& Controller() {
    // Never freed: the hint window may be asked for while the program shuts down.
    static THintController* controller = new THintController();
    return *controller;
}

// The control whose hint shows at a screen point: the one under it, or the
// nearest parent with ShowHint on.
TControl* HintControlAt(POINT Pos) {
    TControl* control = FindDragTarget(Pos, false);
    while (control && !control->ShowHint()) control = control->Parent();
    return control;
}

}  // namespace

LRESULT THintController::Timer(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg != WM_TIMER) return timers_.DefaultHandler(Msg, WParam, LParam);
    StopTimer(WParam);
    if (WParam == kShowTimer) {
        POINT pos;
        GetCursorPos(&pos);
        if (control_ && HintControlAt(pos) == control_) Activate(pos);
    } else if (WParam == kHideTimer) {
        Hide(false);
    }
    return 0;
}

void THintController::SetControl(TControl* Control) {
    if (Control == control_) return;
    if (control_) control_->RemoveFreeNotification(this);
    control_ = Control;
    if (control_) control_->FreeNotification(this);
}

void THintController::Hide(bool Forget) {
    StopTimer(kShowTimer);
    StopTimer(kHideTimer);
    if (shown_) hiddenAt_ = GetTickCount();
    shown_ = false;
    text_.clear();
    if (window_) window_->ReleaseHandle();
    if (Forget) {
        SetControl(nullptr);
        cursorRect_ = RECT{};
    }
}

void THintController::MouseMoved(POINT Pos) {
    TControl* control = HintSettings().ShowHint ? HintControlAt(Pos) : nullptr;
    // Still inside the rectangle the hint (or its refusal) was made for: nothing changes.
    if (control && control == control_ && PtInRect(&cursorRect_, Pos)) return;
    const bool recently = shown_ || (GetTickCount() - hiddenAt_) < DWORD(HintSettings().HintHidePause);
    Hide(true);
    if (!control) return;
    SetControl(control);
    // The control's client area, until a hint is asked for and narrows it.
    const POINT origin = control->ClientToScreen(POINT{0, 0});
    cursorRect_ = RECT{origin.x, origin.y, origin.x + control->ClientWidth(), origin.y + control->ClientHeight()};
    StartTimer(kShowTimer, recently ? HintSettings().HintShortPause : HintSettings().HintPause);
}

bool THintController::Activate(POINT Pos) {
    TControl* control = HintControlAt(Pos);
    Hide(true);
    if (!control) return false;
    SetControl(control);
    THintInfo info;
    info.HintControl = control;
    info.HintPos = POINT{Pos.x, Pos.y + GetSystemMetrics(SM_CYCURSOR) * 3 / 4};
    info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
    info.CursorRect = control->ClientRect();
    info.CursorPos = control->ScreenToClient(Pos);
    info.HintStr = GetShortHint(control->Hint());
    info.HintColor = HintSettings().HintColor;
    bool canShow = control->Perform(CM_HINTSHOW, 0, &info) == 0;
    if (canShow) TApplicationEvents::DoShowHint(info.HintStr, canShow, info);
    // The control may have gone in a handler.
    if (control_ != control) return false;
    const POINT topLeft = control->ClientToScreen(POINT{info.CursorRect.left, info.CursorRect.top});
    cursorRect_ = RECT{topLeft.x, topLeft.y, topLeft.x + info.CursorRect.right - info.CursorRect.left,
                       topLeft.y + info.CursorRect.bottom - info.CursorRect.top};
    if (!canShow || info.HintStr.empty()) return false;
    // A control may ask for a hint window of its own class: the window is made anew when the class changes.
    const THintWindowClass wanted = info.HintWindowClass ? info.HintWindowClass : MakePlainHintWindow;
    if (window_ && windowClass_ != wanted) {
        delete window_;
        window_ = nullptr;
    }
    if (!window_) {
        window_ = wanted(nullptr);
        windowClass_ = wanted;
    }
    window_->SetColor(info.HintColor);
    RECT rect = window_->CalcHintRect(info.HintMaxWidth, info.HintStr);
    OffsetRect(&rect, info.HintPos.x, info.HintPos.y);
    // Kept on the screen.
    const int screenRight = GetSystemMetrics(SM_CXSCREEN), screenBottom = GetSystemMetrics(SM_CYSCREEN);
    if (rect.right > screenRight) OffsetRect(&rect, screenRight - rect.right, 0);
    if (rect.bottom > screenBottom) OffsetRect(&rect, 0, Pos.y - 4 - rect.bottom);
    if (rect.left < 0) OffsetRect(&rect, -rect.left, 0);
    window_->ActivateHint(rect, info.HintStr);
    shown_ = true;
    text_ = info.HintStr;
    StartTimer(kHideTimer, info.HideTimeout > 0 ? info.HideTimeout : HintSettings().HintHidePause);
    return true;
}

THintSettings& HintSettings() {
    static THintSettings settings;
    return settings;
}

void HintMessage(const MSG& Msg) {
    switch (Msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: Controller().MouseMoved(Msg.pt); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // The hint goes, and stays away while the mouse rests where it is.
        if (Controller().shown_ || Controller().window_) Controller().Hide(false);
        break;
    default: break;
    }
}

bool ActivateHint(POINT CursorPos) {
    return Controller().Activate(CursorPos);
}

void CancelHint() {
    Controller().Hide(true);
}

THintWindow* ShownHintWindow() {
    return Controller().shown_ ? Controller().window_ : nullptr;
}

const std::wstring& ShownHintText() {
    return Controller().text_;
}

RECT ShownHintCursorRect() {
    return Controller().cursorRect_;
}

std::wstring GetShortHint(const std::wstring& Hint) {
    const size_t bar = Hint.find(L'|');
    return bar == std::wstring::npos ? Hint : Hint.substr(0, bar);
}

std::wstring GetLongHint(const std::wstring& Hint) {
    const size_t bar = Hint.find(L'|');
    return bar == std::wstring::npos ? Hint : Hint.substr(bar + 1);
}

}  // namespace fw
