#pragma once
// TztExportDocument: one document being written, as every format writer sees it:
// the settings of the run, the columns (exported or not, caption, width), the
// row counters, the document lines and the routines that turn values into cell
// texts. The export component makes one per document (WriteDocument) and hands
// it to the format's writer; it lives for that call only and owns nothing but
// its lines. The component's settings objects, spreadsheet writer and output
// stream are lent to it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/ExportOptions.h"
#include "export/ExportTypes.h"
#include "framework/StringList.h"
#include "framework/Streams.h"

namespace zt {

class TztNativeExcel;

// The counters of a run: the source row being visited (the source moves it,
// the engine raises it), the source's row count, the rows written, and the
// record number (rows formed so far, the caption row included, from 1).
struct TztRowCounters {
    uint32_t currentRow = 0;
    uint32_t recordCount = 0;
    uint32_t exportedCount = 0;
    uint32_t recordNumber = 1;
};

// What a document takes from its component.
struct TztDocumentSettings {
    TztExportType type = xtTXT;
    // The target ("" for the clipboard).
    std::wstring fileName;
    TztExportOptionSet options;
    std::wstring truncateSymbol;
    std::wstring rowNumberFormat;
    // The class name the DIF and SYLK heads carry, and the component's version.
    std::wstring className;
    std::wstring version;
    const fw::TStrings* columnWidths = nullptr;
    const TztHTMLOptions* html = nullptr;
    const TztRTFOptions* rtf = nullptr;
    const TztExcelOptions* excel = nullptr;
    const TztMessagesOptions* messages = nullptr;
    TztNativeExcel* excelWriter = nullptr;
    fw::TMemoryStream* outputStream = nullptr;
    // Reports a problem through the component's OnError.
    std::function<void(TztExportError Error)> report;
    // Shows an informational message.
    std::function<void(const std::wstring& Text)> inform;
};

class TztExportDocument {
public:
    TztExportDocument(const TztDocumentSettings& Settings, TztRowCounters& Counters);

    const TztDocumentSettings& Settings() const { return settings_; }
    const std::wstring& FileName() const { return settings_.fileName; }
    bool Has(TztExportOption Option) const { return settings_.options.Contains(Option); }
    TztRowCounters& Counters() { return counters_; }
    const TztRowCounters& Counters() const { return counters_; }

    // --- Columns (set up once per document) ---
    struct Column {
        bool exported = false;
        std::wstring caption;
        int width = 0;      // the text width (ColumnWidths, else the natural width)
        int textWidth = 0;  // the padded text's width (may hold the caption)
        int alignment = 0;  // the source's: 0 none, 1 left, 2 right, 3 centre
    };
    std::vector<Column> columns;
    int ColumnCount() const { return int(columns.size()); }
    bool Exported(size_t Col) const { return Col < columns.size() && columns[Col].exported; }
    int ColumnWidth(size_t Col) const { return Col < columns.size() ? columns[Col].width : 0; }
    int TextWidth(size_t Col) const { return Col < columns.size() ? columns[Col].textWidth : 0; }
    int ExportedColumnCount() const;
    int Alignment(size_t Col) const { return Col < columns.size() ? columns[Col].alignment : 0; }

    // --- Cell texts ---
    // A value's text ("** NULL **" for a null), truncated to Width with xoTruncate.
    std::wstring CellText(const TztVariant& Value, int Width) const;
    // The same without a copy where the value's own text is the cell text;
    // otherwise the text is made in Scratch.
    const std::wstring& CellText(const TztVariant& Value, int Width, std::wstring& Scratch) const;
    // The row-number format with Number in place of its first "%d".
    std::wstring RowNumberText(uint32_t Number) const;
    // The row-number cell of the next row written: its number (the exported
    // count + 1) formatted, and the text width of every row-number cell.
    struct RowNumberCell {
        std::wstring text;
        int width = 0;
    };
    RowNumberCell WriteRowNumberCell() const { return {RowNumberText(counters_.exportedCount + 1), RowNumberWidth()}; }
    // The text width of a row-number cell: the length of the record count formatted.
    int RowNumberWidth() const;
    // The sum of the exported columns' text widths, a blank between each two,
    // and with xoRowNumbers the row-number cell and a blank.
    int TextTableWidth() const;
    // The created line: the created text, a blank and the date and time now.
    std::wstring CreatedLine() const;

    // --- Lines ---
    // The document's lines (each ended by CR LF in the file; a line may hold
    // line breaks of its own) and the work lines of the step in hand.
    std::vector<std::wstring> lines;
    std::vector<std::wstring> workLines;
    // A new last line of the document, to be written in place. Lines made so
    // share one text (joined by CR LF) up to a block's size: a row of a large
    // document costs no allocation of its own. Any line added otherwise ends the block.
    std::wstring& NewLine();
    // Takes back the line NewLine last made (before any other line is added).
    void DropNewLine();
    // Adds Text, split at its line breaks, to the work lines.
    void AddWorkText(const std::wstring& Text);
    // Moves the work lines to the end of the document lines.
    void MoveWorkLines();
    // The document lines as one text, each line ended by CR LF.
    std::wstring JoinedLines() const;
    // The length of that text, and the text written to Out (that many characters).
    size_t JoinedLength() const;
    void CopyJoined(wchar_t* Out) const;
    // Writes the lines to FileName as bytes, each ended by CR LF, when every
    // line is plain ASCII (the same in every code page); false otherwise, and
    // the file is then to be written anew (the target untouched). Every save
    // here replaces an existing target only once the new file is complete.
    bool SaveAscii(const std::wstring& FileName) const;
    // Writes the lines to FileName in the ANSI code page (or, with Utf8Fallback
    // and a character the code page lacks, in UTF-8 behind a byte-order mark).
    void SaveLines(const std::wstring& FileName, bool Utf8Fallback) const;

private:
    TztDocumentSettings settings_;
    TztRowCounters& counters_;
    // RowNumberWidth, once asked: the record count is fixed before the document starts.
    mutable int rowNumberWidth_ = -1;
    // The line that NewLine writes into, while it is the last.
    size_t blockLine_ = size_t(-1);
    // Where the line NewLine last made starts in its block (npos: a block of its own).
    size_t newLineStart_ = std::wstring::npos;

    // A block of rows that is complete and plain ASCII is kept as its bytes (its
    // place in the lines left empty): half the memory, converted while it is
    // fresh, and its characters' room taken by the next block.
    struct NarrowBlock {
        size_t line;
        std::string bytes;
    };
    std::vector<NarrowBlock> narrow_;
    std::wstring spareBlock_;
    void NarrowLastBlock();
    // Calls Wide(line) or Narrow(bytes) for each line in order.
    template <class WideFn, class NarrowFn>
    void VisitLines(WideFn Wide, NarrowFn Narrow) const {
        size_t next = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (next < narrow_.size() && narrow_[next].line == i) Narrow(narrow_[next++].bytes);
            else Wide(lines[i]);
        }
    }
};

// Writes Bytes to FileName, created anew; an existing file is replaced only
// once every byte is written.
void ztWriteFile(const std::wstring& FileName, const std::string& Bytes);

}  // namespace zt
