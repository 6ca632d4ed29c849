#include "framework/Graphics.h"

#include <cwchar>

#include "framework/Exception.h"
#include "framework/Filer.h"

namespace fw {

COLORREF ColorToRGB(TColor Color) {
    if (Color < 0) return GetSysColor(int(Color & 0xFF));
    return COLORREF(Color);
}

int ScreenPixelsPerInch() {
    static const int ppi = [] {
        const WindowDC dc(nullptr);
        const int value = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return ppi;
}

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// --- TFont -----------------------------------------------------------------

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {}

TFont::~TFont() = default;

void TFont::Changed() {
    handle_.Retire();
    TGraphicsObject::Changed();
}

bool TFont::SameAs(const TFont& Other) const {
    return name_ == Other.name_ && height_ == Other.height_ && color_ == Other.color_ && style_ == Other.style_ &&
           charset_ == Other.charset_ && pitch_ == Other.pitch_ && orientation_ == Other.orientation_ &&
           quality_ == Other.quality_;
}

void TFont::DefineProperties(TFiler& Filer) {
    static const wchar_t* const kPitches[] = {L"fpDefault", L"fpVariable", L"fpFixed"};
    static const wchar_t* const kStyles[] = {L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut"};
    TGraphicsObject::DefineProperties(Filer);
    DefineInteger(Filer, L"Charset", charset_, [this](int32_t Value) { SetCharset(TFontCharset(Value)); });
    DefineInteger(Filer, L"Color", color_, [this](int32_t Value) { SetColor(Value); });
    DefineInteger(Filer, L"Height", height_, [this](int32_t Value) { SetHeight(Value); });
    DefineString(Filer, L"Name", name_, [this](const std::wstring& Value) { SetName(Value); });
    DefineEnum(Filer, L"Pitch", pitch_, kPitches, [this](int Value) { SetPitch(TFontPitch(Value)); });
    DefineSet(Filer, L"Style", style_, kStyles, [this](uint32_t Value) { SetStyle(Value); });
}

void TFont::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TFont*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this) return;
    int height = other->height_;
    if (other->pixelsPerInch_ != pixelsPerInch_) height = -MulDiv(other->Size(), pixelsPerInch_, 72);
    if (name_ == other->name_ && height_ == height && color_ == other->color_ && style_ == other->style_ &&
        charset_ == other->charset_ && pitch_ == other->pitch_ && orientation_ == other->orientation_ &&
        quality_ == other->quality_)
        return;
    name_ = other->name_;
    height_ = height;
    color_ = other->color_;
    style_ = other->style_;
    charset_ = other->charset_;
    pitch_ = other->pitch_;
    orientation_ = other->orientation_;
    quality_ = other->quality_;
    Changed();
}

LOGFONTW TFont::LogFont() const {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfEscapement = orientation_;
    lf.lfOrientation = orientation_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    static const BYTE qualities[] = {DEFAULT_QUALITY,          DRAFT_QUALITY,       PROOF_QUALITY,
                                     NONANTIALIASED_QUALITY,   ANTIALIASED_QUALITY, CLEARTYPE_QUALITY,
                                     CLEARTYPE_NATURAL_QUALITY};
    lf.lfQuality = qualities[quality_];
    lf.lfPitchAndFamily = pitch_ == fpVariable ? VARIABLE_PITCH : pitch_ == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    wcsncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    return lf;
}

HFONT TFont::Handle() const {
    return handle_.Get([this] {
        const LOGFONTW lf = LogFont();
        return CreateFontIndirectW(&lf);
    });
}

void TFont::SetHandle(HFONT Value) {
    LOGFONTW lf{};
    if (!Value || GetObjectW(Value, sizeof(lf), &lf) == 0) throw EInvalidArgument(L"Invalid font handle");
    name_ = lf.lfFaceName;
    height_ = lf.lfHeight;
    orientation_ = lf.lfEscapement;
    style_ = (lf.lfWeight >= FW_BOLD ? fsBold : 0u) | (lf.lfItalic ? fsItalic : 0u) |
             (lf.lfUnderline ? fsUnderline : 0u) | (lf.lfStrikeOut ? fsStrikeOut : 0u);
    charset_ = lf.lfCharSet;
    const BYTE pitch = lf.lfPitchAndFamily & 3;
    pitch_ = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    handle_.Adopt(Value);
    TGraphicsObject::Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, pixelsPerInch_, 72));
}

