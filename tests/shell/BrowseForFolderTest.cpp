// The browse-for-folder dialog, answered from a helper thread: the option rules,
// Path after OK and after Cancel, and what the callbacks set on the open dialog.
#include <gtest/gtest.h>

#include <atomic>

#include "framework/Handles.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ZemBrowseForFolder.h"
#include "tests/common/DialogAnswer.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

std::wstring WindowText(HWND Window) {
    wchar_t text[256] = {};
    GetWindowTextW(Window, text, 256);
    return text;
}

class BrowseForFolder : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring root = testenv::NewScratchFolder(L"browse");
        first = scratch::MakeFolder(root + L"\\first");
        second = scratch::MakeFolder(root + L"\\second");
        dialog.OnChange = [this](fw::TObject*) {
            changes.push_back(dialog.Path());
            leftWhileOpen = dialog.DialogLeft();
            if (SamePath(dialog.Path(), second)) reached = true;
            ++changeCount;
        };
    }
    // Runs the dialog; the helper notes what it shows, waits (bounded) for the starting
    // folder, highlights the second until the dialog reports it, and ends with Command.
    bool Run(WPARAM Command) {
        // Handed over as an item-ID list, as the dialog's own start-up selects.
        const fw::PidlPtr selectList(PathToPidl(nullptr, second));
        testenv::DialogAnswer answer([&](HWND d) {
            const ULONGLONG deadline = GetTickCount64() + 5000;
            while (changeCount == 0 && GetTickCount64() < deadline) Sleep(10);
            caption = WindowText(d);
            okText = WindowText(GetDlgItem(d, IDOK));
            GetWindowRect(d, &rect);
            while (!reached && GetTickCount64() < deadline) {
                SendMessageW(d, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(selectList.get()));
                for (int i = 0; i < 20 && !reached; ++i) Sleep(10);
            }
            PostMessageW(d, WM_COMMAND, Command, 0);
        });
        const bool result = dialog.Execute();
        EXPECT_TRUE(answer.Answered());
        return result;
    }

    std::wstring first, second;
    TZemBrowseForFolder dialog{nullptr};
    std::vector<std::wstring> changes;
    int leftWhileOpen = -1;
    std::wstring caption, okText;
    RECT rect = {};
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
    dialog.OnShow = [&](fw::TObject*) { ++shows; };
    dialog.OnClose = [&](fw::TObject*) { ++closes; };
    dialog.SetPath(first);
    dialog.SetTitle(L"Choose the folder to list");
    dialog.SetWindowTitle(L"Folder for the listing");
    dialog.SetDialogButtonCaption(L"Take");
    dialog.SetDialogLeft(120);
    dialog.SetDialogTop(90);
    ASSERT_TRUE(Run(IDOK));
    EXPECT_TRUE(SamePath(dialog.Path(), second)) << dialog.Path();
    EXPECT_EQ(dialog.SpecialFolder(), SF_FILESYSTEMFOLDER);
    // The callbacks selected the starting path, then followed the highlight.
    ASSERT_GE(changes.size(), 2u);
    EXPECT_TRUE(SamePath(changes.front(), first)) << changes.front();
    EXPECT_TRUE(SamePath(changes.back(), second)) << changes.back();
    EXPECT_EQ(caption, L"Folder for the listing");
    EXPECT_EQ(okText, L"Take");
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 90);
    EXPECT_EQ(leftWhileOpen, 120);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(dialog.DialogHandle(), nullptr);
    EXPECT_TRUE(SamePath(TZemBrowseForFolder(nullptr).Path(), second));
}

TEST_F(BrowseForFolder, CancelKeepsThePathFromBeforeTheDialogAndALeftOfZeroCentresIt) {
    dialog.SetPath(first);
    dialog.SetDialogLeft(0);  // both must be 1 or more to place the dialog
    dialog.SetDialogTop(200);
    EXPECT_FALSE(Run(IDCANCEL));
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (rect.right - rect.left) / 2);
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (rect.bottom - rect.top) / 2);
    // The highlight moved to the second folder while the dialog was open ...
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(SamePath(changes.back(), second)) << changes.back();
    // ... yet the cancelled dialog leaves Path as it was, also for the next dialog.
    EXPECT_EQ(dialog.Path(), first);
    EXPECT_EQ(dialog.SpecialFolder(), SF_FILESYSTEMFOLDER);
    EXPECT_FALSE(SamePath(TZemBrowseForFolder(nullptr).Path(), second));
}
