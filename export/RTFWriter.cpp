#include "export/RTFWriter.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "export/ResourceTexts.h"
#include "export/TextRoutines.h"
#include "framework/Exception.h"
#include "framework/Handles.h"

namespace zt {

namespace {

// A text as RTF: the control characters \ { } escaped, line breaks as \line,
// the second and further blanks of a run as \'20, every character outside
// ASCII as a grouped \uN? (the group ends the fallback "?"); with CodePageBytes
// one the code page holds exactly as \'hh, its code-page bytes.
void AppendRtf(std::wstring& Out, const std::wstring& Text, bool CodePageBytes) {
    // Most texts are printable ASCII without a control character or a second
    // blank in a row: they go as they are.
    unsigned odd = 0;
    wchar_t previous = 0;
    for (const wchar_t c : Text) {
        odd |= unsigned(c < 0x20) | unsigned(c >= 0x80) | unsigned(c == L'\\') | unsigned(c == L'{') |
               unsigned(c == L'}') | unsigned(c == L' ' && previous == L' ');
        previous = c;
    }
    if (odd == 0) {
        Out += Text;
        return;
    }
    std::string bytes;
    wchar_t buffer[16];
    for (size_t i = 0; i < Text.size(); ++i) {
        const wchar_t c = Text[i];
        if (c == L'\\' || c == L'{' || c == L'}') {
            Out += L'\\';
            Out += c;
        } else if (c == L'\t') {
            Out += L"\\tab ";
        } else if (c == L'\r' || c == L'\n') {
            if (c == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
            Out += L"\\line ";
        } else if (c == L' ' && i > 0 && Text[i - 1] == L' ') {
            // A run of blanks: some readers fold literal ones, none folds this.
            Out += L"\\'20";
        } else if (c < 0x80) {
            Out += c;
        } else if (CodePageBytes && !IS_SURROGATE_PAIR(c, i + 1 < Text.size() ? Text[i + 1] : 0) &&
                   ztTryAnsi(std::wstring(1, c), bytes)) {
            for (unsigned char b : bytes) {
                swprintf(buffer, 16, L"\\'%02x", unsigned(b));
                Out += buffer;
            }
        } else {
            swprintf(buffer, 16, L"{\\u%d?}", int(int16_t(c)));
            Out += buffer;
        }
    }
}

std::wstring RtfEscape(const std::wstring& Text, bool CodePageBytes) {
    std::wstring out;
    out.reserve(Text.size());
    AppendRtf(out, Text, CodePageBytes);
    return out;
}

// A font's family and character set words, from its text metrics on the screen.
struct FontWords {
    const wchar_t* family = L"froman";
    unsigned charset = 1;
};

FontWords FontWordsOf(fw::TFont* Font) {
    TEXTMETRICW tm{};
    if (fw::WindowDC screen(nullptr); screen) {
        fw::SelectObjectGuard font(screen.get(), Font->Handle());
        GetTextMetricsW(screen.get(), &tm);
    }
    FontWords words;
    switch (tm.tmPitchAndFamily & 0xF0) {
    case FF_DONTCARE: words.family = L"fdontcare"; break;
    case FF_SWISS: words.family = L"fswiss"; break;
    case FF_MODERN: words.family = L"fmodern"; break;
    case FF_SCRIPT: words.family = L"fscript"; break;
    case FF_DECORATIVE: words.family = L"fdecorative"; break;
    default: break;
    }
    const unsigned cs = tm.tmCharSet;
    words.charset = (cs == 0 || cs == 2 || cs == 128 || cs == 255) ? cs : 1;
    return words;
}

// Whether code-page bytes (\'hh) in a font of this character set read back as
// the characters written: readers take them in the font's character set, which
// must then be the code page's own. Elsewhere only \uN reads back the same.
bool CodePageBytesFit(unsigned Charset) {
    const unsigned codePage = ztAnsiCodePage();
    return (Charset == ANSI_CHARSET && codePage == 1252) || (Charset == SHIFTJIS_CHARSET && codePage == 932);
}

std::wstring FontEntry(int Index, const std::wstring& Name, const FontWords& Words) {
    return L"{\\f" + std::to_wstring(Index) + L"\\" + Words.family + L"\\fcharset" + std::to_wstring(Words.charset) +
           L" " + RtfEscape(Name, CodePageBytesFit(Words.charset)) + L";}";
}

const wchar_t* AlignWord(int Alignment) {
    switch (Alignment) {
    case 1: return L"\\ql ";
    case 2: return L"\\qr ";
    case 3: return L"\\qc ";
    default: return L"";
    }
}

const wchar_t kHeadRest[] =
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
    L"{\\*\\pnseclvl9\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}\r\n";

const char kRowEnd[] = "}\\pard \\nowidctlpar\\widctlpar\\intbl\\adjustright {\\row}\r\n";

}  // namespace

fw::TColor ztRTFColor(const TztRTFOptions& Options, int Kind) {
    const TztRTFColorTemplate tmpl = Options.Template();
    if (tmpl == rtCustom) {
        const TztRTFColors* s = Options.CustomSettings();
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

std::wstring ztRTFColorEntry(const TztRTFOptions& Options, int Kind) {
    // The bytes as stored: a system colour is not looked up.
    const unsigned v = unsigned(ztRTFColor(Options, Kind));
    wchar_t buffer[64];
    swprintf(buffer, 64, L"\\red%u\\green%u\\blue%u;", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    return buffer;
}

std::wstring ztRTFFontEntry(int Index, fw::TFont* Font) {
    return FontEntry(Index, Font->Name(), FontWordsOf(Font));
}

std::wstring ztRTFFontStyle(fw::TFont* Font) {
    std::wstring style = L"\\fs" + std::to_wstring(Font->Size() * 2);
    const fw::TFontStyles s = Font->Style();
    if (s & fw::fsBold) style += L"\\b";
    if (s & fw::fsItalic) style += L"\\i";
    if (s & fw::fsUnderline) style += L"\\ul";
    if (s & fw::fsStrikeOut) style += L"\\strike";
    return style;
}

void TztRTFWriter::WriteBytes(std::string_view Bytes) {
    piece_.append(Bytes);
    if (piece_.size() >= kPiece) Flush();
}

void TztRTFWriter::WriteStream(std::wstring_view Text) {
    // What the writer forms is ASCII throughout: the bytes are the characters.
    if (!AsciiInto(Text.data(), Text.size(), piece_)) piece_ += ztToAnsi(std::wstring(Text));
    if (piece_.size() >= kPiece) Flush();
}

void TztRTFWriter::Flush() {
    fw::TMemoryStream& stream = *doc_.Settings().outputStream;
    if (!reserved_) {
        // The rows so far foretell the document's size: the stream gets room for
        // it at once, and is not copied again and again as it grows. Only a hint:
        // without that much memory at once it grows as it can.
        reserved_ = true;
        const TztRowCounters& c = doc_.Counters();
        if (c.currentRow > 0 && c.recordCount > c.currentRow) {
            const double written = double(stream.Size()) + double(piece_.size());
            try {
                stream.Reserve(int64_t(written * c.recordCount / c.currentRow * 1.1) + (1 << 16));
            } catch (const fw::EOutOfMemory&) {}
        }
    }
    stream.WriteBuffer(piece_.data(), int64_t(piece_.size()));
    piece_.clear();
}

void TztRTFWriter::WriteHead() {
    doc_.Settings().outputStream->Clear();
    piece_.reserve(kPiece + (1 << 16));
    const TztRTFColors* s = Options().CustomSettings();
    std::wstring head = L"{\\rtf1\\ansi";
    // The code page of the \'hh escapes (1252 is what \ansi means).
    if (ztAnsiCodePage() != 1252) head += L"\\ansicpg" + std::to_wstring(ztAnsiCodePage());
    head += L"\\deff0\\deftab720\r\n{\\fonttbl";
    fw::TFont* fonts[] = {s->DefaultFont(), s->HeaderFont(), s->TableFont()};
    for (int i = 0; i < 3; ++i) {
        const FontWords words = FontWordsOf(fonts[i]);
        codePageBytes_[i] = CodePageBytesFit(words.charset);
        head += FontEntry(i, fonts[i]->Name(), words);
    }
    head += L"}\r\n{\\colortbl";
    for (int kind : {0, 1, 2, 4, 3, 5}) head += ztRTFColorEntry(Options(), kind);
    head += L"}\r\n";
    head += L"\\margl" + std::to_wstring(Options().LeftMargin()) + L"\\margr" +
            std::to_wstring(Options().RightMargin()) + L"\\margt" + std::to_wstring(Options().TopMargin()) +
            L"\\margb" + std::to_wstring(Options().BottomMargin());
    WriteStream(head);
}

void TztRTFWriter::WriteParagraphs(const std::vector<std::wstring>& Lines) {
    const std::wstring style = ztRTFFontStyle(Options().CustomSettings()->DefaultFont());
    for (const std::wstring& line : Lines)
        WriteStream(L"\\par \\pard\\plain\\f0" + style + L"\\cf0 " + RtfEscape(line, codePageBytes_[0]) + L"\r\n");
}

void TztRTFWriter::WriteHeaderText() {
    WriteParagraphs(doc_.workLines);
    WriteStream(kHeadRest);
}

std::wstring TztRTFWriter::RowStart(bool IsHeader, bool Odd) const {
    // One cell definition per cell the row holds.
    const int cells = doc_.ExportedColumnCount() + (doc_.Has(xoRowNumbers) ? 1 : 0);
    const bool grid = Options().Options().Contains(roShowGridLines);
    const wchar_t* shading = IsHeader ? L" \\clcbpat3" : Odd ? L" \\clcbpat5" : L" \\clcbpat4";
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
        const double edge = std::nearbyint((i + 1) * 100.0 / ppi * Options().CellWidth());
        row += L"\\cltxlrtb\\cellx" + std::to_wstring(static_cast<long long>(edge));
    }
    row += L"\\pard\\ri-123\\nowidctlpar\\widctlpar\\intbl\\adjustright";
    const TztRTFColors* s = Options().CustomSettings();
    if (IsHeader) row += L" {\\f1" + ztRTFFontStyle(s->HeaderFont()) + L"\\cf1\\cgrid0 ";
    else row += L" {\\f2" + ztRTFFontStyle(s->TableFont()) + L"\\cf2\\cgrid0 ";
    return row;
}

void TztRTFWriter::WriteRow(const std::string& Start, const TztValues& Values, bool IsHeader) {
    // The row's cells are formed in a small text of their own, then go on as bytes.
    WriteBytes(Start);
    row_.clear();
    const bool rowNumbers = doc_.Has(xoRowNumbers);
    if (IsHeader && rowNumbers) row_ += L" \\cell ";
    AppendRow(row_, Values, IsHeader, rowNumbers);
    WriteStream(row_);
    WriteBytes(kRowEnd);
}

void TztRTFWriter::WriteCaptionRow(const TztValues& Captions) {
    WriteRow(ztToAnsi(RowStart(true, false)), Captions, true);
}

void TztRTFWriter::WriteDataRow(const TztValues& Values) {
    // The row's start is the same for every even, and for every odd, row: made once each.
    const bool odd = Options().Options().Contains(roOddRowColoring) && doc_.Counters().currentRow % 2 == 1;
    std::string& start = rowStarts_[odd ? 1 : 0];
    if (start.empty()) start = ztToAnsi(RowStart(false, odd));
    WriteRow(start, Values, false);
}

void TztRTFWriter::WriteTableEnd() {
    WriteStream(L"\\pard\\nowidctlpar\\widctlpar\\adjustright {\r\n");
}

void TztRTFWriter::WriteFooter() {
    // The footer text and the created line are paragraphs after the table.
    if (doc_.Has(xoShowExportDate)) doc_.workLines.push_back(doc_.CreatedLine());
    WriteParagraphs(doc_.workLines);
}

void TztRTFWriter::Finish(const std::wstring& FileName) {
    WriteStream(L"}}");
    Flush();
    doc_.Settings().outputStream->SaveToFile(FileName);
}

void TztRTFWriter::AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) {
    // The caption row is in font 1, the data rows in font 2.
    const bool codePageBytes = codePageBytes_[IsHeader ? 1 : 2];
    if (RowNumbers && !IsHeader) {
        AppendRtf(Out, doc_.WriteRowNumberCell().text, codePageBytes);
        Out += L"\\cell ";
    }
    const bool aligned = doc_.Has(xoUseAlignments);
    const size_t count = std::min(Values.size(), doc_.columns.size());
    for (size_t col = 0; col < count; ++col) {
        const TztExportDocument::Column& c = doc_.columns[col];
        if (!c.exported) continue;
        if (aligned) Out += AlignWord(c.alignment);
        const std::wstring& text = doc_.CellText(Values[col], c.width, cell_);
        // A cell that begins with a character beyond ASCII restates its colour
        // first: a reader that opens a cell at its first plain text or format
        // (unrtf) would otherwise put or lose that character outside the cell.
        if (!text.empty() && text[0] >= 0x80) Out += IsHeader ? L"\\cf1 " : L"\\cf2 ";
        AppendRtf(Out, text, codePageBytes);
        Out += L"\\cell ";
    }
}

}  // namespace zt
