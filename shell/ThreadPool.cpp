#include "shell/ThreadPool.h"

#include <algorithm>

namespace shell {

namespace {

int ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors ? int(info.dwNumberOfProcessors) : 1;
}

}  // namespace

// ---- TCustomThreadPool -------------------------------------------------------

TCustomThreadPool::TStopScope::TStopScope(TCustomThreadPool& Pool) : pool_(Pool) {
    ++pool_.stopDepth_;
    pool_.stopping_ = true;
}

TCustomThreadPool::TStopScope::~TStopScope() {
    // A stop that has returned no longer holds back threads added after it.
    if (--pool_.stopDepth_ == 0) pool_.stopping_ = false;
}

TCustomThreadPool::TCustomThreadPool() : maxThreads_(3 * ProcessorCount() + 2) {}

TCustomThreadPool::~TCustomThreadPool() {
    StopAll(true);
}

int TCustomThreadPool::Count() {
    fw::TLockGuard guard(lock_);
    return int(threads_.size());
}

TZemThread* TCustomThreadPool::Threads(int Index) {
    fw::TLockGuard guard(lock_);
    return (Index >= 0 && Index < int(threads_.size())) ? threads_[Index] : nullptr;
}

int TCustomThreadPool::RunningCount() {
    fw::TLockGuard guard(lock_);
    return int(std::count_if(threads_.begin(), threads_.end(),
                             [](TZemThread* t) { return !t->Suspended() && !t->Finished(); }));
}

TZemThread* TCustomThreadPool::FirstSuspended() {
    fw::TLockGuard guard(lock_);
    for (TZemThread* t : threads_)
        if (t->Suspended()) return t;
    return nullptr;
}

bool TCustomThreadPool::ResumeOne() {
    fw::TLockGuard guard(lock_);
    TZemThread* t = FirstSuspended();
    if (!t) return false;
    t->Resume();
    return true;
}

bool TCustomThreadPool::ContainsThread(TZemThread* Thread) {
    fw::TLockGuard guard(lock_);
    return std::find(threads_.rbegin(), threads_.rend(), Thread) != threads_.rend();
}

void TCustomThreadPool::AddThread(TZemThread* Thread) {
    if (!Thread) return;
    fw::TLockGuard guard(lock_);
    threads_.push_back(Thread);
    Notify(Thread, TListNotification::lnAdded);
}

void TCustomThreadPool::Notify(TZemThread* Thread, TListNotification Action) {
    if (Action == TListNotification::lnAdded) {
        Thread->pool_ = this;
        Thread->SetPriority(threadPriority_);
    }
}

bool TCustomThreadPool::Extract(TZemThread* Thread) {
    fw::TLockGuard guard(lock_);
    auto it = std::find(threads_.begin(), threads_.end(), Thread);
    if (it == threads_.end()) return false;
    threads_.erase(it);
    Notify(Thread, TListNotification::lnDeleted);
    return threads_.empty();
}

void TCustomThreadPool::ListBecameEmpty() {
    // Raised outside the lock, so a handler (or the main thread it waits for)
    // can use the pool.
    try {
        if (OnEmpty)
            fw::TThread::Synchronize(nullptr, [this] {
                if (OnEmpty) OnEmpty(this);
            });
    } catch (...) {
        stopping_ = false;
        throw;
    }
    stopping_ = false;
}

void TCustomThreadPool::RemoveThread(TZemThread* Thread) {
    if (!Thread) return;
    if (Thread->Finished()) {
        if (Extract(Thread)) ListBecameEmpty();
    } else {
        StopThread(Thread);
    }
}

void TCustomThreadPool::ThreadFinished(TZemThread* Thread) {
    Thread->reporting_ = true;
    lastFinishedThread_ = Thread;
    struct Leave {
        TCustomThreadPool* pool;
        TZemThread* thread;
        ~Leave() {
            // The thread frees itself once this returns: nothing may keep pointing at it.
            pool->lastFinishedThread_ = nullptr;
            try {
                pool->RemoveThread(thread);
            } catch (...) {}
        }
    } leave{this, Thread};
    if (OnThreadFinished) OnThreadFinished(Thread);
}

