#include "controls/ControlsLibrary.h"

#include "controls/VxCursors.h"
#include "controls/VxDataProvider.h"
#include "support/SupportLibrary.h"

namespace vx {

namespace {

enum class TLibraryState {
    NotStarted,
    Started,
    Ended
};
TLibraryState State = TLibraryState::NotStarted;

}  // namespace

void ControlsLibraryStartup() {
    if (State != TLibraryState::NotStarted) return;  // an end is final, as at the end of a program
    // Marked first: a start that fails part way leaves its units to the shut-down.
    State = TLibraryState::Started;
    zur::SupportLibraryStartup();
    VxCursorsInitialize();
    RegisterDataProviderClasses();  // registration only; nothing to end
}

void ControlsLibraryShutdown() {
    if (State != TLibraryState::Started) return;
    State = TLibraryState::Ended;
    // The cursors own nothing; only the support library has end work.
    zur::SupportLibraryShutdown();
}

}  // namespace vx
