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

TEST(UnitVersioning, RecordAddedTwiceToOneModuleIsKeptOnce) {
    zur::TUnitVersioning registry;
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(1), &RecordA);
    ASSERT_EQ(registry.ModuleCount(), 1);
    EXPECT_EQ(registry.Modules(0)->Count(), 1);

    registry.AddUnitVersion(Instance(1), &RecordB);
    EXPECT_EQ(registry.Modules(0)->Count(), 2);
    EXPECT_EQ(registry.Modules(0)->IndexOfInfo(&RecordB), 1);
    EXPECT_EQ(registry.Modules(0)->Items(1)->Info(), &RecordB);

    // The same record in another module is that module's own.
    registry.AddUnitVersion(Instance(2), &RecordA);
    ASSERT_EQ(registry.ModuleCount(), 2);
    EXPECT_EQ(registry.FindModule(Instance(2))->Count(), 1);
}

TEST(UnitVersioning, RemoveModuleTakesOnlyThatModule) {
    zur::TUnitVersioning registry;
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(2), &RecordA);
    registry.AddUnitVersion(Instance(2), &RecordB);
    registry.RemoveModule(Instance(3));
    EXPECT_EQ(registry.ModuleCount(), 2);
    registry.RemoveModule(Instance(2));
    ASSERT_EQ(registry.ModuleCount(), 1);
    EXPECT_EQ(registry.Modules(0)->Instance(), Instance(1));
    EXPECT_EQ(registry.FindModule(Instance(2)), nullptr);
    // A module that comes back starts empty.
    registry.AddUnitVersion(Instance(2), &RecordB);
    EXPECT_EQ(registry.FindModule(Instance(2))->Count(), 1);
}

TEST(UnitVersioning, StartCounterRunsWorkOnFirstStartAndBalancingEnd) {
    zur::TUnitStartCounter counter;
    EXPECT_FALSE(counter.Leave());  // an end without a start does no end work
    EXPECT_TRUE(counter.Enter());
    EXPECT_FALSE(counter.Enter());
    EXPECT_FALSE(counter.Leave());
    EXPECT_TRUE(counter.Leave());
    EXPECT_TRUE(counter.Enter());
}

}  // namespace
