#include "controls/VxAppStorage.h"

#include "controls/ZurUnitVersioning.h"

namespace zur {

TVxAppStoragePropertyEngineList::~TVxAppStoragePropertyEngineList() {
    while (!engines_.empty()) {
        delete engines_.back();
        engines_.pop_back();
    }
}

namespace {

TVxAppStoragePropertyEngineList* EngineList = nullptr;
TUnitStartCounter StartCounter;

}  // namespace

TVxAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList() {
    return EngineList;
}

void VxAppStorageInitialize() {
    if (StartCounter.Enter()) EngineList = new TVxAppStoragePropertyEngineList;
}

void VxAppStorageFinalize() {
    if (!StartCounter.Leave()) return;
    delete EngineList;
    EngineList = nullptr;
}

}  // namespace zur
