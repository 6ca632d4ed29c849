#pragma once
// The check-state model the shell controls share: the set of checked paths,
// where a folder entry ending in "\*" stands for the folder and everything below
// it, and the state of any path (checked, unchecked, partly checked, disabled)
// that follows from it. It can keep running totals of the size, file count and
// folder count of what is checked, summed on the shared worker pool.
// A TZemSelectionList is a component, normally made and owned by a TZemShellLink;
// every operation runs on the main thread. Worker threads ask for states only
// through a snapshot (TZemSelectionSnapshot), never through the live list.
//
// The unit also owns GlobalWorkerPool, made by ZemSelectionListInitialize() and
// freed by ZemSelectionListFinalize() (the shell library's start-up calls them),
// and the existence tests the library's selection code uses.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/StringList.h"
#include "framework/SyncObjs.h"
#include "shell/ZemStack.h"

namespace shell {

class TWorkerThreadPool;
class TZemShellLink;
class TZemFolderSizeWorkItem;

// The worker pool the whole library queues its work items on; nullptr outside
// ZemSelectionListInitialize()/ZemSelectionListFinalize().
extern TWorkerThreadPool* GlobalWorkerPool;
// Creates GlobalWorkerPool (COM in every worker) with a minimum of 4 workers per
// processor, which start without spacing or load test; its limit is raised to
// that number when it exceeds 3 per processor + 2.
void ZemSelectionListInitialize();
// Stops and frees GlobalWorkerPool.
void ZemSelectionListFinalize();

// A file that exists (found, no directory). Paths with "*" or "?" name nothing.
bool IsExistingFile(const std::wstring& Path);
// A ready drive root, or an existing folder (a trailing backslash is dropped).
// Paths with "*" or "?" name nothing.
bool IsExistingFolder(const std::wstring& Path);

enum TZemSelectionState {
    ssUnused = 0,
    ssDisabled = 1,
    ssChecked = 2,
    ssUnChecked = 3,
    ssGrayed = 4
};

// What a state query needs of a selection list, frozen at one moment; shared by
// the list and the work items that hold it, so any thread may read it.
struct TZemSelectionSnapshot {
    std::vector<std::wstring> UpperEntries;  // the entries, upper-cased
    bool ResolveFolderShortcuts = true;

    // The check-box state of a path, as TZemSelectionList::GetState explains.
    TZemSelectionState GetState(const std::wstring& Path, bool& Inherited) const;
    TZemSelectionState GetStateOfIDList(LPCITEMIDLIST IDList, bool& Inherited) const;
    // The state of an entry made by NormalizeEntry.
    TZemSelectionState GetCheckState(const std::wstring& Entry, bool& Inherited) const;
    bool HasEntry(const std::wstring& Entry) const;
    // Whether the "\*" entry of a folder above the path covers it.
    bool IsCovered(const std::wstring& Entry) const;
    // Whether some entry lies below the path (or the folder of a "\*" entry).
    bool HasEntryBelow(const std::wstring& Entry) const;
};

class TZemBaseSelectionList : public fw::TComponent {
public:
    explicit TZemBaseSelectionList(fw::TComponent* AOwner);
    ~TZemBaseSelectionList() override;

    fw::TStringList* Paths() const { return paths_.get(); }
    // Replaces the contents.
    virtual void SetPaths(const fw::TStrings* Value);

    int64_t TotalSize() const { return totalSize_; }
    int TotalFiles() const { return totalFiles_; }
    int TotalFolders() const { return totalFolders_; }

protected:
    std::wstring ClassName() const override { return L"TZemBaseSelectionList"; }
    // Runs after every change of Paths, also inside an update bracket.
    virtual void PathsChanged() {}

    std::unique_ptr<fw::TStringList> paths_;
    int64_t totalSize_ = 0;
    int totalFiles_ = 0;
    int totalFolders_ = 0;

private:
    class TPathStrings;
};

class TZemSelectionList : public TZemBaseSelectionList {
public:
    // The owner, when it is a TZemShellLink, becomes the link told of changes.
    explicit TZemSelectionList(fw::TComponent* AOwner);
    ~TZemSelectionList() override;

    // From another selection list: its paths.
    void Assign(fw::TPersistent* Source) override;
    // Cancels this list's pending size sums, zeroes the totals and clears Paths.
    virtual void Clear();
    // The same reset, then every path given is checked, in one update.
    void SetPaths(const fw::TStrings* Value) override;

