#include "tests/common/DialogAnswer.h"

#include <string>

namespace testenv {

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (process == search->process && std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleDialog() {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

DialogAnswer::DialogAnswer(std::function<void(HWND Dialog)> Answer, unsigned TimeoutMs)
    : thread_([this, Answer = std::move(Answer), TimeoutMs] {
          const ULONGLONG deadline = GetTickCount64() + TimeoutMs;
          HWND dialog = nullptr;
          while (!done_ && !(dialog = VisibleDialog()) && GetTickCount64() < deadline) Sleep(10);
          if (!dialog) return;
          Sleep(50);  // the dialog finishes its own set-up after it becomes visible
          Answer(dialog);
          answered_ = true;
          // A dialog still open at the deadline is cancelled, so the test thread goes on.
          while (!done_ && IsWindow(dialog) && GetTickCount64() < deadline) Sleep(10);
          if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }) {}

DialogAnswer::~DialogAnswer() {
    done_ = true;
    thread_.join();
}

HWND DialogEdit(HWND Dialog, int Id) {
    HWND control = GetDlgItem(Dialog, Id);
    HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr);
    if (!edit && control)
        edit = FindWindowExW(FindWindowExW(control, nullptr, L"ComboBox", nullptr), nullptr, L"Edit", nullptr);
    return edit ? edit : control;
}

}  // namespace testenv
