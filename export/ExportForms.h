#pragma once
// The small windows of the export library are tool windows that stay on top of
// the program's other windows: TztToolForm is a framework form with that frame,
// no border icons and the designed font ("MS Sans Serif", height -11).
#include <string>

#include "framework/Forms.h"

namespace zt {

class TztToolForm : public fw::TForm {
public:
    // Activates: whether showing the window takes the focus from the program's
    // other windows (a window that only reports progress leaves it where it is).
    explicit TztToolForm(fw::TComponent* AOwner, bool Activates = true);

    // The frame's width and height around a client area (as the window will have them).
    static SIZE FrameSize();

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    std::wstring ClassName() const override { return L"TztToolForm"; }

private:
    bool activates_ = true;
};

}  // namespace zt
