#pragma once
// The writers of the line-per-row text formats: padded text (TXT) and its
// clipboard copy, comma-separated (CSV) and tab-separated (TAB) text. They
// differ in how a cell is formed and joined, the lead-in of the caption row,
// and whether the header and footer texts, rules and the created line appear.
#include <string>

#include "export/FormatWriter.h"

namespace zt {

// The common part: the caption row (behind its lead-in) and each row go to
// the document as one line each; the lines are saved as one file.
class TztLineWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteCaptionRow(const TztValues& Captions) override;
    void WriteDataRow(const TztValues& Values) override;
    void Finish(const std::wstring& FileName) override;

protected:
    // What stands before the caption row in the row-number column.
    virtual std::wstring CaptionLeadIn() const = 0;

    // Scratch texts of the cell in hand, kept so that a cell costs no allocation.
    std::wstring cell_, line_;
};

// Padded text: each cell padded (or centred) to its column's text width, cells
// joined by one blank; dashed rules under the caption row and above the footer.
class TztPaddedTextWriter : public TztLineWriter {
public:
    using TztLineWriter::TztLineWriter;

    bool PadsColumns() const override { return true; }
    void WriteHeaderText() override { doc_.MoveWorkLines(); }
    void WriteHeaderRule() override;
    void WriteFooter() override { AddFooterLines(); }
    std::wstring SeparatorLine(bool IsHeader) const override;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;
    std::wstring CaptionLeadIn() const override;

private:
    // The cells, when all are plain texts that need no cut (false, Out
    // unchanged, otherwise).
    bool AppendPlainCells(std::wstring& Out, const TztValues& Values);

    // A cell that holds breaks, as one line.
    TztVariant line_;
};

// The padded text put on the clipboard as Unicode text instead of a file.
class TztClipboardWriter : public TztPaddedTextWriter {
public:
    using TztPaddedTextWriter::TztPaddedTextWriter;

    void Finish(const std::wstring& FileName) override;
};

// Comma-separated: cells quoted as CSV needs; no header or footer text.
class TztCsvWriter : public TztLineWriter {
public:
    using TztLineWriter::TztLineWriter;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;
    std::wstring CaptionLeadIn() const override { return L","; }
};

// Tab-separated: cells as they are, joined by tabs.
class TztTabWriter : public TztLineWriter {
public:
    using TztLineWriter::TztLineWriter;

    void WriteHeaderText() override { doc_.MoveWorkLines(); }
    void WriteFooter() override { AddFooterLines(); }

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;
    std::wstring CaptionLeadIn() const override { return L"\t"; }
};

}  // namespace zt
