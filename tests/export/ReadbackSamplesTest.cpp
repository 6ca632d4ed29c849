// Writes one sample document per format into the scratch drive, with the cells
// they must give back, for the host-side read-back by independent programs
// (readback.py, run by CTest after this executable).
#include <gtest/gtest.h>

#include "export/StringGridExport.h"
#include "tests/export/ExportTestSource.h"

namespace {

const std::vector<std::wstring> kCaptions = {L"Name", L"Size, bytes", L"Notes \"x\"", L"Path"};

std::vector<std::vector<std::wstring>> SampleRows() {
    std::wstring longCell;
    while (longCell.size() < 300) longCell += L"long cell " + std::to_wstring(longCell.size()) + L" ";
    return {
        {L"a,b", L"say \"hi\"", L"semi;colon", L"  both ends  "},
        {L"C:\\Users\\x\\a.txt", L"a&b", L"<tag>", L"x > y & z < w"},
        {L"\u03a9mega \u0416", L"caf\u00e9 \u00fc", L"", longCell},
        {L"007", L"1e5", L"12", L"3.5"},
        {L"", L"", L"", L""},
        {L"{braces}", L"back\\slash\\", L"mailto:x@y.z", L"it's"},
        {L"x", L"\u03a9mega", L"\u00e9t\u00e9", L"\u0416"},
        {L"70000", L"0x1A", L"-0", L"inf"},
    };
}

class ReadbackSamples : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::ScratchRoot() + L"export-readback";
        CreateDirectoryW(folder_.c_str(), nullptr);
        owner_ = std::make_unique<fw::TComponent>(nullptr);
        grid_ = new fw::TStringGrid(owner_.get());
        e_ = new TztStringGridExport(owner_.get());
        grid_->SetColCount(int(kCaptions.size()));
        grid_->SetFixedRows(0);
        grid_->SetFixedCols(0);
        e_->SetStringGrid(grid_);
        for (const auto& caption : kCaptions) e_->Captions()->Add(caption);
        // The main window's settings, without the date line (it is no cell).
        e_->SetExportStyle(xsFile);
        e_->SetOptions({xoClipboardMessage, xoFooterLine, xoHeaderLine, xoShowHeader, xoUseAlignments});
        e_->HTML()->SetTitle(L"Tabulorin");
        e_->OnError = [this](fw::TObject*, TztExportError code) { errors_.push_back(code); };
    }
    void Fill(const std::vector<std::vector<std::wstring>>& Rows) {
        grid_->SetRowCount(std::max<int>(1, int(Rows.size())));
        for (int r = 0; r < grid_->RowCount(); ++r)
            for (int c = 0; c < grid_->ColCount(); ++c)
                grid_->SetCells(c, r, size_t(r) < Rows.size() ? Rows[size_t(r)][size_t(c)] : L"");
    }
    // Writes one sample and notes what a reader must find in it. A spreadsheet
    // file's records are checked here first: a reader may loop on a broken one.
    void Sample(const std::wstring& Name, TztExportType Type, const std::string& Format,
                const std::vector<std::vector<std::wstring>>& Expected) {
        e_->SetFileName(folder_ + L"\\" + Name);
        e_->SetExportType(Type);
        e_->Execute();
        const std::wstring file = Name + L"." + e_->GetDefaultExtension();
        const std::string bytes = ReadBytes(folder_ + L"\\" + file);
        ASSERT_FALSE(bytes.empty()) << Utf8(file);
        if (Type == xtExcel) {
            const auto records = SheetRecords(bytes);
            EXPECT_TRUE(!records.empty() && records.back().first == 0x000A) << "ends with its EOF record";
        }
        std::string entry = "{\"file\": " + testenv::JsonString(file) + ", \"format\": \"" + Format +
                            "\", \"codepage\": " + std::to_string(GetACP()) + ", \"rows\": [";
        for (size_t r = 0; r < Expected.size(); ++r) {
            entry += r ? ",\n[" : "\n[";
            for (size_t c = 0; c < Expected[r].size(); ++c)
                entry += (c ? ", " : "") + testenv::JsonString(Expected[r][c]);
            entry += "]";
        }
        entries_.push_back(entry + "]}");
    }
    void TearDown() override {
        EXPECT_TRUE(errors_.empty());
        if (expectedFile_.empty()) return;  // skipped
        std::string json = "{\"samples\": [\n";
        for (size_t i = 0; i < entries_.size(); ++i) json += entries_[i] + (i + 1 < entries_.size() ? ",\n" : "\n");
        std::ofstream((folder_ + L"\\" + expectedFile_).c_str(), std::ios::binary) << json << "]}\n";
    }

    std::wstring folder_;
    std::wstring expectedFile_;
    std::unique_ptr<fw::TComponent> owner_;
    fw::TStringGrid* grid_ = nullptr;
    TztStringGridExport* e_ = nullptr;
    std::vector<TztExportError> errors_;
    std::vector<std::string> entries_;
};

}  // namespace

TEST_F(ReadbackSamples, EveryFormat) {
    expectedFile_ = L"expected-formats.json";
    const auto rows = SampleRows();
    Fill(rows);
    std::vector<std::vector<std::wstring>> expected = {kCaptions};
    expected.insert(expected.end(), rows.begin(), rows.end());
    Sample(L"sample", xtCSV, "csv", expected);
    Sample(L"tab", xtTAB, "tab", expected);
    Sample(L"sample", xtHTML, "html", expected);
    Sample(L"sample", xtRTF, "rtf", expected);
    Sample(L"sample", xtWord, "rtf", expected);
    Sample(L"sample", xtDIF, "dif", expected);
    Sample(L"sample", xtSYLK, "sylk", expected);
    Sample(L"sample", xtExcel, "xls", expected);

    // Row numbers: the caption row's first field is empty.
    e_->SetOptions(e_->Options().Include(xoRowNumbers));
    std::vector<std::vector<std::wstring>> numbered;
    for (size_t r = 0; r < expected.size(); ++r) {
        numbered.push_back({r == 0 ? L"" : std::to_wstring(r)});
        numbered.back().insert(numbered.back().end(), expected[r].begin(), expected[r].end());
    }
    Sample(L"numbered", xtCSV, "csv", numbered);
    Sample(L"numbered", xtSYLK, "sylk", numbered);
    Sample(L"numbered", xtExcel, "xls", numbered);
    Sample(L"numbered", xtHTML, "html", numbered);
}

