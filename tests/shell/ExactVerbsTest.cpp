// Verbs act on exactly the object chosen, or refuse and say why: names the system
// reads as other objects' names (a trailing dot or blank, "..."), links (a loop
// among them), special folders and drives by odd spellings, deleted and renamed
// from the file list and the shell tree, by key and by menu, with and without the
// Recycle Bin. Afterwards every object not chosen is there with its content, and
// the list's rows are the objects that exist.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "shell/Pathfinch.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemFileList.h"
#include "shell/ZemShellMenu.h"
#include "shell/ZemShellTree.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;

namespace {

std::wstring Long(const std::wstring& Path) {
    return L"\\\\?\\" + Path;
}

bool There(const std::wstring& Path) {
    return GetFileAttributesW(Long(Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Write(const std::wstring& Path, const std::string& Text) {
    const fw::Handle file(CreateFileW(Long(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), Text.data(), DWORD(Text.size()), &written, nullptr);
}

std::string Read(const std::wstring& Path) {
    const fw::Handle file(
        CreateFileW(Long(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[64] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return "<missing>";
    return std::string(buffer, read);
}

void Folder(const std::wstring& Path) {
    CreateDirectoryW(Long(Path).c_str(), nullptr);
}

// An object a case makes in its folder: a file with its text, a folder (no
// text), or a host link to Link; as a kept object: one that must stay, with its text.
struct TMade {
    const wchar_t* Path;
    const char* Text;
    const char* Link = nullptr;
};

// One object to choose in a folder of its own, what the folder holds, what must
// stay, and the link a system that follows links can't remove: it refuses then,
// naming the link.
struct TCase {
    const wchar_t* Chosen;
    bool IsFolder;
    std::vector<TMade> Made;
    std::vector<TMade> Kept;
    const wchar_t* Link;
};

const std::vector<TCase> kCases = {
    {L"doc.txt.", false, {{L"doc.txt", "plain"}, {L"doc.txt.", "dotted"}}, {{L"doc.txt", "plain"}}, nullptr},
    {L"keepme.",
     true,
     {{L"keepme", nullptr}, {L"keepme.", nullptr}, {L"keepme\\f.txt", "keep"}, {L"keepme.\\g.txt", "dot"}},
     {{L"keepme\\f.txt", "keep"}},
     nullptr},
    // A sibling folder, so the tree knows the folder has children ("..." is hidden to Wine).
    {L"...",
     true,
     {{L"a.txt", "uni"}, {L"sub", nullptr}, {L"sub\\b.txt", "sub"}, {L"...", nullptr}, {L"...\\x.txt", "3"}},
     {{L"a.txt", "uni"}, {L"sub\\b.txt", "sub"}},
     nullptr},
    {L"ln",
     true,
     {{L"target", nullptr}, {L"target\\t.txt", "target"}, {L"ln", nullptr, "target"}},
     {{L"target\\t.txt", "target"}},
     L"ln"},
    {L"inner",
     true,
     {{L"sib.txt", "sib"}, {L"inner", nullptr}, {L"inner\\f.txt", "in"}, {L"inner\\up", nullptr, ".."}},
     {{L"sib.txt", "sib"}},
     L"inner\\up"},
    // Links to a file (which this system may show as the file itself), alone and in
    // a folder deleted object by object (it holds a name ending in a dot).
    {L"flink", false, {{L"t.txt", "target"}, {L"flink", nullptr, "t.txt"}}, {{L"t.txt", "target"}}, L"flink"},
    {L"fl",
     true,
     {{L"t.txt", "target"}, {L"fl", nullptr}, {L"fl\\x.", "dot"}, {L"fl\\f", nullptr, "../t.txt"}},
     {{L"t.txt", "target"}},
     L"fl\\f"},
};

void Make(const std::wstring& Dir, const std::vector<TMade>& Made) {
    Folder(Dir);
    for (const TMade& made : Made) {
        if (made.Link) ASSERT_TRUE(scratch::MakeHostSymlink(Dir + L"\\" + made.Path, made.Link));
        else if (made.Text) Write(Dir + L"\\" + made.Path, made.Text);
        else Folder(Dir + L"\\" + made.Path);
    }
}

enum TVia {
    viaListKey,
    viaListMenu,
    viaTreeKey,
    viaTreeMenu
};

constexpr FILEOP_FLAGS kNoBin = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;

// A tree and a list side by side, the boxes they show noted (the question whether
// to delete for good answered Yes), and the menus answered with their "delete".
class ExactVerbs : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        form = testenv::NewPlacedForm(20, 20, 900, 500);
        tree = new TZemShellTree(form);
        tree->SetRootedAt(SF_DRIVES);
        // Wine counts names that start with a dot ("...") as hidden.
        tree->SetShowHidden(true);
        tree->SetBounds(0, 0, 400, 480);
        tree->SetParent(form);
        list = new TZemFileList(form);
        list->SetCheckIfExists(false);
        list->SetBounds(410, 0, 480, 480);
        list->SetParent(form);
        form->Show();
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            boxes.push_back(Text);
            return Text.find(L"for good") != std::wstring::npos ? IDYES : IDOK;
        };
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        fw::TApplication::MessageBoxHook = nullptr;
        fw::TrackMenuHook = nullptr;
        delete form;
        fw::Application()->ProcessMessages();
        ShellLibraryShutdown();
    }
    // Runs the menu's "delete" on what the menu is asked for; false when it offered none.
    bool MenuDelete(fw::TWinControl* Control, TPathfinch* Browser) {
        bool offered = false;
        fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
            for (int i = 0; i < GetMenuItemCount(Menu); ++i) {
                const UINT id = GetMenuItemID(Menu, i);
                if (lstrcmpiW(ShellCommandString(Browser->OpenContextMenu(), id, GCS_VERBW).c_str(), L"delete") == 0) {
                    offered = true;
                    return id;
                }
            }
            return 0;
        };
        SendMessageW(Control->Handle(), WM_CONTEXTMENU, WPARAM(Control->Handle()), LPARAM(-1));
        fw::TrackMenuHook = nullptr;
        return offered;
    }
    // Chooses Path in the list (its rows: Path and Others) or in the tree, and
    // deletes it; the menu is expected to offer "delete" where Offered.
    void Delete(TVia Via, const std::wstring& Path, const std::vector<std::wstring>& Others, bool Offered = true) {
        if (Via == viaListKey || Via == viaListMenu) {
            list->Clear();
            list->AddItem(Path);
            for (const std::wstring& other : Others) list->AddItem(other);
            list->ClearSelection();
            list->Items()->Item(0)->SetSelected(true);
            list->Items()->Item(0)->SetFocused(true);
            if (Via == viaListKey) SendMessageW(list->Handle(), WM_KEYDOWN, VK_DELETE, 1);
            else EXPECT_EQ(MenuDelete(list, list->Browser()), Offered) << Path;
            return;
        }
        const std::size_t slash = Path.find_last_of(L'\\');
        ASSERT_TRUE(tree->SetSelectedFolder(Path.substr(0, slash)));
        tree->Selected()->Expand(false);
        fw::TTreeNode* node = treetest::ChildNamed(tree->Selected(), Path.substr(slash + 1));
        ASSERT_NE(node, nullptr) << Path << " " << testing::PrintToString(treetest::ChildTexts(tree->Selected()));
        tree->SetSelected(node);
        if (Via == viaTreeKey) SendMessageW(tree->Handle(), WM_KEYDOWN, VK_DELETE, 1);
        else EXPECT_TRUE(MenuDelete(tree, tree->Browser())) << Path;
    }
    // Whether one box told of Name, and (when Text is given) with that text.
    bool Told(const std::wstring& Name, const wchar_t* Text = nullptr) const {
        for (const std::wstring& box : boxes)
            if (box.find(Name) != std::wstring::npos && (!Text || box.find(Text) != std::wstring::npos)) return true;
        return false;
    }

    fw::TForm* form = nullptr;
    TZemShellTree* tree = nullptr;
    TZemFileList* list = nullptr;
    std::vector<std::wstring> boxes;
};

TEST_F(ExactVerbs, DeleteTakesExactlyTheChosenObjectOrRefusesAndNamesTheLink) {
    if (testenv::Env(L"TABULORIN_SCRATCH_HOST").empty()) GTEST_SKIP() << "no host links on this machine";
    for (FILEOP_FLAGS flags : {kNoBin, FILEOP_FLAGS(FOF_ALLOWUNDO)}) {
        for (TVia via : {viaListKey, viaListMenu, viaTreeKey, viaTreeMenu}) {
            list->Browser()->DeleteFlags = flags;
            tree->Browser()->DeleteFlags = flags;
            const std::wstring root = testenv::NewScratchFolder(L"exact");
            for (size_t n = 0; n < kCases.size(); ++n) Make(root + L"\\" + std::to_wstring(n), kCases[n].Made);
            for (size_t n = 0; n < kCases.size(); ++n) {
                const TCase& c = kCases[n];
                const std::wstring dir = root + L"\\" + std::to_wstring(n);
                if ((via == viaTreeKey || via == viaTreeMenu) && !c.IsFolder) continue;
                const std::wstring chosen = dir + L"\\" + c.Chosen;
                std::vector<std::wstring> others;
                for (const TMade& kept : c.Kept) others.push_back(dir + L"\\" + kept.Path);
                boxes.clear();
                SCOPED_TRACE(testing::Message() << "flags " << flags << ", via " << via << ", " << chosen);
                Delete(via, chosen, others);
                // Nothing else went, whatever happened to the chosen one.
                for (const TMade& kept : c.Kept) EXPECT_EQ(Read(dir + L"\\" + kept.Path), kept.Text);
                if (There(chosen)) {
                    // Only a link this system follows may keep it, and the user hears which.
                    ASSERT_NE(c.Link, nullptr);
                    EXPECT_TRUE(Told(dir + L"\\" + c.Link, L"follow")) << (boxes.empty() ? L"" : boxes[0]);
                } else {
                    // Deleted for good: asked first where the Recycle Bin was meant.
                    EXPECT_EQ(boxes.size(), flags == kNoBin ? 0u : 1u) << (boxes.empty() ? L"" : boxes[0]);
                    if (flags != kNoBin) {
                        EXPECT_TRUE(Told(chosen, L"for good"));
                    }
                }
                if (via == viaListKey || via == viaListMenu) {
                    // The rows are exactly the objects that exist.
                    std::vector<std::wstring> rows, existing;
                    for (int i = 0; i < list->Items()->Count(); ++i) rows.push_back(list->Items()->Item(i)->FullPath());
                    others.insert(others.begin(), chosen);
                    for (const std::wstring& path : others)
                        if (There(path)) existing.push_back(path);
                    EXPECT_EQ(rows, existing);
                }
            }
        }
    }
}

TEST_F(ExactVerbs, RenameTakesExactlyTheChosenObjectOrSaysWhyNot) {
    const std::wstring dir = testenv::NewScratchFolder(L"exact-rename");
    Write(dir + L"\\note.txt", "plain");
    Write(dir + L"\\note.txt ", "blank");
    Write(dir + L"\\a.txt", "a");
    Folder(dir + L"\\keepme");
    Folder(dir + L"\\keepme.");
    Write(dir + L"\\keepme\\f.txt", "keep");
    Write(dir + L"\\keepme.\\g.txt", "dot");
    const std::wstring drive = testenv::Env(L"TABULORIN_SCRATCH_DRIVE");
    // F2 on a row, the name typed, Enter.
    auto renameRow = [&](const std::wstring& Path, const std::wstring& Name) {
        list->Clear();
        list->AddItem(Path);
        list->ClearSelection();
        list->Items()->Item(0)->SetSelected(true);
        SendMessageW(list->Handle(), WM_KEYDOWN, VK_F2, 1);
        const HWND edit = ListView_GetEditControl(list->Handle());
        ASSERT_NE(edit, nullptr) << Path;
        SetWindowTextW(edit, Name.c_str());
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        fw::Application()->ProcessMessages();
    };
    renameRow(dir + L"\\note.txt ", L"memo.txt");
    EXPECT_EQ(Read(dir + L"\\memo.txt"), "blank");
    EXPECT_EQ(Read(dir + L"\\note.txt"), "plain");
    EXPECT_FALSE(There(dir + L"\\note.txt "));
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(list->Items()->Item(0)->FullPath(), dir + L"\\memo.txt");
    EXPECT_TRUE(boxes.empty());
    // A name already taken, and a drive: nothing changes, and the user is told why.
    renameRow(dir + L"\\a.txt", L"note.txt");
    EXPECT_EQ(Read(dir + L"\\a.txt"), "a");
    EXPECT_EQ(Read(dir + L"\\note.txt"), "plain");
    EXPECT_TRUE(Told(dir + L"\\a.txt", L"already there"));
    if (!drive.empty()) {
        renameRow(drive, L"other");
        EXPECT_TRUE(Told(drive, L"is a drive"));
    }
    // So do a special folder and a link the system would follow.
    const std::wstring favorites = fw::ExcludeTrailingPathDelimiter(GetSpecialFolderPath(SF_FAVORITES));
    renameRow(favorites, L"favourites");
    EXPECT_TRUE(There(favorites));
    EXPECT_TRUE(Told(favorites, L"special folder"));
    if (scratch::MakeHostSymlink(dir + L"\\ln", "keepme")) {
        renameRow(dir + L"\\ln", L"ln2");
        EXPECT_TRUE(There(dir + L"\\ln"));
        EXPECT_TRUE(Told(dir + L"\\ln", L"link"));
    }
    // The tree's node of a folder whose name ends in a dot: F2, the name typed.
    boxes.clear();
    ASSERT_TRUE(tree->SetSelectedFolder(dir));
    tree->Selected()->Expand(false);
    fw::TTreeNode* node = treetest::ChildNamed(tree->Selected(), L"keepme.");
    ASSERT_NE(node, nullptr);
    tree->SetSelected(node);
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F2, 1);
    const HWND editor = HWND(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(editor, L"kept");
    tree->Selected()->EndEdit(false);
    EXPECT_EQ(Read(dir + L"\\kept\\g.txt"), "dot");
    EXPECT_EQ(Read(dir + L"\\keepme\\f.txt"), "keep");
    EXPECT_FALSE(There(dir + L"\\keepme."));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(tree->SelectedFolder(), dir + L"\\kept");
}

TEST_F(ExactVerbs, ADeleteThatFailsNamesWhatRemainsAndOtherCommandsRefuseNamesReadOtherwise) {
    const std::wstring dir = testenv::NewScratchFolder(L"exact-held");
    for (const wchar_t* name : {L"\\free.txt", L"\\held.txt", L"\\held.txt.", L"\\doc.txt", L"\\doc.txt."})
        Write(dir + name, "x");
    list->Browser()->DeleteFlags = kNoBin;
    {
        // Open elsewhere without leave to delete: those two stay, and only they are named.
        const fw::Handle held(
            CreateFileW(Long(dir + L"\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        const fw::Handle dotted(
            CreateFileW(Long(dir + L"\\held.txt.").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held && dotted);
        for (const wchar_t* name : {L"\\held.txt", L"\\free.txt", L"\\held.txt."}) {
            Delete(viaListKey, dir + name, {});
            EXPECT_EQ(list->Items()->Count(), There(dir + name) ? 1 : 0) << name;
        }
    }
    EXPECT_FALSE(There(dir + L"\\free.txt"));
    EXPECT_TRUE(There(dir + L"\\held.txt") && There(dir + L"\\held.txt."));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(Told(dir + L"\\held.txt", L"could not be deleted"));
    EXPECT_TRUE(Told(dir + L"\\held.txt.", L"could not be deleted"));
    // A row whose name the system reads as a pattern (a Linux host may hold "b?b"),
    // its object gone: nothing the pattern matches goes.
    Folder(dir + L"\\bob");
    Write(dir + L"\\bob\\keep.txt", "keep");
    for (const wchar_t* name : {L"\\b?b", L"\\b*", L"\\d?c.txt"}) Delete(viaListKey, dir + name, {});
    EXPECT_EQ(Read(dir + L"\\bob\\keep.txt"), "keep");
    EXPECT_EQ(Read(dir + L"\\doc.txt"), "x");
    // The shell's own commands would act on "doc.txt": they are not run on "doc.txt.".
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    list->Clear();
    list->AddItem(dir + L"\\doc.txt.");
    list->Items()->Item(0)->SetSelected(true);
    for (WORD key : {WORD('X'), WORD('C')}) {
        boxes.clear();
        SendMessageW(list->Handle(), WM_KEYDOWN, key, fw::ShiftStateToKeyData(fw::ssCtrl));
        EXPECT_TRUE(Told(dir + L"\\doc.txt.", L"was not run")) << key;
    }
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_FALSE(list->Items()->Item(0)->Cut());
    EXPECT_EQ(Read(dir + L"\\doc.txt"), "x");
}

TEST_F(ExactVerbs, DrivesSpecialFoldersAndTheProfileAreRefusedWhateverTheSpelling) {
    const std::wstring documents = fw::ExcludeTrailingPathDelimiter(GetSpecialFolderPath(SF_PERSONAL));
    const std::wstring drive = testenv::Env(L"TABULORIN_SCRATCH_DRIVE");
    wchar_t profile[MAX_PATH] = {};
    GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    ASSERT_FALSE(documents.empty());
    ASSERT_NE(profile[0], 0);
    const std::wstring marker = documents + L"\\exact-marker.txt";
    Write(marker, "mine");
    if (!drive.empty()) Write(drive + L"exact-kept.txt", "drive");
    std::wstring upper = documents, slashed = documents;
    CharUpperW(upper.data());
    slashed[slashed.find_last_of(L'\\')] = L'/';
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW(documents.c_str(), shortName, MAX_PATH);
    // Each spelling, and whether it names an object at all (a trailing dot or blank
    // names "Documents." or "Documents ", which are not there).
    std::vector<std::pair<std::wstring, bool>> spellings = {
        {documents + L"\\.", true},         {documents + L"\\x\\..", true}, {slashed, true},           {upper, true},
        {L"\\\\?\\" + documents, true},     {documents + L".", false},      {documents + L" ", false}, {profile, true},
        {fw::ExtractFileDir(profile), true}};
    if (shortName[0] && documents != shortName) spellings.push_back({shortName, true});
    if (!drive.empty())
        spellings.insert(spellings.end(), {{drive + L"x\\..", true}, {drive.substr(0, 2) + L"/", true}});
    // A special folder that is no link, by its short name; and the folder of another
    // drive that holds the root of a drive (drives mapped one inside another).
    const std::wstring favorites = fw::ExcludeTrailingPathDelimiter(GetSpecialFolderPath(SF_FAVORITES));
    wchar_t favoritesShort[MAX_PATH] = {};
    if (GetShortPathNameW(favorites.c_str(), favoritesShort, MAX_PATH) && favorites != favoritesShort)
        spellings.push_back({favoritesShort, true});
    const std::wstring nested = testenv::Env(L"TABULORIN_NESTED_DRIVE");
    if (!nested.empty()) {
        Write(nested + L"exact-kept.txt", "nested");
        spellings.push_back({testenv::Env(L"TABULORIN_NESTED_HOLDER"), true});
    }
    list->Browser()->DeleteFlags = kNoBin;
    tree->Browser()->DeleteFlags = kNoBin;
    for (const auto& [spelling, named] : spellings) {
        for (TVia via : {viaListKey, viaListMenu}) {
            boxes.clear();
            Delete(via, spelling, {}, named);
            EXPECT_EQ(Read(marker), "mine") << spelling;
            if (!drive.empty()) {
                EXPECT_EQ(Read(drive + L"exact-kept.txt"), "drive") << spelling;
            }
            if (!nested.empty()) {
                EXPECT_EQ(Read(nested + L"exact-kept.txt"), "nested") << spelling;
            }
            // Refused and told, unless the spelling names nothing.
            EXPECT_EQ(boxes.size(), named ? 1u : 0u) << spelling << " " << via;
            if (named && !boxes.empty()) {
                EXPECT_NE(boxes[0].find(L"can't be deleted"), std::wstring::npos) << boxes[0];
            }
        }
    }
    // The tree's nodes of the profile and of Documents are refused too.
    for (const std::wstring& folder : {std::wstring(profile), documents}) {
        boxes.clear();
        ASSERT_TRUE(tree->SetSelectedFolder(folder)) << folder;
        SendMessageW(tree->Handle(), WM_KEYDOWN, VK_DELETE, 1);
        EXPECT_EQ(Read(marker), "mine");
        EXPECT_EQ(boxes.size(), 1u) << folder;
    }
    DeleteFileW(marker.c_str());
}

}  // namespace
