#include "framework/Bitmap.h"

#include <algorithm>
#include <cstdlib>

#include "framework/Exception.h"

namespace fw {

// Draws on the bitmap through a memory context made when first needed.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Owner) : owner_(Owner) {}
    ~TBitmapCanvas() override { Free(); }

    void Free() {
        if (!dc_) return;
        SetHandle(nullptr);
        SelectObject(dc_.get(), oldBitmap_);
        dc_.reset();
    }

protected:
    void CreateHandle() override {
        dc_.reset(CreateCompatibleDC(WindowDC(nullptr).get()));
        if (!dc_) return;
        oldBitmap_ = owner_->handle_ ? SelectObject(dc_.get(), owner_->handle_.get()) : nullptr;
        SetHandle(dc_.get());
    }

private:
    TBitmap* owner_;
    DCHandle dc_;
    HGDIOBJ oldBitmap_ = nullptr;
};

namespace {

int BitsOf(TPixelFormat format) {
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    case pfDevice: break;
    }
    return 0;
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int Width, int Height) {
    SetSize(Width, Height);
}

TBitmap::~TBitmap() {
    // The canvas's context lets go of the bitmap before the bitmap is deleted.
    canvas_.reset();
}

BitmapHandle TBitmap::NewBitmap(int Width, int Height, TPixelFormat Format) {
    if (Width <= 0 || Height <= 0) return {};
    const WindowDC screen(nullptr);
    BitmapHandle bitmap;
    if (Format == pfDevice) {
        bitmap.reset(CreateCompatibleBitmap(screen.get(), Width, Height));
    } else {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = Width;
        info.header.biHeight = Height;
        info.header.biPlanes = 1;
        info.header.biBitCount = WORD(BitsOf(Format));
        info.header.biCompression = BI_RGB;
        if (Format == pf1bit) {
            info.colors[1] = RGBQUAD{255, 255, 255, 0};
            info.header.biClrUsed = 2;
        } else if (Format == pf4bit || Format == pf8bit) {
            // The system's stock colours first, the rest black.
            PALETTEENTRY entries[20]{};
            const UINT n = GetPaletteEntries(HPALETTE(GetStockObject(DEFAULT_PALETTE)), 0, 20, entries);
            const UINT count = Format == pf4bit ? 16 : 256;
            for (UINT i = 0; i < std::min(n, count); ++i) {
                const UINT from = (count == 16 && i >= 8) ? i + 4 : i;  // skip the four reserved greys
                info.colors[i] = RGBQUAD{entries[from].peBlue, entries[from].peGreen, entries[from].peRed, 0};
            }
            info.header.biClrUsed = count;
        } else if (Format == pf16bit) {
            info.header.biCompression = BI_BITFIELDS;
            auto masks = reinterpret_cast<DWORD*>(info.colors);
            masks[0] = 0xF800;
            masks[1] = 0x07E0;
            masks[2] = 0x001F;
        }
        void* bits = nullptr;
        bitmap.reset(
            CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    }
    if (!bitmap) throw EOutOfResources(L"Out of system resources");
    return bitmap;
}

void TBitmap::FreeContext() {
    if (canvas_) canvas_->Free();
}

void TBitmap::Dormant() {
    FreeContext();
}

void TBitmap::Replace(BitmapHandle Bitmap, int Width, int Height) {
    FreeContext();
    handle_ = std::move(Bitmap);
    width_ = handle_ ? Width : 0;
    height_ = handle_ ? Height : 0;
    Changed();
}

// Copies the overlapping part of the current pixels into Bitmap.
static void CopyPixels(HBITMAP From, HBITMAP To, int Width, int Height, COLORREF Background) {
    if (!From || !To) return;
    DCHandle srcDC, dstDC;
    {
        const WindowDC screen(nullptr);
        srcDC.reset(CreateCompatibleDC(screen.get()));
        dstDC.reset(CreateCompatibleDC(screen.get()));
    }
    HDC src = srcDC.get(), dst = dstDC.get();
    const SelectObjectGuard selectSrc(src, From);
    const SelectObjectGuard selectDst(dst, To);
    // A colour source becomes monochrome by its background colour: that colour white,
    // the rest black. Only a device-dependent monochrome target follows that rule (a
    // monochrome DIB takes the nearest colour), so such a copy goes through one.
    SetBkColor(src, Background);
    BITMAP target{};
    GetObjectW(To, sizeof(target), &target);
    if (target.bmBitsPixel == 1 && target.bmBits) {
        const BitmapHandle mono(CreateBitmap(Width, Height, 1, 1, nullptr));
        const DCHandle monoDC(CreateCompatibleDC(dst));
        const SelectObjectGuard selectMono(monoDC.get(), mono.get());
        BitBlt(monoDC.get(), 0, 0, Width, Height, src, 0, 0, SRCCOPY);
        BitBlt(dst, 0, 0, Width, Height, monoDC.get(), 0, 0, SRCCOPY);
    } else {
        BitBlt(dst, 0, 0, Width, Height, src, 0, 0, SRCCOPY);
    }
}

void TBitmap::SetSize(int Width, int Height) {
    Width = std::max(0, Width);
    Height = std::max(0, Height);
    if (Width == width_ && Height == height_) return;
    FreeContext();
    BitmapHandle bitmap = NewBitmap(Width, Height, pixelFormat_);
    CopyPixels(handle_.get(), bitmap.get(), std::min(Width, width_), std::min(Height, height_), RGB(255, 255, 255));
    Replace(std::move(bitmap), Width, Height);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (Value == pixelFormat_) return;
    pixelFormat_ = Value;
    if (Empty()) return;
    FreeContext();
    BitmapHandle bitmap = NewBitmap(width_, height_, Value);
    CopyPixels(handle_.get(), bitmap.get(), width_, height_, RGB(255, 255, 255));
    Replace(std::move(bitmap), width_, height_);
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value != Monochrome()) SetPixelFormat(Value ? pf1bit : pfDevice);
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->OnChange = [this](TObject*) { Changed(); };
    }
    return canvas_.get();
}

