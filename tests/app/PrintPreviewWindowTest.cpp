// The print-preview window: fitting and zooming the page, stepping through pages,
// the printable area drawn at its place, printing through the print dialog, and
// a machine without any printer.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/UPrintPreview2.h"
#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Printers.h"
#include "tests/common/DialogAnswer.h"
#include "tests/common/PrintOutput.h"

namespace {

constexpr POINT kPaper{2479, 3508};  // the test printer's A4 at 300 dpi
constexpr int kOffset = 75;

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

    // Records Pages pages, each filled black over its whole printable area.
    void RecordBlackPages(int Pages) {
        preview->BeginDoc();
        for (int p = 1; p <= Pages; ++p) {
            if (p > 1) preview->NewPage();
            fw::TCanvas* canvas = preview->PageCanvas(p);
            canvas->Brush()->SetStyle(fw::bsSolid);
            canvas->Brush()->SetColor(fw::clBlack);
            canvas->FillRect(RECT{0, 0, fw::Printer()->PageWidth(), fw::Printer()->PageHeight()});
        }
    }

    fw::TPaintBox* Box() { return preview->PaintBox1; }

    std::unique_ptr<TPrintpreview> preview;
};

TEST_F(PreviewWindowTest, FullPageAndPageWidthFitThePaper) {
    fw::TScrollBox* sb = preview->sb;
    preview->FullPageBtnClick(nullptr);
    EXPECT_EQ(Box()->Top(), 15);
    EXPECT_EQ(Box()->Height(), sb->Height() - 30);
    EXPECT_EQ(Box()->Width(), kPaper.x * (sb->Height() - 30) / kPaper.y);
    EXPECT_EQ(Box()->Left(), (sb->Width() - Box()->Width()) / 2);

    preview->PageWidthBtnClick(nullptr);
    const int width = preview->ClientWidth() - 45;
    EXPECT_EQ(Box()->Left(), 15);
    EXPECT_EQ(Box()->Top(), preview->Panel1->Height() + 15);
    EXPECT_EQ(Box()->Width(), width);
    EXPECT_EQ(Box()->Height(), kPaper.y * width / kPaper.x);
    EXPECT_GT(sb->ContentSize().cy, sb->ClientHeight());  // the page is taller than the box: it scrolls

    // A window too narrow for the whole page is limited by its width, in proportion.
    preview->SetBounds(0, 0, 260, 700);
    preview->FullPageBtnClick(nullptr);
    EXPECT_EQ(Box()->Width(), sb->Width() - 30);
    EXPECT_EQ(Box()->Height(), kPaper.y * Box()->Width() / kPaper.x);
    EXPECT_EQ(Box()->Left(), 15);
}

TEST_F(PreviewWindowTest, ClicksZoomInAndOutAroundThePlace) {
    preview->FullPageBtnClick(nullptr);
    const int w = Box()->Width(), h = Box()->Height(), left = Box()->Left();
    const int dW = int(std::nearbyintl(w * 0.35L)) / 2, dH = int(std::nearbyintl(h * 0.35L)) / 2;
    preview->PaintBox1MouseDown(Box(), fw::mbLeft, 0, 10, 10);
    EXPECT_EQ(Box()->Width(), w + dW);
    EXPECT_EQ(Box()->Height(), h + dH);
    EXPECT_EQ(Box()->Left() + preview->sb->HorzPosition(), left - dW / 2 < 0 ? 1 : left - dW / 2);
    EXPECT_EQ(Box()->Top() + preview->sb->VertPosition(), 1);  // 15 - dH / 2 is negative

    const int w2 = Box()->Width(), h2 = Box()->Height();
    preview->PaintBox1MouseDown(Box(), fw::mbRight, 0, 10, 10);
    EXPECT_EQ(Box()->Width(), w2 - int(std::nearbyintl(w2 * 0.35L)) / 2);
    EXPECT_EQ(Box()->Height(), h2 - int(std::nearbyintl(h2 * 0.35L)) / 2);
    preview->PaintBox1MouseDown(Box(), fw::mbMiddle, 0, 10, 10);
    EXPECT_EQ(Box()->Width(), w2 - int(std::nearbyintl(w2 * 0.35L)) / 2);
}

