// Contexts, the consumer and its extensions, against the recording provider.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "RecordingProvider.h"
#include "controls/VxDataConsumer.h"
#include "controls/VxDataConsumerExt.h"
#include "controls/VxDataContexts.h"
#include "framework/ImageList.h"
#include "framework/Streams.h"

using namespace vx;
using testdp::AddItem;
using testdp::Children;

namespace {

// A client of a consumer, counting provider changes.
class Client : public IVxDataConsumerClient {
public:
    int changes = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** obj) override {
        *obj = IsEqualIID(iid, __uuidof(IVxDataConsumerClient)) || IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        return *obj ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void STDMETHODCALLTYPE ClientAdded(IVxDataConsumerClientLink*) override {}
    void STDMETHODCALLTYPE ClientRemoved(IVxDataConsumerClientLink*) override {}
    void STDMETHODCALLTYPE ProviderChanged(IVxDataConsumerClientLink*) override { ++changes; }
};

// A consumer-side filter, attached to the consumer: it hides the IDs in hidden,
// shows those in shown without asking the item, and lets every other item decide.
class HideFilter : public TVxDataConsumerAggregatedObject, public IVxDataConsumerItemFilter {
    VX_CLASS(HideFilter)
    VX_IUNKNOWN
public:
    using TVxDataConsumerAggregatedObject::TVxDataConsumerAggregatedObject;
    std::vector<std::wstring> hidden, shown;
    bool GetInterface(REFIID Iid, void** Obj) override {
        return AnswerInterface<IVxDataConsumerItemFilter>(this, Iid, Obj) ||
               TVxDataConsumerAggregatedObject::GetInterface(Iid, Obj);
    }
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    int STDMETHODCALLTYPE ItemVisibility(IVxDataItem* Item) override {
        const std::wstring id = Item->GetID();
        if (std::find(hidden.begin(), hidden.end(), id) != hidden.end()) return 0;
        return std::find(shown.begin(), shown.end(), id) != shown.end() ? 1 : 3;
    }
};
const TVxClass HideFilter::Class{L"HideFilter", &TVxDataConsumerAggregatedObject::Class, nullptr, nullptr, nullptr};

// An item that hides itself when the consumer lets it decide.
class Invisible : public TVxDataItemAggregatedObject, public IVxDataItemVisibility {
    VX_CLASS(Invisible)
    VX_IUNKNOWN
public:
    using TVxDataItemAggregatedObject::TVxDataItemAggregatedObject;
    bool GetInterface(REFIID Iid, void** Obj) override {
        return AnswerInterface<IVxDataItemVisibility>(this, Iid, Obj) ||
               TVxDataItemAggregatedObject::GetInterface(Iid, Obj);
    }
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    int STDMETHODCALLTYPE Visibility() override { return 0; }
};
const TVxClass Invisible::Class{L"Invisible", &TVxDataItemAggregatedObject::Class, nullptr, nullptr, nullptr};

// A provider that is a component of a form, named there.
class ProviderOnForm : public fw::TComponent, public testdp::RecordingProvider {
public:
    using fw::TComponent::TComponent;
};

// A component of a form that streams its consumer as "Consumer".
class ConsumerHost : public fw::TComponent {
public:
    explicit ConsumerHost(fw::TComponent* Owner)
        : fw::TComponent(Owner), consumer(New<TVxDataConsumer>(this, std::initializer_list<int>{})) {}
    ~ConsumerHost() override { consumer->Free(); }
    void DefineProperties(fw::TFiler& Filer) override {
        fw::TComponent::DefineProperties(Filer);
        fw::DefinePersistent(Filer, L"Consumer", consumer);
    }
    TVxDataConsumer* consumer;
};

class DataConsumerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDataProviderClasses();
        provider.Shutdown();
        baseline = TExtensibleInterfacedPersistent::LiveCount();
        provider.Restart();
        provider.AddContextList();
    }
    void TearDown() override {
        heldContexts.clear();
        if (consumer) consumer->Free();
        provider.Shutdown();
        EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), baseline);
        EXPECT_EQ(provider.refs, 0);
    }
    // The child contexts of Parent, kept until the test ends.
    TVxDataContexts* ChildContexts(TVxDataContext* Parent) {
        auto* kids = New<TVxDataContexts>(&provider, Parent);
        heldContexts.emplace_back(kids);
        return kids;
    }
    TVxDataContext* AddContext(TVxDataContexts* list, const std::wstring& name) {
        auto* context = New<TVxDataContext>(list, name);
        list->DoAddContext(context);
        return context;
    }
    // root: a(a1, a2 (a21)), b(x), c — note x and a1 share no IDs; "dup" appears in two branches
    void BuildTree() {
        a = AddItem(provider.Root(), L"a");
        auto* aKids = Children(a);
        a1 = AddItem(aKids, L"a1");
        a2 = AddItem(aKids, L"dup");
        a21 = AddItem(Children(a2), L"a21");
        b = AddItem(provider.Root(), L"b");
        bx = AddItem(Children(b), L"dup");
        c = AddItem(provider.Root(), L"c");
    }
    TVxDataConsumerViewList* ViewOf() {
        return static_cast<TVxDataConsumerViewList*>(consumer->FindExtension(&TVxDataConsumerViewList::Class));
    }
    std::vector<std::wstring> Rows(TVxDataConsumerViewList* view) {
        std::vector<std::wstring> rows;
        for (int i = 0; i < view->Count(); ++i)
            rows.push_back(std::wstring(size_t(view->ItemLevel(i)), L' ') + view->RowPath(i) +
                           (view->ItemIsExpanded(i)    ? L"-"
                            : view->ItemHasChildren(i) ? L"+"
                                                       : L""));
        return rows;
    }
    static TVxDataConsumerItemSelect* SelectOf(TVxDataConsumer* Consumer) {
        return static_cast<TVxDataConsumerItemSelect*>(Consumer->FindExtension(&TVxDataConsumerItemSelect::Class));
    }
    // A consumer of the provider showing Context with ItemID selected is written,
    // then read into `consumer` (owned by Owner) as a form reads it; the copy has
    // no provider yet. Returns the item the written consumer had selected.
    IVxDataItem* StreamSelection(fw::TComponent& Owner, const std::wstring& Context, const std::wstring& ItemID) {
        provider.consumerClasses = {&TVxDataConsumerItemSelect::Class};
        fw::TMemoryStream stream;
        IVxDataItem* selected = nullptr;
        {
            auto* source = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{});
            source->SetProviderIntf(&provider);
            source->SetContext(Context);
            SelectOf(source)->SetItemID(ItemID);
            selected = SelectOf(source)->GetItem().get();
            fw::TWriter writer(&stream);
            source->WriteProperties(writer);
            writer.WriteListEnd();
            source->Free();
        }
        consumer = New<TVxDataConsumer>(&Owner, std::initializer_list<int>{});
        Owner.BeginLoading();
        stream.SetPosition(0);
        fw::TReader reader(&stream);
        consumer->ReadProperties(reader);
        Owner.EndLoading();
        return selected;
    }

    testdp::RecordingProvider provider;
    std::vector<Ptr<IVxDataContexts>> heldContexts;
    int baseline = 0;
    TVxDataConsumer* consumer = nullptr;
    TVxBaseDataItem *a = nullptr, *a1 = nullptr, *a2 = nullptr, *a21 = nullptr, *b = nullptr, *bx = nullptr,
                    *c = nullptr;
};

