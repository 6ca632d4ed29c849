// The string-grid data source.
#include <gtest/gtest.h>

#include "export/StringGridExport.h"
#include "tests/export/ExportTestSource.h"

namespace {

class GridExport : public TztStringGridExport {
public:
    using TztStringGridExport::ColumnCaption;
    using TztStringGridExport::NaturalColumnWidth;
    using TztStringGridExport::PrepareColumns;
    using TztStringGridExport::TztStringGridExport;
};

class StringGridSource : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = std::make_unique<fw::TComponent>(nullptr);
        grid_ = new fw::TStringGrid(owner_.get());
        grid_->SetColCount(3);
        grid_->SetRowCount(10);
        grid_->SetFixedRows(1);
        for (int row = 0; row < 10; ++row)
            for (int col = 0; col < 3; ++col)
                grid_->SetCells(
                    col, row,
                    row == 0 ? L"Col" + std::to_wstring(col) : std::to_wstring(col) + L"." + std::to_wstring(row));
        e_ = new GridExport(owner_.get());
        e_->SetStringGrid(grid_);
        e_->SetOptions(e_->Options().Exclude(xoShowProgress).Exclude(xoShowExportDate));
        e_->SetExportStyle(xsFile);
        folder_ = testenv::NewScratchFolder(L"export-grid");
        e_->SetFileName(folder_ + L"\\grid");
    }
    std::string Run(TztExportType Type) {
        e_->SetExportType(Type);
        e_->Execute();
        return ReadBytes(folder_ + L"\\grid." + e_->GetDefaultExtension());
    }

    std::unique_ptr<fw::TComponent> owner_;
    fw::TStringGrid* grid_ = nullptr;
    GridExport* e_ = nullptr;
    std::wstring folder_;
};

}  // namespace

TEST_F(StringGridSource, FixedRowGivesCaptionsIsSkippedAndCountsInWidths) {
    EXPECT_EQ(e_->Messages()->Caption(), L"Exporting String Grid");
    EXPECT_EQ(e_->ColumnCaption(2), L"Col2");
    EXPECT_EQ(e_->ColumnCaption(3), L"");
    const std::string csv = Run(xtCSV);
    EXPECT_EQ(csv.substr(0, 30), "Col0,Col1,Col2\r\n0.1,1.1,2.1\r\n0");
    EXPECT_NE(csv.find("\r\n0.9,1.9,2.9\r\n"), std::string::npos);
    EXPECT_EQ(csv.find("Col0", 1), std::string::npos);
    // Without a fixed row every row is data and the columns are named.
    grid_->SetFixedRows(0);
    EXPECT_EQ(e_->ColumnCaption(1), L"Name 1");
    const std::string head = "\"Name 0\",\"Name 1\",\"Name 2\"\r\nCol0,Col1,Col2\r\n";
    EXPECT_EQ(Run(xtCSV).substr(0, head.size()), head);
    // Natural widths count every row, the fixed one too.
    grid_->SetFixedRows(1);
    grid_->SetCells(1, 0, L"twelve chars");
    EXPECT_EQ(e_->PrepareColumns(), 3);
    EXPECT_EQ(e_->NaturalColumnWidth(0), 4);
    EXPECT_EQ(e_->NaturalColumnWidth(1), 12);
    EXPECT_EQ(e_->NaturalColumnWidth(3), 0);
    for (int row = 0; row < 10; ++row) grid_->SetCells(2, row, L"");
    e_->PrepareColumns();
    EXPECT_EQ(e_->NaturalColumnWidth(2), 0);
}

TEST_F(StringGridSource, RowSelectExportsTheSelection) {
    // Without whole-row selection every column is exported and no row selected.
    e_->SetOptions(e_->Options().Include(xoSelectedRowsOnly));
    EXPECT_EQ(Run(xtCSV), "Col0,Col1,Col2\r\n");
    // With it, the selected rows and the columns right of the fixed one.
    grid_->SetOptions(grid_->Options() | fw::goRowSelect);
    grid_->SetSelection(fw::TGridRect{1, 3, 2, 5});
    EXPECT_EQ(Run(xtCSV), "Col1,Col2\r\n1.3,2.3\r\n1.4,2.4\r\n1.5,2.5\r\n");
}

TEST_F(StringGridSource, RemovedGridLeavesNoSource) {
    std::vector<TztExportError> errors;
    e_->OnError = [&](fw::TObject*, TztExportError code) { errors.push_back(code); };
    delete grid_;
    EXPECT_EQ(e_->StringGrid(), nullptr);
    e_->Execute();
    EXPECT_EQ(errors, std::vector<TztExportError>{xeComponentIsNull});
}
