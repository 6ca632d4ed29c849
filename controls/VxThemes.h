#pragma once
// Drawing with the system's visual themes: a process-wide theme services object
// and the routines the extended controls draw their frames with. Themes are used
// when the system has them active; SetEnabled(false) makes every routine draw
// the classic way (for a program that wants it, and for tests of both looks).
#include <windows.h>

namespace fw {
class TControl;
}

namespace vx {

class TThemeServices {
public:
    // Themes available (uxtheme answers and a theme is active) and not switched off.
    bool ThemesEnabled() const;
    bool ThemesAvailable() const;
    void SetEnabled(bool Value) { enabled_ = Value; }

    // Draws part/state of the theme class into Rect; false when it could not.
    bool DrawElement(HDC DC, const wchar_t* ClassList, int Part, int State, const RECT& Rect,
                     const RECT* Clip = nullptr) const;
    // The content rectangle of the element drawn in Rect (Rect itself when unknown).
    RECT ContentRect(HDC DC, const wchar_t* ClassList, int Part, int State, const RECT& Rect) const;

private:
    bool enabled_ = true;
};

// The theme services object of the process.
TThemeServices* ThemeServices();

// Like DrawFrameControl, but drawn with the theme when themes are enabled and
// the combination has a themed element; DFCS_ADJUSTRECT shrinks Rect to the
// element's content. Returns non-zero on success.
int DrawThemedFrameControl(HDC DC, RECT& Rect, UINT Type, UINT State);

// Whether the cursor lies in the control's client rectangle.
bool IsMouseOverControl(const fw::TControl* Control);

// Adds csNeedsBorderPaint and csParentBackground of Style (nothing else) to the
// control's ControlStyle.
void IncludeThemeStyle(fw::TControl* Control, unsigned Style);

}  // namespace vx
