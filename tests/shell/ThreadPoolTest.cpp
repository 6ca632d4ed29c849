// The pool of search threads: start limits, stops, kills, and the reports that
// reach the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <vector>

#include "framework/Exception.h"
#include "shell/ThreadPool.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;
using pooltest::PumpUntil;
using pooltest::TGate;
using pooltest::TTestThread;

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

TEST(ThreadPool, ThreadIsRemovedEvenWhenFinishedHandlerRaises) {
    ReportingPool p;
    p.pool.OnThreadFinished = [&](TZemThread* t) {
        p.finished.push_back(t);
        throw fw::Exception(L"handler failed");
    };
    std::atomic<int> destroyed{0};
    p.Add(nullptr, &destroyed);
    p.Add(nullptr, &destroyed);
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 2; }));
    EXPECT_EQ(p.finished.size(), 2u);
    EXPECT_EQ(p.pool.Count(), 0);
    EXPECT_EQ(p.empties, 1);
}

TEST(ThreadPool, StoppedWhileThreadsAreDeliveringEveryThreadEndsNormally) {
    ReportingPool p;
    p.pool.SetStopTimeout(pooltest::kPatientStopTimeout);
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
