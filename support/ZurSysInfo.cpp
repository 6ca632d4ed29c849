#include "support/ZurSysInfo.h"

#include "support/ZurUnitVersioning.h"

#include <vector>

namespace zur {

namespace {

TZurSystemInformation Info;

std::wstring Trimmed(const std::wstring& S) {
    const size_t first = S.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return S.substr(first, S.find_last_not_of(L" \t") - first + 1);
}

TWindowsVersion ClassifyNT(const TWindowsVersionFacts& F) {
    const bool workstation = F.ProductType == VER_NT_WORKSTATION;
    switch (F.MajorVersion) {
    case 3:
        if (F.MinorVersion == 10) return wvWinNT31;
        if (F.MinorVersion == 50) return wvWinNT35;
        if (F.MinorVersion == 51) return wvWinNT351;
        return wvUnknown;
    case 4: return wvWinNT4;
    case 5:
        if (F.MinorVersion == 0) return wvWin2000;
        if (F.MinorVersion == 1) return wvWinXP;
        if (F.MinorVersion == 2) {
            if (F.ServerR2) return wvWin2003R2;
            if (F.X86Processor) return wvWin2003;
            return workstation ? wvWinXP64 : wvWin2003;
        }
        return wvUnknown;
    case 6:
        if (F.MinorVersion == 0) return workstation ? wvWinVista : wvWinServer2008;
        break;
    default:
        if (F.MajorVersion < 6) return wvUnknown;
        break;
    }
    // 6.1 and every later version take the newest class the table knows.
    return workstation ? wvWin7 : wvWinServer2008R2;
}

}  // namespace

TWindowsVersion ClassifyWindowsVersion(const TWindowsVersionFacts& F) {
    if (F.PlatformId == VER_PLATFORM_WIN32_NT) return ClassifyNT(F);
    if (F.PlatformId != VER_PLATFORM_WIN32_WINDOWS || F.MajorVersion != 4) return wvUnknown;
    const std::wstring sp = Trimmed(F.CSDVersion);
    if (F.MinorVersion < 10) return (sp == L"B" || sp == L"C") ? wvWin95OSR2 : wvWin95;
    if (F.MinorVersion < 90) {
        if (F.KernelVersion == 0x4005A) return wvWinME;
        return (sp == L"A" || sp == L"B") ? wvWin98SE : wvWin98;
    }
    if (F.MinorVersion == 90) return wvWinME;
    return wvUnknown;
}

const TZurSystemInformation& SystemInformation() {
    return Info;
}

DWORD GetKernelVersionHi() {
    wchar_t path[MAX_PATH + 1] = {};
    if (!GetModuleFileNameW(GetModuleHandleW(L"kernel32.dll"), path, MAX_PATH + 1)) return 0;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return 0;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return fixed->dwProductVersionMS;
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/windows/ZurSysInfo.cpp $",
                                      L"$Revision: 21 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\windows",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

bool NativeProcessorIsX86() {
    SYSTEM_INFO si = {};
    using GetNativeSystemInfoProc = void(WINAPI*)(SYSTEM_INFO*);
    auto native = reinterpret_cast<GetNativeSystemInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
    if (native) native(&si);
    else GetSystemInfo(&si);
    return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL;
}

void GatherSystemInformation() {
    SYSTEM_INFO si = {};
    GetSystemInfo(&si);
    Info.ProcessorCount = si.dwNumberOfProcessors;
    Info.AllocGranularity = si.dwAllocationGranularity;
    Info.PageSize = si.dwPageSize;

    OSVERSIONINFOEXW vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&vi));
    Info.IsWinNT = vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
    Info.KernelVersionHi = Info.IsWinNT ? 0 : GetKernelVersionHi();

    TWindowsVersionFacts facts;
    facts.PlatformId = vi.dwPlatformId;
    facts.MajorVersion = vi.dwMajorVersion;
    facts.MinorVersion = vi.dwMinorVersion;
    facts.CSDVersion = vi.szCSDVersion;
    facts.KernelVersion = Info.KernelVersionHi;
    facts.ProductType = vi.wProductType;
    facts.ServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    facts.X86Processor = NativeProcessorIsX86();
    const TWindowsVersion v = ClassifyWindowsVersion(facts);
    Info.WindowsVersion = v;

    Info.IsWin95 = v == wvWin95;
    Info.IsWin95OSR2 = v == wvWin95OSR2;
    Info.IsWin98 = v == wvWin98;
    Info.IsWin98SE = v == wvWin98SE;
    Info.IsWinME = v == wvWinME;
    Info.IsWinNT31 = v == wvWinNT31;
    Info.IsWinNT35 = v == wvWinNT35;
    Info.IsWinNT351 = v == wvWinNT351;
    Info.IsWinNT3 = Info.IsWinNT31 || Info.IsWinNT35 || Info.IsWinNT351;
    Info.IsWinNT4 = v == wvWinNT4;
    Info.IsWin2K = v == wvWin2000;
    Info.IsWinXP = v == wvWinXP;
    Info.IsWinServer2003 = v == wvWin2003;
    Info.IsWinXP64 = v == wvWinXP64;
    Info.IsWinServer2003R2 = v == wvWin2003R2;
    Info.IsWinVista = v == wvWinVista;
    Info.IsWinServer2008 = v == wvWinServer2008;
    Info.IsWin7 = v == wvWin7;
    Info.IsWinServer2008R2 = v == wvWinServer2008R2;
}

}  // namespace

void ZurSysInfoInitialize() {
    if (!StartCounter.Enter()) return;
    GatherSystemInformation();
    RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurSysInfoFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
