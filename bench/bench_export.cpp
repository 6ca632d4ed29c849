// Exports a 100,000-row, 6-column string grid in every format and compares each
// with a plain write of the same number of bytes to the same folder, timed in
// the same run: the ratio says what the writer costs beyond the disk.
// Run by hand (under Wine): bench_export.exe [folder]. Files go to the folder
// given, or to the temporary folder, and are deleted afterwards. Each figure is
// the median of five runs (the plain write: of eleven).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/StringGridExport.h"
#include "framework/Application.h"
#include "framework/Grids.h"
#include "framework/Streams.h"

using namespace zt;

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 6;
constexpr int kRepeats = 5;

struct Format {
    TztExportType type;
    const char* name;
};

// The median of Repeats runs: steadier than the best when the disk cache is warm
// for some runs and not for others.
double Seconds(const std::function<void()>& Work, int Repeats = kRepeats) {
    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        Work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int64_t FileSize(const std::wstring& Name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The baseline: Bytes bytes written to a new file in one buffer (more runs than
// the formats get: a short write varies more).
double PlainWrite(const std::wstring& Name, int64_t Bytes) {
    const std::string buffer(size_t(Bytes), 'x');
    const double seconds = Seconds(
        [&] {
            fw::TFileStream file(Name, fw::fmCreate);
            file.WriteBuffer(buffer.data(), Bytes);
        },
        2 * kRepeats + 1);
    DeleteFileW(Name.c_str());
    return seconds;
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
    FillGrid(grid);

    auto* exporter = new TztStringGridExport(owner.get());
    exporter->SetStringGrid(grid);
    exporter->SetExportStyle(xsFile);
    exporter->SetOptions(exporter->Options().Exclude(xoShowProgress).Exclude(xoClipboardMessage));
    exporter->HTML()->SetTitle(L"Tabulorin");
    std::vector<TztExportError> errors;
    exporter->OnError = [&errors](fw::TObject*, TztExportError Error) { errors.push_back(Error); };

    // What every format pays before writing: the grid's cells read twice (once
    // to measure the columns, once for the rows), each read a copy of the text.
    const double reading = Seconds([&] {
        size_t total = 0;
        for (int pass = 0; pass < 2; ++pass)
            for (int r = 0; r <= kRows; ++r)
                for (int c = 0; c < kCols; ++c) total += grid->Cells(c, r).size();
        if (total == 0) std::printf("empty grid\n");
    });
    std::printf("reading the grid's cells twice: %.3f s\n", reading);

    const Format formats[] = {
        {xtTXT, "TXT"},  {xtCSV, "CSV"}, {xtTAB, "TAB"},   {xtHTML, "HTML"}, {xtRTF, "RTF"},
        {xtWord, "DOC"}, {xtDIF, "DIF"}, {xtSYLK, "SYLK"}, {xtExcel, "XLS"}, {xtClipboard, "Clipboard"}};
    std::printf("%d rows x %d columns, median of %d; baseline: a plain write of as many bytes\n", kRows, kCols,
                kRepeats);
    std::printf("%-10s %9s %12s %11s %9s\n", "format", "seconds", "bytes", "plain s", "ratio");
    for (const Format& f : formats) {
        exporter->SetFileName(folder + L"bench_export");
        exporter->SetExportType(f.type);
        errors.clear();
        const double seconds = Seconds([&] { exporter->Execute(); });
        const std::wstring file = folder + L"bench_export." + exporter->GetDefaultExtension();
        // The clipboard gets the padded text as UTF-16: twice the characters.
        int64_t bytes = FileSize(file);
        if (f.type == xtClipboard) {
            exporter->SetExportType(xtTXT);
            exporter->Execute();
            bytes = FileSize(folder + L"bench_export.TXT") * 2;
            DeleteFileW((folder + L"bench_export.TXT").c_str());
        }
        const double plain = PlainWrite(folder + L"bench_plain.tmp", bytes);
        std::printf("%-10s %9.3f %12lld %11.4f %8.1fx%s\n", f.name, seconds, static_cast<long long>(bytes), plain,
                    plain > 0 ? seconds / plain : 0.0, errors.empty() ? "" : "  (reported an error)");
        if (f.type != xtClipboard) DeleteFileW(file.c_str());
    }
    return 0;
}
