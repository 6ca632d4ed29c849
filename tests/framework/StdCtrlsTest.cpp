// The combo box: items kept before and between windows, re-creation by style and
// sorting, the change notifications and owner-drawn items.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/StdCtrls.h"
#include "tests/common/PlacedForm.h"

namespace {

using fw::TComboBox;

std::vector<std::wstring> WindowItems(HWND combo) {
    std::vector<std::wstring> items;
    const int count = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buffer));
        items.push_back(buffer);
    }
    return items;
}

std::vector<std::wstring> Lines(fw::TStrings* s) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < s->Count(); ++i) lines.push_back(s->Strings(i));
    return lines;
}

using Texts = std::vector<std::wstring>;

// An object to hang on items; only its address matters.
fw::TObject* Tag(int n) {
    static fw::TObject tags[8];
    return &tags[n];
}

class StdCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 320, 240);
        combo = new TComboBox(form);
        combo->SetBounds(10, 10, 150, 21);
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    void Show() {
        combo->SetParent(form);
        form->Show();
    }
    fw::TForm* form = nullptr;
    TComboBox* combo = nullptr;
};

TEST_F(StdCtrlsTest, ItemsAndSelectionBeforeTheWindowReachIt) {
    combo->Items()->Add(L"one");
    combo->Items()->AddObject(L"two", Tag(2));
    combo->Items()->Insert(0, L"zero");
    combo->SetItemIndex(2);
    EXPECT_EQ(combo->Text(), L"two");
    EXPECT_FALSE(combo->HandleAllocated());

    Show();
    ASSERT_TRUE(combo->HandleAllocated());
    EXPECT_EQ(WindowItems(combo->Handle()), (Texts{L"zero", L"one", L"two"}));
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(combo->Items()->Objects(2), Tag(2));
    EXPECT_EQ(combo->Text(), L"two");
    // From now on the window is the list.
    combo->Items()->Add(L"three");
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 4);
}

TEST_F(StdCtrlsTest, KeptItemsFollowTheWindowsRulesForSelectionAndIndexes) {
    combo->Items()->SetText(L"a\r\nb\r\nc\r\n");
    combo->SetItemIndex(1);
    combo->Items()->Insert(0, L"first");
    EXPECT_EQ(combo->ItemIndex(), 2);  // the selection stays on "b"
    combo->Items()->Delete(0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->Items()->Delete(1);
    EXPECT_EQ(combo->ItemIndex(), -1);  // its item went
    EXPECT_THROW(combo->Items()->Strings(5), fw::EStringListError);
    EXPECT_THROW(combo->Items()->Delete(-1), fw::EStringListError);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), L"");
    EXPECT_EQ(combo->Items()->IndexOf(L"C"), 1);  // case-insensitive, as the window's search
}

TEST_F(StdCtrlsTest, ReCreationKeepsItemsObjectsSelectionAndTypedTextAndClearKeepsTheText) {
    Show();
    combo->Items()->AddObject(L"red", Tag(0));
    combo->Items()->AddObject(L"green", Tag(1));
    combo->SetItemIndex(1);
    SetWindowTextW(combo->EditHandle(), L"greenish");
    const HWND old = combo->Handle();

    combo->RecreateWnd();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(WindowItems(combo->Handle()), (Texts{L"red", L"green"}));
    EXPECT_EQ(combo->Items()->Objects(0), Tag(0));
    EXPECT_EQ(combo->Items()->Objects(1), Tag(1));
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), L"greenish");

    // Between a destruction and the next window the object holds them.
    combo->DestroyHandle();
    EXPECT_EQ(Lines(combo->Items()), (Texts{L"red", L"green"}));
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->Items()->Add(L"blue");
    EXPECT_EQ(WindowItems(combo->Handle()), (Texts{L"red", L"green", L"blue"}));
    // Clearing the items keeps the text of an edit style.
    combo->SetText(L"typed");
    combo->Items()->Clear();
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->Text(), L"typed");
}

