// The folder browser on a scratch tree and on the drives folder: navigation,
// enumeration with masks, object names, attributes, details, renaming, and the
// pictures of its object (a shortcut's overlay, thumbnails with the icon fallback).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <thread>

#include "framework/Bitmap.h"
#include "framework/Classes.h"
#include "framework/StringList.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemSystemImageList.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

std::wstring MakeTree() {
    const std::wstring folder = testenv::NewScratchFolder(L"browser");
    scratch::MakeFile(folder + L"\\a.txt", 5);
    for (const wchar_t* name : {L"\\b.dll", L"\\c.TXT", L"\\hidden.txt"}) scratch::MakeFile(folder + name);
    SetFileAttributesW((folder + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    scratch::MakeFile(scratch::MakeFolder(folder + L"\\sub") + L"\\inner.txt");
    return folder;
}

std::set<std::wstring> Enumerate(TPathfinch& Browser) {
    std::set<std::wstring> names;
    while (Browser.EnumNextObject()) names.insert(Browser.ObjectName());
    return names;
}

// The message of the browser error Action raises, or "no error".
std::wstring ErrorOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const EPathfinchError& e) {
        return e.Message();
    }
    return L"no error";
}

// A browser showing the tree of MakeTree.
class PathfinchTree : public testing::Test {
protected:
    void SetUp() override { browser.SetFolder(folder); }
    const std::wstring folder = MakeTree();
    TPathfinch browser{nullptr};
};

}  // namespace

TEST(Pathfinch, NewBrowserAndFilterText) {
    TPathfinch browser(nullptr);
    EXPECT_FALSE(browser.EnumNextObject());
    EXPECT_EQ(ErrorOf([&] { browser.SetObjectName(L"plain.txt"); }), L"No active folder was set.");
    for (auto [set, read] : {std::pair{L"*.txt;*.doc", L"*.txt;*.doc"}, {L"*.txt;", L"*.txt"}, {L"", L"*"}}) {
        browser.SetFilter(set);
        EXPECT_EQ(browser.Filter(), read) << set;
    }
}

TEST_F(PathfinchTree, EnumeratesAFolderWithHiddenObjects) {
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.SpecialFolder(), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"a.txt", L"b.dll", L"c.TXT", L"hidden.txt", L"sub"}));
    browser.SetFilter(L"*.txt");
    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"a.txt", L"c.TXT", L"hidden.txt", L"sub"}));
    browser.SetFilter(L"*.dll;b*");
    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"b.dll", L"sub"}));
}

TEST_F(PathfinchTree, ObjectAttributesAndAMissingObject) {
    browser.SetObjectName(L"sub");
    EXPECT_TRUE(browser.IsFolder());
    browser.SetObjectName(L"a.txt");
    EXPECT_FALSE(browser.IsFolder());
    EXPECT_FALSE(browser.ObjectIsHidden());
    EXPECT_FALSE(browser.ObjectIsDriveRoot());
    EXPECT_EQ(browser.ObjectPath(), folder + L"\\a.txt");
    browser.SetObjectName(L"hidden.txt");
    EXPECT_TRUE(browser.ObjectIsHidden());

    EXPECT_EQ(ErrorOf([&] { browser.SetObjectName(L"nothing.here"); }),
              L"Error! Cannot find Object \"nothing.here\" in Folder \"" + folder + L"\\\"");
    EXPECT_EQ(browser.ObjectName(), L"");
    EXPECT_FALSE(browser.HasObjects(false));
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    // A missing folder keeps the old one; the message names it and the system's reason.
    const std::wstring missing = folder + L"\\no\\such";
    const std::wstring message = ErrorOf([&] { browser.SetFolder(missing); });
    EXPECT_EQ(message.substr(0, missing.size() + 2), missing + L"\r\n");
    EXPECT_GT(message.size(), missing.size() + 2);
    EXPECT_EQ(browser.Folder(), folder + L"\\");
}

