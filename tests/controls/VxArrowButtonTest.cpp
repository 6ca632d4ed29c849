// The arrow button: the button and arrow parts of a press, Down and group rules,
// the drop-down menu, glyph counting and slot reuse, and its pixels enabled and
// disabled with themes on and off.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "controls/VxArrowButton.h"
#include "controls/VxThemes.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/Menus.h"

namespace {

using vx::TVxArrowButton;

void Pump() {
    fw::Application()->ProcessMessages();
}

// One shown form for the suite; buttons are made per test.
class ArrowOnForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        form = new fw::TForm(nullptr);
        form->SetBounds(40, 40, 400, 200);
        form->Show();
        Pump();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    TVxArrowButton* NewButton(int left, int group, bool allowAllUp) {
        auto* b = new TVxArrowButton(form);
        b->SetParent(form);
        b->SetBounds(left, 10, 117, 25);
        b->SetGroupIndex(group);
        b->SetAllowAllUp(allowAllUp);
        b->SetCaption(L"Print Preview");
        b->OnClick = [this, b](fw::TObject*) { clicks.push_back(b); };
        b->OnDrop = [this, b](fw::TObject*) { drops.push_back(b); };
        buttons.push_back(b);
        return b;
    }
    void TearDown() override {
        for (TVxArrowButton* b : buttons) delete b;
    }
    // A press and a release in the form's window at the button's client points.
    void PressAt(TVxArrowButton* b, int x, int y) {
        SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->Left() + x, b->Top() + y));
    }
    void ReleaseAt(TVxArrowButton* b, int x, int y) {
        SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(b->Left() + x, b->Top() + y));
    }
    void ClickAt(TVxArrowButton* b, int x, int y) {
        PressAt(b, x, y);
        ReleaseAt(b, x, y);
    }
    static fw::TForm* form;
    std::vector<TVxArrowButton*> buttons;
    std::vector<TVxArrowButton*> clicks, drops;
};

fw::TForm* ArrowOnForm::form = nullptr;

TEST_F(ArrowOnForm, DownRulesOfGroupIndexAndAllowAllUp) {
    TVxArrowButton* free = NewButton(10, 3, true);
    TVxArrowButton* sticky = NewButton(140, 4, false);
    TVxArrowButton* never = NewButton(270, 0, true);
    ClickAt(free, 20, 10);
    EXPECT_TRUE(free->Down());
    free->SetDown(false);
    EXPECT_FALSE(free->Down());
    EXPECT_EQ(free->State(), vx::bsUp);

    // Without AllowAllUp a down button stays down; other groups are left alone.
    free->SetDown(true);
    ClickAt(sticky, 20, 10);
    ClickAt(sticky, 20, 10);
    EXPECT_TRUE(sticky->Down());
    sticky->SetDown(false);
    EXPECT_TRUE(sticky->Down());
    EXPECT_TRUE(free->Down());

    // Group index 0 never stays down.
    never->SetDown(true);
    EXPECT_FALSE(never->Down());
    ClickAt(never, 20, 10);
    EXPECT_FALSE(never->Down());
    EXPECT_EQ(never->State(), vx::bsUp);
    EXPECT_EQ(clicks, (std::vector<TVxArrowButton*>{free, sticky, sticky, never}));
}

TEST_F(ArrowOnForm, ClickingOneButtonOfAGroupReleasesTheOther) {
    TVxArrowButton* a = NewButton(10, -1, true);
    TVxArrowButton* b = NewButton(140, -1, true);
    b->SetDown(true);
    a->SetAllowAllUp(false);  // broadcast: b takes it too
    EXPECT_FALSE(b->AllowAllUp());
    a->SetAllowAllUp(true);
    b->SetAllowAllUp(true);
    b->SetDown(true);
    a->SetAllowAllUp(false);
    ClickAt(a, 20, 10);
    EXPECT_TRUE(a->Down());
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(b->AllowAllUp());  // taken from a
}

