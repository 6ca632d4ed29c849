#include "export/HTMLWriter.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "export/ResourceTexts.h"
#include "export/TextRoutines.h"

namespace zt {

namespace {

// Texts placed in the document are escaped, so any cell reads back as itself.
void AppendEscaped(std::wstring& Out, const std::wstring& Text) {
    bool plain = true;
    for (const wchar_t c : Text) plain = plain && c != L'&' && c != L'<' && c != L'>' && c != L'"';
    if (plain) {
        Out += Text;
        return;
    }
    for (const wchar_t c : Text) {
        switch (c) {
        case L'&': Out += L"&amp;"; break;
        case L'<': Out += L"&lt;"; break;
        case L'>': Out += L"&gt;"; break;
        case L'"': Out += L"&quot;"; break;
        default: Out += c;
        }
    }
}

std::wstring Escape(const std::wstring& Text) {
    std::wstring out;
    out.reserve(Text.size());
    AppendEscaped(out, Text);
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
    // A scheme is its name and a colon: only the text before each colon is compared.
    static const std::wstring_view kSchemes[] = {L"http", L"https", L"ftp", L"news", L"nntp", L"mailto"};
    const std::wstring_view text(Text);
    for (size_t colon = text.find(L':'); colon != std::wstring_view::npos; colon = text.find(L':', colon + 1)) {
        const std::wstring_view before = text.substr(0, colon);
        for (const std::wstring_view scheme : kSchemes)
            if (before.size() >= scheme.size() && before.substr(before.size() - scheme.size()) == scheme) return true;
    }
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

TztHTMLWriter::TztHTMLWriter(TztExportDocument& Document) : TztFormatWriter(Document) {
    for (int kind = 0; kind < 10; ++kind) colors_[kind] = ztHTMLColor(*doc_.Settings().html, kind);
    const fw::TStrings* widths = doc_.Settings().columnWidths;
    for (int col = 0; widths && col < widths->Count(); ++col)
        widths_.push_back(L" WIDTH=\"" + Escape(widths->Strings(col)) + L"\"");
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

void TztHTMLWriter::AddRow(const std::wstring& Start, const TztValues& Values, bool IsHeader) {
    // The row's start, its cells (one line each, when there are any) and its end.
    std::wstring& line = doc_.NewLine();
    if (!Start.empty()) {
        line += Start;
        line += L"\r\n";
    }
    const size_t mark = line.size();
    AppendRow(line, Values, IsHeader, doc_.Has(xoRowNumbers));
    if (line.size() != mark) line += L"\r\n";
    line += L"   </TR>";
}

void TztHTMLWriter::WriteCaptionRow(const TztValues& Captions) {
    WriteTableOpening(true);
    AddRow(doc_.Has(xoRowNumbers) ? L"    <TD>&nbsp;</TD>" : L"", Captions, true);
}

void TztHTMLWriter::WriteHeaderRule() {
    // Without a caption row the table opens here.
    if (!doc_.Has(xoShowHeader)) WriteTableOpening(false);
}

void TztHTMLWriter::WriteDataRow(const TztValues& Values) {
    // Odd rows by the source's row index, not by the rows written.
    const bool odd = doc_.Settings().html->Options().Contains(hoOddRowColoring) && doc_.Counters().currentRow % 2 == 1;
    static const std::wstring kPlainStart = L"   <TR>";
    if (odd && oddStart_.empty()) oddStart_ = L"   <TR BGCOLOR=\"" + Color(8) + L"\">";
    AddRow(odd ? oddStart_ : kPlainStart, Values, false);
}

void TztHTMLWriter::WriteTableEnd() {
    doc_.lines.push_back(L"  </FONT>");
    doc_.lines.push_back(L"  </TABLE>");
}

void TztHTMLWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    bool first = true;
    auto newLine = [&] {
        if (!first) Out += L"\r\n";
        first = false;
    };
    if (RowNumbers && !IsHeader) {
        newLine();
        Out += L"    <TD ALIGN=\"Right\">";
        AppendEscaped(Out, doc_.WriteRowNumberCell().text);
        Out += L"</TD>";
    }
    const TztExportHTMLOptionSet options = doc_.Settings().html->Options();
    const bool aligned = doc_.Has(xoUseAlignments), links = options.Contains(hoAutoLink);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        newLine();
        if (!IsHeader) {
            // A data cell's opening is the same in every row: made once per column.
            if (cellStarts_.size() <= col) cellStarts_.resize(col + 1);
            std::wstring& start = cellStarts_[col];
            if (start.empty()) {
                start = L"    <TD";
                if (aligned) start += AlignAttribute(c.alignment);
                if (col < widths_.size()) start += widths_[col];
                start += L"><small>";
            }
            Out += start;
        } else {
            Out += L"    <TD";
            if (aligned) Out += AlignAttribute(c.alignment);
            if (col < widths_.size()) Out += widths_[col];
            if (options.Contains(hoBoldHeaders)) Out += L"><B><FONT COLOR=\"" + Color(6) + L"\"><small>";
            else Out += L"><FONT COLOR=\"" + Color(6) + L"\"><small>";
        }
        const TztVariant& value = Values[col];
        const std::wstring& text = doc_.CellText(value, c.width, cell_);
        const std::wstring& full = value.IsText() ? value.TextRef() : (link_ = value.AsString());
        if (!value.IsNull() && links && ztIsLink(full)) {
            Out += L"<A HREF=\"";
            AppendEscaped(Out, full);
            Out += L"\">";
            AppendEscaped(Out, text);
            Out += L"</A>";
        } else if (text.empty()) {
            Out += L"&nbsp;";
        } else {
            AppendEscaped(Out, text);
        }
        if (!IsHeader) Out += L"</small></TD>";
        else if (options.Contains(hoBoldHeaders)) Out += L"</small></FONT></B></TD>";
        else Out += L"</small></FONT></TD>";
    }
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