TEST_F(DataConsumerTest, ContextsFormATreeFoundByPaths) {
    TVxDataContexts* root = provider.Contexts();
    TVxDataContext* x = AddContext(root, L"x");
    auto* fixed = New<TVxFixedDataContext>(root, L"fixed");
    root->DoAddContext(fixed);
    TVxDataContexts* xKids = ChildContexts(x);
    TVxDataContext* y = AddContext(xKids, L"y");
    EXPECT_EQ(root->GetContextByName(L"X").get(), static_cast<IVxDataContext*>(x));
    EXPECT_EQ(root->GetContextByName(L"x/y").get(), static_cast<IVxDataContext*>(y));  // descends
    EXPECT_FALSE(root->GetContextByName(L"x/fixed"));
    EXPECT_FALSE(root->GetContextByName(L"..\\x"));
    EXPECT_FALSE(root->GetContextByName(L"\\x"));
    EXPECT_EQ(xKids->GetContextByName(L"..\\fixed").get(), static_cast<IVxDataContext*>(fixed));
    EXPECT_EQ(xKids->GetContextByName(L"\\x").get(), static_cast<IVxDataContext*>(x));
    std::wstring winding;  // however long a path (a stream's) winds, it costs no stack
    for (int i = 0; i < 100000; ++i) winding += L"x/../";
    EXPECT_EQ(root->GetContextByName(winding + L"x/y").get(), static_cast<IVxDataContext*>(y));
    // Names are unique per list, regardless of case.
    EXPECT_THROW(AddContext(root, L"X"), EVXLDataContexts);
    EXPECT_THROW(fixed->SetName(L"X"), EVXLDataContexts);
    fixed->SetName(L"fixed");
    EXPECT_THROW(New<TVxDataContext>(nullptr, L"z"), EVXLDataContexts);
    // A name with a separator could never be found: it is refused.
    EXPECT_THROW(AddContext(root, L"q/r"), EVXLDataContexts);
    EXPECT_THROW(AddContext(xKids, L"Q\\R"), EVXLDataContexts);
    EXPECT_THROW(fixed->SetName(L".."), EVXLDataContexts);
    EXPECT_EQ(fixed->Name(), L"fixed");
    provider.calls.clear();
    root->DoAddContext(x);  // again: nothing
    root->DoRemoveContext(fixed);
    EXPECT_TRUE(provider.Changes().empty());
    EXPECT_EQ(root->GetCount(), 2);
    root->DoRemoveContext(x);
    EXPECT_EQ(provider.Changes(), (std::vector<std::string>{"Changing(6)", "Changed(6)"}));
}