TEST_F(ArrowOnForm, ArrowPartStartsAtWidthMinusArrowWidthAndAPressNeverFiresBoth) {
    TVxArrowButton* b = NewButton(10, -1, true);
    ClickAt(b, 117 - 13, 10);
    EXPECT_EQ(drops.size(), 1u);
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(b->Down());
    ClickAt(b, 117 - 14, 10);
    EXPECT_EQ(drops.size(), 1u);
    EXPECT_EQ(clicks.size(), 1u);

    b->SetDown(false);
    PressAt(b, 110, 10);   // arrow part
    ReleaseAt(b, 20, 10);  // let go over the button part
    EXPECT_EQ(drops.size(), 2u);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_FALSE(b->Down());
    ClickAt(b, 20, 10);  // the next press clicks again
    EXPECT_EQ(clicks.size(), 2u);
    // With DropOnButtonClick every press drops and none clicks.
    b->SetDown(false);
    b->SetDropOnButtonClick(true);
    ClickAt(b, 20, 10);
    ClickAt(b, 110, 10);
    EXPECT_EQ(drops.size(), 4u);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(ArrowOnForm, ReleasedOutsideOrDisabledNothingFires) {
    TVxArrowButton* b = NewButton(10, -1, true);
    PressAt(b, 20, 10);
    EXPECT_EQ(b->State(), vx::bsDown);
    ReleaseAt(b, 20, 60);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->State(), vx::bsUp);

    b->SetEnabled(false);  // sent to the button itself, past any routing by the form
    for (int x : {110, 20}) {
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 10));
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, 10));
    }
    EXPECT_TRUE(drops.empty());
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(b->Down());
}

TEST_F(ArrowOnForm, AltAcceleratorClicksAndADoubleAmpersandIsOneLiteralAmpersand) {
    TVxArrowButton* b = NewButton(10, 0, true);
    b->SetCaption(L"&Save");
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'S', fw::ShiftStateToKeyData(fw::ssAlt)), 1);
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'S', fw::ShiftStateToKeyData(fw::ssAlt | fw::ssCtrl)), 0);
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'X', fw::ShiftStateToKeyData(fw::ssAlt)), 0);
    EXPECT_EQ(clicks.size(), 1u);
    // "&&" is a literal ampersand: it marks no accelerator, and "&&&D" marks D.
    b->SetCaption(L"R&&D");
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'D', fw::ShiftStateToKeyData(fw::ssAlt)), 0);
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'&', fw::ShiftStateToKeyData(fw::ssAlt)), 0);
    EXPECT_EQ(clicks.size(), 1u);
    b->SetCaption(L"R&&&D");
    EXPECT_EQ(b->Perform(fw::CM_DIALOGCHAR, L'd', fw::ShiftStateToKeyData(fw::ssAlt)), 1);
    EXPECT_EQ(clicks.size(), 2u);
    // The drawn caption shows one ampersand for two.
    vx::TButtonGlyph glyph;
    fw::TBitmap picture(200, 30);
    const RECT text = glyph.Draw(picture.Canvas(), RECT{0, 0, 200, 30}, POINT{0, 0}, fw::taVerticalCenter,
                                 fw::taLeftJustify, true, vx::bsUp, 0, 0, vx::blGlyphLeft, L"R&&D");
    EXPECT_EQ(text.right - text.left, picture.Canvas()->TextWidth(L"R&D"));
}

// The menu loop runs inside the press; a timer of the test looks at the menu and ends it.
struct MenuWatch {
    static inline RECT menuRect{};
    static inline bool seen = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu)) {
            seen = true;
            GetWindowRect(menu, &menuRect);
        }
        KillTimer(nullptr, id);
        EndMenu();
    }
};

