// The spreadsheet writer's records, cursor and limits.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "framework/Graphics.h"
#include "tests/export/ExportTestSource.h"

namespace {

std::string Le16(int v) {
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)};
}

std::string Double(double v) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &v, 8);
    return bytes;
}

class NativeExcel : public ::testing::Test {
protected:
    std::vector<std::pair<int, std::string>> Records() const {
        return SheetRecords(std::string(static_cast<const char*>(x.Stream()->Memory()), size_t(x.Stream()->Size())));
    }

    TztNativeExcel x{nullptr};
};

}  // namespace

TEST_F(NativeExcel, NewFileLabelsItsRecordsConsistently) {
    EXPECT_EQ(x.BIFF(), bvBIFF5);
    // The cells are of the first version's layout, so is the label.
    const std::vector<std::pair<int, std::string>> head = {{0x0009, Le16(0x0200) + Le16(0x0010)},
                                                           {0x0042, Le16(1252)},
                                                           {0x0000, Le16(0) + Le16(65535) + Le16(0) + Le16(256)}};
    EXPECT_EQ(Records(), head);
}

TEST_F(NativeExcel, CursorWrapsAfterTheLastColumn) {
    x.SetColumn(256);
    x.WriteBlank();
    EXPECT_EQ(x.Row(), 2);
    EXPECT_EQ(x.Column(), 1);
    x.SetRow(0);
    x.SetColumn(257);
    EXPECT_EQ(x.Row(), 2);
    EXPECT_EQ(x.Column(), 1);
}

TEST_F(NativeExcel, FontsAreLimitedAndActiveFontNamesOnlyWrittenOnes) {
    fw::TFont font;
    font.SetName(L"Arial");
    font.SetSize(10);
    font.SetStyle(fw::fsBold | fw::fsItalic);
    x.SetActiveFont(1);
    EXPECT_EQ(x.ActiveFont(), 0);
    x.WriteFont(&font);
    x.SetActiveFont(1);
    EXPECT_EQ(x.ActiveFont(), 0) << "font 1 is not written yet";
    for (int i = 0; i < 4; ++i) x.WriteFont(&font);
    EXPECT_EQ(x.FontCount(), 4);
    x.SetActiveFont(3);
    EXPECT_EQ(x.ActiveFont(), 3);
    x.SetActiveFont(4);
    EXPECT_EQ(x.ActiveFont(), 3);
    const auto records = Records();
    ASSERT_EQ(records.size(), 7u);  // BOF, CODEPAGE, DIMENSIONS and four fonts
    EXPECT_EQ(records[3], std::make_pair(0x0031, Le16(200) + Le16(3) + "\x05" + "Arial"));
    x.WriteBlank();
    const auto withBlank = Records();
    ASSERT_FALSE(withBlank.empty());
    EXPECT_EQ(withBlank.back().second.substr(4), std::string("\x40\xC0\x00", 3));
}

TEST_F(NativeExcel, VariantCells) {
    // Integers beyond 16 unsigned bits are numbers.
    const struct {
        TztVariant value;
        int code;
        std::string tail;
    } cells[] = {
        {TztVariant::Boolean(false), 0x0005, std::string("\0\0", 2)},
        {TztVariant::Null(), 0x0005, std::string("\0\x01", 2)},
        {TztVariant::Integer(70000), 0x0003, Double(70000)},
        {TztVariant::Integer(-1), 0x0003, Double(-1)},
        {TztVariant::Integer(65535), 0x0002, Le16(65535)},
        {TztVariant::Float(2.5), 0x0003, Double(2.5)},
        {TztVariant::OfType(varUnknown), 0x0005, "\x2A\x01"},  // #N/A
    };
    for (const auto& cell : cells) x.WriteVariantCell(cell.value);
    x.WriteVariantCell(TztVariant::OfType(varInt64));  // not written; the cursor stays
    x.WriteVariantCell(TztVariant());
    auto records = Records();
    records.erase(records.begin(), records.begin() + 4);  // header and format
    ASSERT_EQ(records.size(), std::size(cells) + 1);
    for (size_t i = 0; i < std::size(cells); ++i) {
        EXPECT_EQ(records[i].first, cells[i].code) << i;
        EXPECT_EQ(records[i].second.substr(7), cells[i].tail) << i;
    }
    EXPECT_EQ(records.back().first, 0x0001);
    EXPECT_EQ(records.back().second.substr(0, 4), Le16(0) + Le16(7));
}
