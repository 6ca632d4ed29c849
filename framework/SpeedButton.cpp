#include "framework/SpeedButton.h"

namespace fw {

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
    controlStyle_ = csCaptureMouse | csDoubleClicks | csOpaque;
    SetBounds(0, 0, 23, 22);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGroupIndex(int Value) {
    if (Value == groupIndex_) return;
    groupIndex_ = Value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
    if (groupIndex_ == 0) Value = false;
    if (Value == down_) return;
    // The one button of a group that is down stays down unless all may be up.
    if (down_ && !allowAllUp_) return;
    down_ = Value;
    state_ = Value ? sbsExclusive : sbsUp;
    Invalidate();
    if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    if (Value == allowAllUp_) return;
    allowAllUp_ = Value;
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
    if (Value) glyph_->Assign(Value);
    else glyph_->SetSize(0, 0);
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    TMessage message{CM_BUTTONPRESSED, WPARAM(groupIndex_), reinterpret_cast<LPARAM>(static_cast<TObject*>(this)), 0};
    Parent()->Broadcast(message);
}

void TSpeedButton::ButtonPressed(int Group, TSpeedButton* Sender) {
    if (Group != groupIndex_ || !Sender || Sender == this) return;
    if (Sender->down_ && down_) {
        down_ = false;
        state_ = sbsUp;
        Invalidate();
    }
    allowAllUp_ = Sender->allowAllUp_;
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    pressing_ = true;
    if (!down_) {
        state_ = sbsDown;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !pressing_) return;
    pressing_ = false;
    const bool inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
    if (groupIndex_ == 0) {
        state_ = sbsUp;
    } else if (inside) {
        SetDown(!down_);
    } else {
        state_ = down_ ? sbsExclusive : sbsUp;
    }
    Invalidate();
    if (inside) Click();
}

void TSpeedButton::PaintFace(TCanvas* Canvas, RECT Rect) {
    const bool pressed = state_ == sbsDown || state_ == sbsExclusive;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(state_ == sbsExclusive ? clBtnHighlight : clBtnFace);
    Canvas->FillRect(Rect);
    if (!flat_ || pressed) {
        DrawEdge(Canvas->Handle(), &Rect, pressed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
    }
    const int shift = pressed ? 1 : 0;
    int x = Rect.left + shift;
    int textWidth = 0;
    const std::wstring caption = Caption();
    Canvas->SetFont(Font());
    if (!caption.empty()) textWidth = Canvas->TextWidth(caption);
    const int glyphWidth = glyph_->Empty() ? 0 : glyph_->Width();
    const int gap = glyphWidth && textWidth ? 4 : 0;
    x += (Rect.right - Rect.left - glyphWidth - gap - textWidth) / 2;
    if (glyphWidth) {
        glyph_->SetTransparent(true);
        Canvas->Draw(x, Rect.top + shift + (Rect.bottom - Rect.top - glyph_->Height()) / 2, glyph_.get());
        x += glyphWidth + gap;
    }
    if (!caption.empty()) {
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
        Canvas->TextOut(x, Rect.top + shift + (Rect.bottom - Rect.top - Canvas->TextHeight(caption)) / 2, caption);
    }
}

void TSpeedButton::Paint() {
    PaintFace(Canvas(), ClientRect());
}

void TSpeedButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_BUTTONPRESSED:
        ButtonPressed(int(Message.WParam), dynamic_cast<TSpeedButton*>(reinterpret_cast<TObject*>(Message.LParam)));
        return;
    case CM_TEXTCHANGED: Invalidate(); return;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) {
            pressing_ = false;
            state_ = down_ ? sbsExclusive : sbsUp;
        }
        Invalidate();
        return;
    default: break;
    }
    TGraphicControl::WndProc(Message);
}

}  // namespace fw
