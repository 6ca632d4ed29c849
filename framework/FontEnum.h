#pragma once
// The font faces of the screen and of the default printer, as the system's
// font enumeration reports them (one entry per face and character set), and
// the device choice of the font dialogs. Plain functions; the printer's
// information context is opened and closed inside.
#include <windows.h>

#include <string>
#include <vector>

namespace fw {

enum TFontDialogDevice {
    fdScreen,
    fdPrinter,
    fdBoth
};

struct TFontFace {
    std::wstring Name;  // at most LF_FACESIZE - 1 characters
    DWORD FontType;     // TRUETYPE_FONTTYPE, DEVICE_FONTTYPE, RASTER_FONTTYPE bits
    BYTE CharSet;
    BYTE PitchAndFamily;
};

// Every face DC knows, in the order the system reports them.
std::vector<TFontFace> EnumFontFaces(HDC DC);
// The screen's faces.
std::vector<TFontFace> ScreenFontFaces();
// The default printer's faces; empty (never an error) without a printer.
std::vector<TFontFace> PrinterFontFaces();
// The default printer's name, empty when none is installed.
std::wstring DefaultPrinterName();

}  // namespace fw
