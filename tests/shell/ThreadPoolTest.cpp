// The pool of search threads (start limits, stops, kills, reports to the main thread)
// and the worker pool (queue-empty events, cancels, failing deliveries, idle workers).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/Exception.h"
#include "shell/ShellLibrary.h"
#include "shell/ThreadPool.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using pooltest::PumpUntil;
using pooltest::TGate;
using pooltest::TTestThread;
using Names = std::vector<std::wstring>;

namespace {

// A pool with its reports counted.
struct ReportingPool {
    std::vector<TZemThread*> finished;
    int empties = 0;
    TThreadPool pool;  // last, so it goes first: its last reports find the counts
    ReportingPool() {
        pool.OnThreadFinished = [this](TZemThread* t) { finished.push_back(t); };
        pool.OnEmpty = [this](fw::TObject*) { ++empties; };
    }
    void Add(std::function<void(TTestThread*)> Body, std::atomic<int>* Destroyed = nullptr) {
        pool.AddThread(new TTestThread(std::move(Body), Destroyed));
    }
};

// A body that runs until it is told to stop.
void UntilTerminated(TTestThread* T) {
    while (!T->Terminated()) Sleep(2);
}

}  // namespace

TEST(ThreadPool, RunsAtMostMaxThreadsStartsOneAsEachLeavesAndEmptiesOnceAtTheEnd) {
    ReportingPool p;
    p.pool.SetMaxThreads(2);
    TGate gates[5];
    std::atomic<int> started{0}, running{0}, mostRunning{0};
    int emptiesWhenFifthFinished = -1;
    p.pool.OnThreadFinished = [&](TZemThread* t) {
        p.finished.push_back(t);
        if (p.finished.size() == 5) emptiesWhenFifthFinished = p.empties;
    };
    for (int i = 0; i < 5; ++i)
        p.Add([&, i](TTestThread* t) {
            ++started;
            const int now = ++running;
            for (int m = mostRunning; now > m && !mostRunning.compare_exchange_weak(m, now);) {}
            gates[i].Wait(t);
            --running;
        });
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(p.pool.RunningCount(), 2);
    for (int i = 0; i < 5; ++i) {
        gates[i].Open();
        ASSERT_TRUE(PumpUntil([&] { return int(p.finished.size()) == i + 1 && started == std::min(5, i + 3); }));
    }
    EXPECT_EQ(mostRunning, 2);
    ASSERT_TRUE(PumpUntil([&] { return p.empties == 1; }));
    EXPECT_EQ(emptiesWhenFifthFinished, 0);
    pooltest::Drain();
    EXPECT_EQ(p.empties, 1);
    EXPECT_EQ(p.pool.Count(), 0);
}

TEST(ThreadPool, ThreadAddedWhileStoppingEndsWithoutWorkButIsReported) {
    ReportingPool p;
    std::atomic<bool> lateWorked{false};
    p.pool.OnThreadFinished = [&](TZemThread* t) {
        p.finished.push_back(t);
        if (p.finished.size() == 1) p.Add([&](TTestThread*) { lateWorked = true; });
    };
    p.Add(UntilTerminated);
    p.pool.StopAll(true);
    EXPECT_EQ(p.finished.size(), 2u);
    EXPECT_FALSE(lateWorked);
    EXPECT_EQ(p.pool.Count(), 0);
    EXPECT_EQ(p.empties, 1);
}

TEST(ThreadPool, StopsWithAndWithoutWaitAndAThreadAddedRightAfterAStopRuns) {
    ReportingPool p;
    for (int i = 0; i < 3; ++i) p.Add(UntilTerminated);
    p.pool.StopAll(false);  // returns at once; the threads report later
    ASSERT_TRUE(PumpUntil([&] { return p.finished.size() == 3 && p.empties == 1; }));
    for (int i = 0; i < 3; ++i) p.Add(UntilTerminated);
    p.pool.StopAll(true);
    EXPECT_EQ(p.finished.size(), 6u);
    std::atomic<bool> ran{false};
    p.Add([&](TTestThread*) { ran = true; });
    ASSERT_TRUE(PumpUntil([&] { return p.finished.size() == 7; }));
    EXPECT_TRUE(ran);
}

TEST(ThreadPool, ThreadIgnoringTerminateIsKilledReportedOnceAndFreed) {
    ReportingPool p;
    p.pool.SetStopTimeout(200);
    std::atomic<bool> release{false}, running{false}, ended{false};
    std::atomic<int> destroyed{0};
    auto* stubborn = new TTestThread(
        [&](TTestThread*) {
            running = true;
            while (!release) Sleep(5);
        },
        &destroyed);
    stubborn->EndedNormally = &ended;
    p.pool.AddThread(stubborn);
    ASSERT_TRUE(PumpUntil([&] { return running.load(); }));
    p.pool.StopAll(true);
    EXPECT_FALSE(ended);
    EXPECT_EQ(p.finished, std::vector<TZemThread*>{stubborn});
    EXPECT_EQ(destroyed, 1);
    pooltest::Drain();
    EXPECT_EQ(p.finished.size(), 1u);
    EXPECT_EQ(p.empties, 1);
}

