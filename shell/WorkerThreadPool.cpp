#include "shell/WorkerThreadPool.h"

#include <objbase.h>

#include <vector>

namespace shell {

namespace {

bool Passes(IWorkItem& Item, void* Owner, intptr_t Tag) {
    return (!Owner || Item.GetOwner() == Owner) && (!Tag || Item.GetTag() == Tag);
}

ULONGLONG FileTimeValue(const FILETIME& Time) {
    return (ULONGLONG(Time.dwHighDateTime) << 32) | Time.dwLowDateTime;
}

// Idle time and total (kernel, which includes idle, plus user) time of all processors.
bool ReadSystemTimes(ULONGLONG& Idle, ULONGLONG& Total) {
    FILETIME idle, kernel, user;
    if (!GetSystemTimes(&idle, &kernel, &user)) return false;
    Idle = FileTimeValue(idle);
    Total = FileTimeValue(kernel) + FileTimeValue(user);
    return true;
}

}  // namespace

// ---- TWorkItemsQueue -----------------------------------------------------------

void TWorkItemsQueue::Add(IWorkItemPtr Item) {
    fw::TLockGuard guard(lock_);
    items_.push_back(std::move(Item));
}

IWorkItemPtr TWorkItemsQueue::TakeFirst() {
    fw::TLockGuard guard(lock_);
    if (items_.empty()) return nullptr;
    IWorkItemPtr item = std::move(items_.front());
    items_.pop_front();
    return item;
}

IWorkItemPtr TWorkItemsQueue::TakeLast() {
    fw::TLockGuard guard(lock_);
    if (items_.empty()) return nullptr;
    IWorkItemPtr item = std::move(items_.back());
    items_.pop_back();
    return item;
}

int TWorkItemsQueue::Count() {
    fw::TLockGuard guard(lock_);
    return int(items_.size());
}

int TWorkItemsQueue::Clear() {
    std::deque<IWorkItemPtr> gone;
    {
        fw::TLockGuard guard(lock_);
        gone.swap(items_);
    }
    return int(gone.size());
}

int TWorkItemsQueue::RemoveMatching(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass) {
    std::vector<IWorkItemPtr> gone;
    {
        fw::TLockGuard guard(lock_);
        for (auto i = items_.size(); i-- > 0;) {
            IWorkItem& item = *items_[i];
            if (Passes(item, Owner, Tag) && (!ItemClass || ItemClass->Includes(item))) {
                gone.push_back(std::move(items_[i]));
                items_.erase(items_.begin() + i);
            }
        }
    }
    return int(gone.size());
}

// ---- TWorkerThread -------------------------------------------------------------

TWorkerThread::TWorkerThread(bool CoInitialize) : coInitialize_(CoInitialize) {}

TWorkerThreadPool* TWorkerThread::WorkerPool() const {
    return static_cast<TWorkerThreadPool*>(Pool());
}

IWorkItemPtr TWorkerThread::CurrentItem() {
    TWorkerThreadPool* pool = WorkerPool();
    if (!pool) return currentItem_;
    fw::TLockGuard guard(pool->Lock());
    return currentItem_;
}

void TWorkerThread::SetPaused(bool Value) {
    TZemThread::SetPaused(Value);
    if (IWorkItemPtr item = CurrentItem()) item->SetPaused(Value);
}

bool TWorkerThread::AbortCurrentItem(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass) {
    bool aborted = false;
    {
        TWorkerThreadPool* pool = WorkerPool();
        if (pool) pool->Lock().Enter();
        if (currentItem_ && Passes(*currentItem_, Owner, Tag) && (!ItemClass || ItemClass->IsExactly(*currentItem_))) {
            currentItem_->Abort();
            aborted = true;
        }
        if (pool) pool->Lock().Leave();
    }
    if (Suspended() && !Finished()) Resume();
    return aborted;
}

bool TWorkerThread::WaitWhileItemPaused(IWorkItem& Item) {
    auto* basic = dynamic_cast<TBasicWorkItem*>(&Item);
    for (;;) {
        if (basic && basic->Aborted()) return true;
        // A worker asked to end (a lowered thread limit) still delivers what it made;
        // a stop that wants nothing more aborts the item as well.
        if (Terminated() || (!Paused() && !(basic && basic->Paused()))) return false;
        Sleep(100);
    }
}

void TWorkerThread::Execute() {
    if (WaitWhilePaused()) return;
    bool comEntered = false;
    if (coInitialize_) {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_SPEED_OVER_MEMORY);
        if (hr != S_OK && hr != S_FALSE) return;
        comEntered = true;
    }
    TWorkerThreadPool* pool = WorkerPool();
    while (!WaitWhilePaused()) {
        IWorkItemPtr item = pool->NextWorkItem(this);
        if (!item) continue;
        try {
            item->Execute();
            if (std::function<void()> completion = item->GetCompletionMethod()) {
                // A paused worker holds its result back; it waits here, so the
                // main thread never sleeps on a pause.
                if (!WaitWhileItemPaused(*item)) Synchronize(completion);
            }
        } catch (...) {
            // A failing item or delivery costs only its own result; the worker
            // goes on, and the item still counts as done below.
        }
        pool->ItemDone(this);
        item.reset();
    }
    if (comEntered) CoUninitialize();
}

