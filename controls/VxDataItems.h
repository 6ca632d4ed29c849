#pragma once
// Data items and item lists: a provider's data as a tree of items with string
// IDs. A TVxDataItemsList owns its items; an item with children carries its
// child list through a sub-items extension. Lists find items by ID path
// ("a/b", "..\x", "\root") and by index path, and stream items with their
// extensions and child lists.
// An item that is still referenced through an interface when its list lets it
// go (Delete, Clear, the list's end) is not freed then: it leaves the list and
// lives until its last reference is released. Remove refuses such an item.
// IDs never hold "/" or "\" and are never "..", so an ID never reads as a path.
#include <string>
#include <vector>

#include "controls/VxDataProvider.h"

namespace vx {

class TVxBaseDataItemSubItems;

// The base of every extension of an item.
class TVxDataItemAggregatedObject : public TAggregatedPersistentEx {
    VX_CLASS(TVxDataItemAggregatedObject)
public:
    // Owner is an item (EInvalidCast for any other kind).
    explicit TVxDataItemAggregatedObject(TExtensibleInterfacedPersistent* Owner);
    Ptr<IVxDataItem> Item() const;
    // The provider of the item's list, or none.
    Ptr<IVxDataProvider> Provider() const;
    // Own interfaces, then the item's; IVxDataContextSensitive only as its own.
    HRESULT IntfQueryInterface(REFIID Iid, void** Obj) override;
    virtual void ContextDestroying(IVxDataContext*) {}

protected:
    // Brackets a change of the item for its provider (Changing/Changed reason 2).
    void ItemChanging();
    void ItemChanged();
};

// The base of every extension of an item list.
class TVxDataItemsAggregatedObject : public TAggregatedPersistentEx {
    VX_CLASS(TVxDataItemsAggregatedObject)
public:
    // Owner is an item list (EInvalidCast for any other kind).
    explicit TVxDataItemsAggregatedObject(TExtensibleInterfacedPersistent* Owner);
    Ptr<IVxDataItems> Items() const;
    // The owner as a list object; EInvalidCast for any other owner.
    TVxBaseDataItems* ItemsImpl() const;
    virtual void ContextDestroying(IVxDataContext*) {}

protected:
    void ListChanging();
    void ListChanged();
};

class TVxBaseDataItem : public TExtensibleInterfacedPersistent, public IVxDataItem {
    VX_CLASS(TVxBaseDataItem)
    VX_IUNKNOWN
public:
    // Owner is kept without a reference once it holds the item (always with one
    // when the list is dynamic; with one while the item waits outside it).
    explicit TVxBaseDataItem(IVxDataItems* Owner);

    const TVxDataItemID& ID() const { return id_; }
    // EVXLDataItems for an ID holding "/" or "\" or being "..".
    void SetID(const TVxDataItemID& Value);
    static bool IsSafeID(const TVxDataItemID& Value);

    Ptr<IVxDataItems> STDMETHODCALLTYPE GetItems() override;
    int STDMETHODCALLTYPE GetIndex() override;
    fw::TObject* STDMETHODCALLTYPE GetImplementer() override { return this; }
    TVxDataItemID STDMETHODCALLTYPE GetID() override { return id_; }
    void STDMETHODCALLTYPE ContextDestroying(IVxDataContext* Context) override;
    bool STDMETHODCALLTYPE IsParentOf(IVxDataItem* Item, bool DirectParentOnly) override;
    bool STDMETHODCALLTYPE IsDeletable() override { return true; }

    LONG IntfAddRef() override;
    LONG IntfRelease() override;
    bool GetInterface(REFIID Iid, void** Obj) override;
    void AfterConstruction() override;

    // The provider's own persistent object, or nullptr.
    fw::TPersistent* GetOwner();
    // "<owner name>: Item[<ID>]".
    std::wstring GetNamePath();
    void RevertToDefaults();
    bool IsEqualToDefaults();
    // The child list, or none.
    Ptr<IVxDataItems> ChildList();
    // Whether a list holds the item now.
    bool InList() const { return owned_; }
    // Tells the item's own extensions (not its child list) that Context goes.
    void ExtensionsContextDestroying(IVxDataContext* Context);

    // "ID", the extensions, and "SubItems" when the item has a child list.
    void DefineProperties(fw::TFiler& Filer) override;

protected:
    friend class TVxBaseDataItems;
    friend class TVxDataItemsList;
    virtual void InitID();
    // Taken into List: an item made for no list belongs to List from now on.
    void JoinList(IVxDataItems* List);
    // Lets the item go from its list: freed now, or (while referenced) when its
    // last reference goes.
    void LeaveList();
    void ReadSubItems(fw::TReader& Reader);
    void WriteSubItems(fw::TWriter& Writer);

private:
    IVxDataItems* owner_;
    Ptr<IVxDataItems> ownerRef_;
    TVxDataItemID id_;
    bool owned_ = false;  // held by an owning list
};

class TVxBaseDataItems : public TExtensibleInterfacedPersistent, public IVxDataIDSearch, public IVxDataItems {
    VX_CLASS(TVxBaseDataItems)
    VX_IUNKNOWN
public:
    // The provider is kept with a reference.
    explicit TVxBaseDataItems(IVxDataProvider* Provider = nullptr);

    // Makes this the child list of Parent (CreateParent): takes Parent's provider
    // and attaches the sub-items extension to Parent.
    void LinkParent(IVxDataItem* Parent);

