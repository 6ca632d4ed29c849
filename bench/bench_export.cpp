// Exports a 100,000-row, 6-column string grid in every format, with the main
// window's settings (progress window and date line included), and compares each
// with a plain write of the same number of bytes to the same folder, written the
// way every save writes (for the clipboard: as many bytes put on the clipboard),
// timed in the same run: the ratio says what the writer costs beyond the medium
// it writes to. The ratio to a raw write (no flush to the disk) is shown beside it.
// Run by hand (under Wine, tools/bench bench_export [folder]). Files go to the
// folder given, or to the temporary folder, and are deleted afterwards. Each
// figure is the best of three rounds; in each round every export run is followed
// at once by a run of its plain write, so both see the same load. The exit code
// is 1 when a format takes more than five times its plain write.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "export/ExportDocument.h"
#include "export/ExportProgress.h"
#include "export/StringGridExport.h"
#include "export/TextRoutines.h"
#include "framework/Application.h"
#include "framework/Clipboard.h"
#include "framework/Grids.h"
#include "framework/Streams.h"
#include "bench/BenchTree.h"

using namespace zt;

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 6;
constexpr int kRounds = 3;

// Milliseconds on a steady clock.
double Clock() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
constexpr double kMostRatio = 5.0;

struct Format {
    TztExportType type;
    const char* name;
};

