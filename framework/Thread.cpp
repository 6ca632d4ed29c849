#include "framework/Thread.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "framework/AllocateHWnd.h"
#include "framework/Exception.h"

namespace fw {

namespace {

// Posted to the main thread's hidden window when a call waits for it.
const UINT WM_FW_SYNCHRONIZE = WM_USER + 1;

struct SyncRequest {
    SyncRequest(TThreadMethod m, TThread* t, bool b)
        : method(std::move(m)), thread(t), source(GetCurrentThreadId()), blocking(b) {}
    TThreadMethod method;
    TThread* thread;  // whose call it is, for RemoveQueuedEvents (may be null)
    DWORD source;     // the system thread that handed it over
    bool blocking;    // Synchronize (someone waits) or Queue
    uint64_t seq = 0;
    bool done = false;
    std::exception_ptr error;
};
using SyncRequestPtr = std::shared_ptr<SyncRequest>;

struct SyncState {
    std::mutex lock;
    std::condition_variable doneChanged;
    std::deque<SyncRequestPtr> queue;
    uint64_t nextSeq = 1;
    // Auto-reset: set for every request, for main-thread waits that are not loops.
    HANDLE arrived = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> wakePosted{false};
    // The first sequence number a bounded CheckSynchronize leaves alone (main thread only).
    uint64_t bound = UINT64_MAX;
};

// Never destroyed: threads still running at process exit may touch it.
SyncState& State() {
    static SyncState* state = new SyncState;
    return *state;
}

void WakeMainThread() {
    SyncState& s = State();
    SetEvent(s.arrived);
    // One wake-up message at a time is enough: its handler drains the queue.
    HWND wnd = s.window;
    if (wnd && !s.wakePosted.exchange(true) && !PostMessageW(wnd, WM_FW_SYNCHRONIZE, 0, 0)) s.wakePosted = false;
}

void Submit(const SyncRequestPtr& request) {
    SyncState& s = State();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        request->seq = s.nextSeq++;
        s.queue.push_back(request);
    }
    WakeMainThread();
}

template <class Pred>
void DropRequests(Pred pred) {
    SyncState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(), pred), s.queue.end());
}

LRESULT SyncWindowMethod(UINT msg, WPARAM wParam, LPARAM lParam) {
    SyncState& s = State();
    if (msg == WM_FW_SYNCHRONIZE) {
        // Under a bound the wake-up stays taken, so no new one is posted until the bound ends.
        if (s.bound == UINT64_MAX) s.wakePosted = false;
        CheckSynchronize();
        return 0;
    }
    return DefWindowProcW(s.window, msg, wParam, lParam);
}

// Waits for a system object; the main thread meanwhile serves synchronized calls
// and sent messages, so the thread it waits for can never be stuck on it.
void WaitForObject(HANDLE object) {
    if (!IsMainThread()) {
        WaitForSingleObject(object, INFINITE);
        return;
    }
    HANDLE handles[2] = {object, State().arrived};
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return;
        if (r == WAIT_OBJECT_0 + 1) {
            try {
                CheckSynchronize();
            } catch (...) {
                // A failing call is reported; the wait goes on until the object is signalled.
                ReportException(nullptr);
            }
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers sent messages
        } else if (r == WAIT_FAILED) {
            RaiseLastOSError();
        }
    }
}

const int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_BELOW_NORMAL,
                           THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                           THREAD_PRIORITY_TIME_CRITICAL};

// The program's first thread is the main thread; its wake-up window is made
// before main() runs, so every later hand-over can reach it.
struct MainThreadSetup {
    MainThreadSetup() {
        MainThreadID();
        try {
            State().window = AllocateHWnd(SyncWindowMethod);
        } catch (...) {
            // Without the window, CheckSynchronize and WaitFor still serve calls.
        }
    }
} g_mainThreadSetup;

}  // namespace

DWORD MainThreadID() {
    static const DWORD id = GetCurrentThreadId();
    return id;
}

bool IsMainThread() {
    return GetCurrentThreadId() == MainThreadID();
}

