#pragma once
// TCustomControl: a windowed control that paints itself (Paint, on its canvas).
#include <memory>
#include <string>

#include "framework/ControlCanvas.h"
#include "framework/WinControl.h"

namespace fw {

// A windowed control that paints itself on its Canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    TCanvas* Canvas() const { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;
    std::wstring ClassName() const override { return L"TCustomControl"; }

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace fw
