#include "support/ZurSharedMemory.h"

#include "framework/Handles.h"
#include "support/ZurBase.h"
#include "support/ZurSysInfo.h"
#include "support/ZurUnitVersioning.h"

#include <atomic>
#include <vector>

namespace zur {

HRESULT STDMETHODCALLTYPE TZurIntfCriticalSection::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppvObject = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TZurIntfCriticalSection::AddRef() {
    section_.Enter();
    return 1;
}

ULONG STDMETHODCALLTYPE TZurIntfCriticalSection::Release() {
    section_.Leave();
    return 1;
}

namespace {

// Shared, so that the unit's end never frees the lock under a thread that holds it.
std::atomic<std::shared_ptr<TZurIntfCriticalSection>> ProcessLock;
std::atomic<bool> ProcessLockFinalized{false};

// Holds the process lock for one scope; no lock (after the unit's end) holds nothing.
class TProcessLockGuard {
public:
    TProcessLockGuard() : lock_(GlobalProcessLock()) {
        if (lock_) lock_->AddRef();
    }
    ~TProcessLockGuard() {
        if (lock_) lock_->Release();
    }
    TProcessLockGuard(const TProcessLockGuard&) = delete;
    TProcessLockGuard& operator=(const TProcessLockGuard&) = delete;

private:
    std::shared_ptr<TZurIntfCriticalSection> lock_;
};

using ViewHandle = fw::UniqueResource<fw::handle_traits::Simple<void*, UnmapViewOfFile>>;

// One open mapping. The view is declared last so that it goes before its mapping.
struct TSharedMemoryEntry {
    fw::UniqueHandle Mapping;
    ViewHandle View;
    std::wstring Name;
    int References = 1;
};

// Newest last; guarded by the process lock.
std::vector<TSharedMemoryEntry> SharedMemoryList;

bool SameName(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_EQUAL;
}

// "%s" in a message replaced by Name.
std::wstring WithName(const wchar_t* Before, const std::wstring& Name, const wchar_t* After) {
    return std::wstring(Before) + Name + After;
}

// The mapping of that name, opened or made; Existed tells which.
fw::UniqueHandle OpenOrCreateMapping(const std::wstring& Name, size_t Size, DWORD DesiredAccess, bool& Existed) {
    fw::UniqueHandle mapping(OpenFileMappingW(DesiredAccess, FALSE, Name.c_str()));
    Existed = bool(mapping);
    if (mapping) return mapping;
    if (Size == 0) throw ESharedMemError(WithName(L"The MMF named \"", Name, L"\" cannot be created empty"));
    DWORD protect = PAGE_READWRITE;
    if (!SystemInformation().IsWinNT && DesiredAccess == FILE_MAP_COPY) protect = PAGE_WRITECOPY;
    // Cleared first, so that ERROR_ALREADY_EXISTS below is this call's own answer
    // (someone created the mapping between the two calls), never an older one.
    SetLastError(ERROR_SUCCESS);
    mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, protect, DWORD(uint64_t(Size) >> 32),
                                     DWORD(Size & 0xFFFFFFFFu), Name.c_str()));
    const DWORD error = GetLastError();
    if (!mapping) fw::RaiseLastOSError(error);
    Existed = error == ERROR_ALREADY_EXISTS;
    return mapping;
}

}  // namespace

std::shared_ptr<TZurIntfCriticalSection> GlobalProcessLock() {
    if (ProcessLockFinalized) return nullptr;
    std::shared_ptr<TZurIntfCriticalSection> lock = ProcessLock.load();
    if (!lock) {
        // Two first users may race: one publishes its object, the other drops its own.
        auto made = std::make_shared<TZurIntfCriticalSection>();
        if (ProcessLock.compare_exchange_strong(lock, made)) lock = std::move(made);
    }
    return lock;
}

DWORD OpenSharedMemory(void*& Memory, const std::wstring& Name, size_t Size, DWORD DesiredAccess) {
    Memory = nullptr;
    if (SystemInformation().WindowsVersion < wvWin2000 && (Name.empty() || Name.find(L'\\') != std::wstring::npos))
        throw ESharedMemError(WithName(L"Invalid MMF name \"", Name, L"\""));

    TProcessLockGuard guard;
    for (auto entry = SharedMemoryList.rbegin(); entry != SharedMemoryList.rend(); ++entry) {
        if (SameName(entry->Name, Name)) {
            ++entry->References;
            Memory = entry->View.get();
            return ERROR_ALREADY_EXISTS;
        }
    }

    bool existed = false;
    TSharedMemoryEntry entry;
    entry.Mapping = OpenOrCreateMapping(Name, Size, DesiredAccess, existed);
    entry.View.reset(MapViewOfFile(entry.Mapping.get(), DesiredAccess, 0, 0, Size));
    if (!entry.View) fw::RaiseLastOSError(GetLastError());
    entry.Name = Name;
    Memory = entry.View.get();
    SharedMemoryList.push_back(std::move(entry));
    return existed ? ERROR_ALREADY_EXISTS : 0;
}

bool CloseSharedMemory(void*& Memory) {
    if (!Memory) return true;
    TProcessLockGuard guard;
    for (auto entry = SharedMemoryList.rbegin(); entry != SharedMemoryList.rend(); ++entry) {
        if (entry->View.get() != Memory) continue;
        if (entry->References < 2) SharedMemoryList.erase(std::next(entry).base());
        else --entry->References;
        Memory = nullptr;
        return true;
    }
    return false;
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurSharedMemory.cpp $",
                                      L"$Revision: 12 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurSharedMemoryInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurSharedMemoryFinalize() {
    if (!StartCounter.Leave()) return;
    UnregisterUnitVersion(ModuleInstance());
    ProcessLockFinalized = true;
    // A thread inside the lock still holds its own reference: the lock goes with the last one.
    ProcessLock.store(nullptr);
}

}  // namespace zur
