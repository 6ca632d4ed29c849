// Every format's bytes for a few grids (hostile texts, characters in and beyond
// the code page, wide and tall), compared with reference documents kept with the
// tests (tests/export/reference, built into this executable). A change of the
// writers that alters a single byte fails here. Each run leaves what it wrote in
// the scratch folder "export-reference", named as the references are, so an
// intended change is taken over by copying those files.
#include <gtest/gtest.h>

#include "export/StringGridExport.h"
#include "tests/export/ExportTestSource.h"

namespace {

// The references are resources: string N names the document, RCDATA N holds it.
constexpr int kFirstReference = 27001;

std::map<std::string, std::string> References() {
    std::map<std::string, std::string> refs;
    const HMODULE module = GetModuleHandleW(nullptr);
    for (int id = kFirstReference;; ++id) {
        const wchar_t* name = nullptr;
        const int length = LoadStringW(module, UINT(id), reinterpret_cast<wchar_t*>(&name), 0);
        if (length <= 0) break;
        const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
        const HGLOBAL data = info ? LoadResource(module, info) : nullptr;
        const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
        refs[Utf8(std::wstring(name, size_t(length)))] =
            bytes ? std::string(bytes, SizeofResource(module, info)) : std::string();
    }
    return refs;
}

using Grid = std::vector<std::vector<std::wstring>>;

std::wstring LongCell() {
    std::wstring cell;
    while (cell.size() < 300) cell += L"long cell " + std::to_wstring(cell.size()) + L" ";
    return cell;
}

// Captions first (the grid's fixed row), then the data rows.
Grid HostileGrid() {
    return {{L"Name", L"Size, bytes", L"Notes \"x\"", L"Path"},
            {L"a,b", L"say \"hi\"", L"semi;colon", L"  both ends  "},
            {L"C:\\Users\\x\\a.txt", L"a&b <tag>", L"x > y & z < w", L"{braces} back\\slash\\"},
            {L"crlf\r\ninside", L"bare\nlf", L"cr\ronly", L"tab\there"},
            {L"", L"", L"", L""},
            {L"mailto:x@y.z", L"see http://a.b/c?d=1&e=2", L"007", L"1e5"},
            {L"70000", L"-0", L"3.5", L"12"},
            {LongCell(), L"it's", L"\"quoted\"", L"  "},
            {L"=1+2", L"@SUM", L"-", L"100%"}};
}

// Every character in the code page (1252): the documents stay in it.
Grid AnsiGrid() {
    return {{L"Name", L"Caf\u00e9", L"Price"},
            {L"\u20acuro", L"caf\u00e9 \u00fc", L"\u201cq\u201d"},
            {L"na\u00efve", L"\u00a9 \u00ae \u2122", L"\u00bd"}};
}

// Characters the code page lacks, surrogate pairs among them.
Grid UnicodeGrid() {
    return {{L"Name", L"\u0416\u0443\u0440\u043d\u0430\u043b", L"Size"},
            {L"\u03a9mega \u0416", L"\u65e5\u672c\u8a9e", L"\U0001F600 x"},
            {L"\U00020000\U00020001", L"\u0101 macron", L"caf\u00e9"},
            {L"\U0001F600\U0001F600\U0001F600", L"", L"\u20ac"}};
}

Grid WideGrid() {
    Grid grid(6);
    for (int col = 0; col < 40; ++col) grid[0].push_back(L"Column " + std::to_wstring(col));
    for (size_t row = 1; row < grid.size(); ++row)
        for (int col = 0; col < 40; ++col)
            grid[row].push_back(std::wstring(size_t((row * 7 + size_t(col) * 3) % 11), L'x') + std::to_wstring(col));
    return grid;
}

// Tall enough that rows cross the writers' blocks of kept text (64K characters).
Grid TallGrid() {
    Grid grid = {{L"Name", L"In folder", L"Size and type"}};
    for (int row = 1; row <= 700; ++row) {
        const std::wstring n = std::to_wstring(row);
        grid.push_back({L"  file" + n + L" with a name of some length.txt",
                        L"C:\\data\\folder " + std::to_wstring(row % 97) + L"\\sub folder\\deeper",
                        std::to_wstring(row * 37 % 1000) + (row % 3 ? L" KB, Text Document" : L" KB, Folder")});
    }
    return grid;
}

struct Format {
    TztExportType type;
    const char* name;
};

const Format kFormats[] = {
    {xtHTML, "html"}, {xtExcel, "xls"}, {xtWord, "doc"}, {xtTXT, "txt"},   {xtCSV, "csv"},
    {xtTAB, "tab"},   {xtRTF, "rtf"},   {xtDIF, "dif"},  {xtSYLK, "sylk"}, {xtClipboard, "clipboard"}};

std::string ClipboardBytes() {
    return Utf8(ClipboardText());
}

class ReferenceOutput : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::ScratchRoot() + L"export-reference";
        CreateDirectoryW(folder_.c_str(), nullptr);
        owner_ = std::make_unique<fw::TComponent>(nullptr);
        grid_ = new fw::TStringGrid(owner_.get());
        e_ = new TztStringGridExport(owner_.get());
        e_->SetStringGrid(grid_);
        // The main window's settings, but for the date line (it changes) and the progress window.
        e_->SetExportStyle(xsFile);
        e_->SetOptions({xoClipboardMessage, xoFooterLine, xoHeaderLine, xoShowHeader, xoUseAlignments});
        e_->HTML()->SetTitle(L"Tabulorin");
        e_->OnError = [this](fw::TObject*, TztExportError code) { errors_.push_back(code); };
    }
    void Fill(const Grid& Rows) {
        grid_->SetColCount(int(Rows[0].size()));
        grid_->SetRowCount(int(Rows.size()));
        grid_->SetFixedRows(1);
        grid_->SetFixedCols(0);
        for (size_t r = 0; r < Rows.size(); ++r)
            for (size_t c = 0; c < Rows[r].size(); ++c) grid_->SetCells(int(c), int(r), Rows[r][c]);
    }
    // Writes every format of the grid as it is set up and compares each with its reference.
    void Compare(const std::string& Name) {
        static const std::map<std::string, std::string> refs = References();
        for (const Format& f : kFormats) {
            const std::string file = Name + "-" + f.name + (f.type == xtClipboard ? ".txt" : "");
            const std::wstring wfile(file.begin(), file.end());
            e_->SetExportType(f.type);
            e_->SetFileName(folder_ + L"\\" + wfile);
            e_->Execute();
            std::string bytes;
            if (f.type == xtClipboard) {
                bytes = ClipboardBytes();
                std::ofstream((folder_ + L"\\" + wfile).c_str(), std::ios::binary) << bytes;
            } else {
                // Named as the references are: with the format's extension.
                const std::wstring written = folder_ + L"\\" + wfile + L"." + e_->GetDefaultExtension();
                bytes = ReadBytes(written);
                const std::wstring kept = folder_ + L"\\" + wfile;
                MoveFileExW(written.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING);
            }
            // The word-processor document is the RTF document under another name.
            const auto ref = refs.find(f.type == xtWord ? Name + "-rtf" : file);
            if (ref == refs.end()) {
                ADD_FAILURE() << "no reference " << file;
                continue;
            }
            EXPECT_EQ(bytes.size(), ref->second.size()) << file;
            const auto diff = std::mismatch(bytes.begin(), bytes.end(), ref->second.begin(), ref->second.end());
            if (diff.first != bytes.end() || diff.second != ref->second.end())
                ADD_FAILURE() << file << " differs from its reference at byte " << (diff.first - bytes.begin());
        }
    }
    void TearDown() override { EXPECT_TRUE(errors_.empty()); }

    std::wstring folder_;
    std::unique_ptr<fw::TComponent> owner_;
    fw::TStringGrid* grid_ = nullptr;
    TztStringGridExport* e_ = nullptr;
    std::vector<TztExportError> errors_;
    MessageBoxRecorder boxes_;
};

}  // namespace

