#include "controls/VxDataItems.h"

#include <objbase.h>

#include <algorithm>

#include "framework/SysUtils.h"

namespace vx {

// --- extension bases ---------------------------------------------------------------------

const TVxClass TVxDataItemAggregatedObject::Class{L"TVxDataItemAggregatedObject", &TAggregatedPersistentEx::Class,
                                                  nullptr, nullptr, nullptr};
const TVxClass TVxDataItemsAggregatedObject::Class{L"TVxDataItemsAggregatedObject", &TAggregatedPersistentEx::Class,
                                                   nullptr, nullptr, nullptr};

TVxDataItemAggregatedObject::TVxDataItemAggregatedObject(TExtensibleInterfacedPersistent* Owner)
    : TAggregatedPersistentEx(OwnerOfKind<TVxBaseDataItem>(Owner)) {}

TVxDataItemsAggregatedObject::TVxDataItemsAggregatedObject(TExtensibleInterfacedPersistent* Owner)
    : TAggregatedPersistentEx(OwnerOfKind<TVxBaseDataItems>(Owner)) {}

Ptr<IVxDataItem> TVxDataItemAggregatedObject::Item() const {
    auto* item = dynamic_cast<TVxBaseDataItem*>(Owner());
    return Ptr<IVxDataItem>(item);
}

Ptr<IVxDataProvider> TVxDataItemAggregatedObject::Provider() const {
    auto* item = dynamic_cast<TVxBaseDataItem*>(Owner());
    if (!item) return nullptr;
    Ptr<IVxDataItems> list = item->GetItems();
    return list ? list->GetProvider() : nullptr;
}

HRESULT TVxDataItemAggregatedObject::IntfQueryInterface(REFIID Iid, void** Obj) {
    if (!Obj) return E_POINTER;
    *Obj = nullptr;
    if (GetInterface(Iid, Obj)) return S_OK;
    if (IsEqualIID(Iid, __uuidof(IVxDataContextSensitive))) return E_NOINTERFACE;
    return TAggregatedPersistentEx::IntfQueryInterface(Iid, Obj);
}

void TVxDataItemAggregatedObject::ItemChanging() {
    if (Ptr<IVxDataProvider> provider = Provider()) provider->Changing(pcrUpdate, Controller());
}

void TVxDataItemAggregatedObject::ItemChanged() {
    if (Ptr<IVxDataProvider> provider = Provider()) provider->Changed(pcrUpdate, Controller());
}

Ptr<IVxDataItems> TVxDataItemsAggregatedObject::Items() const {
    return Ptr<IVxDataItems>(dynamic_cast<TVxBaseDataItems*>(Owner()));
}

TVxBaseDataItems* TVxDataItemsAggregatedObject::ItemsImpl() const {
    auto* list = dynamic_cast<TVxBaseDataItems*>(Owner());
    if (!list) throw fw::EInvalidCast(L"Invalid class typecast");
    return list;
}

void TVxDataItemsAggregatedObject::ListChanging() {
    TVxBaseDataItems* list = ItemsImpl();
    list->ProviderChanging(pcrListUpdate, static_cast<IVxDataItems*>(list));
}

void TVxDataItemsAggregatedObject::ListChanged() {
    TVxBaseDataItems* list = ItemsImpl();
    list->ProviderChanged(pcrListUpdate, static_cast<IVxDataItems*>(list));
}

// --- TVxBaseDataItem -------------------------------------------------------------------

const TVxClass TVxBaseDataItem::Class{L"TVxBaseDataItem", &TExtensibleInterfacedPersistent::Class, nullptr,
                                      NewItemOf<TVxBaseDataItem>, nullptr};

TVxBaseDataItem::TVxBaseDataItem(IVxDataItems* Owner) : owner_(Owner) {
    // Until its list holds it, the item holds the list, so the list cannot go first.
    if (owner_) ownerRef_ = Ptr<IVxDataItems>(owner_);
}

void TVxBaseDataItem::AfterConstruction() {
    InitID();
    TExtensibleInterfacedPersistent::AfterConstruction();
}

void TVxBaseDataItem::InitID() {
    GUID guid{};
    CoCreateGuid(&guid);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&guid);
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    id_.clear();
    for (size_t i = 0; i < sizeof(guid); ++i) {
        id_ += kHex[bytes[i] >> 4];
        id_ += kHex[bytes[i] & 15];
    }
}

