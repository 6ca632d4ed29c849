// The owner-data list view: rows held by the control and shown through the
// window's requests, lazy texts, one row count per update bracket, sorting that
// keeps the selection with its rows, columns kept before and after the window,
// auto-sized columns fitted to the rows in view while hidden ones stay hidden.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/ListView.h"
#include "tests/common/PlacedForm.h"

namespace {

using fw::TListItem;
using fw::TListView;

// An item whose texts are made the first time anyone reads them.
class TLazyItem : public TListItem {
public:
    using TListItem::TListItem;
    int fills = 0;

protected:
    void NeedTexts() override {
        if (fills++ > 0) return;
        RawSubItems().Add(L"sub of " + RawCaption());
    }
};

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(40, 40, 400, 300);
        view = new TListView(form);
        view->SetBounds(0, 0, 380, 260);
        view->SetViewStyle(fw::vsReport);
        view->SetMultiSelect(true);
        view->Columns()->Add()->SetCaption(L"Name");
        view->Columns()->Add()->SetCaption(L"Other");
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    void Show() {
        view->SetParent(form);
        form->Show();
        fw::Application()->ProcessMessages();
    }
    std::wstring WindowText(int Row, int Column) {
        wchar_t buffer[256] = {};
        ListView_GetItemText(view->Handle(), Row, Column, buffer, 256);
        return buffer;
    }
    int WindowCount() { return int(SendMessageW(view->Handle(), LVM_GETITEMCOUNT, 0, 0)); }
    TListItem* Add(const std::wstring& Caption) {
        TListItem* item = view->Items()->Add();
        item->SetCaption(Caption);
        return item;
    }

    fw::TForm* form = nullptr;
    TListView* view = nullptr;
};

}  // namespace

TEST_F(ListViewTest, RowsReachTheWindowOnlyAsItAsksAndCountsOncePerBracket) {
    view->OnCreateItemClass = [](fw::TCustomListView*, fw::TListItemFactory& Factory) {
        Factory = [](fw::TListItems* Owner) { return new TLazyItem(Owner); };
    };
    Show();
    view->Items()->BeginUpdate();
    for (int i = 0; i < 1000; ++i) Add(L"row" + std::to_wstring(i));
    EXPECT_EQ(WindowCount(), 0);  // nothing told while the bracket is open
    view->Items()->EndUpdate();
    EXPECT_EQ(WindowCount(), 1000);
    auto* last = static_cast<TLazyItem*>(view->Items()->Item(999));
    EXPECT_EQ(last->fills, 0);  // nobody has looked at it yet
    EXPECT_EQ(WindowText(999, 1), L"sub of row999");
    EXPECT_EQ(WindowText(999, 0), L"row999");
    EXPECT_EQ(WindowText(999, 2), L"");  // a missing sub-item reads empty
    EXPECT_GE(last->fills, 1);
    EXPECT_EQ(last->Index(), 999);
    // Outside a bracket the window learns each change at once.
    view->Items()->Delete(0);
    EXPECT_EQ(WindowCount(), 999);
    EXPECT_EQ(last->Index(), 998);
    view->Clear();
    EXPECT_EQ(WindowCount(), 0);
}

