#pragma once
// A re-entrant lock over a system critical section, and a scope guard for it.
// The owner of a TCriticalSection keeps it for as long as anyone may lock it.
#include <windows.h>

namespace fw {

class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&section_); }
    ~TCriticalSection() { DeleteCriticalSection(&section_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    // Enters when no other thread holds it; returns whether it did.
    bool TryEnter() { return TryEnterCriticalSection(&section_) != 0; }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class TLockGuard {
public:
    explicit TLockGuard(TCriticalSection& Lock) : lock_(Lock) { lock_.Enter(); }
    ~TLockGuard() { lock_.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TCriticalSection& lock_;
};

}  // namespace fw
