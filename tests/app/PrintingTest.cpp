// The print preview on the test printer (A4, 300 dpi, 0.25 in offset): its page store, the
// listing's layouts and captions, what cannot fit, the window's pages, printable area and
// print dialog, and a machine without any printer.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/PrintLayout.h"
#include "app/Startup.h"
#include "app/PrintPreview.h"
#include "framework/Application.h"
#include "framework/Grids.h"
#include "framework/Handles.h"
#include "framework/Printers.h"
#include "tests/common/DialogAnswer.h"
#include "tests/common/PrintOutput.h"
#include "tests/common/TestEnv.h"

namespace {

// The PostScript of each page in the print file, from after its "%%Page:" line to its showpage.
std::vector<std::string> PrintedPages() {
    std::ifstream file(testenv::PrintFile().c_str(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    std::vector<std::string> pages;
    for (size_t at = text.find("%%Page:"); at != std::string::npos; at = text.find("%%Page:", at + 1)) {
        const size_t body = text.find('\n', at);
        pages.push_back(text.substr(body, text.find("showpage", body) - body));
    }
    return pages;
}

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + r->emrtext.offString);
        reinterpret_cast<std::vector<std::pair<std::wstring, int>>*>(param)->emplace_back(
            std::wstring(chars, r->emrtext.nChars), int(r->emrtext.ptlReference.y));
    }
    return 1;
}

// Each text with its left edge and the background its cell is filled with.
struct Backgrounds {
    COLORREF current = 0;
    std::vector<std::tuple<std::wstring, int, COLORREF>> texts;
};

int CALLBACK CollectBackgrounds(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    auto* found = reinterpret_cast<Backgrounds*>(param);
    if (record->iType == EMR_SETBKCOLOR) found->current = reinterpret_cast<const EMRSETBKCOLOR*>(record)->crColor;
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + r->emrtext.offString);
        found->texts.emplace_back(std::wstring(chars, r->emrtext.nChars), int(r->emrtext.rcl.left), found->current);
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
    // The y of every text starting with Start on page Page (on every page when 0), in drawing order.
    std::vector<int> Ys(int Page, const std::wstring& Start) {
        std::vector<std::pair<std::wstring, int>> texts;
        for (int p = std::max(Page, 1); p <= (Page ? Page : preview->PageCount()); ++p)
            EnumEnhMetaFile(nullptr, preview->PageMetafile(p)->Handle(), CollectText, &texts, nullptr);
        std::vector<int> ys;
        for (const auto& [text, y] : texts)
            if (text.rfind(Start, 0) == 0) ys.push_back(y);
        return ys;
    }

    std::unique_ptr<TPrintpreview> preview;
    fw::TFont font;
};

