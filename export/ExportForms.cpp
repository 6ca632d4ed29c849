#include "export/ExportForms.h"

namespace zt {

TztToolForm::TztToolForm(fw::TComponent* AOwner, bool Activates) : fw::TForm(AOwner), activates_(Activates) {
    SetBorderStyle(fw::bsToolWindow);
    SetBorderIcons(0);
    SetPosition(fw::poDesigned);
    Font()->SetName(L"MS Sans Serif");
    Font()->SetHeight(-11);
}

void TztToolForm::CreateParams(fw::TCreateParams& Params) {
    fw::TForm::CreateParams(Params);
    Params.ExStyle |= WS_EX_TOPMOST;
    if (!activates_) Params.ExStyle |= WS_EX_NOACTIVATE;
}

SIZE TztToolForm::FrameSize() {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, WS_CAPTION | WS_CLIPCHILDREN, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace zt
