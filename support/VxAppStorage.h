#pragma once
// The list of property engines the application storage consults. The list owns
// its engines and frees them, last to first, when it is destroyed. One list
// exists from the unit's start to its end.
#include "framework/Classes.h"

#include <memory>
#include <vector>

namespace zur {

class TVxAppStoragePropertyBaseEngine : public fw::TObject {};

class TVxAppStoragePropertyEngineList : public fw::TObject {
public:
    ~TVxAppStoragePropertyEngineList() override;
    void Add(std::unique_ptr<TVxAppStoragePropertyBaseEngine> Engine) { engines_.push_back(std::move(Engine)); }
    int Count() const { return int(engines_.size()); }

private:
    std::vector<std::unique_ptr<TVxAppStoragePropertyBaseEngine>> engines_;
};

// The process's list, nullptr outside the unit's start and end.
TVxAppStoragePropertyEngineList* RegisteredAppStoragePropertyEngineList();

void VxAppStorageInitialize();
void VxAppStorageFinalize();

}  // namespace zur