bool CheckSynchronize(DWORD Timeout) {
    if (!IsMainThread())
        throw EThread(L"CheckSynchronize called from thread " + std::to_wstring(GetCurrentThreadId()) +
                      L", which is not the main thread");
    SyncState& s = State();
    bool empty;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        empty = s.queue.empty();
    }
    if (empty) {
        if (Timeout == 0) return false;
        WaitForSingleObject(s.arrived, Timeout);
    }
    // Only what has arrived so far: a thread that keeps handing over calls cannot
    // hold the main thread here. Calls are taken one at a time, so a nested
    // CheckSynchronize continues in the same order.
    uint64_t limit;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        limit = std::min(s.nextSeq, s.bound);
    }
    bool ran = false;
    for (;;) {
        SyncRequestPtr request;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            if (s.queue.empty() || s.queue.front()->seq >= limit) break;
            request = std::move(s.queue.front());
            s.queue.pop_front();
        }
        ran = true;
        if (request->blocking) {
            try {
                request->method();
            } catch (...) {
                request->error = std::current_exception();  // raised again in the waiting thread
            }
            {
                std::lock_guard<std::mutex> guard(s.lock);
                request->done = true;
            }
            s.doneChanged.notify_all();
        } else {
            try {
                request->method();
            } catch (...) {
                // The rest waits for the next round; make sure there is one.
                bool more;
                {
                    std::lock_guard<std::mutex> guard(s.lock);
                    more = !s.queue.empty();
                }
                if (more) WakeMainThread();
                throw;
            }
        }
    }
    return ran;
}

TSynchronizeBound::TSynchronizeBound() {
    if (!IsMainThread()) return;
    SyncState& s = State();
    active_ = true;
    previous_ = s.bound;
    std::lock_guard<std::mutex> guard(s.lock);
    s.bound = std::min(s.bound, s.nextSeq);
}

TSynchronizeBound::~TSynchronizeBound() {
    if (!active_) return;
    SyncState& s = State();
    bool more;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.bound = previous_;
        more = !s.queue.empty();
    }
    if (previous_ != UINT64_MAX) return;
    // The calls held back get their wake-up now.
    s.wakePosted = false;
    if (more) WakeMainThread();
}

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {
    MainThreadID();
    handle_.reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &threadId_));
    if (!handle_) RaiseLastOSError();
}

TThread::~TThread() {
    life_->deleted = true;
    if (handle_) {
        if (!started_) {
            // It never ran a line of its own: it runs out at once, running nothing
            // (ending it by force would leave its stack behind).
            abandoned_ = true;
            terminated_ = true;
            ResumeThread(handle_.get());
            WaitForSingleObject(handle_.get(), INFINITE);
        } else if (life_->inTerminateHandler) {
            // Deleted by its own OnTerminate, which the system thread waits for: it
            // ends on its own once the handler returns, touching nothing of the object.
        } else if (GetCurrentThreadId() != threadId_) {
            Terminate();
            if (suspended_) ResumeThread(handle_.get());
            try {
                WaitForObject(handle_.get());
            } catch (...) {
                // A destructor raises nothing: the plain wait still ends with the thread.
                WaitForSingleObject(handle_.get(), INFINITE);
            }
        }
        handle_.reset();
    }
    RemoveQueuedEvents(this);
}

void TThread::AfterConstruction() {
    if (!createSuspended_ && !started_) Start();
}

void TThread::Start() {
    if (started_.exchange(true)) throw EThread(L"Cannot call Start on a running or finished thread");
    suspended_ = false;
    if (ResumeThread(handle_.get()) == DWORD(-1)) RaiseLastOSError();
}

void TThread::Resume() {
    if (!started_) {
        Start();
        return;
    }
    const DWORD previous = ResumeThread(handle_.get());
    if (previous == DWORD(-1)) RaiseLastOSError();
    if (previous <= 1) suspended_ = false;
}

void TThread::Suspend() {
    if (!started_ || finished_) return;  // not running: nothing to suspend
    const bool was = suspended_.exchange(true);
    if (SuspendThread(handle_.get()) == DWORD(-1)) {
        suspended_ = was;
        RaiseLastOSError();
    }
}

