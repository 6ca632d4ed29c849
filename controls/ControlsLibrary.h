#pragma once
// Start and end of the control library, for the program's entry point:
// ControlsLibraryStartup() before anything of the library is used (it starts the
// support library first), ControlsLibraryShutdown() after the last use (the
// support library ends last). Both may be called again: a second start or end
// does nothing, and nothing starts again after the end. A start that fails part
// way leaves what it started to the shut-down.
namespace vx {

void ControlsLibraryStartup();
void ControlsLibraryShutdown();

}  // namespace vx