void TFont::SetName(const std::wstring& Value) {
    if (Value.empty() || Value == name_) return;
    name_ = Value;
    Changed();
}

void TFont::SetHeight(int Value) {
    if (Value == height_) return;
    height_ = Value;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    // The colour is not part of the handle: a canvas applies it as text colour.
    TGraphicsObject::Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TFont::SetCharset(TFontCharset Value) {
    if (Value == charset_) return;
    charset_ = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value == pitch_) return;
    pitch_ = Value;
    Changed();
}

void TFont::SetOrientation(int Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    Changed();
}

void TFont::SetQuality(TFontQuality Value) {
    if (Value == quality_) return;
    quality_ = Value;
    Changed();
}

// --- TBrush ----------------------------------------------------------------

TBrush::TBrush() = default;

TBrush::~TBrush() = default;

void TBrush::Changed() {
    handle_.Retire();
    TGraphicsObject::Changed();
}

void TBrush::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TBrush*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this || (color_ == other->color_ && style_ == other->style_ && bitmap_ == other->bitmap_)) return;
    color_ = other->color_;
    style_ = other->style_;
    bitmap_ = other->bitmap_;
    Changed();
}

HBRUSH TBrush::Handle() const {
    return handle_.Get([this] {
        LOGBRUSH lb{};
        if (bitmap_) {
            lb.lbStyle = BS_PATTERN;
            lb.lbHatch = reinterpret_cast<ULONG_PTR>(bitmap_);
        } else {
            lb.lbColor = ColorToRGB(color_);
            switch (style_) {
            case bsSolid: lb.lbStyle = BS_SOLID; break;
            case bsClear: lb.lbStyle = BS_HOLLOW; break;
            default:
                lb.lbStyle = BS_HATCHED;
                lb.lbHatch = ULONG_PTR(style_ - bsHorizontal);  // HS_HORIZONTAL .. HS_DIAGCROSS
                break;
            }
        }
        return CreateBrushIndirect(&lb);
    });
}

void TBrush::SetColor(TColor Value) {
    if (Value == color_ && style_ != bsClear) return;
    color_ = Value;
    // Giving a clear brush a colour makes it solid again.
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TBrush::SetBitmap(HBITMAP Value) {
    if (Value == bitmap_) return;
    bitmap_ = Value;
    Changed();
}

// --- TPen ------------------------------------------------------------------

TPen::TPen() = default;

TPen::~TPen() = default;

void TPen::Changed() {
    handle_.Retire();
    TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TPen*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this ||
        (color_ == other->color_ && width_ == other->width_ && style_ == other->style_ && mode_ == other->mode_))
        return;
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    mode_ = other->mode_;
    Changed();
}

HPEN TPen::Handle() const {
    return handle_.Get([this] {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        LOGPEN lp{};
        lp.lopnStyle = UINT(styles[style_]);
        lp.lopnWidth.x = width_;
        lp.lopnColor = ColorToRGB(color_);
        return CreatePenIndirect(&lp);
    });
}

void TPen::SetColor(TColor Value) {
    if (Value == color_) return;
    color_ = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 0 || Value == width_) return;
    width_ = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == mode_) return;
    mode_ = Value;
    // The mode is a context setting, not part of the handle.
    TGraphicsObject::Changed();
}

// --- TGraphic --------------------------------------------------------------

void TGraphic::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    Changed();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

// --- TCanvas ---------------------------------------------------------------

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TPen>()) {
    font_->OnChange = [this](TObject*) { FontChanged(); };
    brush_->OnChange = [this](TObject*) { BrushChanged(); };
    pen_->OnChange = [this](TObject*) { PenChanged(); };
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
}

HDC TCanvas::Handle() {
    RequiredState(HandleValid);
    return handle_;
}

void TCanvas::SetHandle(HDC Value) {
    if (Value == handle_) return;
    if (handle_) {
        DeselectHandles();
        POINT p;
        if (GetCurrentPositionEx(handle_, &p)) penPos_ = p;
        handle_ = nullptr;
        state_ &= ~HandleValid;
    }
    if (Value) {
        handle_ = Value;
        state_ |= HandleValid;
        MoveToEx(handle_, penPos_.x, penPos_.y, nullptr);
    }
}