    // The state of a path for a control's check box: disabled for an empty path,
    // an unready drive, a folder shortcut when shortcuts are not resolved, and a
    // path that is no entry candidate; else checked (Inherited when an ancestor's
    // "\*" entry covers it), partly checked (ssGrayed) or unchecked.
    TZemSelectionState GetState(const std::wstring& Path, bool& Inherited) const;
    // The network folder and the computer folder are partly checked when some
    // entry lies in them, else disabled; any other list: the state of its path.
    TZemSelectionState GetStateOfIDList(LPCITEMIDLIST IDList, bool& Inherited) const;
    TZemSelectionState GetCheckState(const std::wstring& Path, bool& Inherited) const;
    // Rejects empty paths, "." and ".." and paths that do not exist; drops a
    // trailing "*"; a folder (or drive root) becomes folder + "\*".
    static bool NormalizeEntry(std::wstring& Path);
    // The folder (Path without a trailing "*") holds a file "target.lnk".
    static bool IsFolderShortcut(const std::wstring& Path);

    void Check(const std::wstring& Path);
    void Check(LPCITEMIDLIST IDList);
    void Uncheck(const std::wstring& Path);
    void Uncheck(LPCITEMIDLIST IDList);
    // Path, or Path with "\*", is an entry, or every object in the folder Path is covered.
    bool AllChildrenChecked(const std::wstring& Path) const;
    // Entries equal to OldPath become NewPath; entries below it move below NewPath.
    void Rename(const std::wstring& OldPath, const std::wstring& NewPath);

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

    // The state of the list as work items on other threads read it.
    std::shared_ptr<const TZemSelectionSnapshot> Snapshot() const;

    TZemShellLink* Link() const { return link_; }
    bool ResolveFolderShortcuts() const { return resolveFolderShortcuts_; }
    void SetResolveFolderShortcuts(bool Value);
    bool CalculateSizes() const { return calculateSizes_; }
    void SetCalculateSizes(bool Value) { calculateSizes_ = Value; }
    bool FollowLinks() const { return followLinks_; }
    void SetFollowLinks(bool Value) { followLinks_ = Value; }

    // Folder sums queued or running and not yet taken into the totals: those that
    // will add a checked folder, those that will take an unchecked one back, and
    // both. Once PendingSums is 0 the totals are final.
    int PendingAdditions() const { return PendingWithSign(+1); }
    int PendingSubtractions() const { return PendingWithSign(-1); }
    int PendingSums() const { return int(pendingSums_.size()); }

    fw::TNotifyEvent OnChange;
    // Raised on the main thread whenever the totals have taken in a result.
    fw::TNotifyEvent OnCompletedCalculateFiles;

protected:
    std::wstring ClassName() const override { return L"TZemSelectionList"; }
    void PathsChanged() override;

private:
    void Changed();
    void ResetTotals();
    void CancelSizes();
    // Counts again the sums still on their way (none cancelled, none delivered).
    void RecountPending();
    int PendingWithSign(int Sign) const;
    // Forgets a sum that has come back.
    void TakePending(const TZemFolderSizeWorkItem* Item);
    // Adds (Sign +1) or takes back (-1) what an entry stands for in the totals.
    void CountEntry(const std::wstring& Entry, int Sign);
    void SizeCompleted(TZemFolderSizeWorkItem* Item, int Sign);
    void RemoveBelow(const std::wstring& Path);
    // Whether every object in Folder but the one named Except is covered: a file
    // by its own entry, a folder by its "\*" entry or by all it contains.
    bool ContentsCovered(const TZemSelectionSnapshot& Snapshot, const std::wstring& Folder,
                         const std::wstring& Except) const;
    // Enters the other objects of Folder and climbs while the parent is checked;
    // returns the folder whose "\*" entry covered Except. Levels counts the
    // folders that stopped being wholly checked.
    std::wstring ExpandParent(const std::wstring& Folder, const std::wstring& Except, int& Levels);
    void DeleteEntry(const std::wstring& Entry);
    std::wstring ResolvedPath(const std::wstring& Path) const;

    TZemShellLink* link_ = nullptr;
    bool resolveFolderShortcuts_ = true;
    bool calculateSizes_ = true;
    bool followLinks_ = false;
    int updateCount_ = 0;
    mutable fw::TCriticalSection snapshotLock_;
    mutable std::shared_ptr<const TZemSelectionSnapshot> snapshot_;
    mutable bool snapshotDirty_ = true;
    // The folders a walk below a folder has still to visit.
    mutable TZemStack stack_;
    struct TPendingSum {
        std::weak_ptr<TZemFolderSizeWorkItem> Item;
        int Sign;
    };
    std::vector<TPendingSum> pendingSums_;
};

}  // namespace shell
