#pragma once
// Colours, fonts, brushes, pens and the canvas that draws with them.
// TFont, TBrush and TPen are plain objects (new/delete or members) that keep a GDI
// handle made on first use and made afresh after a change; the handle belongs to
// the object and dies with it. Their OnChange belongs to whoever owns the object
// (a canvas or a control binds it; others Assign into that object instead).
// A TCanvas draws on a device context it is given (SetHandle) or, in descendants,
// one it acquires itself. It owns its Font, Brush and Pen, selects them into the
// context only when needed, and puts the context's own objects back when the
// context is released.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/SyncObjs.h"

namespace fw {

// A colour: 0x00BBGGRR, or a system colour (0xFF000000 | COLOR_xxx), or one of the
// two markers clNone and clDefault.
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t Value) {
    return static_cast<TColor>(Value);
}

constexpr TColor clSystemColor = TColorOf(0xFF000000u);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up; others pass unchanged.
COLORREF ColorToRGB(TColor Color);

// ---------------------------------------------------------------------------

// Base of the drawing tools: a change notice for the owner.
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    std::wstring ClassName() const override { return L"TGraphicsObject"; }
};

enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3
};
using TFontStyles = unsigned;  // a set of TFontStyle bits
enum TFontPitch {
    fpDefault,
    fpVariable,
    fpFixed
};
enum TFontQuality {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType,
    fqClearTypeNatural
};
using TFontCharset = BYTE;

// The handle of a drawing tool, made afresh after each change. A replaced handle is
// deleted only when the next one is made, by which time every canvas has taken it
// out of its device context.
template <class T>
class RemadeGdiObject {
public:
    // The current handle, made by Make() when there is none; the replaced one dies here.
    template <class MakeFunction>
    T Get(MakeFunction Make) {
        if (!current_) {
            current_.reset(Make());
            if (!current_) RaiseLastOSError();
        }
        stale_.reset();
        return current_.get();
    }
    // The current handle goes stale (the one stale before it is deleted).
    void Retire() {
        if (current_) stale_ = std::move(current_);
    }
    // Owns Value from now on, in place of the current handle.
    void Adopt(T Value) {
        if (Value == current_.get()) return;
        Retire();
        current_.reset(Value);
    }

private:
    GdiObject<T> current_;
    GdiObject<T> stale_;
};

// The pixels per inch of the screen (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

class TFont : public TGraphicsObject {
public:
    // "Tahoma", height -11, clWindowText, DEFAULT_CHARSET, no style.
    TFont();
    ~TFont() override;

    // Takes every attribute of another TFont; OnChange fires once if anything differs.
    void Assign(TPersistent* Source) override;
    // Same attributes as Other (colour included)?
    bool SameAs(const TFont& Other) const;
    // Charset, Color, Height, Name, Pitch and Style, always stored.
    void DefineProperties(TFiler& Filer) override;

    // The font's handle, made on first use and afresh after a change.
    HFONT Handle() const;
    // Adopts a font handle: its attributes are read from it and it is owned from now on.
    void SetHandle(HFONT Value);

    const std::wstring& Name() const { return name_; }
    void SetName(const std::wstring& Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    // Points: -Height * 72 / PixelsPerInch, rounded.
    int Size() const;
    void SetSize(int Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles Value);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch Value);
    int Orientation() const { return orientation_; }
    void SetOrientation(int Value);
    TFontQuality Quality() const { return quality_; }
    void SetQuality(TFontQuality Value);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value) {
        if (Value > 0) pixelsPerInch_ = Value;
    }

    LOGFONTW LogFont() const;

protected:
    void Changed() override;
    std::wstring ClassName() const override { return L"TFont"; }

private:
    std::wstring name_ = L"Tahoma";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    int orientation_ = 0;
    TFontQuality quality_ = fqDefault;
    int pixelsPerInch_;
    mutable RemadeGdiObject<HFONT> handle_;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
public:
    // Solid white.
    TBrush();
    ~TBrush() override;

    void Assign(TPersistent* Source) override;

    HBRUSH Handle() const;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle Value);
    // A pattern bitmap (not owned; it must outlive its use). Set, it wins over Style.
    HBITMAP Bitmap() const { return bitmap_; }
    void SetBitmap(HBITMAP Value);

protected:
    void Changed() override;
    std::wstring ClassName() const override { return L"TBrush"; }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    HBITMAP bitmap_ = nullptr;
    mutable RemadeGdiObject<HBRUSH> handle_;
};

enum TPenStyle {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

class TPen : public TGraphicsObject {
public:
    // Solid black, width 1, pmCopy.
    TPen();
    ~TPen() override;

    void Assign(TPersistent* Source) override;

    HPEN Handle() const;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle Value);
    // The raster operation the canvas uses while drawing with the pen.
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode Value);

protected:
    void Changed() override;
    std::wstring ClassName() const override { return L"TPen"; }

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    mutable RemadeGdiObject<HPEN> handle_;
};

class TCanvas;

// A picture that can draw itself on a canvas (bitmaps, metafiles, icons).
class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) { (void)Value; }
    virtual void SetHeight(int Value) { (void)Value; }
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool Value);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the picture into Rect of the canvas (stretched when sizes differ).
    virtual void Draw(TCanvas* ACanvas, const RECT& Rect) = 0;
    virtual void Changed();
    std::wstring ClassName() const override { return L"TGraphic"; }

