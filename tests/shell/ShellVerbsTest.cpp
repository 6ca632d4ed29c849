// Shell menus and verbs on the scratch drive, with no confirmation or dialog: the
// verbs offered, the default verb, command ids, "delete" of exactly the chosen, and
// the UI objects the desktop gives for paths.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Menus.h"
#include "shell/Pathfinch.h"
#include "shell/ShellDropData.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemPathList.h"
#include "shell/ZemShellMenu.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

using scratch::Exists;
using scratch::PathList;

std::vector<std::wstring> Verbs(const TZemShellMenu& Menu) {
    std::vector<std::wstring> verbs;
    for (const auto& command : Menu.Commands()) {
        EXPECT_GE(command.Id, ShellMenuFirstId);
        EXPECT_LE(command.Id, ShellMenuLastId);
        if (!command.Verb.empty()) verbs.push_back(command.Verb);
    }
    return verbs;
}

bool Offers(const std::vector<std::wstring>& Verbs, const wchar_t* Verb) {
    return std::any_of(Verbs.begin(), Verbs.end(),
                       [&](const std::wstring& v) { return lstrcmpiW(v.c_str(), Verb) == 0; });
}

// A file type whose "open" copies the file to "<file>.opened": a verb run without a window.
void RegisterCopyingType() {
    const wchar_t type[] = L"TbrVerbFile", command[] = L"C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"%1.opened\"";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".tbrverb", nullptr, REG_SZ, type, sizeof(type));
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"TbrVerbFile\\shell\\open\\command", nullptr, REG_SZ, command, sizeof(command));
}

class ShellVerbs : public testing::Test {
protected:
    void SetUp() override {
        root_ = testenv::NewScratchFolder(L"verbs");
        for (const wchar_t* folder : {L"\\one", L"\\two"}) scratch::MakeFolder(root_ + folder);
        for (const wchar_t* file : {L"\\one\\a.txt", L"\\one\\keep.txt", L"\\two\\b.txt", L"\\two\\keep.txt"})
            scratch::MakeFile(root_ + file, 1);
        browser_ = std::make_unique<TPathfinch>(nullptr);
        // No owner window: the shell may show nothing.
        browser_->ShowErrorMessages = false;
        browser_->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    }
    TZemShellMenu MenuFor(const std::wstring& Folder, const std::wstring& Object) {
        browser_->SetFolder(Folder);
        browser_->SetObjectName(Object);
        fw::ComPtr<IContextMenu> menu;
        browser_->GetUIObjectOf(IID_IContextMenu, menu.put_void());
        EXPECT_TRUE(menu);
        return TZemShellMenu(menu);
    }
    // After a delete of one\a.txt and two\b.txt: nothing else went, and the objects were consumed.
    void ExpectOnlyTheChosenGone() {
        EXPECT_FALSE(Exists(root_ + L"\\one\\a.txt"));
        EXPECT_FALSE(Exists(root_ + L"\\two\\b.txt"));
        for (const wchar_t* kept : {L"\\one\\keep.txt", L"\\two\\keep.txt", L"\\one", L"\\two"})
            EXPECT_TRUE(Exists(root_ + kept)) << kept;
        EXPECT_EQ(browser_->MultiObjects()->Count(), 0);
    }
    std::wstring root_;
    std::unique_ptr<TPathfinch> browser_;
};

}  // namespace

