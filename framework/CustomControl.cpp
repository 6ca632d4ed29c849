#include "framework/CustomControl.h"

namespace fw {

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {
    controlState_ |= csCustomPaint;
}

TCustomControl::~TCustomControl() {
    // The canvas goes with the object; the window (destroyed by the base) no longer uses it.
    canvas_.reset();
}

void TCustomControl::PaintWindow(HDC DC) {
    if (!canvas_) return;
    const CanvasLease lease(canvas_.get(), DC);
    Paint();
}

}  // namespace fw
