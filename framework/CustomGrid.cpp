#include "framework/CustomGrid.h"

#include <algorithm>

#include "framework/Handles.h"
#include "framework/InplaceEdit.h"

namespace fw {

namespace {

[[noreturn]] void GridError(const wchar_t* text) {
    throw EInvalidGridOperation(text);
}

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool InRange(const TGridRect& r, int c, int row) {
    return c >= r.Left && c <= r.Right && row >= r.Top && row <= r.Bottom;
}

}  // namespace

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csCaptureMouse | csOpaque | csDoubleClicks;
    colWidths_.assign(size_t(colCount_), defaultColWidth_);
    rowHeights_.assign(size_t(rowCount_), defaultRowHeight_);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) Params.Style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) Params.Style |= WS_HSCROLL;
    if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

// ---- counts and sizes ----

void TCustomGrid::SetColCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == colCount_) return;
    if (fixedCols_ >= Value) fixedCols_ = Value - 1;
    ChangeSize(Value, rowCount_);
}

void TCustomGrid::SetRowCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == rowCount_) return;
    if (fixedRows_ >= Value) fixedRows_ = Value - 1;
    ChangeSize(colCount_, Value);
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
    const int oldCols = colCount_, oldRows = rowCount_;
    if (EditorShown()) UpdateText();
    colCount_ = NewColCount;
    rowCount_ = NewRowCount;
    colWidths_.resize(size_t(colCount_), defaultColWidth_);
    rowHeights_.resize(size_t(rowCount_), defaultRowHeight_);
    ClampPositions();
    SizeChanged(oldCols, oldRows);
}

void TCustomGrid::SizeChanged(int, int) {
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::ClampPositions() {
    current_.X = Clamp(current_.X, fixedCols_, colCount_ - 1);
    current_.Y = Clamp(current_.Y, fixedRows_, rowCount_ - 1);
    anchor_.X = Clamp(anchor_.X, fixedCols_, colCount_ - 1);
    anchor_.Y = Clamp(anchor_.Y, fixedRows_, rowCount_ - 1);
    topLeft_.X = Clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    topLeft_.Y = Clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, MaxTopRow()));
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0) GridError(L"Grid index out of range");
    if (Value >= colCount_) GridError(L"Fixed column count must be less than column count");
    if (Value == fixedCols_) return;
    fixedCols_ = Value;
    ClampPositions();
    SizeChanged(colCount_, rowCount_);
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0) GridError(L"Grid index out of range");
    if (Value >= rowCount_) GridError(L"Fixed row count must be less than row count");
    if (Value == fixedRows_) return;
    fixedRows_ = Value;
    ClampPositions();
    SizeChanged(colCount_, rowCount_);
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    defaultColWidth_ = Value;
    std::fill(colWidths_.begin(), colWidths_.end(), Value);
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    defaultRowHeight_ = Value;
    std::fill(rowHeights_.begin(), rowHeights_.end(), Value);
    RowHeightsChanged();
}

int TCustomGrid::ColWidths(int Index) const {
    return (Index >= 0 && Index < colCount_) ? colWidths_[size_t(Index)] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= colCount_ || colWidths_[size_t(Index)] == Value) return;
    colWidths_[size_t(Index)] = Value;
    ColWidthsChanged();
}

int TCustomGrid::RowHeights(int Index) const {
    return (Index >= 0 && Index < rowCount_) ? rowHeights_[size_t(Index)] : defaultRowHeight_;
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= rowCount_ || rowHeights_[size_t(Index)] == Value) return;
    rowHeights_[size_t(Index)] = Value;
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int Value) {
    Value = std::max(0, Value);
    if (Value == gridLineWidth_) return;
    gridLineWidth_ = Value;
    ColWidthsChanged();
}

int TCustomGrid::GridWidth() const {
    return ColAxis().Total();
}

int TCustomGrid::GridHeight() const {
    return RowAxis().Total();
}

void TCustomGrid::ColWidthsChanged() {
    ClampPositions();
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
    ClampPositions();
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

// ---- options and looks ----

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == options_) return;
    options_ = Value;
    if ((options_ & goRowSelect) || !(options_ & goEditing)) {
        HideEditor();
        editorMode_ = false;
    } else if (options_ & goAlwaysShowEditor) {
        SetEditorMode(true);
    }
    InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == fixedColor_) return;
    fixedColor_ = Value;
    InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == defaultDrawing_) return;
    defaultDrawing_ = Value;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == scrollBars_) return;
    scrollBars_ = Value;
    RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    RecreateWnd();
}

// ---- current cell and selection ----

