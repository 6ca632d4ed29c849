#pragma once
// TControl: a visual component. It is a component (created with an owner, freed
// by it) that also has a Parent, the TWinControl it sits in and is drawn by; a
// parent frees the children it still holds when it is destroyed, and a child
// freed first leaves its parent. Every message reaches the control's WndProc
// (through WindowProc, which a user may replace); descendants override WndProc
// and call the base for what they leave alone. Properties that change raise the
// component messages (CM_*); notifications a parent window receives from a child
// window reach the child as CN_* messages.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Graphics.h"

namespace fw {

// --- Component messages, with the framework's numbers -----------------------

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;

// Notifications a parent window reflects to the child window they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// A window message as a control's WndProc sees it; the handler sets Result.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// --- Types of the control classes --------------------------------------------

enum TAlign {
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient,
    alCustom
};
// Whether a press of the mouse on a control starts dragging by itself
// (dmAutomatic; a tree view then tells of an item being dragged) or only when
// the program starts it (dmManual).
enum TDragMode {
    dmManual,
    dmAutomatic
};
enum TAlignment {
    taLeftJustify,
    taRightJustify,
    taCenter
};
enum TVerticalAlignment {
    taAlignTop,
    taAlignBottom,
    taVerticalCenter
};
enum TMouseButton {
    mbLeft,
    mbRight,
    mbMiddle
};

enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6
};
using TShiftState = unsigned;  // a set of TShiftStateFlag bits

// Window border styles; controls use bsNone and bsSingle.
enum TFormBorderStyle {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
using TBorderStyle = TFormBorderStyle;

using TCursor = short;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
                  crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
                  crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = -22;

// The cursor for a cursor value: one registered with RegisterCursor, else the system's.
HCURSOR CursorHandle(TCursor Cursor);
// Registers a cursor under a value of the program's own (libraries keep theirs
// above the predefined values); the handle is not owned.
void RegisterCursor(TCursor Cursor, HCURSOR Handle);
// The cursor shown over every control while it is not crDefault (TScreen's Cursor).
TCursor GlobalCursor();
void SetGlobalCursor(TCursor Cursor);

enum TControlStyleFlag : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedHeight = 1u << 9,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csReflector = 1u << 14,
    csNeedsBorderPaint = 1u << 17,
    csParentBackground = 1u << 18,
};
using TControlStyle = unsigned;

enum TControlStateFlag : unsigned {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csAlignmentNeeded = 1u << 4,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
    csRecreating = 1u << 10,
    csAligning = 1u << 11,
};
using TControlState = unsigned;

class TControl;
class TWinControl;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, POINT MousePos, bool& Handled)>;
// A replacement window procedure (see TControl::WindowProc).
using TWindowProcMethod = std::function<void(TMessage& Message)>;

// The shift state of mouse-message key flags (MK_*), plus Alt from the keyboard.
TShiftState KeysToShiftState(WORD Keys);
// The shift state of keyboard-message key data: Alt from bit 29 (0x20000000),
// Ctrl from 0x10000000 and Shift from 0x08000000 when given, else the keyboard.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The reverse: Alt 0x20000000, Ctrl 0x10000000, Shift 0x08000000.
LPARAM ShiftStateToKeyData(TShiftState Shift);
// The shift state the keyboard and mouse buttons are in now.
TShiftState GetShiftState();

class THintWindow;
using THintWindowClass = THintWindow* (*)(TComponent* AOwner);

// What CM_HINTSHOW carries (LParam points to it); the control may change it.
struct THintInfo {
    TControl* HintControl = nullptr;
    THintWindowClass HintWindowClass = nullptr;
    POINT HintPos{};
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    RECT CursorRect{};
    POINT CursorPos{};
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    std::wstring HintStr;
    void* HintData = nullptr;
};

// What CreateWindowExW gets for a control's window (see TWinControl::CreateParams).
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSW WindowClass{};
    std::wstring WinClassName;
};

inline RECT Rect(int Left, int Top, int Right, int Bottom) {
    return RECT{Left, Top, Right, Bottom};
}
inline RECT Bounds(int Left, int Top, int Width, int Height) {
    return RECT{Left, Top, Left + Width, Top + Height};
}