TEST_F(ReferenceOutput, MainWindowSettings) {
    Fill(HostileGrid());
    Compare("hostile");
    Fill(AnsiGrid());
    Compare("ansi");
    Fill(UnicodeGrid());
    Compare("unicode");
    Fill(WideGrid());
    Compare("wide");
    Fill(TallGrid());
    Compare("tall");
}

TEST_F(ReferenceOutput, RowNumbersTruncationHeaderAndFooter) {
    e_->SetOptions(e_->Options().Include(xoRowNumbers).Include(xoTruncate));
    e_->ColumnWidths()->Add(L"6");
    e_->ColumnWidths()->Add(L"x");
    e_->ColumnWidths()->Add(L"12");
    e_->OnGetHeader = [](fw::TObject*, uint32_t Count, std::wstring& Header) {
        Header = L"Listing of " + std::to_wstring(Count) + L" rows\r\nsecond line";
    };
    e_->OnGetFooter = [](fw::TObject*, uint32_t, std::wstring& Footer) { Footer = L"The end"; };
    e_->HTML()->SetTemplate(ctDark);
    e_->DOC_RTF()->SetTemplate(rtClassic);
    Fill(HostileGrid());
    Compare("hostile-numbered");
    Fill(UnicodeGrid());
    Compare("unicode-numbered");
    // Whole-row selection: the selected rows and columns only.
    e_->SetOptions(e_->Options().Include(xoSelectedRowsOnly));
    Fill(WideGrid());
    grid_->SetOptions(grid_->Options() | fw::goRowSelect);
    grid_->SetSelection(fw::TGridRect{3, 2, 12, 4});
    Compare("wide-selected");
}
