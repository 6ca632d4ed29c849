#pragma once
// Threads of the class library, and the hand-over of work to the main thread.
// A TThread is a heap object whose Execute runs on its own system thread. It is
// created suspended and started with Start(); a C++ object cannot run a virtual
// Execute before its derived constructor has finished, so a thread created with
// CreateSuspended false starts in AfterConstruction(), which its creator calls
// right after new. With FreeOnTerminate set the thread is deleted after
// OnTerminate has run, on the main thread, after every call it queued there;
// otherwise its creator deletes it (which terminates it and waits for it first;
// one never started runs out without running Execute). Its own OnTerminate
// handler may delete it too. A descendant whose Execute uses its own members and that
// may be deleted while running stops it in its own destructor (Terminate, WaitFor).
//
// Synchronize hands a call to the main thread and waits for it; Queue hands it
// over without waiting. The main thread runs such calls in CheckSynchronize, which
// a hidden message-only window also calls when woken, so they run inside any
// message loop, modal ones included. CheckSynchronize is re-entrant: a call it
// runs may pump messages or call CheckSynchronize itself.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "framework/Classes.h"
#include "framework/Handles.h"

namespace fw {

using TThreadMethod = std::function<void()>;

enum TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

class TThread : public TObject {
public:
    explicit TThread(bool CreateSuspended);
    ~TThread() override;

    // Starts a thread created with CreateSuspended false (see the header note).
    virtual void AfterConstruction();
    // Starts a thread that has not run yet; raises EThread when it already runs.
    void Start();
    // Resumes a suspended thread (starts one that has not run yet).
    void Resume();
    // Suspends a running thread. Dangerous in general: the pool uses it only on
    // threads that have not started their work.
    void Suspend();
    bool Suspended() const { return suspended_; }

    // Asks Execute to end; Execute looks at Terminated() and returns.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Execute has returned (or the thread was killed).
    bool Finished() const { return finished_; }
    // Waits until the thread has ended and returns its ReturnValue. On the main
    // thread it keeps running synchronized calls meanwhile, so a thread blocked in
    // Synchronize can end. Raises EThread for a thread that frees itself, one that
    // was never started, or when a thread waits for itself.
    int WaitFor();
    // Ends the thread at once (TerminateThread) without running its end handling;
    // its pending synchronized calls are dropped. For threads that ignore Terminate.
    // The caller deletes a killed thread, even one that frees itself: a deletion
    // it had already handed to the main thread is called off.
    void Kill();

    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool Value) { freeOnTerminate_ = Value; }
    TThreadPriority Priority() const { return priority_; }
    void SetPriority(TThreadPriority Value);
    HANDLE Handle() const { return handle_.get(); }
    DWORD ThreadID() const { return threadId_; }
    int ReturnValue() const { return returnValue_; }
    // The exception that escaped Execute, or null.
    std::exception_ptr FatalException() const { return fatalException_; }

    // Raised on the main thread, through Synchronize, after Execute has ended.
    TNotifyEvent OnTerminate;

    // Runs Method on the main thread and waits for it; a direct call when already
    // there. An exception raised by Method is raised again in the caller.
    void Synchronize(TThreadMethod Method) { Synchronize(this, std::move(Method)); }
    static void Synchronize(TThread* AThread, TThreadMethod Method);
    // Hands Method to the main thread without waiting (a direct call when already
    // there). An exception it raises reaches the main thread's caller of
    // CheckSynchronize (in the message loop: the application's handler).
    void Queue(TThreadMethod Method) { Queue(this, std::move(Method)); }
    static void Queue(TThread* AThread, TThreadMethod Method);
    // Drops the calls AThread has queued and that have not run yet.
    static void RemoveQueuedEvents(TThread* AThread);

protected:
    virtual void Execute() = 0;
    // The thread's last act: raises OnTerminate through Synchronize.
    virtual void DoTerminate();
    void SetReturnValue(int Value) { returnValue_ = Value; }

private:
    static DWORD WINAPI ThreadProc(void* Param);
    // What the system thread still reads once the object may be gone.
    struct Life {
        std::atomic<bool> deleted{false};
        std::atomic<bool> inTerminateHandler{false};
        std::atomic<bool> killed{false};  // its own deletion is called off
    };
    std::shared_ptr<Life> life_ = std::make_shared<Life>();
    std::atomic<bool> abandoned_{false};

    UniqueHandle handle_;
    DWORD threadId_ = 0;
    bool createSuspended_;
    std::atomic<bool> started_{false};
    std::atomic<bool> suspended_{true};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<int> returnValue_{0};
    TThreadPriority priority_ = tpNormal;
    std::exception_ptr fatalException_;
};

// Runs the synchronized and queued calls that are waiting (main thread only;
// raises EThread elsewhere). With a Timeout (ms) it first waits that long for a
// call to arrive. Returns whether it ran any call.
bool CheckSynchronize(DWORD Timeout = 0);

// While it lives, CheckSynchronize runs only the calls handed over before it was
// made, so a loop that handles waiting messages ends even while threads keep
// handing over calls (main thread only; elsewhere it does nothing).
class TSynchronizeBound {
public:
    TSynchronizeBound();
    ~TSynchronizeBound();
    TSynchronizeBound(const TSynchronizeBound&) = delete;
    TSynchronizeBound& operator=(const TSynchronizeBound&) = delete;

private:
    uint64_t previous_ = 0;
    bool active_ = false;
};

DWORD MainThreadID();
bool IsMainThread();

}  // namespace fw