TEST_F(PrintingTest, RecordsPagesWithoutAPrintJobAndGridsThatCannotFitEnd) {
    const testenv::PrintCounts before = testenv::CountPrinted();
    EXPECT_EQ(preview->BeginDoc(), 1);
    EXPECT_FALSE(fw::Printer()->Printing());           // nothing is opened in the spooler to record
    EXPECT_EQ(preview->PageRect().left, 75 + 300);     // one inch inside the printable area
    EXPECT_EQ(preview->InchesToDeviceX(0.375f), 112);  // 112.5 rounds to even
    preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
    const RECT canvas = preview->PageCanvasRect();
    EXPECT_EQ(canvas.bottom, 3508 - 225 - 75);
    int endY = -1;
    preview->PrintGrid(MakeGrid(200).get(), canvas.right - canvas.left, POINT{0, 0}, true, true, endY);
    const int pages = preview->PageCount();
    ASSERT_GT(pages, 1);
    // Only the empty last row: nothing on the page.
    EXPECT_EQ(preview->NewPage(), pages + 1);
    preview->PrintGrid(MakeGrid(0).get(), canvas.right - canvas.left, POINT{0, 0}, true, true, endY);
    // Columns of next to no width: every row is taller than a page; the grid ends.
    preview->NewPage();
    auto thin = MakeGrid(50);
    for (int c = 0; c < 4; ++c) thin->SetColWidths(c, 0);
    thin->SetGridLineWidth(0);
    thin->SetColWidths(0, 1);
    preview->PrintGrid(thin.get(), canvas.right - canvas.left, POINT{0, 0}, true, true, endY);
    EXPECT_LE(preview->PageCount(), pages + 4);
    EXPECT_EQ(preview->PageMetafile(1), nullptr);  // not before the recording has ended
    preview->EndRecording();
    EXPECT_EQ(preview->NewPage(), 0);
    // Each page is framed by the whole printable area; the grid keeps the same
    // top on every page (the pen's half width aside), within the margins.
    EXPECT_NEAR(preview->PageMetafile(2)->Frame().bottom, MulDiv(3508 - 150, 2540, 300), 2);
    EXPECT_NEAR(preview->PageMetafile(2)->Bounds().top, canvas.top, 3);
    EXPECT_NEAR(preview->PageMetafile(1)->Bounds().right, canvas.right, 3);
    const RECT blank = preview->PageMetafile(pages + 1)->Bounds();
    EXPECT_TRUE(blank.right <= blank.left || blank.bottom <= blank.top);
    EXPECT_EQ(testenv::CountPrinted().jobs, before.jobs);
}

TEST_F(PrintingTest, PagesAGridContinuesOnHoldEveryRowThatFitsUnderTheirHeadingAndNoneBelowThem) {
    // Four columns of 99 pixels and their lines over 2000 printer pixels: five to a pixel.
    // A heading row, repeated at the top of every page the grid continues on.
    auto grid = MakeGrid(200);
    grid->SetFixedRows(1);
    for (int c = 0; c < 4; ++c) {
        grid->SetColWidths(c, 99);
        grid->SetCells(c, 0, L"heading");
    }
    grid->SetGridLineWidth(1);
    const int row = (grid->RowHeights(0) + 1) * 5;
    const auto itemsOn = [&](int Page) { return int(Ys(Page, L"item ").size()) / 4; };
    // Half an inch down, the page's top lies above an inch; two inches down, below it.
    for (const float top : {0.5f, 2.0f}) {
        SCOPED_TRACE(top);
        preview->BeginDoc();
        preview->SetMargins(0.5f, top, 0.5f, 0.5f);
        const RECT canvas = preview->PageCanvasRect();
        int endY = 0;
        preview->PrintGrid(grid.get(), 2000, POINT{0, 0}, true, true, endY);
        preview->EndRecording();
        ASSERT_GE(preview->PageCount(), 3);
        // Every full page holds as many rows as its height gives, the heading among them.
        const int items = (canvas.bottom - canvas.top) / row - 1;
        EXPECT_EQ(items, top < 1 ? 23 : 19);
        for (int p = 1; p <= 3; ++p) {
            EXPECT_EQ(itemsOn(p), items) << "page " << p;
            EXPECT_EQ(Ys(p, L"heading").size(), 4u) << "page " << p;
            EXPECT_LE(preview->PageMetafile(p)->Bounds().bottom, canvas.bottom + 3) << "page " << p;
            EXPECT_NEAR(preview->PageMetafile(p)->Bounds().top, canvas.top, 3) << "page " << p;
        }
    }
    // Started near a page's foot: room for the first row only, and the grid starts on the next
    // page instead of leaving that row alone there; room for two, and they stay.
    grid->SetFixedRows(0);
    for (const int room : {1, 2}) {
        preview->BeginDoc();
        preview->SetMargins(0.5f, 0.5f, 0.5f, 0.5f);
        const RECT canvas = preview->PageCanvasRect();
        int endY = 0;
        preview->PrintGrid(grid.get(), 2000, POINT{0, canvas.bottom - canvas.top - room * row - row / 2}, true, true,
                           endY);
        preview->EndRecording();
        EXPECT_EQ(Ys(1, L"heading").size() + Ys(1, L"item ").size(), size_t(room == 1 ? 0 : 8)) << room;
        EXPECT_EQ(Ys(2, L"heading").size(), size_t(room == 1 ? 4 : 0)) << room;
    }
}

