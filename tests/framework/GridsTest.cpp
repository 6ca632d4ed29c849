// Grids: the cell store and the count rules that work with no window, row and
// column lines, drawing into a bitmap, hit-testing, scrolling and the editor.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/Grids.h"
#include "tests/common/GridOnShownForm.h"

namespace {

using fw::TGridRect;
using fw::TStringGrid;

std::unique_ptr<TStringGrid> NewGrid(int cols, int rows) {
    auto grid = std::make_unique<TStringGrid>(nullptr);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    return grid;
}

// ---- no window ----

TEST(StringGridData, KeepsCellsCountsAndOptionsWithoutAWindow) {
    auto grid = NewGrid(3, 4);
    grid->SetCells(2, 3, L"last");
    grid->SetCells(0, 0, L"first");
    grid->SetColWidths(1, 77);
    grid->SetOptions(grid->Options() | fw::goRowSelect);
    EXPECT_EQ(grid->Cells(2, 3), L"last");
    EXPECT_EQ(grid->Cells(0, 0), L"first");
    EXPECT_EQ(grid->Cells(1, 1), L"");
    EXPECT_EQ(grid->FixedRows(), 1);
    EXPECT_EQ(grid->ColWidths(1), 77);
    EXPECT_EQ(grid->ColWidths(0), grid->DefaultColWidth());
    EXPECT_TRUE(grid->Options() & fw::goRowSelect);
    EXPECT_FALSE(grid->HandleAllocated());
    // Cells outside the grid read empty and ignore writes.
    grid->SetCells(5, 0, L"x");
    grid->SetCells(0, -1, L"x");
    EXPECT_EQ(grid->Cells(5, 0), L"");
    EXPECT_EQ(grid->Cells(-1, 0), L"");
    EXPECT_EQ(grid->Cells(0, 9), L"");
    EXPECT_EQ(grid->ColWidths(9), grid->DefaultColWidth());
}

TEST(StringGridData, CountsStayAboveTheFixedCountsAndLoweredCountsDropCells) {
    auto grid = NewGrid(3, 5);
    EXPECT_THROW(grid->SetFixedRows(5), fw::EInvalidGridOperation);
    EXPECT_THROW(grid->SetFixedCols(-1), fw::EInvalidGridOperation);
    grid->SetCells(2, 4, L"corner");
    grid->SetFixedRows(2);
    EXPECT_EQ(grid->FixedRows(), 2);
    grid->SetRowCount(2);
    EXPECT_EQ(grid->FixedRows(), 1);
    grid->SetRowCount(0);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->FixedRows(), 0);
    grid->SetRowCount(5);
    EXPECT_EQ(grid->FixedRows(), 0);  // never raised again by itself
    EXPECT_EQ(grid->Cells(2, 4), L"");

    grid->SetCells(2, 0, L"right");
    EXPECT_EQ(grid->FixedCols(), 1);
    grid->SetColCount(1);
    EXPECT_EQ(grid->FixedCols(), 0);
    EXPECT_EQ(grid->ColCount(), 1);
    grid->SetColCount(3);
    EXPECT_EQ(grid->Cells(2, 0), L"");
}

TEST(StringGridData, SelectionFollowsCurrentCellAndRowSelect) {
    auto grid = NewGrid(5, 6);
    grid->SetCol(2);
    grid->SetRow(3);
    EXPECT_EQ(grid->Selection(), (TGridRect{2, 3, 2, 3}));
    grid->SetSelection(TGridRect{1, 2, 3, 4});
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 3, 4}));
    grid->SetOptions(grid->Options() | fw::goRowSelect);
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 4, 4}));
    EXPECT_THROW(grid->SetRow(6), fw::EInvalidGridOperation);
}

// ---- rows and columns as lists ----

// A grid that moves its lines as a descendant does (the moves are protected).
class MovableGrid : public TStringGrid {
public:
    MovableGrid() : TStringGrid(nullptr) {
        SetColCount(4);
        SetRowCount(5);
        for (int r = 0; r < 5; ++r) {
            SetRowHeights(r, 20 + r);
            for (int c = 0; c < 4; ++c) SetCells(c, r, Label(c, r));
        }
        for (int c = 0; c < 4; ++c) SetColWidths(c, 40 + c);
    }
    static std::wstring Label(int col, int row) { return std::to_wstring(col) + L"/" + std::to_wstring(row); }
    using TStringGrid::MoveColumn;
    using TStringGrid::MoveRow;
};

