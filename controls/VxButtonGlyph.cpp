#include "controls/VxButtonGlyph.h"

#include <algorithm>
#include <memory>

#include "controls/VxDrawing.h"
#include "framework/Handles.h"

namespace vx {

namespace {

std::unique_ptr<TGlyphCache> cache;

// Dest and not-source-masked pattern: where the monochrome source is black the
// brush is painted, where it is white the destination stays.
constexpr DWORD ROP_DSPDxax = 0x00E20746;

using Bitmap = fw::GdiObject<HBITMAP>;

// A memory context with a bitmap selected; the selection is undone before the context goes.
class MemoryDC {
public:
    explicit MemoryDC(HBITMAP Bitmap) : dc_(CreateCompatibleDC(nullptr)), select_(dc_.get(), Bitmap) {}
    HDC get() const { return dc_.get(); }

private:
    fw::DCHandle dc_;
    fw::SelectObjectGuard select_;
};

// A monochrome bitmap of the source pixels: white where the pixel has Color, black elsewhere.
Bitmap MonoOfColor(HDC Source, int Width, int Height, COLORREF Color) {
    Bitmap mono(CreateBitmap(Width, Height, 1, 1, nullptr));
    MemoryDC m(mono.get());
    const COLORREF oldBk = SetBkColor(Source, Color);
    BitBlt(m.get(), 0, 0, Width, Height, Source, 0, 0, SRCCOPY);
    SetBkColor(Source, oldBk);
    return mono;
}

// Paints Brush into Dest wherever Mask is black.
void PaintThroughMask(HDC Dest, int X, int Y, int Width, int Height, HBITMAP Mask, fw::TColor Brush) {
    MemoryDC m(Mask);
    const fw::GdiObject<HBRUSH> brush(CreateSolidBrush(fw::ColorToRGB(Brush)));
    const fw::SelectObjectGuard select(Dest, brush.get());
    const COLORREF oldText = SetTextColor(Dest, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(Dest, RGB(255, 255, 255));
    BitBltCanvas(Dest, X, Y, Width, Height, m.get(), 0, 0, ROP_DSPDxax);
    SetTextColor(Dest, oldText);
    SetBkColor(Dest, oldBk);
}

// The disabled image of a glyph that has one of its own (Source): white turns
// highlight, grey shadow, the see-through colour button face.
void PaintDisabledImage(HDC Dest, HDC Source, int Width, int Height, fw::TColor Transparent) {
    BitBltCanvas(Dest, 0, 0, Width, Height, Source, 0, 0, SRCCOPY);
    const fw::TColor colours[3] = {fw::clWhite, fw::clGray, Transparent};
    const fw::TColor brushes[3] = {fw::clBtnHighlight, fw::clBtnShadow, fw::clBtnFace};
    for (int i = 0; i < 3; ++i) {
        Bitmap matching = MonoOfColor(Source, Width, Height, fw::ColorToRGB(colours[i]));
        {
            // Black where the pixel has the colour, so the brush lands there.
            MemoryDC m(matching.get());
            BitBlt(m.get(), 0, 0, Width, Height, nullptr, 0, 0, DSTINVERT);
        }
        PaintThroughMask(Dest, 0, 0, Width, Height, matching.get(), brushes[i]);
    }
}

// An embossed grey image of Source on Work (filled with its brush first): every
// pixel that is white or has the top-left colour is background, every other one ink.
void PaintEmbossedImage(fw::TCanvas* Work, HDC Source, int Width, int Height) {
    const COLORREF topLeft = GetPixel(Source, 0, 0);
    Bitmap mask = MonoOfColor(Source, Width, Height, topLeft);
    {
        Bitmap white = MonoOfColor(Source, Width, Height, RGB(255, 255, 255));
        MemoryDC m(mask.get()), wm(white.get());
        BitBlt(m.get(), 0, 0, Width, Height, wm.get(), 0, 0, SRCPAINT);
    }
    RECT all{0, 0, Width, Height};
    Work->FillRect(all);
    PaintThroughMask(Work->Handle(), 1, 1, Width, Height, mask.get(), fw::clBtnHighlight);
    PaintThroughMask(Work->Handle(), 0, 0, Width, Height, mask.get(), fw::clBtnShadow);
}

}  // namespace

// ---------------------------------------------------------------------------
// TGlyphList

TGlyphList::TGlyphList(int AWidth, int AHeight) : fw::TImageList(nullptr, AWidth, AHeight) {}

int TGlyphList::AllocateIndex() {
    auto free = std::find(used_.begin(), used_.end(), false);
    int index;
    if (free != used_.end()) {
        index = int(free - used_.begin());
    } else {
        fw::TBitmap blank(Width(), Height());
        index = fw::TImageList::Add(&blank, nullptr);
        if (index < 0) return -1;
        used_.resize(size_t(index) + 1, false);
    }
    used_[size_t(index)] = true;
    return index;
}

int TGlyphList::AddMasked(fw::TBitmap* Image, fw::TColor MaskColor) {
    const int index = AllocateIndex();
    if (index < 0) return -1;
    ReplaceMasked(index, Image, MaskColor);
    ++count_;
    return index;
}

void TGlyphList::Delete(int Index) {
    if (Index < 0 || size_t(Index) >= used_.size() || !used_[size_t(Index)]) return;
    used_[size_t(Index)] = false;
    --count_;
}

// ---------------------------------------------------------------------------
// TGlyphCache

TGlyphList* TGlyphCache::GetList(int AWidth, int AHeight) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
        if ((*it)->Width() == AWidth && (*it)->Height() == AHeight) return it->get();
    lists_.push_back(std::make_unique<TGlyphList>(AWidth, AHeight));
    return lists_.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
    if (!List || List->UsedCount() != 0) return;
    auto it = std::find_if(lists_.begin(), lists_.end(), [List](const auto& list) { return list.get() == List; });
    if (it != lists_.end()) lists_.erase(it);
}

TGlyphCache* GlyphCache() {
    return cache.get();
}

// ---------------------------------------------------------------------------
// TButtonGlyph

TButtonGlyph::TButtonGlyph() : original_(std::make_unique<fw::TBitmap>()) {
    original_->OnChange = [this](fw::TObject*) { GlyphChanged(); };
    if (!cache) cache = std::make_unique<TGlyphCache>();
}

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
    original_->OnChange = nullptr;
    if (cache && cache->Empty()) cache.reset();
}

