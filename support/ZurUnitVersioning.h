#pragma once
// The process-wide registry of the support library's unit versions, grouped by
// the module (executable or library) that holds each unit.
//
// One registry serves every module of the process: the first module that asks
// creates it and stores its address in a named shared-memory block, guarded by
// a named mutex ("ShmZUR_UnitVersioning_" and "MutexZUR_UnitVersioning_", each
// followed by the process id). The module that created it owns it and frees it
// at its end. Records are constants owned by their units; the registry keeps
// only their addresses. The registry object takes no lock of its own: the
// routines below change it under the mutex, which is made once per module.
#include "framework/Classes.h"

#include <memory>
#include <vector>
#include <windows.h>

namespace zur {

// The source-control keywords of one unit's file.
struct TUnitVersionInfo {
    const wchar_t* RCSfile;   // the $URL keyword line
    const wchar_t* Revision;  // $Revision
    const wchar_t* Date;      // $Date
    const wchar_t* LogPath;   // the unit's folder, "ZUR\source\common" or "ZUR\source\windows"
    const wchar_t* Extra;
    void* Data;
};

class TUnitVersion : public fw::TObject {
public:
    explicit TUnitVersion(const TUnitVersionInfo* Info) : info_(Info) {}
    const TUnitVersionInfo* Info() const { return info_; }

private:
    const TUnitVersionInfo* info_;
};

class TUnitVersioningModule : public fw::TObject {
public:
    explicit TUnitVersioningModule(HINSTANCE Instance) : instance_(Instance) {}
    HINSTANCE Instance() const { return instance_; }
    int Count() const { return int(items_.size()); }
    TUnitVersion* Items(int Index) const { return items_.at(size_t(Index)).get(); }
    void Add(const TUnitVersionInfo* Info);
    // -1 when no record at that address is held.
    int IndexOfInfo(const TUnitVersionInfo* Info) const;

private:
    HINSTANCE instance_;
    std::vector<std::unique_ptr<TUnitVersion>> items_;
};

// Told when a module leaves the registry, so it can drop what it knows of it.
class TUnitVersioningProvider : public fw::TObject {
public:
    virtual void ReleaseModuleVersions(HINSTANCE Instance) = 0;
};

class TUnitVersioning : public fw::TObject {
public:
    int ModuleCount() const { return int(modules_.size()); }
    TUnitVersioningModule* Modules(int Index) const { return modules_.at(size_t(Index)).get(); }
    // nullptr when the module has no entry.
    TUnitVersioningModule* FindModule(HINSTANCE Instance) const;

    // A record already held by the module is not added again.
    virtual void AddUnitVersion(HINSTANCE Instance, const TUnitVersionInfo* Info);
    virtual void RemoveModule(HINSTANCE Instance);

private:
    std::vector<std::unique_ptr<TUnitVersioningModule>> modules_;
    std::vector<std::unique_ptr<TUnitVersioningProvider>> providers_;
};

// The process's registry, made on first use; nullptr once the registry unit has ended.
TUnitVersioning* GetUnitVersioning();
void RegisterUnitVersion(HINSTANCE Instance, const TUnitVersionInfo& Info);
void UnregisterUnitVersion(HINSTANCE Instance);

// The instance handle of the module this code is linked into.
HINSTANCE ModuleInstance();

// A unit's start counter: its start work runs on the first start only, its
// end work on the end that balances that first start.
class TUnitStartCounter {
public:
    bool Enter() { return --count_ == -1; }
    bool Leave() {
        if (count_ == 0) return false;  // never started
        return ++count_ == 0;
    }

private:
    int count_ = 0;
};

void ZurUnitVersioningInitialize();
void ZurUnitVersioningFinalize();

}  // namespace zur
