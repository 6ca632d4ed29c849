#include "export/DifSylkWriters.h"

#include "export/TextRoutines.h"
#include "framework/SysUtils.h"

namespace zt {

namespace {

// A DIF string value, appended: always between double quotes. DIF has no
// escape for an inner quote; readers take what lies between the first and the last one.
void AppendDifString(std::wstring& Out, const std::wstring& Text) {
    Out += L'"';
    Out += Text;
    Out += L'"';
}

// A SYLK text value, appended: between double quotes, a ";" doubled (it ends a field).
void AppendSylkString(std::wstring& Out, const std::wstring& Text) {
    Out += L'"';
    for (const wchar_t c : Text) {
        Out += c;
        if (c == L';') Out += L';';
    }
    Out += L'"';
}

}  // namespace

// ---- DIF ---------------------------------------------------------------------------------

void TztDifWriter::WriteHead() {
    auto& lines = doc_.lines;
    const int vectors = doc_.ExportedColumnCount() + (doc_.Has(xoRowNumbers) ? 1 : 0);
    lines.push_back(L"TABLE");
    lines.push_back(L"0,1");
    lines.push_back(L"\"" + fw::AnsiUpperCase(doc_.Settings().className) + L"\"");
    lines.push_back(L"VECTORS");
    lines.push_back(L"0," + std::to_wstring(vectors));
    lines.push_back(L"\"\"");
    lines.push_back(L"TUPLES");
    // The count of rows written, set when the document ends.
    tuplesLine_ = lines.size();
    lines.push_back(L"0,0");
    lines.push_back(L"\"\"");
    lines.push_back(L"DATA");
    lines.push_back(L"0,0");
    lines.push_back(L"\"\"");
}

void TztDifWriter::AddTuple(const std::wstring& Lead, const std::wstring& Cells) {
    doc_.lines.push_back(L"-1,0\r\nBOT" + Lead + (Cells.empty() ? L"" : L"\r\n" + Cells));
    ++tuples_;
}

void TztDifWriter::WriteCaptionRow(const TztValues& Captions) {
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    const std::wstring row = WriteRow(Captions, true, rowNumbers);
    // The caption row's cell in the row-number column is the empty string.
    AddTuple(rowNumbers ? L"\r\n1,0\r\n\"\"" : L"", row);
}

void TztDifWriter::WriteDataRow(const TztValues& Values) {
    AddTuple(L"", WriteRow(Values, false, doc_.Has(xoRowNumbers)));
}

void TztDifWriter::Finish(const std::wstring& FileName) {
    doc_.lines.push_back(L"-1,0");
    doc_.lines.push_back(L"EOD");
    doc_.lines[tuplesLine_] = L"0," + std::to_wstring(tuples_);
    doc_.SaveLines(FileName, false);
}

std::wstring TztDifWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row, cell, line;
    auto addCell = [&row](const std::wstring& value) {
        if (!row.empty()) row += L"\r\n";
        row += L"1,0\r\n";
        AppendDifString(row, value);
    };
    if (RowNumbers && !IsHeader) addCell(doc_.NextRowNumberText());
    for (size_t col = 0; col < Values.size(); ++col)
        if (doc_.Exported(col)) addCell(SingleLineRef(doc_.CellText(Values[col], doc_.ColumnWidth(col), cell), line));
    return row;
}

// ---- SYLK --------------------------------------------------------------------------------

void TztSylkWriter::WriteHead() {
    doc_.lines.push_back(L"ID;P" + fw::AnsiUpperCase(doc_.Settings().className));
}

void TztSylkWriter::AddRecords(const std::wstring& Records) {
    if (!Records.empty()) doc_.lines.push_back(Records);
}

void TztSylkWriter::WriteCaptionRow(const TztValues& Captions) {
    AddRecords(WriteRow(Captions, true, doc_.Has(xoRowNumbers)));
}

void TztSylkWriter::WriteDataRow(const TztValues& Values) {
    AddRecords(WriteRow(Values, false, doc_.Has(xoRowNumbers)));
}

void TztSylkWriter::Finish(const std::wstring& FileName) {
    doc_.lines.push_back(L"E");
    doc_.SaveLines(FileName, false);
}

std::wstring TztSylkWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row, cell, line;
    const std::wstring y = L";Y" + std::to_wstring(doc_.Counters().recordNumber) + L";K";
    auto addRecord = [&row, &y](int column, const std::wstring& value) {
        if (!row.empty()) row += L"\r\n";
        row += L"C;X";
        row += std::to_wstring(column);
        row += y;
        AppendSylkString(row, value);
    };
    if (RowNumbers && !IsHeader) addRecord(1, doc_.NextRowNumberText());
    const int offset = RowNumbers ? 2 : 1;
    for (size_t col = 0; col < Values.size(); ++col)
        if (doc_.Exported(col))
            addRecord(int(col) + offset, SingleLineRef(doc_.CellText(Values[col], doc_.ColumnWidth(col), cell), line));
    return row;
}

}  // namespace zt
