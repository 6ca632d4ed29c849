// Times the output grid's row insertion, row removal and column auto-sizing at
// 10,000 and 100,000 rows, with and without a window. Each operation touches
// every row once, so ten times the rows should take about ten times as long.
// Run by hand under Wine (a display is needed for the windowed half only).
#include <windows.h>

#include <cstdio>
#include <string>

#include "controls/VxStringGrid.h"
#include "framework/Forms.h"
#include "bench/BenchTree.h"

namespace {

void Fill(vx::TVxStringGrid& grid, int rows) {
    grid.SetColCount(6);
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        grid.SetCells(0, r, L"  file name number " + std::to_wstring(r) + L".txt");
        grid.SetCells(1, r, L"C:\\some\\folder\\below\\the\\root");
        grid.SetCells(2, r, std::to_wstring(r * 37) + L" KB");
        grid.SetCells(3, r, L"Text Document");
        grid.SetCells(4, r, L"06/12/2026 18:00");
        grid.SetCells(5, r, L"C:\\some\\folder\\below\\the\\root\\file name number " + std::to_wstring(r) + L".txt");
    }
}

void Run(vx::TVxStringGrid& grid, int rows, const char* label) {
    const double fill = bench::Millis([&] { Fill(grid, rows); });
    const double insert = bench::Millis([&] { grid.InsertRow(0); });
    const double insertEnd = bench::Millis([&] { grid.InsertRow(grid.RowCount()); });
    const double remove = bench::Millis([&] { grid.RemoveRow(0); });
    const double sizeOne = bench::Millis([&] { grid.AutoSizeCol(5, 15); });
    const double sizeAll = bench::Millis([&] { grid.AutoSizeCol(-1, 15); });
    const double clear = bench::Millis([&] {
        for (int c = 0; c < grid.ColCount(); ++c) grid.Cols(c)->Clear();
    });
    std::printf(
        "%-10s %7d rows: fill %8.1f ms, InsertRow(0) %7.1f ms, InsertRow(end) %7.1f ms, RemoveRow(0) %7.1f ms, "
        "AutoSizeCol(5) %7.1f ms, AutoSizeCol(all) %7.1f ms, clear %7.1f ms\n",
        label, rows, fill, insert, insertEnd, remove, sizeOne, sizeAll, clear);
}

}  // namespace

int main() {
    for (int rows : {10000, 100000}) {
        vx::TVxStringGrid grid(nullptr);
        Run(grid, rows, "no window");
    }
    fw::TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    for (int rows : {10000, 100000}) {
        auto* grid = new vx::TVxStringGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 320, 120);
        grid->HandleNeeded();
        Run(*grid, rows, "window");
        delete grid;
    }
    return 0;
}
