#pragma once
// Image lists: equally sized images over a comctl32 HIMAGELIST.
// A TCustomImageList is a component created with an owner. Its handle is made
// on first use (ILC_COLOR32, masked unless Masked is off) and destroyed with the
// list, unless ShareImages is set: then a handle given through SetHandle (for
// example the shell's system image list) is used but never destroyed.
// Changing Width or Height empties the list.
#include <windows.h>
#include <commctrl.h>

#include "framework/Bitmap.h"
#include "framework/Classes.h"
#include "framework/Graphics.h"

namespace fw {

enum TDrawingStyle {
    dsFocus,
    dsSelected,
    dsNormal,
    dsTransparent
};
enum TImageType {
    itImage,
    itMask
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner);
    TCustomImageList(TComponent* AOwner, int Width, int Height);
    ~TCustomImageList() override;

    // Copies the images (and sizes) of another image list into a handle of its own.
    void Assign(TPersistent* Source) override;

    int Width() const { return width_; }
    void SetWidth(int Value) { SetSize(Value, height_); }
    int Height() const { return height_; }
    void SetHeight(int Value) { SetSize(width_, Value); }
    void SetSize(int AWidth, int AHeight);
    int Count() const;

    // The list's handle, made when first asked for.
    HIMAGELIST Handle();
    // Takes the handle: the width and height become the list's. The old handle is
    // destroyed unless shared; the new one is destroyed with the list unless shared.
    void SetHandle(HIMAGELIST Value);
    bool HandleAllocated() const { return handle_ != nullptr; }
    bool ShareImages() const { return shareImages_; }
    void SetShareImages(bool Value) { shareImages_ = Value; }

    bool Masked() const { return masked_; }
    // Takes effect for a handle made from now on (an existing one is emptied and remade).
    void SetMasked(bool Value);
    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int Value) { allocBy_ = Value; }
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor Value);
    TColor BlendColor() const { return blendColor_; }
    void SetBlendColor(TColor Value) { blendColor_ = Value; }
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle Value);
    TImageType ImageType() const { return imageType_; }
    void SetImageType(TImageType Value) { imageType_ = Value; }

    // Adds the image, one slot per Width pixels; Mask (may be nullptr) marks the
    // transparent pixels in white. Returns the index of the first added image, or -1.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Adds with a mask made from MaskColor: clDefault takes the image's bottom-left
    // pixel colour, clNone adds no mask.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddIcon(HICON Icon);
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);
    void ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor);
    void Delete(int Index);
    void Clear();

    // Draws image Index at (X, Y) in the list's drawing style; disabled images are
    // drawn blended with the highlight colour.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
              bool Enabled = true);

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void FreeHandle();
    std::wstring ClassName() const override { return L"TCustomImageList"; }

private:
    HIMAGELIST NewHandle() const;
    // A copy of Image with the pixels of MaskColor turned black, and the monochrome
    // mask of those pixels (white); both owned by the caller.
    void SplitMasked(TBitmap* Image, TColor MaskColor, BitmapHandle& ImageOut, BitmapHandle& MaskOut) const;

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    bool shareImages_ = false;
    bool masked_ = true;
    int allocBy_ = 4;
    TColor bkColor_ = clNone;
    TColor blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    TImageType imageType_ = itImage;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;

protected:
    std::wstring ClassName() const override { return L"TImageList"; }
};

}  // namespace fw
