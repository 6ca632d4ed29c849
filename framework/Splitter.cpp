#include "framework/Splitter.h"

#include <algorithm>

namespace fw {

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    width_ = 3;
    height_ = 100;
    SetAlign(alLeft);
}

void TSplitter::SetAlign(TAlign Value) {
    TControl::SetAlign(Value);
    SetCursor(Horizontal() ? crHSplit : crVSplit);
}

TControl* TSplitter::FindControl() const {
    TWinControl* parent = Parent();
    if (!parent) return nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        bool touches = false;
        switch (Align()) {
        case alLeft: touches = c->Left() + c->Width() == Left(); break;
        case alRight: touches = c->Left() == Left() + Width(); break;
        case alTop: touches = c->Top() + c->Height() == Top(); break;
        case alBottom: touches = c->Top() == Top() + Height(); break;
        default: break;
        }
        if (touches) return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Parent()) return;
    control_ = FindControl();
    if (!control_) return;
    downPos_ = ParentPos(X, Y);
    downSize_ = Horizontal() ? control_->Width() : control_->Height();
    // What the parent leaves: its client extent less the bar and the controls
    // aligned on the other sides, and MinSize for the client area.
    const RECT client = Parent()->ClientRect();
    const int extent = Horizontal() ? client.right - client.left : client.bottom - client.top;
    int others = 0;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* c = Parent()->Controls(i);
        if (c == this || c == control_ || !c->Visible()) continue;
        const bool sameAxis = Horizontal() ? (c->Align() == alLeft || c->Align() == alRight)
                                           : (c->Align() == alTop || c->Align() == alBottom);
        if (sameAxis) others += Horizontal() ? c->Width() : c->Height();
    }
    maxSize_ = std::max(extent - others - (Horizontal() ? Width() : Height()) - minSize_, minSize_);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!control_ || !(Shift & ssLeft)) return;
    int delta = ParentPos(X, Y) - downPos_;
    if (Align() == alRight || Align() == alBottom) delta = -delta;
    ApplySize(downSize_ + delta);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!control_ || Button != mbLeft) return;
    control_ = nullptr;
    if (OnMoved) OnMoved(this);
}

void TSplitter::ApplySize(int NewSize) {
    NewSize = std::clamp(NewSize, minSize_, std::max(maxSize_, minSize_));
    bool accept = true;
    if (OnCanResize) OnCanResize(this, NewSize, accept);
    if (!accept || !control_) return;
    if (Horizontal()) {
        if (control_->Width() != NewSize) control_->SetWidth(NewSize);
    } else if (control_->Height() != NewSize) {
        control_->SetHeight(NewSize);
    }
}

void TSplitter::Paint() {
    Canvas()->Brush()->SetColor(Color());
    const RECT r = ClientRect();
    Canvas()->FillRect(r);
}

}  // namespace fw
