#include "controls/VxDataConsumerExt.h"

#include <algorithm>

#include "framework/SysUtils.h"

namespace vx {

namespace {

Ptr<IVxDataItems> ChildrenOf(IVxDataItem* Item) {
    Ptr<IVxDataItems> list;
    if (!Item || FAILED(Item->QueryInterface(__uuidof(IVxDataItems), list.put_void()))) list.reset();
    return list;
}

Ptr<IVxDataItem> FindIn(IVxDataItems* List, const TVxDataItemID& ID, bool Recursive) {
    Ptr<IVxDataItem> item;
    Ptr<IVxDataIDSearch> search = Ptr<IVxDataItems>(List).As<IVxDataIDSearch>();
    if (!search || !search->FindByID(ID, Recursive, item)) item.reset();
    return item;
}

// IDs from the top down, joined by "/": each ID is copied once, however deep.
std::wstring JoinPath(const std::vector<std::wstring>& BottomUp) {
    std::wstring path;
    for (auto id = BottomUp.rbegin(); id != BottomUp.rend(); ++id) {
        if (!path.empty()) path += L'/';
        path += *id;
    }
    return path;
}

// Runs Body between the consumer's Enter and Leave.
template <class F>
void Entered(TVxDataConsumer* Consumer, F Body) {
    Consumer->Enter();
    try {
        Body();
    } catch (...) {
        Consumer->Leave();
        throw;
    }
    Consumer->Leave();
}

}  // namespace

std::wstring ItemPathBelow(IVxDataItem* Item, IVxDataItems* Root) {
    std::vector<std::wstring> ids;
    Ptr<IVxDataItem> item(Item);
    while (item) {
        ids.push_back(item->GetID());
        Ptr<IVxDataItems> list = item->GetItems();
        if (!list) return std::wstring();
        if (list.get() == Root) return JoinPath(ids);
        item = list->GetParent();
    }
    return std::wstring();
}

// --- TVxDataConsumerItemSelect ---------------------------------------------------------

const TVxClass TVxDataConsumerItemSelect::Class{L"TVxDataConsumerItemSelect", &TVxDataConsumerAggregatedObject::Class,
                                                NewExtensionOf<TVxDataConsumerItemSelect>, nullptr, nullptr};

bool TVxDataConsumerItemSelect::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataConsumerItemSelect>(this, Iid, Obj) ||
           TVxDataConsumerAggregatedObject::GetInterface(Iid, Obj);
}

void TVxDataConsumerItemSelect::SetItem(IVxDataItem* Item) {
    if (Item == item_.get()) return;
    item_ = Ptr<IVxDataItem>(Item);
    Ptr<IVxDataProvider> provider = ConsumerImpl()->ProviderIntf();
    Ptr<IVxDataItems> root = provider ? provider.As<IVxDataItems>() : nullptr;
    itemPath_ = Item && root ? ItemPathBelow(Item, root.get()) : std::wstring();
    NotifyViewChanged();
}

TVxDataItemID TVxDataConsumerItemSelect::ItemID() {
    return item_ ? item_->GetID() : TVxDataItemID();
}

void TVxDataConsumerItemSelect::SetItemID(const TVxDataItemID& ID) {
    if (ID == ItemID()) return;
    if (ID.empty()) {
        SetItem(nullptr);
        return;
    }
    TVxDataConsumer* consumer = ConsumerImpl();
    Ptr<IVxDataProvider> provider = consumer->ProviderIntf();
    if (!provider) {
        if (!consumer->OwnerLoading()) throw EVXLDataConsumer(msg::NoProviderForItem);
        pendingID_ = ID;
        NeedFixups();
        return;
    }
    Entered(consumer, [&] {
        // The provider searches (it may search more than its root list holds).
        Ptr<IVxDataIDSearch> search = provider.As<IVxDataIDSearch>();
        Ptr<IVxDataItem> found;
        if (!search || !search->FindByID(ID, true, found) || !found) throw EVXLDataConsumer(msg::ItemNotInContext);
        SetItem(found.get());
    });
}

void TVxDataConsumerItemSelect::Fixup() {
    const TVxDataItemID id = pendingID_;
    pendingID_.clear();
    SetItemID(id);
}

