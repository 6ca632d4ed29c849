#pragma once
// TGroupBox: a frame with a caption around other controls, over the system
// BUTTON class's group-box style. Created with an owner and placed with
// SetParent; the controls placed on it (SetParent(groupBox)) are its children
// and are freed with it when they are still there. Its client area starts below
// the caption, so aligned children stay inside the frame.
#include <string>

#include "framework/Controls.h"

namespace fw {

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* AOwner);

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(RECT& Rect) const override;
    std::wstring ClassName() const override { return L"TGroupBox"; }
};

}  // namespace fw
