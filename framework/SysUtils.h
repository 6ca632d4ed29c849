#pragma once
// String, number and path routines of the class library, with its rules (for
// example, a file's extension is taken from the last "." after the last path
// delimiter). Plain functions on std::wstring; nothing here owns anything.
// Locale-dependent routines read the user's settings once (FormatSettings()) or
// take a TFormatSettings of the caller's, which tests use to stay locale-free.
#include <windows.h>

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace fw {

// ---- Locale settings ----------------------------------------------------------

struct TFormatSettings {
    wchar_t DecimalSeparator = L'.';
    wchar_t ThousandSeparator = L',';
    wchar_t DateSeparator = L'/';
    wchar_t TimeSeparator = L':';
    // In FormatDateTime's own letters (see DateTime.h), e.g. "M/d/yyyy", "h:mm AMPM".
    std::wstring ShortDateFormat = L"MM/dd/yyyy";
    std::wstring LongDateFormat = L"dddd, dd MMMM yyyy";
    std::wstring ShortTimeFormat = L"hh:nn";
    std::wstring LongTimeFormat = L"hh:nn:ss";
    std::wstring TimeAMString = L"AM";
    std::wstring TimePMString = L"PM";
    // Months from January; days from Sunday.
    std::wstring ShortMonthNames[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                        L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    std::wstring LongMonthNames[12] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                       L"July",    L"August",   L"September", L"October", L"November", L"December"};
    std::wstring ShortDayNames[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    std::wstring LongDayNames[7] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};

    // The settings of a Windows locale (LOCALE_USER_DEFAULT for the user's own).
    static TFormatSettings Create(unsigned long Locale);
    // Fixed English settings, the same on every machine (the defaults above).
    static TFormatSettings Invariant() { return TFormatSettings(); }
};

// The user's settings, read from the locale on first use.
const TFormatSettings& FormatSettings();

// ---- Texts --------------------------------------------------------------------

// Removes blanks and control characters (anything up to U+0020) from the ends.
std::wstring Trim(const std::wstring& S);
std::wstring TrimLeft(const std::wstring& S);
std::wstring TrimRight(const std::wstring& S);

// ASCII letters only, as the class library's plain routines do.
std::wstring UpperCase(const std::wstring& S);
// Ordinal comparisons; CompareText and SameText fold ASCII letters only.
int CompareStr(const std::wstring& S1, const std::wstring& S2);
int CompareText(const std::wstring& S1, const std::wstring& S2);
bool SameText(const std::wstring& S1, const std::wstring& S2);

// The user's locale: every letter folded, linguistic order. Results -1, 0, 1.
std::wstring AnsiUpperCase(const std::wstring& S);
int AnsiCompareStr(const std::wstring& S1, const std::wstring& S2);
int AnsiCompareText(const std::wstring& S1, const std::wstring& S2);
bool AnsiSameText(const std::wstring& S1, const std::wstring& S2);
inline int WideCompareText(const std::wstring& S1, const std::wstring& S2) {
    return AnsiCompareText(S1, S2);
}

enum TReplaceFlag : unsigned {
    rfReplaceAll = 1,
    rfIgnoreCase = 2
};
// Replaces the first (or, with rfReplaceAll, every) OldPattern; rfIgnoreCase compares
// in the user's locale.
std::wstring StringReplace(const std::wstring& S, const std::wstring& OldPattern, const std::wstring& NewPattern,
                           unsigned Flags);

// ---- Numbers ------------------------------------------------------------------

// Upper-case hex digits of the value in its own width, at least Digits of them
// (IntToHex(-1, 2) of an int is "FFFFFFFF").
std::wstring UIntToHex(uint64_t Value, int Digits);
template <std::integral T>
std::wstring IntToHex(T Value, int Digits) {
    return UIntToHex(uint64_t(std::make_unsigned_t<T>(Value)), Digits);
}
// Decimal, or hex after "$" or "0x"; leading blanks and a sign allowed, nothing after.
int StrToIntDef(const std::wstring& S, int Default);
bool TryStrToInt(const std::wstring& S, int& Value);
bool TryStrToInt64(const std::wstring& S, int64_t& Value);
// The shortest form with up to 15 significant digits ("0.5", "1E20", "-1.5E-7").
std::wstring FloatToStr(double Value, const TFormatSettings& Settings = FormatSettings());

// ---- Format -------------------------------------------------------------------

// One argument of Format: an integer, a float, a text or a pointer. Built implicitly,
// so a call reads Format(L"%d of %s", {42, L"x"}).
class TVarRec {
public:
    enum class TKind {
        Int,
        UInt,
        Float,
        String,
        Pointer
    };

    TVarRec(int v) : kind_(TKind::Int), i_(v), narrow_(true) {}
    TVarRec(long v) : kind_(TKind::Int), i_(v), narrow_(sizeof(long) == 4) {}
    TVarRec(long long v) : kind_(TKind::Int), i_(v) {}
    TVarRec(unsigned v) : kind_(TKind::UInt), u_(v), narrow_(true) {}
    TVarRec(unsigned long v) : kind_(TKind::UInt), u_(v), narrow_(sizeof(long) == 4) {}
    TVarRec(unsigned long long v) : kind_(TKind::UInt), u_(v) {}
    TVarRec(double v) : kind_(TKind::Float), f_(v) {}
    TVarRec(wchar_t v) : kind_(TKind::String), s_(1, v) {}
    TVarRec(const wchar_t* v) : kind_(TKind::String), s_(v ? v : L"") {}
    TVarRec(std::wstring_view v) : kind_(TKind::String), s_(v) {}
    TVarRec(const std::wstring& v) : kind_(TKind::String), s_(v) {}
    TVarRec(const void* v) : kind_(TKind::Pointer), p_(v) {}
    TVarRec(std::nullptr_t) : kind_(TKind::Pointer), p_(nullptr) {}
    TVarRec(bool) = delete;         // a flag is no number: say what it means
    TVarRec(const char*) = delete;  // texts are wide

    TKind Kind() const { return kind_; }
    int64_t AsInt() const { return kind_ == TKind::UInt ? int64_t(u_) : i_; }
    uint64_t AsUInt() const;  // negative values in the argument's own width
    double AsFloat() const { return kind_ == TKind::Float ? f_ : kind_ == TKind::UInt ? double(u_) : double(i_); }
    const std::wstring& AsString() const { return s_; }
    const void* AsPointer() const { return p_; }

private:
    TKind kind_;
    int64_t i_ = 0;
    uint64_t u_ = 0;
    double f_ = 0;
    std::wstring s_;
    const void* p_ = nullptr;
    bool narrow_ = false;
};

// The class library's Format: "%" [index ":"] ["-"] [width] ["." precision] type,
// width and precision may be "*" (taken from the next argument), types
// d u x e f g n p s (either case) and "%%". d/u/x take integers (precision: minimum
// digits), e f g n take numbers (precision: digits; default 15 for e/g, 2 for f/n), s
// takes texts (precision: maximum characters), p pointers. A bad or missing argument
// raises EConvertError.
std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args);
std::wstring Format(const std::wstring& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings);
std::wstring Format(const std::wstring& Fmt, const std::vector<TVarRec>& Args,
                    const TFormatSettings& Settings = FormatSettings());

