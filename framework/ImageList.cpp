#include "framework/ImageList.h"

#include <utility>

#include "framework/Exception.h"
#include "framework/Handles.h"

namespace fw {

namespace {

COLORREF ListColor(TColor color) {
    if (color == clNone) return CLR_NONE;
    if (color == clDefault) return CLR_DEFAULT;
    return ColorToRGB(color);
}

// A memory context with a bitmap selected, undone on destruction.
struct MemoryDC {
    DCHandle owned;
    HDC dc;
    SelectObjectGuard select;
    explicit MemoryDC(HBITMAP bitmap)
        : owned(CreateCompatibleDC(WindowDC(nullptr).get())), dc(owned.get()), select(dc, bitmap) {}
};

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int Width, int Height)
    : TComponent(AOwner), width_(Width), height_(Height) {}

TCustomImageList::~TCustomImageList() {
    FreeHandle();
}

void TCustomImageList::FreeHandle() {
    if (handle_ && !shareImages_) ImageList_Destroy(handle_);
    handle_ = nullptr;
}

HIMAGELIST TCustomImageList::NewHandle() const {
    HIMAGELIST list = ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), allocBy_, allocBy_);
    if (!list) throw EInvalidOperation(L"Invalid image list");
    ImageList_SetBkColor(list, ListColor(bkColor_));
    return list;
}

HIMAGELIST TCustomImageList::Handle() {
    if (!handle_) handle_ = NewHandle();
    return handle_;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
    if (Value == handle_) return;
    FreeHandle();
    handle_ = Value;
    if (Value) {
        int cx = 0, cy = 0;
        if (ImageList_GetIconSize(Value, &cx, &cy)) {
            width_ = cx;
            height_ = cy;
        }
    }
    Change();
}

void TCustomImageList::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TCustomImageList*>(Source);
    if (!source) {
        TComponent::Assign(Source);
        return;
    }
    if (source == this) return;
    FreeHandle();
    width_ = source->width_;
    height_ = source->height_;
    masked_ = source->masked_;
    bkColor_ = source->bkColor_;
    blendColor_ = source->blendColor_;
    drawingStyle_ = source->drawingStyle_;
    imageType_ = source->imageType_;
    allocBy_ = source->allocBy_;
    if (source->handle_) handle_ = ImageList_Duplicate(source->handle_);
    Change();
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
    if (AWidth == width_ && AHeight == height_) return;
    width_ = AWidth;
    height_ = AHeight;
    if (handle_) {
        // A shared list is never emptied: it is let go instead.
        if (shareImages_) handle_ = nullptr;
        else ImageList_SetIconSize(handle_, width_, height_);
    }
    Change();
}

