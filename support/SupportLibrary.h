#pragma once
// Start and end of the support library's units: SupportLibraryStartup() before
// anything of the library is used, SupportLibraryShutdown() after the last use.
// Both may be called again: a second start or end does nothing, and nothing
// starts again after the end. A start that fails part way leaves the units it
// started to the shut-down.
namespace zur {

void SupportLibraryStartup();
void SupportLibraryShutdown();

}  // namespace zur