TEST(ThreadPool, ThreadIsRemovedEvenWhenItsFinishedOrTerminateHandlerRaises) {
    ReportingPool p;
    p.pool.OnThreadFinished = [&](TZemThread* t) {
        p.finished.push_back(t);
        throw fw::Exception(L"handler failed");
    };
    std::atomic<int> destroyed{0};
    p.Add(nullptr, &destroyed);
    // A raising OnTerminate does not keep its thread from reporting either.
    auto* failing = new TTestThread(nullptr, &destroyed);
    failing->OnTerminate = [](fw::TObject*) { throw fw::Exception(L"terminate handler failed"); };
    p.pool.AddThread(failing);
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 2; }));
    EXPECT_EQ(p.finished.size(), 2u);
    EXPECT_EQ(p.pool.Count(), 0);
    EXPECT_EQ(p.empties, 1);
}

TEST(ThreadPool, StoppedWhileThreadsAreDeliveringEveryThreadEndsNormally) {
    ReportingPool p;
    p.pool.SetStopTimeout(60000);  // only a hung thread is killed, however busy the machine
    std::vector<int> delivered;
    std::set<int> delivering;
    std::atomic<bool> endedFlags[4] = {};
    for (int i = 0; i < 4; ++i) {
        auto* t = new TTestThread([&, i](TTestThread* self) {
            // Hands results over until stopped; each hand-over waits for the main thread.
            while (!self->Terminated())
                self->Synchronize([&, i] {
                    delivered.push_back(i);
                    delivering.insert(i);
                });
        });
        t->EndedNormally = &endedFlags[i];
        p.pool.AddThread(t);
    }
    ASSERT_TRUE(PumpUntil([&] { return delivering.size() == 4 && delivered.size() >= 20; }));
    p.pool.StopAll(true);
    EXPECT_EQ(p.pool.Count(), 0);
    EXPECT_EQ(std::set<TZemThread*>(p.finished.begin(), p.finished.end()).size(), 4u);
    EXPECT_EQ(p.finished.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(endedFlags[i]) << i;
    EXPECT_EQ(p.empties, 1);
}

TEST(ThreadPool, DestroyWaitsForThreadsThatFinishedButHaveNotReported) {
    std::vector<TZemThread*> finished;
    int empties = 0;
    std::atomic<int> destroyed{0}, done{0};
    {
        ReportingPool p;
        for (int i = 0; i < 3; ++i) p.Add([&](TTestThread*) { ++done; }, &destroyed);
        // Without serving the main thread, the threads end and wait to report.
        ASSERT_TRUE(pooltest::WaitUntil([&] { return done == 3; }));
        EXPECT_TRUE(p.finished.empty());
        p.pool.OnThreadFinished = [&](TZemThread* t) { finished.push_back(t); };
        p.pool.OnEmpty = [&](fw::TObject*) { ++empties; };
    }
    EXPECT_EQ(finished.size(), 3u);
    EXPECT_EQ(empties, 1);
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 3; }));
    pooltest::Drain();
    EXPECT_EQ(finished.size(), 3u);
}

TEST(ThreadPool, MaxThreadsLoweredEndsTheSurplusRaisedStartsWaitingOnesAndThreadsGetThePoolsPriority) {
    ReportingPool p;
    p.pool.SetMaxThreads(3);
    p.pool.SetThreadPriority(fw::tpLower);
    std::atomic<int> started{0};
    std::vector<int> priorities(5, -100);
    for (int i = 0; i < 5; ++i)
        p.Add([&, i](TTestThread* t) {
            priorities[i] = GetThreadPriority(GetCurrentThread());
            ++started;
            UntilTerminated(t);
        });
    ASSERT_TRUE(PumpUntil([&] { return started == 3; }));
    EXPECT_EQ(p.pool.RunningCount(), 3);
    // Lowered: the third running thread is asked to end, and no waiting one takes its place.
    p.pool.SetMaxThreads(2);
    ASSERT_TRUE(PumpUntil([&] { return p.finished.size() == 1; }));
    EXPECT_EQ(p.pool.RunningCount(), 2);
    EXPECT_EQ(started, 3);
    // Raised: waiting threads start until four run.
    p.pool.SetMaxThreads(4);
    ASSERT_TRUE(PumpUntil([&] { return started == 5; }));
    EXPECT_EQ(p.pool.RunningCount(), 4);
    p.pool.StopAll(true);
    for (int priority : priorities) EXPECT_EQ(priority, THREAD_PRIORITY_BELOW_NORMAL);
}

