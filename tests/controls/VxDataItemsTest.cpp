// Items, lists, extensions and their streams, against the recording provider.
#include <gtest/gtest.h>

#include "RecordingProvider.h"
#include "controls/VxDataItemFeatures.h"
#include "framework/ImageList.h"
#include "framework/Streams.h"

using namespace vx;
using testdp::AddItem;
using testdp::Children;

namespace {

class DataItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDataProviderClasses();
        provider.Shutdown();
        baseline = TExtensibleInterfacedPersistent::LiveCount();
        aggregated = TAggregatedPersistent::LiveCount();
        provider.Restart();
    }
    void TearDown() override {
        provider.Shutdown();
        EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), baseline);
        EXPECT_EQ(TAggregatedPersistent::LiveCount(), aggregated);
        EXPECT_EQ(provider.refs, 0);
    }
    // root: a(a1, a2 (a21)), b, c
    void BuildTree() {
        a = AddItem(provider.Root(), L"a");
        auto* aKids = Children(a);
        a1 = AddItem(aKids, L"a1");
        a2 = AddItem(aKids, L"a2");
        a21 = AddItem(Children(a2), L"a21");
        b = AddItem(provider.Root(), L"b");
        c = AddItem(provider.Root(), L"c");
    }
    std::wstring Find(IVxDataItems* list, const std::wstring& path) {
        Ptr<IVxDataItem> item = list->GetItemByID(path);
        return item ? item->GetID() : L"<none>";
    }

    static std::string Bytes(fw::TMemoryStream& Stream) {
        return std::string(static_cast<const char*>(Stream.Memory()), size_t(Stream.Size()));
    }

    testdp::RecordingProvider provider;
    int baseline = 0, aggregated = 0;
    TVxBaseDataItem *a = nullptr, *a1 = nullptr, *a2 = nullptr, *a21 = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(DataItemsTest, ObjectsLiveByTheirReferencesAndExtensionsAnswerForThem) {
    // Never referenced: survives its construction and is freed explicitly.
    auto* loose = New<TVxDataItemsList>(nullptr);
    EXPECT_EQ(loose->RefCount(), 0);
    loose->HoldReference();
    EXPECT_THROW(loose->Free(), fw::EInvalidPointer);
    loose->DropHeldReference();
    loose->Free();

    BuildTree();
    // Every interface of every item, taken and dropped.
    for (TVxBaseDataItem* item : {a, a1, a2, a21, b, c}) {
        Ptr<IVxDataItem> intf(static_cast<IVxDataItem*>(item));
        Ptr<IVxDataItemText> text = intf.As<IVxDataItemText>();
        ASSERT_TRUE(text);
        EXPECT_EQ(text.As<IVxDataItem>(), intf);  // the extension answers for its item
        EXPECT_FALSE(text.As<IVxDataContextSensitive>());
        EXPECT_EQ(intf.As<IUnknown>().get(), item->Unknown());
        Ptr<IVxDataItems> children = intf.As<IVxDataItems>();
        EXPECT_EQ(bool(children), item == a || item == a2);
    }
    EXPECT_EQ(a->RefCount(), 0);
    // Removing the root list's items frees the whole tree (checked in TearDown).
    provider.RootManagement()->Clear();
    EXPECT_EQ(provider.Root()->GetCount(), 0);
}

