#pragma once
// The RTF document (also the word-processor document, byte for byte the same):
// a head with font and colour tables, the header text as paragraphs, a table
// row per exported row, the footer as paragraphs. Unlike the other text
// formats it is written piece by piece into the component's output stream,
// which is saved at the end.
#include <string>
#include <string_view>

#include "export/ExportOptions.h"
#include "export/FormatWriter.h"
#include "framework/Graphics.h"

namespace zt {

// The colour of a kind (0 default font, 1 header font, 2 table font, 3 table
// background, 4 header background, 5 odd-row background) in the options' template.
fw::TColor ztRTFColor(const TztRTFOptions& Options, int Kind);
// The colour-table entry of a kind: "\redR\greenG\blueB;".
std::wstring ztRTFColorEntry(const TztRTFOptions& Options, int Kind);
// A font-table entry: "{\fN\family\charset name;}".
std::wstring ztRTFFontEntry(int Index, fw::TFont* Font);
// A font's size and style words: "\fs20\b\i".
std::wstring ztRTFFontStyle(fw::TFont* Font);

class TztRTFWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteHead() override;
    void WriteHeaderText() override;
    void WriteCaptionRow(const TztValues& Captions) override;
    void WriteDataRow(const TztValues& Values) override;
    void WriteTableEnd() override;
    void WriteFooter() override;
    void Finish(const std::wstring& FileName) override;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    const TztRTFOptions& Options() const { return *doc_.Settings().rtf; }
    // Appends text to the document's bytes (one byte per character in the ANSI
    // code page; what the writer forms is ASCII throughout).
    void Write(std::wstring_view Text);
    void WriteBytes(std::string_view Bytes);
    // The room for the next bytes: a new piece when the last is full.
    std::string& Piece();
    void WriteParagraphs(const std::vector<std::wstring>& Lines);
    std::wstring RowStart(bool IsHeader, bool Odd) const;
    void WriteRow(const std::string& Start, const TztValues& Values, bool IsHeader);

    // The document's bytes, in pieces of about a megabyte: filled in place and
    // written to the file in these large blocks at the end, never copied whole.
    std::vector<std::string> pieces_;
    std::wstring row_, cell_;
    // The start of an even and of an odd data row, as bytes.
    std::string rowStarts_[2];
};

}  // namespace zt
