#include "framework/PaintBox.h"

namespace fw {

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csReplicatable;
    width_ = 105;
    height_ = 105;
}

void TPaintBox::Paint() {
    if (OnPaint) OnPaint(this);
}

}  // namespace fw
