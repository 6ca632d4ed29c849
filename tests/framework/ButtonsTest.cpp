// Push buttons, check boxes, radio buttons and the group box on a form: state
// kept before the window, clicks from the window, dialog keys and accelerators.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/GroupBox.h"
#include "framework/Handles.h"
#include "framework/Label.h"
#include "tests/common/PlacedForm.h"

namespace {

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override { form = testenv::NewPlacedForm(40, 40, 320, 240); }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    template <class T>
    T* Add(fw::TWinControl* Parent, const std::wstring& Caption, int Top) {
        auto* c = new T(form);
        c->SetParent(Parent);
        c->SetBounds(8, Top, 90, 20);
        c->SetCaption(Caption);
        c->OnClick = [this, c](fw::TObject*) { clicks.push_back(c->Caption()); };
        return c;
    }
    LRESULT DialogKey(WPARAM Key) { return form->Perform(fw::CM_DIALOGKEY, Key, 0); }
    LRESULT DialogChar(wchar_t Ch) { return form->Perform(fw::CM_DIALOGCHAR, WPARAM(Ch), 0); }

    fw::TForm* form = nullptr;
    std::vector<std::wstring> clicks;
};

}  // namespace

TEST_F(ButtonsTest, ClicksAndModalResultEnterPressesTheDefaultOrTheFocusedButtonEscapeTheCancelButton) {
    auto* ok = Add<fw::TButton>(form, L"OK", 8);
    auto* cancel = Add<fw::TButton>(form, L"Cancel", 40);
    auto* other = Add<fw::TButton>(form, L"Other", 72);
    ok->SetModalResult(fw::mrOk);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    form->Show();
    SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ModalResult(), fw::mrOk);
    EXPECT_TRUE(ok->Active());
    EXPECT_TRUE(GetWindowLongW(ok->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(DialogKey(VK_RETURN), 1);
    EXPECT_EQ(DialogKey(VK_ESCAPE), 1);
    EXPECT_EQ(clicks, (std::vector<std::wstring>{L"OK", L"OK", L"Cancel"}));
    // A focused button takes Enter from the default one.
    form->FocusControl(other);
    EXPECT_TRUE(other->Active());
    EXPECT_FALSE(ok->Active());
    clicks.clear();
    DialogKey(VK_RETURN);
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"Other"});
    EXPECT_EQ(DialogKey(VK_F2), 0);
}

TEST_F(ButtonsTest, AcceleratorsAndLiteralAmpersands) {
    EXPECT_TRUE(fw::IsAccel(L's', L"&Stop"));
    EXPECT_TRUE(fw::IsAccel(L'X', L"E&xport formats:"));
    EXPECT_FALSE(fw::IsAccel(L'x', L"a&&x"));
    EXPECT_TRUE(fw::IsAccel(L'y', L"a&&x &y"));
    EXPECT_FALSE(fw::IsAccel(L'a', L"trailing&"));
    auto* stop = Add<fw::TButton>(form, L"&Stop", 8);
    Add<fw::TButton>(form, L"Save && Close", 40);
    form->Show();
    EXPECT_EQ(DialogChar(L'c'), 0) << "no accelerator in \"&&\"";
    EXPECT_EQ(DialogChar(L'S'), 1);
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"&Stop"});
    EXPECT_TRUE(stop->Focused());
}

TEST_F(ButtonsTest, CheckBoxStatesBeforeAndAfterTheWindow) {
    auto* box = Add<fw::TCheckBox>(form, L"Size", 8);
    box->SetChecked(true);
    EXPECT_EQ(clicks.size(), 1u) << "setting a new state clicks";
    box->SetChecked(true);
    EXPECT_EQ(clicks.size(), 1u);
    form->Show();
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks.size(), 2u);
    box->SetAllowGrayed(true);
    box->Toggle();
    box->Toggle();
    EXPECT_EQ(box->State(), fw::cbGrayed);
    EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    box->Toggle();
    EXPECT_EQ(box->State(), fw::cbUnchecked);
}

namespace {

// One past the rightmost column of a control's drawn pixels that Ink accepts (0: none).
template <class Predicate>
int InkRight(fw::TWinControl* Control, Predicate Ink) {
    UpdateWindow(Control->Handle());
    const fw::WindowDC dc(Control->Handle());
    int right = 0;
    for (int y = 0; y < Control->Height(); ++y)
        for (int x = 0; x < Control->Width(); ++x) {
            const COLORREF c = GetPixel(dc.get(), x, y);
            if (c != CLR_INVALID && Ink(GetRValue(c), GetGValue(c), GetBValue(c))) right = std::max(right, x + 1);
        }
    return right;
}

}  // namespace

TEST_F(ButtonsTest, ABoxWithAFontOfItsOwnIsDrawnInItEvenWithVisualStyles) {
    // In a group box, as the main window's boxes are.
    auto* group = new fw::TGroupBox(form);
    group->SetParent(form);
    group->SetBounds(8, 8, 200, 120);
    auto* plain = Add<fw::TCheckBox>(group, L"Subfolders", 16);
    auto* own = Add<fw::TCheckBox>(group, L"Subfolders", 40);
    auto* radio = Add<fw::TRadioButton>(group, L"Subfolders", 72);
    for (fw::TButtonControl* c : {static_cast<fw::TButtonControl*>(own), static_cast<fw::TButtonControl*>(radio)}) {
        c->Font()->SetStyle(fw::fsBold);
        c->Font()->SetColor(fw::clRed);
    }
    form->Show();
    const auto dark = [](int r, int g, int b) { return r < 100 && g < 100 && b < 100; };
    const auto red = [](int r, int g, int b) { return r > 180 && g < 90 && b < 90; };
    const int plainRight = InkRight(plain, dark);
    ASSERT_GT(plainRight, 0);
    EXPECT_EQ(InkRight(plain, red), 0);
    EXPECT_GT(InkRight(own, red), plainRight) << "red, and wider: bold";
    EXPECT_GT(InkRight(radio, red), plainRight);
}

TEST_F(ButtonsTest, RadioButtonsUncheckTheirSiblingsOnly) {
    auto* group = new fw::TGroupBox(form);
    group->SetParent(form);
    group->SetBounds(100, 8, 180, 120);
    group->SetCaption(L"&Sort");
    auto* up = Add<fw::TRadioButton>(group, L"Ascending", 24);
    auto* down = Add<fw::TRadioButton>(group, L"Descending", 48);
    auto* outside = Add<fw::TRadioButton>(form, L"Elsewhere", 8);
    up->SetChecked(true);
    outside->SetChecked(true);
    form->Show();
    EXPECT_EQ(SendMessageW(up->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetParent(up->Handle()), group->Handle());
    SendMessageW(down->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(down->Checked());
    EXPECT_FALSE(up->Checked());
    EXPECT_EQ(SendMessageW(up->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(outside->Checked()) << "another parent, another group";
    SendMessageW(down->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, (std::vector<std::wstring>{L"Ascending", L"Elsewhere", L"Descending"}))
        << "only becoming checked clicks";
    // The group's accelerator focuses the first control inside it.
    EXPECT_EQ(DialogChar(L's'), 1);
    EXPECT_TRUE(up->Focused() || down->Focused());
    const RECT client = group->ClientRect();
    EXPECT_EQ(client.right, group->Width());
}