bool TVxBaseDataItem::IsSafeID(const TVxDataItemID& Value) {
    return Value.find_first_of(L"/\\") == TVxDataItemID::npos && Value != L"..";
}

void TVxBaseDataItem::SetID(const TVxDataItemID& Value) {
    if (!IsSafeID(Value)) throw EVXLDataItems(fw::Format(msg::UnsafeItemID, {Value}));
    id_ = Value;
}

bool TVxBaseDataItem::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItem>(this, Iid, Obj) || TExtensibleInterfacedPersistent::GetInterface(Iid, Obj);
}

LONG TVxBaseDataItem::IntfAddRef() {
    // The provider is told around the count change, as for every item access.
    Ptr<IVxDataProvider> provider = owner_ ? owner_->GetProvider() : nullptr;
    if (provider) provider->SelectContext(nullptr);
    const LONG count = HoldReference();
    if (provider) provider->ReleaseContext();
    return count;
}

LONG TVxBaseDataItem::IntfRelease() {
    Ptr<IVxDataProvider> provider = owner_ ? owner_->GetProvider() : nullptr;
    if (provider) provider->SelectContext(nullptr);
    const LONG count = DropHeldReference();
    if (provider) provider->ReleaseContext();
    provider.reset();
    // An owning list keeps the item; any other item lives by its references.
    if (count == 0 && !owned_) Destroy();
    return count;
}

void TVxBaseDataItem::JoinList(IVxDataItems* List) {
    owned_ = true;
    if (!owner_) owner_ = List;  // an item made for no list takes the one that holds it
    if (owner_ != List) return;
    if (List->IsDynamic()) {
        if (!ownerRef_) ownerRef_ = Ptr<IVxDataItems>(List);
        return;
    }
    // Held by its list now: the list lives as long as it holds the item. Dropped last.
    Ptr<IVxDataItems> waiting = std::move(ownerRef_);
}

void TVxBaseDataItem::LeaveList() {
    owned_ = false;
    // It no longer knows the list that let it go (which may go before it).
    owner_ = nullptr;
    Ptr<IVxDataItems> list = std::move(ownerRef_);
    if (RefCount() == 0) Destroy();
}

Ptr<IVxDataItems> TVxBaseDataItem::GetItems() {
    return Ptr<IVxDataItems>(owner_);
}

int TVxBaseDataItem::GetIndex() {
    if (!owner_) return -1;
    for (int i = owner_->GetCount() - 1; i >= 0; --i)
        if (owner_->GetItem(i).get() == static_cast<IVxDataItem*>(this)) return i;
    return -1;
}

Ptr<IVxDataItems> TVxBaseDataItem::ChildList() {
    Ptr<IVxDataItems> list;
    if (FAILED(QueryInterface(__uuidof(IVxDataItems), list.put_void()))) list.reset();
    return list;
}

void TVxBaseDataItem::ContextDestroying(IVxDataContext* Context) {
    ExtensionsContextDestroying(Context);
    if (Ptr<IVxDataItems> children = ChildList()) children->ContextDestroying(Context);
}

void TVxBaseDataItem::ExtensionsContextDestroying(IVxDataContext* Context) {
    for (int i = 0; i < ExtensionCount(); ++i)
        if (auto* e = dynamic_cast<TVxDataItemAggregatedObject*>(Extension(i))) e->ContextDestroying(Context);
}

bool TVxBaseDataItem::IsParentOf(IVxDataItem* Item, bool DirectParentOnly) {
    if (!Item) return false;
    Ptr<IVxDataItems> list = Item->GetItems();
    Ptr<IVxDataItem> parent = list ? list->GetParent() : nullptr;
    IVxDataItem* self = this;
    if (parent.get() == self) return true;
    if (DirectParentOnly) return false;
    while (parent) {
        if (parent.get() == self) return true;
        list = parent->GetItems();
        parent = list ? list->GetParent() : nullptr;
    }
    return false;
}

fw::TPersistent* TVxBaseDataItem::GetOwner() {
    if (!owner_) return nullptr;
    Ptr<IVxDataProvider> provider = owner_->GetProvider();
    if (!provider) return nullptr;
    Ptr<IVxDataProviderComponent> component = provider.As<IVxDataProviderComponent>();
    return component ? component->Component() : nullptr;
}

