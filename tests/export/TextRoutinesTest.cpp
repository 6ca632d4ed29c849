// The text routines where the documents do not reach them: padding routines of
// their own, surrogate pairs, forced quoting, and no best-fit characters.
#include <gtest/gtest.h>

#include "export/TextRoutines.h"
#include "tests/export/ExportTestSource.h"

TEST(TextRoutines, PaddingCountsCharactersAndNeverCuts) {
    const std::wstring two = L"\U0001F600\U0001F600";
    EXPECT_EQ(PadLeft(L"7", L' ', 3), L"  7");
    EXPECT_EQ(PadRight(two, L'.', 3), two + L".");
    EXPECT_EQ(PadLeft(L"long", L' ', 2), L"long");
    EXPECT_EQ(Centre(L"abc", 6), L" abc  ");  // half the width less half the text after it
    EXPECT_EQ(Centre(L"abcdef", 3), L"abcdef");
    EXPECT_EQ(RepeatChar(L'-', -2), L"");
    EXPECT_EQ(TruncateText(two + two, 3, L"~"), two + L"~") << "no pair is cut";
    EXPECT_EQ(TruncateText(L"abcdefgh", 0, L"..."), L"...");
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
    // Plain ASCII is copied as it is, sixteen characters a step and the rest one by one.
    std::string out = "x";
    const std::wstring ascii = L"0123456789abcdefghijklmnopqrstuvwxyz~";
    ASSERT_TRUE(AsciiInto(ascii.data(), ascii.size(), out));
    EXPECT_EQ(out, "x0123456789abcdefghijklmnopqrstuvwxyz~");
    for (const std::wstring other : {L"abc\u00e9efghijklmnopq", L"abcdefghijklmnop\u0100qrstuvwxyz012345", L"\u0080"})
        EXPECT_FALSE(AsciiInto(other.data(), other.size(), out)) << Utf8(other);
    EXPECT_EQ(out.size(), 1 + ascii.size()) << "nothing is left behind";
}
