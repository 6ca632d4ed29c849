#include "framework/Forms.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Hints.h"
#include "framework/Thread.h"

namespace fw {

// --- TCustomForm ---------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    Screen()->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
    BeforeDestruction();
    auto& forms = Screen()->forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    activeControl_ = nullptr;
    focusedControl_ = nullptr;
}

void TCustomForm::AfterConstruction() {
    if (created_) return;
    created_ = true;
    // The form's set-up in code has ended: every component on it takes its
    // Loaded step before OnCreate, as a form read from its definition would.
    EndSetUp();
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    if (destroyed_) return;
    destroyed_ = true;
    Destroying();
    try {
        DoDestroy();
    } catch (...) {
        // Destruction goes on: the failure is reported, never thrown out of a destructor.
        ReportException(this);
    }
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application()->MainForm() == this) {
        Application()->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    switch (action) {
    case caNone: modalResult_ = mrNone; break;
    case caFree: Release(); break;
    default: break;
    }
}

namespace {

struct TaskWindows {
    HWND except;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableTaskWindow(HWND Wnd, LPARAM Data) {
    auto* list = reinterpret_cast<TaskWindows*>(Data);
    if (Wnd != list->except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
        list->disabled.push_back(Wnd);
        EnableWindow(Wnd, FALSE);
    }
    return TRUE;
}

void EnableTaskWindows(const std::vector<HWND>& Windows) {
    for (HWND w : Windows)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

}  // namespace

int TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_) throw EInvalidOperation(L"Cannot make a visible window modal");
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    modal_ = true;
    const HWND activeBefore = GetActiveWindow();
    TaskWindows windows{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindow, reinterpret_cast<LPARAM>(&windows));
    // A form deleted inside its own loop ends the loop; nothing of it is used after.
    const DestroyWatch watch(this);
    int result = mrCancel;
    try {
        try {
            // A result set while the form is shown (OnShow) ends the loop at once.
            modalResult_ = mrNone;
            Show();
            if (!watch.Destroyed()) result = RunModalLoop(watch);
        } catch (...) {
            if (!watch.Destroyed()) Hide();
            throw;
        }
        if (!watch.Destroyed()) Hide();
    } catch (...) {
        EnableTaskWindows(windows.disabled);
        if (!watch.Destroyed()) modal_ = false;
        throw;
    }
    EnableTaskWindows(windows.disabled);
    if (activeBefore && IsWindow(activeBefore)) SetActiveWindow(activeBefore);
    if (!watch.Destroyed()) modal_ = false;
    return result;
}

int TCustomForm::RunModalLoop(const DestroyWatch& Watch) {
    // Key handling first, and synchronized calls whenever nothing else waits.
    do {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
            PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                Application()->Terminate();
            } else {
                try {
                    // As the application's loop: a modal form's controls show their hints too.
                    HintMessage(msg);
                    if (!IsKeyMsg(msg)) {
                        TranslateMessage(&msg);
                        DispatchMessageW(&msg);
                    }
                } catch (...) {
                    Application()->HandleException(Watch.Destroyed() ? nullptr : this);
                }
            }
        } else {
            bool ran = false;
            try {
                ran = CheckSynchronize();
            } catch (...) {
                Application()->HandleException(Watch.Destroyed() ? nullptr : this);
                ran = true;
            }
            if (Watch.Destroyed()) return mrCancel;
            if (!ran && modalResult_ == mrNone && !Application()->Terminated()) WaitMessage();
        }
        if (Watch.Destroyed()) return mrCancel;
        if (Application()->Terminated()) modalResult_ = mrCancel;
        else if (modalResult_ != mrNone) CloseModal();
        if (Watch.Destroyed()) return mrCancel;
    } while (modalResult_ == mrNone);
    return modalResult_;
}

