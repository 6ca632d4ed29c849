// The worker pool: queue-empty events, cancelling, order, failing deliveries,
// idle workers and stops while results are being handed over.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "shell/WorkerThreadPool.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using pooltest::PumpUntil;
using pooltest::TGate;

namespace {

class TTestItem : public TBasicWorkItem {
public:
    TTestItem(void* Owner, std::wstring Name, std::vector<std::wstring>* Delivered)
        : name_(std::move(Name)), delivered_(Delivered) {
        SetOwner(Owner);
        // Without a list to deliver to, the item has no delivery at all.
        if (Delivered) SetCompletionMethod([this] { DoCompleted(); });
    }
    std::function<void()> Work;
    std::function<void()> OnDeliver;
    void Execute() override {
        if (Work) Work();
    }
    virtual void DoCompleted() {
        if (WaitWhilePaused()) return;
        if (delivered_) delivered_->push_back(name_);
        if (OnDeliver) OnDeliver();
    }

private:
    std::wstring name_;
    std::vector<std::wstring>* delivered_;
};

class TDerivedTestItem : public TTestItem {
public:
    using TTestItem::TTestItem;
};

std::shared_ptr<TTestItem> Item(void* Owner, const wchar_t* Name, std::vector<std::wstring>* Delivered) {
    return std::make_shared<TTestItem>(Owner, Name, Delivered);
}

struct PoolFixture {
    TWorkerThreadPool pool{false};
    std::vector<std::wstring> delivered;
    int queueEmpties = 0;
    PoolFixture(int MinThreads, int MaxThreads) {
        pool.SetMaxThreads(MaxThreads);
        pool.SetMinThreads(MinThreads);
        pool.OnQueueEmpty = [this](fw::TObject*) { ++queueEmpties; };
    }
};

int kOwnerA, kOwnerB;

}  // namespace

TEST(WorkerPool, HundredItemsOnFiveWorkersGiveExactlyOneQueueEmpty) {
    PoolFixture f(5, 5);
    std::atomic<int> mostThreads{0};
    for (int i = 0; i < 100; ++i) {
        auto item = Item(&kOwnerA, std::to_wstring(i).c_str(), &f.delivered);
        item->Work = [&] {
            const int n = f.pool.Count();
            for (int m = mostThreads; n > m && !mostThreads.compare_exchange_weak(m, n);) {}
            Sleep(1);
        };
        f.pool.AddWorkItem(item);
    }
    ASSERT_TRUE(PumpUntil([&] { return f.queueEmpties > 0; }));
    EXPECT_EQ(f.delivered.size(), 100u);
    EXPECT_EQ(f.pool.PendingCount(), 0);
    EXPECT_LE(mostThreads, 5);
    pooltest::PumpFor(50);
    f.pool.StopAll(true);
    EXPECT_EQ(f.queueEmpties, 1);
}

TEST(WorkerPool, LastInFirstOutRunsTheNewestFirst) {
    PoolFixture f(1, 1);
    f.pool.SetLastInFirstOut(true);
    TGate gate;
    std::atomic<bool> blocking{false};
    auto blocker = Item(nullptr, L"blocker", &f.delivered);
    blocker->Work = [&] {
        blocking = true;
        gate.WaitAny();
    };
    f.pool.AddWorkItem(blocker);
    ASSERT_TRUE(PumpUntil([&] { return blocking.load(); }));
    for (const wchar_t* name : {L"A", L"B", L"C"}) f.pool.AddWorkItem(Item(nullptr, name, &f.delivered));
    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return f.queueEmpties == 1; }));
    EXPECT_EQ(f.delivered, (std::vector<std::wstring>{L"blocker", L"C", L"B", L"A"}));
}

TEST(WorkerPool, CancelledOwnerReceivesNothingAndTheCountCoversQueuedAndRunning) {
    PoolFixture f(1, 1);
    TGate gate;
    std::atomic<bool> running{false};
    auto x = Item(&kOwnerA, L"X", &f.delivered);
    x->Work = [&] {
        running = true;
        gate.WaitAny();
    };
    f.pool.AddWorkItem(x);
    ASSERT_TRUE(PumpUntil([&] { return running.load(); }));
    f.pool.AddWorkItem(Item(&kOwnerA, L"Y", &f.delivered));
    f.pool.AddWorkItem(Item(&kOwnerB, L"Z", &f.delivered));
    EXPECT_EQ(f.pool.CancelWorkItems(&kOwnerA, 0, nullptr), 2);
    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return f.queueEmpties == 1; }));
    EXPECT_EQ(f.delivered, std::vector<std::wstring>{L"Z"});
    EXPECT_EQ(f.pool.PendingCount(), 0);
}

