// The folder browser (navigation, enumeration with masks, objects, details, renaming,
// overlays, thumbnails), the path list, history and desktop wrapper, and long paths.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/ComObject.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/PidlHistory.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ShellLibrary.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemDesktopFolder.h"
#include "shell/ZemPathList.h"
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

// A browser showing the tree of MakeTree, with the shell library's image lists.
class PathfinchTree : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        browser.SetFolder(folder);
    }
    void TearDown() override { ShellLibraryShutdown(); }
    const std::wstring folder = MakeTree();
    TPathfinch browser{nullptr};
};

}  // namespace

TEST_F(PathfinchTree, EnumeratesNamesAndRenamesObjects) {
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    EXPECT_EQ(browser.SpecialFolder(), SF_FILESYSTEMFOLDER);
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

    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"a.txt", L"b.dll", L"c.TXT", L"hidden.txt", L"sub"}));
    browser.SetFilter(L"*.txt");
    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"a.txt", L"c.TXT", L"hidden.txt", L"sub"}));
    browser.SetFilter(L"*.dll;b*");
    EXPECT_EQ(Enumerate(browser), (std::set<std::wstring>{L"b.dll", L"sub"}));

    browser.SetObjectName(L"b.dll");
    std::wstring name = L"renamed.dll";
    ASSERT_TRUE(browser.RenameObject(name));
    EXPECT_TRUE(name == L"renamed.dll" || name == L"renamed") << name.c_str();
    EXPECT_EQ(GetFileAttributesW((folder + L"\\b.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(browser.ObjectName(), L"renamed.dll");
}

TEST_F(PathfinchTree, AFileAsFolderOrAPathInAMissingFolderLeavesTheFolderTextTrueAndNoOldObject) {
    browser.SetObjectName(L"a.txt");
    EXPECT_NE(ErrorOf([&] { browser.SetFolder(folder + L"\\a.txt"); }), L"no error");
    EXPECT_EQ(browser.Folder(), folder + L"\\");
    browser.SetObjectName(L"a.txt");
    EXPECT_NE(ErrorOf([&] { browser.SetObjectName(folder + L"\\gone\\a.txt"); }), L"no error");
    EXPECT_FALSE(browser.HasObjects(false));
    EXPECT_EQ(browser.Folder(), folder + L"\\");
}

TEST(Pathfinch, ANewBrowserItsFilterTextsAndTheDrivesFolderAsDefault) {
    TPathfinch browser(nullptr);
    EXPECT_EQ(browser.Folder(), L"");
    EXPECT_EQ(browser.ObjectName(), L"");
    EXPECT_EQ(browser.Filter(), L"*");
    EXPECT_EQ(browser.SpecialFolder(), SF_FILESYSTEMFOLDER);
    // Masks are kept as written, a last separator aside.
    for (const auto& [set, read] : {std::pair<const wchar_t*, const wchar_t*>{L"*.txt;*.doc", L"*.txt;*.doc"},
                                    {L"*.txt;", L"*.txt"},
                                    {L" *.a ;;b", L" *.a ;;b"},
                                    {L"", L"*"}}) {
        browser.SetFilter(set);
        EXPECT_EQ(browser.Filter(), read) << set;
    }
    // The empty path and the file-system value stand for the drives folder, except while loading.
    browser.SetFolder(L"C:\\");
    browser.SetFolder(L"");
    EXPECT_EQ(browser.SpecialFolder(), SF_DRIVES);
    EXPECT_EQ(browser.Folder(), L"");
    browser.SetFolder(L"C:\\");
    browser.BeginLoading();
    browser.SetSpecialFolder(SF_FILESYSTEMFOLDER);
    EXPECT_EQ(browser.Folder(), L"C:\\");
    browser.EndLoading();
    browser.SetSpecialFolder(SF_FILESYSTEMFOLDER);
    EXPECT_EQ(browser.SpecialFolder(), SF_DRIVES);
}

namespace {

// A mask matcher that fails on one name, as a shell extension may.
BOOL WINAPI MatchFailingOnA(LPCWSTR Name, LPCWSTR Mask) {
    if (std::wstring(Name) == L"a.txt") throw EPathfinchError(L"broken");
    return PathMatchSpecW(Name, Mask);
}

}  // namespace

TEST_F(PathfinchTree, AnObjectThatFailsItsTestsIsSkippedAndTheFilterStillHoldsForTheNext) {
    browser.SetFilter(L"*.txt");
    const auto saved = std::exchange(BoundEntries.PathMatchSpecW, MatchFailingOnA);
    const std::set<std::wstring> names = Enumerate(browser);
    BoundEntries.PathMatchSpecW = saved;
    EXPECT_EQ(names, (std::set<std::wstring>{L"c.TXT", L"hidden.txt", L"sub"}));
}

TEST_F(PathfinchTree, NavigatesByPathsDriveRootsAndItemIDLists) {
    TPathfinch none(nullptr);  // a new browser has nothing to enumerate and no folder for an object
    EXPECT_FALSE(none.EnumNextObject());
    EXPECT_EQ(ErrorOf([&] { none.SetObjectName(L"plain.txt"); }), L"No active folder was set.");
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

    // By item-ID lists.
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

TEST(Pathfinch, DrivesFolder) {
    TPathfinch browser(nullptr);
    browser.SetSpecialFolder(SF_DRIVES);
    EXPECT_EQ(browser.Folder(), L"");
    std::vector<std::wstring> names;
    while (browser.EnumNextObject()) names.push_back(browser.ObjectName());
    EXPECT_NE(std::find(names.begin(), names.end(), L"C:\\"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), testenv::ScratchRoot()), names.end());
    // After the last, the walk begins again with the first.
    ASSERT_FALSE(names.empty());
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
    // The control panel (a virtual object, named by the empty text) is left out.
    EXPECT_NE(std::find(names.begin(), names.end(), L""), names.end());
    EXPECT_EQ(std::find(fileSystem.begin(), fileSystem.end(), L""), fileSystem.end());
}

TEST_F(PathfinchTree, DetailsColumnsAndAnObjectBelowTheFolder) {
    const fw::PidlPtr below(PathToPidl(browser.ShellFolder(), L"sub\\inner.txt"));
    ASSERT_EQ(PidlCount(below.get()), 2);
    browser.SetObjectIDList(below.get());
    EXPECT_EQ(browser.ObjectPath(), folder + L"\\sub\\inner.txt");
    EXPECT_EQ(browser.ObjectName(), L"inner.txt");  // the last item's name, not the first's

    ASSERT_TRUE(browser.InitDetails());
    // Captions are the shell's own and differ between systems; so do its size texts.
    browser.SetObjectName(L"a.txt");
    bool sized = false;
    for (int column = 0; column < 4; ++column) {
        std::wstring caption, text;
        browser.GetDetails(column, true, caption);
        browser.GetDetails(column, false, text);
        EXPECT_FALSE(caption.empty()) << column;
        if (caption == L"Size") sized = !text.empty();
    }
    EXPECT_TRUE(sized);
    int width = -1;
    browser.GetColumnInfo(1, width);
    EXPECT_NE(width, 120);  // the shell's own width
    EXPECT_EQ(browser.GetColumnInfo(99, width), fw::taLeftJustify);
    EXPECT_EQ(width, 120);
    std::wstring none;
    browser.GetDetails(99, true, none);
    EXPECT_EQ(none, L"");
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

// Whether some pixel was drawn on (any byte not 0), and every such pixel lies within Inside.
bool DrawnOnlyWithin(fw::TBitmap& Bitmap, const RECT& Inside) {
    const fw::TPixels32 pixels = fw::ReadPixels32(Bitmap.Handle());
    bool drawn = false;
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x)
            if (pixels.At(x, y)) {
                if (!PtInRect(&Inside, POINT{x, y})) return false;
                drawn = true;
            }
    return drawn;
}

const IID kImageFactory = {0xBCC18B79, 0xBA16, 0x442F, {0x80, 0xC4, 0x8A, 0x59, 0xC3, 0x0C, 0x46, 0x3B}};

// A thumbnail handler whose first picture is 300 x 200, and later ones the size asked.
class TFakeImageFactory : public fw::TComObject<IShellItemImageFactory, kImageFactory> {
public:
    std::vector<HBITMAP> Made;
    HRESULT STDMETHODCALLTYPE GetImage(SIZE Size, SIIGBF, HBITMAP* Bitmap) override {
        const fw::WindowDC screen(nullptr);
        *Bitmap = Made.empty() ? CreateCompatibleBitmap(screen.get(), 300, 200)
                               : CreateCompatibleBitmap(screen.get(), Size.cx, Size.cy);
        Made.push_back(*Bitmap);
        return S_OK;
    }
};

fw::ComPtr<TFakeImageFactory> imageFactory;

// The browser asks the shell item for nothing but its image factory.
HRESULT WINAPI ItemWithImageFactory(PCIDLIST_ABSOLUTE, REFIID, void** Item) {
    *Item = static_cast<IShellItemImageFactory*>(imageFactory.get());
    imageFactory->AddRef();
    return S_OK;
}

}  // namespace

TEST_F(PathfinchTree, AThumbnailTooLargeIsAskedAgainToFitTheSizeInForceAndTheFirstPictureIsFreed) {
    imageFactory.attach(new TFakeImageFactory);
    const auto saved = std::exchange(BoundEntries.SHCreateItemFromIDList, ItemWithImageFactory);
    std::unique_ptr<fw::TBitmap> fitted =
        TPathfinch::CreateForPath(folder + L"\\a.txt")->GetThumbnailBitmap(0, 0, false);
    BoundEntries.SHCreateItemFromIDList = saved;
    ASSERT_NE(fitted, nullptr);
    EXPECT_EQ(fitted->Width(), 200);
    EXPECT_EQ(fitted->Height(), 133);
    ASSERT_EQ(imageFactory->Made.size(), 2u);
    EXPECT_EQ(GetObjectType(imageFactory->Made[0]), 0u);
    imageFactory.reset();
}

// Wine has no thumbnail handler: its 1 x 1 answer counts as none, and the large
// icon, centred, stands in where a fallback is asked for.
TEST_F(PathfinchTree, OnlyAShortcutHasAnOverlayAndThumbnailsComeAtTheAskedOrTheDefaultSize) {
    ASSERT_TRUE(scratch::MakeShortcut(folder + L"\\x.lnk", folder + L"\\a.txt"));
    std::unique_ptr<TPathfinch> file = TPathfinch::CreateForPath(folder + L"\\a.txt");
    EXPECT_EQ(file->ObjectOverlayIndex(), -1);
    EXPECT_EQ(TPathfinch::CreateForPath(folder + L"\\x.lnk")->ObjectOverlayIndex(), 1);
    EXPECT_EQ(browser.ObjectOverlayIndex(), -1);  // no object: no overlay
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
        const int left = (64 - large.Width()) / 2, top = (48 - large.Height()) / 2;
        EXPECT_TRUE(DrawnOnlyWithin(*asked, RECT{left, top, left + large.Width(), top + large.Height()}));
    }
}

