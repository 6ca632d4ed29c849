#include "support/VxTypeInfoList.h"

#include "support/ZurUnitVersioning.h"

namespace zur {

void TVxTypeInfoList::Add(std::unique_ptr<TVxTypeInfoRecord> Record) {
    fw::TLockGuard hold(lock_);
    records_.push_back(std::move(Record));
}

int TVxTypeInfoList::Count() {
    fw::TLockGuard hold(lock_);
    return int(records_.size());
}

void TVxTypeInfoList::ReleaseAll() {
    fw::TLockGuard hold(lock_);
    records_.clear();
}

namespace {

std::unique_ptr<TVxTypeInfoList> List;
TUnitStartCounter StartCounter;

}  // namespace

TVxTypeInfoList* TypeInfoList() {
    return List.get();
}

void VxTypeInfoListInitialize() {
    if (StartCounter.Enter()) List = std::make_unique<TVxTypeInfoList>();
}

void VxTypeInfoListFinalize() {
    if (!StartCounter.Leave()) return;
    List->ReleaseAll();
    List.reset();
}

}  // namespace zur
