// The printer object on the test printer: its list and default, measures outside
// a document, jobs with pages, and jobs discarded.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Exception.h"
#include "framework/Printers.h"
#include "tests/common/PrintOutput.h"

namespace {

const wchar_t kTestPrinter[] = L"Tabulorin Test Printer";

TEST(Printer, ListsThePrintersChoosesTheDefaultAndMeasuresWithoutAJob) {
    fw::TPrinter* printer = fw::SetPrinter(new fw::TPrinter);
    ASSERT_TRUE(printer->HasPrinter());
    EXPECT_GE(printer->Printers()->IndexOf(kTestPrinter), 0);
    EXPECT_EQ(printer->PrinterName(), kTestPrinter);
    EXPECT_THROW(printer->SetPrinterIndex(printer->Printers()->Count()), fw::EPrinter);
    EXPECT_THROW(printer->SetDevice(L"No Such Printer", {}), fw::EPrinter);

    // It measures outside a document, without a job.
    const testenv::PrintCounts before = testenv::CountPrinted();
    ASSERT_FALSE(printer->Printing());
    HDC ic = printer->Handle();
    ASSERT_NE(ic, nullptr);
    // The test printer is A4 at 300 dpi with a quarter-inch printing offset.
    EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSX), 300);
    POINT size{}, offset{};
    EXPECT_GT(Escape(ic, GETPHYSPAGESIZE, 0, nullptr, &size), 0);
    EXPECT_GT(Escape(ic, GETPRINTINGOFFSET, 0, nullptr, &offset), 0);
    EXPECT_EQ(size.x, 2479);
    EXPECT_EQ(size.y, 3508);
    EXPECT_EQ(offset.x, 75);
    EXPECT_EQ(printer->PageWidth(), size.x - 2 * offset.x);
    EXPECT_EQ(printer->PageHeight(), size.y - 2 * offset.y);
    // Text is measured on the information context: the font follows its resolution.
    printer->Canvas()->Font()->SetPixelsPerInch(300);
    printer->Canvas()->Font()->SetSize(10);
    EXPECT_NEAR(printer->Canvas()->TextHeight(L"Xg"), 300 * 10 / 72, 12);
    fw::SetPrinter(nullptr);
    EXPECT_EQ(testenv::CountPrinted().jobs, before.jobs);
}

TEST(Printer, PrintsAJobOfPagesAndDiscardsAnAbortedOne) {
    fw::TPrinter* printer = fw::SetPrinter(new fw::TPrinter);
    printer->SetTitle(L"Two pages");
    const testenv::PrintCounts before = testenv::CountPrinted();

    EXPECT_THROW(printer->NewPage(), fw::EPrinter);
    printer->BeginDoc();
    EXPECT_TRUE(printer->Printing());
    EXPECT_THROW(printer->BeginDoc(), fw::EPrinter);
    printer->Canvas()->TextOut(100, 100, L"page one");
    printer->NewPage();
    EXPECT_EQ(printer->PageNumber(), 2);
    printer->Canvas()->TextOut(100, 100, L"page two");
    printer->EndDoc();
    EXPECT_FALSE(printer->Printing());

    // An aborted job reaches nothing; the next one prints normally.
    printer->BeginDoc();
    printer->Canvas()->TextOut(100, 100, L"never printed");
    printer->Abort();
    EXPECT_TRUE(printer->Aborted());
    EXPECT_FALSE(printer->Printing());
    printer->BeginDoc();
    printer->Canvas()->TextOut(100, 100, L"one page");
    printer->EndDoc();

    const testenv::PrintCounts after = testenv::WaitForJobs(before, 2);
    EXPECT_EQ(after.jobs, before.jobs + 2);
    EXPECT_EQ(after.pages, before.pages + 3);
    fw::SetPrinter(nullptr);
}

}  // namespace
