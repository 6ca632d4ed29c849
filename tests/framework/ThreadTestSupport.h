#pragma once
// Shared by the thread tests: a thread whose body is a lambda, an event to wait on
// with a bounded wait, and a main-thread wait that serves synchronized calls.
#include <windows.h>

#include <atomic>
#include <functional>
#include <utility>

#include "framework/Handles.h"
#include "framework/Thread.h"

namespace threadtest {

// Generous limits that only keep a broken build from hanging the suite.
constexpr DWORD kPatience = 60000;

// A thread whose body is a lambda; it can report its own destruction.
class TTestThread : public fw::TThread {
public:
    explicit TTestThread(std::function<void(TTestThread&)> body, bool createSuspended = true)
        : TThread(createSuspended), body_(std::move(body)) {}
    ~TTestThread() override {
        if (destroyed) *destroyed = true;
        if (destructions) ++*destructions;
    }
    using TThread::SetReturnValue;
    std::atomic<bool>* destroyed = nullptr;
    std::atomic<int>* destructions = nullptr;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TTestThread&)> body_;
};

// A manual-reset event.
struct Event {
    fw::UniqueHandle h{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void Set() { SetEvent(h.get()); }
    bool Wait(DWORD ms = kPatience) { return WaitForSingleObject(h.get(), ms) == WAIT_OBJECT_0; }
};

// Serves synchronized calls until the condition holds (or patience runs out).
inline bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > kPatience) return false;
        fw::CheckSynchronize(10);
    }
    return true;
}

}  // namespace threadtest
