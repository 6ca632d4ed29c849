#include "controls/VxArrowButton.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "controls/VxThemes.h"
#include "framework/Label.h"

namespace vx {

namespace {

int buttonCount = 0;
std::unique_ptr<fw::TBitmap> pattern;

// The brush of a button that stays down: button face with every other pixel highlighted.
fw::TBitmap* ExclusivePattern() {
    if (!pattern) {
        pattern = std::make_unique<fw::TBitmap>(8, 8);
        fw::TCanvas* canvas = pattern->Canvas();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                canvas->SetPixels(x, y, (x % 2) == (y % 2) ? fw::clBtnHighlight : fw::clBtnFace);
    }
    return pattern.get();
}

}  // namespace

TVxArrowButton::TVxArrowButton(fw::TComponent* AOwner)
    : TVxExGraphicControl(AOwner), glyph_(std::make_unique<TButtonGlyph>()), fillFont_(std::make_unique<fw::TFont>()) {
    SetBounds(0, 0, 42, 25);
    SetControlStyle(fw::csCaptureMouse | fw::csDoubleClicks);
    IncludeThemeStyle(this, fw::csParentBackground);
    glyph_->OnChange = [this](fw::TObject*) { Invalidate(); };
    fillFont_->Assign(Font());
    fillFont_->OnChange = [this](fw::TObject*) { Repaint(); };
    SetParentFont(true);
    ++buttonCount;
}

TVxArrowButton::~TVxArrowButton() {
    if (--buttonCount == 0) pattern.reset();
}

void TVxArrowButton::Click() {
    TVxExGraphicControl::Click();
}

// ---- properties ----

void TVxArrowButton::SetGroupIndex(int Value) {
    if (Value == groupIndex_) return;
    groupIndex_ = Value;
    UpdateExclusive();
}

void TVxArrowButton::SetAllowAllUp(bool Value) {
    if (Value == allowAllUp_) return;
    allowAllUp_ = Value;
    UpdateExclusive();
}

void TVxArrowButton::SetDown(bool Value) {
    if (groupIndex_ == 0) Value = false;
    if (Value == down_) return;
    if (down_ && !allowAllUp_) return;  // a down button of such a group cannot be released
    down_ = Value;
    if (Value) {
        if (state_ == bsUp) Invalidate();
        state_ = bsExclusive;
        UpdateExclusive();
    } else {
        state_ = bsUp;
        Repaint();
    }
}

void TVxArrowButton::SetArrowWidth(int Value) {
    if (Value == arrowWidth_) return;
    arrowWidth_ = Value;
    Repaint();
}

void TVxArrowButton::SetLayout(TButtonLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    Invalidate();
}

void TVxArrowButton::SetSpacing(int Value) {
    if (Value == spacing_) return;
    spacing_ = Value;
    Invalidate();
}

void TVxArrowButton::SetMargin(int Value) {
    if (Value == margin_ || Value < -1) return;
    margin_ = Value;
    Invalidate();
}

void TVxArrowButton::SetFillFont(fw::TFont* Value) {
    fillFont_->Assign(Value);
    Repaint();
}

void TVxArrowButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    if (Value) SetControlStyle(ControlStyle() & ~unsigned(fw::csOpaque));
    else SetControlStyle(ControlStyle() | fw::csOpaque);
    Invalidate();
}

void TVxArrowButton::SetDropDown(fw::TPopupMenu* Value) {
    if (Value == dropDown_) return;
    if (dropDown_) dropDown_->RemoveFreeNotification(this);
    dropDown_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TVxArrowButton::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TVxExGraphicControl::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == dropDown_) dropDown_ = nullptr;
}

void TVxArrowButton::SetVerticalAlignment(fw::TVerticalAlignment Value) {
    if (Value == verticalAlignment_) return;
    verticalAlignment_ = Value;
    Invalidate();
}

