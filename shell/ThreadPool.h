#pragma once
// Pools of TZemThreads. A pool keeps its threads in a locked list, caps how many
// run, stops them with a grace time (killing those that do not end), and tells
// its owner on the main thread when a thread has finished and when the pool has
// become empty. The pool never owns a running thread: threads free themselves
// after they have reported; a thread the pool had to kill is freed by the pool.
// A pool is created and destroyed on the main thread; destroying it stops every
// thread and waits until each has left, so no thread reaches a pool that is gone.
#include <atomic>
#include <functional>
#include <vector>

#include "framework/Classes.h"
#include "framework/Thread.h"
#include "framework/SyncObjs.h"
#include "shell/ZemThread.h"

namespace shell {

enum class TListNotification {
    lnAdded,
    lnDeleted
};

class TCustomThreadPool : public fw::TObject {
public:
    using TThreadFinishedEvent = std::function<void(TZemThread* Thread)>;

    TCustomThreadPool();
    ~TCustomThreadPool() override;

    // Raised on the main thread for every thread that has finished, also for one
    // the pool had to kill; the thread is taken out of the list afterwards (even
    // when the handler raises) and must not be used once the handler returns.
    TThreadFinishedEvent OnThreadFinished;
    // Raised on the main thread, with the pool as Sender, when the last thread has left.
    fw::TNotifyEvent OnEmpty;

    // Appends the thread; the pool sets its pool and priority (and may start it).
    virtual void AddThread(TZemThread* Thread);
    // A finished thread leaves the list; any other is stopped.
    virtual void RemoveThread(TZemThread* Thread);
    // Terminates every thread; with Wait, waits until every one has left the list
    // (each within StopTimeout, else it is killed and reported finished). On the
    // main thread the waits run the threads' pending calls meanwhile.
    virtual void StopAll(bool Wait);
    // Terminates one thread and waits up to StopTimeout for it to leave; then kills it.
    void StopThread(TZemThread* Thread);
    // Main thread, from the thread's report: OnThreadFinished, then RemoveThread.
    void ThreadFinished(TZemThread* Thread);

    int MaxThreads() const { return maxThreads_; }
    void SetMaxThreads(int Value);
    fw::TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(fw::TThreadPriority Value) { threadPriority_ = Value; }
    DWORD StopTimeout() const { return stopTimeout_; }
    void SetStopTimeout(DWORD Value) { stopTimeout_ = Value; }
    // The thread being reported finished, while OnThreadFinished runs; else nullptr.
    TZemThread* LastFinishedThread() const { return lastFinishedThread_; }
    bool Stopping() const { return stopping_; }

    int Count();
    TZemThread* Threads(int Index);
    // Threads neither suspended nor finished.
    int RunningCount();
    TZemThread* FirstSuspended();
    bool ResumeOne();
    bool ContainsThread(TZemThread* Thread);
    fw::TCriticalSection& Lock() { return lock_; }

protected:
    // Runs under the lock for every thread added to or deleted from the list.
    virtual void Notify(TZemThread* Thread, TListNotification Action);
    void SetStopping(bool Value) { stopping_ = Value; }
    // Asks one thread to end (workers also abort their running item).
    virtual void StopOne(TZemThread* Thread);

private:
    // Marks a stop in progress; the outermost one clears Stopping as it ends.
    class TStopScope {
    public:
        explicit TStopScope(TCustomThreadPool& Pool);
        ~TStopScope();

    private:
        TCustomThreadPool& pool_;
    };

    // Under the lock: takes the thread out; true when the list became empty.
    bool Extract(TZemThread* Thread);
    void ListBecameEmpty();
    void KillThread(TZemThread* Thread);
    void WaitStep(DWORD Milliseconds);

    fw::TCriticalSection lock_;
    std::vector<TZemThread*> threads_;
    std::atomic<int> maxThreads_;
    fw::TThreadPriority threadPriority_ = fw::tpNormal;
    DWORD stopTimeout_ = 3000;
    TZemThread* lastFinishedThread_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::atomic<int> stopDepth_{0};
};

// The plain pool: a thread added beyond MaxThreads waits, not yet started, until
// another thread leaves.
class TThreadPool : public TCustomThreadPool {
public:
    TThreadPool() = default;
    ~TThreadPool() override;

    // While a stop is in progress the thread is terminated first: it ends at once.
    void AddThread(TZemThread* Thread) override;

protected:
    void Notify(TZemThread* Thread, TListNotification Action) override;
};

}  // namespace shell
