#pragma once
// The extended-control bases: a thin layer between a framework control and the
// library's control that turns the framework's component messages (CM_*) into
// overridable operations, and adds a hint colour, mouse enter and leave events
// with a mouse-over flag and, for windowed controls, focus, bounds,
// erase-background and dialog-code operations and an optional highlight frame.
// TVxExCommon<Base> holds the set every member has, TVxExWinCommon<Base> adds the
// windowed set; TVxExGraphicControl is the member over TGraphicControl (the grid
// members live in VxExGrids.h, the combo box in VxExComboBox.h). Members are
// created like their framework bases.
#include <windows.h>

#include <string>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Filer.h"
#include "framework/Forms.h"

namespace vx {

using fw::TColor;
using fw::TControl;
using fw::TMessage;
using fw::TNotifyEvent;
using fw::TShiftState;

// Dialog codes as a set; the native marker is the seventh member.
enum TDlgCode : unsigned {
    dcWantAllKeys = 1u << 0,
    dcWantArrows = 1u << 1,
    dcWantChars = 1u << 2,
    dcButton = 1u << 3,
    dcHasSetSel = 1u << 4,
    dcWantTab = 1u << 5,
    dcNative = 1u << 6,
};
using TDlgCodes = unsigned;

TDlgCodes DlgCodesFromNative(LRESULT Codes);
LRESULT DlgCodesToNative(TDlgCodes Codes);

// The library's about information: a published property that is never stored
// and does nothing.
struct TVXLAboutInfo {};

// The marker a control's class may implement; message CM_ISVXLCONTROL asks a
// member whether its class does (1) or not (0).
struct IVxExControlMarker {
    virtual ~IVxExControlMarker() = default;
};
constexpr UINT CM_ISVXLCONTROL = fw::CM_BASE + 2000;

// A message whose long parameter points at a structure, to pass the structure
// through a window procedure and read the result back.
class TStructPtrMessage : public fw::TObject {
public:
    TStructPtrMessage(UINT Msg, WPARAM WParam, void* Struct) : Message{Msg, WParam, LPARAM(Struct), 0} {}
    fw::TMessage Message;
};

// The highlight frame of a windowed member: two one-pixel rings in the window's
// device context, in $00733800 when Focused or MouseOver, else $00808080 outside
// and the control's colour inside.
void DrawDotNetHighlight(HWND Wnd, bool FocusedOrOver, TColor ControlColor);
// The frame band (0,0,w-1,h-1 less 2,2,w-3,h-3) is invalidated, without erasing.
void InvalidateDotNetHighlight(HWND Wnd);

// ---------------------------------------------------------------------------

template <class Base>
class TVxExCommon : public Base {
public:
    explicit TVxExCommon(fw::TComponent* AOwner) : Base(AOwner) {}

