// Padding, truncation, CSV quoting and the character-set rules of documents.
#include <gtest/gtest.h>

#include "export/TextRoutines.h"
#include "tests/export/ExportTestSource.h"

TEST(TextRoutines, PaddingAndCentring) {
    EXPECT_EQ(PadLeft(L"7", L' ', 3), L"  7");
    EXPECT_EQ(PadRight(L"7", L'.', 3), L"7..");
    EXPECT_EQ(PadLeft(L"long", L' ', 2), L"long");
    EXPECT_EQ(Centre(L"ab", 6), L"  ab  ");
    EXPECT_EQ(Centre(L"abc", 6), L" abc  ");  // half the width less half the text after it
    EXPECT_EQ(Centre(L"abcdef", 3), L"abcdef");
    EXPECT_EQ(RepeatChar(L'-', 3), L"---");
    EXPECT_EQ(RepeatChar(L'-', -2), L"");
}

TEST(TextRoutines, CharactersOutsideTheBasicPlaneCountOnce) {
    const std::wstring two = L"\U0001F600\U0001F600";
    EXPECT_EQ(CharCount(two), 2);
    EXPECT_EQ(PadRight(two, L'.', 3), two + L".");
    EXPECT_EQ(Centre(two, 4), L" " + two + L" ");
    EXPECT_EQ(TruncateText(two + two, 3, L"~"), two + L"~") << "no pair is cut";
    EXPECT_EQ(SingleLine(L"a\tb\r\nc\rd\ne\r\n\r\n"), L"a b c d e  ");
}

TEST(TextRoutines, TruncateNeverCutsBelowNothing) {
    EXPECT_EQ(TruncateText(L"abcdefgh", 5, L"..."), L"ab...");
    EXPECT_EQ(TruncateText(L"abcdefgh", 2, L"..."), L"...");
    EXPECT_EQ(TruncateText(L"abcdefgh", 0, L"..."), L"...");
    EXPECT_EQ(TruncateText(L"abc", 3, L"..."), L"abc");
}

TEST(TextRoutines, CsvQuotingFollowsRfc4180) {
    EXPECT_EQ(CsvQuote(L"abc", false), L"abc");
    EXPECT_EQ(CsvQuote(L"say \"hi\"", false), L"\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvQuote(L"a,b", false), L"\"a,b\"");
    // A lone quote without blank or comma is enclosed too, or readers lose it.
    EXPECT_EQ(CsvQuote(L"x\"y", false), L"\"x\"\"y\"");
    EXPECT_EQ(CsvQuote(L"two\r\nlines", false), L"\"two\r\nlines\"");
    EXPECT_EQ(CsvQuote(L"lf\nonly", false), L"\"lf\nonly\"");
    EXPECT_EQ(CsvQuote(L"", true), L"\"\"");
    EXPECT_EQ(CsvQuote(L"semi;colon", false), L"semi;colon");
}

TEST(DocumentBytes, NoBestFitSubstitutes) {
    // U+0101 (a with macron) has a best fit "a" in 1252; it must not be taken.
    std::string bytes;
    EXPECT_FALSE(ztTryAnsi(L"\u0101", bytes));
    EXPECT_EQ(ztToAnsi(L"x\u0101y\U0001F600z"), "x?y?z");
    bool utf8 = false;
    EXPECT_EQ(ztDocumentBytes(L"\u0101", false, &utf8), "?");
    EXPECT_FALSE(utf8);
}
