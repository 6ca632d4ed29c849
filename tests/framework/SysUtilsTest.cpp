// Text, number, Format and path routines, on the class library's rules.
#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "framework/Exception.h"
#include "tests/common/TestEnv.h"

namespace {

using fw::Format;

TEST(Texts, TrimFoldingComparingAndReplacing) {
    EXPECT_EQ(fw::Trim(L" \t\r\n a b \r\n"), L"a b");
    EXPECT_EQ(fw::Trim(L"   "), L"");
    EXPECT_EQ(fw::Trim(L"\u00A0x"), L"\u00A0x");  // a no-break space is text
    // Plain routines fold ASCII only, locale routines fold all.
    EXPECT_EQ(fw::UpperCase(L"abcdefghijklmnopqrstuvwxyz\u00E9"), L"ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00E9");
    EXPECT_EQ(fw::AnsiUpperCase(L"abc\u00E9"), L"ABC\u00C9");
    EXPECT_TRUE(fw::SameText(L"File.TXT", L"file.txt"));
    EXPECT_FALSE(fw::SameText(L"\u00E9", L"\u00C9"));
    EXPECT_TRUE(fw::AnsiSameText(L"\u00E9", L"\u00C9"));
    EXPECT_LT(fw::AnsiCompareText(L"a", L"B"), 0);
    EXPECT_LT(fw::CompareText(L"ab", L"abc"), 0);
    EXPECT_EQ(fw::StringReplace(L"a-b-c", L"-", L"+", 0), L"a+b-c");
    EXPECT_EQ(fw::StringReplace(L"a-b-c", L"-", L"--", fw::rfReplaceAll), L"a--b--c");
    EXPECT_EQ(fw::StringReplace(L"%TEMP%\\%date%\\%Date%", L"%DATE%", L"x", fw::rfReplaceAll | fw::rfIgnoreCase),
              L"%TEMP%\\x\\x");
    EXPECT_EQ(fw::StringReplace(L"abc", L"", L"x", fw::rfReplaceAll), L"abc");
    // A lower-case pattern finds every case of the text, and the text's other letters keep their case.
    EXPECT_EQ(fw::StringReplace(L"Ab-DATE-date-Date", L"date", L"d", fw::rfReplaceAll | fw::rfIgnoreCase), L"Ab-d-d-d");
    EXPECT_EQ(fw::StringReplace(L"xÄöx", L"äÖ", L"-", fw::rfIgnoreCase), L"x-x");
}

TEST(Numbers, StrToIntIntToHexAndFloatToStrOnTheClassLibrarysRules) {
    EXPECT_EQ(fw::StrToIntDef(L"42", 0), 42);
    EXPECT_EQ(fw::StrToIntDef(L"  -17", 0), -17);
    EXPECT_EQ(fw::StrToIntDef(L"+5", 0), 5);
    EXPECT_EQ(fw::StrToIntDef(L"$1F", 0), 31);
    EXPECT_EQ(fw::StrToIntDef(L"0x1f", 0), 31);
    EXPECT_EQ(fw::StrToIntDef(L"$FFFFFFFF", 0), -1);
    EXPECT_EQ(fw::StrToIntDef(L"-2147483648", 0), std::numeric_limits<int>::min());
    int v = 7;
    EXPECT_FALSE(fw::TryStrToInt(L"2147483648", v));
    EXPECT_FALSE(fw::TryStrToInt(L"12 ", v));
    EXPECT_FALSE(fw::TryStrToInt(L"", v));
    EXPECT_FALSE(fw::TryStrToInt(L"-", v));
    EXPECT_FALSE(fw::TryStrToInt(L"1.5", v));
    EXPECT_FALSE(fw::TryStrToInt(L"$", v));
    EXPECT_EQ(v, 7);
    EXPECT_EQ(fw::StrToIntDef(L"x", -3), -3);
    int64_t w = 0;
    EXPECT_TRUE(fw::TryStrToInt64(L"-9223372036854775808", w));
    EXPECT_EQ(w, std::numeric_limits<int64_t>::min());
    EXPECT_FALSE(fw::TryStrToInt64(L"9223372036854775808", w));
    EXPECT_EQ(fw::IntToHex(255, 4), L"00FF");
    EXPECT_EQ(fw::IntToHex(255, 1), L"FF");
    EXPECT_EQ(fw::IntToHex(-1, 2), L"FFFFFFFF");
    EXPECT_EQ(fw::IntToHex(int64_t(-1), 2), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(fw::IntToHex(0, 0), L"0");
    // FloatToStr gives the shortest form.
    EXPECT_EQ(fw::FloatToStr(0.5), L"0.5");
    EXPECT_EQ(fw::FloatToStr(0.1 + 0.2), L"0.3");
    EXPECT_EQ(fw::FloatToStr(100), L"100");
    EXPECT_EQ(fw::FloatToStr(-2.25), L"-2.25");
    EXPECT_EQ(fw::FloatToStr(0), L"0");
    EXPECT_EQ(fw::FloatToStr(1e20), L"1E20");
    EXPECT_EQ(fw::FloatToStr(1e15), L"1E15");
    EXPECT_EQ(fw::FloatToStr(999999999999999.0), L"999999999999999");
    EXPECT_EQ(fw::FloatToStr(0.00001), L"0.00001");
    EXPECT_EQ(fw::FloatToStr(-1.5e-7), L"-1.5E-7");
    EXPECT_EQ(fw::FloatToStr(123456789012345678.0), L"1.23456789012346E17");
    fw::TFormatSettings comma;
    comma.DecimalSeparator = L',';
    EXPECT_EQ(fw::FloatToStr(1.5, comma), L"1,5");
}

TEST(FormatTest, IntegersStringsFloatsAndBadFormats) {
    EXPECT_EQ(Format(L"%d of %s", {42, L"x"}), L"42 of x");
    EXPECT_EQ(Format(L"[%5d|%-5d]", {42, 42}), L"[   42|42   ]");
    EXPECT_EQ(Format(L"%.3d %.3d", {7, -7}), L"007 -007");
    EXPECT_EQ(Format(L"%d", {std::numeric_limits<int64_t>::min()}), L"-9223372036854775808");
    EXPECT_EQ(Format(L"%d", {std::numeric_limits<uint64_t>::max()}), L"18446744073709551615");
    EXPECT_EQ(Format(L"%u", {-1}), L"4294967295");
    EXPECT_EQ(Format(L"%x %.4X", {255, 255}), L"FF 00FF");
    EXPECT_EQ(Format(L"%x", {int64_t(-1)}), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format(L"%*d|%-*.*d", {4, 1, 5, 3, 2}), L"   1|002  ");
    EXPECT_EQ(Format(L"100%%", {}), L"100%");
    EXPECT_EQ(Format(L"Name %d", {3}), L"Name 3");
    EXPECT_EQ(Format(L"%.2s|%4s|%-4s|", {L"abc", L"ab", L"ab"}), L"ab|  ab|ab  |");
    EXPECT_EQ(Format(L"%1:s %0:s %s", {L"a", L"b", L"c"}), L"b a b");
    EXPECT_EQ(Format(L"%s", {std::wstring(L"std")}), L"std");
    EXPECT_EQ(Format(L"%s%s", {L'c', std::wstring_view(L"v")}), L"cv");
    EXPECT_EQ(Format(L"no args", {}), L"no args");
    const fw::TFormatSettings s;
    EXPECT_EQ(Format(L"%f", {2.5}, s), L"2.50");
    EXPECT_EQ(Format(L"%.1f|%.0f|%.2f", {0.25, 2.5, 0.125}, s), L"0.3|3|0.13");  // half away from zero
    EXPECT_EQ(Format(L"%.2f", {-0.001}, s), L"0.00");
    EXPECT_EQ(Format(L"%.1f", {-0.05}, s), L"-0.1");
    EXPECT_EQ(Format(L"%f", {3}, s), L"3.00");
    EXPECT_EQ(Format(L"%n", {1234567.891}, s), L"1,234,567.89");
    EXPECT_EQ(Format(L"%.0n", {-999.5}, s), L"-1,000");
    EXPECT_EQ(Format(L"%e", {1234.5}, s), L"1.23450000000000E+003");
    EXPECT_EQ(Format(L"%.3e", {-0.00012345}, s), L"-1.23E-004");
    EXPECT_EQ(Format(L"%g|%g", {0.5, 1e-10}, s), L"0.5|1E-10");
    EXPECT_EQ(Format(L"%8.2f|", {3.14159}, s), L"    3.14|");
    fw::TFormatSettings german = s;
    german.DecimalSeparator = L',';
    german.ThousandSeparator = L'.';
    EXPECT_EQ(Format(L"%.2n", {1234.5}, german), L"1.234,50");
    // Bad formats raise.
    try {
        Format(L"%d", {L"x"});
        FAIL();
    } catch (const fw::EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Format '%d' invalid or incompatible with argument");
    }
    EXPECT_THROW(Format(L"%s", {1}), fw::EConvertError);
    EXPECT_THROW(Format(L"%d %d", {1}), fw::EConvertError);
    EXPECT_THROW(Format(L"%", {1}), fw::EConvertError);
    EXPECT_THROW(Format(L"%q", {1}), fw::EConvertError);
    EXPECT_THROW(Format(L"%f", {L"1"}), fw::EConvertError);
}

TEST(Paths, PartsExtensionsAndTrailingDelimiters) {
    EXPECT_EQ(fw::ExtractFileExt(L".bashrc"), L".bashrc");
    EXPECT_EQ(fw::ExtractFileExt(L"C:\\x\\.bashrc"), L".bashrc");
    EXPECT_EQ(fw::ExtractFileExt(L"a.b\\c"), L"");
    EXPECT_EQ(fw::ExtractFileExt(L"C:\\a\\b.tar.gz"), L".gz");
    EXPECT_EQ(fw::ExtractFileExt(L"name."), L".");
    EXPECT_EQ(fw::ExtractFileExt(L"C:.txt"), L".txt");
    EXPECT_EQ(fw::ExtractFileExt(L""), L"");
    EXPECT_EQ(fw::ExtractFileName(L"C:\\a\\b.txt"), L"b.txt");
    EXPECT_EQ(fw::ExtractFileName(L"C:b.txt"), L"b.txt");
    EXPECT_EQ(fw::ExtractFileName(L"b.txt"), L"b.txt");
    EXPECT_EQ(fw::ExtractFileName(L"C:\\a\\"), L"");
    EXPECT_EQ(fw::ExtractFilePath(L"C:\\a\\b.txt"), L"C:\\a\\");
    EXPECT_EQ(fw::ExtractFilePath(L"C:b"), L"C:");
    EXPECT_EQ(fw::ExtractFilePath(L"b"), L"");
    EXPECT_EQ(fw::ExtractFileDir(L"C:\\a\\b.txt"), L"C:\\a");
    EXPECT_EQ(fw::ExtractFileDir(L"C:\\a"), L"C:\\");
    EXPECT_EQ(fw::ExtractFileDir(L"\\a"), L"\\");
    EXPECT_EQ(fw::ExtractFileDir(L"\\\\srv\\sh\\x"), L"\\\\srv\\sh");
    EXPECT_EQ(fw::ExtractFileDir(L"C:\\a\\"), L"C:\\a");
    EXPECT_EQ(fw::ExtractFileDir(L"b"), L"");
    EXPECT_EQ(fw::ExtractFileDrive(L"C:\\x"), L"C:");
    EXPECT_EQ(fw::ExtractFileDrive(L"c:"), L"c:");
    EXPECT_EQ(fw::ExtractFileDrive(L"\\\\server\\share\\dir\\f"), L"\\\\server\\share");
    EXPECT_EQ(fw::ExtractFileDrive(L"\\\\server\\share\\"), L"\\\\server\\share");
    EXPECT_EQ(fw::ExtractFileDrive(L"\\\\server\\share"), L"\\\\server\\share");
    EXPECT_EQ(fw::ExtractFileDrive(L"\\\\server"), L"\\\\server");
    EXPECT_EQ(fw::ExtractFileDrive(L"\\x"), L"");
    EXPECT_EQ(fw::ExtractFileDrive(L"rel\\x"), L"");
    EXPECT_EQ(fw::ChangeFileExt(L"a.txt", L".doc"), L"a.doc");
    EXPECT_EQ(fw::ChangeFileExt(L"a", L".doc"), L"a.doc");
    EXPECT_EQ(fw::ChangeFileExt(L"C:\\x.y\\report.txt", L""), L"C:\\x.y\\report");
    EXPECT_EQ(fw::ChangeFileExt(L"C:\\x.y\\report", L""), L"C:\\x.y\\report");
    EXPECT_EQ(fw::ChangeFileExt(L".bashrc", L".x"), L".x");
    EXPECT_EQ(fw::ChangeFileExt(L"a.b.c", L""), L"a.b");
    EXPECT_EQ(fw::IncludeTrailingPathDelimiter(L"C:"), L"C:\\");
    EXPECT_EQ(fw::IncludeTrailingPathDelimiter(L"C:\\"), L"C:\\");
    EXPECT_EQ(fw::IncludeTrailingPathDelimiter(L""), L"\\");
    EXPECT_EQ(fw::ExcludeTrailingPathDelimiter(L"C:\\a\\\\"), L"C:\\a\\");
    EXPECT_EQ(fw::ExcludeTrailingPathDelimiter(L"C:\\"), L"C:");
    EXPECT_EQ(fw::ExcludeTrailingPathDelimiter(L""), L"");
}

TEST(Files, FileExistsMeansAFileNotAFolder) {
    const std::wstring root = testenv::NewScratchFolder(L"sysutils");
    EXPECT_FALSE(fw::FileExists(root));
    const std::wstring file = root + L"\\f.txt";
    EXPECT_FALSE(fw::FileExists(file));
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fw::FileExists(file));
}

}  // namespace
