#include "support/SupportLibrary.h"

#include "support/VxAppStorage.h"
#include "support/VxTypeInfoList.h"
#include "support/ZurBase.h"
#include "support/ZurMutex.h"
#include "support/ZurSharedMemory.h"
#include "support/ZurStrings.h"
#include "support/ZurSysInfo.h"
#include "support/ZurUnicode.h"
#include "support/ZurUnitVersioning.h"
#include "support/ZurWideStrings.h"

#include <iterator>

namespace zur {

namespace {

struct TUnitEntry {
    void (*Initialize)();
    void (*Finalize)();
};

// Link order: every unit starts after the units it stands on; the end runs backwards.
constexpr TUnitEntry Units[] = {
    {ZurBaseInitialize, ZurBaseFinalize},
    {ZurSharedMemoryInitialize, ZurSharedMemoryFinalize},
    {ZurMutexInitialize, ZurMutexFinalize},
    {ZurUnitVersioningInitialize, ZurUnitVersioningFinalize},
    {ZurStringsInitialize, ZurStringsFinalize},          // ANSI tables
    {ZurSysInfoInitialize, ZurSysInfoFinalize},          // system facts, version flags
    {ZurWideStringsInitialize, ZurWideStringsFinalize},  // locale comparison
    {ZurUnicodeInitialize, ZurUnicodeFinalize},          // wide tables, replacement char
    {VxTypeInfoListInitialize, VxTypeInfoListFinalize},
    {VxAppStorageInitialize, VxAppStorageFinalize},
};

size_t StartedUnits = 0;
bool Ended = false;

}  // namespace

void SupportLibraryStartup() {
    if (Ended) return;  // a unit's end is final, as at the end of a program
    while (StartedUnits < std::size(Units)) {
        Units[StartedUnits].Initialize();
        ++StartedUnits;
    }
}

void SupportLibraryShutdown() {
    if (StartedUnits > 0) Ended = true;
    while (StartedUnits > 0) {
        --StartedUnits;
        Units[StartedUnits].Finalize();
    }
}

}  // namespace zur
