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
    std::wstring row = NewRow();
    if (RowNumbers && !IsHeader) AppendAligned(row, doc_.NextRowNumberText() + L" ", doc_.RowNumberWidth() + 1, 2);
    const bool aligned = doc_.Has(xoUseAlignments);
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        const int width = doc_.TextWidth(col);
        if (!first) row += L' ';
        AppendAligned(row, SingleLineRef(doc_.CellText(Values[col], width, cell_), line_), width,
                      aligned ? doc_.Alignment(int(col)) : 0);
        first = false;
    }
    Done(row);
    return row;
}

void TztClipboardWriter::Finish(const std::wstring&) {
    fw::ClipboardGuard clipboard;
    if (!clipboard.Opened() || !clipboard.SetText(doc_.JoinedLines())) fw::RaiseLastOSError();
    if (doc_.Has(xoClipboardMessage)) doc_.Settings().inform(doc_.Settings().messages->CopiedToClipboard());
}

// ---- CSV and TAB ------------------------------------------------------------------------

std::wstring TztCsvWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row = NewRow();
    if (RowNumbers && !IsHeader) {
        AppendCsv(row, doc_.NextRowNumberText(), false);
        row += L',';
    }
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        if (!first) row += L',';
        AppendCsv(row, doc_.CellText(Values[col], doc_.TextWidth(col), cell_), false);
        first = false;
    }
    Done(row);
    return row;
}

std::wstring TztTabWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row = NewRow();
    if (RowNumbers && !IsHeader) {
        row += doc_.NextRowNumberText();
        row += L'\t';
    }
    bool first = true;
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        if (!first) row += L'\t';
        row += SingleLineRef(doc_.CellText(Values[col], doc_.TextWidth(col), cell_), line_);
        first = false;
    }
    Done(row);
    return row;
}

}  // namespace zt
