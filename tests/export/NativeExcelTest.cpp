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

TEST_F(NativeExcel, CursorStepsOfEveryDirection) {
    // Each direction moves one cell, and at its edge goes on in the next column or row.
    const struct {
        TztMoveAfterEnter move;
        uint16_t row, col, wantRow, wantCol;
    } steps[] = {
        {maNone, 5, 5, 5, 5},  {maUp, 5, 5, 4, 5},       {maUp, 1, 5, 65535, 4}, {maUp, 1, 1, 1, 1},
        {maDown, 5, 5, 6, 5},  {maDown, 65535, 5, 1, 6}, {maLeft, 5, 5, 5, 4},   {maLeft, 5, 1, 4, 256},
        {maRight, 5, 5, 5, 6}, {maRight, 5, 256, 6, 1},
    };
    for (const auto& s : steps) {
        x.SetMoveAfterEnter(s.move);
        x.SetRow(s.row);
        x.SetColumn(s.col);
        x.WriteBlank();
        EXPECT_EQ(x.Row(), s.wantRow) << int(s.move) << " from " << s.row << "," << s.col;
        EXPECT_EQ(x.Column(), s.wantCol) << int(s.move) << " from " << s.row << "," << s.col;
    }
}

TEST_F(NativeExcel, CellAttributesLabelsAndSheetRecords) {
    EXPECT_EQ(x.Version(), L"1.25");
    x.SetFileName(L"report.txt");
    EXPECT_EQ(x.FileName(), L"report.XLS");
    x.SetFileName(L"Report.xls");
    EXPECT_EQ(x.FileName(), L"Report.xls");
    x.SetHidden(true);
    x.SetShading(true);
    x.SetBorders({ebTop, ebRight});
    x.SetAlignment(eaRight);
    x.SetRow(3);
    x.SetColumn(2);
    x.WriteLabel(std::wstring(300, L'x'));
    x.SetHidden(false);
    x.SetLocked(false);
    x.SetShading(false);
    x.SetBorders({});
    x.SetAlignment(eaMultiPlan);
    x.WriteLabel(L"");
    x.SetAlignment(eaCenter);
    x.WriteBoolErr(3);
    x.WriteVariantCell(TztVariant::OfType(varVariant));
    x.WriteProtect(true);
    x.WriteHeader(L"top");
    x.WriteFooter(L"&P");
    x.WriteColWidth(2, 4, 20);
    x.WriteTopMargin(0.5);
    auto records = Records();
    ASSERT_EQ(records.size(), 13u);  // BOF, CODEPAGE, DIMENSIONS, XF, four cells, five sheet records
    EXPECT_EQ(records[4].first, 0x0004);
    ASSERT_EQ(records[4].second.size(), 8u + 255u) << "cut to 255 characters";
    EXPECT_EQ(records[4].second.substr(0, 8), Le16(2) + Le16(1) + std::string("\xC0\x00\xB3\xFF", 4));
    EXPECT_EQ(records[5].second, Le16(2) + Le16(2) + std::string("\x00\x00\x07\x00", 4)) << "an empty label";
    EXPECT_EQ(records[6].second.substr(4), std::string("\x00\x00\x02\x07\x01", 5)) << "#DIV/0!";
    EXPECT_EQ(records[7].second.substr(7), std::string("\x0F\x01", 2)) << "#VALUE!";
    EXPECT_EQ(records[8], std::make_pair(0x0012, Le16(1)));
    EXPECT_EQ(records[9], std::make_pair(0x0014, std::string("\x03top")));
    EXPECT_EQ(records[10], std::make_pair(0x0015, std::string("\x02&P")));
    EXPECT_EQ(records[11], std::make_pair(0x0024, std::string("\x01\x03", 2) + Le16(20 * 256)));
    EXPECT_EQ(records[12], std::make_pair(0x0028, Double(0.5)));
    // After the end, the next record starts a new sheet; so does another version.
    x.EndFile();
    EXPECT_EQ(x.State(), 2);
    EXPECT_EQ(Records().back().first, 0x000A);
    x.WriteBlank();
    records = Records();
    EXPECT_EQ(x.State(), 1);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].first, 0x0009);
    x.SetBIFF(bvBIFF3);
    EXPECT_EQ(Records().size(), 3u);
}
