#pragma once
// Answers a system dialog (save, print, print set-up) that the test thread is
// about to show modally: a helper thread waits for the dialog window of this
// process to appear and runs Answer on it (WM_SETTEXT, BM_CLICK, a posted
// WM_COMMAND ...). A dialog that never appears ends the wait after the timeout;
// a dialog left open is cancelled then, so no test hangs.
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace testenv {

class DialogAnswer {
public:
    DialogAnswer(std::function<void(HWND Dialog)> Answer, unsigned TimeoutMs = 10000);
    // Waits for the helper thread.
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    // Whether a dialog was found and answered.
    bool Answered() const { return answered_; }

private:
    std::atomic<bool> answered_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// The edit box of a dialog's control (a combo box's inner edit when Id names a
// combo box), or the control itself.
HWND DialogEdit(HWND Dialog, int Id);

}  // namespace testenv
