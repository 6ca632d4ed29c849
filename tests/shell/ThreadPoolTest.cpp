// The pool of search threads: start limits, stops, kills, and the reports that
// reach the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
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

struct Reports {
    std::vector<TZemThread*> finished;
    int empties = 0;
    void Bind(TCustomThreadPool& Pool) {
        Pool.OnThreadFinished = [this](TZemThread* t) { finished.push_back(t); };
        Pool.OnEmpty = [this](fw::TObject*) { ++empties; };
    }
};

// A body that runs until it is told to stop.
void UntilTerminated(TTestThread* T) {
    while (!T->Terminated()) Sleep(2);
}

}  // namespace

TEST(ThreadPool, RunsAtMostMaxThreadsAndStartsOneAsEachLeaves) {
    TThreadPool pool;
    pool.SetMaxThreads(2);
    Reports reports;
    reports.Bind(pool);
    TGate gates[5];
    std::atomic<int> started{0};
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    int emptiesWhenFifthFinished = -1;
    pool.OnThreadFinished = [&](TZemThread* t) {
        reports.finished.push_back(t);
        if (reports.finished.size() == 5) emptiesWhenFifthFinished = reports.empties;
    };
    for (int i = 0; i < 5; ++i)
        pool.AddThread(new TTestThread([&, i](TTestThread* t) {
            ++started;
            const int now = ++running;
            for (int m = mostRunning; now > m && !mostRunning.compare_exchange_weak(m, now);) {}
            gates[i].Wait(t);
            --running;
        }));
    ASSERT_TRUE(PumpUntil([&] { return started == 2; }));
    EXPECT_EQ(pool.RunningCount(), 2);
    EXPECT_NE(pool.FirstSuspended(), nullptr);
    for (int i = 0; i < 5; ++i) {
        gates[i].Open();
        ASSERT_TRUE(PumpUntil([&] { return int(reports.finished.size()) == i + 1; }));
        ASSERT_TRUE(PumpUntil([&] { return started == std::min(5, i + 3); }));
    }
    EXPECT_EQ(mostRunning, 2);
    ASSERT_TRUE(PumpUntil([&] { return reports.empties == 1; }));
    EXPECT_EQ(emptiesWhenFifthFinished, 0);
    pooltest::PumpFor(50);
    EXPECT_EQ(reports.empties, 1);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(pool.LastFinishedThread(), nullptr);
}

TEST(ThreadPool, ThreadAddedWhileStoppingEndsWithoutWorkButIsReported) {
    TThreadPool pool;
    Reports reports;
    std::atomic<bool> lateWorked{false};
    bool added = false;
    pool.OnEmpty = [&](fw::TObject*) { ++reports.empties; };
    pool.OnThreadFinished = [&](TZemThread* t) {
        reports.finished.push_back(t);
        if (!added) {
            added = true;
            pool.AddThread(new TTestThread([&](TTestThread*) { lateWorked = true; }));
        }
    };
    pool.AddThread(new TTestThread(UntilTerminated));
    pool.StopAll(true);
    EXPECT_EQ(reports.finished.size(), 2u);
    EXPECT_FALSE(lateWorked);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(reports.empties, 1);
}

TEST(ThreadPool, StopAllWithoutWaitReturnsAndThreadsReportLater) {
    TThreadPool pool;
    Reports reports;
    reports.Bind(pool);
    for (int i = 0; i < 3; ++i) pool.AddThread(new TTestThread(UntilTerminated));
    pool.StopAll(false);
    ASSERT_TRUE(PumpUntil([&] { return reports.finished.size() == 3; }));
    ASSERT_TRUE(PumpUntil([&] { return reports.empties == 1; }));
    EXPECT_EQ(pool.Count(), 0);
}

TEST(ThreadPool, StopFollowedAtOnceByAddRunsTheNewThread) {
    TThreadPool pool;
    Reports reports;
    reports.Bind(pool);
    for (int i = 0; i < 3; ++i) pool.AddThread(new TTestThread(UntilTerminated));
    pool.StopAll(true);
    EXPECT_EQ(reports.finished.size(), 3u);
    std::atomic<bool> ran{false};
    pool.AddThread(new TTestThread([&](TTestThread*) { ran = true; }));
    ASSERT_TRUE(PumpUntil([&] { return reports.finished.size() == 4; }));
    EXPECT_TRUE(ran);
}

