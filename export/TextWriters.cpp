#include "export/TextWriters.h"

#include <algorithm>
#include <cwchar>

#include "export/TextRoutines.h"
#include "framework/Clipboard.h"
#include "framework/Exception.h"

namespace zt {

// ---- Lines of any text format ------------------------------------------------------

void TztLineWriter::WriteCaptionRow(const TztValues& Captions) {
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    std::wstring& line = doc_.NewLine();
    if (rowNumbers) line += CaptionLeadIn();
    AppendRow(line, Captions, true, rowNumbers);
}

void TztLineWriter::WriteDataRow(const TztValues& Values) {
    AppendRow(doc_.NewLine(), Values, false, doc_.Has(xoRowNumbers));
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

bool TztPaddedTextWriter::AppendPlainCells(std::wstring& Out, const TztValues& Values) {
    // The row's room is known when every cell is a plain text that needs no cut:
    // it is made in one step, filled with blanks, and the texts copied into it.
    const size_t count = std::min(Values.size(), doc_.columns.size());
    const bool truncate = doc_.Has(xoTruncate);
    size_t total = 0, cells = 0;
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        const TztVariant& value = Values[col];
        if (!value.IsText()) return false;
        const std::wstring& text = value.TextRef();
        const size_t width = size_t(std::max(c.textWidth, 0));
        if ((truncate && width >= 1 && text.size() > width) || !PlainCell(text)) return false;
        total += std::max(text.size(), width);
        ++cells;
    }
    if (cells > 1) total += cells - 1;
    const bool aligned = doc_.Has(xoUseAlignments);
    size_t at = Out.size();
    Out.resize(at + total, L' ');
    wchar_t* row = Out.data();
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        const std::wstring& text = Values[col].TextRef();
        const int length = int(text.size());
        const int width = std::max(c.textWidth, length);
        const int pad = width - length;
        const int alignment = aligned ? c.alignment : 0;
        // As AppendAligned places a text: 2 on the right, 3 centred, any other on the left.
        int before = 0;
        if (alignment == 2) before = pad;
        else if (alignment == 3 && pad > 0) before = pad - (c.textWidth / 2 - length / 2);
        std::wmemcpy(row + at + size_t(before), text.data(), text.size());
        at += size_t(width) + 1;
    }
    return true;
}

void TztPaddedTextWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    if (RowNumbers && !IsHeader) {
        const TztExportDocument::RowNumberCell cell = doc_.WriteRowNumberCell();
        AppendAligned(Out, cell.text + L" ", cell.width + 1, 2);
    }
    if (AppendPlainCells(Out, Values)) return;
    const bool aligned = doc_.Has(xoUseAlignments);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    bool first = true;
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        if (!first) Out += L' ';
        first = false;
        const int alignment = aligned ? c.alignment : 0;
        const TztVariant& value = Values[col];
        // Most cells are one line without surrogates: their length is their width.
        if (value.IsText() && PlainCell(value.TextRef())) {
            const std::wstring& text = doc_.CellText(value, c.textWidth, cell_);
            if (&text == &value.TextRef()) AppendAligned(Out, text, int(text.size()), c.textWidth, alignment);
            else AppendAligned(Out, text, c.textWidth, alignment);
            continue;
        }
        // Breaks become blanks before the cell is cut: it is cut as written.
        line_.AssignText(SingleLine(value.IsText() ? value.TextRef() : doc_.CellText(value, 0)));
        AppendAligned(Out, doc_.CellText(line_, c.textWidth, cell_), c.textWidth, alignment);
    }
}

void TztClipboardWriter::Finish(const std::wstring&) {
    fw::ClipboardGuard clipboard;
    // Written straight into the clipboard's memory: the text is not made twice.
    const bool set =
        clipboard.Opened() && clipboard.SetText(doc_.JoinedLength(), [this](wchar_t* Text) { doc_.CopyJoined(Text); });
    if (!set) fw::RaiseLastOSError();
    if (doc_.Has(xoClipboardMessage)) doc_.Settings().inform(doc_.Settings().messages->CopiedToClipboard());
}

// ---- CSV and TAB ------------------------------------------------------------------------

void TztCsvWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    if (RowNumbers && !IsHeader) {
        AppendCsv(Out, doc_.WriteRowNumberCell().text, false);
        Out += L',';
    }
    const size_t count = std::min(Values.size(), doc_.columns.size());
    bool first = true;
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        if (!first) Out += L',';
        first = false;
        AppendCsv(Out, doc_.CellText(Values[col], c.textWidth, cell_), false);
    }
}

void TztTabWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    if (RowNumbers && !IsHeader) {
        Out += doc_.WriteRowNumberCell().text;
        Out += L'\t';
    }
    const size_t count = std::min(Values.size(), doc_.columns.size());
    bool first = true;
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        if (!first) Out += L'\t';
        first = false;
        Out += SingleLineRef(doc_.CellText(Values[col], c.textWidth, cell_), line_);
    }
}

}  // namespace zt
