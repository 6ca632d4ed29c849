#pragma once
// A small in-memory data source for the export engine, and routines shared by
// the export tests (reading files back, recording events and message boxes).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/CustomExport.h"
#include "framework/Application.h"
#include "tests/common/TestEnv.h"

using namespace zt;

class TTestExport : public TztCustomExport {
public:
    explicit TTestExport(fw::TComponent* AOwner = nullptr) : TztCustomExport(AOwner) {
        SetOptions(Options().Exclude(xoShowProgress));
    }

    // The table: data rows of texts, the source's own column names.
    std::vector<std::vector<std::wstring>> Rows;
    std::vector<std::wstring> Names;
    std::vector<int> Alignments;     // per column; missing means 0
    std::vector<int> HiddenColumns;  // columns ColumnExported refuses
    std::vector<int> SelectedRows;   // rows RowSelected accepts
    bool Assigned = true;
    int NullCell = -1;  // a column whose cells are null values

    std::vector<std::wstring> Calls;  // data operations and hooks, in order

protected:
    void BeforeExport() override { Calls.push_back(L"BeforeExport"); }
    void AfterExport() override { Calls.push_back(L"AfterExport"); }
    void FirstRow() override { SetCurrentRow(0); }
    int ColumnAlignment(int Col) override { return Col < int(Alignments.size()) ? Alignments[size_t(Col)] : 0; }
    bool SourceAssigned() override { return Assigned; }
    bool EndOfRows() override { return CurrentRow() >= Rows.size(); }
    bool ColumnExported(int Col) override {
        return std::find(HiddenColumns.begin(), HiddenColumns.end(), Col) == HiddenColumns.end();
    }
    bool RowSelected(int Row) override {
        return std::find(SelectedRows.begin(), SelectedRows.end(), Row) != SelectedRows.end();
    }
    int NaturalColumnWidth(int Col) override {
        size_t width = 0;
        for (const auto& row : Rows)
            if (size_t(Col) < row.size()) width = std::max(width, row[size_t(Col)].size());
        return int(width);
    }
    std::wstring ColumnCaption(int Col) override {
        return Col < int(Names.size()) ? Names[size_t(Col)] : L"Col" + std::to_wstring(Col);
    }
    int PrepareColumns() override {
        Calls.push_back(L"PrepareColumns");
        return int(Names.size());
    }
    TztValues GetRowValues() override {
        TztValues values;
        const auto& row = Rows[CurrentRow()];
        for (size_t col = 0; col < Names.size(); ++col) {
            if (int(col) == NullCell) values.push_back(TztVariant::Null());
            else values.emplace_back(col < row.size() ? row[col] : std::wstring());
        }
        return values;
    }
    int GetRowCount() override { return int(Rows.size()); }
    std::wstring ClassName() const override { return L"TTestExport"; }
};