TEST(StringGridData, MovedRowsAndColumnsTakeTheirCellsObjectsAndSizes) {
    MovableGrid grid;
    fw::TObject marker;
    grid.SetObjects(1, 3, &marker);
    std::vector<std::pair<int, int>> rowMoves, colMoves;
    grid.OnRowMoved = [&](fw::TObject*, int from, int to) { rowMoves.emplace_back(from, to); };
    grid.OnColumnMoved = [&](fw::TObject*, int from, int to) { colMoves.emplace_back(from, to); };

    grid.MoveRow(3, 1);
    const int rows[] = {0, 3, 1, 2, 4};  // where each row came from
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(grid.RowHeights(r), 20 + rows[r]) << "row " << r;
        for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.Cells(c, r), MovableGrid::Label(c, rows[r]));
    }
    EXPECT_EQ(grid.Objects(1, 1), &marker);

    grid.MoveColumn(0, 3);
    const int cols[] = {1, 2, 3, 0};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(grid.ColWidths(c), 40 + cols[c]) << "column " << c;
        for (int r = 0; r < 5; ++r) EXPECT_EQ(grid.Cells(c, r), MovableGrid::Label(cols[c], rows[r]));
    }
    EXPECT_EQ(grid.Objects(0, 1), &marker);

    grid.MoveRow(1, 7);  // outside the grid: nothing moves
    EXPECT_EQ(grid.RowHeights(1), 23);
    EXPECT_EQ(rowMoves, (std::vector<std::pair<int, int>>{{3, 1}}));
    EXPECT_EQ(colMoves, (std::vector<std::pair<int, int>>{{0, 3}}));
}

TEST(StringGridLines, AssignCopiesTextsAndObjectsAndEmptiesTheRest) {
    auto grid = NewGrid(3, 3);
    fw::TObject marker;
    grid->SetCells(0, 1, L"a");
    grid->SetCells(2, 1, L"c");
    grid->SetObjects(1, 1, &marker);
    grid->SetCells(1, 2, L"old");
    grid->Rows(2)->Assign(grid->Rows(1));
    EXPECT_EQ(grid->Cells(0, 2), L"a");
    EXPECT_EQ(grid->Cells(1, 2), L"");
    EXPECT_EQ(grid->Cells(2, 2), L"c");
    EXPECT_EQ(grid->Objects(1, 2), &marker);
    EXPECT_EQ(grid->Cells(0, 1), L"a");  // the source stays
    // A shorter list empties the cells past its end.
    fw::TStringList list;
    list.Add(L"only");
    grid->Rows(2)->Assign(&list);
    EXPECT_EQ(grid->Cells(0, 2), L"only");
    EXPECT_EQ(grid->Cells(2, 2), L"");
}

TEST(StringGridLines, ListsHaveTheGridsLengthFillEmptyCellsAndClearOneLine) {
    auto grid = NewGrid(4, 7);
    grid->SetCells(3, 5, L"v");
    grid->SetCells(0, 5, L"w");
    EXPECT_EQ(grid->Rows(5)->Count(), 4);
    EXPECT_EQ(grid->Cols(3)->Count(), 7);
    EXPECT_EQ(grid->Cols(3)->Strings(5), L"v");
    EXPECT_THROW(grid->Rows(0)->Insert(0, L"x"), fw::EInvalidGridOperation);
    EXPECT_THROW(grid->Rows(7), fw::EInvalidGridOperation);
    EXPECT_THROW(grid->Rows(0)->Strings(4), fw::EStringListError);
    // Add fills the first empty cell, or none.
    EXPECT_EQ(grid->Rows(0)->Add(L"a"), 0);
    grid->SetCells(1, 0, L"x");
    EXPECT_EQ(grid->Rows(0)->Add(L"b"), 2);
    grid->SetCells(3, 0, L"y");
    EXPECT_EQ(grid->Rows(0)->Add(L"c"), -1);
    // Clear empties one line only.
    grid->Cols(3)->Clear();
    grid->Rows(0)->Clear();
    EXPECT_EQ(grid->Cells(0, 0), L"");
    EXPECT_EQ(grid->Cells(3, 5), L"");
    EXPECT_EQ(grid->Cells(0, 5), L"w");
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(grid->ColCount(), 4);
}

// ---- shown: geometry, drawing, mouse, keys, editor ----

