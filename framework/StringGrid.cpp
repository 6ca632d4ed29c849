#include "framework/StringGrid.h"

#include <algorithm>

namespace fw {

namespace {

[[noreturn]] void GridError(const wchar_t* text) {
    throw EInvalidGridOperation(text);
}

}  // namespace

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

const std::wstring& TStringGrid::CellText(int ACol, int ARow) const {
    static const std::wstring empty;
    if (ARow < 0 || ARow >= RowCount() || ACol < 0) return empty;
    const CellRow& row = rows_[size_t(ARow)];
    return size_t(ACol) < row.texts.size() ? row.texts[size_t(ACol)] : empty;
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