std::wstring TVxBaseDataItem::GetNamePath() {
    auto* component = dynamic_cast<fw::TComponent*>(GetOwner());
    const std::wstring owner = component ? component->Name() : std::wstring(msg::Unknown);
    return owner + L": Item[" + id_ + L"]";
}

void TVxBaseDataItem::RevertToDefaults() {
    for (int i = 0; i < ExtensionCount(); ++i) {
        Ptr<IVxDataContextSensitive> sensitive;
        if (Extension(i)->GetInterface(__uuidof(IVxDataContextSensitive), sensitive.put_void()))
            sensitive->RevertToDefault();
    }
}

bool TVxBaseDataItem::IsEqualToDefaults() {
    for (int i = 0; i < ExtensionCount(); ++i) {
        Ptr<IVxDataContextSensitive> sensitive;
        if (Extension(i)->GetInterface(__uuidof(IVxDataContextSensitive), sensitive.put_void()) &&
            !sensitive->IsEqualToDefault())
            return false;
    }
    return true;
}

void TVxBaseDataItem::DefineProperties(fw::TFiler& Filer) {
    fw::DefineString(Filer, L"ID", id_, [this](const std::wstring& Value) { SetID(Value); });
    TExtensibleInterfacedPersistent::DefineProperties(Filer);
    Filer.DefineProperty(
        L"SubItems", [this](fw::TReader& Reader) { ReadSubItems(Reader); },
        [this](fw::TWriter& Writer) { WriteSubItems(Writer); }, bool(ChildList()));
}

void TVxBaseDataItem::WriteSubItems(fw::TWriter& Writer) {
    auto* link = static_cast<TVxBaseDataItemSubItems*>(FindExtension(&TVxBaseDataItemSubItems::Class));
    Writer.WriteValue(fw::TValueType::vaCollection);
    const std::wstring path = Writer.PropPath();
    Writer.SetPropPath(L"");
    Writer.WriteListBegin();
    Writer.WritePropName(L"ClassName");
    Writer.WriteString(link->List()->ClassName());
    // The child list as a part: a deep tree costs no stack.
    Writer.NestProperties(link->List(), [&Writer, path] {
        Writer.WriteListEnd();
        Writer.WriteListEnd();
        Writer.SetPropPath(path);
    });
}

void TVxBaseDataItem::ReadSubItems(fw::TReader& Reader) {
    HoldReference();
    TVxBaseDataItemSubItems* link = nullptr;
    TVxBaseDataItems* list = nullptr;
    try {
        if (Reader.ReadValue() != fw::TValueType::vaCollection) throw fw::EReadError(msg::ExpectedCollection);
        Reader.ReadListBegin();
        if (!fw::SameText(Reader.ReadStr(), L"ClassName")) throw fw::EReadError(msg::MissingClassName);
        const TVxClass* cls = FindVxClass(Reader.ReadString());
        if (!cls->InheritsFrom(&TVxBaseDataItems::Class) || !cls->NewItems) throw fw::EReadError(msg::InvalidClassType);
        link = static_cast<TVxBaseDataItemSubItems*>(FindExtension(&TVxBaseDataItemSubItems::Class));
        if (link && link->List()->ClassType() != cls) {
            RemoveIntfImpl(link);
            link = nullptr;
        }
        list = link ? link->List() : cls->NewItems(this);
    } catch (...) {
        DropHeldReference();
        throw;
    }
    // The child list's properties as a part (its items nest further parts).
    const bool made = !link;
    Reader.NestProperties(
        list,
        [this, &Reader] {
            Reader.ReadListEnd();
            Reader.ReadListEnd();
            DropHeldReference();
        },
        [this, made] {
            // A child list made here does not stay half read.
            if (made) RemoveIntfImpl(FindExtension(&TVxBaseDataItemSubItems::Class));
            DropHeldReference();
        });
}

// --- TVxBaseDataItems ------------------------------------------------------------------

const TVxClass TVxBaseDataItems::Class{L"TVxBaseDataItems", &TExtensibleInterfacedPersistent::Class, nullptr, nullptr,
                                       nullptr};

TVxBaseDataItems::TVxBaseDataItems(IVxDataProvider* Provider) : provider_(Provider) {}

