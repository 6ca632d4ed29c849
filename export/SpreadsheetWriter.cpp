#include "export/SpreadsheetWriter.h"

#include <algorithm>
#include <charconv>

#include "export/NativeExcel.h"

namespace zt {

// A text that a spreadsheet shows as the same text when it is stored as a
// number: a plain decimal number (optional minus, digits, optional fraction)
// whose value, written back in its shortest form, gives the text again.
bool ztPlainNumber(const std::wstring& Text, double& Value) {
    if (Text.empty() || Text.size() > 64) return false;
    std::string narrow;
    size_t i = 0;
    if (Text[0] == L'-') {
        narrow += '-';
        i = 1;
    }
    bool digits = false, point = false;
    for (; i < Text.size(); ++i) {
        const wchar_t c = Text[i];
        if (c >= L'0' && c <= L'9') {
            digits = true;
        } else if (c == L'.' && !point) {
            point = true;
        } else {
            return false;
        }
        narrow += char(c);
    }
    if (!digits || narrow.back() == '.' || narrow[narrow[0] == '-' ? 1 : 0] == '.') return false;
    double value = 0;
    const auto parsed = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != narrow.data() + narrow.size()) return false;
    char back[96];
    const auto written = std::to_chars(back, back + sizeof back, value, std::chars_format::fixed);
    if (written.ec != std::errc()) return false;
    if (std::string(back, written.ptr) != narrow) return false;
    if (value == 0 && narrow[0] == '-') return false;  // a sheet shows "-0" as 0
    Value = value;
    return true;
}

void TztSpreadsheetWriter::WriteHead() {
    TztNativeExcel& x = Sheet();
    const TztExcelOptions& excel = *doc_.Settings().excel;
    x.SetFileName(doc_.FileName());
    x.SetMoveAfterEnter(maRight);
    x.SetRow(1);
    x.SetColumn(1);
    x.SetBorders({});
    x.SetAlignment(eaGeneral);
    static constexpr TztBIFFVersion kVersions[] = {bvBIFF2, bvBIFF3, bvBIFF4, bvBIFF5};
    x.SetBIFF(kVersions[excel.ExcelVersion()]);
    x.BeginFile();
    x.WriteFont(excel.DefaultFont());
    x.WriteFont(excel.HeaderFont());
    x.WriteFont(excel.TableFont());
    if (!excel.Header().empty()) x.WriteHeader(excel.Header());
    if (!excel.Footer().empty()) x.WriteFooter(excel.Footer());
    if (excel.Options().Contains(reSetMargins)) {
        x.WriteLeftMargin(excel.LeftMargin());
        x.WriteBottomMargin(excel.BottomMargin());
        x.WriteTopMargin(excel.TopMargin());
        x.WriteRightMargin(excel.RightMargin());
    }
    if (excel.Options().Contains(reSetColumnWidths)) x.WriteColWidth(1, 256, excel.ColumnWidth());
}

void TztSpreadsheetWriter::WriteLinesDown(uint32_t& Row) {
    TztNativeExcel& x = Sheet();
    if (Row <= TztNativeExcel::SheetRows) {
        x.SetRow(uint16_t(Row));
        x.SetColumn(1);
    }
    x.SetActiveFont(0);
    x.SetBorders({});
    x.SetMoveAfterEnter(maDown);
    for (const std::wstring& line : doc_.workLines) {
        if (Row > TztNativeExcel::SheetRows) {
            ++rowsLeftOut_;
            continue;
        }
        x.WriteLabel(line);
        ++Row;
    }
}

void TztSpreadsheetWriter::WriteHeaderText() {
    // Down the first column from the top: when the lines fill the sheet, the
    // caption row and the rows that would follow them are left out too.
    uint32_t row = Sheet().Row();
    WriteLinesDown(row);
    if (!doc_.workLines.empty() && row <= TztNativeExcel::SheetRows) {
        Sheet().WriteBlank();
        ++row;
    }
    Sheet().SetMoveAfterEnter(maRight);
    row_ = row;
}

