// The worker pool: queue-empty events, cancelling, failing deliveries, idle
// workers and stops while results are being handed over.
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
using Names = std::vector<std::wstring>;

namespace {

class TTestItem : public TBasicWorkItem {
public:
    TTestItem(void* Owner, std::wstring Name, Names* Delivered) : name_(std::move(Name)), delivered_(Delivered) {
        SetOwner(Owner);
        // Without a list to deliver to, the item has no delivery at all.
        if (Delivered) SetCompletionMethod([this] { DoCompleted(); });
    }
    std::function<void()> Work;
    std::function<void()> OnDeliver;
    void Execute() override {
        if (Work) Work();
    }
    void DoCompleted() {
        if (WaitWhilePaused()) return;
        delivered_->push_back(name_);
        if (OnDeliver) OnDeliver();
    }

private:
    std::wstring name_;
    Names* delivered_;
};

class TDerivedTestItem : public TTestItem {
public:
    using TTestItem::TTestItem;
};

int kOwnerA, kOwnerB;

struct PoolFixture {
    Names delivered;
    int queueEmpties = 0;
    TGate gate;
    std::atomic<bool> blocking{false};
    TWorkerThreadPool pool{false};  // last, so it goes first: no worker outlives the gate
    PoolFixture(int MinThreads, int MaxThreads) {
        pool.SetMaxThreads(MaxThreads);
        pool.SetMinThreads(MinThreads);
        pool.OnQueueEmpty = [this](fw::TObject*) { ++queueEmpties; };
    }
    template <class Item = TTestItem>
    void Add(void* Owner, const std::wstring& Name, std::function<void()> Work = nullptr,
             std::function<void()> OnDeliver = nullptr) {
        auto item = std::make_shared<Item>(Owner, Name, &delivered);
        item->Work = std::move(Work);
        item->OnDeliver = std::move(OnDeliver);
        pool.AddWorkItem(item);
    }
    // Queues an item that holds the only worker until the gate opens.
    template <class Item = TTestItem>
    void AddBlocker(void* Owner, const wchar_t* Name) {
        Add<Item>(Owner, Name, [this] {
            blocking = true;
            gate.Wait();
        });
        ASSERT_TRUE(PumpUntil([this] { return blocking.load(); }));
    }
    bool WaitForQueueEmpty() {
        return PumpUntil([this] { return queueEmpties > 0; });
    }
};

}  // namespace

TEST(WorkerPool, HundredItemsOnFiveWorkersGiveExactlyOneQueueEmpty) {
    PoolFixture f(5, 5);
    std::atomic<int> mostThreads{0};
    for (int i = 0; i < 100; ++i)
        f.Add(&kOwnerA, std::to_wstring(i), [&] {
            const int n = f.pool.Count();
            for (int m = mostThreads; n > m && !mostThreads.compare_exchange_weak(m, n);) {}
            Sleep(1);
        });
    ASSERT_TRUE(f.WaitForQueueEmpty());
    EXPECT_EQ(f.delivered.size(), 100u);
    EXPECT_EQ(f.pool.PendingCount(), 0);
    EXPECT_LE(mostThreads, 5);
    f.pool.StopAll(true);
    pooltest::Drain();
    EXPECT_EQ(f.queueEmpties, 1);
    // The processor load the spawn rule reads is a percentage.
    const int load = f.pool.GetCpuUsage();
    EXPECT_TRUE(load >= 0 && load <= 100) << load;
}

TEST(WorkerPool, CancelledOwnerReceivesNothingAndTheCountCoversQueuedAndRunning) {
    PoolFixture f(1, 1);
    f.AddBlocker(&kOwnerA, L"X");
    f.Add(&kOwnerA, L"Y");
    f.Add(&kOwnerB, L"Z");
    EXPECT_EQ(f.pool.CancelWorkItems(&kOwnerA, 0, nullptr), 2);
    f.gate.Open();
    ASSERT_TRUE(f.WaitForQueueEmpty());
    EXPECT_EQ(f.delivered, Names{L"Z"});
    EXPECT_EQ(f.pool.PendingCount(), 0);
}

TEST(WorkerPool, CancelByClassTakesDescendantsFromTheQueueButAbortsOnlyTheExactClass) {
    // By the base class: the running descendant goes on; then by its own class: it is aborted.
    for (bool exactClass : {false, true}) {
        PoolFixture f(1, 1);
        f.AddBlocker<TDerivedTestItem>(nullptr, L"running");
        f.Add(nullptr, L"base");
        f.Add<TDerivedTestItem>(nullptr, L"derived");
        const TWorkItemClass* cls =
            exactClass ? TWorkItemClass::Of<TDerivedTestItem>() : TWorkItemClass::Of<TTestItem>();
        EXPECT_EQ(f.pool.CancelWorkItems(nullptr, 0, cls), 2);
        f.gate.Open();
        ASSERT_TRUE(f.WaitForQueueEmpty());
        EXPECT_EQ(f.delivered, exactClass ? Names{L"base"} : Names{L"running"});
    }
}

TEST(WorkerPool, RaisingDeliveryStillCompletesTheItem) {
    PoolFixture f(1, 1);
    f.Add(nullptr, L"bad", nullptr, [] { throw fw::Exception(L"viewer failed"); });
    f.Add(nullptr, L"good");
    ASSERT_TRUE(f.WaitForQueueEmpty());
    EXPECT_EQ(f.delivered, (Names{L"bad", L"good"}));
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
    f.Add(nullptr, L"first");
    ASSERT_TRUE(PumpUntil([&] { return empties == 1; }));
    EXPECT_EQ(f.pool.Count(), 0);
    f.Add(nullptr, L"second");
    ASSERT_TRUE(PumpUntil([&] { return f.delivered.size() == 2; }));
    EXPECT_EQ(f.delivered.back(), L"second");
}

TEST(WorkerPool, StoppedWhileDeliveringDeliversNothingMoreAndEmptiesOnce) {
    PoolFixture f(4, 4);
    std::atomic<int> executed{0};
    for (int i = 0; i < 12; ++i) f.Add(nullptr, L"x", [&] { ++executed; });
    // The main thread serves nothing yet: the workers finish their items and wait
    // to hand the results over.
    ASSERT_TRUE(pooltest::WaitUntil([&] { return executed >= 4; }));
    f.pool.StopAll(true);
    EXPECT_EQ(f.pool.Count(), 0);
    EXPECT_EQ(f.pool.PendingCount(), 0);
    pooltest::Drain();
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
        ASSERT_TRUE(pooltest::WaitUntil([&] { return pool.PendingCount() == 0; }));
    }
    pooltest::Drain();
    EXPECT_EQ(queueEmpties, 0);
}
