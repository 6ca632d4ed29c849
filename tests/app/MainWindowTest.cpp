// The main window as the user meets it: its designed defaults, the status bar's
// panels, hints and contact links.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/Hints.h"

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(
        size_t(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), int(out.size()), nullptr, nullptr)));
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& text, const std::wstring&, unsigned) {
            boxes.push_back(text);
            return IDOK;
        };
        TForm1::ShellOpenHook = [this](HWND parent, const std::wstring& address) {
            opened.push_back(address);
            parents.push_back(parent);
        };
        form = new TForm1(nullptr);
        form->SetPosition(fw::poDesigned);
        form->SetBounds(20, 20, form->Width(), form->Height());
        form->AfterConstruction();
        form->Show();
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        fw::CancelHint();
        delete form;
        fw::Application()->ProcessMessages();
        TForm1::ShellOpenHook = nullptr;
        fw::TApplication::MessageBoxHook = nullptr;
    }
    // A screen point in the middle of status panel Index.
    POINT OnPanel(int Index) {
        return form->StatusBar1->ClientToScreen(POINT{Index * 120 + 60, form->StatusBar1->Height() / 2});
    }
    TForm1* form = nullptr;
    std::vector<std::wstring> boxes, opened;
    std::vector<HWND> parents;
};

TEST_F(MainWindowTest, TheDesignedDefaults) {
    EXPECT_EQ(form->Caption(), L"Tabulorin - Brenmoor Software");
    EXPECT_EQ(form->ClientWidth(), 723);
    EXPECT_EQ(form->ClientHeight(), 459);
    EXPECT_FALSE(form->MyGrid->Visible());
    EXPECT_EQ(form->edMask->Text(), L"*");
    EXPECT_EQ(form->edPrintCaption->Text(), L"File List");
    EXPECT_FALSE(form->cbItem->Checked());
    EXPECT_TRUE(form->cbSize->Checked() && form->cbType->Checked() && form->cbDate->Checked());
    EXPECT_FALSE(form->cbFilePath->Checked());
    EXPECT_TRUE(form->cbExt->Checked());
    EXPECT_TRUE(form->cbSort->Checked());
    EXPECT_TRUE(form->cbHeaders->Checked());
    EXPECT_FALSE(form->SearchSubfoldes->Checked() || form->SearchFilesOnly->Checked() || form->cbHidden->Checked());
    EXPECT_TRUE(form->btnAscend->Checked());
    EXPECT_FALSE(form->btnDescend->Checked());
    EXPECT_EQ(form->gpSort->ItemIndex(), -1);
    EXPECT_EQ(form->gpSort->Text(), L"Name");
    EXPECT_EQ(form->gpSort->Items()->Count(), 5);
    for (fw::TSpeedButton* button : {form->spIcons, form->spList, form->spReport}) {
        EXPECT_FALSE(button->Down());
        EXPECT_EQ(button->GroupIndex(), 7);
    }
    EXPECT_EQ(form->spIcons->Tag(), 1);
    EXPECT_EQ(form->spReport->Tag(), 3);
    // The top row: combo box, filter label and mask, then the view buttons at the right edge.
    EXPECT_EQ(form->spReport->Left() + form->spReport->Width(), form->pnlTop->ClientWidth());
    EXPECT_LT(form->Panel1->Left(), form->edMask->Left());
    EXPECT_LT(form->edMask->Left(), form->spIcons->Left());
    EXPECT_EQ(form->pnlBottom->Height(), 163);
    EXPECT_EQ(form->StatusBar1->Panels()->Count(), 3);
    EXPECT_EQ(form->StatusBar1->Panels()->Items(1)->Text(), L"Email");
    EXPECT_EQ(form->SGEXport->StringGrid(), form->MyGrid);
    EXPECT_EQ(form->BtnSave->DropDown(), form->MnSave);
    EXPECT_EQ(form->BtnPrint->DropDown(), form->PopupMenu1);
    EXPECT_EQ(form->MnPreview->Items()->Count(), 4);
    EXPECT_TRUE(boxes.empty()) << Narrow(boxes.empty() ? L"" : boxes[0]);
}

TEST_F(MainWindowTest, StatusPanelHintsFollowTheCursor) {
    const std::vector<std::wstring> expected = {
        L"Items displayed", L"Double Click to Email: tabulorin@brenmoor.example", L"Double Click to Open Website"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(fw::ActivateHint(OnPanel(i))) << i;
        EXPECT_EQ(fw::ShownHintText(), expected[size_t(i)]);
        // The hint is asked for again once the cursor leaves this panel.
        const RECT cursor = fw::ShownHintCursorRect();
        const POINT left = form->StatusBar1->ClientToScreen(POINT{i * 120, 0});
        EXPECT_EQ(cursor.left, left.x);
        EXPECT_EQ(cursor.right, left.x + 120);
    }
    // Beyond the last panel's width the bar's own (empty) hint stays.
    const POINT beyond = form->StatusBar1->ClientToScreen(POINT{400, 5});
    EXPECT_FALSE(fw::ActivateHint(beyond));
    form->StatusBar1->SetSimplePanel(true);
    EXPECT_FALSE(fw::ActivateHint(OnPanel(0)));
}

TEST_F(MainWindowTest, DoubleClicksOnTheContactPanelsOpenTheLinks) {
    for (int i : {0, 1, 2}) {
        const POINT p = OnPanel(i);
        SetCursorPos(p.x, p.y);
        form->StatusBar1DblClick(form->StatusBar1);
    }
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], L"mailto:tabulorin@brenmoor.example?subject=Tabulorin");
    EXPECT_EQ(parents[0], nullptr);
    EXPECT_EQ(opened[1], L"https://brenmoor.example/tabulorin");
    EXPECT_EQ(parents[1], form->Handle());
    // Far right: the last panel.
    const POINT farRight = form->StatusBar1->ClientToScreen(POINT{form->StatusBar1->Width() - 5, 5});
    SetCursorPos(farRight.x, farRight.y);
    form->StatusBar1DblClick(form->StatusBar1);
    EXPECT_EQ(opened.size(), 3u);
}

}  // namespace
