#include "app/Startup.h"

#include "app/PrintPreview.h"
#include "app/MainWindow.h"
#include "controls/ControlsLibrary.h"
#include "framework/Application.h"
#include "shell/ShellLibrary.h"

const std::vector<TLibrary>& ProgramLibraries() {
    static const std::vector<TLibrary> libraries = {
        {shell::ShellLibraryStartup, shell::ShellLibraryShutdown},
        {vx::ControlsLibraryStartup, vx::ControlsLibraryShutdown},
    };
    return libraries;
}

int RunProgram(const std::vector<TLibrary>& Libraries, const std::function<void()>& Body) {
    size_t begun = 0;
    int code = 0;
    try {
        while (begun < Libraries.size()) Libraries[begun++].Startup();
        Body();
    } catch (...) {
        // Shown while the application still has its title and windows.
        fw::Application()->HandleException(nullptr);
        code = 1;
        // The forms go while the libraries they use are still there.
        FreeApplication();
    }
    while (begun > 0) {
        try {
            Libraries[--begun].Shutdown();
        } catch (...) {
            code = 1;  // the libraries below still end
        }
    }
    return code;
}

void StartApplication() {
    fw::TApplication* application = fw::Application();
    application->Initialize();
    application->SetMainFormOnTaskBar(true);
    application->SetTitle(L"Tabulorama");
    application->CreateForm(Form1);
    // The print-preview window, created hidden.
    application->CreateForm(Printpreview);
}

void RunApplication() {
    fw::Application()->Run();
    FreeApplication();
}

void FreeApplication() {
    delete fw::Application();
    Form1 = nullptr;
}