void TVxDataConsumerItemSelect::DataProviderChanging(IVxDataProvider*, int Reason, IUnknown* Source) {
    if (Reason != pcrDelete || !Source || !item_) return;
    Ptr<IVxDataItem> source = Ptr<IUnknown>(Source).As<IVxDataItem>();
    if (!source) return;
    Entered(ConsumerImpl(), [&] {
        if (source == item_ || source->IsParentOf(item_.get(), false)) {
            item_.reset();
            itemPath_.clear();
            // The views hear of it once the item is gone (DataProviderChanged):
            // told now, they would list the item that is about to go.
            clearedByDelete_ = true;
        }
    });
}

void TVxDataConsumerItemSelect::DataProviderChanged(IVxDataProvider* Provider, int Reason, IUnknown*) {
    if (Reason == pcrDelete && clearedByDelete_) {
        clearedByDelete_ = false;
        NotifyViewChanged();
        return;
    }
    if (Reason != pcrListUpdate || !item_ || !Provider) return;
    // A cleared list may have let the selected item go: find it again by its path, or drop it.
    Ptr<IVxDataItems> root = Ptr<IVxDataProvider>(Provider).As<IVxDataItems>();
    if (root && ItemPathBelow(item_.get(), root.get()) == itemPath_ && !itemPath_.empty()) return;
    Ptr<IVxDataItem> again = root && !itemPath_.empty() ? root->GetItemByID(itemPath_) : nullptr;
    item_.reset();
    SetItem(again.get());
    if (again) return;
    itemPath_.clear();
    NotifyViewChanged();
}

void TVxDataConsumerItemSelect::DefineProperties(fw::TFiler& Filer) {
    TVxDataConsumerAggregatedObject::DefineProperties(Filer);
    const std::wstring path = item_ ? (itemPath_.empty() ? ItemID() : itemPath_) : std::wstring();
    fw::DefineString(
        Filer, L"Item", path, [this](const std::wstring& Value) { SetItemID(Value); }, !path.empty());
}

// --- TVxCustomDataConsumerViewList -----------------------------------------------------

const TVxClass TVxCustomDataConsumerViewList::Class{L"TVxCustomDataConsumerViewList",
                                                    &TVxDataConsumerAggregatedObject::Class, nullptr, nullptr, nullptr};

bool TVxCustomDataConsumerViewList::GetInterface(REFIID Iid, void** Obj) {
    return AnswerInterface<IVxDataConsumerViewList>(this, Iid, Obj) ||
           TVxDataConsumerAggregatedObject::GetInterface(Iid, Obj);
}

void TVxCustomDataConsumerViewList::AfterConstruction() {
    TVxDataConsumerAggregatedObject::AfterConstruction();
    if (Owner() && ConsumerImpl()->ProviderIntf()) RebuildView();
}

void TVxCustomDataConsumerViewList::SetLevelIndent(int Value) {
    if (Value == levelIndent_) return;
    levelIndent_ = Value;
    Changed(ccrOther);
}

bool TVxCustomDataConsumerViewList::ItemVisible(IVxDataItem* Item) {
    int visibility = 3;
    Ptr<IVxDataProvider> provider = ConsumerImpl()->ProviderIntf();
    Ptr<IVxDataConsumer> selected = provider ? provider->SelectedConsumer() : nullptr;
    if (auto filter = selected ? selected.As<IVxDataConsumerItemFilter>() : nullptr)
        visibility = filter->ItemVisibility(Item);
    if (visibility >= 2)
        if (auto own = Ptr<IVxDataItem>(Item).As<IVxDataItemVisibility>()) visibility = own->Visibility();
    return visibility != 0;
}

void TVxCustomDataConsumerViewList::RebuildView() {
    ClearView();
    TVxDataConsumer* consumer = ConsumerImpl();
    if (consumer->ProviderIntf()) {
        Entered(consumer, [&] {
            int index = 0;
            if (Ptr<IVxDataItems> root = consumer->RootItems()) AddItems(index, root.get(), autoExpand_);
        });
    }
    NotifyViewChanged();
}

