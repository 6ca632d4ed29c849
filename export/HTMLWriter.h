#pragma once
// The HTML document: a head naming the character set and the colours of the
// chosen template, a table whose caption row and cells carry the template's
// colours, links for texts that hold an address, and a tail. Texts are escaped
// so that every cell reads back as itself.
#include <string>
#include <vector>

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
    explicit TztHTMLWriter(TztExportDocument& Document);

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
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    const std::wstring& Color(int Kind) const { return colors_[size_t(Kind)]; }
    void WriteTableOpening(bool WithCaptionRow);
    void AddRow(const std::wstring& Start, const TztValues& Values, bool IsHeader);

    // The colours of the kinds and each column's WIDTH attribute, made once.
    std::wstring colors_[10];
    std::vector<std::wstring> widths_;
    std::wstring oddStart_, cell_, link_;
    // Each column's data-cell opening, made when first written.
    std::vector<std::wstring> cellStarts_;

    // The head's line that names the character set.
    size_t metaLine_ = size_t(-1);
};

}  // namespace zt