void TztSpreadsheetWriter::WriteCaptionRow(const TztValues& Captions) {
    if (row_ > TztNativeExcel::SheetRows) {
        ++rowsLeftOut_;
        return;
    }
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    Sheet().SetRow(uint16_t(row_));
    Sheet().SetColumn(1);
    if (rowNumbers) {
        Sheet().SetActiveFont(1);
        Sheet().WriteBlank();
    }
    WriteRow(Captions, true, rowNumbers);
}

bool TztSpreadsheetWriter::BeginRow() {
    // The sheet ends at its last row; the rows beyond it are left out.
    if (!HasRoom()) {
        ++rowsLeftOut_;
        return false;
    }
    ++row_;
    Sheet().SetRow(uint16_t(row_));
    Sheet().SetColumn(1);
    return true;
}

void TztSpreadsheetWriter::WriteDataRow(const TztValues& Values) {
    WriteRow(Values, false, doc_.Has(xoRowNumbers));
}

void TztSpreadsheetWriter::WriteText(const std::wstring& Text, bool AsText) {
    double value = 0;
    if (!AsText && ztPlainNumber(Text, value)) {
        if (Text.find(L'.') == std::wstring::npos && value >= 0 && value <= 65535)
            Sheet().WriteInteger(uint16_t(value));
        else Sheet().WriteNumber(value);
    } else {
        Sheet().WriteLabel(Text);
    }
}

void TztSpreadsheetWriter::AppendCells(std::wstring&, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    TztNativeExcel& x = Sheet();
    const TztExcelOptions& excel = *doc_.Settings().excel;
    const bool asText = excel.Options().Contains(reCellsAsText);
    x.SetBorders(excel.Options().Contains(reUseBorders) ? TztExcelBorders{ebTop, ebBottom, ebLeft, ebRight}
                                                        : TztExcelBorders{});
    // The sheet ends at its last column: further cells are left out.
    int column = x.Column();
    auto room = [&] {
        if (column <= TztNativeExcel::SheetColumns) return true;
        columnsLeftOut_ = true;
        return false;
    };
    if (RowNumbers && !IsHeader && room()) {
        x.SetActiveFont(2);
        // A number only when it is a whole one: a format such as "%d.5" gives a text.
        const std::wstring number = doc_.WriteRowNumberCell().text;
        WriteText(number, asText || number.find(L'.') != std::wstring::npos);
        ++column;
    }
    x.SetActiveFont(IsHeader ? 1 : 2);
    const bool aligned = doc_.Has(xoUseAlignments);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        if (!room()) break;
        if (aligned) {
            static constexpr TztExcelAlignment kAlign[] = {eaGeneral, eaLeft, eaRight, eaCenter};
            x.SetAlignment(c.alignment >= 0 && c.alignment <= 3 ? kAlign[c.alignment] : eaGeneral);
        }
        WriteText(doc_.CellText(Values[col], c.width, cell_), asText);
        x.SetAlignment(eaGeneral);
        ++column;
    }
}

void TztSpreadsheetWriter::WriteFooter() {
    if (doc_.workLines.empty()) return;
    // Two rows below the table, down as far as the sheet goes.
    uint32_t row = row_ + 2;
    WriteLinesDown(row);
}

void TztSpreadsheetWriter::Finish(const std::wstring& FileName) {
    if (doc_.Settings().excel->Protected()) Sheet().WriteProtect(true);
    Sheet().EndFile();
    // The name asked about (OnFileExist) and opened is the name written.
    Sheet().SaveToFile(FileName);
    if (rowsLeftOut_) doc_.Settings().report(xeRowsLeftOut);
    if (columnsLeftOut_) doc_.Settings().report(xeColumnsLeftOut);
}

}  // namespace zt
