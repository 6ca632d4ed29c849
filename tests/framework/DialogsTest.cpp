// The file and print dialogs, answered from a helper thread as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Printers.h"
#include "tests/common/DialogAnswer.h"
#include "tests/common/TestEnv.h"

namespace {

void SetText(HWND control, const std::wstring& text) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

TEST(SaveDialog, ReturnsTheTypedNameWithTheDefaultExtension) {
    const std::wstring folder = testenv::NewScratchFolder(L"save-dialog");
    fw::TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt(L".emf");
    EXPECT_EQ(dialog.DefaultExt(), L"emf");
    dialog.SetFilter(L"Stream (*.stm)|*.stm|All files (*.*)|*.*");
    dialog.SetFilterIndex(2);
    dialog.SetInitialDir(folder);
    dialog.SetTitle(L"Save it");
    int shown = 0, closed = 0;
    dialog.OnShow = [&](fw::TObject*) { ++shown; };
    dialog.OnClose = [&](fw::TObject*) { ++closed; };

    std::wstring caption;
    {
        testenv::DialogAnswer answer([&](HWND d) {
            wchar_t text[64] = {};
            GetWindowTextW(d, text, 64);
            caption = text;
            SetText(testenv::DialogEdit(d, 0x47c), folder + L"\\listing");
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_EQ(caption, L"Save it");
    EXPECT_EQ(dialog.FileName(), folder + L"\\listing.emf");
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(closed, 1);

    // Cancelled, the name stays as it was.
    {
        testenv::DialogAnswer answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_FALSE(dialog.Execute());
    }
    EXPECT_EQ(dialog.FileName(), folder + L"\\listing.emf");
}

TEST(SaveDialog, ANameTooLongForAPathIsAnsweredWithAMessageAndTheDialogStaysOpen) {
    const std::wstring folder = testenv::NewScratchFolder(L"long-name");
    fw::TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt(L"csv");
    dialog.SetFilter(L"Comma-Seperated Text File|*.csv|All Files|*");
    dialog.SetInitialDir(folder);
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        boxes.push_back(Text);
        return IDOK;
    };
    LRESULT limit = 0;
    bool openAfterLongName = false;
    {
        testenv::DialogAnswer answer([&](HWND d) {
            const HWND edit = testenv::DialogEdit(d, 0x47c);
            limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
            SetText(edit, std::wstring(300, L'a'));  // pasted past the limit
            SendMessageW(d, WM_COMMAND, IDOK, 0);
            openAfterLongName = IsWindow(d) && IsWindowVisible(d);
            SetText(edit, L"short");
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(dialog.Execute());
    }
    fw::TApplication::MessageBoxHook = nullptr;
    EXPECT_GT(limit, 0);
    EXPECT_LE(limit, MAX_PATH - 1 - 4) << "no more than a path can take, with the extension";
    EXPECT_TRUE(openAfterLongName);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(L"The file name is too long.", 0), 0u);
    EXPECT_EQ(dialog.FileName(), folder + L"\\short.csv");
}

TEST(PrintDialog, ReturnsAPageRangeAndKeepsThePrinter) {
    fw::SetPrinter(new fw::TPrinter);
    fw::TPrintDialog dialog(nullptr);
    dialog.SetOptions(fw::poPageNums);
    dialog.SetMinPage(1);
    dialog.SetMaxPage(5);
    dialog.SetFromPage(1);
    dialog.SetToPage(5);
    bool printerKnownAtShow = false;
    dialog.OnShow = [&](fw::TObject*) { printerKnownAtShow = fw::Printer()->HasPrinter(); };
    {
        testenv::DialogAnswer answer([](HWND d) {
            SendMessageW(GetDlgItem(d, 0x422), BM_CLICK, 0, 0);  // "Pages"
            SetText(GetDlgItem(d, 0x480), L"2");
            SetText(GetDlgItem(d, 0x481), L"3");
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_TRUE(printerKnownAtShow);
    EXPECT_EQ(dialog.PrintRange(), fw::prPageNums);
    EXPECT_EQ(dialog.FromPage(), 2);
    EXPECT_EQ(dialog.ToPage(), 3);
    EXPECT_EQ(fw::Printer()->PrinterName(), L"Tabulorin Test Printer");
    EXPECT_FALSE(fw::Printer()->DeviceMode().empty());  // the dialog's settings are kept

    // "All" answers the whole range; the set-up dialog keeps the printer too.
    {
        testenv::DialogAnswer answer([](HWND d) {
            SendMessageW(GetDlgItem(d, 0x420), BM_CLICK, 0, 0);
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_EQ(dialog.PrintRange(), fw::prAllPages);
    fw::TPrinterSetupDialog setup(nullptr);
    {
        testenv::DialogAnswer answer([](HWND d) { PostMessageW(d, WM_COMMAND, IDOK, 0); });
        EXPECT_TRUE(setup.Execute());
    }
    EXPECT_EQ(fw::Printer()->PrinterName(), L"Tabulorin Test Printer");
    fw::SetPrinter(nullptr);
}

}  // namespace
