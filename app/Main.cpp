// The program's entry point: the libraries' start-up, the start-up block, and
// the libraries' shut-down in reverse order.
#include <windows.h>

#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunProgram(ProgramLibraries(), [] {
        StartApplication();
        RunApplication();
    });
}
