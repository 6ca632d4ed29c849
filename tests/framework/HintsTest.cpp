// Hints: shown for the control under the mouse after a rest, changed or refused
// by CM_HINTSHOW and the application events, kept while the mouse stays in the
// cursor rectangle, and gone when it leaves or a button is pressed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/AppEvents.h"
#include "framework/Application.h"
#include "framework/Hints.h"
#include "framework/Panel.h"
#include "tests/common/PlacedForm.h"

namespace {

// A panel that narrows its hint to its left half and names the half in the text.
class HalfPanel : public fw::TPanel {
public:
    using fw::TPanel::TPanel;
    void WndProc(fw::TMessage& Message) override {
        if (Message.Msg == fw::CM_HINTSHOW) {
            auto* info = reinterpret_cast<fw::THintInfo*>(Message.LParam);
            const bool left = info->CursorPos.x < Width() / 2;
            info->CursorRect.right = left ? Width() / 2 : Width();
            info->CursorRect.left = left ? 0 : Width() / 2;
            info->HintStr += left ? L" (left)" : L" (right)";
            if (windowClass) info->HintWindowClass = windowClass;
            return;
        }
        fw::TPanel::WndProc(Message);
    }
    fw::THintWindowClass windowClass = nullptr;
};

// A hint window a control may ask for instead of the plain one.
class MarkedHintWindow : public fw::THintWindow {
public:
    using fw::THintWindow::THintWindow;
};

class HintsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(60, 60, 400, 200);
        form->SetShowHint(true);
        panel = new HalfPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 50);
        panel->SetHint(L"Panel hint|long part");
        bare = new fw::TPanel(form);
        bare->SetParent(form);
        bare->SetBounds(0, 100, 200, 50);
        form->Show();
    }
    void TearDown() override {
        fw::CancelHint();
        delete form;
        fw::Application()->ProcessMessages();
    }
    POINT OnPanel(int x, int y) { return panel->ClientToScreen(POINT{x, y}); }
    fw::TForm* form = nullptr;
    HalfPanel* panel = nullptr;
    fw::TPanel* bare = nullptr;
};

TEST_F(HintsTest, TheControlAndTheApplicationEventsShapeOrRefuseTheHint) {
    ASSERT_TRUE(panel->ShowHint());  // from the form
    fw::TApplicationEvents events(nullptr);
    int asked = 0;
    events.OnShowHint = [&](std::wstring& text, bool&, fw::THintInfo& info) {
        ++asked;
        EXPECT_EQ(info.HintControl, panel);
        text = L"[" + text + L"]";
    };
    ASSERT_TRUE(fw::ActivateHint(OnPanel(20, 10)));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fw::ShownHintText(), L"[Panel hint (left)]");
    ASSERT_NE(fw::ShownHintWindow(), nullptr);
    EXPECT_TRUE(IsWindowVisible(fw::ShownHintWindow()->Handle()));
    const RECT cursor = fw::ShownHintCursorRect();
    EXPECT_EQ(cursor.left, OnPanel(0, 0).x);
    EXPECT_EQ(cursor.right, OnPanel(100, 0).x);
    // Moving inside the rectangle keeps the hint; leaving it hides it.
    MSG move{form->Handle(), WM_MOUSEMOVE, 0, 0, 0, OnPanel(50, 20)};
    fw::HintMessage(move);
    EXPECT_EQ(fw::ShownHintText(), L"[Panel hint (left)]");
    move.pt = OnPanel(150, 20);
    fw::HintMessage(move);
    EXPECT_EQ(fw::ShownHintWindow(), nullptr);

    // Refused or empty hints show nothing.
    events.OnShowHint = [](std::wstring&, bool& canShow, fw::THintInfo&) { canShow = false; };
    EXPECT_FALSE(fw::ActivateHint(OnPanel(20, 10)));
    EXPECT_EQ(fw::ShownHintWindow(), nullptr);
    events.OnShowHint = nullptr;
    EXPECT_FALSE(fw::ActivateHint(bare->ClientToScreen(POINT{5, 5})));  // no hint text
    panel->SetShowHint(false);
    EXPECT_FALSE(fw::ActivateHint(OnPanel(20, 10)));
}

TEST_F(HintsTest, AMouseRestShowsTheHintAndAPressHidesIt) {
    fw::HintSettings().HintPause = 20;
    SetCursorPos(OnPanel(20, 10).x, OnPanel(20, 10).y);
    MSG move{panel->Handle(), WM_MOUSEMOVE, 0, 0, 0, OnPanel(20, 10)};
    fw::HintMessage(move);
    // Watchdog: the pause ends long before this.
    const DWORD start = GetTickCount();
    while (!fw::ShownHintWindow() && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        fw::Application()->ProcessMessages();
    }
    fw::HintSettings().HintPause = 500;
    ASSERT_NE(fw::ShownHintWindow(), nullptr);
    EXPECT_EQ(fw::ShownHintText(), L"Panel hint (left)");
    MSG press{panel->Handle(), WM_LBUTTONDOWN, 0, 0, 0, OnPanel(20, 10)};
    fw::HintMessage(press);
    EXPECT_EQ(fw::ShownHintWindow(), nullptr);
}

TEST_F(HintsTest, AFreedControlTakesItsPendingHintAlong) {
    MSG move{panel->Handle(), WM_MOUSEMOVE, 0, 0, 0, OnPanel(20, 10)};
    fw::HintMessage(move);
    delete panel;
    panel = nullptr;
    fw::Application()->ProcessMessages();
    EXPECT_EQ(fw::ShownHintWindow(), nullptr);
    EXPECT_EQ(fw::GetShortHint(L"short|long"), L"short");
    EXPECT_EQ(fw::GetShortHint(L"plain"), L"plain");
}

}  // namespace

TEST_F(HintsTest, AControlMayAskForAHintWindowOfItsOwnClass) {
    panel->windowClass = [](fw::TComponent* owner) -> fw::THintWindow* { return new MarkedHintWindow(owner); };
    ASSERT_TRUE(fw::ActivateHint(OnPanel(20, 10)));
    ASSERT_NE(fw::ShownHintWindow(), nullptr);
    EXPECT_NE(dynamic_cast<MarkedHintWindow*>(fw::ShownHintWindow()), nullptr);
    // Without a class of its own, the plain window comes back.
    panel->windowClass = nullptr;
    ASSERT_TRUE(fw::ActivateHint(OnPanel(20, 10)));
    ASSERT_NE(fw::ShownHintWindow(), nullptr);
    EXPECT_EQ(dynamic_cast<MarkedHintWindow*>(fw::ShownHintWindow()), nullptr);
}