TEST(ThreadPool, APausedThreadSleepsUntilResumedOrTerminated) {
    ReportingPool p;
    std::atomic<int> steps{0};
    std::atomic<TTestThread*> thread{nullptr};
    p.Add([&](TTestThread* t) {
        thread = t;
        while (!t->WaitWhilePaused()) {
            ++steps;
            Sleep(1);
        }
    });
    ASSERT_TRUE(PumpUntil([&] { return steps > 0; }));
    thread.load()->SetPaused(true);
    Sleep(250);  // a step under way ends; then none follows
    const int paused = steps;
    pooltest::PumpFor(400);
    EXPECT_EQ(steps, paused);
    thread.load()->SetPaused(false);
    ASSERT_TRUE(PumpUntil([&] { return steps > paused; }));
    thread.load()->SetPaused(true);
    p.pool.StopAll(true);  // terminating ends the pause
    EXPECT_EQ(p.finished.size(), 1u);
}

// ---- The worker pool ---------------------------------------------------------------

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

TEST(WorkerPool, LimitsPerProcessorAndTheSharedPoolsFourWorkersEach) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const int processors = int(info.dwNumberOfProcessors);
    TWorkerThreadPool pool(false);
    EXPECT_EQ(pool.MaxThreads(), 3 * processors + 2);
    EXPECT_EQ(pool.StopTimeout(), 3000u);
    // A minimum above the limit raises the limit with it.
    pool.SetMinThreads(3 * processors + 5);
    EXPECT_EQ(pool.MaxThreads(), 3 * processors + 5);
    ShellLibraryStartup();
    ASSERT_NE(GlobalWorkerPool, nullptr);
    EXPECT_EQ(GlobalWorkerPool->MinThreads(), 4 * processors);
    EXPECT_EQ(GlobalWorkerPool->MaxThreads(), std::max(3 * processors + 2, 4 * processors));
    EXPECT_TRUE(GlobalWorkerPool->CoInitialize());
    ShellLibraryShutdown();
}

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