TEST_F(ShellVerbs, MenusOfAFileAFolderAndObjectsOfTwoFolders) {
    TZemShellMenu file = MenuFor(root_ + L"\\one", L"a.txt");
    ASSERT_TRUE(file.Fill(CMF_NORMAL));
    const auto fileVerbs = Verbs(file);
    EXPECT_TRUE(Offers(fileVerbs, L"open"));
    EXPECT_TRUE(Offers(fileVerbs, L"delete"));
    EXPECT_EQ(file.FindVerb(L"OPEN"), file.FindVerb(L"open"));
    EXPECT_EQ(file.FindVerb(L"no-such-verb"), 0u);
    EXPECT_TRUE(file.VerbOf(0).empty());
    TZemShellMenu folder = MenuFor(root_, L"one");
    ASSERT_TRUE(folder.Fill(CMF_EXPLORE));
    const auto folderVerbs = Verbs(folder);
    EXPECT_TRUE(Offers(folderVerbs, L"open") || Offers(folderVerbs, L"explore"));
    browser_->SetMultiObjects(PathList({root_ + L"\\two\\b.txt", root_ + L"\\two\\keep.txt"}));
    fw::ComPtr<IContextMenu> other;
    browser_->GetUIObjectOf(IID_IContextMenu, other.put_void());
    EXPECT_TRUE(other);
    EXPECT_EQ(browser_->Folder(), root_ + L"\\");
    EXPECT_EQ(browser_->ObjectPath(), root_ + L"\\one");
    browser_->SetFolder(root_);
    browser_->SetMultiObjects(PathList({root_ + L"\\one\\a.txt", root_ + L"\\two\\b.txt"}));
    fw::ComPtr<IDataObject> data;
    browser_->GetUIObjectOf(IID_IDataObject, data.put_void());
    ASSERT_TRUE(data);
    auto names = GetDataObjectFiles(data.get());
    ASSERT_EQ(names->Count(), 2);
    EXPECT_EQ(names->Strings(1), root_ + L"\\two\\b.txt");
    if (!BoundEntries.CDefFolderMenu_Create2) GTEST_SKIP() << "no default folder menu";
    browser_->SetMultiObjects(PathList({root_ + L"\\one\\a.txt", root_ + L"\\two\\b.txt"}));
    fw::ComPtr<IContextMenu> menu;
    browser_->GetUIObjectOf(IID_IContextMenu, menu.put_void());
    ASSERT_TRUE(menu);
    TZemShellMenu shellMenu(menu);
    EXPECT_TRUE(shellMenu.Fill(CMF_NORMAL));
    for (const auto& command : shellMenu.Commands()) EXPECT_LE(command.Id, ShellMenuLastId);
}

TEST_F(ShellVerbs, DeleteRemovesExactlyTheChosenPaths) {
    browser_->SetFolder(root_);
    browser_->SetMultiObjects(PathList({root_ + L"\\one\\a.txt", root_ + L"\\two\\b.txt"}));
    EXPECT_TRUE(browser_->ExecuteShellVerb(L"delete"));
    ExpectOnlyTheChosenGone();
    browser_->SetFolder(root_ + L"\\one");
    browser_->SetObjectName(L"keep.txt");
    EXPECT_TRUE(browser_->ExecuteShellVerb(L"DELETE"));
    EXPECT_FALSE(Exists(root_ + L"\\one\\keep.txt"));
    browser_->SetFolder(root_);
    browser_->SetObjectName(L"two");
    EXPECT_TRUE(browser_->ExecuteShellVerb(L"delete"));
    EXPECT_FALSE(Exists(root_ + L"\\two"));
    EXPECT_TRUE(Exists(root_ + L"\\one"));
}

TEST_F(ShellVerbs, DeleteChosenFromTheContextMenuRemovesExactlyTheChosenPaths) {
    browser_->SetFolder(root_);
    browser_->SetMultiObjects(PathList({root_ + L"\\one\\a.txt", root_ + L"\\two\\b.txt"}));
    // The shell's own command for "delete", found by its verb.
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        for (int i = 0; i < GetMenuItemCount(Menu); ++i) {
            const UINT id = GetMenuItemID(Menu, i);
            if (lstrcmpiW(ShellCommandString(browser_->OpenContextMenu(), id, GCS_VERBW).c_str(), L"delete") == 0)
                return id;
        }
        return 0;
    };
    std::wstring verb;
    browser_->ShowShellContextMenu(POINT{10, 10}, nullptr, nullptr, verb);
    fw::TrackMenuHook = nullptr;
    if (verb == L"__ERROR__") GTEST_SKIP() << "no shell menu for objects of two folders";
    EXPECT_EQ(verb, L"delete");
    ExpectOnlyTheChosenGone();
}