TEST_F(PathfinchTree, ObjectNameWithAPathAndADriveRoot) {
    browser.SetObjectName(folder + L"\\a.txt");
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.ObjectName(), L"a.txt");
    browser.SetObjectName(folder + L"\\sub\\");
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.ObjectName(), L"sub");

    auto made = TPathfinch::CreateForPath(folder + L"\\sub\\inner.txt");
    EXPECT_EQ(made->Folder(), folder + L"\\sub\\");
    EXPECT_EQ(made->ObjectName(), L"inner.txt");

    browser.SetObjectName(L"C:\\");
    EXPECT_EQ(browser.SpecialFolder(), SF_DRIVES);
    EXPECT_EQ(browser.ObjectName(), L"C:\\");
    EXPECT_TRUE(browser.ObjectIsDriveRoot());
    EXPECT_TRUE(browser.IsFolder());
    EXPECT_EQ(browser.Folder(), L"");
    ASSERT_TRUE(browser.BrowseObject());
    EXPECT_EQ(browser.Folder(), L"C:\\");
}

TEST(Pathfinch, DrivesFolder) {
    TPathfinch browser(nullptr);
    browser.SetSpecialFolder(SF_DRIVES);
    EXPECT_EQ(browser.SpecialFolder(), SF_DRIVES);
    EXPECT_EQ(browser.Folder(), L"");
    std::vector<std::wstring> names;
    while (browser.EnumNextObject()) names.push_back(browser.ObjectName());
    EXPECT_NE(std::find(names.begin(), names.end(), L"C:\\"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), testenv::ScratchRoot()), names.end());
    // After the last, the walk begins again with the first.
    ASSERT_TRUE(browser.EnumNextObject());
    EXPECT_EQ(browser.ObjectName(), names.front());

    // Only drives and other file-system objects remain with FileSystemOnly.
    browser.FileSystemOnly = true;
    browser.SetSpecialFolder(SF_DRIVES);
    std::vector<std::wstring> fileSystem;
    while (browser.EnumNextObject()) {
        EXPECT_NE(browser.ObjectSpecialFolder(), SF_CONTROLS);
        fileSystem.push_back(browser.ObjectName());
    }
    EXPECT_NE(std::find(fileSystem.begin(), fileSystem.end(), L"C:\\"), fileSystem.end());
}

TEST_F(PathfinchTree, NavigationByLists) {
    const fw::PidlPtr sub(PathToPidl(nullptr, folder + L"\\sub"));
    browser.SetAbsoluteObjectIDList(sub.get());
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.ObjectName(), L"sub");
    EXPECT_TRUE(PidlEqual(browser.AbsoluteObjectIDList(), sub.get()));
    ASSERT_TRUE(browser.BrowseObject());
    EXPECT_EQ(browser.Folder(), folder + L"\\sub\\");
    EXPECT_FALSE(browser.HasObjects(false));
    const fw::PidlPtr folderList(browser.FolderIDList());
    EXPECT_TRUE(PidlEqual(folderList.get(), sub.get()));
    browser.SelectFolderAsObject();
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.ObjectName(), L"sub");

    browser.SetObjectName(L"a.txt");
    EXPECT_FALSE(browser.BrowseObject());

    browser.SetAbsoluteObjectIDList(DesktopPidl());
    EXPECT_EQ(browser.SpecialFolder(), SF_DESKTOP);
    EXPECT_FALSE(browser.HasObjects(false));
    browser.SetAbsoluteObjectIDList(nullptr);  // does nothing
    EXPECT_EQ(browser.SpecialFolder(), SF_DESKTOP);
    browser.SetFolderIDList(nullptr);
    EXPECT_FALSE(browser.HasObjects(true));
    EXPECT_EQ(browser.Folder(), L"");
}

TEST_F(PathfinchTree, DetailsColumnsAndAnObjectBelowTheFolder) {
    const fw::PidlPtr below(PathToPidl(browser.ShellFolder(), L"sub\\inner.txt"));
    ASSERT_EQ(PidlCount(below.get()), 2);
    browser.SetObjectIDList(below.get());
    EXPECT_EQ(browser.ObjectPath(), folder + L"\\sub\\inner.txt");

    ASSERT_TRUE(browser.InitDetails());
    // Column captions are the shell's own and differ between systems.
    std::vector<std::wstring> headers;
    for (int column = 0; column < 4; ++column) {
        std::wstring text;
        browser.GetDetails(column, true, text);
        EXPECT_FALSE(text.empty()) << column;
        headers.push_back(text);
    }
    browser.SetObjectName(L"a.txt");
    const auto size = std::find(headers.begin(), headers.end(), L"Size");
    ASSERT_NE(size, headers.end());
    std::wstring sizeText;
    browser.GetDetails(int(size - headers.begin()), false, sizeText);
    EXPECT_FALSE(sizeText.empty());  // the shell's own form ("5 bytes", "1 KB")

    int width = -1;
    browser.GetColumnInfo(1, width);
    EXPECT_NE(width, 120);  // the shell's own width
    EXPECT_EQ(browser.GetColumnInfo(99, width), fw::taLeftJustify);
    EXPECT_EQ(width, 120);
    std::wstring none;
    browser.GetDetails(99, true, none);
    EXPECT_EQ(none, L"");
}

