// Components: ownership, free notification, names, loading and state.
#include "framework/Classes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/Exception.h"

namespace {

using fw::TComponent;
using fw::TOperation;

// Probe names by address: a component being destroyed is no longer a TProbe, so
// its name can't be asked of it.
std::map<const TComponent*, std::wstring> g_ids;

TComponent* Named(const TComponent* c, const std::wstring& id, TComponent* owner) {
    g_ids[c] = id;
    return owner;
}

std::wstring IdOf(const TComponent* c) {
    const auto it = g_ids.find(c);
    return it == g_ids.end() ? L"?" : it->second;
}

// A component that writes what happens to it into a shared log.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, std::wstring id, std::vector<std::wstring>* log)
        // Named before the base runs: the owner hears of the insertion from there.
        : TComponent(Named(this, id, owner)), id_(std::move(id)), log_(log) {}
    ~TProbe() override {
        DestroyComponents();  // children go while this object is still a TProbe
        log_->push_back(L"free " + id_ + (HasState(fw::csDestroying) ? L" destroying" : L""));
    }
    const std::wstring& Id() const { return id_; }
    TComponent* watched = nullptr;  // cleared when its component goes

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        log_->push_back(id_ + (Operation == TOperation::opInsert ? L" +" : L" -") + IdOf(AComponent));
        if (Operation == TOperation::opRemove && AComponent == watched) watched = nullptr;
    }
    void Loaded() override {
        TComponent::Loaded();
        log_->push_back(L"loaded " + id_);
    }

private:
    std::wstring id_;
    std::vector<std::wstring>* log_;
};

bool Logged(const std::vector<std::wstring>& log, const std::wstring& entry) {
    for (const auto& e : log)
        if (e == entry) return true;
    return false;
}

TEST(Component, OwnerFreesItsComponentsLastCreatedFirst) {
    std::vector<std::wstring> log;
    auto* owner = new TProbe(nullptr, L"owner", &log);
    new TProbe(owner, L"a", &log);
    auto* b = new TProbe(owner, L"b", &log);
    new TProbe(b, L"b1", &log);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(b->Owner(), owner);
    log.clear();
    delete owner;
    std::vector<std::wstring> frees;
    for (const auto& e : log)
        if (e.rfind(L"free ", 0) == 0) frees.push_back(e);
    const std::vector<std::wstring> expected = {L"free b1 destroying", L"free b destroying", L"free a destroying",
                                                L"free owner destroying"};
    EXPECT_EQ(frees, expected);
}

TEST(Component, SiblingsHearOfInsertionAndAComponentFreedFirstLeavesItsOwner) {
    std::vector<std::wstring> log;
    auto* owner = new TProbe(nullptr, L"owner", &log);
    auto* a = new TProbe(owner, L"a", &log);
    log.clear();
    auto* b = new TProbe(owner, L"b", &log);
    EXPECT_TRUE(Logged(log, L"owner +b"));
    EXPECT_TRUE(Logged(log, L"a +b"));
    delete a;
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    // The owner and the remaining sibling heard of it.
    EXPECT_TRUE(Logged(log, L"owner -a"));
    EXPECT_TRUE(Logged(log, L"b -a"));
    delete owner;  // must not free a again
    EXPECT_TRUE(Logged(log, L"free b destroying"));
}

TEST(FreeNotification, DestroyedComponentIsForgottenInBothDirectionsAndARemovedRequestIsNotTold) {
    std::vector<std::wstring> log;
    auto* a = new TProbe(nullptr, L"a", &log);
    auto* b = new TProbe(nullptr, L"b", &log);
    auto* c = new TProbe(nullptr, L"c", &log);
    a->watched = b;
    b->FreeNotification(a);  // a wants to know when b goes
    c->FreeNotification(a);
    // A removed request is not told, even one asked twice.
    auto* d = new TProbe(nullptr, L"d", &log);
    d->FreeNotification(a);
    d->FreeNotification(a);
    d->RemoveFreeNotification(a);
    delete d;
    EXPECT_FALSE(Logged(log, L"a -d"));
    delete b;
    EXPECT_EQ(a->watched, nullptr);
    EXPECT_TRUE(Logged(log, L"a -b"));
    // The other direction: the survivor of a pair is told too, and a is taken out of
    // c's list, so freeing c later reaches no freed object.
    log.clear();
    delete a;
    EXPECT_TRUE(Logged(log, L"c -a"));
    log.clear();
    delete c;
    EXPECT_EQ(log, std::vector<std::wstring>{L"free c destroying"});
}

TEST(FreeNotification, ListenerThatFreesAnotherListenerDuringNotice) {
    // A notice may free further components; the rest of the list must stay sound.
    std::vector<std::wstring> log;
    struct TKiller : TComponent {
        using TComponent::TComponent;
        TComponent* victim = nullptr;
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == TOperation::opRemove && victim && c != victim) {
                TComponent* v = victim;
                victim = nullptr;
                delete v;
            }
        }
    };
    auto* subject = new TComponent(nullptr);
    auto* victim = new TProbe(nullptr, L"victim", &log);
    auto* killer = new TKiller(nullptr);
    killer->victim = victim;
    subject->FreeNotification(victim);
    subject->FreeNotification(killer);
    delete subject;
    EXPECT_TRUE(Logged(log, L"free victim destroying"));
    delete killer;
}

TEST(ComponentName, AnIdentifierUniqueAmongSiblingsIgnoringCase) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName(L"Grid1");
    EXPECT_THROW(b->SetName(L"GRID1"), fw::EComponentError);
    EXPECT_EQ(b->Name(), L"");
    a->SetName(L"grid1");  // renaming itself is fine
    EXPECT_EQ(a->Name(), L"grid1");
    // A name must be an identifier.
    try {
        b->SetName(L"1st");
        FAIL();
    } catch (const fw::EComponentError& e) {
        EXPECT_EQ(e.Message(), L"'1st' is not a valid component name");
    }
    EXPECT_THROW(b->SetName(L"a b"), fw::EComponentError);
    b->SetName(L"_x9");
    EXPECT_EQ(b->Name(), L"_x9");
}

TEST(ComponentState, LoadingEndsWithLoadedOwnedFirst) {
    std::vector<std::wstring> log;
    TProbe form(nullptr, L"form", &log);
    auto* grid = new TProbe(&form, L"grid", &log);
    form.BeginLoading();
    EXPECT_TRUE(form.HasState(fw::csLoading));
    EXPECT_TRUE(grid->HasState(fw::csLoading));
    log.clear();
    form.EndLoading();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"loaded grid", L"loaded form"}));
    EXPECT_FALSE(form.HasState(fw::csLoading));
    EXPECT_FALSE(grid->HasState(fw::csLoading));
    // Made and set up in code, without loading: the end of the set-up is the same step.
    new TProbe(grid, L"cell", &log);
    log.clear();
    form.EndSetUp();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"loaded cell", L"loaded grid", L"loaded form"}));
}

}  // namespace
