#include "export/TextRoutines.h"

#include <emmintrin.h>
#include <cwchar>
#include <windows.h>

namespace zt {

int CharCount(const std::wstring& S) {
    int count = 0;
    for (size_t i = 0; i < S.size(); ++i) {
        if (IS_HIGH_SURROGATE(S[i]) && i + 1 < S.size() && IS_LOW_SURROGATE(S[i + 1])) ++i;
        ++count;
    }
    return count;
}

namespace {

// Whether S holds a tab or a line break. A plain loop: find_first_of asks the
// character set once per character, which a cell of every row cannot afford.
bool HasBreaks(const std::wstring& S) {
    for (const wchar_t c : S)
        if (c < 0x20 && (c == L'\t' || c == L'\r' || c == L'\n')) return true;
    return false;
}

}  // namespace

std::wstring SingleLine(std::wstring S) {
    if (!HasBreaks(S)) return S;
    size_t out = 0;
    for (size_t i = 0; i < S.size(); ++i) {
        const wchar_t c = S[i];
        if (c == L'\r' && i + 1 < S.size() && S[i + 1] == L'\n') ++i;  // CR LF is one break
        S[out++] = (c == L'\t' || c == L'\r' || c == L'\n') ? L' ' : c;
    }
    S.resize(out);
    return S;
}

std::wstring PadLeft(const std::wstring& S, wchar_t Ch, int Width) {
    const int length = CharCount(S);
    if (length >= Width) return S;
    return std::wstring(size_t(Width - length), Ch) + S;
}

std::wstring PadRight(const std::wstring& S, wchar_t Ch, int Width) {
    const int length = CharCount(S);
    if (length >= Width) return S;
    return S + std::wstring(size_t(Width - length), Ch);
}

std::wstring Centre(const std::wstring& S, int Width) {
    const int length = CharCount(S);
    if (length >= Width) return S;
    const int after = Width / 2 - length / 2;
    const int before = Width - length - after;
    return std::wstring(size_t(before), L' ') + S + std::wstring(size_t(after), L' ');
}

void AppendAligned(std::wstring& Out, const std::wstring& S, int Width, int Alignment) {
    AppendAligned(Out, S, CharCount(S), Width, Alignment);
}

void AppendAligned(std::wstring& Out, const std::wstring& S, int Length, int Width, int Alignment) {
    const int pad = Width > Length ? Width - Length : 0;
    int before = 0;
    if (Alignment == 2) before = pad;
    else if (Alignment == 3 && pad > 0) before = pad - (Width / 2 - Length / 2);
    // One change of size, the blanks written with it, the text copied between them.
    const size_t at = Out.size();
    Out.resize(at + size_t(pad) + S.size(), L' ');
    std::wmemcpy(Out.data() + at + size_t(before), S.data(), S.size());
}

std::wstring RepeatChar(wchar_t Ch, int Count) {
    return Count > 0 ? std::wstring(size_t(Count), Ch) : std::wstring();
}

std::wstring TruncateText(const std::wstring& S, int Width, const std::wstring& Symbol) {
    if (Width >= CharCount(S)) return S;
    // The first characters that leave room for the symbol, a surrogate pair kept whole.
    int keep = Width - CharCount(Symbol);
    size_t end = 0;
    while (keep-- > 0 && end < S.size())
        end += (IS_HIGH_SURROGATE(S[end]) && end + 1 < S.size() && IS_LOW_SURROGATE(S[end + 1])) ? 2 : 1;
    return S.substr(0, end) + Symbol;
}

void AppendCsv(std::wstring& Out, const std::wstring& S, bool Force) {
    bool enclose = Force, quotes = false;
    for (const wchar_t c : S) {
        if (c > L',') continue;
        quotes = quotes || c == L'"';
        enclose = enclose || c == L'"' || c == L' ' || c == L',' || c == L'\r' || c == L'\n';
    }
    if (enclose) Out += L'"';
    if (!quotes) {
        Out += S;
    } else {
        for (wchar_t c : S) {
            if (c == L'"') Out += L'"';
            Out += c;
        }
    }
    if (enclose) Out += L'"';
}

std::wstring CsvQuote(const std::wstring& S, bool Force) {
    std::wstring result;
    result.reserve(S.size() + 2);
    AppendCsv(result, S, Force);
    return result;
}

const std::wstring& SingleLineRef(const std::wstring& S, std::wstring& Scratch) {
    // The quick test first: most cells hold no control character at all.
    if (PlainCell(S) || !HasBreaks(S)) return S;
    Scratch = SingleLine(S);
    return Scratch;
}

unsigned ztAnsiCodePage() {
    return GetACP();
}

namespace {

// Best-fit substitutes are refused where the code page allows the flag.
DWORD NoBestFitFlags(unsigned codePage) {
    return (codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == 54936 ||
            (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011))
               ? 0
               : WC_NO_BEST_FIT_CHARS;
}

}  // namespace

bool AsciiInto(const wchar_t* Text, size_t Length, std::string& Out) {
    // One pass that copies and tests, sixteen characters a step (packed to bytes,
    // their bits gathered); undone when a character is not ASCII.
    const size_t start = Out.size();
    Out.resize(start + Length);
    char* bytes = Out.data() + start;
    __m128i gathered = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= Length; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text + i + 8));
        gathered = _mm_or_si128(gathered, _mm_or_si128(low, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(low, high));
    }
    wchar_t bits = 0;
    for (; i < Length; ++i) {
        bits |= Text[i];
        bytes[i] = char(Text[i]);
    }
    const __m128i beyond = _mm_and_si128(gathered, _mm_set1_epi16(short(0xFF80)));
    if (bits < 0x80 && _mm_movemask_epi8(_mm_cmpeq_epi16(beyond, _mm_setzero_si128())) == 0xFFFF) return true;
    Out.resize(start);
    return false;
}

