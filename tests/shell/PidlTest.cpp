// Item-ID lists: building, copying, cutting, counting, comparing and the
// conversions between paths and lists.
#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"
#include "tests/common/TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>
#include <vector>

using namespace shell;

namespace {

// A list of items whose payloads are Sizes bytes long, each byte its item's number.
fw::PidlPtr MakeList(std::initializer_list<int> Sizes) {
    UINT total = 2;
    for (int s : Sizes) total += UINT(s) + 2;
    fw::PidlPtr list(PidlAlloc(total));
    auto* p = reinterpret_cast<BYTE*>(list.get());
    BYTE number = 1;
    for (int s : Sizes) {
        const USHORT cb = USHORT(s + 2);
        std::memcpy(p, &cb, 2);
        std::memset(p + 2, number++, s);
        p += cb;
    }
    return list;
}

std::vector<BYTE> Bytes(LPCITEMIDLIST Pidl) {
    const auto* p = reinterpret_cast<const BYTE*>(Pidl);
    return std::vector<BYTE>(p, p + PidlSize(Pidl));
}

fw::PidlPtr SpecialList(int Csidl) {
    fw::PidlPtr list;
    SHGetSpecialFolderLocation(nullptr, Csidl, list.put());
    return list;
}

}  // namespace

TEST(Pidl, SizeCountAndByteCopies) {
    EXPECT_EQ(PidlSize(nullptr), 0u);
    EXPECT_EQ(PidlCount(nullptr), 0);
    EXPECT_EQ(PidlSize(DesktopPidl()), 2u);
    EXPECT_EQ(PidlCount(DesktopPidl()), 0);
    const fw::PidlPtr list = MakeList({3, 10, 1});
    EXPECT_EQ(PidlSize(list.get()), 2u + 5 + 12 + 3);
    EXPECT_EQ(PidlCount(list.get()), 3);

    EXPECT_EQ(PidlClone(nullptr), nullptr);
    const fw::PidlPtr copy(PidlClone(list.get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), list.get());
    EXPECT_EQ(Bytes(copy.get()), Bytes(list.get()));
    const fw::PidlPtr empty(PidlClone(DesktopPidl()));
    EXPECT_EQ(PidlSize(empty.get()), 2u);
}

TEST(Pidl, ConcatKeepsOneTerminator) {
    EXPECT_EQ(PidlConcat(nullptr, nullptr), nullptr);
    const fw::PidlPtr a = MakeList({3, 4});
    const fw::PidlPtr b = MakeList({5});
    const fw::PidlPtr onlyB(PidlConcat(nullptr, b.get()));
    EXPECT_EQ(Bytes(onlyB.get()), Bytes(b.get()));
    const fw::PidlPtr onlyA(PidlConcat(a.get(), nullptr));
    EXPECT_EQ(Bytes(onlyA.get()), Bytes(a.get()));

    const fw::PidlPtr joined(PidlConcat(a.get(), b.get()));
    ASSERT_TRUE(joined);
    EXPECT_EQ(PidlSize(joined.get()), PidlSize(a.get()) + PidlSize(b.get()) - 2);
    EXPECT_EQ(PidlCount(joined.get()), 3);
    const fw::PidlPtr third(PidlItem(joined.get(), 2));
    EXPECT_EQ(Bytes(third.get()), Bytes(b.get()));

    const fw::PidlPtr withEmpty(PidlConcat(a.get(), DesktopPidl()));
    EXPECT_EQ(Bytes(withEmpty.get()), Bytes(a.get()));
}

TEST(Pidl, ItemAndTruncateSplitAList) {
    const fw::PidlPtr list = MakeList({3, 4, 5});
    const int count = PidlCount(list.get());
    const fw::PidlPtr parent(PidlTruncate(list.get(), count - 1));
    const fw::PidlPtr last(PidlItem(list.get(), count - 1));
    EXPECT_EQ(PidlCount(parent.get()), 2);
    EXPECT_EQ(PidlCount(last.get()), 1);
    const fw::PidlPtr again(PidlConcat(parent.get(), last.get()));
    EXPECT_EQ(Bytes(again.get()), Bytes(list.get()));

    const fw::PidlPtr atCount(PidlItem(list.get(), count));
    ASSERT_TRUE(atCount);
    EXPECT_EQ(PidlSize(atCount.get()), 2u);
    EXPECT_EQ(PidlItem(list.get(), count + 1), nullptr);
    EXPECT_EQ(PidlItem(list.get(), -1), nullptr);

    const fw::PidlPtr none(PidlTruncate(list.get(), 0));
    EXPECT_EQ(PidlSize(none.get()), 2u);
    const fw::PidlPtr whole(PidlTruncate(list.get(), 99));
    EXPECT_EQ(Bytes(whole.get()), Bytes(list.get()));
    const fw::PidlPtr lastItem(PidlLastItem(list.get()));
    EXPECT_EQ(Bytes(lastItem.get()), Bytes(last.get()));
}

