// The desktop every test program's windows live on was up before the test program
// started. Wine hands the desktop process the standard error of the program that made
// it start, and that process lives on after the program has ended; CTest waits until a
// test's output is closed by every process holding it, so the entry of a program that
// started the desktop ends only when the desktop does, or times out after every test
// had passed. tools/test holds the desktop open for the whole run (hold_desktop).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "framework/Handles.h"

namespace {

uint64_t Ticks(const FILETIME& Time) {
    return uint64_t(Time.dwHighDateTime) << 32 | Time.dwLowDateTime;
}

// When the process was created, or 0 when that can't be read.
uint64_t CreatedAt(HANDLE Process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    return GetProcessTimes(Process, &created, &exited, &kernel, &user) ? Ticks(created) : 0;
}

TEST(TestMachine, TheDesktopProcessWasUpBeforeTheTestProgramStarted) {
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    ASSERT_NE(desktopProcess, 0u);
    ASSERT_NE(desktopProcess, GetCurrentProcessId());
    const fw::UniqueHandle desktop(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, desktopProcess));
    ASSERT_TRUE(desktop);
    const uint64_t desktopCreated = CreatedAt(desktop.get()), selfCreated = CreatedAt(GetCurrentProcess());
    ASSERT_NE(desktopCreated, 0u);
    ASSERT_NE(selfCreated, 0u);
    EXPECT_LT(desktopCreated, selfCreated) << "tools/test holds the desktop open before any test program runs";
}

}  // namespace
