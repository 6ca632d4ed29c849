#pragma once
// Cuts a text to a width in pixels, measured on a control's canvas: characters
// come off the end until the text is no wider than Length (0: no limit). A
// surrogate pair comes off whole, never split. Owned by the control that uses
// it (a plain object; the control is not owned).
#include <memory>
#include <string>

#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace vx {

class TVxMaxPixel : public fw::TPersistent {
public:
    explicit TVxMaxPixel(fw::TControl* Control);
    ~TVxMaxPixel() override;

    int Length() const { return length_; }
    void SetLength(int Value);
    // Measure with the font the caller passes (the control's) instead of Font.
    bool UseControlFont() const { return useControlFont_; }
    void SetUseControlFont(bool Value);
    fw::TFont* Font() const { return font_.get(); }
    void SetFont(fw::TFont* Value);

    // Cuts S to the width; true when the incoming S was wider (or Length is 0).
    bool Test(std::wstring& S, fw::TFont* ControlFont);

    fw::TNotifyEvent OnChanged;

protected:
    void Changed();
    std::wstring ClassName() const override { return L"TVxMaxPixel"; }

private:
    fw::TControl* control_;
    bool useControlFont_ = true;
    int length_ = 0;
    std::unique_ptr<fw::TFont> font_;
};

// Drops the last character of S, a surrogate pair as one.
void DeleteLastCharacter(std::wstring& S);

}  // namespace vx