    // clDefault: the parent's hint colour; clNone: the application's.
    TColor HintColor() const { return hintColor_; }
    void SetHintColor(TColor Value) { hintColor_ = Value; }
    TVXLAboutInfo AboutVXL() const { return {}; }
    void SetAboutVXL(const TVXLAboutInfo&) {}
    bool MouseOver() const { return mouseOver_; }
    // Replaces the hint window class of each hint shown for the control.
    fw::THintWindowClass HintWindowClass() const { return hintWindowClass_; }
    void SetHintWindowClass(fw::THintWindowClass Value) { hintWindowClass_ = Value; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnParentColorChange;

    void WndProc(TMessage& Message) override {
        if (!DispatchCommon(Message)) Base::WndProc(Message);
    }

    // Calls the framework's window procedure of the base class directly.
    LRESULT BaseWndProc(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
        TMessage m{Msg, WParam, LParam, 0};
        Base::WndProc(m);
        return m.Result;
    }
    LRESULT BaseWndProc(UINT Msg, WPARAM WParam, fw::TObject* Object) {
        return BaseWndProc(Msg, WParam, reinterpret_cast<LPARAM>(Object));
    }
    LRESULT BaseWndProc(TStructPtrMessage& Message) {
        Base::WndProc(Message.Message);
        return Message.Message.Result;
    }

    // "HintColor" when not clDefault; "AboutVXL" is read from older forms, never written.
    void DefineProperties(fw::TFiler& Filer) override {
        Base::DefineProperties(Filer);
        Filer.DefineProperty(L"AboutVXL", nullptr, nullptr, false);
        fw::DefineInteger(
            Filer, L"HintColor", hintColor_, [this](int32_t Value) { hintColor_ = Value; },
            hintColor_ != fw::clDefault);
    }

protected:
    // Each sends its message to the base's window procedure, so the framework's
    // own handling runs; the parameters are those of the message being handled.
    virtual void VisibleChanged() { Forward(fw::CM_VISIBLECHANGED); }
    virtual void EnabledChanged() { Forward(fw::CM_ENABLEDCHANGED); }
    virtual void ColorChanged() { Forward(fw::CM_COLORCHANGED); }
    virtual void FontChanged() { Forward(fw::CM_FONTCHANGED); }
    virtual void ParentFontChanged() { Forward(fw::CM_PARENTFONTCHANGED); }
    virtual void ParentColorChanged() {
        Forward(fw::CM_PARENTCOLORCHANGED);
        if (OnParentColorChange) OnParentColorChange(this);
    }
    virtual void ParentShowHintChanged() { Forward(fw::CM_PARENTSHOWHINTCHANGED); }
    virtual void TextChanged() { Forward(fw::CM_TEXTCHANGED); }
    virtual void FocusChanged(TControl* Control) { BaseWndProc(fw::CM_FOCUSCHANGED, 0, Control); }
    virtual bool WantKey(int Key, TShiftState Shift, const std::wstring& KeyText) {
        (void)KeyText;
        return BaseWndProc(fw::CM_DIALOGCHAR, WPARAM(WORD(Key)), fw::ShiftStateToKeyData(Shift)) != 0;
    }
    virtual bool HitTest(int X, int Y) {
        return BaseWndProc(fw::CM_HITTEST, 0, LPARAM(MAKELONG(WORD(X), WORD(Y)))) != 0;
    }
    virtual bool HintShow(fw::THintInfo& HintInfo);
    virtual void MouseEnter(TControl* Control) {
        mouseOver_ = true;
        if (OnMouseEnter) OnMouseEnter(this);
        BaseWndProc(fw::CM_MOUSEENTER, 0, Control);
    }
    virtual void MouseLeave(TControl* Control) {
        mouseOver_ = false;
        BaseWndProc(fw::CM_MOUSELEAVE, 0, Control);
        if (OnMouseLeave) OnMouseLeave(this);
    }

    // The common dispatch; true when the message was handled here.
    bool DispatchCommon(TMessage& Message);
    // Sends Msg with the parameters of the message now being handled.
    void Forward(UINT Msg) {
        const TMessage* current = current_;
        TMessage m{Msg, current && current->Msg == Msg ? current->WParam : 0,
                   current && current->Msg == Msg ? current->LParam : 0, 0};
        Base::WndProc(m);
        if (current_ && current_->Msg == Msg) current_->Result = m.Result;
    }

    TMessage* current_ = nullptr;

private:
    TColor hintColor_ = fw::clDefault;
    bool mouseOver_ = false;
    fw::THintWindowClass hintWindowClass_ = nullptr;
};

template <class Base>
bool TVxExCommon<Base>::HintShow(fw::THintInfo& HintInfo) {
    if (hintColor_ == fw::clNone) {
        HintInfo.HintColor = fw::Application()->HintColor();
    } else if (hintColor_ == fw::clDefault) {
        // The parent decides, on a copy of the record.
        if (fw::TWinControl* parent = this->Parent()) {
            fw::THintInfo copy = HintInfo;
            parent->Perform(fw::CM_HINTSHOW, 0, &copy);
            HintInfo.HintColor = copy.HintColor;
        }
    } else {
        HintInfo.HintColor = hintColor_;
    }
    if (hintWindowClass_) HintInfo.HintWindowClass = hintWindowClass_;
    TStructPtrMessage message(fw::CM_HINTSHOW, 0, &HintInfo);
    return BaseWndProc(message) != 0;
}

template <class Base>
bool TVxExCommon<Base>::DispatchCommon(TMessage& Message) {
    struct Scope {
        TMessage*& slot;
        TMessage* saved;
        Scope(TMessage*& s, TMessage* m) : slot(s), saved(s) { slot = m; }
        ~Scope() { slot = saved; }
    } scope(current_, &Message);
    switch (Message.Msg) {
    case fw::CM_DIALOGCHAR: {
        const wchar_t text[2] = {wchar_t(Message.WParam), 0};
        Message.Result = WantKey(int(Message.WParam), fw::KeyDataToShiftState(Message.LParam), text) ? 1 : 0;
        return true;
    }
    case fw::CM_HITTEST:
        Message.Result = HitTest(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))) ? 1 : 0;
        return true;
    case fw::CM_HINTSHOW:
        Message.Result = HintShow(*reinterpret_cast<fw::THintInfo*>(Message.LParam)) ? 1 : 0;
        return true;
    case fw::CM_FOCUSCHANGED: FocusChanged(reinterpret_cast<TControl*>(Message.LParam)); return true;
    case fw::CM_VISIBLECHANGED: VisibleChanged(); return true;
    case fw::CM_ENABLEDCHANGED: EnabledChanged(); return true;
    case fw::CM_COLORCHANGED: ColorChanged(); return true;
    case fw::CM_FONTCHANGED: FontChanged(); return true;
    case fw::CM_PARENTFONTCHANGED: ParentFontChanged(); return true;
    case fw::CM_PARENTCOLORCHANGED: ParentColorChanged(); return true;
    case fw::CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(); return true;
    case fw::CM_TEXTCHANGED: TextChanged(); return true;
    case fw::CM_MOUSEENTER: MouseEnter(reinterpret_cast<TControl*>(Message.LParam)); return true;
    case fw::CM_MOUSELEAVE: MouseLeave(reinterpret_cast<TControl*>(Message.LParam)); return true;
    case CM_ISVXLCONTROL: Message.Result = dynamic_cast<IVxExControlMarker*>(this) ? 1 : 0; return true;
    default: return false;
    }
}

