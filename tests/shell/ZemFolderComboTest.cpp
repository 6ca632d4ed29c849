// The folder combo box on the scratch drive: entries, refills on drive notices (also
// when the remembered folder or drive has gone), drawing, and the right-click menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Menus.h"
#include "shell/Pathfinch.h"
#include "shell/ShellLibrary.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemFolderCombo.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// Waits (bounded) until the drive's presence is as wanted.
bool DriveIs(wchar_t Letter, bool Present) {
    for (int i = 0; i < 300; ++i) {
        if (((GetLogicalDrives() >> (Letter - L'A')) & 1) == (Present ? 1u : 0u)) return true;
        Sleep(10);
    }
    return false;
}

void DriveNotice(LONG Event, const std::wstring& Root) {
    SHChangeNotify(Event, SHCNF_PATHW, Root.c_str(), nullptr);
    fw::Application()->ProcessMessages();
}

class FolderComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();  // the shell's auto-completion among its entries
        form = testenv::NewPlacedForm(20, 20, 500, 200);
        combo = new TZemFolderCombo(form);
        combo->SetIncludeDrives(true);
        combo->SetIncludeMyDocuments(true);
        combo->SetIncludeRemovableDrives(true);
        combo->SetBounds(10, 10, 300, 24);
        combo->OnChange = [this](fw::TObject*) { chosen.push_back(combo->GetEditText()); };
        combo->SetParent(form);
        form->Show();
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
        ShellLibraryShutdown();
    }
    std::vector<std::wstring> Paths() {
        std::vector<std::wstring> paths;
        for (int i = 0; i < combo->Items()->Count(); ++i) paths.push_back(combo->Items()->Strings(i));
        return paths;
    }
    std::vector<fw::TObject*> Objects() {
        std::vector<fw::TObject*> objects;
        for (int i = 0; i < combo->Items()->Count(); ++i) objects.push_back(combo->Items()->Objects(i));
        return objects;
    }
    fw::TForm* form = nullptr;
    TZemFolderCombo* combo = nullptr;
    std::vector<std::wstring> chosen;  // the choices OnChange told of
};

TEST_F(FolderComboTest, EntriesCarryTheirObjectsARefillKeepsThemAndAGoneFolderOrDriveLeavesTheChoiceAtC) {
    const std::vector<std::wstring> paths = Paths();
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ(paths[0], GetSpecialFolderPath(SF_PERSONAL));
    EXPECT_NE(std::find(paths.begin(), paths.end(), L"C:\\"), paths.end());
    EXPECT_NE(std::find(paths.begin(), paths.end(), L"D:\\"), paths.end());
    for (int i = 0; i < combo->Items()->Count(); ++i) {
        auto* item = dynamic_cast<TZemComboItem*>(combo->Items()->Objects(i));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Path(), paths[size_t(i)]);
        EXPECT_NE(item->IDList(), nullptr) << i;  // every entry carries its list
    }
    // The window's making chose "C:\" and told of it once.
    EXPECT_EQ(combo->GetEditText(), L"C:\\");
    EXPECT_EQ(chosen.size(), 1u);
    const std::wstring folder = testenv::NewScratchFolder(L"combo-same");
    combo->SelectPath(folder);
    chosen.clear();
    const std::vector<fw::TObject*> objects = Objects();
    DriveNotice(SHCNE_MEDIAINSERTED, L"D:\\");
    DriveNotice(SHCNE_DRIVEADD, L"D:\\");  // a drive already listed: nothing to do
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(Objects(), objects);
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    DriveNotice(SHCNE_DRIVEREMOVED, L"Q:\\");
    EXPECT_EQ(combo->Items()->Count(), int(objects.size()) - 1);
    EXPECT_EQ(combo->Items()->IndexOf(folder), -1);
    EXPECT_EQ(combo->GetEditText(), L"C:\\");
    EXPECT_EQ(chosen.size(), 1u);
    const std::wstring target = testenv::NewScratchFolder(L"combo-drive");
    if (!DefineDosDeviceW(0, L"M:", target.c_str()) || !DriveIs(L'M', true))
        GTEST_SKIP() << "the test machine takes no new drive";
    DriveNotice(SHCNE_DRIVEADD, L"M:\\");
    if (combo->Items()->IndexOf(L"M:\\") < 0) {
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"M:", nullptr);
        GTEST_SKIP() << "the shell does not list a defined drive";
    }
    combo->SelectPath(L"M:\\");
    EXPECT_EQ(combo->GetEditText(), L"M:\\");
    ASSERT_TRUE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"M:", nullptr));
    ASSERT_TRUE(DriveIs(L'M', false));
    chosen.clear();
    DriveNotice(SHCNE_DRIVEREMOVED, L"M:\\");
    EXPECT_EQ(combo->Items()->IndexOf(L"M:\\"), -1);
    EXPECT_EQ(combo->GetEditText(), L"C:\\");
    EXPECT_EQ(chosen, (std::vector<std::wstring>{L"C:\\"}));
}

