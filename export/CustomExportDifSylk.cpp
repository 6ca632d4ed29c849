// The DIF and SYLK formats of the document writer. Every value is a string.
#include "export/CustomExport.h"
#include "export/CustomExportDocument.h"
#include "framework/SysUtils.h"

namespace {

// A DIF string value: always between double quotes. DIF has no escape for an
// inner quote; readers take what lies between the first and the last one.
std::wstring DifString(const std::wstring& Text) {
    return L"\"" + Text + L"\"";
}

// A SYLK text value: between double quotes, a ";" doubled (it ends a field).
std::wstring SylkString(const std::wstring& Text) {
    std::wstring out = L"\"";
    for (wchar_t c : Text) {
        out += c;
        if (c == L';') out += L';';
    }
    return out + L"\"";
}

}  // namespace

void TztCustomExport::WriteDIFHead() {
    auto& lines = doc_->lines;
    int vectors = 0;
    for (bool exported : doc_->exported) vectors += exported ? 1 : 0;
    if (options_.Contains(xoRowNumbers)) ++vectors;
    lines.push_back(L"TABLE");
    lines.push_back(L"0,1");
    lines.push_back(L"\"" + fw::AnsiUpperCase(ExportClassName()) + L"\"");
    lines.push_back(L"VECTORS");
    lines.push_back(L"0," + std::to_wstring(vectors));
    lines.push_back(L"\"\"");
    lines.push_back(L"TUPLES");
    // The count of rows written, set when the document ends.
    doc_->tuplesLine = lines.size();
    lines.push_back(L"0,0");
    lines.push_back(L"\"\"");
    lines.push_back(L"DATA");
    lines.push_back(L"0,0");
    lines.push_back(L"\"\"");
}

std::wstring TztCustomExport::WriteDIFCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    auto addCell = [&row](const std::wstring& value) {
        if (!row.empty()) row += L"\r\n";
        row += L"1,0\r\n" + value;
    };
    if (RowNumbers && !IsHeader) addCell(DifString(RowNumberText(exportedCount_ + 1)));
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        addCell(DifString(CellText(Values[col], GetColumnWidth(int(col)))));
    }
    return row;
}

void TztCustomExport::WriteSYLKHead() {
    doc_->lines.push_back(L"ID;P" + fw::AnsiUpperCase(ExportClassName()));
}

std::wstring TztCustomExport::WriteSYLKCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    const std::wstring y = L";Y" + std::to_wstring(recordNumber_) + L";K";
    auto addRecord = [&row, &y](int column, const std::wstring& value) {
        if (!row.empty()) row += L"\r\n";
        row += L"C;X" + std::to_wstring(column) + y + value;
    };
    if (RowNumbers && !IsHeader) addRecord(1, SylkString(RowNumberText(exportedCount_ + 1)));
    const int offset = RowNumbers ? 2 : 1;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        addRecord(int(col) + offset, SylkString(CellText(Values[col], GetColumnWidth(int(col)))));
    }
    return row;
}
