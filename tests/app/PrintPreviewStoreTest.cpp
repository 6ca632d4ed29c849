// The print preview's page store on the test printer (A4, 300 dpi, 0.25 in
// offset): recording without a print job, the page rectangle, captions that
// continue or cannot be drawn, grids over pages, and printing pages.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/UPrintPreview2.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Grids.h"
#include "framework/Printers.h"
#include "tests/common/PrintOutput.h"

namespace {

class PageStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetPrinter(new fw::TPrinter);
        preview = std::make_unique<TPrintpreview>(nullptr);
        preview->AfterConstruction();
    }
    void TearDown() override {
        preview.reset();
        fw::SetPrinter(nullptr);
    }

    // A grid of Items rows of four columns plus the empty last row.
    std::unique_ptr<fw::TStringGrid> MakeGrid(int Items, int Columns = 4) {
        auto grid = std::make_unique<fw::TStringGrid>(nullptr);
        grid->SetFixedRows(0);
        grid->SetFixedCols(0);
        grid->SetColCount(Columns);
        grid->SetRowCount(Items + 1);
        for (int r = 0; r < Items; ++r)
            for (int c = 0; c < Columns; ++c) grid->SetCells(c, r, L"cell " + std::to_wstring(r));
        return grid;
    }

    std::unique_ptr<TPrintpreview> preview;
};

TEST_F(PageStoreTest, RecordsPagesWithoutAPrintJob) {
    const testenv::PrintCounts before = testenv::CountPrinted();
    EXPECT_EQ(preview->PageCount(), 0);
    EXPECT_EQ(preview->BeginDoc(), 1);
    EXPECT_FALSE(fw::Printer()->Printing());  // nothing is opened in the spooler to record
    EXPECT_EQ(preview->InchesToDeviceX(0.5f), 150);
    EXPECT_EQ(preview->InchesToDeviceY(1.0f), 300);
    EXPECT_EQ(preview->InchesToDeviceX(0.375f), 112);  // 112.5 rounds to even
    // One inch inside the printable area until margins are set.
    EXPECT_EQ(preview->PageRect().left, 75 + 300);
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    const RECT page = preview->PageRect();
    EXPECT_EQ(page.left, 225);
    EXPECT_EQ(page.top, 225);
    EXPECT_EQ(page.right, 2479 - 225);
    EXPECT_EQ(page.bottom, 3508 - 225);
    const RECT canvas = preview->PageCanvasRect();
    EXPECT_EQ(canvas.left, 150);
    EXPECT_EQ(canvas.bottom, 3508 - 225 - 75);

    EXPECT_EQ(preview->NewPage(), 2);
    EXPECT_NE(preview->PageCanvas(2), nullptr);
    EXPECT_EQ(preview->PageCanvas(3), nullptr);
    EXPECT_EQ(preview->PageMetafile(1), nullptr);  // not until recording ends
    preview->EndRecording();
    EXPECT_EQ(preview->PageCount(), 2);
    EXPECT_EQ(preview->PageCanvas(1), nullptr);
    ASSERT_NE(preview->PageMetafile(2), nullptr);
    EXPECT_EQ(preview->NewPage(), 0);
    // Each page is framed by the whole printable area.
    const RECT frame = preview->PageMetafile(1)->Frame();
    EXPECT_NEAR(frame.right, MulDiv(2479 - 150, 2540, 300), 2);
    EXPECT_NEAR(frame.bottom, MulDiv(3508 - 150, 2540, 300), 2);

    // The next document starts afresh.
    EXPECT_EQ(preview->BeginDoc(), 1);
    EXPECT_EQ(preview->PageCount(), 1);
    EXPECT_EQ(testenv::CountPrinted().jobs, before.jobs);
}

