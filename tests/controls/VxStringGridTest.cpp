// The string grid: row insertion and removal at and beyond the ends, column
// auto-sizing, cell drawing (alignment, fixed font, low rows), caption clicks,
// the cell-activation message and the editor's pick list.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/VxStringGrid.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "tests/common/GridOnShownForm.h"

namespace {

using vx::TVxStringGrid;

std::wstring Name(int c, int r) {
    return std::to_wstring(c) + L"," + std::to_wstring(r);
}

// A grid without a window, cells named "c,r".
std::unique_ptr<TVxStringGrid> Filled(int cols, int rows) {
    auto grid = std::make_unique<TVxStringGrid>(nullptr);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) grid->SetCells(c, r, Name(c, r));
    return grid;
}

// Measured on a canvas of its own, whatever the grid's canvas holds.
int TextWidth(fw::TFont* font, const std::wstring& text) {
    fw::TBitmap bitmap(1, 1);
    bitmap.Canvas()->SetFont(font);
    return bitmap.Canvas()->TextWidth(text);
}

// ---- InsertRow / RemoveRow ----

struct RowCase {
    bool insert;
    int rows, index;
    std::vector<int> expected;  // the original row now at each row, -1 for the new empty row
};

TEST(VxStringGridRows, InsertAndRemoveAtAndBeyondTheEnds) {
    const RowCase cases[] = {
        {true, 4, 0, {-1, 0, 1, 2, 3}},
        {true, 3, -5, {-1, 0, 1, 2}},
        {true, 3, 13, {0, 1, 2, -1}},
        {true, 4, 2, {0, 1, -1, 2, 3}},
        {true, 1, 0, {-1, 0}},
        {false, 4, 0, {1, 2, 3}},
        {false, 1, 0, {0}},
        {false, 4, 3, {0, 1, 2}},
        {false, 4, 40, {0, 1, 2}},
        {false, 4, -1, {1, 2, 3}},
    };
    for (const RowCase& k : cases) {
        SCOPED_TRACE((k.insert ? "insert at " : "remove at ") + std::to_string(k.index) + " of " +
                     std::to_string(k.rows));
        auto grid = Filled(3, k.rows);
        const int fixedRows = grid->FixedRows();
        fw::TStrings* inserted = k.insert ? grid->InsertRow(k.index) : nullptr;
        if (!k.insert) grid->RemoveRow(k.index);
        ASSERT_EQ(grid->RowCount(), int(k.expected.size()));
        EXPECT_EQ(grid->FixedRows(), fixedRows);  // fixed rows move like the others
        for (int r = 0; r < grid->RowCount(); ++r) {
            if (k.expected[r] < 0) {
                EXPECT_EQ(inserted, grid->Rows(r));
            }
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(grid->Cells(c, r), k.expected[r] < 0 ? L"" : Name(c, k.expected[r])) << c << "," << r;
        }
    }
}

// ---- AutoSizeCol ----

TEST(VxStringGridAutoSize, MinimumsOutOfRangeColumnsTheFixedFontAndTheLastRow) {
    auto grid = std::make_unique<TVxStringGrid>(nullptr);
    grid->SetColCount(3);
    grid->AutoSizeCol(0, 15);
    grid->AutoSizeCol(1, 0);
    grid->AutoSizeCol(2, -1);
    EXPECT_EQ(grid->ColWidths(0), 15);
    EXPECT_EQ(grid->ColWidths(1), 8);  // an empty cell counts as 0 + 8
    EXPECT_EQ(grid->ColWidths(2), grid->DefaultColWidth());
    for (int col : {-1, 3, 99}) {  // a column outside the grid sizes every column
        grid->AutoSizeCol(col, 15 + col);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(grid->ColWidths(c), 15 + col) << "column argument " << col;
    }

    grid = Filled(3, 4);  // one fixed row and one fixed column
    grid->FixedFont()->SetHeight(-14);
    grid->FixedFont()->SetStyle(fw::fsBold);
    grid->SetCells(1, 0, L"Modified caption");
    grid->SetCells(0, 2, L"Row caption");
    grid->SetCells(2, 3, L"the widest text, in the last row");
    grid->SetColWidths(2, 500);              // set even when smaller than before
    grid->Canvas()->Font()->SetHeight(-40);  // as a drawing with a big font would leave it
    grid->Canvas()->TextExtent(L"x");
    grid->AutoSizeCol(-1, 15);
    const int caption = TextWidth(grid->FixedFont(), L"Modified caption");
    ASSERT_GT(caption, TextWidth(grid->Font(), L"Modified caption"));
    EXPECT_EQ(grid->ColWidths(1), caption + 8);
    EXPECT_EQ(grid->ColWidths(0), TextWidth(grid->FixedFont(), L"Row caption") + 8);
    EXPECT_EQ(grid->ColWidths(2), TextWidth(grid->Font(), L"the widest text, in the last row") + 8);
}

// ---- drawing into a bitmap ----

bool Dark(COLORREF c) {
    return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
}

// The horizontal and vertical extent of dark pixels inside a rectangle.
struct Ink {
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    bool any() const { return right >= 0; }
};

