// The RTF (and word-processor) format of the document writer: written piece by
// piece into the component's output stream, saved at the end.
#include <windows.h>

#include <cmath>
#include <cstdio>

#include "export/CustomExport.h"
#include "export/CustomExportDocument.h"
#include "export/ExportText.h"
#include "export/ExportTexts.h"
#include "framework/Handles.h"

namespace {

// A text as RTF: the control characters \ { } escaped, line breaks as \line,
// the second and further blanks of a run as \'20,
// every character outside ASCII as \'hh (its code-page bytes) when the code page
// holds it exactly, else as a grouped \uN? (the group ends the fallback "?").
std::wstring RtfEscape(const std::wstring& Text) {
    std::wstring out;
    out.reserve(Text.size());
    std::string bytes;
    wchar_t buffer[16];
    for (size_t i = 0; i < Text.size(); ++i) {
        const wchar_t c = Text[i];
        if (c == L'\\' || c == L'{' || c == L'}') {
            out += L'\\';
            out += c;
        } else if (c == L'\t') {
            out += L"\\tab ";
        } else if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
            out += L"\\line ";
        } else if (c == L' ' && i > 0 && Text[i - 1] == L' ') {
            // A run of blanks: some readers fold literal ones, none folds this.
            out += L"\\'20";
        } else if (c < 0x80) {
            out += c;
        } else if (!IS_SURROGATE_PAIR(c, i + 1 < Text.size() ? Text[i + 1] : 0) &&
                   ztTryAnsi(std::wstring(1, c), bytes)) {
            for (unsigned char b : bytes) {
                swprintf(buffer, 16, L"\\'%02x", unsigned(b));
                out += buffer;
            }
        } else {
            swprintf(buffer, 16, L"{\\u%d?}", int(int16_t(c)));
            out += buffer;
        }
    }
    return out;
}

}  // namespace

