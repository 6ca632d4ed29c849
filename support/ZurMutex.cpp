#include "support/ZurMutex.h"

#include "support/ZurBase.h"
#include "support/ZurUnitVersioning.h"

namespace zur {

TZurWaitResult ToWaitResult(DWORD WaitAnswer) {
    switch (WaitAnswer) {
    case WAIT_ABANDONED: return wrAbandoned;
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_IO_COMPLETION: return wrIoCompletion;
    case WAIT_TIMEOUT: return wrTimeout;
    default: return wrError;  // WAIT_FAILED and anything unexpected
    }
}

TZurWaitResult TZurDispatcherObject::WaitFor(DWORD TimeOut) {
    return ToWaitResult(WaitForSingleObject(handle_.get(), TimeOut));
}

TZurMutex::TZurMutex(SECURITY_ATTRIBUTES* SecAttr, bool InitialOwner, const std::wstring& Name) {
    name_ = Name;
    SetLastError(ERROR_SUCCESS);
    handle_.reset(CreateMutexW(SecAttr, InitialOwner, Name.empty() ? nullptr : Name.c_str()));
    if (!handle_) throw EZurMutexError(L"Failed to create mutex");
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
}

bool TZurMutex::Release() {
    return ReleaseMutex(handle_.get()) != FALSE;
}

void ReleaseLibrary(HMODULE& Module) {
    if (!Module) return;
    FreeLibrary(Module);
    Module = nullptr;
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/windows/ZurMutex.cpp $",
                                      L"$Revision: 5 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\windows",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurMutexInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurMutexFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
