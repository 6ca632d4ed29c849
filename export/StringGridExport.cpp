#include "export/StringGridExport.h"

#include <algorithm>
#include <vector>

#include "export/ResourceTexts.h"
#include "export/TextRoutines.h"
#include "framework/SysUtils.h"

namespace zt {

TztStringGridExport::TztStringGridExport(fw::TComponent* AOwner)
    : TztCustomExport(AOwner), columnWidthList_(std::make_unique<fw::TStringList>()) {
    Messages()->SetCaption(ztResourceText(SztExportingStringGrid));
}

TztStringGridExport::~TztStringGridExport() {
    SetStringGrid(nullptr);
}

void TztStringGridExport::SetStringGrid(fw::TStringGrid* Value) {
    if (Value == stringGrid_) return;
    if (stringGrid_) stringGrid_->RemoveFreeNotification(this);
    stringGrid_ = Value;
    // Told when the grid goes, so no dangling reference is kept.
    if (stringGrid_) stringGrid_->FreeNotification(this);
}

void TztStringGridExport::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TztCustomExport::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == stringGrid_) stringGrid_ = nullptr;
}

void TztStringGridExport::FirstRow() {
    SetCurrentRow(uint32_t(stringGrid_->FixedRows()));
}

int TztStringGridExport::ColumnAlignment(int) {
    return 0;
}

bool TztStringGridExport::SourceAssigned() {
    return stringGrid_ != nullptr;
}

bool TztStringGridExport::EndOfRows() {
    return CurrentRow() >= uint32_t(stringGrid_->RowCount());
}

bool TztStringGridExport::ColumnExported(int Col) {
    if (!(stringGrid_->Options() & fw::goRowSelect)) return true;
    const fw::TGridRect selection = stringGrid_->Selection();
    return selection.Left <= Col && Col <= selection.Right;
}

bool TztStringGridExport::RowSelected(int Row) {
    if (!(stringGrid_->Options() & fw::goRowSelect)) return false;
    const fw::TGridRect selection = stringGrid_->Selection();
    return selection.Top <= Row && Row <= selection.Bottom;
}

int TztStringGridExport::NaturalColumnWidth(int Col) {
    if (!measured_) MeasureColumns();
    if (Col < 0 || Col >= columnWidthList_->Count()) return 0;
    return fw::StrToIntDef(columnWidthList_->Strings(Col), 0);
}

int TztStringGridExport::NaturalLineWidth(int Col) {
    if (!measured_) MeasureColumns();
    return Col >= 0 && size_t(Col) < lineWidths_.size() ? lineWidths_[size_t(Col)] : 0;
}

std::wstring TztStringGridExport::ColumnCaption(int Col) {
    if (Col < 0 || Col >= stringGrid_->ColCount()) return L"";
    if (stringGrid_->FixedRows() == 0) {
        // Only the first "%d" takes the column number.
        std::wstring caption = ztResourceText(SztColumnName);
        const size_t at = caption.find(L"%d");
        if (at != std::wstring::npos) caption.replace(at, 2, std::to_wstring(Col));
        return caption;
    }
    return stringGrid_->Cells(Col, 0);
}

void TztStringGridExport::MeasureColumns() {
    columnWidthList_->Clear();
    measured_ = true;
    const int cols = std::max(stringGrid_->ColCount(), 0);
    const int rows = stringGrid_->RowCount();
    // Row by row, as the grid keeps its cells: a column at a time would visit
    // every row's cells once per column. Widths are in characters: a surrogate pair is one.
    std::vector<int> widest(size_t(cols), 0);
    lineWidths_.assign(size_t(cols), 0);
    for (int row = 0; row < rows; ++row) {
        PrefetchRow(row + kPrefetchRows, false);
        for (int col = 0; col < cols; ++col) {
            const std::wstring& text = stringGrid_->CellText(col, row);
            int& width = widest[size_t(col)];
            int& line = lineWidths_[size_t(col)];
            // A text no longer in units than the widest so far is no wider in characters.
            if (int(text.size()) <= std::min(width, line)) continue;
            if (PlainCell(text)) {
                width = std::max(width, int(text.size()));
                line = std::max(line, int(text.size()));
            } else {
                width = std::max(width, CharCount(text));
                line = std::max(line, CharCount(SingleLine(text)));
            }
        }
    }
    for (const int width : widest) columnWidthList_->Add(std::to_wstring(width));
}

int TztStringGridExport::PrepareColumns() {
    // The widths are measured when first asked for: most formats never ask.
    columnWidthList_->Clear();
    measured_ = false;
    return stringGrid_->ColCount();
}

TztValues TztStringGridExport::GetRowValues() {
    const int cols = stringGrid_->ColCount();
    const int row = int(CurrentRow());
    TztValues values;
    values.reserve(size_t(cols));
    for (int col = 0; col < cols; ++col) values.emplace_back(stringGrid_->Cells(col, row));
    return values;
}

void TztStringGridExport::PrefetchRow(int Row, bool Texts) const {
    // Each row's cells live apart from the others' and each long text apart from
    // its cell: asked for ahead, they are at hand when the row comes.
    if (Row >= stringGrid_->RowCount()) return;
    const int cols = stringGrid_->ColCount();
    for (int col = 0; col < cols; ++col) {
        const std::wstring& text = stringGrid_->CellText(col, Row);
        if (Texts) __builtin_prefetch(text.data());
        else if (col % 2 == 0) __builtin_prefetch(&text);  // two cells a cache line
    }
}

void TztStringGridExport::GetRowValuesInto(TztValues& Values) {
    const int row = int(CurrentRow());
    PrefetchRow(row + kPrefetchRows, false);
    PrefetchRow(row + kPrefetchRows / 2, true);
    Values.resize(size_t(stringGrid_->ColCount()));
    // The cells are lent, not copied: the grid keeps them while the row is written.
    for (size_t col = 0; col < Values.size(); ++col) Values[col].BorrowText(stringGrid_->CellText(int(col), row));
}

int TztStringGridExport::GetRowCount() {
    return stringGrid_->RowCount();
}

}  // namespace zt
