#include "framework/Grids.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/Handles.h"

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

// ===========================================================================
// TCustomGrid

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
    int sum = 0;
    for (int w : colWidths_) sum += w + gridLineWidth_;
    return sum;
}

int TCustomGrid::GridHeight() const {
    int sum = 0;
    for (int h : rowHeights_) sum += h + gridLineWidth_;
    return sum;
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

int TCustomGrid::FixedWidth() const {
    int w = 0;
    for (int c = 0; c < fixedCols_; ++c) w += colWidths_[size_t(c)] + gridLineWidth_;
    return w;
}

int TCustomGrid::FixedHeight() const {
    int h = 0;
    for (int r = 0; r < fixedRows_; ++r) h += rowHeights_[size_t(r)] + gridLineWidth_;
    return h;
}

int TCustomGrid::MaxTopRow() const {
    int room = ClientHeight() - FixedHeight();
    int r = rowCount_ - 1;
    while (r >= fixedRows_ && rowHeights_[size_t(r)] + gridLineWidth_ <= room) {
        room -= rowHeights_[size_t(r)] + gridLineWidth_;
        --r;
    }
    return Clamp(r + 1, fixedRows_, rowCount_ - 1);
}

int TCustomGrid::MaxLeftCol() const {
    int room = ClientWidth() - FixedWidth();
    int c = colCount_ - 1;
    while (c >= fixedCols_ && colWidths_[size_t(c)] + gridLineWidth_ <= room) {
        room -= colWidths_[size_t(c)] + gridLineWidth_;
        --c;
    }
    return Clamp(c + 1, fixedCols_, colCount_ - 1);
}

int TCustomGrid::VisibleRowCount() const {
    const int height = ClientHeight();
    int y = FixedHeight(), n = 0;
    for (int r = topLeft_.Y; r < rowCount_; ++r) {
        y += rowHeights_[size_t(r)];
        if (y > height) break;
        y += gridLineWidth_;
        ++n;
    }
    return n;
}

int TCustomGrid::VisibleColCount() const {
    const int width = ClientWidth();
    int x = FixedWidth(), n = 0;
    for (int c = topLeft_.X; c < colCount_; ++c) {
        x += colWidths_[size_t(c)];
        if (x > width) break;
        x += gridLineWidth_;
        ++n;
    }
    return n;
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
    int left = topLeft_.X, top = topLeft_.Y;
    if (ARow >= fixedRows_) {
        if (ARow < top) {
            top = ARow;
        } else {
            // The smallest top row that still shows ARow entirely.
            int room = ClientHeight() - FixedHeight() - rowHeights_[size_t(ARow)];
            int t = ARow;
            while (t > fixedRows_ && t > top && rowHeights_[size_t(t - 1)] + gridLineWidth_ <= room) {
                room -= rowHeights_[size_t(t - 1)] + gridLineWidth_;
                --t;
            }
            if (t > top) top = t;
        }
    }
    if (ACol >= fixedCols_) {
        if (ACol < left) {
            left = ACol;
        } else {
            int room = ClientWidth() - FixedWidth() - colWidths_[size_t(ACol)];
            int l = ACol;
            while (l > fixedCols_ && l > left && colWidths_[size_t(l - 1)] + gridLineWidth_ <= room) {
                room -= colWidths_[size_t(l - 1)] + gridLineWidth_;
                --l;
            }
            if (l > left) left = l;
        }
    }
    MoveTopLeft(left, top);
}

void TCustomGrid::UpdateScrollRange() {
    if (!HandleAllocated() || updatingScroll_) return;
    updatingScroll_ = true;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
        // Positions are row indexes; the page makes the last position MaxTopRow.
        const int maxTop = MaxTopRow();
        si.nMin = fixedRows_;
        si.nMax = rowCount_ - 1;
        si.nPage = UINT(rowCount_ - maxTop);
        si.nPos = topLeft_.Y;
        SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    }
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
        const int maxLeft = MaxLeftCol();
        si.nMin = fixedCols_;
        si.nMax = colCount_ - 1;
        si.nPage = UINT(colCount_ - maxLeft);
        si.nPos = topLeft_.X;
        SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
    }
    updatingScroll_ = false;
}

