#pragma once
// The type-information records made at run time, each with a reference count,
// in one locked list that lives from the unit's start to its end. At the end
// every record is released, whatever its count, and then the list.
#include "framework/Classes.h"

#include <mutex>
#include <string>
#include <vector>

namespace zur {

struct TVxTypeInfoRecord {
    std::wstring Name;
    int RefCount = 1;
};

class TVxTypeInfoList : public fw::TObject {
public:
    ~TVxTypeInfoList() override;
    // Takes ownership of Record.
    void Add(TVxTypeInfoRecord* Record);
    int Count();
    void ReleaseAll();

private:
    std::mutex lock_;
    std::vector<TVxTypeInfoRecord*> records_;
};

// The process's list, nullptr outside the unit's start and end.
TVxTypeInfoList* TypeInfoList();

void VxTypeInfoListInitialize();
void VxTypeInfoListFinalize();

}  // namespace zur