TEST_F(PrintingTest, ListingsWideNarrowAndWithLongOrImpossibleCaptions) {
    LayOutListing(preview.get(), MakeGrid(140).get(), true, L"File List", &font);
    preview->EndRecording();
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 2);
    const RECT inside = preview->PageCanvasRect();
    EXPECT_NEAR(preview->PageMetafile(1)->Bounds().right, inside.right, 3);
    // The caption comes half an inch under the grid's end (its empty last row counted), on its last page.
    const std::vector<int> caption = Ys(pages, L"File List");
    std::vector<int> cells = Ys(pages, L"item ");
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    ASSERT_TRUE(!caption.empty() && cells.size() >= 2);
    EXPECT_NEAR(caption[0], cells.back() + 2 * (cells[1] - cells[0]) + 150, 12);
    EXPECT_TRUE(Ys(1, L"File List").empty());
    EXPECT_EQ(Ys(0, L"item ").size(), 140u * 4);  // every item, and not the empty last row
    // Three columns or fewer: the caption half an inch down, the grid half an inch below it.
    LayOutListing(preview.get(), MakeGrid(20, 3).get(), true, L"File List", &font);
    preview->EndRecording();
    ASSERT_EQ(preview->PageCount(), 1);
    EXPECT_LE(preview->PageMetafile(1)->Bounds().right, inside.left + 900 + 3);
    const std::vector<int> title = Ys(1, L"File List"), rows = Ys(1, L"item ");
    ASSERT_TRUE(!title.empty() && !rows.empty());
    EXPECT_GE(title[0], inside.top + 150);
    EXPECT_GT(*std::min_element(rows.begin(), rows.end()), title[0] + 150);
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
    // Long captions continue on the next pages.
    std::wstring lines;
    for (int i = 1; i <= 120; ++i) lines += L"Caption line " + std::to_wstring(i) + L"\r\n";
    LayOutListing(preview.get(), MakeGrid(10).get(), false, lines, &font);
    preview->EndRecording();
    ASSERT_GE(preview->PageCount(), 2);
    EXPECT_NEAR(Ys(2, L"Caption line ").at(0), preview->PageCanvasRect().top, 2);
    EXPECT_EQ(Ys(0, L"Caption line ").size(), 120u);
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

