#include "framework/Application.h"

#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Hints.h"
#include "framework/Thread.h"

namespace fw {

namespace {

TApplication* g_application = nullptr;

// Exceptions the framework catches where they cannot travel on (window procedures,
// destructors, waits) are shown like those that reach the loop.
const bool handlerInstalled = [] {
    SetExceptionHandler([](TObject* Sender) { Application()->HandleException(Sender); });
    return true;
}();

const wchar_t kAppClassName[] = L"fwApplication";

std::wstring Widen(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring result(size_t(n - 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), n);
    return result;
}

}  // namespace

std::function<int(HWND, const std::wstring&, const std::wstring&, unsigned)> TApplication::MessageBoxHook;

TApplication* Application() {
    if (!g_application) g_application = new TApplication(nullptr);
    return g_application;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    (void)handlerInstalled;
}

TApplication::~TApplication() {
    // The forms go first: while they close they may still ask for the application.
    DestroyComponents();
    if (handle_) DestroyWindow(handle_);
    if (g_application == this) g_application = nullptr;
}

// Nothing to prepare: the libraries have started before it is called.
void TApplication::Initialize() {}

std::wstring TApplication::Title() const {
    if (!title_.empty()) return title_;
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    const size_t slash = name.find_last_of(L"\\/:");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

void TApplication::SetTitle(const std::wstring& Value) {
    title_ = Value;
    if (handle_) SetWindowTextW(handle_, Title().c_str());
}

HWND TApplication::Handle() {
    if (!handle_) {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kAppClassName;
            return RegisterClassExW(&wc);
        }();
        if (!atom) RaiseLastOSError();
        // Never shown, never on the task bar: it only stands for the program.
        handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kAppClassName, Title().c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!handle_) RaiseLastOSError();
    }
    return handle_;
}

void TApplication::FormCreated(TCustomForm* Form) {
    if (mainForm_) return;
    mainForm_ = Form;
    // The main form's window exists from now on, so the forms that follow belong to it.
    Form->HandleNeeded();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent && AComponent == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
    if (!mainForm_) return;
    try {
        mainForm_->Show();
    } catch (...) {
        HandleException(this);
    }
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    terminated_ = true;
    // Wakes a loop that waits for the next message.
    PostThreadMessageW(MainThreadID(), WM_NULL, 0, 0);
}

bool TApplication::ProcessMessage(MSG& Msg) {
    // Waiting mouse messages are taken before all others.
    if (!PeekMessageW(&Msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) &&
        !PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (Msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    HintMessage(Msg);
    // Key handling first: dialog keys go to the focused control.
    if (!IsKeyMsg(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessageW(&Msg);
    }
    return true;
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::ProcessMessages() {
    // Calls threads hand over from now on wait for the next round.
    const TSynchronizeBound bound;
    MSG msg;
    while (ProcessMessage(msg)) {}
}

void TApplication::Idle() {
    bool done = true;
    if (IsMainThread()) {
        try {
            if (CheckSynchronize()) done = false;
        } catch (...) {
            HandleException(this);
            done = false;
        }
    }
    if (done) WaitMessage();
}

void TApplication::HandleException(TObject*) {
    const std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        try {
            std::rethrow_exception(current);
        } catch (const EAbort&) {
            // A silent abort: nothing to show.
        } catch (const std::exception& e) {
            ShowException(e);
        } catch (...) {
            MessageBox(L"Unknown exception", Title(), MB_OK | MB_ICONSTOP);
        }
    } catch (...) {
        // The report itself failed; the program goes on all the same.
    }
}

void TApplication::ShowException(const std::exception& E) {
    const auto* own = dynamic_cast<const Exception*>(&E);
    const std::wstring text = own ? own->Message() : Widen(E.what());
    MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::wstring& Text, const std::wstring& Caption, unsigned Flags, HWND Owner) {
    const std::wstring caption = Caption.empty() ? Title() : Caption;
    HWND owner = Owner && IsWindow(Owner) ? Owner : GetActiveWindow();
    if (!owner && mainForm_ && mainForm_->HandleAllocated()) owner = mainForm_->Handle();
    if (MessageBoxHook) return MessageBoxHook(owner, Text, caption, Flags);
    return ::MessageBoxW(owner, Text.c_str(), caption.c_str(), Flags);
}

TColor TApplication::HintColor() const {
    return HintSettings().HintColor;
}

void TApplication::SetHintColor(TColor Value) {
    HintSettings().HintColor = Value;
}

}  // namespace fw
