#include "controls/VxDataItemFeatures.h"

#include <algorithm>

#include "framework/SysUtils.h"

namespace vx {

// --- texts -----------------------------------------------------------------------------

const TVxClass TVxBaseDataItemTextImpl::Class{L"TVxBaseDataItemTextImpl", &TVxDataItemAggregatedObject::Class, nullptr,
                                              nullptr, nullptr};
const TVxClass TVxDataItemTextImpl::Class{L"TVxDataItemTextImpl", &TVxBaseDataItemTextImpl::Class,
                                          NewExtensionOf<TVxDataItemTextImpl>, nullptr, nullptr};
const TVxClass TVxDataItemContextTextImpl::Class{L"TVxDataItemContextTextImpl", &TVxDataItemTextImpl::Class,
                                                 NewExtensionOf<TVxDataItemContextTextImpl>, nullptr, nullptr};
const TVxClass TVxDataItemBlockableTextImpl::Class{L"TVxDataItemBlockableTextImpl", &TVxDataItemTextImpl::Class,
                                                   NewExtensionOf<TVxDataItemBlockableTextImpl>, nullptr, nullptr};

bool TVxBaseDataItemTextImpl::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemText>(this, Iid, Obj) || TVxDataItemAggregatedObject::GetInterface(Iid, Obj);
}

void TVxDataItemTextImpl::SetDefaultText(const std::wstring& Value) {
    if (Value == text_) return;
    ItemChanging();
    text_ = Value;
    ItemChanged();
}

void TVxDataItemTextImpl::SetText(const std::wstring& Value) {
    if (Value == GetText()) return;
    ItemChanging();
    text_ = Value;
    ItemChanged();
}

void TVxDataItemTextImpl::DefineProperties(fw::TFiler& Filer) {
    TVxBaseDataItemTextImpl::DefineProperties(Filer);
    fw::DefineString(Filer, L"Text", text_, [this](const std::wstring& Value) { text_ = Value; });
}

namespace {

// Every context text of the process, so a context's end reaches them all.
std::vector<TVxDataItemContextTextImpl*>& ContextTexts() {
    static std::vector<TVxDataItemContextTextImpl*> texts;
    return texts;
}

}  // namespace

TVxDataItemContextTextImpl::TVxDataItemContextTextImpl(TExtensibleInterfacedPersistent* Owner)
    : TVxDataItemTextImpl(Owner) {
    ContextTexts().push_back(this);
}

TVxDataItemContextTextImpl::~TVxDataItemContextTextImpl() {
    std::erase(ContextTexts(), this);
}

void TVxDataItemContextTextImpl::ForgetContext(IVxDataContext* Context) {
    for (TVxDataItemContextTextImpl* text : ContextTexts()) text->ContextDestroying(Context);
}

Ptr<IVxDataContext> TVxDataItemContextTextImpl::CurrentContext() {
    Ptr<IVxDataProvider> provider = Provider();
    Ptr<IVxDataContext> context = provider ? provider->SelectedContext() : nullptr;
    // A context that left its list can no longer tell the items of its end: it gets no entries.
    if (context && !context->Contexts()) return nullptr;
    return context;
}

int TVxDataItemContextTextImpl::IndexOfContext(IVxDataContext* Context) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].first == Context) return int(i);
    return -1;
}

std::wstring TVxDataItemContextTextImpl::GetText() {
    Ptr<IVxDataContext> context = CurrentContext();
    while (context) {
        const int index = IndexOfContext(context.get());
        if (index >= 0) return entries_[size_t(index)].second;
        Ptr<IVxDataContexts> list = context->Contexts();
        context = list ? list->GetAncestor() : nullptr;
    }
    return DefaultText();
}

void TVxDataItemContextTextImpl::SetText(const std::wstring& Value) {
    Ptr<IVxDataContext> context = CurrentContext();
    if (!context) {
        SetDefaultText(Value);
        return;
    }
    if (Value == GetText()) return;
    ItemChanging();
    const int index = IndexOfContext(context.get());
    if (index >= 0) entries_[size_t(index)].second = Value;
    else entries_.emplace_back(context.get(), Value);
    ItemChanged();
}

void TVxDataItemContextTextImpl::RevertToDefault() {
    Ptr<IVxDataContext> context = CurrentContext();
    const int index = context ? IndexOfContext(context.get()) : -1;
    if (index < 0) return;
    ItemChanging();
    entries_.erase(entries_.begin() + index);
    ItemChanged();
}

bool TVxDataItemContextTextImpl::IsEqualToDefault() {
    Ptr<IVxDataContext> context = CurrentContext();
    return !context || IndexOfContext(context.get()) < 0;
}

void TVxDataItemContextTextImpl::ContextDestroying(IVxDataContext* Context) {
    const int index = IndexOfContext(Context);
    if (index >= 0) entries_.erase(entries_.begin() + index);
}

bool TVxDataItemContextTextImpl::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataContextSensitive>(this, Iid, Obj) || TVxDataItemTextImpl::GetInterface(Iid, Obj);
}