Ink InkIn(fw::TBitmap& bitmap, const RECT& r) {
    Ink ink;
    HDC dc = bitmap.Canvas()->Handle();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (Dark(GetPixel(dc, x, y))) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

// A windowless grid of 3 columns x 3 rows, 100 x 24 cells, painted into a bitmap.
class GridPicture : public ::testing::Test {
protected:
    void SetUp() override {
        grid = std::make_unique<TVxStringGrid>(nullptr);
        grid->SetBorderStyle(fw::bsNone);
        grid->SetScrollBars(fw::ssNone);
        grid->SetColCount(3);
        grid->SetRowCount(3);
        grid->SetDefaultColWidth(100);
        grid->SetDefaultRowHeight(24);
        grid->SetBounds(0, 0, 303, 75);
        grid->SetColor(fw::clWhite);
        grid->SetFixedColor(fw::clWhite);
        grid->Font()->SetColor(fw::clBlack);
        grid->FixedFont()->SetColor(fw::clBlack);
        grid->SetOptions(grid->Options() & ~unsigned(fw::goFixedVertLine | fw::goFixedHorzLine));
    }
    void Paint() {
        bitmap = std::make_unique<fw::TBitmap>(303, 75);
        grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle()), LPARAM(0));
    }
    RECT Cell(int c, int r) const { return RECT{c * 101 + 1, r * 25 + 1, c * 101 + 99, r * 25 + 23}; }
    std::unique_ptr<TVxStringGrid> grid;
    std::unique_ptr<fw::TBitmap> bitmap;
};

TEST_F(GridPicture, AlignmentPerColumnOverTheDefault) {
    grid->SetAlignment(fw::taRightJustify);  // column 1 keeps this default
    grid->OnGetCellAlignment = [](TVxStringGrid*, int col, int, fw::TGridDrawState, fw::TAlignment& a) {
        if (col == 0) a = fw::taLeftJustify;
        if (col == 2) a = fw::taCenter;
    };
    for (int c = 0; c < 3; ++c) grid->SetCells(c, 2, L"WWW");  // row 1 holds the (selected) current cell
    Paint();
    const Ink left = InkIn(*bitmap, Cell(0, 2)), right = InkIn(*bitmap, Cell(1, 2)),
              centre = InkIn(*bitmap, Cell(2, 2));
    ASSERT_TRUE(left.any());
    ASSERT_TRUE(right.any());
    ASSERT_TRUE(centre.any());
    EXPECT_LE(left.left, 0 * 101 + 4);          // starts 2 pixels inside the cell
    EXPECT_GE(right.right, 1 * 101 + 100 - 8);  // ends 2 pixels (and the glyph's bearing) before the cell's end
    EXPECT_LE(right.left - 101, 100 - 3 - 20);
    const int mid = (centre.left + centre.right) / 2;
    EXPECT_NEAR(mid, 2 * 101 + 50, 3);
}

TEST_F(GridPicture, FixedCellsUseTheFixedFontWithAndWithoutOnDrawCell) {
    grid->FixedFont()->SetHeight(-16);  // still lower than the row
    grid->FixedFont()->SetStyle(fw::fsBold);
    grid->SetCells(1, 0, L"HHH");  // fixed row
    grid->SetCells(1, 2, L"HHH");
    Paint();
    const Ink fixed = InkIn(*bitmap, Cell(1, 0)), plain = InkIn(*bitmap, Cell(1, 2));
    ASSERT_TRUE(fixed.any());
    ASSERT_TRUE(plain.any());
    EXPECT_GT(fixed.bottom - fixed.top, plain.bottom - plain.top + 3);
    EXPECT_GT(fixed.right - fixed.left, plain.right - plain.left);

    std::vector<int> heights;
    grid->OnDrawCell = [&](fw::TObject*, int col, int row, const RECT&, fw::TGridDrawState) {
        if (col == 1 && row == 0) heights.push_back(grid->Canvas()->Font()->Height());
    };
    Paint();
    EXPECT_EQ(heights, std::vector<int>{-16});
}

TEST_F(GridPicture, LowRowIsNotDrawnAndCanvasEventColoursTheCell) {
    grid->SetRowHeights(1, 5);  // rows now start at 0, 25 and 31
    grid->SetCells(1, 1, L"HHH");
    grid->SetCells(1, 2, L"HHH");
    grid->OnSetCanvasProperties = [&](fw::TObject*, int col, int row, const RECT&, fw::TGridDrawState) {
        if (col == 2 && row == 2) grid->Canvas()->Brush()->SetColor(fw::clLime);
    };
    Paint();
    EXPECT_FALSE(InkIn(*bitmap, RECT{101, 25, 201, 30}).any());
    EXPECT_TRUE(InkIn(*bitmap, RECT{101, 31, 201, 55}).any());
    EXPECT_EQ(bitmap->Canvas()->Pixels(2 * 101 + 50, 31 + 12), fw::clLime);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1 * 101 + 90, 31 + 12), fw::clWhite);
}

// ---- a shown grid: mouse, messages, editor ----