TEST(WorkerPool, CancelByClassTakesDescendantsFromTheQueueButAbortsOnlyTheExactClass) {
    // By the base class: the running descendant goes on; then by its own class: it is aborted.
    for (bool exactClass : {false, true}) {
        PoolFixture f(1, 1);
        TGate gate;
        std::atomic<bool> running{false};
        auto runningDerived = std::make_shared<TDerivedTestItem>(nullptr, L"running", &f.delivered);
        runningDerived->Work = [&] {
            running = true;
            gate.WaitAny();
        };
        f.pool.AddWorkItem(runningDerived);
        ASSERT_TRUE(PumpUntil([&] { return running.load(); }));
        f.pool.AddWorkItem(Item(nullptr, L"base", &f.delivered));
        f.pool.AddWorkItem(std::make_shared<TDerivedTestItem>(nullptr, L"derived", &f.delivered));
        if (exactClass) {
            EXPECT_EQ(f.pool.CancelWorkItems(nullptr, 0, TWorkItemClass::Of<TDerivedTestItem>()), 2);
        } else {
            EXPECT_EQ(f.pool.CancelWorkItems(nullptr, 0, TWorkItemClass::Of<TTestItem>()), 2);
        }
        gate.Open();
        ASSERT_TRUE(PumpUntil([&] { return f.queueEmpties == 1; }));
        EXPECT_EQ(f.delivered, exactClass ? std::vector<std::wstring>{L"base"} : std::vector<std::wstring>{L"running"});
    }
}

TEST(WorkerPool, RaisingDeliveryStillCompletesTheItem) {
    PoolFixture f(1, 1);
    auto bad = Item(nullptr, L"bad", &f.delivered);
    bad->OnDeliver = [] { throw fw::Exception(L"viewer failed"); };
    f.pool.AddWorkItem(bad);
    f.pool.AddWorkItem(Item(nullptr, L"good", &f.delivered));
    ASSERT_TRUE(PumpUntil([&] { return f.queueEmpties == 1; }));
    EXPECT_EQ(f.delivered, (std::vector<std::wstring>{L"bad", L"good"}));
    EXPECT_EQ(f.pool.PendingCount(), 0);
    for (int i = 0; i < f.pool.Count(); ++i)
        if (auto* w = dynamic_cast<TWorkerThread*>(f.pool.Threads(i))) {
            EXPECT_EQ(w->CurrentItem(), nullptr);
        }
}

TEST(WorkerPool, IdleWorkerLeavesAndALaterItemStartsANewOne) {
    PoolFixture f(1, 2);
    f.pool.SetIdleTimeout(50);
    int empties = 0;
    f.pool.OnEmpty = [&](fw::TObject*) { ++empties; };
    f.pool.AddWorkItem(Item(nullptr, L"first", &f.delivered));
    ASSERT_TRUE(PumpUntil([&] { return empties == 1; }));
    EXPECT_EQ(f.pool.Count(), 0);
    f.pool.AddWorkItem(Item(nullptr, L"second", &f.delivered));
    ASSERT_TRUE(PumpUntil([&] { return f.delivered.size() == 2; }));
    EXPECT_EQ(f.delivered.back(), L"second");
}

TEST(WorkerPool, StoppedWhileDeliveringDeliversNothingMoreAndEmptiesOnce) {
    PoolFixture f(4, 4);
    std::atomic<int> executed{0};
    for (int i = 0; i < 12; ++i) {
        auto item = Item(nullptr, L"x", &f.delivered);
        item->Work = [&] { ++executed; };
        f.pool.AddWorkItem(item);
    }
    // The main thread serves nothing yet: the workers finish their items and wait
    // to hand the results over.
    while (executed < 4) Sleep(1);
    Sleep(20);
    f.pool.StopAll(true);
    EXPECT_EQ(f.pool.Count(), 0);
    EXPECT_EQ(f.pool.PendingCount(), 0);
    EXPECT_TRUE(f.delivered.empty());
    pooltest::PumpFor(20);
    EXPECT_TRUE(f.delivered.empty());
    EXPECT_EQ(f.queueEmpties, 1);
}

TEST(WorkerPool, QueueEmptyPostedBeforeDestructionNeverReachesTheGonePool) {
    int queueEmpties = 0;
    {
        TWorkerThreadPool pool(false);
        pool.SetMinThreads(2);
        pool.OnQueueEmpty = [&](fw::TObject*) { ++queueEmpties; };
        // Items without a delivery complete without the main thread.
        for (int i = 0; i < 5; ++i) pool.AddWorkItem(std::make_shared<TTestItem>(nullptr, L"x", nullptr));
        while (pool.PendingCount() > 0) Sleep(1);
    }
    pooltest::PumpFor(20);
    EXPECT_EQ(queueEmpties, 0);
}

TEST(WorkerPool, ProcessorLoadIsAPercentageFromTheFirstReading) {
    TWorkerThreadPool pool(false);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 50) {}
    const int load = pool.GetCpuUsage();
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    EXPECT_EQ(pool.GetCpuUsage(), load);  // a second reading within 200 ms is the cached one
}
