#pragma once
// TProgressBar: the common controls' progress bar as a control. Created with an
// owner and placed with SetParent; Min, Max and Position live in the object and
// reach the window when it is made (32-bit range). Position is clamped to the
// range.
#include <string>

#include "framework/Controls.h"

namespace fw {

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetMin(int Value) { SetRange(Value, max_); }
    void SetMax(int Value) { SetRange(min_, Value); }
    void SetRange(int AMin, int AMax);
    int Position() const { return position_; }
    void SetPosition(int Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    std::wstring ClassName() const override { return L"TProgressBar"; }

private:
    int min_ = 0, max_ = 100, position_ = 0;
};

}  // namespace fw
