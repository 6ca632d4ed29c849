#pragma once
// The DIF and SYLK documents: line-based, every value written as a string, no
// header or footer text, rules or created line.
#include <cstdint>
#include <string>
#include <vector>

#include "export/FormatWriter.h"

namespace zt {

// DIF: a head counting vectors and tuples, then each row as a tuple of string cells.
class TztDifWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteHead() override;
    void WriteCaptionRow(const TztValues& Captions) override;
    void WriteDataRow(const TztValues& Values) override;
    void Finish(const std::wstring& FileName) override;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    void AddTuple(const wchar_t* Lead, const TztValues& Values, bool IsHeader);

    // The line that counts the tuples, and the tuples written.
    size_t tuplesLine_ = 0;
    uint32_t tuples_ = 0;
    std::wstring cell_, line_;
};

// SYLK: one cell record per cell, its column and row numbers in it.
class TztSylkWriter : public TztFormatWriter {
public:
    using TztFormatWriter::TztFormatWriter;

    void WriteHead() override;
    void WriteCaptionRow(const TztValues& Captions) override;
    void WriteDataRow(const TztValues& Values) override;
    void Finish(const std::wstring& FileName) override;

protected:
    void AppendCells(std::wstring& Out, const TztValues& Values, bool IsHeader, bool RowNumbers) override;

private:
    void AddRecords(const TztValues& Values, bool IsHeader);

    std::wstring cell_, line_, y_;
    // Entry 0: the row-number column's record start; entry i + 1: column i's.
    std::vector<std::wstring> columnStarts_;
    size_t columnOffset_ = 0;
};

}  // namespace zt
