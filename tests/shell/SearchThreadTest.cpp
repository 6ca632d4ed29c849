// Search options (filter parsing, the match rule for one entry) and the background
// search, against the smallest list that adds the hits in order and counts the ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/DateTime.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ThreadPool.h"
#include "shell/ZemFileSearchThread.h"
#include "shell/ZemSearchOptions.h"
#include "tests/common/TestEnv.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using pooltest::PumpUntil;
using scratch::MakeFile;
using scratch::MakeFolder;
using Paths = std::vector<std::wstring>;
using Masks = std::vector<std::wstring>;

namespace {

class TTestFileList : public IZemSearchReceiver {
public:
    TTestFileList() {
        pool.OnThreadFinished = [this](TZemThread*) {
            CurrentSearchThread = nullptr;
            ++EndSearches;
        };
    }

    void StartSearch(const std::wstring& Path) {
        auto* thread = new TZemFileSearchThread(&SearchOptions, this, Path, SkipDuplicates);
        CurrentSearchThread = thread;
        pool.AddThread(thread);
    }
    void BindProgress(std::function<void(const std::wstring&)> Handler) {
        OnSearchProgress = std::move(Handler);
        progressBound = bool(OnSearchProgress);
    }

    bool HasItemWithPath(const std::wstring& Path) override {
        const std::wstring p = fw::ExcludeTrailingPathDelimiter(Path);
        return std::any_of(Items.begin(), Items.end(),
                           [&](const std::wstring& i) { return fw::SameText(fw::ExcludeTrailingPathDelimiter(i), p); });
    }
    void AddSearchHit(const std::wstring& Path) override {
        Items.push_back(Path);
        if (OnAddItem) OnAddItem(Path);
    }
    // On the main thread the handler itself answers; a search thread sees a flag
    // that may lag behind, as a racy read of the handler would.
    bool HasSearchProgress() const override {
        return fw::IsMainThread() ? bool(OnSearchProgress) : progressBound.load();
    }
    void SearchProgress(const std::wstring& Path) override { OnSearchProgress(Path); }

    TZemSearchOptions SearchOptions;
    std::vector<std::wstring> Items;
    std::function<void(const std::wstring&)> OnAddItem;
    std::function<void(const std::wstring&)> OnSearchProgress;
    int EndSearches = 0;
    TZemThread* CurrentSearchThread = nullptr;
    bool SkipDuplicates = false;
    std::atomic<bool> progressBound{false};
    // Last, so it goes first: no search outlives the list it fills.
    TThreadPool pool;
};

bool WaitForEnds(TTestFileList& List, int Ends) {
    return PumpUntil([&] { return List.EndSearches >= Ends; });
}

// The hits of one search of Path with the options Configure sets, sorted.
Paths Search(const std::wstring& Path, const std::function<void(TZemSearchOptions&)>& Configure) {
    TTestFileList list;
    Configure(list.SearchOptions);
    list.StartSearch(Path);
    EXPECT_TRUE(WaitForEnds(list, 1));
    std::sort(list.Items.begin(), list.Items.end());
    return list.Items;
}

// Every entry of a tree as a search with "*" lists it: a folder's entries in the
// order the platform gives them, then each subfolder's, depth first.
void BareWalk(const std::wstring& Folder, std::vector<std::wstring>& Out) {
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        Out.push_back(Folder + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolders.push_back(Folder + name + L"\\");
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& s : subfolders) BareWalk(s, Out);
}

// a.txt, b.dll and sub\c.txt below a fresh folder.
std::wstring SmallTree() {
    const std::wstring root = testenv::NewScratchFolder(L"search");
    MakeFile(root + L"\\a.txt");
    MakeFile(root + L"\\b.dll");
    MakeFolder(root + L"\\sub");
    MakeFile(root + L"\\sub\\c.txt");
    return root;
}

}  // namespace

TEST(FileSearchThread, HitsOfAFolderComeFirstAndTheOptionsAreCopiedAtTheStart) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    list.StartSearch(root);
    list.SearchOptions.SetFilter(L"*.dll");
    list.SearchOptions.SetRecursiveSearch(false);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, (Paths{root + L"\\a.txt", root + L"\\sub\\c.txt"}));
    EXPECT_EQ(list.CurrentSearchThread, nullptr);
    EXPECT_EQ(Search(root + L"\\", [](TZemSearchOptions& o) { o.SetRecursiveSearch(false); }),
              (Paths{root + L"\\a.txt", root + L"\\b.dll", root + L"\\sub"}));
}

