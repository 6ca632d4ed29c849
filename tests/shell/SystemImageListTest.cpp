// The system image list and the icon lookups with their fallbacks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>

#include "shell/ShellLibrary.h"
#include "shell/ZemSystemImageList.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

class SystemImageList : public testing::Test {
protected:
    void SetUp() override { ShellLibraryStartup(); }
    void TearDown() override { ShellLibraryShutdown(); }
};

// A file type of the test's own with an icon of its own, so its index differs
// from the one every unknown type gets.
struct TRegisteredType {
    TRegisteredType() {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L".h3btype", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"H3bType.File"), 26);
            RegCloseKey(key);
        }
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"H3bType.File\\DefaultIcon", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            const wchar_t icon[] = L"shell32.dll,3";
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(icon), sizeof(icon));
            RegCloseKey(key);
        }
    }
    ~TRegisteredType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".h3btype");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"H3bType.File");
    }
};

}  // namespace

TEST_F(SystemImageList, HandleFollowsTheSizeAndAnOwnCopyLeavesTheSystemListIntact) {
    HIMAGELIST system;
    int systemCount;
    {
        TZemSystemImageList shared(nullptr);
        for (auto [size, width] : {std::pair{si_large, 32}, {si_extralarge, 48}, {si_jumbo, 256}, {si_small, 16}}) {
            shared.SetSize(size);
            EXPECT_EQ(shared.Width(), width);
        }
        system = shared.Handle();
        systemCount = ImageList_GetImageCount(system);
        TZemSystemImageList own(nullptr);
        own.SetShareImages(false);
        EXPECT_NE(own.Handle(), system);
        EXPECT_EQ(own.Count(), systemCount);
    }
    EXPECT_EQ(ImageList_GetImageCount(system), systemCount);
    TZemSystemImageList again(nullptr);
    EXPECT_EQ(again.Handle(), system);
}

TEST_F(SystemImageList, MissingFileGetsTheIconOfItsType) {
    TRegisteredType type;
    const std::wstring root = testenv::NewScratchFolder(L"icons");
    const int typeIcon = TZemSystemImageList::GetIconIndexOfType(L".h3btype", si_small, false);
    EXPECT_GT(typeIcon, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexOfType(L"h3btype", si_small, false), typeIcon);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(root + L"\\missing.h3btype", si_small, false), typeIcon);
}

TEST_F(SystemImageList, UnresolvableShareGetsTheFolderIconAndItsFilesTheirTypes) {
    const int folder = TZemSystemImageList::GetFolderIconIndex(false);
    EXPECT_GE(folder, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"C:\\some\\folder\\", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share\\dir\\file.txt", si_small, false),
              TZemSystemImageList::GetIconIndexOfType(L".txt", si_small, false));
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(testenv::NewScratchFolder(L"icons"), si_small, false), folder);
}