// Runs Body inside the consumer's bracket when it has a provider (the filters
// are asked of the consumer the provider has selected).
template <class F>
void WithProvider(TVxDataConsumer* Consumer, F Body) {
    if (Consumer->ProviderIntf()) Entered(Consumer, Body);
    else Body();
}

void TVxCustomDataConsumerViewList::ExpandTreeTo(IVxDataItem* Item) {
    WithProvider(ConsumerImpl(), [&] { ExpandTowards(Item); });
}

void TVxCustomDataConsumerViewList::ExpandTowards(IVxDataItem* Item) {
    if (!Item || !ItemVisible(Item) || IndexOfItem(Item) >= 0) return;
    // The ancestors up to the first one that is shown already (or hidden), then
    // each opened from the top down: a deep tree costs no stack.
    std::vector<Ptr<IVxDataItem>> ancestors;
    for (Ptr<IVxDataItem> item(Item);;) {
        Ptr<IVxDataItems> list = item->GetItems();
        Ptr<IVxDataItem> parent = list ? list->GetParent() : nullptr;
        if (!parent) break;
        ancestors.push_back(parent);
        if (!ItemVisible(parent.get()) || IndexOfItem(parent.get()) >= 0) break;
        item = parent;
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        const int row = IndexOfItem(it->get());
        if (row < 0) continue;
        if (ItemIsExpanded(row)) throw EVXLDataConsumer(msg::ViewListOutOfSync);
        ToggleItem(row);
    }
}

Ptr<IVxDataItem> TVxCustomDataConsumerViewList::ItemParent(int Index) {
    const int parent = ItemParentIndex(Index);
    return parent < 0 ? nullptr : Item(parent);
}

Ptr<IVxDataItem> TVxCustomDataConsumerViewList::ItemSibling(int Index) {
    const int sibling = ItemSiblingIndex(Index);
    return sibling < 0 ? nullptr : Item(sibling);
}

int TVxCustomDataConsumerViewList::SubItemIndex(IVxDataItem* Parent, int Index) {
    const int parent = IndexOfItem(Parent);
    return parent < 0 ? -1 : SubItemIndexAt(parent, Index);
}

Ptr<IVxDataItem> TVxCustomDataConsumerViewList::SubItem(IVxDataItem* Parent, int Index) {
    const int row = SubItemIndex(Parent, Index);
    return row < 0 ? nullptr : Item(row);
}

Ptr<IVxDataItem> TVxCustomDataConsumerViewList::SubItemAt(int ParentIndex, int Index) {
    const int row = SubItemIndexAt(ParentIndex, Index);
    return row < 0 ? nullptr : Item(row);
}

int TVxCustomDataConsumerViewList::ChildIndexOfItem(IVxDataItem* Item) {
    const int row = IndexOfItem(Item);
    if (row < 0) return -1;
    int position = 0;
    const int level = ItemLevel(row);
    for (int i = row - 1; i >= 0 && ItemLevel(i) >= level; --i)
        if (ItemLevel(i) == level) ++position;
    return position;
}

std::vector<uint32_t> TVxCustomDataConsumerViewList::ItemGroupInfo(int Index) {
    std::vector<uint32_t> bits(size_t(ItemLevel(Index) / 32 + 1), 0);
    for (int parent = ItemParentIndex(Index); parent >= 0; parent = ItemParentIndex(parent)) {
        const int level = ItemLevel(parent);
        if (ItemSiblingIndex(parent) != -1) bits[size_t(level / 32)] |= 1u << (level % 32);
    }
    return bits;
}

void TVxCustomDataConsumerViewList::DataProviderChanging(IVxDataProvider*, int Reason, IUnknown* Source) {
    if (Reason != pcrDelete || !Source) return;
    Ptr<IVxDataItem> source = Ptr<IUnknown>(Source).As<IVxDataItem>();
    if (!source) return;
    Entered(ConsumerImpl(), [&] {
        const int row = IndexOfItem(source.get());
        if (row < 0) return;
        DeleteItem(row);
        NotifyViewChanged();
    });
}

