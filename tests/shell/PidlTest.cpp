// Item-ID lists: building, copying, cutting, counting, comparing and the
// conversions between paths and lists.
#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "tests/shell/ScratchTree.h"

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

std::vector<BYTE> Bytes(const fw::PidlPtr& Pidl) {
    return Bytes(Pidl.get());
}

}  // namespace

TEST(Pidl, MeasureCopyJoinAndCut) {
    EXPECT_EQ(PidlSize(nullptr), 0u);
    EXPECT_EQ(PidlCount(DesktopPidl()), 0);
    const fw::PidlPtr list = MakeList({3, 10, 1});
    EXPECT_EQ(PidlSize(list.get()), 2u + 5 + 12 + 3);
    EXPECT_EQ(PidlCount(list.get()), 3);
    EXPECT_EQ(PidlClone(nullptr), nullptr);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlClone(list.get()))), Bytes(list));

    // Joined lists keep one terminator; a missing half gives a copy of the other.
    const fw::PidlPtr a = MakeList({3, 4}), b = MakeList({5});
    EXPECT_EQ(PidlConcat(nullptr, nullptr), nullptr);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(nullptr, b.get()))), Bytes(b));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(a.get(), DesktopPidl()))), Bytes(a));
    const fw::PidlPtr joined(PidlConcat(a.get(), b.get()));
    EXPECT_EQ(PidlSize(joined.get()), PidlSize(a.get()) + PidlSize(b.get()) - 2);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlItem(joined.get(), 2))), Bytes(b));

    // Parent and last item make the list again.
    const fw::PidlPtr parent(PidlTruncate(list.get(), 2)), last(PidlLastItem(list.get()));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(parent.get(), last.get()))), Bytes(list));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlItem(list.get(), 2))), Bytes(last));
    EXPECT_EQ(PidlSize(fw::PidlPtr(PidlItem(list.get(), 3)).get()), 2u);
    EXPECT_EQ(PidlItem(list.get(), 4), nullptr);
    EXPECT_EQ(PidlItem(list.get(), -1), nullptr);
    EXPECT_EQ(PidlSize(fw::PidlPtr(PidlTruncate(list.get(), 0)).get()), 2u);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlTruncate(list.get(), 99))), Bytes(list));
}

TEST(Pidl, PathsAndListsBothWays) {
    const std::wstring folder = testenv::NewScratchFolder(L"pidl");
    scratch::MakeFile(folder + L"\\inner.txt");
    const fw::PidlPtr list(PathToPidl(nullptr, folder));
    ASSERT_TRUE(list);
    EXPECT_TRUE(PidlEqual(list.get(), fw::PidlPtr(PathToPidl(nullptr, folder + L"\\")).get()));
    const fw::PidlPtr parent(PidlTruncate(list.get(), PidlCount(list.get()) - 1));
    EXPECT_EQ(PidlToPath(parent.get()), testenv::ScratchRoot());
    EXPECT_FALSE(PidlEqual(list.get(), parent.get()));
    EXPECT_FALSE(PidlEqual(list.get(), nullptr));

    // Relative to a folder.
    fw::ComPtr<IShellFolder> shellFolder;
    ASSERT_EQ(DesktopFolder()->BindToObject(list.get(), nullptr, IID_IShellFolder, shellFolder.put_void()), S_OK);
    const fw::PidlPtr item(PathToPidl(shellFolder.get(), L"inner.txt"));
    ASSERT_TRUE(item);
    EXPECT_EQ(PidlCount(item.get()), 1);
    EXPECT_EQ(GetDisplayNameOf(shellFolder.get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), L"inner.txt");
    EXPECT_EQ(PidlToPath(fw::PidlPtr(PidlConcat(list.get(), item.get())).get()), folder + L"\\inner.txt");

    // "" is the drives folder, "C:" the same as "C:\"; a missing folder gives the shell's error.
    fw::PidlPtr drives;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put());
    EXPECT_TRUE(PidlEqual(fw::PidlPtr(PathToPidl(nullptr, L"")).get(), drives.get()));
    EXPECT_TRUE(
        PidlEqual(fw::PidlPtr(PathToPidl(nullptr, L"C:")).get(), fw::PidlPtr(PathToPidl(nullptr, L"C:\\")).get()));
    SetLastError(0);
    EXPECT_EQ(PathToPidl(nullptr, folder + L"\\no\\such\\folder"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(0x80070002));
    // Virtual objects have no path.
    EXPECT_EQ(PidlToPath(nullptr), L"");
    EXPECT_EQ(PidlToPath(drives.get()), L"");
    fw::PidlPtr network;
    SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, network.put());
    EXPECT_TRUE(!network || IsInNetworkFolder(network.get()));
    EXPECT_FALSE(IsInNetworkFolder(fw::PidlPtr(PathToPidl(nullptr, L"C:\\")).get()));
    EXPECT_FALSE(IsInNetworkFolder(DesktopPidl()));
}
