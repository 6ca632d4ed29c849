// Threads and the hand-over of calls to the main thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Thread.h"
#include "tests/framework/ThreadTestSupport.h"

namespace {

using fw::CheckSynchronize;
using fw::IsMainThread;
using fw::TThread;

using threadtest::Event;
using threadtest::kPatience;
using threadtest::PumpUntil;
using threadtest::TTestThread;

TEST(ThreadSynchronize, ManyThreadsAtOnceWhileMainThreadChecksAndOnTheMainThreadADirectCall) {
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(CheckSynchronize());  // nothing was left behind
    EXPECT_THROW(TThread::Synchronize(nullptr, [] { throw fw::EConvertError(L"x"); }), fw::EConvertError);
    constexpr int kThreads = 12, kCalls = 200;
    int counter = 0;  // touched only on the main thread: no lock
    std::atomic<int> offMain{0}, finished{0};
    std::vector<std::unique_ptr<TTestThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<TTestThread>([&](TTestThread& self) {
            for (int k = 0; k < kCalls; ++k)
                self.Synchronize([&] {
                    if (!IsMainThread()) ++offMain;
                    ++counter;
                });
            ++finished;
        }));
    }
    for (auto& t : threads) t->Start();
    EXPECT_TRUE(PumpUntil([&] { return finished == kThreads; }));
    for (auto& t : threads) t->WaitFor();
    EXPECT_EQ(counter, kThreads * kCalls);
    EXPECT_EQ(offMain, 0);
}

// WaitFor serves the calls of the thread it waits for (else it would never return).
TEST(ThreadSynchronize, WaitForServesTheCallsAndTheirExceptionReachesTheCallingThread) {
    std::wstring caught;
    bool ranOnMain = false;
    int calls = 0;
    TTestThread thread([&](TTestThread& self) {
        for (int i = 0; i < 20; ++i) self.Synchronize([&] { ++calls; });
        try {
            self.Synchronize([&] {
                ranOnMain = IsMainThread();
                throw fw::EConvertError(L"'abc' is not a valid integer value");
            });
        } catch (const fw::EConvertError& e) {
            caught = e.Message();
        }
    });
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(calls, 20);
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(caught, L"'abc' is not a valid integer value");
    EXPECT_FALSE(thread.FatalException());
}

TEST(ThreadSynchronize, NestedCheckSynchronizeServesOtherThreads) {
    bool innerRan = false, outerDone = false;
    std::unique_ptr<TTestThread> inner;
    TTestThread outer([&](TTestThread& self) {
        self.Synchronize([&] {
            // A synchronized call that waits for another thread's synchronized call.
            inner = std::make_unique<TTestThread>([&](TTestThread& t) { t.Synchronize([&] { innerRan = true; }); });
            inner->Start();
            PumpUntil([&] { return innerRan; });
        });
        outerDone = true;
    });
    outer.Start();
    outer.WaitFor();
    EXPECT_TRUE(innerRan);
    EXPECT_TRUE(outerDone);
    inner->WaitFor();
}

TEST(ThreadQueue, DoesNotWaitKeepsOrderAndLosesNoCallBehindAFailedOne) {
    std::vector<int> order;
    Event queued;
    TTestThread thread([&](TTestThread& self) {
        for (int i = 1; i <= 3; ++i) self.Queue([&order, i] { order.push_back(i); });
        self.Queue([] { throw fw::EListError(L"queued failure"); });
        self.Queue([&] { order.push_back(4); });
        queued.Set();
    });
    thread.Start();
    // The main thread serves nothing meanwhile: a blocking Queue would never get here.
    ASSERT_TRUE(queued.Wait());
    EXPECT_TRUE(order.empty());
    // The failure reaches CheckSynchronize; the call behind it is not lost.
    EXPECT_THROW(CheckSynchronize(), fw::EListError);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    thread.WaitFor();
}

TEST(ThreadLifetime, TerminateThenWaitFor) {
    Event running;
    TTestThread thread([&](TTestThread& self) {
        running.Set();
        while (!self.Terminated()) Sleep(1);
        self.SetReturnValue(7);
    });
    EXPECT_TRUE(thread.Suspended());
    EXPECT_EQ(thread.Priority(), fw::tpNormal);
    thread.SetPriority(fw::tpLower);
    EXPECT_EQ(GetThreadPriority(thread.Handle()), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_NE(thread.ThreadID(), fw::MainThreadID());
    thread.Start();
    EXPECT_FALSE(thread.Suspended());
    ASSERT_TRUE(running.Wait());
    thread.Terminate();
    EXPECT_TRUE(thread.Terminated());
    EXPECT_EQ(thread.WaitFor(), 7);
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(thread.ReturnValue(), 7);
    // Made not suspended, a thread starts in AfterConstruction, and only there.
    bool ran = false;
    TTestThread eager([&](TTestThread&) { ran = true; }, false);
    EXPECT_THROW(eager.WaitFor(), fw::EThread);  // not started yet
    eager.AfterConstruction();
    eager.WaitFor();
    EXPECT_TRUE(ran);
    EXPECT_THROW(eager.Start(), fw::EThread);
}

TEST(ThreadLifetime, OnTerminateComesAfterASkippedOrAFailedExecute) {
    bool executed = false;
    int terminated = 0;
    TTestThread thread([&](TTestThread&) { executed = true; });
    thread.OnTerminate = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &thread);
        ++terminated;
    };
    thread.Terminate();
    thread.Start();
    thread.WaitFor();
    EXPECT_FALSE(executed);
    EXPECT_EQ(terminated, 1);
    // An exception escaping Execute is kept, and OnTerminate still comes.
    TTestThread failing([](TTestThread&) { throw fw::EOutOfMemory(L"Out of memory"); });
    failing.OnTerminate = [&](fw::TObject*) { ++terminated; };
    failing.Start();
    failing.WaitFor();
    ASSERT_TRUE(failing.FatalException());
    EXPECT_THROW(std::rethrow_exception(failing.FatalException()), fw::EOutOfMemory);
    EXPECT_EQ(terminated, 2);
}

