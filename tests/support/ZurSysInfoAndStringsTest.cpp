// System information and the character tables of the user's locale.
#include "support/SupportLibrary.h"
#include "support/ZurStrings.h"
#include "support/ZurSysInfo.h"
#include "support/ZurUnicode.h"
#include "support/ZurWideStrings.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

// The rows where the classification looks at more than the version numbers,
// and the versions newer than the table.
TEST(WindowsVersion, ClassificationEdgesAndTheRunningSystem) {
    constexpr DWORD w9x = VER_PLATFORM_WIN32_WINDOWS, nt = VER_PLATFORM_WIN32_NT;
    constexpr BYTE ws = VER_NT_WORKSTATION, server = VER_NT_SERVER;
    // Platform, major, minor, service pack, kernel version, product type, R2, x86.
    const std::pair<zur::TWindowsVersionFacts, zur::TWindowsVersion> cases[] = {
        {{w9x, 4, 0, L" B "}, zur::wvWin95OSR2},  // service pack trimmed
        {{w9x, 4, 0, L"A"}, zur::wvWin95},
        {{w9x, 4, 10, L" A "}, zur::wvWin98SE},
        {{w9x, 4, 10, L"", 0x4005A}, zur::wvWinME},  // by the kernel's version
        {{w9x, 4, 95, L""}, zur::wvUnknown},
        {{nt, 3, 0, L"", 0, ws}, zur::wvUnknown},
        {{nt, 5, 2, L"", 0, server, true}, zur::wvWin2003R2},
        {{nt, 5, 2, L"", 0, ws, false, true}, zur::wvWin2003},
        {{nt, 5, 2, L"", 0, ws}, zur::wvWinXP64},
        {{nt, 6, 0, L"", 0, server}, zur::wvWinServer2008},
        {{nt, 6, 3, L"", 0, ws}, zur::wvWin7},
        {{nt, 10, 0, L"", 0, VER_NT_DOMAIN_CONTROLLER}, zur::wvWinServer2008R2},
    };
    for (const auto& [facts, expected] : cases)
        EXPECT_EQ(zur::ClassifyWindowsVersion(facts), expected) << facts.MajorVersion << "." << facts.MinorVersion;

    zur::SupportLibraryStartup();
    const zur::TZurSystemInformation& info = zur::SystemInformation();
    EXPECT_TRUE(info.IsWinNT);
    EXPECT_GE(info.WindowsVersion, zur::wvWin2000);  // long names are allowed for shared memory
    EXPECT_GE(info.AllocGranularity, info.PageSize);
    EXPECT_GE(zur::GetKernelVersionHi() >> 16, 4u);  // the kernel file's version is readable
}

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
