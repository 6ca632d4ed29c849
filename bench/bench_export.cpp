// Exports a 100,000-row, 6-column string grid in every format and compares each
// with a plain write of the same number of bytes to the same folder, timed in
// the same run: the ratio says what the writer costs beyond the disk.
// Run by hand (under Wine): bench_export.exe [folder]. Files go to the folder
// given, or to the temporary folder, and are deleted afterwards. Each figure is
// the best of seven runs; each export run is followed at once by a run of its
// plain write, so both see the same load, and each writes a new file.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "export/StringGridExport.h"
#include "framework/Application.h"
#include "framework/Grids.h"
#include "framework/Streams.h"
#include "bench/BenchTree.h"

using namespace zt;

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 6;
constexpr int kRepeats = 7;

struct Format {
    TztExportType type;
    const char* name;
};

int64_t FileSize(const std::wstring& Name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The baseline: Bytes bytes written to a new file in one buffer.
void PlainWrite(const std::wstring& Name, const std::string& Bytes) {
    {
        fw::TFileStream file(Name, fw::fmCreate);
        file.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
    }
    DeleteFileW(Name.c_str());
}

void FillGrid(fw::TStringGrid* Grid) {
    Grid->SetColCount(kCols);
    Grid->SetRowCount(kRows + 1);
    Grid->SetFixedRows(1);
    const wchar_t* captions[kCols] = {L"Name", L"In folder", L"Size", L"Type", L"Modified", L"Path"};
    for (int c = 0; c < kCols; ++c) Grid->SetCells(c, 0, captions[c]);
    for (int r = 1; r <= kRows; ++r) {
        const std::wstring n = std::to_wstring(r);
        Grid->SetCells(0, r, L"  file" + n + L".txt");
        Grid->SetCells(1, r, L"C:\\data\\folder " + std::to_wstring(r % 97));
        Grid->SetCells(2, r, std::to_wstring(r * 37 % 100000) + L" KB");
        Grid->SetCells(3, r, L"Text Document");
        Grid->SetCells(4, r, L"12/05/2024 10:" + std::to_wstring(10 + r % 50));
        Grid->SetCells(5, r, L"C:\\data\\folder " + std::to_wstring(r % 97) + L"\\file" + n + L".txt");
    }
}

}  // namespace

int main() {
    const std::wstring folder = bench::WorkFolder(L"") + L'\\';

    // Nothing may wait for a person: no boxes, no viewers.
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring&, const std::wstring&, unsigned) { return IDOK; };
    TztCustomExport::ViewerHook = [](HWND, const std::wstring&, const std::wstring&, int) -> intptr_t { return 42; };

    auto owner = std::make_unique<fw::TComponent>(nullptr);
    auto* grid = new fw::TStringGrid(owner.get());
    FillGrid(grid);

    auto* exporter = new TztStringGridExport(owner.get());
    exporter->SetStringGrid(grid);
    exporter->SetExportStyle(xsFile);
    exporter->SetOptions(exporter->Options().Exclude(xoShowProgress).Exclude(xoClipboardMessage));
    exporter->HTML()->SetTitle(L"Tabulorin");
    std::vector<TztExportError> errors;
    exporter->OnError = [&errors](fw::TObject*, TztExportError Error) { errors.push_back(Error); };

    const Format formats[] = {
        {xtTXT, "TXT"},  {xtCSV, "CSV"}, {xtTAB, "TAB"},   {xtHTML, "HTML"}, {xtRTF, "RTF"},
        {xtWord, "DOC"}, {xtDIF, "DIF"}, {xtSYLK, "SYLK"}, {xtExcel, "XLS"}, {xtClipboard, "Clipboard"}};
    std::printf("%d rows x %d columns, best of %d; baseline: a plain write of as many bytes, run after each export\n",
                kRows, kCols, kRepeats);
    std::printf("%-10s %9s %10s %12s %9s %7s\n", "format", "seconds", "rows/s", "bytes", "plain s", "ratio");
    for (const Format& f : formats) {
        exporter->SetFileName(folder + L"bench_export");
        exporter->SetExportType(f.type);
        const std::wstring file = folder + L"bench_export." + exporter->GetDefaultExtension();
        // A first, untimed run gives the size; the clipboard gets the padded text
        // as UTF-16: twice the characters of the TXT file.
        int64_t bytes = 0;
        if (f.type == xtClipboard) {
            exporter->SetExportType(xtTXT);
            exporter->Execute();
            bytes = FileSize(folder + L"bench_export.TXT") * 2;
            DeleteFileW((folder + L"bench_export.TXT").c_str());
            exporter->SetExportType(f.type);
        } else {
            exporter->Execute();
            bytes = FileSize(file);
        }
        const std::string plainBytes(size_t(bytes), 'x');
        const std::wstring plainName = folder + L"bench_plain.tmp";
        errors.clear();
        double best = 1e9, plain = 1e9;
        for (int i = 0; i < kRepeats; ++i) {
            DeleteFileW(file.c_str());
            best = std::min(best, bench::Millis([&] { exporter->Execute(); }) / 1000);
            plain = std::min(plain, bench::Millis([&] { PlainWrite(plainName, plainBytes); }) / 1000);
        }
        // The sheet holds 16,384 rows; the export says that it left out the rest.
        const char* note = errors.empty()      ? ""
                           : f.type == xtExcel ? "  (rows past the sheet's end left out, as reported)"
                                               : "  (reported an error)";
        std::printf("%-10s %9.3f %10.0f %12lld %9.4f %6.1fx%s\n", f.name, best, kRows / best,
                    static_cast<long long>(bytes), plain, plain > 0 ? best / plain : 0.0, note);
        if (f.type != xtClipboard) DeleteFileW(file.c_str());
    }
    return 0;
}
