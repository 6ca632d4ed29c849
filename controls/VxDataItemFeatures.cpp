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

void TVxDataItemTextImpl::WriteProperties(fw::TWriter& Writer) {
    Writer.WritePropName(L"Text");
    Writer.WriteString(text_);
}

bool TVxDataItemTextImpl::ReadProperty(const std::wstring& Name, fw::TReader& Reader) {
    if (!fw::SameText(Name, L"Text")) return TVxBaseDataItemTextImpl::ReadProperty(Name, Reader);
    text_ = Reader.ReadString();
    return true;
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

void TVxDataItemBlockableTextImpl::WriteProperties(fw::TWriter& Writer) {
    TVxDataItemTextImpl::WriteProperties(Writer);
    if (!readOnly_) return;  // the default is not written
    Writer.WritePropName(L"ReadOnly");
    Writer.WriteBoolean(readOnly_);
}

bool TVxDataItemBlockableTextImpl::ReadProperty(const std::wstring& Name, fw::TReader& Reader) {
    if (!fw::SameText(Name, L"ReadOnly")) return TVxDataItemTextImpl::ReadProperty(Name, Reader);
    readOnly_ = Reader.ReadBoolean();
    return true;
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

void TVxDataItemImageImpl::WriteProperties(fw::TWriter& Writer) {
    // Defaults are not written.
    if (alignment_ != fw::taLeftJustify) {
        Writer.WritePropName(L"Alignment");
        Writer.WriteInteger(int(alignment_));
    }
    if (imageIndex_ != 0) {
        Writer.WritePropName(L"ImageIndex");
        Writer.WriteInteger(imageIndex_);
    }
    if (selectedIndex_ != 0) {
        Writer.WritePropName(L"SelectedIndex");
        Writer.WriteInteger(selectedIndex_);
    }
}

bool TVxDataItemImageImpl::ReadProperty(const std::wstring& Name, fw::TReader& Reader) {
    if (fw::SameText(Name, L"Alignment")) {
        const int value = Reader.ReadInteger();
        if (value < fw::taLeftJustify || value > fw::taCenter) throw fw::EReadError(L"Invalid property value");
        alignment_ = fw::TAlignment(value);
    } else if (fw::SameText(Name, L"ImageIndex")) {
        imageIndex_ = Reader.ReadInteger();
    } else if (fw::SameText(Name, L"SelectedIndex")) {
        selectedIndex_ = Reader.ReadInteger();
    } else {
        return TVxBaseDataItemImageImpl::ReadProperty(Name, Reader);
    }
    return true;
}

const TVxClass TVxBaseDataItemsImagesImpl::Class{L"TVxBaseDataItemsImagesImpl", &TVxDataItemsAggregatedObject::Class,
                                                 nullptr, nullptr, nullptr};
const TVxClass TVxCustomDataItemsImages::Class{L"TVxCustomDataItemsImages", &TVxBaseDataItemsImagesImpl::Class,
                                               NewExtensionOf<TVxCustomDataItemsImages>, nullptr, nullptr};

bool TVxBaseDataItemsImagesImpl::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemsImages>(this, Iid, Obj) || TVxDataItemsAggregatedObject::GetInterface(Iid, Obj);
}

void TVxCustomDataItemsImages::Store(fw::TCustomImageList*& Field, fw::TCustomImageList* Value) {
    if (Field == Value) return;
    ListChanging();
    Field = Value;
    ListChanged();
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