void TVxBaseDataItems::LinkParent(IVxDataItem* Parent) {
    parent_ = Parent;
    Ptr<IVxDataItems> parentList = Parent->GetItems();
    if (parentList) {
        if (!provider_) provider_ = parentList->GetProvider();
        if (parentList->IsDynamic()) parentRef_ = Ptr<IVxDataItem>(Parent);
    }
    if (auto* owner = dynamic_cast<TExtensibleInterfacedPersistent*>(Parent->GetImplementer()))
        subItems_ = New<TVxBaseDataItemSubItems>(owner, this);
}

void TVxBaseDataItems::BeforeDestruction() {
    // Without this list the parent item has no children any more.
    if (TVxBaseDataItemSubItems* link = subItems_) {
        subItems_ = nullptr;
        if (link->Owner()) link->Owner()->RemoveIntfImpl(link);
    }
    parentRef_.reset();
    parent_ = nullptr;
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

bool TVxBaseDataItems::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItems>(this, Iid, Obj) || AnswerInterface<IVxDataIDSearch>(this, Iid, Obj) ||
           TExtensibleInterfacedPersistent::GetInterface(Iid, Obj);
}

Ptr<IVxDataItem> TVxBaseDataItems::GetParent() {
    return Ptr<IVxDataItem>(parent_);
}

void TVxBaseDataItems::ProviderChanging(int Reason, IUnknown* Source) {
    if (provider_) provider_->Changing(Reason, Source);
}

void TVxBaseDataItems::ProviderChanged(int Reason, IUnknown* Source) {
    if (provider_) provider_->Changed(Reason, Source);
}

namespace {

Ptr<IVxDataItems> ChildListOf(IVxDataItem* Item) {
    Ptr<IVxDataItems> list;
    if (!Item || FAILED(Item->QueryInterface(__uuidof(IVxDataItems), list.put_void()))) list.reset();
    return list;
}

Ptr<IVxDataItems> TopList(Ptr<IVxDataItems> List) {
    while (List) {
        Ptr<IVxDataItem> parent = List->GetParent();
        Ptr<IVxDataItems> up = parent ? parent->GetItems() : nullptr;
        if (!up) break;
        List = up;
    }
    return List;
}

}  // namespace

Ptr<IVxDataItem> TVxBaseDataItems::GetItemByID(const TVxDataItemID& ID) {
    Ptr<IVxDataItems> list(static_cast<IVxDataItems*>(this));
    std::wstring rest = ID;
    while (list && !rest.empty()) {
        const size_t sep = rest.find_first_of(L"/\\");
        const std::wstring segment = rest.substr(0, sep);
        rest = sep == std::wstring::npos ? std::wstring() : rest.substr(sep + 1);
        if (segment == L"..") {
            Ptr<IVxDataItem> parent = list->GetParent();
            list = parent ? parent->GetItems() : nullptr;
            continue;
        }
        if (segment.empty()) {
            // A leading separator: the provider's root list (the top of this tree without one).
            Ptr<IVxDataProvider> provider = list->GetProvider();
            Ptr<IVxDataItems> root = provider ? provider->GetItems() : nullptr;
            list = root ? root : TopList(list);
            continue;
        }
        Ptr<IVxDataItem> match;
        for (int i = list->GetCount() - 1; i >= 0 && !match; --i) {
            Ptr<IVxDataItem> item = list->GetItem(i);
            if (item && fw::SameText(item->GetID(), segment)) match = item;
        }
        // A segment that names nothing ends the search: never an unrelated item.
        if (!match) return nullptr;
        if (rest.empty()) return match;
        list = ChildListOf(match.get());
    }
    return nullptr;
}

Ptr<IVxDataItem> TVxBaseDataItems::GetItemByIndexPath(const std::vector<int>& Path) {
    Ptr<IVxDataItems> list(static_cast<IVxDataItems*>(this));
    Ptr<IVxDataItem> item;
    for (int index : Path) {
        if (!list || index < 0 || index >= list->GetCount()) return nullptr;
        item = list->GetItem(index);
        list = ChildListOf(item.get());
    }
    return item;
}

bool TVxBaseDataItems::FindByID(const TVxDataItemID& ID, bool Recursive, Ptr<IVxDataItem>& Item) {
    Item = GetItemByID(ID);
    if (Item || !Recursive) return bool(Item);
    // The child lists of the last item first, each before the lists below it,
    // over a stack of our own: a deep tree costs no stack.
    std::vector<Ptr<IVxDataItems>> lists;
    const auto pushChildren = [&lists](IVxDataItems* List) {
        for (int i = 0; i < List->GetCount(); ++i)
            if (Ptr<IVxDataItems> children = ChildListOf(List->GetItem(i).get())) lists.push_back(children);
    };
    pushChildren(this);
    while (!lists.empty()) {
        Ptr<IVxDataItems> list = std::move(lists.back());
        lists.pop_back();
        if ((Item = list->GetItemByID(ID))) return true;
        pushChildren(list.get());
    }
    Item.reset();
    return false;
}

