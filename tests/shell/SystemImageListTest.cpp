// The system image list and the icon lookups with their fallbacks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "shell/ZemSystemImageList.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// A file type of the test's own with an icon of its own, so its index differs
// from the one every unknown type gets.
struct TRegisteredType {
    TRegisteredType() {
        const wchar_t type[] = L"H3bType.File", icon[] = L"shell32.dll,3";
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L".h3btype", nullptr, REG_SZ, type, sizeof(type));
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L"H3bType.File\\DefaultIcon", nullptr, REG_SZ, icon, sizeof(icon));
    }
    ~TRegisteredType() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".h3btype");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"H3bType.File");
    }
};

}  // namespace

TEST(SystemImageList, AnOwnCopyLeavesTheSharedSystemListIntact) {
    HIMAGELIST system;
    int systemCount;
    {
        TZemSystemImageList shared(nullptr);
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

TEST(SystemImageList, AMissingFileGetsItsTypesIconAnUnresolvableShareTheFolders) {
    TRegisteredType type;
    const std::wstring root = testenv::NewScratchFolder(L"icons");
    const int typeIcon = TZemSystemImageList::GetIconIndexOfType(L".h3btype", si_small, false);
    EXPECT_GT(typeIcon, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexOfType(L"h3btype", si_small, false), typeIcon);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(root + L"\\missing.h3btype", si_small, false), typeIcon);
    const int folder = TZemSystemImageList::GetFolderIconIndex(false);
    EXPECT_GE(folder, 0);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"C:\\some\\folder\\", si_small, false), folder);
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByName(L"\\\\nosuchserver\\share\\dir\\file.txt", si_small, false),
              TZemSystemImageList::GetIconIndexOfType(L".txt", si_small, false));
    EXPECT_EQ(TZemSystemImageList::GetIconIndexByPath(testenv::NewScratchFolder(L"icons"), si_small, false), folder);
}
