#pragma once
// The spreadsheet document, written cell by cell through the component's
// spreadsheet writer (TztNativeExcel): header lines down the first column, the
// caption row and one sheet row per exported row, the footer lines below them.
#include <string>

#include "export/FormatWriter.h"
#include "export/NativeExcel.h"

namespace zt {

// A text that a spreadsheet shows as the same text when stored as a number: a
// plain decimal number whose shortest written form is the text itself.
bool ztPlainNumber(const std::wstring& Text, double& Value);

class TztSpreadsheetWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteHead() override;
    void WriteHeaderText() override;
    void WriteCaptionRow(const TztValues& Captions) override;
    bool HasRoom() const override { return row_ < TztNativeExcel::SheetRows; }
    bool BeginRow() override;
    void WriteDataRow(const TztValues& Values) override;
    void WriteFooter() override;
    void Finish(const std::wstring& FileName) override;

protected:
    // Writes the cells (the row has no text).
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    TztNativeExcel& Sheet() const { return *doc_.Settings().excelWriter; }
    void WriteText(const std::wstring& Text, bool AsText);
    // Writes the work lines down the first column from Row (font 0, no borders)
    // as far as the sheet goes, the lines past its end left out; Row ends below them.
    void WriteLinesDown(uint32_t& Row);

    // The sheet row of the row in hand (the caption row's, then each data row's):
    // kept here, since the writer's cursor wraps into the next row after the
    // sheet's last column.
    uint32_t row_ = 1;
    // Source rows and columns the sheet had no room for.
    uint32_t rowsLeftOut_ = 0;
    bool columnsLeftOut_ = false;
    std::wstring cell_;
};

}  // namespace zt
