#pragma once
// The RTF document (also the word-processor document, byte for byte the same):
// a head with font and colour tables, the header text as paragraphs, a table
// row per exported row, the footer as paragraphs. Unlike the other text
// formats it is written piece by piece into the component's output stream,
// which is saved at the end. Characters outside ASCII are written so that a
// reader gets them back whatever the code page: as code-page bytes only in a
// font whose character set is the code page's, else as Unicode.
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
    // Through the writer's piece: the stream gets its bytes in large blocks.
    void WriteStream(std::wstring_view Text) override;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    const TztRTFOptions& Options() const { return *doc_.Settings().rtf; }
    void WriteBytes(std::string_view Bytes);
    // Moves the piece's bytes into the output stream.
    void Flush();
    void WriteParagraphs(const std::vector<std::wstring>& Lines);
    std::wstring RowStart(bool IsHeader, bool Odd) const;
    void WriteRow(const std::string& Start, const TztValues& Values, bool IsHeader);

    // The bytes bound for the output stream, passed on a megabyte at a time:
    // the stream is written in few large blocks, not once per row.
    static constexpr size_t kPiece = 1 << 20;
    std::string piece_;
    bool reserved_ = false;  // the stream's room foretold (at the first piece)
    // Per font (0 default, 1 header, 2 table): whether its character set is the
    // code page's, so that code-page bytes read back in it.
    bool codePageBytes_[3] = {};
    std::wstring row_, cell_;
    // The start of an even and of an odd data row, as bytes.
    std::string rowStarts_[2];
};

}  // namespace zt
