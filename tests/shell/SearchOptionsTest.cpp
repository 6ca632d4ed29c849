// Search options: filter parsing, the match rule for one directory entry, and
// the mask rule beneath it.
#include <gtest/gtest.h>

#include "framework/DateTime.h"
#include "framework/Exception.h"
#include "framework/StringList.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSearchOptions.h"

#include <windows.h>

#include <cwchar>
#include <vector>

using namespace shell;

namespace {

WIN32_FIND_DATAW Entry(const wchar_t* Name, DWORD Attributes = FILE_ATTRIBUTE_NORMAL, uint64_t Size = 0) {
    WIN32_FIND_DATAW data{};
    wcsncpy(data.cFileName, Name, MAX_PATH - 1);
    data.dwFileAttributes = Attributes;
    data.nFileSizeLow = DWORD(Size);
    data.nFileSizeHigh = DWORD(Size >> 32);
    return data;
}

std::vector<std::wstring> MasksOf(const TZemSearchOptions& Options) {
    std::vector<std::wstring> masks;
    for (int i = 0; i < Options.Masks().Count(); ++i) masks.push_back(Options.Masks().Strings(i));
    return masks;
}

// The UTC file time of a local calendar moment.
FILETIME UtcOfLocal(int Y, int M, int D, int h, int m, int s) {
    SYSTEMTIME local{WORD(Y), WORD(M), 0, WORD(D), WORD(h), WORD(m), WORD(s), 0}, utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME ft{};
    SystemTimeToFileTime(&utc, &ft);
    return ft;
}

FILETIME AddSeconds(FILETIME Time, int64_t Seconds) {
    ULARGE_INTEGER v{{Time.dwLowDateTime, Time.dwHighDateTime}};
    v.QuadPart += Seconds * 10000000LL;
    return FILETIME{v.LowPart, v.HighPart};
}

}  // namespace

TEST(SearchOptions, FilterParsing) {
    TZemSearchOptions options;
    EXPECT_EQ(options.Masks().Count(), 0);
    options.SetFilter(L"");
    EXPECT_EQ(options.Filter(), L"*");
    EXPECT_EQ(MasksOf(options), std::vector<std::wstring>{L"*"});

    options.SetFilter(L" *.txt ;  ; *.doc ;");
    EXPECT_EQ(MasksOf(options), (std::vector<std::wstring>{L"*.txt", L"*.doc"}));

    options.SetFilter(L"report;*.doc;a?c");
    EXPECT_EQ(MasksOf(options), (std::vector<std::wstring>{L"*report*", L"*.doc", L"a?c"}));
    options.SetAutoWildcard(false);
    EXPECT_EQ(MasksOf(options), (std::vector<std::wstring>{L"report", L"*.doc", L"a?c"}));
    options.SetAutoWildcard(true);
    EXPECT_EQ(MasksOf(options), (std::vector<std::wstring>{L"*report*", L"*.doc", L"a?c"}));
}

TEST(SearchOptions, SplitMaskListKeepsInnerEmptyItems) {
    fw::TStringList list;
    list.Add(L"kept");
    SplitMaskList(L" a ; ; b ;", L";", &list);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(0), L"kept");
    EXPECT_EQ(list.Strings(1), L"a");
    EXPECT_EQ(list.Strings(2), L"");
    EXPECT_EQ(list.Strings(3), L"b");
}

