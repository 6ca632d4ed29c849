#include "shell/LongPathFind.h"

#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"

#include <vector>

namespace shell {

namespace {

// The full form of a path: "." and ".." resolved, "/" turned into "\". The
// long-path prefix turns such normalising off, so it has to happen first.
std::wstring FullPath(const std::wstring& Path) {
    DWORD size = GetFullPathNameW(Path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return Path;
    std::vector<wchar_t> buffer(size + 1);
    const DWORD n = GetFullPathNameW(Path.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
    return (n > 0 && n < buffer.size()) ? std::wstring(buffer.data(), n) : Path;
}

}  // namespace

std::wstring MakeLongPath(const std::wstring& Path) {
    if (!IsQualifiedPath(Path)) return Path;
    if (Path.size() >= 4 && Path[0] == L'\\' && Path[1] == L'\\') {
        // Already long, or a device path: both are taken by the system as they are.
        if ((Path[2] == L'?' || Path[2] == L'.') && Path[3] == L'\\') return Path;
        const std::wstring full = FullPath(Path);
        if (full.size() < 2 || full[0] != L'\\' || full[1] != L'\\') return full;
        return std::wstring(LongPathPrefix) + L"UNC\\" + full.substr(2);
    }
    return std::wstring(LongPathPrefix) + FullPath(Path);
}

HANDLE FindFirstFileLong(const std::wstring& Path, WIN32_FIND_DATAW& FindData) {
    const bool disabled = DisableFsRedirection();
    const HANDLE h = FindFirstFileW(MakeLongPath(Path).c_str(), &FindData);
    const DWORD error = GetLastError();
    RevertFsRedirection(disabled);
    SetLastError(error);
    return h;
}

}  // namespace shell