TEST_F(ArrowOnForm, ArrowPartOpensTheMenuBelowTheButtonAndTheTestClosesIt) {
    TVxArrowButton* b = NewButton(30, -1, true);
    auto* menu = new fw::TPopupMenu(form);
    auto* item = new fw::TMenuItem(form);
    item->SetCaption(L"Save as HTML");
    menu->Items()->Add(item);
    int itemClicks = 0;
    item->OnClick = [&](fw::TObject*) { ++itemClicks; };
    fw::TComponent* popupComponent = nullptr;
    menu->OnPopup = [&](fw::TObject*) { popupComponent = menu->PopupComponent(); };
    b->SetDropDown(menu);
    MenuWatch::seen = false;
    SetTimer(nullptr, 0, 200, MenuWatch::Tick);
    ClickAt(b, 110, 12);
    Pump();
    EXPECT_TRUE(MenuWatch::seen);
    const POINT corner = b->ClientToScreen(POINT{0, b->Height()});
    EXPECT_EQ(MenuWatch::menuRect.left, corner.x);
    EXPECT_EQ(MenuWatch::menuRect.top, corner.y);
    EXPECT_EQ(popupComponent, b);
    EXPECT_EQ(drops.size(), 1u);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(itemClicks, 0);
    EXPECT_FALSE(b->Down());
    delete menu;
    EXPECT_EQ(b->DropDown(), nullptr);  // the freed menu is let go
}

// ---- glyphs ----

std::unique_ptr<fw::TBitmap> Strip(int w, int h) {
    auto bitmap = std::make_unique<fw::TBitmap>(w, h);
    bitmap->Canvas()->Brush()->SetColor(fw::clOlive);
    bitmap->Canvas()->FillRect(RECT{0, 0, w, h});
    bitmap->Canvas()->Brush()->SetColor(fw::clBlack);
    bitmap->Canvas()->FillRect(RECT{2, 2, w - 2, h - 2});
    return bitmap;
}

TEST(ArrowGlyph, NumGlyphsFollowsTheBitmapsShape) {
    TVxArrowButton b(nullptr);
    b.SetGlyph(Strip(64, 16).get());
    EXPECT_EQ(b.NumGlyphs(), 4);
    b.SetGlyph(Strip(96, 16).get());
    EXPECT_EQ(b.NumGlyphs(), 1);
    b.SetNumGlyphs(2);
    b.SetGlyph(Strip(40, 16).get());
    EXPECT_EQ(b.NumGlyphs(), 2);  // not a multiple: unchanged
    b.SetNumGlyphs(7);
    EXPECT_EQ(b.NumGlyphs(), 4);
    b.SetNumGlyphs(0);
    EXPECT_EQ(b.NumGlyphs(), 4);
}

TEST(ArrowGlyph, ListSlotsAreReusedAndEmptyListsLeaveTheCache) {
    vx::TGlyphList list(16, 16);
    auto image = Strip(16, 16);
    EXPECT_EQ(list.AddMasked(image.get(), fw::clOlive), 0);
    EXPECT_EQ(list.AddMasked(image.get(), fw::clOlive), 1);
    list.Delete(0);
    EXPECT_EQ(list.UsedCount(), 1);
    EXPECT_EQ(list.AddMasked(image.get(), fw::clOlive), 0);  // the freed slot
    EXPECT_EQ(list.Count(), 2);                              // no image was appended

    auto glyph = std::make_unique<vx::TButtonGlyph>();
    ASSERT_NE(vx::GlyphCache(), nullptr);
    EXPECT_EQ(glyph->CreateButtonGlyph(vx::bsUp), -1);  // no bitmap, no image
    glyph->SetGlyph(Strip(32, 16).get());
    EXPECT_EQ(glyph->NumGlyphs(), 2);
    EXPECT_GE(glyph->CreateButtonGlyph(vx::bsUp), 0);
    EXPECT_GE(glyph->CreateButtonGlyph(vx::bsDisabled), 0);
    EXPECT_EQ(glyph->CreateButtonGlyph(vx::bsDown), glyph->CreateButtonGlyph(vx::bsUp));  // fewer than 3 glyphs
    EXPECT_EQ(vx::GlyphCache()->ListCount(), 1);
    glyph->Invalidate();
    EXPECT_TRUE(vx::GlyphCache()->Empty());
    glyph.reset();
    EXPECT_EQ(vx::GlyphCache(), nullptr);
}

