// The print preview's page store and the print layout on the test printer (A4,
// 300 dpi, 0.25 in offset): recording without a print job, the page rectangle,
// grids over pages, what cannot fit; wide and narrow listings with their captions.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/PrintLayout.h"
#include "app/UPrintPreview2.h"
#include "framework/Grids.h"
#include "framework/Printers.h"
#include "tests/common/PrintOutput.h"

namespace {

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + r->emrtext.offString);
        reinterpret_cast<std::vector<std::pair<std::wstring, int>>*>(param)->emplace_back(
            std::wstring(chars, r->emrtext.nChars), int(r->emrtext.ptlReference.y));
    }
    return 1;
}

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetPrinter(new fw::TPrinter);
        preview = std::make_unique<TPrintpreview>(nullptr);
        preview->AfterConstruction();
        font.SetName(L"Arial");
        font.SetSize(10);
    }
    void TearDown() override {
        preview.reset();
        fw::SetPrinter(nullptr);
    }
    // Items rows of "item <row>" texts plus the empty last row.
    std::unique_ptr<fw::TStringGrid> MakeGrid(int Items, int Columns = 4) {
        auto grid = std::make_unique<fw::TStringGrid>(nullptr);
        grid->SetFixedRows(0);
        grid->SetFixedCols(0);
        grid->SetColCount(Columns);
        grid->SetRowCount(Items + 1);
        for (int r = 0; r < Items; ++r)
            for (int c = 0; c < Columns; ++c) grid->SetCells(c, r, L"item " + std::to_wstring(r));
        return grid;
    }
    void BeginWithMargins() {
        preview->BeginDoc();
        preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    }
    // Where texts starting with Start lie on a page: the first one's y, and the
    // cells' top, bottom and count.
    struct Found {
        int firstY = -1, matches = 0;
        int cellsTop = INT_MAX, cellsBottom = -1, cells = 0;
    };
    Found Find(int Page, const std::wstring& Start) {
        std::vector<std::pair<std::wstring, int>> texts;
        EnumEnhMetaFile(nullptr, preview->PageMetafile(Page)->Handle(), CollectText, &texts, nullptr);
        Found f;
        for (const auto& [text, y] : texts) {
            if (text.rfind(Start, 0) == 0 && f.matches++ == 0) f.firstY = y;
            if (text.rfind(L"item ", 0) != 0) continue;
            ++f.cells;
            f.cellsTop = std::min(f.cellsTop, y);
            f.cellsBottom = std::max(f.cellsBottom, y);
        }
        return f;
    }

    std::unique_ptr<TPrintpreview> preview;
    fw::TFont font;
};

TEST_F(PrintingTest, RecordsPagesWithoutAPrintJob) {
    const testenv::PrintCounts before = testenv::CountPrinted();
    EXPECT_EQ(preview->BeginDoc(), 1);
    EXPECT_FALSE(fw::Printer()->Printing());           // nothing is opened in the spooler to record
    EXPECT_EQ(preview->PageRect().left, 75 + 300);     // one inch inside the printable area
    EXPECT_EQ(preview->InchesToDeviceX(0.375f), 112);  // 112.5 rounds to even
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(preview->PageCanvasRect().bottom, 3508 - 225 - 75);
    EXPECT_EQ(preview->NewPage(), 2);
    preview->EndRecording();
    EXPECT_EQ(preview->NewPage(), 0);
    // Each page is framed by the whole printable area.
    EXPECT_NEAR(preview->PageMetafile(2)->Frame().bottom, MulDiv(3508 - 150, 2540, 300), 2);
    EXPECT_EQ(testenv::CountPrinted().jobs, before.jobs);
}

TEST_F(PrintingTest, GridsContinueOnPagesAndOnesThatCannotFitEnd) {
    BeginWithMargins();
    const RECT canvas = preview->PageCanvasRect();
    const int width = canvas.right - canvas.left;
    int endY = -1;
    preview->PrintGrid(MakeGrid(200).get(), width, POINT{0, 0}, true, true, endY);
    const int pages = preview->PageCount();
    ASSERT_GT(pages, 1);
    // Only the empty last row: nothing on the page.
    preview->NewPage();
    preview->PrintGrid(MakeGrid(0).get(), width, POINT{0, 0}, true, true, endY);
    // Columns of next to no width: every row is taller than a page; the grid ends.
    preview->NewPage();
    auto thin = MakeGrid(50);
    for (int c = 0; c < 4; ++c) thin->SetColWidths(c, 0);
    thin->SetGridLineWidth(0);
    thin->SetColWidths(0, 1);
    preview->PrintGrid(thin.get(), width, POINT{0, 0}, true, true, endY);
    EXPECT_LE(preview->PageCount(), pages + 4);
    preview->EndRecording();
    // The same top on every page (the pen's half width aside), within the margins.
    EXPECT_NEAR(preview->PageMetafile(2)->Bounds().top, canvas.top, 3);
    EXPECT_NEAR(preview->PageMetafile(1)->Bounds().right, canvas.right, 3);
    const RECT blank = preview->PageMetafile(pages + 1)->Bounds();
    EXPECT_TRUE(blank.right <= blank.left || blank.bottom <= blank.top);
}