void TButtonGlyph::Invalidate() {
    for (int& index : indexes_) {
        if (index != -1 && glyphList_) glyphList_->Delete(index);
        index = -1;
    }
    if (cache) cache->ReturnList(glyphList_);
    glyphList_ = nullptr;
}

void TButtonGlyph::GlyphChanged() {
    if (changing_) return;
    transparentColor_ = original_->TransparentColor();
    Invalidate();
    if (OnChange) OnChange(this);
}

void TButtonGlyph::SetGlyph(fw::TBitmap* Value) {
    Invalidate();
    original_->Assign(Value);
    if (Value && Value->Height() > 0) {
        transparentColor_ = Value->TransparentColor();
        if (Value->Width() % Value->Height() == 0) {
            int glyphs = Value->Width() / Value->Height();
            if (glyphs > 4) glyphs = 1;
            SetNumGlyphs(glyphs);
        }
    }
}

void TButtonGlyph::SetNumGlyphs(TNumGlyphs Value) {
    if (Value <= 0 || Value == numGlyphs_) return;
    Invalidate();
    numGlyphs_ = Value;
    GlyphChanged();
}

int TButtonGlyph::CreateButtonGlyph(TButtonState State) {
    if (State == bsDown && numGlyphs_ < 3) State = bsUp;
    if (indexes_[State] != -1) return indexes_[State];
    if (original_->Width() == 0 || original_->Height() == 0) return -1;
    const int w = original_->Width() / numGlyphs_, h = original_->Height();
    if (w <= 0) return -1;
    if (!cache) cache = std::make_unique<TGlyphCache>();
    if (!glyphList_) glyphList_ = cache->GetList(w, h);

    // Reading and drawing on the source's canvas must not count as a change of the glyph.
    changing_ = true;
    fw::TBitmap work(w, h);
    work.Canvas()->Brush()->SetColor(fw::clBtnFace);
    const int image = int(State) >= numGlyphs_ ? 0 : int(State);
    HDC source = original_->Canvas()->Handle();
    int index = -1;
    switch (State) {
    case bsUp:
    case bsDown:
    case bsExclusive:
        BitBltCanvas(work.Canvas()->Handle(), 0, 0, w, h, source, image * w, 0, SRCCOPY);
        index = glyphList_->AddMasked(&work,
                                      original_->TransparentMode() == fw::tmFixed ? transparentColor_ : fw::clDefault);
        break;
    case bsDisabled: {
        fw::TBitmap part(w, h);
        HDC partDC = part.Canvas()->Handle();
        BitBltCanvas(partDC, 0, 0, w, h, source, image * w, 0, SRCCOPY);
        if (numGlyphs_ > 1) PaintDisabledImage(work.Canvas()->Handle(), partDC, w, h, transparentColor_);
        else PaintEmbossedImage(work.Canvas(), partDC, w, h);
        index = glyphList_->AddMasked(&work, fw::clDefault);
        break;
    }
    }
    original_->Dormant();
    changing_ = false;
    indexes_[State] = index;
    return index;
}

