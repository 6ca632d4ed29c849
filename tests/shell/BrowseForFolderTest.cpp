// The browse-for-folder dialog: the option rules, Path after OK and after Cancel
// (the dialog is answered from a helper thread), the path handed to the next
// dialog, and the dialog's position, caption and button text set by the callbacks.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemBrowseForFolder.h"
#include "tests/common/DialogAnswer.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// What the helper thread saw of the open dialog.
struct Seen {
    std::wstring caption;
    std::wstring okText;
    RECT rect = {};
};

std::wstring WindowText(HWND Window) {
    wchar_t text[256] = {};
    GetWindowTextW(Window, text, 256);
    return text;
}

class BrowseForFolder : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        const std::wstring root = testenv::NewScratchFolder(L"browse");
        first = scratch::MakeFolder(root + L"\\first");
        second = scratch::MakeFolder(root + L"\\second");
        dialog = std::make_unique<TZemBrowseForFolder>(nullptr);
        dialog->OnChange = [this](fw::TObject*) {
            changes.push_back(dialog->Path());
            leftWhileOpen = dialog->DialogLeft();
            if (!wanted.empty() && SamePath(dialog->Path(), wanted)) reached = true;
            ++changeCount;
        };
    }
    void TearDown() override {
        dialog.reset();
        ShellLibraryShutdown();
    }
    // Runs the dialog; the helper thread notes what it shows, highlights Select
    // (when given) and ends it with Command. The dialog may still be settling on its
    // starting folder when it shows, so the helper waits for that selection first and
    // repeats its own until the dialog reports it (bounded).
    bool Run(const std::wstring& Select, WPARAM Command, Seen& Shown) {
        wanted = Select;
        // Handed over as an item-ID list, as the dialog's own start-up selects.
        fw::PidlPtr selectList(Select.empty() ? nullptr : PathToPidl(nullptr, Select));
        testenv::DialogAnswer answer([&](HWND d) {
            const ULONGLONG deadline = GetTickCount64() + 5000;
            while (changeCount == 0 && GetTickCount64() < deadline) Sleep(10);
            Shown.caption = WindowText(d);
            Shown.okText = WindowText(GetDlgItem(d, IDOK));
            GetWindowRect(d, &Shown.rect);
            while (selectList && !reached && GetTickCount64() < deadline) {
                SendMessageW(d, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(selectList.get()));
                for (int i = 0; i < 20 && !reached; ++i) Sleep(10);
            }
            PostMessageW(d, WM_COMMAND, Command, 0);
        });
        const bool result = dialog->Execute();
        EXPECT_TRUE(answer.Answered());
        return result;
    }

    std::wstring first, second;
    std::unique_ptr<TZemBrowseForFolder> dialog;
    std::vector<std::wstring> changes;
    int leftWhileOpen = -1;
    std::wstring wanted;
    std::atomic<bool> reached{false};
    std::atomic<int> changeCount{0};
};

}  // namespace

TEST(BrowseOptions, EditBoxNeedsNewStyleAndComputersExcludeIt) {
    TZemBrowseForFolder dialog(nullptr);
    dialog.SetOptions(bfEditBox);
    EXPECT_EQ(dialog.Options(), TZemBrowseFlags(bfEditBox | bfNewDialogStyle));
    dialog.SetOptions(bfEditBox | bfBrowseForComputer);
    EXPECT_EQ(dialog.Options(), TZemBrowseFlags(bfBrowseForComputer));
    EXPECT_EQ(BrowseInfoFlags(bfFileSystemOnly | bfReturnInvalidPath | bfBrowseIncludeFiles),
              UINT(BIF_RETURNONLYFSDIRS | BIF_VALIDATE | BIF_BROWSEINCLUDEFILES));
}

TEST_F(BrowseForFolder, OkTakesTheHighlightedFolderAndHandsItToTheNextDialog) {
    int shows = 0, closes = 0;
    dialog->OnShow = [&](fw::TObject*) { ++shows; };
    dialog->OnClose = [&](fw::TObject*) { ++closes; };
    dialog->SetPath(first);
    dialog->SetTitle(L"Choose the folder to list");
    dialog->SetWindowTitle(L"Folder for the listing");
    dialog->SetDialogButtonCaption(L"Take");
    dialog->SetDialogLeft(120);
    dialog->SetDialogTop(90);
    Seen shown;
    ASSERT_TRUE(Run(second, IDOK, shown));

    EXPECT_TRUE(SamePath(dialog->Path(), second)) << dialog->Path();
    EXPECT_EQ(dialog->SpecialFolder(), SF_FILESYSTEMFOLDER);
    // The callbacks selected the starting path, then followed the highlight.
    ASSERT_GE(changes.size(), 2u);
    EXPECT_TRUE(SamePath(changes.front(), first)) << changes.front();
    EXPECT_TRUE(SamePath(changes.back(), second)) << changes.back();
    EXPECT_EQ(shown.caption, L"Folder for the listing");
    EXPECT_EQ(shown.okText, L"Take");
    EXPECT_EQ(shown.rect.left, 120);
    EXPECT_EQ(shown.rect.top, 90);
    EXPECT_EQ(leftWhileOpen, 120);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(dialog->DialogHandle(), nullptr);

    TZemBrowseForFolder next(nullptr);
    EXPECT_TRUE(SamePath(next.Path(), second)) << next.Path();
}

TEST_F(BrowseForFolder, CancelKeepsThePathFromBeforeTheDialog) {
    dialog->SetPath(first);
    Seen shown;
    EXPECT_FALSE(Run(second, IDCANCEL, shown));
    // The highlight moved to the second folder while the dialog was open ...
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(SamePath(changes.back(), second)) << changes.back();
    // ... yet the cancelled dialog leaves Path as it was.
    EXPECT_EQ(dialog->Path(), first);
    EXPECT_EQ(dialog->SpecialFolder(), SF_FILESYSTEMFOLDER);

    TZemBrowseForFolder next(nullptr);
    EXPECT_FALSE(SamePath(next.Path(), second)) << next.Path();
}
