#pragma once
// Hidden message-only windows (HWND_MESSAGE) whose window procedure calls a
// std::function: the way a non-visual object receives window messages (posted
// wake-ups, shell change notices, timers).
// The window belongs to the thread that creates it; only that thread receives
// its messages and may destroy it. The method sees the messages that arrive
// after creation and before destruction; what it does not handle it passes to
// DefWindowProcW(handle, ...). An exception escaping the method goes to the
// application's exception handler instead of unwinding through the system.
// TMessageWindow owns one such window; AllocateHWnd/DeallocateHWnd are the bare pair.
#include <windows.h>

#include <functional>

namespace fw {

using TWndMethod = std::function<LRESULT(UINT Msg, WPARAM wParam, LPARAM lParam)>;

// Creates a hidden message-only window calling Method; raises EOSError on failure.
HWND AllocateHWnd(TWndMethod Method);
// Destroys a window made by AllocateHWnd (safe from inside its own method).
void DeallocateHWnd(HWND Wnd);

class TMessageWindow {
public:
    explicit TMessageWindow(TWndMethod Method) : handle_(AllocateHWnd(std::move(Method))) {}
    ~TMessageWindow() { DeallocateHWnd(handle_); }
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    HWND Handle() const { return handle_; }
    // The system's default answer, for messages the method does not handle.
    LRESULT DefaultHandler(UINT Msg, WPARAM wParam, LPARAM lParam) const {
        return DefWindowProcW(handle_, Msg, wParam, lParam);
    }

private:
    HWND handle_;
};

}  // namespace fw
