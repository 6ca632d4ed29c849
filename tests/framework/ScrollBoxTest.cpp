// A paint box inside a scroll box: painting through OnPaint, scroll ranges that
// follow the box, scrolling that moves it, and scrolling back when it shrinks.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Handles.h"
#include "framework/PaintBox.h"
#include "framework/ScrollBox.h"
#include "tests/common/PlacedForm.h"

namespace {

class ScrollBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(0, 0, 400, 400);
        box = new fw::TScrollBox(form);
        box->SetParent(form);
        box->SetBounds(0, 0, 200, 200);
        box->SetVertIncrement(16);
        paint = new fw::TPaintBox(form);
        paint->SetParent(box);
        paint->OnPaint = [this](fw::TObject*) {
            ++paints;
            paint->Canvas()->Brush()->SetColor(fw::clRed);
            paint->Canvas()->FillRect(RECT{0, 0, paint->Width(), paint->Height()});
        };
        form->Show();
    }
    void TearDown() override { delete form; }

    SCROLLINFO Bar(int bar) {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(box->Handle(), bar, &si);
        return si;
    }

    fw::TForm* form = nullptr;
    fw::TScrollBox* box = nullptr;
    fw::TPaintBox* paint = nullptr;
    int paints = 0;
};

TEST_F(ScrollBoxTest, RangesFollowTheChildScrollingMovesItAndOnPaintDrawsIt) {
    paint->SetBounds(15, 15, 500, 300);
    box->UpdateScrollBars();
    EXPECT_EQ(box->ContentSize().cx, 515);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 514);
    EXPECT_EQ(Bar(SB_VERT).nMax, 314);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(int(Bar(SB_HORZ).nPage), client.right);

    box->ScrollTo(100, 50);
    EXPECT_EQ(paint->Left(), 15 - 100);
    EXPECT_EQ(paint->Top(), 15 - 50);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 100);
    EXPECT_EQ(box->ContentSize().cx, 515);  // scrolling does not change what there is
    SendMessageW(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(box->VertPosition(), 66);
    EXPECT_EQ(paint->Top(), 15 - 66);
    box->ScrollTo(10000, 10000);
    EXPECT_EQ(box->HorzPosition(), 515 - client.right);

    // A child that shrinks scrolls the box back, and the bars go.
    paint->SetBounds(paint->Left(), paint->Top(), 50, 50);
    box->UpdateScrollBars();
    EXPECT_EQ(box->HorzPosition(), 0);
    EXPECT_EQ(box->VertPosition(), 0);
    EXPECT_EQ(paint->Left(), 15);
    EXPECT_EQ(paint->Top(), 15);
    EXPECT_FALSE(GetWindowLongW(box->Handle(), GWL_STYLE) & WS_VSCROLL);

    box->Repaint();
    EXPECT_GT(paints, 0);
    fw::WindowDC dc(box->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 30, 30), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(dc.get(), 80, 80), RGB(255, 0, 0));
}

}  // namespace
