#include "controls/VxTypeInfoList.h"

#include "controls/ZurUnitVersioning.h"

namespace zur {

TVxTypeInfoList::~TVxTypeInfoList() {
    ReleaseAll();
}

void TVxTypeInfoList::Add(TVxTypeInfoRecord* Record) {
    std::lock_guard<std::mutex> hold(lock_);
    records_.push_back(Record);
}

int TVxTypeInfoList::Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return int(records_.size());
}

void TVxTypeInfoList::ReleaseAll() {
    std::lock_guard<std::mutex> hold(lock_);
    for (TVxTypeInfoRecord* record : records_) delete record;
    records_.clear();
}

namespace {

TVxTypeInfoList* List = nullptr;
TUnitStartCounter StartCounter;

}  // namespace

TVxTypeInfoList* TypeInfoList() {
    return List;
}

void VxTypeInfoListInitialize() {
    if (StartCounter.Enter()) List = new TVxTypeInfoList;
}

void VxTypeInfoListFinalize() {
    if (!StartCounter.Leave()) return;
    List->ReleaseAll();
    delete List;
    List = nullptr;
}

}  // namespace zur
