// The print-preview window: stepping through pages, the
// printable area drawn at its place, printing through the print dialog, and a
// machine without any printer.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/UPrintPreview2.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Printers.h"
#include "tests/common/DialogAnswer.h"
#include "tests/common/PrintOutput.h"

namespace {

constexpr POINT kPaper{2479, 3508};  // the test printer's A4 at 300 dpi

class PreviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetPrinter(new fw::TPrinter);
        preview = std::make_unique<TPrintpreview>(nullptr);
        preview->AfterConstruction();
        preview->SetWindowState(fw::wsNormal);
        preview->SetPosition(fw::poDesigned);
        preview->SetBounds(0, 0, 700, 600);
        preview->Show();
    }
    void TearDown() override {
        preview.reset();
        fw::SetPrinter(nullptr);
    }
    // Records Pages pages, each filled black over its whole printable area, and shows them.
    void ShowBlackPages(int Pages) {
        preview->BeginDoc();
        for (int p = 1; p <= Pages; ++p) {
            if (p > 1) preview->NewPage();
            fw::TCanvas* canvas = preview->PageCanvas(p);
            canvas->Brush()->SetColor(fw::clBlack);
            canvas->FillRect(RECT{0, 0, fw::Printer()->PageWidth(), fw::Printer()->PageHeight()});
        }
        preview->ShowPreview();
    }
    fw::TPaintBox* Box() { return preview->PaintBox1; }

    std::unique_ptr<TPrintpreview> preview;
};

TEST_F(PreviewWindowTest, StepsThroughPagesAndShowsThePrintableAreaAtItsPlace) {
    ShowBlackPages(3);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 1 of 3");
    EXPECT_FALSE(preview->PriorBtn->Enabled());
    preview->NextBtnClick(nullptr);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 2 of 3");
    preview->LastBtnClick(nullptr);
    EXPECT_FALSE(preview->NextBtn->Enabled());
    preview->NextBtnClick(nullptr);  // past the last page: nothing
    EXPECT_EQ(preview->ShownPage(), 3);
    preview->FirstBtnClick(nullptr);
    EXPECT_EQ(preview->ShownPage(), 1);
    // White paper around the printable area, black inside it.
    preview->sb->Repaint();
    const int margin = int(std::lround(75.0 * Box()->Width() / kPaper.x));
    ASSERT_GE(margin, 8);
    fw::WindowDC dc(preview->sb->Handle());
    const int x = Box()->Left(), y = Box()->Top(), w = Box()->Width(), h = Box()->Height();
    EXPECT_EQ(GetPixel(dc.get(), x + margin / 2, y + h / 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc.get(), x + margin + 3, y + h / 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc.get(), x + w - margin - 3, y + h - margin - 3), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc.get(), x + w / 2, y + h - margin / 2), RGB(255, 255, 255));
}

TEST_F(PreviewWindowTest, PrintsARangeOrAllThroughThePrintDialog) {
    ShowBlackPages(4);
    preview->NextBtnClick(nullptr);
    testenv::PrintCounts before = testenv::CountPrinted();
    auto print = [&](std::function<void(HWND)> Answer) {
        testenv::DialogAnswer answer(std::move(Answer));
        preview->PrintBtnClick(preview->PrintBtn);
        EXPECT_TRUE(answer.Answered());
    };
    print([](HWND d) {
        SendMessageW(GetDlgItem(d, 0x422), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(d, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
        SendMessageW(GetDlgItem(d, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3"));
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    testenv::PrintCounts after = testenv::WaitForJobs(before, 2);
    EXPECT_EQ(after.jobs, before.jobs + 2);  // each page of a range is a job of its own
    EXPECT_EQ(after.pages, before.pages + 2);
    EXPECT_EQ(preview->ShownPage(), 3);
    before = after;
    print([](HWND d) {
        SendMessageW(GetDlgItem(d, 0x420), BM_CLICK, 0, 0);
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    after = testenv::WaitForJobs(before, 1);
    EXPECT_EQ(after.pages, before.pages + 4);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 3 of 4");  // "All" stays on the shown page
}

// Takes the test printer away for one test and puts it back afterwards.
class NoPrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        HANDLE h = nullptr;
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(kName), &h, nullptr));
        DWORD needed = 0, type = 0, size = 0;
        GetPrinterW(h, 2, nullptr, 0, &needed);
        info_.resize(needed);
        ASSERT_TRUE(GetPrinterW(h, 2, info_.data(), needed, &needed));
        GetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), &type, nullptr, 0, &size);
        ppd_.resize(size);
        GetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), &type, ppd_.data(), size, &size);
        ASSERT_TRUE(DeletePrinter(h));
        ClosePrinter(h);
        fw::SetPrinter(new fw::TPrinter);
    }
    void TearDown() override {
        fw::TApplication::MessageBoxHook = nullptr;
        fw::SetPrinter(nullptr);
        HANDLE h = AddPrinterW(nullptr, 2, info_.data());
        ASSERT_NE(h, nullptr);
        SetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), REG_SZ, ppd_.data(), DWORD(ppd_.size()));
        ClosePrinter(h);
        SetDefaultPrinterW(kName);
    }
    static constexpr const wchar_t* kName = L"Tabulorin Test Printer";
    std::vector<BYTE> info_, ppd_;
};

TEST_F(NoPrinterTest, TheWindowsWorkAndPrintRequestsSayWhy) {
    auto preview = std::make_unique<TPrintpreview>(nullptr);
    ASSERT_NO_THROW(preview->AfterConstruction());  // fitting the page divides by nothing
    EXPECT_GT(preview->PaintBox1->Width(), 0);
    preview->ShowPreview();
    EXPECT_THROW(preview->BeginDoc(), fw::EPrinter);
    EXPECT_EQ(preview->NewPage(), 0);
    preview.reset();
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring&, unsigned) {
        boxes.push_back(text);
        return IDOK;
    };
    ASSERT_NO_THROW(StartApplication());
    try {
        Printpreview->PrintBtnClick(Printpreview->PrintBtn);
    } catch (...) {
        fw::Application()->HandleException(nullptr);  // as the message loop shows it
    }
    EXPECT_EQ(boxes, (std::vector<std::wstring>{L"No printer is installed."}));
    FreeApplication();
}

}  // namespace
