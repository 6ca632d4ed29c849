#include "shell/ZemThread.h"

#include "shell/ThreadPool.h"

namespace shell {

TZemThread::TZemThread() : fw::TThread(true) {
    SetFreeOnTerminate(true);
}

bool TZemThread::WaitWhilePaused() {
    if (fw::IsMainThread()) return Terminated();
    while (paused_ && !Terminated()) Sleep(100);
    return Terminated();
}

void TZemThread::DoTerminate() {
    finished_ = true;
    try {
        fw::TThread::DoTerminate();
    } catch (...) {
        // The report to the pool below must happen in any case.
    }
    if (pool_) {
        try {
            Synchronize([this] { ReturnToPool(); });
        } catch (...) {
            // A failing OnThreadFinished has nobody to reach on this ending thread;
            // the pool has taken the thread out of its list all the same.
        }
    }
}

void TZemThread::ReturnToPool() {
    if (TCustomThreadPool* pool = pool_) pool->ThreadFinished(this);
}

}  // namespace shell
