#pragma once
// A bitmap picture with a canvas to draw on it.
// TBitmap is a plain object (new/delete or a member). It owns its bitmap handle
// (a DIB section for the explicit pixel formats, a screen-compatible bitmap for
// pfDevice) and, while its canvas is in use, a memory device context with the
// bitmap selected. Asking for Handle() takes the bitmap out of that context, so
// the handle can be selected or blitted elsewhere; the canvas selects it again
// on its next use.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace fw {

enum TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit
};
enum TTransparentMode {
    tmAuto,
    tmFixed
};

class TBitmap : public TGraphic {
public:
    TBitmap();
    // A bitmap of that size in the screen's format.
    TBitmap(int Width, int Height);
    ~TBitmap() override;

    // From another TBitmap: a copy of its pixels, format and transparency settings.
    void Assign(TPersistent* Source) override;

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int Value) override { SetSize(Value, height_); }
    void SetHeight(int Value) override { SetSize(width_, Value); }
    // Keeps the pixels that still fit; new pixels are black.
    void SetSize(int Width, int Height);

    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat Value);
    // pf1bit: black and white.
    bool Monochrome() const { return pixelFormat_ == pf1bit; }
    void SetMonochrome(bool Value);

    // The canvas drawing on the bitmap (made on first use).
    TCanvas* Canvas();

    // The bitmap handle (nullptr while empty); still owned by the TBitmap.
    HBITMAP Handle();
    // Adopts a bitmap handle (the TBitmap owns it from now on); nullptr empties it.
    void SetHandle(HBITMAP Value);
    // Gives up the handle: the caller owns it, the TBitmap is empty.
    HBITMAP ReleaseHandle();
    bool HandleAllocated() const { return bool(handle_); }
    // Frees the canvas's device context; the bitmap stays.
    void Dormant();

    // The colour drawn as see-through when Transparent: with tmAuto the colour of
    // the bottom-left pixel, with tmFixed the colour that was set.
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode Value);

    // Loads a bitmap resource of the module.
    void LoadFromResourceName(HINSTANCE Instance, const std::wstring& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);

protected:
    void Draw(TCanvas* ACanvas, const RECT& Rect) override;
    std::wstring ClassName() const override { return L"TBitmap"; }

private:
    class TBitmapCanvas;
    friend class TBitmapCanvas;

    // A bitmap of the given size and format; the caller owns it.
    static BitmapHandle NewBitmap(int Width, int Height, TPixelFormat Format);
    void Replace(BitmapHandle Bitmap, int Width, int Height);
    void FreeContext();
    void AdoptFormat(HBITMAP Bitmap);

    BitmapHandle handle_;
    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pfDevice;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    std::unique_ptr<TBitmapCanvas> canvas_;
};

// The pixels of a bitmap handle, whatever its format, as top-down rows of 0xAARRGGBB values;
// none when the handle is no bitmap.
struct TPixels32 {
    int Width = 0;
    int Height = 0;
    std::vector<DWORD> Values;
    DWORD At(int X, int Y) const { return Values[size_t(Y) * size_t(Width) + size_t(X)]; }
};
TPixels32 ReadPixels32(HBITMAP Bitmap);

}  // namespace fw
