#include "app/Startup.h"

#include "app/Unit1.h"
#include "framework/Application.h"

void StartApplication() {
    fw::TApplication* application = fw::Application();
    application->Initialize();
    application->SetMainFormOnTaskBar(true);
    application->SetTitle(L"Tabulorama");
    application->CreateForm(Form1);
    // The print-preview window follows here, created hidden.
}

void RunApplication() {
    fw::Application()->Run();
    // The forms go while the libraries they use are still there.
    delete fw::Application();
    Form1 = nullptr;
}