TEST(SearchOptions, MaskRule) {
    const struct {
        const wchar_t *name, *mask;
        bool matches;
    } cases[] = {
        {L"abc", L"*.*", true},
        {L"a.b", L"*.*", true},
        {L"a.b.c", L"*.*", true},
        {L"abc", L"*.", true},
        {L"abc.", L"*.", true},
        {L"abc.txt", L"*.", false},
        {L"Report.TXT", L"*.txt", true},
        {L"report.txt.bak", L"*.txt", false},
        {L"a1c", L"a?c", true},
        {L"ac", L"a?c", false},
        {L"my report.doc", L"*report*", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(SearchOptions, MatchRuleForOneEntry) {
    const DWORD dir = FILE_ATTRIBUTE_DIRECTORY, normal = FILE_ATTRIBUTE_NORMAL;
    const struct {
        const wchar_t *filter, *name;
        DWORD attributes;
        bool matches;
    } cases[] = {
        // New options match everything.
        {nullptr, L"anything.at.all", normal, true},
        {nullptr, L"noext", normal, true},
        {nullptr, L"sub", dir, true},
        // Empty mask items do not list everything.
        {L"*.txt;;*.doc", L"a.txt", normal, true},
        {L"*.txt;;*.doc", L"b.DOC", normal, true},
        {L"*.txt;;*.doc", L"c.dll", normal, false},
        // "*.*" lists names without dots.
        {L"*.*", L"Makefile", normal, true},
        {L"*.*", L"a.b", normal, true},
        // The dot entries are never hits.
        {L"*", L".", dir, false},
        {L"*", L"..", dir, false},
        {L"*", L"...", normal, true},
        // Hidden entries only when asked.
        {L"*", L"f.txt", FILE_ATTRIBUTE_HIDDEN, false},
    };
    for (const auto& c : cases) {
        TZemSearchOptions options;
        if (c.filter) options.SetFilter(c.filter);
        EXPECT_EQ(options.Matches(Entry(c.name, c.attributes), L"C:\\"), c.matches)
            << (c.filter ? c.filter : L"(none)") << " " << c.name;
    }
}

TEST(SearchOptions, FilterOfBlankItemsMatchesNothing) {
    for (const bool autoWildcard : {false, true}) {
        for (const wchar_t* filter : {L" ; ", L";", L" ;; ; "}) {
            TZemSearchOptions options;
            options.SetAutoWildcard(autoWildcard);
            options.SetFilter(filter);
            EXPECT_EQ(options.Masks().Count(), 0) << filter;
            EXPECT_FALSE(options.Matches(Entry(L"a.txt"), L"C:\\")) << filter << " " << autoWildcard;
            EXPECT_FALSE(options.Matches(Entry(L"sub", FILE_ATTRIBUTE_DIRECTORY), L"C:\\")) << filter;
        }
    }
    // The copy a search thread works on keeps the rule.
    TZemSearchOptions source, copy;
    source.SetAutoWildcard(false);
    source.SetFilter(L" ; ");
    copy.Assign(&source);
    EXPECT_FALSE(copy.Matches(Entry(L"a.txt"), L"C:\\"));
}

TEST(SearchOptions, FilesOnlyAndHidden) {
    TZemSearchOptions options;
    options.SetFilesOnly(true);
    EXPECT_FALSE(options.Matches(Entry(L"sub", FILE_ATTRIBUTE_DIRECTORY), L"C:\\"));
    EXPECT_TRUE(options.Matches(Entry(L"f.txt"), L"C:\\"));
    options.SetIncludeHidden(true);
    EXPECT_TRUE(options.Matches(Entry(L"f.txt", FILE_ATTRIBUTE_HIDDEN), L"C:\\"));
}

TEST(SearchOptions, SizeLimits) {
    TZemSearchOptions options;
    options.SetMaxFileSize(0);
    EXPECT_TRUE(options.Matches(Entry(L"empty"), L"C:\\"));
    EXPECT_TRUE(options.Matches(Entry(L"sub", FILE_ATTRIBUTE_DIRECTORY), L"C:\\"));
    EXPECT_FALSE(options.Matches(Entry(L"one", FILE_ATTRIBUTE_NORMAL, 1), L"C:\\"));
    options.SetMaxFileSize(-5);
    EXPECT_TRUE(options.Matches(Entry(L"huge", FILE_ATTRIBUTE_NORMAL, 1ull << 40), L"C:\\"));
    options.SetMaxFileSize(0x100000000LL);
    EXPECT_TRUE(options.Matches(Entry(L"4g", FILE_ATTRIBUTE_NORMAL, 0x100000000ull), L"C:\\"));
    EXPECT_FALSE(options.Matches(Entry(L"4g1", FILE_ATTRIBUTE_NORMAL, 0x100000001ull), L"C:\\"));
    options.SetMaxFileSize(-1);
    options.SetMinFileSize(1);
    EXPECT_FALSE(options.Matches(Entry(L"empty"), L"C:\\"));
    EXPECT_FALSE(options.Matches(Entry(L"sub", FILE_ATTRIBUTE_DIRECTORY), L"C:\\"));
    EXPECT_TRUE(options.Matches(Entry(L"big", FILE_ATTRIBUTE_NORMAL, 0xFFFFFFFFull), L"C:\\"));
}

TEST(SearchOptions, DateLimitsInLocalTime) {
    TZemSearchOptions options;
    WIN32_FIND_DATAW entry = Entry(L"dated.txt");
    entry.ftLastWriteTime = UtcOfLocal(2021, 7, 15, 12, 30, 0);
    entry.ftCreationTime = UtcOfLocal(2020, 1, 10, 8, 0, 0);
    entry.ftLastAccessTime = UtcOfLocal(2022, 3, 1, 0, 0, 0);

    const fw::TDateTime written = fw::EncodeDate(2021, 7, 15) + fw::EncodeTime(12, 30, 0, 0);
    options.SetLastWriteDateMin(written);
    options.SetLastWriteDateMax(written);
    EXPECT_TRUE(options.MatchesDates(entry));  // equal times pass both limits
    options.SetLastWriteDateMin(written + 1.0 / fw::SecsPerDay);
    EXPECT_FALSE(options.MatchesDates(entry));
    options.SetLastWriteDateMin(0);
    options.SetLastWriteDateMax(written - 1.0 / fw::SecsPerDay);
    EXPECT_FALSE(options.MatchesDates(entry));
    EXPECT_FALSE(options.Matches(entry, L"C:\\"));
    options.SetLastWriteDateMax(0);

    // An hour off in UTC is an hour off in the limit.
    WIN32_FIND_DATAW late = entry;
    late.ftLastWriteTime = AddSeconds(entry.ftLastWriteTime, 3600);
    options.SetLastWriteDateMax(written + 0.5 / fw::HoursPerDay);
    EXPECT_TRUE(options.MatchesDates(entry));
    EXPECT_FALSE(options.MatchesDates(late));
    options.SetLastWriteDateMax(0);

    options.SetCreationDateMin(fw::EncodeDate(2020, 1, 11));
    EXPECT_FALSE(options.MatchesDates(entry));
    options.SetCreationDateMin(0);
    options.SetAccessDateMax(fw::EncodeDate(2022, 2, 28));
    EXPECT_FALSE(options.MatchesDates(entry));
    options.SetAccessDateMax(0);
    EXPECT_TRUE(options.MatchesDates(entry));
}

TEST(SearchOptions, DateLimitsUpToOneAreOff) {
    TZemSearchOptions options;
    WIN32_FIND_DATAW entry = Entry(L"old.txt");
    entry.ftLastWriteTime = UtcOfLocal(1990, 1, 1, 0, 0, 0);
    options.SetLastWriteDateMax(1.0);
    EXPECT_TRUE(options.MatchesDates(entry));
    options.SetLastWriteDateMax(1.5);  // 1899-12-31 12:00 is in force
    EXPECT_FALSE(options.MatchesDates(entry));
}

TEST(SearchOptions, FullPathMasks) {
    TZemSearchOptions options;
    options.SetFilter(L"C:\\Data\\*.txt");
    EXPECT_FALSE(options.Matches(Entry(L"a.txt"), L"C:\\Data\\"));
    options.UseFullPathWhenComparing = true;
    EXPECT_TRUE(options.Matches(Entry(L"a.txt"), L"C:\\Data\\"));
    EXPECT_FALSE(options.Matches(Entry(L"a.txt"), L"C:\\Other\\"));
}

TEST(SearchOptions, AssignCopiesUnderTheSourcesAutoWildcard) {
    TZemSearchOptions source;
    source.SetAutoWildcard(false);
    source.SetFilter(L"report;*.doc");
    source.SetFilesOnly(true);
    source.SetIncludeHidden(true);
    source.SetRecursiveSearch(false);
    source.SetMaxFileSize(100);
    source.SetMinFileSize(10);
    source.SetCreationDateMax(44000.5);
    source.UseFullPathWhenComparing = true;

    TZemSearchOptions copy;
    copy.Assign(&source);
    EXPECT_EQ(MasksOf(copy), (std::vector<std::wstring>{L"report", L"*.doc"}));
    EXPECT_FALSE(copy.AutoWildcard());
    EXPECT_TRUE(copy.FilesOnly());
    EXPECT_TRUE(copy.IncludeHidden());
    EXPECT_FALSE(copy.RecursiveSearch());
    EXPECT_EQ(copy.MaxFileSize(), 100);
    EXPECT_EQ(copy.MinFileSize(), 10);
    EXPECT_EQ(copy.CreationDateMax(), 44000.5);
    EXPECT_TRUE(copy.UseFullPathWhenComparing);

    // Later changes of the source do not reach the copy.
    source.SetFilter(L"*.xyz");
    EXPECT_EQ(copy.Filter(), L"report;*.doc");

    fw::TPersistent other;
    EXPECT_THROW(copy.Assign(&other), fw::Exception);
}