TEST(FileSearchThread, EverySearchEndsOnceAMissingFolderQuietlyAndDuplicatesAreSkippedOnlyWhenAsked) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.StartSearch(root);
    list.StartSearch(root + L"\\sub");
    list.StartSearch(root + L"\\missing");
    ASSERT_TRUE(WaitForEnds(list, 3));
    EXPECT_EQ(list.Items.size(), 5u);
    EXPECT_EQ(list.CurrentSearchThread, nullptr);
    pooltest::PumpFor(30);
    EXPECT_EQ(list.EndSearches, 3);
    for (const bool skip : {true, false}) {
        list.SkipDuplicates = skip;
        list.StartSearch(root);
        ASSERT_TRUE(WaitForEnds(list, list.EndSearches + 1));
    }
    EXPECT_EQ(list.Items.size(), 9u);
}

TEST(FileSearchThread, FoldersNamedWithTrailingDotsAreSearchedAsListedAndHiddenOnesEnteredOnlyWhenAsked) {
    const std::wstring root = testenv::NewScratchFolder(L"searchdots");
    scratch::MakeDotNamesTree(root);
    MakeFile(MakeFolder(root + L"\\hid") + L"\\inside.txt");
    SetFileAttributesW((root + L"\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto options = [](TZemSearchOptions& o) {
        o.SetFilter(L"*.txt");
        o.SetIncludeHidden(true);  // Wine shows names that begin with a dot as hidden
    };
    EXPECT_EQ(Search(root, options),
              (Paths{root + L"\\...\\c.txt", root + L"\\...\\deep\\d.txt", root + L"\\dotdir.\\a.txt",
                     root + L"\\dotdir\\b.txt", root + L"\\hid\\inside.txt"}));
    for (const std::wstring& hit : Search(root, [](TZemSearchOptions&) {}))
        EXPECT_EQ(hit.find(L"\\hid"), std::wstring::npos) << hit;
}

TEST(FileSearchThread, ProgressHandlerUnboundMeanwhileIsNotCalled) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    int calls = 0;
    list.BindProgress([&](const std::wstring&) { ++calls; });
    list.OnAddItem = [&](const std::wstring&) {
        // The handler goes while the search still believes it is there.
        list.OnSearchProgress = nullptr;
    };
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    // Calling the gone handler would have ended the search early.
    EXPECT_EQ(list.Items.size(), 4u);
    EXPECT_LE(calls, 3);  // ".", ".." and at most one entry before the first hit
}

TEST(FileSearchThread, ProgressReportsEveryEntryDotsIncludedEachHitFirst) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    Paths reported;
    list.BindProgress([&](const std::wstring& Path) {
        // A hit is in the list before its own report.
        if (fw::ExtractFileExt(Path) == L".txt") {
            EXPECT_NE(std::find(list.Items.begin(), list.Items.end(), Path), list.Items.end()) << Path;
        }
        reported.push_back(Path);
    });
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    std::sort(reported.begin(), reported.end());
    Paths expected{root + L"\\.",   root + L"\\..",     root + L"\\a.txt",   root + L"\\b.dll",
                   root + L"\\sub", root + L"\\sub\\.", root + L"\\sub\\..", root + L"\\sub\\c.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(reported, expected);
}

TEST(FileSearchThread, TenThousandFilesArriveInSearchOrderWithOneEnd) {
    const std::wstring root = testenv::NewScratchFolder(L"search10k");
    for (int f = 0; f < 10; ++f) {
        const std::wstring folder = MakeFolder(root + L"\\dir" + std::to_wstring(f));
        for (int i = 0; i < 1000; ++i) MakeFile(folder + L"\\file" + std::to_wstring(i) + L".dat");
    }
    std::vector<std::wstring> expected;
    BareWalk(root + L"\\", expected);
    ASSERT_EQ(expected.size(), 10010u);
    TTestFileList list;
    list.StartSearch(root);
    ASSERT_TRUE(PumpUntil([&] { return list.EndSearches >= 1; }, 120000));
    EXPECT_EQ(list.Items, expected);
    pooltest::PumpFor(30);
    EXPECT_EQ(list.EndSearches, 1);
}

