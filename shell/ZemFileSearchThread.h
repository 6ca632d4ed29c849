#pragma once
// A background file search: walks a folder (and, with RecursiveSearch, the
// folders below it, depth first), tests every entry with its own copy of the
// search options, and hands the hits to its receiver (the file list) on the main
// thread in batches, in their order, waiting until each batch is added. A batch
// goes at the latest MaxBatchDelay after its first hit; with a progress handler
// every hit goes at once, before its progress report. Runs in the receiver's TThreadPool; the pool
// reports its end. Made with new on the main thread and given to AddThread; it
// frees itself (and its options) when it ends.
// The search never enters a folder that is a link to a folder already searched
// (or to one of its own ancestors), so it always ends; nor a folder whose name
// holds a backslash (made on another system), whose path names another folder.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/ZemSearchOptions.h"
#include "shell/ZemThread.h"

namespace shell {

// A hit with what the folder listing said of it. The search joined the folder
// and the name at NameStart: a name may hold a backslash or a colon (made on
// another system), so the path alone does not tell where its name begins.
struct TZemSearchHit {
    std::wstring Path;
    size_t NameStart = 0;
    DWORD Attributes = 0;
    int64_t Size = 0;
    FILETIME LastWriteTime{};
};

// What a search asks of the list it fills.
class IZemSearchReceiver {
public:
    virtual ~IZemSearchReceiver() = default;
    // Main thread: a batch of hits begins and ends (a list may defer its
    // window's updates to the end).
    virtual void BeginSearchHits() {}
    virtual void EndSearchHits() {}
    // Main thread: adds a hit with its listing data; by default by its path alone.
    virtual void AddSearchEntry(const TZemSearchHit& Hit) { AddSearchHit(Hit.Path); }
    // Main thread: whether the list already holds an item for the path.
    virtual bool HasItemWithPath(const std::wstring& Path) = 0;
    // Main thread: adds a hit (without a check mark).
    virtual void AddSearchHit(const std::wstring& Path) = 0;
    // Any thread: whether a progress handler is bound. The search reads nothing
    // else of the list, and asks again on the main thread before calling it.
    virtual bool HasSearchProgress() const = 0;
    // Main thread: calls the progress handler.
    virtual void SearchProgress(const std::wstring& Path) = 0;
};

class TZemFileSearchThread : public TZemThread {
public:
    static constexpr size_t MaxBatch = 16384;
    static constexpr DWORD MaxBatchDelay = 100;  // ms

    // Takes a copy of Options at once. Path empty: the roots of all ready drives.
    TZemFileSearchThread(const TZemSearchOptions* Options, IZemSearchReceiver* List, const std::wstring& Path,
                         bool SkipDuplicates);
    ~TZemFileSearchThread() override;

    const TZemSearchOptions& Options() const { return *options_; }
    IZemSearchReceiver* List() const { return list_; }
    const std::wstring& Path() const { return path_; }
    bool SkipDuplicates() const { return skipDuplicates_; }

protected:
    void Execute() override;

private:
    class TVisitedFolders;
    // Searches Root and, with RecursiveSearch, everything below it.
    void SearchTree(const std::wstring& Root);
    // One folder: hands over its hits and collects its subfolders in order.
    void SearchFolder(const std::wstring& Folder, std::vector<std::pair<std::wstring, bool>>& Subfolders);
    // Hands a hit (and, with a progress handler, every entry) to the main thread.
    void Report(const std::wstring& Folder, const WIN32_FIND_DATAW& Data, bool Hit);
    // Hands the waiting hits over (when there are any).
    void FlushHits();
    void AddFoundPaths();   // main thread
    void ReportProgress();  // main thread

    std::unique_ptr<TZemSearchOptions> options_;
    IZemSearchReceiver* list_;
    std::wstring path_;
    std::wstring currentPath_;
    std::vector<TZemSearchHit> batch_;
    DWORD batchStart_ = 0;
    bool skipDuplicates_;
};

}  // namespace shell
