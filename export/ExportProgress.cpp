#include "export/ExportProgress.h"

#include <commctrl.h>

#include "framework/Handles.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
const wchar_t kClassName[] = L"Tfrm_ProgressForm";

ATOM RegisterFormClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

// The size of the frame around the client area of a window of our style.
SIZE FrameSize() {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The designed font: "MS Sans Serif" of height -11.
HFONT DesignFont() {
    return CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
}

}  // namespace

Tfrm_ProgressForm::Tfrm_ProgressForm(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    const SIZE frame = FrameSize();
    width_ = clientWidth_ + frame.cx;
    height_ = clientHeight_ + frame.cy;
}

Tfrm_ProgressForm::~Tfrm_ProgressForm() {
    DestroyWindows();
}

int Tfrm_ProgressForm::LabelHeight() const {
    // The label is as high as a line of its font ("MS Sans Serif", height -11).
    int height = 13;
    if (fw::WindowDC screen(nullptr); screen) {
        const fw::GdiObject<HFONT> font(DesignFont());
        fw::SelectObjectGuard select(screen.get(), font.get());
        TEXTMETRICW tm{};
        if (GetTextMetricsW(screen.get(), &tm)) height = tm.tmHeight;
    }
    return height;
}

void Tfrm_ProgressForm::Start(const std::wstring& Caption, const std::wstring& Text, int Width, int Height, int Max) {
    const SIZE frame = FrameSize();
    caption_ = Caption;
    width_ = Width;
    height_ = Height;
    clientWidth_ = Width - frame.cx;
    clientHeight_ = Height - frame.cy;
    barLeft_ = 8;
    barWidth_ = clientWidth_ - 16;
    barPosition_ = 0;
    barMax_ = Max;
    if (!Text.empty()) {
        labelText_ = Text;
        labelLeft_ = 8;
        labelTop_ = 8;
        barTop_ = (height_ - clientHeight_) + (clientHeight_ - LabelHeight() - 16 - barHeight_) / 2;
    } else {
        barTop_ = ((height_ - clientHeight_) + (clientHeight_ - barHeight_ - 16)) / 2;
    }

    CreateWindows();
    if (!window_) return;
    SetWindowTextW(window_, caption_.c_str());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
    SetWindowPos(window_, HWND_TOPMOST, x, y, width_, height_, SWP_NOACTIVATE);
    SetWindowTextW(label_, labelText_.c_str());
    SetWindowPos(label_, nullptr, labelLeft_, labelTop_, clientWidth_ - 16, LabelHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(label_, Text.empty() ? SW_HIDE : SW_SHOWNA);
    SetWindowPos(bar_, nullptr, barLeft_, barTop_, barWidth_, barHeight_, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(bar_, PBM_SETRANGE32, 0, barMax_);
    SendMessageW(bar_, PBM_SETPOS, 0, 0);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
}

void Tfrm_ProgressForm::SetProgress(int Position) {
    const int old = barPosition_;
    barPosition_ = Position;
    if (!bar_ || barMax_ <= 0) return;
    // The bar is told only when its drawn length changes.
    const long long span = barWidth_ > 0 ? barWidth_ : 1;
    if (old * span / barMax_ == Position * span / barMax_ && Position != barMax_) return;
    SendMessageW(bar_, PBM_SETPOS, WPARAM(Position), 0);
    UpdateWindow(bar_);
}

void Tfrm_ProgressForm::Finish() {
    if (window_) ShowWindow(window_, SW_HIDE);
}

bool Tfrm_ProgressForm::Showing() const {
    return window_ && IsWindowVisible(window_);
}

void Tfrm_ProgressForm::CreateWindows() {
    if (window_) return;
    if (!RegisterFormClass()) return;
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)commonControls;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Without a display there is no window; the export goes on without it.
    window_ = CreateWindowExW(kExStyle, kClassName, caption_.c_str(), kStyle, 0, 0, width_, height_, nullptr, nullptr,
                              instance, nullptr);
    if (!window_) return;
    font_.reset(DesignFont());
    label_ = CreateWindowExW(0, L"STATIC", labelText_.c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, 8, 8,
                             clientWidth_ - 16, LabelHeight(), window_, nullptr, instance, nullptr);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, barLeft_, barTop_, barWidth_, barHeight_,
                           window_, nullptr, instance, nullptr);
    if (label_ && font_) SendMessageW(label_, WM_SETFONT, WPARAM(font_.get()), FALSE);
}

void Tfrm_ProgressForm::DestroyWindows() {
    if (window_) DestroyWindow(window_);  // takes the label and the bar along
    window_ = label_ = bar_ = nullptr;
    font_.reset();  // after the label that used it
}