TEST_F(DataConsumerTest, ContextTextsFollowAncestorsAndDieWithTheirContext) {
    BuildTree();
    TVxDataContext* ca = AddContext(provider.Contexts(), L"A");
    TVxDataContexts* aKids = ChildContexts(ca);
    TVxDataContext* cb = AddContext(aKids, L"B");
    auto* text = New<TVxDataItemContextTextImpl>(c);
    text->SetText(L"default");
    provider.selectedContext = Ptr<IVxDataContext>(ca);
    text->SetText(L"in A");
    provider.selectedContext = Ptr<IVxDataContext>(cb);
    EXPECT_EQ(text->GetText(), L"in A");
    EXPECT_TRUE(text->IsEqualToDefault());
    provider.calls.clear();
    text->RevertToDefault();  // B has no entry: nothing
    EXPECT_TRUE(provider.Changes().empty());
    text->SetText(L"in B");
    EXPECT_FALSE(text->IsEqualToDefault());
    EXPECT_EQ(text->EntryCount(), 2);
    // B goes: its entry goes with it.
    provider.selectedContext = Ptr<IVxDataContext>(ca);
    aKids->DoRemoveContext(cb);
    EXPECT_EQ(text->EntryCount(), 1);
    EXPECT_EQ(text->GetText(), L"in A");
    provider.selectedContext.reset();
    EXPECT_EQ(text->GetText(), L"default");
}

TEST_F(DataConsumerTest, ContextTextsOfAnyListOfTheProviderLoseTheEntriesOfAGoneContext) {
    // A list of the provider that is not its root: one read from a stream.
    BuildTree();
    TVxBaseDataItem* d0 = AddItem(provider.Root(), L"d");
    d0->RemoveIntfImpl(d0->FindExtension(&TVxDataItemTextImpl::Class));
    New<TVxDataItemContextTextImpl>(d0)->SetText(L"d");  // no context selected: the default
    fw::TMemoryStream stream;
    SaveItemsToStream(provider.Root(), &stream);
    stream.SetPosition(0);
    Ptr<IVxDataItems> loaded = LoadItemsFromStream(&stream, &provider);
    Ptr<IVxDataItem> d = loaded->GetItemByID(L"d");
    ASSERT_TRUE(d);
    auto* text = static_cast<TVxDataItemContextTextImpl*>(
        static_cast<TVxBaseDataItem*>(d->GetImplementer())->FindExtension(&TVxDataItemContextTextImpl::Class));
    ASSERT_TRUE(text);
    TVxDataContext* gone = AddContext(provider.Contexts(), L"gone");
    provider.selectedContext = Ptr<IVxDataContext>(gone);
    text->SetText(L"in gone");
    EXPECT_EQ(text->EntryCount(), 1);
    provider.selectedContext.reset();
    provider.Contexts()->DoRemoveContext(gone);  // the last reference: the context is freed
    EXPECT_EQ(text->EntryCount(), 0);
    EXPECT_EQ(text->GetText(), L"d");
}