void AppendDecimal(std::wstring& Out, uint64_t Value) {
    wchar_t digits[24];
    size_t n = 0;
    do {
        digits[n++] = wchar_t(L'0' + Value % 10);
        Value /= 10;
    } while (Value != 0);
    while (n > 0) Out += digits[--n];
}

bool PlainCell(const std::wstring& S) {
    // Branch-free, eight characters at a time (which the compiler turns into
    // vector steps): one flag gathers every character that needs the slow path.
    auto odd = [](unsigned c) { return unsigned(c < 0x20) | unsigned((c & 0xF800) == 0xD800); };
    const wchar_t* text = S.data();
    const size_t size = S.size();
    unsigned flags = 0;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        unsigned chunk = 0;
        for (size_t k = 0; k < 8; ++k) chunk |= odd(text[i + k]);
        flags |= chunk;
    }
    for (; i < size; ++i) flags |= odd(text[i]);
    return flags == 0;
}

namespace {

bool Encode(unsigned codePage, const wchar_t* text, int length, std::string& out) {
    out.clear();
    if (length == 0) return true;
    // Plain ASCII is itself in every ANSI code page: no conversion to ask for.
    if (codePage != CP_UTF7 && AsciiInto(text, size_t(length), out)) return true;
    const DWORD flags = NoBestFitFlags(codePage);
    const int size = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    out.resize(size_t(size));
    BOOL usedDefault = FALSE;
    const bool canAsk = codePage != CP_UTF8 && codePage != CP_UTF7;
    WideCharToMultiByte(codePage, flags, text, length, out.data(), size, nullptr, canAsk ? &usedDefault : nullptr);
    if (usedDefault) return false;
    // The round trip is the final judge: a substitute that slipped through
    // (a best fit the system applied anyway) does not read back the same.
    const int back = MultiByteToWideChar(codePage, 0, out.data(), size, nullptr, 0);
    if (back != length) return false;
    std::wstring check(size_t(back), L'\0');
    MultiByteToWideChar(codePage, 0, out.data(), size, check.data(), back);
    return check.compare(0, check.size(), text, size_t(length)) == 0;
}

}  // namespace

bool ztTryAnsi(const std::wstring& Text, std::string& Out) {
    return Encode(ztAnsiCodePage(), Text.data(), int(Text.size()), Out);
}

std::string ztToAnsi(const std::wstring& Text) {
    std::string out;
    if (ztTryAnsi(Text, out)) return out;
    // One character (a surrogate pair counts as one) at a time; the inexact ones
    // become "?".
    const unsigned codePage = ztAnsiCodePage();
    out.clear();
    std::string piece;
    for (size_t i = 0; i < Text.size();) {
        size_t n = 1;
        if (IS_HIGH_SURROGATE(Text[i]) && i + 1 < Text.size() && IS_LOW_SURROGATE(Text[i + 1])) n = 2;
        if (Encode(codePage, Text.data() + i, int(n), piece)) out += piece;
        else out += '?';
        i += n;
    }
    return out;
}

std::string ztToUtf8(const std::wstring& Text) {
    std::string out;
    if (Text.empty()) return out;
    const int size = WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
    out.resize(size_t(size > 0 ? size : 0));
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string ztDocumentBytes(const std::wstring& Text, bool Utf8Fallback, bool* Utf8) {
    std::string out;
    bool utf8 = false;
    if (!ztTryAnsi(Text, out)) {
        if (Utf8Fallback) {
            out = "\xEF\xBB\xBF" + ztToUtf8(Text);
            utf8 = true;
        } else {
            out = ztToAnsi(Text);
        }
    }
    if (Utf8) *Utf8 = utf8;
    return out;
}

}  // namespace zt
