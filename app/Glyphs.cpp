#include "app/Glyphs.h"

namespace {

// The colour the glyphs treat as see-through (their bottom-left pixel).
constexpr fw::TColor kBackground = fw::TColor(0xFF00FF);

std::unique_ptr<fw::TBitmap> Blank(int Size) {
    auto bitmap = std::make_unique<fw::TBitmap>(Size, Size);
    fw::TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(kBackground);
    canvas->FillRect(RECT{0, 0, Size, Size});
    return bitmap;
}

void Fill(fw::TCanvas* Canvas, int Left, int Top, int Width, int Height, fw::TColor Color) {
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(RECT{Left, Top, Left + Width, Top + Height});
}

}  // namespace

std::unique_ptr<fw::TBitmap> ViewStyleGlyph(int Tag) {
    auto glyph = Blank(16);
    fw::TCanvas* canvas = glyph->Canvas();
    const fw::TColor ink = fw::TColor(0x404040);
    switch (Tag) {
    case 1:  // four large icons
        for (int y : {1, 9})
            for (int x : {1, 9}) Fill(canvas, x, y, 6, 6, fw::TColor(0xA05000));
        break;
    case 2:  // small icons with names, in columns
        for (int y = 2; y < 14; y += 4)
            for (int x : {1, 9}) {
                Fill(canvas, x, y, 2, 2, fw::TColor(0xA05000));
                Fill(canvas, x + 3, y, 3, 2, ink);
            }
        break;
    default:  // rows with detail columns
        for (int y = 2; y < 15; y += 3) {
            Fill(canvas, 1, y, 2, 2, fw::TColor(0xA05000));
            Fill(canvas, 4, y, 5, 1, ink);
            Fill(canvas, 10, y, 5, 1, ink);
        }
        break;
    }
    return glyph;
}

void AddToolBarImages(fw::TImageList* Images) {
    for (int i = 0; i < 4; ++i) {
        auto frame = Blank(30);
        Images->AddMasked(frame.get(), kBackground);
    }
    // A red octagon with a white bar: stop.
    auto stop = Blank(30);
    fw::TCanvas* canvas = stop->Canvas();
    const POINT octagon[] = {{9, 2}, {20, 2}, {27, 9}, {27, 20}, {20, 27}, {9, 27}, {2, 20}, {2, 9}};
    canvas->Brush()->SetColor(fw::TColor(0x1C1CC8));
    canvas->Pen()->SetColor(fw::TColor(0x101080));
    canvas->Polygon(octagon, 8);
    Fill(canvas, 8, 13, 14, 4, fw::clWhite);
    Images->AddMasked(stop.get(), kBackground);
}