void TCustomGrid::SetCol(int Value) {
    if (Value != current_.X) FocusCell(Value, current_.Y, true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != current_.Y) FocusCell(current_.X, Value, true);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    MoveCurrent(ACol, ARow, MoveAnchor, true);
}

bool TCustomGrid::SelectCell(int, int) {
    return true;
}

TGridRect TCustomGrid::Selection() const {
    TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y), std::max(anchor_.X, current_.X),
                std::max(anchor_.Y, current_.Y)};
    if (options_ & goRowSelect) {
        r.Left = fixedCols_;
        r.Right = colCount_ - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    const TGridRect old = Selection();
    anchor_ = {Clamp(Value.Left, 0, colCount_ - 1), Clamp(Value.Top, 0, rowCount_ - 1)};
    current_ = {Clamp(Value.Right, 0, colCount_ - 1), Clamp(Value.Bottom, 0, rowCount_ - 1)};
    InvalidateSelection(old, Selection());
    UpdateEdit();
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= colCount_ || ARow >= rowCount_) GridError(L"Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    const TGridRect old = Selection();
    const TGridCoord oldCurrent = current_;
    if (EditorShown()) UpdateText();
    current_ = {ACol, ARow};
    if (MoveAnchor || !(options_ & goRangeSelect)) anchor_ = current_;
    if (Show) ClampInView(ACol, ARow);
    InvalidateSelection(old, Selection());
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(ACol, ARow);
    if (!(current_ == oldCurrent)) {
        if (editorMode_) UpdateEdit();
        Click();
    }
}

// ---- scrolling ----

void TCustomGrid::SetTopRow(int Value) {
    MoveTopLeft(topLeft_.X, Value);
}

void TCustomGrid::SetLeftCol(int Value) {
    MoveTopLeft(Value, topLeft_.Y);
}

TGridAxis TCustomGrid::ColAxis() const {
    return TGridAxis(colWidths_, fixedCols_, topLeft_.X, gridLineWidth_, ClientWidth());
}

TGridAxis TCustomGrid::RowAxis() const {
    return TGridAxis(rowHeights_, fixedRows_, topLeft_.Y, gridLineWidth_, ClientHeight());
}

int TCustomGrid::FixedWidth() const {
    return ColAxis().FixedExtent();
}

int TCustomGrid::FixedHeight() const {
    return RowAxis().FixedExtent();
}

int TCustomGrid::MaxTopRow() const {
    return RowAxis().MaxFirst();
}

int TCustomGrid::MaxLeftCol() const {
    return ColAxis().MaxFirst();
}

int TCustomGrid::VisibleRowCount() const {
    return RowAxis().VisibleCount();
}

int TCustomGrid::VisibleColCount() const {
    return ColAxis().VisibleCount();
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
    ALeft = Clamp(ALeft, fixedCols_, std::max(fixedCols_, MaxLeftCol()));
    ATop = Clamp(ATop, fixedRows_, std::max(fixedRows_, MaxTopRow()));
    if (ALeft == topLeft_.X && ATop == topLeft_.Y) return;
    if (EditorShown()) UpdateText();
    topLeft_ = {ALeft, ATop};
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
    TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::ClampInView(int ACol, int ARow) {
    MoveTopLeft(ColAxis().FirstToShow(ACol), RowAxis().FirstToShow(ARow));
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated() || updatingScroll_) return;
    updatingScroll_ = true;
    // Positions are line indexes; the page makes the last position the last first line.
    const auto update = [this](int Bar, const TGridAxis& Axis, int Fixed, int First) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = Fixed;
        si.nMax = Axis.Count() - 1;
        si.nPage = UINT(Axis.Count() - Axis.MaxFirst());
        si.nPos = First;
        SetScrollInfo(Handle(), Bar, &si, TRUE);
    };
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) update(SB_VERT, RowAxis(), fixedRows_, topLeft_.Y);
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) update(SB_HORZ, ColAxis(), fixedCols_, topLeft_.X);
    updatingScroll_ = false;
}

void TCustomGrid::ScrollMessage(int Bar, int Code) {
    const bool vertical = Bar == SB_VERT;
    const TGridAxis axis = vertical ? RowAxis() : ColAxis();
    const int pos = vertical ? topLeft_.Y : topLeft_.X;
    const int page = std::max(1, axis.VisibleCount());
    int next = pos;
    switch (Code) {
    case SB_LINEUP: next = pos - 1; break;
    case SB_LINEDOWN: next = pos + 1; break;
    case SB_PAGEUP: next = pos - page; break;
    case SB_PAGEDOWN: next = pos + page; break;
    case SB_TOP: next = vertical ? fixedRows_ : fixedCols_; break;
    case SB_BOTTOM: next = axis.MaxFirst(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        if (Code == SB_THUMBTRACK && !(options_ & goThumbTracking)) return;
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), Bar, &si);  // the 32-bit position
        next = si.nTrackPos;
        break;
    }
    default: return;
    }
    if (vertical) MoveTopLeft(topLeft_.X, next);
    else MoveTopLeft(next, topLeft_.Y);
}

