#include "controls/ZurSysUtils.h"

#include "controls/ZurBase.h"
#include "controls/ZurSysInfo.h"
#include "controls/ZurUnitVersioning.h"

#include <atomic>

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

std::atomic<TZurIntfCriticalSection*> ProcessLock{nullptr};
std::atomic<bool> ProcessLockFinalized{false};

// Holds the process lock for one scope; no lock (at the unit's end) holds nothing.
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
    IUnknown* lock_;
};

// One open mapping: the list is newest first.
struct TSharedMemoryEntry {
    TSharedMemoryEntry* Next;
    void* Memory;
    HANDLE Handle;
    std::wstring Name;
    int References;
};

TSharedMemoryEntry* SharedMemoryList = nullptr;

bool SameName(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_EQUAL;
}

// "%s" in a message replaced by Name.
std::wstring WithName(const wchar_t* Before, const std::wstring& Name, const wchar_t* After) {
    return std::wstring(Before) + Name + After;
}

}  // namespace

IUnknown* GlobalProcessLock() {
    if (ProcessLockFinalized) return nullptr;
    TZurIntfCriticalSection* lock = ProcessLock.load();
    if (!lock) {
        // Two first users may race: one publishes its object, the other drops its own.
        auto* made = new TZurIntfCriticalSection;
        if (ProcessLock.compare_exchange_strong(lock, made)) {
            lock = made;
        } else {
            delete made;
        }
    }
    return lock;
}

DWORD OpenSharedMemory(void*& Memory, const std::wstring& Name, size_t Size, DWORD DesiredAccess) {
    Memory = nullptr;
    if (SystemInformation().WindowsVersion < wvWin2000 && (Name.empty() || Name.find(L'\\') != std::wstring::npos))
        throw ESharedMemError(WithName(L"Invalid MMF name \"", Name, L"\""));

    TProcessLockGuard guard;
    for (TSharedMemoryEntry* entry = SharedMemoryList; entry; entry = entry->Next) {
        if (SameName(entry->Name, Name)) {
            ++entry->References;
            Memory = entry->Memory;
            return ERROR_ALREADY_EXISTS;
        }
    }

    DWORD result = 0;
    HANDLE handle = OpenFileMappingW(DesiredAccess, FALSE, Name.c_str());
    if (handle) {
        result = ERROR_ALREADY_EXISTS;
    } else {
        if (Size == 0) throw ESharedMemError(WithName(L"The MMF named \"", Name, L"\" cannot be created empty"));
        DWORD protect = PAGE_READWRITE;
        if (!SystemInformation().IsWinNT && DesiredAccess == FILE_MAP_COPY) protect = PAGE_WRITECOPY;
        // Cleared first, so that ERROR_ALREADY_EXISTS below is this call's own answer
        // (someone created the mapping between the two calls), never an older one.
        SetLastError(ERROR_SUCCESS);
        handle = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, protect, DWORD(uint64_t(Size) >> 32),
                                    DWORD(Size & 0xFFFFFFFFu), Name.c_str());
        const DWORD error = GetLastError();
        if (!handle) fw::RaiseLastOSError(error);
        if (error == ERROR_ALREADY_EXISTS) result = ERROR_ALREADY_EXISTS;
    }

    void* view = MapViewOfFile(handle, DesiredAccess, 0, 0, Size);
    if (!view) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        fw::RaiseLastOSError(error);
    }
    SharedMemoryList = new TSharedMemoryEntry{SharedMemoryList, view, handle, Name, 1};
    Memory = view;
    return result;
}

bool CloseSharedMemory(void*& Memory) {
    if (!Memory) return true;
    TProcessLockGuard guard;
    TSharedMemoryEntry** link = &SharedMemoryList;
    while (*link && (*link)->Memory != Memory) link = &(*link)->Next;
    TSharedMemoryEntry* entry = *link;
    if (!entry) return false;
    if (entry->References < 2) {
        UnmapViewOfFile(entry->Memory);
        CloseHandle(entry->Handle);
        *link = entry->Next;
        delete entry;
    } else {
        --entry->References;
    }
    Memory = nullptr;
    return true;
}

void UnloadModule(HMODULE& Module) {
    if (Module) {
        FreeLibrary(Module);
        Module = nullptr;
    }
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurSysUtils.cpp $",
                                      L"$Revision: 12 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurSysUtilsInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurSysUtilsFinalize() {
    if (!StartCounter.Leave()) return;
    UnregisterUnitVersion(ModuleInstance());
    ProcessLockFinalized = true;
    delete ProcessLock.exchange(nullptr);
}

}  // namespace zur
