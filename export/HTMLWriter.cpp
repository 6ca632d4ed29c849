#include "export/HTMLWriter.h"

#include <cstdio>

#include "export/ResourceTexts.h"
#include "export/TextRoutines.h"

namespace zt {

namespace {

// Texts placed in the document are escaped, so any cell reads back as itself.
std::wstring Escape(const std::wstring& Text) {
    std::wstring out;
    out.reserve(Text.size());
    for (wchar_t c : Text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'"': out += L"&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::wstring Hex6(unsigned Value) {
    wchar_t buffer[16];
    swprintf(buffer, 16, L"#%.6X", Value);
    return buffer;
}

std::wstring MetaLine(const std::wstring& Charset) {
    return L"  <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=" + Charset + L"\">";
}

fw::TColor CustomColor(const TztHTMLColors& c, int Kind) {
    switch (Kind) {
    case 0: return c.ActiveLink();
    case 1: return c.Background();
    case 2: return c.DefaultLink();
    case 3: return c.DefaultText();
    case 4: return c.VisitedLink();
    case 5: return c.HeaderBackground();
    case 6: return c.HeadersFontColor();
    case 7: return c.TableBackground();
    case 8: return c.TableOddBackground();
    case 9: return c.TableFontColor();
    default: return 0;
    }
}

const wchar_t* AlignAttribute(int Alignment) {
    switch (Alignment) {
    case 1: return L" ALIGN=\"Left\" ";
    case 2: return L" ALIGN=\"Right\" ";
    case 3: return L" ALIGN=\"Center\" ";
    default: return L"";
    }
}

}  // namespace

std::wstring ztHTMLColor(const TztHTMLOptions& Options, int Kind) {
    const TztHTMLColorTemplate tmpl = Options.Template();
    if (tmpl == ctCustom) {
        // A colour value keeps red in its low byte: written red first.
        const unsigned v = unsigned(CustomColor(*Options.CustomColors(), Kind));
        return Hex6(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
    }
    if (Kind < 0 || Kind > 9) return Hex6(0);
    // The template texts are written as they read.
    return Hex6(ztColorTextValue(ztResourceText(SztHTMLColorFirst + unsigned(tmpl) * 10 + unsigned(Kind))) & 0xFFFFFF);
}

std::wstring ztHTMLFontFace(const TztHTMLOptions& Options, int Kind) {
    if (Options.Template() == ctCustom)
        return Kind == 0 ? Options.CustomColors()->DefaultFontFace() : Options.CustomColors()->TableFontFace();
    return ztResourceText(SztDefaultFontFace);
}

bool ztIsLink(const std::wstring& Text) {
    for (const wchar_t* scheme : {L"http:", L"https:", L"ftp:", L"news:", L"nntp:", L"mailto:"})
        if (Text.find(scheme) != std::wstring::npos) return true;
    return false;
}

std::wstring ztHTMLCharsetName(unsigned CodePage) {
    switch (CodePage) {
    case 932: return L"shift_jis";
    case 936: return L"gbk";
    case 949: return L"euc-kr";
    case 950: return L"big5";
    case 65001: return L"utf-8";
    default: return L"windows-" + std::to_wstring(CodePage);
    }
}

std::wstring TztHTMLWriter::SeparatorLine(bool IsHeader) const {
    return doc_.Has(IsHeader ? xoHeaderLine : xoFooterLine) ? L"  <HR>" : L"";
}

void TztHTMLWriter::WriteHead() {
    const TztHTMLOptions& html = *doc_.Settings().html;
    auto& lines = doc_.lines;
    lines.push_back(L"<!-- THIS FILE WAS CREATED BY ZETTEL'S EXPORT COMPONENTS -->");
    lines.push_back(L"<!-- DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 TRANSITIONAL//EN\" -->");
    lines.push_back(L"<HTML>");
    lines.push_back(L" <HEAD>");
    metaLine_ = lines.size();
    lines.push_back(MetaLine(L"utf-8"));
    lines.push_back(L"  <META NAME = \"GENERATOR\" CONTENT = \"Zettel's Export Components " + doc_.Settings().version +
                    L"\">");
    lines.push_back(L"  <META NAME = \"Author\" CONTENT = \"Dovrelanz\" >");
    lines.push_back(L"  <META NAME = \"Description\" CONTENT = \"https://dovrelanz.example/\">");
    if (html.Options().Contains(hoDisplayTitle)) lines.push_back(L"  <TITLE>" + Escape(html.Title()) + L"</TITLE>");
    lines.push_back(L" </HEAD>");
    lines.push_back(L" <BODY BGCOLOR=\"" + Color(1) + L"\" LINK=\"" + Color(2) + L"\" ALINK=\"" + Color(0) +
                    L"\" VLINK=\"" + Color(4) + L"\" TEXT=\"" + Color(3) + L"\">");
    lines.push_back(L" <FONT COLOR=\"" + Color(3) + L"\" FACE=\"" + Escape(ztHTMLFontFace(html, 0)) + L"\">");
}

void TztHTMLWriter::WriteHeaderText() {
    const std::wstring rule = SeparatorLine(true);
    if (!rule.empty()) doc_.workLines.push_back(rule);
    doc_.MoveWorkLines();
}

void TztHTMLWriter::WriteTableOpening(bool WithCaptionRow) {
    const TztHTMLOptions& html = *doc_.Settings().html;
    const bool grid = html.Options().Contains(hoShowGridLines);
    doc_.lines.push_back(std::wstring(L"  <TABLE WIDTH=\"100%\" CELLPADDING=\"4\" CELLSPACING=\"0\"") +
                         (grid ? L" BORDER=\"1\"" : L"") + L" BGCOLOR=\"" + Color(7) + L"\">");
    std::wstring font = L"  <FONT COLOR=\"" + Color(9) + L"\" FACE=\"" + Escape(ztHTMLFontFace(html, 1)) + L"\">";
    if (WithCaptionRow) font += L"\r\n   <TR BGCOLOR=\"" + Color(5) + L"\">";
    doc_.lines.push_back(font);
}

void TztHTMLWriter::AddRow(const std::wstring& Start, const std::wstring& Cells) {
    if (!Start.empty()) doc_.lines.push_back(Start);
    if (!Cells.empty()) doc_.lines.push_back(Cells);
    doc_.lines.push_back(L"   </TR>");
}

void TztHTMLWriter::WriteCaptionRow(const TztValues& Captions) {
    WriteTableOpening(true);
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    const std::wstring row = WriteRow(Captions, true, rowNumbers);
    AddRow(rowNumbers ? L"    <TD>&nbsp;</TD>" : L"", row);
}

void TztHTMLWriter::WriteHeaderRule() {
    // Without a caption row the table opens here.
    if (!doc_.Has(xoShowHeader)) WriteTableOpening(false);
}

void TztHTMLWriter::WriteDataRow(const TztValues& Values) {
    // Odd rows by the source's row index, not by the rows written.
    const bool odd = doc_.Settings().html->Options().Contains(hoOddRowColoring) && doc_.Counters().currentRow % 2 == 1;
    const std::wstring start = odd ? L"   <TR BGCOLOR=\"" + Color(8) + L"\">" : L"   <TR>";
    AddRow(start, WriteRow(Values, false, doc_.Has(xoRowNumbers)));
}

void TztHTMLWriter::WriteTableEnd() {
    doc_.lines.push_back(L"  </FONT>");
    doc_.lines.push_back(L"  </TABLE>");
}

std::wstring TztHTMLWriter::Cells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    auto addLine = [&row](const std::wstring& line) {
        if (!row.empty()) row += L"\r\n";
        row += line;
    };
    if (RowNumbers && !IsHeader) addLine(L"    <TD ALIGN=\"Right\">" + Escape(doc_.NextRowNumberText()) + L"</TD>");
    const TztExportHTMLOptionSet options = doc_.Settings().html->Options();
    const fw::TStrings* widths = doc_.Settings().columnWidths;
    const std::wstring headerColor = IsHeader ? Color(6) : std::wstring();
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!doc_.Exported(col)) continue;
        const std::wstring align = doc_.Has(xoUseAlignments) ? AlignAttribute(doc_.Alignment(int(col))) : L"";
        const TztVariant& value = Values[col];
        const std::wstring cell = doc_.CellText(value, doc_.ColumnWidth(col));
        std::wstring text;
        if (!value.IsNull() && options.Contains(hoAutoLink) && ztIsLink(value.AsString()))
            text = L"<A HREF=\"" + Escape(value.AsString()) + L"\">" + Escape(cell) + L"</A>";
        else text = Escape(cell);
        if (text.empty()) text = L"&nbsp;";
        std::wstring width;
        if (int(col) < widths->Count()) width = L" WIDTH=\"" + Escape(widths->Strings(int(col))) + L"\"";
        if (!IsHeader) addLine(L"    <TD" + align + width + L"><small>" + text + L"</small></TD>");
        else if (options.Contains(hoBoldHeaders))
            addLine(L"    <TD" + align + width + L"><B><FONT COLOR=\"" + headerColor + L"\"><small>" + text +
                    L"</small></FONT></B></TD>");
        else
            addLine(L"    <TD" + align + width + L"><FONT COLOR=\"" + headerColor + L"\"><small>" + text +
                    L"</small></FONT></TD>");
    }
    return row;
}

void TztHTMLWriter::Finish(const std::wstring& FileName) {
    doc_.lines.push_back(L" </FONT>");
    doc_.lines.push_back(L" </BODY>");
    doc_.lines.push_back(L"</HTML>");
    // The head names the character set the file is written in; the line is
    // ASCII, so it does not change which set that is.
    doc_.lines[metaLine_] = MetaLine(ztHTMLCharsetName(ztAnsiCodePage()));
    if (doc_.SaveAscii(FileName)) return;
    std::string bytes;
    if (!ztTryAnsi(doc_.JoinedLines(), bytes)) {
        doc_.lines[metaLine_] = MetaLine(L"utf-8");
        bytes = ztDocumentBytes(doc_.JoinedLines(), true);
    }
    ztWriteFile(FileName, bytes);
}

}  // namespace zt