void TVxArrowButton::SetAlignment(fw::TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TVxArrowButton::SetGlyph(fw::TBitmap* Value) {
    glyph_->SetGlyph(Value);
    Invalidate();
}

void TVxArrowButton::SetNumGlyphs(TNumGlyphs Value) {
    if (Value > 4) Value = 4;
    if (Value == glyph_->NumGlyphs()) return;
    glyph_->SetNumGlyphs(Value);
    Invalidate();
}

// ---- the group ----

void TVxArrowButton::UpdateExclusive() {
    if (groupIndex_ == 0 || !Parent()) return;
    fw::TMessage message{fw::CM_BUTTONPRESSED, WPARAM(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(message);
}

void TVxArrowButton::RedrawThemed() {
    if (ThemeServices()->ThemesEnabled() && Enabled() && !flat_) {
        // The themed frame is drawn over the parent's background.
        if (Parent() && Parent()->HandleAllocated()) {
            const RECT r = BoundsRect();
            InvalidateRect(Parent()->Handle(), &r, TRUE);
        }
    } else {
        Invalidate();
    }
}

void TVxArrowButton::ButtonPressed(int Group, TVxArrowButton* Sender) {
    if (Group != groupIndex_ || !Sender || Sender == this) return;
    if (Sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        RedrawThemed();
    }
    allowAllUp_ = Sender->allowAllUp_;
}

// ---- mouse ----

void TVxArrowButton::MouseDown(fw::TMouseButton Button, TShiftState Shift, int X, int Y) {
    TVxExGraphicControl::MouseDown(Button, Shift, X, Y);
    if (!Enabled()) return;
    arrowPressed_ = (X >= Width() - arrowWidth_ && X <= Width() && Y >= 0 && Y <= Height()) || dropOnButtonClick_;
    dropped_ = arrowPressed_;
    if (Button == fw::mbLeft) {
        state_ = down_ ? bsExclusive : bsDown;
        Repaint();
    }
    if (dropDown_ && arrowPressed_) {
        dropDown_->SetPopupComponent(this);
        const POINT p = ClientToScreen(POINT{0, Height()});
        dropDown_->Popup(p.x, p.y);
        // The press that opened the menu ends here: its release and any other
        // mouse message waiting are dropped.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
        if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    }
    if (arrowPressed_ && OnDrop) OnDrop(this);
    arrowPressed_ = false;
    Repaint();
}

void TVxArrowButton::MouseUp(fw::TMouseButton Button, TShiftState Shift, int X, int Y) {
    TVxExGraphicControl::MouseUp(Button, Shift, X, Y);
    const bool dropped = dropped_;
    dropped_ = false;
    if (!Enabled()) {
        state_ = bsUp;
        Repaint();
        return;
    }
    // Only the button part clicks, and never the press that opened the drop-down part.
    const bool click = X >= 0 && X < Width() - arrowWidth_ && Y >= 0 && Y <= Height() && !dropOnButtonClick_ &&
                       !dropped && Button == fw::mbLeft;
    if (groupIndex_ == 0) {
        state_ = bsUp;
        mouseInControl_ = false;
        if (click) Invalidate();
    } else if (click) {
        SetDown(!down_);
        if (down_) Repaint();
    } else {
        // Released elsewhere: the button shows what it is again.
        state_ = down_ ? bsExclusive : bsUp;
        Repaint();
    }
    if (click) Click();
    UpdateTracking();
    Repaint();
}

void TVxArrowButton::UpdateTracking() {
    if (!flat_ || !Enabled()) return;
    POINT p;
    GetCursorPos(&p);
    mouseInControl_ = fw::FindDragTarget(p, true) != this;
    if (mouseInControl_) Perform(fw::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
    else Perform(fw::CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
}

void TVxArrowButton::MouseEnter(TControl* Control) {
    TVxExGraphicControl::MouseEnter(Control);
    if (flat_ && !mouseInControl_ && Enabled()) {
        mouseInControl_ = true;
        Repaint();
    } else if (ThemeServices()->ThemesEnabled() && Enabled() && !flat_) {
        RedrawThemed();
    }
}

void TVxArrowButton::MouseLeave(TControl* Control) {
    TVxExGraphicControl::MouseLeave(Control);
    if (flat_ && mouseInControl_ && Enabled()) {
        mouseInControl_ = false;
        Repaint();
    } else if (ThemeServices()->ThemesEnabled() && Enabled() && !flat_) {
        RedrawThemed();
    }
}

// ---- notices ----

bool TVxArrowButton::WantKey(int Key, TShiftState Shift, const std::wstring& KeyText) {
    if (fw::IsAccel(unsigned(Key), Caption()) && Enabled() &&
        (Shift & (fw::ssShift | fw::ssAlt | fw::ssCtrl)) == fw::ssAlt) {
        Click();
        return true;
    }
    return TVxExGraphicControl::WantKey(Key, Shift, KeyText);
}

void TVxArrowButton::Loaded() {
    TVxExGraphicControl::Loaded();
    glyph_->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
}

void TVxArrowButton::EnabledChanged() {
    TVxExGraphicControl::EnabledChanged();
    glyph_->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
    UpdateTracking();
    Repaint();
}

void TVxArrowButton::FontChanged() {
    TVxExGraphicControl::FontChanged();
    Invalidate();
}

void TVxArrowButton::TextChanged() {
    TVxExGraphicControl::TextChanged();
    Invalidate();
}

void TVxArrowButton::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
    case fw::CM_BUTTONPRESSED:
        ButtonPressed(int(Message.WParam),
                      dynamic_cast<TVxArrowButton*>(reinterpret_cast<fw::TObject*>(Message.LParam)));
        return;
    case fw::CM_SYSCOLORCHANGE:
        glyph_->Invalidate();
        glyph_->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
        Invalidate();
        return;
    case WM_LBUTTONDBLCLK:
        TVxExGraphicControl::WndProc(Message);
        if (down_ && OnDblClick) OnDblClick(this);
        return;
    default: break;
    }
    TVxExGraphicControl::WndProc(Message);
}

// ---- painting ----

void TVxArrowButton::DrawArrowTriangle(fw::TCanvas* Canvas, RECT Rect, bool Pressed) {
    const int w = (Rect.right - Rect.left) / 2;
    const int h = (Rect.bottom - Rect.top) / 2;
    const int q = w / 2;
    Rect.bottom = Rect.bottom - (q + h) + 1;
    Rect.left += q;
    Rect.right -= q;
    const int dx = (Pressed ? 1 : 0) - (flat_ ? 0 : 1);
    const int dy = Pressed ? 1 : 0;
    OffsetRect(&Rect, dx, dy);
    Canvas->Pen()->SetColor(Enabled() ? fw::clBlack : fw::clBtnShadow);
    Canvas->Pen()->SetStyle(fw::psSolid);
    Canvas->Pen()->SetWidth(1);
    while (Rect.left <= Rect.right) {
        Canvas->MoveTo(Rect.left, Rect.bottom);
        Canvas->LineTo(Rect.right, Rect.bottom);
        ++Rect.left;
        --Rect.right;
        ++Rect.bottom;
    }
}

void TVxArrowButton::Paint() {
    fw::TCanvas* canvas = Canvas();
    const bool themed = ThemeServices()->ThemesEnabled();
    const bool designing = HasState(fw::csDesigning);
    mouseInControl_ = IsMouseOverControl(this);
    if (!Enabled()) state_ = bsDisabled;
    else if (state_ == bsDisabled) state_ = (down_ && groupIndex_ != 0) ? bsExclusive : bsUp;
    canvas->SetFont(mouseInControl_ ? fillFont_.get() : Font());

    RECT paintRect{0, 0, Width() - arrowWidth_, Height()};
    if (arrowPressed_ && !down_) state_ = bsUp;
    const bool pressed = state_ == bsDown || state_ == bsExclusive;
    HDC dc = canvas->Handle();
    if (flat_) {
        if (pressed || (mouseInControl_ && state_ != bsDisabled) || designing) {
            if (themed) {
                const int part = pressed ? TS_PRESSED : TS_HOT;
                ThemeServices()->DrawElement(dc, L"TOOLBAR", TP_BUTTON, part, paintRect);
                paintRect = ThemeServices()->ContentRect(dc, L"TOOLBAR", TP_BUTTON, part, paintRect);
            } else {
                DrawEdge(dc, &paintRect, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
        }
        InflateRect(&paintRect, -1, -1);
    } else {
        UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (pressed) flags |= DFCS_PUSHED;
        if (mouseInControl_ && !designing) flags |= DFCS_HOT;
        DrawThemedFrameControl(dc, paintRect, DFC_BUTTON, flags);
    }

    const POINT offset = pressed ? POINT{1, 1} : POINT{0, 0};
    if (state_ == bsExclusive && !(flat_ && mouseInControl_)) {
        canvas->Brush()->SetBitmap(ExclusivePattern()->Handle());
        canvas->FillRect(paintRect);
        canvas->Brush()->SetBitmap(nullptr);
    }
    glyph_->Draw(canvas, paintRect, offset, verticalAlignment_, alignment_, flat_ || themed, state_, spacing_, margin_,
                 layout_, Caption());

    // The arrow part.
    const RECT arrowRect{Width() - arrowWidth_, 0, Width(), Height()};
    RECT frameRect = arrowRect;
    if (themed) --frameRect.left;
    const bool arrowLooksPressed = arrowPressed_ || (pressBoth_ && pressed);
    dc = canvas->Handle();
    if (flat_) {
        if ((mouseInControl_ && Enabled()) || designing) {
            if (themed)
                ThemeServices()->DrawElement(dc, L"TOOLBAR", TP_BUTTON, pressed ? TS_PRESSED : TS_HOT, frameRect);
            else DrawEdge(dc, &frameRect, arrowLooksPressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    } else {
        UINT flags = DFCS_BUTTONPUSH;
        if (arrowLooksPressed) flags |= DFCS_PUSHED;
        if (mouseInControl_) flags |= DFCS_HOT;
        DrawThemedFrameControl(dc, frameRect, DFC_BUTTON, flags);
    }
    // The triangle keeps its place and size whether or not the themed frame is wider.
    DrawArrowTriangle(canvas, arrowRect, arrowLooksPressed);
}

}  // namespace vx