// A canvas over a context that someone else owns, for the length of a scope:
// the context's state is saved first and restored, the canvas detached, at the end.
class TBorrowedCanvas {
public:
    explicit TBorrowedCanvas(HDC DC) : dc_(DC), saved_(SaveDC(DC)) { canvas_.SetHandle(DC); }
    ~TBorrowedCanvas() {
        canvas_.SetHandle(nullptr);
        RestoreDC(dc_, saved_);
    }
    TBorrowedCanvas(const TBorrowedCanvas&) = delete;
    TBorrowedCanvas& operator=(const TBorrowedCanvas&) = delete;
    fw::TCanvas* Canvas() const { return &canvas_; }

private:
    HDC dc_;
    int saved_;
    mutable fw::TCanvas canvas_;
};

// ---------------------------------------------------------------------------

template <class Base>
class TVxExWinCommon : public TVxExCommon<Base> {
public:
    explicit TVxExWinCommon(fw::TComponent* AOwner) : TVxExCommon<Base>(AOwner) {}

    bool DotNetHighlighting() const { return dotNetHighlighting_; }
    void SetDotNetHighlighting(bool Value) {
        if (Value == dotNetHighlighting_) return;
        dotNetHighlighting_ = Value;
        if (this->HandleAllocated())
            RedrawWindow(this->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    }

    void WndProc(TMessage& Message) override;

protected:
    using Base::BoundsChanged;
    virtual void CursorChanged() { this->Forward(fw::CM_CURSORCHANGED); }
    virtual void ShowingChanged() { this->Forward(fw::CM_SHOWINGCHANGED); }
    virtual void ShowHintChanged() { this->Forward(fw::CM_SHOWHINTCHANGED); }
    virtual void ControlsListChanging(TControl* Control, bool Inserting) {
        this->BaseWndProc(Inserting ? fw::CM_CONTROLLISTCHANGE : fw::CM_CONTROLCHANGE, WPARAM(Control),
                          LPARAM(Inserting ? 1 : 0));
    }
    virtual void ControlsListChanged(TControl* Control, bool Inserting) {
        this->BaseWndProc(Inserting ? fw::CM_CONTROLCHANGE : fw::CM_CONTROLLISTCHANGE, WPARAM(Control),
                          LPARAM(Inserting ? 1 : 0));
    }
    // Called after WM_SIZE and WM_MOVE.
    virtual void BoundsChanged() {}
    // May change the dialog codes the window answers.
    virtual void GetDlgCode(TDlgCodes& Codes) { (void)Codes; }
    virtual void FocusSet(HWND PreviousWnd) { this->BaseWndProc(WM_SETFOCUS, WPARAM(PreviousWnd), LPARAM(0)); }
    virtual void FocusKilled(HWND NextWnd) { this->BaseWndProc(WM_KILLFOCUS, WPARAM(NextWnd), LPARAM(0)); }
    virtual bool DoEraseBackground(fw::TCanvas* Canvas, LPARAM Param) {
        return this->BaseWndProc(WM_ERASEBKGND, WPARAM(Canvas->Handle()), Param) != 0;
    }

private:
    bool dotNetHighlighting_ = false;
};

template <class Base>
void TVxExWinCommon<Base>::WndProc(TMessage& Message) {
    bool handled = this->DispatchCommon(Message);
    if (!handled) {
        TMessage* const saved = this->current_;
        this->current_ = &Message;
        handled = true;
        switch (Message.Msg) {
        case fw::CM_CURSORCHANGED: CursorChanged(); break;
        case fw::CM_SHOWINGCHANGED: ShowingChanged(); break;
        case fw::CM_SHOWHINTCHANGED: ShowHintChanged(); break;
        case fw::CM_CONTROLCHANGE:
            if (Message.LParam) ControlsListChanged(reinterpret_cast<TControl*>(Message.WParam), true);
            else ControlsListChanging(reinterpret_cast<TControl*>(Message.WParam), false);
            break;
        case fw::CM_CONTROLLISTCHANGE:
            if (Message.LParam) ControlsListChanging(reinterpret_cast<TControl*>(Message.WParam), true);
            else ControlsListChanged(reinterpret_cast<TControl*>(Message.WParam), false);
            break;
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(Message.WParam);
            if (!dc) {
                handled = false;
                break;
            }
            const TBorrowedCanvas canvas(dc);
            Message.Result = DoEraseBackground(canvas.Canvas(), Message.LParam) ? 1 : 0;
            break;
        }
        case WM_GETDLGCODE: {
            Base::WndProc(Message);
            const TDlgCodes native = DlgCodesFromNative(Message.Result) | dcNative;
            TDlgCodes codes = native;
            GetDlgCode(codes);
            if (!(codes & dcNative)) Message.Result = DlgCodesToNative(codes);
            break;
        }
        case WM_SETFOCUS: FocusSet(reinterpret_cast<HWND>(Message.WParam)); break;
        case WM_KILLFOCUS: FocusKilled(reinterpret_cast<HWND>(Message.WParam)); break;
        case WM_SIZE:
        case WM_MOVE:
            Base::WndProc(Message);
            BoundsChanged();
            break;
        default: handled = false; break;
        }
        this->current_ = saved;
    }
    if (!handled) Base::WndProc(Message);
    if (dotNetHighlighting_ && !this->HasState(fw::csDesigning) && this->HandleAllocated()) {
        switch (Message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_NCPAINT:
        // Themed controls of the common controls 6 draw their border with the client area.
        case WM_PAINT:
        case fw::CM_MOUSEENTER:
        case fw::CM_MOUSELEAVE:
            DrawDotNetHighlight(this->Handle(), this->Focused() || this->MouseOver(), this->Color());
            if (Message.Msg == fw::CM_MOUSELEAVE) InvalidateDotNetHighlight(this->Handle());
            break;
        default: break;
        }
    }
}

// ---------------------------------------------------------------------------

// The member over the framework's windowless control.
class TVxExGraphicControl : public TVxExCommon<fw::TGraphicControl> {
public:
    explicit TVxExGraphicControl(fw::TComponent* AOwner);

protected:
    std::wstring ClassName() const override { return L"TVxExGraphicControl"; }
};

}  // namespace vx

// The marker's identifier, for callers that ask with __uuidof.
__CRT_UUID_DECL(vx::IVxExControlMarker, 0x76942BC0, 0x2A6E, 0x4DC4, 0xBF, 0xC9, 0x8E, 0x11, 0x0D, 0xB7, 0xF6, 0x01)
