#include "shell/ZemWorkItems.h"

#include <winioctl.h>

#include <vector>

#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemSystemImageList.h"

namespace shell {

namespace {

bool EndsWithBackslash(const std::wstring& S) {
    return !S.empty() && S.back() == L'\\';
}
std::wstring WithoutBackslash(const std::wstring& S) {
    if (!EndsWithBackslash(S) || IsDriveRoot(S)) return S;
    return S.substr(0, S.size() - 1);
}

// The identity of a file or folder: its volume and its index there (links followed).
struct TFileId {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const TFileId&) const = default;
};

bool ReadFileId(const std::wstring& Path, TFileId& Id) {
    const fw::Handle file(CreateFileW(MakeLongPath(Path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return false;
    Id = TFileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// Where a path leads once every link on it is followed; empty when unknown.
std::wstring FinalPathOf(const std::wstring& Path) {
    const fw::Handle file(CreateFileW(MakeLongPath(Path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::wstring();
    std::wstring buffer(MAX_PATH, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD n = GetFinalPathNameByHandleW(file.get(), buffer.data(), DWORD(buffer.size()), 0);
        if (n == 0) return std::wstring();
        if (n < buffer.size()) {
            buffer.resize(n);
            // "\\?\UNC\server\share" and "\\?\C:\x" are the long forms of the ordinary paths.
            if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + buffer.substr(8);
            if (buffer.compare(0, 4, L"\\\\?\\") == 0) return buffer.substr(4);
            return buffer;
        }
        buffer.assign(n, L'\0');
    }
    return std::wstring();
}

}  // namespace

// ---- TIconWorkItem -------------------------------------------------------------------

TIconWorkItem::TIconWorkItem(const std::wstring& Path, uint8_t Kind, IIconViewer* Viewer, void* Owner, intptr_t Tag)
    : path_(Path), kind_(Kind), viewer_(Viewer) {
    SetOwner(Owner);
    SetTag(Tag);
    SetCompletionMethod([this] { DoCompleted(); });
}

TIconWorkItem::TIconWorkItem(LPCITEMIDLIST IDList, uint8_t Kind, IIconViewer* Viewer, void* Owner, intptr_t Tag)
    : idList_(PidlClone(IDList)), kind_(Kind), viewer_(Viewer) {
    SetOwner(Owner);
    SetTag(Tag);
    SetCompletionMethod([this] { DoCompleted(); });
}

void TIconWorkItem::Execute() {
    if (kind_ == 1) {
        // A browser of this thread's own: it shows nothing and stays here.
        try {
            TPathfinch browser(nullptr);
            browser.ShowErrorMessages = false;
            if (idList_) browser.SetAbsoluteObjectIDList(idList_.get());
            else browser.SetObjectName(path_);
            iconIndex_ = browser.ObjectOverlayIndex();
        } catch (...) {
            iconIndex_ = -1;
        }
        idList_.reset();
        return;
    }
    const bool open = kind_ == 2;
    if (idList_) {
        iconIndex_ = TZemSystemImageList::GetIconIndex(idList_.get(), si_small, open);
        idList_.reset();
    } else {
        iconIndex_ = TZemSystemImageList::GetIconIndexByPath(path_, si_small, open);
    }
}

void TIconWorkItem::DoCompleted() {
    if (WaitWhilePaused()) return;
    if (viewer_) viewer_->IconLoaded(iconIndex_, kind_, Owner());
}

// ---- TThumbnailWorkItem ---------------------------------------------------------------

TThumbnailWorkItem::TThumbnailWorkItem(LPCITEMIDLIST IDList, int Width, int Height, bool IconFallback, int ImageIndex,
                                       IThumbnailViewer* Viewer, void* Owner, intptr_t Tag)
    : idList_(PidlClone(IDList)),
      width_(Width),
      height_(Height),
      iconFallback_(IconFallback),
      imageIndex_(ImageIndex),
      viewer_(Viewer) {
    SetOwner(Owner);
    SetTag(Tag);
    SetCompletionMethod([this] { DoCompleted(); });
}

void TThumbnailWorkItem::Execute() {
    try {
        TPathfinch browser(nullptr);
        browser.ShowErrorMessages = false;
        if (idList_) {
            browser.SetAbsoluteObjectIDList(idList_.get());
            idList_.reset();
            if (!Aborted()) bitmap_ = browser.GetThumbnailBitmap(width_, height_, iconFallback_);
        }
    } catch (...) {
        bitmap_.reset();
    }
}

void TThumbnailWorkItem::DoCompleted() {
    // An aborted item's picture is freed with the item.
    if (WaitWhilePaused()) return;
    if (viewer_) viewer_->ThumbnailReady(std::move(bitmap_), imageIndex_, Owner());
}

// ---- TPathExistsWorkItem -----------------------------------------------------------

TPathExistsWorkItem::TPathExistsWorkItem(const std::wstring& Path, IPathExistsViewer* Viewer, void* Owner, intptr_t Tag)
    : path_(Path), viewer_(Viewer) {
    SetOwner(Owner);
    SetTag(Tag);
    SetCompletionMethod([this] { DoCompleted(); });
}

void TPathExistsWorkItem::Execute() {
    exists_ = PathExists(path_) || IsUNCServerName(path_);
}

void TPathExistsWorkItem::DoCompleted() {
    if (WaitWhilePaused()) return;
    if (viewer_) viewer_->PathExistsResult(this);
}

// ---- TCheckBoxWorkItem -------------------------------------------------------------

TCheckBoxWorkItem::TCheckBoxWorkItem(LPCITEMIDLIST IDList, const TZemSelectionList* SelectionList,
                                     ICheckBoxViewer* Viewer, void* Owner, intptr_t Tag)
    : idList_(PidlClone(IDList)), selection_(SelectionList ? SelectionList->Snapshot() : nullptr), viewer_(Viewer) {
    SetOwner(Owner);
    SetTag(Tag);
    SetCompletionMethod([this] { DoCompleted(); });
}

void TCheckBoxWorkItem::Execute() {
    if (selection_ && idList_) state_ = selection_->GetStateOfIDList(idList_.get(), inherited_);
}

void TCheckBoxWorkItem::DoCompleted() {
    if (WaitWhilePaused()) return;
    if (viewer_) viewer_->CheckBoxStateLoaded(this);
}

// ---- TZemFolderSizeWorkItem ----------------------------------------------------------

TZemFolderSizeWorkItem::TZemFolderSizeWorkItem(const std::wstring& Path, bool Recursive, bool FollowLinks, void* Owner)
    : path_(Path), recursive_(Recursive), followLinks_(FollowLinks) {
    SetOwner(Owner);
}

void TZemFolderSizeWorkItem::Execute() {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    std::wstring path = path_;
    // "folder\*" stands for the folder with its contents.
    const bool wildcard = !path.empty() && path.back() == L'*';
    if (wildcard) path.pop_back();
    path = WithoutBackslash(path);
    if (path.empty()) return;
    bool isLink = false;
    WIN32_FIND_DATAW data;
    if (IsDriveRoot(path)) {
        fw::FindHandle find(FindFirstFileLong(fw::IncludeTrailingPathDelimiter(path) + L'*', data));
        if (!find) return;
    } else {
        fw::FindHandle find(FindFirstFileLong(path, data));
        if (!find) return;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (wildcard) return;
            size_ += FindDataFileSize(data);
            ++fileCount_;
            return;
        }
        isLink = IsReparsePoint(data.dwFileAttributes);
    }
    ++folderCount_;
    if (!recursive_) return;
    root_ = path;
    SumFolderSize(fw::IncludeTrailingPathDelimiter(path), isLink);
}

// One folder of the walk: its find, whether it was entered through a link (its
// own links are then followed), how many links lead to it, and its file ID once
// a link check has needed it.
struct TZemFolderSizeWorkItem::TFrame {
    std::wstring folder;  // with its trailing backslash
    fw::FindHandle find;
    bool isLink = false;
    int linkHops = 0;
    bool idRead = false;
    TFileId id;
};

// The walk keeps its own stack, so a tree of any depth is summed whole.
void TZemFolderSizeWorkItem::SumFolderSize(const std::wstring& Folder, bool ParentIsLink) {
    std::vector<TFrame> chain;
    WIN32_FIND_DATAW data;
    const auto enter = [&](const std::wstring& Path, bool IsLink, int Hops) {
        fw::FindHandle find(FindFirstFileLong(Path + L'*', data));
        if (!find) return false;
        TFrame& frame = chain.emplace_back();
        frame.folder = Path;
        frame.find = std::move(find);
        frame.isLink = IsLink;
        frame.linkHops = Hops;
        return true;
    };
    if (!enter(Folder, ParentIsLink, ParentIsLink ? 1 : 0)) return;
    bool fresh = true;  // data holds the new frame's first entry
    while (!chain.empty()) {
        if (Aborted()) return;
        TFrame& top = chain.back();
        if (!fresh && !FindNextFileW(top.find.get(), &data)) {
            chain.pop_back();
            continue;
        }
        fresh = false;
        const std::wstring name = data.cFileName;
        if (IsDotOrDotDot(name)) continue;
        const bool link = IsReparsePoint(data.dwFileAttributes);
        if (link && (!(followLinks_ || top.isLink) || !MayFollowLink(chain, name))) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++folderCount_;
            const std::wstring inner = top.folder + name + L'\\';
            fresh = enter(inner, link, top.linkHops + (link ? 1 : 0));
        } else {
            size_ += FindDataFileSize(data);
            ++fileCount_;
        }
    }
}

bool TZemFolderSizeWorkItem::MayFollowLink(std::vector<TFrame>& Chain, const std::wstring& Name) {
    TFrame& top = Chain.back();
    if (top.linkHops >= MaxLinkHops) return false;
    const std::wstring link = top.folder + Name;
    std::wstring target = ReadLinkTarget(link);
    // A relative target ("..\x") is relative to the folder the link stands in.
    if (!target.empty() && !IsQualifiedPath(target)) target = fw::ExpandFileName(top.folder + target);
    if (target.empty()) target = FinalPathOf(link);
    target = WithoutBackslash(target);
    // No target to test, or the entry resolves to itself (no link to a folder):
    // it counts like any entry.
    if (!target.empty() && !SamePath(target, link)) {
        // Never into the folder being summed or below it, nor into this folder or above it.
        if (SamePath(target, root_) || IsParentPath(root_, target)) return false;
        const std::wstring current = WithoutBackslash(top.folder);
        if (SamePath(target, current) || IsParentPath(target, current)) return false;
    }
    // A folder the walk is inside already, reached under another name: a loop.
    TFileId id;
    if (!ReadFileId(link, id)) return true;
    for (TFrame& frame : Chain) {
        if (!frame.idRead) frame.idRead = ReadFileId(frame.folder, frame.id);
        if (frame.idRead && frame.id == id) return false;
    }
    return true;
}

// ---- Links -----------------------------------------------------------------------------

std::wstring ParseReparseTarget(const void* Data, size_t Size) {
    const auto* bytes = static_cast<const BYTE*>(Data);
    if (!bytes || Size < 16) return std::wstring();
    const auto word = [bytes](size_t Offset) { return USHORT(bytes[Offset] | (bytes[Offset + 1] << 8)); };
    const DWORD tag = DWORD(bytes[0]) | (DWORD(bytes[1]) << 8) | (DWORD(bytes[2]) << 16) | (DWORD(bytes[3]) << 24);
    size_t pathBuffer;
    if (tag == IO_REPARSE_TAG_MOUNT_POINT) pathBuffer = 16;
    else if (tag == IO_REPARSE_TAG_SYMLINK) pathBuffer = 20;
    else return std::wstring();
    const size_t offset = word(8);
    const size_t length = word(10);
    const size_t start = pathBuffer + offset;
    if (length % 2 != 0 || start > Size || length > Size - start) return std::wstring();
    std::wstring target(length / 2, L'\0');
    for (size_t i = 0; i < target.size(); ++i) target[i] = wchar_t(word(start + 2 * i));
    // "\??\" marks an NT path; what follows is the ordinary one.
    for (;;) {
        const std::wstring upper = fw::UpperCase(target);
        const auto at = upper.find(L"\\??\\");
        if (at == std::wstring::npos) break;
        target.erase(at, 4);
    }
    return target;
}

std::wstring ReadLinkTarget(const std::wstring& Path) {
    HANDLE file = CreateFileW(MakeLongPath(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    fw::Handle guard(file);
    std::vector<BYTE> buffer(16384);
    DWORD returned = 0;
    if (!DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(), DWORD(buffer.size()), &returned,
                         nullptr))
        return std::wstring();
    return ParseReparseTarget(buffer.data(), returned);
}

}  // namespace shell
