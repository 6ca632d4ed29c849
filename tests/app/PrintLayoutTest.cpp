// The print layout on the test printer (300 dpi, margins half an inch): wide and
// narrow listings with their captions, captions that continue or cannot be
// drawn, grids that cannot fit, and the narrow grid's width.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/PrintLayout.h"
#include "framework/Grids.h"
#include "framework/Printers.h"

namespace {

// A text drawn on a page, where it was drawn.
struct PageText {
    std::wstring text;
    POINT at;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + r->emrtext.offString);
        reinterpret_cast<std::vector<PageText>*>(param)->push_back(
            {std::wstring(chars, r->emrtext.nChars), POINT{r->emrtext.ptlReference.x, r->emrtext.ptlReference.y}});
    }
    return 1;
}

std::vector<PageText> TextsOf(fw::TMetafile* page) {
    std::vector<PageText> texts;
    EnumEnhMetaFile(nullptr, page->Handle(), CollectText, &texts, nullptr);
    return texts;
}

class PrintLayoutTest : public ::testing::Test {
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
    std::unique_ptr<fw::TStringGrid> MakeGrid(int Items, int Columns) {
        auto grid = std::make_unique<fw::TStringGrid>(nullptr);
        grid->SetFixedRows(0);
        grid->SetFixedCols(0);
        grid->SetColCount(Columns);
        grid->SetRowCount(Items + 1);
        for (int r = 0; r < Items; ++r)
            for (int c = 0; c < Columns; ++c) grid->SetCells(c, r, L"item " + std::to_wstring(r));
        return grid;
    }

    // Where the caption's first line and the grid's cells lie on a page.
    struct Found {
        int captionY = -1;
        int cellsTop = INT_MAX, cellsBottom = -1;
        int cells = 0;
    };
    Found Find(int Page, const std::wstring& CaptionStart) {
        Found f;
        for (const PageText& t : TextsOf(preview->PageMetafile(Page))) {
            if (t.text.rfind(CaptionStart, 0) == 0 && f.captionY < 0) f.captionY = t.at.y;
            if (t.text.rfind(L"item ", 0) == 0) {
                ++f.cells;
                f.cellsTop = std::min<int>(f.cellsTop, t.at.y);
                f.cellsBottom = std::max<int>(f.cellsBottom, t.at.y);
            }
        }
        return f;
    }

    std::unique_ptr<TPrintpreview> preview;
    fw::TFont font;
};

TEST_F(PrintLayoutTest, WideListingFillsTheWidthWithTheCaptionBelow) {
    auto grid = MakeGrid(140, 4);
    LayOutListing(preview.get(), grid.get(), true, L"File List", &font);
    preview->EndRecording();
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 2);
    const RECT inside = preview->PageCanvasRect();
    const RECT first = preview->PageMetafile(1)->Bounds();
    EXPECT_NEAR(first.left, inside.left, 3);
    EXPECT_NEAR(first.right, inside.right, 3);
    EXPECT_NEAR(first.top, inside.top, 3);
    // The caption comes at least half an inch under the grid's last row, on its last page.
    const Found last = Find(pages, L"File List");
    ASSERT_GT(last.cells, 0);
    EXPECT_GT(last.captionY, last.cellsBottom + 150);
    EXPECT_EQ(Find(1, L"File List").captionY, -1);
    int cells = 0;
    for (int p = 1; p <= pages; ++p) cells += Find(p, L"File List").cells;
    EXPECT_EQ(cells, 140 * 4);  // every item, and not the empty last row
}

TEST_F(PrintLayoutTest, NarrowListingIsAThreeInchColumnWithTheCaptionAbove) {
    auto grid = MakeGrid(20, 3);
    LayOutListing(preview.get(), grid.get(), true, L"File List", &font);
    preview->EndRecording();
    ASSERT_EQ(preview->PageCount(), 1);
    const RECT inside = preview->PageCanvasRect();
    const RECT bounds = preview->PageMetafile(1)->Bounds();
    EXPECT_LE(bounds.right, inside.left + 900 + 3);
    const Found f = Find(1, L"File List");
    EXPECT_GE(f.captionY, inside.top + 150);  // half an inch down
    EXPECT_LT(f.captionY, inside.top + 150 + 60);
    EXPECT_GT(f.cellsTop, f.captionY + 150);  // the grid half an inch below the caption
    EXPECT_EQ(f.cells, 60);
}

TEST_F(PrintLayoutTest, NarrowGridWidthFromTheScreenInches) {
    const int ppi = fw::ScreenPixelsPerInch();
    const RECT inside = [&] {
        auto probe = MakeGrid(1, 3);
        LayOutListing(preview.get(), probe.get(), true, L"", &font);
        return preview->PageCanvasRect();
    }();
    // Right edge of the grid lines for columns summing to Pixels screen pixels.
    const auto rightEdge = [&](int Pixels) {
        auto grid = MakeGrid(3, 3);
        grid->SetGridLineWidth(1);
        for (int c = 0; c < 3; ++c) grid->SetColWidths(c, Pixels / 3);
        LayOutListing(preview.get(), grid.get(), true, L"", &font);
        preview->EndRecording();
        return int(preview->PageMetafile(1)->Bounds().right - inside.left);
    };
    EXPECT_NEAR(rightEdge(6 * ppi), 900, 3);                  // wider than the column: the column
    EXPECT_NEAR(rightEdge(ppi), 675, 3);                      // narrower than three quarters: those
    EXPECT_NEAR(rightEdge(ppi * 27 / 10), 300 * 27 / 10, 6);  // between: its own width in inches
}

TEST_F(PrintLayoutTest, LongCaptionContinuesOnTheNextPage) {
    auto grid = MakeGrid(10, 4);
    std::wstring caption;
    for (int i = 1; i <= 120; ++i) caption += L"Caption line " + std::to_wstring(i) + L"\r\n";
    LayOutListing(preview.get(), grid.get(), false, caption, &font);
    preview->EndRecording();
    ASSERT_GE(preview->PageCount(), 2);
    const RECT inside = preview->PageCanvasRect();
    const Found second = Find(2, L"Caption line ");
    EXPECT_GT(Find(1, L"Caption line 1").captionY, Find(1, L"x").cellsBottom);
    EXPECT_NEAR(second.captionY, inside.top, 2);  // at the top of the next page's area
    int lines = 0;
    for (int p = 1; p <= preview->PageCount(); ++p)
        for (const PageText& t : TextsOf(preview->PageMetafile(p)))
            if (t.text.rfind(L"Caption line ", 0) == 0) ++lines;
    EXPECT_EQ(lines, 120);
}

TEST_F(PrintLayoutTest, ImpossibleCaptionsAndGridsEnd) {
    fw::TFont huge;
    huge.SetName(L"Arial");
    huge.SetSize(1000);  // one line is taller than the page
    auto grid = MakeGrid(5, 4);
    LayOutListing(preview.get(), grid.get(), true, L"Too big", &huge);
    EXPECT_EQ(preview->PageCount(), 2);  // the grid's page, and one empty page tried

    auto narrow = MakeGrid(5, 2);
    LayOutListing(preview.get(), narrow.get(), true, L"Too big", &huge);
    EXPECT_LE(preview->PageCount(), 3);

    auto thin = MakeGrid(40, 4);
    thin->SetGridLineWidth(0);
    for (int c = 0; c < 4; ++c) thin->SetColWidths(c, 0);
    thin->SetColWidths(0, 1);
    LayOutListing(preview.get(), thin.get(), true, L"File List", &font);
    EXPECT_LE(preview->PageCount(), 4);
}

}  // namespace
