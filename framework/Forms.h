#pragma once
// Forms: top-level windows that own the controls placed on them.
// A form is created with the application (or another component) as owner, in code:
// the descendant's constructor creates and wires its controls, then the creator
// calls AfterConstruction(), which runs every component's Loaded step and fires
// OnCreate (TApplication::CreateForm does both). Its window is made when it is first shown. Closing the application's main
// form terminates the application; closing another form hides it (or frees it,
// later, when OnClose asks for caFree). Deleting a form fires OnDestroy first when
// BeforeDestruction() was not called already; a descendant whose OnDestroy handler
// needs the descendant's own members calls BeforeDestruction() in its destructor.
// TScreen (Screen()) holds the cursor shown over every form, and the list of forms.
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Controls.h"

namespace fw {

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState {
    wsNormal,
    wsMinimized,
    wsMaximized
};
enum TBorderIcon : unsigned {
    biSystemMenu = 1u << 0,
    biMinimize = 1u << 1,
    biMaximize = 1u << 2,
    biHelp = 1u << 3
};
using TBorderIcons = unsigned;
enum TCloseAction {
    caNone,
    caHide,
    caFree,
    caMinimize
};

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
                       mrClose = 11;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
    // Hidden, "Tahoma" -11, clBtnFace, sizeable, 320 x 240.
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Runs the Loaded step of the form and its components (EndSetUp), then fires
    // OnCreate; called by the creator once construction is complete.
    virtual void AfterConstruction();
    // Fires OnDestroy (once); the destructor does it when nobody did before.
    void BeforeDestruction();

    void Show();
    void Hide();
    // Asks OnCloseQuery, then OnClose decides: hide (default), free, minimize or
    // nothing. The application's main form terminates the application instead.
    // In a modal loop it sets ModalResult to mrCancel, which ends the loop.
    void Close();
    // Shows the form with every other window of the thread disabled and runs
    // messages (synchronized calls included) until ModalResult is set or the
    // form closes; returns ModalResult.
    virtual int ShowModal();
    // Frees the form once the messages now waiting have been handled.
    void Release();
    bool CloseQuery();

    TPosition Position() const { return position_; }
    void SetPosition(TPosition Value) { position_ = Value; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons Value);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool Value) { keyPreview_ = Value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult Value) { modalResult_ = Value; }
    bool Modal() const { return modal_; }
    // Whether the form's window is the active window.
    bool Active() const { return active_; }

    // The control that has (or gets, when the form is activated) the focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Called when Control loses the possibility to hold the focus (hidden,
    // disabled, removed): the focus leaves it.
    void DefocusControl(TWinControl* Control, bool Removing);
    // Called as the window of Control gets the focus: CM_EXIT and CM_ENTER go to
    // the controls left and entered, then CM_FOCUSCHANGED to every control.
    bool SetFocusedControl(TWinControl* Control);
    void SetFocus() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The form's side, as its controls see it.
    bool IsForm() const override { return true; }
    bool PreviewsKeys() const override { return keyPreview_; }
    void FocusControlOnForm(TWinControl* Control) override { FocusControl(Control); }
    void DefocusControlOnForm(TWinControl* Control, bool Removing) override { DefocusControl(Control, Removing); }
    bool FocusedControlChanging(TWinControl* Control) override { return SetFocusedControl(Control); }
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    std::wstring ClassName() const override { return L"TForm"; }

private:
    void ShowingChanged();
    void SetWindowFocus();
    void CloseModal();
    int RunModalLoop(const DestroyWatch& Watch);
    void PlaceWindow();

    TPosition position_ = poDefaultPosOnly;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool active_ = false;
    bool created_ = false;
    bool destroyed_ = false;
    bool placed_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// The form a control sits on (its topmost parent when that is a form), or nullptr.
TCustomForm* GetParentForm(TControl* Control);

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);

    // The cursor shown over every form while it is not crDefault (an application
    // busy in the background shows crAppStart, a blocking task crHourGlass).
    TCursor Cursor() const { return GlobalCursor(); }
    void SetCursor(TCursor Value);
    // The cursor for a cursor value: one registered with SetCursors, else the system's.
    HCURSOR Cursors(TCursor Index) const;
    // Registers a cursor under a value of the program's own (libraries keep theirs
    // above the predefined values); the screen does not own the handle.
    void SetCursors(TCursor Index, HCURSOR Handle);

    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const { return ScreenPixelsPerInch(); }

    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int Index) const { return forms_.at(size_t(Index)); }
    // The form whose window is active, or nullptr.
    TCustomForm* ActiveForm() const;

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> forms_;
};

// The screen object of the process.
TScreen* Screen();

}  // namespace fw
