// Dates and times: the day count, its sign rule, calendar edges and the picture letters.
#include "framework/DateTime.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <vector>

#include "framework/Exception.h"
#include "tests/common/TestEnv.h"

namespace {

using fw::EncodeDate;
using fw::EncodeTime;
using fw::FormatDateTime;
using fw::TDateTime;

struct Ymd {
    int y, m, d;
    bool operator==(const Ymd&) const = default;
};

Ymd DateOf(TDateTime t) {
    Ymd r{};
    fw::DecodeDate(t, r.y, r.m, r.d);
    return r;
}

TEST(DateTimeEncoding, KnownDayNumbersLeapYearsAndInvalidArguments) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    // Leap years.
    TDateTime d;
    EXPECT_TRUE(fw::TryEncodeDate(2000, 2, 29, d));
    EXPECT_TRUE(fw::TryEncodeDate(2024, 2, 29, d));
    EXPECT_FALSE(fw::TryEncodeDate(1900, 2, 29, d));
    EXPECT_FALSE(fw::TryEncodeDate(2100, 2, 29, d));
    EXPECT_FALSE(fw::TryEncodeDate(2023, 2, 29, d));
    EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1);
    try {
        EncodeDate(2024, 13, 1);
        FAIL();
    } catch (const fw::EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Invalid argument to date encode");
    }
    EXPECT_THROW(EncodeDate(0, 1, 1), fw::EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), fw::EConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), fw::EConvertError);
    try {
        EncodeTime(24, 0, 0, 0);
        FAIL();
    } catch (const fw::EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Invalid argument to time encode");
    }
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), fw::EConvertError);
}

TEST(DateTimeDecoding, RoundTripsEveryDayOfSomeYears) {
    for (int y : {1, 1600, 1899, 1900, 2000, 2023, 2024, 9999}) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= fw::DaysInMonth(y, m); ++d) {
                ASSERT_EQ(DateOf(EncodeDate(y, m, d)), (Ymd{y, m, d})) << y << "-" << m << "-" << d;
            }
        }
    }
}