TEST_F(DataItemsTest, IdPathsWalkTheTreeAndNeverYieldAnUnrelatedItem) {
    BuildTree();
    IVxDataItems* root = provider.items.get();
    Ptr<IVxDataItems> aKids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a)).As<IVxDataItems>();
    Ptr<IVxDataItems> a2Kids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a2)).As<IVxDataItems>();
    EXPECT_EQ(Find(root, L"a/a2"), L"a2");
    EXPECT_EQ(Find(root, L"A\\A2/a21"), L"a21");  // both separators, any case
    EXPECT_EQ(Find(aKids.get(), L"../b"), L"b");
    EXPECT_EQ(Find(a2Kids.get(), L"\\c"), L"c");
    EXPECT_EQ(Find(a2Kids.get(), L"../../a"), L"a");
    EXPECT_EQ(Find(root, L"../b"), L"<none>");
    // Mistyped paths give nothing.
    EXPECT_EQ(Find(root, L"nope/b"), L"<none>");
    EXPECT_EQ(Find(root, L"a/nope"), L"<none>");
    EXPECT_EQ(Find(root, L"b/a1"), L"<none>");  // b has no children
    EXPECT_EQ(Find(root, L"a1"), L"<none>");    // not at this level
    Ptr<IVxDataItem> found;
    EXPECT_TRUE(provider.Root()->FindByID(L"a21", true, found));
    EXPECT_EQ(found->GetID(), L"a21");
    EXPECT_FALSE(provider.Root()->FindByID(L"a21", false, found));
    // IDs that would read as paths are refused.
    EXPECT_THROW(b->SetID(L"x/y"), EVXLDataItems);
    EXPECT_THROW(b->SetID(L"x\\y"), EVXLDataItems);
    EXPECT_THROW(b->SetID(L".."), EVXLDataItems);
    EXPECT_EQ(b->ID(), L"b");
    EXPECT_EQ(b->GetNamePath(), L"Unknown: Item[b]");
    // Duplicates: the later item wins.
    AddItem(provider.Root(), L"B", L"second");
    EXPECT_EQ(ItemText(root->GetItemByID(L"b").get()), L"second");
    // Index paths.
    EXPECT_EQ(root->GetItemByIndexPath({0, 1, 0})->GetID(), L"a21");
    EXPECT_FALSE(root->GetItemByIndexPath({1, 0}));
    EXPECT_FALSE(root->GetItemByIndexPath({}));
    EXPECT_FALSE(root->GetItemByIndexPath({9}));
    EXPECT_TRUE(a->IsParentOf(a21, false));
    EXPECT_FALSE(a->IsParentOf(a21, true));
    EXPECT_EQ(a21->GetIndex(), 0);
    EXPECT_EQ(c->GetIndex(), 2);
}

TEST_F(DataItemsTest, ManagementBracketsChangesAndNeverFreesAReferencedItem) {
    BuildTree();
    Ptr<IVxDataItemsManagement> manage = provider.RootManagement();
    provider.calls.clear();
    manage->Delete(2);  // c
    EXPECT_EQ(provider.Changes(), (std::vector<std::string>{"Changing(1)", "Changed(1)"}));
    // A referenced item survives its deletion and goes with its last reference.
    const int live = TExtensibleInterfacedPersistent::LiveCount();
    Ptr<IVxDataItem> held(static_cast<IVxDataItem*>(b));
    manage->Delete(1);
    EXPECT_EQ(provider.Root()->GetCount(), 1);
    EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), live);
    EXPECT_EQ(held->GetID(), L"b");
    EXPECT_FALSE(held->GetItems());
    held.reset();
    EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), live - 1);
    // Remove refuses an item another reference holds.
    Ptr<IVxDataItem> mine(static_cast<IVxDataItem*>(a));
    Ptr<IVxDataItem> other = mine;
    manage->Remove(mine);
    EXPECT_FALSE(mine);
    EXPECT_EQ(provider.Root()->GetCount(), 1);
    mine = other;
    other.reset();
    provider.calls.clear();
    manage->Remove(mine);
    EXPECT_EQ(provider.Root()->GetCount(), 0);
    EXPECT_EQ(provider.Changes(), (std::vector<std::string>{"Changing(1)", "Changed(1)"}));
    // New items get distinct GUID IDs.
    Ptr<IVxDataItem> one = manage->New();
    Ptr<IVxDataItem> two = manage->New();
    EXPECT_EQ(one->GetID().size(), 32u);
    EXPECT_NE(one->GetID(), two->GetID());
    EXPECT_EQ(one->GetID().find_first_not_of(L"0123456789ABCDEF"), std::wstring::npos);
}