void TCustomForm::Release() {
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == borderStyle_) return;
    borderStyle_ = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == borderIcons_) return;
    borderIcons_ = Value;
    RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
    if (const_cast<TCustomForm*>(this)->HandleAllocated()) {
        HWND h = const_cast<TCustomForm*>(this)->Handle();
        if (IsIconic(h)) return wsMinimized;
        if (IsZoomed(h)) return wsMaximized;
        return wsNormal;
    }
    return windowState_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
    windowState_ = Value;
    if (HandleAllocated() && Showing()) {
        static const int commands[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
        ShowWindow(Handle(), commands[Value]);
    }
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style &= ~DWORD(WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP);
    Params.Style |= WS_CLIPCHILDREN;
    bool toolWindow = false;
    switch (borderStyle_) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_BORDER;
        toolWindow = true;
        break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        toolWindow = true;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (toolWindow) Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
        Params.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && !toolWindow) {
            if (borderIcons_ & biMinimize) Params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize) Params.Style |= WS_MAXIMIZEBOX;
        }
        if ((borderIcons_ & biHelp) && !(borderIcons_ & (biMinimize | biMaximize))) Params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (!placed_ && !HandleAllocated()) {
        if (position_ == poDefault || position_ == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
        if (position_ == poDefault || position_ == poDefaultSizeOnly) Params.Width = Params.Height = CW_USEDEFAULT;
    }
    // The main form stands alone on the task bar; other forms belong to it.
    TCustomForm* mainForm = Application()->MainForm();
    Params.WndParent = nullptr;
    if (mainForm == this) {
        if (Application()->MainFormOnTaskBar()) Params.ExStyle |= WS_EX_APPWINDOW;
    } else if (mainForm && mainForm->HandleAllocated()) {
        Params.WndParent = mainForm->Handle();
    }
    Params.WindowClass.style |= CS_DBLCLKS;
    Params.WindowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    if (!Params.WindowClass.hIcon) Params.WindowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
}

void TCustomForm::CreateWnd() {
    // A form other than the main form belongs to the main form's window.
    TCustomForm* mainForm = Application()->MainForm();
    if (mainForm && mainForm != this) mainForm->HandleNeeded();
    TWinControl::CreateWnd();
}

void TCustomForm::PlaceWindow() {
    if (placed_) return;
    placed_ = true;
    RECT area{0, 0, Screen()->Width(), Screen()->Height()};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        SetBounds(area.left + (area.right - area.left - Width()) / 2,
                  area.top + (area.bottom - area.top - Height()) / 2, Width(), Height());
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* center = dynamic_cast<TCustomForm*>(Owner());
        if (position_ == poMainFormCenter || !center) center = Application()->MainForm();
        if (center && center != this && center->Visible()) {
            SetBounds(center->Left() + (center->Width() - Width()) / 2,
                      center->Top() + (center->Height() - Height()) / 2, Width(), Height());
        } else {
            SetBounds(area.left + (area.right - area.left - Width()) / 2,
                      area.top + (area.bottom - area.top - Height()) / 2, Width(), Height());
        }
        break;
    }
    default: break;
    }
}

void TCustomForm::ShowingChanged() {
    if (Showing()) {
        // OnShow comes before the window appears, every time it appears.
        if (!(controlState_ & csRecreating)) DoShow();
        if (!Showing() || !HandleAllocated()) return;
        PlaceWindow();
        int command = SW_SHOWNORMAL;
        if (windowState_ == wsMaximized) command = SW_SHOWMAXIMIZED;
        else if (windowState_ == wsMinimized) command = SW_SHOWMINIMIZED;
        ShowWindow(Handle(), command);
    } else {
        if (!(controlState_ & csRecreating)) DoHide();
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    }
}

