#include "framework/DateTime.h"

#include <cmath>
#include <cstdint>
#include <cwctype>

#include "framework/Exception.h"

namespace fw {

namespace {

// Day 0 of TDateTime, 1899-12-30, counted from 1970-01-01.
constexpr int64_t kEpochShift = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(int64_t(yoe) + era * 400 + (m <= 2));
}

// The calendar day and the milliseconds of the day of a value, rounded to the
// millisecond; a time that rounds up to midnight belongs to the next day.
void Split(TDateTime value, int64_t& day, int64_t& msec) {
    day = int64_t(std::trunc(value));
    msec = std::llround(std::fabs(value - std::trunc(value)) * MSecsPerDay);
    if (msec >= int64_t(MSecsPerDay)) {
        msec -= int64_t(MSecsPerDay);
        day += 1;
    }
}

}  // namespace

bool IsLeapYear(int Year) {
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

int DaysInMonth(int Year, int Month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) return 0;
    return days[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
    Date = double(DaysFromCivil(Year, unsigned(Month), unsigned(Day)) + kEpochShift);
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    TDateTime d;
    if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError(L"Invalid argument to date encode");
    return d;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999) return false;
    Time = (((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    TDateTime t;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, t)) throw EConvertError(L"Invalid argument to time encode");
    return t;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time) {
    // Before day 0 the time still runs forward from the day's midnight.
    return Date < 0 ? Date - std::fabs(Time) : Date + std::fabs(Time);
}

void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day) {
    int64_t day, msec;
    Split(Date, day, msec);
    CivilFromDays(day - kEpochShift, Year, Month, Day);
}

void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec) {
    int64_t day, msec;
    Split(Time, day, msec);
    Hour = int(msec / 3600000);
    Min = int(msec / 60000 % 60);
    Sec = int(msec / 1000 % 60);
    MSec = int(msec % 1000);
}

int DayOfWeek(TDateTime Date) {
    int64_t day, msec;
    Split(Date, day, msec);
    // Day 0 was a Saturday.
    return int(((day + 6) % 7 + 7) % 7) + 1;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& SystemTime) {
    return ComposeDateTime(
        EncodeDate(SystemTime.wYear, SystemTime.wMonth, SystemTime.wDay),
        EncodeTime(SystemTime.wHour, SystemTime.wMinute, SystemTime.wSecond, SystemTime.wMilliseconds));
}

void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& SystemTime) {
    int y, m, d, h, n, s, z;
    DecodeDate(DateTime, y, m, d);
    DecodeTime(DateTime, h, n, s, z);
    SystemTime.wYear = WORD(y);
    SystemTime.wMonth = WORD(m);
    SystemTime.wDay = WORD(d);
    SystemTime.wDayOfWeek = WORD(DayOfWeek(DateTime) - 1);
    SystemTime.wHour = WORD(h);
    SystemTime.wMinute = WORD(n);
    SystemTime.wSecond = WORD(s);
    SystemTime.wMilliseconds = WORD(z);
}

TDateTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime(st);
}

TDateTime Date() {
    return std::trunc(Now());
}

TDateTime Time() {
    const TDateTime now = Now();
    return now - std::trunc(now);
}

bool FileAge(const std::wstring& FileName, TDateTime& FileDateTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(FileName.c_str(), GetFileExInfoStandard, &data)) return false;
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    TDateTime date;
    if (!TryEncodeDate(st.wYear, st.wMonth, st.wDay, date)) return false;
    FileDateTime = ComposeDateTime(date, EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
    return true;
}

// ---- FormatDateTime -----------------------------------------------------------

namespace {

class DateTimeFormatter {
public:
    DateTimeFormatter(TDateTime value, const TFormatSettings& settings) : s_(settings) {
        DecodeDate(value, year_, month_, day_);
        DecodeTime(value, hour_, min_, sec_, msec_);
        dayOfWeek_ = DayOfWeek(value);
    }

    void Append(const std::wstring& fmt, int depth) {
        // The locale's pictures are expanded in place; a picture that names itself
        // must not loop.
        if (depth > 2) return;
        Cursor at{fmt, depth, HasMarker(fmt)};
        while (at.i < fmt.size()) AppendToken(at);
    }

    const std::wstring& Result() const { return out_; }

private:
    // Where Append stands in one picture.
    struct Cursor {
        const std::wstring& fmt;
        int depth;
        bool clock12;  // the picture has a 12-hour marker
        size_t i = 0;
        wchar_t lastToken = 0;

        // How many of `letter` (either case) follow; steps over them.
        int Count(wchar_t letter) {
            size_t k = i;
            while (k < fmt.size() && std::towlower(fmt[k]) == letter) ++k;
            const int c = int(k - i);
            i = k;
            return c;
        }
    };

    void AppendToken(Cursor& at) {
        const wchar_t c = at.fmt[at.i];
        const wchar_t lower = wchar_t(std::towlower(c));
        switch (lower) {
        case L'"':
        case L'\'': {
            const size_t n = at.fmt.size();
            const size_t end = at.fmt.find(c, at.i + 1);
            const size_t stop = end == std::wstring::npos ? n : end;
            out_.append(at.fmt, at.i + 1, stop - at.i - 1);
            at.i = stop == n ? n : stop + 1;
            break;
        }
        case L'y':
        case L'm':
        case L'd': AppendDate(at, lower); break;
        case L'h':
        case L'n':
        case L's':
        case L'z':
        case L't':
        case L'c': AppendTime(at, lower); break;
        case L'a': AppendMarker(at); break;
        case L'/':
            out_ += s_.DateSeparator;
            ++at.i;
            break;
        case L':':
            out_ += s_.TimeSeparator;
            ++at.i;
            break;
        default: out_ += c; ++at.i;
        }
    }

