#pragma once
// What an item shows, as extensions attached to the item (text, a text per
// context, a text that can be locked, an image description) or to its list
// (image lists, drawing of the items). Every change is reported to the
// provider with Changing before and Changed after; a setter that changes
// nothing reports nothing. Extensions are made with New<T>(Owner) and
// belong to the item or list they attach to.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/VxDataItems.h"

namespace vx {

class TVxBaseDataItemTextImpl : public TVxDataItemAggregatedObject, public IVxDataItemText {
    VX_CLASS(TVxBaseDataItemTextImpl)
    VX_IUNKNOWN
public:
    using TVxDataItemAggregatedObject::TVxDataItemAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
};

class TVxDataItemTextImpl : public TVxBaseDataItemTextImpl {
    VX_CLASS(TVxDataItemTextImpl)
public:
    using TVxBaseDataItemTextImpl::TVxBaseDataItemTextImpl;
    std::wstring STDMETHODCALLTYPE GetText() override { return text_; }
    void STDMETHODCALLTYPE SetText(const std::wstring& Value) override;
    bool STDMETHODCALLTYPE IsEditable() override { return true; }
    // "Text" (the default text), always.
    void DefineProperties(fw::TFiler& Filer) override;

protected:
    const std::wstring& DefaultText() const { return text_; }
    void SetDefaultText(const std::wstring& Value);

private:
    std::wstring text_;
};

// A text per context; a context without its own text shows its ancestors' or
// the default. Entries of a context go with the context (ContextDestroying).
class TVxDataItemContextTextImpl : public TVxDataItemTextImpl, public IVxDataContextSensitive {
    VX_CLASS(TVxDataItemContextTextImpl)
    VX_IUNKNOWN
public:
    explicit TVxDataItemContextTextImpl(TExtensibleInterfacedPersistent* Owner);
    ~TVxDataItemContextTextImpl() override;
    // Drops Context's entries from every context text there is, wherever its item
    // hangs (in the provider's tree, in a list of its own, or in none): no entry
    // outlives its context.
    static void ForgetContext(IVxDataContext* Context);
    std::wstring STDMETHODCALLTYPE GetText() override;
    void STDMETHODCALLTYPE SetText(const std::wstring& Value) override;
    void STDMETHODCALLTYPE RevertToDefault() override;
    bool STDMETHODCALLTYPE IsEqualToDefault() override;
    bool GetInterface(REFIID Iid, void** Obj) override;
    void ContextDestroying(IVxDataContext* Context) override;
    int EntryCount() const { return int(entries_.size()); }

private:
    Ptr<IVxDataContext> CurrentContext();
    int IndexOfContext(IVxDataContext* Context) const;

    // The context is only compared, never called: it leaves through ContextDestroying.
    std::vector<std::pair<IVxDataContext*, std::wstring>> entries_;
};

class TVxDataItemBlockableTextImpl : public TVxDataItemTextImpl {
    VX_CLASS(TVxDataItemBlockableTextImpl)
public:
    using TVxDataItemTextImpl::TVxDataItemTextImpl;
    bool STDMETHODCALLTYPE IsEditable() override { return !readOnly_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // "Text", and "ReadOnly" when set.
    void DefineProperties(fw::TFiler& Filer) override;

private:
    bool readOnly_ = false;
};

class TVxBaseDataItemImageImpl : public TVxDataItemAggregatedObject, public IVxDataItemImage {
    VX_CLASS(TVxBaseDataItemImageImpl)
    VX_IUNKNOWN
public:
    using TVxDataItemAggregatedObject::TVxDataItemAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
};

class TVxDataItemImageImpl : public TVxBaseDataItemImageImpl {
    VX_CLASS(TVxDataItemImageImpl)
public:
    using TVxBaseDataItemImageImpl::TVxBaseDataItemImageImpl;
    fw::TAlignment STDMETHODCALLTYPE GetAlignment() override { return alignment_; }
    void STDMETHODCALLTYPE SetAlignment(fw::TAlignment Value) override;
    int STDMETHODCALLTYPE GetImageIndex() override { return imageIndex_; }
    void STDMETHODCALLTYPE SetImageIndex(int Value) override;
    int STDMETHODCALLTYPE GetSelectedIndex() override { return selectedIndex_; }
    void STDMETHODCALLTYPE SetSelectedIndex(int Value) override;
    // "Alignment", "ImageIndex" and "SelectedIndex", when not their defaults.
    void DefineProperties(fw::TFiler& Filer) override;

private:
    template <class T>
    void Store(T& Field, T Value);

