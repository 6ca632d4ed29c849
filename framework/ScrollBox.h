#pragma once
// A control that holds other controls and scrolls them when they reach past its
// client area. The scroll ranges follow the children: the box measures them when
// it is resized and when its owner calls UpdateScrollBars after moving or sizing
// a child. Scrolling moves the children (windowless ones too) by the scrolled
// distance, so a child's Left and Top stay relative to the visible area.
#include "framework/Controls.h"

namespace fw {

class TScrollBox : public TWinControl {
public:
    // 185 x 41, sunken border, scroll increments of 8 pixels.
    explicit TScrollBox(TComponent* AOwner);

    // How far one click on a scroll arrow moves.
    int HorzIncrement() const { return increment_[0]; }
    void SetHorzIncrement(int Value) { increment_[0] = Value > 0 ? Value : 1; }
    int VertIncrement() const { return increment_[1]; }
    void SetVertIncrement(int Value) { increment_[1] = Value > 0 ? Value : 1; }
    // The scrolled distance, in pixels.
    int HorzPosition() const { return position_[0]; }
    int VertPosition() const { return position_[1]; }
    // Scrolls so that the content's point Position is at the visible area's corner.
    void ScrollTo(int X, int Y);
    // The size of what the children cover, from the unscrolled corner.
    SIZE ContentSize() const;
    // Measures the children again and sets the scroll bars (scrolling back where
    // the content has shrunk).
    void UpdateScrollBars();

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void BoundsChanged(bool SizeChanged) override;
    std::wstring ClassName() const override { return L"TScrollBox"; }

private:
    void Scroll(int Bar, WORD Code);
    void MoveChildren(int DX, int DY);

    int increment_[2] = {8, 8};
    int position_[2] = {0, 0};
    bool updating_ = false;
};

}  // namespace fw
