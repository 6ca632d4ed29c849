#include "controls/ZurSynch.h"

#include "controls/ZurBase.h"
#include "controls/ZurUnitVersioning.h"

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

TZurDispatcherObject::~TZurDispatcherObject() {
    if (handle_) CloseHandle(handle_);
}

TZurWaitResult TZurDispatcherObject::WaitFor(DWORD TimeOut) {
    return ToWaitResult(WaitForSingleObject(handle_, TimeOut));
}

TZurMutex::TZurMutex(SECURITY_ATTRIBUTES* SecAttr, bool InitialOwner, const std::wstring& Name) {
    name_ = Name;
    SetLastError(ERROR_SUCCESS);
    handle_ = CreateMutexW(SecAttr, InitialOwner, Name.empty() ? nullptr : Name.c_str());
    if (!handle_) throw EZurMutexError(L"Failed to create mutex");
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
}

bool TZurMutex::Release() {
    return ReleaseMutex(handle_) != FALSE;
}

TZurCriticalSection::TZurCriticalSection() {
    InitializeCriticalSection(&section_);
}
TZurCriticalSection::~TZurCriticalSection() {
    DeleteCriticalSection(&section_);
}
void TZurCriticalSection::Enter() {
    EnterCriticalSection(&section_);
}
void TZurCriticalSection::Leave() {
    LeaveCriticalSection(&section_);
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/windows/ZurSynch.cpp $",
                                      L"$Revision: 5 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\windows",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurSynchInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurSynchFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
