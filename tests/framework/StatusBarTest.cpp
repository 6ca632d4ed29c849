// The status bar: panel edges and texts in the window, owner-drawn panels drawn
// by the bar's handler, and double clicks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/StatusBar.h"
#include "tests/common/PlacedForm.h"

namespace {

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 500, 200);
        bar = new fw::TStatusBar(form);
        bar->SetParent(form);
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    std::vector<int> Edges() {
        int edges[16] = {};
        const int n = int(SendMessageW(bar->Handle(), SB_GETPARTS, 16, reinterpret_cast<LPARAM>(edges)));
        return std::vector<int>(edges, edges + n);
    }
    std::wstring PartText(int i) {
        wchar_t text[256] = {};
        SendMessageW(bar->Handle(), SB_GETTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(text));
        return text;
    }
    fw::TForm* form = nullptr;
    fw::TStatusBar* bar = nullptr;
};

TEST_F(StatusBarTest, PanelsReachTheWindowBeforeAndAfterItIsMadeDoubleClicksAndTheSimplePanel) {
    bar->Panels()->Add()->SetWidth(120);
    bar->Panels()->Add()->SetWidth(120);
    form->Show();
    EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());  // at the bottom
    EXPECT_EQ(bar->Width(), form->ClientWidth());
    fw::TStatusPanel* last = bar->Panels()->Add();
    last->SetWidth(120);
    // The last panel reaches the right edge.
    EXPECT_EQ(Edges(), (std::vector<int>{120, 240, -1}));
    bar->Panels()->Items(0)->SetText(L"Items: 3");
    EXPECT_EQ(PartText(0), L"Items: 3");
    EXPECT_EQ(last->Index(), 2);
    bar->Panels()->Delete(0);
    EXPECT_EQ(last->Index(), 1);
    EXPECT_EQ(Edges(), (std::vector<int>{120, -1}));
    EXPECT_THROW(bar->Panels()->Items(2), fw::EListError);

    int doubleClicks = 0;
    bar->OnDblClick = [&](fw::TObject*) { ++doubleClicks; };
    SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    SendMessageW(bar->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
    SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    EXPECT_EQ(doubleClicks, 1);
    bar->SetSimplePanel(true);
    bar->SetSimpleText(L"one text");
    EXPECT_TRUE(SendMessageW(bar->Handle(), SB_ISSIMPLE, 0, 0));
}

TEST_F(StatusBarTest, OwnerDrawnPanelsAreDrawnByTheHandlerOnTheBarsCanvas) {
    for (const wchar_t* text : {L"", L"Email", L"About...."}) {
        fw::TStatusPanel* panel = bar->Panels()->Add();
        panel->SetWidth(120);
        panel->SetText(text);
        panel->SetStyle(fw::psOwnerDraw);
    }
    struct Drawn {
        int index;
        RECT rect;
        bool canvas;
    };
    std::vector<Drawn> drawn;
    bar->OnDrawPanel = [&](fw::TStatusBar* sender, fw::TStatusPanel* panel, const RECT& rect) {
        drawn.push_back({panel->Index(), rect, sender->Canvas()->HandleAllocated()});
        sender->Canvas()->FillRect(rect);
        sender->Canvas()->TextOut(rect.left + 2, rect.top, panel->Text());
    };
    form->Show();
    UpdateWindow(bar->Handle());
    ASSERT_GE(drawn.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(drawn[size_t(i)].index, i);
        EXPECT_TRUE(drawn[size_t(i)].canvas);
        const RECT panel = bar->PanelRect(i);
        EXPECT_GE(drawn[size_t(i)].rect.left, panel.left);
        EXPECT_LE(drawn[size_t(i)].rect.right, panel.right);
    }
    EXPECT_LE(drawn[0].rect.right, drawn[1].rect.left);
    EXPECT_FALSE(bar->Canvas()->HandleAllocated());  // only while drawing
}

}  // namespace