TEST_F(DataConsumerTest, ConsumerSelectsProviderInOrderAndChecksContextFirst) {
    std::vector<std::string> log;
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{1, 3, 3});
    EXPECT_EQ(consumer->Attributes(), (std::vector<int>{1, 3}));
    EXPECT_TRUE(consumer->AttributeApplies(3));
    EXPECT_FALSE(consumer->AttributeApplies(2));
    consumer->OnChanging = [&](TVxDataConsumer*, int r) { log.push_back("changing" + std::to_string(r)); };
    consumer->OnChanged = [&](TVxDataConsumer*, int r) { log.push_back("changed" + std::to_string(r)); };
    consumer->SetProviderIntf(nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_THROW(consumer->SetContext(L"x"), EVXLDataConsumer);
    AddContext(provider.Contexts(), L"first");
    AddContext(provider.Contexts(), L"second");
    provider.consumerClasses = {&TVxDataConsumerItemSelect::Class};
    provider.calls.clear();
    consumer->SetProviderIntf(&provider);
    ASSERT_GE(log.size(), 2u);
    ASSERT_FALSE(provider.calls.empty());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 2),
              (std::vector<std::string>{"changing0", "changing3"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "changed3"), 1);
    EXPECT_EQ(log.back(), "changed0");
    EXPECT_EQ(provider.calls.front(), "RegisterChangeNotify");
    EXPECT_EQ(consumer->Context(), L"first");
    EXPECT_FALSE(consumer->IsContextStored());
    EXPECT_TRUE(consumer->FindExtension(&TVxDataConsumerItemSelect::Class));
    EXPECT_TRUE(consumer->FindExtension(&TVxDataConsumerViewList::Class));  // attribute 3
    log.clear();
    consumer->SetContext(L"first");
    EXPECT_TRUE(log.empty());
    EXPECT_THROW(consumer->SetContext(L"none"), EVXLDataConsumer);
    consumer->SetContext(L"SECOND");
    EXPECT_EQ(consumer->Context(), L"second");
    // A context of another provider is refused.
    {
        testdp::RecordingProvider other;
        other.AddContextList();
        const int live = TExtensibleInterfacedPersistent::LiveCount();
        TVxDataContext* foreign = AddContext(other.Contexts(), L"f");
        EXPECT_THROW(consumer->SetContextIntf(foreign), EVXLDataConsumer);
        EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), live + 1);
        other.Shutdown();
        EXPECT_EQ(other.refs, 0);
    }

    // Destroying with a provider: changing 0 but no changed.
    log.clear();
    consumer->Free();
    consumer = nullptr;
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "changing0");
    EXPECT_EQ(std::count(log.begin(), log.end(), "changed0"), 0);
    EXPECT_TRUE(provider.notifies.empty());
}

TEST_F(DataConsumerTest, PendingContextNameIsCheckedBeforeTheProviderIsTaken) {
    fw::TComponent owner(nullptr);
    consumer = New<TVxDataConsumer>(&owner, std::initializer_list<int>{});
    owner.BeginLoading();
    consumer->SetContext(L"missing");
    owner.EndLoading();
    AddContext(provider.Contexts(), L"present");
    provider.calls.clear();
    EXPECT_THROW(consumer->SetProviderIntf(&provider), EVXLDataConsumer);
    EXPECT_FALSE(consumer->ProviderIntf());
    EXPECT_TRUE(provider.calls.empty());
    std::exchange(consumer, nullptr)->Free();  // before its owner goes
}

