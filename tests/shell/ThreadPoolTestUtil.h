#pragma once
// Helpers for the pool tests: a thread whose body a test supplies, a gate that
// holds bodies back, and waits that keep serving the main thread's synchronized
// calls. Every wait is bounded: its limit only guards against a hang.
#include <windows.h>

#include <atomic>
#include <functional>

#include "framework/Thread.h"
#include "shell/ZemThread.h"

namespace pooltest {

// Serves hand-overs until Done() holds; false when the limit passed first.
inline bool PumpUntil(const std::function<bool()>& Done, DWORD LimitMs = 30000) {
    const DWORD start = GetTickCount();
    while (!Done()) {
        if (GetTickCount() - start > LimitMs) return false;
        fw::CheckSynchronize(5);
    }
    return true;
}

// Waits without serving the main thread (so threads queue their hand-overs).
inline bool WaitUntil(const std::function<bool()>& Done, DWORD LimitMs = 30000) {
    const DWORD start = GetTickCount();
    while (!Done()) {
        if (GetTickCount() - start > LimitMs) return false;
        Sleep(1);
    }
    return true;
}

// Runs every call already handed to the main thread. Once every thread that
// could hand one over has gone, nothing can arrive later: a check after it is final.
inline void Drain() {
    while (fw::CheckSynchronize()) {}
}

// Serves hand-overs for a while, to give a wrong, late event the chance to show.
// Only for checks that something does not happen: no result depends on its length.
inline void PumpFor(DWORD Ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < Ms) fw::CheckSynchronize(5);
}

// A manual-reset event the test opens to let thread bodies go on.
class TGate {
public:
    TGate() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~TGate() { CloseHandle(handle_); }
    void Open() { SetEvent(handle_); }
    // Waits until open, the thread is asked to stop or the limit passes; true when open.
    bool Wait(fw::TThread* Thread = nullptr, DWORD LimitMs = 30000) {
        const DWORD start = GetTickCount();
        while (WaitForSingleObject(handle_, 5) == WAIT_TIMEOUT)
            if ((Thread && Thread->Terminated()) || GetTickCount() - start > LimitMs) return false;
        return true;
    }

private:
    HANDLE handle_;
};

class TTestThread : public shell::TZemThread {
public:
    explicit TTestThread(std::function<void(TTestThread*)> Body, std::atomic<int>* Destroyed = nullptr)
        : body_(std::move(Body)), destroyed_(Destroyed) {}
    ~TTestThread() override {
        if (destroyed_) ++*destroyed_;
    }
    // Whether Execute ran to its end (a killed thread never gets there).
    std::atomic<bool>* EndedNormally = nullptr;

protected:
    void Execute() override {
        if (!WaitWhilePaused() && body_) body_(this);
        if (EndedNormally) *EndedNormally = true;
    }

private:
    std::function<void(TTestThread*)> body_;
    std::atomic<int>* destroyed_;
};

}  // namespace pooltest
