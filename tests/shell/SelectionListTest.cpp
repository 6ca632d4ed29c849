// The selection list (checked paths, states, climbs, totals, renames), the shell
// link, and the shell work items (sizes, link targets, icons, thumbnails, checks).
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/SpecialFolders.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemSystemImageList.h"
#include "shell/ZemWorkItems.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"
#include "tests/shell/ZemSelectionListFixture.h"

using namespace shell;
using scratch::MakeFile;
using scratch::MakeFolder;
using Names = std::vector<std::wstring>;

namespace {

class SelectionList : public SelectionListFixture {
protected:
    // Once every size sum has come back.
    void ExpectTotals(int64_t Size, int Files, int Folders) {
        ASSERT_TRUE(pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
        EXPECT_EQ(list->TotalSize(), Size);
        EXPECT_EQ(list->TotalFiles(), Files);
        EXPECT_EQ(list->TotalFolders(), Folders);
    }
    TZemSelectionState State(const std::wstring& Path, bool* Inherited = nullptr) {
        bool inherited = false;
        const TZemSelectionState state = list->GetState(Path, inherited);
        if (Inherited) *Inherited = inherited;
        return state;
    }
};

}  // namespace

TEST_F(SelectionList, ChecksAndUnchecksKeepTheFewestEntries) {
    const std::wstring a = data + L"\\a.txt", b = data + L"\\b.txt", sub = data + L"\\sub";
    const struct {
        std::vector<std::pair<bool, std::wstring>> steps;  // check (true) or uncheck a path
        Names entries;
    } cases[] = {
        {{{true, data}}, {data + L"\\*"}},
        // Unchecking below a checked folder enters the other objects, on every level.
        {{{true, data}, {false, a}}, {b, sub + L"\\*"}},
        {{{true, data}, {false, sub + L"\\c.txt"}}, {a, b}},
        // Checking every object one by one ends with the folder's entry.
        {{{true, a}, {true, sub}}, {a, sub + L"\\*"}},
        {{{true, a}, {true, sub}, {true, b}}, {data + L"\\*"}},
    };
    for (const auto& c : cases) {
        list->Clear();
        for (const auto& [check, path] : c.steps) check ? list->Check(path) : list->Uncheck(path);
        EXPECT_EQ(Paths(), c.entries) << c.steps.size();
    }
    list->Clear();
    list->Check(data);
    bool inherited = false;
    EXPECT_EQ(State(a, &inherited), ssChecked);
    EXPECT_TRUE(inherited);
    EXPECT_EQ(State(data, &inherited), ssChecked);
    EXPECT_FALSE(inherited);
    EXPECT_EQ(State(root), ssGrayed);
    EXPECT_EQ(State(root + L"\\other.txt"), ssUnChecked);
    list->Uncheck(sub + L"\\c.txt");
    EXPECT_EQ(State(sub), ssUnChecked);
    EXPECT_EQ(State(data), ssGrayed);
    // A rename moves the entries with it.
    list->Rename(data, root + L"\\Renamed");
    EXPECT_EQ(Paths(), (Names{root + L"\\Renamed\\a.txt", root + L"\\Renamed\\b.txt"}));
}

TEST_F(SelectionList, PathsThatAreNoObjectsAreNeverEntered) {
    for (const std::wstring& p :
         {root + L"\\missing.txt", data + L"\\..", data + L"\\.", std::wstring(L"."), std::wstring(L".."),
          data + L"\\*.txt", data + L"\\?.txt", std::wstring(L"Q:\\"), std::wstring()}) {
        list->Check(p);
        EXPECT_EQ(State(p), ssDisabled) << std::string(p.begin(), p.end());
    }
    EXPECT_TRUE(Paths().empty());
    EXPECT_FALSE(IsExistingFile(data + L"\\?.txt"));
    EXPECT_FALSE(IsExistingFolder(data + L"\\s*"));
    EXPECT_TRUE(IsExistingFolder(data + L"\\sub\\"));
}

TEST_F(SelectionList, TotalsStayRightThroughClimbsUnchecksAndClearing) {
    list->Check(data + L"\\a.txt");
    list->Check(data + L"\\b.txt");
    ExpectTotals(30, 2, 0);
    list->Check(data + L"\\sub");  // climbs: Data with everything below it
    ASSERT_EQ(Paths(), Names{data + L"\\*"});
    ExpectTotals(60, 3, 2);
    list->Uncheck(data + L"\\a.txt");
    ExpectTotals(50, 2, 1);
    list->Uncheck(data + L"\\sub");
    ExpectTotals(20, 1, 0);
    list->Uncheck(data + L"\\b.txt");
    EXPECT_TRUE(Paths().empty());
    ExpectTotals(0, 0, 0);
    // Clearing cancels the sums still on their way.
    list->Check(data);
    list->Clear();
    ExpectTotals(0, 0, 0);
}

TEST_F(SelectionList, PathsSetOrAssignedAreCheckedOneByOneAndAPartlyCheckedFolderUnchecksWhole) {
    int completed = 0;
    list->OnCompletedCalculateFiles = [&](fw::TObject*) { ++completed; };
    // A file counts at once, before any sum is served.
    list->Check(data + L"\\a.txt");
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(list->TotalSize(), 10);
    // The paths set replace the entries, each checked: the missing one is dropped,
    // the lone file climbs to its folder.
    const auto paths = scratch::PathList({data + L"\\b.txt", root + L"\\missing.txt", data + L"\\sub\\c.txt"});
    list->SetPaths(paths.get());
    const Names expected{data + L"\\b.txt", data + L"\\sub\\*"};
    EXPECT_EQ(Paths(), expected);
    ExpectTotals(50, 2, 1);
    TZemSelectionList copy(nullptr);
    copy.Assign(list.get());
    Names copied;
    for (int i = 0; i < copy.Paths()->Count(); ++i) copied.push_back(copy.Paths()->Strings(i));
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(copied, expected);
    // Unchecking the partly checked Data takes every entry below it.
    list->Uncheck(data);
    EXPECT_TRUE(Paths().empty());
    ExpectTotals(0, 0, 0);
}

TEST_F(SelectionList, ASumThePoolDropsUndeliveredIsNoLongerPendingAtTheNextChange) {
    list->Check(data);
    ASSERT_EQ(list->PendingSums(), 1);
    // A sum to add is no sum to take away.
    EXPECT_EQ(list->PendingAdditions(), 1);
    EXPECT_EQ(list->PendingSubtractions(), 0);
    // Sub unchecked below checked Data: its sum is one to take away.
    list->Uncheck(data + L"\\sub");
    EXPECT_EQ(list->PendingAdditions(), 1);
    EXPECT_EQ(list->PendingSubtractions(), 1);
    // Cancelled behind the list's back: it never comes back to be taken off.
    GlobalWorkerPool->CancelWorkItems(list.get(), 0, TWorkItemClass::Of<TZemFolderSizeWorkItem>());
    list->SetCalculateSizes(false);  // the next change queues no sum of its own
    list->Check(root + L"\\other.txt");
    EXPECT_EQ(list->PendingSums(), 0);
}

TEST_F(SelectionList, FoldersNamedWithTrailingDotsKeepTheirOwnStatesAndSizes) {
    scratch::MakeDotNamesTree(data);
    list->Check(data + L"\\dotdir.");
    ExpectTotals(1, 1, 1);
    EXPECT_EQ(State(data + L"\\dotdir.\\a.txt"), ssChecked);
    EXPECT_EQ(State(data + L"\\dotdir\\b.txt"), ssUnChecked);
    list->Check(data + L"\\...\\deep");
    ExpectTotals(5, 2, 2);
    list->Uncheck(data + L"\\dotdir.");
    ExpectTotals(4, 1, 1);
}

TEST_F(SelectionList, ComputerFolderIsPartlyCheckedOnlyWithADriveEntry) {
    fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    fw::PidlPtr network(GetSpecialFolderIDList(SF_NETWORK));
    bool inherited;
    EXPECT_EQ(list->GetStateOfIDList(drives.get(), inherited), ssDisabled);
    list->Check(data + L"\\a.txt");
    EXPECT_EQ(list->GetStateOfIDList(drives.get(), inherited), ssGrayed);
    EXPECT_EQ(network ? list->GetStateOfIDList(network.get(), inherited) : ssDisabled, ssDisabled);
    fw::PidlPtr file(PathToPidl(nullptr, data + L"\\a.txt"));
    EXPECT_EQ(list->GetStateOfIDList(file.get(), inherited), ssChecked);
}

namespace {

// Takes every kind of work item result, with the owner it came for.
struct TViewer : IIconViewer, IPathExistsViewer, IThumbnailViewer, ICheckBoxViewer {
    std::vector<int> icons;
    std::vector<void*> owners;
    std::vector<bool> exists;
    std::vector<std::pair<int, SIZE>> thumbnails;  // image index and picture size
    std::vector<TZemSelectionState> states;
    void IconLoaded(int IconIndex, uint8_t, void* Owner) override {
        icons.push_back(IconIndex);
        owners.push_back(Owner);
    }
    void ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) override {
        thumbnails.emplace_back(Index, Bitmap ? SIZE{Bitmap->Width(), Bitmap->Height()} : SIZE{0, 0});
        owners.push_back(Owner);
    }
    void PathExistsResult(TPathExistsWorkItem* Item) override { exists.push_back(Item->Exists()); }
    void CheckBoxStateLoaded(TCheckBoxWorkItem* Item) override { states.push_back(Item->State()); }
};

}  // namespace

