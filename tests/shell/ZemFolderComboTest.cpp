// The folder combo box on the scratch drive: its entries and their objects, the
// choice by path, refills on drive notices (also when the remembered path or
// drive has gone), the edit part, and drawing that leaves the list alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemFolderCombo.h"
#include "tests/common/TestEnv.h"
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
        form = new fw::TForm(nullptr);
        form->SetPosition(fw::poDesigned);
        form->SetBounds(20, 20, 500, 200);
        combo = new TZemFolderCombo(form);
        combo->SetIncludeDrives(true);
        combo->SetIncludeMyDocuments(true);
        combo->SetIncludeRemovableDrives(true);
        combo->SetBounds(10, 10, 300, 24);
        combo->OnChange = [this](fw::TObject*) {
            ++changes;
            chosen.push_back(combo->GetEditText());
        };
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
    fw::TForm* form = nullptr;
    TZemFolderCombo* combo = nullptr;
    int changes = 0;
    std::vector<std::wstring> chosen;
};

TEST_F(FolderComboTest, EntriesAreTheDocumentsAndTheDrivesEachWithItsObject) {
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
    EXPECT_EQ(changes, 1);
}

TEST_F(FolderComboTest, ChoiceByPathAppendsOnceAndTellsOncePerCall) {
    const std::wstring folder = testenv::NewScratchFolder(L"combo-choice");
    changes = 0;
    const int before = combo->Items()->Count();
    EXPECT_TRUE(combo->SelectPath(folder));
    EXPECT_EQ(combo->Items()->Count(), before + 1);
    EXPECT_EQ(combo->ItemIndex(), before);
    EXPECT_EQ(combo->GetEditText(), folder);
    auto* item = dynamic_cast<TZemComboItem*>(combo->Items()->Objects(before));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->UseDisplayName);
    EXPECT_EQ(PidlToPath(item->IDList()), folder);
    EXPECT_TRUE(combo->SelectPath(folder));
    EXPECT_EQ(combo->Items()->Count(), before + 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(combo->AddPathItem(folder), -1);

    combo->SetEnabled(false);
    EXPECT_FALSE(combo->SelectPath(L"C:\\"));
    combo->SetEnabled(true);
    EXPECT_EQ(combo->GetEditText(), folder);  // the refill kept the chosen path
}

TEST_F(FolderComboTest, ARefillKeepsWhatDidNotChangeAndDropsAGoneRememberedFolder) {
    const std::wstring folder = testenv::NewScratchFolder(L"combo-same");
    combo->SelectPath(folder);
    changes = 0;
    std::vector<fw::TObject*> objects;
    for (int i = 0; i < combo->Items()->Count(); ++i) objects.push_back(combo->Items()->Objects(i));
    DriveNotice(SHCNE_MEDIAINSERTED, L"D:\\");
    DriveNotice(SHCNE_DRIVEADD, L"D:\\");  // a drive already listed: nothing to do
    EXPECT_EQ(changes, 0);
    for (int i = 0; i < combo->Items()->Count(); ++i) EXPECT_EQ(combo->Items()->Objects(i), objects[size_t(i)]);

    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    DriveNotice(SHCNE_DRIVEREMOVED, L"Q:\\");
    EXPECT_EQ(combo->Items()->Count(), int(objects.size()) - 1);
    EXPECT_EQ(combo->Items()->IndexOf(folder), -1);
    EXPECT_EQ(combo->GetEditText(), L"C:\\");
    EXPECT_EQ(changes, 1);
}

TEST_F(FolderComboTest, ARemovedDriveLeavesTheListAndTheChoiceFallsToC) {
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
    changes = 0;
    chosen.clear();
    DriveNotice(SHCNE_DRIVEREMOVED, L"M:\\");
    EXPECT_EQ(combo->Items()->IndexOf(L"M:\\"), -1);
    EXPECT_EQ(combo->GetEditText(), L"C:\\");
    EXPECT_EQ(chosen, (std::vector<std::wstring>{L"C:\\"}));
}

TEST_F(FolderComboTest, WithoutIncludesTheListIsEmptyAndTheWindowStillTells) {
    auto* empty = new TZemFolderCombo(form);
    int told = 0;
    empty->OnChange = [&](fw::TObject*) { ++told; };
    empty->SetParent(form);
    empty->HandleNeeded();
    EXPECT_EQ(empty->Items()->Count(), 0);
    EXPECT_EQ(empty->ItemIndex(), -1);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(empty->GetEditText(), L"");
}

TEST_F(FolderComboTest, DrawingLeavesTheListAlonePlainEntriesGetObjectsAfterwards) {
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
}

TEST_F(FolderComboTest, TheEditPartForwardsKeysAndSelectsAllWithCtrlA) {
    std::vector<fw::TObject*> senders;
    combo->OnKeyDown = [&](fw::TObject* Sender, WORD&, fw::TShiftState) { senders.push_back(Sender); };
    combo->OnKeyPress = [&](fw::TObject* Sender, wchar_t&) { senders.push_back(Sender); };
    combo->SetEditable(true);
    ASSERT_TRUE(combo->Editable());
    fw::TEdit* edit = combo->EditControl();
    EXPECT_EQ(edit->Text(), L"C:\\");  // the edit shows the chosen entry
    edit->SetText(L"D:\\typed");
    EXPECT_EQ(combo->GetEditText(), L"D:\\typed");
    EXPECT_EQ(combo->Text(), L"D:\\typed");
    edit->SetSelStart(2);
    SendMessageW(edit->Handle(), WM_KEYDOWN, 'A', 0);
    SendMessageW(edit->Handle(), WM_CHAR, 'x', 0);
    ASSERT_FALSE(senders.empty());
    for (fw::TObject* s : senders) EXPECT_EQ(s, combo);
    // Ctrl+A through the forwarder.
    WORD key = 'A';
    combo->EditControl()->OnKeyDown(edit, key, fw::ssCtrl);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), int(edit->Text().size()));
    combo->SetEditable(false);
    EXPECT_EQ(combo->EditControl(), nullptr);
}

}  // namespace
