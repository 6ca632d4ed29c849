#pragma once
// The consumer's extensions: the selected item (whose children then become the
// root items) and the view list, which turns the provider's item tree into
// flat rows with levels and expanded state, as a list or combo box shows it.
// Both belong to their consumer (made by it, or with New<T>(Consumer)).
// Rows are found again by their full ID path, so equal IDs in different
// branches never mix; after a list is cleared the rows are rebuilt and the
// selection is found again by its path or dropped.
#include <cstdint>
#include <string>
#include <vector>

#include "controls/VxDataConsumer.h"

namespace vx {

class TVxDataConsumerItemSelect : public TVxDataConsumerAggregatedObject, public IVxDataConsumerItemSelect {
    VX_CLASS(TVxDataConsumerItemSelect)
    VX_IUNKNOWN
public:
    using TVxDataConsumerAggregatedObject::TVxDataConsumerAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;

    Ptr<IVxDataItem> STDMETHODCALLTYPE GetItem() override { return item_; }
    void STDMETHODCALLTYPE SetItem(IVxDataItem* Item) override;
    // Item (published): the selected item's ID, empty without one.
    TVxDataItemID ItemID();
    // EVXLDataConsumer "Item not found in the selected context" or "You must
    // specify a provider before setting the item"; the selection stays then.
    void SetItemID(const TVxDataItemID& ID);

    void Fixup() override;
    void DataProviderChanging(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    void DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    // "Item": the selection's ID path below the root items, so an ID that several
    // branches hold comes back as the same item.
    void DefineProperties(fw::TFiler& Filer) override;

private:
    TVxDataItemID pendingID_;
    Ptr<IVxDataItem> item_;
    std::wstring itemPath_;         // the full ID path of the selection, to find it again
    bool clearedByDelete_ = false;  // the deleted item took the selection with it
};

// One row of the view: the item's ID and its flags.
struct TViewListItem {
    TVxDataItemID ID;
    uint32_t Flags;
};
using TViewListItems = std::vector<TViewListItem>;

constexpr uint32_t vlLevelMask = 0x00FFFFFF;
constexpr uint32_t vlExpanded = 1u << 29;
constexpr uint32_t vlHasList = 1u << 30;
constexpr uint32_t vlHasChildren = 1u << 31;

class TVxCustomDataConsumerViewList : public TVxDataConsumerAggregatedObject, public IVxDataConsumerViewList {
    VX_CLASS(TVxCustomDataConsumerViewList)
    VX_IUNKNOWN
public:
    using TVxDataConsumerAggregatedObject::TVxDataConsumerAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override;
    void AfterConstruction() override;

    int STDMETHODCALLTYPE GetAutoExpandLevel() override { return autoExpand_; }
    void STDMETHODCALLTYPE SetAutoExpandLevel(int Value) override { autoExpand_ = Value; }
    bool STDMETHODCALLTYPE GetExpandOnNewItem() override { return expandOnNew_; }
    void STDMETHODCALLTYPE SetExpandOnNewItem(bool Value) override { expandOnNew_ = Value; }
    int STDMETHODCALLTYPE GetLevelIndent() override { return levelIndent_; }
    void STDMETHODCALLTYPE SetLevelIndent(int Value) override;
    void STDMETHODCALLTYPE RebuildView() override;
    void STDMETHODCALLTYPE ExpandTreeTo(IVxDataItem* Item) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE ItemParent(int Index) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE ItemSibling(int Index) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE SubItem(IVxDataItem* Parent, int Index) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE SubItemAt(int ParentIndex, int Index) override;
    int STDMETHODCALLTYPE SubItemIndex(IVxDataItem* Parent, int Index) override;
    int STDMETHODCALLTYPE ChildIndexOfItem(IVxDataItem* Item) override;
    std::vector<uint32_t> STDMETHODCALLTYPE ItemGroupInfo(int Index) override;