// ---- TWorkerThreadPool ---------------------------------------------------------

TWorkerThreadPool::TWorkerThreadPool(bool CoInitialize)
    : coInitialize_(CoInitialize),
      workAvailable_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
    // The first load reading compares with this moment.
    haveBaseline_ = ReadSystemTimes(lastIdle_, lastTotal_);
}

TWorkerThreadPool::~TWorkerThreadPool() {
    destroying_ = true;
    StopAll(true);
    *alive_ = false;
    if (workAvailable_) CloseHandle(workAvailable_);
}

void TWorkerThreadPool::AddWorkItem(IWorkItemPtr Item) {
    if (!Item || closed_ || destroying_) return;
    ++pendingCount_;
    queue_.Add(std::move(Item));
    SetEvent(workAvailable_);
    SpawnWorkerIfNeeded();
}

void TWorkerThreadPool::SetMinThreads(int Value) {
    minThreads_ = Value;
    if (Value > MaxThreads()) SetMaxThreads(Value);
    SpawnWorkerIfNeeded();
}

void TWorkerThreadPool::Notify(TZemThread* Thread, TListNotification Action) {
    TCustomThreadPool::Notify(Thread, Action);
    // The cap is kept by SpawnWorkerIfNeeded: a new worker starts at once.
    if (Action == TListNotification::lnAdded && Thread->Suspended()) Thread->Resume();
}

void TWorkerThreadPool::StopOne(TZemThread* Thread) {
    Thread->Terminate();
    if (auto* worker = dynamic_cast<TWorkerThread*>(Thread)) worker->AbortCurrentItem(nullptr, 0, nullptr);
}

void TWorkerThreadPool::RemoveThread(TZemThread* Thread) {
    TCustomThreadPool::RemoveThread(Thread);
    // Work still waiting must not be left without a worker.
    if (queue_.Count() > 0) SpawnWorkerIfNeeded();
}

void TWorkerThreadPool::SpawnWorkerIfNeeded() {
    if (destroying_) return;
    fw::TLockGuard guard(Lock());
    const int count = Count();
    if (count >= MaxThreads()) return;
    const DWORD now = GetTickCount();
    if (now - lastSpawnTick_ < 200 && count > minThreads_) return;
    if (queue_.Count() == 0) return;
    if (count < minThreads_ || GetCpuUsage() < maxCpuUsage_) AddThread(new TWorkerThread(coInitialize_));
    lastSpawnTick_ = now;
    SetStopping(false);
}