void TCustomGrid::ScrollMessage(int Bar, int Code) {
    const bool vertical = Bar == SB_VERT;
    const int pos = vertical ? topLeft_.Y : topLeft_.X;
    const int page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
    const int first = vertical ? fixedRows_ : fixedCols_;
    const int last = vertical ? MaxTopRow() : MaxLeftCol();
    int next = pos;
    switch (Code) {
    case SB_LINEUP: next = pos - 1; break;
    case SB_LINEDOWN: next = pos + 1; break;
    case SB_PAGEUP: next = pos - page; break;
    case SB_PAGEDOWN: next = pos + page; break;
    case SB_TOP: next = first; break;
    case SB_BOTTOM: next = last; break;
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

TCustomGrid::Axis TCustomGrid::VisibleCols() const {
    Axis axis;
    const int width = ClientWidth();
    int x = 0;
    for (int c = 0; c < fixedCols_ && x < width; ++c) {
        axis.index.push_back(c);
        axis.start.push_back(x);
        x += colWidths_[size_t(c)] + gridLineWidth_;
    }
    for (int c = topLeft_.X; c < colCount_ && x < width; ++c) {
        axis.index.push_back(c);
        axis.start.push_back(x);
        x += colWidths_[size_t(c)] + gridLineWidth_;
    }
    return axis;
}

TCustomGrid::Axis TCustomGrid::VisibleRows() const {
    Axis axis;
    const int height = ClientHeight();
    int y = 0;
    for (int r = 0; r < fixedRows_ && y < height; ++r) {
        axis.index.push_back(r);
        axis.start.push_back(y);
        y += rowHeights_[size_t(r)] + gridLineWidth_;
    }
    for (int r = topLeft_.Y; r < rowCount_ && y < height; ++r) {
        axis.index.push_back(r);
        axis.start.push_back(y);
        y += rowHeights_[size_t(r)] + gridLineWidth_;
    }
    return axis;
}

int TCustomGrid::ColumnX(int ACol) const {
    if (ACol < 0 || ACol >= colCount_) return -1;
    const int width = ClientWidth();
    int x = 0;
    if (ACol < fixedCols_) {
        for (int c = 0; c < ACol; ++c) x += colWidths_[size_t(c)] + gridLineWidth_;
        return x < width ? x : -1;
    }
    if (ACol < topLeft_.X) return -1;
    x = FixedWidth();
    for (int c = topLeft_.X; c < ACol && x < width; ++c) x += colWidths_[size_t(c)] + gridLineWidth_;
    return x < width ? x : -1;
}

int TCustomGrid::RowY(int ARow) const {
    if (ARow < 0 || ARow >= rowCount_) return -1;
    const int height = ClientHeight();
    int y = 0;
    if (ARow < fixedRows_) {
        for (int r = 0; r < ARow; ++r) y += rowHeights_[size_t(r)] + gridLineWidth_;
        return y < height ? y : -1;
    }
    if (ARow < topLeft_.Y) return -1;
    y = FixedHeight();
    for (int r = topLeft_.Y; r < ARow && y < height; ++r) y += rowHeights_[size_t(r)] + gridLineWidth_;
    return y < height ? y : -1;
}

RECT TCustomGrid::CellRect(int ACol, int ARow) const {
    const int x = ColumnX(ACol), y = RowY(ARow);
    if (x < 0 || y < 0) return RECT{0, 0, 0, 0};
    return RECT{x, y, x + colWidths_[size_t(ACol)], y + rowHeights_[size_t(ARow)]};
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    if (X < 0 || Y < 0) return {-1, -1};
    const Axis cols = VisibleCols(), rows = VisibleRows();
    TGridCoord result{-1, -1};
    for (size_t i = 0; i < cols.index.size(); ++i)
        if (X >= cols.start[i] && X < cols.start[i] + colWidths_[size_t(cols.index[i])] + gridLineWidth_)
            result.X = cols.index[i];
    for (size_t i = 0; i < rows.index.size(); ++i)
        if (Y >= rows.start[i] && Y < rows.start[i] + rowHeights_[size_t(rows.index[i])] + gridLineWidth_)
            result.Y = rows.index[i];
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
    const Axis cols = VisibleCols();
    for (size_t i = 0; i < cols.index.size(); ++i) {
        const int edge = cols.start[i] + colWidths_[size_t(cols.index[i])];
        if (X >= edge - 2 && X <= edge + gridLineWidth_ + 2) return cols.index[i];
    }
    return -1;
}

int TCustomGrid::SizingRow(int X, int Y) const {
    if (X >= FixedWidth() || fixedCols_ == 0) return -1;
    const Axis rows = VisibleRows();
    for (size_t i = 0; i < rows.index.size(); ++i) {
        const int edge = rows.start[i] + rowHeights_[size_t(rows.index[i])];
        if (Y >= edge - 2 && Y <= edge + gridLineWidth_ + 2) return rows.index[i];
    }
    return -1;
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
    RECT box{0, 0, 0, 0};
    const Axis cols = VisibleCols(), rows = VisibleRows();
    int left = -1, right = -1, top = -1, bottom = -1;
    for (size_t i = 0; i < cols.index.size(); ++i) {
        const int c = cols.index[i];
        if (c < Cells.Left || c > Cells.Right) continue;
        if (left < 0 || cols.start[i] < left) left = cols.start[i];
        right = std::max(right, cols.start[i] + colWidths_[size_t(c)] + gridLineWidth_);
    }
    for (size_t i = 0; i < rows.index.size(); ++i) {
        const int r = rows.index[i];
        if (r < Cells.Top || r > Cells.Bottom) continue;
        if (top < 0 || rows.start[i] < top) top = rows.start[i];
        bottom = std::max(bottom, rows.start[i] + rowHeights_[size_t(r)] + gridLineWidth_);
    }
    if (left >= 0 && top >= 0) box = RECT{left, top, right, bottom};
    return box;
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
    HDC dc = canvas->Handle();
    RECT clip{};
    GetClipBox(dc, &clip);
    const RECT client = ClientRect();
    const Axis cols = VisibleCols(), rows = VisibleRows();
    const TGridRect selection = Selection();
    const bool focused = Focused() || FocusInside();
    const bool editing = EditorShown();

    // The background first: what the cells and lines leave shows the grid's colour.
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(clip);

    for (size_t ri = 0; ri < rows.index.size(); ++ri) {
        const int r = rows.index[ri];
        for (size_t ci = 0; ci < cols.index.size(); ++ci) {
            const int c = cols.index[ci];
            const RECT cell{cols.start[ci], rows.start[ri], cols.start[ci] + colWidths_[size_t(c)],
                            rows.start[ri] + rowHeights_[size_t(r)]};
            RECT dummy;
            if (!IntersectRect(&dummy, &cell, &clip)) continue;
            TGridDrawState state = 0;
            const bool fixed = IsFixedCell(c, r);
            const bool isCurrent = c == current_.X && r == current_.Y;
            if (fixed) {
                state |= gdFixed;
            } else {
                if (isCurrent) state |= gdFocused;
                if (InRange(selection, c, r) &&
                    (!isCurrent || (options_ & (goDrawFocusSelected | goRowSelect)) || !focused))
                    state |= gdSelected;
            }
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
                canvas->FillRect(cell);
            }
            DrawCell(c, r, cell, state);
            if (defaultDrawing_ && fixed && (options_ & goFixedVertLine) && (options_ & goFixedHorzLine)) {
                RECT edge = cell;
                DrawEdge(canvas->Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
            }
            if (defaultDrawing_ && isCurrent && !fixed && focused && !editing && !(options_ & goRowSelect)) {
                canvas->Brush()->SetStyle(bsSolid);
                canvas->DrawFocusRect(cell);
            }
        }
    }

    // Lines: right of each column and below each row, fixed parts by the fixed options.
    if (gridLineWidth_ > 0 && !cols.index.empty() && !rows.index.empty()) {
        const int fixedW = std::min(FixedWidth(), int(client.right));
        const int fixedH = std::min(FixedHeight(), int(client.bottom));
        const int gridRight =
            std::min<int>(client.right, cols.start.back() + colWidths_[size_t(cols.index.back())] + gridLineWidth_);
        const int gridBottom =
            std::min<int>(client.bottom, rows.start.back() + rowHeights_[size_t(rows.index.back())] + gridLineWidth_);
        const GdiObject<HBRUSH> fixedLineBrush(CreateSolidBrush(ColorToRGB(clBlack)));
        const GdiObject<HBRUSH> lineBrush(CreateSolidBrush(ColorToRGB(clSilver)));
        const HBRUSH fixedLine = fixedLineBrush.get(), line = lineBrush.get();
        HDC h = canvas->Handle();
        for (size_t ci = 0; ci < cols.index.size(); ++ci) {
            const int x = cols.start[ci] + colWidths_[size_t(cols.index[ci])];
            const bool fixedCol = cols.index[ci] < fixedCols_;
            RECT upper{x, 0, x + gridLineWidth_, fixedH};
            RECT lower{x, fixedH, x + gridLineWidth_, gridBottom};
            if (options_ & goFixedVertLine) FillRect(h, fixedCol ? &lower : &upper, fixedLine);
            if (fixedCol && (options_ & goFixedVertLine)) FillRect(h, &upper, fixedLine);
            if (!fixedCol && (options_ & goVertLine)) FillRect(h, &lower, line);
        }
        for (size_t ri = 0; ri < rows.index.size(); ++ri) {
            const int y = rows.start[ri] + rowHeights_[size_t(rows.index[ri])];
            const bool fixedRow = rows.index[ri] < fixedRows_;
            RECT leftPart{0, y, fixedW, y + gridLineWidth_};
            RECT rightPart{fixedW, y, gridRight, y + gridLineWidth_};
            if (options_ & goFixedHorzLine) FillRect(h, fixedRow ? &rightPart : &leftPart, fixedLine);
            if (fixedRow && (options_ & goFixedHorzLine)) FillRect(h, &leftPart, fixedLine);
            if (!fixedRow && (options_ & goHorzLine)) FillRect(h, &rightPart, line);
        }
    }
}

// ---- mouse ----

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!HasState(csDesigning) && CanFocus() && !Focused() && !FocusInside()) SetFocus();
    if (Button == mbLeft) {
        const TGridCoord cell = MouseCoord(X, Y);
        int sizing;
        if ((Shift & ssDouble) && cell.X >= 0 && !IsFixedCell(cell.X, cell.Y)) {
            if (options_ & goEditing) SetEditorMode(true);
        } else if ((options_ & goColSizing) && (sizing = SizingCol(X, Y)) >= 0) {
            gridState_ = gsColSizing;
            sizingIndex_ = sizing;
            sizingStart_ = X;
            sizingOrigin_ = colWidths_[size_t(sizing)];
        } else if ((options_ & goRowSizing) && (sizing = SizingRow(X, Y)) >= 0) {
            gridState_ = gsRowSizing;
            sizingIndex_ = sizing;
            sizingStart_ = Y;
            sizingOrigin_ = rowHeights_[size_t(sizing)];
        } else if (cell.X >= 0) {
            if (IsFixedCell(cell.X, cell.Y)) {
                if ((options_ & goColMoving) && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
                    gridState_ = gsColMoving;
                    moveIndex_ = moveTarget_ = cell.X;
                } else if ((options_ & goRowMoving) && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
                    gridState_ = gsRowMoving;
                    moveIndex_ = moveTarget_ = cell.Y;
                }
            } else {
                const bool wasCurrent = cell.X == current_.X && cell.Y == current_.Y;
                const bool extend = (Shift & ssShift) && (options_ & goRangeSelect);
                MoveCurrent(cell.X, cell.Y, !extend, true);
                gridState_ = gsSelecting;
                // A click on the cell already current opens the editor.
                if (wasCurrent && !extend && (options_ & goEditing)) {
                    gridState_ = gsNormal;
                    SetEditorMode(true);
                }
            }
        }
        if (gridState_ != gsNormal) SetMouseCapture(true);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    switch (gridState_) {
    case gsSelecting: {
        if (!(options_ & goRangeSelect)) break;
        // Outside the cells the selection follows the nearest edge (scrolling there).
        const RECT client = ClientRect();
        int x = Clamp(X, FixedWidth(), std::max(FixedWidth(), int(client.right) - 1));
        int y = Clamp(Y, FixedHeight(), std::max(FixedHeight(), int(client.bottom) - 1));
        TGridCoord cell = MouseCoord(x, y);
        if (Y >= client.bottom && current_.Y + 1 < rowCount_) cell = {cell.X < 0 ? current_.X : cell.X, current_.Y + 1};
        if (Y < FixedHeight() && current_.Y > fixedRows_) cell = {cell.X < 0 ? current_.X : cell.X, current_.Y - 1};
        if (X >= client.right && current_.X + 1 < colCount_) cell = {current_.X + 1, cell.Y < 0 ? current_.Y : cell.Y};
        if (X < FixedWidth() && current_.X > fixedCols_) cell = {current_.X - 1, cell.Y < 0 ? current_.Y : cell.Y};
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
            MoveCurrent(cell.X, cell.Y, false, true);
        break;
    }
    case gsColSizing: SetColWidths(sizingIndex_, std::max(0, sizingOrigin_ + X - sizingStart_)); break;
    case gsRowSizing: SetRowHeights(sizingIndex_, std::max(0, sizingOrigin_ + Y - sizingStart_)); break;
    case gsColMoving: {
        const TGridCoord cell = MouseCoord(X, std::min(Y, std::max(0, FixedHeight() - 1)));
        if (cell.X >= fixedCols_) moveTarget_ = cell.X;
        break;
    }
    case gsRowMoving: {
        const TGridCoord cell = MouseCoord(std::min(X, std::max(0, FixedWidth() - 1)), Y);
        if (cell.Y >= fixedRows_) moveTarget_ = cell.Y;
        break;
    }
    case gsNormal: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState state = gridState_;
    gridState_ = gsNormal;
    if (state != gsNormal) SetMouseCapture(false);
    if (state == gsColMoving && moveTarget_ >= 0 && moveTarget_ != moveIndex_) MoveColumn(moveIndex_, moveTarget_);
    if (state == gsRowMoving && moveTarget_ >= 0 && moveTarget_ != moveIndex_) MoveRow(moveIndex_, moveTarget_);
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    MoveTopLeft(topLeft_.X, topLeft_.Y - 3 * WheelDelta / WHEEL_DELTA);
    return true;
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

// ---- keyboard ----

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const bool ctrl = Shift & ssCtrl;
    const bool extend = (Shift & ssShift) && (options_ & goRangeSelect);
    int c = current_.X, r = current_.Y;
    const int page = std::max(1, VisibleRowCount());
    switch (Key) {
    case VK_UP: --r; break;
    case VK_DOWN: ++r; break;
    case VK_LEFT:
        if (options_ & goRowSelect) {
            MoveTopLeft(topLeft_.X - 1, topLeft_.Y);
            Key = 0;
            return;
        }
        --c;
        break;
    case VK_RIGHT:
        if (options_ & goRowSelect) {
            MoveTopLeft(topLeft_.X + 1, topLeft_.Y);
            Key = 0;
            return;
        }
        ++c;
        break;
    case VK_PRIOR: r -= page; break;
    case VK_NEXT: r += page; break;
    case VK_HOME:
        if (ctrl) r = fixedRows_;
        else c = fixedCols_;
        break;
    case VK_END:
        if (ctrl) r = rowCount_ - 1;
        else c = colCount_ - 1;
        break;
    case VK_TAB:
        if (!(options_ & goTabs) || ctrl) return;
        if (Shift & ssShift) {
            if (--c < fixedCols_) {
                c = colCount_ - 1;
                --r;
            }
        } else if (++c >= colCount_) {
            c = fixedCols_;
            ++r;
        }
        if (r < fixedRows_ || r >= rowCount_) return;  // leaves the grid: the dialog moves the focus
        MoveCurrent(c, r, true, true);
        Key = 0;
        return;
    case VK_F2:
        SetEditorMode(true);
        Key = 0;
        return;
    case VK_RETURN:
        if (EditorShown()) {
            HideEditor();
            editorMode_ = (options_ & goAlwaysShowEditor) != 0;
            if (editorMode_) UpdateEdit();
        } else if (options_ & goEditing) {
            SetEditorMode(true);
        }
        Key = 0;
        return;
    case VK_ESCAPE:
        if (EditorShown()) {
            // Cancelled: the cell gets its text from before the edit back.
            SetEditText(editCell_.X, editCell_.Y, editOriginal_);
            inplaceEdit_->HideEdit();
            editCell_ = {-1, -1};
            editorMode_ = false;
            if (HandleAllocated()) ::SetFocus(Handle());
            InvalidateCell(current_.X, current_.Y);
            Key = 0;
        }
        return;
    default: return;
    }
    c = Clamp(c, fixedCols_, colCount_ - 1);
    r = Clamp(r, fixedRows_, rowCount_ - 1);
    if (c != current_.X || r != current_.Y) MoveCurrent(c, r, !extend, true);
    Key = 0;
}

void TCustomGrid::KeyPress(wchar_t& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < L' ' || !(options_ & goEditing) || (options_ & goRowSelect) || EditorShown()) return;
    // Typing into the grid opens the editor with the typed character.
    SetEditorMode(true);
    if (EditorShown()) {
        inplaceEdit_->SetText(L"");
        inplaceEdit_->Perform(WM_CHAR, WPARAM(Key), LPARAM(0));
        Key = 0;
    }
}

// ---- the in-place editor ----

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TCustomGrid::FocusInside() {
    if (!HandleAllocated()) return false;
    HWND focus = GetFocus();
    return focus && (focus == Handle() || IsChild(Handle(), focus));
}

bool TCustomGrid::CanEditShow() {
    return (options_ & (goRowSelect | goEditing)) == goEditing && editorMode_ && !HasState(csDesigning) &&
           HandleAllocated() && ((options_ & goAlwaysShowEditor) || FocusInside());
}

bool TCustomGrid::CanEditModify() {
    return true;
}

std::wstring TCustomGrid::GetEditText(int, int) {
    return {};
}

void TCustomGrid::SetEditText(int, int, const std::wstring&) {}

TEditStyle TCustomGrid::GetEditStyle(int, int) {
    return esSimple;
}

bool TCustomGrid::EditorShown() const {
    return inplaceEdit_ && editCell_.X >= 0;
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value) {
        // Without the focus the editor shows once the grid gets it.
        ShowEditor();
    } else {
        if (!(options_ & goAlwaysShowEditor)) {
            HideEditor();
            editorMode_ = false;
        }
    }
}

void TCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    if (!EditorShown()) return;
    UpdateText();
    const bool hadFocus = inplaceEdit_->HandleAllocated() && GetFocus() == inplaceEdit_->Handle();
    inplaceEdit_->HideEdit();
    editCell_ = {-1, -1};
    if (hadFocus && HandleAllocated()) ::SetFocus(Handle());
    InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::InvalidateEditor() {
    if (EditorShown()) {
        editCell_ = {-1, -1};
        UpdateEdit();
    }
}

void TCustomGrid::UpdateEdit() {
    if (!editorMode_ || !CanEditShow()) {
        if (EditorShown()) {
            UpdateText();
            inplaceEdit_->HideEdit();
            editCell_ = {-1, -1};
        }
        return;
    }
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        inplaceEdit_->SetGrid(this);
        inplaceEdit_->SetParent(this);
    }
    const RECT cell = CellRect(current_.X, current_.Y);
    if (cell.right <= cell.left) {
        if (EditorShown()) UpdateText();
        inplaceEdit_->HideEdit();
        editCell_ = {-1, -1};
        return;
    }
    const bool sameCell = editCell_ == current_;
    if (!sameCell) {
        editCell_ = current_;
        editOriginal_ = GetEditText(current_.X, current_.Y);
        loadingEditor_ = true;
        inplaceEdit_->UpdateContents();
        loadingEditor_ = false;
    }
    const bool hadFocus = FocusInside();
    inplaceEdit_->ShowAt(cell);
    if (!sameCell) {
        if (hadFocus && inplaceEdit_->HandleAllocated()) ::SetFocus(inplaceEdit_->Handle());
        inplaceEdit_->SelectAll();
    }
}

