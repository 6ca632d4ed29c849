// The application object: its message loop, exception reports and message boxes,
// and the hidden message-only windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/AllocateHWnd.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Thread.h"
#include "tests/framework/ThreadTestSupport.h"

namespace {

using fw::Application;
using fw::TApplication;
using threadtest::TTestThread;

struct Box {
    HWND owner;
    std::wstring text, caption;
    unsigned flags;
};

// Every test sees the boxes the program would show, and no box ever blocks.
class ApplicationTest : public testing::Test {
protected:
    void SetUp() override {
        TApplication::MessageBoxHook = [this](HWND owner, const std::wstring& text, const std::wstring& caption,
                                              unsigned flags) {
            boxes.push_back({owner, text, caption, flags});
            return IDOK;
        };
        Application()->SetTitle(L"Tabulorama");
    }
    void TearDown() override {
        TApplication::MessageBoxHook = nullptr;
        delete Application();  // the next test starts with a fresh one
    }
    // The one box shown so far: a stop box with that text, captioned with the title.
    void ExpectOneStopBox(const std::wstring& text) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, L"Tabulorama");
        EXPECT_EQ(boxes[0].flags, unsigned(MB_OK | MB_ICONSTOP));
    }
    std::vector<Box> boxes;
};

// Hands what is thrown to the application, as a message loop does.
template <class E>
void Report(const E& e) {
    try {
        throw e;
    } catch (...) {
        Application()->HandleException(nullptr);
    }
}