// Each cell of the fresh grid holds its own name.
class ShownGrid : public testenv::GridOnShownForm<TVxStringGrid> {
protected:
    void SetUp() override {
        GridOnShownForm::SetUp();
        for (int r = 0; r < grid->RowCount(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c) grid->SetCells(c, r, Name(c, r));
        Pump();
    }
    void Press(UINT down, UINT up, int c1, int r1, int c2, int r2) {
        const RECT a = grid->CellRect(c1, r1), b = grid->CellRect(c2, r2);
        SendMessageW(grid->Handle(), down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                     MAKELPARAM(a.left + 3, a.top + 3));
        SendMessageW(grid->Handle(), up, 0, MAKELPARAM(b.left + 3, b.top + 3));
    }
    // Makes the grid editable and focused, then sends the activation message.
    void Activate(WPARAM col, LPARAM row) {
        grid->SetOptions(grid->Options() | fw::goEditing);
        grid->SetFocus();
        Pump();
        SendMessageW(grid->Handle(), vx::WM_VXACTIVATECELL, col, row);
    }
};

TEST_F(ShownGrid, CaptionClickOnlyForOneFixedCellAndTheLeftButton) {
    std::vector<std::pair<int, int>> clicks;
    grid->OnCaptionClick = [&](TVxStringGrid*, int c, int r) { clicks.push_back({c, r}); };
    Press(WM_LBUTTONDOWN, WM_LBUTTONUP, 2, 0, 3, 0);  // released on another fixed cell
    Press(WM_RBUTTONDOWN, WM_RBUTTONUP, 2, 0, 2, 0);  // another button
    Press(WM_LBUTTONDOWN, WM_LBUTTONUP, 2, 2, 2, 2);  // not fixed
    EXPECT_TRUE(clicks.empty());
    Press(WM_LBUTTONDOWN, WM_LBUTTONUP, 2, 0, 2, 0);
    Press(WM_LBUTTONDOWN, WM_LBUTTONUP, 0, 3, 0, 3);
    // A press and release below the last row hits no cell.
    grid->SetRowCount(2);
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(390, 250));
    SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(390, 250));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 0}, {0, 3}}));
}

TEST_F(ShownGrid, ActivationMessageOpensTheEditorOnlyInTheScrollablePartWhenAllowed) {
    Activate(0, 3);                 // fixed column
    Activate(2, 0);                 // fixed row
    Activate(2, 99);                // below the grid
    Activate(2, grid->RowCount());  // just below the last row
    Activate(grid->ColCount(), 2);  // just right of the last column
    Activate(WPARAM(-1), 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_FALSE(grid->EditorMode());
    // The show-editor event may forbid the editor.
    grid->OnShowEditor = [](TVxStringGrid*, int col, int, bool& allow) { allow = col != 3; };
    Activate(3, 2);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(grid->InplaceEditor() == nullptr || !grid->InplaceEditor()->IsShown());

    Activate(2, 3);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_TRUE(grid->EditorMode());
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->IsShown());
    EXPECT_EQ(grid->InplaceEditor()->Text(), Name(2, 3));
    DWORD start = 1, end = 0;
    SendMessageW(grid->InplaceEditor()->Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, DWORD(Name(2, 3).size()));
    // The alignment reaches the open editor's window.
    grid->SetAlignment(fw::taRightJustify);
    EXPECT_TRUE(GetWindowLongW(grid->InplaceEditor()->Handle(), GWL_STYLE) & ES_RIGHT);
    grid->SetAlignment(fw::taCenter);
    EXPECT_TRUE(GetWindowLongW(grid->InplaceEditor()->Handle(), GWL_STYLE) & ES_CENTER);
}

TEST_F(ShownGrid, PickListAndEllipsisComeFromTheEditStyleEvent) {
    grid->OnGetEditStyle = [](TVxStringGrid*, int col, int, fw::TStrings* list, fw::TEditStyle& style) {
        if (col == 2) {
            style = fw::esEllipsis;
            return;
        }
        list->Add(L"red");
        list->Add(L"green");
        style = fw::esPickList;
    };
    int closeUps = 0, clicks = 0;
    grid->OnListBoxCloseUp = [&](fw::TObject*) { ++closeUps; };
    grid->OnEditButtonClick = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, grid);
        ++clicks;
    };
    Activate(1, 1);
    auto* editor = dynamic_cast<vx::TExInplaceEditList*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->EditStyle(), fw::esPickList);
    ASSERT_EQ(editor->ActiveList(), editor->PickList());
    EXPECT_EQ(editor->PickList()->Items()->Text(), L"red\r\ngreen\r\n");
    editor->DropDown();
    EXPECT_TRUE(editor->ListVisible());
    editor->PickList()->SetItemIndex(1);
    editor->CloseUp(true);
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(grid->Cells(1, 1), L"green");

    Activate(2, 1);
    EXPECT_EQ(editor->EditStyle(), fw::esEllipsis);
    HWND edit = editor->Handle();
    RECT client;
    GetClientRect(edit, &client);
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 3, 5));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 3, 5));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
