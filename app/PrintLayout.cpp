#include "app/PrintLayout.h"

#include "framework/Printers.h"
#include "framework/StringList.h"

namespace {

// Prints the caption from R's top, then on further pages from their top, until
// every line is drawn or an empty page can take none of it. Returns the height
// drawn by the last call; R.top ends where that call started.
int PrintCaption(TPrintpreview* Preview, RECT& R, fw::TStrings* Lines, fw::TFont* Font) {
    int drawn = 0;
    int height = Preview->PrintTextInRect(R, Lines, true, drawn, Font);
    while (Lines->Count() > 0) {
        if (Preview->NewPage() == 0) break;
        R.top = Preview->InchesToDeviceY(0);
        // Beyond the page rectangle's foot: the page store clips it there.
        const RECT page = Preview->PageRect();
        R.bottom = 2 * (page.bottom - page.top);
        height = Preview->PrintTextInRect(R, Lines, true, drawn, Font);
        if (drawn == 0) break;  // not one line fits on an empty page
    }
    return height;
}

// The narrow grid's width: the grid's screen pixels in inches, in printer pixels,
// kept between three quarters of the column and the whole of it.
int NarrowGridWidth(TPrintpreview* Preview, fw::TStringGrid* Grid, int Available) {
    long long sum = 0;
    for (int c = 0; c < Grid->ColCount(); ++c) sum += Grid->ColWidths(c);
    const int device = Preview->InchesToDeviceX(float(double(sum) / fw::ScreenPixelsPerInch()));
    if (device > Available) return Available;
    if (device < 3 * (Available / 4)) return 3 * (Available / 4);
    return device;
}

}  // namespace

void LayOutListing(TPrintpreview* Preview, fw::TStringGrid* Grid, bool GridLines, const std::wstring& Caption,
                   fw::TFont* CaptionFont) {
    if (fw::Printer()->Printing()) fw::Printer()->Abort();
    fw::TStringList lines;
    lines.SetText(Caption);
    Preview->BeginDoc();
    Preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    const RECT page = Preview->PageRect();
    RECT r{0, 0, page.right - page.left, page.bottom - page.top};
    int endY = 0;
    if (Grid->ColCount() > 3) {
        Preview->PrintGrid(Grid, r.right - r.left, POINT{0, 0}, GridLines, true, endY);
        r.top += endY + Preview->InchesToDeviceY(0.5f);
        PrintCaption(Preview, r, &lines, CaptionFont);
    } else {
        r.right = Preview->InchesToDeviceX(3.0f);
        r.top = Preview->InchesToDeviceY(0.5f);
        lines.SetText(Caption);
        const int height = PrintCaption(Preview, r, &lines, CaptionFont);
        r.top += height + Preview->InchesToDeviceY(0.5f);
        const int width = NarrowGridWidth(Preview, Grid, r.right - r.left);
        Preview->PrintGrid(Grid, width, POINT{0, r.top}, GridLines, true, endY);
    }
}