void TVxBaseDataItems::ContextDestroying(IVxDataContext* Context) {
    // The lists below are walked with a stack of our own (a deep tree costs no
    // stack), in the order a walk from each item into its child list takes.
    struct TAt {
        TVxBaseDataItems* List;
        int Next;
    };
    std::vector<TAt> walk{{this, 0}};
    ExtensionsContextDestroying(Context);
    while (!walk.empty()) {
        TAt& at = walk.back();
        TVxBaseDataItem* item = at.Next < at.List->GetCount() ? at.List->ItemObject(at.Next++) : nullptr;
        if (!item) {
            if (at.Next >= at.List->GetCount()) walk.pop_back();
            continue;
        }
        item->ExtensionsContextDestroying(Context);
        Ptr<IVxDataItems> children = item->ChildList();
        auto* list = children ? dynamic_cast<TVxBaseDataItems*>(children->GetImplementer()) : nullptr;
        if (list) {
            list->ExtensionsContextDestroying(Context);
            walk.push_back({list, 0});
        } else if (children) {
            children->ContextDestroying(Context);
        }
    }
}

void TVxBaseDataItems::ExtensionsContextDestroying(IVxDataContext* Context) {
    for (int i = 0; i < ExtensionCount(); ++i)
        if (auto* e = dynamic_cast<TVxDataItemsAggregatedObject*>(Extension(i))) e->ContextDestroying(Context);
}

bool TVxBaseDataItems::IsStreamableItem(TVxBaseDataItem* Item) {
    const TVxClass* cls = GetVxClass(Item->ClassName());
    return cls && cls->InheritsFrom(&TVxBaseDataItem::Class);
}

void TVxBaseDataItems::DefineProperties(fw::TFiler& Filer) {
    TExtensibleInterfacedPersistent::DefineProperties(Filer);
    Filer.DefineProperty(
        L"Items", [this](fw::TReader& Reader) { ReadItems(Reader); },
        [this](fw::TWriter& Writer) { WriteItems(Writer); }, true);
}

void TVxBaseDataItems::WriteItems(fw::TWriter& Writer) {
    Writer.WriteValue(fw::TValueType::vaCollection);
    const std::wstring path = Writer.PropPath();
    // One item a step, its properties a part of their own: a deep tree costs no stack.
    Writer.Nest([this, &Writer, path, next = 0]() mutable {
        Writer.SetPropPath(L"");
        while (next < GetCount()) {
            TVxBaseDataItem* item = ItemObject(next++);
            if (!item || !IsStreamableItem(item)) continue;
            Writer.WriteListBegin();
            Writer.WritePropName(L"ClassName");
            Writer.WriteString(item->ClassName());
            Writer.NestProperties(item, [&Writer] { Writer.WriteListEnd(); });
            return true;
        }
        Writer.WriteListEnd();
        Writer.SetPropPath(path);
        return false;
    });
}

void TVxBaseDataItems::ReadItems(fw::TReader& Reader) {
    if (Reader.ReadValue() != fw::TValueType::vaCollection) throw fw::EReadError(msg::ExpectedCollection);
    // One item a step, its properties a part of their own: a deep tree costs no stack.
    Reader.Nest([this, &Reader] {
        if (Reader.EndOfList()) {
            Reader.ReadListEnd();
            return false;
        }
        Reader.ReadListBegin();
        if (!fw::SameText(Reader.ReadStr(), L"ClassName")) throw fw::EReadError(msg::MissingClassName);
        const TVxClass* cls = FindVxClass(Reader.ReadString());
        if (!cls->InheritsFrom(&TVxBaseDataItem::Class) || !cls->NewItem) throw fw::EReadError(msg::InvalidClassType);
        TVxBaseDataItem* item = cls->NewItem(this);
        InternalAdd(item);
        Reader.NestProperties(
            item, [&Reader] { Reader.ReadListEnd(); },
            [this, item] {
                // A half-read item does not stay in the list.
                for (int i = GetCount() - 1; i >= 0; --i)
                    if (ItemObject(i) == item) InternalDelete(i);
            });
        return true;
    });
}