TEST(ThreadPool, ThreadIgnoringTerminateIsKilledReportedOnceAndFreed) {
    TThreadPool pool;
    pool.SetStopTimeout(200);
    Reports reports;
    reports.Bind(pool);
    std::atomic<bool> release{false};
    std::atomic<bool> running{false};
    std::atomic<bool> ended{false};
    std::atomic<int> destroyed{0};
    auto* stubborn = new TTestThread(
        [&](TTestThread*) {
            running = true;
            while (!release) Sleep(5);
        },
        &destroyed);
    stubborn->EndedNormally = &ended;
    pool.AddThread(stubborn);
    ASSERT_TRUE(PumpUntil([&] { return running.load(); }));
    pool.StopAll(true);
    EXPECT_FALSE(ended);
    ASSERT_EQ(reports.finished.size(), 1u);
    EXPECT_EQ(reports.finished[0], stubborn);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(reports.empties, 1);
    EXPECT_EQ(pool.Count(), 0);
    pooltest::PumpFor(30);
    EXPECT_EQ(reports.finished.size(), 1u);
}

TEST(ThreadPool, ThreadIsRemovedEvenWhenFinishedHandlerRaises) {
    TThreadPool pool;
    int empties = 0;
    int calls = 0;
    pool.OnEmpty = [&](fw::TObject*) { ++empties; };
    pool.OnThreadFinished = [&](TZemThread*) {
        ++calls;
        throw fw::Exception(L"handler failed");
    };
    std::atomic<int> destroyed{0};
    pool.AddThread(new TTestThread(nullptr, &destroyed));
    pool.AddThread(new TTestThread(nullptr, &destroyed));
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(empties, 1);
}

TEST(ThreadPool, StoppedWhileThreadsAreDeliveringEveryThreadEndsNormally) {
    TThreadPool pool;
    pool.SetStopTimeout(pooltest::kPatientStopTimeout);
    Reports reports;
    reports.Bind(pool);
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
        pool.AddThread(t);
    }
    ASSERT_TRUE(PumpUntil([&] { return delivering.size() == 4 && delivered.size() >= 20; }));
    pool.StopAll(true);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(reports.finished.size(), 4u);
    std::set<TZemThread*> distinct(reports.finished.begin(), reports.finished.end());
    EXPECT_EQ(distinct.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(endedFlags[i]) << i;
    EXPECT_EQ(reports.empties, 1);
}

TEST(ThreadPool, DestroyWaitsForThreadsThatFinishedButHaveNotReported) {
    Reports reports;
    std::atomic<int> destroyed{0};
    std::atomic<int> done{0};
    {
        TThreadPool pool;
        reports.Bind(pool);
        for (int i = 0; i < 3; ++i) pool.AddThread(new TTestThread([&](TTestThread*) { ++done; }, &destroyed));
        // Without serving the main thread, the threads end and wait to report.
        while (done < 3) Sleep(1);
        Sleep(20);
        EXPECT_EQ(reports.finished.size(), 0u);
    }
    EXPECT_EQ(reports.finished.size(), 3u);
    EXPECT_EQ(reports.empties, 1);
    ASSERT_TRUE(PumpUntil([&] { return destroyed == 3; }));
    pooltest::PumpFor(20);
    EXPECT_EQ(reports.finished.size(), 3u);
}

TEST(ThreadPool, SetMaxThreadsStopsSurplusAndStartsWaiting) {
    TThreadPool pool;
    pool.SetMaxThreads(1);
    Reports reports;
    reports.Bind(pool);
    std::atomic<int> started{0};
    for (int i = 0; i < 3; ++i)
        pool.AddThread(new TTestThread([&](TTestThread* t) {
            ++started;
            UntilTerminated(t);
        }));
    ASSERT_TRUE(PumpUntil([&] { return started == 1; }));
    pool.SetMaxThreads(3);
    ASSERT_TRUE(PumpUntil([&] { return started == 3; }));
    EXPECT_EQ(pool.RunningCount(), 3);
    pool.SetMaxThreads(1);
    ASSERT_TRUE(PumpUntil([&] { return reports.finished.size() == 2; }));
    EXPECT_EQ(pool.Count(), 1);
    pool.StopAll(true);
    EXPECT_EQ(reports.finished.size(), 3u);
}

TEST(ThreadPool, PausedThreadWaitsUntilTerminatedWhichEndsThePause) {
    TThreadPool pool;
    Reports reports;
    reports.Bind(pool);
    std::atomic<int> steps{0};
    auto* t = new TTestThread([&](TTestThread* self) {
        while (!self->WaitWhilePaused()) {
            ++steps;
            Sleep(1);
        }
    });
    t->SetPaused(true);
    pool.AddThread(t);
    pooltest::PumpFor(150);
    EXPECT_EQ(steps, 0);
    pool.StopAll(true);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(reports.finished.size(), 1u);
}

TEST(ThreadPool, WaitWhilePausedOnTheMainThreadNeverSleeps) {
    // A paused thread that was never started: the main thread asks it and gets
    // its Terminated state at once.
    TTestThread* t = new TTestThread(nullptr);
    t->SetPaused(true);
    EXPECT_FALSE(t->WaitWhilePaused());
    t->Terminate();
    EXPECT_TRUE(t->WaitWhilePaused());
    t->SetFreeOnTerminate(false);
    delete t;
}
