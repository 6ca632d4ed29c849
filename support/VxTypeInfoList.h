#pragma once
// The type-information records made at run time, each with a reference count,
// in one locked list that lives from the unit's start to its end. The list owns
// its records; at the end every record is released, whatever its count, and
// then the list.
#include "framework/Classes.h"
#include "framework/SyncObjs.h"

#include <memory>
#include <string>
#include <vector>

namespace zur {

struct TVxTypeInfoRecord {
    std::wstring Name;
    int RefCount = 1;
};

class TVxTypeInfoList : public fw::TObject {
public:
    void Add(std::unique_ptr<TVxTypeInfoRecord> Record);
    int Count();
    void ReleaseAll();

private:
    fw::TCriticalSection lock_;
    std::vector<std::unique_ptr<TVxTypeInfoRecord>> records_;
};

// The process's list, nullptr outside the unit's start and end.
TVxTypeInfoList* TypeInfoList();

void VxTypeInfoListInitialize();
void VxTypeInfoListFinalize();

}  // namespace zur
