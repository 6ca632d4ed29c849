#pragma once
// Process-wide helpers: a critical section held through an interface reference,
// the process lock built on it, and named shared memory opened once per name
// and counted.
//
// The process lock is made on first use. The unit's end lets go of it, but a
// thread that holds it keeps it alive until it lets go too; after the end the
// lock answers empty and callers go on unlocked.
// A shared-memory view belongs to the process-wide open list: give every view
// that OpenSharedMemory returned back to CloseSharedMemory exactly once.
#include "framework/Classes.h"
#include "framework/SyncObjs.h"

#include <memory>
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
    fw::TCriticalSection section_;
};

// The process lock, or empty once the unit has ended. Keep the answer for as
// long as the lock is held.
std::shared_ptr<TZurIntfCriticalSection> GlobalProcessLock();

// Opens the named shared memory, or creates it with Size bytes when it does not
// exist yet, and maps a view with DesiredAccess (FILE_MAP_*). Answers
// ERROR_ALREADY_EXISTS (183) when the mapping was already there, else 0.
// Raises ESharedMemError (Size 0 for a mapping that does not exist) or EOSError.
DWORD OpenSharedMemory(void*& Memory, const std::wstring& Name, size_t Size, DWORD DesiredAccess);
// Gives a view back; the last holder unmaps it and closes the mapping. Answers
// false, leaving Memory alone, for a view that did not come from OpenSharedMemory.
bool CloseSharedMemory(void*& Memory);

void ZurSharedMemoryInitialize();
void ZurSharedMemoryFinalize();

}  // namespace zur
