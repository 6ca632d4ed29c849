#pragma once
// The program's start-up block, between the libraries' start-up and shut-down
// (which the entry point runs around it).

// Initialises the application, puts the main window on the task bar, sets the
// title and creates the program's forms, the main window first.
void StartApplication();
// Runs the message loop until the main window closes, then frees the forms.
void RunApplication();
