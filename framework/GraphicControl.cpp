#include "framework/GraphicControl.h"

namespace fw {

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        if (Message.WParam && !HasState(csDestroying)) {
            const CanvasLease lease(canvas_.get(), reinterpret_cast<HDC>(Message.WParam));
            Paint();
        }
        return;
    }
    TControl::WndProc(Message);
}

}  // namespace fw
