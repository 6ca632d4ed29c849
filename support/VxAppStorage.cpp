#include "support/VxAppStorage.h"

#include "support/ZurUnitVersioning.h"

namespace zur {

TVxAppStoragePropertyEngineList::~TVxAppStoragePropertyEngineList() {
    while (!engines_.empty()) engines_.pop_back();
}

namespace {

std::unique_ptr<TVxAppStoragePropertyEngineList> EngineList;
TUnitStartCounter StartCounter;

}  // namespace

TVxAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList() {
    return EngineList.get();
}

void VxAppStorageInitialize() {
    if (StartCounter.Enter()) EngineList = std::make_unique<TVxAppStoragePropertyEngineList>();
}

void VxAppStorageFinalize() {
    if (StartCounter.Leave()) EngineList.reset();
}

}  // namespace zur
