#pragma once
// TPanel: a windowed container with a bevelled edge and a centred caption.
// Created with an owner and placed with SetParent like any control; it accepts
// child controls and, as every parent, frees the children it still holds when it
// is destroyed. Aligned children are laid out inside its bevels and border.
#include "framework/Controls.h"

namespace fw {

enum TPanelBevel {
    bvNone,
    bvLowered,
    bvRaised,
    bvSpace
};

class TCustomPanel : public TCustomControl {
public:
    // 185 x 41, outer bevel raised, inner none, caption centred.
    explicit TCustomPanel(TComponent* AOwner);

    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel Value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel Value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int Value);
    // Space left free between the bevels.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void AdjustClientRect(RECT& Rect) const override;
    std::wstring ClassName() const override { return L"TCustomPanel"; }

private:
    // Layout and picture both follow a change of the edge.
    void EdgeChanged();
    int EdgeWidth() const;

    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;

protected:
    std::wstring ClassName() const override { return L"TPanel"; }
};

}  // namespace fw