TEST_F(PageStoreTest, CaptionContinuesOnTheNextPageInWholeLines) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    fw::TStringList lines;
    for (int i = 1; i <= 150; ++i) lines.Add(L"Caption line " + std::to_wstring(i) + L" with some words in it");
    fw::TFont font;
    font.SetName(L"Arial");
    font.SetSize(12);
    const RECT page = preview->PageRect();
    const RECT r{0, 0, page.right - page.left, page.bottom - page.top};
    int drawn = 0;
    const int height = preview->PrintTextInRect(r, &lines, true, drawn, &font);
    EXPECT_GT(height, 0);
    EXPECT_LE(height, r.bottom);
    ASSERT_GT(lines.Count(), 0);
    ASSERT_LT(lines.Count(), 150);
    // What is left starts with the first line not drawn, whole.
    const int linesDrawn = 150 - lines.Count();
    EXPECT_EQ(lines.Strings(0), L"Caption line " + std::to_wstring(linesDrawn + 1) + L" with some words in it");
    int pages = 1;
    while (lines.Count() > 0 && pages < 10) {
        preview->NewPage();
        ++pages;
        ASSERT_GT(preview->PrintTextInRect(r, &lines, true, drawn, &font), 0);
    }
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(pages, 3);
    preview->EndRecording();
    // Every page's drawing stays inside the margins (canvas coordinates).
    const RECT inside = preview->PageCanvasRect();
    for (int p = 1; p <= preview->PageCount(); ++p) {
        const RECT b = preview->PageMetafile(p)->Bounds();
        EXPECT_GE(b.left, inside.left) << p;
        EXPECT_GE(b.top, inside.top) << p;
        EXPECT_LE(b.right, inside.right) << p;
        EXPECT_LE(b.bottom, inside.bottom) << p;
    }
}

TEST_F(PageStoreTest, WrapsLongLinesAndDrawsNothingThatCannotFit) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    fw::TFont font;
    font.SetName(L"Arial");
    font.SetSize(10);
    // A paragraph two inches wide wraps into several lines; all are drawn.
    fw::TStringList lines;
    lines.SetText(L"one two three four five six seven eight nine ten eleven twelve thirteen fourteen");
    int drawn = 0;
    const int h = preview->PrintTextInRect(RECT{0, 0, 600, 3000}, &lines, true, drawn, &font);
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(drawn, 80);
    EXPECT_GE(h, 3 * 40);  // 10 pt at 300 dpi is about 42 pixels a line

    // A rectangle lower than one line draws nothing and keeps the text.
    lines.SetText(L"kept");
    EXPECT_EQ(preview->PrintTextInRect(RECT{0, 0, 600, 10}, &lines, true, drawn, &font), 0);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(lines.Text(), L"kept\r\n");

    // One line taller than the page: nothing can ever be drawn.
    fw::TFont huge;
    huge.SetName(L"Arial");
    huge.SetSize(1000);
    preview->NewPage();
    const RECT page = preview->PageRect();
    EXPECT_EQ(preview->PrintTextInRect(RECT{0, 0, page.right - page.left, 100000}, &lines, true, drawn, &huge), 0);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(lines.Count(), 1);

    // Nothing is drawn once recording has finished.
    preview->EndRecording();
    EXPECT_EQ(preview->PrintTextInRect(RECT{0, 0, 600, 3000}, &lines, true, drawn, &font), 0);
    EXPECT_EQ(lines.Count(), 1);
}

TEST_F(PageStoreTest, GridContinuesOnPagesThatStartAtTheSameTop) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    auto grid = MakeGrid(200);
    const RECT canvas = preview->PageCanvasRect();
    const int width = canvas.right - canvas.left;
    int endY = -1;
    preview->PrintGrid(grid.get(), width, POINT{0, 0}, true, true, endY);
    ASSERT_GT(preview->PageCount(), 1);
    EXPECT_GT(endY, 0);
    preview->EndRecording();
    const RECT first = preview->PageMetafile(1)->Bounds();
    const RECT second = preview->PageMetafile(2)->Bounds();
    // The same top on every page (the pen's half width aside), within the margins.
    EXPECT_NEAR(second.top, first.top, 3);
    EXPECT_NEAR(first.top, canvas.top, 3);
    EXPECT_NEAR(first.left, canvas.left, 3);
    EXPECT_NEAR(first.right, canvas.right, 3);
    for (int p = 1; p <= preview->PageCount(); ++p)
        EXPECT_LE(preview->PageMetafile(p)->Bounds().bottom, canvas.bottom + 3);
}