HBITMAP TBitmap::Handle() {
    FreeContext();
    return handle_.get();
}

void TBitmap::AdoptFormat(HBITMAP Bitmap) {
    DIBSECTION dib{};
    const int size = GetObjectW(Bitmap, sizeof(dib), &dib);
    if (size == int(sizeof(DIBSECTION)) && dib.dsBm.bmBits) {
        switch (dib.dsBmih.biBitCount) {
        case 1: pixelFormat_ = pf1bit; break;
        case 4: pixelFormat_ = pf4bit; break;
        case 8: pixelFormat_ = pf8bit; break;
        case 16:
            pixelFormat_ = dib.dsBmih.biCompression == BI_BITFIELDS && dib.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit;
            break;
        case 24: pixelFormat_ = pf24bit; break;
        case 32: pixelFormat_ = pf32bit; break;
        default: pixelFormat_ = pfDevice; break;
        }
    } else {
        pixelFormat_ = dib.dsBm.bmBitsPixel == 1 ? pf1bit : pfDevice;
    }
}

void TBitmap::SetHandle(HBITMAP Value) {
    if (Value == handle_.get()) return;
    BITMAP bm{};
    if (Value && !GetObjectW(Value, sizeof(bm), &bm)) throw EInvalidGraphic(L"Invalid bitmap");
    if (Value) AdoptFormat(Value);
    Replace(BitmapHandle(Value), bm.bmWidth, bm.bmHeight);
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeContext();
    HBITMAP result = handle_.release();
    width_ = height_ = 0;
    Changed();
    return result;
}

void TBitmap::Assign(TPersistent* Source) {
    if (!Source) {
        Replace({}, 0, 0);
        return;
    }
    auto* source = dynamic_cast<TBitmap*>(Source);
    if (!source) {
        TGraphic::Assign(Source);
        return;
    }
    if (source == this) return;
    pixelFormat_ = source->pixelFormat_;
    transparentMode_ = source->transparentMode_;
    transparentColor_ = source->transparentColor_;
    BitmapHandle bitmap = NewBitmap(source->width_, source->height_, pixelFormat_);
    CopyPixels(source->Handle(), bitmap.get(), source->width_, source->height_, RGB(255, 255, 255));
    const bool transparent = source->Transparent();
    Replace(std::move(bitmap), source->width_, source->height_);
    SetTransparent(transparent);
}

TColor TBitmap::TransparentColor() {
    if (transparentMode_ == tmFixed || Empty()) return transparentColor_;
    return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
    if (transparentMode_ == tmFixed && Value == transparentColor_) return;
    transparentColor_ = Value;
    transparentMode_ = Value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == transparentMode_) return;
    if (Value == tmAuto) transparentColor_ = clDefault;
    else if (transparentColor_ == clDefault) transparentColor_ = TransparentColor();
    transparentMode_ = Value;
    Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName) {
    HANDLE image = LoadImageW(Instance, ResName.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!image) throw EInvalidGraphic(L"Bitmap resource " + ResName + L" not found");
    SetHandle(HBITMAP(image));
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    HANDLE image = LoadImageW(Instance, MAKEINTRESOURCEW(ResID), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!image) throw EInvalidGraphic(L"Bitmap resource " + std::to_wstring(ResID) + L" not found");
    SetHandle(HBITMAP(image));
}

void TBitmap::Draw(TCanvas* ACanvas, const RECT& Rect) {
    if (Empty()) return;
    HDC dest = ACanvas->Handle();
    HDC source = Canvas()->Handle();
    const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
    if (Transparent()) {
        TransparentBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, width_, height_, ColorToRGB(TransparentColor()));
    } else {
        const int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
        StretchBlt(dest, Rect.left, Rect.top, w, h, source, 0, 0, width_, height_, ACanvas->CopyMode());
        SetStretchBltMode(dest, oldMode);
    }
}

TPixels32 ReadPixels32(HBITMAP Bitmap) {
    TPixels32 result;
    BITMAP bm{};
    if (!Bitmap || !GetObjectW(Bitmap, sizeof(bm), &bm)) return result;
    result.Width = bm.bmWidth;
    result.Height = std::abs(bm.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), result.Width, -result.Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    result.Values.resize(size_t(result.Width) * size_t(result.Height));
    const WindowDC screen(nullptr);
    GetDIBits(screen.get(), Bitmap, 0, UINT(result.Height), result.Values.data(), &info, DIB_RGB_COLORS);
    return result;
}

}  // namespace fw
