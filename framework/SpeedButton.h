#pragma once
// TSpeedButton: a windowless tool button, painted by its parent. With a
// GroupIndex above 0 it stays down once clicked and the other buttons of that
// group on the same parent come up (a button of the group that is down comes up
// on a second click only when AllowAllUp is set); with GroupIndex 0 it springs
// back. Created with an owner and placed with SetParent; it owns its Glyph.
#include <memory>

#include "framework/Bitmap.h"
#include "framework/Controls.h"

namespace fw {

enum TSpeedButtonState {
    sbsUp,
    sbsDisabled,
    sbsDown,
    sbsExclusive
};

class TSpeedButton : public TGraphicControl {
public:
    // 23 x 22, up, group 0.
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    // Only a button of a group can be down; setting Down puts the rest of the group up.
    bool Down() const { return down_; }
    void SetDown(bool Value);
    // Shared by the whole group.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    // Drawn centred (transparent in its bottom-left colour), left of any caption.
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* Value);
    TSpeedButtonState State() const { return state_; }

    // Fires OnClick (what a click with the mouse does after the down state changed).
    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    std::wstring ClassName() const override { return L"TSpeedButton"; }

private:
    // Tells the other buttons of the group (CM_BUTTONPRESSED to the parent's controls).
    void UpdateExclusive();
    void ButtonPressed(int Group, TSpeedButton* Sender);
    void PaintFace(TCanvas* Canvas, RECT Rect);

    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool pressing_ = false;
    TSpeedButtonState state_ = sbsUp;
    std::unique_ptr<TBitmap> glyph_;
};

}  // namespace fw