void TVxDataItemBlockableTextImpl::SetReadOnly(bool Value) {
    if (Value == readOnly_) return;
    ItemChanging();
    readOnly_ = Value;
    ItemChanged();
}

void TVxDataItemBlockableTextImpl::DefineProperties(fw::TFiler& Filer) {
    TVxDataItemTextImpl::DefineProperties(Filer);
    fw::DefineBoolean(
        Filer, L"ReadOnly", readOnly_, [this](bool Value) { readOnly_ = Value; }, readOnly_);
}

// --- images ----------------------------------------------------------------------------

const TVxClass TVxBaseDataItemImageImpl::Class{L"TVxBaseDataItemImageImpl", &TVxDataItemAggregatedObject::Class,
                                               nullptr, nullptr, nullptr};
const TVxClass TVxDataItemImageImpl::Class{L"TVxDataItemImageImpl", &TVxBaseDataItemImageImpl::Class,
                                           NewExtensionOf<TVxDataItemImageImpl>, nullptr, nullptr};

bool TVxBaseDataItemImageImpl::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemImage>(this, Iid, Obj) || TVxDataItemAggregatedObject::GetInterface(Iid, Obj);
}

template <class T>
void TVxDataItemImageImpl::Store(T& Field, T Value) {
    if (Field == Value) return;
    ItemChanging();
    Field = Value;
    ItemChanged();
}

void TVxDataItemImageImpl::SetAlignment(fw::TAlignment Value) {
    Store(alignment_, Value);
}
void TVxDataItemImageImpl::SetImageIndex(int Value) {
    Store(imageIndex_, Value);
}
void TVxDataItemImageImpl::SetSelectedIndex(int Value) {
    Store(selectedIndex_, Value);
}

void TVxDataItemImageImpl::DefineProperties(fw::TFiler& Filer) {
    TVxBaseDataItemImageImpl::DefineProperties(Filer);
    fw::DefineInteger(
        Filer, L"Alignment", int32_t(alignment_),
        [this](int32_t Value) {
            if (Value < fw::taLeftJustify || Value > fw::taCenter) throw fw::EReadError(L"Invalid property value");
            alignment_ = fw::TAlignment(Value);
        },
        alignment_ != fw::taLeftJustify);
    fw::DefineInteger(
        Filer, L"ImageIndex", imageIndex_, [this](int32_t Value) { imageIndex_ = Value; }, imageIndex_ != 0);
    fw::DefineInteger(
        Filer, L"SelectedIndex", selectedIndex_, [this](int32_t Value) { selectedIndex_ = Value; },
        selectedIndex_ != 0);
}

const TVxClass TVxBaseDataItemsImagesImpl::Class{L"TVxBaseDataItemsImagesImpl", &TVxDataItemsAggregatedObject::Class,
                                                 nullptr, nullptr, nullptr};
const TVxClass TVxCustomDataItemsImages::Class{L"TVxCustomDataItemsImages", &TVxBaseDataItemsImagesImpl::Class,
                                               NewExtensionOf<TVxCustomDataItemsImages>, nullptr, nullptr};

bool TVxBaseDataItemsImagesImpl::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemsImages>(this, Iid, Obj) || TVxDataItemsAggregatedObject::GetInterface(Iid, Obj);
}

// A component that asks to be told of the image lists' end, for the extension
// (which is no component itself).
class TVxCustomDataItemsImages::TWatch : public fw::TComponent {
public:
    explicit TWatch(TVxCustomDataItemsImages* Images) : fw::TComponent(nullptr), images_(Images) {}

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override {
        fw::TComponent::Notification(AComponent, Operation);
        if (Operation == fw::TOperation::opRemove) images_->ImageListGone(AComponent);
    }

private:
    TVxCustomDataItemsImages* images_;
};

TVxCustomDataItemsImages::TVxCustomDataItemsImages(TExtensibleInterfacedPersistent* Owner)
    : TVxBaseDataItemsImagesImpl(Owner), watch_(std::make_unique<TWatch>(this)) {}

TVxCustomDataItemsImages::~TVxCustomDataItemsImages() = default;

void TVxCustomDataItemsImages::Store(fw::TCustomImageList*& Field, fw::TCustomImageList* Value) {
    if (Field == Value) return;
    ListChanging();
    fw::TCustomImageList* old = Field;
    Field = Value;
    if (old && old != disabled_ && old != hot_ && old != images_) watch_->RemoveFreeNotification(old);
    if (Value) watch_->FreeNotification(Value);
    ListChanged();
}

void TVxCustomDataItemsImages::ImageListGone(fw::TComponent* List) {
    for (fw::TCustomImageList** field : {&disabled_, &hot_, &images_})
        if (*field && static_cast<fw::TComponent*>(*field) == List) Store(*field, nullptr);
}