TEST_F(ReadbackSamples, AnsiOnlyAndEmptyGrids) {
    expectedFile_ = L"expected-small.json";
    // Every character in the code page: the file is in the code page.
    std::vector<std::vector<std::wstring>> rows = {{L"\u20acuro", L"caf\u00e9", L"\u201cq\u201d", L"x"}};
    Fill(rows);
    Sample(L"ansi", xtCSV, "csv-ansi", {kCaptions, rows[0]});
    Sample(L"ansi", xtHTML, "html-ansi", {kCaptions, rows[0]});

    // Tabs and line breaks: one blank each where a format cannot carry them.
    rows = {{L"tab\there", L"two\r\nlines", L"cr\ronly", L"lf\nonly"}};
    Fill(rows);
    const std::vector<std::wstring> blanks = {L"tab here", L"two lines", L"cr only", L"lf only"};
    Sample(L"breaks", xtTAB, "tab", {kCaptions, blanks});
    Sample(L"breaks", xtDIF, "dif", {kCaptions, blanks});
    Sample(L"breaks", xtSYLK, "sylk", {kCaptions, blanks});

    // More rows than the sheet holds: the readers take the rows that fit.
    rows.assign(16390, std::vector<std::wstring>(kCaptions.size()));
    for (size_t r = 0; r < rows.size(); ++r) rows[r][0] = L"r" + std::to_wstring(r);
    Fill(rows);
    std::vector<std::vector<std::wstring>> fit = {kCaptions};
    fit.insert(fit.end(), rows.begin(), rows.begin() + 16383);
    Sample(L"long", xtExcel, "xls", fit);
    ASSERT_EQ(errors_, std::vector<TztExportError>{xeRowsLeftOut});
    errors_.clear();
    // So does a header longer than the sheet: its lines down to the last row, nothing after them.
    std::wstring header;
    fit.clear();
    for (int i = 0; i < 16390; ++i) {
        header += L"h" + std::to_wstring(i) + L"\r\n";
        if (i < 16384) fit.push_back({L"h" + std::to_wstring(i), L"", L"", L""});
    }
    e_->OnGetHeader = [&header](fw::TObject*, uint32_t, std::wstring& h) { h = header; };
    Sample(L"long-header", xtExcel, "xls", fit);
    e_->OnGetHeader = nullptr;
    ASSERT_EQ(errors_, std::vector<TztExportError>{xeRowsLeftOut});
    errors_.clear();

    // One empty row is all an empty grid has.
    Fill({});
    const std::vector<std::wstring> empty(kCaptions.size());
    Sample(L"empty-caption", xtCSV, "csv", {kCaptions, empty});
    Sample(L"empty-caption", xtHTML, "html", {kCaptions, empty});
    Sample(L"empty-caption", xtExcel, "xls", {kCaptions, empty});
    e_->SetOptions(e_->Options().Exclude(xoShowHeader));
    Sample(L"empty", xtCSV, "csv", {empty});
    Sample(L"empty", xtHTML, "html", {empty});
    Sample(L"empty", xtDIF, "dif", {empty});
}

TEST_F(ReadbackSamples, UnderADoubleByteCodePage) {
    // Run by export_dbcs, with Wine's code page that of Japanese.
    CPINFO info{};
    if (!GetCPInfo(GetACP(), &info) || info.MaxCharSize < 2) GTEST_SKIP() << "not a double-byte code page";
    expectedFile_ = L"expected-dbcs.json";
    const std::vector<std::wstring> captions = {L"\u540d\u524d", L"\u30b5\u30a4\u30ba", L"\u7a2e\u985e", L"x"};
    e_->Captions()->Clear();
    for (const auto& caption : captions) e_->Captions()->Add(caption);
    // All in the code page: kanji (two of them end in the byte of a backslash),
    // Greek and Cyrillic, half-width katakana.
    std::vector<std::vector<std::wstring>> rows = {
        {L"\u65e5\u65e5\u65e5", L"\u8868\u793a \u30bd", L"\u03a9 \u0416", L"\uff76\uff80\uff76\uff85"}};
    Fill(rows);
    std::vector<std::vector<std::wstring>> expected = {captions, rows[0]};
    Sample(L"dbcs-ansi", xtCSV, "csv-ansi", expected);
    Sample(L"dbcs-ansi", xtHTML, "html-ansi", expected);
    Sample(L"dbcs-ansi", xtRTF, "rtf", expected);
    // And characters it lacks. (DIF and SYLK name no code page: a reader takes them in its own.)
    rows.push_back({L"caf\u00e9", L"\u20ac", L"\u65e5\u672c x", L"C:\\\u8868\\a.txt"});
    Fill(rows);
    expected.push_back(rows[1]);
    Sample(L"dbcs", xtCSV, "csv", expected);
    Sample(L"dbcs-tab", xtTAB, "tab", expected);
    Sample(L"dbcs", xtHTML, "html", expected);
    Sample(L"dbcs", xtRTF, "rtf", expected);
    Sample(L"dbcs", xtWord, "rtf", expected);
    Sample(L"dbcs", xtExcel, "xls", expected);
}
