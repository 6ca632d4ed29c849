// Deletes the shell would not make: a drive root (a scratch drive of its own,
// whose every file is checked afterwards) and a special folder, alone or with
// deletable files, from the tree's and the list's keys and menus, with and without
// the shell's confirmation. Nothing goes, and the user is told which objects.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/DragDrop.h"
#include "framework/Menus.h"
#include "shell/Pathfinch.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemFileList.h"
#include "shell/ZemShellMenu.h"
#include "tests/common/DialogAnswer.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;
using scratch::Exists;

namespace {

// A window beside the control under test that takes drops and notes every effect
// offered to it; it moves nothing. The pointer rests on it while it lives.
class DropWindow {
public:
    DropWindow(int Left, int Top) : form_(testenv::NewPlacedForm(Left, Top, 200, 200)) {
        form_->Show();
        target_ = fw::TDropTarget::Create();
        target_->OnDragEnter = [this](IDataObject*, DWORD, POINT, DWORD& Effect) { return Note(Effect); };
        target_->OnDragOver = [this](DWORD, POINT, DWORD& Effect) { return Note(Effect); };
        target_->OnDrop = [this](IDataObject*, DWORD, POINT, DWORD& Effect) {
            Note(Effect);
            Effect = DROPEFFECT_NONE;
            return S_OK;
        };
        registered_ = RegisterDragDrop(form_->Handle(), target_.get()) == S_OK;
        RECT r{};
        GetWindowRect(form_->Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    ~DropWindow() {
        RevokeDragDrop(form_->Handle());
        delete form_;
    }
    DropWindow(const DropWindow&) = delete;
    DropWindow& operator=(const DropWindow&) = delete;
    bool Registered() const { return registered_; }

    std::vector<DWORD> offered;

private:
    HRESULT Note(DWORD Effect) {
        offered.push_back(Effect);
        return S_OK;
    }
    fw::TForm* form_;
    fw::ComPtr<fw::TDropTarget> target_;
    bool registered_ = false;
};

constexpr FILEOP_FLAGS kQuiet = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
// The shell's own confirmation: asked before anything goes.
constexpr FILEOP_FLAGS kConfirming = FOF_ALLOWUNDO;

// The command of the menu's shell item whose verb is Verb; 0 for none.
UINT ShellCommand(HMENU Menu, IContextMenu* Shell, const wchar_t* Verb) {
    for (int i = 0; Shell && i < GetMenuItemCount(Menu); ++i) {
        const UINT id = GetMenuItemID(Menu, i);
        if (lstrcmpiW(ShellCommandString(Shell, id, GCS_VERBW).c_str(), Verb) == 0) return id;
    }
    return 0;
}

// The scratch drive with its files, the boxes the program showed, and the shell's
// confirmation answered "No" should it ever be asked.
class DeleteGuard {
public:
    DeleteGuard() : drive_(testenv::Env(L"TABULORIN_SCRATCH_DRIVE")) {
        if (drive_.empty()) return;
        scratch::MakeFolder(drive_ + L"kept");
        for (const wchar_t* file : {L"kept.txt", L"kept\\inner.txt"}) scratch::MakeFile(drive_ + file, 4);
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            boxes.push_back(Text);
            return IDOK;
        };
    }
    ~DeleteGuard() { fw::TApplication::MessageBoxHook = nullptr; }
    const std::wstring& Drive() const { return drive_; }
    bool DriveIntact() const { return Exists(drive_ + L"kept.txt") && Exists(drive_ + L"kept\\inner.txt"); }
    // Runs Action with the confirmation watched: it must never come up.
    void Watched(const std::function<void()>& Action) {
        testenv::DialogAnswer confirmation([](HWND Dialog) { PostMessageW(Dialog, WM_COMMAND, IDNO, 0); }, 5000);
        Action();
        confirmationShown = confirmationShown || confirmation.Answered();
    }
    // One box told of the drive (and of nothing deletable); the boxes are then forgotten.
    void ExpectToldOnlyOf(const std::wstring& Name, const std::wstring& NotNamed = L"") {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(Name), std::wstring::npos) << boxes[0];
        if (!NotNamed.empty()) {
            EXPECT_EQ(boxes[0].find(NotNamed), std::wstring::npos) << boxes[0];
        }
        boxes.clear();
    }
    std::vector<std::wstring> boxes;
    bool confirmationShown = false;

private:
    std::wstring drive_;
};

// A tree whose outgoing drags are held for two rounds, then dropped where the cursor is.
class THeldDragTree : public TZemShellTree {
public:
    using TZemShellTree::TZemShellTree;
    int holdRounds = 2;
    HRESULT QueryContinueDrag(bool EscapePressed, DWORD) override {
        return TZemShellTree::QueryContinueDrag(EscapePressed, holdRounds-- > 0 ? MK_LBUTTON : 0);
    }
};

class DeleteSafetyTree : public treetest::ShellTreeFixture {
protected:
    TZemShellTree* NewTree(fw::TComponent* Owner) override { return new THeldDragTree(Owner); }
    void SetUp() override {
        if (guard.Drive().empty()) GTEST_SKIP() << "the test machine names no scratch drive";
        ShellTreeFixture::SetUp();
    }
    void TearDown() override {
        fw::TrackMenuHook = nullptr;
        if (!guard.Drive().empty()) ShellTreeFixture::TearDown();
    }
    // The menu's "delete" is chosen; whether the menu offered it.
    bool ChooseDeleteFromMenu(const std::function<void()>& OpenMenu) {
        bool offered = false;
        fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
            const UINT id = ShellCommand(Menu, tree->Browser()->OpenContextMenu(), L"delete");
            offered = id != 0;
            return id;
        };
        guard.Watched(OpenMenu);
        fw::TrackMenuHook = nullptr;
        return offered;
    }
    DeleteGuard guard;
};

