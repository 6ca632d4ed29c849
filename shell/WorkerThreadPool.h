#pragma once
// The pool of worker threads that does the shell library's slow work. Callers on
// the main thread queue work items with AddWorkItem; workers start as items
// arrive (the first MinThreads at once, further ones at most every 200 ms and
// only while the processor load is below MaxCpuUsage), take items from the queue,
// run them, hand each result to the main thread and end after IdleTimeout without
// work. CancelWorkItems drops queued items and aborts running ones, so their
// results never arrive. The pool owns its queue; destroy it on the main thread.
#include <atomic>
#include <deque>
#include <memory>

#include "shell/ThreadPool.h"
#include "shell/WorkItem.h"

namespace shell {

class TWorkerThreadPool;

// The queue of waiting items, with a lock of its own.
class TWorkItemsQueue {
public:
    void Add(IWorkItemPtr Item);
    IWorkItemPtr TakeFirst();
    IWorkItemPtr TakeLast();
    int Count();
    // Returns how many items it removed.
    int Clear();
    // Removes, from the last item to the first, every item that passes all given
    // filters: Owner when not null, Tag when not 0, ItemClass (or a descendant)
    // when not null. Returns how many it removed.
    int RemoveMatching(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass);

private:
    fw::TCriticalSection lock_;
    std::deque<IWorkItemPtr> items_;
};

class TWorkerThread : public TZemThread {
public:
    explicit TWorkerThread(bool CoInitialize);

    // Also pauses (or resumes) the running item.
    void SetPaused(bool Value) override;
    // Aborts the running item when it passes the filters (its class must equal
    // ItemClass exactly); true when it did. A suspended worker is resumed.
    bool AbortCurrentItem(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass);
    IWorkItemPtr CurrentItem();

protected:
    void Execute() override;

private:
    friend class TWorkerThreadPool;
    TWorkerThreadPool* WorkerPool() const;
    // Sleeps while the worker or the item is paused (a terminated worker no
    // longer waits); true when the item's result is no longer wanted (aborted).
    bool WaitWhileItemPaused(IWorkItem& Item);

    IWorkItemPtr currentItem_;  // guarded by the pool's lock
    bool coInitialize_;
};

class TWorkerThreadPool : public TCustomThreadPool {
public:
    // With CoInitialize every worker enters a single-threaded COM apartment.
    explicit TWorkerThreadPool(bool CoInitialize);
    ~TWorkerThreadPool() override;

    // Raised on the main thread each time the number of pending items drops to 0.
    fw::TNotifyEvent OnQueueEmpty;

    // Queues the item (dropped while items are being cancelled) and starts a
    // worker when the rules allow one.
    void AddWorkItem(IWorkItemPtr Item);
    // Returns how many queued items it removed plus how many running ones it aborted.
    virtual int CancelWorkItems(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass);
    void StopAll(bool Wait) override;
    void RemoveThread(TZemThread* Thread) override;

    int MinThreads() const { return minThreads_; }
    void SetMinThreads(int Value);
    bool LastInFirstOut() const { return lastInFirstOut_; }
    void SetLastInFirstOut(bool Value) { lastInFirstOut_ = Value; }
    DWORD IdleTimeout() const { return idleTimeout_; }
    void SetIdleTimeout(DWORD Value) { idleTimeout_ = Value; }
    int MaxCpuUsage() const { return maxCpuUsage_; }
    void SetMaxCpuUsage(int Value) { maxCpuUsage_ = Value; }
    bool Closed() const { return closed_; }
    int PendingCount() const { return pendingCount_; }
    bool CoInitialize() const { return coInitialize_; }
    TWorkItemsQueue& Queue() { return queue_; }

    // Processor load in percent over all processors since the previous sample
    // (the first one compares with the moment the pool was made); sampled at most
    // every 200 ms; -1 when the system cannot tell.
    int GetCpuUsage();

protected:
    void Notify(TZemThread* Thread, TListNotification Action) override;
    void StopOne(TZemThread* Thread) override;

private:
    friend class TWorkerThread;
    // Takes the next item and makes it the worker's current one, under the lock
    // that cancelling takes; waits for work up to IdleTimeout.
    IWorkItemPtr NextWorkItem(TWorkerThread* Worker);
    // The worker is done with its current item (delivered or not).
    void ItemDone(TWorkerThread* Worker);
    void SpawnWorkerIfNeeded();
    void FireQueueEmpty();
    void DoQueueEmpty();

    TWorkItemsQueue queue_;
    std::atomic<int> minThreads_{1};
    std::atomic<bool> lastInFirstOut_{false};
    std::atomic<DWORD> idleTimeout_{60000};
    std::atomic<bool> closed_{false};
    std::atomic<bool> destroying_{false};
    std::atomic<int> pendingCount_{0};
    std::atomic<int> queueEmptyPosted_{0};
    DWORD lastSpawnTick_ = 0;
    bool coInitialize_;
    std::atomic<int> maxCpuUsage_{80};
    HANDLE workAvailable_;
    // Cleared when the pool goes, so a posted queue-empty call finds it gone.
    std::shared_ptr<std::atomic<bool>> alive_;

    // Processor load samples (under the pool's lock).
    bool cpuSampled_ = false;
    DWORD cpuSampleTick_ = 0;
    int cpuUsage_ = -1;
    ULONGLONG lastIdle_ = 0, lastTotal_ = 0;
    bool haveBaseline_ = false;
};

}  // namespace shell