int64_t FileSize(const std::wstring& Name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The baseline: Bytes bytes written to a new file in one buffer, the way every
// save writes (a temporary file flushed to the disk and moved over the target);
// Raw: straight into the file, without the flush.
void PlainWrite(const std::wstring& Name, const std::string& Bytes, bool Raw) {
    if (Raw) {
        fw::TFileStream file(Name, fw::fmCreate);
        file.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
    } else {
        fw::TSafeFileStream file(Name);
        file.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
        file.Commit();
    }
    DeleteFileW(Name.c_str());
}

// The clipboard's baseline: a text of as many bytes put on the clipboard in one
// piece. The clipboard is the medium written to; under Wine handing a text to it
// costs far more than writing a file of its size.
void PlainClipboard(const std::string& Bytes) {
    fw::ClipboardGuard clipboard;
    const size_t length = Bytes.size() / sizeof(wchar_t);
    clipboard.SetText(length, [&Bytes, length](wchar_t* Text) { std::memcpy(Text, Bytes.data(), length * 2); });
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

// ---- Where the time of one export goes ---------------------------------------------------

// The stages of a line format's export, done one after another by hand the way
// the writers do them: each stage's time is the pipeline up to it less the
// pipeline up to the one before, best of three.
enum Stage {
    kRead,
    kConvert,
    kEscape,
    kBuild,
    kCodePage,
    kWrite,
    kStages
};
const char* const kStageNames[kStages] = {"reading cells",  "converting values", "escaping",
                                          "building lines", "code-page convert", "writing"};

double Pipeline(fw::TStringGrid* Grid, TztExportDocument& Doc, bool Csv, int Last, const std::wstring& File) {
    return bench::Millis([&] {
        TztValues values(static_cast<size_t>(kCols));
        std::wstring scratch, cell, block;
        std::vector<std::wstring> blocks;
        block.reserve((1 << 16) + 1024);
        volatile size_t sink = 0;
        for (int row = 1; row <= kRows; ++row) {
            for (int col = 0; col < kCols; ++col) values[size_t(col)].AssignText(Grid->CellText(col, row));
            if (Last == kRead) continue;
            for (int col = 0; col < kCols; ++col) {
                const TztExportDocument::Column& c = Doc.columns[size_t(col)];
                const std::wstring& text = Doc.CellText(values[size_t(col)], c.textWidth, scratch);
                if (Last == kConvert) {
                    sink = sink + text.size();
                    continue;
                }
                const std::wstring* escaped = &text;
                if (Csv) {
                    cell.clear();
                    AppendCsv(cell, text, false);
                    escaped = &cell;
                } else if (!PlainCell(text)) {
                    escaped = &SingleLineRef(text, cell);
                }
                if (Last == kEscape) {
                    sink = sink + escaped->size();
                    continue;
                }
                if (col > 0) block += Csv ? L',' : L' ';
                if (Csv) block += *escaped;
                else AppendAligned(block, *escaped, int(escaped->size()), c.textWidth, 0);
            }
            if (Last < kBuild) continue;
            block += L"\r\n";
            if (block.size() >= (1 << 16)) {
                blocks.push_back(std::move(block));
                block.clear();
                block.reserve((1 << 16) + 1024);
            }
        }
        blocks.push_back(std::move(block));
        if (Last < kCodePage) return;
        std::string bytes;
        for (const std::wstring& b : blocks) AsciiInto(b.data(), b.size(), bytes);
        if (Last < kWrite) return;
        fw::TFileStream file(File, fw::fmCreate);
        file.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    });
}

void PrintStages(fw::TStringGrid* Grid, TztStringGridExport* Exporter, const std::wstring& Folder) {
    // The progress window as the export drives it: shown, told every row, closed.
    Tfrm_ProgressForm* progress = Exporter->ProgressForm();
    double show = 1e9, rows = 1e9, close = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        show = std::min(show, bench::Millis([&] { progress->Start(L"Exporting", L"Processing...", 300, 80, kRows); }));
        rows = std::min(rows, bench::Millis([&] {
                            for (int row = 1; row <= kRows; ++row) progress->SetProgress(row);
                        }));
        close = std::min(close, bench::Millis([&] { progress->Finish(); }));
    }
    std::printf("progress window: shown %.1f ms, told of every row %.1f ms, closed %.1f ms\n", show, rows, close);

    TztRowCounters counters;
    TztDocumentSettings settings;
    settings.options = Exporter->Options();
    TztExportDocument doc(settings, counters);
    doc.columns.resize(size_t(kCols));
    for (int col = 0; col < kCols; ++col) {
        int widest = 0;
        for (int row = 0; row <= kRows; ++row) widest = std::max(widest, CharCount(Grid->CellText(col, row)));
        doc.columns[size_t(col)].exported = true;
        doc.columns[size_t(col)].width = doc.columns[size_t(col)].textWidth = widest;
    }
    const std::wstring file = Folder + L"bench_stages.tmp";
    for (const bool csv : {false, true}) {
        double upTo[kStages];
        for (int last = 0; last < kStages; ++last) {
            upTo[last] = 1e9;
            for (int round = 0; round < kRounds; ++round)
                upTo[last] = std::min(upTo[last], Pipeline(Grid, doc, csv, last, file));
        }
        DeleteFileW(file.c_str());
        std::printf("%s by hand, ms per stage:", csv ? "CSV" : "padded text");
        for (int stage = 0; stage < kStages; ++stage)
            std::printf("  %s %.1f", kStageNames[stage], upTo[stage] - (stage ? upTo[stage - 1] : 0.0));
        std::printf("  (all %.1f)\n", upTo[kStages - 1]);
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

    // The main window's settings.
    auto* exporter = new TztStringGridExport(owner.get());
    exporter->SetStringGrid(grid);
    exporter->SetExportStyle(xsFile);
    exporter->SetOptions({xoClipboardMessage, xoFooterLine, xoHeaderLine, xoShowExportDate, xoShowHeader,
                          xoShowProgress, xoUseAlignments});
    exporter->HTML()->SetTitle(L"Tabulorin");
    exporter->HTML()->SetOptions({hoShowGridLines, hoBoldHeaders, hoAutoLink, hoOddRowColoring, hoDisplayTitle});
    std::vector<TztExportError> errors;
    exporter->OnError = [&errors](fw::TObject*, TztExportError Error) { errors.push_back(Error); };

    const Format formats[] = {
        {xtTXT, "TXT"},  {xtCSV, "CSV"}, {xtTAB, "TAB"},   {xtHTML, "HTML"}, {xtRTF, "RTF"},
        {xtWord, "DOC"}, {xtDIF, "DIF"}, {xtSYLK, "SYLK"}, {xtExcel, "XLS"}, {xtClipboard, "Clipboard"}};
    constexpr size_t kFormats = std::size(formats);

    // A first, untimed run of each format gives its size; the clipboard gets the
    // padded text as UTF-16: twice the characters of the TXT file, and its
    // baseline puts as many bytes on the clipboard.
    int64_t bytes[kFormats] = {};
    for (size_t f = 0; f < kFormats; ++f) {
        exporter->SetFileName(folder + L"bench_export");
        exporter->SetExportType(formats[f].type == xtClipboard ? xtTXT : formats[f].type);
        exporter->Execute();
        const std::wstring file = folder + L"bench_export." + exporter->GetDefaultExtension();
        bytes[f] = FileSize(file) * (formats[f].type == xtClipboard ? 2 : 1);
        DeleteFileW(file.c_str());
    }

    std::printf(
        "%d rows x %d columns, the main window's settings; best of %d rounds; baseline: a plain write of as "
        "many bytes as every save writes them, run after each export\n",
        kRows, kCols, kRounds);
    std::printf("load average before: %s\n", bench::LoadAverage().c_str());
    double best[kFormats], plain[kFormats], raw[kFormats];
    std::fill(std::begin(best), std::end(best), 1e9);
    std::fill(std::begin(plain), std::end(plain), 1e9);
    std::fill(std::begin(raw), std::end(raw), 1e9);
    bool reported[kFormats] = {};
    const std::wstring plainName = folder + L"bench_plain.tmp";
    for (int round = 0; round < kRounds; ++round) {
        for (size_t f = 0; f < kFormats; ++f) {
            exporter->SetFileName(folder + L"bench_export");
            exporter->SetExportType(formats[f].type);
            const std::wstring file = folder + L"bench_export." + exporter->GetDefaultExtension();
            const std::string plainBytes(size_t(bytes[f]), 'x');
            errors.clear();
            best[f] = std::min(best[f], bench::Millis([&] { exporter->Execute(); }) / 1000);
            reported[f] = !errors.empty();
            plain[f] = std::min(plain[f], bench::Millis([&] {
                                              if (formats[f].type == xtClipboard) PlainClipboard(plainBytes);
                                              else PlainWrite(plainName, plainBytes, false);
                                          }) / 1000);
            raw[f] = std::min(raw[f], bench::Millis([&] {
                                          if (formats[f].type == xtClipboard) PlainClipboard(plainBytes);
                                          else PlainWrite(plainName, plainBytes, true);
                                      }) / 1000);
            if (formats[f].type != xtClipboard) DeleteFileW(file.c_str());
        }
    }

    std::printf("%-10s %9s %10s %12s %9s %7s %9s %7s\n", "format", "seconds", "rows/s", "bytes", "plain s", "ratio",
                "raw s", "raw");
    bool over = false;
    for (size_t f = 0; f < kFormats; ++f) {
        const double ratio = plain[f] > 0 ? best[f] / plain[f] : 0.0;
        over = over || ratio > kMostRatio;
        // The sheet holds 16,384 rows; the export says that it left out the rest.
        const char* note = !reported[f]                 ? ""
                           : formats[f].type == xtExcel ? "  (rows past the sheet's end left out, as reported)"
                                                        : "  (reported an error)";
        std::printf("%-10s %9.3f %10.0f %12lld %9.4f %6.1fx %9.4f %6.1fx%s%s\n", formats[f].name, best[f],
                    kRows / best[f], static_cast<long long>(bytes[f]), plain[f], ratio, raw[f],
                    raw[f] > 0 ? best[f] / raw[f] : 0.0, ratio > kMostRatio ? "  OVER" : "", note);
    }
    // The phases of one export of each format, marked by its events: start to
    // header (progress window, columns, head), the rows, footer to end (tail,
    // saving, closing the window).
    std::printf("phases of one export, ms: start-to-header, rows, footer-to-end\n");
    for (const Format& f : formats) {
        double marks[4] = {};
        exporter->OnBeginExport = [&](fw::TObject*) { marks[0] = Clock(); };
        exporter->OnGetHeader = [&](fw::TObject*, uint32_t, std::wstring&) { marks[1] = Clock(); };
        exporter->OnGetFooter = [&](fw::TObject*, uint32_t, std::wstring&) { marks[2] = Clock(); };
        exporter->OnEndExport = [&](fw::TObject*) { marks[3] = Clock(); };
        double best[3] = {1e9, 1e9, 1e9};
        exporter->SetFileName(folder + L"bench_export");
        exporter->SetExportType(f.type);
        for (int round = 0; round < kRounds; ++round) {
            exporter->Execute();
            for (int i = 0; i < 3; ++i) best[i] = std::min(best[i], marks[i + 1] - marks[i]);
        }
        if (f.type != xtClipboard) DeleteFileW((folder + L"bench_export." + exporter->GetDefaultExtension()).c_str());
        std::printf("  %-10s %7.1f %7.1f %7.1f\n", f.name, best[0], best[1], best[2]);
    }
    exporter->OnBeginExport = nullptr;
    exporter->OnGetHeader = nullptr;
    exporter->OnGetFooter = nullptr;
    exporter->OnEndExport = nullptr;
    PrintStages(grid, exporter, folder);
    std::printf("load average after: %s\n", bench::LoadAverage().c_str());
    std::printf(over ? "a format takes more than %.0f times its plain write\n"
                     : "every format within %.0f times its plain write\n",
                kMostRatio);
    return over ? 1 : 0;
}
