#pragma once
// A small in-memory data source for the export engine, and routines shared by
// the export tests (reading files back, recording events and message boxes).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "export/CustomExport.h"
#include "framework/Application.h"

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

    using TztCustomExport::CurrentRow;
    using TztCustomExport::ExportedCount;
    using TztCustomExport::RecordCount;

    std::vector<std::wstring> Calls;  // data operations and hooks, in order

protected:
    void BeforeExport() override { Calls.push_back(L"BeforeExport"); }
    void AfterExport() override { Calls.push_back(L"AfterExport"); }
    void FirstRow() override { SetCurrentRow(0); }
    int ColumnAlignment(int Col) override { return Col < int(Alignments.size()) ? Alignments[size_t(Col)] : 0; }
    bool SourceAssigned() override { return Assigned; }
    bool EndOfRows() override { return CurrentRow() >= Rows.size(); }
    bool ColumnExported(int Col) override {
        for (int c : HiddenColumns)
            if (c == Col) return false;
        return true;
    }
    bool RowSelected(int Row) override {
        for (int r : SelectedRows)
            if (r == Row) return true;
        return false;
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
    std::vector<std::pair<int, std::string>> out;
    size_t i = 0;
    for (; i + 4 <= s.size();) {
        const int code = uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8);
        const size_t len = uint8_t(s[i + 2]) | (uint8_t(s[i + 3]) << 8);
        if (i + 4 + len > s.size()) {
            ADD_FAILURE() << "record " << code << " at " << i << " runs past the end";
            return out;
        }
        const std::string data = s.substr(i + 4, len);
        // The length each kind must have: fixed, or given by its own count byte
        // (LABEL, HEADER and FOOTER, FONT).
        static const std::map<int, size_t> kFixed = {{0x0000, 8}, {0x0001, 7}, {0x0002, 9}, {0x0003, 15}, {0x0005, 9},
                                                     {0x0009, 4}, {0x000A, 0}, {0x0012, 2}, {0x0024, 4},  {0x0026, 8},
                                                     {0x0027, 8}, {0x0028, 8}, {0x0029, 8}, {0x0042, 2},  {0x0043, 4}};
        auto counted = [&](size_t at, size_t fixed) { return len > at ? fixed + uint8_t(data[at]) : size_t(-1); };
        size_t want = kFixed.count(code) ? kFixed.at(code) : size_t(-1);
        if (code == 0x0004) want = counted(7, 8);
        if (code == 0x0014 || code == 0x0015) want = counted(0, 1);
        if (code == 0x0031) want = counted(4, 5);
        if (want != len) {
            ADD_FAILURE() << "record " << code << " at " << i << " has length " << len;
            return out;
        }
        out.emplace_back(code, data);
        i += 4 + len;
    }
    if (i != s.size()) ADD_FAILURE() << "bytes after the last record";
    return out;
}

// UTF-16 text as UTF-8 (for comparing with file bytes and for JSON).
inline std::string Utf8(const std::wstring& Text) {
    if (Text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Records every message box instead of showing it; restores the hook on exit.
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        saved_ = fw::TApplication::MessageBoxHook;
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            Texts.push_back(Text);
            return IDOK;
        };
    }
    ~MessageBoxRecorder() { fw::TApplication::MessageBoxHook = saved_; }
    std::vector<std::wstring> Texts;

private:
    decltype(fw::TApplication::MessageBoxHook) saved_;
};

// Records viewer calls instead of opening anything; answers with Result.
class ViewerRecorder {
public:
    explicit ViewerRecorder(intptr_t Result = 42) : result_(Result) {
        saved_ = TztCustomExport::ViewerHook;
        TztCustomExport::ViewerHook = [this](HWND, const std::wstring& File, const std::wstring&, int) {
            Files.push_back(File);
            return result_;
        };
    }
    ~ViewerRecorder() { TztCustomExport::ViewerHook = saved_; }
    std::vector<std::wstring> Files;

private:
    intptr_t result_;
    decltype(TztCustomExport::ViewerHook) saved_;
};
