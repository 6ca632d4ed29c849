#pragma once
// Thin owners of named Windows synchronisation objects. Each object owns its
// kernel handle (closed by the destructor) and cannot be copied. A named object
// remembers whether it already existed. The library's critical section stands
// on the framework's lock.
#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/SyncObjs.h"

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

// One critical section, made with the object and deleted with it.
class TZurCriticalSection : public fw::TObject {
public:
    void Enter() { section_.Enter(); }
    void Leave() { section_.Leave(); }
    // Enters when no other thread holds it; returns whether it did.
    bool TryEnter() { return section_.TryEnter(); }

private:
    fw::TCriticalSection section_;
};

// Frees a loaded library: a module handle other than 0 goes to FreeLibrary and
// becomes 0, so it is never freed twice.
void ReleaseLibrary(HMODULE& Module);

// WaitForSingleObject's answer as a wait result.
TZurWaitResult ToWaitResult(DWORD WaitAnswer);

void ZurMutexInitialize();
void ZurMutexFinalize();

}  // namespace zur