TEST_F(DataConsumerTest, ViewListRowsFollowExpandCollapseDeleteAndClear) {
    BuildTree();
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{1, 3});
    consumer->SetProviderIntf(&provider);
    TVxDataConsumerViewList* view = ViewOf();
    ASSERT_TRUE(view);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a+", L"b+", L"c"}));
    view->SetAutoExpandLevel(-1);
    view->RebuildView();
    EXPECT_EQ(Rows(view),
              (std::vector<std::wstring>{L"a-", L" a/a1", L" a/dup-", L"  a/dup/a21", L"b-", L" b/dup", L"c"}));
    // Equal IDs in two branches: each row is its own item.
    EXPECT_EQ(view->IndexOfItem(bx), 5);
    EXPECT_EQ(view->IndexOfItem(a2), 2);
    EXPECT_EQ(view->Item(5).get(), static_cast<IVxDataItem*>(bx));
    EXPECT_EQ(view->ItemSiblingIndex(2), -1);
    EXPECT_EQ(view->ChildIndexOfItem(a2), 1);
    EXPECT_EQ(view->ItemParentIndex(3), 2);
    ASSERT_FALSE(view->ItemGroupInfo(3).empty());
    EXPECT_EQ(view->ItemGroupInfo(3)[0], 1u);  // a (level 0) has a following sibling, dup (level 1) none
    // Collapse and expand give the same rows back.
    view->ToggleItem(0);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a+", L"b-", L" b/dup", L"c"}));
    view->ToggleItem(0);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a-", L" a/a1", L" a/dup+", L"b-", L" b/dup", L"c"}));
    // Deleting the only child of b leaves b with a list, no children, collapsed.
    Ptr<IVxDataItems> bKids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(b)).As<IVxDataItems>();
    bKids.As<IVxDataItemsManagement>()->Delete(0);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a-", L" a/a1", L" a/dup+", L"b", L"c"}));
    EXPECT_TRUE(view->Flags(3) & vlHasList);
    // An added item shows under its expanded parent.
    Ptr<IVxDataItemsManagement> aManage = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a)).As<IVxDataItemsManagement>();
    Ptr<IVxDataItem> added = aManage->New();
    EXPECT_EQ(view->IndexOfItem(added.get()), 3);
    added.reset();
    // Clear: the rows are rebuilt, none points at a freed item.
    aManage->Clear();
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    provider.RootManagement()->Clear();
    EXPECT_EQ(view->Count(), 0);
}

TEST_F(DataConsumerTest, SelectionNarrowsTheViewAndSurvivesClear) {
    BuildTree();
    provider.consumerClasses = {&TVxDataConsumerItemSelect::Class};
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{1, 3});
    EXPECT_THROW(New<TVxDataConsumerItemSelect>(consumer)->SetItemID(L"a"), EVXLDataConsumer);
    consumer->SetProviderIntf(&provider);
    auto* select = SelectOf(consumer);
    ASSERT_TRUE(select);
    select->SetItemID(L"a21");  // found recursively
    EXPECT_EQ(select->GetItem().get(), static_cast<IVxDataItem*>(a21));
    select->SetItemID(L"a");
    EXPECT_EQ(Rows(ViewOf()), (std::vector<std::wstring>{L"a1", L"dup+"}));
    // A new child of the selected item is a root row, with expand-on-new or
    // without; a new item outside the selection's children gets no row.
    auto aKids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a)).As<IVxDataItemsManagement>();
    for (const bool expand : {false, true}) {
        ViewOf()->SetExpandOnNewItem(expand);
        Ptr<IVxDataItem> fresh = aKids->New();
        EXPECT_EQ(ViewOf()->ItemLevel(ViewOf()->IndexOfItem(fresh.get())), 0) << expand;
    }
    aKids.reset();
    provider.RootManagement()->New();
    EXPECT_EQ(ViewOf()->Count(), 4);
    EXPECT_THROW(select->SetItemID(L"zzz"), EVXLDataConsumer);
    EXPECT_EQ(select->ItemID(), L"a");
    provider.calls.clear();
    select->SetItemID(L"a");
    EXPECT_TRUE(provider.Changes().empty());
    // Deleting the selected item's ancestor clears the selection.
    select->SetItemID(L"a21");
    provider.RootManagement()->Delete(0);
    EXPECT_FALSE(select->GetItem());
    // After Clear the selection never points at a freed item.
    select->SetItemID(L"c");
    provider.RootManagement()->Clear();
    EXPECT_FALSE(select->GetItem());
    EXPECT_EQ(ViewOf()->Count(), 0);
}

