// Crashes on purpose: its CTest entry expects a failure, which proves that a fault in a
// test program fails the run instead of passing it.
#include <gtest/gtest.h>

TEST(Harness, AFaultEndsTheProgram) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(Harness, ATestAfterTheFault) {
    SUCCEED();
}
