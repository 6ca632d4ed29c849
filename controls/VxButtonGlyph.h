#pragma once
// The glyph of a button: TGlyphList (an image list that recycles its slots),
// TGlyphCache (the lists shared by every glyph of the process, one per image
// size) and TButtonGlyph (one button's bitmap with up to four state images, its
// layout with the caption, and its drawing).
// A TButtonGlyph is a plain object owned by its button; it owns its bitmap and
// takes its image list from the shared cache, giving it back when its images go.
// The cache is made by the first glyph and freed when a glyph goes and the cache
// holds no list. Main thread only, without locking.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/ImageList.h"

namespace vx {

enum TButtonState {
    bsUp,
    bsDisabled,
    bsDown,
    bsExclusive
};
enum TButtonLayout {
    blGlyphLeft,
    blGlyphRight,
    blGlyphTop,
    blGlyphBottom
};
using TNumGlyphs = int;  // 1 .. 4

class TGlyphList : public fw::TImageList {
public:
    TGlyphList(int AWidth, int AHeight);

    // Takes a free slot (appending an empty image when none is free), puts the
    // image there with a mask of MaskColor, and counts it.
    int AddMasked(fw::TBitmap* Image, fw::TColor MaskColor);
    // Frees the slot; its image stays for reuse.
    void Delete(int Index);
    // The number of slots in use.
    int UsedCount() const { return count_; }

private:
    int AllocateIndex();

    std::vector<bool> used_;
    int count_ = 0;
};

class TGlyphCache : public fw::TObject {
public:
    // The list for that image size, made when there is none.
    TGlyphList* GetList(int AWidth, int AHeight);
    // Frees the list when no slot of it is in use any more.
    void ReturnList(TGlyphList* List);
    bool Empty() const { return lists_.empty(); }
    int ListCount() const { return int(lists_.size()); }

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The cache of the process, or nullptr when there is none.
TGlyphCache* GlyphCache();

class TButtonGlyph : public fw::TObject {
public:
    TButtonGlyph();
    ~TButtonGlyph() override;

    fw::TBitmap* Glyph() const { return original_.get(); }
    // Takes a copy of Value; a bitmap whose width is a multiple of its height
    // (at most four times) sets NumGlyphs to that multiple, wider ones to 1.
    void SetGlyph(fw::TBitmap* Value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    // Ignores 0 and an unchanged value.
    void SetNumGlyphs(TNumGlyphs Value);
    fw::TColor TransparentColor() const { return transparentColor_; }

    // The image index for a state, built on first use; -1 for an empty bitmap.
    int CreateButtonGlyph(TButtonState State);
    // Drops every built image and gives the list back to the cache.
    void Invalidate();

    // Lays out glyph and caption in Client, draws both and returns the caption's rectangle.
    RECT Draw(fw::TCanvas* Canvas, const RECT& Client, POINT Offset, fw::TVerticalAlignment VerticalAlignment,
              fw::TAlignment Alignment, bool Transparent, TButtonState State, int Spacing, int Margin,
              TButtonLayout Layout, const std::wstring& Caption);

    fw::TNotifyEvent OnChange;

private:
    void GlyphChanged();
    void CalcLayout(fw::TCanvas* Canvas, const RECT& Client, POINT Offset, const std::wstring& Caption,
                    TButtonLayout Layout, int Margin, int Spacing, fw::TVerticalAlignment VerticalAlignment,
                    fw::TAlignment Alignment, POINT& GlyphPos, RECT& TextBounds);
    void DrawButtonGlyph(fw::TCanvas* Canvas, POINT GlyphPos, TButtonState State, bool Transparent);
    void DrawButtonText(fw::TCanvas* Canvas, const std::wstring& Caption, RECT TextBounds, TButtonState State,
                        fw::TVerticalAlignment VerticalAlignment, fw::TAlignment Alignment);

    std::unique_ptr<fw::TBitmap> original_;
    TGlyphList* glyphList_ = nullptr;
    int indexes_[4] = {-1, -1, -1, -1};
    fw::TColor transparentColor_ = fw::clOlive;
    TNumGlyphs numGlyphs_ = 1;
    bool changing_ = false;
};

}  // namespace vx