    bool KeepOnProviderChange() override { return true; }
    void ProviderChanging() override { ClearView(); }
    void ProviderChanged() override { RebuildView(); }
    void ContextChanged() override { RebuildView(); }
    void ViewChanged(TVxDataConsumerAggregatedObject*) override { RebuildView(); }
    void DataProviderChanging(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    void DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown* Source) override;
    // "LevelIndent" when not 16.
    void DefineProperties(fw::TFiler& Filer) override;

    virtual void AddItem(int ParentIndex, IVxDataItem* Item, int ExpandLevel) = 0;
    virtual void AddItems(int& Index, IVxDataItems* Items, int ExpandLevel) = 0;
    virtual void AddChildItem(int ParentIndex, IVxDataItem* Item) = 0;
    virtual void InsertItem(int InsertIndex, int ParentIndex, IVxDataItem* Item) = 0;
    virtual void DeleteItem(int Index) = 0;
    virtual void DeleteItems(int Index) = 0;
    virtual void UpdateItemFlags(int Index, uint32_t Value, uint32_t Mask) = 0;
    virtual void ClearView() = 0;

    // Whether the filters leave Item shown.
    bool ItemVisible(IVxDataItem* Item);

protected:
    // ExpandTreeTo inside the consumer's bracket.
    void ExpandTowards(IVxDataItem* Item);

private:
    int autoExpand_ = 0;
    bool expandOnNew_ = false;
    int levelIndent_ = 16;
};

class TVxDataConsumerViewList : public TVxCustomDataConsumerViewList {
    VX_CLASS(TVxDataConsumerViewList)
public:
    using TVxCustomDataConsumerViewList::TVxCustomDataConsumerViewList;

    void STDMETHODCALLTYPE ToggleItem(int Index) override;
    int STDMETHODCALLTYPE IndexOfItem(IVxDataItem* Item) override;
    // Last row first, by ID alone (ignoring case).
    int STDMETHODCALLTYPE IndexOfID(const TVxDataItemID& ID) override;
    int STDMETHODCALLTYPE ChildIndexOfID(const TVxDataItemID& ID) override;
    Ptr<IVxDataItem> STDMETHODCALLTYPE Item(int Index) override;
    int STDMETHODCALLTYPE ItemLevel(int Index) override;
    bool STDMETHODCALLTYPE ItemIsExpanded(int Index) override;
    bool STDMETHODCALLTYPE ItemHasChildren(int Index) override;
    int STDMETHODCALLTYPE ItemParentIndex(int Index) override;
    int STDMETHODCALLTYPE ItemSiblingIndex(int Index) override;
    int STDMETHODCALLTYPE SubItemIndexAt(int ParentIndex, int Index) override;
    int STDMETHODCALLTYPE Count() override { return int(rows_.size()); }

    void AddItem(int ParentIndex, IVxDataItem* Item, int ExpandLevel) override;
    void AddItems(int& Index, IVxDataItems* Items, int ExpandLevel) override;
    void AddChildItem(int ParentIndex, IVxDataItem* Item) override;
    void InsertItem(int InsertIndex, int ParentIndex, IVxDataItem* Item) override;
    void DeleteItem(int Index) override;
    void DeleteItems(int Index) override;
    void UpdateItemFlags(int Index, uint32_t Value, uint32_t Mask) override;
    void ClearView() override;

    // The row of an ID path ("a/b", from the root items), -1 if none.
    int IndexOfPath(const std::wstring& Path);
    // The ID path of a row.
    std::wstring RowPath(int Index);
    uint32_t Flags(int Index) const { return rows_[size_t(Index)].Flags; }

private:
    bool ValidRow(int Index) const { return Index >= 0 && Index < int(rows_.size()); }
    // Whether RowPath(Index) is Path (ignoring case), without making it.
    bool RowHasPath(int Index, const std::wstring& Path);
    uint32_t NewRowFlags(IVxDataItem* Item, int Level);
    // The index after the last row of Index's subtree.
    int SubtreeEnd(int Index);

    TViewListItems rows_;
};

// The full ID path of Item below Root (empty when Item is not below Root).
std::wstring ItemPathBelow(IVxDataItem* Item, IVxDataItems* Root);

}  // namespace vx