void TCanvas::RequiredState(unsigned State) {
    const unsigned needed = State & ~state_;
    if (!needed) return;
    if (needed & HandleValid) {
        CreateHandle();
        if (!handle_) throw EInvalidOperation(L"Canvas does not allow drawing");
    }
    if (needed & FontValid) SelectFont();
    if (needed & PenValid) SelectPen();
    if (needed & BrushValid) SelectBrush();
    state_ |= needed;
}

void TCanvas::SelectFont() {
    HGDIOBJ old = SelectObject(handle_, font_->Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(handle_, ColorToRGB(font_->Color()));
}

void TCanvas::SelectPen() {
    static const int modes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    HGDIOBJ old = SelectObject(handle_, pen_->Handle());
    if (!oldPen_) oldPen_ = old;
    SetROP2(handle_, modes[pen_->Mode()]);
}

void TCanvas::SelectBrush() {
    HBRUSH brush = brush_->Handle();
    UnrealizeObject(brush);
    HGDIOBJ old = SelectObject(handle_, brush);
    if (!oldBrush_) oldBrush_ = old;
    const COLORREF color = ColorToRGB(brush_->Color());
    if (brush_->Style() == bsSolid) {
        SetBkColor(handle_, color);
        SetBkMode(handle_, OPAQUE);
    } else {
        SetBkColor(handle_, ~color & 0xFFFFFF);
        SetBkMode(handle_, TRANSPARENT);
    }
}

void TCanvas::DeselectHandles() {
    if (!handle_) return;
    if (oldFont_) SelectObject(handle_, oldFont_);
    if (oldPen_) SelectObject(handle_, oldPen_);
    if (oldBrush_) SelectObject(handle_, oldBrush_);
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
    state_ &= ~(FontValid | PenValid | BrushValid);
}

// A tool changed: it leaves the context now (its old handle is about to go) and
// is selected again when next needed.
void TCanvas::FontChanged() {
    if ((state_ & FontValid) && handle_) {
        SelectObject(handle_, oldFont_);
        oldFont_ = nullptr;
    }
    state_ &= ~FontValid;
}

void TCanvas::PenChanged() {
    if ((state_ & PenValid) && handle_) {
        SelectObject(handle_, oldPen_);
        oldPen_ = nullptr;
    }
    state_ &= ~PenValid;
}

void TCanvas::BrushChanged() {
    if ((state_ & BrushValid) && handle_) {
        SelectObject(handle_, oldBrush_);
        oldBrush_ = nullptr;
    }
    state_ &= ~BrushValid;
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

POINT TCanvas::PenPos() {
    RequiredState(HandleValid);
    POINT p{};
    GetCurrentPositionEx(handle_, &p);
    return p;
}

RECT TCanvas::ClipRect() {
    RequiredState(HandleValid);
    RECT r{};
    GetClipBox(handle_, &r);
    return r;
}

TColor TCanvas::Pixels(int X, int Y) {
    RequiredState(HandleValid);
    const COLORREF c = GetPixel(handle_, X, Y);
    return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
    Changing();
    RequiredState(HandleValid | PenValid);
    SetPixel(handle_, X, Y, ColorToRGB(Value));
    Changed();
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState(HandleValid);
    MoveToEx(handle_, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::LineTo(handle_, X, Y);
    Changed();
}

void TCanvas::Polyline(const POINT* Points, int Count) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Polyline(handle_, Points, Count);
    Changed();
}

void TCanvas::Polygon(const POINT* Points, int Count) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Polygon(handle_, Points, Count);
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Rectangle(handle_, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::RoundRect(handle_, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Ellipse(handle_, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Arc(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    Changing();
    RequiredState(HandleValid | PenValid | BrushValid);
    ::Pie(handle_, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::FillRect(const RECT& Rect) {
    Changing();
    RequiredState(HandleValid | BrushValid);
    ::FillRect(handle_, &Rect, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const RECT& Rect) {
    Changing();
    RequiredState(HandleValid | BrushValid);
    ::FrameRect(handle_, &Rect, brush_->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const RECT& Rect) {
    Changing();
    RequiredState(HandleValid | BrushValid);
    ::DrawFocusRect(handle_, &Rect);
    Changed();
}

void TCanvas::FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle) {
    Changing();
    RequiredState(HandleValid | BrushValid);
    ExtFloodFill(handle_, X, Y, ColorToRGB(Color), FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

void TCanvas::TextOut(int X, int Y, const std::wstring& Text) {
    Changing();
    RequiredState(HandleValid | FontValid | BrushValid);
    ExtTextOutW(handle_, X, Y, textFlags_, nullptr, Text.c_str(), UINT(Text.size()), nullptr);
    SIZE s{};
    GetTextExtentPoint32W(handle_, Text.c_str(), int(Text.size()), &s);
    MoveToEx(handle_, X + s.cx, Y, nullptr);
    Changed();
}

void TCanvas::TextRect(const RECT& Rect, int X, int Y, const std::wstring& Text) {
    Changing();
    RequiredState(HandleValid | FontValid | BrushValid);
    UINT options = ETO_CLIPPED | textFlags_;
    if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOutW(handle_, X, Y, options, &Rect, Text.c_str(), UINT(Text.size()), nullptr);
    Changed();
}

int TCanvas::TextRect(RECT& Rect, std::wstring& Text, TTextFormat TextFormat) {
    const bool measuring = (TextFormat & DT_CALCRECT) != 0;
    if (!measuring) Changing();
    RequiredState(HandleValid | FontValid | BrushValid);
    int result;
    if (TextFormat & DT_MODIFYSTRING) {
        // DrawText may write an ellipsis and up to four more characters.
        std::vector<wchar_t> buffer(Text.begin(), Text.end());
        buffer.resize(Text.size() + 5, L'\0');
        result = DrawTextW(handle_, buffer.data(), int(Text.size()), &Rect, TextFormat);
        Text.assign(buffer.data());
    } else {
        result = DrawTextW(handle_, Text.c_str(), int(Text.size()), &Rect, TextFormat);
    }
    if (!measuring) Changed();
    return result;
}

SIZE TCanvas::TextExtent(const std::wstring& Text) {
    RequiredState(HandleValid | FontValid);
    SIZE s{};
    GetTextExtentPoint32W(handle_, Text.c_str(), int(Text.size()), &s);
    return s;
}

void TCanvas::CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source) {
    Changing();
    RequiredState(HandleValid | FontValid | BrushValid);
    Canvas->RequiredState(HandleValid | BrushValid);
    StretchBlt(handle_, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top, Canvas->handle_,
               Source.left, Source.top, Source.right - Source.left, Source.bottom - Source.top, copyMode_);
    Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (!Graphic || Graphic->Empty()) return;
    const RECT r{X, Y, X + Graphic->Width(), Y + Graphic->Height()};
    StretchDraw(r, Graphic);
}

void TCanvas::StretchDraw(const RECT& Rect, TGraphic* Graphic) {
    if (!Graphic) return;
    Changing();
    RequiredState(HandleValid);
    Graphic->Draw(this, Rect);
    Changed();
}

void TCanvas::Draw(int X, int Y, HBITMAP Bitmap) {
    BITMAP bm{};
    if (!Bitmap || !GetObjectW(Bitmap, sizeof(bm), &bm)) return;
    StretchDraw(RECT{X, Y, X + bm.bmWidth, Y + bm.bmHeight}, Bitmap);
}

void TCanvas::StretchDraw(const RECT& Rect, HBITMAP Bitmap) {
    BITMAP bm{};
    if (!Bitmap || !GetObjectW(Bitmap, sizeof(bm), &bm)) return;
    Changing();
    RequiredState(HandleValid);
    {
        const DCHandle memory(CreateCompatibleDC(handle_));
        const SelectObjectGuard select(memory.get(), Bitmap);
        const int oldMode = SetStretchBltMode(handle_, COLORONCOLOR);
        StretchBlt(handle_, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, memory.get(), 0, 0,
                   bm.bmWidth, bm.bmHeight, copyMode_);
        SetStretchBltMode(handle_, oldMode);
    }
    Changed();
}

void TCanvas::Lock() {
    lock_.Enter();
    ++lockCount_;
}

void TCanvas::Unlock() {
    --lockCount_;
    lock_.Leave();
}

bool TCanvas::TryLock() {
    if (!lock_.TryEnter()) return false;
    ++lockCount_;
    return true;
}

}  // namespace fw