void TCustomGrid::UpdateText() {
    if (!EditorShown() || loadingEditor_ || !CanEditModify()) return;
    SetEditText(editCell_.X, editCell_.Y, inplaceEdit_->Text());
}

void TCustomGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == inplaceEdit_) {
        inplaceEdit_ = nullptr;
        editCell_ = {-1, -1};
    }
}

// ---- messages ----

void TCustomGrid::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | ((options_ & goTabs) ? DLGC_WANTTAB : 0) |
                         ((options_ & (goRowSelect | goEditing)) == goEditing ? DLGC_WANTCHARS : 0);
        return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_HSCROLL:
        if (Message.LParam == 0) {
            ScrollMessage(SB_HORZ, LOWORD(Message.WParam));
            Message.Result = 0;
            return;
        }
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) {
            ScrollMessage(SB_VERT, LOWORD(Message.WParam));
            Message.Result = 0;
            return;
        }
        break;
    case WM_COMMAND:
        if (inplaceEdit_ && inplaceEdit_->HandleAllocated() && HWND(Message.LParam) == inplaceEdit_->Handle()) {
            if (HIWORD(Message.WParam) == EN_CHANGE) UpdateText();
            Message.Result = 0;
            return;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(Message.LParam) == HTCLIENT && gridState_ == gsNormal && HandleAllocated()) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(Handle(), &p);
            if (((options_ & goColSizing) && SizingCol(p.x, p.y) >= 0)) {
                ::SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                Message.Result = 1;
                return;
            }
            if (((options_ & goRowSizing) && SizingRow(p.x, p.y) >= 0)) {
                ::SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
                Message.Result = 1;
                return;
            }
        }
        break;
    case WM_CANCELMODE:
        if (gridState_ != gsNormal) {
            gridState_ = gsNormal;
            SetMouseCapture(false);
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::WndProc(Message);
        InvalidateCell(current_.X, current_.Y);
        InvalidateRect(Selection());
        if (Message.Msg == WM_SETFOCUS && editorMode_ && !EditorShown()) UpdateEdit();
        return;
    case WM_SIZE:
        TCustomControl::WndProc(Message);
        ClampPositions();
        UpdateScrollRange();
        UpdateEdit();
        return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
        TCustomControl::WndProc(Message);
        InvalidateGrid();
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

// ===========================================================================
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetVisible(false);
    SetTabStop(false);
    controlStyle_ &= ~unsigned(csCaptureMouse);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    Params.Style =
        (Params.Style & ~DWORD(WS_BORDER | WS_TABSTOP)) | WS_CHILD | WS_CLIPSIBLINGS | ES_MULTILINE | ES_AUTOHSCROLL;
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TInplaceEdit::ShowAt(const RECT& Rect) {
    SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
    if (!TControl::Visible()) SetVisible(true);
    BoundsChanged(true);
}

void TInplaceEdit::HideEdit() {
    if (TControl::Visible()) SetVisible(false);
}

bool TInplaceEdit::IsShown() {
    return HandleAllocated() && IsWindowVisible(Handle());
}

void TInplaceEdit::UpdateContents() {
    if (!grid_) return;
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, WPARAM(grid_->GetEditLimit()), 0);
}

void TInplaceEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TInplaceEdit::Deselect() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(-1), 0);
}

RECT TInplaceEdit::EditRect() {
    RECT r = ClientRect();
    // The text sits where the grid draws a cell's text.
    r.left += 2;
    r.top += 2;
    return r;
}

void TInplaceEdit::BoundsChanged(bool SizeChanged) {
    TWinControl::BoundsChanged(SizeChanged);
    if (HandleAllocated()) {
        RECT r = EditRect();
        SendMessageW(Handle(), EM_SETRECTNP, 0, LPARAM(&r));
    }
}

void TInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS |
                         ((grid_ && (grid_->Options() & goTabs)) ? DLGC_WANTTAB : 0);
        return;
    case WM_SETFOCUS:
        TWinControl::WndProc(Message);
        if (grid_) grid_->InvalidateCell(grid_->Col(), grid_->Row());
        return;
    default: break;
    }
    TWinControl::WndProc(Message);
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if (!grid_ || Key == 0) return;
    auto caretAt = [this](bool atEnd) {
        DWORD start = 0, end = 0;
        SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
        if (start != end) return false;
        return atEnd ? int(end) >= GetWindowTextLengthW(Handle()) : start == 0;
    };
    bool toGrid = false;
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_F2: toGrid = true; break;
    case VK_TAB: toGrid = (grid_->Options() & goTabs) != 0; break;
    case VK_LEFT: toGrid = HandleAllocated() && caretAt(false); break;
    case VK_RIGHT: toGrid = HandleAllocated() && caretAt(true); break;
    case VK_HOME:
    case VK_END: toGrid = (Shift & ssCtrl) != 0; break;
    default: break;
    }
    if (toGrid) {
        grid_->KeyDown(Key, Shift);
        Key = 0;
    }
}

