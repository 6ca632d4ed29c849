#pragma once
// A thread that knows the pool it runs in. Every TZemThread is created suspended
// and frees itself when it ends; as its last act it reports to its pool on the
// main thread (the pool then raises OnThreadFinished and takes it out of its list).
// Create it with new, hand it to a pool's AddThread, and keep no pointer to it
// after the pool has reported it finished.
#include <atomic>

#include "framework/Thread.h"

namespace shell {

class TCustomThreadPool;

class TZemThread : public fw::TThread {
public:
    TZemThread();

    // Set as the thread's end handling begins, before it reports to its pool.
    bool Finished() const { return finished_; }
    bool Paused() const { return paused_; }
    virtual void SetPaused(bool Value) { paused_ = Value; }
    // The pool the thread was added to; nullptr before that. Not owned.
    TCustomThreadPool* Pool() const { return pool_; }

    // While paused and not terminated, sleeps in 100 ms steps; returns Terminated.
    // On the main thread it never sleeps: it only answers Terminated.
    bool WaitWhilePaused();

protected:
    void DoTerminate() override;
    // Main thread: tells the pool that this thread has finished.
    virtual void ReturnToPool();

private:
    friend class TCustomThreadPool;
    void MarkFinished() { finished_ = true; }

    std::atomic<bool> finished_{false};
    // Its pool is handling its report on the main thread right now.
    std::atomic<bool> reporting_{false};
    std::atomic<bool> paused_{false};
    std::atomic<TCustomThreadPool*> pool_{nullptr};
};

}  // namespace shell