void TButtonGlyph::CalcLayout(fw::TCanvas* Canvas, const RECT& Client, POINT Offset, const std::wstring& Caption,
                              TButtonLayout Layout, int Margin, int Spacing, fw::TVerticalAlignment VerticalAlignment,
                              fw::TAlignment Alignment, POINT& GlyphPos, RECT& TextBounds) {
    const POINT client{Client.right - Client.left, Client.bottom - Client.top};
    POINT glyph{0, 0};
    if (!original_->Empty()) glyph = POINT{original_->Width() / numGlyphs_, original_->Height()};
    POINT text{0, 0};
    if (!Caption.empty()) {
        RECT measure{0, 0, client.x, 0};
        DrawTextNoModify(Canvas, Caption, -1, DT_CALCRECT, measure);
        text = POINT{measure.right - measure.left, measure.bottom - measure.top};
    }
    if (text.x == 0 || glyph.x == 0) Spacing = 0;
    if (Spacing == -1) Spacing = 0;
    if (Margin == -1) Margin = 0;
    const POINT avail{client.x - Margin, client.y - Margin};
    POINT textOff{0, 0};
    GlyphPos = POINT{0, 0};
    switch (Layout) {
    case blGlyphLeft:
        textOff.x = glyph.x + Spacing;
        GlyphPos.x = -(glyph.x + Spacing);
        GlyphPos.y = (text.y - glyph.y) / 2;
        break;
    case blGlyphRight:
        textOff.x = -(glyph.x + Spacing);
        GlyphPos.x = text.x + Spacing;
        GlyphPos.y = (text.y - glyph.y) / 2;
        break;
    case blGlyphTop:
        textOff.y = glyph.y + Spacing;
        GlyphPos.y = -(glyph.y + Spacing);
        GlyphPos.x = (text.x - glyph.x) / 2;
        break;
    case blGlyphBottom:
        textOff.y = -(glyph.y + Spacing);
        GlyphPos.y = text.y + Spacing;
        GlyphPos.x = (text.x - glyph.x) / 2;
        break;
    }
    switch (Alignment) {
    case fw::taLeftJustify:
        if (textOff.x < 0) textOff.x = 0;
        textOff.x += Margin;
        break;
    case fw::taRightJustify:
        if (textOff.x > 0) textOff.x = 0;
        textOff.x += avail.x - text.x;
        break;
    case fw::taCenter: textOff.x = (textOff.x + avail.x - text.x) / 2; break;
    }
    switch (VerticalAlignment) {
    case fw::taAlignTop:
        if (textOff.y < 0) textOff.y = 0;
        textOff.y += Margin;
        break;
    case fw::taAlignBottom:
        if (textOff.y > 0) textOff.y = 0;
        textOff.y += avail.y - text.y;
        break;
    case fw::taVerticalCenter: textOff.y = (textOff.y + avail.y - text.y) / 2; break;
    }
    GlyphPos.x += textOff.x;
    GlyphPos.y += textOff.y;
    GlyphPos.x = std::max(0, std::min<int>(GlyphPos.x, avail.x - glyph.x));
    GlyphPos.y = std::max(0, std::min<int>(GlyphPos.y, avail.y - glyph.y));
    GlyphPos.x += Client.left + Offset.x;
    GlyphPos.y += Client.top + Offset.y;
    TextBounds = RECT{0, 0, text.x, text.y};
    OffsetRect(&TextBounds, Client.left + textOff.x + Offset.x, Client.top + textOff.y + Offset.y);
}