void TztCustomExport::WriteStream(const std::wstring& Text) {
    const std::string bytes = ztToAnsi(Text);
    if (!bytes.empty()) outputStream_->WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

fw::TColor TztCustomExport::GetRTFColor(int Kind) const {
    const TztRTFColorTemplate tmpl = docRtf_->Template();
    if (tmpl == rtCustom) {
        const TztRTFColors* s = docRtf_->CustomSettings();
        switch (Kind) {
        case 0: return s->DefaultFont()->Color();
        case 1: return s->HeaderFont()->Color();
        case 2: return s->TableFont()->Color();
        case 3: return s->TableBackground();
        case 4: return s->HeaderBackground();
        case 5: return s->TableOddBackground();
        default: return 0;
        }
    }
    // The templates' font colours but the header's are black.
    static constexpr int kSlot[] = {-1, 0, -1, 1, 2, 3};
    if (Kind < 0 || Kind > 5 || kSlot[Kind] < 0) return 0;
    return fw::TColor(ztColorTextValue(ztResourceText(SztRTFColorFirst + unsigned(tmpl) * 4 + unsigned(kSlot[Kind]))));
}

std::wstring TztCustomExport::WriteRTFColor(int Kind) const {
    // The bytes as stored: a system colour is not looked up.
    const unsigned v = unsigned(GetRTFColor(Kind));
    wchar_t buffer[64];
    swprintf(buffer, 64, L"\\red%u\\green%u\\blue%u;", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    return buffer;
}

std::wstring TztCustomExport::WriteRTFFontTable(int Index, fw::TFont* Font) const {
    TEXTMETRICW tm{};
    if (fw::WindowDC screen(nullptr); screen) {
        fw::SelectObjectGuard font(screen.get(), Font->Handle());
        GetTextMetricsW(screen.get(), &tm);
    }
    const wchar_t* family = L"froman";
    switch (tm.tmPitchAndFamily & 0xF0) {
    case FF_DONTCARE: family = L"fdontcare"; break;
    case FF_SWISS: family = L"fswiss"; break;
    case FF_MODERN: family = L"fmodern"; break;
    case FF_SCRIPT: family = L"fscript"; break;
    case FF_DECORATIVE: family = L"fdecorative"; break;
    default: break;
    }
    const unsigned cs = tm.tmCharSet;
    const std::wstring charset =
        (cs == 0 || cs == 2 || cs == 128 || cs == 255) ? L"fcharset" + std::to_wstring(cs) : std::wstring(L"fcharset1");
    return L"{\\f" + std::to_wstring(Index) + L"\\" + family + L"\\" + charset + L" " + RtfEscape(Font->Name()) + L";}";
}

std::wstring TztCustomExport::GetRTFFontStyle(fw::TFont* Font) {
    std::wstring style = L"\\fs" + std::to_wstring(Font->Size() * 2);
    const fw::TFontStyles s = Font->Style();
    if (s & fw::fsBold) style += L"\\b";
    if (s & fw::fsItalic) style += L"\\i";
    if (s & fw::fsUnderline) style += L"\\ul";
    if (s & fw::fsStrikeOut) style += L"\\strike";
    return style;
}

void TztCustomExport::WriteRTFHead() {
    outputStream_->Clear();
    const TztRTFColors* s = docRtf_->CustomSettings();
    std::wstring head = L"{\\rtf1\\ansi";
    // The \'hh escapes are bytes of this code page (1252 is what \ansi means).
    if (ztAnsiCodePage() != 1252) head += L"\\ansicpg" + std::to_wstring(ztAnsiCodePage());
    head += L"\\deff0\\deftab720\r\n{\\fonttbl";
    head += WriteRTFFontTable(0, s->DefaultFont());
    head += WriteRTFFontTable(1, s->HeaderFont());
    head += WriteRTFFontTable(2, s->TableFont());
    head += L"}\r\n{\\colortbl";
    for (int kind : {0, 1, 2, 4, 3, 5}) head += WriteRTFColor(kind);
    head += L"}\r\n";
    head += L"\\margl" + std::to_wstring(docRtf_->LeftMargin()) + L"\\margr" + std::to_wstring(docRtf_->RightMargin()) +
            L"\\margt" + std::to_wstring(docRtf_->TopMargin()) + L"\\margb" + std::to_wstring(docRtf_->BottomMargin());
    WriteStream(head);
}

void TztCustomExport::WriteRTFParagraphs(const std::vector<std::wstring>& Lines) {
    const std::wstring style = GetRTFFontStyle(docRtf_->CustomSettings()->DefaultFont());
    for (const std::wstring& line : Lines)
        WriteStream(L"\\par \\pard\\plain\\f0" + style + L"\\cf0 " + RtfEscape(line) + L"\r\n");
}

void TztCustomExport::WriteRTFHeadRest() {
    WriteStream(
        L"\\par \\pard\\plain\\cgrid\r\n"
        L"{\\stylesheet{\\nowidctlpar\\widctlpar\\adjustright \\fs20\\cgrid \\snext0 Normal;}\r\n"
        L"{\\*\\cs10 \\additive Default Paragraph Font;}}\r\n"
        L"{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang{\\pntxta.}}\r\n"
        L"{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}\r\n"
        L"{\\*\\pnseclvl3\\pndec\\pnstart1\\pnindent720\\pnhang{\\pntxta.}}\r\n"
        L"{\\*\\pnseclvl4\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxta)}}\r\n"
        L"{\\*\\pnseclvl5\\pndec\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta)}}\r\n"
        L"{\\*\\pnseclvl6\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}\r\n"
        L"{\\*\\pnseclvl7\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta)}}\r\n"
        L"{\\*\\pnseclvl8\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta)}}\r\n"
        L"{\\*\\pnseclvl9\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}\r\n");
}

std::wstring TztCustomExport::RTFRowStart(bool IsHeader) const {
    // One cell definition per cell the row holds.
    int cells = 0;
    for (bool exported : doc_->exported) cells += exported ? 1 : 0;
    if (options_.Contains(xoRowNumbers)) ++cells;
    const bool grid = docRtf_->Options().Contains(roShowGridLines);
    const wchar_t* shading = IsHeader                                                                  ? L" \\clcbpat3"
                             : (docRtf_->Options().Contains(roOddRowColoring) && currentRow_ % 2 == 1) ? L" \\clcbpat5"
                                                                                                       : L" \\clcbpat4";
    const double ppi = fw::ScreenPixelsPerInch();
    std::wstring row = L"\\trowd\\trgaph108\\trrh260\\trleft0";
    for (int i = 0; i < cells; ++i) {
        row += L"\\clvertalc";
        if (grid)
            row +=
                L"\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                L"\\clbrdrr\\brdrs\\brdrw10";
        row += shading;
        // Rounded to the nearest, a half to the even one.
        const double edge = std::nearbyint((i + 1) * 100.0 / ppi * docRtf_->CellWidth());
        row += L"\\cltxlrtb\\cellx" + std::to_wstring(static_cast<long long>(edge));
    }
    row += L"\\pard\\ri-123\\nowidctlpar\\widctlpar\\intbl\\adjustright";
    const TztRTFColors* s = docRtf_->CustomSettings();
    if (IsHeader) row += L" {\\f1" + GetRTFFontStyle(s->HeaderFont()) + L"\\cf1\\cgrid0 ";
    else row += L" {\\f2" + GetRTFFontStyle(s->TableFont()) + L"\\cf2\\cgrid0 ";
    return row;
}

std::wstring TztCustomExport::RTFRowEnd() const {
    return L"}\\pard \\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row}\r\n";
}

std::wstring TztCustomExport::WriteRTFCells(const TztValues& Values, bool IsHeader, bool RowNumbers) {
    std::wstring row;
    if (RowNumbers && !IsHeader) row += RtfEscape(RowNumberText(exportedCount_ + 1)) + L"\\cell ";
    for (size_t col = 0; col < Values.size(); ++col) {
        if (!IsColumnWritten(int(col))) continue;
        std::wstring align;
        if (options_.Contains(xoUseAlignments)) {
            switch (ColumnAlignment(int(col))) {
            case 1: align = L"\\ql "; break;
            case 2: align = L"\\qr "; break;
            case 3: align = L"\\qc "; break;
            default: break;
            }
        }
        row += align + RtfEscape(CellText(Values[col], GetColumnWidth(int(col)))) + L"\\cell ";
    }
    return row;
}