// ---- Paths --------------------------------------------------------------------

inline constexpr wchar_t PathDelim = L'\\';
inline constexpr wchar_t DriveDelim = L':';

// "C:\a\b.txt" -> "C:\a\" (up to the last "\" or ":"), "b.txt", "C:\a", ".txt", "C:".
std::wstring ExtractFilePath(const std::wstring& FileName);
std::wstring ExtractFileName(const std::wstring& FileName);
// The path without its last delimiter, unless that would leave a bare drive ("C:\").
std::wstring ExtractFileDir(const std::wstring& FileName);
// From the last "." after the last delimiter, dot included; ".bashrc" is all extension.
std::wstring ExtractFileExt(const std::wstring& FileName);
// "C:" of "C:\x", "\\server\share" of "\\server\share\x", else "".
std::wstring ExtractFileDrive(const std::wstring& FileName);
// Replaces the extension (or appends Extension when there is none).
std::wstring ChangeFileExt(const std::wstring& FileName, const std::wstring& Extension);
// Adds a "\" unless the text ends with one ("" gives "\"); removes one "\" at the end.
std::wstring IncludeTrailingPathDelimiter(const std::wstring& S);
std::wstring ExcludeTrailingPathDelimiter(const std::wstring& S);
// The absolute form of a path (relative to the current folder).
std::wstring ExpandFileName(const std::wstring& FileName);

bool FileExists(const std::wstring& FileName);  // a file, not a folder

}  // namespace fw