TEST_F(DataConsumerTest, DeletingTheSelectionsAncestorTellsTheViewsOnceItIsGone) {
    BuildTree();
    provider.consumerClasses = {&TVxDataConsumerItemSelect::Class};
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{1, 3});
    std::vector<int> changes;
    consumer->OnChanged = [&](TVxDataConsumer*, int reason) { changes.push_back(reason); };
    consumer->SetProviderIntf(&provider);
    auto* select = SelectOf(consumer);
    ASSERT_TRUE(select);
    select->SetItemID(L"a/dup");
    EXPECT_EQ(Rows(ViewOf()), (std::vector<std::wstring>{L"a21"}));
    changes.clear();
    provider.RootManagement()->Delete(0);  // a, the selection's parent
    EXPECT_FALSE(select->GetItem());
    // The view shows the provider's items again; no row names a gone item.
    TVxDataConsumerViewList* view = ViewOf();
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"b+", L"c"}));
    for (int i = 0; i < view->Count(); ++i) EXPECT_TRUE(view->Item(i)) << i;
    EXPECT_NE(std::find(changes.begin(), changes.end(), int(ccrViewChange)), changes.end());
}

TEST_F(DataConsumerTest, NewImagesKeepTheRowsTheUserOpened) {
    BuildTree();
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{3});
    consumer->SetProviderIntf(&provider);
    TVxDataConsumerViewList* view = ViewOf();
    ASSERT_TRUE(view);
    view->SetAutoExpandLevel(0);
    view->RebuildView();
    view->ToggleItem(0);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a-", L" a/a1", L" a/dup+", L"b+", L"c"}));
    fw::TImageList images(nullptr);
    auto* lists = New<TVxCustomDataItemsImages>(provider.Root());
    lists->SetImages(&images);
    lists->SetHotImages(&images);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a-", L" a/a1", L" a/dup+", L"b+", L"c"}));
    lists->SetImages(nullptr);
    lists->SetHotImages(nullptr);
}

TEST_F(DataConsumerTest, HiddenItemsTakeNoRowWhereverTheViewListsThem) {
    BuildTree();
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{3});
    std::vector<int> changes;
    consumer->OnChanged = [&](TVxDataConsumer*, int reason) { changes.push_back(reason); };
    consumer->SetProviderIntf(&provider);
    TVxDataConsumerViewList* view = ViewOf();
    ASSERT_TRUE(view);
    auto* filter = New<HideFilter>(consumer);
    filter->hidden = {L"a1", L"b"};
    New<Invisible>(c);
    view->RebuildView();
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a+"}));
    // The user opens a: its hidden child stays out, the rest keep their order.
    view->ToggleItem(0);
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a-", L" a/dup+"}));
    // Shown by the consumer: the item is not asked.
    filter->shown = {L"c"};
    filter->hidden.clear();
    view->RebuildView();
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a+", L"b+", L"c"}));
    EXPECT_EQ(view->ChildIndexOfID(L"C"), 2);
    EXPECT_EQ(view->ChildIndexOfID(L"none"), -1);
    // Level indent: a real change is told once, with reason 4.
    changes.clear();
    view->SetLevelIndent(16);
    view->SetLevelIndent(20);
    EXPECT_EQ(changes, (std::vector<int>{ccrOther}));
    // An item the view never heard of under an open row: the view is out of step.
    view->ToggleItem(0);
    auto* aKids = static_cast<TVxBaseDataItems*>(a->ChildList()->GetImplementer());
    TVxBaseDataItem* late = AddItem(aKids, L"late");  // added without a notice
    const std::vector<std::wstring> before = Rows(view);
    try {
        view->ExpandTreeTo(late);
        FAIL();
    } catch (const EVXLDataConsumer& e) {
        EXPECT_EQ(e.Message(), L"ViewList out of sync");
    }
    EXPECT_EQ(Rows(view), before);
}

// A search of the provider's own, which knows one name the root list does not.
class AliasSearch : public IVxDataIDSearch {
public:
    explicit AliasSearch(IVxDataItem* target) : target_(target) {}
    std::vector<std::wstring> asked;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** obj) override {
        *obj = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    bool STDMETHODCALLTYPE FindByID(const TVxDataItemID& id, bool, Ptr<IVxDataItem>& item) override {
        asked.push_back(id);
        item = id == L"alias" ? Ptr<IVxDataItem>(target_) : nullptr;
        return bool(item);
    }

private:
    IVxDataItem* target_;
};

