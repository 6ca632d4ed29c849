#pragma once
// TPaintBox: an area without a window that its owner paints in OnPaint, on the
// box's Canvas (bound to the parent's painting, moved to the box and clipped to it).
#include <string>

#include "framework/Controls.h"

namespace fw {

class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* AOwner);

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    std::wstring ClassName() const override { return L"TPaintBox"; }
};

}  // namespace fw
