// Component streams: typed properties, nested objects, string lists, references,
// the root's owned components, and damaged streams.
#include "framework/Filer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Graphics.h"
#include "framework/StringList.h"
#include "tests/common/HandWrittenForm.h"

namespace {

using fw::TComponent;
using fw::TFiler;

enum TShade {
    shLight,
    shMid,
    shDark
};
const wchar_t* const kShades[] = {L"shLight", L"shMid", L"shDark"};
const wchar_t* const kParts[] = {L"ptTop", L"ptLeft", L"ptRight", L"ptBottom"};

class TInner : public fw::TPersistent {
public:
    std::wstring title = L"none";
    double margin = 0.5;
    void DefineProperties(TFiler& F) override {
        fw::DefineString(
            F, L"Title", title, [this](const std::wstring& v) { title = v; }, title != L"none");
        fw::DefineDouble(F, L"Margin", margin, [this](double v) { margin = v; });
    }
};

class TSample : public TComponent {
public:
    explicit TSample(TComponent* owner) : TComponent(owner) {}
    std::wstring text;
    int32_t count = 0;
    bool flag = false;
    int shade = shLight;
    uint32_t parts = 0;
    TInner inner;
    fw::TStringList lines;
    fw::TFont font;
    TComponent* buddy = nullptr;
    std::vector<std::wstring>* log = nullptr;

    void DefineProperties(TFiler& F) override {
        TComponent::DefineProperties(F);
        fw::DefineString(
            F, L"Text", text, [this](const std::wstring& v) { text = v; }, !text.empty());
        fw::DefineInteger(
            F, L"Count", count, [this](int32_t v) { count = v; }, count != 0);
        fw::DefineBoolean(
            F, L"Flag", flag, [this](bool v) { flag = v; }, flag);
        fw::DefineEnum(
            F, L"Shade", shade, kShades, [this](int v) { shade = v; }, shade != shLight);
        fw::DefineSet(
            F, L"Parts", parts, kParts, [this](uint32_t v) { parts = v; }, parts != 0);
        fw::DefinePersistent(F, L"Inner", &inner);
        fw::DefineStrings(F, L"Lines", &lines);
        fw::DefinePersistent(F, L"Font", &font);
        fw::DefineComponentRef(F, L"Buddy", buddy, [this](TComponent* c) { buddy = c; });
        // Read from older streams, never written.
        F.DefineProperty(
            L"Legacy", [this](fw::TReader& R) { count += R.ReadInteger(); }, nullptr, false);
    }

protected:
    std::wstring ClassName() const override { return L"TSample"; }
    void Loaded() override {
        TComponent::Loaded();
        if (log) log->push_back(Name() + L" loaded, buddy " + (buddy ? buddy->Name() : L"none"));
    }
};

void Save(TComponent* root, fw::TMemoryStream& stream) {
    fw::TWriter writer(&stream);
    writer.WriteRootComponent(root);
    stream.SetPosition(0);
}

void Load(TComponent* root, fw::TMemoryStream& stream) {
    stream.SetPosition(0);
    fw::TReader reader(&stream);
    reader.ReadRootComponent(root);
}

TEST(ComponentStream, RoundTripKeepsEveryKindOfPropertyAndReferencesResolveBeforeLoaded) {
    TComponent form(nullptr);
    form.SetName(L"Form1");
    auto* a = new TSample(&form);
    a->SetName(L"A");
    auto* b = new TSample(&form);
    b->SetName(L"B");
    a->text = L"h\u00e9llo";
    a->count = -7;
    a->flag = true;
    a->shade = shDark;
    a->parts = 0b1010;
    a->inner.title = L"T";
    a->inner.margin = 0.25;
    a->lines.Add(L"one");
    a->lines.Add(L"");
    a->font.SetName(L"Courier New");
    a->font.SetStyle(fw::fsBold | fw::fsStrikeOut);
    a->font.SetPitch(fw::fpFixed);
    a->buddy = b;  // read before B exists in the stream
    a->SetTag(3);
    b->lines.Add(L"solo");  // a list of exactly one line
    fw::TMemoryStream stream;
    Save(&form, stream);

    TComponent copy(nullptr);
    auto* a2 = new TSample(&copy);
    a2->SetName(L"A");
    auto* b2 = new TSample(&copy);
    b2->SetName(L"B");
    std::vector<std::wstring> log;
    a2->log = &log;
    Load(&copy, stream);

    EXPECT_EQ(copy.Name(), L"Form1");
    EXPECT_EQ(a2->text, L"h\u00e9llo");
    EXPECT_EQ(a2->count, -7);
    EXPECT_TRUE(a2->flag);
    EXPECT_EQ(a2->shade, shDark);
    EXPECT_EQ(a2->parts, 0b1010u);
    EXPECT_EQ(a2->inner.title, L"T");
    EXPECT_EQ(a2->inner.margin, 0.25);
    ASSERT_EQ(a2->lines.Count(), 2);
    EXPECT_EQ(a2->lines.Strings(0), L"one");
    EXPECT_EQ(a2->lines.Strings(1), L"");
    EXPECT_EQ(a2->font.Name(), L"Courier New");
    EXPECT_EQ(a2->font.Style(), unsigned(fw::fsBold | fw::fsStrikeOut));
    EXPECT_EQ(a2->font.Pitch(), fw::fpFixed);
    EXPECT_EQ(a2->Tag(), 3);
    EXPECT_EQ(a2->buddy, b2);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], L"A loaded, buddy B");
    EXPECT_FALSE(a2->HasState(fw::csLoading));
    EXPECT_EQ(b2->text, L"");  // defaults are not written and stay
    ASSERT_EQ(b2->lines.Count(), 1);
    EXPECT_EQ(b2->lines.Strings(0), L"solo");
}