TEST_F(StdCtrlsTest, StyleChangeMakesANewWindowOfThatStyleWithTheSameItems) {
    Show();
    combo->Items()->SetText(L"x\r\ny\r\nz");
    combo->SetItemIndex(2);
    const HWND old = combo->Handle();
    EXPECT_NE(combo->EditHandle(), nullptr);

    combo->SetStyle(fw::csDropDownList);
    const HWND now = combo->Handle();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(GetWindowLongW(now, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(combo->EditHandle(), nullptr);
    EXPECT_EQ(WindowItems(now), (Texts{L"x", L"y", L"z"}));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), L"z");

    combo->SetStyle(fw::csOwnerDrawFixed);
    EXPECT_TRUE(GetWindowLongW(combo->Handle(), GWL_STYLE) & CBS_OWNERDRAWFIXED);
    EXPECT_EQ(combo->Items()->Strings(1), L"y");  // the window keeps the strings
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(StdCtrlsTest, ListStylesSelectTheItemOfAText) {
    combo->SetStyle(fw::csDropDownList);
    combo->Items()->SetText(L"Arial\r\nTahoma");
    combo->SetText(L"tahoma");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Show();
    EXPECT_EQ(combo->Text(), L"Tahoma");
    combo->SetText(L"Arial");
    EXPECT_EQ(combo->ItemIndex(), 0);
    combo->SetText(L"Nothing like it");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), L"");
}

TEST_F(StdCtrlsTest, SortingOrdersKeptItemsAndWindowItemsAndTheSelectionFollows) {
    combo->Items()->SetText(L"pear\r\napple\r\nfig");
    combo->SetItemIndex(0);
    combo->SetSorted(true);
    EXPECT_EQ(Lines(combo->Items()), (Texts{L"apple", L"fig", L"pear"}));
    EXPECT_EQ(combo->ItemIndex(), 2);
    combo->Items()->Add(L"banana");
    EXPECT_EQ(Lines(combo->Items()), (Texts{L"apple", L"banana", L"fig", L"pear"}));

    combo->SetSorted(false);
    Show();
    combo->Items()->Add(L"cherry");  // unsorted window: at the end
    combo->Items()->AddObject(L"Apple", Tag(3));
    combo->SetItemIndex(5);
    combo->SetSorted(true);
    EXPECT_TRUE(GetWindowLongW(combo->Handle(), GWL_STYLE) & CBS_SORT);
    EXPECT_EQ(combo->Items()->Count(), 6);
    EXPECT_EQ(combo->Items()->Strings(4), L"fig");
    ASSERT_GE(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Items()->Objects(combo->ItemIndex()), Tag(3));  // the same "Apple", not "apple"
}

TEST_F(StdCtrlsTest, AUserSelectionFiresChangeOrSelectButAProgramSelectionDoesNot) {
    combo->SetStyle(fw::csDropDownList);
    combo->Items()->SetText(L"a\r\nb\r\nc");
    Show();
    int changes = 0, clicks = 0, selects = 0;
    combo->OnChange = [&](fw::TObject*) { ++changes; };
    combo->OnClick = [&](fw::TObject*) { ++clicks; };
    combo->SetItemIndex(0);
    EXPECT_EQ(changes, 0);

    SendMessageW(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);

    combo->OnSelect = [&](fw::TObject*) { ++selects; };
    SendMessageW(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(StdCtrlsTest, TypingInTheEditPartFiresChangeAndTheEditTakesTheControlsColours) {
    combo->Items()->SetText(L"alpha\r\nbeta");
    combo->SetColor(fw::clYellow);
    Show();
    std::vector<std::wstring> seen;
    combo->OnChange = [&](fw::TObject*) { seen.push_back(combo->Text()); };
    const HWND edit = combo->EditHandle();
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_CHAR, L'x', 1);
    SendMessageW(edit, WM_CHAR, L'y', 1);
    EXPECT_EQ(seen, (Texts{L"x", L"xy"}));
    EXPECT_EQ(combo->Text(), L"xy");

    // A selection shows the item in the edit part before the event.
    seen.clear();
    SendMessageW(combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), L"alpha");

    HDC dc = GetDC(edit);
    const LRESULT brush =
        SendMessageW(combo->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    const COLORREF background = GetBkColor(dc);
    ReleaseDC(edit, dc);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(combo->Brush()->Handle()));
    EXPECT_EQ(background, RGB(255, 255, 0));
}

