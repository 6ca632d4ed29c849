// The framework under handlers that throw or free their own objects, threads that
// end in unusual ways, hosts too small for their children, and floods of calls.
// A test that would hang ends the process through its watchdog instead.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Thread.h"
#include "tests/framework/ThreadTestSupport.h"

namespace {

using fw::TThread;

using threadtest::Event;
using threadtest::kPatience;
using threadtest::PumpUntil;
using threadtest::TTestThread;

// Ends the process with a message when the test has not finished in time.
class Watchdog {
public:
    explicit Watchdog(const char* what)
        : thread_([this, what] {
              if (done_.Wait()) return;
              std::fprintf(stderr, "watchdog: %s did not finish\n", what);
              std::fflush(stderr);
              TerminateProcess(GetCurrentProcess(), 99);
          }) {}
    ~Watchdog() {
        done_.Set();
        thread_.join();
    }

private:
    Event done_;
    std::thread thread_;  // made last: it reads done_
};

// Memory the process holds: reserved and committed address space, or committed private pages.
SIZE_T MemoryInUse(bool CommittedPrivateOnly) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (char* p = nullptr; VirtualQuery(p, &info, sizeof(info)) == sizeof(info);) {
        if (CommittedPrivateOnly ? (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) : info.State != MEM_FREE)
            total += info.RegionSize;
        char* next = static_cast<char*>(info.BaseAddress) + info.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return total;
}

// Counts what reaches the application's exception handler.
class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fw::SetExceptionHandler([this](fw::TObject*) {
            try {
                throw;
            } catch (const fw::Exception& e) {
                reports.push_back(e.Message());
            } catch (...) {
                reports.push_back(L"?");
            }
        });
    }
    void TearDown() override {
        fw::SetExceptionHandler(previous_);
        fw::Application()->ProcessMessages();
    }
    std::vector<std::wstring> reports;

private:
    fw::TExceptionHandler previous_;
};

// --- Threads ------------------------------------------------------------------------

TEST_F(RobustnessTest, AQueuedCallThatThrowsWhileTheMainThreadWaitsIsReportedAndTheWaitGoesOn) {
    const Watchdog watchdog("waiting through a failing queued call");
    for (const bool byDelete : {false, true}) {
        Event queued;
        auto* thread = new TTestThread([&](TTestThread& self) {
            self.Queue([] { throw fw::EInvalidArgument(L"queued"); });
            queued.Set();
            while (!self.Terminated()) Sleep(1);
            // Blocks until the main thread has served the queue, the failing call first.
            self.Synchronize([] {});
        });
        thread->Start();
        ASSERT_TRUE(queued.Wait());
        thread->Terminate();
        if (byDelete) {
            delete thread;
        } else {
            EXPECT_NO_THROW(thread->WaitFor());
            EXPECT_TRUE(thread->Finished());
            delete thread;
        }
    }
    EXPECT_EQ(reports, (std::vector<std::wstring>{L"queued", L"queued"}));
}

TEST_F(RobustnessTest, AThreadDeletedInItsOwnOnTerminateEnds) {
    const Watchdog watchdog("deleting a thread in its OnTerminate");
    std::atomic<bool> destroyed{false};
    auto* thread = new TTestThread([](TTestThread&) {});
    thread->destroyed = &destroyed;
    thread->OnTerminate = [&](fw::TObject* sender) { delete static_cast<TThread*>(sender); };
    thread->Start();
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
}

TEST(ThreadLeaks, DeletingThreadsThatNeverStartedLeavesNoStacks) {
    delete new TTestThread([](TTestThread&) {});  // warms up what the first thread makes
    const SIZE_T before = MemoryInUse(false);
    int ran = 0;
    for (int i = 0; i < 40; ++i) delete new TTestThread([&](TTestThread&) { ++ran; });
    const SIZE_T after = MemoryInUse(false);
    EXPECT_EQ(ran, 0);
    EXPECT_LT(after, before + 16 * 1024 * 1024) << "grew by " << (after - before) / 1024 << " KB";
}

TEST(ThreadLeaks, ASelfFreeingThreadIsFreedAfterEveryCallItQueued) {
    const int kCalls = 500;
    std::atomic<bool> destroyed{false};
    int ran = 0, ranWithThreadGone = 0;
    HANDLE systemThread = nullptr;
    auto* thread = new TTestThread([&](TTestThread& self) {
        for (int i = 0; i < kCalls; ++i)
            self.Queue([&] {
                ++ran;
                if (destroyed) ++ranWithThreadGone;
            });
    });
    thread->destroyed = &destroyed;
    thread->SetFreeOnTerminate(true);
    DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &systemThread, SYNCHRONIZE, FALSE, 0);
    thread->Start();
    // The system thread ends before the main thread serves a single call.
    ASSERT_EQ(WaitForSingleObject(systemThread, kPatience), WAIT_OBJECT_0);
    CloseHandle(systemThread);
    EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
    EXPECT_EQ(ran, kCalls);
    EXPECT_EQ(ranWithThreadGone, 0);
}