TEST(Pidl, PathToListAndBack) {
    const std::wstring folder = testenv::NewScratchFolder(L"pidl");
    const fw::PidlPtr list(PathToPidl(nullptr, folder));
    ASSERT_TRUE(list);
    EXPECT_TRUE(CompareStringOrdinal(PidlToPath(list.get()).c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL)
        << PidlToPath(list.get()).c_str();

    // The parent folder's list gives the parent's path.
    const fw::PidlPtr parent(PidlTruncate(list.get(), PidlCount(list.get()) - 1));
    EXPECT_EQ(PidlToPath(parent.get()), testenv::ScratchRoot());

    const fw::PidlPtr again(PathToPidl(nullptr, folder + L"\\"));
    EXPECT_TRUE(PidlEqual(list.get(), again.get()));
    EXPECT_FALSE(PidlEqual(list.get(), parent.get()));
    EXPECT_FALSE(PidlEqual(list.get(), nullptr));
}

TEST(Pidl, PathToListSpecialCases) {
    const fw::PidlPtr drives = SpecialList(CSIDL_DRIVES);
    const fw::PidlPtr empty(PathToPidl(nullptr, L""));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(PidlEqual(empty.get(), drives.get()));

    const fw::PidlPtr c(PathToPidl(nullptr, L"C:"));
    const fw::PidlPtr cRoot(PathToPidl(nullptr, L"C:\\"));
    ASSERT_TRUE(c);
    EXPECT_TRUE(PidlEqual(c.get(), cRoot.get()));
    EXPECT_EQ(PidlToPath(cRoot.get()), L"C:\\");

    SetLastError(0);
    const std::wstring missing = testenv::NewScratchFolder(L"pidl-missing") + L"\\no\\such\\folder";
    EXPECT_EQ(PathToPidl(nullptr, missing), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(0x80070002));
}

TEST(Pidl, RelativeToAFolder) {
    const std::wstring folder = testenv::NewScratchFolder(L"pidl-rel");
    CloseHandle(CreateFileW((folder + L"\\inner.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const fw::PidlPtr folderList(PathToPidl(nullptr, folder));
    fw::ComPtr<IShellFolder> shellFolder;
    ASSERT_TRUE(
        SUCCEEDED(DesktopFolder()->BindToObject(folderList.get(), nullptr, IID_IShellFolder, shellFolder.put_void())));
    const fw::PidlPtr item(PathToPidl(shellFolder.get(), L"inner.txt"));
    ASSERT_TRUE(item);
    EXPECT_EQ(PidlCount(item.get()), 1);
    EXPECT_EQ(GetDisplayNameOf(shellFolder.get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), L"inner.txt");
    const fw::PidlPtr absolute(PidlConcat(folderList.get(), item.get()));
    EXPECT_EQ(PidlToPath(absolute.get()), folder + L"\\inner.txt");
}

TEST(Pidl, VirtualFoldersAndTheNetwork) {
    EXPECT_EQ(PidlToPath(nullptr), L"");
    EXPECT_EQ(PidlToPath(SpecialList(CSIDL_DRIVES).get()), L"");
    EXPECT_EQ(PidlToPath(SpecialList(CSIDL_CONTROLS).get()), L"");
    const fw::PidlPtr network = SpecialList(CSIDL_NETWORK);
    EXPECT_TRUE(!network || IsInNetworkFolder(network.get()));
    const fw::PidlPtr c(PathToPidl(nullptr, L"C:\\"));
    EXPECT_FALSE(IsInNetworkFolder(c.get()));
    EXPECT_FALSE(IsInNetworkFolder(DesktopPidl()));
    EXPECT_FALSE(IsInNetworkFolder(nullptr));
}
