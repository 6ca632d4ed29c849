#include "shell/ZemSelectionList.h"

#include <algorithm>
#include <utility>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemWorkItems.h"

namespace shell {

TWorkerThreadPool* GlobalWorkerPool = nullptr;

void ZemSelectionListInitialize() {
    if (GlobalWorkerPool) return;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const int processors = info.dwNumberOfProcessors ? int(info.dwNumberOfProcessors) : 1;
    auto* pool = new TWorkerThreadPool(true);
    pool->SetMinThreads(4 * processors);
    GlobalWorkerPool = pool;
}

void ZemSelectionListFinalize() {
    // Taken away first, so nothing queues on the pool while it stops.
    delete std::exchange(GlobalWorkerPool, nullptr);
}

// ---- Paths and entries -------------------------------------------------------------

namespace {

bool HasWildcard(const std::wstring& Path) {
    return Path.find_first_of(L"*?") != std::wstring::npos;
}

std::wstring Upper(const std::wstring& S) {
    return fw::AnsiUpperCase(S);
}

bool EndsWithBackslash(const std::wstring& S) {
    return !S.empty() && S.back() == L'\\';
}

std::wstring WithBackslash(const std::wstring& S) {
    return EndsWithBackslash(S) ? S : S + L'\\';
}

// The path without a trailing backslash, except for a drive root ("C:\").
std::wstring WithoutBackslash(const std::wstring& S) {
    if (!EndsWithBackslash(S) || IsDriveRoot(S)) return S;
    return S.substr(0, S.size() - 1);
}

// An entry's object: "C:\Data\*" gives "C:\Data", "C:\*" gives "C:\".
std::wstring EntryObject(const std::wstring& Entry) {
    std::wstring p = Entry;
    if (!p.empty() && p.back() == L'*') p.pop_back();
    return WithoutBackslash(p);
}

std::wstring FolderEntry(const std::wstring& Folder) {
    return WithBackslash(Folder) + L'*';
}

// The folder holding Path ("C:\" for "C:\x"); empty for a root, a server or a bare name.
std::wstring ParentFolder(const std::wstring& Path) {
    const std::wstring p = WithoutBackslash(Path);
    if (p.empty() || IsDriveRoot(p)) return std::wstring();
    const auto slash = p.find_last_of(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    const std::wstring parent = p.substr(0, slash);
    if (parent.size() >= 2 && parent[0] == L'\\' && parent[1] == L'\\' && parent.find(L'\\', 2) == std::wstring::npos)
        return std::wstring();
    if (parent.size() == 2 && parent[1] == L':') return parent + L'\\';
    return parent;
}

std::wstring LastName(const std::wstring& Path) {
    const std::wstring p = WithoutBackslash(Path);
    const auto slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}

bool IsDotName(const std::wstring& Name) {
    return Name == L"." || Name == L"..";
}

struct TFoundObject {
    std::wstring Name;
    bool Folder;
    bool Link;
};

// The objects of a folder ("." and ".." left out), read with the long-path find.
template <class F>
void ForEachObject(const std::wstring& Folder, F&& Visit) {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAW data;
    fw::FindHandle find(FindFirstFileLong(WithBackslash(Folder) + L'*', data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (IsDotName(name)) continue;
        const TFoundObject object{name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                  IsReparsePoint(data.dwFileAttributes)};
        if (!Visit(object)) return;
    } while (FindNextFileW(find.get(), &data));
}

bool FindPath(const std::wstring& Path, WIN32_FIND_DATAW& Data) {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    fw::FindHandle find(FindFirstFileLong(Path, Data));
    return bool(find);
}

}  // namespace

bool IsExistingFile(const std::wstring& Path) {
    if (Path.empty() || HasWildcard(Path) || IsDotName(LastName(Path))) return false;
    WIN32_FIND_DATAW data;
    return FindPath(Path, data) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::wstring& Path) {
    if (Path.empty() || HasWildcard(Path)) return false;
    if (IsDriveRoot(Path)) return IsDriveReady(Path);
    const std::wstring p = WithoutBackslash(Path);
    if (IsDotName(LastName(p))) return false;
    WIN32_FIND_DATAW data;
    return FindPath(p, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- Snapshot ----------------------------------------------------------------------

bool TZemSelectionSnapshot::HasEntry(const std::wstring& Entry) const {
    const std::wstring upper = Upper(Entry);
    for (const std::wstring& e : UpperEntries)
        if (e == upper) return true;
    return false;
}

bool TZemSelectionSnapshot::IsCovered(const std::wstring& Entry) const {
    for (std::wstring folder = ParentFolder(EntryObject(Entry)); !folder.empty(); folder = ParentFolder(folder))
        if (HasEntry(FolderEntry(folder))) return true;
    return false;
}

bool TZemSelectionSnapshot::HasEntryBelow(const std::wstring& Entry) const {
    const std::wstring own = Upper(Entry);
    const std::wstring prefix = Upper(WithBackslash(EntryObject(Entry)));
    for (const std::wstring& e : UpperEntries)
        if (e != own && e.size() > prefix.size() && e.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

TZemSelectionState TZemSelectionSnapshot::GetCheckState(const std::wstring& Entry, bool& Inherited) const {
    Inherited = false;
    if (HasEntry(Entry)) return ssChecked;
    if (IsCovered(Entry)) {
        Inherited = true;
        return ssChecked;
    }
    return HasEntryBelow(Entry) ? ssGrayed : ssUnChecked;
}

TZemSelectionState TZemSelectionSnapshot::GetState(const std::wstring& Path, bool& Inherited) const {
    Inherited = false;
    if (Path.empty()) return ssDisabled;
    if (IsDriveRoot(Path) && !IsDriveReady(Path)) return ssDisabled;
    std::wstring path = Path;
    if (TZemSelectionList::IsFolderShortcut(path)) {
        if (!ResolveFolderShortcuts) return ssDisabled;
        const std::wstring target = ResolveShortcutPath(WithBackslash(EntryObject(path)) + L"target.lnk");
        if (!target.empty()) path = target;
    }
    if (!TZemSelectionList::NormalizeEntry(path)) return ssDisabled;
    return GetCheckState(path, Inherited);
}

TZemSelectionState TZemSelectionSnapshot::GetStateOfIDList(LPCITEMIDLIST IDList, bool& Inherited) const {
    Inherited = false;
    const auto holds = [this](auto&& Test) {
        for (const std::wstring& e : UpperEntries)
            if (Test(e)) return true;
        return false;
    };
    fw::PidlPtr network(GetSpecialFolderIDList(SF_NETWORK));
    if (network && PidlEqual(IDList, network.get()))
        return holds([](const std::wstring& e) { return e.size() >= 2 && e[0] == L'\\' && e[1] == L'\\'; })
                   ? ssGrayed
                   : ssDisabled;
    fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    if (drives && PidlEqual(IDList, drives.get()))
        return holds([](const std::wstring& e) { return e.size() >= 2 && e[1] == L':'; }) ? ssGrayed : ssDisabled;
    return GetState(PidlToPath(IDList), Inherited);
}

// ---- TZemBaseSelectionList ---------------------------------------------------------

class TZemBaseSelectionList::TPathStrings : public fw::TStringList {
public:
    explicit TPathStrings(TZemBaseSelectionList* Owner) : owner_(Owner) {}

protected:
    void Changed() override {
        fw::TStringList::Changed();
        owner_->PathsChanged();
    }

private:
    TZemBaseSelectionList* owner_;
};

TZemBaseSelectionList::TZemBaseSelectionList(fw::TComponent* AOwner)
    : fw::TComponent(AOwner), paths_(std::make_unique<TPathStrings>(this)) {}

TZemBaseSelectionList::~TZemBaseSelectionList() {
    paths_->OnChange = nullptr;
}

void TZemBaseSelectionList::SetPaths(const fw::TStrings* Value) {
    paths_->BeginUpdate();
    paths_->Clear();
    if (Value) paths_->AddStrings(Value);
    paths_->EndUpdate();
}

// ---- TZemSelectionList -------------------------------------------------------------

TZemSelectionList::TZemSelectionList(fw::TComponent* AOwner) : TZemBaseSelectionList(AOwner) {
    link_ = dynamic_cast<TZemShellLink*>(AOwner);
    paths_->OnChange = [this](fw::TObject*) { Changed(); };
}

TZemSelectionList::~TZemSelectionList() {
    // Pending sums would deliver to a list that is gone.
    CancelSizes();
    paths_->OnChange = nullptr;
}

void TZemSelectionList::PathsChanged() {
    snapshotDirty_ = true;
}

std::shared_ptr<const TZemSelectionSnapshot> TZemSelectionList::Snapshot() const {
    fw::TLockGuard guard(snapshotLock_);
    if (snapshotDirty_ || !snapshot_) {
        auto snapshot = std::make_shared<TZemSelectionSnapshot>();
        snapshot->UpperEntries.reserve(size_t(paths_->Count()));
        for (int i = 0; i < paths_->Count(); ++i) snapshot->UpperEntries.push_back(Upper(paths_->Strings(i)));
        snapshot->ResolveFolderShortcuts = resolveFolderShortcuts_;
        snapshot_ = std::move(snapshot);
        snapshotDirty_ = false;
    }
    return snapshot_;
}

void TZemSelectionList::SetResolveFolderShortcuts(bool Value) {
    resolveFolderShortcuts_ = Value;
    snapshotDirty_ = true;
}

void TZemSelectionList::Assign(fw::TPersistent* Source) {
    if (auto* other = dynamic_cast<TZemSelectionList*>(Source)) {
        SetPaths(other->Paths());
        return;
    }
    TZemBaseSelectionList::Assign(Source);
}

void TZemSelectionList::ResetTotals() {
    totalSize_ = 0;
    totalFiles_ = 0;
    totalFolders_ = 0;
}

void TZemSelectionList::CancelSizes() {
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(this, 0, TWorkItemClass::Of<TZemFolderSizeWorkItem>());
    pendingSums_.clear();
}

void TZemSelectionList::RecountPending() {
    // A sum the pool has let go of, or aborted, never comes back.
    std::erase_if(pendingSums_, [](const TPendingSum& Sum) {
        const std::shared_ptr<TZemFolderSizeWorkItem> item = Sum.Item.lock();
        return !item || item->Aborted();
    });
}

int TZemSelectionList::PendingWithSign(int Sign) const {
    return int(std::count_if(pendingSums_.begin(), pendingSums_.end(),
                             [Sign](const TPendingSum& Sum) { return (Sum.Sign > 0) == (Sign > 0); }));
}

void TZemSelectionList::TakePending(const TZemFolderSizeWorkItem* Item) {
    for (auto i = pendingSums_.begin(); i != pendingSums_.end(); ++i) {
        if (i->Item.lock().get() != Item) continue;
        pendingSums_.erase(i);
        return;
    }
}

void TZemSelectionList::Clear() {
    CancelSizes();
    ResetTotals();
    paths_->Clear();
}

void TZemSelectionList::SetPaths(const fw::TStrings* Value) {
    CancelSizes();
    ResetTotals();
    // A copy: Value may be this list's own Paths.
    std::vector<std::wstring> paths;
    if (Value)
        for (int i = 0; i < Value->Count(); ++i) paths.push_back(Value->Strings(i));
    paths_->BeginUpdate();
    try {
        paths_->Clear();
        for (const std::wstring& p : paths) Check(p);
    } catch (...) {
        paths_->EndUpdate();
        throw;
    }
    paths_->EndUpdate();
}

TZemSelectionState TZemSelectionList::GetState(const std::wstring& Path, bool& Inherited) const {
    return Snapshot()->GetState(Path, Inherited);
}

TZemSelectionState TZemSelectionList::GetStateOfIDList(LPCITEMIDLIST IDList, bool& Inherited) const {
    return Snapshot()->GetStateOfIDList(IDList, Inherited);
}

TZemSelectionState TZemSelectionList::GetCheckState(const std::wstring& Path, bool& Inherited) const {
    return Snapshot()->GetCheckState(Path, Inherited);
}

bool TZemSelectionList::NormalizeEntry(std::wstring& Path) {
    if (Path.empty() || IsDotName(Path)) return false;
    std::wstring p = Path;
    if (p.back() == L'*') p.pop_back();
    if (p.empty() || HasWildcard(p) || IsDotName(LastName(p))) return false;
    if (IsExistingFile(p)) {
        Path = p;
        return true;
    }
    if (IsExistingFolder(p)) {
        Path = FolderEntry(p);
        return true;
    }
    return false;
}

bool TZemSelectionList::IsFolderShortcut(const std::wstring& Path) {
    std::wstring folder = Path;
    if (!folder.empty() && folder.back() == L'*') folder.pop_back();
    if (folder.empty()) return false;
    return IsExistingFile(WithBackslash(folder) + L"target.lnk");
}

std::wstring TZemSelectionList::ResolvedPath(const std::wstring& Path) const {
    if (resolveFolderShortcuts_ && IsFolderShortcut(Path)) {
        const std::wstring target = ResolveShortcutPath(WithBackslash(EntryObject(Path)) + L"target.lnk");
        if (!target.empty()) return target;
    }
    return Path;
}

void TZemSelectionList::CountEntry(const std::wstring& Entry, int Sign) {
    if (Entry.empty()) return;
    if (Entry.back() != L'*') {
        // A file is counted at once.
        const int64_t size = GetFileSize64(Entry);
        if (size < 0) return;
        totalSize_ += Sign * size;
        totalFiles_ += Sign;
        if (OnCompletedCalculateFiles) OnCompletedCalculateFiles(this);
        return;
    }
    auto item = std::make_shared<TZemFolderSizeWorkItem>(Entry, true, followLinks_, this);
    TZemFolderSizeWorkItem* raw = item.get();
    item->SetOnCompleted([this, raw, Sign](fw::TObject*) { SizeCompleted(raw, Sign); });
    if (GlobalWorkerPool) {
        pendingSums_.push_back({item, Sign});
        GlobalWorkerPool->AddWorkItem(item);
    } else {
        item->Execute();
        SizeCompleted(raw, Sign);
    }
}

void TZemSelectionList::SizeCompleted(TZemFolderSizeWorkItem* Item, int Sign) {
    TakePending(Item);
    if (Item->Aborted()) return;
    totalSize_ += Sign * Item->Size();
    totalFiles_ += Sign * Item->FileCount();
    totalFolders_ += Sign * Item->FolderCount();
    if (OnCompletedCalculateFiles) OnCompletedCalculateFiles(this);
    if (paths_->Count() == 0) ResetTotals();
}

void TZemSelectionList::DeleteEntry(const std::wstring& Entry) {
    const std::wstring upper = Upper(Entry);
    for (int i = paths_->Count() - 1; i >= 0; --i)
        if (Upper(paths_->Strings(i)) == upper) paths_->Delete(i);
}

void TZemSelectionList::RemoveBelow(const std::wstring& Path) {
    const std::wstring own = Upper(Path);
    const std::wstring prefix = Upper(WithBackslash(EntryObject(Path)));
    for (int i = paths_->Count() - 1; i >= 0; --i) {
        const std::wstring entry = paths_->Strings(i);
        const std::wstring upper = Upper(entry);
        if (upper == own || upper.size() <= prefix.size() || upper.compare(0, prefix.size(), prefix) != 0) continue;
        // Every entry, file or folder, leaves the totals as it leaves the list.
        if (calculateSizes_) CountEntry(entry, -1);
        paths_->Delete(i);
    }
}

bool TZemSelectionList::ContentsCovered(const TZemSelectionSnapshot& Snapshot, const std::wstring& Folder,
                                        const std::wstring& Except) const {
    // The folders below wait on the list's stack, not on the thread's: a tree of
    // any depth is walked. Walks never nest, so each leaves the stack empty.
    struct TEmptied {
        TZemStack& Stack;
        ~TEmptied() { Stack.Clear(); }
    } emptied{stack_};
    std::wstring folder = Folder;
    std::wstring except = Upper(Except);
    bool covered = true;
    for (;;) {
        ForEachObject(folder, [&](const TFoundObject& Found) {
            if (!except.empty() && Upper(Found.Name) == except) return true;
            const std::wstring child = WithBackslash(folder) + Found.Name;
            if (Snapshot.HasEntry(child) || (Found.Folder && Snapshot.HasEntry(FolderEntry(child)))) return true;
            // A link is covered only by its own entry: following it could lead in a circle.
            if (!Found.Folder || Found.Link) return covered = false;
            stack_.Push(child);
            return true;
        });
        if (!covered || stack_.Count() == 0) return covered;
        folder = stack_.Pop();
        except.clear();
    }
}

bool TZemSelectionList::AllChildrenChecked(const std::wstring& Path) const {
    const std::wstring object = WithoutBackslash(Path);
    std::shared_ptr<const TZemSelectionSnapshot> snapshot = Snapshot();
    if (snapshot->HasEntry(object) || snapshot->HasEntry(FolderEntry(object))) return true;
    if (!IsDriveRoot(object)) {
        WIN32_FIND_DATAW data;
        if (!FindPath(object, data) || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        // A link, like those below, only by its own entry.
        if (IsReparsePoint(data.dwFileAttributes)) return false;
    }
    return ContentsCovered(*snapshot, object, std::wstring());
}

void TZemSelectionList::Check(const std::wstring& Path) {
    paths_->BeginUpdate();
    try {
        std::wstring entry = ResolvedPath(Path);
        if (NormalizeEntry(entry)) {
            bool inherited;
            const TZemSelectionState state = GetCheckState(entry, inherited);
            if (state != ssChecked) {
                if (state == ssGrayed) RemoveBelow(entry);
                if (calculateSizes_) CountEntry(entry, +1);
                paths_->Add(entry);
                // Climb while every other object of the folder above is checked too.
                std::wstring highest;
                std::wstring object = EntryObject(entry);
                for (std::wstring folder = ParentFolder(object);
                     !folder.empty() && ContentsCovered(*Snapshot(), folder, LastName(object));
                     object = folder, folder = ParentFolder(folder))
                    highest = folder;
                // The climb from there stops at once: the level above it has just failed.
                if (!highest.empty()) Check(highest);
            }
        }
    } catch (...) {
        paths_->EndUpdate();
        throw;
    }
    paths_->EndUpdate();
}

void TZemSelectionList::Check(LPCITEMIDLIST IDList) {
    const std::wstring path = PidlToPath(IDList);
    if (!path.empty()) Check(path);
}

std::wstring TZemSelectionList::ExpandParent(const std::wstring& Folder, const std::wstring& Except, int& Levels) {
    std::wstring folder = WithoutBackslash(Folder);
    std::wstring except = Except;
    // Level by level upwards in a loop: the covering entry may lie any number of levels up.
    while (!SamePath(folder, except)) {
        ForEachObject(folder, [&](const TFoundObject& Found) {
            const std::wstring child = WithBackslash(folder) + Found.Name;
            if (!SamePath(child, except)) {
                const std::wstring entry = Found.Folder ? FolderEntry(child) : child;
                if (paths_->IndexOf(entry) < 0) paths_->Add(entry);
            }
            return true;
        });
        ++Levels;
        const std::wstring parent = ParentFolder(folder);
        bool inherited;
        if (parent.empty() || GetCheckState(FolderEntry(parent), inherited) != ssChecked) break;
        except = std::exchange(folder, parent);
    }
    return folder;
}

void TZemSelectionList::Uncheck(const std::wstring& Path) {
    paths_->BeginUpdate();
    try {
        const std::wstring path = ResolvedPath(Path);
        bool inherited;
        const TZemSelectionState state = GetState(path, inherited);
        std::wstring entry = path;
        if (state != ssUnChecked && state != ssDisabled && NormalizeEntry(entry)) {
            if (state == ssChecked && inherited) {
                const std::wstring object = EntryObject(entry);
                int levels = 0;
                const std::wstring covering = ExpandParent(ParentFolder(object), object, levels);
                if (calculateSizes_) {
                    // The folders between the covering entry and the path are no
                    // longer wholly checked; the path's own share goes too.
                    totalFolders_ -= levels;
                    CountEntry(entry, -1);
                }
                DeleteEntry(FolderEntry(covering));
            } else if (state == ssChecked) {
                if (calculateSizes_) CountEntry(entry, -1);
                DeleteEntry(entry);
            } else if (state == ssGrayed) {
                RemoveBelow(entry);
            }
        }
        if (paths_->Count() == 0) {
            CancelSizes();
            ResetTotals();
        }
    } catch (...) {
        paths_->EndUpdate();
        throw;
    }
    paths_->EndUpdate();
}

void TZemSelectionList::Uncheck(LPCITEMIDLIST IDList) {
    const std::wstring path = PidlToPath(IDList);
    if (!path.empty()) Uncheck(path);
}

void TZemSelectionList::Rename(const std::wstring& OldPath, const std::wstring& NewPath) {
    const std::wstring oldObject = WithoutBackslash(OldPath);
    const std::wstring prefix = Upper(WithBackslash(oldObject));
    const std::wstring newBase = WithoutBackslash(NewPath);
    paths_->BeginUpdate();
    for (int i = 0; i < paths_->Count(); ++i) {
        const std::wstring entry = paths_->Strings(i);
        if (SamePath(entry, OldPath)) {
            paths_->SetStrings(i, NewPath);
        } else {
            const std::wstring upper = Upper(entry);
            if (upper.size() > prefix.size() && upper.compare(0, prefix.size(), prefix) == 0)
                paths_->SetStrings(i, WithBackslash(newBase) + entry.substr(prefix.size()));
        }
    }
    paths_->EndUpdate();
}

void TZemSelectionList::BeginUpdate() {
    ++updateCount_;
}

void TZemSelectionList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TZemSelectionList::Changed() {
    if (paths_->Count() == 0) {
        // Nothing is checked: no sum still on its way may reach the totals.
        CancelSizes();
        ResetTotals();
    } else {
        RecountPending();
    }
    if (OnChange) OnChange(this);
    if (!Updating() && link_) link_->NotifySelectionChanged(nullptr);
}

}  // namespace shell
