// The HTML format of the document writer.
#include <cstdio>

#include "export/CustomExport.h"
#include "export/CustomExportDocument.h"
#include "export/ExportTexts.h"

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

}  // namespace

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

std::wstring ztHTMLMetaLine(const std::wstring& Charset) {
    return L"  <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=" + Charset + L"\">";
}

std::wstring TztCustomExport::GetHTMLColor(int Kind) const {
    const TztHTMLColorTemplate tmpl = html_->Template();
    if (tmpl == ctCustom) {
        const TztHTMLColors* c = html_->CustomColors();
        fw::TColor color = 0;
        switch (Kind) {
        case 0: color = c->ActiveLink(); break;
        case 1: color = c->Background(); break;
        case 2: color = c->DefaultLink(); break;
        case 3: color = c->DefaultText(); break;
        case 4: color = c->VisitedLink(); break;
        case 5: color = c->HeaderBackground(); break;
        case 6: color = c->HeadersFontColor(); break;
        case 7: color = c->TableBackground(); break;
        case 8: color = c->TableOddBackground(); break;
        case 9: color = c->TableFontColor(); break;
        default: break;
        }
        // A colour value keeps red in its low byte: written red first.
        const unsigned v = unsigned(color);
        return Hex6(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
    }
    if (Kind < 0 || Kind > 9) return Hex6(0);
    // The template texts are written as they read.
    return Hex6(ztColorTextValue(ztResourceText(SztHTMLColorFirst + unsigned(tmpl) * 10 + unsigned(Kind))) & 0xFFFFFF);
}

std::wstring TztCustomExport::GetHTMLFontFace(int Kind) const {
    if (html_->Template() == ctCustom)
        return Kind == 0 ? html_->CustomColors()->DefaultFontFace() : html_->CustomColors()->TableFontFace();
    return ztResourceText(SztDefaultFontFace);
}

bool TztCustomExport::IsLink(const std::wstring& Text) {
    for (const wchar_t* scheme : {L"http:", L"https:", L"ftp:", L"news:", L"nntp:", L"mailto:"})
        if (Text.find(scheme) != std::wstring::npos) return true;
    return false;
}

void TztCustomExport::WriteHTMLHead() {
    auto& lines = doc_->lines;
    lines.push_back(L"<!-- THIS FILE WAS CREATED BY ZETTEL'S EXPORT COMPONENTS -->");
    lines.push_back(L"<!-- DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 TRANSITIONAL//EN\" -->");
    lines.push_back(L"<HTML>");
    lines.push_back(L" <HEAD>");
    doc_->metaLine = lines.size();
    lines.push_back(ztHTMLMetaLine(L"utf-8"));
    lines.push_back(L"  <META NAME = \"GENERATOR\" CONTENT = \"Zettel's Export Components " + Version() + L"\">");
    lines.push_back(L"  <META NAME = \"Author\" CONTENT = \"Dovrelanz\" >");
    lines.push_back(L"  <META NAME = \"Description\" CONTENT = \"https://dovrelanz.example/\">");
    if (html_->Options().Contains(hoDisplayTitle)) lines.push_back(L"  <TITLE>" + Escape(html_->Title()) + L"</TITLE>");
    lines.push_back(L" </HEAD>");
    lines.push_back(L" <BODY BGCOLOR=\"" + GetHTMLColor(1) + L"\" LINK=\"" + GetHTMLColor(2) + L"\" ALINK=\"" +
                    GetHTMLColor(0) + L"\" VLINK=\"" + GetHTMLColor(4) + L"\" TEXT=\"" + GetHTMLColor(3) + L"\">");
    lines.push_back(L" <FONT COLOR=\"" + GetHTMLColor(3) + L"\" FACE=\"" + Escape(GetHTMLFontFace(0)) + L"\">");
}

void TztCustomExport::WriteHTMLTableOpening(bool WithCaptionRow) {
    auto& lines = doc_->lines;
    const bool grid = html_->Options().Contains(hoShowGridLines);
    lines.push_back(std::wstring(L"  <TABLE WIDTH=\"100%\" CELLPADDING=\"4\" CELLSPACING=\"0\"") +
                    (grid ? L" BORDER=\"1\"" : L"") + L" BGCOLOR=\"" + GetHTMLColor(7) + L"\">");
    std::wstring font = L"  <FONT COLOR=\"" + GetHTMLColor(9) + L"\" FACE=\"" + Escape(GetHTMLFontFace(1)) + L"\">";
    if (WithCaptionRow) font += L"\r\n   <TR BGCOLOR=\"" + GetHTMLColor(5) + L"\">";
    lines.push_back(font);
}

std::wstring TztCustomExport::HTMLRowStart(bool IsHeader) const {
    if (!IsHeader && html_->Options().Contains(hoOddRowColoring) && (currentRow_ % 2) == 1)
        return L"   <TR BGCOLOR=\"" + GetHTMLColor(8) + L"\">";
    return L"   <TR>";
}

std::wstring TztCustomExport::WriteHTMLCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    auto addLine = [&row](const std::wstring& line) {
        if (!row.empty()) row += L"\r\n";
        row += line;
    };
    if (RowNumbers && !IsHeader)
        addLine(L"    <TD ALIGN=\"Right\">" + Escape(RowNumberText(exportedCount_ + 1)) + L"</TD>");
    const bool bold = html_->Options().Contains(hoBoldHeaders);
    const bool autoLink = html_->Options().Contains(hoAutoLink);
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        std::wstring align;
        if (options_.Contains(xoUseAlignments)) {
            switch (ColumnAlignment(int(col))) {
            case 1: align = L" ALIGN=\"Left\" "; break;
            case 2: align = L" ALIGN=\"Right\" "; break;
            case 3: align = L" ALIGN=\"Center\" "; break;
            default: break;
            }
        }
        const TztVariant& value = Values[col];
        const std::wstring cell = CellText(value, GetColumnWidth(int(col)));
        std::wstring text;
        if (!value.IsNull() && autoLink && IsLink(value.AsString()))
            text = L"<A HREF=\"" + Escape(value.AsString()) + L"\">" + Escape(cell) + L"</A>";
        else text = Escape(cell);
        if (text.empty()) text = L"&nbsp;";
        std::wstring width;
        if (int(col) < columnWidths_->Count()) width = L" WIDTH=\"" + Escape(columnWidths_->Strings(int(col))) + L"\"";
        if (IsHeader) {
            const std::wstring color = GetHTMLColor(6);
            if (bold)
                addLine(L"    <TD" + align + width + L"><B><FONT COLOR=\"" + color + L"\"><small>" + text +
                        L"</small></FONT></B></TD>");
            else
                addLine(L"    <TD" + align + width + L"><FONT COLOR=\"" + color + L"\"><small>" + text +
                        L"</small></FONT></TD>");
        } else {
            addLine(L"    <TD" + align + width + L"><small>" + text + L"</small></TD>");
        }
    }
    return row;
}

void TztCustomExport::WriteHTMLTail(const std::wstring& FileName) {
    doc_->lines.push_back(L" </FONT>");
    doc_->lines.push_back(L" </BODY>");
    doc_->lines.push_back(L"</HTML>");
    SaveLines(FileName, true);
}
