// Times the print layout of a listing of 10,000 and 100,000 rows (six columns)
// into the print preview's pages, against a baseline that records the same cell
// texts with plain text calls into as many metafiles against the same printer.
// Both touch every cell once, so the ratio shows what the layout adds (cell
// rectangles, fills, grid lines). Then the printing of the 10,000 rows' pages as
// one job against a plain loop that sends the same pages without handling the
// window's messages between them, and how long a print takes to stop once the
// window is closed (about one page's time). Run by hand under Wine with a
// printer installed (tools/test's prefix has one); each print is a real job.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/PrintLayout.h"
#include "framework/Grids.h"
#include "framework/Handles.h"
#include "framework/Printers.h"
#include "bench/BenchTree.h"

namespace {

void Fill(fw::TStringGrid& grid, int rows) {
    grid.SetFixedRows(0);
    grid.SetFixedCols(0);
    grid.SetColCount(6);
    grid.SetRowCount(rows + 1);
    for (int r = 0; r < rows; ++r) {
        grid.SetCells(0, r, L"  file name number " + std::to_wstring(r) + L".txt");
        grid.SetCells(1, r, L"C:\\some\\folder\\below\\the\\root");
        grid.SetCells(2, r, std::to_wstring(r * 37) + L" KB");
        grid.SetCells(3, r, L"Text Document");
        grid.SetCells(4, r, L"06/12/2026 18:00");
        grid.SetCells(5, r, L"C:\\some\\folder\\below\\the\\root\\file name number " + std::to_wstring(r));
    }
}

// Every recorded page as one job, as the preview places them, with nothing between pages.
void PlainPrint(TPrintpreview& Preview) {
    fw::TPrinter* printer = fw::Printer();
    printer->BeginDoc();
    for (int p = 1; p <= Preview.PageCount(); ++p) {
        if (p > 1) printer->NewPage();
        printer->Canvas()->StretchDraw(RECT{0, 0, printer->PageWidth(), printer->PageHeight()},
                                       Preview.PageMetafile(p));
    }
    printer->EndDoc();
}

// The printing of the recorded pages, and a print stopped by closing the window.
void PrintTimes(TPrintpreview& Preview) {
    const double plain = bench::Millis([&] { PlainPrint(Preview); });
    const double all = bench::Millis([&] { Preview.PrintAllPages(); });
    std::printf("print %5d pages: PrintAllPages %8.1f ms, plain loop %8.1f ms, ratio %.2f\n", Preview.PageCount(), all,
                plain, all / plain);
    Preview.Show();
    PostMessageW(Preview.Handle(), WM_CLOSE, 0, 0);
    const double stopped = bench::Millis([&] { Preview.PrintAllPages(); });
    std::printf("closed as it starts: stopped after %.1f ms (one page takes %.1f ms), %s\n", stopped,
                plain / Preview.PageCount(), fw::Printer()->Printing() ? "still printing" : "job discarded");
}

// The same texts, recorded with one text call each, rowsPerPage rows a page.
void Baseline(fw::TStringGrid& grid, int rowsPerPage) {
    HDC reference = fw::Printer()->Handle();
    std::vector<fw::EnhMetaFileHandle> pages;
    HDC dc = nullptr;
    for (int r = 0; r < grid.RowCount() - 1; ++r) {
        if (r % rowsPerPage == 0) {
            if (dc) pages.emplace_back(CloseEnhMetaFile(dc));
            dc = CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
        }
        for (int c = 0; c < grid.ColCount(); ++c) {
            const std::wstring text = grid.Cells(c, r);
            TextOutW(dc, c * 300, (r % rowsPerPage) * 190, text.c_str(), int(text.size()));
        }
    }
    if (dc) pages.emplace_back(CloseEnhMetaFile(dc));
}

}  // namespace

int main() {
    if (!fw::Printer()->HasPrinter()) {
        std::printf("bench_print needs an installed printer\n");
        return 1;
    }
    TPrintpreview preview(nullptr);
    preview.AfterConstruction();
    fw::TFont font;
    font.SetName(L"Arial");
    font.SetSize(10);
    for (int rows : {10000, 100000}) {
        fw::TStringGrid grid(nullptr);
        Fill(grid, rows);
        const double layout = bench::Millis([&] {
            LayOutListing(&preview, &grid, true, L"File List", &font);
            preview.EndRecording();
        });
        const int pages = preview.PageCount();
        const double baseline = bench::Millis([&] { Baseline(grid, (rows + pages - 1) / pages); });
        std::printf("%7d rows, %5d pages: layout %8.1f ms, baseline %8.1f ms, ratio %.2f\n", rows, pages, layout,
                    baseline, layout / baseline);
        if (rows == 10000) PrintTimes(preview);
    }
    return 0;
}