TEST(ThreadLeaks, LockedCanvasesLeaveNothingBehind) {
    auto cycle = [] {
        auto* canvas = new fw::TControlCanvas(nullptr);
        canvas->Lock();
        canvas->Unlock();
        delete canvas;
    };
    for (int i = 0; i < 2000; ++i) cycle();
    const SIZE_T before = MemoryInUse(true);
    for (int i = 0; i < 60000; ++i) cycle();
    const SIZE_T after = MemoryInUse(true);
    EXPECT_LT(after, before + 1024 * 1024) << "grew by " << (after - before) / 1024 << " KB";
}

TEST_F(RobustnessTest, ProcessMessagesEndsWhileThreadsKeepHandingOverCalls) {
    const Watchdog watchdog("ProcessMessages under a flood");
    std::atomic<bool> stop{false};
    std::atomic<int> queued{0}, served{0};
    std::vector<std::unique_ptr<TTestThread>> threads;
    for (int i = 0; i < 4; ++i) {
        threads.push_back(std::make_unique<TTestThread>([&](TTestThread& self) {
            // Keeps a backlog of calls waiting, however fast the main thread serves them.
            while (!stop) {
                if (queued - served < 50) {
                    ++queued;
                    self.Queue([&] {
                        // Each call takes a moment, so more arrive while the main thread serves.
                        const ULONGLONG until = GetTickCount64() + 1;
                        while (GetTickCount64() < until) {}
                        ++served;
                    });
                } else {
                    Sleep(0);
                }
            }
        }));
        threads.back()->Start();
    }
    ASSERT_TRUE(PumpUntil([&] { return served > 20; }));
    // Without a bound ProcessMessages returns only once the stopper has ended the flood.
    Event finished;
    auto* stopper = new TTestThread([&](TTestThread&) {
        finished.Wait(kPatience / 2);
        stop = true;
    });
    stopper->Start();
    fw::Application()->ProcessMessages();
    EXPECT_FALSE(stop.load()) << "ProcessMessages ran until the threads stopped";
    finished.Set();
    for (auto& t : threads) t->WaitFor();
    stopper->WaitFor();
    delete stopper;
    EXPECT_TRUE(PumpUntil([&] { return served == queued; }));
}

// --- Forms --------------------------------------------------------------------------

TEST_F(RobustnessTest, AnOnDestroyThatThrowsIsReportedAndTheFormStillGoes) {
    auto* form = new fw::TForm(nullptr);
    form->OnDestroy = [](fw::TObject*) { throw fw::EInvalidOperation(L"destroy"); };
    const int before = fw::Screen()->FormCount();
    delete form;
    EXPECT_EQ(fw::Screen()->FormCount(), before - 1);
    // Freed by Release, from the message loop.
    form = new fw::TForm(nullptr);
    form->OnDestroy = [](fw::TObject*) { throw fw::EInvalidOperation(L"released"); };
    form->Release();
    fw::Application()->ProcessMessages();
    EXPECT_EQ(fw::Screen()->FormCount(), before - 1);
    EXPECT_EQ(reports, (std::vector<std::wstring>{L"destroy", L"released"}));
}

TEST_F(RobustnessTest, AFormDeletedInsideShowModalEndsTheLoop) {
    const Watchdog watchdog("ShowModal of a deleted form");
    auto* form = new fw::TForm(nullptr);
    std::atomic<bool> destroyedFlag{false};
    // A thread hands the deletion to the modal loop once the form shows.
    auto* deleter = new TTestThread([&](TTestThread& self) { self.Synchronize([&] { delete form; }); });
    form->OnShow = [&](fw::TObject*) { deleter->Start(); };
    EXPECT_EQ(form->ShowModal(), fw::mrCancel);
    deleter->WaitFor();
    delete deleter;
    EXPECT_TRUE(reports.empty());
}

TEST_F(RobustnessTest, AfterOnShowThrowsTheFormCanStillBeShown) {
    fw::TForm form(nullptr);
    int shows = 0;
    form.OnShow = [&](fw::TObject*) {
        if (++shows == 1) throw fw::EInvalidOperation(L"show");
    };
    EXPECT_THROW(form.Show(), fw::EInvalidOperation);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Showing());
    form.Show();
    EXPECT_EQ(shows, 2);
    EXPECT_TRUE(form.Showing());
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

// --- Controls -----------------------------------------------------------------------

class Container : public fw::TWinControl {
public:
    explicit Container(fw::TComponent* owner) : TWinControl(owner) {
        SetControlStyle(ControlStyle() | fw::csAcceptsControls);
    }
};

