#pragma once
// TztStringGridExport: the export component over a string grid. It reads the
// grid only through the general string-grid interface (cells, counts, fixed
// rows, the whole-row selection) and keeps a reference to it, not ownership;
// when the grid is destroyed first, StringGrid becomes null.
#include <memory>
#include <string>
#include <vector>

#include "export/CustomExport.h"
#include "framework/Grids.h"
#include "framework/StringList.h"

namespace zt {

class TztStringGridExport : public TztCustomExport {
public:
    explicit TztStringGridExport(fw::TComponent* AOwner);
    ~TztStringGridExport() override;
    // The settings and the grid, by name (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;

    fw::TStringGrid* StringGrid() const { return stringGrid_; }
    void SetStringGrid(fw::TStringGrid* Value);

protected:
    void FirstRow() override;
    int ColumnAlignment(int Col) override;
    bool SourceAssigned() override;
    bool EndOfRows() override;
    bool ColumnExported(int Col) override;
    bool RowSelected(int Row) override;
    int NaturalColumnWidth(int Col) override;
    int NaturalLineWidth(int Col) override;
    std::wstring ColumnCaption(int Col) override;
    int PrepareColumns() override;
    TztValues GetRowValues() override;
    void GetRowValuesInto(TztValues& Values) override;
    int GetRowCount() override;

    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    std::wstring ClassName() const override { return L"TztStringGridExport"; }

private:
    fw::TStringGrid* stringGrid_ = nullptr;
    // Measures every cell: entry i of the list becomes column i's natural width.
    void MeasureColumns();
    // Asks the memory for a row's cells (Texts: for their texts) before they are read.
    void PrefetchRow(int Row, bool Texts) const;
    static constexpr int kPrefetchRows = 8;

    // Entry i: the natural width of column i as decimal text (once measured,
    // after PrepareColumns).
    std::unique_ptr<fw::TStringList> columnWidthList_;
    bool measured_ = false;
    // Entry i: column i's widest text as the line formats write it.
    std::vector<int> lineWidths_;
};

}  // namespace zt