int TCustomImageList::Count() const {
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

void TCustomImageList::SetMasked(bool Value) {
    if (Value == masked_) return;
    masked_ = Value;
    if (handle_ && !shareImages_) {
        FreeHandle();
        Change();
    }
}

void TCustomImageList::SetBkColor(TColor Value) {
    bkColor_ = Value;
    if (handle_) ImageList_SetBkColor(handle_, ListColor(Value));
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
    if (Value == drawingStyle_) return;
    drawingStyle_ = Value;
    Change();
}

void TCustomImageList::Change() {
    if (OnChange) OnChange(this);
}

void TCustomImageList::SplitMasked(TBitmap* Image, TColor MaskColor, BitmapHandle& ImageOut,
                                   BitmapHandle& MaskOut) const {
    const int w = Image->Width(), h = Image->Height();
    if (MaskColor == clDefault) MaskColor = Image->Canvas()->Pixels(0, h - 1);
    HBITMAP source = Image->Handle();
    ImageOut.reset(CreateCompatibleBitmap(WindowDC(nullptr).get(), w, h));
    MaskOut.reset(CreateBitmap(w, h, 1, 1, nullptr));
    MemoryDC src(source), img(ImageOut.get()), mask(MaskOut.get());
    BitBlt(img.dc, 0, 0, w, h, src.dc, 0, 0, SRCCOPY);
    // Colour to monochrome: the background colour becomes white, the rest black.
    ::SetBkColor(src.dc, ColorToRGB(MaskColor));
    BitBlt(mask.dc, 0, 0, w, h, src.dc, 0, 0, SRCCOPY);
    // Monochrome to colour: white maps to the background, black to the text colour;
    // "D and not S" then blacks out the see-through pixels.
    ::SetBkColor(img.dc, RGB(255, 255, 255));
    ::SetTextColor(img.dc, RGB(0, 0, 0));
    BitBlt(img.dc, 0, 0, w, h, mask.dc, 0, 0, 0x00220326);
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    HIMAGELIST list = Handle();
    int result;
    if (Mask && !Mask->Empty()) {
        // The list wants a monochrome mask; a colour one is reduced (white stays white).
        TBitmap mono;
        mono.Assign(Mask);
        mono.SetMonochrome(true);
        result = ImageList_Add(list, Image->Handle(), mono.Handle());
    } else {
        result = ImageList_Add(list, Image->Handle(), nullptr);
    }
    Change();
    return result;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    if (MaskColor == clNone || !masked_) return Add(Image, nullptr);
    BitmapHandle image, mask;
    SplitMasked(Image, MaskColor, image, mask);
    const int result = ImageList_Add(Handle(), image.get(), mask.get());
    Change();
    return result;
}

int TCustomImageList::AddIcon(HICON Icon) {
    if (!Icon) return -1;
    const int result = ImageList_ReplaceIcon(Handle(), -1, Icon);
    Change();
    return result;
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
    if (!handle_ || Index < 0 || Index >= Count()) throw EInvalidOperation(L"Invalid image list index");
    if (!Image || Image->Empty()) return;
    if (Mask && !Mask->Empty()) {
        TBitmap mono;
        mono.Assign(Mask);
        mono.SetMonochrome(true);
        ImageList_Replace(handle_, Index, Image->Handle(), mono.Handle());
    } else {
        ImageList_Replace(handle_, Index, Image->Handle(), nullptr);
    }
    Change();
}

void TCustomImageList::ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor) {
    if (!handle_ || Index < 0 || Index >= Count()) throw EInvalidOperation(L"Invalid image list index");
    if (!NewImage || NewImage->Empty()) return;
    if (MaskColor == clNone || !masked_) {
        Replace(Index, NewImage, nullptr);
        return;
    }
    BitmapHandle image, mask;
    SplitMasked(NewImage, MaskColor, image, mask);
    ImageList_Replace(handle_, Index, image.get(), mask.get());
    Change();
}

void TCustomImageList::Delete(int Index) {
    if (!handle_ || Index < 0 || Index >= Count()) throw EInvalidOperation(L"Invalid image list index");
    ImageList_Remove(handle_, Index);
    Change();
}

void TCustomImageList::Clear() {
    if (handle_) ImageList_Remove(handle_, -1);
    Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    Draw(Canvas, X, Y, Index, drawingStyle_, imageType_, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
    if (!handle_ || !Canvas || Index < 0 || Index >= Count()) return;
    UINT style = ILD_NORMAL;
    switch (ADrawingStyle) {
    case dsFocus: style = ILD_FOCUS; break;
    case dsSelected: style = ILD_SELECTED; break;
    case dsNormal: style = ILD_NORMAL; break;
    case dsTransparent: style = ILD_TRANSPARENT; break;
    }
    if (AImageType == itMask) style |= ILD_MASK;
    HDC dc = Canvas->Handle();
    if (Enabled) {
        ImageList_DrawEx(handle_, Index, dc, X, Y, 0, 0, ListColor(bkColor_), ListColor(blendColor_), style);
        return;
    }
    // Disabled: the image's shape embossed, highlight one pixel down-right under shadow.
    const GdiObject<HBITMAP> mono(CreateBitmap(width_, height_, 1, 1, nullptr));
    {
        MemoryDC mask(mono.get());
        PatBlt(mask.dc, 0, 0, width_, height_, WHITENESS);
        ImageList_DrawEx(handle_, Index, mask.dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_MASK);
        const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
        for (const auto& [offset, color] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
            const GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(color)));
            const SelectObjectGuard select(dc, brush.get());
            // Where the mask is black the brush lands; elsewhere the canvas stays.
            BitBlt(dc, X + offset, Y + offset, width_, height_, mask.dc, 0, 0, 0x00E20746);
        }
        ::SetTextColor(dc, oldText);
        ::SetBkColor(dc, oldBk);
    }
}

}  // namespace fw