// --- TControl --------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Sends a message to this control's WindowProc and returns its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // A pointer (structure, text, control) as the long parameter.
    template <class T>
    LRESULT Perform(UINT Msg, WPARAM WParam, T* LParam) {
        return Perform(Msg, WParam, reinterpret_cast<LPARAM>(LParam));
    }
    // The procedure Perform and the window call; WndProc unless replaced.
    // Set it to wrap a control's handling; the replacement calls WndProc itself.
    TWindowProcMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    // The answer to messages nobody handled (nothing here; the window class's
    // procedure for windowed controls).
    virtual void DefaultHandler(TMessage& Message);

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    // Whether this is a TWinControl.
    virtual bool IsWindowed() const { return false; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
    void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
    void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
    void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
    // Position in the parent's client area (screen, for a top-level window).
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(const RECT& R) { SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top); }
    virtual RECT ClientRect() const;
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
    void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
    void SetClientSize(int AWidth, int AHeight);
    // Screen position of the client area's top-left corner.
    virtual POINT ClientOrigin() const;
    POINT ClientToScreen(POINT Point) const;
    POINT ScreenToClient(POINT Point) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign Value);

    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    void Show();
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value);

    // Caption and Text are the same string (the window text for windowed controls).
    std::wstring Caption() const { return const_cast<TControl*>(this)->GetText(); }
    void SetCaption(const std::wstring& Value) { SetText(Value); }
    std::wstring Text() const { return const_cast<TControl*>(this)->GetText(); }
    virtual void SetText(const std::wstring& Value);

    TFont* Font() const { return font_.get(); }
    // Takes the attributes of Value (the control keeps its own font object).
    void SetFont(TFont* Value) { font_->Assign(Value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool Value);

    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& Value) { hint_ = Value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool Value);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    // The popup menu shown on a context-menu request (a TPopupMenu, not owned).
    TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TComponent* Value);
    TDragMode DragMode() const { return dragMode_; }
    virtual void SetDragMode(TDragMode Value) { dragMode_ = Value; }

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState Value) { controlState_ = Value; }

    // Whether the mouse is captured for this control (windowless ones included).
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    virtual void Invalidate();
    // Invalidates and paints at once.
    virtual void Repaint();
    // Paints what is invalid now.
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // Whether the control is visible and so are its parents.
    bool IsVisible() const;

    // Tells whether a control was destroyed while the watch lived, so code that
    // calls a handler (which may free the control) knows to stop using it.
    class DestroyWatch {
    public:
        explicit DestroyWatch(TControl* Control);
        ~DestroyWatch();
        DestroyWatch(const DestroyWatch&) = delete;
        DestroyWatch& operator=(const DestroyWatch&) = delete;
        bool Destroyed() const { return control_ == nullptr; }

    private:
        friend class TControl;
        TControl* control_;
        DestroyWatch* next_;
    };

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;

protected:
    friend class TWinControl;

    virtual std::wstring GetText();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos);
    virtual void Click();
    virtual void DblClick();
    // After the size changed: fires OnResize.
    virtual void Resize();
    virtual void DoContextPopup(POINT MousePos, bool& Handled);
    // Asks the parent to lay out its aligned children again.
    void RequestAlign();
    // The parent's client area under the control is invalidated.
    void InvalidateControl(bool IsVisible, bool IsOpaque);
    // Bounds were stored: realign and notify as needed.
    virtual void BoundsChanged(bool SizeChanged);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    std::wstring ClassName() const override { return L"TControl"; }

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::wstring text_;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState controlState_ = 0;

private:
    // The font object changed (its OnChange): ParentFont is dropped, CM_FONTCHANGED raised.
    void FontObjectChanged();
    void HandleMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool Double);
    void HandleContextMenu(TMessage& Message);

    TWinControl* parent_ = nullptr;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    std::wstring hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TComponent* popupMenu_ = nullptr;
    TDragMode dragMode_ = dmManual;
    long long creationIndex_;
    // A size the parent's layout cut down for lack of room (-1: none), and the size
    // it had before: given back when there is room again.
    int clampedWidth_ = -1, unclampedWidth_ = 0, clampedHeight_ = -1, unclampedHeight_ = 0;
    DestroyWatch* watches_ = nullptr;
    // A windowless control holding the mouse (its parent's window has the capture).
    static TControl* captureControl_;
    friend TControl* GetCaptureControl();
    friend void SetCaptureControl(TControl* Control);
};
// The control that has the mouse captured (a windowless one through its parent).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

}  // namespace fw