TEST_F(PageStoreTest, SmallAndEmptyGridsAndOnesThatCannotFit) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    const RECT canvas = preview->PageCanvasRect();
    const int width = canvas.right - canvas.left;
    // One item: printed on the page, the grid ends there.
    auto one = MakeGrid(1);
    int endY = 0;
    preview->PrintGrid(one.get(), width, POINT{0, 0}, false, true, endY);
    EXPECT_EQ(preview->PageCount(), 1);
    const long double scale = static_cast<long double>(width) / (4 * 1 + 4 * one->DefaultColWidth());
    EXPECT_NEAR(endY, double((2 * (one->DefaultRowHeight() + 1) + 1) * scale), 1.0);

    // Only the empty last row: nothing on the page.
    preview->NewPage();
    auto empty = MakeGrid(0);
    preview->PrintGrid(empty.get(), width, POINT{0, 0}, true, true, endY);
    EXPECT_EQ(preview->PageCount(), 2);

    // Columns of next to no width: every row is taller than a page. The grid ends
    // instead of adding pages without end.
    preview->NewPage();
    auto thin = MakeGrid(50);
    for (int c = 0; c < 4; ++c) thin->SetColWidths(c, 0);
    thin->SetGridLineWidth(0);
    thin->SetColWidths(0, 1);
    preview->PrintGrid(thin.get(), width, POINT{0, 0}, true, true, endY);
    EXPECT_LE(preview->PageCount(), 5);
    preview->EndRecording();
    const RECT blank = preview->PageMetafile(2)->Bounds();
    EXPECT_TRUE(blank.right <= blank.left || blank.bottom <= blank.top);
}

TEST_F(PageStoreTest, PrintsAllPagesAsOneJobAndEachPageAsItsOwn) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    auto grid = MakeGrid(150);
    int endY = 0;
    const RECT canvas = preview->PageCanvasRect();
    preview->PrintGrid(grid.get(), canvas.right - canvas.left, POINT{0, 0}, true, true, endY);
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 3);

    testenv::PrintCounts before = testenv::CountPrinted();
    preview->PrintAllPages();  // ends the recording first
    EXPECT_TRUE(preview->RecordingFinished());
    testenv::PrintCounts after = testenv::WaitForJobs(before, 1);
    EXPECT_EQ(after.jobs, before.jobs + 1);
    EXPECT_EQ(after.pages, before.pages + pages);

    before = after;
    preview->PrintPage(2);
    preview->PrintPage(3);
    preview->PrintPage(pages + 1);  // outside the pages: nothing
    after = testenv::WaitForJobs(before, 2);
    EXPECT_EQ(after.jobs, before.jobs + 2);
    EXPECT_EQ(after.pages, before.pages + 2);
    EXPECT_FALSE(fw::Printer()->Printing());
}

TEST_F(PageStoreTest, FixedCellsKeepTheirColourAndDrawHandlersGetThePageCanvas) {
    preview->BeginDoc();
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    auto grid = MakeGrid(3);
    grid->SetFixedCols(1);
    grid->SetFixedColor(fw::clYellow);
    grid->SetColor(fw::clWhite);
    int calls = 0;
    bool targetRight = true;
    grid->OnDrawCell = [&](fw::TObject* Sender, int, int, const RECT&, fw::TGridDrawState) {
        ++calls;
        auto* target = dynamic_cast<TPrintCellTarget*>(Sender);
        targetRight = targetRight && target && target->Grid == grid.get() && target->Canvas == preview->PageCanvas(1);
    };
    const RECT canvas = preview->PageCanvasRect();
    int endY = 0;
    preview->PrintGrid(grid.get(), canvas.right - canvas.left, POINT{0, 0}, false, true, endY);
    EXPECT_EQ(calls, 4 * 3);  // every printed cell, not the empty last row
    EXPECT_TRUE(targetRight);
    preview->EndRecording();

    // Played at a quarter of its size: column 0 is yellow, column 1 white.
    const int w = (2479 - 150) / 4, h = (3508 - 150) / 4;
    fw::TBitmap page(w, h);
    page.Canvas()->Brush()->SetColor(fw::clBlue);
    page.Canvas()->FillRect(RECT{0, 0, w, h});
    page.Canvas()->StretchDraw(RECT{0, 0, w, h}, preview->PageMetafile(1));
    const int columnWidth = (canvas.right - canvas.left) / 4 / 4;
    const int rowY = (canvas.top + endY / 6) / 4;
    EXPECT_EQ(page.Canvas()->Pixels(canvas.left / 4 + columnWidth - 3, rowY), fw::clYellow);
    EXPECT_EQ(page.Canvas()->Pixels(canvas.left / 4 + 2 * columnWidth - 3, rowY), fw::clWhite);
    EXPECT_EQ(page.Canvas()->Pixels(canvas.left / 4 - 5, rowY), fw::clBlue);  // the margin stays untouched
}

}  // namespace
