#pragma once
// Process-wide helpers: a critical section held through an interface reference,
// the process lock built on it, named shared memory opened once per name and
// counted, and the release of a loaded library.
//
// The process lock is made on first use and lives until the unit's end; during
// and after the end the lock answers nullptr and callers go on unlocked.
// A shared-memory view belongs to the process-wide open list: give every view
// that OpenSharedMemory returned back to CloseSharedMemory exactly once.
#include "controls/ZurSynch.h"

#include <string>
#include <unknwn.h>
#include <windows.h>

namespace zur {

// Taking a reference (AddRef) enters the section, dropping it (Release) leaves
// it. The object's life is not tied to the count: its owner deletes it.
class TZurIntfCriticalSection : public fw::TObject, public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    TZurCriticalSection section_;
};

// The process lock, or nullptr once the unit has ended.
IUnknown* GlobalProcessLock();

// Opens the named shared memory, or creates it with Size bytes when it does not
// exist yet, and maps a view with DesiredAccess (FILE_MAP_*). Answers
// ERROR_ALREADY_EXISTS (183) when the mapping was already there, else 0.
// Raises ESharedMemError (Size 0 for a mapping that does not exist) or EOSError.
DWORD OpenSharedMemory(void*& Memory, const std::wstring& Name, size_t Size, DWORD DesiredAccess);
// Gives a view back; the last holder unmaps it and closes the mapping. Answers
// false, leaving Memory alone, for a view that did not come from OpenSharedMemory.
bool CloseSharedMemory(void*& Memory);

// Frees a loaded library and forgets its handle.
void UnloadModule(HMODULE& Module);

void ZurSysUtilsInitialize();
void ZurSysUtilsFinalize();

}  // namespace zur
