// The folder combo box on the scratch drive: entries, refills on drive notices (also
// when the remembered folder or drive has gone), drawing, and the right-click menu.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Menus.h"
#include "shell/Pathfinch.h"
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

}  // namespace