private:
    bool transparent_ = false;
};

// DrawText flags under the class library's names, for TCanvas::TextRect.
using TTextFormat = UINT;
constexpr TTextFormat tfBottom = DT_BOTTOM, tfCalcRect = DT_CALCRECT, tfCenter = DT_CENTER,
                      tfEditControl = DT_EDITCONTROL, tfEndEllipsis = DT_END_ELLIPSIS,
                      tfPathEllipsis = DT_PATH_ELLIPSIS, tfExpandTabs = DT_EXPANDTABS,
                      tfExternalLeading = DT_EXTERNALLEADING, tfLeft = DT_LEFT, tfModifyString = DT_MODIFYSTRING,
                      tfNoClip = DT_NOCLIP, tfNoPrefix = DT_NOPREFIX, tfRight = DT_RIGHT, tfRtlReading = DT_RTLREADING,
                      tfSingleLine = DT_SINGLELINE, tfTop = DT_TOP, tfVerticalCenter = DT_VCENTER,
                      tfWordBreak = DT_WORDBREAK, tfHidePrefix = DT_HIDEPREFIX, tfPrefixOnly = DT_PREFIXONLY,
                      tfWordEllipsis = DT_WORD_ELLIPSIS;

enum TFillStyle {
    fsSurface,
    fsBorder
};

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The device context; a canvas without one asks CreateHandle and raises
    // EInvalidOperation "Canvas does not allow drawing" when it still has none.
    HDC Handle();
    // Attaches a device context (nullptr detaches). The previous one gets its own
    // font, brush and pen back. The context stays the caller's.
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return handle_ != nullptr; }

    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* Value) { font_->Assign(Value); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* Value) { brush_->Assign(Value); }
    TPen* Pen() const { return pen_.get(); }
    void SetPen(TPen* Value) { pen_->Assign(Value); }

    POINT PenPos();
    void SetPenPos(POINT Value) { MoveTo(Value.x, Value.y); }
    // The raster operation of CopyRect and Draw (SRCCOPY by default).
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD Value) { copyMode_ = Value; }
    // ETO_ options added to every TextOut and TextRect.
    UINT TextFlags() const { return textFlags_; }
    void SetTextFlags(UINT Value) { textFlags_ = Value; }
    RECT ClipRect();

    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const POINT* Points, int Count);
    void Polyline(const std::vector<POINT>& Points) { Polyline(Points.data(), int(Points.size())); }
    void Polygon(const POINT* Points, int Count);
    void Polygon(const std::vector<POINT>& Points) { Polygon(Points.data(), int(Points.size())); }
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const RECT& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const RECT& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void FillRect(const RECT& Rect);
    void FrameRect(const RECT& Rect);
    void DrawFocusRect(const RECT& Rect);
    void FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle);

    // Text at (X, Y) with the font, on the brush unless it is bsClear; the pen
    // position moves to the end of the text.
    void TextOut(int X, int Y, const std::wstring& Text);
    // Text at (X, Y) clipped to Rect, which is filled with the brush unless bsClear.
    void TextRect(const RECT& Rect, int X, int Y, const std::wstring& Text);
    // DrawText with the given tf/DT flags; tfCalcRect measures into Rect,
    // tfModifyString may shorten Text to what was drawn. Returns the text height.
    int TextRect(RECT& Rect, std::wstring& Text, TTextFormat TextFormat);
    SIZE TextExtent(const std::wstring& Text);
    int TextWidth(const std::wstring& Text) { return TextExtent(Text).cx; }
    int TextHeight(const std::wstring& Text) { return TextExtent(Text).cy; }

    // Copies Source of Canvas into Dest of this canvas (stretched) with CopyMode.
    void CopyRect(const RECT& Dest, TCanvas* Canvas, const RECT& Source);
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const RECT& Rect, TGraphic* Graphic);
    void Draw(int X, int Y, HBITMAP Bitmap);
    void StretchDraw(const RECT& Rect, HBITMAP Bitmap);

    // Serialises drawing from several threads; re-entrant.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lockCount_; }

    // Takes the font, brush and pen out of the context; they are selected again
    // when next needed.
    void Refresh() { DeselectHandles(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    enum : unsigned {
        HandleValid = 1,
        FontValid = 2,
        PenValid = 4,
        BrushValid = 8
    };
    // Makes sure the context exists and the named tools are selected into it.
    void RequiredState(unsigned State);
    // Asked for a context when there is none; descendants acquire one here.
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();
    void DeselectHandles();
    std::wstring ClassName() const override { return L"TCanvas"; }

private:
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void FontChanged();
    void PenChanged();
    void BrushChanged();

    HDC handle_ = nullptr;
    unsigned state_ = 0;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
    HGDIOBJ oldFont_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    POINT penPos_{0, 0};
    DWORD copyMode_ = SRCCOPY;
    UINT textFlags_ = 0;
    // A critical section: a locked std::recursive_mutex is never freed under this toolchain.
    TCriticalSection lock_;
    int lockCount_ = 0;
};

}  // namespace fw