TEST_F(PathfinchTree, TheDesktopsIconAndNameAndAnObjectsClosedAndOpenIcons) {
    static const USHORT emptyList = 0;
    const auto desktopList = reinterpret_cast<LPCITEMIDLIST>(&emptyList);
    fw::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.put()), S_OK);
    STRRET ret{};
    ASSERT_EQ(desktop->GetDisplayNameOf(desktopList, SHGDN_NORMAL, &ret), S_OK);
    wchar_t name[MAX_PATH] = {};
    StrRetToBufW(&ret, desktopList, name, MAX_PATH);
    std::wstring shown;
    TPathfinch::DesktopDisplayName(shown);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown, name);
    // A folder has a closed and an open icon, each other than the desktop's.
    const std::wstring sub = folder + L"\\sub";
    std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(sub);
    ASSERT_NE(browser, nullptr);
    const int closed = browser->ObjectIconIndex(), open = browser->ObjectOpenIconIndex();
    SHFILEINFOW info{};
    SHGetFileInfoW(sub.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    EXPECT_EQ(closed, info.iIcon);
    SHGetFileInfoW(sub.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    EXPECT_EQ(open, info.iIcon);
    EXPECT_NE(open, closed);
    const int desktopIcon = TPathfinch::DesktopIconIndex();
    EXPECT_GE(desktopIcon, 0);
    EXPECT_NE(desktopIcon, closed);
    TPathfinch none(nullptr);
    EXPECT_EQ(none.ObjectIconIndex(), -1);
    EXPECT_EQ(none.ObjectOpenIconIndex(), -1);
}

// ---- Path list, history, desktop wrapper, long paths -----------------------------------

namespace {

using Announced = std::vector<std::pair<std::wstring, int>>;

struct Events {
    Announced added, removed;
    explicit Events(TZemPathList& List) {
        List.OnPathAdded = [this](const std::wstring& p, int i) { added.emplace_back(p, i); };
        List.OnPathRemoved = [this](const std::wstring& p, int i) { removed.emplace_back(p, i); };
    }
};

}  // namespace

TEST_F(PathfinchTree, PathListNormalizesNeverAddsTwiceRefusesWhatDoesNotExistAndAnnouncesDeletes) {
    const std::wstring root = folder, temp = scratch::MakeFolder(folder + L"\\Temp");
    TZemPathList list;
    Events events(list);
    ASSERT_GE(list.Add(L"C:"), 0);
    EXPECT_EQ(list.Strings(list.IndexOf(L"C:\\")), L"C:\\");
    const int index = list.Add(temp + L"\\");
    ASSERT_GE(index, 0);
    EXPECT_EQ(list.Strings(index), temp);
    std::wstring lower = temp;
    for (wchar_t& c : lower) c = wchar_t(towlower(c));
    EXPECT_EQ(list.Add(lower), index);
    EXPECT_EQ(list.Add(root + L"\\missing"), -1);
    EXPECT_EQ(list.Add(root + L"\\*"), -1);
    // Neither the repeat nor the refused paths were announced.
    ASSERT_EQ(events.added.size(), 2u);
    EXPECT_EQ(events.added[1], std::make_pair(temp, index));
    list.SetCheckExistence(false);
    EXPECT_GE(list.Add(root + L"\\missing"), 0);
    const int at = list.IndexOf(temp);
    list.Delete(at);
    EXPECT_EQ(events.removed, (Announced{{temp, at}}));
    // A network path marks the list for good; any change drops what was derived from it.
    EXPECT_FALSE(list.HasNetworkPath());
    list.SetCache(std::make_unique<fw::TObject>());
    const int share = list.Add(L"\\\\server\\share\\x");
    ASSERT_GE(share, 0);
    EXPECT_TRUE(list.HasNetworkPath());
    EXPECT_EQ(list.Cache(), nullptr);
    list.SetCache(std::make_unique<fw::TObject>());
    list.Delete(share);
    EXPECT_TRUE(list.HasNetworkPath());
    EXPECT_EQ(list.Cache(), nullptr);
}

TEST_F(PathfinchTree, AZipFileHasSubfoldersUnlessOnlyTheFileSystemCounts) {
    scratch::MakeFile(folder + L"\\archive.Zip", 1);
    for (bool fileSystemOnly : {false, true}) {
        browser.FileSystemOnly = fileSystemOnly;
        browser.SetFolder(folder);
        browser.SetObjectName(L"archive.Zip");
        EXPECT_EQ(browser.HasSubFolders(), !fileSystemOnly);
        browser.SetObjectName(L"a.txt");
        EXPECT_FALSE(browser.HasSubFolders());
    }
}

TEST_F(PathfinchTree, AMissingThirtyTwoBitProgramPathTakesTheSixtyFourBitOneWhereThatExists) {
    const std::wstring x86 = scratch::MakeFolder(folder + L"\\pf86"), x64 = scratch::MakeFolder(folder + L"\\pf");
    scratch::MakeFile(scratch::MakeFolder(x64 + L"\\Tool") + L"\\tool.exe");
    scratch::MakeFile(scratch::MakeFolder(x86 + L"\\Both") + L"\\both.exe");
    scratch::MakeFile(scratch::MakeFolder(x64 + L"\\Both") + L"\\both.exe");
    const auto fixed = [&](std::wstring Path) {
        ReplaceProgramFilesPath(Path, x86, x64);
        return Path;
    };
    EXPECT_EQ(fixed(x86 + L"\\Tool\\tool.exe"), x64 + L"\\Tool\\tool.exe");
    EXPECT_EQ(fixed(x86 + L"\\Both\\both.exe"), x86 + L"\\Both\\both.exe");  // it exists where it is
    EXPECT_EQ(fixed(x86 + L"\\Gone\\gone.exe"), x86 + L"\\Gone\\gone.exe");  // nowhere to go
    EXPECT_EQ(fixed(folder + L"\\a.txt"), folder + L"\\a.txt");
    // An unknown 32-bit folder is a prefix of nothing.
    std::wstring rooted = L"\\Tool\\tool.exe";
    ReplaceProgramFilesPath(rooted, L"", x64);
    EXPECT_EQ(rooted, L"\\Tool\\tool.exe");
    // This process is no 32-bit one on a 64-bit system: its paths are left alone.
    std::wstring path = x86 + L"\\Tool\\tool.exe";
    FixWow64ProgramFilesPath(path);
    EXPECT_EQ(path, x86 + L"\\Tool\\tool.exe");
}

TEST_F(PathfinchTree, HistoryAddingAfterGoingBackDropsTheForwardEntries) {
    const auto pidl = [&](const wchar_t* Name) {
        return ILCreateFromPathW(scratch::MakeFolder(folder + L"\\" + Name).c_str());
    };
    TPidlHistory history;
    EXPECT_EQ(history.Current(), nullptr);
    history.Add(nullptr);
    EXPECT_EQ(history.Count(), 0);
    for (const wchar_t* name : {L"A", L"B", L"C"}) history.Add(pidl(name));
    history.Back(5);
    EXPECT_EQ(history.ItemIndex(), 0);
    history.Add(pidl(L"D"));
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.ItemIndex(), 1);
    EXPECT_TRUE(PidlEqual(history.Current(), fw::PidlPtr(pidl(L"D")).get()));
    history.Add(pidl(L"D"));  // the same object: taken over and freed, nothing added
    EXPECT_EQ(history.Count(), 2);
    history.Back(1);
    history.Forward(3);
    EXPECT_EQ(history.ItemIndex(), 1);
}

