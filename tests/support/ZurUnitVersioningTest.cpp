#include "support/ZurUnitVersioning.h"

#include <gtest/gtest.h>

namespace {

const zur::TUnitVersionInfo RecordA = {L"$URL: a $", L"$Revision: 1 $", L"$Date: d $", L"ZUR\\source\\common", L"",
                                       nullptr};
const zur::TUnitVersionInfo RecordB = {L"$URL: b $", L"$Revision: 2 $", L"$Date: d $", L"ZUR\\source\\windows", L"",
                                       nullptr};

HINSTANCE Instance(uintptr_t n) {
    return reinterpret_cast<HINSTANCE>(n * 0x10000);
}

TEST(UnitVersioning, RecordsKeptOncePerModuleAndModulesRemovedAlone) {
    zur::TUnitVersioning registry;
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(1), &RecordB);
    registry.AddUnitVersion(Instance(2), &RecordA);  // the same record is another module's own
    ASSERT_EQ(registry.ModuleCount(), 2);
    EXPECT_EQ(registry.FindModule(Instance(1))->Count(), 2);
    EXPECT_EQ(registry.FindModule(Instance(1))->IndexOfInfo(&RecordB), 1);
    EXPECT_EQ(registry.FindModule(Instance(2))->Count(), 1);

    registry.RemoveModule(Instance(3));
    EXPECT_EQ(registry.ModuleCount(), 2);
    registry.RemoveModule(Instance(1));
    ASSERT_EQ(registry.ModuleCount(), 1);
    EXPECT_EQ(registry.FindModule(Instance(1)), nullptr);
    registry.AddUnitVersion(Instance(1), &RecordB);  // a module that comes back starts empty
    EXPECT_EQ(registry.FindModule(Instance(1))->Count(), 1);
}

}  // namespace
