#include "controls/VxThemes.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "framework/Controls.h"
#include "framework/Handles.h"

namespace vx {

namespace {

// One open theme handle for the length of a call.
class ThemeHandle {
public:
    explicit ThemeHandle(const wchar_t* classList) : theme_(OpenThemeData(nullptr, classList)) {}
    HTHEME get() const { return theme_.get(); }

private:
    fw::UniqueResource<fw::handle_traits::Simple<HTHEME, CloseThemeData>> theme_;
};

enum class Look {
    normal,
    hot,
    pressed,
    disabled
};

// Disabled wins over pressed, pressed over hot.
Look LookOf(UINT state) {
    if (state & DFCS_INACTIVE) return Look::disabled;
    if (state & DFCS_PUSHED) return Look::pressed;
    if (state & DFCS_HOT) return Look::hot;
    return Look::normal;
}

int Offset(Look look) {
    return look == Look::hot ? 1 : look == Look::pressed ? 2 : look == Look::disabled ? 3 : 0;
}

}  // namespace

bool TThemeServices::ThemesAvailable() const {
    return IsThemeActive() != FALSE;
}

bool TThemeServices::ThemesEnabled() const {
    return enabled_ && ThemesAvailable();
}

bool TThemeServices::DrawElement(HDC DC, const wchar_t* ClassList, int Part, int State, const RECT& Rect,
                                 const RECT* Clip) const {
    ThemeHandle theme(ClassList);
    if (!theme.get()) return false;
    return SUCCEEDED(DrawThemeBackground(theme.get(), DC, Part, State, &Rect, Clip));
}

RECT TThemeServices::ContentRect(HDC DC, const wchar_t* ClassList, int Part, int State, const RECT& Rect) const {
    RECT content = Rect;
    ThemeHandle theme(ClassList);
    if (theme.get() && FAILED(GetThemeBackgroundContentRect(theme.get(), DC, Part, State, &Rect, &content)))
        content = Rect;
    return content;
}

TThemeServices* ThemeServices() {
    static TThemeServices services;
    return &services;
}

int DrawThemedFrameControl(HDC DC, RECT& Rect, UINT Type, UINT State) {
    TThemeServices* themes = ThemeServices();
    if (!themes->ThemesEnabled()) return DrawFrameControl(DC, &Rect, Type, State);
    const Look look = LookOf(State);
    const wchar_t* cls = nullptr;
    int part = 0, state = 0;
    if (Type == DFC_BUTTON) {
        if ((State & 0xFF) == DFCS_BUTTONCHECK) {
            cls = L"BUTTON";
            part = BP_CHECKBOX;
            const int base = (State & DFCS_CHECKED) ? CBS_CHECKEDNORMAL
                             : (State & DFCS_MONO)  ? CBS_MIXEDNORMAL
                                                    : CBS_UNCHECKEDNORMAL;
            state = base + Offset(look);
        } else if ((State & 0xFF) == DFCS_BUTTONRADIO) {
            cls = L"BUTTON";
            part = BP_RADIOBUTTON;
            state = ((State & DFCS_CHECKED) ? RBS_CHECKEDNORMAL : RBS_UNCHECKEDNORMAL) + Offset(look);
        } else if ((State & 0xFF) == DFCS_BUTTONPUSH && !(State & (DFCS_FLAT | DFCS_TRANSPARENT))) {
            cls = L"BUTTON";
            part = BP_PUSHBUTTON;
            switch (look) {
            case Look::normal: state = (State & DFCS_MONO) ? PBS_DEFAULTED : PBS_NORMAL; break;
            case Look::hot: state = PBS_HOT; break;
            case Look::pressed: state = PBS_PRESSED; break;
            case Look::disabled: state = PBS_DISABLED; break;
            }
        }
    } else if (Type == DFC_SCROLL && !(State & DFCS_TRANSPARENT)) {
        switch (State & 0xFF) {
        case DFCS_SCROLLUP:
            cls = L"SCROLLBAR";
            part = SBP_ARROWBTN;
            state = ABS_UPNORMAL + Offset(look);
            break;
        case DFCS_SCROLLDOWN:
            cls = L"SCROLLBAR";
            part = SBP_ARROWBTN;
            state = ABS_DOWNNORMAL + Offset(look);
            break;
        case DFCS_SCROLLLEFT:
            cls = L"SCROLLBAR";
            part = SBP_ARROWBTN;
            state = ABS_LEFTNORMAL + Offset(look);
            break;
        case DFCS_SCROLLRIGHT:
            cls = L"SCROLLBAR";
            part = SBP_ARROWBTN;
            state = ABS_RIGHTNORMAL + Offset(look);
            break;
        case DFCS_SCROLLCOMBOBOX:
            cls = L"COMBOBOX";
            part = CP_DROPDOWNBUTTON;
            state = CBXS_NORMAL + Offset(look);
            break;
        default: break;
        }
    }
    if (!cls || !themes->DrawElement(DC, cls, part, state, Rect)) return DrawFrameControl(DC, &Rect, Type, State);
    if (State & DFCS_ADJUSTRECT) Rect = themes->ContentRect(DC, cls, part, state, Rect);
    return 1;
}

bool IsMouseOverControl(const fw::TControl* Control) {
    if (!Control) return false;
    POINT p;
    if (!GetCursorPos(&p)) return false;
    p = Control->ScreenToClient(p);
    const RECT client = Control->ClientRect();
    return PtInRect(&client, p) != FALSE;
}

void IncludeThemeStyle(fw::TControl* Control, unsigned Style) {
    if (!Control) return;
    Control->SetControlStyle(Control->ControlStyle() | (Style & (fw::csNeedsBorderPaint | fw::csParentBackground)));
}

}  // namespace vx