TEST_F(StdCtrlsTest, AutoCompleteFindsWhatWasTypedAndAutoDropDownOpensTheList) {
    combo->Items()->SetText(L"Alpha\r\nBeta\r\nBravo\r\nCharlie");
    combo->SetStyle(fw::csDropDownList);
    combo->SetAutoCompleteDelay(60000);  // the keys below always add up
    Show();
    int selects = 0;
    combo->OnSelect = [&](fw::TObject*) { ++selects; };
    SendMessageW(combo->Handle(), WM_CHAR, L'b', 1);
    SendMessageW(combo->Handle(), WM_CHAR, L'R', 1);
    EXPECT_EQ(combo->ItemIndex(), 2);                 // "br": Bravo
    SendMessageW(combo->Handle(), WM_CHAR, L'x', 1);  // matches nothing: Bravo stays
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(selects, 2);
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetAutoDropDown(true);
    SendMessageW(combo->Handle(), WM_CHAR, L'a', 1);
    EXPECT_TRUE(combo->DroppedDown());
    combo->SetDroppedDown(false);

    // Off: the keys do not add up to "br".
    combo->SetAutoDropDown(false);
    combo->SetAutoComplete(false);
    combo->SetItemIndex(0);
    SendMessageW(combo->Handle(), WM_CHAR, L'b', 1);
    SendMessageW(combo->Handle(), WM_CHAR, L'r', 1);
    EXPECT_NE(combo->ItemIndex(), 2);

    // The edit part shows the item, the part not typed selected; a deletion stays one.
    combo->SetAutoComplete(true);
    combo->SetStyle(fw::csDropDown);
    combo->SetText(L"");
    const HWND edit = combo->EditHandle();
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_CHAR, L'c', 1);
    SendMessageW(edit, WM_CHAR, L'h', 1);
    EXPECT_EQ(combo->Text(), L"Charlie");
    EXPECT_EQ(combo->ItemIndex(), 3);  // the list follows
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 7u);
    SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(combo->Text(), L"Ch");
}

// Records what reaches the owner-draw operations.
class DrawnCombo : public fw::TComboBox {
public:
    using TComboBox::TComboBox;
    struct Call {
        int index;
        RECT rect;
        fw::TOwnerDrawState state;
        fw::TColor brush;
    };
    std::vector<Call> draws;
    std::vector<int> measured;

protected:
    void DrawItem(int Index, const RECT& Rect, fw::TOwnerDrawState State) override {
        draws.push_back({Index, Rect, State, Canvas()->Brush()->Color()});
        TComboBox::DrawItem(Index, Rect, State);
    }
    void MeasureItem(int Index, int& Height) override {
        measured.push_back(Index);
        Height = Index == 1 ? 30 : Height;
    }
};

TEST_F(StdCtrlsTest, OwnerDrawnItemsAreDrawnByTheControlAtItsItemHeight) {
    auto* drawn = new DrawnCombo(form);
    drawn->SetStyle(fw::csOwnerDrawFixed);
    drawn->SetItemHeight(20);
    drawn->Items()->SetText(L"one\r\ntwo");
    drawn->SetItemIndex(1);
    drawn->SetBounds(10, 40, 150, 24);
    drawn->SetParent(form);
    form->Show();
    EXPECT_EQ(SendMessageW(drawn->Handle(), CB_GETITEMHEIGHT, 0, 0), 20);
    EXPECT_TRUE(drawn->measured.empty());  // fixed heights are not asked for

    drawn->draws.clear();
    RedrawWindow(drawn->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_FALSE(drawn->draws.empty());
    const DrawnCombo::Call& field = drawn->draws.back();
    EXPECT_EQ(field.index, 1);
    EXPECT_TRUE(field.state & fw::odComboBoxEdit);
    if (field.state & fw::odSelected) {
        EXPECT_EQ(field.brush, fw::clHighlight);
    }
    // A handler draws the items in place of the default drawing.
    std::vector<int> handled;
    drawn->OnDrawItem = [&](fw::TWinControl* c, int index, const RECT&, fw::TOwnerDrawState) {
        EXPECT_EQ(c, drawn);
        handled.push_back(index);
    };
    RedrawWindow(drawn->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    ASSERT_FALSE(handled.empty());
    EXPECT_EQ(handled.back(), 1);

    // An item height change makes the window again, with the new height.
    drawn->SetItemHeight(26);
    EXPECT_EQ(SendMessageW(drawn->Handle(), CB_GETITEMHEIGHT, 0, 0), 26);
    EXPECT_EQ(drawn->ItemIndex(), 1);
}

TEST_F(StdCtrlsTest, VariableHeightsAreMeasuredPerItem) {
    auto* drawn = new DrawnCombo(form);
    drawn->SetStyle(fw::csOwnerDrawVariable);
    drawn->SetItemHeight(18);
    drawn->SetParent(form);
    form->Show();
    drawn->measured.clear();
    drawn->Items()->Add(L"zero");
    drawn->Items()->Add(L"one");
    EXPECT_EQ(drawn->measured, (std::vector<int>{0, 1}));
    EXPECT_EQ(SendMessageW(drawn->Handle(), CB_GETITEMHEIGHT, 0, 0), 18);
    EXPECT_EQ(SendMessageW(drawn->Handle(), CB_GETITEMHEIGHT, 1, 0), 30);
}

}  // namespace