TEST_F(DataItemsTest, AChildListWhoseParentGoesHasNoParent) {
    BuildTree();
    New<TVxCustomDataItemsTextRenderer>(provider.Root());
    Ptr<IVxDataItems> a2Kids = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(a2)).As<IVxDataItems>();
    ASSERT_TRUE(a2Kids);
    EXPECT_TRUE(FindItemsRenderer(a21));
    provider.RootManagement()->Delete(0);  // a, and with it a2, go
    // The list kept here outlives its parent: nothing of it reads the freed item.
    EXPECT_FALSE(a2Kids->GetParent());
    EXPECT_EQ(Find(a2Kids.get(), L"../a1"), L"<none>");
    EXPECT_EQ(Find(a2Kids.get(), L"a21"), L"a21");
    EXPECT_FALSE(FindItemsRenderer(a21));
    EXPECT_FALSE(b->IsParentOf(a21, false));
    EXPECT_EQ(a21->GetIndex(), 0);
}

TEST_F(DataItemsTest, AnItemIsHeldByOneListOnlyAndRemovingAStrangerChangesNothing) {
    BuildTree();
    Ptr<IVxDataItemsManagement> manage = provider.RootManagement();
    provider.calls.clear();
    try {
        manage->Add(static_cast<IVxDataItem*>(b));
        FAIL();
    } catch (const EVXLDataItems& e) {
        EXPECT_EQ(e.Message(), L"The item already belongs to a list");
    }
    auto* elsewhere = New<TVxBaseDataItem>(a->ChildList().get());  // made for a's list
    EXPECT_THROW(manage->Add(static_cast<IVxDataItem*>(elsewhere)), EVXLDataItems);
    elsewhere->Free();
    EXPECT_EQ(provider.Root()->GetCount(), 3);
    EXPECT_TRUE(provider.Changes().empty());
    // An item of another list: nothing is sent, nothing changes, the reference stays.
    Ptr<IVxDataItem> stranger(static_cast<IVxDataItem*>(a1));
    manage->Remove(stranger);
    EXPECT_TRUE(stranger);
    EXPECT_TRUE(provider.Changes().empty());
    EXPECT_EQ(a1->GetIndex(), 0);
    EXPECT_EQ(provider.Root()->GetCount(), 3);
    // Clear lets each item go once (the tear-down counts the objects).
    stranger.reset();
    manage->Clear();
}

TEST_F(DataItemsTest, AnItemOutsideItsListKeepsTheListAndALooseItemJoinsTheListThatTakesIt) {
    BuildTree();
    // Made for a list its maker then lets go: the list stays for the item.
    Ptr<IVxDataItems> list(static_cast<IVxDataItems*>(New<TVxDataItemsList>(&provider)));
    IVxDataItems* made = list.get();
    Ptr<IVxDataItem> waiting(static_cast<IVxDataItem*>(New<TVxBaseDataItem>(made)));
    list.reset();
    ASSERT_EQ(waiting->GetItems().get(), made);
    EXPECT_EQ(waiting->GetItems()->GetCount(), 0);
    waiting.reset();  // both go (the tear-down counts them)
    // Made for no list: the list that takes it is its list.
    auto* loose = New<TVxBaseDataItem>(nullptr);
    a2->ChildList().As<IVxDataItemsManagement>()->Add(static_cast<IVxDataItem*>(loose));
    EXPECT_EQ(loose->GetIndex(), 1);
    EXPECT_TRUE(a2->IsParentOf(loose, true));
    EXPECT_TRUE(a->IsParentOf(loose, false));
}

TEST_F(DataItemsTest, InternalMoveReachesTheLastPlaceAndRefusesOutside) {
    BuildTree();
    TVxDataItemsList* root = provider.Root();
    root->InternalMove(0, 2);
    EXPECT_EQ(root->ItemObject(2), a);
    EXPECT_EQ(root->ItemObject(0), b);
    root->InternalMove(2, 3);  // no such place
    root->InternalMove(-1, 0);
    EXPECT_EQ(root->ItemObject(2), a);
    EXPECT_EQ(a->GetIndex(), 2);
}