TEST_F(ListViewTest, SortMovesRowsAndKeepsTheirSelection) {
    Show();
    for (const wchar_t* name : {L"c", L"a", L"d", L"b"}) Add(name);
    view->Items()->Item(0)->SetSelected(true);  // "c"
    view->Items()->Item(2)->SetSelected(true);  // "d"
    view->CustomSort([](TListItem* A, TListItem* B) { return A->Caption().compare(B->Caption()); });
    std::vector<std::wstring> order, selected;
    for (int i = 0; i < view->Items()->Count(); ++i) {
        order.push_back(WindowText(i, 0));
        if (view->Items()->Item(i)->Selected()) selected.push_back(view->Items()->Item(i)->Caption());
        EXPECT_EQ(view->Items()->Item(i)->Index(), i);
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(selected, (std::vector<std::wstring>{L"c", L"d"}));
    EXPECT_EQ(view->SelCount(), 2);
}

// More rows than a screen holds change state at once (drawn once, afterwards):
// every row's state is right and the window is shown and drawn again.
TEST_F(ListViewTest, ManyRowsSelectedAllAndDeselectedByTheWindowsOwnClicksAndKeys) {
    Show();
    view->Items()->BeginUpdate();
    for (int i = 0; i < 1000; ++i) Add(L"row" + std::to_wstring(100000 + i));
    view->Items()->EndUpdate();
    const RECT row = view->Items()->Item(1)->DisplayRect(fw::drLabel);
    const LPARAM onRow = MAKELPARAM(row.left + 2, (row.top + row.bottom) / 2);
    const LPARAM offRows = MAKELPARAM(view->ClientWidth() - 3, (row.top + row.bottom) / 2);
    const struct {
        UINT message;
        WPARAM key;
        LPARAM at;
        int selected;  // rows selected afterwards
    } cases[] = {{WM_LBUTTONDOWN, 0, onRow, 1}, {WM_KEYDOWN, VK_DOWN, 0, 1}, {WM_LBUTTONDOWN, 0, offRows, 0}};
    for (const auto& c : cases) {
        view->SelectAll();
        ASSERT_EQ(view->SelCount(), 1000);
        if (c.message == WM_LBUTTONDOWN) {
            SendMessageW(view->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, c.at);
            SendMessageW(view->Handle(), WM_LBUTTONUP, 0, c.at);
        } else {
            SendMessageW(view->Handle(), WM_KEYDOWN, c.key, 0);
        }
        EXPECT_EQ(view->SelCount(), c.selected) << c.message;
        EXPECT_TRUE(IsWindowVisible(view->Handle()));
        EXPECT_TRUE(GetUpdateRect(view->Handle(), nullptr, FALSE)) << "drawn afresh";
        fw::Application()->ProcessMessages();
    }
    // Sorted with every row selected: all stay selected, the focus stays with its row.
    view->SelectAll();
    view->Items()->Item(3)->SetFocused(true);
    view->CustomSort([](TListItem* A, TListItem* B) { return B->Caption().compare(A->Caption()); });
    EXPECT_EQ(view->SelCount(), 1000);
    ASSERT_NE(view->ItemFocused(), nullptr);
    EXPECT_EQ(view->ItemFocused()->Caption(), L"row100003");
    view->ClearSelection();
    EXPECT_EQ(view->SelCount(), 0);
    EXPECT_TRUE(IsWindowVisible(view->Handle()));
}

TEST_F(ListViewTest, EventsForDeletionImagesAndColumnClicks) {
    std::vector<std::wstring> deleted;
    int imageRequests = 0;
    view->OnDeletion = [&](fw::TObject*, TListItem* Item) { deleted.push_back(Item->Caption()); };
    view->OnGetImageIndex = [&](fw::TObject*, TListItem* Item) {
        ++imageRequests;
        Item->SetImageIndex(3);
    };
    int clicked = -1;
    view->OnColumnClick = [&](fw::TObject*, fw::TListColumn* Column) { clicked = Column->Index(); };
    Show();
    Add(L"x");
    Add(L"y");
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    ListView_GetItem(view->Handle(), &item);
    EXPECT_GE(imageRequests, 1);
    EXPECT_EQ(item.iImage, 3);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = view->Handle();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;
    view->Perform(fw::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(clicked, 1);
    view->Items()->Item(0)->Delete();
    view->Clear();
    EXPECT_EQ(deleted, (std::vector<std::wstring>{L"x", L"y"}));
}

TEST_F(ListViewTest, ColumnsKeptBeforeTheWindowAutoSizedToTheRowsAndHiddenOnesStayHidden) {
    view->Columns()->Items(0)->SetWidth(170);
    view->Columns()->Items(1)->SetWidth(0);
    view->Columns()->Items(1)->SetAutoSize(true);
    Show();
    EXPECT_EQ(view->Columns()->Items(0)->Width(), 170);
    EXPECT_EQ(view->Columns()->Items(1)->Width(), 0);
    EXPECT_EQ(Header_GetItemCount(view->HeaderHandle()), 2);
    Add(L"a caption much longer than the column's own, longer than a hundred pixels");
    view->Columns()->Items(1)->SetAutoSize(false);  // turned on again below, with a row in view
    for (int i = 0; i < 2; ++i) view->Columns()->Items(i)->SetAutoSize(true);
    EXPECT_GT(view->Columns()->Items(0)->Width(), 200);
    EXPECT_EQ(view->Columns()->Items(1)->Width(), 0);
    // Setting the flag again keeps a width given since.
    view->Columns()->Items(0)->SetWidth(170);
    view->Columns()->Items(0)->SetAutoSize(true);
    EXPECT_EQ(view->Columns()->Items(0)->Width(), 170);

    view->Columns()->BeginUpdate();
    view->Columns()->Clear();
    view->Columns()->Add()->SetCaption(L"Only");
    view->Columns()->EndUpdate();
    EXPECT_EQ(Header_GetItemCount(view->HeaderHandle()), 1);
}

// How many pixels of the window's rectangle have the colour.
int PixelsOf(HWND Window, const RECT& Rect, COLORREF Colour) {
    HDC dc = GetDC(Window);
    int count = 0;
    for (int y = Rect.top; y < Rect.bottom; ++y)
        for (int x = Rect.left; x < Rect.right; ++x)
            if (GetPixel(dc, x, y) == Colour) ++count;
    ReleaseDC(Window, dc);
    return count;
}

TEST_F(ListViewTest, RowsDrawnThroughTheRowStageTakeTheHandlersColoursAndTheDragPictureIsTheSelectedRows) {
    Show();
    Add(L"MMMMMMMM");
    Add(L"MMMMMMMM");
    std::vector<int> drawn;
    view->OnAdvancedCustomDrawItem = [&](fw::TCustomListView* Sender, TListItem* Item, UINT, fw::TCustomDrawStage,
                                         bool&) {
        drawn.push_back(Item->Index());
        if (Item->Index() != 1) return;
        Sender->Canvas()->Font()->SetColor(fw::clRed);
        Sender->Canvas()->Brush()->SetColor(fw::clYellow);
    };
    InvalidateRect(view->Handle(), nullptr, TRUE);
    UpdateWindow(view->Handle());
    ASSERT_GE(drawn.size(), 2u);
    RECT first{}, second{};
    ListView_GetItemRect(view->Handle(), 0, &first, LVIR_LABEL);
    ListView_GetItemRect(view->Handle(), 1, &second, LVIR_LABEL);
    EXPECT_EQ(PixelsOf(view->Handle(), first, RGB(255, 255, 0)), 0);
    EXPECT_GT(PixelsOf(view->Handle(), second, RGB(255, 255, 0)), 0);
    EXPECT_GT(PixelsOf(view->Handle(), second, RGB(255, 0, 0)), 0);
    // The drag picture is made of the selected rows.
    EXPECT_EQ(view->GetDragImages(), nullptr);
    view->Items()->Item(1)->SetSelected(true);
    fw::TCustomImageList* picture = view->GetDragImages();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Count(), 1);
    EXPECT_GE(picture->Width(), second.right - second.left);
}

TEST_F(ListViewTest, WidthsGivenInOtherViewsReachTheReportAndTheListViewsWidthIsItsOwn) {
    Show();
    for (int i = 0; i < 60; ++i) Add(L"row" + std::to_wstring(i));
    const HWND wnd = view->Handle();
    // A width the user dragged in the report stays through the other views.
    ListView_SetColumnWidth(wnd, 1, 77);
    view->SetViewStyle(fw::vsIcon);
    EXPECT_EQ(view->Columns()->Items(1)->Width(), 77);
    // Given in the icon view, a width waits for the report.
    view->Columns()->Items(1)->SetWidth(0);
    view->SetViewStyle(fw::vsList);
    // In the list view column 0's width is that of the columns of rows, and they
    // reach as far as the rows go. From narrow columns that all fit in (no range
    // to scroll) to wide ones.
    view->Columns()->Items(0)->SetWidth(60);
    view->Columns()->Items(0)->SetWidth(300);
    EXPECT_EQ(ListView_GetColumnWidth(wnd, 0), 300);
    EXPECT_EQ(view->Columns()->Items(0)->Width(), 300);
    view->Columns()->Items(1)->SetWidth(120);
    EXPECT_EQ(ListView_GetColumnWidth(wnd, 0), 300) << "only column 0 sets the list view's width";
    RECT last{}, client{};
    // The scroll bar's page follows the new width (the range of the narrow columns
    // would leave the last ones out of reach).
    GetClientRect(wnd, &client);
    SCROLLINFO bar{sizeof(bar), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(wnd, SB_HORZ, &bar));
    EXPECT_EQ(int(bar.nPage), std::max(1, int(client.right / 300))) << "columns of rows a page holds";
    EXPECT_GT(bar.nMax - bar.nMin + 1, int(bar.nPage));
    SendMessageW(wnd, WM_KEYDOWN, VK_END, 0);
    ASSERT_TRUE(ListView_GetItemRect(wnd, 59, &last, LVIR_BOUNDS));
    GetClientRect(wnd, &client);
    EXPECT_GE(last.left, 0);
    EXPECT_LE(last.right, client.right) << "the last row is scrolled into view";
    view->SetViewStyle(fw::vsReport);
    EXPECT_EQ(ListView_GetColumnWidth(wnd, 0), 50) << "the report keeps its own name column";
    EXPECT_EQ(ListView_GetColumnWidth(wnd, 1), 120);
    view->SetViewStyle(fw::vsList);
    EXPECT_EQ(ListView_GetColumnWidth(wnd, 0), 300) << "the list view's width comes back with it";
    // With no row focused, the icon view scrolled down goes to a report that starts
    // from its first row (the icons' scroll position counts other units).
    ListView_SetItemState(wnd, -1, 0, LVIS_FOCUSED);
    view->SetViewStyle(fw::vsIcon);
    ListView_Scroll(wnd, 0, 2000);
    ASSERT_GT(GetScrollPos(wnd, SB_VERT), 0);
    view->SetViewStyle(fw::vsReport);
    EXPECT_EQ(ListView_GetTopIndex(wnd), 0);
}