TEST_F(PathfinchTree, DesktopWrapperAnswersDataObjectRequestsWithItsOwn) {
    fw::PidlPtr pidl(ILCreateFromPathW((folder + L"\\a.txt").c_str()));
    fw::ComPtr<IShellFolder> parent;
    LPCITEMIDLIST child = nullptr;
    ASSERT_EQ(SHBindToParent(pidl.get(), IID_IShellFolder, parent.put_void(), &child), S_OK);
    fw::ComPtr<IDataObject> data;
    ASSERT_EQ(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.put_void()), S_OK);

    fw::ComPtr<IShellFolder> folder = TZemDesktopFolder::Create(data.get());
    fw::ComPtr<IDataObject> answer;
    ASSERT_EQ(folder->GetUIObjectOf(nullptr, 0, nullptr, IID_IDataObject, nullptr, answer.put_void()), S_OK);
    EXPECT_EQ(answer.get(), data.get());
}

TEST(LongPathFind, LongForms) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\\\\srv\\sh\\a", L"\\\\?\\UNC\\srv\\sh\\a"},
        {L"C:\\a", L"\\\\?\\C:\\a"},
        {L"a\\b", L"a\\b"},
        {L"", L""},
        {L"\\\\server", L"\\\\server"},
        {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},
        // Made full first: the prefix switches the system's own normalising off.
        {L"C:\\a\\.\\b/c", L"\\\\?\\C:\\a\\b\\c"},
        {L"\\\\srv\\sh\\a\\..\\b", L"\\\\?\\UNC\\srv\\sh\\b"},
        {L"C:\\a\\..\\..\\b", L"\\\\?\\C:\\b"},
        {L"C:\\a\\\\b\\", L"\\\\?\\C:\\a\\b\\"},
        // Names from a folder listing keep their dots: "dotdir." is not "dotdir".
        {L"C:\\x\\dotdir.\\*", L"\\\\?\\C:\\x\\dotdir.\\*"},
        {L"C:\\x\\...\\f", L"\\\\?\\C:\\x\\...\\f"},
        {L"C:\\x\\name. ", L"\\\\?\\C:\\x\\name. "},
        {L"\\\\srv\\sh\\dotdir.", L"\\\\?\\UNC\\srv\\sh\\dotdir."},
        // Device paths stay as they are.
        {L"\\\\.\\C:", L"\\\\.\\C:"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(MakeLongPath(path), expected) << path;
}