// The bytes of a file ("" when missing).
inline std::string ReadBytes(const std::wstring& FileName) {
    std::ifstream in(FileName.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileThere(const std::wstring& FileName) {
    return GetFileAttributesW(FileName.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The records of a spreadsheet stream as (code, data) pairs. A record whose
// length is not its kind's, or that runs past the end, fails the test at once
// (readers of such a file may loop or misread everything after it).
inline std::vector<std::pair<int, std::string>> SheetRecords(const std::string& s) {
    // The length each kind must have: fixed, or given by its own count byte at
    // an offset (LABEL, HEADER and FOOTER, FONT).
    static const std::map<int, size_t> kFixed = {{0x0000, 8}, {0x0001, 7}, {0x0002, 9}, {0x0003, 15}, {0x0005, 9},
                                                 {0x0009, 4}, {0x000A, 0}, {0x0012, 2}, {0x0024, 4},  {0x0026, 8},
                                                 {0x0027, 8}, {0x0028, 8}, {0x0029, 8}, {0x0042, 2},  {0x0043, 4}};
    static const std::map<int, std::pair<size_t, size_t>> kCounted = {
        {0x0004, {7, 8}}, {0x0014, {0, 1}}, {0x0015, {0, 1}}, {0x0031, {4, 5}}};
    std::vector<std::pair<int, std::string>> out;
    size_t i = 0;
    while (i + 4 <= s.size()) {
        const int code = uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8);
        const size_t len = uint8_t(s[i + 2]) | (uint8_t(s[i + 3]) << 8);
        const std::string data = s.substr(i + 4, len);
        size_t want = kFixed.count(code) ? kFixed.at(code) : size_t(-1);
        if (auto c = kCounted.find(code); c != kCounted.end())
            want = data.size() > c->second.first ? c->second.second + uint8_t(data[c->second.first]) : size_t(-1);
        if (data.size() != len || want != len) {
            ADD_FAILURE() << "record " << code << " at " << i << " has length " << len
                          << ", runs past the end or should have " << want;
            return out;
        }
        out.emplace_back(code, data);
        i += 4 + len;
    }
    if (i != s.size()) ADD_FAILURE() << "bytes after the last record";
    return out;
}

// The clipboard's Unicode text ("<closed>" when it cannot be opened).
inline std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<closed>";
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// UTF-16 text as UTF-8 (for comparing with file bytes and for JSON).
inline std::string Utf8(const std::wstring& Text) {
    if (Text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Replaces a hook while it lives.
template <class Hook>
class ScopedHook {
public:
    ScopedHook(Hook& Target, Hook Replacement) : target_(Target), saved_(Target) { Target = std::move(Replacement); }
    ~ScopedHook() { target_ = saved_; }

private:
    Hook& target_;
    Hook saved_;
};

// Records every message box instead of showing it.
struct MessageBoxRecorder {
    std::vector<std::wstring> Texts;
    ScopedHook<decltype(fw::TApplication::MessageBoxHook)> hook{
        fw::TApplication::MessageBoxHook, [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            Texts.push_back(Text);
            return IDOK;
        }};
};

// Records viewer calls instead of opening anything; answers with Result.
struct ViewerRecorder {
    explicit ViewerRecorder(intptr_t Result = 42)
        : hook(TztCustomExport::ViewerHook,
               [this, Result](HWND, const std::wstring& File, const std::wstring& Folder, int Show) {
                   Files.push_back(File);
                   Folders.push_back(Folder);
                   Shows.push_back(Show);
                   return Result;
               }) {}
    std::vector<std::wstring> Files, Folders;  // each file, and the working folder it was opened in
    std::vector<int> Shows;
    ScopedHook<decltype(TztCustomExport::ViewerHook)> hook;
};

// A test export of two named columns into a fresh scratch folder, without the
// date line. Errors are recorded; a test that expects some clears them.
class ExportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testenv::NewScratchFolder(L"export");
        e_ = std::make_unique<TTestExport>();
        e_->Names = {L"Name", L"Size"};
        e_->Rows = {{L"a.txt", L"12"}, {L"bb.doc", L"7"}};
        e_->SetExportStyle(xsFile);
        e_->SetFileName(folder_ + L"\\doc");
        Without(xoShowExportDate);
        e_->OnError = [this](fw::TObject*, TztExportError code) { errors_.push_back(code); };
    }
    void TearDown() override { EXPECT_TRUE(errors_.empty()); }

    // Runs the export and returns the written file's bytes.
    std::string Run(TztExportType Type) {
        e_->SetExportType(Type);
        e_->Execute();
        return ReadBytes(folder_ + L"\\doc." + e_->GetDefaultExtension());
    }
    void Without(TztExportOption o) { e_->SetOptions(e_->Options().Exclude(o)); }
    void With(TztExportOption o) { e_->SetOptions(e_->Options().Include(o)); }

    std::wstring folder_;
    std::unique_ptr<TTestExport> e_;
    std::vector<TztExportError> errors_;
};
