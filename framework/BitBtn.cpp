#include "framework/BitBtn.h"

#include <vsstyle.h>

namespace fw {

namespace {

// The glyph as a disabled button shows it: its shape in the shadow colour over a
// highlight copy one pixel down and right, on the see-through colour.
std::unique_ptr<TBitmap> GreyedGlyph(TBitmap* Glyph, TColor SeeThrough) {
    const TPixels32 pixels = ReadPixels32(Glyph->Handle());
    const int w = pixels.Width, h = pixels.Height;
    const COLORREF key = ColorToRGB(SeeThrough);
    const auto inShape = [&](int X, int Y) {
        const DWORD v = pixels.At(X, Y);
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) != key;
    };
    auto greyed = std::make_unique<TBitmap>();
    greyed->SetPixelFormat(pf24bit);
    greyed->SetSize(w, h);
    TCanvas* canvas = greyed->Canvas();
    canvas->Brush()->SetColor(SeeThrough);
    canvas->FillRect(RECT{0, 0, w, h});
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x)
            if (inShape(x, y)) canvas->SetPixels(x + 1, y + 1, clBtnHighlight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inShape(x, y)) canvas->SetPixels(x, y, clBtnShadow);
    return greyed;
}

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() {
    // The window goes before the image list it shows.
    DestroyHandle();
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    if (Value && !Value->Empty()) glyph_->Assign(Value);
    else glyph_ = std::make_unique<TBitmap>();
    ApplyImage();
}

void TBitBtn::WndProc(TMessage& Message) {
    TButton::WndProc(Message);
    // With a caption the glyph stands left of it, without one in the middle.
    if (Message.Msg == CM_TEXTCHANGED) ApplyImage();
}

void TBitBtn::ApplyImage() {
    if (!HandleAllocated()) {
        shown_.reset();
        return;
    }
    BUTTON_IMAGELIST info{};
    const bool captioned = !Caption().empty();
    info.uAlign = captioned ? BUTTON_IMAGELIST_ALIGN_LEFT : BUTTON_IMAGELIST_ALIGN_CENTER;
    info.margin = RECT{captioned ? 2 : 0, 0, 0, 0};
    std::unique_ptr<TImageList> list;
    if (!glyph_->Empty()) {
        list = std::make_unique<TImageList>(nullptr, glyph_->Width(), glyph_->Height());
        const TColor seeThrough = glyph_->TransparentColor();
        const std::unique_ptr<TBitmap> greyed = GreyedGlyph(glyph_.get(), seeThrough);
        // One image per state, in the order of the push button's states (normal,
        // hot, pressed, disabled, default, stylus hot).
        for (int state = PBS_NORMAL; state <= PBS_DEFAULTED_ANIMATING; ++state)
            list->AddMasked(state == PBS_DISABLED ? greyed.get() : glyph_.get(), seeThrough);
        info.himl = list->Handle();
    }
    SendMessageW(Handle(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&info));
    shown_ = std::move(list);
}

}  // namespace fw