    int STDMETHODCALLTYPE GetCount() override = 0;
    Ptr<IVxDataItem> STDMETHODCALLTYPE GetItem(int Index) override = 0;
    Ptr<IVxDataItem> STDMETHODCALLTYPE GetItemByID(const TVxDataItemID& ID) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE GetItemByIndexPath(const std::vector<int>& Path) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE GetParent() override;
    Ptr<IVxDataProvider> STDMETHODCALLTYPE GetProvider() override { return provider_; }
    fw::TObject* STDMETHODCALLTYPE GetImplementer() override { return this; }
    bool STDMETHODCALLTYPE IsDynamic() override { return true; }
    void STDMETHODCALLTYPE ContextDestroying(IVxDataContext* Context) override;
    bool STDMETHODCALLTYPE FindByID(const TVxDataItemID& ID, bool Recursive, Ptr<IVxDataItem>& Item) override;

    bool GetInterface(REFIID Iid, void** Obj) override;
    virtual void InternalAdd(TVxBaseDataItem* Item) = 0;
    virtual void InternalDelete(int Index) = 0;
    virtual void InternalMove(int OldIndex, int NewIndex) = 0;
    virtual bool IsStreamableItem(TVxBaseDataItem* Item);
    // The item object at Index (no reference taken).
    virtual TVxBaseDataItem* ItemObject(int Index) = 0;

    // Tells the list's own extensions (not its items) that Context goes.
    void ExtensionsContextDestroying(IVxDataContext* Context);
    // Brackets a change for the provider, when there is one.
    void ProviderChanging(int Reason, IUnknown* Source);
    void ProviderChanged(int Reason, IUnknown* Source);

    // The extensions, then "Items" (always).
    void DefineProperties(fw::TFiler& Filer) override;

protected:
    friend class TVxBaseDataItemSubItems;
    void BeforeDestruction() override;
    void ReadItems(fw::TReader& Reader);
    void WriteItems(fw::TWriter& Writer);

private:
    IVxDataItem* parent_ = nullptr;
    Ptr<IVxDataItem> parentRef_;
    Ptr<IVxDataProvider> provider_;
    TVxBaseDataItemSubItems* subItems_ = nullptr;
};

// The item list of the system: it owns its items.
class TVxDataItemsList : public TVxBaseDataItems {
    VX_CLASS(TVxDataItemsList)
public:
    using TVxBaseDataItems::TVxBaseDataItems;

    int STDMETHODCALLTYPE GetCount() override { return int(items_.size()); }
    Ptr<IVxDataItem> STDMETHODCALLTYPE GetItem(int Index) override;
    bool STDMETHODCALLTYPE IsDynamic() override { return false; }
    void InternalAdd(TVxBaseDataItem* Item) override;
    void InternalDelete(int Index) override;
    void InternalMove(int OldIndex, int NewIndex) override;
    TVxBaseDataItem* ItemObject(int Index) override;
    // Lets every item go.
    void InternalClear();

protected:
    void BeforeDestruction() override;

private:
    std::vector<TVxBaseDataItem*> items_;
};

// Links an item to its child list, answering the list's interfaces for the item.
class TVxBaseDataItemSubItems : public TVxDataItemAggregatedObject {
    VX_CLASS(TVxBaseDataItemSubItems)
public:
    TVxBaseDataItemSubItems(TExtensibleInterfacedPersistent* Owner, TVxBaseDataItems* List);
    ~TVxBaseDataItemSubItems() override;
    bool GetInterface(REFIID Iid, void** Obj) override;
    TVxBaseDataItems* List() const { return list_; }

private:
    TVxBaseDataItems* list_;
    Ptr<IVxDataItems> items_;
};

// List editing, each change bracketed by the provider's Changing and Changed.
class TVxBaseDataItemsManagement : public TVxDataItemsAggregatedObject, public IVxDataItemsManagement {
    VX_CLASS(TVxBaseDataItemsManagement)
    VX_IUNKNOWN
public:
    using TVxDataItemsAggregatedObject::TVxDataItemsAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
};

class TVxBaseDataItemsListManagement : public TVxBaseDataItemsManagement {
    VX_CLASS(TVxBaseDataItemsListManagement)
public:
    using TVxBaseDataItemsManagement::TVxBaseDataItemsManagement;
    // EVXLDataItems "The item already belongs to a list" for an item a list holds
    // or one made for another list: no item is ever held twice.
    Ptr<IVxDataItem> STDMETHODCALLTYPE Add(IVxDataItem* Item) override;
    // A new plain item with a fresh ID, added to the list.
    Ptr<IVxDataItem> STDMETHODCALLTYPE New() override;
    void STDMETHODCALLTYPE Clear() override;
    void STDMETHODCALLTYPE Delete(int Index) override;
    // Leaves an item that another reference still holds in place; an item that is
    // not in this list is left alone, and nothing is sent.
    void STDMETHODCALLTYPE Remove(Ptr<IVxDataItem>& Item) override;

protected:
    TVxDataItemsList* List() const;
};

template <class T>
TVxBaseDataItem* NewItemOf(IVxDataItems* Owner) {
    return New<T>(Owner);
}
template <class T>
TVxBaseDataItems* NewItemsOf(IVxDataItem* Parent) {
    Ptr<IVxDataItems> parentList = Parent->GetItems();
    T* list = New<T>(parentList ? parentList->GetProvider().get() : nullptr);
    list->LinkParent(Parent);
    return list;
}

// Writes a list (its class, extensions and items) as one stream entry. Root is
// the form the list belongs to, whose components (image lists) it names.
void SaveItemsToStream(TVxBaseDataItems* List, fw::TStream* Stream, fw::TComponent* Root = nullptr);
// Reads a list written by SaveItemsToStream, for Provider, finding the named
// components among Root's; on any failure nothing of it stays behind and the
// failure is passed on.
Ptr<IVxDataItems> LoadItemsFromStream(fw::TStream* Stream, IVxDataProvider* Provider, fw::TComponent* Root = nullptr);

}  // namespace vx
