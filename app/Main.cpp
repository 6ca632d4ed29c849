// The program's entry point: the start-up block.
#include <windows.h>

#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Libraries' start-up goes here, in link order: the shell library's units
    // (entry points, selection list with the shared worker pool, special folders),
    // then the support library's.

    StartApplication();
    RunApplication();

    // Libraries' shut-down goes here, in the reverse order of their start-up.
    return 0;
}
