#include "shell/ExactDeletion.h"

#include <windows.h>
#include <shlobj.h>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "shell/ExactPaths.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/ProtectedObjects.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"

namespace shell {

namespace {

// What a walk of an object's tree found.
struct TWalk {
    bool Exact = true;  // every name read as written, no link
    std::wstring Link;  // a link the system would follow; the walk stopped there
    std::vector<std::wstring>* Entries = nullptr;
    std::vector<bool>* Folders = nullptr;
    bool EveryFile = true;  // every file is checked to be itself (a link to a file may hide as the file)
    // Folders that stop the walk as protected (another drive's root mapped inside
    // this one, a special folder); why the walk stopped.
    const TProtectedObjects* Protected = nullptr;
    TTargetRefusal Stop = trLink;
};

// A link, or (with EveryFile) a file, that opens as something else ends the walk.
// Folder: the entry's folder, whose final path is asked once (FolderFinal keeps it).
bool CheckEntry(TWalk& Walk, const std::wstring& Folder, const WIN32_FIND_DATAW& Entry, std::wstring& FolderFinal) {
    const bool link = (Entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (link) Walk.Exact = false;
    if (!link && (!Walk.EveryFile || (Entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) return true;
    if (FolderFinal.empty()) FolderFinal = FinalPathOf(Folder, true);
    const std::wstring path = Folder + L"\\" + Entry.cFileName;
    if (OpensAsItself(path, Entry.cFileName, Entry.dwFileAttributes, FolderFinal)) return true;
    Walk.Link = ExactFullPath(path);
    return false;
}

void Note(TWalk& Walk, const std::wstring& LongPath, bool Folder) {
    if (!Walk.Entries) return;
    Walk.Entries->push_back(LongPath);
    Walk.Folders->push_back(Folder);
}

// Walks the tree of the object at LongPath without entering links; the object
// comes last, every folder after its content. False when a link or a protected
// folder stopped it.
bool WalkTree(const std::wstring& LongPath, DWORD Attributes, TWalk& Walk) {
    const bool top =
        (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) || (Walk.EveryFile && !(Attributes & FILE_ATTRIBUTE_DIRECTORY));
    if (Attributes & FILE_ATTRIBUTE_REPARSE_POINT) Walk.Exact = false;
    if (top && !OpensAsItself(LongPath)) {
        Walk.Link = ExactFullPath(LongPath);
        return false;
    }
    const bool folder = (Attributes & FILE_ATTRIBUTE_DIRECTORY) && !(Attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!folder) {
        Note(Walk, LongPath, (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        return true;
    }
    struct TFrame {
        std::wstring Path;
        bool Listed;
    };
    std::vector<TFrame> stack{{LongPath, false}};
    while (!stack.empty()) {
        if (stack.back().Listed) {
            Note(Walk, stack.back().Path, true);
            stack.pop_back();
            continue;
        }
        stack.back().Listed = true;
        const std::wstring dir = stack.back().Path;
        std::wstring dirFinal;
        WIN32_FIND_DATAW data;
        const fw::FindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &data));
        if (!find) continue;
        do {
            if (IsDotOrDotDot(data.cFileName)) continue;
            const std::wstring child = dir + L"\\" + data.cFileName;
            if (!PlainNameIsExact(data.cFileName)) Walk.Exact = false;
            if (!CheckEntry(Walk, dir, data, dirFinal)) return false;
            const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (!isDir || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                Note(Walk, child, isDir);
                continue;
            }
            if (Walk.Protected && Walk.Protected->Protects(child)) {
                Walk.Stop = trProtected;
                return false;
            }
            stack.push_back({child, false});
        } while (FindNextFileW(find.get(), &data));
    }
    return true;
}

// What stops the object itself: a protected object by its path; a link the system
// would follow (whose identity is its target's); a protected object by identity.
TTargetRefusal FirstRefusal(const std::wstring& Path, DWORD Attributes, const TProtectedObjects& Protected) {
    if (Protected.Protects(Path, false)) return trProtected;
    if ((Attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !OpensAsItself(Path)) return trLink;
    return Protected.Protects(Path) ? trProtected : trNone;
}

// The attributes of the object at Path as its folder lists it; false when it is gone.
bool ListedAttributes(const std::wstring& Path, DWORD& Attributes) {
    if (IsDriveRoot(Path)) {
        Attributes = FILE_ATTRIBUTE_DIRECTORY;
        return true;
    }
    WIN32_FIND_DATAW data;
    const fw::FindHandle find(FindFirstFileLong(Path, data));
    if (!find) return false;
    // A name holding a wildcard must find itself, not an object it matches.
    const std::wstring name = Path.substr(Path.find_last_of(L'\\') + 1);
    if (!PlainNameIsExact(name) && lstrcmpiW(data.cFileName, name.c_str()) != 0) return false;
    Attributes = data.dwFileAttributes;
    return true;
}

// Deletes one object through a handle that is the object (a link: the link); a
// read-only file loses that attribute first, as the shell does.
bool DeleteThroughHandle(const std::wstring& LongPath) {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    const bool disabled = DisableFsRedirection();
    fw::Handle object(CreateFileW(LongPath.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    RevertFsRedirection(disabled);
    if (!object) return false;
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (SetFileInformationByHandle(object.get(), FileDispositionInfo, &dispose, sizeof(dispose))) return true;
    FILE_BASIC_INFO basic{};
    if (GetLastError() != ERROR_ACCESS_DENIED ||
        !GetFileInformationByHandleEx(object.get(), FileBasicInfo, &basic, sizeof(basic)) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    basic.FileAttributes &= ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(object.get(), FileBasicInfo, &basic, sizeof(basic)) &&
           SetFileInformationByHandle(object.get(), FileDispositionInfo, &dispose, sizeof(dispose));
}

}  // namespace

TExactDeletion::TExactDeletion(const std::vector<std::wstring>& Paths, const TProtectedObjects& Protected) {
    for (const std::wstring& given : Paths) {
        const std::wstring path = fw::ExcludeTrailingPathDelimiter(ExactFullPath(given));
        DWORD attributes = 0;
        if (!ListedAttributes(path, attributes)) continue;
        const TTargetRefusal refusal = FirstRefusal(path, attributes, Protected);
        if (refusal != trNone) {
            refused_.push_back({path, refusal, refusal == trLink ? path : std::wstring()});
            continue;
        }
        std::vector<std::wstring> entries;
        std::vector<bool> folders;
        TWalk walk;
        walk.Entries = &entries;
        walk.Folders = &folders;
        walk.Exact = PlainFormIsExact(path);
        walk.Protected = &Protected;
        if (!WalkTree(ExactLongPath(path), attributes, walk)) {
            refused_.push_back({path, walk.Stop, walk.Stop == trLink ? walk.Link : std::wstring()});
            continue;
        }
        if (walk.Exact) {
            shellPaths_.push_back(path);
            continue;
        }
        TOwn own{path, {}};
        for (size_t i = 0; i < entries.size(); ++i) own.Entries.push_back({entries[i], folders[i]});
        own_.push_back(std::move(own));
    }
}

std::vector<std::wstring> TExactDeletion::OwnPaths() const {
    std::vector<std::wstring> paths;
    for (const TOwn& own : own_) paths.push_back(own.Path);
    return paths;
}

void TExactDeletion::DeleteOwn() {
    for (const TOwn& own : own_) {
        // The shell hears of exactly this object: by its list, never by a path it would read otherwise.
        fw::PidlPtr pidl(ExactPathToPidl(own.Path));
        for (const TEntry& entry : own.Entries)
            if (!DeleteThroughHandle(entry.LongPath)) break;
        if (pidl && !PathExists(own.Path))
            SHChangeNotify(own.Entries.back().Folder ? SHCNE_RMDIR : SHCNE_DELETE, SHCNF_IDLIST | SHCNF_FLUSH,
                           pidl.get(), nullptr);
    }
}

TTargetRefusal MoveRefusal(const std::wstring& Path, const TProtectedObjects& Protected, std::wstring& Link) {
    const std::wstring path = fw::ExcludeTrailingPathDelimiter(ExactFullPath(Path));
    if (!IsQualifiedPath(path)) return trNone;
    DWORD attributes = 0;
    if (!ListedAttributes(path, attributes)) return Protected.Protects(path) ? trProtected : trNone;
    if (const TTargetRefusal refusal = FirstRefusal(path, attributes, Protected); refusal != trNone) {
        if (refusal == trLink) Link = path;
        return refusal;
    }
    TWalk walk;
    walk.EveryFile = false;
    walk.Protected = &Protected;
    // A file's own link hides only from a look at the file itself.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && !OpensAsItself(path)) {
        Link = path;
        return trLink;
    }
    if (WalkTree(ExactLongPath(path), attributes, walk)) return trNone;
    if (walk.Stop == trLink) Link = walk.Link;
    return walk.Stop;
}

}  // namespace shell
