// Search options: filter parsing, the match rule for one directory entry, and
// the mask rule beneath it.
#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/StringList.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSearchOptions.h"

#include <windows.h>

#include <cwchar>
#include <vector>

using namespace shell;
using Masks = std::vector<std::wstring>;

namespace {

constexpr DWORD kDir = FILE_ATTRIBUTE_DIRECTORY, kNormal = FILE_ATTRIBUTE_NORMAL;

WIN32_FIND_DATAW Entry(const wchar_t* Name, DWORD Attributes = kNormal, uint64_t Size = 0) {
    WIN32_FIND_DATAW data{};
    wcsncpy(data.cFileName, Name, MAX_PATH - 1);
    data.dwFileAttributes = Attributes;
    data.nFileSizeLow = DWORD(Size);
    data.nFileSizeHigh = DWORD(Size >> 32);
    return data;
}

Masks MasksOf(const TZemSearchOptions& Options) {
    Masks masks;
    for (int i = 0; i < Options.Masks().Count(); ++i) masks.push_back(Options.Masks().Strings(i));
    return masks;
}

}  // namespace

TEST(SearchOptions, FilterParsing) {
    TZemSearchOptions options;
    options.SetFilter(L"");
    EXPECT_EQ(options.Filter(), L"*");
    EXPECT_EQ(MasksOf(options), Masks{L"*"});
    options.SetFilter(L" *.txt ;  ; *.doc ;");
    EXPECT_EQ(MasksOf(options), (Masks{L"*.txt", L"*.doc"}));
    // Masks without wildcards get them on both sides, and lose them again.
    options.SetFilter(L"report;*.doc;a?c");
    EXPECT_EQ(MasksOf(options), (Masks{L"*report*", L"*.doc", L"a?c"}));
    options.SetAutoWildcard(false);
    EXPECT_EQ(MasksOf(options), (Masks{L"report", L"*.doc", L"a?c"}));

    fw::TStringList list;
    list.Add(L"kept");
    SplitMaskList(L" a ; ; b ;", L";", &list);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(2), L"");  // inner empty items stay, a trailing one does not
    EXPECT_EQ(list.Strings(3), L"b");
}

TEST(SearchOptions, MaskRule) {
    const struct {
        const wchar_t *name, *mask;
        bool matches;
    } cases[] = {
        {L"abc", L"*.*", true},
        {L"a.b.c", L"*.*", true},
        {L"abc", L"*.", true},
        {L"abc.", L"*.", true},
        {L"abc.txt", L"*.", false},
        {L"Report.TXT", L"*.txt", true},
        {L"report.txt.bak", L"*.txt", false},
        {L"a1c", L"a?c", true},
        {L"ac", L"a?c", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(SearchOptions, MatchRuleForOneEntry) {
    const struct {
        const wchar_t *filter, *name;
        DWORD attributes;
        bool matches;
    } cases[] = {
        // New options match everything.
        {nullptr, L"anything.at.all", kNormal, true},
        {nullptr, L"sub", kDir, true},
        // Empty mask items do not list everything.
        {L"*.txt;;*.doc", L"b.DOC", kNormal, true},
        {L"*.txt;;*.doc", L"c.dll", kNormal, false},
        // "*.*" lists names without dots.
        {L"*.*", L"Makefile", kNormal, true},
        // The dot entries are never hits.
        {L"*", L".", kDir, false},
        {L"*", L"..", kDir, false},
        {L"*", L"...", kNormal, true},
        // Hidden entries only when asked.
        {L"*", L"f.txt", FILE_ATTRIBUTE_HIDDEN, false},
    };
    for (const auto& c : cases) {
        TZemSearchOptions options;
        if (c.filter) options.SetFilter(c.filter);
        EXPECT_EQ(options.Matches(Entry(c.name, c.attributes), L"C:\\"), c.matches)
            << (c.filter ? c.filter : L"(none)") << " " << c.name;
    }
    TZemSearchOptions options;
    options.SetFilesOnly(true);
    EXPECT_FALSE(options.Matches(Entry(L"sub", kDir), L"C:\\"));
    options.SetIncludeHidden(true);
    EXPECT_TRUE(options.Matches(Entry(L"f.txt", FILE_ATTRIBUTE_HIDDEN), L"C:\\"));
}

TEST(SearchOptions, FilterOfBlankItemsMatchesNothingAlsoInACopy) {
    for (const bool autoWildcard : {false, true}) {
        for (const wchar_t* filter : {L" ; ", L";", L" ;; ; "}) {
            TZemSearchOptions source, copy;
            source.SetAutoWildcard(autoWildcard);
            source.SetFilter(filter);
            copy.Assign(&source);
            for (const TZemSearchOptions* options : {&source, &copy}) {
                EXPECT_EQ(options->Masks().Count(), 0) << filter;
                EXPECT_FALSE(options->Matches(Entry(L"a.txt"), L"C:\\")) << filter << " " << autoWildcard;
                EXPECT_FALSE(options->Matches(Entry(L"sub", kDir), L"C:\\")) << filter;
            }
        }
    }
}

TEST(SearchOptions, SizeLimitsAreInclusive) {
    const struct {
        int64_t min, max;
        const wchar_t* name;
        DWORD attributes;
        uint64_t size;
        bool matches;
    } cases[] = {
        {0, 0, L"sub", kDir, 0, true},
        {0, -1, L"huge", kNormal, 1ull << 40, true},
        {0, 0x100000000LL, L"4g", kNormal, 0x100000000ull, true},
        {0, 0x100000000LL, L"4g1", kNormal, 0x100000001ull, false},
        {1, -1, L"empty", kNormal, 0, false},
        {1, -1, L"sub", kDir, 0, false},
    };
    for (const auto& c : cases) {
        TZemSearchOptions options;
        options.SetMinFileSize(c.min);
        options.SetMaxFileSize(c.max);
        EXPECT_EQ(options.Matches(Entry(c.name, c.attributes, c.size), L"C:\\"), c.matches) << c.name << " " << c.max;
    }
}

TEST(SearchOptions, AssignCopiesEveryCriterionUnderTheSourcesAutoWildcard) {
    TZemSearchOptions source;
    source.SetAutoWildcard(false);
    source.SetFilter(L"report;*.doc");
    source.SetFilesOnly(true);
    source.SetIncludeHidden(true);
    source.SetRecursiveSearch(false);
    source.SetMaxFileSize(100);
    source.SetMinFileSize(10);
    source.SetCreationDateMax(44000.5);
    TZemSearchOptions copy;
    copy.Assign(&source);
    EXPECT_EQ(MasksOf(copy), (Masks{L"report", L"*.doc"}));
    EXPECT_TRUE(copy.FilesOnly() && copy.IncludeHidden() && !copy.RecursiveSearch());
    EXPECT_EQ(copy.MaxFileSize(), 100);
    EXPECT_EQ(copy.MinFileSize(), 10);
    EXPECT_EQ(copy.CreationDateMax(), 44000.5);
    // Later changes of the source do not reach the copy.
    source.SetFilter(L"*.xyz");
    EXPECT_EQ(copy.Filter(), L"report;*.doc");
    fw::TPersistent other;
    EXPECT_THROW(copy.Assign(&other), fw::Exception);
}