void TInplaceEdit::KeyPress(wchar_t& Key) {
    TWinControl::KeyPress(Key);
    // Enter, Escape and Tab are the grid's; the edit would only beep at them.
    if (Key == L'\r' || Key == 27 || Key == L'\t') Key = 0;
    else if (grid_ && Key >= L' ' && !grid_->CanEditModify()) Key = 0;
}

// ===========================================================================
// TPopupListbox

TPopupListbox::TPopupListbox(TComponent* AOwner) : TWinControl(AOwner), items_(new TStringList) {
    SetVisible(false);
    SetTabStop(false);
}

TPopupListbox::~TPopupListbox() {
    delete items_;
}

void TPopupListbox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"LISTBOX");
    Params.Style = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TPopupListbox::LoadItems() {
    HWND h = Handle();
    SendMessageW(h, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < items_->Count(); ++i) SendMessageW(h, LB_ADDSTRING, 0, LPARAM(items_->Strings(i).c_str()));
}

int TPopupListbox::ItemIndex() const {
    if (!HandleAllocated()) return -1;
    return int(SendMessageW(const_cast<TPopupListbox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TPopupListbox::SetItemIndex(int Value) {
    SendMessageW(Handle(), LB_SETCURSEL, WPARAM(Value), 0);
}

void TPopupListbox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
    case WM_LBUTTONUP: {
        TWinControl::WndProc(Message);
        RECT client = ClientRect();
        const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (OnCloseUp) OnCloseUp(PtInRect(&client, p) && ItemIndex() >= 0);
        return;
    }
    default: break;
    }
    TWinControl::WndProc(Message);
}

// ===========================================================================
// TInplaceEditList

TInplaceEditList::TInplaceEditList(TComponent* AOwner)
    : TInplaceEdit(AOwner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL)) {}

TPopupListbox* TInplaceEditList::PickList() {
    if (!pickList_) {
        pickList_ = new TPopupListbox(this);
        pickList_->OnCloseUp = [this](bool Accept) { CloseUp(Accept); };
    }
    return pickList_;
}

