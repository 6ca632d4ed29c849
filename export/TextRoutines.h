#pragma once
// Text routines of the document writer: padding, centring, truncation, CSV
// quoting, and the character-set rules by which a document becomes bytes.
#include <cstdint>
#include <string>

namespace zt {

// The number of characters (code points) in S: a surrogate pair counts once.
// Widths of the padded text are counted in these.
int CharCount(const std::wstring& S);
// S with each tab, CR, LF or CR LF as one blank, for the formats whose cells
// cannot hold them (padded text, TAB, DIF, SYLK).
std::wstring SingleLine(std::wstring S);
// S preceded (PadLeft) or followed (PadRight) by as many Ch as make it Width
// long; S unchanged when it is already as long.
std::wstring PadLeft(const std::wstring& S, wchar_t Ch, int Width);
std::wstring PadRight(const std::wstring& S, wchar_t Ch, int Width);
// S centred in Width blanks; S unchanged when it is not shorter than Width.
std::wstring Centre(const std::wstring& S, int Width);
// Appends S to Out padded to Width characters as Alignment says: 2 on the
// left (PadLeft), 3 centred (Centre), any other on the right (PadRight).
void AppendAligned(std::wstring& Out, const std::wstring& S, int Width, int Alignment);
// The same for an S whose width in characters (Length) is known.
void AppendAligned(std::wstring& Out, const std::wstring& S, int Length, int Width, int Alignment);
// Count copies of Ch; empty for Count <= 0.
std::wstring RepeatChar(wchar_t Ch, int Count);
// S cut to Width characters with Symbol at its end, when S is longer than Width.
// The symbol alone is the result when Width leaves no room for any of S.
std::wstring TruncateText(const std::wstring& S, int Width, const std::wstring& Symbol);
// A CSV field (RFC 4180): inner double quotes doubled; the whole enclosed in
// double quotes when Force is set or S holds a blank, comma, quote, CR or LF.
std::wstring CsvQuote(const std::wstring& S, bool Force);
// The same, appended to Out.
void AppendCsv(std::wstring& Out, const std::wstring& S, bool Force);
// S itself when it holds no tab or line break, else its SingleLine form in Scratch.
const std::wstring& SingleLineRef(const std::wstring& S, std::wstring& Scratch);
// Appends Value in decimal (no allocation, unlike to_wstring).
void AppendDecimal(std::wstring& Out, uint64_t Value);
// Whether S holds no control character (tab, line break, ...) and no surrogate:
// then it is a single line whose width in characters is its length.
bool PlainCell(const std::wstring& S);
// Appends Text (Length characters) to Out as bytes when it is plain ASCII, which
// every ANSI code page holds as it is; false (Out unchanged) otherwise.
bool AsciiInto(const wchar_t* Text, size_t Length, std::string& Out);

// The system's ANSI code page.
unsigned ztAnsiCodePage();
// Text in the ANSI code page, when every character has an exact form there
// (no best-fit substitutes); false otherwise.
bool ztTryAnsi(const std::wstring& Text, std::string& Out);
// Text in the ANSI code page; a character without an exact form becomes "?".
std::string ztToAnsi(const std::wstring& Text);
// Text in UTF-8 (without a byte-order mark).
std::string ztToUtf8(const std::wstring& Text);
// The bytes of a document: the ANSI code page when exact, else (with
// Utf8Fallback) UTF-8 behind a byte-order mark, else the code page with "?".
// Utf8 tells which form was chosen.
std::string ztDocumentBytes(const std::wstring& Text, bool Utf8Fallback, bool* Utf8 = nullptr);

}  // namespace zt