TEST_F(PreviewWindowTest, StepsThroughPagesWithStatusAndButtons) {
    RecordBlackPages(3);
    preview->ShowPreview();
    EXPECT_TRUE(preview->RecordingFinished());
    EXPECT_EQ(preview->ShownPage(), 1);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 1 of 3");
    EXPECT_FALSE(preview->FirstBtn->Enabled());
    EXPECT_FALSE(preview->PriorBtn->Enabled());
    EXPECT_TRUE(preview->NextBtn->Enabled());
    preview->NextBtnClick(nullptr);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 2 of 3");
    EXPECT_TRUE(preview->PriorBtn->Enabled());
    preview->LastBtnClick(nullptr);
    EXPECT_EQ(preview->ShownPage(), 3);
    EXPECT_FALSE(preview->NextBtn->Enabled());
    EXPECT_FALSE(preview->LastBtn->Enabled());
    preview->NextBtnClick(nullptr);  // past the last page: nothing
    EXPECT_EQ(preview->ShownPage(), 3);
    preview->FirstBtnClick(nullptr);
    EXPECT_EQ(preview->ShownPage(), 1);
}

TEST_F(PreviewWindowTest, ShowsThePrintableAreaAtItsPlaceOnThePaper) {
    RecordBlackPages(1);
    preview->ShowPreview();
    preview->sb->Repaint();
    const double scale = double(Box()->Width()) / kPaper.x;
    const int margin = int(std::lround(kOffset * scale));
    ASSERT_GE(margin, 8);
    fw::WindowDC dc(preview->sb->Handle());
    const int x = Box()->Left(), y = Box()->Top(), w = Box()->Width(), h = Box()->Height();
    const auto at = [&](int px, int py) { return GetPixel(dc.get(), px, py); };
    // White paper around the printable area, black inside it, on every side.
    EXPECT_EQ(at(x + margin / 2, y + h / 2), RGB(255, 255, 255));
    EXPECT_EQ(at(x + margin + 3, y + h / 2), RGB(0, 0, 0));
    EXPECT_EQ(at(x + w - margin / 2, y + h / 2), RGB(255, 255, 255));
    EXPECT_EQ(at(x + w - margin - 3, y + h / 2), RGB(0, 0, 0));
    EXPECT_EQ(at(x + w / 2, y + margin / 2), RGB(255, 255, 255));
    EXPECT_EQ(at(x + w / 2, y + h - margin / 2), RGB(255, 255, 255));
    EXPECT_EQ(at(x + w / 2, y + h - margin - 3), RGB(0, 0, 0));
}

