#include "support/SupportLibrary.h"
#include "support/ZurSysInfo.h"

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

}  // namespace
