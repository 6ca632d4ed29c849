#include "support/ZurUnitVersioning.h"

#include "support/ZurMutex.h"
#include "support/ZurSharedMemory.h"

#include <atomic>
#include <memory>
#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace zur {

HINSTANCE ModuleInstance() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void TUnitVersioningModule::Add(const TUnitVersionInfo* Info) {
    items_.push_back(std::make_unique<TUnitVersion>(Info));
}

int TUnitVersioningModule::IndexOfInfo(const TUnitVersionInfo* Info) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Info() == Info) return int(i);
    return -1;
}

TUnitVersioningModule* TUnitVersioning::FindModule(HINSTANCE Instance) const {
    for (const auto& module : modules_)
        if (module->Instance() == Instance) return module.get();
    return nullptr;
}

void TUnitVersioning::AddUnitVersion(HINSTANCE Instance, const TUnitVersionInfo* Info) {
    TUnitVersioningModule* module = FindModule(Instance);
    if (!module) {
        modules_.push_back(std::make_unique<TUnitVersioningModule>(Instance));
        module = modules_.back().get();
    }
    if (module->IndexOfInfo(Info) < 0) module->Add(Info);
}

void TUnitVersioning::RemoveModule(HINSTANCE Instance) {
    for (size_t i = modules_.size(); i-- > 0;) {
        if (modules_[i]->Instance() == Instance) {
            modules_.erase(modules_.begin() + std::ptrdiff_t(i));
            break;
        }
    }
    for (const auto& provider : providers_) provider->ReleaseModuleVersions(Instance);
}

namespace {

// The registry mutex, made once: holders keep it alive past the registry's end.
std::atomic<std::shared_ptr<TZurMutex>> GlobalMutex;
std::atomic<bool> UnitVersioningFinalized{false};
// The rest is read and written only under the mutex.
// The shared block: the registry's whole address, pointer-sized.
void* UnitVersioningMMF = nullptr;
TUnitVersioning* UnitVersioning = nullptr;
// Set when this module made the registry (and so frees it at its end).
std::unique_ptr<TUnitVersioning> OwnRegistry;

std::wstring ProcessSuffix() {
    return std::to_wstring(GetCurrentProcessId());
}

TUnitVersioning*& SharedAddress() {
    return *static_cast<TUnitVersioning**>(UnitVersioningMMF);
}

// The mutex, or empty after the end. Of two racing first users one publishes
// its mutex and the other closes its own handle of the same named object.
std::shared_ptr<TZurMutex> RegistryMutex() {
    if (UnitVersioningFinalized) return nullptr;
    std::shared_ptr<TZurMutex> mutex = GlobalMutex.load();
    if (mutex) return mutex;
    auto made = std::make_shared<TZurMutex>(nullptr, false, L"MutexZUR_UnitVersioning_" + ProcessSuffix());
    if (GlobalMutex.compare_exchange_strong(mutex, made)) mutex = std::move(made);
    return mutex;
}

// Holds the registry mutex for one scope; no mutex (after the end) holds nothing.
class TMutexHold {
public:
    explicit TMutexHold(std::shared_ptr<TZurMutex> Mutex) : mutex_(std::move(Mutex)) {
        if (mutex_) mutex_->WaitFor(INFINITE);
    }
    ~TMutexHold() {
        if (mutex_) mutex_->Release();
    }
    TMutexHold(const TMutexHold&) = delete;
    TMutexHold& operator=(const TMutexHold&) = delete;
    explicit operator bool() const { return bool(mutex_); }

private:
    std::shared_ptr<TZurMutex> mutex_;
};

// Opens the shared block and finds or makes the registry; under the mutex.
void AttachRegistry() {
    if (!UnitVersioningMMF) {
        try {
            OpenSharedMemory(UnitVersioningMMF, L"ShmZUR_UnitVersioning_" + ProcessSuffix(), sizeof(TUnitVersioning*),
                             FILE_MAP_ALL_ACCESS);
        } catch (const std::exception&) {
            UnitVersioningMMF = nullptr;  // go on with a registry of this module's own
        }
    }
    if (UnitVersioningMMF) {
        UnitVersioning = SharedAddress();
        if (!UnitVersioning) {
            OwnRegistry = std::make_unique<TUnitVersioning>();
            UnitVersioning = SharedAddress() = OwnRegistry.get();
        }
    } else {
        OwnRegistry = std::make_unique<TUnitVersioning>();
        UnitVersioning = OwnRegistry.get();
    }
}

// The registry; the caller holds the mutex.
TUnitVersioning* LockedUnitVersioning() {
    if (UnitVersioningFinalized) return nullptr;
    if (!UnitVersioning) AttachRegistry();
    // Another module may have ended and taken its registry along.
    else if (UnitVersioningMMF) UnitVersioning = SharedAddress();
    return UnitVersioning;
}

void FinalizeUnitVersioning() {
    {
        TMutexHold hold(RegistryMutex());
        UnitVersioningFinalized = true;
        if (UnitVersioningMMF) {
            // Only the owner takes its address away: another module's registry stays
            // findable for the modules that still use it.
            if (OwnRegistry && SharedAddress() == OwnRegistry.get()) SharedAddress() = nullptr;
            CloseSharedMemory(UnitVersioningMMF);
        }
        UnitVersioning = nullptr;
        OwnRegistry.reset();
    }
    // The named mutex goes with its last holder.
    GlobalMutex.store(nullptr);
}

}  // namespace

TUnitVersioning* GetUnitVersioning() {
    TMutexHold hold(RegistryMutex());
    return hold ? LockedUnitVersioning() : nullptr;
}

// The registry keeps no lock of its own: changes are made under the mutex.
void RegisterUnitVersion(HINSTANCE Instance, const TUnitVersionInfo& Info) {
    TMutexHold hold(RegistryMutex());
    if (!hold) return;
    if (TUnitVersioning* registry = LockedUnitVersioning()) registry->AddUnitVersion(Instance, &Info);
}

void UnregisterUnitVersion(HINSTANCE Instance) {
    TMutexHold hold(RegistryMutex());
    if (!hold) return;
    if (TUnitVersioning* registry = LockedUnitVersioning()) registry->RemoveModule(Instance);
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurUnitVersioning.cpp $",
                                      L"$Revision: 7 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurUnitVersioningInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurUnitVersioningFinalize() {
    if (!StartCounter.Leave()) return;
    UnregisterUnitVersion(ModuleInstance());
    FinalizeUnitVersioning();
}

}  // namespace zur