void TCustomThreadPool::StopOne(TZemThread* Thread) {
    Thread->Terminate();
}

void TCustomThreadPool::WaitStep(DWORD Milliseconds) {
    // The main thread keeps serving the threads' calls, so one blocked in a
    // hand-over can reach its end; and it answers messages sent to its windows
    // (a thread inside SHChangeNotify waits for the notifier's window).
    if (fw::IsMainThread()) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        fw::CheckSynchronize(Milliseconds);
    } else {
        Sleep(Milliseconds);
    }
}

void TCustomThreadPool::StopThread(TZemThread* Thread) {
    TStopScope scope(*this);
    if (!Thread) return;
    // Its report is being handled further up this very call stack.
    if (Thread->reporting_) return;
    if (!Thread->Finished()) {
        fw::TLockGuard guard(lock_);
        if (std::find(threads_.begin(), threads_.end(), Thread) == threads_.end()) return;
        StopOne(Thread);
        if (Thread->Suspended()) Thread->Resume();
    }
    const DWORD start = GetTickCount();
    for (;;) {
        if (!ContainsThread(Thread) || Thread->reporting_) return;
        if (GetTickCount() - start >= stopTimeout_) break;
        WaitStep(5);
    }
    KillThread(Thread);
}

void TCustomThreadPool::KillThread(TZemThread* Thread) {
    {
        fw::TLockGuard guard(lock_);
        if (std::find(threads_.begin(), threads_.end(), Thread) == threads_.end() || Thread->reporting_) return;
        Thread->Kill();
        Thread->MarkFinished();
    }
    // A killed thread is reported like one that ended, so whoever counts the
    // ends sees every thread once.
    try {
        ThreadFinished(Thread);
    } catch (...) {}
    try {
        delete Thread;
    } catch (...) {}
}

void TCustomThreadPool::StopAll(bool Wait) {
    if (Count() == 0) return;
    TStopScope scope(*this);
    {
        fw::TLockGuard guard(lock_);
        for (auto i = threads_.size(); i-- > 0;) {
            TZemThread* t = threads_[i];
            StopOne(t);
            if (t->Suspended() && !t->Finished()) t->Resume();
        }
    }
    if (Wait) {
        WaitStep(20);
        for (;;) {
            TZemThread* next = nullptr;
            {
                fw::TLockGuard guard(lock_);
                for (TZemThread* t : threads_)
                    if (!t->reporting_) {
                        next = t;
                        break;
                    }
            }
            if (!next) break;
            StopThread(next);
        }
    }
    Sleep(1);
    if (fw::IsMainThread()) fw::CheckSynchronize(0);
}

void TCustomThreadPool::SetMaxThreads(int Value) {
    if (Value == maxThreads_) return;
    maxThreads_ = Value;
    fw::TLockGuard guard(lock_);
    int running = 0;
    for (TZemThread* t : threads_) {
        if (t->Suspended() || t->Finished()) continue;
        // Asked to end, no more: a worker still hands over the result it is making.
        if (++running > Value) t->Terminate();
    }
    while (RunningCount() < maxThreads_ && ResumeOne()) {}
}

// ---- TThreadPool --------------------------------------------------------------

TThreadPool::~TThreadPool() {
    StopAll(true);
}

void TThreadPool::AddThread(TZemThread* Thread) {
    if (!Thread) return;
    if (Stopping()) Thread->Terminate();
    TCustomThreadPool::AddThread(Thread);
}

void TThreadPool::Notify(TZemThread* Thread, TListNotification Action) {
    TCustomThreadPool::Notify(Thread, Action);
    if (Action == TListNotification::lnAdded) {
        // Only a thread that has not started is held back; a running one is never suspended.
        if (Count() <= MaxThreads() && Thread->Suspended()) Thread->Resume();
    } else if (RunningCount() < MaxThreads()) {
        ResumeOne();
    }
}

}  // namespace shell