TEST(ComponentStream, MissingComponentsAreMadeFromRegisteredClassesAndUnknownOnesRaise) {
    TComponent form(nullptr);
    auto* a = new TSample(&form);
    a->SetName(L"Made");
    a->count = 5;
    fw::TMemoryStream stream;
    Save(&form, stream);

    TComponent empty(nullptr);
    EXPECT_THROW(Load(&empty, stream), fw::EReadError);  // TSample is not registered
    EXPECT_EQ(empty.ComponentCount(), 0);

    fw::RegisterComponentClass(L"tsample", [](TComponent* owner) { return new TSample(owner); });
    Load(&empty, stream);
    fw::UnregisterComponentClass(L"TSample");
    ASSERT_EQ(empty.ComponentCount(), 1);
    auto* made = dynamic_cast<TSample*>(empty.Components(0));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), L"Made");
    EXPECT_EQ(made->count, 5);
    EXPECT_FALSE(made->HasState(fw::csLoading));
}

TEST(ComponentStream, ReadOnlyPropertiesAreReadAndDamagedStreamsRaiseLeavingNoMadeComponent) {
    // A stream with the never-written "Legacy" property, written by hand.
    fw::TMemoryStream legacy;
    testenv::WriteOneComponentForm(legacy, L"TComponent", L"F", L"TSample", L"S", [](fw::TWriter& w) {
        w.WritePropName(L"Legacy");
        w.WriteInteger(40);
        w.WritePropName(L"Inner.Title");
        w.WriteString(L"x");
    });
    TComponent form(nullptr);
    auto* s = new TSample(&form);
    s->SetName(L"S");
    s->count = 2;
    Load(&form, legacy);
    EXPECT_EQ(s->count, 42);
    EXPECT_EQ(s->inner.title, L"x");

    // Every cut of a good stream raises, and nothing made by the read stays.
    fw::RegisterComponentClass(L"TSample", [](TComponent* owner) { return new TSample(owner); });
    fw::TMemoryStream whole;
    Save(&form, whole);
    for (int64_t cut = 0; cut < whole.Size(); ++cut) {
        fw::TMemoryStream part;
        part.WriteBuffer(whole.Memory(), cut);
        TComponent target(nullptr);
        EXPECT_THROW(Load(&target, part), fw::EReadError) << cut;
        EXPECT_EQ(target.ComponentCount(), 0) << cut;
        EXPECT_FALSE(target.HasState(fw::csLoading)) << cut;
    }
    fw::UnregisterComponentClass(L"TSample");

    // A property the object does not define is named in the failure.
    fw::TMemoryStream unknown;
    testenv::WriteOneComponentForm(unknown, L"TComponent", L"F", L"TSample", L"S", [](fw::TWriter& w) {
        w.WritePropName(L"Inner.Nope");
        w.WriteInteger(1);
    });
    try {
        Load(&form, unknown);
        FAIL();
    } catch (const fw::EReadError& e) {
        EXPECT_NE(std::wstring(e.Message()).find(L"Inner.Nope"), std::wstring::npos);
    }
}

}  // namespace