// ---- geometry ----

int TCustomGrid::ColumnX(int ACol) const {
    return ColAxis().Position(ACol);
}

int TCustomGrid::RowY(int ARow) const {
    return RowAxis().Position(ARow);
}

RECT TCustomGrid::CellRect(int ACol, int ARow) const {
    const int x = ColumnX(ACol), y = RowY(ARow);
    if (x < 0 || y < 0) return RECT{0, 0, 0, 0};
    return RECT{x, y, x + colWidths_[size_t(ACol)], y + rowHeights_[size_t(ARow)]};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    if (X < 0 || Y < 0) return {-1, -1};
    const TGridCoord result{ColAxis().LineAt(X), RowAxis().LineAt(Y)};
    if (result.X < 0 || result.Y < 0) return {-1, -1};
    return result;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    const TGridCoord cell = MouseCoord(X, Y);
    ACol = cell.X;
    ARow = cell.Y;
}

int TCustomGrid::SizingCol(int X, int Y) const {
    if (Y >= FixedHeight() || fixedRows_ == 0) return -1;
    return ColAxis().EdgeAt(X);
}

int TCustomGrid::SizingRow(int X, int Y) const {
    if (X >= FixedWidth() || fixedCols_ == 0) return -1;
    return RowAxis().EdgeAt(Y);
}

// ---- invalidation ----

void TCustomGrid::InvalidateGrid() {
    if (HandleAllocated()) Invalidate();
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    if (!HandleAllocated()) return;
    RECT r = CellRect(ACol, ARow);
    if (r.right <= r.left) return;
    r.right += gridLineWidth_;
    r.bottom += gridLineWidth_;
    ::InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateRow(int ARow) {
    if (HandleAllocated()) InvalidateRect(TGridRect{0, ARow, colCount_ - 1, ARow});
}

void TCustomGrid::InvalidateCol(int ACol) {
    if (HandleAllocated()) InvalidateRect(TGridRect{ACol, 0, ACol, rowCount_ - 1});
}

RECT TCustomGrid::RangeBox(const TGridRect& Cells) const {
    int left, right, top, bottom;
    ColAxis().Span(Cells.Left, Cells.Right, left, right);
    RowAxis().Span(Cells.Top, Cells.Bottom, top, bottom);
    if (left < 0 || top < 0) return RECT{0, 0, 0, 0};
    return RECT{left, top, right, bottom};
}

void TCustomGrid::InvalidateRect(const TGridRect& Cells) {
    if (!HandleAllocated()) return;
    RECT box = RangeBox(Cells);
    if (box.right > box.left) ::InvalidateRect(Handle(), &box, FALSE);
}

void TCustomGrid::InvalidateSelection(const TGridRect& Old, const TGridRect& New) {
    if (Old == New) return;
    InvalidateRect(Old);
    InvalidateRect(New);
}

// ---- painting ----

void TCustomGrid::Paint() {
    TCanvas* canvas = Canvas();
    RECT clip{};
    GetClipBox(canvas->Handle(), &clip);
    const TGridAxis::Visible cols = ColAxis().VisibleLines(), rows = RowAxis().VisibleLines();
    // The background first: what the cells and lines leave shows the grid's colour.
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(clip);
    for (size_t ri = 0; ri < rows.index.size(); ++ri) {
        for (size_t ci = 0; ci < cols.index.size(); ++ci) {
            const int c = cols.index[ci], r = rows.index[ri];
            const RECT cell{cols.start[ci], rows.start[ri], cols.start[ci] + colWidths_[size_t(c)],
                            rows.start[ri] + rowHeights_[size_t(r)]};
            RECT dummy;
            if (IntersectRect(&dummy, &cell, &clip)) PaintCell(c, r, cell);
        }
    }
    if (gridLineWidth_ > 0 && !cols.index.empty() && !rows.index.empty()) PaintLines(cols, rows);
}

TGridDrawState TCustomGrid::CellState(int ACol, int ARow) const {
    if (IsFixedCell(ACol, ARow)) return gdFixed;
    TGridDrawState state = 0;
    const bool isCurrent = ACol == current_.X && ARow == current_.Y;
    const bool focused = Focused() || const_cast<TCustomGrid*>(this)->FocusInside();
    if (isCurrent) state |= gdFocused;
    if (InRange(Selection(), ACol, ARow) &&
        (!isCurrent || (options_ & (goDrawFocusSelected | goRowSelect)) || !focused))
        state |= gdSelected;
    return state;
}

void TCustomGrid::PaintCell(int ACol, int ARow, const RECT& Cell) {
    TCanvas* canvas = Canvas();
    const TGridDrawState state = CellState(ACol, ARow);
    const bool fixed = (state & gdFixed) != 0;
    if (defaultDrawing_) {
        canvas->Font()->Assign(Font());
        if (fixed) {
            canvas->Brush()->SetColor(fixedColor_);
        } else if (state & gdSelected) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        } else {
            canvas->Brush()->SetColor(Color());
        }
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(Cell);
    }
    DrawCell(ACol, ARow, Cell, state);
    if (defaultDrawing_ && fixed && (options_ & goFixedVertLine) && (options_ & goFixedHorzLine)) {
        RECT edge = Cell;
        DrawEdge(canvas->Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
    }
    const bool focused = Focused() || FocusInside();
    if (defaultDrawing_ && (state & gdFocused) && focused && !EditorShown() && !(options_ & goRowSelect)) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->DrawFocusRect(Cell);
    }
}