TEST_F(PrintingTest, TheWindowStepsThroughPagesAndPrintsARangeOrAll) {
    // Four pages, each black over its printable area from a top of its own (so each prints apart).
    preview->SetWindowState(fw::wsNormal);
    preview->SetPosition(fw::poDesigned);
    preview->SetBounds(0, 0, 700, 600);
    preview->Show();
    preview->BeginDoc();
    for (int p = 1; p <= 4; ++p) {
        if (p > 1) preview->NewPage();
        preview->PageCanvas(p)->Brush()->SetColor(fw::clBlack);
        preview->PageCanvas(p)->FillRect(RECT{0, p * 8, fw::Printer()->PageWidth(), fw::Printer()->PageHeight()});
    }
    preview->ShowPreview();
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 1 of 4");
    // Full page, limited by the height here: centred across.
    EXPECT_EQ(preview->PaintBox1->Height(), preview->sb->Height() - 30);
    EXPECT_EQ(preview->PaintBox1->Left(), (preview->sb->Width() - preview->PaintBox1->Width()) / 2);
    EXPECT_FALSE(preview->PriorBtn->Enabled());
    preview->LastBtnClick(nullptr);
    EXPECT_FALSE(preview->NextBtn->Enabled());
    preview->NextBtnClick(nullptr);  // past the last page: nothing
    EXPECT_EQ(preview->ShownPage(), 4);
    preview->FirstBtnClick(nullptr);
    preview->NextBtnClick(nullptr);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 2 of 4");
    // White paper around the printable area, black inside it.
    preview->sb->Repaint();
    const fw::TPaintBox* box = preview->PaintBox1;
    const int margin = int(std::lround(75.0 * box->Width() / 2479));  // the offset on 2479 dots of paper
    ASSERT_GE(margin, 8);
    fw::WindowDC dc(preview->sb->Handle());
    const int x = box->Left(), y = box->Top(), w = box->Width(), h = box->Height();
    EXPECT_EQ(GetPixel(dc.get(), x + margin / 2, y + h / 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc.get(), x + margin + 3, y + h / 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc.get(), x + w - margin - 3, y + h - margin - 3), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc.get(), x + w / 2, y + h - margin / 2), RGB(255, 255, 255));

    testenv::PrintCounts before = testenv::CountPrinted();
    const size_t rangeFirst = size_t(before.pages);
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
    const std::vector<std::string> pages = PrintedPages();
    ASSERT_EQ(int(pages.size()), after.pages);
    EXPECT_EQ(pages[rangeFirst], pages[size_t(before.pages + 1)]);  // page 2 placed alike alone and among all
    // A range that ends on the last page, and the last page alone.
    const auto range = [&](const wchar_t* From, const wchar_t* To) {
        return [From, To](HWND d) {
            SendMessageW(GetDlgItem(d, 0x422), BM_CLICK, 0, 0);
            SendMessageW(GetDlgItem(d, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(From));
            SendMessageW(GetDlgItem(d, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(To));
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        };
    };
    const size_t allFirst = size_t(before.pages);  // where "All" put its pages
    for (const auto& [from, to, count] : {std::tuple{L"3", L"4", 2}, std::tuple{L"4", L"4", 1}}) {
        before = after;
        print(range(from, to));
        after = testenv::WaitForJobs(before, count);
        EXPECT_EQ(after.jobs, before.jobs + count) << from << "-" << to;
        EXPECT_EQ(after.pages, before.pages + count) << from << "-" << to;
        EXPECT_EQ(preview->ShownPage(), 4) << from << "-" << to;
    }
    // A range given back to front prints the pages between its numbers, in order.
    before = after;
    print(range(L"4", L"2"));
    after = testenv::WaitForJobs(before, 3);
    EXPECT_EQ(after.jobs, before.jobs + 3);
    EXPECT_EQ(preview->ShownPage(), 4);
    const std::vector<std::string> all = PrintedPages();
    ASSERT_EQ(int(all.size()), after.pages);
    ASSERT_EQ(after.pages, before.pages + 3);
    EXPECT_EQ(all[size_t(before.pages) - 1], pages[allFirst + 3]) << "the last page printed alone is page 4";
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(all[size_t(before.pages) + i], pages[allFirst + 1 + i]) << i;
    EXPECT_NE(pages[allFirst + 1], pages[allFirst + 2]);
}

TEST_F(PrintingTest, ClosingTheWindowWhilePagesPrintStopsThePrintAtTheNextPage) {
    preview->BeginDoc();
    for (int p = 2; p <= 40; ++p) preview->NewPage();
    preview->EndRecording();
    // The window shown modally; "Print" clicked and answered; "Print" clicked again and the
    // window closed as the print dialog goes, so both wait while the first page prints.
    // The second click opens no dialog (one that opens is cancelled at once, and counted).
    int dialogs = 0;
    preview->PrintDialog1->OnShow = [&](fw::TObject* Sender) {
        preview->PrintDialog1Show(Sender);
        if (++dialogs == 1) return;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM) {
                wchar_t name[16] = {};
                GetClassNameW(w, name, 16);
                if (std::wstring(name) == L"#32770") PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    };
    preview->PrintDialog1->OnClose = [&](fw::TObject*) {
        if (dialogs == 1) PostMessageW(preview->PrintBtn->Handle(), BM_CLICK, 0, 0);
        PostMessageW(preview->Button6->Handle(), BM_CLICK, 0, 0);
    };
    const auto pages = [](const wchar_t* From, const wchar_t* To) {
        return [From, To](HWND d) {
            SendMessageW(GetDlgItem(d, From ? 0x422 : 0x420), BM_CLICK, 0, 0);
            if (From) SendMessageW(GetDlgItem(d, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(From));
            if (To) SendMessageW(GetDlgItem(d, 0x481), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(To));
            PostMessageW(d, WM_COMMAND, IDOK, 0);
        };
    };
    // All pages are one job: it is discarded whole. A range prints a job a page: the first one only.
    for (const auto& [from, to, jobs] :
         {std::tuple{(const wchar_t*)nullptr, (const wchar_t*)nullptr, 0}, std::tuple{L"1", L"40", 1}}) {
        SCOPED_TRACE(jobs);
        const testenv::PrintCounts before = testenv::CountPrinted();
        testenv::DialogAnswer answer(pages(from, to));
        dialogs = 0;
        PostMessageW(preview->PrintBtn->Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(preview->ShowModal(), fw::mrCancel);
        EXPECT_TRUE(answer.Answered());
        EXPECT_EQ(dialogs, 1);
        EXPECT_FALSE(preview->PrintingPages());
        EXPECT_FALSE(fw::Printer()->Printing());
        // Nothing more reaches the printer than the pages that had printed.
        const testenv::PrintCounts after = testenv::WaitForJobs(before, jobs + 1, 2000);
        EXPECT_EQ(after.jobs, before.jobs + jobs);
        EXPECT_EQ(after.pages, before.pages + jobs);
    }
    // The printer takes the next print whole.
    const testenv::PrintCounts before = testenv::CountPrinted();
    preview->PrintAllPages();
    const testenv::PrintCounts after = testenv::WaitForJobs(before, 1);
    EXPECT_EQ(after.jobs, before.jobs + 1);
    EXPECT_EQ(after.pages, before.pages + 40);
}

TEST_F(PrintingTest, ThePageButtonsShowTheirGlyphsAndHintsAndStepThroughThePages) {
    preview->SetWindowState(fw::wsNormal);
    preview->SetPosition(fw::poDesigned);
    preview->SetBounds(0, 0, 700, 600);
    preview->Show();
    preview->BeginDoc();
    preview->NewPage();
    preview->NewPage();
    preview->ShowPreview();
    preview->NextBtnClick(preview->NextBtn);
    ASSERT_EQ(preview->Panel2->Caption(), L"Page 2 of 3");
    // The black pixels a button shows.
    const auto ink = [](fw::TBitBtn* Button) {
        RedrawWindow(Button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        const fw::WindowDC dc(Button->Handle());
        int count = 0;
        for (int y = 0; y < Button->Height(); ++y)
            for (int x = 0; x < Button->Width(); ++x) count += GetPixel(dc.get(), x, y) == RGB(0, 0, 0);
        return count;
    };
    const std::pair<fw::TBitBtn*, const wchar_t*> buttons[] = {{preview->FirstBtn, L"First"},
                                                               {preview->PriorBtn, L"Previous"},
                                                               {preview->NextBtn, L"Next"},
                                                               {preview->LastBtn, L"Last"}};
    int left = 0;
    for (const auto& [button, hint] : buttons) {
        SCOPED_TRACE(hint);
        EXPECT_EQ(button->Hint(), hint);
        EXPECT_TRUE(button->ShowHint());
        EXPECT_EQ(button->Width(), 37);
        EXPECT_EQ(button->Height(), 28);
        EXPECT_GT(button->Left(), left);
        left = button->Left();
        EXPECT_TRUE(button->Caption().empty()) << "a glyph, not text";
        EXPECT_EQ(button->Glyph()->Width(), 16);
        EXPECT_GT(ink(button), 20);
    }
    // Page 1: the first and previous buttons are disabled, their glyphs greyed.
    preview->PriorBtnClick(preview->PriorBtn);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 1 of 3");
    EXPECT_EQ(ink(preview->FirstBtn), 0);
    EXPECT_EQ(ink(preview->PriorBtn), 0);
    EXPECT_GT(ink(preview->NextBtn), 20);
    preview->LastBtnClick(preview->LastBtn);
    EXPECT_EQ(preview->Panel2->Caption(), L"Page 3 of 3");
    EXPECT_EQ(ink(preview->LastBtn), 0);
    EXPECT_GT(ink(preview->FirstBtn), 20);
}

TEST_F(PrintingTest, TheInchGridOutlinesThePrintableAreaAndTheMarginsFromThePapersEdges) {
    preview->SetWindowState(fw::wsNormal);
    preview->SetPosition(fw::poDesigned);
    preview->SetBounds(0, 0, 700, 900);
    preview->Show();
    preview->BeginDoc();  // margins of an inch; the page stays empty
    preview->ShowPreview();
    preview->ShwGrdBtnClick(nullptr);
    ASSERT_TRUE(preview->ShowGrid());
    preview->sb->Repaint();
    const fw::TPaintBox* box = preview->PaintBox1;
    POINT size{};
    ASSERT_TRUE(preview->GetPhysicalPageSize(size));
    const double scale = double(box->Width()) / size.x;
    const auto at = [scale](long v) { return int(std::lround(v * scale)); };
    const RECT page = preview->PageRect();
    const POINT offset = preview->PrintingOffset();
    ASSERT_GT(at(offset.y), 4);
    fw::WindowDC dc(preview->sb->Handle());
    // The blue pixels along a row of the page, between the outline's sides.
    const auto blueAt = [&](int Y) {
        int count = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int x = at(page.left - offset.x) + 3; x < at(page.right + offset.x) - 3; ++x)
                count += GetPixel(dc.get(), box->Left() + x, box->Top() + Y + dy) == RGB(0, 0, 255);
        return count;
    };
    EXPECT_GT(blueAt(at(page.top - offset.y)), 0);
    EXPECT_GT(blueAt(at(page.bottom + offset.y)), 0);
    EXPECT_EQ(blueAt(at(page.top)), 0);
    EXPECT_EQ(blueAt(at(page.bottom)), 0);
    preview->ShwGrdBtnClick(nullptr);
    preview->sb->Repaint();
    EXPECT_EQ(blueAt(at(page.top - offset.y)), 0);
}

namespace {

// Turns the test printer to landscape for the printer object.
void UseLandscape() {
    const std::wstring name = fw::Printer()->PrinterName();
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &h, nullptr));
    const LONG size = DocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(name.c_str()), nullptr, nullptr, 0);
    ASSERT_GT(size, 0);
    std::vector<BYTE> mode(static_cast<size_t>(size));
    auto* dm = reinterpret_cast<DEVMODEW*>(mode.data());
    ASSERT_EQ(DocumentPropertiesW(nullptr, h, const_cast<wchar_t*>(name.c_str()), dm, nullptr, DM_OUT_BUFFER), IDOK);
    ClosePrinter(h);
    dm->dmOrientation = DMORIENT_LANDSCAPE;
    dm->dmFields |= DM_ORIENTATION;
    fw::Printer()->SetDevice(name, mode);
}

// The left edge of every text's cell.
int CALLBACK CollectX(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* r = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        reinterpret_cast<std::vector<int>*>(param)->push_back(int(r->emrtext.rcl.left));
    }
    return 1;
}

}  // namespace

