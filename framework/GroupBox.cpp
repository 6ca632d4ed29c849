#include "framework/GroupBox.h"

#include "framework/Handles.h"
#include "framework/Label.h"

namespace fw {

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    width_ = 185;
    height_ = 105;
}

void TGroupBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= BS_GROUPBOX;
}

void TGroupBox::AdjustClientRect(RECT& Rect) const {
    TWinControl::AdjustClientRect(Rect);
    // The frame's caption line and border.
    int captionHeight = 13;
    if (const WindowDC screen(nullptr); screen) {
        const SelectObjectGuard font(screen.get(), Font()->Handle());
        TEXTMETRICW tm{};
        if (GetTextMetricsW(screen.get(), &tm)) captionHeight = tm.tmHeight;
    }
    Rect.top += captionHeight;
    InflateRect(&Rect, -1, -1);
}

void TGroupBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        // Its accelerator moves the focus to the first control inside.
        if (Enabled() && IsAccel(unsigned(Message.WParam), Caption()) && CanFocus()) {
            SelectNext(nullptr, true, true);
            Message.Result = 1;
            return;
        }
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

}  // namespace fw
