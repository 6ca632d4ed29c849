// The label (sizing, accelerators, drawing) and the progress bar.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/Handles.h"
#include "framework/Label.h"
#include "framework/ProgressBar.h"
#include "tests/common/PlacedForm.h"

namespace {

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 320, 240);
        label = new fw::TLabel(form);
        label->SetParent(form);
        label->SetBounds(100, 10, 50, 17);
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    // The width of Text drawn in the label's font, prefixes taken as DrawText does.
    int TextWidth(const std::wstring& Text, UINT Flags = 0) {
        const fw::WindowDC screen(nullptr);
        const fw::SelectObjectGuard font(screen.get(), label->Font()->Handle());
        RECT r{0, 0, 1000, 100};
        DrawTextW(screen.get(), Text.c_str(), int(Text.size()), &r, DT_CALCRECT | DT_SINGLELINE | Flags);
        return r.right;
    }
    // Renders the label into a bitmap; the number of dark pixels drawn (and in
    // inkRight, one past the rightmost column with ink).
    int InkOf(const std::wstring& Caption) {
        label->SetCaption(Caption);
        const fw::WindowDC screen(nullptr);
        fw::DCHandle dc(CreateCompatibleDC(screen.get()));
        fw::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), label->Width(), label->Height()));
        const fw::SelectObjectGuard select(dc.get(), bitmap.get());
        label->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.get()), 0);
        int ink = 0;
        inkRight = 0;
        for (int y = 0; y < label->Height(); ++y)
            for (int x = 0; x < label->Width(); ++x)
                if (GetPixel(dc.get(), x, y) == RGB(0, 0, 0)) {
                    ++ink;
                    inkRight = std::max(inkRight, x + 1);
                }
        return ink;
    }
    int inkRight = 0;
    fw::TForm* form = nullptr;
    fw::TLabel* label = nullptr;
};

}  // namespace

TEST_F(LabelTest, AutoSizeFitsTheCaptionAndKeepsTheAlignedSide) {
    label->SetCaption(L"Header:");
    EXPECT_EQ(label->Width(), TextWidth(L"Header:"));
    EXPECT_EQ(label->Left(), 100);
    label->SetCaption(L"a && b");
    EXPECT_EQ(label->Width(), TextWidth(L"a & b", DT_NOPREFIX)) << "\"&&\" is one ampersand";
    label->SetAlignment(fw::taRightJustify);
    const int right = label->Left() + label->Width();
    label->SetCaption(L"a much longer caption");
    EXPECT_EQ(label->Left() + label->Width(), right);
    label->SetAutoSize(false);
    label->SetCaption(L"x");
    EXPECT_GT(label->Width(), TextWidth(L"x"));
}

TEST_F(LabelTest, AmpersandsDrawAsTheyRead) {
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 120, 20);
    label->Font()->SetColor(fw::clBlack);
    label->SetColor(fw::clWhite);
    const int literal = InkOf(L"a&b");  // "&b": b underlined, no ampersand drawn
    const int doubled = InkOf(L"a&&b");
    label->SetShowAccelChar(false);
    const int plain = InkOf(L"a&b");
    EXPECT_EQ(doubled, plain) << "\"&&\" draws like one literal ampersand";
    EXPECT_NE(literal, plain);
}

TEST_F(LabelTest, DrawsInItsOwnFont) {
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 300, 60);
    label->Font()->SetColor(fw::clBlack);
    label->SetColor(fw::clWhite);
    label->Font()->SetHeight(-40);
    const int width = TextWidth(L"WWW");
    ASSERT_GT(InkOf(L"WWW"), 0);
    EXPECT_NEAR(inkRight, width, width / 8) << "the text reaches as far as it does in the label's font";
    label->SetLayout(fw::tlCenter);
    ASSERT_GT(InkOf(L"WWW"), 0);
    EXPECT_NEAR(inkRight, width, width / 8) << "also when the text is centred by its measured height";
}

TEST_F(LabelTest, AcceleratorFocusesItsControl) {
    auto* button = new fw::TButton(form);
    button->SetParent(form);
    label->SetCaption(L"&Header:");
    label->SetFocusControl(button);
    form->Show();
    EXPECT_EQ(form->Perform(fw::CM_DIALOGCHAR, WPARAM(L'h'), 0), 1);
    EXPECT_TRUE(button->Focused());
    delete button;
    EXPECT_EQ(label->FocusControl(), nullptr) << "a freed control is let go";
}

TEST_F(LabelTest, ProgressBarKeepsItsRangeForTheWindow) {
    auto* bar = new fw::TProgressBar(form);
    bar->SetParent(form);
    bar->SetRange(0, 70002);
    bar->SetPosition(80000);
    EXPECT_EQ(bar->Position(), 70002) << "clamped to the range";
    bar->SetPosition(5);
    form->Show();
    ASSERT_TRUE(bar->HandleAllocated());
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 70002);
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 5);
    bar->SetPosition(60000);
    EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 60000);
}