void TVxCustomDataConsumerViewList::DataProviderChanged(IVxDataProvider*, int Reason, IUnknown* Source) {
    if (Reason == pcrListUpdate) {
        // The same reason says a list was cleared or its images changed. Only a
        // cleared list is rebuilt (no row of a freed item stays); new images keep
        // the rows the user opened.
        Ptr<IVxDataItems> list = Source ? Ptr<IUnknown>(Source).As<IVxDataItems>() : nullptr;
        if (!list || list->GetCount() == 0) RebuildView();
        return;
    }
    if (Reason != pcrAdd || !Source) return;
    Ptr<IVxDataItem> item = Ptr<IUnknown>(Source).As<IVxDataItem>();
    if (!item) return;
    Entered(ConsumerImpl(), [&] {
        Ptr<IVxDataItems> list = item->GetItems();
        Ptr<IVxDataItem> parent = list ? list->GetParent() : nullptr;
        // A new item of the view's root list (the selected item's children while
        // one is selected) is a root row; a top-level item outside it has none.
        Ptr<IVxDataItems> roots = ConsumerImpl()->RootItems();
        if (list && list == roots) {
            AddChildItem(-1, item.get());
            NotifyViewChanged();
            return;
        }
        if (!parent) return;
        int row = IndexOfItem(parent.get());
        if (row < 0 && expandOnNew_) {
            ExpandTreeTo(parent.get());
            row = IndexOfItem(parent.get());
        }
        if (row < 0) return;
        if (!ItemIsExpanded(row)) {
            if (!expandOnNew_) return;
            UpdateItemFlags(row, vlHasList | vlHasChildren, vlHasList | vlHasChildren);
            ToggleItem(row);
        } else {
            AddChildItem(row, item.get());
            NotifyViewChanged();
        }
    });
}

void TVxCustomDataConsumerViewList::DefineProperties(fw::TFiler& Filer) {
    TVxDataConsumerAggregatedObject::DefineProperties(Filer);
    fw::DefineInteger(
        Filer, L"LevelIndent", levelIndent_, [this](int32_t Value) { SetLevelIndent(Value); }, levelIndent_ != 16);
}

// --- TVxDataConsumerViewList: rows -----------------------------------------------------

const TVxClass TVxDataConsumerViewList::Class{L"TVxDataConsumerViewList", &TVxCustomDataConsumerViewList::Class,
                                              NewExtensionOf<TVxDataConsumerViewList>, nullptr, nullptr};

int TVxDataConsumerViewList::ItemLevel(int Index) {
    return ValidRow(Index) ? int(rows_[size_t(Index)].Flags & vlLevelMask) : -1;
}

bool TVxDataConsumerViewList::ItemIsExpanded(int Index) {
    return ValidRow(Index) && (rows_[size_t(Index)].Flags & vlExpanded);
}

bool TVxDataConsumerViewList::ItemHasChildren(int Index) {
    return ValidRow(Index) && (rows_[size_t(Index)].Flags & vlHasChildren);
}

int TVxDataConsumerViewList::IndexOfID(const TVxDataItemID& ID) {
    for (int i = int(rows_.size()) - 1; i >= 0; --i)
        if (fw::SameText(rows_[size_t(i)].ID, ID)) return i;
    return -1;
}

std::wstring TVxDataConsumerViewList::RowPath(int Index) {
    std::vector<std::wstring> ids;
    for (int row = Index; row >= 0; row = ItemParentIndex(row)) ids.push_back(rows_[size_t(row)].ID);
    return JoinPath(ids);
}

bool TVxDataConsumerViewList::RowHasPath(int Index, const std::wstring& Path) {
    // From the row up, each ID against the path's end: most rows differ in
    // their own ID, so a search costs no path of every row.
    size_t end = Path.size();
    for (int row = Index;;) {
        const std::wstring& id = rows_[size_t(row)].ID;
        if (id.size() > end || fw::CompareText(Path.substr(end - id.size(), id.size()), id) != 0) return false;
        end -= id.size();
        row = ItemParentIndex(row);
        if (row < 0) return end == 0;
        if (end == 0 || Path[end - 1] != L'/') return false;
        --end;
    }
}

int TVxDataConsumerViewList::IndexOfPath(const std::wstring& Path) {
    if (Path.empty()) return -1;
    for (int i = int(rows_.size()) - 1; i >= 0; --i)
        if (RowHasPath(i, Path)) return i;
    return -1;
}