int TThread::WaitFor() {
    if (GetCurrentThreadId() == threadId_) throw EThread(L"A thread cannot wait for itself");
    if (freeOnTerminate_) throw EThread(L"Cannot call WaitFor on a thread that frees itself");
    if (!started_) throw EThread(L"Cannot call WaitFor on a thread that was never started");
    WaitForObject(handle_.get());
    DWORD code = 0;
    GetExitCodeThread(handle_.get(), &code);
    return int(code);
}

void TThread::Kill() {
    // Whoever kills the thread deletes it; a self-deletion already handed over must not run too.
    life_->killed = true;
    if (WaitForSingleObject(handle_.get(), 0) != WAIT_OBJECT_0) {
        if (!TerminateThread(handle_.get(), 0) && WaitForSingleObject(handle_.get(), 0) != WAIT_OBJECT_0)
            RaiseLastOSError();
        WaitForSingleObject(handle_.get(), INFINITE);
    }
    started_ = true;
    suspended_ = false;
    finished_ = true;
    // A dead thread waits for nothing, and its object is about to go.
    const DWORD id = threadId_;
    DropRequests([id](const SyncRequestPtr& r) { return r->blocking && r->source == id; });
    RemoveQueuedEvents(this);
}

void TThread::SetPriority(TThreadPriority Value) {
    if (!SetThreadPriority(handle_.get(), kPriorities[Value])) RaiseLastOSError();
    priority_ = Value;
}

void TThread::DoTerminate() {
    if (!OnTerminate) return;
    const std::shared_ptr<Life> life = life_;
    Synchronize([this, life] {
        // A copy: the handler may delete the thread, and its handler with it.
        const TNotifyEvent handler = OnTerminate;
        if (!handler) return;
        life->inTerminateHandler = true;
        try {
            handler(this);
        } catch (...) {
            life->inTerminateHandler = false;
            throw;
        }
        life->inTerminateHandler = false;
    });
}

void TThread::Synchronize(TThread* AThread, TThreadMethod Method) {
    if (!Method) return;
    if (IsMainThread()) {
        Method();
        return;
    }
    auto request = std::make_shared<SyncRequest>(std::move(Method), AThread, true);
    Submit(request);
    SyncState& s = State();
    {
        std::unique_lock<std::mutex> guard(s.lock);
        s.doneChanged.wait(guard, [&] { return request->done; });
    }
    if (request->error) std::rethrow_exception(request->error);
}

void TThread::Queue(TThread* AThread, TThreadMethod Method) {
    if (!Method) return;
    if (IsMainThread()) {
        Method();
        return;
    }
    Submit(std::make_shared<SyncRequest>(std::move(Method), AThread, false));
}

void TThread::RemoveQueuedEvents(TThread* AThread) {
    if (!AThread) return;
    DropRequests([AThread](const SyncRequestPtr& r) { return !r->blocking && r->thread == AThread; });
}

DWORD WINAPI TThread::ThreadProc(void* Param) {
    auto* thread = static_cast<TThread*>(Param);
    if (thread->abandoned_) return 0;  // deleted before it was started
    const std::shared_ptr<Life> life = thread->life_;
    try {
        // Terminated before it ran: the body is skipped, the end handling is not.
        if (!thread->terminated_) thread->Execute();
    } catch (...) {
        thread->fatalException_ = std::current_exception();
    }
    const DWORD result = DWORD(thread->returnValue_.load());
    thread->finished_ = true;
    try {
        thread->DoTerminate();
    } catch (...) {
        if (!life->deleted && !thread->fatalException_) thread->fatalException_ = std::current_exception();
    }
    if (life->deleted) return result;  // deleted by its own OnTerminate
    // Freed on the main thread after the calls it queued, so none is lost and none
    // runs with its thread gone.
    if (thread->freeOnTerminate_)
        Queue(nullptr, [thread, life] {
            if (!life->killed) delete thread;
        });
    return result;
}

}  // namespace fw