TEST_F(SelectionList, CheckBoxItemReadsTheListAsItStoodWhenQueued) {
    list->Check(data);
    TViewer viewer;
    fw::PidlPtr file(PathToPidl(nullptr, data + L"\\a.txt"));
    auto item = std::make_shared<TCheckBoxWorkItem>(file.get(), list.get(), &viewer, nullptr, 1);
    // The main thread goes on changing the list while the worker reads its copy.
    list->Clear();
    GlobalWorkerPool->AddWorkItem(item);
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.states.size() == 1; }));
    EXPECT_EQ(viewer.states[0], ssChecked);
    EXPECT_TRUE(item->Inherited());
}

// ---- The shell link ---------------------------------------------------------------

namespace {

struct TFakeControl : IZemShellControl {
    TZemShellLink* link = nullptr;
    std::vector<std::string> calls;
    bool raiseOnSelect = false;
    void SetShellLink(TZemShellLink* Link) override {
        if (link) link->RemoveControl(this);
        link = Link;
        if (link) link->AddControl(this);
        calls.push_back("link");
    }
    TZemShellLink* GetShellLink() override { return link; }
    void FolderSelected(LPCITEMIDLIST) override {
        calls.push_back("folder");
        if (raiseOnSelect) throw fw::Exception(L"control failed");
    }
    void ObjectSelected(LPCITEMIDLIST, LPCITEMIDLIST) override { calls.push_back("object"); }
    void ObjectsChanged() override { calls.push_back("changed"); }
    void Refresh() override { calls.push_back("refresh"); }
    void SelectionChanged() override { calls.push_back("selection"); }
    bool SelectFirst() override { return false; }
};

}  // namespace

