#pragma once
// Start-up and shut-down of the shell library as a whole, in its units' order:
// the entry points (COM, Shell32, shlwapi, kernel32, the shell's captions), the
// selection list's unit (the shared worker pool), then the browser's unit (the
// desktop folder, the special-folder cache, the operating-system flags, the
// shared small-icon image list). Shut-down stops the worker pool first, so no
// work item meets freed shell state, then undoes the rest in reverse.
// Both are counted: every ShellLibraryStartup() is matched by one
// ShellLibraryShutdown(), and only the outermost pair does the work. Call them
// on the main thread.
namespace shell {

// Raises fw::Exception (or EPathfinchError) when a library or the shell is missing;
// what had started is undone first.
void ShellLibraryStartup();
void ShellLibraryShutdown();
// Whether the library is started.
bool ShellLibraryStarted();

}  // namespace shell
