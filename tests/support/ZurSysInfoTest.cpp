#include "support/SupportLibrary.h"
#include "support/ZurSysInfo.h"

#include <gtest/gtest.h>

namespace {

using zur::TWindowsVersion;

struct VersionCase {
    DWORD platform, major, minor;
    const wchar_t* servicePack;
    DWORD kernel;
    BYTE product;
    bool x86, r2;
    TWindowsVersion expected;
};

// The rows where the classification looks at more than the version numbers,
// and the versions newer than the table.
TEST(WindowsVersion, ClassificationEdges) {
    constexpr DWORD w9x = VER_PLATFORM_WIN32_WINDOWS, nt = VER_PLATFORM_WIN32_NT;
    constexpr BYTE ws = VER_NT_WORKSTATION, server = VER_NT_SERVER;
    const VersionCase cases[] = {
        {w9x, 4, 0, L" B ", 0, 0, false, false, zur::wvWin95OSR2},  // service pack trimmed
        {w9x, 4, 0, L"A", 0, 0, false, false, zur::wvWin95},
        {w9x, 4, 10, L" A ", 0, 0, false, false, zur::wvWin98SE},
        {w9x, 4, 10, L"", 0x4005A, 0, false, false, zur::wvWinME},  // by the kernel's version
        {w9x, 4, 95, L"", 0, 0, false, false, zur::wvUnknown},
        {nt, 3, 0, L"", 0, ws, false, false, zur::wvUnknown},
        {nt, 5, 2, L"", 0, server, false, true, zur::wvWin2003R2},
        {nt, 5, 2, L"", 0, ws, true, false, zur::wvWin2003},
        {nt, 5, 2, L"", 0, ws, false, false, zur::wvWinXP64},
        {nt, 6, 0, L"", 0, server, false, false, zur::wvWinServer2008},
        {nt, 6, 3, L"", 0, ws, false, false, zur::wvWin7},
        {nt, 10, 0, L"", 0, VER_NT_DOMAIN_CONTROLLER, false, false, zur::wvWinServer2008R2},
    };
    for (const VersionCase& k : cases) {
        zur::TWindowsVersionFacts f;
        f.PlatformId = k.platform;
        f.MajorVersion = k.major;
        f.MinorVersion = k.minor;
        f.CSDVersion = k.servicePack;
        f.KernelVersion = k.kernel;
        f.ProductType = k.product;
        f.X86Processor = k.x86;
        f.ServerR2 = k.r2;
        EXPECT_EQ(zur::ClassifyWindowsVersion(f), k.expected) << k.major << "." << k.minor;
    }
}

TEST(WindowsVersion, RunningSystem) {
    zur::SupportLibraryStartup();
    const zur::TZurSystemInformation& info = zur::SystemInformation();
    EXPECT_TRUE(info.IsWinNT);
    EXPECT_GE(info.WindowsVersion, zur::wvWin2000);  // long names are allowed for shared memory
    EXPECT_GE(info.AllocGranularity, info.PageSize);
    EXPECT_GE(zur::GetKernelVersionHi() >> 16, 4u);  // the kernel file's version is readable
}

}  // namespace
