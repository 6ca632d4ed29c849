#pragma once
// Facts about the running Windows, gathered once when the unit starts and read
// through SystemInformation() afterwards (all zero and false before that).
#include <string>
#include <windows.h>

namespace zur {

enum TWindowsVersion {
    wvUnknown,
    wvWin95,
    wvWin95OSR2,
    wvWin98,
    wvWin98SE,
    wvWinME,
    wvWinNT31,
    wvWinNT35,
    wvWinNT351,
    wvWinNT4,
    wvWin2000,
    wvWinXP,
    wvWin2003,
    wvWinXP64,
    wvWin2003R2,
    wvWinVista,
    wvWinServer2008,
    wvWin7,
    wvWinServer2008R2
};

// What the version classification looks at.
struct TWindowsVersionFacts {
    DWORD PlatformId = 0;  // VER_PLATFORM_WIN32_WINDOWS (9x) or VER_PLATFORM_WIN32_NT
    DWORD MajorVersion = 0;
    DWORD MinorVersion = 0;
    std::wstring CSDVersion;    // service-pack text
    DWORD KernelVersion = 0;    // 9x: kernel32's product version, high 32 bits
    BYTE ProductType = 0;       // VER_NT_WORKSTATION, VER_NT_SERVER, ...
    bool ServerR2 = false;      // GetSystemMetrics(SM_SERVERR2) nonzero
    bool X86Processor = false;  // the native processor is x86
};

TWindowsVersion ClassifyWindowsVersion(const TWindowsVersionFacts& Facts);

struct TZurSystemInformation {
    unsigned ProcessorCount = 0;
    unsigned AllocGranularity = 0;
    unsigned PageSize = 0;
    bool IsWinNT = false;
    DWORD KernelVersionHi = 0;  // 9x platform only, else 0
    TWindowsVersion WindowsVersion = wvUnknown;
    // One flag per version; every NT 3.x sets IsWinNT3 as well.
    bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98SE = false, IsWinME = false;
    bool IsWinNT3 = false, IsWinNT31 = false, IsWinNT35 = false, IsWinNT351 = false, IsWinNT4 = false;
    bool IsWin2K = false, IsWinXP = false, IsWinServer2003 = false, IsWinXP64 = false;
    bool IsWinServer2003R2 = false, IsWinVista = false, IsWinServer2008 = false, IsWin7 = false;
    bool IsWinServer2008R2 = false;
};

const TZurSystemInformation& SystemInformation();

// The product version (most significant 32 bits) of kernel32.dll's file
// version, 0 when it cannot be read.
DWORD GetKernelVersionHi();

void ZurSysInfoInitialize();
void ZurSysInfoFinalize();

}  // namespace zur