// --- TVxDataItemsList ------------------------------------------------------------------

const TVxClass TVxDataItemsList::Class{L"TVxDataItemsList", &TVxBaseDataItems::Class, nullptr, nullptr,
                                       NewItemsOf<TVxDataItemsList>};

Ptr<IVxDataItem> TVxDataItemsList::GetItem(int Index) {
    if (Index < 0 || Index >= int(items_.size())) return nullptr;
    return Ptr<IVxDataItem>(static_cast<IVxDataItem*>(items_[size_t(Index)]));
}

TVxBaseDataItem* TVxDataItemsList::ItemObject(int Index) {
    return Index < 0 || Index >= int(items_.size()) ? nullptr : items_[size_t(Index)];
}

void TVxDataItemsList::InternalAdd(TVxBaseDataItem* Item) {
    items_.push_back(Item);
    Item->JoinList(this);
}

void TVxDataItemsList::InternalDelete(int Index) {
    if (Index < 0 || Index >= int(items_.size())) return;
    TVxBaseDataItem* item = items_[size_t(Index)];
    items_.erase(items_.begin() + Index);
    item->LeaveList();
}

void TVxDataItemsList::InternalMove(int OldIndex, int NewIndex) {
    const int count = int(items_.size());
    if (OldIndex < 0 || OldIndex >= count || NewIndex < 0 || NewIndex >= count || OldIndex == NewIndex) return;
    TVxBaseDataItem* item = items_[size_t(OldIndex)];
    items_.erase(items_.begin() + OldIndex);
    items_.insert(items_.begin() + NewIndex, item);
}

void TVxDataItemsList::InternalClear() {
    while (!items_.empty()) InternalDelete(int(items_.size()) - 1);
}

void TVxDataItemsList::BeforeDestruction() {
    InternalClear();
    TVxBaseDataItems::BeforeDestruction();
}

// --- TVxBaseDataItemSubItems -----------------------------------------------------------

const TVxClass TVxBaseDataItemSubItems::Class{L"TVxBaseDataItemSubItems", &TVxDataItemAggregatedObject::Class, nullptr,
                                              nullptr, nullptr};

TVxBaseDataItemSubItems::TVxBaseDataItemSubItems(TExtensibleInterfacedPersistent* Owner, TVxBaseDataItems* List)
    : TVxDataItemAggregatedObject(Owner), list_(List), items_(static_cast<IVxDataItems*>(List)) {}

TVxBaseDataItemSubItems::~TVxBaseDataItemSubItems() {
    // The list forgets the link first, so its end does not remove this extension
    // again; and its parent, which is going or no longer links it: a list whose
    // parent is gone has no parent.
    if (list_ && list_->subItems_ == this) {
        list_->subItems_ = nullptr;
        list_->parent_ = nullptr;
        list_->parentRef_.reset();
    }
    list_ = nullptr;
    items_.reset();
}

bool TVxBaseDataItemSubItems::GetInterface(REFIID Iid, void** Obj) {
    if (TVxDataItemAggregatedObject::GetInterface(Iid, Obj)) return true;
    return items_ && SUCCEEDED(items_->QueryInterface(Iid, Obj));
}

// --- management ------------------------------------------------------------------------

const TVxClass TVxBaseDataItemsManagement::Class{L"TVxBaseDataItemsManagement", &TVxDataItemsAggregatedObject::Class,
                                                 nullptr, nullptr, nullptr};
const TVxClass TVxBaseDataItemsListManagement::Class{L"TVxBaseDataItemsListManagement",
                                                     &TVxBaseDataItemsManagement::Class,
                                                     NewExtensionOf<TVxBaseDataItemsListManagement>, nullptr, nullptr};

bool TVxBaseDataItemsManagement::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataItemsManagement>(this, Iid, Obj) ||
           TVxDataItemsAggregatedObject::GetInterface(Iid, Obj);
}

TVxDataItemsList* TVxBaseDataItemsListManagement::List() const {
    auto* list = dynamic_cast<TVxDataItemsList*>(Owner());
    if (!list) throw fw::EInvalidCast(L"Invalid class typecast");
    return list;
}

