#include "controls/ControlsLibrary.h"

#include "controls/VxAppStorage.h"
#include "controls/VxCursors.h"
#include "controls/VxTypeInfoList.h"
#include "controls/ZurBase.h"
#include "controls/ZurStrings.h"
#include "controls/ZurSynch.h"
#include "controls/ZurSysInfo.h"
#include "controls/ZurSysUtils.h"
#include "controls/ZurUnicode.h"
#include "controls/ZurUnitVersioning.h"
#include "controls/ZurWideStrings.h"

#include <iterator>

namespace {

struct TUnitEntry {
    void (*Initialize)();
    void (*Finalize)();
};

// Link order: every unit starts after the units it stands on; the end runs backwards.
constexpr TUnitEntry Units[] = {
    {zur::ZurBaseInitialize, zur::ZurBaseFinalize},
    {zur::ZurSysUtilsInitialize, zur::ZurSysUtilsFinalize},
    {zur::ZurSynchInitialize, zur::ZurSynchFinalize},
    {zur::ZurUnitVersioningInitialize, zur::ZurUnitVersioningFinalize},
    {zur::ZurStringsInitialize, zur::ZurStringsFinalize},          // ANSI tables
    {zur::ZurSysInfoInitialize, zur::ZurSysInfoFinalize},          // system facts, version flags
    {zur::ZurWideStringsInitialize, zur::ZurWideStringsFinalize},  // locale comparison
    {zur::ZurUnicodeInitialize, zur::ZurUnicodeFinalize},          // wide tables, replacement char
    {zur::VxTypeInfoListInitialize, zur::VxTypeInfoListFinalize},
    {zur::VxAppStorageInitialize, zur::VxAppStorageFinalize},
    {vx::VxCursorsInitialize, vx::VxCursorsFinalize},
};

size_t StartedUnits = 0;
bool Ended = false;

}  // namespace

void ControlsLibraryStartup() {
    if (Ended) return;  // a unit's end is final, as at the end of a program
    while (StartedUnits < std::size(Units)) {
        Units[StartedUnits].Initialize();
        ++StartedUnits;
    }
}

void ControlsLibraryShutdown() {
    if (StartedUnits > 0) Ended = true;
    while (StartedUnits > 0) {
        --StartedUnits;
        Units[StartedUnits].Finalize();
    }
}
