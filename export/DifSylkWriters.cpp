#include "export/DifSylkWriters.h"

#include <algorithm>

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
    if (Text.find(L';') == std::wstring::npos) {
        Out += Text;
    } else {
        for (const wchar_t c : Text) {
            Out += c;
            if (c == L';') Out += L';';
        }
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

void TztDifWriter::AddTuple(const wchar_t* Lead, const TztValues& Values, bool IsHeader) {
    std::wstring& line = doc_.NewLine();
    line += L"-1,0\r\nBOT";
    line += Lead;
    // The cells, when there are any, on the lines below.
    const size_t mark = line.size();
    line += L"\r\n";
    AppendRow(line, Values, IsHeader, doc_.Has(xoRowNumbers));
    if (line.size() == mark + 2) line.resize(mark);
    ++tuples_;
}

void TztDifWriter::WriteCaptionRow(const TztValues& Captions) {
    // The caption row's cell in the row-number column is the empty string.
    AddTuple(doc_.Has(xoRowNumbers) ? L"\r\n1,0\r\n\"\"" : L"", Captions, true);
}

void TztDifWriter::WriteDataRow(const TztValues& Values) {
    AddTuple(L"", Values, false);
}

void TztDifWriter::Finish(const std::wstring& FileName) {
    doc_.lines.push_back(L"-1,0");
    doc_.lines.push_back(L"EOD");
    doc_.lines[tuplesLine_] = L"0," + std::to_wstring(tuples_);
    doc_.SaveLines(FileName, false);
}

void TztDifWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    bool first = true;
    auto addCell = [&](const std::wstring& value) {
        Out += first ? L"1,0\r\n" : L"\r\n1,0\r\n";
        first = false;
        AppendDifString(Out, value);
    };
    if (RowNumbers && !IsHeader) addCell(doc_.WriteRowNumberCell().text);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    for (size_t col = 0; col < count; ++col)
        if (doc_.columns[col].exported)
            addCell(SingleLineRef(doc_.CellText(Values[col], doc_.columns[col].width, cell_), line_));
}

// ---- SYLK --------------------------------------------------------------------------------

void TztSylkWriter::WriteHead() {
    doc_.lines.push_back(L"ID;P" + fw::AnsiUpperCase(doc_.Settings().className));
}

void TztSylkWriter::AddRecords(const TztValues& Values, bool IsHeader) {
    // A row without a cell leaves no line.
    std::wstring& line = doc_.NewLine();
    const size_t start = line.size();
    AppendRow(line, Values, IsHeader, doc_.Has(xoRowNumbers));
    if (line.size() == start) doc_.DropNewLine();
}

void TztSylkWriter::WriteCaptionRow(const TztValues& Captions) {
    AddRecords(Captions, true);
}

void TztSylkWriter::WriteDataRow(const TztValues& Values) {
    AddRecords(Values, false);
}

void TztSylkWriter::Finish(const std::wstring& FileName) {
    doc_.lines.push_back(L"E");
    doc_.SaveLines(FileName, false);
}

void TztSylkWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    // The row part of every record of the row, made once (no formatting call per row).
    std::wstring& y = y_;
    y.assign(L";Y");
    AppendDecimal(y, doc_.Counters().recordNumber);
    y += L";K";
    // Each column's "C;Xn" (behind a line break), made once per document.
    const size_t offset = RowNumbers ? 2 : 1;
    if (columnStarts_.size() != doc_.columns.size() + 1 || columnOffset_ != offset) {
        columnOffset_ = offset;
        columnStarts_.assign(doc_.columns.size() + 1, std::wstring());
        for (size_t col = 0; col < columnStarts_.size(); ++col) {
            columnStarts_[col] = L"\r\nC;X";
            AppendDecimal(columnStarts_[col], col == 0 ? 1 : col - 1 + offset);
        }
    }
    bool first = true;
    auto addRecord = [&](const std::wstring& start, const std::wstring& value) {
        // The first record of a row starts without the line break.
        Out.append(start, first ? 2 : 0, std::wstring::npos);
        first = false;
        Out += y;
        AppendSylkString(Out, value);
    };
    if (RowNumbers && !IsHeader) addRecord(columnStarts_[0], doc_.WriteRowNumberCell().text);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    for (size_t col = 0; col < count; ++col)
        if (doc_.columns[col].exported)
            addRecord(columnStarts_[col + 1],
                      SingleLineRef(doc_.CellText(Values[col], doc_.columns[col].width, cell_), line_));
}

}  // namespace zt
