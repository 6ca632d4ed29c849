// Exports a 100,000-row, 6-column string grid in every format and reports the
// rows per second of each, so that changes to the writers can be compared.
// Run by hand (under Wine): bench_export.exe [folder]. Files go to the folder
// given, or to the temporary folder, and are deleted afterwards.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "export/StringGridExport.h"
#include "framework/Application.h"
#include "framework/Grids.h"

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 6;

struct Format {
    TztExportType type;
    const char* name;
};

}  // namespace

int main(int argc, char** argv) {
    std::wstring folder;
    if (argc > 1) {
        const std::string arg = argv[1];
        folder.assign(arg.begin(), arg.end());
    } else {
        wchar_t temp[MAX_PATH + 1];
        folder.assign(temp, GetTempPathW(MAX_PATH + 1, temp));
    }
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';

    // Nothing may wait for a person: no boxes, no viewers.
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring&, const std::wstring&, unsigned) { return IDOK; };
    TztCustomExport::ViewerHook = [](HWND, const std::wstring&, const std::wstring&, int) -> intptr_t { return 42; };

    auto owner = std::make_unique<fw::TComponent>(nullptr);
    auto* grid = new fw::TStringGrid(owner.get());
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows + 1);
    grid->SetFixedRows(1);
    const wchar_t* captions[kCols] = {L"Name", L"In folder", L"Size", L"Type", L"Modified", L"Path"};
    for (int c = 0; c < kCols; ++c) grid->SetCells(c, 0, captions[c]);
    for (int r = 1; r <= kRows; ++r) {
        const std::wstring n = std::to_wstring(r);
        grid->SetCells(0, r, L"  file" + n + L".txt");
        grid->SetCells(1, r, L"C:\\data\\folder " + std::to_wstring(r % 97));
        grid->SetCells(2, r, std::to_wstring(r * 37 % 100000) + L" KB");
        grid->SetCells(3, r, L"Text Document");
        grid->SetCells(4, r, L"12/05/2024 10:" + std::to_wstring(10 + r % 50));
        grid->SetCells(5, r, L"C:\\data\\folder " + std::to_wstring(r % 97) + L"\\file" + n + L".txt");
    }

    auto* exporter = new TztStringGridExport(owner.get());
    exporter->SetStringGrid(grid);
    exporter->SetExportStyle(xsFile);
    exporter->SetOptions(exporter->Options().Exclude(xoShowProgress).Exclude(xoClipboardMessage));
    exporter->HTML()->SetTitle(L"Tabulorin");
    bool failed = false;
    exporter->OnError = [&failed](fw::TObject*, TztExportError) { failed = true; };

    const Format formats[] = {
        {xtTXT, "TXT"},  {xtCSV, "CSV"}, {xtTAB, "TAB"},   {xtHTML, "HTML"}, {xtRTF, "RTF"},
        {xtWord, "DOC"}, {xtDIF, "DIF"}, {xtSYLK, "SYLK"}, {xtExcel, "XLS"}, {xtClipboard, "Clipboard"}};
    std::printf("%d rows x %d columns\n", kRows, kCols);
    for (const Format& f : formats) {
        exporter->SetFileName(folder + L"bench_export");
        exporter->SetExportType(f.type);
        failed = false;
        const auto start = std::chrono::steady_clock::now();
        exporter->Execute();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-10s %8.3f s %12.0f rows/s%s\n", f.name, seconds, kRows / seconds,
                    failed ? "  (reported an error)" : "");
        if (f.type != xtClipboard) DeleteFileW((folder + L"bench_export." + exporter->GetDefaultExtension()).c_str());
    }
    return 0;
}