TEST(ThreadLifetime, FreeOnTerminateDeletesItselfAfterOnTerminate) {
    std::atomic<bool> destroyed{false};
    int onTerminateCalls = 0;
    bool onTerminateOnMain = false;
    auto* thread = new TTestThread([](TTestThread&) {});
    thread->destroyed = &destroyed;
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = [&](fw::TObject*) {
        ++onTerminateCalls;
        onTerminateOnMain = IsMainThread();
        EXPECT_FALSE(destroyed);
    };
    thread->Start();
    EXPECT_THROW(thread->WaitFor(), fw::EThread);  // it may be gone at any moment
    thread = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    EXPECT_EQ(onTerminateCalls, 1);
    EXPECT_TRUE(onTerminateOnMain);
}

TEST(ThreadLifetime, KillEndsAThreadThatIgnoresTerminateAndDropsItsCalls) {
    Event blocked, never;
    bool queuedRan = false;
    auto thread = std::make_unique<TTestThread>([&](TTestThread& self) {
        self.Queue([&] { queuedRan = true; });
        blocked.Set();
        never.Wait(INFINITE);
    });
    thread->Start();
    ASSERT_TRUE(blocked.Wait());
    thread->Terminate();
    thread->Kill();
    EXPECT_TRUE(thread->Finished());
    EXPECT_EQ(WaitForSingleObject(thread->Handle(), 0), WAIT_OBJECT_0);
    thread.reset();
    CheckSynchronize();
    EXPECT_FALSE(queuedRan);
}

// A thread that frees itself may end, and hand its deletion to the main thread,
// just before it is killed; whoever kills it deletes it, once.
TEST(ThreadLifetime, KillingAThreadThatFreedItselfLeavesOneDeletionToTheCaller) {
    std::atomic<int> destructions{0};
    auto* thread = new TTestThread([](TTestThread&) {});
    thread->destructions = &destructions;
    thread->SetFreeOnTerminate(true);
    HANDLE system = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &system, SYNCHRONIZE, FALSE, 0);
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(system, kPatience), WAIT_OBJECT_0);  // its deletion is queued
    CloseHandle(system);
    thread->Kill();
    delete thread;
    CheckSynchronize();
    EXPECT_EQ(destructions, 1);
}

// Posts OK to the main thread's message boxes (a box is a "#32770" window);
// whether there was one.
bool CloseMainThreadBoxes() {
    bool found = false;
    EnumThreadWindows(
        fw::MainThreadID(),
        [](HWND wnd, LPARAM found) -> BOOL {
            wchar_t cls[32];
            if (GetClassNameW(wnd, cls, 32) && std::wstring(cls) == L"#32770") {
                PostMessageW(wnd, WM_COMMAND, IDOK, 0);
                *reinterpret_cast<bool*>(found) = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The main thread sits in a real modal loop (a system message box) while a worker
// synchronizes; the worker's last call, run inside that loop, closes the box. A
// watchdog thread closes it instead when the calls never arrive.
TEST(ThreadSynchronize, ServedInsideAModalLoop) {
    constexpr int kCalls = 25;
    bool inModal = false;
    int servedInModal = 0, served = 0;
    Event lastServed;
    TTestThread worker([&](TTestThread& self) {
        for (int i = 0; i < kCalls; ++i)
            self.Synchronize([&] {
                if (inModal) ++servedInModal;
                if (++served == kCalls && CloseMainThreadBoxes()) lastServed.Set();
            });
    });
    TTestThread watchdog([&](TTestThread&) {
        if (!lastServed.Wait()) CloseMainThreadBoxes();
    });
    watchdog.Start();
    inModal = true;
    worker.Start();
    MessageBoxW(nullptr, L"Synchronized calls run inside this box's loop.", L"ThreadTest", MB_OK);
    inModal = false;
    worker.WaitFor();
    lastServed.Set();
    watchdog.WaitFor();
    EXPECT_EQ(served, kCalls);
    EXPECT_EQ(servedInModal, kCalls);
}

}  // namespace
