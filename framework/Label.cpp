#include "framework/Label.h"

#include "framework/Handles.h"

namespace fw {

bool IsAccel(unsigned Key, const std::wstring& Caption) {
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != L'&') continue;
        if (Caption[i + 1] == L'&') {
            ++i;  // a literal ampersand
            continue;
        }
        const LPARAM a = LPARAM(Caption[i + 1]);
        const LPARAM b = LPARAM(Key & 0xFFFF);
        return CharUpperW(reinterpret_cast<LPWSTR>(a)) == CharUpperW(reinterpret_cast<LPWSTR>(b));
    }
    return false;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    controlStyle_ |= csOpaque | csReplicatable;
    width_ = 65;
    height_ = 17;
}

UINT TLabel::DrawTextFlags() const {
    static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_EXPANDTABS | kAlign[alignment_];
    flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    return flags;
}

void TLabel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
    if (Value == autoSize_) return;
    autoSize_ = Value;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool Value) {
    if (Value == wordWrap_) return;
    wordWrap_ = Value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetShowAccelChar(bool Value) {
    if (Value == showAccelChar_) return;
    showAccelChar_ = Value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    if (Value) controlStyle_ &= ~csOpaque;
    else controlStyle_ |= csOpaque;
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* Value) {
    if (Value == focusControl_) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = Value;
    if (focusControl_) focusControl_->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

// The rectangle the text takes when drawn into the label's client area.
RECT TLabel::TextRect(HDC DC, const std::wstring& Text) const {
    RECT r{0, 0, width_, height_};
    if (!wordWrap_) r.right = r.left + 0x3FFF;
    // An empty caption still takes the height of a line.
    const std::wstring measured = Text.empty() ? L" " : Text;
    DrawTextW(DC, measured.c_str(), int(measured.size()), &r, DrawTextFlags() | DT_CALCRECT);
    return r;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || HasState(csLoading) || HasState(csDestroying)) return;
    const WindowDC screen(nullptr);
    if (!screen) return;
    const SelectObjectGuard font(screen.get(), Font()->Handle());
    const RECT r = TextRect(screen.get(), Caption());
    int left = left_;
    const int width = r.right - r.left;
    // The side the text is aligned to stays where it is.
    if (!wordWrap_ && alignment_ == taRightJustify) left = left_ + width_ - width;
    else if (!wordWrap_ && alignment_ == taCenter) left = left_ + (width_ - width) / 2;
    SetBounds(left, top_, wordWrap_ ? width_ : width, r.bottom - r.top);
}

void TLabel::Paint() {
    TCanvas* canvas = Canvas();
    const RECT client{0, 0, width_, height_};
    if (!transparent_) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(Font());
    canvas->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    // Measured and drawn through the canvas, which selects its font into the context.
    std::wstring text = Caption();
    RECT r = client;
    if (layout_ != tlTop) {
        RECT measured = client;
        if (!wordWrap_) measured.right = measured.left + 0x3FFF;
        std::wstring probe = text.empty() ? L" " : text;
        canvas->TextRect(measured, probe, DrawTextFlags() | DT_CALCRECT);
        const int offset = height_ - (measured.bottom - measured.top);
        r.top += layout_ == tlCenter ? offset / 2 : offset;
    }
    canvas->TextRect(r, text, DrawTextFlags());
}

void TLabel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        AdjustBounds();
        Invalidate();
        return;
    case CM_FONTCHANGED:
        AdjustBounds();
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (showAccelChar_ && focusControl_ && Enabled() && IsAccel(unsigned(Message.WParam), Caption()) &&
            focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            Message.Result = 1;
        }
        return;
    default: break;
    }
    TGraphicControl::WndProc(Message);
}

}  // namespace fw
