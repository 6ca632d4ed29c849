#include "export/TextWriters.h"

#include "export/TextRoutines.h"
#include "framework/Clipboard.h"
#include "framework/Exception.h"

namespace zt {

// ---- Lines of any text format ------------------------------------------------------

void TztLineWriter::WriteCaptionRow(const TztValues& Captions) {
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    const std::wstring row = WriteRow(Captions, true, rowNumbers);
    doc_.lines.push_back(rowNumbers ? CaptionLeadIn() + row : row);
}

void TztLineWriter::WriteDataRow(const TztValues& Values) {
    doc_.lines.push_back(WriteRow(Values, false, doc_.Has(xoRowNumbers)));
}

void TztLineWriter::Finish(const std::wstring& FileName) {
    doc_.SaveLines(FileName, true);
}

// ---- Padded text ---------------------------------------------------------------------

std::wstring TztPaddedTextWriter::SeparatorLine(bool IsHeader) const {
    if (!doc_.Has(IsHeader ? xoHeaderLine : xoFooterLine)) return std::wstring();
    return RepeatChar(L'-', doc_.TextTableWidth());
}

void TztPaddedTextWriter::WriteHeaderRule() {
    const std::wstring rule = SeparatorLine(true);
    if (!rule.empty()) doc_.lines.push_back(rule);
}

std::wstring TztPaddedTextWriter::CaptionLeadIn() const {
    return std::wstring(size_t(doc_.RowNumberWidth() + 1), L' ');
}

std::wstring TztPaddedTextWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    if (RowNumbers && !IsHeader) row = PadLeft(doc_.NextRowNumberText(), L' ', doc_.RowNumberWidth()) + L" ";
    const bool aligned = doc_.Has(xoUseAlignments);
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        const int width = doc_.TextWidth(col);
        if (!first) row += L' ';
        AppendAligned(row, SingleLine(doc_.CellText(Values[col], width)), width,
                      aligned ? doc_.Alignment(int(col)) : 0);
        first = false;
    }
    return row;
}

void TztClipboardWriter::Finish(const std::wstring&) {
    fw::ClipboardGuard clipboard;
    if (!clipboard.Opened() || !clipboard.SetText(doc_.JoinedLines())) fw::RaiseLastOSError();
    if (doc_.Has(xoClipboardMessage)) doc_.Settings().inform(doc_.Settings().messages->CopiedToClipboard());
}

// ---- CSV and TAB ------------------------------------------------------------------------

std::wstring TztCsvWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    if (RowNumbers && !IsHeader) row = CsvQuote(doc_.NextRowNumberText(), false) + L",";
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        if (!first) row += L',';
        row += CsvQuote(doc_.CellText(Values[col], doc_.TextWidth(col)), false);
        first = false;
    }
    return row;
}

std::wstring TztTabWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    if (RowNumbers && !IsHeader) row = doc_.NextRowNumberText() + L"\t";
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        if (!first) row += L'\t';
        row += SingleLine(doc_.CellText(Values[col], doc_.TextWidth(col)));
        first = false;
    }
    return row;
}

}  // namespace zt
