#include "controls/VxExControls.h"

#include "framework/Handles.h"

namespace vx {

namespace {

struct CodePair {
    LRESULT native;
    TDlgCode code;
};

constexpr CodePair kCodes[] = {
    {DLGC_WANTALLKEYS, dcWantAllKeys}, {DLGC_WANTARROWS, dcWantArrows}, {DLGC_WANTCHARS, dcWantChars},
    {DLGC_BUTTON, dcButton},           {DLGC_HASSETSEL, dcHasSetSel},   {DLGC_WANTTAB, dcWantTab},
};

}  // namespace

TDlgCodes DlgCodesFromNative(LRESULT Codes) {
    TDlgCodes result = 0;
    for (const CodePair& pair : kCodes)
        if (Codes & pair.native) result |= pair.code;
    return result;
}

LRESULT DlgCodesToNative(TDlgCodes Codes) {
    LRESULT result = 0;
    for (const CodePair& pair : kCodes)
        if (Codes & pair.code) result |= pair.native;
    return result;
}

void DrawDotNetHighlight(HWND Wnd, bool FocusedOrOver, TColor ControlColor) {
    const fw::WindowDC dc(Wnd, true);
    if (!dc) return;
    RECT r;
    GetWindowRect(Wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    const COLORREF outer = FocusedOrOver ? 0x00733800 : 0x00808080;
    const COLORREF inner = FocusedOrOver ? 0x00733800 : fw::ColorToRGB(ControlColor);
    const fw::GdiObject<HBRUSH> outerBrush(CreateSolidBrush(outer));
    const fw::GdiObject<HBRUSH> innerBrush(CreateSolidBrush(inner));
    FrameRect(dc.get(), &r, outerBrush.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc.get(), &r, innerBrush.get());
}

void InvalidateDotNetHighlight(HWND Wnd) {
    RECT r;
    GetWindowRect(Wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const fw::GdiObject<HRGN> band(CreateRectRgn(0, 0, w - 1, h - 1));
    const fw::GdiObject<HRGN> hole(CreateRectRgn(2, 2, w - 3, h - 3));
    CombineRgn(band.get(), band.get(), hole.get(), RGN_DIFF);
    // The band is in window coordinates; the client area is offset by the frame.
    POINT origin{0, 0};
    ClientToScreen(Wnd, &origin);
    OffsetRgn(band.get(), r.left - origin.x, r.top - origin.y);
    RedrawWindow(Wnd, nullptr, band.get(), RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
}

TVxExGraphicControl::TVxExGraphicControl(fw::TComponent* AOwner) : TVxExCommon<fw::TGraphicControl>(AOwner) {}

}  // namespace vx