TEST(WorkerPool, CancelTakesMatchingItemsFromTheQueueAndAbortsARunningOneOfTheOwnerOrTheExactClass) {
    // The running item is a descendant: cancelling by the base class takes only queued ones.
    const struct {
        void* owner;
        const TWorkItemClass* cls;
        Names delivered;
    } cases[] = {
        {&kOwnerA, nullptr, {L"derived"}},
        {nullptr, TWorkItemClass::Of<TTestItem>(), {L"running"}},
        {nullptr, TWorkItemClass::Of<TDerivedTestItem>(), {L"base"}},
    };
    for (const auto& c : cases) {
        PoolFixture f(1, 1);
        f.AddBlocker<TDerivedTestItem>(&kOwnerA, L"running");
        f.Add(&kOwnerA, L"base");
        f.Add<TDerivedTestItem>(&kOwnerB, L"derived");
        EXPECT_EQ(f.pool.CancelWorkItems(c.owner, 0, c.cls), 2);
        f.gate.Open();
        ASSERT_TRUE(f.WaitForQueueEmpty());
        EXPECT_EQ(f.delivered, c.delivered);
        EXPECT_EQ(f.pool.PendingCount(), 0);
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

TEST(WorkerPool, APausedWorkerHoldsItsResultUntilResumedAndNewestFirstTakesTheLastQueued) {
    PoolFixture f(1, 1);
    std::atomic<bool> executed{false};
    f.AddBlocker(nullptr, L"held");
    ASSERT_EQ(f.pool.Count(), 1);
    auto* worker = dynamic_cast<TWorkerThread*>(f.pool.Threads(0));
    ASSERT_NE(worker, nullptr);
    worker->SetPaused(true);
    f.gate.Open();
    pooltest::PumpFor(400);  // the item has run; its result waits
    EXPECT_TRUE(f.delivered.empty());
    // Queued while the worker waits: with newest first, the last one runs next.
    f.pool.SetLastInFirstOut(true);
    for (const wchar_t* name : {L"first", L"second", L"third"}) f.Add(nullptr, name);
    worker->SetPaused(false);
    ASSERT_TRUE(f.WaitForQueueEmpty());
    EXPECT_EQ(f.delivered, (Names{L"held", L"third", L"second", L"first"}));
}

TEST(WorkerPool, MaxThreadsLoweredEndsSurplusWorkersAfterTheirResultsRaisedStartsMoreAtThePoolsPriority) {
    // Declared before the pool, so they outlive its workers.
    std::atomic<int> running{0};
    std::vector<int> priorities;
    TGate second;
    PoolFixture f(3, 3);
    f.pool.SetThreadPriority(fw::tpLower);
    const auto work = [&](TGate& Gate) {
        return [&running, &priorities, gate = &Gate] {
            const int priority = GetThreadPriority(GetCurrentThread());
            fw::TThread::Synchronize(nullptr, [&priorities, priority] { priorities.push_back(priority); });
            ++running;
            gate->Wait();
        };
    };
    for (const wchar_t* name : {L"a", L"b", L"c"}) f.Add(nullptr, name, work(f.gate));
    ASSERT_TRUE(PumpUntil([&] { return running == 3; }));
    ASSERT_EQ(f.pool.Count(), 3);
    // Lowered: the surplus workers end, but only after handing over what they made.
    f.pool.SetMaxThreads(1);
    f.gate.Open();
    ASSERT_TRUE(f.WaitForQueueEmpty());
    ASSERT_TRUE(PumpUntil([&] { return f.pool.Count() == 1; }));
    std::sort(f.delivered.begin(), f.delivered.end());
    EXPECT_EQ(f.delivered, (Names{L"a", L"b", L"c"}));
    // Raised: new workers start for the queued work until the limit runs.
    f.pool.SetMaxThreads(3);
    for (const wchar_t* name : {L"d", L"e", L"f"}) f.Add(nullptr, name, work(second));
    ASSERT_TRUE(PumpUntil([&] { return running == 6; }));
    EXPECT_EQ(f.pool.Count(), 3);
    second.Open();
    ASSERT_TRUE(PumpUntil([&] { return f.delivered.size() == 6; }));
    EXPECT_EQ(priorities, std::vector<int>(6, THREAD_PRIORITY_BELOW_NORMAL));
}

TEST(WorkerPool, StopAllWithWaitReturnsOnlyAfterEveryRunningItemHasEnded) {
    PoolFixture f(4, 4);
    f.pool.SetStopTimeout(60000);  // only a hung item would be killed
    std::atomic<int> running{0}, ended{0};
    for (int i = 0; i < 4; ++i)
        f.Add(nullptr, L"slow", [&] {
            ++running;
            Sleep(300);  // an item sees no abort: it runs to its end
            ++ended;
        });
    ASSERT_TRUE(PumpUntil([&] { return running == 4; }));
    f.pool.StopAll(true);
    EXPECT_EQ(ended, 4);
    EXPECT_EQ(f.pool.Count(), 0);
}

TEST(WorkerPool, QueueLosesAndDoublesNothingUnderManyAddingAndTakingThreads) {
    TWorkItemsQueue queue;
    constexpr int kAdders = 6, kPerAdder = 20000;
    std::vector<std::shared_ptr<TTestItem>> items;
    for (int i = 0; i < kAdders * kPerAdder; ++i) items.push_back(std::make_shared<TTestItem>(nullptr, L"", nullptr));
    std::atomic<int> addersLeft{kAdders};
    std::vector<std::vector<IWorkItem*>> taken(4);
    std::vector<std::thread> threads;
    for (int a = 0; a < kAdders; ++a)
        threads.emplace_back([&, a] {
            for (int i = 0; i < kPerAdder; ++i) queue.Add(items[a * kPerAdder + i]);
            --addersLeft;
        });
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (;;) {
                const bool last = addersLeft == 0;
                IWorkItemPtr item = t % 2 ? queue.TakeLast() : queue.TakeFirst();
                if (item) taken[t].push_back(item.get());
                else if (last) break;
            }
        });
    for (std::thread& thread : threads) thread.join();
    std::vector<IWorkItem*> all;
    for (const auto& part : taken) all.insert(all.end(), part.begin(), part.end());
    ASSERT_EQ(all.size(), items.size());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(queue.Count(), 0);

    // The same through the pool: items queued from many threads run once each.
    PoolFixture f(8, 8);
    constexpr int kQueuers = 8, kPerQueuer = 500;
    std::vector<std::atomic<int>> runs(kQueuers * kPerQueuer);
    std::vector<std::thread> queuers;
    for (int q = 0; q < kQueuers; ++q)
        queuers.emplace_back([&, q] {
            for (int i = 0; i < kPerQueuer; ++i) {
                auto item = std::make_shared<TTestItem>(nullptr, L"", nullptr);
                item->Work = [&runs, n = q * kPerQueuer + i] { ++runs[n]; };
                f.pool.AddWorkItem(item);
            }
        });
    for (std::thread& thread : queuers) thread.join();
    ASSERT_TRUE(PumpUntil([&] { return f.pool.PendingCount() == 0; }));
    EXPECT_EQ(std::count_if(runs.begin(), runs.end(), [](const std::atomic<int>& n) { return n != 1; }), 0);
}