TEST_F(SelectionList, TheLinkBroadcastsToAllButTheSenderWhileEnabledAndNotUpdatingAndOutlivesARaisingControl) {
    TFakeControl a, b;
    auto* link = new TZemShellLink(nullptr);
    a.SetShellLink(link);
    b.SetShellLink(link);
    link->AddControl(&a);
    EXPECT_EQ(link->ControlCount(), 2);
    int changes = 0;
    link->OnChange = [&](fw::TObject*) { ++changes; };
    link->NotifyFolderSelected(&a, nullptr);
    link->NotifyRefresh(&b);
    link->NotifyRefresh();
    EXPECT_EQ(a.calls, (std::vector<std::string>{"link", "refresh", "refresh"}));
    EXPECT_EQ(b.calls, (std::vector<std::string>{"link", "folder", "refresh"}));
    EXPECT_EQ(changes, 1);
    link->SetEnabled(false);
    link->NotifyObjectsChanged(nullptr);
    EXPECT_EQ(a.calls.size(), 3u);
    link->SetEnabled(true);

    const auto selections = [&] { return std::count(a.calls.begin(), a.calls.end(), "selection"); };
    TZemSelectionList* linked = link->SelectionList();
    ASSERT_EQ(linked->Link(), link);
    linked->Check(data + L"\\a.txt");
    EXPECT_EQ(selections(), 1);
    linked->BeginUpdate();
    linked->Check(data + L"\\b.txt");
    EXPECT_EQ(selections(), 1);
    linked->EndUpdate();
    EXPECT_EQ(selections(), 2);

    b.raiseOnSelect = true;
    EXPECT_THROW(link->NotifyFolderSelected(&a, nullptr), fw::Exception);
    EXPECT_TRUE(link->Enabled());
    link->NotifySelectionChanged();
    ASSERT_FALSE(b.calls.empty());
    EXPECT_EQ(b.calls.back(), "selection");
    delete link;
    EXPECT_EQ(a.link, nullptr);
    EXPECT_EQ(b.link, nullptr);
}

// ---- Work items --------------------------------------------------------------------

