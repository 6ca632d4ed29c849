#pragma once
// The program's start-up block and the frame around it: the libraries' start-up
// before it and their shut-down after it, whatever happens in between.
#include <functional>
#include <vector>

// One library of the program: what starts it and what ends it. Its shut-down
// must undo a start-up that failed part way, and do nothing when it never began.
struct TLibrary {
    void (*Startup)();
    void (*Shutdown)();
};

// The program's libraries in link order: the shell library, then the controls
// library (which starts the support library under it).
const std::vector<TLibrary>& ProgramLibraries();

// Starts Libraries in order and runs Body. An exception from a start-up or from
// Body is shown in the application's stop box (silent for EAbort) and the forms
// are freed; then every library whose start-up began is shut down, in reverse
// order, in every case. Answers the program's exit code: 0, or 1 after an exception.
int RunProgram(const std::vector<TLibrary>& Libraries, const std::function<void()>& Body);

// Initialises the application, puts the main window on the task bar, sets the
// title and creates the program's forms, the main window first.
void StartApplication();
// Runs the message loop until the main window closes, then frees the forms.
void RunApplication();
// Frees the application and its forms (nothing happens to what is already gone).
void FreeApplication();