TEST_F(DataConsumerTest, SelectingByIdAsksTheProvidersOwnSearch) {
    BuildTree();
    AliasSearch search(bx);
    provider.search = &search;
    provider.consumerClasses = {&TVxDataConsumerItemSelect::Class};
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{});
    consumer->SetProviderIntf(&provider);
    auto* select = SelectOf(consumer);
    ASSERT_TRUE(select);
    select->SetItemID(L"alias");
    EXPECT_EQ(select->GetItem().get(), static_cast<IVxDataItem*>(bx));
    EXPECT_THROW(select->SetItemID(L"a"), EVXLDataConsumer);  // the provider's search does not know it
    EXPECT_EQ(search.asked, (std::vector<std::wstring>{L"alias", L"a"}));
    select->SetItem(nullptr);
    std::exchange(consumer, nullptr)->Free();
    provider.search = nullptr;
}

TEST_F(DataConsumerTest, NewItemsExpandTheirWayIntoTheView) {
    BuildTree();
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{3});
    consumer->SetProviderIntf(&provider);
    TVxDataConsumerViewList* view = ViewOf();
    view->SetAutoExpandLevel(0);
    view->SetExpandOnNewItem(false);
    view->RebuildView();
    // Under a collapsed parent without expand-on-new: nothing changes.
    Ptr<IVxDataItems> a2Kids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a2)).As<IVxDataItems>();
    Ptr<IVxDataItem> deep = a2Kids.As<IVxDataItemsManagement>()->New();
    EXPECT_EQ(Rows(view), (std::vector<std::wstring>{L"a+", L"b+", L"c"}));
    // With it, the tree opens down to the new item.
    view->SetExpandOnNewItem(true);
    Ptr<IVxDataItem> deeper = a2Kids.As<IVxDataItemsManagement>()->New();
    EXPECT_GE(view->IndexOfItem(deeper.get()), 0);
    EXPECT_GE(view->IndexOfItem(deep.get()), 0);
    EXPECT_TRUE(view->ItemIsExpanded(0));
    EXPECT_EQ(view->ItemLevel(view->IndexOfItem(deeper.get())), 2);
    // Sub-items by parent and position.
    EXPECT_EQ(view->SubItemAt(0, 1).get(), static_cast<IVxDataItem*>(a2));
    EXPECT_EQ(view->SubItemIndex(a2, 0), view->IndexOfItem(a21));
    EXPECT_FALSE(view->SubItemAt(view->IndexOfItem(c), 0));
}

TEST_F(DataConsumerTest, ProviderGoingAwayClientsAndRefusedExtensions) {
    Client client;
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{3});
    consumer->AddClient(&client);
    consumer->SetProviderIntf(&provider);
    EXPECT_EQ(client.changes, 1);
    ASSERT_TRUE(ViewOf());
    provider.Changing(pcrDestroy, nullptr);
    EXPECT_FALSE(consumer->ProviderIntf());
    EXPECT_EQ(consumer->ExtensionCount(), 0);
    EXPECT_TRUE(provider.notifies.empty());
    EXPECT_EQ(client.changes, 2);
    consumer->RemoveClient(&client);
    consumer->OnBeforeCreateExtension = [](TVxDataConsumer*, const TVxClass*& cls) {
        if (cls == &TVxDataConsumerViewList::Class) cls = nullptr;
    };
    consumer->SetProviderIntf(&provider);
    EXPECT_EQ(client.changes, 2);
    EXPECT_EQ(consumer->ExtensionCount(), 0);  // the handler refused the view list
}

TEST_F(DataConsumerTest, NestedContextAndSelectionAreStreamedByTheirPaths) {
    BuildTree();
    TVxDataContext* x = AddContext(provider.Contexts(), L"x");
    TVxDataContext* y = AddContext(ChildContexts(x), L"y");
    fw::TComponent owner(nullptr);
    // "dup" alone names b/dup first.
    EXPECT_EQ(StreamSelection(owner, L"x/y", L"a/dup"), static_cast<IVxDataItem*>(a2));
    consumer->SetProviderIntf(&provider);
    EXPECT_EQ(consumer->ContextIntf().get(), static_cast<IVxDataContext*>(y));
    EXPECT_EQ(consumer->ContextPath(), L"x/y");
    auto* select = SelectOf(consumer);
    ASSERT_TRUE(select);
    EXPECT_EQ(select->GetItem().get(), static_cast<IVxDataItem*>(a2));
    std::exchange(consumer, nullptr)->Free();  // before its owner goes
}