TEST(FileSearchThread, StopWhileHitsAreHandedOverEndsEachSearchOnceAndANewSearchRunsAtOnce) {
    const std::wstring root = testenv::NewScratchFolder(L"searchstop");
    for (int i = 0; i < 400; ++i) MakeFile(root + L"\\f" + std::to_wstring(i));
    TTestFileList list;
    // With a progress handler every hit is handed over on its own.
    list.BindProgress([](const std::wstring&) {});
    list.StartSearch(root);
    list.StartSearch(root);
    ASSERT_TRUE(PumpUntil([&] { return list.Items.size() >= 20; }));
    list.pool.StopAll(true);
    EXPECT_EQ(list.EndSearches, 2);
    const size_t stoppedAt = list.Items.size();
    EXPECT_LT(stoppedAt, 800u);
    pooltest::PumpFor(30);
    EXPECT_EQ(list.Items.size(), stoppedAt);
    EXPECT_EQ(list.EndSearches, 2);

    list.Items.clear();
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 3));
    EXPECT_EQ(list.Items.size(), 400u);
}

TEST(FileSearchThread, LinksToAnAncestorOrToASearchedFolderAreNotFollowedAgain) {
    const std::wstring root = testenv::NewScratchFolder(L"searchlinks");
    MakeFolder(root + L"\\a");
    MakeFile(root + L"\\a\\inside.txt");
    MakeFolder(root + L"\\real");
    MakeFile(root + L"\\real\\x.txt");
    MakeFolder(root + L"\\other");
    if (!scratch::MakeHostSymlink(root + L"\\a\\back", "..") ||
        !scratch::MakeHostSymlink(root + L"\\other\\tolink", "../real") ||
        !scratch::MakeHostSymlink(root + L"\\other\\tolink2", "../real"))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    ASSERT_TRUE(IsReparsePoint(GetFileAttributesW((root + L"\\a\\back").c_str())));
    const Paths items = Search(root, [](TZemSearchOptions& o) { o.SetFilter(L"*.txt"); });
    const auto count = [&](const std::wstring& Name) {
        return std::count_if(items.begin(), items.end(), [&](const std::wstring& p) {
            return p.size() >= Name.size() && p.compare(p.size() - Name.size(), Name.size(), Name) == 0;
        });
    };
    // The loop is searched once; of the real folder and its two links, one at most leads there again.
    EXPECT_EQ(count(L"\\inside.txt"), 1);
    EXPECT_EQ(std::count(items.begin(), items.end(), root + L"\\real\\x.txt"), 1);
    EXPECT_LE(count(L"\\x.txt"), 2);
}

TEST(FileSearchThread, TheLastHitsArriveHoweverTheWalkEnds) {
    // One hit on each scratch drive, found by a walk of every ready drive: they are
    // the last batch of a walk that ends with the drives.
    const std::wstring drive = testenv::Env(L"TABULORIN_SCRATCH_DRIVE");
    const std::wstring folder = testenv::NewScratchFolder(L"searchends");
    const std::wstring name = fw::ExtractFileName(folder) + L".hit";
    Paths expected{folder + L"\\" + name};
    MakeFile(expected[0]);
    if (!drive.empty()) {
        expected.push_back(drive + name);
        MakeFile(expected[1]);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Search(L"", [&](TZemSearchOptions& o) { o.SetFilter(name); }), expected);
    // A recursive walk whose last folder holds no hit, and one whose last folder cannot be read.
    MakeFolder(folder + L"\\zz-empty");
    EXPECT_EQ(Search(folder, [&](TZemSearchOptions& o) { o.SetFilter(name); }), Paths{expected[0]});
    TTestFileList list;
    list.SearchOptions.SetFilter(name);
    list.StartSearch(folder + L"\\");
    list.StartSearch(folder + L"\\missing");
    ASSERT_TRUE(WaitForEnds(list, 2));
    EXPECT_EQ(list.Items, Paths{expected[0]});
    if (!drive.empty()) DeleteFileW(expected[1].c_str());
}

