#include "shell/LongPathFind.h"

#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"

#include <vector>

namespace shell {

namespace {

// The length of the root of a qualified path: "C:\" or "\\server\share\".
std::size_t RootLength(const std::wstring& Path) {
    if (Path.size() >= 2 && Path[1] == L':') return std::min<std::size_t>(3, Path.size());
    std::size_t p = Path.find_first_of(L"\\/", 2);  // after the server name
    if (p == std::wstring::npos) return Path.size();
    p = Path.find_first_of(L"\\/", p + 1);  // after the share name
    return p == std::wstring::npos ? Path.size() : p + 1;
}

// "/" turned into "\", empty and "." parts dropped, ".." taking the part before
// it away (never the root). Nothing else changes: a name's trailing dots and
// blanks are the name's own (a folder "dotdir." is not "dotdir").
std::wstring ResolveParts(const std::wstring& Path) {
    const std::size_t rootLength = RootLength(Path);
    std::wstring result = Path.substr(0, rootLength);
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    if (!result.empty() && result.back() != L'\\') result += L'\\';
    std::vector<std::size_t> starts;  // where each kept part begins in result
    std::size_t i = rootLength;
    while (i < Path.size()) {
        std::size_t end = Path.find_first_of(L"\\/", i);
        if (end == std::wstring::npos) end = Path.size();
        const std::wstring part = Path.substr(i, end - i);
        if (part == L"..") {
            if (!starts.empty()) {
                result.resize(starts.back());
                starts.pop_back();
            }
        } else if (!part.empty() && part != L".") {
            starts.push_back(result.size());
            result += part;
            result += L'\\';
        }
        i = end + 1;
    }
    // A trailing separator stays only where the caller gave one.
    const bool trailing = !Path.empty() && (Path.back() == L'\\' || Path.back() == L'/');
    if (!trailing && result.size() > rootLength && result.back() == L'\\') result.pop_back();
    return result;
}

}  // namespace

std::wstring MakeLongPath(const std::wstring& Path) {
    if (!IsQualifiedPath(Path)) return Path;
    if (Path.size() >= 4 && Path[0] == L'\\' && Path[1] == L'\\') {
        // Already long, or a device path: both are taken by the system as they are.
        if ((Path[2] == L'?' || Path[2] == L'.') && Path[3] == L'\\') return Path;
        const std::wstring full = ResolveParts(Path);
        return std::wstring(LongPathPrefix) + L"UNC\\" + full.substr(2);
    }
    return std::wstring(LongPathPrefix) + ResolveParts(Path);
}

std::wstring MakeFullPath(const std::wstring& Path) {
    if (Path.empty()) return Path;
    if (IsQualifiedPath(Path)) {
        if (Path.size() >= 4 && Path[0] == L'\\' && Path[1] == L'\\' && (Path[2] == L'?' || Path[2] == L'.'))
            return Path;
        return ResolveParts(Path);
    }
    // A relative path is the caller's own text, made full by the system's rules once.
    const DWORD size = GetFullPathNameW(Path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return Path;
    std::vector<wchar_t> buffer(size + 1);
    const DWORD n = GetFullPathNameW(Path.c_str(), DWORD(buffer.size()), buffer.data(), nullptr);
    return (n > 0 && n < buffer.size()) ? std::wstring(buffer.data(), n) : Path;
}

HANDLE FindFirstFileLong(const std::wstring& Path, WIN32_FIND_DATAW& FindData) {
    const bool disabled = DisableFsRedirection();
    HANDLE h = FindFirstFileW(MakeLongPath(Path).c_str(), &FindData);
    DWORD error = GetLastError();
    // A name without wildcards finds that object only: some systems read a name's
    // trailing dot as a mask's ("doc.txt." finds "doc.txt"), so the entry found
    // must carry the name asked for, its long or its short form.
    const std::size_t slash = Path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? std::wstring() : Path.substr(slash + 1);
    if (h != INVALID_HANDLE_VALUE && !name.empty() && name.find_first_of(L"*?") == std::wstring::npos) {
        const auto same = [&](const wchar_t* Found) {
            return CompareStringOrdinal(Found, -1, name.c_str(), int(name.size()), TRUE) == CSTR_EQUAL;
        };
        while (!same(FindData.cFileName) && !same(FindData.cAlternateFileName)) {
            if (!FindNextFileW(h, &FindData)) {
                FindClose(h);
                h = INVALID_HANDLE_VALUE;
                error = ERROR_FILE_NOT_FOUND;
                break;
            }
        }
    }
    RevertFsRedirection(disabled);
    SetLastError(error);
    return h;
}

}  // namespace shell