TEST_F(DeleteSafetyTree, ADriveNodeIsNeverDeletedByKeyMenuOrRightClick) {
    ASSERT_TRUE(tree->SetSelectedFolder(guard.Drive()));
    for (FILEOP_FLAGS flags : {kQuiet, kConfirming}) {
        tree->Browser()->DeleteFlags = flags;
        guard.Watched([&] { Key(VK_DELETE); });
        guard.ExpectToldOnlyOf(guard.Drive());
        EXPECT_TRUE(guard.DriveIntact());
        const bool offered = ChooseDeleteFromMenu([&] { KeyboardMenu(); });
        if (offered) guard.ExpectToldOnlyOf(guard.Drive());
        EXPECT_TRUE(guard.DriveIntact());
        // A right click asks for the same menu (the window's click notice, then the menu).
        const POINT at = treetest::ScreenCentre(tree->Selected());
        POINT client = at;
        ScreenToClient(tree->Handle(), &client);
        bool shown = false;
        fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
            shown = true;
            return ShellCommand(Menu, tree->Browser()->OpenContextMenu(), L"delete");
        };
        guard.Watched([&] {
            PostMessageW(tree->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
            SendMessageW(tree->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
            treetest::WaitFor([&] { return shown; });
        });
        fw::TrackMenuHook = nullptr;
        EXPECT_TRUE(shown);
        if (offered) guard.ExpectToldOnlyOf(guard.Drive());
        EXPECT_TRUE(guard.DriveIntact());
    }
    EXPECT_FALSE(guard.confirmationShown);
    EXPECT_TRUE(operations.empty());
}

TEST_F(DeleteSafetyTree, ADriveOrSpecialFolderNodeDraggedOutOffersNoMove) {
    // A window beside the tree notes the effects a drag offers it.
    DropWindow beside(460, 20);
    ASSERT_TRUE(beside.Registered());
    std::vector<DWORD>& offered = beside.offered;
    const std::wstring documents = GetSpecialFolderPath(SF_PERSONAL);
    ASSERT_FALSE(documents.empty());
    for (const std::wstring& folder : {guard.Drive(), documents}) {
        ASSERT_TRUE(tree->SetSelectedFolder(folder));
        auto* held = static_cast<THeldDragTree*>(tree);
        held->holdRounds = 2;
        offered.clear();
        NMTREEVIEWW begin{};
        begin.hdr.hwndFrom = tree->Handle();
        begin.hdr.code = TVN_BEGINDRAGW;
        begin.itemNew.hItem = tree->Selected()->ItemId();
        tree->Perform(fw::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
        ASSERT_FALSE(offered.empty()) << folder;
        for (DWORD effect : offered) EXPECT_EQ(effect & DROPEFFECT_MOVE, 0u) << folder << L" " << effect;
    }
    EXPECT_TRUE(guard.DriveIntact());
}

class DeleteSafetyList : public testing::Test {
protected:
    void SetUp() override {
        if (guard.Drive().empty()) GTEST_SKIP() << "the test machine names no scratch drive";
        ShellLibraryStartup();
        started = true;
        folder = testenv::NewScratchFolder(L"delete-safety");
        for (const wchar_t* file : {L"\\a.txt", L"\\b.txt"}) scratch::MakeFile(folder + file, 2);
        form = testenv::NewPlacedForm(30, 30, 600, 300);
        list = testenv::NewFillingControl<TZemFileList>(form);
        list->SetCheckIfExists(false);
        form->Show();
        list->Handle();
        for (const std::wstring& path : {guard.Drive(), folder + L"\\a.txt", folder + L"\\b.txt"}) list->AddItem(path);
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        fw::TrackMenuHook = nullptr;
        delete form;
        fw::Application()->ProcessMessages();
        if (started) ShellLibraryShutdown();
    }
    void Select(std::initializer_list<int> Rows) {
        list->ClearSelection();
        for (int row : Rows) list->Items()->Item(row)->SetSelected(true);
        list->Items()->Item(*Rows.begin())->SetFocused(true);
    }
    void DeleteKey() { SendMessageW(list->Handle(), WM_KEYDOWN, VK_DELETE, 1); }
    // The menu of the selected rows (asked for by keyboard) with its "delete"
    // chosen; whether the menu offered it.
    bool DeleteFromMenu() {
        bool offered = false;
        fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
            const UINT id = ShellCommand(Menu, list->Browser()->OpenContextMenu(), L"delete");
            offered = id != 0;
            return id;
        };
        guard.Watched([&] { SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), LPARAM(-1)); });
        fw::TrackMenuHook = nullptr;
        return offered;
    }
    DeleteGuard guard;
    bool started = false;
    std::wstring folder;
    fw::TForm* form = nullptr;
    TZemFileList* list = nullptr;
};

