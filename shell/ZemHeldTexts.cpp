#include "shell/ZemHeldTexts.h"

#include <shlwapi.h>

#include "framework/SysUtils.h"

namespace shell {

namespace {

constexpr int64_t kMinute = 600000000;  // file-time units
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;
constexpr size_t kFolderSamples = 4;

int64_t Ticks(const FILETIME& Time) {
    return int64_t((uint64_t(Time.dwHighDateTime) << 32) | Time.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t Ticks) {
    return FILETIME{DWORD(uint64_t(Ticks)), DWORD(uint64_t(Ticks) >> 32)};
}

// The shell's size text: kilobytes, rounded up.
std::wstring SizeText(const TZemFindData& Data) {
    wchar_t text[64] = {};
    StrFormatKBSizeW(Data.Size, text, 64);
    return text;
}

// The shell's date text: the local short date and the time without seconds.
std::wstring DateText(const TZemFindData& Data) {
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&Data.LastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
        return std::wstring();
    wchar_t date[128] = {}, clock[128] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128)) return std::wstring();
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 128);
    return std::wstring(date) + L" " + clock;
}

// The shell's attribute letters.
std::wstring AttributesText(const TZemFindData& Data) {
    static const struct {
        DWORD Flag;
        wchar_t Letter;
    } letters[] = {{FILE_ATTRIBUTE_READONLY, L'R'},
                   {FILE_ATTRIBUTE_HIDDEN, L'H'},
                   {FILE_ATTRIBUTE_SYSTEM, L'S'},
                   {FILE_ATTRIBUTE_ARCHIVE, L'A'},
                   {FILE_ATTRIBUTE_COMPRESSED, L'C'}};
    std::wstring text;
    for (const auto& l : letters)
        if (Data.Attributes & l.Flag) text += l.Letter;
    return text;
}

// The offset of local time from universal time at Time, by the zone's rules for
// that date, in file-time units.
int64_t OffsetAt(int64_t Time) {
    SYSTEMTIME universal, local;
    const FILETIME time = FileTimeOf(Time);
    FILETIME localTime;
    if (!FileTimeToSystemTime(&time, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) ||
        !SystemTimeToFileTime(&local, &localTime))
        return 0;
    return Ticks(localTime) - Time;
}

}  // namespace

TZemHeldTexts::TZemHeldTexts() {
    formats_[ckSize] = SizeText;
    formats_[ckDate] = DateText;
    formats_[ckAttributes] = AttributesText;
    Reset();
}

void TZemHeldTexts::SetFormat(TZemColumnKind Kind, TFormat Format) {
    formats_[Kind] = std::move(Format);
    Reset();
}

void TZemHeldTexts::Reset() {
    for (int k = 0; k <= ckOther; ++k) {
        refused_[k] = false;
        confirmed_[k].clear();
        made_[k].clear();
    }
    dayOffsets_.clear();
    sampledFolders_.clear();
    sampledDrives_.clear();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    now_ = Ticks(now);
    nowOffset_ = OffsetAt(now_);
}

uint64_t TZemHeldTexts::DateClass(const FILETIME& Time) {
    const int64_t t = Ticks(Time);
    // Recent and future dates: each minute of the last hours, each hour of the last days.
    if (t > now_ - 2 * kHour) return (uint64_t(3) << 60) | uint64_t(t / kMinute);
    if (t > now_ - 8 * kDay) return (uint64_t(2) << 60) | uint64_t(t / kHour);
    // Older ones: each month, and whether that day keeps today's zone offset.
    SYSTEMTIME universal;
    if (!FileTimeToSystemTime(&Time, &universal)) return uint64_t(1) << 60;
    const int64_t day = t / kDay;
    auto known = dayOffsets_.find(day);
    if (known == dayOffsets_.end()) {
        const bool startSame = OffsetAt(day * kDay) == nowOffset_;
        const bool endSame = OffsetAt(day * kDay + kDay - 1) == nowOffset_;
        known = dayOffsets_.emplace(day, startSame && endSame ? 0 : !startSame && !endSame ? 1 : 2).first;
    }
    const uint64_t month = uint64_t(universal.wYear) * 12 + universal.wMonth;
    return (uint64_t(1) << 60) | (month << 2) | uint64_t(known->second);
}

uint64_t TZemHeldTexts::ClassOf(TZemColumnKind Kind, const TZemFindData& Data) {
    switch (Kind) {
    case ckSize: {
        const uint64_t size = uint64_t(Data.Size);
        uint64_t bits = 0, digits = 1;
        for (uint64_t s = size; s; s >>= 1) ++bits;
        for (uint64_t s = size; s >= 10; s /= 10) ++digits;
        return (bits << 8) | (digits << 1) | (size % 1024 == 0 ? 1 : 0);
    }
    case ckDate: return DateClass(Data.LastWriteTime);
    case ckAttributes: return Data.Attributes;
    default: return 0;
    }
}

const std::wstring& TZemHeldTexts::Made(TZemColumnKind Kind, const TZemFindData& Data) {
    // The text depends on the size, on the minute (no seconds are written), on the attributes.
    const int64_t key = Kind == ckSize   ? Data.Size
                        : Kind == ckDate ? Ticks(Data.LastWriteTime) / kMinute
                                         : int64_t(Data.Attributes);
    auto known = made_[Kind].find(key);
    if (known == made_[Kind].end()) known = made_[Kind].emplace(key, formats_[Kind](Data)).first;
    return known->second;
}

bool TZemHeldTexts::NeedsSample(TZemColumnKind Kind, const TZemFindData& Data) {
    return Makeable(Kind) && !refused_[Kind] && !confirmed_[Kind].count(ClassOf(Kind, Data));
}

bool TZemHeldTexts::SampleFolder(const std::wstring& Folder) {
    // Past the first folders only a new drive makes a sample: its folder is new too.
    const std::wstring drive = fw::AnsiUpperCase(fw::ExtractFileDrive(Folder));
    if (sampledFolders_.size() >= kFolderSamples && sampledDrives_.count(drive)) return false;
    if (!sampledFolders_.insert(fw::AnsiUpperCase(fw::IncludeTrailingPathDelimiter(Folder))).second) return false;
    sampledDrives_.insert(drive);
    return true;
}

void TZemHeldTexts::Confirm(TZemColumnKind Kind, const TZemFindData& Data, const std::wstring& ShellText) {
    if (!Makeable(Kind) || refused_[Kind]) return;
    if (Made(Kind, Data) == ShellText) confirmed_[Kind].insert(ClassOf(Kind, Data));
    else refused_[Kind] = true;
}

bool TZemHeldTexts::Text(TZemColumnKind Kind, const TZemFindData& Data, std::wstring& Result) {
    if (!Makeable(Kind) || refused_[Kind] || !confirmed_[Kind].count(ClassOf(Kind, Data))) return false;
    Result = Made(Kind, Data);
    return true;
}

}  // namespace shell
