#include "framework/AllocateHWnd.h"

#include "framework/Application.h"
#include "framework/Exception.h"

namespace fw {

namespace {

const wchar_t kClassName[] = L"fwUtilWindow";

// What a window carries: its method, and how deep its calls are nested, so the
// window can be deallocated from inside its own method.
struct WindowData {
    TWndMethod method;
    int depth = 0;
    bool released = false;
};

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<WindowData*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!data || data->released) return DefWindowProcW(wnd, msg, wParam, lParam);
    LRESULT result = 0;
    ++data->depth;
    try {
        result = data->method(msg, wParam, lParam);
    } catch (...) {
        // Unwinding through the system's dispatch code is not safe: report here.
        Application()->HandleException(nullptr);
    }
    if (--data->depth == 0 && data->released) delete data;
    return result;
}

HINSTANCE RegisterUtilClass() {
    static const HINSTANCE instance = [] {
        const HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = UtilWindowProc;
        wc.hInstance = inst;
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
        return inst;
    }();
    return instance;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
    const HINSTANCE inst = RegisterUtilClass();
    HWND wnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (!wnd) RaiseLastOSError();
    // Attached after creation: the method sees no creation messages.
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new WindowData{std::move(Method)}));
    return wnd;
}

void DeallocateHWnd(HWND Wnd) {
    if (!Wnd) return;
    auto* data = reinterpret_cast<WindowData*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
    DestroyWindow(Wnd);
    if (!data) return;
    data->released = true;
    // A method still running on this window's stack is freed when it returns.
    if (data->depth == 0) delete data;
}

}  // namespace fw
