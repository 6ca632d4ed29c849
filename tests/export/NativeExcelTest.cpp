// The spreadsheet writer's records, cursor and limits.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "export/NativeExcel.h"
#include "framework/Graphics.h"
#include "tests/export/ExportTestSource.h"

namespace {

std::string Bytes(TztNativeExcel& x) {
    return std::string(static_cast<const char*>(x.Stream()->Memory()), size_t(x.Stream()->Size()));
}

std::string Le16(int v) {
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)};
}

}  // namespace

TEST(NativeExcel, NewFileLabelsItsRecordsConsistently) {
    std::unique_ptr<TztNativeExcel> x(new TztNativeExcel(nullptr));
    EXPECT_EQ(x->BIFF(), bvBIFF5);
    EXPECT_EQ(x->Version(), L"1.25");
    // The cells are of the first version's layout, so is the label.
    const std::vector<std::pair<int, std::string>> head = {{0x0009, Le16(0x0200) + Le16(0x0010)},
                                                           {0x0042, Le16(1252)},
                                                           {0x0000, Le16(0) + Le16(65535) + Le16(0) + Le16(256)}};
    EXPECT_EQ(SheetRecords(Bytes(*x)), head);
}

TEST(NativeExcel, CursorWrapsAfterTheLastColumn) {
    std::unique_ptr<TztNativeExcel> x(new TztNativeExcel(nullptr));
    x->SetColumn(256);
    x->WriteBlank();
    EXPECT_EQ(x->Row(), 2);
    EXPECT_EQ(x->Column(), 1);
    x->SetRow(0);
    x->SetColumn(257);
    EXPECT_EQ(x->Row(), 2);
    EXPECT_EQ(x->Column(), 1);
    x->SetMoveAfterEnter(maUp);
    x->SetRow(1);
    x->WriteBlank();
    EXPECT_EQ(x->Row(), 1);  // row 1 of column 1: nowhere to go
    x->SetColumn(3);
    x->WriteBlank();
    EXPECT_EQ(x->Row(), 65535);
    EXPECT_EQ(x->Column(), 2);
}

TEST(NativeExcel, FontsAreLimitedAndActiveFontNamesOnlyWrittenOnes) {
    std::unique_ptr<TztNativeExcel> x(new TztNativeExcel(nullptr));
    x->SetActiveFont(0);
    fw::TFont font;
    font.SetName(L"Arial");
    font.SetSize(10);
    font.SetStyle(fw::fsBold | fw::fsItalic);
    x->SetActiveFont(1);
    EXPECT_EQ(x->ActiveFont(), 0);
    x->WriteFont(&font);
    x->SetActiveFont(1);
    EXPECT_EQ(x->ActiveFont(), 0) << "font 1 is not written yet";
    for (int i = 0; i < 4; ++i) x->WriteFont(&font);
    EXPECT_EQ(x->FontCount(), 4);
    x->SetActiveFont(3);
    EXPECT_EQ(x->ActiveFont(), 3);
    x->SetActiveFont(4);
    EXPECT_EQ(x->ActiveFont(), 3);
    const auto records = SheetRecords(Bytes(*x));
    ASSERT_EQ(records.size(), 7u);  // BOF, CODEPAGE, DIMENSIONS and four fonts
    EXPECT_EQ(records[3].first, 0x0031);
    EXPECT_EQ(records[3].second, Le16(200) + Le16(3) +
                                     "\x05"
                                     "Arial");
    x->WriteBlank();
    EXPECT_EQ(SheetRecords(Bytes(*x)).back().second.substr(4), std::string("\x40\xC0\x00", 3));
}

TEST(NativeExcel, VariantCells) {
    std::unique_ptr<TztNativeExcel> x(new TztNativeExcel(nullptr));
    x->WriteVariantCell(TztVariant::Boolean(false));
    x->WriteVariantCell(TztVariant::Null());
    x->WriteVariantCell(TztVariant::Integer(70000));
    x->WriteVariantCell(TztVariant::Integer(-1));
    x->WriteVariantCell(TztVariant::Integer(65535));
    x->WriteVariantCell(TztVariant::Float(2.5));
    x->WriteVariantCell(TztVariant::OfType(varUnknown));
    x->WriteVariantCell(TztVariant::OfType(varInt64));  // not written; the cursor stays
    x->WriteVariantCell(TztVariant());
    auto records = SheetRecords(Bytes(*x));
    records.erase(records.begin(), records.begin() + 4);  // header and format
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0].first, 0x0005);
    EXPECT_EQ(records[0].second.substr(7), std::string("\0\0", 2));
    EXPECT_EQ(records[1].second.substr(7), std::string("\0\x01", 2));
    // Integers beyond 16 unsigned bits are numbers.
    EXPECT_EQ(records[2].first, 0x0003);
    double v;
    std::memcpy(&v, records[2].second.data() + 7, 8);
    EXPECT_EQ(v, 70000.0);
    EXPECT_EQ(records[3].first, 0x0003);
    EXPECT_EQ(records[4].first, 0x0002);
    EXPECT_EQ(records[4].second.substr(7), Le16(65535));
    EXPECT_EQ(records[5].first, 0x0003);
    EXPECT_EQ(records[6].second.substr(7), std::string("\x2A\x01", 2));  // #N/A
    EXPECT_EQ(records[7].first, 0x0001);
    EXPECT_EQ(records[7].second.substr(0, 4), Le16(0) + Le16(7));
}

TEST(NativeExcel, RecordsAfterTheEndStartANewSheetUnderItsOwnName) {
    std::unique_ptr<TztNativeExcel> x(new TztNativeExcel(nullptr));
    x->WriteLabel(L"old");
    x->EndFile();
    EXPECT_EQ(x->State(), 2);
    EXPECT_EQ(SheetRecords(Bytes(*x)).back().first, 0x000A);
    x->WriteProtect(true);
    const auto records = SheetRecords(Bytes(*x));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].first, 0x0009);
    EXPECT_EQ(records[3].first, 0x0012);
    x->SetFileName(L"report.txt");
    EXPECT_EQ(x->FileName(), L"report.XLS");
    x->SetFileName(L"Report.xls");
    EXPECT_EQ(x->FileName(), L"Report.xls");
    x->SetFileName(L"C:\\a.b\\report");
    EXPECT_EQ(x->FileName(), L"C:\\a.b\\report.XLS");
}