TEST_F(FolderComboTest, DrawingLeavesTheListAloneAndARightClickShowsTheShellMenuOfTheFolder) {
    combo->Items()->Add(L"C:\\windows");
    const int count = combo->Items()->Count();
    ASSERT_EQ(combo->Items()->Objects(count - 1), nullptr);
    combo->SetItemIndex(count - 1);  // drawn in the closed combo's face
    combo->Invalidate();
    UpdateWindow(combo->Handle());
    EXPECT_EQ(combo->Items()->Count(), count);
    EXPECT_EQ(combo->Items()->Objects(count - 1), nullptr);
    fw::Application()->ProcessMessages();
    ASSERT_EQ(combo->Items()->Count(), count);
    auto* item = dynamic_cast<TZemComboItem*>(combo->Items()->Objects(count - 1));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Path(), L"C:\\windows");
    EXPECT_EQ(combo->GetEditText(), L"C:\\windows");
    int shown = 0;
    bool shellCommands = false;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        ++shown;
        shellCommands = combo->Browser()->OpenContextMenu() != nullptr && GetMenuItemCount(Menu) > 0;
        return 0;
    };
    SendMessageW(combo->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(shellCommands);
    // A combo with a popup menu of its own shows no shell menu.
    fw::TPopupMenu own(nullptr);
    combo->SetPopupMenu(&own);
    SendMessageW(combo->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    fw::TrackMenuHook = nullptr;
    combo->SetPopupMenu(nullptr);
    EXPECT_EQ(shown, 1);
}

// The face of the system's icon-title font.
std::wstring IconTitleFace() {
    LOGFONTW font{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    return font.lfFaceName;
}

TEST_F(FolderComboTest, AProgramsChoiceIsAChoiceAndTheSetUpsEndGivesTheIconTitleFontUnlessTurnedOff) {
    chosen.clear();
    const int d = combo->Items()->IndexOf(L"D:\\");
    ASSERT_GE(d, 0);
    combo->SetItemIndex(d);
    EXPECT_EQ(chosen, std::vector<std::wstring>{L"D:\\"});
    // A path chosen is told of once.
    combo->SelectPath(L"C:\\");
    EXPECT_EQ(chosen, (std::vector<std::wstring>{L"D:\\", L"C:\\"}));
    combo->Font()->SetName(L"Courier New");
    ASSERT_NE(IconTitleFace(), L"Courier New");
    combo->SetUseSystemFont(false);
    combo->EndSetUp();
    EXPECT_EQ(combo->Font()->Name(), L"Courier New");
    combo->SetUseSystemFont(true);
    combo->EndSetUp();
    EXPECT_EQ(combo->Font()->Name(), IconTitleFace());
}

TEST_F(FolderComboTest, TheEditForwardsKeysSelectsAllOnCtrlAAndCompletesPathsOnlyWithAutoComplete) {
    combo->SetEditable(true);
    fw::TEdit* edit = combo->EditControl();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), L"C:\\");
    edit->SetText(L"D:\\typed");
    EXPECT_EQ(combo->Text(), L"D:\\typed");
    EXPECT_EQ(combo->GetEditText(), L"D:\\typed");
    std::vector<std::pair<fw::TObject*, int>> keys;  // sender and key, in order
    combo->OnKeyDown = [&](fw::TObject* Sender, WORD& Key, fw::TShiftState) { keys.push_back({Sender, Key}); };
    combo->OnKeyPress = [&](fw::TObject* Sender, wchar_t& Key) { keys.push_back({Sender, int(Key)}); };
    combo->OnKeyUp = [&](fw::TObject* Sender, WORD& Key, fw::TShiftState) { keys.push_back({Sender, -Key}); };
    // Without auto-completion typing asks the shell for none.
    combo->SetAutoComplete(false);
    SendMessageW(edit->Handle(), WM_KEYDOWN, 'X', 0);
    SendMessageW(edit->Handle(), WM_CHAR, 'x', 0);
    SendMessageW(edit->Handle(), WM_KEYUP, 'X', 0xC0000000);
    EXPECT_EQ(keys, (std::vector<std::pair<fw::TObject*, int>>{{combo, 'X'}, {combo, 'x'}, {combo, -'X'}}));
    EXPECT_FALSE(combo->AutoCompleteSet());
    // Ctrl+A (the key data's control bit) selects the whole text.
    SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
    SendMessageW(edit->Handle(), WM_KEYDOWN, 'A', 0x10000000);
    DWORD from = 0, to = 0;
    SendMessageW(edit->Handle(), EM_GETSEL, WPARAM(&from), LPARAM(&to));
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(DWORD(0), DWORD(edit->Text().size())));
    // With it, the first key asks the shell to complete paths in the edit.
    combo->SetAutoComplete(true);
    SendMessageW(edit->Handle(), WM_CHAR, 'y', 0);
    EXPECT_TRUE(combo->AutoCompleteSet());
    combo->SetEditable(false);
    EXPECT_EQ(combo->EditControl(), nullptr);
    EXPECT_EQ(combo->Text(), L"C:\\");
}