TEST_F(PrintingTest, LandscapePagesFitAsOnPaperAndTheWindowFitsAndZooms) {
    UseLandscape();
    preview->SetWindowState(fw::wsNormal);
    preview->SetPosition(fw::poDesigned);
    preview->SetBounds(0, 0, 400, 700);  // narrow: the landscape page is limited by the width
    preview->Show();
    // The main window's columns (170, 70, 105, 105) over the page width: the grid and its rows
    // are scaled up alike, so an A4 landscape page holds only a dozen rows.
    auto grid = MakeGrid(40);
    const int widths[] = {170, 70, 105, 105};
    for (int c = 0; c < 4; ++c) grid->SetColWidths(c, widths[c]);
    LayOutListing(preview.get(), grid.get(), false, L"File List", &font);
    preview->ShowPreview();
    const RECT inside = preview->PageCanvasRect();
    EXPECT_EQ(inside.right - inside.left, 3508 - 150 - 300);  // the long side across
    const double scale = double(inside.right - inside.left) / (4 + 450);
    const int fits = int((inside.bottom - inside.top) / ((24 + 1) * scale));
    EXPECT_EQ(fits, 12);
    EXPECT_EQ(Ys(1, L"item ").size(), size_t(fits) * 4);
    // The printed columns keep the grid's proportions.
    std::vector<int> xs;
    EnumEnhMetaFile(nullptr, preview->PageMetafile(1)->Handle(), CollectX, &xs, nullptr);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    ASSERT_EQ(xs.size(), 4u);  // one left edge per column
    for (int c = 1; c < 4; ++c) EXPECT_NEAR(xs[size_t(c)] - xs[size_t(c - 1)], (widths[c - 1] + 1) * scale, 3) << c;
    // Full page: limited by the width, in the paper's proportions.
    POINT size{};
    ASSERT_TRUE(preview->GetPhysicalPageSize(size));
    ASSERT_GT(size.x, size.y);
    fw::TPaintBox* box = preview->PaintBox1;
    preview->FullPageBtnClick(nullptr);
    EXPECT_EQ(box->Width(), preview->sb->Width() - 30);
    EXPECT_EQ(box->Height(), size.y * box->Width() / size.x);
    // Page width: below the tool bar's height and a margin, as wide as the window allows.
    preview->PageWidthBtnClick(nullptr);
    EXPECT_EQ(box->Top(), preview->Panel1->Height() + 15);
    EXPECT_EQ(box->Left(), 15);
    EXPECT_EQ(box->Width(), preview->ClientWidth() - 45);
    EXPECT_EQ(box->Height(), size.y * box->Width() / size.x);
    // A left click grows the page by about 17.5 % each way, a right click shrinks it.
    const int w = box->Width(), h = box->Height(), left = box->Left(), top = box->Top();
    preview->PaintBox1MouseDown(box, fw::mbLeft, 0, 10, 10);
    const int dW = int(std::nearbyint(w * 0.35)) / 2, dH = int(std::nearbyint(h * 0.35)) / 2;
    EXPECT_EQ(box->Width(), w + dW);
    EXPECT_EQ(box->Height(), h + dH);
    // Around its place, never above or left of position 1.
    EXPECT_EQ(box->Left(), left - dW / 2 < 0 ? 1 : left - dW / 2);
    EXPECT_EQ(box->Top(), top - dH / 2 < 0 ? 1 : top - dH / 2);
    const int w2 = box->Width();
    preview->PaintBox1MouseDown(box, fw::mbRight, 0, 10, 10);
    EXPECT_EQ(box->Width(), w2 - int(std::nearbyint(w2 * 0.35)) / 2);
    // Clicked on and on, the page grows up to its largest size and stays there, drawn.
    int before = box->Width();
    for (int i = 0; i < 150; ++i) {
        preview->PaintBox1MouseDown(box, fw::mbLeft, 0, 10, 10);
        ASSERT_GE(box->Width(), before) << "click " << i;
        before = box->Width();
    }
    EXPECT_GT(box->Width(), 32767 * 100 / 118);
    EXPECT_LE(box->Width(), 32767);
    EXPECT_NEAR(box->Height(), size.y * box->Width() / size.x, box->Width() / 50) << "in the paper's proportions";
    preview->sb->Repaint();
    {
        const fw::WindowDC dc(preview->sb->Handle());
        EXPECT_EQ(GetPixel(dc.get(), box->Left() + 5, box->Top() + 5), RGB(255, 255, 255)) << "the paper is shown";
    }
    preview->PaintBox1MouseDown(box, fw::mbRight, 0, 10, 10);
    EXPECT_LT(box->Width(), before);
}