TEST_F(PreviewWindowTest, PrintsARangeOrAllThroughThePrintDialog) {
    RecordBlackPages(4);
    preview->ShowPreview();
    preview->NextBtnClick(nullptr);
    testenv::PrintCounts before = testenv::CountPrinted();
    {
        testenv::DialogAnswer answer([](HWND d) {
            SendMessageW(GetDlgItem(d, 0x422), BM_CLICK, 0, 0);
            SendMessageW(GetDlgItem(d, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"));
            SendMessageW(GetDlgItem(d, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3"));
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        preview->PrintBtnClick(preview->PrintBtn);
        EXPECT_TRUE(answer.Answered());
    }
    testenv::PrintCounts after = testenv::WaitForJobs(before, 2);
    EXPECT_EQ(after.jobs, before.jobs + 2);  // each page of a range is a job of its own
    EXPECT_EQ(after.pages, before.pages + 2);
    EXPECT_EQ(preview->ShownPage(), 3);

    before = after;
    {
        testenv::DialogAnswer answer([](HWND d) {
            SendMessageW(GetDlgItem(d, 0x420), BM_CLICK, 0, 0);
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        });
        preview->PrintBtnClick(preview->PrintBtn);
    }
    after = testenv::WaitForJobs(before, 1);
    EXPECT_EQ(after.jobs, before.jobs + 1);
    EXPECT_EQ(after.pages, before.pages + 4);
    EXPECT_EQ(preview->ShownPage(), 3);  // "All" stays on the shown page
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 3 of 4");
}

// Takes the test printer away for one test and puts it back afterwards.
class NoPrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        HANDLE h = nullptr;
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(kName), &h, nullptr));
        DWORD needed = 0;
        GetPrinterW(h, 2, nullptr, 0, &needed);
        info_.resize(needed);
        ASSERT_TRUE(GetPrinterW(h, 2, info_.data(), needed, &needed));
        DWORD type = 0, size = 0;
        GetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), &type, nullptr, 0, &size);
        ppd_.resize(size);
        GetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), &type, ppd_.data(), size, &size);
        ASSERT_TRUE(DeletePrinter(h));
        ClosePrinter(h);
        fw::SetPrinter(new fw::TPrinter);
    }
    void TearDown() override {
        fw::SetPrinter(nullptr);
        HANDLE h = AddPrinterW(nullptr, 2, info_.data());
        ASSERT_NE(h, nullptr);
        SetPrinterDataW(h, const_cast<wchar_t*>(L"PPD File"), REG_SZ, ppd_.data(), DWORD(ppd_.size()));
        ClosePrinter(h);
        SetDefaultPrinterW(kName);
    }

    static constexpr const wchar_t* kName = L"Tabulorin Test Printer";
    std::vector<BYTE> info_;
    std::vector<BYTE> ppd_;
};

TEST_F(NoPrinterTest, TheWindowWorksAndPrintRequestsSayWhy) {
    ASSERT_FALSE(fw::Printer()->HasPrinter());
    EXPECT_EQ(fw::Printer()->PrinterIndex(), -1);
    auto preview = std::make_unique<TPrintpreview>(nullptr);
    ASSERT_NO_THROW(preview->AfterConstruction());  // fitting the page divides by nothing
    EXPECT_GT(preview->PaintBox1->Width(), 0);
    POINT size{};
    EXPECT_FALSE(preview->GetPhysicalPageSize(size));
    EXPECT_GT(size.y, size.x);
    preview->PageWidthBtnClick(nullptr);
    preview->DrawPage(1);  // no pages: nothing
    preview->ShowPreview();

    try {
        preview->BeginDoc();
        ADD_FAILURE() << "recording without a printer";
    } catch (const fw::EPrinter& e) {
        EXPECT_EQ(e.Message(), L"No printer is installed.");
    }
    EXPECT_EQ(preview->PageCount(), 0);
    EXPECT_EQ(preview->NewPage(), 0);
    EXPECT_THROW(preview->PrintBtnClick(preview->PrintBtn), fw::EPrinter);
    fw::TPrintDialog dialog(nullptr);
    EXPECT_THROW(dialog.Execute(), fw::EPrinter);
    EXPECT_THROW(fw::Printer()->BeginDoc(), fw::EPrinter);
}

TEST_F(NoPrinterTest, StartUpWorksAndAPrintRequestIsAnswered) {
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring&, unsigned) {
        boxes.push_back(text);
        return IDOK;
    };
    ASSERT_NO_THROW(StartApplication());
    ASSERT_NE(Printpreview, nullptr);
    try {
        Printpreview->PrintBtnClick(Printpreview->PrintBtn);
    } catch (...) {
        fw::Application()->HandleException(nullptr);  // as the message loop shows it
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"No printer is installed.");
    FreeApplication();
    fw::TApplication::MessageBoxHook = nullptr;
}

}  // namespace