TEST(DateTimeDecoding, NegativeValuesRoundingDayOfWeekAndSystemTime) {
    // -1.25 is 1899-12-29 06:00, not 18:00.
    EXPECT_EQ(DateOf(-1.25), (Ymd{1899, 12, 29}));
    int h, n, s, z;
    fw::DecodeTime(-1.25, h, n, s, z);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(fw::ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
    EXPECT_EQ(fw::ComposeDateTime(EncodeDate(1899, 12, 31), EncodeTime(6, 0, 0, 0)), 1.25);
    // Before day 0 and within its first day, -0.5 and 0.5 both read 1899-12-30 12:00.
    EXPECT_EQ(DateOf(-0.5), (Ymd{1899, 12, 30}));
    EXPECT_EQ(DateOf(EncodeDate(1800, 1, 1) - 0.75), (Ymd{1800, 1, 1}));
    // A time that rounds to midnight is the next day.
    const TDateTime almost = EncodeDate(2023, 12, 31) + 0.99999999999;
    EXPECT_EQ(DateOf(almost), (Ymd{2024, 1, 1}));
    fw::DecodeTime(almost, h, n, s, z);
    EXPECT_EQ(h + n + s + z, 0);
    fw::DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ(z, 999);
    EXPECT_EQ(s, 59);
    EXPECT_EQ(fw::DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // a Monday
    EXPECT_EQ(fw::DayOfWeek(0), 7);                       // 1899-12-30, a Saturday
    EXPECT_EQ(fw::DayOfWeek(-1), 6);
    SYSTEMTIME st{};
    const TDateTime t = EncodeDate(2024, 2, 29) + EncodeTime(13, 14, 15, 16);
    fw::DateTimeToSystemTime(t, st);
    EXPECT_EQ((std::vector<int>{st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, st.wHour, st.wMinute, st.wSecond,
                                st.wMilliseconds}),
              (std::vector<int>{2024, 2, 29, 4, 13, 14, 15, 16}));  // Thursday: 4, from Sunday = 0
    EXPECT_NEAR(fw::SystemTimeToDateTime(st), t, 1e-9);
}

TEST(DateTimeClock, FileAgeOfAFreshFileIsAboutNow) {
    const std::wstring file = testenv::NewScratchFolder(L"datetime") + L"\\f.txt";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    TDateTime age = 0;
    ASSERT_TRUE(fw::FileAge(file, age));
    EXPECT_LT(std::fabs(age - fw::Now()), 1.0 / 24);  // local time, not UTC
    EXPECT_FALSE(fw::FileAge(file + L".missing", age));
}

class FormatDateTimeTest : public ::testing::Test {
protected:
    fw::TFormatSettings s = fw::TFormatSettings::Invariant();
    // Tuesday 2024-03-05 07:08:09.010
    TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 10);
    TDateTime pm = EncodeDate(2024, 3, 5) + EncodeTime(13, 5, 0, 0);
};

TEST_F(FormatDateTimeTest, NumbersNamesAndMinutes) {
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd hh:nn:ss.zzz", t, s), L"2024-03-05 07:08:09.010");
    EXPECT_EQ(FormatDateTime(L"d/m/yy h:n:s.z", t, s), L"5/3/24 7:8:9.10");
    EXPECT_EQ(FormatDateTime(L"YYYY-MM-DD", t, s), L"2024-03-05");
    EXPECT_EQ(FormatDateTime(L"yy", EncodeDate(2009, 1, 1), s), L"09");
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd hh:nn", -1.25, s), L"1899-12-29 06:00");
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd", EncodeDate(1, 1, 1), s), L"0001-01-01");
    // "m" after an hour means minutes.
    EXPECT_EQ(FormatDateTime(L"hh:mm", t, s), L"07:08");
    EXPECT_EQ(FormatDateTime(L"h:mm d/mm", t, s), L"7:08 5/03");
    EXPECT_EQ(FormatDateTime(L"mm", t, s), L"03");
    EXPECT_EQ(FormatDateTime(L"ddd mmm", t, s), L"Tue Mar");
    EXPECT_EQ(FormatDateTime(L"dddd, mmmm d", t, s), L"Tuesday, March 5");
}

TEST_F(FormatDateTimeTest, TwelveHourClockQuotedTextAndSeparators) {
    EXPECT_EQ(FormatDateTime(L"h:nn am/pm", pm, s), L"1:05 pm");
    EXPECT_EQ(FormatDateTime(L"h:nn AM/PM", t, s), L"7:08 AM");
    EXPECT_EQ(FormatDateTime(L"hh:nn Am/pM", pm, s), L"01:05 pM");
    EXPECT_EQ(FormatDateTime(L"h a/p", EncodeTime(0, 30, 0, 0), s), L"12 a");
    s.TimeAMString = L"vorm.";
    s.TimePMString = L"nachm.";
    EXPECT_EQ(FormatDateTime(L"h:mm ampm", pm, s), L"1:05 nachm.");
    EXPECT_EQ(FormatDateTime(L"ampm h", t, s), L"vorm. 7");
    EXPECT_EQ(FormatDateTime(L"hh", pm, s), L"13");  // no marker: 24 hours
    EXPECT_EQ(FormatDateTime(L"'yyyy' \"mm\" yyyy", t, s), L"yyyy mm 2024");
    EXPECT_EQ(FormatDateTime(L"'unclosed", t, s), L"unclosed");
    EXPECT_EQ(FormatDateTime(L"h 'am/pm'", pm, s), L"13 am/pm");  // a quoted marker is text
    s.DateSeparator = L'.';
    s.TimeSeparator = L'-';
    EXPECT_EQ(FormatDateTime(L"dd/mm/yyyy hh:nn", t, s), L"05.03.2024 07-08");
    EXPECT_EQ(FormatDateTime(L"x#1", t, s), L"x#1");
}

TEST_F(FormatDateTimeTest, LocaleFormsAndC) {
    s.ShortDateFormat = L"d/MM/yyyy";
    s.LongDateFormat = L"dddd d mmmm yyyy";
    s.ShortTimeFormat = L"h:mm AMPM";
    s.LongTimeFormat = L"h:mm:ss AMPM";
    EXPECT_EQ(FormatDateTime(L"ddddd", t, s), L"5/03/2024");
    EXPECT_EQ(FormatDateTime(L"dddddd", t, s), L"Tuesday 5 March 2024");
    EXPECT_EQ(FormatDateTime(L"t", pm, s), L"1:05 PM");
    EXPECT_EQ(FormatDateTime(L"tt", t, s), L"7:08:09 AM");
    EXPECT_EQ(FormatDateTime(L"c", t, s), L"5/03/2024 7:08:09 AM");
    EXPECT_EQ(FormatDateTime(L"", t, s), L"5/03/2024 7:08:09 AM");
    EXPECT_EQ(fw::DateTimeToStr(EncodeDate(2024, 3, 5), s), L"5/03/2024");  // midnight: date only
    EXPECT_EQ(FormatDateTime(L"tt", pm, s), L"1:05:00 PM");
    // A picture that names itself ends instead of looping.
    s.ShortDateFormat = L"ddddd";
    EXPECT_EQ(FormatDateTime(L"ddddd", t, s), L"");
}

TEST(DateTimeLocale, UserSettingsAreUsable) {
    const fw::TFormatSettings& user = fw::FormatSettings();
    EXPECT_FALSE(user.ShortDateFormat.empty());
    EXPECT_FALSE(user.LongTimeFormat.empty());
    const std::wstring text = fw::DateTimeToStr(EncodeDate(2024, 3, 5) + EncodeTime(13, 5, 0, 0));
    EXPECT_NE(text.find(L"2024"), std::wstring::npos);
    EXPECT_NE(text.find(L"05"), std::wstring::npos);  // the minutes
}

}  // namespace
