#pragma once
// Thin owners of Windows synchronisation objects. Each object owns its kernel
// handle (closed by the destructor) or its critical section (deleted by it);
// none can be copied. A named object remembers whether it already existed.
#include "framework/Classes.h"

#include <string>
#include <windows.h>

namespace zur {

enum TZurWaitResult {
    wrAbandoned,
    wrError,
    wrIoCompletion,
    wrSignaled,
    wrTimeout
};

class TZurDispatcherObject : public fw::TObject {
public:
    ~TZurDispatcherObject() override;
    // True when a named object of that name was already there at creation.
    bool Existed() const { return existed_; }
    HANDLE Handle() const { return handle_; }
    const std::wstring& Name() const { return name_; }
    TZurWaitResult WaitFor(DWORD TimeOut);

protected:
    TZurDispatcherObject() = default;
    bool existed_ = false;
    HANDLE handle_ = nullptr;
    std::wstring name_;
};

class TZurMutex : public TZurDispatcherObject {
public:
    // An empty name makes an unnamed mutex. Raises EZurMutexError on failure.
    TZurMutex(SECURITY_ATTRIBUTES* SecAttr, bool InitialOwner, const std::wstring& Name);
    bool Release();
};

class TZurCriticalSection : public fw::TObject {
public:
    TZurCriticalSection();
    ~TZurCriticalSection() override;
    void Enter();
    void Leave();

private:
    CRITICAL_SECTION section_;
};

// WaitForSingleObject's answer as a wait result.
TZurWaitResult ToWaitResult(DWORD WaitAnswer);

void ZurSynchInitialize();
void ZurSynchFinalize();

}  // namespace zur
