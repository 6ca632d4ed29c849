#pragma once
// The control library's own cursor values, registered with the screen at start-up
// so drag operations of its controls can name them. Nothing is owned: the values
// point at cursors the screen already has.
#include "framework/Controls.h"

namespace vx {

constexpr fw::TCursor crVxDragMove = 368;
constexpr fw::TCursor crVxDragCopy = 369;
constexpr fw::TCursor crVxDragLink = 370;
constexpr fw::TCursor crVxDragMultiple = 371;

// Registers the cursors; one that cannot be had is left out.
void VxCursorsInitialize();

}  // namespace vx