void TInplaceEditList::SetEditStyle(TEditStyle Value) {
    if (Value == editStyle_) return;
    editStyle_ = Value;
    BoundsChanged(true);
    if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TInplaceEditList::SetButtonWidth(int Value) {
    buttonWidth_ = Value;
    BoundsChanged(true);
}

RECT TInplaceEditList::ButtonRect() {
    RECT r = ClientRect();
    if (editStyle_ == esSimple) return RECT{r.right, r.top, r.right, r.bottom};
    r.left = std::max(r.left, r.right - buttonWidth_);
    return r;
}

RECT TInplaceEditList::EditRect() {
    RECT r = TInplaceEdit::EditRect();
    if (editStyle_ != esSimple) r.right = std::max(r.left, r.right - buttonWidth_);
    return r;
}

void TInplaceEditList::PaintButton(HDC DC) {
    if (editStyle_ == esSimple) return;
    RECT r = ButtonRect();
    if (editStyle_ == esPickList) {
        DrawFrameControl(DC, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (listVisible_ ? DFCS_PUSHED | DFCS_FLAT : 0));
    } else {
        DrawFrameControl(DC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
        // Three dots in the middle.
        const int cx = (r.left + r.right) / 2 + (pressed_ ? 1 : 0), cy = (r.top + r.bottom) / 2 + (pressed_ ? 1 : 0);
        const GdiObject<HBRUSH> dot(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
        for (int i = -1; i <= 1; ++i) {
            RECT d{cx + 3 * i - 1, cy - 1, cx + 3 * i + 1, cy + 1};
            FillRect(DC, &d, dot.get());
        }
    }
}

void TInplaceEditList::UpdateContents() {
    activeList_ = nullptr;
    TInplaceEdit::UpdateContents();
    if (Grid()) SetEditStyle(Grid()->GetEditStyle(Grid()->Col(), Grid()->Row()));
    if (editStyle_ == esPickList) activeList_ = PickList();
}

void TInplaceEditList::DropDown() {
    if (listVisible_ || !activeList_ || !HandleAllocated()) return;
    TPopupListbox* list = activeList_;
    list->SetParentWindow(Handle());
    list->LoadItems();
    const std::wstring text = Text();
    int index = -1;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Items()->Strings(i) == text) {
            index = i;
            break;
        }
    list->SetItemIndex(index);
    const int itemHeight = std::max(1, int(SendMessageW(list->Handle(), LB_GETITEMHEIGHT, 0, 0)));
    const int rows = std::max(1, std::min(list->Items()->Count(), 7));
    RECT window;
    GetWindowRect(Handle(), &window);
    const int height = rows * itemHeight + 2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(list->Handle(), HWND_TOPMOST, window.left, window.bottom, window.right - window.left, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    listVisible_ = true;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TInplaceEditList::CloseUp(bool Accept) {
    if (!listVisible_) return;
    TPopupListbox* list = activeList_ ? activeList_ : pickList_;
    listVisible_ = false;
    int index = -1;
    if (list && list->HandleAllocated()) {
        index = list->ItemIndex();
        SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
    if (Accept && list && index >= 0 && index < list->Items()->Count()) {
        SetText(list->Items()->Strings(index));
        SelectAll();
        // A multi-line edit reports no change for a text set from outside: the cell is told here.
        if (Grid()) Grid()->UpdateText();
    }
    if (HandleAllocated()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TInplaceEditList::DoEditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

void TInplaceEditList::KeyDown(WORD& Key, TShiftState Shift) {
    if (listVisible_ && activeList_) {
        switch (Key) {
        case VK_RETURN:
            CloseUp(true);
            Key = 0;
            return;
        case VK_ESCAPE:
            CloseUp(false);
            Key = 0;
            return;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            if (!(Shift & ssAlt)) {
                SendMessageW(activeList_->Handle(), WM_KEYDOWN, Key, 0);
                Key = 0;
                return;
            }
            break;
        default: break;
        }
    }
    if (editStyle_ == esPickList && ((Key == VK_DOWN && (Shift & ssAlt)) || Key == VK_F4)) {
        if (listVisible_) CloseUp(false);
        else DropDown();
        Key = 0;
        return;
    }
    if (editStyle_ == esEllipsis && Key == VK_RETURN && (Shift & ssCtrl)) {
        DoEditButtonClick();
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TInplaceEditList::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: {
        TInplaceEdit::WndProc(Message);
        if (editStyle_ != esSimple && HandleAllocated()) {
            const WindowDC dc(Handle());
            PaintButton(dc.get());
        }
        return;
    }
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        RECT b = ButtonRect();
        if (PtInRect(&b, p)) {
            ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        RECT b = ButtonRect();
        if (PtInRect(&b, p)) {
            if (editStyle_ == esPickList) {
                if (listVisible_) CloseUp(false);
                else DropDown();
            } else {
                pressed_ = true;
                SetCapture(Handle());
                ::InvalidateRect(Handle(), &b, FALSE);
            }
            Message.Result = 0;
            return;
        }
        if (listVisible_) CloseUp(false);
        break;
    }
    case WM_LBUTTONUP:
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
            RECT b = ButtonRect();
            ::InvalidateRect(Handle(), &b, FALSE);
            const POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            if (PtInRect(&b, p)) DoEditButtonClick();
            Message.Result = 0;
            return;
        }
        break;
    case WM_KILLFOCUS:
        if (listVisible_) CloseUp(false);
        break;
    case WM_CANCELMODE:
        if (listVisible_) CloseUp(false);
        if (pressed_) {
            pressed_ = false;
            ReleaseCapture();
        }
        break;
    default: break;
    }
    TInplaceEdit::WndProc(Message);
}

// ===========================================================================
// TDrawGrid

void TDrawGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TDrawGrid::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

std::wstring TDrawGrid::GetEditText(int ACol, int ARow) {
    std::wstring value;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TDrawGrid::SetEditText(int ACol, int ARow, const std::wstring& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::RowMoved(int FromIndex, int ToIndex) {
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ===========================================================================
// TStringGrid

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner) {
    rows_.resize(size_t(RowCount()));
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
    rows_.resize(size_t(RowCount()));
    if (rowLines_.size() > rows_.size()) rowLines_.resize(rows_.size());
    if (colLines_.size() > size_t(ColCount())) colLines_.resize(size_t(ColCount()));
    if (ColCount() < OldColCount) {
        // Cells of dropped columns go, so a column added again starts empty.
        const size_t cols = size_t(ColCount());
        for (CellRow& row : rows_) {
            if (row.texts.size() > cols) row.texts.resize(cols);
            if (row.objects.size() > cols) row.objects.resize(cols);
        }
    }
    TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

std::wstring TStringGrid::Cells(int ACol, int ARow) const {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0) return {};
    const CellRow& row = rows_[size_t(ARow)];
    return size_t(ACol) < row.texts.size() ? row.texts[size_t(ACol)] : std::wstring();
}

void TStringGrid::SetCells(int ACol, int ARow, const std::wstring& Value) {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= ColCount()) return;
    CellRow& row = rows_[size_t(ARow)];
    if (size_t(ACol) >= row.texts.size()) {
        if (Value.empty()) return;
        row.texts.resize(size_t(ACol) + 1);
    } else if (row.texts[size_t(ACol)] == Value) {
        return;
    }
    row.texts[size_t(ACol)] = Value;
    InvalidateCell(ACol, ARow);
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0) return nullptr;
    const CellRow& row = rows_[size_t(ARow)];
    return size_t(ACol) < row.objects.size() ? row.objects[size_t(ACol)] : nullptr;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= ColCount()) return;
    CellRow& row = rows_[size_t(ARow)];
    if (size_t(ACol) >= row.objects.size()) {
        if (!Value) return;
        row.objects.resize(size_t(ACol) + 1);
    }
    row.objects[size_t(ACol)] = Value;
}

TStrings* TStringGrid::Rows(int Index) {
    if (Index < 0 || Index >= RowCount()) GridError(L"Grid index out of range");
    if (rowLines_.size() <= size_t(Index)) rowLines_.resize(size_t(Index) + 1);
    auto& line = rowLines_[size_t(Index)];
    if (!line) line = std::make_unique<TStringGridStrings>(this, Index, true);
    return line.get();
}

TStrings* TStringGrid::Cols(int Index) {
    if (Index < 0 || Index >= ColCount()) GridError(L"Grid index out of range");
    if (colLines_.size() <= size_t(Index)) colLines_.resize(size_t(Index) + 1);
    auto& line = colLines_[size_t(Index)];
    if (!line) line = std::make_unique<TStringGridStrings>(this, Index, false);
    return line.get();
}

void TStringGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
    if (DefaultDrawing()) Canvas()->TextRect(ARect, ARect.left + 2, ARect.top + 2, Cells(ACol, ARow));
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

std::wstring TStringGrid::GetEditText(int ACol, int ARow) {
    std::wstring value = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    return value;
}

void TStringGrid::SetEditText(int ACol, int ARow, const std::wstring& Value) {
    SetCells(ACol, ARow, Value);
    TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    const size_t cols = size_t(ColCount());
    for (CellRow& row : rows_) {
        if (row.texts.size() > size_t(std::min(FromIndex, ToIndex))) {
            row.texts.resize(cols);
            std::wstring moving = std::move(row.texts[size_t(FromIndex)]);
            row.texts.erase(row.texts.begin() + FromIndex);
            row.texts.insert(row.texts.begin() + ToIndex, std::move(moving));
        }
        if (row.objects.size() > size_t(std::min(FromIndex, ToIndex))) {
            row.objects.resize(cols);
            TObject* moving = row.objects[size_t(FromIndex)];
            row.objects.erase(row.objects.begin() + FromIndex);
            row.objects.insert(row.objects.begin() + ToIndex, moving);
        }
    }
    TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
    CellRow moving = std::move(rows_[size_t(FromIndex)]);
    rows_.erase(rows_.begin() + FromIndex);
    rows_.insert(rows_.begin() + ToIndex, std::move(moving));
    TDrawGrid::RowMoved(FromIndex, ToIndex);
}

// ===========================================================================
// TStringGridStrings

int TStringGridStrings::GetCount() const {
    return isRow_ ? grid_->ColCount() : grid_->RowCount();
}

std::wstring TStringGridStrings::Get(int Index) const {
    if (Index < 0 || Index >= GetCount()) ErrorIndex(Index);
    return grid_->Cells(Col(Index), Row(Index));
}

TObject* TStringGridStrings::GetObject(int Index) const {
    if (Index < 0 || Index >= GetCount()) ErrorIndex(Index);
    return grid_->Objects(Col(Index), Row(Index));
}

void TStringGridStrings::Put(int Index, const std::wstring& S) {
    if (Index < 0 || Index >= GetCount()) ErrorIndex(Index);
    grid_->SetCells(Col(Index), Row(Index), S);
}

void TStringGridStrings::PutObject(int Index, TObject* AObject) {
    if (Index < 0 || Index >= GetCount()) ErrorIndex(Index);
    grid_->SetObjects(Col(Index), Row(Index), AObject);
}

int TStringGridStrings::AddObject(const std::wstring& S, TObject* AObject) {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        if (grid_->Objects(Col(i), Row(i)) || !grid_->Cells(Col(i), Row(i)).empty()) continue;
        grid_->SetCells(Col(i), Row(i), S);
        grid_->SetObjects(Col(i), Row(i), AObject);
        return i;
    }
    return -1;
}

void TStringGridStrings::Insert(int, const std::wstring&) {
    GridError(L"Grid lines cannot be inserted");
}

void TStringGridStrings::Delete(int) {
    GridError(L"Grid lines cannot be deleted");
}

void TStringGridStrings::Clear() {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        grid_->SetCells(Col(i), Row(i), std::wstring());
        grid_->SetObjects(Col(i), Row(i), nullptr);
    }
}

void TStringGridStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        TStrings::Assign(Source);
        return;
    }
    if (source == this) return;
    const int n = GetCount(), m = source->Count();
    for (int i = 0; i < n; ++i) {
        grid_->SetCells(Col(i), Row(i), i < m ? source->Strings(i) : std::wstring());
        grid_->SetObjects(Col(i), Row(i), i < m ? source->Objects(i) : nullptr);
    }
}

}  // namespace fw
