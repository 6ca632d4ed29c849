// The extended combo-box base: the framework's notices reach its overridable
// operations and, through them, the framework's own handling.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ComboOnForm.h"
#include "controls/VxExComboBox.h"

namespace {

// Logs each operation it is asked for, then lets the base do its part.
class LoggingCombo : public vx::TVxExCustomComboBox {
public:
    using TVxExCustomComboBox::TVxExCustomComboBox;
    std::vector<std::string> calls;
    bool wantAllKeys = false;
    int Count(const std::string& name) const {
        int n = 0;
        for (const std::string& c : calls) n += c == name;
        return n;
    }

protected:
#define LOGGED(Operation, Label)          \
    void Operation() override {           \
        calls.push_back(Label);           \
        TVxExCustomComboBox::Operation(); \
    }
    LOGGED(VisibleChanged, "visible")
    LOGGED(EnabledChanged, "enabled")
    LOGGED(TextChanged, "text")
    LOGGED(FontChanged, "font")
    LOGGED(ColorChanged, "color")
    LOGGED(ShowingChanged, "showing")
#undef LOGGED
    void MouseEnter(fw::TControl* Control) override {
        calls.push_back(Control == this ? "enter" : "enter(other)");
        TVxExCustomComboBox::MouseEnter(Control);
    }
    void MouseLeave(fw::TControl* Control) override {
        calls.push_back(Control == this ? "leave" : "leave(other)");
        TVxExCustomComboBox::MouseLeave(Control);
    }
    void BoundsChanged() override {
        calls.push_back("bounds");
    }
    void GetDlgCode(vx::TDlgCodes& Codes) override {
        if (wantAllKeys) Codes = vx::dcWantAllKeys;
    }
};

class VxExComboBoxTest : public ComboOnForm<LoggingCombo> {
protected:
    void SetUp() override {
        ComboOnForm::SetUp();
        combo->calls.clear();
    }
};

TEST_F(VxExComboBoxTest, PropertyChangesReachTheOperationsAndTheWindow) {
    const HWND wnd = combo->Handle();
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Count("enabled"), 1);
    EXPECT_FALSE(IsWindowEnabled(wnd));

    combo->SetVisible(false);
    EXPECT_EQ(combo->Count("visible"), 1);
    EXPECT_FALSE(IsWindowVisible(wnd));
    combo->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(wnd));

    combo->Font()->SetHeight(-17);
    EXPECT_EQ(combo->Count("font"), 1);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0)), combo->Font()->Handle());

    int fired = 0;
    combo->OnParentColorChange = [&](fw::TObject*) { ++fired; };
    form->SetColor(fw::clYellow);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(combo->Color(), fw::clWindow);  // a combo box has its own colour
    combo->SetColor(fw::clAqua);
    EXPECT_EQ(combo->Count("color"), 1);
    EXPECT_EQ(combo->Brush()->Color(), fw::clAqua);

    combo->SetText(L"typed");
    combo->SetText(L"typed");
    EXPECT_EQ(combo->Count("text"), 1);
    EXPECT_EQ(combo->Text(), L"typed");

    combo->SetBounds(10, 10, 180, 21);  // resized, then moved
    EXPECT_GE(combo->Count("bounds"), 1);
    combo->calls.clear();
    combo->SetBounds(20, 10, 180, 21);
    EXPECT_GE(combo->Count("bounds"), 1);
}

TEST_F(VxExComboBoxTest, ASelectionByTextIsATextChangeAndAStyleChangeKeepsTheItems) {
    combo->SetStyle(fw::csDropDownList);
    combo->Items()->SetText(L"north\r\nsouth");
    combo->calls.clear();
    combo->SetText(L"south");
    EXPECT_EQ(combo->Count("text"), 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetStyle(fw::csOwnerDrawFixed);
    EXPECT_GE(combo->Count("showing"), 1);  // the new window is shown through the operation
    EXPECT_TRUE(IsWindowVisible(combo->Handle()));
    EXPECT_EQ(combo->Items()->Count(), 2);
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST_F(VxExComboBoxTest, MouseTrackingRaisesEnterAndLeaveWithTheFlagAndMovesTheHighlightFrame) {
    combo->SetStyle(fw::csDropDownList);  // no edit window over the control
    combo->SetDotNetHighlighting(true);
    const HWND wnd = combo->Handle();
    UpdateWindow(wnd);
    const auto corner = [&] {
        HDC dc = GetWindowDC(wnd);
        const COLORREF colour = GetPixel(dc, 0, 0);
        ReleaseDC(wnd, dc);
        return colour;
    };
    std::vector<std::string> events;
    combo->OnMouseEnter = [&](fw::TObject*) { events.push_back(combo->MouseOver() ? "enter(over)" : "enter"); };
    combo->OnMouseLeave = [&](fw::TObject*) { events.push_back(combo->MouseOver() ? "leave(over)" : "leave"); };
    combo->calls.clear();
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_TRUE(combo->MouseOver());
    const COLORREF over = corner();
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(combo->MouseOver());
    EXPECT_EQ(combo->calls, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(events, (std::vector<std::string>{"enter(over)", "leave"}));
    if (over == CLR_INVALID) GTEST_SKIP() << "the test display gives no pixels back";
    EXPECT_EQ(over, COLORREF(0x00733800));
    // The themed control redraws its own border as the mouse leaves; the frame
    // band invalidated then brings the highlight's normal frame back.
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW);
    EXPECT_EQ(corner(), COLORREF(0x00808080));
}

TEST_F(VxExComboBoxTest, DialogCodesAreTheWindowsUnlessTheControlChangesThem) {
    fw::TComboBox* plain = new fw::TComboBox(form);
    plain->SetParent(form);
    EXPECT_EQ(combo->Perform(WM_GETDLGCODE, 0, 0), SendMessageW(plain->Handle(), WM_GETDLGCODE, 0, 0));
    combo->wantAllKeys = true;
    EXPECT_EQ(combo->Perform(WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTALLKEYS));
    const LRESULT native = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_HASSETSEL;
    EXPECT_EQ(vx::DlgCodesToNative(vx::DlgCodesFromNative(native)), native);
}

}  // namespace