int TVxDataConsumerViewList::IndexOfItem(IVxDataItem* Item) {
    if (!Item) return -1;
    Ptr<IVxDataItems> root = ConsumerImpl()->RootItems();
    return root ? IndexOfPath(ItemPathBelow(Item, root.get())) : -1;
}

int TVxDataConsumerViewList::ItemParentIndex(int Index) {
    const int level = ItemLevel(Index);
    for (int i = Index - 1; i >= 0; --i)
        if (ItemLevel(i) < level) return i;
    return -1;
}

int TVxDataConsumerViewList::ItemSiblingIndex(int Index) {
    const int level = ItemLevel(Index);
    for (int i = Index + 1; i < int(rows_.size()); ++i) {
        if (ItemLevel(i) == level) return i;
        if (ItemLevel(i) < level) return -1;
    }
    return -1;
}

int TVxDataConsumerViewList::ChildIndexOfID(const TVxDataItemID& ID) {
    const int row = IndexOfID(ID);
    if (row < 0) return -1;
    int position = 0;
    const int level = ItemLevel(row);
    for (int i = row - 1; i >= 0 && ItemLevel(i) >= level; --i)
        if (ItemLevel(i) == level) ++position;
    return position;
}

int TVxDataConsumerViewList::SubItemIndexAt(int ParentIndex, int Index) {
    if (!ValidRow(ParentIndex + 1) || ItemLevel(ParentIndex + 1) <= ItemLevel(ParentIndex)) return -1;
    int row = ParentIndex + 1;
    for (int i = 0; i < Index && row >= 0; ++i) row = ItemSiblingIndex(row);
    return row;
}

Ptr<IVxDataItem> TVxDataConsumerViewList::Item(int Index) {
    if (!ValidRow(Index)) return nullptr;
    // The rows above it up to its root row, then each found in the list of the
    // one before, from the root items down: a deep row costs no stack.
    std::vector<int> rows;
    for (int row = Index; row >= 0; row = ItemParentIndex(row)) rows.push_back(row);
    Ptr<IVxDataItems> list = ConsumerImpl()->RootItems();
    Ptr<IVxDataItem> item;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row != rows.rbegin()) list = ChildrenOf(item.get());
        item = list ? FindIn(list.get(), rows_[size_t(*row)].ID, false) : nullptr;
        if (!item) return nullptr;
    }
    return item;
}

uint32_t TVxDataConsumerViewList::NewRowFlags(IVxDataItem* Item, int Level) {
    uint32_t flags = uint32_t(Level) & vlLevelMask;
    if (Ptr<IVxDataItems> children = ChildrenOf(Item)) {
        flags |= vlHasList;
        if (children->GetCount() > 0) flags |= vlHasChildren;
    }
    return flags;
}

int TVxDataConsumerViewList::SubtreeEnd(int Index) {
    if (Index < 0) return int(rows_.size());
    const int level = ItemLevel(Index);
    int end = Index + 1;
    while (end < int(rows_.size()) && ItemLevel(end) > level) ++end;
    return end;
}

void TVxDataConsumerViewList::ToggleItem(int Index) {
    if (!ItemHasChildren(Index)) return;
    if (ItemIsExpanded(Index)) {
        DeleteItems(Index);
    } else {
        WithProvider(ConsumerImpl(), [&] {
            Ptr<IVxDataItems> children = ChildrenOf(Item(Index).get());
            int at = Index + 1;
            if (children) AddItems(at, children.get(), 0);
        });
    }
    NotifyViewChanged();
}

void TVxDataConsumerViewList::AddItems(int& Index, IVxDataItems* Items, int ExpandLevel) {
    // The lists being listed, innermost last: expanding every level of a deep
    // tree costs no stack.
    struct TListing {
        Ptr<IVxDataItems> Items;
        int Next, Count, Level, Expand;
    };
    std::vector<TListing> listings;
    const auto open = [&](IVxDataItems* List, int Expand) {
        int level = 0;
        if (Index > 0) {
            rows_[size_t(Index - 1)].Flags |= vlExpanded;
            level = ItemLevel(Index - 1) + 1;
        }
        listings.push_back({Ptr<IVxDataItems>(List), 0, List->GetCount(), level, Expand});
    };
    open(Items, ExpandLevel);
    while (!listings.empty()) {
        TListing& at = listings.back();
        if (at.Next >= at.Count) {
            listings.pop_back();
            continue;
        }
        Ptr<IVxDataItem> item = at.Items->GetItem(at.Next++);
        if (!item || !ItemVisible(item.get())) continue;
        const uint32_t flags = NewRowFlags(item.get(), at.Level);
        rows_.insert(rows_.begin() + Index, TViewListItem{item->GetID(), flags});
        ++Index;
        if (at.Expand != 0 && (flags & vlHasChildren)) open(ChildrenOf(item.get()).get(), at.Expand - 1);
    }
}

