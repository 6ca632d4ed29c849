#pragma once
// TBitBtn: a push button that shows a glyph, a small bitmap, centred (or left of
// its caption when it has one); a TButton in every other way. It is created with
// an owner and placed with SetParent; its window is made when first shown. It
// owns a copy of its glyph (SetGlyph copies); the colour of the glyph's
// bottom-left pixel is drawn see-through. The window shows the glyph through the
// common controls' button image list (version 6, BCM_SETIMAGELIST), which the
// button makes with its window and again when the glyph or caption changes: one
// image per button state, the disabled one greyed. TButton's Images are not shown.
#include <memory>
#include <string>

#include "framework/Bitmap.h"
#include "framework/Buttons.h"
#include "framework/ImageList.h"

namespace fw {

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // The glyph (empty for none); change it through SetGlyph.
    TBitmap* Glyph() const { return glyph_.get(); }
    // Copies Value; nullptr or an empty bitmap: no glyph.
    void SetGlyph(TBitmap* Value);

    void WndProc(TMessage& Message) override;

protected:
    void ApplyImage() override;
    std::wstring ClassName() const override { return L"TBitBtn"; }

private:
    std::unique_ptr<TBitmap> glyph_;
    // The list the window shows; it outlives the window's use of it.
    std::unique_ptr<TImageList> shown_;
};

}  // namespace fw