void TCustomForm::SetWindowFocus() {
    HWND focus = activeControl_ && activeControl_->HandleAllocated() ? activeControl_->Handle()
                 : HandleAllocated()                                 ? Handle()
                                                                     : nullptr;
    if (focus && GetFocus() != focus) ::SetFocus(focus);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (Control == activeControl_) return;
    if (Control && (Control == this || GetParentForm(Control) != this || !(HasState(csLoading) || Control->CanFocus())))
        throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    activeControl_ = Control;
    if (active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
    const bool wasActive = active_;
    SetActiveControl(Control);
    if (!wasActive) SetFocus();
}

void TCustomForm::SetFocus() {
    if (!active_) {
        if (!(Visible() && Enabled())) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
        SetWindowFocus();
    }
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
    if (Removing && focusedControl_ && Control->ContainsControl(focusedControl_)) {
        // The controls inside that lose the focus hear it; Control itself goes.
        TWinControl* left = focusedControl_;
        focusedControl_ = Control->Parent();
        for (TWinControl* c = left; c && c != Control; c = c->Parent()) c->Perform(CM_EXIT, 0, 0);
    }
    if (activeControl_ && Control->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
    if (Control == focusedControl_) {
        if (Control != this) activeControl_ = Control;
        return true;
    }
    TWinControl* old = focusedControl_;
    focusedControl_ = Control;
    if (Control != this) activeControl_ = Control;
    // The controls left, innermost first, up to the one that holds the new focus.
    for (TWinControl* c = old; c && c != this && !c->ContainsControl(Control); c = c->Parent())
        c->Perform(CM_EXIT, 0, 0);
    // The controls entered, outermost first.
    std::vector<TWinControl*> entered;
    for (TWinControl* c = Control; c && c != this && !(old && c->ContainsControl(old)); c = c->Parent())
        entered.push_back(c);
    for (auto it = entered.rbegin(); it != entered.rend(); ++it) (*it)->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, Control);
    return true;
}

void TCustomForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CLOSE:
        Close();
        Message.Result = 0;
        return;
    case WM_ACTIVATE:
        if (LOWORD(Message.WParam) != WA_INACTIVE) {
            active_ = true;
            if (!HIWORD(Message.WParam)) SetWindowFocus();
            if (OnActivate) OnActivate(this);
            Message.Result = 0;
            return;
        }
        active_ = false;
        if (OnDeactivate) OnDeactivate(this);
        DefaultHandler(Message);
        return;
    case CM_SHOWINGCHANGED: ShowingChanged(); return;
    case WM_SYSCOLORCHANGE:
        DefaultHandler(Message);
        Perform(CM_SYSCOLORCHANGE, 0, 0);
        return;
    case CM_DIALOGKEY:
        if (GetKeyState(VK_MENU) >= 0) {
            switch (Message.WParam) {
            case VK_TAB:
                if (GetKeyState(VK_CONTROL) >= 0) {
                    SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
                    Message.Result = 1;
                    return;
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (activeControl_ && activeControl_->Parent()) {
                    activeControl_->Parent()->SelectNext(
                        activeControl_, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                    Message.Result = 1;
                }
                return;
            default: break;
            }
        }
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
}

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->Parent()) Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

// --- TScreen -------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
    RegisterCursor(Index, Handle);
}

HCURSOR TScreen::Cursors(TCursor Index) const {
    return CursorHandle(Index);
}

void TScreen::SetCursor(TCursor Value) {
    if (Value == GlobalCursor()) return;
    SetGlobalCursor(Value);
    if (Value == crDefault) {
        // The window under the mouse chooses its own cursor again.
        POINT p;
        GetCursorPos(&p);
        HWND wnd = WindowFromPoint(p);
        if (wnd && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
            const LRESULT hit = SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(WORD(p.x), WORD(p.y)));
            SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(WORD(hit), WM_MOUSEMOVE));
        }
    } else {
        ::SetCursor(Cursors(Value));
    }
}

TCustomForm* TScreen::ActiveForm() const {
    TWinControl* control = FindControl(GetActiveWindow());
    return control ? GetParentForm(control) : nullptr;
}

TScreen* Screen() {
    // Never freed: forms may still leave its list while the program shuts down.
    static TScreen* screen = new TScreen(nullptr);
    return screen;
}

}  // namespace fw