class Tracked : public fw::TGraphicControl {
public:
    Tracked(fw::TComponent* owner, bool* gone, int* afterGone)
        : TGraphicControl(owner), gone_(gone), after_(afterGone) {}
    ~Tracked() override { *gone_ = true; }
    std::function<void()> paint;

protected:
    void MouseUp(fw::TMouseButton b, fw::TShiftState s, int x, int y) override {
        if (*gone_) ++*after_;
        TGraphicControl::MouseUp(b, s, x, y);
    }
    void Paint() override {
        if (paint) paint();
    }

private:
    bool* gone_;
    int* after_;
};

TEST_F(RobustnessTest, AGraphicControlFreedInItsOwnOnClickIsNotUsedAfter) {
    fw::TForm form(nullptr);
    form.SetBounds(40, 40, 300, 200);
    bool gone = false;
    int usedAfter = 0;
    auto* button = new Tracked(&form, &gone, &usedAfter);
    button->SetBounds(10, 10, 50, 30);
    button->SetParent(&form);
    button->OnClick = [&](fw::TObject*) { delete button; };
    form.Show();
    SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(gone);
    EXPECT_EQ(usedAfter, 0);
    EXPECT_EQ(form.ControlCount(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(RobustnessTest, AlignedChildrenStayInsideAHostOfAnySize) {
    Container host(nullptr);
    std::vector<fw::TControl*> kids;
    const fw::TAlign aligns[] = {fw::alTop, fw::alBottom, fw::alLeft, fw::alRight, fw::alClient};
    for (fw::TAlign align : aligns) {
        auto* c = new Container(&host);
        c->SetBounds(0, 0, 50, 20);
        c->SetAlign(align);
        c->SetParent(&host);
        kids.push_back(c);
    }
    for (const int size : {0, 7, 24, 60, 300}) {
        host.SetBounds(0, 0, size, size);
        for (fw::TControl* c : kids) {
            const RECT r = c->BoundsRect();
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= size && r.bottom <= size)
                << "size " << size << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        }
    }
    // Room again: each child is back at the size it was given.
    EXPECT_EQ(kids[0]->Height(), 20);
    EXPECT_EQ(kids[1]->Height(), 20);
    EXPECT_EQ(kids[2]->Width(), 50);
    EXPECT_EQ(kids[3]->BoundsRect().left, 250);
}

TEST_F(RobustnessTest, AFailingResizeOrPaintOfOneChildLeavesTheOthersDone) {
    Container host(nullptr);
    host.SetBounds(0, 0, 200, 200);
    std::vector<Container*> rows;
    for (int i = 0; i < 3; ++i) {
        auto* c = new Container(&host);
        c->SetBounds(0, 0, 10, 20);
        c->SetAlign(fw::alTop);
        c->SetParent(&host);
        rows.push_back(c);
    }
    rows[0]->OnResize = [](fw::TObject*) { throw fw::EInvalidOperation(L"resize"); };
    host.SetBounds(0, 0, 150, 200);
    EXPECT_EQ(rows[2]->Top(), 40);
    EXPECT_EQ(rows[2]->Width(), 150);

    bool gone = false;
    int unused = 0, painted = 0;
    for (int i = 0; i < 3; ++i) {
        auto* g = new Tracked(&host, &gone, &unused);
        g->SetBounds(10 * i, 100, 10, 10);
        g->paint = i == 0 ? std::function<void()>([] { throw fw::EInvalidOperation(L"paint"); })
                          : std::function<void()>([&] { ++painted; });
        g->SetParent(&host);
    }
    fw::TBitmap bitmap(200, 200);
    host.PaintControls(bitmap.Canvas()->Handle(), nullptr);
    EXPECT_EQ(painted, 2);
    EXPECT_EQ(reports, (std::vector<std::wstring>{L"resize", L"paint"}));
}

TEST_F(RobustnessTest, OnExitGoesToTheFocusedControlNotToTheOneBeingDestroyed) {
    fw::TForm form(nullptr);
    form.SetBounds(40, 40, 300, 200);
    auto* panel = new Container(&form);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(&form);
    auto* edit = new Container(panel);
    edit->SetBounds(0, 0, 100, 20);
    edit->SetTabStop(true);
    edit->SetParent(panel);
    std::vector<std::wstring> exits;
    edit->OnExit = [&](fw::TObject*) { exits.push_back(L"edit"); };
    panel->OnExit = [&](fw::TObject*) { exits.push_back(L"panel"); };
    form.Show();
    edit->SetFocus();
    fw::Application()->ProcessMessages();
    if (!edit->Focused()) GTEST_SKIP() << "the test display gives no focus to the window";
    delete panel;
    EXPECT_EQ(exits, std::vector<std::wstring>{L"edit"});
}

}  // namespace
