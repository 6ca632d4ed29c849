// The main of every test executable: COM on the test thread, then GoogleTest.
//
// CTest passes a test program only when this main prints its closing line, and fails it
// whenever the crash line appears (see tests/CMakeLists.txt). Wine ends a crashed process
// with exit code 0, so the exit code alone would call a crash a pass.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <exception>

#include "TestHarness.h"

namespace {

// Writes straight to the standard error handle: after a fault the C runtime may be the broken part.
void WriteRaw(const char* text, int length) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

// Any thread's unhandled fault ends the whole program at once with a failing code.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
    char line[160];
    const int length = std::snprintf(line, sizeof line, "\n%s exception 0x%08lx at %p\n", tabulorin::test::CrashLine,
                                     static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                                     info->ExceptionRecord->ExceptionAddress);
    WriteRaw(line, length);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void EndOnTerminate() {
    char line[120];
    const int length = std::snprintf(line, sizeof line, "\n%s std::terminate\n", tabulorin::test::CrashLine);
    WriteRaw(line, length);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) {}
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(EndOnCrash);
    std::set_terminate(EndOnTerminate);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    if (result == 0) {
        std::printf("%s\n", tabulorin::test::CompletedLine);
        std::fflush(stdout);
    }
    return result;
}
