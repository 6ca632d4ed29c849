#include "framework/Panel.h"

#include <algorithm>

namespace fw {

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks;
    SetParentColor(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::EdgeChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
    if (Value == bevelOuter_) return;
    bevelOuter_ = Value;
    EdgeChanged();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
    if (Value == bevelInner_) return;
    bevelInner_ = Value;
    EdgeChanged();
}

void TCustomPanel::SetBevelWidth(int Value) {
    Value = std::max(Value, 1);
    if (Value == bevelWidth_) return;
    bevelWidth_ = Value;
    EdgeChanged();
}

void TCustomPanel::SetBorderWidth(int Value) {
    Value = std::max(Value, 0);
    if (Value == borderWidth_) return;
    borderWidth_ = Value;
    EdgeChanged();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

int TCustomPanel::EdgeWidth() const {
    int width = borderWidth_;
    if (bevelOuter_ != bvNone) width += bevelWidth_;
    if (bevelInner_ != bvNone) width += bevelWidth_;
    return width;
}

void TCustomPanel::AdjustClientRect(RECT& Rect) const {
    TCustomControl::AdjustClientRect(Rect);
    const int edge = EdgeWidth();
    InflateRect(&Rect, -edge, -edge);
}

namespace {

// One bevel ring of Width pixels, shrinking Rect by it.
void DrawBevel(TCanvas* Canvas, RECT& Rect, TPanelBevel Bevel, int Width) {
    if (Bevel == bvNone) return;
    const TColor topLeft = Bevel == bvLowered ? clBtnShadow : clBtnHighlight;
    const TColor bottomRight = Bevel == bvLowered ? clBtnHighlight : clBtnShadow;
    for (int i = 0; i < Width; ++i) {
        if (Bevel != bvSpace) {
            Canvas->Pen()->SetColor(topLeft);
            Canvas->MoveTo(Rect.left, Rect.bottom - 1);
            Canvas->LineTo(Rect.left, Rect.top);
            Canvas->LineTo(Rect.right - 1, Rect.top);
            Canvas->Pen()->SetColor(bottomRight);
            Canvas->LineTo(Rect.right - 1, Rect.bottom - 1);
            Canvas->LineTo(Rect.left - 1, Rect.bottom - 1);
        }
        InflateRect(&Rect, -1, -1);
    }
}

}  // namespace

void TCustomPanel::Paint() {
    TCanvas* canvas = Canvas();
    RECT rect = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
    DrawBevel(canvas, rect, bevelOuter_, bevelWidth_);
    InflateRect(&rect, -borderWidth_, -borderWidth_);
    DrawBevel(canvas, rect, bevelInner_, bevelWidth_);
    const std::wstring caption = Caption();
    if (caption.empty()) return;
    static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    std::wstring text = caption;
    canvas->TextRect(rect, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | kAlign[alignment_]);
}

void TCustomPanel::WndProc(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED) {
        Invalidate();
        return;
    }
    TCustomControl::WndProc(Message);
}

}  // namespace fw
