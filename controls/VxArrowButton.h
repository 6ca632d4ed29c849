#pragma once
// TVxArrowButton: a windowless push button in two parts. The button part on the
// left clicks and can stay down in a group; the narrow arrow part on the right
// pops up the DropDown menu below the button and fires OnDrop. It paints itself
// flat or framed, themed when the system's themes are on, with an optional
// glyph of up to four state images and an aligned caption.
// Created with an owner and shown by giving it a Parent; it owns its glyph and
// FillFont. DropDown is a reference (cleared when that menu is freed).
#include <memory>
#include <string>

#include "controls/VxButtonGlyph.h"
#include "controls/VxExControls.h"
#include "framework/Menus.h"

namespace vx {

class TVxArrowButton : public TVxExGraphicControl {
public:
    explicit TVxArrowButton(fw::TComponent* AOwner);
    ~TVxArrowButton() override;

    void WndProc(fw::TMessage& Message) override;
    // Fires OnClick.
    void Click() override;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value);
    bool PressBoth() const { return pressBoth_; }
    void SetPressBoth(bool Value) { pressBoth_ = Value; }
    int ArrowWidth() const { return arrowWidth_; }
    void SetArrowWidth(int Value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    // -1 or more; other values are ignored.
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    fw::TFont* FillFont() const { return fillFont_.get(); }
    void SetFillFont(fw::TFont* Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    fw::TPopupMenu* DropDown() const { return dropDown_; }
    void SetDropDown(fw::TPopupMenu* Value);
    bool DropOnButtonClick() const { return dropOnButtonClick_; }
    void SetDropOnButtonClick(bool Value) { dropOnButtonClick_ = Value; }
    fw::TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
    void SetVerticalAlignment(fw::TVerticalAlignment Value);
    fw::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(fw::TAlignment Value);
    fw::TBitmap* Glyph() const { return glyph_->Glyph(); }
    void SetGlyph(fw::TBitmap* Value);
    TNumGlyphs NumGlyphs() const { return glyph_->NumGlyphs(); }
    // Limited to 4.
    void SetNumGlyphs(TNumGlyphs Value);

    TButtonState State() const { return state_; }
    bool ArrowPressed() const { return arrowPressed_; }

    TNotifyEvent OnDrop;

protected:
    std::wstring ClassName() const override { return L"TVxArrowButton"; }
    void Paint() override;
    void Loaded() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void MouseDown(fw::TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool WantKey(int Key, TShiftState Shift, const std::wstring& KeyText) override;
    void EnabledChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    void MouseEnter(TControl* Control) override;
    void MouseLeave(TControl* Control) override;

private:
    // The group notice: CM_BUTTONPRESSED to the parent's controls.
    void UpdateExclusive();
    void ButtonPressed(int Group, TVxArrowButton* Sender);
    void UpdateTracking();
    void RedrawThemed();
    void DrawArrowTriangle(fw::TCanvas* Canvas, RECT Rect, bool Pressed);

    int groupIndex_ = 0;
    std::unique_ptr<TButtonGlyph> glyph_;
    bool down_ = false;
    bool arrowPressed_ = false;
    bool dropped_ = false;  // the press now in progress opened the drop-down part
    bool pressBoth_ = true;
    int arrowWidth_ = 13;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    int spacing_ = 4;
    std::unique_ptr<fw::TFont> fillFont_;
    int margin_ = -1;
    bool flat_ = false;
    bool mouseInControl_ = false;
    fw::TPopupMenu* dropDown_ = nullptr;
    bool dropOnButtonClick_ = false;
    fw::TVerticalAlignment verticalAlignment_ = fw::taVerticalCenter;
    fw::TAlignment alignment_ = fw::taCenter;
    TButtonState state_ = bsUp;
};

}  // namespace vx
