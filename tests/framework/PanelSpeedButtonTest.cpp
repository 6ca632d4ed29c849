// Panels lay their aligned children out inside their bevels; speed buttons of a
// group stay down one at a time, and come up on a second click only with AllowAllUp.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "framework/Application.h"
#include "framework/Panel.h"
#include "framework/SpeedButton.h"
#include "tests/common/PlacedForm.h"

namespace {

class PanelSpeedButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 400, 300);
        panel = new fw::TPanel(form);
        panel->SetParent(form);
        panel->SetAlign(fw::alTop);
        panel->SetHeight(40);
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    // A press and release of the left button at (x, y) of the panel.
    void ClickAt(int x, int y) {
        SendMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    fw::TSpeedButton* AddButton(int left, int group) {
        auto* button = new fw::TSpeedButton(form);
        button->SetParent(panel);
        button->SetBounds(left, 5, 25, 25);
        button->SetGroupIndex(group);
        button->OnClick = [this, button](fw::TObject*) { clicks.push_back(button); };
        return button;
    }
    fw::TForm* form = nullptr;
    fw::TPanel* panel = nullptr;
    std::vector<fw::TSpeedButton*> clicks;
};

TEST_F(PanelSpeedButtonTest, AlignedChildrenSitInsideTheBevelsAndBorder) {
    panel->SetBevelOuter(fw::bvRaised);
    panel->SetBevelInner(fw::bvLowered);
    panel->SetBorderWidth(2);
    auto* right = new fw::TPanel(form);
    right->SetParent(panel);
    right->SetWidth(64);
    right->SetAlign(fw::alRight);
    auto* rest = new fw::TPanel(form);
    rest->SetParent(panel);
    rest->SetAlign(fw::alClient);
    form->Show();
    // 1 outer + 2 border + 1 inner on every side.
    EXPECT_EQ(right->Left(), form->ClientWidth() - 4 - 64);
    EXPECT_EQ(right->Top(), 4);
    EXPECT_EQ(right->Height(), 40 - 8);
    EXPECT_EQ(rest->Left(), 4);
    EXPECT_EQ(rest->Width(), form->ClientWidth() - 8 - 64);
    panel->SetBevelInner(fw::bvNone);
    EXPECT_EQ(rest->Left(), 3);
}

TEST_F(PanelSpeedButtonTest, OneButtonOfAGroupIsDownAtATimeAndPlainButtonsSpringBack) {
    fw::TSpeedButton* a = AddButton(10, 7);
    fw::TSpeedButton* b = AddButton(40, 7);
    fw::TSpeedButton* other = AddButton(70, 3);
    fw::TSpeedButton* plain = AddButton(100, 0);
    other->SetDown(true);
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down());  // no group: it cannot stay down
    form->Show();
    EXPECT_FALSE(a->Down());
    ClickAt(15, 10);
    EXPECT_TRUE(a->Down());
    ClickAt(45, 10);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(other->Down());  // another group is left alone
    // Without AllowAllUp the down button stays down, and still clicks.
    ClickAt(45, 10);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, (std::vector<fw::TSpeedButton*>{a, b, b}));
    // AllowAllUp is shared by the group.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    ClickAt(45, 10);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Down());

    // A release outside does not click.
    clicks.clear();
    SendMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(105, 10));
    EXPECT_EQ(plain->State(), fw::sbsDown);
    SendMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
    EXPECT_EQ(plain->State(), fw::sbsUp);
    EXPECT_TRUE(clicks.empty());
    ClickAt(105, 10);
    EXPECT_EQ(clicks, std::vector<fw::TSpeedButton*>{plain});
    EXPECT_FALSE(plain->Down());
}

}  // namespace
