#pragma once
// The font combo box: an owner-drawn drop-down list of the installed font faces
// of the screen, the default printer or both, each with a glyph for its kind
// (TrueType, device, other), optionally drawn in its own face or with a sample
// text, filtered by character set, pitch and kind, and optionally topped by a
// block of most-recently-used faces. Choosing a face changes the selection and
// the text, never the control's own Font.
// Created and owned like any control; it owns its three glyph bitmaps.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/VxComboBox.h"
#include "framework/Bitmap.h"
#include "framework/FontEnum.h"

namespace vx {

enum TVxFontComboOption {
    foAnsiOnly,
    foTrueTypeOnly,
    foFixedPitchOnly,
    foNoOEMFonts,
    foOEMFontsOnly,
    foScalableOnly,
    foWysiWyg,
    foDisableVerify,
    foPreviewFont,
    foMRU
};
using TVxFontComboOptions = uint16_t;  // a set of TVxFontComboOption bits
constexpr TVxFontComboOptions FontOption(TVxFontComboOption Option) {
    return TVxFontComboOptions(1u << Option);
}

using TVxDrawPreviewEvent = std::function<void(fw::TObject* Sender, const std::wstring& AFontName,
                                               std::wstring& APreviewText, int ATextWidth, bool& DrawPreview)>;

class TVxFontComboBox : public TVxCustomComboBox {
public:
    explicit TVxFontComboBox(fw::TComponent* AOwner);
    ~TVxFontComboBox() override;

    // The width of the open list (CB_GETDROPPEDWIDTH / CB_SETDROPPEDWIDTH).
    int DroppedDownWidth();
    void SetDroppedDownWidth(int Value);
    // The most entries of the recently-used block; 0 keeps the block empty.
    int MaxMRUCount() const { return maxMRUCount_; }
    void SetMaxMRUCount(int Value);
    int MRUCount() const { return mruCount_; }
    // The chosen face (the text). Setting selects the face, or its registered
    // substitute, or (with foDisableVerify) adds it as a TrueType face.
    std::wstring FontName();
    void SetFontName(const std::wstring& Value);
    fw::TFontDialogDevice Device() const { return device_; }
    void SetDevice(fw::TFontDialogDevice Value);
    fw::TColor HiliteColor() const { return hiliteColor_; }
    void SetHiliteColor(fw::TColor Value) { hiliteColor_ = Value; }
    fw::TColor HiliteText() const { return hiliteText_; }
    void SetHiliteText(fw::TColor Value) { hiliteText_ = Value; }
    TVxFontComboOptions Options() const { return options_; }
    void SetOptions(TVxFontComboOptions Value);
    bool UseImages() const { return useImages_; }
    void SetUseImages(bool Value);
    // Never sorted while the recently-used block is kept.
    void SetSorted(bool Value);
    const std::wstring& SampleText() const { return sampleText_; }
    void SetSampleText(const std::wstring& Value);
    TVxDrawPreviewEvent OnDrawPreviewEvent;

    // The font kind bits (TRUETYPE_FONTTYPE ...) of item Index.
    DWORD FontType(int Index);
    fw::TBitmap* TrueTypeGlyph() const { return ttfGlyph_.get(); }
    fw::TBitmap* FixedGlyph() const { return fixGlyph_.get(); }
    fw::TBitmap* DeviceGlyph() const { return prnGlyph_.get(); }
    // The glyph drawn for a font kind.
    fw::TBitmap* GlyphFor(DWORD FontType) const;
    // The registered substitute of a face name, or the name itself.
    static std::wstring FontSubstitute(const std::wstring& Name);
    // Whether a face passes the Options' filters.
    bool PassesFilter(const fw::TFontFace& Face) const;

    // Refills the list from the chosen device.
    virtual void GetFonts();
    void SetParent(fw::TWinControl* AParent) override;
    // The published settings, each written only when it differs from its default.
    void DefineProperties(fw::TFiler& Filer) override;
    void WndProc(fw::TMessage& Message) override;

protected:
    virtual bool DoDrawPreview(const std::wstring& FontName, std::wstring& Text, int Width);
    void Loaded() override;
    void FontChanged() override;
    void KeyDown(WORD& Key, fw::TShiftState Shift) override;
    void Click() override;
    void CloseUp() override;
    std::wstring ClassName() const override { return L"TVxFontComboBox"; }

private:
    void ResetItemHeight();
    void Reset();
    void SetMRUMode(bool Value);
    // Enters the current face into the recently-used block; the index to select.
    int MRUOperation();
    void HandleDrawItem(fw::TMessage& Message);
    void DrawFontItem(int Index, RECT Rect, fw::TOwnerDrawState State);
    void DrawMRUSeparator(int Index, RECT Rect, fw::TOwnerDrawState State);

    std::unique_ptr<fw::TBitmap> ttfGlyph_;
    std::unique_ptr<fw::TBitmap> fixGlyph_;
    std::unique_ptr<fw::TBitmap> prnGlyph_;
    fw::TFontDialogDevice device_ = fw::fdScreen;
    fw::TColor hiliteColor_ = fw::clHighlight;
    fw::TColor hiliteText_ = fw::clHighlightText;
    bool useImages_ = true;
    TVxFontComboOptions options_ = 0;
    int mruCount_ = 0;
    bool mouseFlag_ = false;
    bool mruOn_ = false;
    int maxMRUCount_ = 0;
    std::wstring sampleText_ = L"AbCdEfGhIj";
    // A face read from a stream, chosen once the control is loaded.
    std::wstring loadedFontName_;
};

}  // namespace vx
