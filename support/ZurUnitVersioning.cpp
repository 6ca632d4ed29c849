#include "support/ZurUnitVersioning.h"

#include "support/ZurMutex.h"
#include "support/ZurSharedMemory.h"

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

TZurMutex* GlobalMutex = nullptr;
// The shared block: the registry's whole address, pointer-sized.
void* UnitVersioningMMF = nullptr;
TUnitVersioning* UnitVersioning = nullptr;
bool UnitVersioningOwner = false;
bool UnitVersioningFinalized = false;

std::wstring ProcessSuffix() {
    return std::to_wstring(GetCurrentProcessId());
}

TUnitVersioning*& SharedAddress() {
    return *static_cast<TUnitVersioning**>(UnitVersioningMMF);
}

// Holds the registry mutex for one scope.
class TMutexHold {
public:
    explicit TMutexHold(TZurMutex& Mutex) : mutex_(Mutex) { mutex_.WaitFor(INFINITE); }
    ~TMutexHold() { mutex_.Release(); }
    TMutexHold(const TMutexHold&) = delete;
    TMutexHold& operator=(const TMutexHold&) = delete;

private:
    TZurMutex& mutex_;
};

void FinalizeUnitVersioning() {
    UnitVersioningFinalized = true;
    if (UnitVersioningMMF && GlobalMutex) {
        TMutexHold hold(*GlobalMutex);
        // Only the owner takes its address away: another module's registry stays
        // findable for the modules that still use it.
        if (UnitVersioningOwner && SharedAddress() == UnitVersioning) SharedAddress() = nullptr;
        CloseSharedMemory(UnitVersioningMMF);
    }
    if (UnitVersioningOwner) delete UnitVersioning;
    UnitVersioning = nullptr;
    UnitVersioningOwner = false;
    delete GlobalMutex;
    GlobalMutex = nullptr;
}

}  // namespace

TUnitVersioning* GetUnitVersioning() {
    if (UnitVersioningFinalized) return nullptr;
    if (!GlobalMutex) GlobalMutex = new TZurMutex(nullptr, false, L"MutexZUR_UnitVersioning_" + ProcessSuffix());

    if (!UnitVersioning) {
        TMutexHold hold(*GlobalMutex);
        if (!UnitVersioningMMF) {
            try {
                OpenSharedMemory(UnitVersioningMMF, L"ShmZUR_UnitVersioning_" + ProcessSuffix(),
                                 sizeof(TUnitVersioning*), FILE_MAP_ALL_ACCESS);
            } catch (const std::exception&) {
                UnitVersioningMMF = nullptr;  // go on with a registry of this module's own
            }
        }
        if (UnitVersioningMMF) {
            UnitVersioning = SharedAddress();
            if (!UnitVersioning) {
                UnitVersioning = new TUnitVersioning;
                SharedAddress() = UnitVersioning;
                UnitVersioningOwner = true;
            }
        } else {
            UnitVersioning = new TUnitVersioning;
            UnitVersioningOwner = true;
        }
    } else if (UnitVersioningMMF) {
        // Another module may have ended and taken its registry along.
        TMutexHold hold(*GlobalMutex);
        UnitVersioning = SharedAddress();
    }
    return UnitVersioning;
}

void RegisterUnitVersion(HINSTANCE Instance, const TUnitVersionInfo& Info) {
    if (TUnitVersioning* registry = GetUnitVersioning()) registry->AddUnitVersion(Instance, &Info);
}

void UnregisterUnitVersion(HINSTANCE Instance) {
    if (TUnitVersioning* registry = GetUnitVersioning()) registry->RemoveModule(Instance);
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
