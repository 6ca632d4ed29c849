#include "shell/ZemFolderWatch.h"

#include "framework/Application.h"
#include "shell/Pidl.h"

namespace shell {

namespace {

const wchar_t kWindowClass[] = L"TZemFolderWatch";

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

TZemFolderWatch::TZemFolderWatch() {
    RegisterWindowClass();
    window_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TZemFolderWatch::WindowProc));
    }
}

TZemFolderWatch::~TZemFolderWatch() {
    Unregister();
    if (window_) DestroyWindow(window_);
}

void TZemFolderWatch::SetWatchEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    if (enabled_) Register();
    else Unregister();
}

void TZemFolderWatch::SetWatchedIDList(LPCITEMIDLIST IDList) {
    watched_.reset(IDList ? PidlClone(IDList) : nullptr);
    paths_.clear();
    if (enabled_) Register();
}

void TZemFolderWatch::AddWatchedPath(const std::wstring& Path) {
    fw::PidlPtr pidl(PathToPidl(nullptr, Path));
    if (!pidl) return;
    if (enabled_) {
        const ULONG id = RegisterOne(pidl.get());
        if (id) registrations_.push_back(id);
    }
    paths_.push_back(std::move(pidl));
}

void TZemFolderWatch::SetWatchedEvents(LONG ShellEvents) {
    if (ShellEvents == events_) return;
    events_ = ShellEvents;
    if (enabled_) Register();
}

void TZemFolderWatch::SetRecursive(bool Value) {
    if (Value == recursive_) return;
    recursive_ = Value;
    if (enabled_) Register();
}

ULONG TZemFolderWatch::RegisterOne(LPCITEMIDLIST IDList) {
    if (!window_) return 0;
    SHChangeNotifyEntry entry{IDList, recursive_ ? TRUE : FALSE};
    const int sources = SHCNRF_InterruptLevel | SHCNRF_ShellLevel | (recursive_ ? SHCNRF_RecursiveInterrupt : 0);
    return SHChangeNotifyRegister(window_, sources, events_, NoticeMessage, 1, &entry);
}

void TZemFolderWatch::Register() {
    Unregister();
    // Nothing named: the whole namespace, from the desktop down.
    if (!watched_ && paths_.empty()) {
        if (const ULONG id = RegisterOne(DesktopPidl())) registrations_.push_back(id);
        return;
    }
    if (watched_)
        if (const ULONG id = RegisterOne(watched_.get())) registrations_.push_back(id);
    for (const fw::PidlPtr& path : paths_)
        if (const ULONG id = RegisterOne(path.get())) registrations_.push_back(id);
}

void TZemFolderWatch::Unregister() {
    for (const ULONG id : registrations_) SHChangeNotifyDeregister(id);
    registrations_.clear();
}

LRESULT CALLBACK TZemFolderWatch::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* self = reinterpret_cast<TZemFolderWatch*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (!self || Msg != NoticeMessage || !self->enabled_) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    const LONG event = LONG(LParam & 0x7FFFFFFF);
    if (!(event & self->events_) || !self->onNotice_) return 0;
    auto* lists = reinterpret_cast<LPCITEMIDLIST*>(WParam);
    // A handler's failure is shown as the message loop shows one; the shell's call must return.
    try {
        self->onNotice_(event, lists ? lists[0] : nullptr, lists ? lists[1] : nullptr);
    } catch (...) {
        fw::Application()->HandleException(nullptr);
    }
    return 0;
}

}  // namespace shell
