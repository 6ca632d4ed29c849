#pragma once
// Thin owners of named Windows synchronisation objects. Each object owns its
// kernel handle (closed by the destructor) and cannot be copied. A named object
// remembers whether it already existed. Critical sections are the framework's
// (fw::TCriticalSection).
#include "framework/Classes.h"
#include "framework/Handles.h"

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
    // True when a named object of that name was already there at creation.
    bool Existed() const { return existed_; }
    HANDLE Handle() const { return handle_.get(); }
    const std::wstring& Name() const { return name_; }
    TZurWaitResult WaitFor(DWORD TimeOut);

protected:
    TZurDispatcherObject() = default;
    bool existed_ = false;
    fw::UniqueHandle handle_;
    std::wstring name_;
};

class TZurMutex : public TZurDispatcherObject {
public:
    // An empty name makes an unnamed mutex. Raises EZurMutexError on failure.
    TZurMutex(SECURITY_ATTRIBUTES* SecAttr, bool InitialOwner, const std::wstring& Name);
    bool Release();
};

// WaitForSingleObject's answer as a wait result.
TZurWaitResult ToWaitResult(DWORD WaitAnswer);

void ZurMutexInitialize();
void ZurMutexFinalize();

}  // namespace zur
