// The background file search, against the smallest list that does what a file
// list does with it: adds the hits in order and counts the ends of searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "shell/ThreadPool.h"
#include "shell/ZemFileSearchThread.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using pooltest::PumpUntil;
using scratch::MakeFile;
using scratch::MakeFolder;

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
    void StopSearch() { pool.StopAll(true); }
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

TEST(FileSearchThread, HitsOfAFolderComeBeforeThoseOfItsSubfolders) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, (std::vector<std::wstring>{root + L"\\a.txt", root + L"\\sub\\c.txt"}));
    EXPECT_EQ(list.CurrentSearchThread, nullptr);
}

TEST(FileSearchThread, FoldersNamedWithTrailingDotsAreSearchedAsListed) {
    const std::wstring root = testenv::NewScratchFolder(L"searchdots");
    scratch::MakeDotNamesTree(root);
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    list.SearchOptions.SetIncludeHidden(true);  // Wine shows names that begin with a dot as hidden
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    std::vector<std::wstring> items = list.Items;
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::wstring>{root + L"\\...\\c.txt", root + L"\\...\\deep\\d.txt",
                                                root + L"\\dotdir.\\a.txt", root + L"\\dotdir\\b.txt"}));
}

TEST(FileSearchThread, WithoutRecursionOnlyTheFolderItselfIsSearched) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.SearchOptions.SetRecursiveSearch(false);
    list.StartSearch(root + L"\\");
    ASSERT_TRUE(WaitForEnds(list, 1));
    std::vector<std::wstring> items = list.Items;
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::wstring>{root + L"\\a.txt", root + L"\\b.dll", root + L"\\sub"}));
}

TEST(FileSearchThread, HiddenSubfolderIsEnteredOnlyWithIncludeHidden) {
    const std::wstring root = testenv::NewScratchFolder(L"search");
    MakeFolder(root + L"\\hid");
    MakeFile(root + L"\\hid\\inside.txt");
    SetFileAttributesW((root + L"\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);
    {
        TTestFileList list;
        list.StartSearch(root);
        ASSERT_TRUE(WaitForEnds(list, 1));
        EXPECT_TRUE(list.Items.empty());
    }
    TTestFileList list;
    list.SearchOptions.SetIncludeHidden(true);
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, (std::vector<std::wstring>{root + L"\\hid", root + L"\\hid\\inside.txt"}));
}

TEST(FileSearchThread, EverySearchEndsOnceAMissingFolderQuietly) {
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
}

TEST(FileSearchThread, OptionsChangedAfterStartDoNotReachTheRunningSearch) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    list.StartSearch(root);
    list.SearchOptions.SetFilter(L"*.dll");
    list.SearchOptions.SetRecursiveSearch(false);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, (std::vector<std::wstring>{root + L"\\a.txt", root + L"\\sub\\c.txt"}));
}

TEST(FileSearchThread, ProgressReportsEveryEntryDotsIncluded) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    std::vector<std::wstring> progress;
    list.BindProgress([&](const std::wstring& p) { progress.push_back(p); });
    list.SearchOptions.SetFilter(L"*.dll");
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, std::vector<std::wstring>{root + L"\\b.dll"});
    for (const std::wstring& p : {root + L"\\.", root + L"\\..", root + L"\\a.txt", root + L"\\b.dll", root + L"\\sub",
                                  root + L"\\sub\\.", root + L"\\sub\\c.txt"})
        EXPECT_NE(std::find(progress.begin(), progress.end(), p), progress.end()) << std::string(p.begin(), p.end());
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

TEST(FileSearchThread, DuplicatesAreSkippedOnlyWhenAsked) {
    const std::wstring root = SmallTree();
    TTestFileList list;
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    const size_t once = list.Items.size();
    list.SkipDuplicates = true;
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 2));
    EXPECT_EQ(list.Items.size(), once);
    list.SkipDuplicates = false;
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 3));
    EXPECT_EQ(list.Items.size(), 2 * once);
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

TEST(FileSearchThread, StopWhileHitsAreHandedOverEndsEachSearchOnceAndAddsNothingMore) {
    const std::wstring root = testenv::NewScratchFolder(L"searchstop");
    for (int i = 0; i < 400; ++i) MakeFile(root + L"\\f" + std::to_wstring(i));
    TTestFileList list;
    // With a progress handler every hit is handed over on its own.
    list.BindProgress([](const std::wstring&) {});
    list.StartSearch(root);
    list.StartSearch(root);
    ASSERT_TRUE(PumpUntil([&] { return list.Items.size() >= 20; }));
    list.StopSearch();
    EXPECT_EQ(list.EndSearches, 2);
    const size_t stoppedAt = list.Items.size();
    EXPECT_LT(stoppedAt, 800u);
    pooltest::PumpFor(30);
    EXPECT_EQ(list.Items.size(), stoppedAt);
    EXPECT_EQ(list.EndSearches, 2);
}

TEST(FileSearchThread, StopFollowedAtOnceByANewSearchRunsTheNewSearch) {
    const std::wstring root = testenv::NewScratchFolder(L"searchrestart");
    for (int i = 0; i < 300; ++i) MakeFile(root + L"\\f" + std::to_wstring(i));
    TTestFileList list;
    list.StartSearch(root);
    ASSERT_TRUE(PumpUntil([&] { return !list.Items.empty(); }));
    list.StopSearch();
    ASSERT_EQ(list.EndSearches, 1);
    list.Items.clear();
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 2));
    EXPECT_EQ(list.Items.size(), 300u);
}

TEST(FileSearchThread, SymlinkLoopIsSearchedOnceAndTheSearchEnds) {
    const std::wstring root = testenv::NewScratchFolder(L"searchloop");
    MakeFolder(root + L"\\a");
    MakeFile(root + L"\\a\\inside.txt");
    if (!scratch::MakeHostSymlink(root + L"\\a\\back", ".."))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    ASSERT_EQ(GetFileAttributesW((root + L"\\a\\back").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
              DWORD(FILE_ATTRIBUTE_REPARSE_POINT));
    TTestFileList list;
    list.SearchOptions.SetFilter(L"*.txt");
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    EXPECT_EQ(list.Items, std::vector<std::wstring>{root + L"\\a\\inside.txt"});
}

TEST(FileSearchThread, LinkToAnotherFolderIsSearchedOnce) {
    const std::wstring root = testenv::NewScratchFolder(L"searchlink");
    MakeFolder(root + L"\\real");
    MakeFile(root + L"\\real\\x.txt");
    MakeFolder(root + L"\\other");
    if (!scratch::MakeHostSymlink(root + L"\\other\\tolink", "../real") ||
        !scratch::MakeHostSymlink(root + L"\\other\\tolink2", "../real"))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    TTestFileList list;
    list.SearchOptions.SetFilter(L"x.txt");
    list.StartSearch(root);
    ASSERT_TRUE(WaitForEnds(list, 1));
    // The real folder is always searched; of the two links to it, none leads there again.
    EXPECT_EQ(std::count(list.Items.begin(), list.Items.end(), root + L"\\real\\x.txt"), 1);
    EXPECT_LE(list.Items.size(), 2u);
}