TEST_F(DeleteSafetyList, ADriveRowAloneOrWithFilesIsNeverDeletedAndTheFilesGoOnlyWithoutIt) {
    ASSERT_EQ(list->Items()->Count(), 3);
    const std::wstring a = folder + L"\\a.txt";
    for (FILEOP_FLAGS flags : {kQuiet, kConfirming}) {
        list->Browser()->DeleteFlags = flags;
        Select({0});
        guard.Watched([&] { DeleteKey(); });
        guard.ExpectToldOnlyOf(guard.Drive());
        if (DeleteFromMenu()) guard.ExpectToldOnlyOf(guard.Drive());
        // With a deletable file: nothing goes, and the box names only the drive.
        Select({0, 1});
        guard.Watched([&] { DeleteKey(); });
        guard.ExpectToldOnlyOf(guard.Drive(), a);
        if (DeleteFromMenu()) guard.ExpectToldOnlyOf(guard.Drive(), a);
        EXPECT_TRUE(guard.DriveIntact());
        EXPECT_TRUE(Exists(a));
        ASSERT_EQ(list->Items()->Count(), 3);
    }
    EXPECT_FALSE(guard.confirmationShown);
    // The files alone go as before, without a box.
    list->Browser()->DeleteFlags = kQuiet;
    Select({1, 2});
    DeleteKey();
    EXPECT_TRUE(guard.boxes.empty());
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(folder + L"\\b.txt"));
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(list->Items()->Item(0)->FullPath(), guard.Drive());
    EXPECT_TRUE(guard.DriveIntact());
}

TEST_F(DeleteSafetyList, ADriveRowIsNeverCutAloneOrWithFiles) {
    ASSERT_EQ(list->Items()->Count(), 3);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    for (const auto& rows : {std::vector<int>{0}, std::vector<int>{0, 1}}) {
        list->ClearSelection();
        for (int row : rows) list->Items()->Item(row)->SetSelected(true);
        SendMessageW(list->Handle(), WM_KEYDOWN, 'X', fw::ShiftStateToKeyData(fw::ssCtrl));
        guard.ExpectToldOnlyOf(guard.Drive(), folder + L"\\a.txt");
        EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
        EXPECT_FALSE(list->Items()->Item(0)->Cut());
    }
    // Files alone are cut as before.
    Select({1});
    SendMessageW(list->Handle(), WM_KEYDOWN, 'X', fw::ShiftStateToKeyData(fw::ssCtrl));
    EXPECT_TRUE(guard.boxes.empty());
    EXPECT_TRUE(guard.DriveIntact());
}

