// Bitmaps: sizes and pixel formats, copies, transparency, handles given out and
// drawing through the canvas.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "framework/Bitmap.h"

namespace {

using fw::TBitmap;

TEST(Bitmaps, ResizingKeepsThePixelsThatStillFitAndDrawingIsAChange) {
    TBitmap b(4, 4);
    int changes = 0;
    b.OnChange = [&](fw::TObject*) { ++changes; };
    b.Canvas()->SetPixels(1, 1, fw::clRed);
    b.Canvas()->SetPixels(3, 3, fw::clBlue);
    EXPECT_EQ(changes, 2);
    b.SetSize(10, 2);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(b.Width(), 10);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), fw::clRed);
    EXPECT_EQ(b.Canvas()->Pixels(8, 1), fw::clBlack);
    b.SetSize(0, 5);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Handle(), nullptr);
}

TEST(Bitmaps, ExplicitFormatsAreDibSections) {
    for (auto [format, bits] : {std::pair{fw::pf24bit, 24}, std::pair{fw::pf32bit, 32}, std::pair{fw::pf1bit, 1}}) {
        TBitmap b;
        b.SetPixelFormat(format);
        b.SetSize(5, 3);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(b.Handle(), sizeof(dib), &dib), int(sizeof(dib)));
        EXPECT_NE(dib.dsBm.bmBits, nullptr);
        EXPECT_EQ(dib.dsBmih.biBitCount, bits);
        EXPECT_EQ(b.PixelFormat(), format);
    }
}

TEST(Bitmaps, MonochromeKeepsWhiteAndBlackensTheRest) {
    TBitmap b(3, 1);
    b.Canvas()->SetPixels(0, 0, fw::clWhite);
    b.Canvas()->SetPixels(1, 0, fw::clRed);
    b.Canvas()->SetPixels(2, 0, fw::clSilver);
    b.SetMonochrome(true);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), fw::clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), fw::clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(2, 0), fw::clBlack);
}

TEST(Bitmaps, AssignMakesAnIndependentCopy) {
    TBitmap a(3, 3);
    a.SetPixelFormat(fw::pf24bit);
    a.Canvas()->SetPixels(2, 2, fw::clLime);
    a.SetTransparentColor(fw::clLime);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.PixelFormat(), fw::pf24bit);
    EXPECT_EQ(b.TransparentMode(), fw::tmFixed);
    EXPECT_EQ(b.Canvas()->Pixels(2, 2), fw::clLime);
    b.Canvas()->SetPixels(2, 2, fw::clRed);
    EXPECT_EQ(a.Canvas()->Pixels(2, 2), fw::clLime);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmaps, HandleCanBeUsedElsewhereAndTheCanvasStillDraws) {
    TBitmap b(4, 4);
    b.Canvas()->SetPixels(0, 0, fw::clRed);
    HBITMAP handle = b.Handle();
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(dc, handle), nullptr);  // not held by the bitmap's own context
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    DeleteDC(dc);
    b.Canvas()->SetPixels(1, 1, fw::clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), fw::clBlue);
}

TEST(Bitmaps, TheTransparentColourIsTheBottomLeftPixelOrTheOneGivenAndDrawingSkipsIt) {
    TBitmap picture(4, 4);
    picture.Canvas()->Brush()->SetColor(fw::clLime);
    picture.Canvas()->FillRect(RECT{0, 0, 4, 4});
    picture.Canvas()->SetPixels(1, 1, fw::clBlue);
    picture.Canvas()->SetPixels(0, 3, fw::clFuchsia);
    EXPECT_EQ(picture.TransparentMode(), fw::tmAuto);
    EXPECT_EQ(picture.TransparentColor(), fw::clFuchsia);
    picture.SetTransparentColor(fw::clLime);
    EXPECT_EQ(picture.TransparentMode(), fw::tmFixed);
    picture.SetTransparent(true);
    TBitmap target(4, 4);
    target.Canvas()->Brush()->SetColor(fw::clRed);
    target.Canvas()->FillRect(RECT{0, 0, 4, 4});
    target.Canvas()->Draw(0, 0, &picture);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), fw::clRed);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), fw::clBlue);
    picture.SetTransparentMode(fw::tmAuto);
    EXPECT_EQ(picture.TransparentColor(), fw::clFuchsia);
}

}  // namespace