void TVxDataConsumerViewList::AddItem(int ParentIndex, IVxDataItem* Item, int ExpandLevel) {
    if (!Item || !ItemVisible(Item)) return;
    if (ValidRow(ParentIndex) && !ItemIsExpanded(ParentIndex) && ItemHasChildren(ParentIndex)) {
        ToggleItem(ParentIndex);
        return;
    }
    int at = SubtreeEnd(ParentIndex);
    const uint32_t flags = NewRowFlags(Item, ParentIndex < 0 ? 0 : ItemLevel(ParentIndex) + 1);
    rows_.insert(rows_.begin() + at, TViewListItem{Item->GetID(), flags});
    if (ValidRow(ParentIndex)) rows_[size_t(ParentIndex)].Flags |= vlExpanded | vlHasList | vlHasChildren;
    ++at;
    if (ExpandLevel != 0 && (flags & vlHasChildren)) AddItems(at, ChildrenOf(Item).get(), ExpandLevel - 1);
}

void TVxDataConsumerViewList::AddChildItem(int ParentIndex, IVxDataItem* Item) {
    if (!Item || !ItemVisible(Item)) return;
    if (!ValidRow(ParentIndex)) {
        InsertItem(int(rows_.size()), -1, Item);
        return;
    }
    if (!ItemIsExpanded(ParentIndex)) {
        UpdateItemFlags(ParentIndex, vlHasList | vlHasChildren, vlHasList | vlHasChildren);
        ToggleItem(ParentIndex);
    }
    if (IndexOfItem(Item) < 0) InsertItem(SubtreeEnd(ParentIndex), ParentIndex, Item);
}

void TVxDataConsumerViewList::InsertItem(int InsertIndex, int ParentIndex, IVxDataItem* Item) {
    if (!Item || !ItemVisible(Item)) return;
    InsertIndex = std::clamp(InsertIndex, 0, int(rows_.size()));
    const int level = ValidRow(ParentIndex) ? ItemLevel(ParentIndex) + 1 : 0;
    rows_.insert(rows_.begin() + InsertIndex, TViewListItem{Item->GetID(), NewRowFlags(Item, level)});
    if (ValidRow(ParentIndex)) {
        if (ParentIndex >= InsertIndex) ++ParentIndex;
        rows_[size_t(ParentIndex)].Flags |= vlExpanded | vlHasList | vlHasChildren;
    }
}

void TVxDataConsumerViewList::DeleteItem(int Index) {
    if (!ValidRow(Index)) return;
    DeleteItems(Index);
    const int parent = ItemParentIndex(Index);
    rows_.erase(rows_.begin() + Index);
    // The parent's last child row gone: it shows no children any more.
    if (parent >= 0 && SubtreeEnd(parent) == parent + 1) rows_[size_t(parent)].Flags &= ~(vlHasChildren | vlExpanded);
}

void TVxDataConsumerViewList::DeleteItems(int Index) {
    if (!ItemIsExpanded(Index) || !ItemHasChildren(Index)) return;
    rows_.erase(rows_.begin() + Index + 1, rows_.begin() + SubtreeEnd(Index));
    rows_[size_t(Index)].Flags &= ~vlExpanded;
}

void TVxDataConsumerViewList::UpdateItemFlags(int Index, uint32_t Value, uint32_t Mask) {
    if (!ValidRow(Index)) return;
    uint32_t& flags = rows_[size_t(Index)].Flags;
    flags = (flags & ~Mask) | (Value & Mask);
}

void TVxDataConsumerViewList::ClearView() {
    rows_.clear();
}

}  // namespace vx
