#pragma once
// Dates and times as the class library keeps them: a TDateTime is a double counting
// days since 1899-12-30 00:00, its fraction the time of day. Before that day the
// value is negative and the fraction still counts forward from midnight: -1.25 is
// 1899-12-29 06:00. Plain values and functions; nothing here owns anything.
#include <windows.h>

#include <string>

#include "framework/SysUtils.h"

namespace fw {

using TDateTime = double;

inline constexpr double HoursPerDay = 24;
inline constexpr double MinsPerDay = 24 * 60;
inline constexpr double SecsPerDay = 24 * 60 * 60;
inline constexpr double MSecsPerDay = 24.0 * 60 * 60 * 1000;

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);

// EncodeDate/EncodeTime raise EConvertError "Invalid argument to date encode" / "...
// time encode" for a date outside 1..9999 or a time outside 0:00:00.000..23:59:59.999.
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
TDateTime EncodeDate(int Year, int Month, int Day);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
// A date and a time as one value (minding the sign rule above).
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);
// The value's calendar date and clock time, rounded to the millisecond.
void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec);
// 1 for Sunday .. 7 for Saturday.
int DayOfWeek(TDateTime Date);

// The local clock; Date() is today at midnight, Time() the fraction.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// No time-zone conversion: the calendar fields are taken as they are.
TDateTime SystemTimeToDateTime(const SYSTEMTIME& SystemTime);
void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& SystemTime);

// The last-write time of a file in local time; false when it can't be read.
bool FileAge(const std::wstring& FileName, TDateTime& FileDateTime);

// The class library's date-time pictures, letters in either case:
//   d dd ddd dddd    day, day with zero, short and long day name
//   ddddd dddddd     the short and the long date format
//   m mm mmm mmmm    month likewise (right after h or hh: minutes)
//   yy yyyy          year in two or four digits
//   h hh n nn s ss   hour, minute, second, without or with a leading zero
//   z zzz            milliseconds without or with leading zeros
//   am/pm a/p ampm   a 12-hour clock for every h, and its marker (the case as
//                    written for am/pm and a/p; the locale's texts for ampm)
//   c                short date, then long time unless the time is exactly midnight
//   t tt             the short and the long time format
//   / :              the date and the time separator
//   "..." '...'      literal text
// Any other character is copied. An empty picture means "c".
std::wstring FormatDateTime(const std::wstring& Format, TDateTime DateTime);
std::wstring FormatDateTime(const std::wstring& Format, TDateTime DateTime, const TFormatSettings& Settings);
// "c" of the user's settings (or the given ones).
std::wstring DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings = FormatSettings());

}  // namespace fw