void TVxCustomDataItemsImages::DefineProperties(fw::TFiler& Filer) {
    TVxBaseDataItemsImagesImpl::DefineProperties(Filer);
    auto images = [](fw::TComponent* Value) { return dynamic_cast<fw::TCustomImageList*>(Value); };
    fw::DefineComponentRef(Filer, L"DisabledImages", disabled_,
                           [=, this](fw::TComponent* Value) { SetDisabledImages(images(Value)); });
    fw::DefineComponentRef(Filer, L"HotImages", hot_,
                           [=, this](fw::TComponent* Value) { SetHotImages(images(Value)); });
    fw::DefineComponentRef(Filer, L"Images", images_, [=, this](fw::TComponent* Value) { SetImages(images(Value)); });
}

// --- rendering -------------------------------------------------------------------------

const TVxClass TVxBaseDataItemsRenderer::Class{L"TVxBaseDataItemsRenderer", &TVxDataItemsAggregatedObject::Class,
                                               nullptr, nullptr, nullptr};
const TVxClass TVxCustomDataItemsTextRenderer::Class{L"TVxCustomDataItemsTextRenderer",
                                                     &TVxBaseDataItemsRenderer::Class,
                                                     NewExtensionOf<TVxCustomDataItemsTextRenderer>, nullptr, nullptr};

bool TVxBaseDataItemsRenderer::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemsRenderer>(this, Iid, Obj) ||
           TVxDataItemsAggregatedObject::GetInterface(Iid, Obj);
}

void TVxBaseDataItemsRenderer::DrawItemByIndex(fw::TCanvas* Canvas, const RECT& Rect, int Index,
                                               fw::TOwnerDrawState State) {
    Ptr<IVxDataItems> items = Items();
    if (!items || Index < 0 || Index >= items->GetCount())
        throw EVXLDataItems(fw::Format(msg::ListIndexOutOfBounds, {Index}));
    DrawItem(Canvas, Rect, items->GetItem(Index).get(), State);
}

SIZE TVxBaseDataItemsRenderer::MeasureItemByIndex(fw::TCanvas* Canvas, int Index) {
    if (Index == -1) return AvgItemSize(Canvas);
    Ptr<IVxDataItems> items = Items();
    if (!items || Index < 0 || Index >= items->GetCount())
        throw EVXLDataItems(fw::Format(msg::ListIndexOutOfBounds, {Index}));
    return MeasureItem(Canvas, items->GetItem(Index).get());
}

void TVxBaseDataItemsRenderer::DrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item,
                                        fw::TOwnerDrawState State) {
    Ptr<IVxDataItemRenderer> renderer = Ptr<IVxDataItem>(Item).As<IVxDataItemRenderer>();
    if (renderer) renderer->Draw(Canvas, Rect, State);
    else DoDrawItem(Canvas, Rect, Item, State);
}

SIZE TVxBaseDataItemsRenderer::MeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) {
    Ptr<IVxDataItemRenderer> renderer = Ptr<IVxDataItem>(Item).As<IVxDataItemRenderer>();
    return renderer ? renderer->Measure(Canvas) : DoMeasureItem(Canvas, Item);
}

void TVxCustomDataItemsTextRenderer::DoDrawItem(fw::TCanvas* Canvas, const RECT& Rect, IVxDataItem* Item,
                                                fw::TOwnerDrawState State) {
    TVxDP_ProviderTextOnlyRender render(Item, Canvas, State);
    render.Rect = Rect;
    render.Prepare();
    render.Draw();
}

SIZE TVxCustomDataItemsTextRenderer::DoMeasureItem(fw::TCanvas* Canvas, IVxDataItem* Item) {
    TVxDP_ProviderTextOnlyRender render(Item, Canvas, 0);
    render.Prepare();
    return render.Measure();
}

SIZE TVxCustomDataItemsTextRenderer::AvgItemSize(fw::TCanvas* Canvas) {
    return Canvas->TextExtent(L"WyWyWyWyWyWyWyWyWyWy");
}

void TVxDP_ProviderTextOnlyRender::Prepare() {
    Ptr<IVxDataItemText> text = item_.As<IVxDataItemText>();
    noText_ = !text;
    text_ = text ? text->GetText() : std::wstring(msg::NoItemText);
}

void TVxDP_ProviderTextOnlyRender::Draw() {
    canvas_->TextRect(Rect, Rect.left, Rect.top, text_);
}

SIZE TVxDP_ProviderTextOnlyRender::Measure() {
    return canvas_->TextExtent(text_);
}

Ptr<IVxDataItemsRenderer> FindItemsRenderer(IVxDataItem* Item) {
    Ptr<IVxDataItem> item(Item);
    while (item) {
        Ptr<IVxDataItems> list = item->GetItems();
        if (!list) break;
        if (Ptr<IVxDataItemsRenderer> renderer = list.As<IVxDataItemsRenderer>()) return renderer;
        item = list->GetParent();
    }
    return nullptr;
}

std::wstring ItemText(IVxDataItem* Item) {
    Ptr<IVxDataItemText> text = Ptr<IVxDataItem>(Item).As<IVxDataItemText>();
    return text ? text->GetText() : std::wstring(msg::NoItemText);
}

}  // namespace vx