namespace {

struct Sizes {
    int64_t size;
    int files, folders;
    bool operator==(const Sizes& o) const { return size == o.size && files == o.files && folders == o.folders; }
};

Sizes SizeOf(const std::wstring& Path, bool Recursive = true, bool FollowLinks = false) {
    TZemFolderSizeWorkItem item(Path, Recursive, FollowLinks);
    item.Execute();
    return {item.Size(), item.FileCount(), item.FolderCount()};
}

}  // namespace

TEST_F(SelectionList, FolderSizeCountsTheFolderItselfAndEverythingBelowAndTrailingDotsAsListed) {
    EXPECT_EQ(SizeOf(data), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data + L"\\"), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data, false), (Sizes{0, 0, 1}));
    EXPECT_EQ(SizeOf(data + L"\\a.txt"), (Sizes{10, 1, 0}));
    EXPECT_EQ(SizeOf(data + L"\\missing"), (Sizes{0, 0, 0}));
    // "folder\*" counts the folder's contents.
    EXPECT_EQ(SizeOf(data + L"\\*"), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data + L"\\sub\\*"), (Sizes{30, 1, 1}));

    const std::wstring dots = scratch::MakeFolder(root + L"\\dots");
    scratch::MakeDotNamesTree(dots);
    EXPECT_EQ(SizeOf(dots + L"\\dotdir."), (Sizes{1, 1, 1}));
    EXPECT_EQ(SizeOf(dots + L"\\dotdir"), (Sizes{2, 1, 1}));
    EXPECT_EQ(SizeOf(dots + L"\\..."), (Sizes{7, 2, 2}));
    EXPECT_EQ(SizeOf(dots), (Sizes{10, 4, 5}));
}

TEST_F(SelectionList, AFolderShortcutStandsForItsTargetOrIsDisabled) {
    const std::wstring shortcut = MakeFolder(root + L"\\shortcut");
    ASSERT_TRUE(scratch::MakeShortcut(shortcut + L"\\target.lnk", data));
    EXPECT_TRUE(TZemSelectionList::IsFolderShortcut(shortcut));
    EXPECT_TRUE(TZemSelectionList::IsFolderShortcut(shortcut + L"\\*"));
    EXPECT_FALSE(TZemSelectionList::IsFolderShortcut(data));
    list->SetCalculateSizes(false);
    list->Check(shortcut);
    EXPECT_EQ(Paths(), (Names{data + L"\\*"}));
    bool inherited = true;
    EXPECT_EQ(list->GetState(shortcut, inherited), ssChecked);
    EXPECT_FALSE(inherited);
    list->SetResolveFolderShortcuts(false);
    EXPECT_EQ(list->GetState(shortcut, inherited), ssDisabled);
    list->Uncheck(shortcut);
    EXPECT_EQ(Paths(), (Names{data + L"\\*"}));
}

TEST_F(SelectionList, FolderSizeNeverCountsALinkBackIntoTheTreeTwice) {
    if (!scratch::MakeHostSymlink(data + L"\\sub\\back", ".."))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    EXPECT_EQ(SizeOf(data, true, false), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data, true, true), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data + L"\\sub\\back\\*", true, true).files, 3);  // the link itself is summed as a folder
}

TEST_F(SelectionList, FolderSizeCountsEveryLevelOfADeepTreeAndFollowsLinksOutOnceWithoutLooping) {
    // 200 levels, a file of one byte on each: every one counts.
    const std::wstring deep = MakeFolder(root + L"\\deep");
    std::wstring level = L"\\\\?\\" + deep;
    for (int i = 0; i < 200; ++i) {
        level += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(level.c_str(), nullptr)) << i;
        MakeFile(level + L"\\f", 1);
    }
    EXPECT_EQ(SizeOf(deep), (Sizes{200, 200, 201}));
    // A link out of the tree to a folder that holds a link to itself. Wine cannot
    // read the links' data: the first is followed all the same, once; the second
    // leads back into a folder the walk is inside, and is not.
    const std::wstring outside = MakeFolder(root + L"\\outside");
    MakeFile(outside + L"\\o.txt", 7);
    if (!scratch::MakeHostSymlink(data + L"\\out", "../outside") || !scratch::MakeHostSymlink(outside + L"\\self", "."))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    EXPECT_EQ(SizeOf(data, true, false), (Sizes{60, 3, 2}));
    EXPECT_EQ(SizeOf(data, true, true), (Sizes{67, 4, 3}));
    EXPECT_EQ(SizeOf(outside, true, true), (Sizes{7, 1, 1}));
}

