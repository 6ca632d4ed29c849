// Holds the test machine's desktop open for a whole test run. Wine starts the
// desktop process (explorer.exe /desktop) for the first program that needs a
// desktop and hands it that program's standard error; the desktop process ends
// only after the last program on the desktop has gone. Started by a test program,
// it would keep that program's output open after the program ended, and CTest,
// which waits for the output to close, would time the entry out although it passed.
// Started first by tools/test (its output going nowhere), the desktop belongs to no
// test program. Prints "ready" once the desktop is up, then waits until it is ended.
#include <windows.h>

#include <cstdio>

int main() {
    // The desktop process may take a while to come up on a loaded machine.
    for (int tries = 0; tries < 600; ++tries) {
        if (GetDesktopWindow()) {
            std::printf("ready\n");
            std::fflush(stdout);
            Sleep(INFINITE);
        }
        Sleep(100);
    }
    std::fprintf(stderr, "hold_desktop: no desktop came up\n");
    return 1;
}