TEST_F(DataConsumerTest, ContextAndSelectionStreamedWhileLoadingAreAppliedWithTheProvider) {
    BuildTree();
    AddContext(provider.Contexts(), L"first");
    AddContext(provider.Contexts(), L"later");
    fw::TComponent owner(nullptr);
    EXPECT_EQ(StreamSelection(owner, L"later", L"a21"), static_cast<IVxDataItem*>(a21));
    EXPECT_TRUE(consumer->FixupsPending());
    consumer->SetProviderIntf(&provider);
    EXPECT_EQ(consumer->Context(), L"later");
    EXPECT_TRUE(consumer->IsContextStored());
    EXPECT_FALSE(consumer->FixupsPending());
    auto* select = SelectOf(consumer);
    ASSERT_TRUE(select);
    EXPECT_EQ(select->GetItem().get(), static_cast<IVxDataItem*>(a21));
    // Done once: a later provider change keeps the selection it made.
    consumer->SetContext(L"first");
    EXPECT_EQ(select->GetItem().get(), static_cast<IVxDataItem*>(a21));
    std::exchange(consumer, nullptr)->Free();  // before its owner goes
}

TEST_F(DataConsumerTest, ProviderIsStreamedByNameAndFoundWithContextAndSelectionAtTheEndOfLoading) {
    fw::TComponent form(nullptr);
    auto* items = new ProviderOnForm(&form);
    items->SetName(L"Items");
    items->consumerClasses = {&TVxDataConsumerItemSelect::Class};
    items->AddContextList();
    AddContext(items->Contexts(), L"first");
    AddContext(items->Contexts(), L"later");
    TVxBaseDataItem* x = AddItem(Children(AddItem(items->Root(), L"a")), L"x");
    auto* host = new ConsumerHost(&form);
    host->SetName(L"Host");
    host->consumer->SetProviderIntf(items);
    host->consumer->SetContext(L"later");
    SelectOf(host->consumer)->SetItemID(L"x");
    fw::TMemoryStream stream;
    fw::TWriter(&stream).WriteRootComponent(&form);
    host->consumer->SetProviderIntf(nullptr);
    stream.SetPosition(0);
    fw::TReader(&stream).ReadRootComponent(&form);
    EXPECT_EQ(host->consumer->ProviderIntf().get(), static_cast<IVxDataProvider*>(items));
    EXPECT_EQ(host->consumer->Context(), L"later");
    ASSERT_TRUE(SelectOf(host->consumer));
    EXPECT_EQ(SelectOf(host->consumer)->GetItem().get(), static_cast<IVxDataItem*>(x));
    EXPECT_FALSE(host->consumer->FixupsPending());
    delete host;  // before the provider it uses
}

TEST_F(DataConsumerTest, EveryLevelOfADeepTreeIsListedWithoutRecursion) {
    constexpr int kDepth = 100000;
    testdp::AddChain(provider.Root(), kDepth);
    consumer = New<TVxDataConsumer>(nullptr, std::initializer_list<int>{3});
    consumer->SetProviderIntf(&provider);
    TVxDataConsumerViewList* view = ViewOf();
    view->SetAutoExpandLevel(-1);
    view->RebuildView();
    ASSERT_EQ(view->Count(), kDepth);
    EXPECT_EQ(view->ItemLevel(kDepth - 1), kDepth - 1);
    EXPECT_TRUE(view->ItemIsExpanded(kDepth - 2));
    // The deepest row's item is found again, and a new child of the deepest
    // list takes the row below it.
    Ptr<IVxDataItem> deepest = view->Item(kDepth - 1);
    ASSERT_TRUE(deepest);
    EXPECT_EQ(deepest->GetID(), L"n" + std::to_wstring(kDepth - 1));
    Ptr<IVxDataItem> fresh = view->Item(kDepth - 2).As<IVxDataItemsManagement>()->New();
    EXPECT_EQ(view->IndexOfItem(fresh.get()), kDepth);
}

}  // namespace
