#pragma once
// TGraphicControl: a control without a window, painted by its parent (Paint, on
// the control's own canvas) and given the mouse messages that fall on it.
#include <memory>
#include <string>

#include "framework/Control.h"
#include "framework/ControlCanvas.h"

namespace fw {

// A control without a window, painted by its parent.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    TCanvas* Canvas() const { return canvas_.get(); }
    void WndProc(TMessage& Message) override;

protected:
    virtual void Paint() {}
    std::wstring ClassName() const override { return L"TGraphicControl"; }

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace fw
