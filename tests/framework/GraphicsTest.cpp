// Graphics: colours, the drawing tools' handles and notices, and a canvas drawing
// into a memory bitmap that the tests read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <thread>

#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Graphics.h"

namespace {

// A white bitmap with a canvas of our own on its context; the canvas lets go of the
// context before the bitmap goes.
struct Drawing {
    Drawing(int width, int height) : bitmap(width, height) {
        PatBlt(dc(), 0, 0, width, height, WHITENESS);
        canvas.SetHandle(dc());
    }
    HDC dc() { return bitmap.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(dc(), x, y); }
    // The columns that hold a pixel other than white in a row band.
    std::pair<int, int> InkColumns(int top, int bottom) {
        int first = -1, last = -1;
        for (int x = 0; x < bitmap.Width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) != RGB(255, 255, 255)) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }
    fw::TBitmap bitmap;
    fw::TCanvas canvas;
};

TEST(ColorTest, SystemColoursAreLookedUpAndOthersPassThrough) {
    EXPECT_EQ(fw::ColorToRGB(fw::clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(fw::ColorToRGB(fw::clWindowText), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(fw::ColorToRGB(fw::clRed), RGB(255, 0, 0));
    EXPECT_EQ(fw::ColorToRGB(0x123456), COLORREF(0x123456));
}

TEST(FontTest, TahomaElevenPixelsWhoseChangesNotifyOnceAndRemakeTheHandle) {
    fw::TFont font;
    EXPECT_EQ(font.Name(), L"Tahoma");
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), -MulDiv(-11, 72, fw::ScreenPixelsPerInch()));
    int changes = 0;
    font.OnChange = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    HFONT first = font.Handle();
    EXPECT_EQ(font.Handle(), first);
    font.SetHeight(-11);
    font.SetName(L"Tahoma");
    EXPECT_EQ(changes, 0);
    font.SetStyle(fw::fsBold | fw::fsItalic);
    EXPECT_EQ(changes, 1);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    // The colour is not part of the handle.
    HFONT bold = font.Handle();
    font.SetColor(fw::clRed);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(font.Handle(), bold);
    // Size and height follow each other.
    font.SetPixelsPerInch(96);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12);
}

