#include "framework/ProgressBar.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

namespace fw {

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ = csFramed | csOpaque;
    width_ = 150;
    height_ = 16;
}

void TProgressBar::CreateParams(TCreateParams& Params) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)registered;
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, PROGRESS_CLASSW);
}

void TProgressBar::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageW(Handle(), PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
    SendMessageW(Handle(), PBM_SETPOS, WPARAM(position_), 0);
}

void TProgressBar::SetRange(int AMin, int AMax) {
    min_ = AMin;
    max_ = std::max(AMin, AMax);
    position_ = std::clamp(position_, min_, max_);
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
    SendMessageW(Handle(), PBM_SETPOS, WPARAM(position_), 0);
}

void TProgressBar::SetPosition(int Value) {
    Value = std::clamp(Value, min_, max_);
    if (Value == position_) return;
    position_ = Value;
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, WPARAM(position_), 0);
}

}  // namespace fw
