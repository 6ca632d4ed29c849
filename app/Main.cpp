// The program's entry point: the libraries' start-up, the start-up block, and
// the libraries' shut-down in reverse order.
#include <windows.h>

#include "app/Startup.h"
#include "controls/ControlsLibrary.h"
#include "framework/Exception.h"
#include "shell/ShellLibrary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        // In link order: the shell library's units (entry points, the selection
        // list with the shared worker pool, special folders), then the support units.
        shell::ShellLibraryStartup();
        vx::ControlsLibraryStartup();
    } catch (const fw::Exception& e) {
        // No application object is up yet to show it; the system box must do.
        MessageBoxW(nullptr, e.Message().c_str(), L"Tabulorin", MB_ICONSTOP | MB_OK);
        shell::ShellLibraryShutdown();
        return 1;
    }

    StartApplication();
    RunApplication();

    vx::ControlsLibraryShutdown();
    shell::ShellLibraryShutdown();
    return 0;
}