TEST(FontTest, AssignAndAnAdoptedHandleGiveEveryAttribute) {
    fw::TFont source;
    source.SetName(L"Courier New");
    source.SetHeight(-20);
    source.SetStyle(fw::fsUnderline);
    source.SetColor(fw::clBlue);
    source.SetCharset(ANSI_CHARSET);
    fw::TFont target;
    int changes = 0;
    target.OnChange = [&](fw::TObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(target.SameAs(source));
    target.Assign(&source);
    EXPECT_EQ(changes, 1);
    fw::TBrush brush;
    EXPECT_THROW(target.Assign(&brush), fw::EConvertError);
    // An adopted handle gives its attributes.
    LOGFONTW lf{};
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lf.lfStrikeOut = 1;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Tahoma");
    HFONT h = CreateFontIndirectW(&lf);
    target.SetHandle(h);
    EXPECT_EQ(target.Handle(), h);
    EXPECT_EQ(target.Height(), -15);
    EXPECT_EQ(target.Style(), fw::fsBold | fw::fsStrikeOut);
}

TEST(BrushAndPenTest, HandlesMatchTheirAttributes) {
    fw::TBrush brush;
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(brush.Handle(), sizeof(lb), &lb));
    EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    brush.SetStyle(fw::bsClear);
    ASSERT_TRUE(GetObjectW(brush.Handle(), sizeof(lb), &lb));
    EXPECT_EQ(lb.lbStyle, UINT(BS_HOLLOW));
    // A colour makes a clear brush solid again.
    brush.SetColor(fw::clGreen);
    EXPECT_EQ(brush.Style(), fw::bsSolid);
    brush.SetStyle(fw::bsCross);
    ASSERT_TRUE(GetObjectW(brush.Handle(), sizeof(lb), &lb));
    EXPECT_EQ(lb.lbStyle, UINT(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_CROSS));

    fw::TPen pen;
    LOGPEN lp{};
    pen.SetWidth(3);
    pen.SetColor(fw::clRed);
    pen.SetStyle(fw::psDot);
    ASSERT_TRUE(GetObjectW(pen.Handle(), sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnWidth.x, 3);
    EXPECT_EQ(lp.lopnColor, RGB(255, 0, 0));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
}

TEST(CanvasTest, ShapesLandWhereDrawn) {
    Drawing bmp(60, 40);
    fw::TCanvas& canvas = bmp.canvas;
    canvas.Brush()->SetColor(fw::clRed);
    canvas.FillRect(RECT{10, 10, 20, 20});
    EXPECT_EQ(bmp.At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(bmp.At(19, 19), RGB(255, 0, 0));
    EXPECT_EQ(bmp.At(20, 20), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixels(15, 15), fw::clRed);

    canvas.Pen()->SetColor(fw::clBlue);
    canvas.MoveTo(0, 30);
    canvas.LineTo(50, 30);
    EXPECT_EQ(bmp.At(0, 30), RGB(0, 0, 255));
    EXPECT_EQ(bmp.At(49, 30), RGB(0, 0, 255));
    EXPECT_EQ(bmp.At(50, 30), RGB(255, 255, 255));  // the end point is not drawn

    canvas.Brush()->SetColor(fw::clLime);
    canvas.Pen()->SetColor(fw::clBlack);
    canvas.Rectangle(30, 2, 40, 12);
    EXPECT_EQ(bmp.At(30, 2), RGB(0, 0, 0));
    EXPECT_EQ(bmp.At(35, 7), RGB(0, 255, 0));
    canvas.Brush()->SetColor(fw::clBlue);
    canvas.FrameRect(RECT{45, 2, 55, 12});
    EXPECT_EQ(bmp.At(45, 2), RGB(0, 0, 255));
    EXPECT_EQ(bmp.At(50, 7), RGB(255, 255, 255));

    canvas.SetPixels(59, 39, fw::clYellow);
    EXPECT_EQ(bmp.At(59, 39), RGB(255, 255, 0));
    const POINT triangle[] = {{0, 0}, {8, 0}, {0, 8}};
    canvas.Brush()->SetColor(fw::clFuchsia);
    canvas.Pen()->SetStyle(fw::psClear);
    canvas.Polygon(triangle, 3);
    EXPECT_EQ(bmp.At(1, 1), RGB(255, 0, 255));
    EXPECT_EQ(bmp.At(7, 7), RGB(255, 255, 255));
}

TEST(CanvasTest, TahomaMeasuresSanelyAndAFontChangeIsSelectedAgain) {
    Drawing bmp(200, 60);
    fw::TCanvas& canvas = bmp.canvas;
    const SIZE small = canvas.TextExtent(L"Hello World");
    EXPECT_GE(small.cy, 12);
    EXPECT_LE(small.cy, 16);
    EXPECT_GT(small.cx, 40);
    EXPECT_LT(small.cx, 90);
    EXPECT_EQ(canvas.TextWidth(L""), 0);
    EXPECT_EQ(canvas.TextHeight(L"x"), small.cy);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(bmp.dc(), LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Tahoma");

    canvas.Font()->SetHeight(-22);
    const SIZE large = canvas.TextExtent(L"Hello World");
    EXPECT_GT(large.cy, small.cy + 6);
    EXPECT_GT(large.cx, small.cx * 3 / 2);
    EXPECT_EQ(GetCurrentObject(bmp.dc(), OBJ_FONT), canvas.Font()->Handle());
    canvas.Font()->SetStyle(fw::fsBold);
    EXPECT_GT(canvas.TextWidth(L"Hello World"), large.cx);
}

TEST(CanvasTest, DrawsOnlyWithAContextAndGivesBackItsObjectsWhenReleasingIt) {
    fw::TBitmap bmp(10, 10);
    const HDC dc = bmp.Canvas()->Handle();
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    {
        fw::TCanvas canvas;
        EXPECT_THROW(canvas.FillRect(RECT{0, 0, 1, 1}), fw::EInvalidOperation);  // no context yet
        canvas.SetHandle(dc);
        canvas.Rectangle(0, 0, 5, 5);
        canvas.TextOut(0, 0, L"x");
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), canvas.Pen()->Handle());
        canvas.SetHandle(nullptr);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
        canvas.SetHandle(dc);
        canvas.Font()->SetHeight(-30);
        canvas.TextOut(0, 0, L"y");
    }
    // Freed with the context still attached: it is given back all the same.
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
}

TEST(CanvasTest, TextIsDrawnWithTheFontColourOnTheBrushBetweenChangeNotices) {
    Drawing bmp(120, 30);
    fw::TCanvas& canvas = bmp.canvas;
    int changing = 0, changed = 0;
    canvas.OnChanging = [&](fw::TObject*) { ++changing; };
    canvas.OnChange = [&](fw::TObject*) {
        EXPECT_EQ(changing, changed + 1);
        ++changed;
    };
    canvas.Font()->SetColor(fw::clRed);
    canvas.Brush()->SetColor(fw::clYellow);
    canvas.TextOut(5, 5, L"MMM");
    canvas.FillRect(RECT{100, 20, 120, 30});
    const int w = canvas.TextWidth(L"MMM");
    bool red = false;
    for (int x = 5; x < 5 + w; ++x)
        for (int y = 5; y < 5 + canvas.TextHeight(L"M"); ++y) red = red || bmp.At(x, y) == RGB(255, 0, 0);
    EXPECT_TRUE(red);
    EXPECT_EQ(bmp.At(5, 5), RGB(255, 255, 0));  // the cell background is the brush
    // A clear brush leaves the background alone.
    canvas.Brush()->SetStyle(fw::bsClear);
    canvas.TextOut(60, 5, L"MMM");
    EXPECT_EQ(bmp.At(60, 5), RGB(255, 255, 255));
    EXPECT_EQ(changed, 3);  // measuring is no change
}

TEST(CanvasTest, TextRectAlignsAndClips) {
    Drawing bmp(200, 60);
    fw::TCanvas& canvas = bmp.canvas;
    canvas.Font()->SetColor(fw::clBlack);
    canvas.Brush()->SetStyle(fw::bsClear);
    std::wstring text = L"Right";
    RECT right{0, 0, 200, 20};
    canvas.TextRect(right, text, fw::tfRight | fw::tfSingleLine | fw::tfVerticalCenter);
    const auto ink = bmp.InkColumns(0, 20);
    EXPECT_GT(ink.first, 150);
    EXPECT_GE(ink.second, 190);

    std::wstring centred = L"Mid";
    RECT middle{0, 20, 200, 40};
    canvas.TextRect(middle, centred, fw::tfCenter | fw::tfSingleLine);
    const auto mid = bmp.InkColumns(20, 40);
    EXPECT_NEAR((mid.first + mid.second) / 2, 100, 4);

    // Measuring only: nothing is drawn, the rectangle grows to fit.
    std::wstring two = L"one\r\ntwo";
    RECT calc{0, 0, 0, 0};
    const int height = canvas.TextRect(calc, two, fw::tfCalcRect);
    EXPECT_EQ(calc.bottom, height);
    EXPECT_GE(height, 2 * canvas.TextHeight(L"o"));
    EXPECT_GT(calc.right, 0);

    // The clipped form writes only inside its rectangle.
    canvas.Brush()->SetColor(fw::clWhite);
    canvas.TextRect(RECT{0, 40, 10, 60}, 0, 42, L"WWWWWWWW");
    const auto clipped = bmp.InkColumns(40, 60);
    EXPECT_LT(clipped.second, 10);
}

TEST(CanvasTest, BitmapsAreDrawnInPlaceOrStretched) {
    Drawing target(40, 40);
    fw::TCanvas& to = target.canvas;
    fw::TBitmap blue(4, 4);
    blue.Canvas()->Brush()->SetColor(fw::clBlue);
    blue.Canvas()->FillRect(RECT{0, 0, 4, 4});
    to.Draw(30, 0, blue.Handle());
    EXPECT_EQ(target.At(30, 0), RGB(0, 0, 255));
    EXPECT_EQ(target.At(33, 3), RGB(0, 0, 255));
    EXPECT_EQ(target.At(34, 4), RGB(255, 255, 255));
    to.StretchDraw(RECT{0, 30, 10, 40}, blue.Handle());
    EXPECT_EQ(target.At(9, 39), RGB(0, 0, 255));
}

TEST(CanvasTest, AGraphicDrawsItselfInTheRectangleAsked) {
    class Box : public fw::TGraphic {
    public:
        RECT drawn{};
        bool Empty() const override { return false; }
        int Width() const override { return 7; }
        int Height() const override { return 5; }

    protected:
        void Draw(fw::TCanvas* canvas, const RECT& r) override {
            drawn = r;
            canvas->Brush()->SetColor(fw::clNavy);
            canvas->FillRect(r);
        }
    };
    Drawing bmp(30, 30);
    fw::TCanvas& canvas = bmp.canvas;
    Box box;
    canvas.Draw(3, 4, &box);
    EXPECT_EQ(box.drawn.left, 3);
    EXPECT_EQ(box.drawn.bottom, 9);
    EXPECT_EQ(bmp.At(9, 8), RGB(0, 0, 128));
    canvas.StretchDraw(RECT{10, 10, 30, 30}, &box);
    EXPECT_EQ(bmp.At(29, 29), RGB(0, 0, 128));
}

TEST(CanvasTest, LockKeepsOtherThreadsOut) {
    fw::TCanvas canvas;
    const auto lockedElsewhere = [&] {
        bool got = false;
        std::thread([&] {
            got = canvas.TryLock();
            if (got) canvas.Unlock();
        }).join();
        return got;
    };
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    EXPECT_FALSE(lockedElsewhere());
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_TRUE(lockedElsewhere());
}

}  // namespace
