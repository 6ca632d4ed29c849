#include "framework/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <limits>

#include "framework/Exception.h"

namespace fw {

// ---- Locale settings ----------------------------------------------------------

namespace {

std::wstring LocaleText(LCID locale, LCTYPE type, const std::wstring& fallback) {
    wchar_t buffer[256];
    const int n = GetLocaleInfoW(locale, type, buffer, 256);
    return n > 1 ? std::wstring(buffer, size_t(n - 1)) : fallback;
}

// The locale's date pictures use Windows' letters; ours differ only in that the
// locale's separator becomes "/" (so that it follows DateSeparator) and that
// quoted text stays quoted.
std::wstring TranslateDateFormat(const std::wstring& picture, wchar_t separator) {
    std::wstring out;
    for (size_t i = 0; i < picture.size(); ++i) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            const size_t end = picture.find(L'\'', i + 1);
            const size_t stop = end == std::wstring::npos ? picture.size() : end + 1;
            out.append(picture, i, stop - i);
            i = stop - 1;
        } else if (c == separator && separator != L'/') {
            out += L'/';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

TFormatSettings TFormatSettings::Create(unsigned long Locale) {
    TFormatSettings s;
    const LCID lcid = Locale;
    auto first = [&](LCTYPE type, wchar_t fallback) {
        const std::wstring t = LocaleText(lcid, type, std::wstring(1, fallback));
        return t.empty() ? fallback : t[0];
    };
    s.DecimalSeparator = first(LOCALE_SDECIMAL, L'.');
    s.ThousandSeparator = first(LOCALE_STHOUSAND, L',');
    s.DateSeparator = first(LOCALE_SDATE, L'/');
    s.TimeSeparator = first(LOCALE_STIME, L':');
    s.ShortDateFormat = TranslateDateFormat(LocaleText(lcid, LOCALE_SSHORTDATE, L"M/d/yyyy"), s.DateSeparator);
    s.LongDateFormat = TranslateDateFormat(LocaleText(lcid, LOCALE_SLONGDATE, L"dddd, MMMM d, yyyy"), s.DateSeparator);
    // Time forms are built from the locale's clock, leading-zero and marker position.
    const bool clock24 = LocaleText(lcid, LOCALE_ITIME, L"0") == L"1";
    const std::wstring hour = LocaleText(lcid, LOCALE_ITLZERO, L"0") == L"1" ? L"hh" : L"h";
    std::wstring prefix, postfix;
    if (!clock24) {
        if (LocaleText(lcid, LOCALE_ITIMEMARKPOSN, L"0") == L"1") prefix = L"AMPM ";
        else postfix = L" AMPM";
    }
    s.ShortTimeFormat = prefix + hour + L":mm" + postfix;
    s.LongTimeFormat = prefix + hour + L":mm:ss" + postfix;
    s.TimeAMString = LocaleText(lcid, LOCALE_S1159, L"am");
    s.TimePMString = LocaleText(lcid, LOCALE_S2359, L"pm");
    for (int i = 0; i < 12; ++i) {
        s.ShortMonthNames[i] = LocaleText(lcid, LOCALE_SABBREVMONTHNAME1 + i, s.ShortMonthNames[i]);
        s.LongMonthNames[i] = LocaleText(lcid, LOCALE_SMONTHNAME1 + i, s.LongMonthNames[i]);
    }
    // Windows counts days from Monday, we from Sunday.
    for (int i = 0; i < 7; ++i) {
        const int w = (i + 6) % 7;
        s.ShortDayNames[i] = LocaleText(lcid, LOCALE_SABBREVDAYNAME1 + w, s.ShortDayNames[i]);
        s.LongDayNames[i] = LocaleText(lcid, LOCALE_SDAYNAME1 + w, s.LongDayNames[i]);
    }
    return s;
}

const TFormatSettings& FormatSettings() {
    static const TFormatSettings settings = TFormatSettings::Create(LOCALE_USER_DEFAULT);
    return settings;
}

// ---- Texts --------------------------------------------------------------------

std::wstring Trim(const std::wstring& S) {
    return TrimLeft(TrimRight(S));
}

std::wstring TrimLeft(const std::wstring& S) {
    size_t i = 0;
    while (i < S.size() && S[i] <= L' ') ++i;
    return S.substr(i);
}

std::wstring TrimRight(const std::wstring& S) {
    size_t n = S.size();
    while (n > 0 && S[n - 1] <= L' ') --n;
    return S.substr(0, n);
}

std::wstring UpperCase(const std::wstring& S) {
    std::wstring r = S;
    for (wchar_t& c : r)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - 32);
    return r;
}

int CompareStr(const std::wstring& S1, const std::wstring& S2) {
    const size_t n = std::min(S1.size(), S2.size());
    for (size_t i = 0; i < n; ++i)
        if (S1[i] != S2[i]) return int(S1[i]) - int(S2[i]);
    return int(S1.size()) - int(S2.size());
}

int CompareText(const std::wstring& S1, const std::wstring& S2) {
    auto fold = [](wchar_t c) { return (c >= L'a' && c <= L'z') ? int(c) - 32 : int(c); };
    const size_t n = std::min(S1.size(), S2.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = fold(S1[i]) - fold(S2[i]);
        if (d != 0) return d;
    }
    return int(S1.size()) - int(S2.size());
}

bool SameText(const std::wstring& S1, const std::wstring& S2) {
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

namespace {

std::wstring MapCase(const std::wstring& S, DWORD flag) {
    if (S.empty()) return S;
    std::wstring r = S;
    // In-place mapping keeps the length, so indexes into the text stay valid.
    LCMapStringW(LOCALE_USER_DEFAULT, flag, S.data(), int(S.size()), r.data(), int(r.size()));
    return r;
}

int LocaleCompare(const std::wstring& S1, const std::wstring& S2, DWORD flags) {
    const int r = CompareStringW(LOCALE_USER_DEFAULT, flags, S1.data(), int(S1.size()), S2.data(), int(S2.size()));
    return r == 0 ? CompareStr(S1, S2) : r - 2;
}

}  // namespace

std::wstring AnsiUpperCase(const std::wstring& S) {
    return MapCase(S, LCMAP_UPPERCASE);
}
int AnsiCompareStr(const std::wstring& S1, const std::wstring& S2) {
    return LocaleCompare(S1, S2, 0);
}
int AnsiCompareText(const std::wstring& S1, const std::wstring& S2) {
    return LocaleCompare(S1, S2, NORM_IGNORECASE);
}
bool AnsiSameText(const std::wstring& S1, const std::wstring& S2) {
    return AnsiCompareText(S1, S2) == 0;
}

std::wstring StringReplace(const std::wstring& S, const std::wstring& OldPattern, const std::wstring& NewPattern,
                           unsigned Flags) {
    if (OldPattern.empty()) return S;
    const bool ignoreCase = (Flags & rfIgnoreCase) != 0;
    const std::wstring searchIn = ignoreCase ? AnsiUpperCase(S) : S;
    const std::wstring pattern = ignoreCase ? AnsiUpperCase(OldPattern) : OldPattern;
    std::wstring out;
    size_t from = 0;
    for (;;) {
        const size_t at = searchIn.find(pattern, from);
        if (at == std::wstring::npos) break;
        out.append(S, from, at - from);
        out += NewPattern;
        from = at + pattern.size();
        if (!(Flags & rfReplaceAll)) break;
    }
    out.append(S, from, std::wstring::npos);
    return out;
}

// ---- Numbers ------------------------------------------------------------------

std::wstring UIntToHex(uint64_t Value, int Digits) {
    static const wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring r;
    do {
        r.insert(r.begin(), hex[Value & 15]);
        Value >>= 4;
    } while (Value != 0);
    if (int(r.size()) < Digits) r.insert(0, size_t(Digits) - r.size(), L'0');
    return r;
}

bool TryStrToInt64(const std::wstring& S, int64_t& Value) {
    size_t i = 0;
    while (i < S.size() && S[i] == L' ') ++i;
    bool negative = false;
    if (i < S.size() && (S[i] == L'-' || S[i] == L'+')) negative = S[i++] == L'-';
    unsigned base = 10;
    if (i < S.size() && S[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < S.size() && S[i] == L'0' && (S[i + 1] == L'x' || S[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= S.size()) return false;
    uint64_t magnitude = 0;
    for (; i < S.size(); ++i) {
        const wchar_t c = S[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') d = unsigned(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f') d = unsigned(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F') d = unsigned(c - L'A' + 10);
        else return false;
        if (magnitude > (std::numeric_limits<uint64_t>::max() - d) / base) return false;
        magnitude = magnitude * base + d;
    }
    // Hex texts may spell a negative number in its two's complement ("$FFFFFFFFFFFFFFFF").
    if (base == 16 && !negative) {
        Value = int64_t(magnitude);
        return true;
    }
    const uint64_t limit =
        negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1 : uint64_t(std::numeric_limits<int64_t>::max());
    if (magnitude > limit) return false;
    Value = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

bool TryStrToInt(const std::wstring& S, int& Value) {
    int64_t v;
    if (!TryStrToInt64(S, v)) return false;
    // Hex may spell a negative int in 32 bits ("$FFFFFFFF" is -1).
    const bool hex = S.find_first_of(L"$xX") != std::wstring::npos;
    if (hex && v >= 0 && v <= 0xFFFFFFFFll) v = int32_t(uint32_t(v));
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return false;
    Value = int(v);
    return true;
}

int StrToIntDef(const std::wstring& S, int Default) {
    int v;
    return TryStrToInt(S, v) ? v : Default;
}

namespace {

// A number as rounded decimal digits: value = 0.d1d2d3... x 10^(exp + 1).
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zero; empty for zero
    int exp = 0;         // the power of ten of the first digit
};

// Rounds half away from zero on the shortest exact-enough expansion (17 digits),
// keeping `keep` significant digits.
Decimal ToDecimal(double value, int keep) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0 || keep <= 0) {
        if (keep == 0 && value != 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
            d.exp = std::atoi(std::strchr(buf, 'e') + 1);
            if (buf[0] >= '5') {
                d.digits.assign(1, '1');
                d.exp += 1;
            }
        }
        if (d.digits.empty()) d.negative = false;
        return d;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
    std::string all;
    for (const char* p = buf; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') all += *p;
    d.exp = std::atoi(std::strchr(buf, 'e') + 1);
    if (keep < int(all.size())) {
        const bool up = all[size_t(keep)] >= '5';
        all.resize(size_t(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && all[size_t(i)] == '9') all[size_t(i--)] = '0';
            if (i < 0) {
                all.insert(all.begin(), '1');
                all.pop_back();
                d.exp += 1;
            } else {
                all[size_t(i)]++;
            }
        }
    }
    while (!all.empty() && all.back() == '0') all.pop_back();
    d.digits = all;
    if (d.digits.empty()) d.negative = false;
    return d;
}

std::wstring SpecialFloat(double v) {
    if (std::isnan(v)) return L"NAN";
    return v < 0 ? L"-INF" : L"INF";
}

// Fixed notation with exactly `decimals` digits after the separator.
std::wstring FixedText(double v, int decimals, const TFormatSettings& s, bool thousands) {
    if (!std::isfinite(v)) return SpecialFloat(v);
    int exp;
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.16e", std::fabs(v == 0 ? 1 : v));
        exp = std::atoi(std::strchr(buf, 'e') + 1);
    }
    const Decimal d = ToDecimal(v, v == 0 ? -1 : exp + 1 + decimals);
    auto digit = [&](int power) {  // the digit standing for 10^power
        const int index = d.exp - power;
        return index >= 0 && index < int(d.digits.size()) ? wchar_t(d.digits[size_t(index)]) : L'0';
    };
    std::wstring intPart;
    const int top = d.digits.empty() ? 0 : std::max(d.exp, 0);
    for (int p = top; p >= 0; --p) {
        intPart += digit(p);
        if (thousands && p > 0 && p % 3 == 0) intPart += s.ThousandSeparator;
    }
    std::wstring r = d.negative ? L"-" : L"";
    r += intPart;
    if (decimals > 0) {
        r += s.DecimalSeparator;
        for (int p = -1; p >= -decimals; --p) r += digit(p);
    }
    return r;
}

std::wstring ExponentDigits(int exp, int minDigits, bool plus) {
    std::wstring e = std::to_wstring(std::abs(exp));
    if (int(e.size()) < minDigits) e.insert(0, size_t(minDigits) - e.size(), L'0');
    return (exp < 0 ? L"-" : plus ? L"+" : L"") + e;
}

// Scientific notation with `precision` significant digits, exponent sign and 3 digits.
std::wstring ExponentText(double v, int precision, const TFormatSettings& s) {
    if (!std::isfinite(v)) return SpecialFloat(v);
    precision = std::clamp(precision, 1, 17);
    Decimal d = ToDecimal(v, precision);
    if (d.digits.empty()) d.exp = 0;
    d.digits.resize(size_t(precision), '0');
    std::wstring r = d.negative ? L"-" : L"";
    r += wchar_t(d.digits[0]);
    if (precision > 1) {
        r += s.DecimalSeparator;
        for (size_t i = 1; i < d.digits.size(); ++i) r += wchar_t(d.digits[i]);
    }
    return r + L"E" + ExponentDigits(d.exp, 3, true);
}

// The shortest of fixed and scientific with up to `precision` significant digits.
std::wstring GeneralText(double v, int precision, const TFormatSettings& s) {
    if (!std::isfinite(v)) return SpecialFloat(v);
    precision = std::clamp(precision, 1, 17);
    const Decimal d = ToDecimal(v, precision);
    if (d.digits.empty()) return L"0";
    std::wstring r = d.negative ? L"-" : L"";
    const int n = int(d.digits.size());
    if (d.exp >= precision || d.exp < -5) {
        r += wchar_t(d.digits[0]);
        if (n > 1) {
            r += s.DecimalSeparator;
            for (int i = 1; i < n; ++i) r += wchar_t(d.digits[size_t(i)]);
        }
        return r + L"E" + ExponentDigits(d.exp, 0, false);
    }
    if (d.exp < 0) {
        r += L'0';
        r += s.DecimalSeparator;
        r.append(size_t(-d.exp - 1), L'0');
        for (char c : d.digits) r += wchar_t(c);
        return r;
    }
    for (int i = 0; i <= d.exp; ++i) r += i < n ? wchar_t(d.digits[size_t(i)]) : L'0';
    if (n > d.exp + 1) {
        r += s.DecimalSeparator;
        for (int i = d.exp + 1; i < n; ++i) r += wchar_t(d.digits[size_t(i)]);
    }
    return r;
}

}  // namespace

std::wstring FloatToStr(double Value, const TFormatSettings& Settings) {
    return GeneralText(Value, 15, Settings);
}

// ---- Format -------------------------------------------------------------------

uint64_t TVarRec::AsUInt() const {
    if (kind_ == TKind::UInt) return u_;
    if (kind_ == TKind::Float) return uint64_t(int64_t(f_));
    return narrow_ ? uint64_t(uint32_t(i_)) : uint64_t(i_);
}

namespace {

[[noreturn]] void BadFormat(const std::wstring& fmt) {
    throw EConvertError(L"Format '" + fmt + L"' invalid or incompatible with argument");
}

std::wstring WithMinDigits(std::wstring digits, int precision) {
    if (int(digits.size()) < precision) digits.insert(0, size_t(precision) - digits.size(), L'0');
    return digits;
}

// One "%..." directive: where its argument is and how its text is laid out.
struct FormatDirective {
    bool left = false;
    int width = -1;
    int precision = -1;
    wchar_t type = 0;
};

// Walks a format picture once, taking the arguments in turn (or by index).
class Formatter {
public:
    Formatter(const std::wstring& fmt, const std::vector<TVarRec>& args, const TFormatSettings& settings)
        : fmt_(fmt), args_(args), settings_(settings) {}

    std::wstring Run() {
        while (i_ < fmt_.size()) {
            const size_t percent = fmt_.find(L'%', i_);
            if (percent == std::wstring::npos) {
                out_.append(fmt_, i_, std::wstring::npos);
                break;
            }
            out_.append(fmt_, i_, percent - i_);
            i_ = percent + 1;
            if (i_ < fmt_.size() && fmt_[i_] == L'%') {
                out_ += L'%';
                ++i_;
                continue;
            }
            const FormatDirective directive = ParseDirective();
            out_ += Padded(Render(directive, Next()), directive);
        }
        return out_;
    }

private:
    const TVarRec& Next() {
        if (argIndex_ >= args_.size()) throw EConvertError(L"No argument for format '" + fmt_ + L"'");
        return args_[argIndex_++];
    }

    // A number, or "*" taking the next integer argument; -1 when absent.
    int Number() {
        if (i_ < fmt_.size() && fmt_[i_] == L'*') {
            ++i_;
            const TVarRec& a = Next();
            if (a.Kind() != TVarRec::TKind::Int && a.Kind() != TVarRec::TKind::UInt) BadFormat(fmt_);
            return int(a.AsInt());
        }
        if (i_ >= fmt_.size() || fmt_[i_] < L'0' || fmt_[i_] > L'9') return -1;
        int n = 0;
        while (i_ < fmt_.size() && fmt_[i_] >= L'0' && fmt_[i_] <= L'9')
            n = std::min(n * 10 + (fmt_[i_++] - L'0'), 1 << 20);
        return n;
    }

    // [index ":"] ["-"] [width] ["." precision] type, just after the "%".
    FormatDirective ParseDirective() {
        FormatDirective directive;
        directive.width = Number();
        if (i_ < fmt_.size() && fmt_[i_] == L':') {  // that number was an argument index
            ++i_;
            argIndex_ = size_t(std::max(directive.width, 0));
            directive.width = -1;
        }
        if (i_ < fmt_.size() && fmt_[i_] == L'-') {
            directive.left = true;
            ++i_;
        }
        if (directive.width < 0) directive.width = Number();
        if (i_ < fmt_.size() && fmt_[i_] == L'.') {
            ++i_;
            directive.precision = std::max(Number(), 0);
        }
        if (i_ >= fmt_.size()) BadFormat(fmt_);
        directive.type = wchar_t(std::towlower(fmt_[i_++]));
        return directive;
    }

    std::wstring Render(const FormatDirective& directive, const TVarRec& arg) const {
        const TVarRec::TKind kind = arg.Kind();
        const bool integer = kind == TVarRec::TKind::Int || kind == TVarRec::TKind::UInt;
        const bool numeric = integer || kind == TVarRec::TKind::Float;
        const int precision = directive.precision;
        const bool fits = directive.type == L'd' || directive.type == L'u' || directive.type == L'x' ? integer
                          : directive.type == L'p' ? kind == TVarRec::TKind::Pointer
                          : directive.type == L's' ? kind == TVarRec::TKind::String
                                                   : numeric;
        if (!fits) BadFormat(fmt_);
        switch (directive.type) {
        case L'd': {
            const bool negative = kind == TVarRec::TKind::Int && arg.AsInt() < 0;
            const uint64_t magnitude = kind == TVarRec::TKind::UInt ? arg.AsUInt()
                                       : negative                   ? 0 - uint64_t(arg.AsInt())
                                                                    : uint64_t(arg.AsInt());
            return (negative ? L"-" : L"") + WithMinDigits(std::to_wstring(magnitude), precision);
        }
        case L'u': return WithMinDigits(std::to_wstring(arg.AsUInt()), precision);
        case L'x': return UIntToHex(arg.AsUInt(), precision);
        case L'e': return ExponentText(arg.AsFloat(), precision < 0 ? 15 : precision, settings_);
        case L'f': return FixedText(arg.AsFloat(), precision < 0 ? 2 : std::min(precision, 18), settings_, false);
        case L'n': return FixedText(arg.AsFloat(), precision < 0 ? 2 : std::min(precision, 18), settings_, true);
        case L'g': return GeneralText(arg.AsFloat(), precision < 0 ? 15 : precision, settings_);
        case L'p': return UIntToHex(uint64_t(reinterpret_cast<uintptr_t>(arg.AsPointer())), int(sizeof(void*) * 2));
        case L's': {
            std::wstring text = arg.AsString();
            if (precision >= 0 && size_t(precision) < text.size()) text.resize(size_t(precision));
            return text;
        }
        default: BadFormat(fmt_);
        }
    }

    static std::wstring Padded(std::wstring text, const FormatDirective& directive) {
        if (directive.width > int(text.size())) {
            const size_t pad = size_t(directive.width) - text.size();
            if (directive.left) text.append(pad, L' ');
            else text.insert(0, pad, L' ');
        }
        return text;
    }

    const std::wstring& fmt_;
    const std::vector<TVarRec>& args_;
    const TFormatSettings& settings_;
    std::wstring out_;
    size_t i_ = 0;
    size_t argIndex_ = 0;
};

}  // namespace

std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args) {
    return Format(Fmt, std::vector<TVarRec>(Args), FormatSettings());
}

std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings) {
    return Format(Fmt, std::vector<TVarRec>(Args), Settings);
}

std::wstring Format(const std::wstring& Fmt, const std::vector<TVarRec>& Args, const TFormatSettings& Settings) {
    return Formatter(Fmt, Args, Settings).Run();
}

// ---- Paths --------------------------------------------------------------------

namespace {

// Index of the last character of S that is in `chars`, or npos.
size_t LastDelimiter(const wchar_t* chars, const std::wstring& S) {
    return S.find_last_of(chars);
}

}  // namespace

std::wstring ExtractFilePath(const std::wstring& FileName) {
    const size_t i = LastDelimiter(L"\\:", FileName);
    return i == std::wstring::npos ? std::wstring() : FileName.substr(0, i + 1);
}

std::wstring ExtractFileName(const std::wstring& FileName) {
    const size_t i = LastDelimiter(L"\\:", FileName);
    return i == std::wstring::npos ? FileName : FileName.substr(i + 1);
}

std::wstring ExtractFileDir(const std::wstring& FileName) {
    size_t i = LastDelimiter(L"\\:", FileName);
    if (i == std::wstring::npos) return std::wstring();
    // "C:\a" gives "C:\" and "\a" gives "\": a root keeps its delimiter.
    if (i > 0 && FileName[i] == L'\\' && FileName[i - 1] != L'\\' && FileName[i - 1] != L':')
        return FileName.substr(0, i);
    return FileName.substr(0, i + 1);
}

std::wstring ExtractFileExt(const std::wstring& FileName) {
    const size_t i = LastDelimiter(L".\\:", FileName);
    return i != std::wstring::npos && FileName[i] == L'.' ? FileName.substr(i) : std::wstring();
}

std::wstring ExtractFileDrive(const std::wstring& FileName) {
    if (FileName.size() >= 2 && FileName[1] == L':') return FileName.substr(0, 2);
    if (FileName.size() >= 2 && FileName[0] == L'\\' && FileName[1] == L'\\') {
        // Up to (not including) the delimiter after the share name.
        int delimiters = 0;
        size_t i = 2;
        for (; i < FileName.size(); ++i) {
            if (FileName[i] == L'\\' && ++delimiters == 2) break;
        }
        return FileName.substr(0, i);
    }
    return std::wstring();
}

std::wstring ChangeFileExt(const std::wstring& FileName, const std::wstring& Extension) {
    const size_t i = LastDelimiter(L".\\:", FileName);
    if (i == std::wstring::npos || FileName[i] != L'.') return FileName + Extension;
    return FileName.substr(0, i) + Extension;
}

std::wstring IncludeTrailingPathDelimiter(const std::wstring& S) {
    return !S.empty() && S.back() == PathDelim ? S : S + PathDelim;
}

std::wstring ExcludeTrailingPathDelimiter(const std::wstring& S) {
    return !S.empty() && S.back() == PathDelim ? S.substr(0, S.size() - 1) : S;
}

std::wstring ExpandFileName(const std::wstring& FileName) {
    if (FileName.empty()) return FileName;
    const DWORD n = GetFullPathNameW(FileName.c_str(), 0, nullptr, nullptr);
    if (n == 0) return FileName;
    std::wstring r(n, L'\0');
    const DWORD got = GetFullPathNameW(FileName.c_str(), n, r.data(), nullptr);
    r.resize(got < n ? got : 0);
    return r.empty() ? FileName : r;
}

bool FileExists(const std::wstring& FileName) {
    const DWORD a = GetFileAttributesW(FileName.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace fw