    fw::TAlignment alignment_ = fw::taLeftJustify;
    int imageIndex_ = 0;
    int selectedIndex_ = 0;
};

class TVxBaseDataItemsImagesImpl : public TVxDataItemsAggregatedObject, public IVxDataItemsImages {
    VX_CLASS(TVxBaseDataItemsImagesImpl)
    VX_IUNKNOWN
public:
    using TVxDataItemsAggregatedObject::TVxDataItemsAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
};

// Image lists for the whole list. They belong to a form, not to the list: they
// are streamed by name (resolved against the form being read) and an image list
// that goes is dropped, as a setter would drop it.
class TVxCustomDataItemsImages : public TVxBaseDataItemsImagesImpl {
    VX_CLASS(TVxCustomDataItemsImages)
public:
    explicit TVxCustomDataItemsImages(TExtensibleInterfacedPersistent* Owner);
    ~TVxCustomDataItemsImages() override;
    fw::TCustomImageList* STDMETHODCALLTYPE GetDisabledImages() override { return disabled_; }
    void STDMETHODCALLTYPE SetDisabledImages(fw::TCustomImageList* Value) override { Store(disabled_, Value); }
    fw::TCustomImageList* STDMETHODCALLTYPE GetHotImages() override { return hot_; }
    void STDMETHODCALLTYPE SetHotImages(fw::TCustomImageList* Value) override { Store(hot_, Value); }
    fw::TCustomImageList* STDMETHODCALLTYPE GetImages() override { return images_; }
    void STDMETHODCALLTYPE SetImages(fw::TCustomImageList* Value) override { Store(images_, Value); }
    // "DisabledImages", "HotImages" and "Images", each when set.
    void DefineProperties(fw::TFiler& Filer) override;

private:
    class TWatch;
    void Store(fw::TCustomImageList*& Field, fw::TCustomImageList* Value);
    void ImageListGone(fw::TComponent* List);

    std::unique_ptr<TWatch> watch_;  // hears the image lists' end

    fw::TCustomImageList* disabled_ = nullptr;
    fw::TCustomImageList* hot_ = nullptr;
    fw::TCustomImageList* images_ = nullptr;
};

class TVxBaseDataItemsRenderer : public TVxDataItemsAggregatedObject, public IVxDataItemsRenderer {
    VX_CLASS(TVxBaseDataItemsRenderer)
    VX_IUNKNOWN
public:
    using TVxDataItemsAggregatedObject::TVxDataItemsAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
    // EVXLDataItems "List index out of bounds (%d)" outside the list.
    void STDMETHODCALLTYPE DrawItemByIndex(fw::TCanvas* Canvas, const RECT& Rect, int Index,
                                           fw::TOwnerDrawState State) override;
    // Index -1: AvgItemSize.
    SIZE STDMETHODCALLTYPE MeasureItemByIndex(fw::TCanvas* Canvas, int Index) override;
    void STDMETHODCALLTYPE DrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item,
                                    fw::TOwnerDrawState State) override;
    SIZE STDMETHODCALLTYPE MeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) override;

protected:
    virtual void DoDrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item, fw::TOwnerDrawState State) = 0;
    virtual SIZE DoMeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) = 0;
};

class TVxCustomDataItemsTextRenderer : public TVxBaseDataItemsRenderer {
    VX_CLASS(TVxCustomDataItemsTextRenderer)
public:
    using TVxBaseDataItemsRenderer::TVxBaseDataItemsRenderer;
    SIZE STDMETHODCALLTYPE AvgItemSize(fw::TCanvas* Canvas) override;

protected:
    void DoDrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item, fw::TOwnerDrawState State) override;
    SIZE DoMeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) override;
};

// A short-lived helper that draws or measures one item.
class TVxDP_ProviderBaseRender : public fw::TObject {
public:
    TVxDP_ProviderBaseRender(IVxDataItem* Item, fw::TCanvas* Canvas, fw::TOwnerDrawState State)
        : item_(Item), canvas_(Canvas), state_(State) {}
    virtual void Prepare() {}
    virtual void Draw() = 0;
    virtual SIZE Measure() = 0;
    RECT Rect{};

protected:
    Ptr<IVxDataItem> item_;
    fw::TCanvas* canvas_;
    fw::TOwnerDrawState state_;
};

class TVxDP_ProviderTextOnlyRender : public TVxDP_ProviderBaseRender {
public:
    using TVxDP_ProviderBaseRender::TVxDP_ProviderBaseRender;
    void Prepare() override;
    void Draw() override;
    SIZE Measure() override;
    bool NoText() const { return noText_; }
    const std::wstring& Text() const { return text_; }

private:
    bool noText_ = false;
    std::wstring text_;
};

// The renderer of the first list that has one, from Item's list upward; none when none has.
Ptr<IVxDataItemsRenderer> FindItemsRenderer(IVxDataItem* Item);
// The item's text, or the text that says it has none.
std::wstring ItemText(IVxDataItem* Item);

}  // namespace vx
