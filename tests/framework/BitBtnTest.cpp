// The glyph button: its glyph shown by the window, see-through where the glyph's
// bottom-left colour is, greyed while disabled, and kept across a new window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "framework/Application.h"
#include "framework/BitBtn.h"
#include "framework/Handles.h"
#include "tests/common/PlacedForm.h"

namespace {

class BitBtnTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 200, 120);
        button = new fw::TBitBtn(form);
        button->SetParent(form);
        button->SetBounds(8, 8, 37, 28);
        // A black square of 6 x 6 on fuchsia.
        glyph.SetPixelFormat(fw::pf24bit);
        glyph.SetSize(16, 16);
        glyph.Canvas()->Brush()->SetColor(fw::clFuchsia);
        glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
        glyph.Canvas()->Brush()->SetColor(fw::clBlack);
        glyph.Canvas()->FillRect(RECT{5, 5, 11, 11});
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    // The button's drawn pixels that Ink accepts.
    template <class Predicate>
    int Count(Predicate Ink) {
        RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        const fw::WindowDC dc(button->Handle());
        int count = 0;
        for (int y = 0; y < button->Height(); ++y)
            for (int x = 0; x < button->Width(); ++x) count += Ink(GetPixel(dc.get(), x, y));
        return count;
    }
    int Black() {
        return Count([](COLORREF c) { return c == RGB(0, 0, 0); });
    }
    int Fuchsia() {
        return Count([](COLORREF c) { return c == RGB(255, 0, 255); });
    }
    int Images() {
        BUTTON_IMAGELIST info{};
        SendMessageW(button->Handle(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&info));
        return info.himl ? ImageList_GetImageCount(info.himl) : 0;
    }

    fw::TForm* form = nullptr;
    fw::TBitBtn* button = nullptr;
    fw::TBitmap glyph;
};

}  // namespace

TEST_F(BitBtnTest, TheGlyphIsShownSeeThroughGreyedWhileDisabledAndKeptInANewWindow) {
    button->SetGlyph(&glyph);  // before the window: kept until it is made
    glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
    EXPECT_EQ(button->Glyph()->Canvas()->Pixels(0, 0), fw::clFuchsia) << "a copy, not the caller's bitmap";
    form->Show();
    EXPECT_EQ(Images(), 6) << "one image per state";
    // The square in the middle of the button, and nothing of its fuchsia ground.
    EXPECT_EQ(Black(), 36);
    EXPECT_EQ(Fuchsia(), 0);
    const fw::WindowDC dc(button->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 18, 14), RGB(0, 0, 0));
    // Disabled: the square in the shadow colour, nothing black.
    button->SetEnabled(false);
    EXPECT_EQ(Black(), 0);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_GE(Count([shadow](COLORREF c) { return c == shadow; }), 36);
    button->SetEnabled(true);
    // A new window shows the glyph again; no glyph shows none.
    button->RecreateWnd();
    form->Show();
    EXPECT_EQ(Images(), 6);
    EXPECT_EQ(Black(), 36);
    button->SetGlyph(nullptr);
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(Images(), 0);
    EXPECT_EQ(Black(), 0);
}
