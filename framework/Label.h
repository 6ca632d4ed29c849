#pragma once
// TLabel: a caption without a window, painted by its parent (a TGraphicControl),
// so it costs no handle and shows the parent's background when Transparent.
// Created with an owner and placed with SetParent like any control. The caption's
// "&x" marks x as the accelerator (drawn underlined; pressing Alt+x focuses
// FocusControl) and "&&" stands for a literal ampersand, unless ShowAccelChar is
// off, when every "&" is literal. AutoSize fits the bounds to the text after each
// change of caption, font or WordWrap (keeping the width when wrapping).
#include <windows.h>

#include <string>

#include "framework/Controls.h"

namespace fw {

// Whether Key (a character code) is the accelerator a caption marks with "&";
// "&&" is a literal ampersand and marks nothing. Compared without case.
bool IsAccel(unsigned Key, const std::wstring& Caption);

enum TTextLayout {
    tlTop,
    tlCenter,
    tlBottom
};

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool Value);
    // Without a background of its own the parent shows through.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    // The control that takes the focus when the accelerator is pressed (not owned).
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* Value);

    // The DrawTextW flags the label draws and measures with.
    UINT DrawTextFlags() const;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    // Fits the bounds to the caption (only with AutoSize).
    virtual void AdjustBounds();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    std::wstring ClassName() const override { return L"TLabel"; }

private:
    RECT TextRect(HDC DC, const std::wstring& Text) const;

    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TWinControl* focusControl_ = nullptr;
};

}  // namespace fw
