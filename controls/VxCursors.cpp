#include "controls/VxCursors.h"

#include "framework/Forms.h"

namespace vx {

void VxCursorsInitialize() {
    // A cursor that cannot be had is no reason to stop the program's start.
    try {
        fw::TScreen* screen = fw::Screen();
        screen->SetCursors(crVxDragMove, screen->Cursors(fw::crMultiDrag));
        screen->SetCursors(crVxDragCopy, screen->Cursors(fw::crDrag));
        screen->SetCursors(crVxDragLink, screen->Cursors(fw::crMultiDrag));
        screen->SetCursors(crVxDragMultiple, screen->Cursors(fw::crMultiDrag));
    } catch (...) {}
}

}  // namespace vx