// ---- pixels ----

// A 117 x 25 button painted into a bitmap, themes on or off.
class ArrowPicture : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !vx::ThemeServices()->ThemesAvailable()) GTEST_SKIP() << "no visual theme is active";
        vx::ThemeServices()->SetEnabled(GetParam());
        b.SetBounds(0, 0, 117, 25);
    }
    void TearDown() override { vx::ThemeServices()->SetEnabled(true); }
    std::unique_ptr<fw::TBitmap> Paint() {
        auto bitmap = std::make_unique<fw::TBitmap>(b.Width(), b.Height());
        bitmap->Canvas()->Brush()->SetColor(fw::clBtnFace);
        bitmap->Canvas()->FillRect(RECT{0, 0, b.Width(), b.Height()});
        b.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle()), LPARAM(0));
        return bitmap;
    }
    static COLORREF At(fw::TBitmap& bitmap, int x, int y) { return GetPixel(bitmap.Canvas()->Handle(), x, y); }
    TVxArrowButton b{nullptr};
};

TEST_P(ArrowPicture, TriangleOfSevenFiveThreeOnePixelsAndCaptionInTheFontColour) {
    b.SetCaption(L"Print Preview");
    b.Font()->SetColor(fw::clBlack);
    auto bitmap = Paint();
    const int w = 117;
    const COLORREF black = RGB(0, 0, 0);
    // Rows 11 to 14, starting one pixel left of the arrow part's quarter (framed button).
    for (int row = 0; row < 4; ++row) {
        const int left = w - 11 + row, right = w - 5 - row;
        for (int x = left; x <= right; ++x)
            EXPECT_EQ(At(*bitmap, x, 11 + row), black) << "x " << x << " row " << 11 + row;
        EXPECT_NE(At(*bitmap, left - 1, 11 + row), black) << "row " << 11 + row;
        EXPECT_NE(At(*bitmap, right + 1, 11 + row), black) << "row " << 11 + row;
    }
    for (int x = w - 12; x <= w - 4; ++x) {
        EXPECT_NE(At(*bitmap, x, 10), black);
        EXPECT_NE(At(*bitmap, x, 15), black);
    }
    int ink = 0;
    for (int y = 3; y < 21; ++y)
        for (int x = 3; x < w - 16; ++x) ink += At(*bitmap, x, y) == black;
    EXPECT_GT(ink, 20);
}

TEST_P(ArrowPicture, DisabledDrawsTheArrowInShadowAndTheCaptionTwice) {
    b.SetCaption(L"Print Preview");
    b.SetEnabled(false);
    auto bitmap = Paint();
    const COLORREF shadow = fw::ColorToRGB(fw::clBtnShadow), highlight = fw::ColorToRGB(fw::clBtnHighlight);
    EXPECT_EQ(At(*bitmap, 117 - 11, 11), shadow);
    EXPECT_EQ(At(*bitmap, 117 - 8, 14), shadow);
    // Every caption pixel in shadow that has no shadow pixel up-left of it has a highlight pixel down-right.
    int shadowPixels = 0, echoed = 0;
    for (int y = 3; y < 21; ++y)
        for (int x = 3; x < 117 - 16; ++x) {
            if (At(*bitmap, x, y) != shadow) continue;
            ++shadowPixels;
            const COLORREF next = At(*bitmap, x + 1, y + 1);
            if (next == highlight || next == shadow) ++echoed;
        }
    EXPECT_GT(shadowPixels, 20);
    EXPECT_GT(echoed, shadowPixels * 3 / 4);
}

INSTANTIATE_TEST_SUITE_P(Themes, ArrowPicture, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

}  // namespace