TEST_F(DataItemsTest, ListImagesAreStreamedByNameAndForgottenWhenTheyGo) {
    BuildTree();
    fw::TComponent form(nullptr);
    auto* images = new fw::TImageList(&form);
    images->SetName(L"Images1");
    auto* hot = new fw::TImageList(&form);
    hot->SetName(L"Hot1");
    auto* lists = New<TVxCustomDataItemsImages>(provider.Root());
    lists->SetImages(images);
    lists->SetHotImages(hot);
    fw::TMemoryStream stream;
    SaveItemsToStream(provider.Root(), &stream, &form);
    stream.SetPosition(0);
    Ptr<IVxDataItems> copy = LoadItemsFromStream(&stream, &provider, &form);
    Ptr<IVxDataItemsImages> copied = copy.As<IVxDataItemsImages>();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->GetImages(), images);
    EXPECT_EQ(copied->GetHotImages(), hot);
    EXPECT_FALSE(copied->GetDisabledImages());
    // An image list that goes first is dropped by both, and the provider hears of it.
    provider.calls.clear();
    delete images;
    EXPECT_FALSE(lists->GetImages());
    EXPECT_FALSE(copied->GetImages());
    EXPECT_EQ(copied->GetHotImages(), hot);
    EXPECT_EQ(provider.Changes(), (std::vector<std::string>{"Changing(3)", "Changed(3)", "Changing(3)", "Changed(3)"}));
}

TEST_F(DataItemsTest, FeatureSettersReportOnlyRealChanges) {
    BuildTree();
    auto* image = New<TVxDataItemImageImpl>(b);
    Ptr<IVxDataItemText> text = Ptr<IVxDataItem>(static_cast<IVxDataItem*>(b)).As<IVxDataItemText>();
    provider.calls.clear();
    text->SetText(L"b");
    image->SetImageIndex(0);
    EXPECT_TRUE(provider.Changes().empty());
    text->SetText(L"bee");
    image->SetImageIndex(3);
    EXPECT_EQ(provider.Changes(), (std::vector<std::string>{"Changing(2)", "Changed(2)", "Changing(2)", "Changed(2)"}));
    auto* images = New<TVxCustomDataItemsImages>(provider.Root());
    provider.calls.clear();
    images->SetImages(nullptr);
    EXPECT_TRUE(provider.Changes().empty());
}

TEST_F(DataItemsTest, RendererMeasuresDrawsAndChecksIndexes) {
    BuildTree();
    New<TVxDataItemImageImpl>(a21);
    auto* bare = New<TVxBaseDataItem>(static_cast<IVxDataItems*>(provider.Root()));
    provider.Root()->InternalAdd(bare);
    auto* renderer = New<TVxCustomDataItemsTextRenderer>(provider.Root());
    fw::TCanvas canvas;
    fw::WindowDC dc(nullptr);
    canvas.SetHandle(dc.get());
    EXPECT_EQ(renderer->MeasureItemByIndex(&canvas, -1).cx, canvas.TextWidth(L"WyWyWyWyWyWyWyWyWyWy"));
    EXPECT_EQ(renderer->MeasureItemByIndex(&canvas, 1).cx, canvas.TextWidth(L"b"));
    EXPECT_EQ(renderer->MeasureItemByIndex(&canvas, 3).cx, canvas.TextWidth(msg::NoItemText));
    try {
        renderer->MeasureItemByIndex(&canvas, 4);
        FAIL();
    } catch (const EVXLDataItems& e) {
        EXPECT_EQ(e.Message(), L"List index out of bounds (4)");
    }
    EXPECT_THROW(renderer->DrawItemByIndex(&canvas, RECT{0, 0, 10, 10}, -1, 0), EVXLDataItems);
    // The renderer of a list is found from items further down.
    EXPECT_EQ(FindItemsRenderer(a21).get(), static_cast<IVxDataItemsRenderer*>(renderer));
    canvas.SetHandle(nullptr);
}