TEST_F(PathfinchTree, Renaming) {
    browser.SetObjectName(L"b.dll");
    std::wstring name = L"renamed.dll";
    ASSERT_TRUE(browser.RenameObject(name));
    EXPECT_TRUE(name == L"renamed.dll" || name == L"renamed") << name.c_str();
    EXPECT_EQ(GetFileAttributesW((folder + L"\\b.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(browser.ObjectName(), L"renamed.dll");
}

TEST_F(PathfinchTree, BrowsersOfWorkerThreadsShowNothing) {
    EXPECT_NE(browser.ShellOwnerWindow(), nullptr);
    browser.ShowErrorMessages = false;
    EXPECT_EQ(browser.ShellOwnerWindow(), nullptr);
    HWND owner = reinterpret_cast<HWND>(1);
    std::set<std::wstring> names;
    std::thread worker([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            TPathfinch browser(nullptr);
            browser.SetFolder(folder);
            owner = browser.ShellOwnerWindow();
            names = Enumerate(browser);
        }
        CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(names.size(), 5u);
}

namespace {

// The tree with a shortcut to a.txt, and the shell library's image lists.
class PathfinchImages : public PathfinchTree {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        PathfinchTree::SetUp();
        ASSERT_TRUE(scratch::MakeShortcut(folder + L"\\x.lnk", folder + L"\\a.txt"));
    }
    void TearDown() override { ShellLibraryShutdown(); }
};

// The bounds of the pixels that were drawn on (any byte not 0); empty when none.
RECT DrawnBounds(fw::TBitmap& Bitmap) {
    const int w = Bitmap.Width(), h = Bitmap.Height();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(size_t(w) * size_t(h));
    const fw::WindowDC screen(nullptr);
    GetDIBits(screen.get(), Bitmap.Handle(), 0, UINT(h), pixels.data(), &info, DIB_RGB_COLORS);
    RECT r{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pixels[size_t(y) * size_t(w) + size_t(x)]) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

}  // namespace

// Wine has no thumbnail handler: its 1 x 1 answer counts as none, and the large
// icon, centred, stands in where a fallback is asked for.
TEST_F(PathfinchImages, OnlyAShortcutHasAnOverlayAndThumbnailsComeAtTheAskedOrTheDefaultSize) {
    std::unique_ptr<TPathfinch> file = TPathfinch::CreateForPath(folder + L"\\a.txt");
    EXPECT_EQ(file->ObjectOverlayIndex(), -1);
    EXPECT_EQ(TPathfinch::CreateForPath(folder + L"\\x.lnk")->ObjectOverlayIndex(), 1);
    TPathfinch folderOnly(nullptr);  // no object: no overlay
    folderOnly.SetFolder(folder);
    EXPECT_EQ(folderOnly.ObjectOverlayIndex(), -1);
    TPathfinch empty(nullptr);
    EXPECT_EQ(empty.GetThumbnailBitmap(64, 48, true), nullptr);

    EXPECT_EQ(file->GetThumbnailBitmap(64, 48, false), nullptr);
    std::unique_ptr<fw::TBitmap> asked = file->GetThumbnailBitmap(64, 48, true);
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->Width(), 64);
    EXPECT_EQ(asked->Height(), 48);
    std::unique_ptr<fw::TBitmap> standard = file->GetThumbnailBitmap(0, 0, true);
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->Width(), 200);
    EXPECT_EQ(standard->Height(), 200);
    // The large icon stands in on the route of older common controls, and Wine's.
    if (CommonControlsVersion() < 0x00060000) {
        TZemSystemImageList large(nullptr);
        large.SetSize(si_large);
        const RECT drawn = DrawnBounds(*asked);
        const int left = (64 - large.Width()) / 2, top = (48 - large.Height()) / 2;
        EXPECT_LT(drawn.left, drawn.right);
        EXPECT_GE(drawn.left, left);
        EXPECT_GE(drawn.top, top);
        EXPECT_LE(drawn.right, left + large.Width());
        EXPECT_LE(drawn.bottom, top + large.Height());
    }
}
