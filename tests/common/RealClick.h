#pragma once
// A click as the user makes it: the cursor goes to the point and the press and
// the release enter the input queue together (a window that tracks the mouse
// after the press finds the release waiting), then the queue is run.
#include <windows.h>

#include "framework/Application.h"

namespace testenv {

inline void RealClick(HWND Window, int X, int Y) {
    POINT p{X, Y};
    ClientToScreen(Window, &p);
    SetCursorPos(p.x, p.y);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
    fw::Application()->ProcessMessages();
}

}  // namespace testenv
