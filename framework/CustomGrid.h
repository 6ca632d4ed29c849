#pragma once
// TCustomGrid: a grid of cells with counts, sizes, selection, scrolling, drawing
// and the in-place editor's side; descendants draw the cells (DrawCell).
// A grid is a control created with an owner and shown by giving it a Parent.
// Everything but drawing works with no window at all. The in-place editor
// (InplaceEdit.h) is made by the grid on first use and owned by it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Exception.h"
#include "framework/GridAxis.h"

namespace fw {

class TCustomGrid;
class TInplaceEdit;
class TStringGrid;

class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

struct TGridCoord {
    int X = 0;  // column
    int Y = 0;  // row
    bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

// Grid options, a set of bits.
enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};
using TGridOptions = unsigned;

// How a cell is to be drawn, a set of bits.
enum TGridDrawStateFlag : unsigned {
    gdSelected = 1u << 0,
    gdFocused = 1u << 1,
    gdFixed = 1u << 2,
};
using TGridDrawState = unsigned;

enum TGridState {
    gsNormal,
    gsSelecting,
    gsRowSizing,
    gsColSizing,
    gsRowMoving,
    gsColMoving
};
enum TScrollStyle {
    ssNone,
    ssHorizontal,
    ssVertical,
    ssBoth
};
enum TEditStyle {
    esSimple,
    esEllipsis,
    esPickList
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, const RECT& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, std::wstring& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const std::wstring& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The grid: counts, sizes, selection, scrolling, drawing and the editor's side.
class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    void WndProc(TMessage& Message) override;

    int ColCount() const { return colCount_; }
    // At least 1; FixedCols is lowered when it no longer fits.
    void SetColCount(int Value);
    int RowCount() const { return rowCount_; }
    // At least 1; FixedRows is lowered when it no longer fits.
    void SetRowCount(int Value);
    int FixedCols() const { return fixedCols_; }
    // EInvalidGridOperation unless 0 <= Value < ColCount.
    void SetFixedCols(int Value);
    int FixedRows() const { return fixedRows_; }
    // EInvalidGridOperation unless 0 <= Value < RowCount.
    void SetFixedRows(int Value);

    int DefaultColWidth() const { return defaultColWidth_; }
    // Resets every column to the new width.
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Resets every row to the new height.
    void SetDefaultRowHeight(int Value);
    // Out-of-range indexes read the default and are ignored when written.
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int Value);
    // Sums of the widths (heights) of all columns (rows), lines included.
    int GridWidth() const;
    int GridHeight() const;

    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions Value);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor Value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);

    // The current cell; moving it may be refused by SelectCell.
    int Col() const { return current_.X; }
    void SetCol(int Value);
    int Row() const { return current_.Y; }
    void SetRow(int Value);
    // The selected range, normalised; with goRowSelect it spans the scrollable columns.
    TGridRect Selection() const;
    // Anchor at (Left, Top), current cell at (Right, Bottom).
    void SetSelection(const TGridRect& Value);

    // The first scrollable row and column shown.
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int Value);
    int LeftCol() const { return topLeft_.X; }
    void SetLeftCol(int Value);
    // How many scrollable rows (columns) fit entirely from TopRow (LeftCol) on.
    int VisibleRowCount() const;
    int VisibleColCount() const;

    // The client rectangle of a cell, empty when it is not on screen.
    RECT CellRect(int ACol, int ARow) const;
    // The cell under a client point; (-1, -1) outside the cells.
    TGridCoord MouseCoord(int X, int Y) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;

    // Whether the in-place editor is on (shown when the grid may edit).
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }

    TNotifyEvent OnTopLeftChanged;

protected:
    std::wstring ClassName() const override { return L"TCustomGrid"; }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;

    // Draws one cell; the canvas has its brush and font set for the cell.
    virtual void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) = 0;
    // May refuse moving the current cell to (ACol, ARow).
    virtual bool SelectCell(int ACol, int ARow);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual void TopLeftChanged();
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    // Moves a column (row) to another place, its width (height) with it.
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);

    // The in-place editor's side.
    virtual TInplaceEdit* CreateEditor();
    virtual bool CanEditShow();
    virtual bool CanEditModify();
    virtual std::wstring GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const std::wstring& Value);
    virtual TEditStyle GetEditStyle(int ACol, int ARow);
    virtual int GetEditLimit() { return 0; }
    void ShowEditor();
    void HideEditor();
    void InvalidateEditor();
    // Writes the editor's text into the cell it edits.
    void UpdateText();

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;

    // Moves the current cell; the anchor follows unless a range is being extended.
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid();
    bool IsFixedCell(int ACol, int ARow) const { return ACol < fixedCols_ || ARow < fixedRows_; }
    TGridState GridState() const { return gridState_; }

private:
    friend class TInplaceEdit;
    friend class TInplaceEditList;
    void ChangeSize(int NewColCount, int NewRowCount);
    void ClampPositions();
    void InvalidateSelection(const TGridRect& Old, const TGridRect& New);
    void InvalidateRect(const TGridRect& Cells);
    // Scrolls so that the cell is entirely visible.
    void ClampInView(int ACol, int ARow);
    void MoveTopLeft(int ALeft, int ATop);
    int MaxTopRow() const;
    int MaxLeftCol() const;
    void UpdateScrollRange();
    void ScrollMessage(int Bar, int Code);
    int ColumnX(int ACol) const;  // client x of a visible column's left edge, -1 when hidden
    int RowY(int ARow) const;
    int FixedWidth() const;
    int FixedHeight() const;
    // The column (row) line under a fixed-area point, for sizing; -1 when none.
    int SizingCol(int X, int Y) const;
    int SizingRow(int X, int Y) const;
    void UpdateEdit();
    bool EditorShown() const;
    bool FocusInside();
    // The columns (rows) as the layout sees them.
    TGridAxis ColAxis() const;
    TGridAxis RowAxis() const;
    RECT RangeBox(const TGridRect& Cells) const;
    TGridDrawState CellState(int ACol, int ARow) const;
    void PaintCell(int ACol, int ARow, const RECT& Cell);
    void PaintLines(const TGridAxis::Visible& Cols, const TGridAxis::Visible& Rows);
    void TabKey(WORD& Key, TShiftState Shift);
    // F2, Enter and Escape: open, close or cancel the editor.
    void EditKey(WORD& Key);

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor fixedColor_ = clBtnFace;
    bool defaultDrawing_ = true;
    TScrollStyle scrollBars_ = ssBoth;
    TBorderStyle borderStyle_ = bsSingle;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridCoord topLeft_{1, 1};
    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingStart_ = 0;   // mouse position where sizing started
    int sizingOrigin_ = 0;  // the size when sizing started
    int moveIndex_ = -1;
    int moveTarget_ = -1;
    bool editorMode_ = false;
    TInplaceEdit* inplaceEdit_ = nullptr;
    TGridCoord editCell_{-1, -1};  // the cell the shown editor edits
    std::wstring editOriginal_;
    bool loadingEditor_ = false;
    bool updatingScroll_ = false;
};

}  // namespace fw