Ptr<IVxDataItem> TVxBaseDataItemsListManagement::Add(IVxDataItem* Item) {
    TVxDataItemsList* list = List();
    auto* item = Item ? dynamic_cast<TVxBaseDataItem*>(Item->GetImplementer()) : nullptr;
    if (!item) return nullptr;
    Ptr<IVxDataItems> owner = item->GetItems();
    if (item->InList() || (owner && owner.get() != static_cast<IVxDataItems*>(list)))
        throw EVXLDataItems(msg::ItemInOtherList);
    list->ProviderChanging(pcrAdd, static_cast<IVxDataItems*>(list));
    list->InternalAdd(item);
    list->ProviderChanged(pcrAdd, Item);
    return Ptr<IVxDataItem>(Item);
}

Ptr<IVxDataItem> TVxBaseDataItemsListManagement::New() {
    TVxDataItemsList* list = List();
    TVxBaseDataItem* item = vx::New<TVxBaseDataItem>(static_cast<IVxDataItems*>(list));
    return Add(item);
}

void TVxBaseDataItemsListManagement::Clear() {
    TVxDataItemsList* list = List();
    list->ProviderChanging(pcrListUpdate, static_cast<IVxDataItems*>(list));
    list->InternalClear();
    list->ProviderChanged(pcrListUpdate, static_cast<IVxDataItems*>(list));
}

void TVxBaseDataItemsListManagement::Delete(int Index) {
    TVxDataItemsList* list = List();
    Ptr<IVxDataItem> item = list->GetItem(Index);
    if (!item) return;
    if (!item->IsDeletable()) throw EVXLDataItems(msg::ItemNotDeletable);
    list->ProviderChanging(pcrDelete, item.get());
    item.reset();
    list->InternalDelete(Index);
    list->ProviderChanged(pcrDelete, nullptr);
}

void TVxBaseDataItemsListManagement::Remove(Ptr<IVxDataItem>& Item) {
    if (!Item) return;
    if (!Item->IsDeletable()) throw EVXLDataItems(msg::ItemNotDeletable);
    TVxDataItemsList* list = List();
    auto* object = dynamic_cast<TVxBaseDataItem*>(Item->GetImplementer());
    int index = list->GetCount() - 1;
    while (index >= 0 && list->ItemObject(index) != object) --index;
    if (!object || index < 0) return;  // not in this list: nothing to remove, nothing to tell
    Item.reset();
    if (object->RefCount() != 0) return;  // another reference holds it: it stays
    object->HoldReference();
    list->ProviderChanging(pcrDelete, static_cast<IVxDataItem*>(object));
    object->DropHeldReference();
    index = list->GetCount() - 1;
    while (index >= 0 && list->ItemObject(index) != object) --index;
    if (index >= 0) list->InternalDelete(index);
    list->ProviderChanged(pcrDelete, nullptr);
}

// --- streams ---------------------------------------------------------------------------

void SaveItemsToStream(TVxBaseDataItems* List, fw::TStream* Stream, fw::TComponent* Root) {
    fw::TWriter writer(Stream);
    writer.SetRoot(Root);
    writer.WriteListBegin();
    writer.WritePropName(L"ClassName");
    writer.WriteString(List->ClassName());
    writer.NestProperties(List, [&writer] { writer.WriteListEnd(); });
}

Ptr<IVxDataItems> LoadItemsFromStream(fw::TStream* Stream, IVxDataProvider* Provider, fw::TComponent* Root) {
    fw::TReader reader(Stream);
    reader.SetRoot(Root);
    reader.ReadListBegin();
    if (!fw::SameText(reader.ReadStr(), L"ClassName")) throw fw::EReadError(msg::MissingClassName);
    const TVxClass* cls = FindVxClass(reader.ReadString());
    if (!cls->InheritsFrom(&TVxBaseDataItems::Class) || !cls->NewItems) throw fw::EReadError(msg::InvalidClassType);
    // A top-level list has no parent to be made for: the list class of the system.
    if (cls != &TVxDataItemsList::Class) throw fw::EReadError(msg::InvalidClassType);
    TVxDataItemsList* list = New<TVxDataItemsList>(Provider);
    Ptr<IVxDataItems> result(static_cast<IVxDataItems*>(list));  // the last reference frees it on failure
    reader.NestProperties(list, [&reader] { reader.ReadListEnd(); });
    reader.FixupReferences();
    return result;
}

}  // namespace vx