TEST_F(DeleteSafetyList, ADriveRowDraggedOutAloneOrWithFilesOffersNoMove) {
    ASSERT_EQ(list->Items()->Count(), 3);
    // A window beside the list notes the effects a drag offers it.
    DropWindow beside(660, 30);
    ASSERT_TRUE(beside.Registered());
    std::vector<DWORD>& offered = beside.offered;
    // The effects each selection's drag offered (0 when none reached the window).
    auto drag = [&](std::initializer_list<int> Rows) {
        Select(Rows);
        offered.clear();
        NMLISTVIEW begin{};
        begin.hdr.hwndFrom = list->Handle();
        begin.hdr.code = LVN_BEGINDRAG;
        begin.iItem = *Rows.begin();
        list->Perform(fw::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
        DWORD all = 0;
        for (DWORD effect : offered) all |= effect;
        return offered.empty() ? DWORD(0) : all;
    };
    const DWORD driveAlone = drag({0});
    const DWORD driveWithFile = drag({0, 1});
    const DWORD fileAlone = drag({1});
    // A special folder is never moved away either.
    const std::wstring documents = GetSpecialFolderPath(SF_PERSONAL);
    ASSERT_FALSE(documents.empty());
    ASSERT_NE(list->AddItem(documents), nullptr);
    ASSERT_EQ(list->Items()->Count(), 4);
    const DWORD special = drag({3});
    EXPECT_EQ(driveAlone & DROPEFFECT_MOVE, 0u) << driveAlone;
    EXPECT_EQ(driveWithFile & DROPEFFECT_MOVE, 0u) << driveWithFile;
    EXPECT_EQ(special & DROPEFFECT_MOVE, 0u) << special;
    // A file alone still may be moved.
    EXPECT_NE(fileAlone & DROPEFFECT_MOVE, 0u) << fileAlone;
    EXPECT_TRUE(guard.DriveIntact());
    EXPECT_TRUE(Exists(folder + L"\\a.txt"));
}

TEST(DeleteSafety, ASpecialFolderOrAVirtualObjectIsNeverDeletedAndGoneTargetsAreNoObstacle) {
    DeleteGuard guard;
    ShellLibraryStartup();
    TPathfinch browser(nullptr);
    browser.SetSpecialFolder(SF_DESKTOP);
    browser.DeleteFlags = kQuiet;
    const std::wstring documents = GetSpecialFolderPath(SF_PERSONAL);
    ASSERT_FALSE(documents.empty());
    const std::wstring inside = scratch::MakeFolder(documents + L"\\delete-safety");
    browser.SetMultiObjects(scratch::PathList({documents}));
    EXPECT_FALSE(browser.ExecuteShellVerb(L"delete"));
    EXPECT_TRUE(Exists(inside));
    guard.ExpectToldOnlyOf(documents);
    // The computer's control panel has no path: it is named by its display name.
    browser.SetSpecialFolder(SF_CONTROLS);
    browser.SelectFolderAsObject();
    std::wstring name;
    browser.GetDisplayName(false, name);
    EXPECT_FALSE(browser.ExecuteShellVerb(L"delete"));
    if (!name.empty()) guard.ExpectToldOnlyOf(name);
    // A target already gone neither stops the others nor is named.
    const std::wstring folder = testenv::NewScratchFolder(L"delete-gone");
    scratch::MakeFile(folder + L"\\here.txt", 1);
    browser.SetMultiObjects(scratch::PathList({folder + L"\\gone.txt", folder + L"\\here.txt"}));
    EXPECT_TRUE(browser.ExecuteShellVerb(L"delete"));
    EXPECT_FALSE(Exists(folder + L"\\here.txt"));
    EXPECT_TRUE(guard.boxes.empty());
    RemoveDirectoryW(inside.c_str());
    ShellLibraryShutdown();
}

}  // namespace