    // y, m (minutes right after an hour), d and their pictures.
    void AppendDate(Cursor& at, wchar_t letter) {
        const int k = at.Count(letter);
        if (letter == L'y') {
            out_ += k <= 2 ? Pad(year_ % 100, 2) : Pad(year_, 4);
        } else if (letter == L'm') {
            if (at.lastToken == L'h' && k <= 2) out_ += k == 1 ? std::to_wstring(min_) : Pad(min_, 2);
            else if (k == 1) out_ += std::to_wstring(month_);
            else if (k == 2) out_ += Pad(month_, 2);
            else if (k == 3) out_ += s_.ShortMonthNames[month_ - 1];
            else out_ += s_.LongMonthNames[month_ - 1];
        } else if (k == 1) {
            out_ += std::to_wstring(day_);
        } else if (k == 2) {
            out_ += Pad(day_, 2);
        } else if (k == 3) {
            out_ += s_.ShortDayNames[dayOfWeek_ - 1];
        } else if (k == 4) {
            out_ += s_.LongDayNames[dayOfWeek_ - 1];
        } else {
            Append(k == 5 ? s_.ShortDateFormat : s_.LongDateFormat, at.depth + 1);
        }
        at.lastToken = letter;
    }

    // h, n, s, z, the time pictures t and tt, and c (date and time).
    void AppendTime(Cursor& at, wchar_t letter) {
        if (letter == L'c') {
            ++at.i;
            Append(s_.ShortDateFormat, at.depth + 1);
            if (hour_ != 0 || min_ != 0 || sec_ != 0 || msec_ != 0) {
                out_ += L' ';
                Append(s_.LongTimeFormat, at.depth + 1);
            }
        } else {
            const int k = at.Count(letter);
            int hour = hour_;
            if (at.clock12) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            switch (letter) {
            case L'h': out_ += k == 1 ? std::to_wstring(hour) : Pad(hour, 2); break;
            case L'n': out_ += k == 1 ? std::to_wstring(min_) : Pad(min_, 2); break;
            case L's': out_ += k == 1 ? std::to_wstring(sec_) : Pad(sec_, 2); break;
            case L'z': out_ += k < 3 ? std::to_wstring(msec_) : Pad(msec_, 3); break;
            default: Append(k == 1 ? s_.ShortTimeFormat : s_.LongTimeFormat, at.depth + 1); break;
            }
        }
        at.lastToken = letter;
    }

    // am/pm, a/p (the case as written) or ampm (the locale's texts); else a plain "a".
    void AppendMarker(Cursor& at) {
        const size_t len = MarkerAt(at.fmt, at.i);
        const bool pm = hour_ >= 12;
        if (len == 5) out_.append(at.fmt, pm ? at.i + 3 : at.i, 2);
        else if (len == 3) out_ += at.fmt[pm ? at.i + 2 : at.i];
        else if (len == 4) out_ += pm ? s_.TimePMString : s_.TimeAMString;
        else out_ += at.fmt[at.i];
        at.i += len ? len : 1;
    }

    static std::wstring Pad(int value, int digits) {
        std::wstring t = std::to_wstring(value);
        if (int(t.size()) < digits) t.insert(0, size_t(digits) - t.size(), L'0');
        return t;
    }

    static bool Matches(const std::wstring& fmt, size_t at, const wchar_t* word) {
        for (size_t k = 0; word[k]; ++k)
            if (at + k >= fmt.size() || std::towlower(fmt[at + k]) != word[k]) return false;
        return true;
    }

    // The length of the 12-hour marker at `at`, or 0.
    static size_t MarkerAt(const std::wstring& fmt, size_t at) {
        if (Matches(fmt, at, L"am/pm")) return 5;
        if (Matches(fmt, at, L"ampm")) return 4;
        if (Matches(fmt, at, L"a/p")) return 3;
        return 0;
    }

    // Whether the picture (outside quotes) holds a 12-hour marker.
    static bool HasMarker(const std::wstring& fmt) {
        for (size_t i = 0; i < fmt.size(); ++i) {
            if (fmt[i] == L'"' || fmt[i] == L'\'') {
                const size_t end = fmt.find(fmt[i], i + 1);
                if (end == std::wstring::npos) return false;
                i = end;
            } else if (MarkerAt(fmt, i)) {
                return true;
            }
        }
        return false;
    }

    const TFormatSettings& s_;
    int year_, month_, day_, hour_, min_, sec_, msec_, dayOfWeek_;
    std::wstring out_;
};

}  // namespace

std::wstring FormatDateTime(const std::wstring& Format, TDateTime DateTime, const TFormatSettings& Settings) {
    DateTimeFormatter f(DateTime, Settings);
    f.Append(Format.empty() ? std::wstring(L"c") : Format, 0);
    return f.Result();
}

std::wstring FormatDateTime(const std::wstring& Format, TDateTime DateTime) {
    return FormatDateTime(Format, DateTime, FormatSettings());
}

std::wstring DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
    return FormatDateTime(L"c", DateTime, Settings);
}

}  // namespace fw