void TButtonGlyph::DrawButtonGlyph(fw::TCanvas* Canvas, POINT GlyphPos, TButtonState State, bool Transparent) {
    if (original_->Empty()) return;
    const int index = CreateButtonGlyph(State);
    if (index < 0 || !glyphList_) return;
    HIMAGELIST list = glyphList_->Handle();
    HDC dc = Canvas->Handle();
    if (Transparent || State == bsExclusive)
        ImageList_DrawEx(list, index, dc, GlyphPos.x, GlyphPos.y, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    else
        ImageList_DrawEx(list, index, dc, GlyphPos.x, GlyphPos.y, 0, 0, fw::ColorToRGB(fw::clBtnFace), CLR_NONE,
                         ILD_NORMAL);
}

void TButtonGlyph::DrawButtonText(fw::TCanvas* Canvas, const std::wstring& Caption, RECT TextBounds, TButtonState State,
                                  fw::TVerticalAlignment VerticalAlignment, fw::TAlignment Alignment) {
    if (Caption.empty()) return;
    Canvas->Brush()->SetStyle(fw::bsClear);
    UINT flags = DT_SINGLELINE;
    switch (Alignment) {
    case fw::taLeftJustify: flags |= DT_LEFT; break;
    case fw::taRightJustify: flags |= DT_RIGHT; break;
    case fw::taCenter: flags |= DT_CENTER; break;
    }
    switch (VerticalAlignment) {
    case fw::taAlignTop: flags |= DT_TOP; break;
    case fw::taAlignBottom: flags |= DT_BOTTOM; break;
    case fw::taVerticalCenter: flags |= DT_VCENTER; break;
    }
    if (State == bsDisabled) {
        const fw::TColor color = Canvas->Font()->Color();
        OffsetRect(&TextBounds, 1, 1);
        Canvas->Font()->SetColor(fw::clBtnHighlight);
        DrawTextNoModify(Canvas, Caption, -1, flags, TextBounds);
        OffsetRect(&TextBounds, -1, -1);
        Canvas->Font()->SetColor(fw::clBtnShadow);
        DrawTextNoModify(Canvas, Caption, -1, flags, TextBounds);
        Canvas->Font()->SetColor(color);
    } else {
        DrawTextNoModify(Canvas, Caption, -1, flags, TextBounds);
    }
}

RECT TButtonGlyph::Draw(fw::TCanvas* Canvas, const RECT& Client, POINT Offset, fw::TVerticalAlignment VerticalAlignment,
                        fw::TAlignment Alignment, bool Transparent, TButtonState State, int Spacing, int Margin,
                        TButtonLayout Layout, const std::wstring& Caption) {
    POINT glyphPos{};
    RECT textBounds{};
    CalcLayout(Canvas, Client, Offset, Caption, Layout, Margin, Spacing, VerticalAlignment, Alignment, glyphPos,
               textBounds);
    DrawButtonGlyph(Canvas, glyphPos, State, Transparent);
    DrawButtonText(Canvas, Caption, textBounds, State, VerticalAlignment, Alignment);
    return textBounds;
}

}  // namespace vx
