#pragma once
// TWinControl: a control with a window handle, made when the control is first
// shown or its Handle() is asked for, destroyed with the control or by RecreateWnd
// (which keeps caption, bounds, visibility, font and children). The window
// procedure hands every message to the object's WndProc; messages a control does
// not handle go to DefaultHandler: the window class's own procedure. It holds its
// children, lays out the aligned ones, and paints the windowless ones.
// A destructor runs the base's parts only: a descendant whose DestroyWnd matters,
// or whose components need it whole, calls DestroyHandle() / DestroyComponents()
// in its own destructor. The focus never passes to a control being destroyed.
// Controls stand below the forms: what they need of the form they sit on, they
// ask through the form's side of this class (IsForm, FocusControlOnForm ...).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Control.h"

namespace fw {

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // The window handle, created (with the parent's) when there is none yet.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the window (children's first); state stays in the object.
    void DestroyHandle();
    // Destroys and re-creates the window (when it exists), keeping caption,
    // bounds, visibility, font and child windows.
    void RecreateWnd();
    // A window given as parent for a control without a Parent.
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND Value);
    // Whether the window exists and is shown (as its parents are).
    bool Showing() const { return showing_; }

    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Whether AControl is this control or sits (at any depth) inside it.
    bool ContainsControl(const TControl* AControl) const;
    // The topmost child (windowless ones only, unless AllowWinControls) at a
    // client point, visible and enabled (unless AllowDisabled) and answering CM_HITTEST.
    TControl* ControlAtPos(POINT Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    // Sends the message to each child until one gives a non-zero result.
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);
    // Paints the windowless children (from First on, or all) into DC.
    void PaintControls(HDC DC, TControl* First);

    // Layout of the aligned children: top, bottom, left, right, then client, each
    // group in creation order, within the client area.
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return alignLevel_ != 0; }

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool Value);
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The windowed controls inside this one in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // The brush that paints the background (its colour follows Color).
    TBrush* Brush() const { return brush_.get(); }
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool Value) { doubleBuffered_ = Value; }

    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    POINT ClientOrigin() const override;
    RECT ClientRect() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The window procedure of every control window.
    static LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

protected:
    // Fills in the window's creation parameters; descendants add styles or a
    // system class (CreateSubClass).
    virtual void CreateParams(TCreateParams& Params);
    // Makes the window class Params names a copy of a system class (BUTTON, EDIT,
    // SysListView32 ...) whose procedure becomes this control's default handler.
    void CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    // Creates the window and applies what it needs (font, bounds).
    virtual void CreateHandle();
    // The window's client area less any border the layout must leave free.
    virtual void AdjustClientRect(RECT& Rect) const;
    // Places the aligned children within Rect (shrinking it).
    virtual void AlignControls(TControl* AControl, RECT& Rect);
    void AlignControl(TControl* AControl);
    // Places one aligned child within Rect, taking its part of Rect away.
    void PlaceAligned(TControl* Control, RECT& Rect);
    // Draws the window's own contents into DC (the window class paints, here).
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);
    void BoundsChanged(bool SizeChanged) override;
    // Reads the window's real position into the bounds.
    void UpdateBounds();
    // Shows or hides the window as Visible and the parents' state say.
    void UpdateShowing();
    void UpdateControlState();

    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(wchar_t& Key);
    virtual void DoEnter();
    virtual void DoExit();
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    // Sends a notification from a child window to that child as CN_*.
    bool DoControlMsg(HWND ControlHandle, TMessage& Message);
    // Asks the form to let go of the focus when it is inside this control.
    void RemoveFocus(bool Removing);

    // The form's side. A form overrides these; a control calls them on the form
    // it sits on (HostForm), so controls never depend on the form class.
    // Whether this window is a form: a top-level window that keeps its controls' focus.
    virtual bool IsForm() const { return false; }
    // Whether the form sees the keys of its controls first.
    virtual bool PreviewsKeys() const { return false; }
    // Moves the focus to Control (the form's FocusControl).
    virtual void FocusControlOnForm(TWinControl* Control) { (void)Control; }
    // Control can no longer hold the focus (the form's DefocusControl).
    virtual void DefocusControlOnForm(TWinControl* Control, bool Removing) { (void)Control, (void)Removing; }
    // The window of Control gets the focus; false refuses it (the form's SetFocusedControl).
    virtual bool FocusedControlChanging(TWinControl* Control) { return (void)Control, true; }
    // The form this control sits on: its topmost parent when that is a form, or nullptr.
    TWinControl* HostForm() const;

    WNDPROC DefWndProc() const { return defWndProc_; }
    void SetDefWndProc(WNDPROC Value) { defWndProc_ = Value; }
    std::wstring ClassName() const override { return L"TWinControl"; }

private:
    friend class TControl;
    void MainWndProc(TMessage& Message);
    bool IsControlMouseMsg(TMessage& Message);
    void TrackMouse(TMessage& Message);
    void SetHoverControl(TControl* Control);
    TWinControl* RootControl();

    // One handler per message WndProc dispatches.
    void HandleMouse(TMessage& Message);
    void HandleMouseLeave(TMessage& Message);
    void HandleMouseWheel(TMessage& Message);
    void HandleCancelMode(TMessage& Message);
    void HandleSetFocus(TMessage& Message);
    void HandleKillFocus(TMessage& Message);
    void HandleNcHitTest(TMessage& Message);
    void HandlePaint(TMessage& Message);
    void HandlePrintClient(TMessage& Message);
    void HandleEraseBackground(TMessage& Message);
    void HandleWindowMoved(TMessage& Message);
    void HandleSetCursor(TMessage& Message);
    void HandleKeyDown(TMessage& Message);
    void HandleKeyUp(TMessage& Message);
    void HandleChar(TMessage& Message);
    void HandleKeyNotify(TMessage& Message);
    void HandleCharNotify(TMessage& Message);
    void HandleChildContextMenu(TMessage& Message);
    void HandleChildNotify(TMessage& Message);
    void HandleMeasureItem(TMessage& Message);
    void HandleColorNotify(TMessage& Message);
    void HandleNcDestroy(TMessage& Message);
    void HandleEnabledChanged();
    void HandleVisibleChanged();
    void HandleShowingChanged();
    void HandleFontChanged();
    void HandleColorChanged();
    void HandleCursorChanged();
    void HandleChildKey(TMessage& Message);

    HWND handle_ = nullptr;
    HWND parentWindow_ = nullptr;
    WNDPROC defWndProc_ = DefWindowProcW;
    bool showing_ = false;
    bool mouseInControl_ = false;
    TControl* hoverControl_ = nullptr;
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    int alignLevel_ = 0;
    bool tabStop_ = false;
    bool doubleBuffered_ = false;
    std::unique_ptr<TBrush> brush_;
    int controlId_;
};

// The control that owns a window handle of this process, or nullptr.
TWinControl* FindControl(HWND Handle);
// The nearest control window at a screen point.
TWinControl* FindVCLWindow(POINT Pos);
// The control (windowless ones too) under a screen point.
TControl* FindDragTarget(POINT Pos, bool AllowDisabled);
// The key handling a message loop runs before translating a message: keyboard
// messages go first to the control of their window as CN_KEYDOWN, CN_CHAR ...,
// which handles dialog keys (Tab, arrows, Enter, Escape, accelerators).
// Returns true when the message was handled and must not be dispatched.
bool IsKeyMsg(MSG& Msg);

}  // namespace fw