// ---- Search options ----------------------------------------------------------------

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
        // The mask rule: "*." takes names without an extension, "?" one character.
        {L"*.*", L"a.b.c", kNormal, true},
        {L"*.", L"abc", kNormal, true},
        {L"*.", L"abc.", kNormal, true},
        {L"*.", L"abc.txt", kNormal, false},
        {L"*.txt", L"Report.TXT", kNormal, true},
        {L"*.txt", L"report.txt.bak", kNormal, false},
        {L"a?c", L"a1c", kNormal, true},
        {L"a?c", L"ac", kNormal, false},
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
    options.SetMaxFileSize(-1);  // no limit, as the program sets it
    EXPECT_TRUE(options.Matches(Entry(L"huge", kNormal, 1ull << 40), L"C:\\"));
}

TEST(SearchOptions, SizeAndDateLimitsTakeTheEntriesExactlyAtThem) {
    TZemSearchOptions sizes;
    sizes.SetMinFileSize(10);
    sizes.SetMaxFileSize(1000);
    for (const auto& [size, matches] : {std::pair{9, false}, {10, true}, {1000, true}, {1001, false}})
        EXPECT_EQ(sizes.Matches(Entry(L"f.dat", kNormal, uint64_t(size)), L"C:\\"), matches) << size;
    // 1 June 2021, 12:00, taken as the calendar gives it: no zone is applied.
    const SYSTEMTIME noon{2021, 6, 2, 1, 12, 0, 0, 0};
    FILETIME at;
    ASSERT_TRUE(SystemTimeToFileTime(&noon, &at));
    const uint64_t ticks = (uint64_t(at.dwHighDateTime) << 32) | at.dwLowDateTime;
    const fw::TDateTime limit = fw::EncodeDate(2021, 6, 1) + fw::EncodeTime(12, 0, 0, 0);
    struct Limit {
        void (TZemSearchOptions::*Set)(fw::TDateTime);
        FILETIME WIN32_FIND_DATAW::*Time;
        bool IsMax;
    } limits[] = {
        {&TZemSearchOptions::SetCreationDateMax, &WIN32_FIND_DATAW::ftCreationTime, true},
        {&TZemSearchOptions::SetCreationDateMin, &WIN32_FIND_DATAW::ftCreationTime, false},
        {&TZemSearchOptions::SetAccessDateMax, &WIN32_FIND_DATAW::ftLastAccessTime, true},
        {&TZemSearchOptions::SetAccessDateMin, &WIN32_FIND_DATAW::ftLastAccessTime, false},
        {&TZemSearchOptions::SetLastWriteDateMax, &WIN32_FIND_DATAW::ftLastWriteTime, true},
        {&TZemSearchOptions::SetLastWriteDateMin, &WIN32_FIND_DATAW::ftLastWriteTime, false},
    };
    for (const Limit& l : limits) {
        TZemSearchOptions options;
        (options.*l.Set)(limit);
        for (const int step : {-1, 0, 1}) {
            WIN32_FIND_DATAW entry = Entry(L"f.txt");
            const uint64_t time = ticks + uint64_t(int64_t(step));
            entry.*l.Time = FILETIME{DWORD(time), DWORD(time >> 32)};
            EXPECT_EQ(options.Matches(entry, L"C:\\"), l.IsMax ? step <= 0 : step >= 0) << step << " " << l.IsMax;
        }
    }
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

TEST(SearchOptions, AssignCopiesEveryCriterionUnderTheSourcesAutoWildcard) {
    TZemSearchOptions source;
    source.SetAutoWildcard(false);
    source.SetFilter(L"report;*.doc");
    source.SetFilesOnly(true);
    source.SetIncludeHidden(true);
    source.SetRecursiveSearch(false);
    source.SetMaxFileSize(100);
    TZemSearchOptions copy;
    copy.Assign(&source);
    EXPECT_EQ(MasksOf(copy), (Masks{L"report", L"*.doc"}));
    EXPECT_TRUE(copy.FilesOnly() && copy.IncludeHidden() && !copy.RecursiveSearch());
    EXPECT_EQ(copy.MaxFileSize(), 100);
    // Later changes of the source do not reach the copy.
    source.SetFilter(L"*.xyz");
    EXPECT_EQ(copy.Filter(), L"report;*.doc");
}
