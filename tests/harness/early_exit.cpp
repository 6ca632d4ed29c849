// Ends with code 0 before GoogleTest could print its summary: its CTest entry expects a
// failure, which proves that an early, quiet end fails the run.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Harness, AQuietExitEndsTheProgram) {
    ExitProcess(0);
}

TEST(Harness, ATestAfterTheExit) {
    SUCCEED();
}