TEST(LongPathFind, NamesEndingInDotsReachTheirOwnObjects) {
    const std::wstring root = testenv::NewScratchFolder(L"dots");
    scratch::MakeDotNamesTree(root);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\a.txt"), 1);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\b.txt"), -1);
    EXPECT_EQ(GetFileSize64(root + L"\\...\\deep\\d.txt"), 4);
    EXPECT_FALSE(PathExists(root + L"\\dotdir\\a.txt"));
    // A last dot is the name's own, never a mask's: "b.txt." is not "b.txt".
    EXPECT_FALSE(PathExists(root + L"\\dotdir\\b.txt."));
    EXPECT_TRUE(PathExists(root + L"\\...\\"));
    // The search's root is made full once; what lies below it is kept as listed.
    EXPECT_EQ(MakeFullPath(root + L"\\sub\\..\\dotdir.\\"), root + L"\\dotdir.\\");
}

TEST(LongPathFind, FindsBeyondTheClassicLimit) {
    std::wstring deep = testenv::NewScratchFolder(L"long");
    while (deep.size() < 400) {
        deep += L"\\" + std::wstring(40, L'x');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << GetLastError();
    }
    const std::wstring file = deep + L"\\deep.txt";
    scratch::MakeFile(L"\\\\?\\" + file, 3);

    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileLong(deep + L"\\*", data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (!IsDotOrDotDot(data.cFileName)) names.push_back(data.cFileName);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    EXPECT_EQ(names, std::vector<std::wstring>{L"deep.txt"});
    EXPECT_EQ(GetFileSize64(file), 3);
}
