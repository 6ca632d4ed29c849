// The shell work items: folder sizes (links and "folder\*" included), link
// targets, icons, overlays, thumbnails and existence checks.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemSystemImageList.h"
#include "shell/ZemWorkItems.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using scratch::MakeFile;
using scratch::MakeFolder;

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

// Data\a.txt (10 bytes) and Data\sub\c.txt (30 bytes) below a fresh folder.
std::wstring SizeTree() {
    const std::wstring data = MakeFolder(testenv::NewScratchFolder(L"size") + L"\\Data");
    MakeFile(data + L"\\a.txt", 10);
    MakeFolder(data + L"\\sub");
    MakeFile(data + L"\\sub\\c.txt", 30);
    return data;
}

}  // namespace

TEST(FolderSizeWorkItem, FolderCountsItselfAndEverythingBelow) {
    const std::wstring data = SizeTree();
    EXPECT_EQ(SizeOf(data), (Sizes{40, 2, 2}));
    EXPECT_EQ(SizeOf(data + L"\\"), (Sizes{40, 2, 2}));
    EXPECT_EQ(SizeOf(data, false), (Sizes{0, 0, 1}));
    EXPECT_EQ(SizeOf(data + L"\\a.txt"), (Sizes{10, 1, 0}));
    EXPECT_EQ(SizeOf(data + L"\\missing"), (Sizes{0, 0, 0}));
    // "folder\*" counts the folder's contents.
    EXPECT_EQ(SizeOf(data + L"\\*"), (Sizes{40, 2, 2}));
    EXPECT_EQ(SizeOf(data + L"\\sub\\*"), (Sizes{30, 1, 1}));
}

TEST(FolderSizeWorkItem, FoldersNamedWithTrailingDotsAreSummedAsListed) {
    const std::wstring root = testenv::NewScratchFolder(L"sizedots");
    scratch::MakeDotNamesTree(root);
    EXPECT_EQ(SizeOf(root + L"\\dotdir."), (Sizes{1, 1, 1}));
    EXPECT_EQ(SizeOf(root + L"\\dotdir"), (Sizes{2, 1, 1}));
    EXPECT_EQ(SizeOf(root + L"\\..."), (Sizes{7, 2, 2}));
    EXPECT_EQ(SizeOf(root), (Sizes{10, 4, 5}));
}

TEST(FolderSizeWorkItem, LinkBackIntoTheTreeIsNeverCountedTwice) {
    const std::wstring data = SizeTree();
    if (!scratch::MakeHostSymlink(data + L"\\sub\\back", ".."))
        GTEST_SKIP() << "the host side of the scratch drive cannot be reached";
    EXPECT_EQ(SizeOf(data, true, false), (Sizes{40, 2, 2}));
    EXPECT_EQ(SizeOf(data, true, true), (Sizes{40, 2, 2}));
    EXPECT_EQ(SizeOf(data + L"\\sub\\back\\*", true, true).files, 2);  // the link itself is summed as a folder
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

namespace {

struct TViewer : IIconViewer, IPathExistsViewer, IThumbnailViewer {
    std::vector<int> icons;
    std::vector<void*> owners;
    std::vector<bool> exists;
    std::vector<int> thumbnailIndexes;
    std::vector<SIZE> thumbnailSizes;
    void IconLoaded(int IconIndex, uint8_t, void* Owner) override {
        icons.push_back(IconIndex);
        owners.push_back(Owner);
    }
    void ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) override {
        thumbnailIndexes.push_back(Index);
        thumbnailSizes.push_back(Bitmap ? SIZE{Bitmap->Width(), Bitmap->Height()} : SIZE{0, 0});
        owners.push_back(Owner);
    }
    void PathExistsResult(TPathExistsWorkItem* Item) override { exists.push_back(Item->Exists()); }
};

class WorkItems : public testing::Test {
protected:
    void SetUp() override { ShellLibraryStartup(); }
    void TearDown() override { ShellLibraryShutdown(); }
};

}  // namespace

TEST_F(WorkItems, IconAndExistenceResultsReachTheirViewerWithTheOwner) {
    const std::wstring root = testenv::NewScratchFolder(L"items");
    MakeFile(root + L"\\x.txt");
    TViewer viewer;
    int owner = 0;
    GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(root, 0, &viewer, &owner, 1));
    GlobalWorkerPool->AddWorkItem(std::make_shared<TPathExistsWorkItem>(root + L"\\x.txt", &viewer, &owner, 1));
    GlobalWorkerPool->AddWorkItem(std::make_shared<TPathExistsWorkItem>(root + L"\\gone.txt", &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.icons.size() == 1 && viewer.exists.size() == 2; }));
    EXPECT_EQ(viewer.icons[0], TZemSystemImageList::GetIconIndexByPath(root, si_small, false));
    EXPECT_EQ(viewer.owners[0], &owner);
    EXPECT_EQ(std::count(viewer.exists.begin(), viewer.exists.end(), true), 1);
}

TEST_F(WorkItems, OverlayOfAShortcutByPathAndByItemIDListAndAThumbnailForItsImage) {
    const std::wstring root = testenv::NewScratchFolder(L"overlay");
    MakeFile(root + L"\\x.txt");
    ASSERT_TRUE(scratch::MakeShortcut(root + L"\\x.lnk", root + L"\\x.txt"));
    fw::PidlPtr link(PathToPidl(nullptr, root + L"\\x.lnk"));
    fw::PidlPtr file(PathToPidl(nullptr, root + L"\\x.txt"));
    TViewer viewer;
    int owner = 0;
    GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(root + L"\\x.lnk", 1, &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.icons.size() == 1; }));
    GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(link.get(), 1, &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.icons.size() == 2; }));
    GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(root + L"\\x.txt", 1, &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.icons.size() == 3; }));
    EXPECT_EQ(viewer.icons, (std::vector<int>{1, 1, -1}));

    // The thumbnail goes to the image it was asked for, at the size asked.
    GlobalWorkerPool->AddWorkItem(
        std::make_shared<TThumbnailWorkItem>(file.get(), 48, 40, true, 7, &viewer, &owner, 1));
    ASSERT_TRUE(pooltest::PumpUntil([&] { return viewer.thumbnailIndexes.size() == 1; }));
    EXPECT_EQ(viewer.thumbnailIndexes[0], 7);
    EXPECT_EQ(viewer.thumbnailSizes[0].cx, 48);
    EXPECT_EQ(viewer.thumbnailSizes[0].cy, 40);
    EXPECT_EQ(viewer.owners.back(), &owner);
}

TEST_F(WorkItems, BareServerNameCountsAsExisting) {
    TPathExistsWorkItem server(L"\\\\server", nullptr, nullptr, 0);
    server.Execute();
    EXPECT_TRUE(server.Exists());
    TPathExistsWorkItem wildcard(L"C:\\*", nullptr, nullptr, 0);
    wildcard.Execute();
    EXPECT_FALSE(wildcard.Exists());
}