TEST_F(FolderComboTest, ANarrowComboDropsDownWideAndADisabledOneShowsTheButtonFaceUntilEnabledAgain) {
    combo->SetBounds(10, 10, 120, 24);
    SendMessageW(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 250);
    SendMessageW(combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    combo->SetColor(fw::clYellow);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Color(), fw::clBtnFace);
    // Disabled, it takes no path.
    EXPECT_FALSE(combo->SelectPath(L"D:\\"));
    combo->SetEnabled(true);
    EXPECT_EQ(combo->Color(), fw::clYellow);
    EXPECT_TRUE(combo->SelectPath(L"D:\\"));
}

// The colours of Edit's pixels along its middle line.
std::vector<COLORREF> EditLine(HWND Edit) {
    RECT rect{};
    GetClientRect(Edit, &rect);
    HDC dc = GetDC(Edit);
    std::vector<COLORREF> line;
    for (int x = 0; x < rect.right; ++x) line.push_back(GetPixel(dc, x, rect.bottom / 2));
    ReleaseDC(Edit, dc);
    return line;
}

TEST_F(FolderComboTest, ATypedOrChosenEntryIsToldOnceWithTheEditShowingItAndTheFaceNeverCoversTheEdit) {
    chosen.clear();
    // A key typed into the closed list chooses the first entry it starts: told once.
    SendMessageW(combo->Handle(), WM_CHAR, 'd', 0);
    EXPECT_EQ(chosen, std::vector<std::wstring>{L"D:\\"});
    // Writing the text selects its entry and tells no one.
    combo->SetText(L"C:\\");
    EXPECT_EQ(combo->ItemIndex(), combo->Items()->IndexOf(L"C:\\"));
    EXPECT_EQ(chosen.size(), 1u);
    // Editable: a choice, the program's or the user's, is in the edit before OnChange tells of it.
    combo->SetEditable(true);
    chosen.clear();
    combo->SetItemIndex(combo->Items()->IndexOf(L"D:\\"));
    SendMessageW(combo->Handle(), CB_SETCURSEL, WPARAM(combo->Items()->IndexOf(L"C:\\")), 0);
    combo->Perform(fw::CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
    EXPECT_EQ(chosen, (std::vector<std::wstring>{L"D:\\", L"C:\\"}));
    // The combo's face, drawn again, leaves the edit as it is.
    const HWND edit = combo->EditControl()->Handle();
    combo->EditControl()->SetText(L"C:\\typed by the user");
    UpdateWindow(edit);
    const std::vector<COLORREF> before = EditLine(edit);
    RedrawWindow(combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_NOCHILDREN);
    EXPECT_EQ(EditLine(edit), before);
}

TEST_F(FolderComboTest, ASelectedEntryInTheListHasOnlyItsTextOnTheHighlight) {
    const int d = combo->Items()->IndexOf(L"D:\\");
    ASSERT_GE(d, 0);
    fw::TBitmap picture;
    picture.SetSize(300, 18);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_COMBOBOX;
    draw.itemID = UINT(d);
    draw.itemState = ODS_SELECTED;
    draw.hDC = picture.Canvas()->Handle();
    draw.rcItem = RECT{0, 0, 300, 18};
    combo->Perform(fw::CN_DRAWITEM, 0, &draw);
    HDC dc = picture.Canvas()->Handle();
    EXPECT_EQ(GetPixel(dc, 290, 9), GetSysColor(COLOR_WINDOW));  // the row's end keeps the combo's colour
    int highlighted = 0;
    for (int x = 0; x < 120; ++x) highlighted += GetPixel(dc, x, 9) == GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_GT(highlighted, 0);  // behind the text
}

}  // namespace
