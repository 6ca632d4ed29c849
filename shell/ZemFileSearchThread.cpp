#include "shell/ZemFileSearchThread.h"

#include <objbase.h>

#include <cwchar>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"

namespace shell {

// The folders a search has entered, by their identity on disk, so a link leading
// to one of them (an ancestor included) is not followed.
class TZemFileSearchThread::TVisitedFolders {
public:
    // Records the folder; false when a link leads to a folder already entered
    // (or when a link's folder cannot be identified).
    bool Enter(const std::wstring& Folder, bool IsLink) {
        TIdentity id;
        if (!Identify(Folder, id)) return !IsLink;
        const bool fresh = visited_.insert(id).second;
        return fresh || !IsLink;
    }

private:
    using TIdentity = std::tuple<DWORD, DWORD, DWORD>;

    static bool Identify(const std::wstring& Folder, TIdentity& Id) {
        // Opening the folder (not the link itself) reaches the folder a link leads to.
        HANDLE handle =
            CreateFileW(MakeLongPath(Folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        fw::Handle guard(handle);
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(handle, &info)) return false;
        Id = TIdentity(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
        return true;
    }

    std::set<TIdentity> visited_;
};

TZemFileSearchThread::TZemFileSearchThread(const TZemSearchOptions* Options, IZemSearchReceiver* List,
                                           const std::wstring& Path, bool SkipDuplicates)
    : options_(std::make_unique<TZemSearchOptions>()), list_(List), path_(Path), skipDuplicates_(SkipDuplicates) {
    if (Options) options_->Assign(const_cast<TZemSearchOptions*>(Options));
}

TZemFileSearchThread::~TZemFileSearchThread() = default;

void TZemFileSearchThread::Execute() {
    if (WaitWhilePaused()) return;
    // The drive walk uses a folder browser, which needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        if (!path_.empty()) {
            // A bare drive ("D:") is its root, not the folder the drive last stood in.
            const bool bareDrive = path_.size() == 2 && path_[1] == L':';
            SearchTree(fw::IncludeTrailingPathDelimiter(bareDrive ? path_ + L'\\' : MakeFullPath(path_)));
        } else {
            TPathfinch browser(nullptr);
            browser.ShowErrorMessages = false;
            browser.SetSpecialFolder(SF_DRIVES);
            while (!Terminated() && browser.EnumNextObject()) {
                const std::wstring name = browser.ObjectName();
                if (IsDriveRoot(name) && IsDriveReady(name)) SearchTree(fw::IncludeTrailingPathDelimiter(name));
            }
        }
        if (!Terminated()) FlushHits();
    } catch (...) {
        if (SUCCEEDED(com)) CoUninitialize();
        throw;
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

void TZemFileSearchThread::SearchTree(const std::wstring& Root) {
    TVisitedFolders visited;
    // Folders still to search, the next one last: a walk in the order a
    // depth-first descent would take, without a call per level.
    std::vector<std::pair<std::wstring, bool>> pending{{Root, false}};
    std::vector<std::pair<std::wstring, bool>> subfolders;
    while (!pending.empty()) {
        if (WaitWhilePaused()) return;
        const auto [folder, isLink] = std::move(pending.back());
        pending.pop_back();
        if (!visited.Enter(folder, isLink)) continue;
        subfolders.clear();
        SearchFolder(folder, subfolders);
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(std::move(*it));
    }
}

void TZemFileSearchThread::SearchFolder(const std::wstring& Folder,
                                        std::vector<std::pair<std::wstring, bool>>& Subfolders) {
    WIN32_FIND_DATAW data;
    fw::FindHandle find(FindFirstFileLong(Folder + L'*', data));
    if (!find) return;  // missing, no access or not ready: nothing to report
    const bool recursive = options_->RecursiveSearch();
    const bool includeHidden = options_->IncludeHidden();
    do {
        if (WaitWhilePaused()) return;
        const wchar_t* name = data.cFileName;
        Report(Folder, data, options_->Matches(data, Folder));
        // A folder whose name holds a backslash (made on another system) is listed
        // but not entered: its path names another folder, or none.
        if (recursive && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotOrDotDot(name) &&
            !std::wcschr(name, L'\\') && (!(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) || includeHidden))
            Subfolders.emplace_back(Folder + name + L'\\', IsReparsePoint(data.dwFileAttributes));
    } while (FindNextFileW(find.get(), &data));
}

void TZemFileSearchThread::Report(const std::wstring& Folder, const WIN32_FIND_DATAW& Data, bool Hit) {
    const bool progress = list_->HasSearchProgress();
    if (Hit) {
        if (batch_.empty()) batchStart_ = GetTickCount();
        batch_.push_back(TZemSearchHit{Folder + Data.cFileName, Folder.size(), Data.dwFileAttributes,
                                       FindDataFileSize(Data), Data.ftLastWriteTime});
    }
    if (progress) {
        // Each hit reaches the list before its own progress report.
        FlushHits();
        currentPath_ = Folder + Data.cFileName;
        Synchronize([this] { ReportProgress(); });
    } else if (!batch_.empty() && (batch_.size() >= MaxBatch || GetTickCount() - batchStart_ >= MaxBatchDelay)) {
        FlushHits();
    }
}

void TZemFileSearchThread::FlushHits() {
    if (batch_.empty()) return;
    currentPath_ = batch_.back().Path;
    Synchronize([this] { AddFoundPaths(); });
    batch_.clear();
}

void TZemFileSearchThread::AddFoundPaths() {
    list_->BeginSearchHits();
    try {
        for (const TZemSearchHit& hit : batch_) {
            // Hits handed over after a stop was asked for are dropped.
            if (WaitWhilePaused()) break;
            if (skipDuplicates_ && list_->HasItemWithPath(hit.Path)) continue;
            list_->AddSearchEntry(hit);
        }
    } catch (...) {
        list_->EndSearchHits();
        throw;
    }
    list_->EndSearchHits();
}

void TZemFileSearchThread::ReportProgress() {
    if (WaitWhilePaused()) return;
    if (list_->HasSearchProgress()) list_->SearchProgress(currentPath_);
}

}  // namespace shell