TEST_F(PrintingTest, CaptionLinesFollowOneAnotherAndTheHeadingRowRepeats) {
    // A caption of CR LF lines: one line under the other, no blank line between.
    LayOutListing(preview.get(), MakeGrid(3, 3).get(), false, L"one\r\ntwo\r\nthree", &font);
    preview->EndRecording();
    const std::vector<int> one = Ys(1, L"one"), two = Ys(1, L"two"), three = Ys(1, L"three");
    ASSERT_TRUE(!one.empty() && !two.empty() && !three.empty());
    const int line = two[0] - one[0];
    EXPECT_EQ(three[0] - two[0], line);
    fw::WindowDC screen(nullptr);
    EXPECT_GT(line, 0);
    EXPECT_LT(line, 10 * 300 / 72 * 3 / 2) << "a 10 point line, not two";
    // A grid with a heading row: the heading opens every page the grid continues on.
    auto grid = MakeGrid(300);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    for (int c = 0; c < 4; ++c) grid->SetCells(c, 0, L"heading");
    LayOutListing(preview.get(), grid.get(), false, L"", &font);
    preview->EndRecording();
    // The heading cells and column 0 are filled with the grid's fixed colour, the others with its colour.
    ASSERT_NE(fw::ColorToRGB(grid->FixedColor()), fw::ColorToRGB(grid->Color()));
    Backgrounds found;
    EnumEnhMetaFile(nullptr, preview->PageMetafile(2)->Handle(), CollectBackgrounds, &found, nullptr);
    ASSERT_GT(found.texts.size(), 8u);
    int first = INT_MAX;
    for (const auto& [text, x, colour] : found.texts) first = std::min(first, x);
    for (const auto& [text, x, colour] : found.texts) {
        const bool fixed = text == L"heading" || x == first;
        EXPECT_EQ(colour, fw::ColorToRGB(fixed ? grid->FixedColor() : grid->Color())) << text << " at " << x;
    }
    ASSERT_GE(preview->PageCount(), 3);
    for (int p = 1; p <= preview->PageCount(); ++p) {
        const std::vector<int> heading = Ys(p, L"heading"), rows = Ys(p, L"item ");
        if (rows.empty()) continue;  // a page with only the caption
        ASSERT_EQ(heading.size(), 4u) << "page " << p;
        EXPECT_LT(heading[0], *std::min_element(rows.begin(), rows.end())) << "page " << p;
    }
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
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring&, unsigned) {
        boxes.push_back(text);
        return IDOK;
    };
    ASSERT_NO_THROW(StartApplication());  // fitting the preview's page divides by nothing
    EXPECT_GT(Printpreview->PaintBox1->Width(), 0);
    Printpreview->ShowPreview();
    EXPECT_THROW(Printpreview->BeginDoc(), fw::EPrinter);
    EXPECT_EQ(Printpreview->NewPage(), 0);
    try {
        Printpreview->PrintBtnClick(Printpreview->PrintBtn);
    } catch (...) {
        fw::Application()->HandleException(nullptr);  // as the message loop shows it
    }
    EXPECT_EQ(boxes, (std::vector<std::wstring>{L"No printer is installed."}));
    FreeApplication();
}

}  // namespace