using GridOnForm = testenv::GridOnShownForm<TStringGrid>;

void Type(HWND wnd, const wchar_t* text) {
    for (; *text; ++text) SendMessageW(wnd, WM_CHAR, *text, 1);
}

TEST_F(GridOnForm, CellRectsAndMouseCoordsAgreeAndClicksSelect) {
    grid->SetColWidths(0, 30);
    grid->SetDefaultRowHeight(20);
    const RECT r = grid->CellRect(1, 1);
    EXPECT_EQ(r.left, 31);
    EXPECT_EQ(r.top, 21);
    EXPECT_EQ(r.right - r.left, grid->ColWidths(1));
    EXPECT_EQ(grid->MouseCoord(31, 21), (fw::TGridCoord{1, 1}));
    EXPECT_EQ(grid->MouseCoord(5, 5), (fw::TGridCoord{0, 0}));
    EXPECT_EQ(grid->MouseCoord(399, 299).X, -1);  // beyond the last column
    const RECT a = grid->CellRect(1, 1), b = grid->CellRect(3, 2);
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.left + 3, a.top + 3));
    SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(a.left + 3, a.top + 3));
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(b.left + 3, b.top + 3));
    SendMessageW(grid->Handle(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(b.left + 3, b.top + 3));
    EXPECT_EQ(grid->Selection(), (TGridRect{1, 1, 3, 2}));
    EXPECT_EQ(grid->Col(), 3);
}

TEST_F(GridOnForm, ScrollingMovesTopRowAndHidesCellsAboveIt) {
    grid->SetRowCount(100);
    grid->SetTopRow(50);
    EXPECT_EQ(grid->TopRow(), 50);
    RECT hidden = grid->CellRect(1, 10);
    EXPECT_EQ(hidden.right, hidden.left);
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid->TopRow(), 51);
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 100);
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid->TopRow(), 1);
    // Moving the current cell out of view scrolls.
    grid->SetRow(80);
    EXPECT_LE(grid->TopRow(), 80);
    EXPECT_GE(grid->TopRow() + grid->VisibleRowCount(), 81);
}

TEST_F(GridOnForm, ArrowKeysMoveWithinTheScrollableCellsAndTheEditorEditsThere) {
    grid->SetFocus();
    Pump();
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_UP, 0);
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_UP, 0);
    SendMessageW(grid->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->Row(), 1);  // not into the fixed row

    // The editor writes its text into the current cell; Escape restores it.
    grid->SetOptions(grid->Options() | fw::goEditing);
    grid->SetCells(2, 1, L"before");
    grid->SetEditorMode(true);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->IsShown());
    EXPECT_EQ(grid->InplaceEditor()->Text(), L"before");
    Type(grid->InplaceEditor()->Handle(), L"after");  // typed over the selected text
    EXPECT_EQ(grid->Cells(2, 1), L"after");
    SendMessageW(grid->InplaceEditor()->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(grid->Cells(2, 1), L"before");
    EXPECT_FALSE(grid->InplaceEditor()->IsShown());
}

// Paints a grid without a window into a bitmap.
TEST(StringGridPaint, FixedAndSelectedCellsUseTheirColours) {
    auto grid = NewGrid(3, 3);
    grid->SetBorderStyle(fw::bsNone);
    grid->SetScrollBars(fw::ssNone);
    grid->SetBounds(0, 0, 200, 80);
    grid->SetFixedColor(fw::clRed);
    grid->SetColor(fw::clWhite);
    grid->SetOptions(grid->Options() | fw::goRowSelect);  // the current cell is drawn selected
    fw::TBitmap bitmap(200, 80);
    grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap.Canvas()->Handle()), LPARAM(0));
    fw::TCanvas* canvas = bitmap.Canvas();
    EXPECT_EQ(canvas->Pixels(5, 5), fw::clRed);                                          // fixed cell (0, 0)
    EXPECT_EQ(canvas->Pixels(70, 60), fw::clWhite);                                      // plain cell (1, 2)
    EXPECT_EQ(fw::ColorToRGB(canvas->Pixels(70, 30)), fw::ColorToRGB(fw::clHighlight));  // selected (1, 1)
    EXPECT_EQ(canvas->Pixels(64, 60), fw::clBlack);                                      // the fixed column's line
    EXPECT_EQ(canvas->Pixels(129, 60), fw::clSilver);                                    // a plain column's line
}

}  // namespace
