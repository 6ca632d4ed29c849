#include "shell/SpecialFolders.h"

#include "shell/LongPathFind.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"

#include <array>

namespace shell {

const int ShellFolderCsidls[45] = {
    17, 10, 3,  0,  16, 17, 20, 19, 18, 5,  4,  2,  8,  9,  11, 7,  21, 6,  22, 24, 25, 26, 27,
    31, 32, 33, 34, 23, 29, 35, 46, 1,  28, 39, 38, 37, 43, 36, 42, 44, 41, 13, 39, 14, -1,
};

namespace {

// Lists of the values 1 to 44, filled at start-up; nullptr for folders the
// system lacks. Read without a lock afterwards.
std::array<LPITEMIDLIST, 45> cache{};
std::wstring windowsDrive;
// The two program-files folders under WOW64; empty when not known.
std::wstring programFiles32;
std::wstring programFiles64;

std::wstring WithoutTrailingBackslash(std::wstring Path) {
    if (!Path.empty() && Path.back() == L'\\') Path.pop_back();
    return Path;
}

bool HasWildcards(const std::wstring& Path) {
    // The long-path prefix holds a "?" of its own.
    const std::size_t start = (Path.rfind(LongPathPrefix, 0) == 0) ? 4 : 0;
    return Path.find_first_of(L"*?", start) != std::wstring::npos;
}

}  // namespace

LPITEMIDLIST GetSpecialFolderIDList(TZemShellFolder Folder) {
    if (Folder > SF_INVALID) return nullptr;
    if (Folder == SF_DESKTOP) return PidlClone(DesktopPidl());
    const int csidl = ShellFolderCsidls[Folder];
    if (csidl < 0) return nullptr;
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl))) return nullptr;
    return pidl;
}

std::wstring GetSpecialFolderPath(TZemShellFolder Folder) {
    fw::PidlPtr pidl(GetSpecialFolderIDList(Folder));
    std::wstring path = pidl ? PidlToPath(pidl.get()) : std::wstring();
    if (path.empty()) {
        switch (Folder) {
        case SF_PROGRAM_FILESX86: return GetSpecialFolderPath(SF_PROGRAM_FILES);
        case SF_PROGRAM_FILES_COMMONX86: return GetSpecialFolderPath(SF_PROGRAM_FILES_COMMON);
        case SF_SYSTEMX86: return GetSpecialFolderPath(SF_SYSTEM);
        default: break;
        }
    }
    return path;
}

std::vector<std::wstring> SpecialFolderPaths() {
    std::vector<std::wstring> paths;
    for (int v = SF_FILESYSTEMFOLDER + 1; v < SF_INVALID; ++v) {
        std::wstring path = GetSpecialFolderPath(TZemShellFolder(v));
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

TZemShellFolder PidlToShellFolder(LPCITEMIDLIST Pidl) {
    return PidlToShellFolderIn(Pidl, 0);
}

TZemShellFolder PidlToShellFolderIn(LPCITEMIDLIST Pidl, TZemShellFolders Candidates) {
    if (PidlCount(Pidl) == 0) return SF_DESKTOP;
    for (int v = 1; v <= SF_INVALID; ++v) {
        if (Candidates && !(Candidates & ShellFolderSet(TZemShellFolder(v)))) continue;
        if (!cache[v]) continue;
        try {
            if (PidlEqual(Pidl, cache[v])) return TZemShellFolder(v);
        } catch (...) {
            // One folder that cannot compare does not stop the search.
        }
    }
    return SF_FILESYSTEMFOLDER;
}

std::wstring GetWindowsFolder() {
    wchar_t buffer[MAX_PATH + 1];
    if (BoundEntries.GetSystemWindowsDirectoryW) {
        const UINT n = BoundEntries.GetSystemWindowsDirectoryW(buffer, MAX_PATH);
        if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
    }
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(buffer, n);
    return L"C:\\Windows";
}

std::wstring WindowsDrive() {
    return windowsDrive;
}

bool IsDriveRoot(const std::wstring& Path) {
    if (Path.empty()) return false;
    if (Path.back() == L'\\') return Path.substr(0, Path.size() - 1) == ExtractDrivePart(Path);
    return Path == ExtractDrivePart(Path);
}

bool IsDriveReady(const std::wstring& Path) {
    const std::wstring drive = ExtractDrivePart(Path);
    if (drive.empty()) return false;
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    ULARGE_INTEGER available, total, free;
    if (GetDiskFreeSpaceExW((drive + L"\\").c_str(), &available, &total, &free)) return true;
    if (!(OsVersionFlags().Win7OrLater && IsWow64())) return false;
    // Some drives of a 32-bit process on 64-bit Windows answer only the shell.
    TPathfinch probe(nullptr);
    probe.ShowErrorMessages = false;
    try {
        probe.SetFolder(Path);
        return probe.EnumNextObject();
    } catch (const EPathfinchError&) {
        return false;
    }
}

bool PathExists(const std::wstring& Path) {
    if (Path.empty() || HasWildcards(Path)) return false;
    if (IsDriveRoot(Path)) return IsDriveReady(Path);
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileLong(WithoutTrailingBackslash(Path), data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

bool IsWow64() {
    BOOL wow64 = FALSE;
    return BoundEntries.IsWow64Process && BoundEntries.IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

void ReplaceProgramFilesPath(std::wstring& Path, const std::wstring& Path32, const std::wstring& Path64) {
    if (Path32.empty() || Path64.empty()) return;
    if (!StartsText(Path, Path32) || PathExists(Path)) return;
    // StartsText matched at the start: that is the first occurrence.
    const std::wstring candidate = Path64 + Path.substr(Path32.size());
    if (PathExists(candidate)) Path = candidate;
}

void FixWow64ProgramFilesPath(std::wstring& Path) {
    if (!IsWow64()) return;
    ReplaceProgramFilesPath(Path, programFiles32, programFiles64);
}

std::wstring ResolveShortcutPath(const std::wstring& Path) {
    std::wstring target;
    {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        target = ResolveShortcut(Path);
    }
    FixWow64ProgramFilesPath(target);
    return target;
}

void SpecialFoldersInitialize() {
    for (int v = 1; v <= SF_INVALID; ++v)
        // The desktop's entry stays empty: the empty list is recognised before the cache.
        cache[v] = (v == SF_DESKTOP) ? nullptr : GetSpecialFolderIDList(TZemShellFolder(v));
    const std::wstring drive = ExtractDrivePart(GetWindowsFolder());
    windowsDrive = drive.empty() ? std::wstring() : drive + L"\\";
    // Filled here, once, so that worker threads only ever read them.
    programFiles32.clear();
    programFiles64.clear();
    if (IsWow64()) {
        programFiles32 = GetSpecialFolderPath(SF_PROGRAM_FILESX86);
        const std::wstring path64 = ExpandPathMacros(L"%ProgramW6432%");
        if (path64.find(L'%') == std::wstring::npos) programFiles64 = path64;
    }
}

void SpecialFoldersFinalize() {
    for (LPITEMIDLIST& pidl : cache) {
        CoTaskMemFree(pidl);
        pidl = nullptr;
    }
    windowsDrive.clear();
    programFiles32.clear();
    programFiles64.clear();
}

}  // namespace shell