int TWorkerThreadPool::GetCpuUsage() {
    fw::TLockGuard guard(Lock());
    const DWORD now = GetTickCount();
    if (cpuSampled_ && now - cpuSampleTick_ <= 200) return cpuUsage_;
    ULONGLONG idle = 0, total = 0;
    if (!ReadSystemTimes(idle, total)) {
        cpuUsage_ = -1;
    } else {
        if (!haveBaseline_) {
            // No reading from the pool's creation: take two now.
            lastIdle_ = idle;
            lastTotal_ = total;
            haveBaseline_ = true;
            ReadSystemTimes(idle, total);
        }
        if (total <= lastTotal_) {
            cpuUsage_ = 100;
        } else {
            const ULONGLONG idleDiff = idle >= lastIdle_ ? idle - lastIdle_ : 0;
            const double load = 100.0 - double(idleDiff) * 100.0 / double(total - lastTotal_);
            cpuUsage_ = load < 0 ? 0 : load > 100 ? 100 : int(load + 0.5);
        }
        lastIdle_ = idle;
        lastTotal_ = total;
    }
    cpuSampled_ = true;
    cpuSampleTick_ = now;
    return cpuUsage_;
}

IWorkItemPtr TWorkerThreadPool::NextWorkItem(TWorkerThread* Worker) {
    if (Worker->Terminated()) return nullptr;
    const DWORD start = GetTickCount();
    for (;;) {
        IWorkItemPtr item;
        {
            // Taken and made current in one step: a cancel sees it either queued or running.
            fw::TLockGuard guard(Lock());
            item = lastInFirstOut_ ? queue_.TakeLast() : queue_.TakeFirst();
            Worker->currentItem_ = item;
        }
        if (item) {
            SpawnWorkerIfNeeded();
            return item;
        }
        const DWORD now = GetTickCount();
        if (now < start || now - start > idleTimeout_) {
            StopOne(Worker);
            return nullptr;
        }
        const DWORD wait = WaitForSingleObject(workAvailable_, 500);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_TIMEOUT) return nullptr;
        if (Worker->Terminated()) return nullptr;
    }
}

void TWorkerThreadPool::ItemDone(TWorkerThread* Worker) {
    IWorkItemPtr done;
    {
        fw::TLockGuard guard(Lock());
        done = std::move(Worker->currentItem_);
    }
    done.reset();
    // Never below 0: a stop may already have reset the count.
    int pending = pendingCount_;
    while (pending > 0 && !pendingCount_.compare_exchange_weak(pending, pending - 1)) {}
    if (pending == 1) FireQueueEmpty();
}

int TWorkerThreadPool::CancelWorkItems(void* Owner, intptr_t Tag, const TWorkItemClass* ItemClass) {
    if (pendingCount_ == 0) return 0;
    closed_ = true;
    int n = 0;
    bool empty = false;
    {
        fw::TLockGuard guard(Lock());
        n = (!Owner && !Tag && !ItemClass) ? queue_.Clear() : queue_.RemoveMatching(Owner, Tag, ItemClass);
        if (n > 0) empty = pendingCount_.fetch_sub(n) == n;
        for (int i = Count() - 1; i >= 0; --i)
            if (auto* worker = dynamic_cast<TWorkerThread*>(Threads(i)))
                if (worker->AbortCurrentItem(Owner, Tag, ItemClass)) ++n;
    }
    closed_ = false;
    if (empty) FireQueueEmpty();
    return n;
}

void TWorkerThreadPool::StopAll(bool Wait) {
    TCustomThreadPool::StopAll(false);
    CancelWorkItems(nullptr, 0, nullptr);
    SetEvent(workAvailable_);
    TCustomThreadPool::StopAll(Wait);
    queue_.Clear();
    if (pendingCount_.exchange(0) != 0) FireQueueEmpty();
    if (fw::IsMainThread()) fw::CheckSynchronize(0);
}

void TWorkerThreadPool::FireQueueEmpty() {
    if (!OnQueueEmpty || destroying_) return;
    if (++queueEmptyPosted_ == 1) {
        std::shared_ptr<std::atomic<bool>> alive = alive_;
        fw::TThread::Queue(nullptr, [this, alive] {
            if (*alive && !destroying_) DoQueueEmpty();
        });
    } else {
        --queueEmptyPosted_;
    }
}

void TWorkerThreadPool::DoQueueEmpty() {
    struct Done {
        TWorkerThreadPool* pool;
        ~Done() {
            --pool->queueEmptyPosted_;
            pool->SetStopping(false);
        }
    } done{this};
    if (OnQueueEmpty) OnQueueEmpty(this);
}

}  // namespace shell