void TCustomGrid::PaintLines(const TGridAxis::Visible& Cols, const TGridAxis::Visible& Rows) {
    // Right of each column and below each row, fixed parts by the fixed options.
    const RECT client = ClientRect();
    const int fixedW = std::min(FixedWidth(), int(client.right));
    const int fixedH = std::min(FixedHeight(), int(client.bottom));
    const int gridRight =
        std::min<int>(client.right, Cols.start.back() + colWidths_[size_t(Cols.index.back())] + gridLineWidth_);
    const int gridBottom =
        std::min<int>(client.bottom, Rows.start.back() + rowHeights_[size_t(Rows.index.back())] + gridLineWidth_);
    const GdiObject<HBRUSH> fixedLineBrush(CreateSolidBrush(ColorToRGB(clBlack)));
    const GdiObject<HBRUSH> lineBrush(CreateSolidBrush(ColorToRGB(clSilver)));
    const HBRUSH fixedLine = fixedLineBrush.get(), line = lineBrush.get();
    HDC h = Canvas()->Handle();
    for (size_t ci = 0; ci < Cols.index.size(); ++ci) {
        const int x = Cols.start[ci] + colWidths_[size_t(Cols.index[ci])];
        const bool fixedCol = Cols.index[ci] < fixedCols_;
        RECT upper{x, 0, x + gridLineWidth_, fixedH};
        RECT lower{x, fixedH, x + gridLineWidth_, gridBottom};
        if (options_ & goFixedVertLine) FillRect(h, fixedCol ? &lower : &upper, fixedLine);
        if (fixedCol && (options_ & goFixedVertLine)) FillRect(h, &upper, fixedLine);
        if (!fixedCol && (options_ & goVertLine)) FillRect(h, &lower, line);
    }
    for (size_t ri = 0; ri < Rows.index.size(); ++ri) {
        const int y = Rows.start[ri] + rowHeights_[size_t(Rows.index[ri])];
        const bool fixedRow = Rows.index[ri] < fixedRows_;
        RECT leftPart{0, y, fixedW, y + gridLineWidth_};
        RECT rightPart{fixedW, y, gridRight, y + gridLineWidth_};
        if (options_ & goFixedHorzLine) FillRect(h, fixedRow ? &rightPart : &leftPart, fixedLine);
        if (fixedRow && (options_ & goFixedHorzLine)) FillRect(h, &leftPart, fixedLine);
        if (!fixedRow && (options_ & goHorzLine)) FillRect(h, &rightPart, line);
    }
}

// ---- moving columns and rows ----

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= colCount_ || ToIndex >= colCount_) return;
    if (EditorShown()) UpdateText();
    const int width = colWidths_[size_t(FromIndex)];
    colWidths_.erase(colWidths_.begin() + FromIndex);
    colWidths_.insert(colWidths_.begin() + ToIndex, width);
    ColumnMoved(FromIndex, ToIndex);
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= rowCount_ || ToIndex >= rowCount_) return;
    if (EditorShown()) UpdateText();
    const int height = rowHeights_[size_t(FromIndex)];
    rowHeights_.erase(rowHeights_.begin() + FromIndex);
    rowHeights_.insert(rowHeights_.begin() + ToIndex, height);
    RowMoved(FromIndex, ToIndex);
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::ColumnMoved(int, int) {}
void TCustomGrid::RowMoved(int, int) {}

}  // namespace fw