TEST_F(ShellVerbs, VetoesStopTheVerbAndDefaultAndNamedVerbsRunThroughTheirCommandIds) {
    browser_->SetFolder(root_ + L"\\one");
    browser_->SetObjectName(L"a.txt");
    browser_->OnContextMenuSelect = [](const std::wstring&, bool& Execute) { Execute = false; };
    EXPECT_FALSE(browser_->ExecuteShellVerb(L"delete"));
    browser_->OnContextMenuSelect = nullptr;
    std::vector<std::wstring> seen;
    browser_->OnBeforeShellCommand = [&](TPathfinch*, const std::wstring& Verb, TZemPathList* Paths, bool& Allow) {
        seen.push_back(Verb);
        EXPECT_EQ(Paths->Count(), 1);
        Allow = false;
    };
    EXPECT_FALSE(browser_->ExecuteShellVerb(L""));
    EXPECT_TRUE(Exists(root_ + L"\\one\\a.txt"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], L"default");
    int renames = 0;
    browser_->OnBeforeShellCommand = nullptr;
    browser_->OnRename = [&](fw::TObject*) { ++renames; };
    EXPECT_TRUE(browser_->ExecuteShellVerb(L"rename"));
    EXPECT_EQ(renames, 1);
    RegisterCopyingType();
    const std::wstring file = root_ + L"\\one\\doc.tbrverb";
    scratch::MakeFile(file, 5);
    // The default-only menu may be empty; the default item then comes from the
    // full menu, and "none" is 0, never -1.
    TZemShellMenu defaultOnly = MenuFor(root_ + L"\\one", L"doc.tbrverb");
    defaultOnly.Fill(CMF_DEFAULTONLY);
    EXPECT_NE(defaultOnly.DefaultCommand(), UINT(-1));
    EXPECT_TRUE(browser_->ExecuteShellVerb(L""));
    EXPECT_TRUE(browser_->ExecuteShellVerb(L"open"));
    TZemShellMenu menu = MenuFor(root_ + L"\\one", L"doc.tbrverb");
    ASSERT_TRUE(menu.Fill(CMF_EXPLORE));
    const UINT open = menu.FindVerb(L"open");
    ASSERT_NE(open, 0u);
    EXPECT_HRESULT_SUCCEEDED(menu.InvokeCommand(open, nullptr, root_ + L"\\one\\"));
    EXPECT_EQ(menu.InvokeCommand(0, nullptr, L""), E_INVALIDARG);
    EXPECT_TRUE(Exists(file));
    // A type without any association: nothing asks (no owner window), nothing blocks.
    const std::wstring plain = root_ + L"\\one\\x.nosuchtype";
    scratch::MakeFile(plain, 1);
    browser_->SetObjectName(L"x.nosuchtype");
    browser_->ExecuteShellVerb(L"default");
    EXPECT_TRUE(Exists(plain));
}

TEST(DefaultFolderMenu, ClassNames) {
    const std::wstring root = testenv::NewScratchFolder(L"classes");
    scratch::MakeFolder(root + L"\\sub");
    auto paths = PathList({root + L"\\noext", root + L"\\a.txt", root + L"\\b.TXT", root + L"\\sub", root + L"\\dot.",
                           root + L"\\dir.x\\plain"});
    const std::vector<std::wstring> names = DefaultMenuClassNames(*paths);
    // No empty extension (which would open the class root), folders add their classes.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"*", L".txt", L"AllFilesystemObjects", L"Directory", L"Folder"}));
    auto only = PathList({root + L"\\noext"});
    EXPECT_EQ(DefaultMenuClassNames(*only), (std::vector<std::wstring>{L"*", L"AllFilesystemObjects"}));
    EXPECT_LE(DefaultMenuClassKeys(*paths).size(), 16u);
}

TEST_F(ShellVerbs, TheDesktopAnswersForPathsThatParseAndRaisesWhatItRefuses) {
    auto paths = PathList({root_ + L"\\one\\a.txt", root_ + L"\\missing\\x.txt", root_ + L"\\two\\b.txt"});
    fw::ComPtr<IDataObject> data;
    browser_->GetDesktopUIObject(*paths, IID_IDataObject, data.put_void());
    EXPECT_TRUE(data);
    // A path that does not parse leaves the list, the others keep their order.
    ASSERT_EQ(paths->Count(), 2);
    EXPECT_EQ(paths->Strings(1), root_ + L"\\two\\b.txt");
    void* folder = nullptr;
    EXPECT_THROW(browser_->GetDesktopUIObject(*paths, IID_IShellFolder, &folder), EPathfinchError);
    EXPECT_EQ(folder, nullptr);
    // A browser on no folder has nothing to ask.
    TPathfinch nowhere(nullptr);
    void* menu = nullptr;
    try {
        nowhere.GetUIObjectOf(IID_IContextMenu, &menu);
        ADD_FAILURE() << "no exception";
    } catch (const EPathfinchError& e) {
        EXPECT_EQ(e.Message(), L"No valid folder is currently assigned");
    }
    EXPECT_EQ(menu, nullptr);
}