TEST_F(DataItemsTest, StreamsRoundTripItemsExtensionsAndChildLists) {
    BuildTree();
    auto* image = New<TVxDataItemImageImpl>(a21);
    image->SetImageIndex(7);
    image->SetSelectedIndex(5);
    image->SetAlignment(fw::taCenter);
    c->RemoveIntfImpl(static_cast<TAggregatedPersistentEx*>(c->FindExtension(&TVxDataItemTextImpl::Class)));
    New<TVxDataItemBlockableTextImpl>(c)->SetReadOnly(true);
    fw::TMemoryStream stream;
    SaveItemsToStream(provider.Root(), &stream);
    stream.SetPosition(0);
    Ptr<IVxDataItems> copy = LoadItemsFromStream(&stream, &provider);
    ASSERT_EQ(copy->GetCount(), 3);
    EXPECT_EQ(ItemText(copy->GetItemByID(L"a/a2/a21").get()), L"a21");
    Ptr<IVxDataItemImage> copied = copy->GetItemByID(L"a/a2/a21").As<IVxDataItemImage>();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->GetImageIndex(), 7);
    EXPECT_EQ(copied->GetSelectedIndex(), 5);
    EXPECT_EQ(copied->GetAlignment(), fw::taCenter);
    Ptr<IVxDataItemText> locked = copy->GetItemByID(L"c").As<IVxDataItemText>();
    ASSERT_TRUE(locked);
    EXPECT_FALSE(locked->IsEditable());              // ReadOnly came back
    EXPECT_TRUE(copy.As<IVxDataItemsManagement>());  // the (registered) management came along
    // Saved again, the copy gives the same stream.
    fw::TMemoryStream again;
    SaveItemsToStream(static_cast<TVxBaseDataItems*>(copy->GetImplementer()), &again);
    EXPECT_EQ(Bytes(again), Bytes(stream));
}

TEST_F(DataItemsTest, TreesOfAnyDepthSaveLoadAndGoWithoutRecursion) {
    constexpr int kDepth = 10000;
    testdp::AddChain(provider.Root(), kDepth);
    fw::TMemoryStream stream;
    SaveItemsToStream(provider.Root(), &stream);
    stream.SetPosition(0);
    Ptr<IVxDataItems> copy = LoadItemsFromStream(&stream, &provider);
    fw::TMemoryStream again;
    SaveItemsToStream(static_cast<TVxBaseDataItems*>(copy->GetImplementer()), &again);
    EXPECT_EQ(Bytes(again), Bytes(stream));
    Ptr<IVxDataItem> deepest;
    EXPECT_TRUE(copy.As<IVxDataIDSearch>()->FindByID(L"n" + std::to_wstring(kDepth - 1), true, deepest));
    deepest.reset();
    copy.As<IVxDataItemsManagement>()->Clear();
    EXPECT_EQ(copy->GetCount(), 0);
    copy.reset();
    // Cut deep inside: a clear read error, and nothing of it stays.
    const int before = TExtensibleInterfacedPersistent::LiveCount();
    fw::TMemoryStream cut;
    cut.WriteBuffer(stream.Memory(), stream.Size() / 2);
    cut.SetPosition(0);
    EXPECT_THROW(LoadItemsFromStream(&cut, &provider), fw::EReadError);
    EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), before);
}

