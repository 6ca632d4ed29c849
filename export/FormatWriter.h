#pragma once
// TztFormatWriter: what one document format adds to the common flow of a
// document. The export component runs the steps in this order, for every
// format: WriteHead, WriteHeaderText, WriteCaptionRow (with a caption row),
// WriteHeaderRule, then for each exported row BeginRow and WriteDataRow,
// WriteTableEnd, WriteFooter and Finish (tail, then save or clipboard). A step a
// format has nothing for is left as the base has it. A writer is made for one
// document (ztCreateFormatWriter) and works on that document's lines; it owns
// nothing of the component's.
#include <memory>
#include <string>
#include <string_view>

#include "export/ExportDocument.h"
#include "export/ExportTypes.h"

namespace zt {

class TztFormatWriter {
public:
    explicit TztFormatWriter(TztExportDocument& Document) : doc_(Document) {}
    virtual ~TztFormatWriter() = default;
    TztFormatWriter(const TztFormatWriter&) = delete;
    TztFormatWriter& operator=(const TztFormatWriter&) = delete;

    // Whether the format pads its columns to their text width: such a column
    // holds what is written in it and its caption too, so rows and rules align.
    virtual bool PadsColumns() const { return false; }

    virtual void WriteHead() {}
    // The header text is in the document's work lines.
    virtual void WriteHeaderText() {}
    virtual void WriteCaptionRow(const TztValues& Captions) = 0;
    virtual void WriteHeaderRule() {}
    // Whether the document has room for another row; a row it has none for is
    // read from the source only when a handler is to see it.
    virtual bool HasRoom() const { return true; }
    // False when the row cannot be written (it is then left out).
    virtual bool BeginRow() { return true; }
    virtual void WriteDataRow(const TztValues& Values) = 0;
    virtual void WriteTableEnd() {}
    // The footer text is in the document's work lines.
    virtual void WriteFooter() {}
    // The tail; then the document goes to FileName (or the clipboard).
    virtual void Finish(const std::wstring& FileName) = 0;

    // Appends Text to the component's output stream, one byte per character in
    // the ANSI code page.
    virtual void WriteStream(std::wstring_view Text);

    // The header (IsHeader) or footer rule; empty when the format has none.
    virtual std::wstring SeparatorLine(bool IsHeader) const {
        (void)IsHeader;
        return std::wstring();
    }
    // One row of values as the format's text of that row; the record number
    // rises by one.
    std::wstring WriteRow(const TztValues& Values, bool IsHeader, bool RowNumbers) {
        std::wstring row;
        AppendRow(row, Values, IsHeader, RowNumbers);
        return row;
    }
    // The same, appended to Out (a row costs no text of its own).
    void AppendRow(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
        AppendCells(Out, Values, IsHeader, RowNumbers);
        ++doc_.Counters().recordNumber;
    }

protected:
    // Appends the cells of one row (with the row-number cell first on data rows
    // when RowNumbers is set), joined as the format joins them.
    virtual void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) = 0;
    // The footer's rule, footer text and created line, as document lines.
    void AddFooterLines();

    TztExportDocument& doc_;
};

// The writer of a format.
std::unique_ptr<TztFormatWriter> ztCreateFormatWriter(TztExportType Type, TztExportDocument& Document);

}  // namespace zt
