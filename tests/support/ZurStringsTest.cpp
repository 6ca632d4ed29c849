#include "support/SupportLibrary.h"
#include "support/ZurStrings.h"
#include "support/ZurUnicode.h"
#include "support/ZurWideStrings.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

TEST(CharacterTables, EdgesOfTheAsciiAlphabet) {
    zur::SupportLibraryStartup();
    // The first and last letters change case; their neighbours do not.
    for (const auto& [lower, upper] : {std::pair{'a', 'A'}, std::pair{'z', 'Z'}}) {
        EXPECT_EQ(zur::AnsiUpperChar(lower), upper);
        EXPECT_EQ(zur::AnsiLowerChar(upper), lower);
        EXPECT_EQ(zur::AnsiSwapCaseChar(lower), upper);
        EXPECT_EQ(zur::AnsiSwapCaseChar(upper), lower);
        EXPECT_EQ(zur::WideUpperChar(wchar_t(lower)), wchar_t(upper));
        EXPECT_EQ(zur::WideLowerChar(wchar_t(upper)), wchar_t(lower));
        EXPECT_EQ(zur::WideSwapCaseChar(wchar_t(upper)), wchar_t(lower));
    }
    for (const char c : {'`', '{', '@', '['}) {
        EXPECT_EQ(zur::AnsiUpperChar(c), c);
        EXPECT_EQ(zur::AnsiLowerChar(c), c);
        EXPECT_EQ(zur::WideUpperChar(wchar_t(c)), wchar_t(c));
        EXPECT_EQ(zur::WideLowerChar(wchar_t(c)), wchar_t(c));
    }
}

TEST(CharacterTables, LettersBeyondAsciiAndTheirOrderByLocale) {
    zur::SupportLibraryStartup();
    EXPECT_EQ(zur::WideSwapCaseChar(L'\u03A3'), L'\u03C3');  // Greek sigma
    EXPECT_EQ(zur::WideSwapCaseChar(L'\u03C9'), L'\u03A9');  // Greek omega
    EXPECT_EQ(zur::WideSwapCaseChar(L'\u4E2D'), L'\u4E2D');  // a CJK ideograph has no case
    EXPECT_TRUE(zur::WideCharType(L'\u0416') & C1_UPPER);
    EXPECT_EQ(zur::WideLowerChar(0xFFFF), 0xFFFF);  // the table's last entry is built too
    EXPECT_EQ(zur::LocaleCompareText(L"\u00C4pfel", L"\u00E4PFEL"), 0);
    // By the locale an accented e sorts before f, unlike by code unit.
    EXPECT_EQ(zur::LocaleCompareText(L"\u00E9", L"f"), -1);
    EXPECT_EQ(zur::LocaleCompareText(L"f", L"\u00C9"), 1);
    const wchar_t* text = L"\u00E9x";
    EXPECT_EQ(zur::NextChar(text), text + 1);
    EXPECT_EQ(zur::NextChar(text + 2), text + 2);  // stops at the end

    if (GetACP() != 1252) GTEST_SKIP() << "the letters below are code page 1252's";
    EXPECT_EQ(zur::AnsiUpperChar(0xFF), 0x9F);     // y diaeresis, outside the Latin-1 block in Unicode
    EXPECT_EQ(zur::AnsiSwapCaseChar(0xDF), 0xDF);  // sharp s has no upper case here
    EXPECT_EQ(zur::AnsiReplacementChar(), '?');
}

}  // namespace
