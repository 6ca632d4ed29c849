#pragma once
// The HTML document: a head naming the character set and the colours of the
// chosen template, a table whose caption row and cells carry the template's
// colours, links for texts that hold an address, and a tail. Texts are escaped
// so that every cell reads back as itself.
#include <string>

#include "export/ExportOptions.h"
#include "export/FormatWriter.h"

namespace zt {

// The colour of a kind (0 ActiveLink, 1 Background, 2 DefaultLink, 3 DefaultText,
// 4 VisitedLink, 5 HeaderBackground, 6 HeadersFontColor, 7 TableBackground,
// 8 TableOddBackground, 9 TableFontColor) in the options' template, as "#RRGGBB".
std::wstring ztHTMLColor(const TztHTMLOptions& Options, int Kind);
// The face of a kind (0 default, 1 table).
std::wstring ztHTMLFontFace(const TztHTMLOptions& Options, int Kind);
// Whether a text holds a link scheme ("http:", "mailto:", ...) anywhere.
bool ztIsLink(const std::wstring& Text);
// The HTML name of a Windows code page ("windows-1252", "shift_jis", ...).
std::wstring ztHTMLCharsetName(unsigned CodePage);

class TztHTMLWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteHead() override;
    void WriteHeaderText() override;
    void WriteCaptionRow(const TztValues& Captions) override;
    void WriteHeaderRule() override;
    void WriteDataRow(const TztValues& Values) override;
    void WriteTableEnd() override;
    void WriteFooter() override { AddFooterLines(); }
    void Finish(const std::wstring& FileName) override;
    std::wstring SeparatorLine(bool IsHeader) const override;

protected:
    std::wstring Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    std::wstring Color(int Kind) const { return ztHTMLColor(*doc_.Settings().html, Kind); }
    void WriteTableOpening(bool WithCaptionRow);
    void AddRow(const std::wstring& Start, const std::wstring& Cells);

    // The head's line that names the character set.
    size_t metaLine_ = size_t(-1);
};

}  // namespace zt