TEST_F(ApplicationTest, HandleExceptionShowsAStopBoxCaptionedWithTheTitleAndAFailingHookStaysInside) {
    Report(fw::EConvertError(L"'x' is not a valid integer value"));
    Report(fw::EAbort(L"silent"));
    ExpectOneStopBox(L"'x' is not a valid integer value");  // a silent abort shows nothing
    Report(std::runtime_error("plain failure"));
    Report(42);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, L"plain failure");
    EXPECT_FALSE(boxes[2].text.empty());
    EXPECT_EQ(boxes[2].flags, unsigned(MB_OK | MB_ICONSTOP));
    Application()->HandleException(nullptr);  // outside a catch block: nothing to show
    EXPECT_EQ(boxes.size(), 3u);
    // Boxes the program asks for take the title when they have no caption.
    EXPECT_EQ(Application()->MessageBox(L"Data was copied to clipboard!", L"", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(boxes[3].text, L"Data was copied to clipboard!");
    EXPECT_EQ(boxes[3].caption, L"Tabulorama");
    EXPECT_EQ(boxes[3].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    Application()->MessageBox(L"text", L"Error", MB_OK);
    EXPECT_EQ(boxes[4].caption, L"Error");
    // A box that a window's command asks is owned by that window.
    fw::TMessageWindow asker([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    Application()->MessageBox(L"Replace it?", L"Confirm Save As", MB_YESNO, asker.Handle());
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[5].owner, asker.Handle());
    TApplication::MessageBoxHook = [](HWND, const std::wstring&, const std::wstring&, unsigned) -> int {
        throw std::runtime_error("no box today");
    };
    EXPECT_NO_THROW(Report(fw::Exception(L"first")));
}

TEST_F(ApplicationTest, ExceptionInAWindowMethodIsReportedAndMessagesGoOn) {
    std::vector<UINT> seen;
    fw::TMessageWindow window([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(msg);
        if (msg == WM_APP + 1) throw fw::EListError(L"List index out of bounds (5)");
        return 0;
    });
    PostMessageW(window.Handle(), WM_APP + 1, 0, 0);
    PostMessageW(window.Handle(), WM_APP + 2, 0, 0);
    Application()->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    ExpectOneStopBox(L"List index out of bounds (5)");
}

TEST_F(ApplicationTest, WindowMethodMayDeallocateItsOwnWindow) {
    HWND wnd = nullptr;
    int calls = 0;
    wnd = fw::AllocateHWnd([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_APP) {
            ++calls;
            fw::DeallocateHWnd(wnd);
        }
        return 0;
    });
    ASSERT_TRUE(IsWindow(wnd));
    EXPECT_EQ(GetParent(wnd), nullptr);
    SendMessageW(wnd, WM_APP, 0, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(IsWindow(wnd));
}

// A queued call that fails while the loop is idle reaches the box; the loop goes on.
TEST_F(ApplicationTest, FailingQueuedCallReachesTheBoxWhileLooping) {
    bool laterRan = false;
    TTestThread thread([&](TTestThread& self) {
        self.Queue([] { throw fw::EInvalidOperation(L"Control has no parent window"); });
        self.Queue([&] { laterRan = true; });
    });
    thread.Start();
    const ULONGLONG start = GetTickCount64();
    while (!laterRan && GetTickCount64() - start < threadtest::kPatience) Application()->HandleMessage();
    thread.WaitFor();
    EXPECT_TRUE(laterRan);
    ExpectOneStopBox(L"Control has no parent window");
}

TEST_F(ApplicationTest, TerminateFromAnotherThreadWakesTheLoop) {
    TTestThread thread([](TTestThread&) { Application()->Terminate(); });
    EXPECT_FALSE(Application()->Terminated());
    thread.Start();
    // HandleMessage waits for a message when idle; Terminate must wake it.
    while (!Application()->Terminated()) Application()->HandleMessage();
    thread.WaitFor();
    EXPECT_TRUE(Application()->Terminated());
}

// A form that sees its global reference while OnCreate runs, or fails to construct.
class TProbeForm : public fw::TForm {
public:
    explicit TProbeForm(fw::TComponent* AOwner);
    bool sawReference = false;
};
TProbeForm* ProbeForm = nullptr;
TProbeForm::TProbeForm(fw::TComponent* AOwner) : fw::TForm(AOwner) {
    OnCreate = [this](fw::TObject*) { sawReference = ProbeForm == this; };
}
class TBrokenForm : public fw::TForm {
public:
    explicit TBrokenForm(fw::TComponent* AOwner) : fw::TForm(AOwner) {
        throw fw::EInvalidOperation(L"Cannot create form");
    }
};

TEST_F(ApplicationTest, FirstCreatedFormIsTheMainFormAndAFailedOneLeavesNoForm) {
    TBrokenForm* broken = reinterpret_cast<TBrokenForm*>(this);  // anything but null
    EXPECT_THROW(Application()->CreateForm(broken), fw::EInvalidOperation);
    EXPECT_EQ(broken, nullptr);
    EXPECT_EQ(Application()->MainForm(), nullptr);
    EXPECT_EQ(Application()->ComponentCount(), 0);
    fw::TForm* first = nullptr;
    Application()->CreateForm(ProbeForm);
    EXPECT_TRUE(ProbeForm->sawReference);  // set before OnCreate ran
    Application()->CreateForm(first);
    EXPECT_EQ(Application()->MainForm(), ProbeForm);
    EXPECT_EQ(first->Owner(), Application());
    delete ProbeForm;  // a main form freed early leaves no dangling main form
    ProbeForm = nullptr;
    EXPECT_EQ(Application()->MainForm(), nullptr);
}

// Run shows the main form; an exception in a message handler is shown in the box
// and the loop goes on until the main form closes.
TEST_F(ApplicationTest, RunReportsExceptionsAndEndsWhenTheMainFormCloses) {
    fw::TForm* main = nullptr;
    Application()->CreateForm(main);
    std::vector<UINT> handled;
    bool visibleInLoop = false;
    fw::TMessageWindow window([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg < WM_APP) return 0;
        handled.push_back(msg);
        if (msg == WM_APP) throw fw::EListError(L"failure in the loop");
        visibleInLoop = main->HandleAllocated() && IsWindowVisible(main->Handle());
        PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
        return 0;
    });
    PostMessageW(window.Handle(), WM_APP, 0, 0);
    PostMessageW(window.Handle(), WM_APP + 1, 0, 0);
    Application()->Run();
    EXPECT_TRUE(Application()->Terminated());
    EXPECT_EQ(handled, (std::vector<UINT>{WM_APP, WM_APP + 1}));
    EXPECT_TRUE(visibleInLoop);
    ExpectOneStopBox(L"failure in the loop");
}

TEST_F(ApplicationTest, FailureWhileShowingTheMainFormIsReportedAndRunGoesOn) {
    fw::TForm* main = nullptr;
    Application()->CreateForm(main);
    main->OnShow = [](fw::TObject*) { throw fw::EConvertError(L"failure while showing"); };
    bool looped = false;
    fw::TMessageWindow window([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_APP) {
            looped = true;
            PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
        }
        return 0;
    });
    PostMessageW(window.Handle(), WM_APP, 0, 0);
    Application()->Run();
    EXPECT_TRUE(looped);
    ExpectOneStopBox(L"failure while showing");
}

TEST_F(ApplicationTest, RunWithoutMainFormReturnsAtOnceAndDeletingTheApplicationGivesAFreshOne) {
    EXPECT_EQ(Application()->MainForm(), nullptr);
    Application()->Run();
    EXPECT_FALSE(Application()->Terminated());
    TApplication* first = Application();
    first->Terminate();
    delete first;
    TApplication* second = Application();
    EXPECT_FALSE(second->Terminated());
    EXPECT_FALSE(second->Title().empty());  // the program's name until one is set
}

}  // namespace
