#include "shell/ProtectedObjects.h"

#include <shlobj.h>

#include <algorithm>

#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"

namespace shell {

namespace {

std::wstring Key(const std::wstring& FullPath) {
    return fw::UpperCase(fw::ExcludeTrailingPathDelimiter(FullPath));
}

// Where the root of a long path ends: after "\\?\C:\", "\\?\UNC\server\share\" or
// the first name of any other kind ("\\?\unix\").
std::size_t LongRootLength(const std::wstring& LongPath) {
    const bool unc = StartsText(LongPath, L"\\\\?\\UNC\\");
    std::size_t at = unc ? 8 : 4;
    for (int names = unc ? 2 : 1; names > 0 && at < LongPath.size(); --names) {
        const std::size_t slash = LongPath.find(L'\\', at);
        at = slash == std::wstring::npos ? LongPath.size() : slash + 1;
    }
    return at;
}

}  // namespace

TProtectedObjects::TProtectedObjects() {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    const DWORD drives = GetLogicalDrives();
    for (int d = 0; d < 26; ++d) {
        if (!(drives & (1u << d))) continue;
        const std::wstring root = std::wstring(1, wchar_t(L'A' + d)) + L":\\";
        // A network drive that is gone may keep the command waiting: its root is
        // known by its spelling alone.
        const UINT type = GetDriveTypeW(root.c_str());
        if (type != DRIVE_REMOTE && type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN) AddFolder(root);
    }
    for (const std::wstring& folder : SpecialFolderPaths()) AddFolder(folder);
    wchar_t profile[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) AddFolder(profile);
}

void TProtectedObjects::AddFolder(const std::wstring& Path) {
    const std::wstring full = ExactFullPath(Path);
    if (!IsQualifiedPath(full)) return;
    AddChain(ExactLongPath(full));
    // Where the folder really is: a link (Wine's profile folders are links) leads there.
    const std::wstring final = FinalPathOf(full, true);
    if (!final.empty()) AddChain(final);
}

void TProtectedObjects::AddChain(std::wstring LongPath) {
    std::size_t root = LongRootLength(LongPath);
    // A root keeps its delimiter: without it the path names the volume itself.
    if (root == LongPath.size() && !LongPath.empty() && LongPath.back() != L'\\') {
        LongPath += L'\\';
        ++root;
    }
    for (;;) {
        while (LongPath.size() > root && LongPath.back() == L'\\') LongPath.pop_back();
        if (!visited_.insert(fw::UpperCase(LongPath)).second) return;
        TObjectId id;
        if (ObjectIdOf(LongPath, id, false)) ids_.insert(id);
        if (ObjectIdOf(LongPath, id, true)) ids_.insert(id);
        const std::wstring full = ExactFullPath(LongPath);
        if (IsQualifiedPath(full)) paths_.insert(Key(full));
        if (LongPath.size() <= root) return;
        LongPath.resize(std::max(LongPath.find_last_of(L'\\') + 1, root));
    }
}

bool TProtectedObjects::Protects(const std::wstring& Path, bool ByIdentity) const {
    const std::wstring full = fw::ExcludeTrailingPathDelimiter(ExactFullPath(Path));
    if (!IsQualifiedPath(full)) return false;
    if (IsDriveRoot(full) || paths_.count(Key(full))) return true;
    const std::wstring longPath = ExactLongPath(full);
    // The root of a volume mounted in a folder is a drive's root too.
    wchar_t volume[MAX_PATH + 1] = {};
    {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        if (GetVolumePathNameW(longPath.c_str(), volume, MAX_PATH) && Key(ExactFullPath(volume)) == Key(full))
            return true;
    }
    TObjectId id;
    return ByIdentity && ObjectIdOf(full, id, false) && ids_.count(id) > 0;
}

}  // namespace shell
