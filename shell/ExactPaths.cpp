#include "shell/ExactPaths.h"

#include <vector>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"

namespace shell {

namespace {

const wchar_t kLongUnc[] = L"\\\\?\\UNC\\";
const wchar_t kLong[] = L"\\\\?\\";
// Characters the system does not read as part of a plain name.
const wchar_t kNotPlain[] = L":*?<>\"|";

bool IsDeviceName(const std::wstring& Name) {
    // The part before the first dot, trailing blanks aside, decides.
    std::wstring base = Name.substr(0, Name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    base = fw::UpperCase(base);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
}

// The names of a path after its root, each without trailing dots and blanks (the
// form some systems give final paths in), empty ones left out.
std::vector<std::wstring> ComparableParts(const std::wstring& Path) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= Path.size()) {
        std::size_t end = Path.find(L'\\', start);
        if (end == std::wstring::npos) end = Path.size();
        std::wstring part = Path.substr(start, end - start);
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
        if (!part.empty() && part != L"?") parts.push_back(fw::UpperCase(part));
        start = end + 1;
    }
    return parts;
}

fw::Handle OpenObject(const std::wstring& Path, bool FollowLinks) {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    const bool disabled = DisableFsRedirection();
    fw::Handle handle(CreateFileW(ExactLongPath(Path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | (FollowLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                                  nullptr));
    RevertFsRedirection(disabled);
    return handle;
}

std::wstring FinalPathOfHandle(HANDLE Handle) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    DWORD n = GetFinalPathNameByHandleW(Handle, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetFinalPathNameByHandleW(Handle, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED);
    }
    return n > 0 && n < buffer.size() ? std::wstring(buffer.data(), n) : std::wstring();
}

}  // namespace

LPITEMIDLIST FindExactChild(IShellFolder* Folder, const std::wstring& Name) {
    fw::ComPtr<IEnumIDList> children;
    if (FAILED(Folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                   children.put())) ||
        !children)
        return nullptr;
    const std::wstring wanted = fw::UpperCase(Name);
    for (;;) {
        fw::PidlPtr child;
        ULONG fetched = 0;
        if (children->Next(1, child.put(), &fetched) != S_OK || !child) return nullptr;
        const std::wstring name = GetDisplayNameOf(Folder, child.get(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (fw::UpperCase(name) == wanted) return child.release();
    }
}

std::wstring ExactFullPath(const std::wstring& Path) {
    std::wstring path = Path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (StartsText(path, kLongUnc)) path = L"\\\\" + path.substr(8);
    else if (StartsText(path, kLong)) path = path.substr(4);
    if (!IsQualifiedPath(path)) return Path;
    return MakeFullPath(path);
}

std::wstring ExactLongPath(const std::wstring& Path) {
    return MakeLongPath(ExactFullPath(Path));
}

bool PlainNameIsExact(const std::wstring& Name) {
    if (Name.empty() || Name.back() == L'.' || Name.back() == L' ') return false;
    // A colon names a stream; the shell's file operations read "*" and "?" as a
    // pattern of other names (a Linux host may hold "b?b" beside "bob").
    return Name.find_first_of(kNotPlain) == std::wstring::npos && !IsDeviceName(Name);
}

bool PlainFormIsExact(const std::wstring& Path) {
    const std::wstring full = ExactFullPath(Path);
    if (!IsQualifiedPath(full)) return true;
    std::size_t start = ExtractDrivePart(full).size();
    while (start < full.size()) {
        if (full[start] == L'\\') {
            ++start;
            continue;
        }
        std::size_t end = full.find(L'\\', start);
        if (end == std::wstring::npos) end = full.size();
        if (!PlainNameIsExact(full.substr(start, end - start))) return false;
        start = end;
    }
    return true;
}

bool OpensAsItself(const std::wstring& Path) {
    const std::wstring full = fw::ExcludeTrailingPathDelimiter(ExactFullPath(Path));
    if (!IsQualifiedPath(full) || IsDriveRoot(full)) return true;
    WIN32_FIND_DATAW data;
    {
        const fw::FindHandle find(FindFirstFileLong(full, data));
        if (!find) return false;
    }
    return OpensAsItself(full, data.cFileName, data.dwFileAttributes,
                         FinalPathOf(full.substr(0, full.find_last_of(L'\\') + 1), true));
}

bool OpensAsItself(const std::wstring& Path, const std::wstring& Name, DWORD Attributes,
                   const std::wstring& FolderFinal) {
    const bool link = (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const fw::Handle object = OpenObject(Path, false);
    if (!object) return false;
    // The object's final path must be its folder's and its own name: a handle that
    // went through a link ends where the link points.
    const std::wstring own = FinalPathOfHandle(object.get());
    if (FolderFinal.empty() || own.empty()) return !link;
    return ComparableParts(own) == ComparableParts(FolderFinal + L"\\" + Name);
}

bool ObjectIdOf(const std::wstring& Path, TObjectId& Id, bool FollowLinks) {
    const fw::Handle object = OpenObject(Path, FollowLinks);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!object || !GetFileInformationByHandle(object.get(), &info)) return false;
    Id.Volume = info.dwVolumeSerialNumber;
    Id.Index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

std::wstring FinalPathOf(const std::wstring& Path, bool FollowLinks) {
    const fw::Handle object = OpenObject(Path, FollowLinks);
    return object ? FinalPathOfHandle(object.get()) : std::wstring();
}

LPITEMIDLIST ExactPathToPidl(const std::wstring& Path) {
    const std::wstring full = ExactFullPath(Path);
    if (PlainFormIsExact(full) || !IsQualifiedPath(full)) return PathToPidl(nullptr, full);
    // The root and the names the shell reads as written are parsed at once.
    std::wstring parsed = fw::IncludeTrailingPathDelimiter(ExtractDrivePart(full));
    std::size_t at = parsed.size();
    std::vector<std::wstring> rest;
    while (at < full.size()) {
        std::size_t end = full.find(L'\\', at);
        if (end == std::wstring::npos) end = full.size();
        const std::wstring name = full.substr(at, end - at);
        if (!name.empty()) {
            if (rest.empty() && PlainNameIsExact(name)) parsed += name + L"\\";
            else rest.push_back(name);
        }
        at = end + 1;
    }
    fw::PidlPtr pidl(PathToPidl(nullptr, parsed));
    IShellFolder* desktop = DesktopFolder();
    fw::ComPtr<IShellFolder> own;
    if (!desktop && SUCCEEDED(SHGetDesktopFolder(own.put()))) desktop = own.get();
    for (const std::wstring& name : rest) {
        if (!pidl || !desktop) return nullptr;
        fw::ComPtr<IShellFolder> folder;
        if (FAILED(desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder, folder.put_void())) || !folder)
            return nullptr;
        fw::PidlPtr child(FindExactChild(folder.get(), name));
        if (!child) return nullptr;
        pidl.reset(PidlConcat(pidl.get(), child.get()));
    }
    return pidl.release();
}

}  // namespace shell