TEST_F(DataItemsTest, ExtensionsAttachOncePerClassAndStreamIntoTheAttachedOne) {
    auto* item = New<TVxBaseDataItem>(nullptr);
    Ptr<IVxDataItem> keep(static_cast<IVxDataItem*>(item));  // a loose item lives by its references
    auto* text = New<TVxDataItemTextImpl>(item);
    EXPECT_THROW(New<TVxDataItemTextImpl>(item), EVXLException);          // same class
    EXPECT_THROW(New<TVxDataItemAggregatedObject>(item), EVXLException);  // a base of an attached one
    EXPECT_EQ(item->ExtensionCount(), 1);
    auto* context = New<TVxDataItemContextTextImpl>(item);  // a descendant is allowed
    EXPECT_EQ(item->ExtensionCount(), 2);
    Ptr<IVxDataItemText> found = keep.As<IVxDataItemText>();  // the newest answers
    EXPECT_EQ(found.get(), static_cast<IVxDataItemText*>(context));
    found.reset();
    item->RemoveIntfImpl(context);
    EXPECT_EQ(item->ExtensionCount(), 1);
    // Reading fills the attached extension.
    text->SetText(L"streamed");
    fw::TMemoryStream stream;
    fw::TWriter writer(&stream);
    item->WriteProperties(writer);
    writer.WriteListEnd();
    text->SetText(L"changed");
    stream.SetPosition(0);
    fw::TReader reader(&stream);
    item->ReadProperties(reader);
    EXPECT_EQ(item->ExtensionCount(), 1);  // filled, not doubled
    EXPECT_EQ(text->GetText(), L"streamed");
    // Only unregistered extensions: no "Extensions" property at all.
    UnregisterVxClass(&TVxDataItemTextImpl::Class);
    fw::TMemoryStream bare;
    fw::TWriter bareWriter(&bare);
    item->WriteProperties(bareWriter);
    RegisterVxClass(&TVxDataItemTextImpl::Class);
    const std::string bytes(static_cast<const char*>(bare.Memory()), size_t(bare.Size()));
    const auto written = [&](const std::wstring& name) {  // at any byte offset
        return bytes.find(std::string(reinterpret_cast<const char*>(name.data()), name.size() * 2)) != bytes.npos;
    };
    EXPECT_FALSE(written(L"Extensions"));
    EXPECT_TRUE(written(L"ID"));
}

TEST_F(DataItemsTest, DamagedStreamsRaiseAndLeaveNothingBehind) {
    BuildTree();
    fw::TMemoryStream stream;
    SaveItemsToStream(provider.Root(), &stream);
    const auto* bytes = static_cast<const char*>(stream.Memory());
    const int64_t size = stream.Size();
    const int before = TExtensibleInterfacedPersistent::LiveCount();
    const int extensions = TAggregatedPersistent::LiveCount();
    // Every truncation, and a scribble at every 7th byte.
    for (int64_t cut = 0; cut < size; cut += 3) {
        fw::TMemoryStream part;
        part.WriteBuffer(bytes, cut);
        part.SetPosition(0);
        EXPECT_THROW(LoadItemsFromStream(&part, &provider), fw::Exception) << cut;
    }
    for (int64_t at = 0; at < size; at += 7) {
        fw::TMemoryStream bad;
        bad.WriteBuffer(bytes, size);
        static_cast<char*>(bad.Memory())[at] ^= 0x5A;
        bad.SetPosition(0);
        try {
            LoadItemsFromStream(&bad, &provider);
        } catch (const fw::Exception&) {}
    }
    // A consumer's extension named in an item's or a list's stream is refused
    // before it takes its owner for a consumer.
    for (const bool onItem : {true, false}) {
        fw::TMemoryStream hostile;
        fw::TWriter w(&hostile);
        const auto entry = [&w](const wchar_t* Property, const wchar_t* Class) {
            w.WritePropName(Property);
            w.WriteValue(fw::TValueType::vaCollection);
            w.WriteListBegin();
            w.WritePropName(L"ClassName");
            w.WriteString(Class);
        };
        const auto selection = [&] {
            entry(L"Extensions", L"TVxDataConsumerItemSelect");
            w.WritePropName(L"Item");
            w.WriteString(L"a");
            w.WriteListEnd();
            w.WriteListEnd();
        };
        w.WriteListBegin();
        w.WritePropName(L"ClassName");
        w.WriteString(L"TVxDataItemsList");
        if (!onItem) selection();
        entry(L"Items", L"TVxBaseDataItem");
        if (onItem) selection();
        for (int i = 0; i < 3; ++i) w.WriteListEnd();
        hostile.SetPosition(0);
        try {
            LoadItemsFromStream(&hostile, &provider);
            ADD_FAILURE() << "read";
        } catch (const fw::EReadError& e) {
            EXPECT_EQ(e.Message(), msg::InvalidClassType);
        }
    }
    EXPECT_EQ(TExtensibleInterfacedPersistent::LiveCount(), before);
    EXPECT_EQ(TAggregatedPersistent::LiveCount(), extensions);
}

}  // namespace
