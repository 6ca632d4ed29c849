#include "support/SupportLibrary.h"
#include "support/ZurSysInfo.h"

#include <gtest/gtest.h>

namespace {

using zur::TWindowsVersion;

TWindowsVersion Win9x(DWORD minor, const wchar_t* sp, DWORD kernel = 0) {
    zur::TWindowsVersionFacts f;
    f.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
    f.MajorVersion = 4;
    f.MinorVersion = minor;
    f.CSDVersion = sp;
    f.KernelVersion = kernel;
    return zur::ClassifyWindowsVersion(f);
}

TWindowsVersion NT(DWORD major, DWORD minor, BYTE product = VER_NT_WORKSTATION, bool x86 = false, bool r2 = false) {
    zur::TWindowsVersionFacts f;
    f.PlatformId = VER_PLATFORM_WIN32_NT;
    f.MajorVersion = major;
    f.MinorVersion = minor;
    f.ProductType = product;
    f.X86Processor = x86;
    f.ServerR2 = r2;
    return zur::ClassifyWindowsVersion(f);
}

TEST(WindowsVersion, NinetyFivePlatform) {
    EXPECT_EQ(Win9x(0, L""), zur::wvWin95);
    EXPECT_EQ(Win9x(0, L" B "), zur::wvWin95OSR2);
    EXPECT_EQ(Win9x(0, L"C"), zur::wvWin95OSR2);
    EXPECT_EQ(Win9x(10, L""), zur::wvWin98);
    EXPECT_EQ(Win9x(10, L" A "), zur::wvWin98SE);
    EXPECT_EQ(Win9x(10, L"", 0x4005A), zur::wvWinME);
    EXPECT_EQ(Win9x(90, L""), zur::wvWinME);
    EXPECT_EQ(Win9x(95, L""), zur::wvUnknown);
}

TEST(WindowsVersion, NTPlatform) {
    EXPECT_EQ(NT(3, 10), zur::wvWinNT31);
    EXPECT_EQ(NT(3, 50), zur::wvWinNT35);
    EXPECT_EQ(NT(3, 51), zur::wvWinNT351);
    EXPECT_EQ(NT(3, 0), zur::wvUnknown);
    EXPECT_EQ(NT(4, 0), zur::wvWinNT4);
    EXPECT_EQ(NT(5, 0), zur::wvWin2000);
    EXPECT_EQ(NT(5, 1), zur::wvWinXP);
    EXPECT_EQ(NT(5, 2, VER_NT_SERVER, false, true), zur::wvWin2003R2);
    EXPECT_EQ(NT(5, 2, VER_NT_WORKSTATION, true), zur::wvWin2003);
    EXPECT_EQ(NT(5, 2, VER_NT_WORKSTATION, false), zur::wvWinXP64);
    EXPECT_EQ(NT(5, 2, VER_NT_SERVER, false), zur::wvWin2003);
    EXPECT_EQ(NT(6, 0), zur::wvWinVista);
    EXPECT_EQ(NT(6, 0, VER_NT_SERVER), zur::wvWinServer2008);
    EXPECT_EQ(NT(6, 1), zur::wvWin7);
    EXPECT_EQ(NT(6, 1, VER_NT_SERVER), zur::wvWinServer2008R2);
}

TEST(WindowsVersion, NewerThanTheTableIsTheNewestClass) {
    EXPECT_EQ(NT(6, 2), zur::wvWin7);
    EXPECT_EQ(NT(6, 3), zur::wvWin7);
    EXPECT_EQ(NT(10, 0), zur::wvWin7);
    EXPECT_EQ(NT(10, 0, VER_NT_SERVER), zur::wvWinServer2008R2);
    EXPECT_EQ(NT(10, 0, VER_NT_DOMAIN_CONTROLLER), zur::wvWinServer2008R2);
    EXPECT_GE(NT(11, 5), zur::wvWin2000);
}

TEST(WindowsVersion, RunningSystem) {
    zur::SupportLibraryStartup();
    const zur::TZurSystemInformation& info = zur::SystemInformation();
    EXPECT_TRUE(info.IsWinNT);
    EXPECT_EQ(info.KernelVersionHi, 0u);  // read on the 9x platform only
    EXPECT_GE(info.WindowsVersion, zur::wvWin2000);
    EXPECT_GE(info.ProcessorCount, 1u);
    EXPECT_GE(info.AllocGranularity, info.PageSize);
    EXPECT_GE(zur::GetKernelVersionHi() >> 16, 4u);  // the kernel file's version is readable
}

}  // namespace