TEST_F(PrintingTest, WideListingFillsTheWidthWithTheCaptionBelow) {
    LayOutListing(preview.get(), MakeGrid(140).get(), true, L"File List", &font);
    preview->EndRecording();
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 2);
    const RECT inside = preview->PageCanvasRect();
    EXPECT_NEAR(preview->PageMetafile(1)->Bounds().right, inside.right, 3);
    // The caption comes at least half an inch under the grid's last row, on its last page.
    const Found last = Find(pages, L"File List");
    EXPECT_GT(last.firstY, last.cellsBottom + 150);
    EXPECT_EQ(Find(1, L"File List").firstY, -1);
    int cells = 0;
    for (int p = 1; p <= pages; ++p) cells += Find(p, L"File List").cells;
    EXPECT_EQ(cells, 140 * 4);  // every item, and not the empty last row
}

TEST_F(PrintingTest, NarrowListingIsAThreeInchColumnWithTheCaptionAbove) {
    LayOutListing(preview.get(), MakeGrid(20, 3).get(), true, L"File List", &font);
    preview->EndRecording();
    ASSERT_EQ(preview->PageCount(), 1);
    const RECT inside = preview->PageCanvasRect();
    EXPECT_LE(preview->PageMetafile(1)->Bounds().right, inside.left + 900 + 3);
    const Found f = Find(1, L"File List");
    EXPECT_GE(f.firstY, inside.top + 150);  // half an inch down
    EXPECT_GT(f.cellsTop, f.firstY + 150);  // the grid half an inch below the caption
    // Narrower grids keep their width in screen inches, down to three quarters of the column.
    const int ppi = fw::ScreenPixelsPerInch();
    for (const auto& [pixels, expected] : {std::pair{ppi, 675}, std::pair{ppi * 27 / 10, 810}}) {
        auto grid = MakeGrid(3, 3);
        grid->SetGridLineWidth(1);
        for (int c = 0; c < 3; ++c) grid->SetColWidths(c, pixels / 3);
        LayOutListing(preview.get(), grid.get(), true, L"", &font);
        preview->EndRecording();
        EXPECT_NEAR(preview->PageMetafile(1)->Bounds().right - inside.left, expected, 6);
    }
}

TEST_F(PrintingTest, LongCaptionsContinueAndImpossibleOnesEnd) {
    std::wstring caption;
    for (int i = 1; i <= 120; ++i) caption += L"Caption line " + std::to_wstring(i) + L"\r\n";
    LayOutListing(preview.get(), MakeGrid(10).get(), false, caption, &font);
    preview->EndRecording();
    ASSERT_GE(preview->PageCount(), 2);
    EXPECT_NEAR(Find(2, L"Caption line ").firstY, preview->PageCanvasRect().top, 2);
    int lines = 0;
    for (int p = 1; p <= preview->PageCount(); ++p) lines += Find(p, L"Caption line ").matches;
    EXPECT_EQ(lines, 120);
    // One line taller than the page: the layout ends after one empty page tried,
    // and the store draws nothing of it, nor into a rectangle lower than a line.
    fw::TFont huge;
    huge.SetName(L"Arial");
    huge.SetSize(1000);
    LayOutListing(preview.get(), MakeGrid(5).get(), true, L"Too big", &huge);
    EXPECT_EQ(preview->PageCount(), 2);
    fw::TStringList kept;
    kept.SetText(L"kept");
    int drawn = 0;
    EXPECT_EQ(preview->PrintTextInRect(RECT{0, 0, 2000, 100000}, &kept, true, drawn, &huge), 0);
    EXPECT_EQ(preview->PrintTextInRect(RECT{0, 0, 600, 10}, &kept, true, drawn, &font), 0);
    EXPECT_EQ(kept.Text(), L"kept\r\n");
}

}  // namespace
