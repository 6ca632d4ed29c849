#pragma once
// Start and end of the control library's support units, for the program's entry
// point: ControlsLibraryStartup() before anything of the library is used,
// ControlsLibraryShutdown() after the last use. Both may be called again: a
// second start or end does nothing, and nothing starts again after the end.
// A start that fails part way leaves the units it started to the shut-down.
void ControlsLibraryStartup();
void ControlsLibraryShutdown();