namespace {

// A reparse data block: tag, data length, reserved, then the name fields and,
// for a symbolic link, its flags; the substitute name first in the path buffer.
std::vector<BYTE> ReparseBlock(DWORD Tag, const std::wstring& Name, size_t PathBuffer) {
    std::vector<BYTE> block(PathBuffer + Name.size() * 2 + 2, 0);
    std::memcpy(block.data(), &Tag, 4);
    const USHORT length = USHORT(Name.size() * 2);
    const USHORT printOffset = USHORT(length + 2);
    std::memcpy(block.data() + 10, &length, 2);
    std::memcpy(block.data() + 12, &printOffset, 2);
    std::memcpy(block.data() + PathBuffer, Name.c_str(), Name.size() * 2);
    return block;
}

}  // namespace

TEST(ReparseTarget, OnlyJunctionsAndSymbolicLinksWithinTheReturnedBytes) {
    auto junction = ReparseBlock(IO_REPARSE_TAG_MOUNT_POINT, L"\\??\\C:\\target", 16);
    EXPECT_EQ(ParseReparseTarget(junction.data(), junction.size()), L"C:\\target");
    auto symlink = ReparseBlock(IO_REPARSE_TAG_SYMLINK, L"\\??\\D:\\other\\dir", 20);
    EXPECT_EQ(ParseReparseTarget(symlink.data(), symlink.size()), L"D:\\other\\dir");
    auto unknown = ReparseBlock(0x80000017, L"\\??\\C:\\target", 16);
    EXPECT_EQ(ParseReparseTarget(unknown.data(), unknown.size()), L"");
    EXPECT_EQ(ParseReparseTarget(junction.data(), 24), L"");  // the name runs past the bytes returned
    EXPECT_EQ(ParseReparseTarget(junction.data(), 8), L"");
    EXPECT_EQ(ParseReparseTarget(nullptr, 100), L"");
}

TEST_F(SelectionList, IconOverlayThumbnailAndExistenceResultsReachTheirViewerWithTheOwner) {
    const std::wstring a = data + L"\\a.txt", link = data + L"\\x.lnk";
    ASSERT_TRUE(scratch::MakeShortcut(link, a));
    fw::PidlPtr linkList(PathToPidl(nullptr, link)), file(PathToPidl(nullptr, a));
    TViewer viewer;
    int owner = 0;
    // One at a time, so the results come in the order asked: an icon, then overlays.
    for (const std::shared_ptr<TIconWorkItem>& item :
         {std::make_shared<TIconWorkItem>(data, 0, &viewer, &owner, 1),
          std::make_shared<TIconWorkItem>(link, 1, &viewer, &owner, 1),
          std::make_shared<TIconWorkItem>(linkList.get(), 1, &viewer, &owner, 1),
          std::make_shared<TIconWorkItem>(a, 1, &viewer, &owner, 1)}) {
        const size_t before = viewer.icons.size();
        GlobalWorkerPool->AddWorkItem(item);
        ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.icons.size() > before; }));
    }
    EXPECT_EQ(viewer.icons,
              (std::vector<int>{TZemSystemImageList::GetIconIndexByPath(data, si_small, false), 1, 1, -1}));

    GlobalWorkerPool->AddWorkItem(std::make_shared<TPathExistsWorkItem>(a, &viewer, &owner, 1));
    GlobalWorkerPool->AddWorkItem(std::make_shared<TPathExistsWorkItem>(data + L"\\gone.txt", &viewer, &owner, 1));
    // The thumbnail goes to the image it was asked for, at the size asked.
    GlobalWorkerPool->AddWorkItem(
        std::make_shared<TThumbnailWorkItem>(file.get(), 48, 40, true, 7, &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.exists.size() == 2 && viewer.thumbnails.size() == 1; }));
    EXPECT_EQ(std::count(viewer.exists.begin(), viewer.exists.end(), true), 1);
    EXPECT_EQ(viewer.thumbnails[0].first, 7);
    EXPECT_EQ(viewer.thumbnails[0].second.cx, 48);
    EXPECT_EQ(viewer.thumbnails[0].second.cy, 40);
    EXPECT_EQ(viewer.owners, std::vector<void*>(5, &owner));

    // A bare server name exists; a wildcard never does.
    TPathExistsWorkItem server(L"\\\\server", nullptr, nullptr, 0);
    server.Execute();
    EXPECT_TRUE(server.Exists());
    TPathExistsWorkItem wildcard(L"C:\\*", nullptr, nullptr, 0);
    wildcard.Execute();
    EXPECT_FALSE(wildcard.Exists());
}
