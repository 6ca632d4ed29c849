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

// The padded text's lines, each checked to be as long as the rule under the captions.
std::vector<std::string> PaddedLines(const std::string& Text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < Text.size();) {
        const size_t end = Text.find("\r\n", at);
        if (end == std::string::npos) break;
        lines.push_back(Text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST_F(StringGridSource, PaddedColumnsAreAsWideAsWhatIsWritten) {
    // A line break inside a cell is written as one blank: the column is measured so.
    grid_->SetCells(0, 4, L"crlf\r\ninside");
    grid_->SetCells(1, 0, L"two\r\nlines");
    const std::vector<std::string> lines = PaddedLines(Run(xtTXT));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "Col0        two lines Col2");
    EXPECT_EQ(lines[1], std::string(26, '-'));
    EXPECT_EQ(lines[5], "crlf inside 1.4       2.4 ");
    for (const std::string& line : lines) EXPECT_EQ(line.size(), 26u) << line;
    // Truncation cuts what is written, to the column's width.
    e_->SetOptions(e_->Options().Include(xoTruncate));
    e_->ColumnWidths()->Add(L"9");
    EXPECT_EQ(PaddedLines(Run(xtTXT)).at(5), "crlf i... 1.4       2.4 ");
    // Without a width of its own a column is as wide as its widest cell: in the
    // padded text as written, elsewhere as it is; neither cuts that cell.
    e_->ColumnWidths()->Clear();
    EXPECT_EQ(PaddedLines(Run(xtTXT)).at(5), "crlf inside 1.4       2.4 ");
    EXPECT_NE(Run(xtCSV).find("\"crlf\r\ninside\",1.4,2.4\r\n"), std::string::npos);
    // The widest cell may be in the last row.
    e_->SetOptions(e_->Options().Exclude(xoTruncate));
    e_->ColumnWidths()->Clear();
    grid_->SetCells(2, 9, L"the widest is last");
    const std::vector<std::string> last = PaddedLines(Run(xtTXT));
    ASSERT_EQ(last.size(), 12u);
    EXPECT_EQ(last[10], "0.9         1.9       the widest is last");
    for (const std::string& line : last) EXPECT_EQ(line.size(), 40u) << line;
    // A one-line text after a multi-line one of as many units is wider as written.
    grid_->SetCells(0, 7, L"twelve chars");
    const std::vector<std::string> wider = PaddedLines(Run(xtTXT));
    ASSERT_EQ(wider.size(), 12u);
    EXPECT_EQ(wider[8], "twelve chars 1.7       2.7               ");
    for (const std::string& line : wider) EXPECT_EQ(line.size(), 41u) << line;
}

TEST_F(StringGridSource, RowNumbersStayConsecutiveWhenRowsAreLeftOut) {
    e_->SetOptions(e_->Options().Include(xoRowNumbers).Include(xoSelectedRowsOnly));
    grid_->SetFixedCols(0);
    grid_->SetOptions(grid_->Options() | fw::goRowSelect);
    grid_->SetSelection(fw::TGridRect{0, 3, 2, 5});
    EXPECT_EQ(Run(xtCSV), ",Col0,Col1,Col2\r\n1,0.3,1.3,2.3\r\n2,0.4,1.4,2.4\r\n3,0.5,1.5,2.5\r\n");
    // A row the handler refuses takes no number either.
    e_->SetOptions(e_->Options().Exclude(xoSelectedRowsOnly));
    e_->OnExport = [](fw::TObject*, uint32_t Row, uint32_t, const TztValues&, bool& CanExport) {
        CanExport = Row % 2 == 0;
    };
    EXPECT_EQ(Run(xtTAB),
              "\tCol0\tCol1\tCol2\r\n1\t0.2\t1.2\t2.2\r\n2\t0.4\t1.4\t2.4\r\n3\t0.6\t1.6\t2.6\r\n"
              "4\t0.8\t1.8\t2.8\r\n");
}

TEST_F(StringGridSource, ValuesAHandlerKeepsHoldTheirOwnTexts) {
    // The writers are lent the grid's cells; a handler's copy must not depend on them.
    std::vector<TztValues> kept;
    e_->OnExport = [&](fw::TObject*, uint32_t, uint32_t, const TztValues& Values, bool&) { kept.push_back(Values); };
    Run(xtCSV);
    for (int row = 0; row < grid_->RowCount(); ++row)
        for (int col = 0; col < grid_->ColCount(); ++col) grid_->SetCells(col, row, L"changed");
    ASSERT_EQ(kept.size(), 9u);
    ASSERT_EQ(kept[2].size(), 3u);
    EXPECT_EQ(kept[2][1].AsString(), L"1.3");
    TztValues assigned(1);
    assigned[0] = kept[8][2];
    EXPECT_EQ(assigned[0].TextRef(), L"2.9");
}

TEST_F(StringGridSource, AHandlerMayChangeTheGridWhileItIsWritten) {
    // The row in hand is written as it was read, though the handler changes its
    // cells or drops columns of the grid.
    e_->OnExport = [this](fw::TObject*, uint32_t Row, uint32_t, const TztValues&, bool&) {
        grid_->SetCells(1, int(Row), L"a longer text put in by the handler");
        if (Row == 3) grid_->SetColCount(1);
    };
    const std::string csv = Run(xtCSV);
    EXPECT_NE(csv.find("\r\n0.2,1.2,2.2\r\n0.3,1.3,2.3\r\n0.4\r\n"), std::string::npos) << csv;
}
