// Forms: creation and show events, sizes, closing, modal loops and the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/Hints.h"
#include "framework/Panel.h"
#include "framework/Thread.h"

namespace {

// A form whose events write to a shared log.
class LoggingForm : public fw::TForm {
public:
    LoggingForm(fw::TComponent* owner, std::vector<std::wstring>* log) : TForm(owner), log_(log) {
        SetPosition(fw::poDesigned);
        OnCreate = [this](fw::TObject*) { log_->push_back(L"create"); };
        OnShow = [this](fw::TObject*) {
            // OnShow comes before the window appears.
            log_->push_back(HandleAllocated() && IsWindowVisible(Handle()) ? L"show (visible)" : L"show");
        };
        OnHide = [this](fw::TObject*) { log_->push_back(L"hide"); };
        OnDestroy = [this](fw::TObject*) { log_->push_back(L"destroy"); };
    }
    // OnDestroy uses this class's members: it runs while they still exist.
    ~LoggingForm() override { BeforeDestruction(); }

private:
    std::vector<std::wstring>* log_;
};

// Ends a modal loop that would otherwise never end, so a fault fails the test
// instead of hanging the run.
class ModalWatchdog {
public:
    explicit ModalWatchdog(fw::TCustomForm* form) {
        current = form;
        timer_ = SetTimer(nullptr, 0, 5000, Fire);
    }
    ~ModalWatchdog() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        if (current) current->SetModalResult(fw::mrAbort);
    }
    static inline fw::TCustomForm* current = nullptr;
    UINT_PTR timer_;
};

std::wstring WindowText(HWND h) {
    wchar_t buffer[256] = {};
    GetWindowTextW(h, buffer, 256);
    return buffer;
}

TEST(FormsTest, OnCreateComesFromAfterConstructionAndOnShowFromEveryShow) {
    std::vector<std::wstring> log;
    auto* form = new LoggingForm(nullptr, &log);
    EXPECT_TRUE(log.empty());
    form->AfterConstruction();
    form->AfterConstruction();
    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->Hide();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    form->Show();
    delete form;
    const std::vector<std::wstring> expected{L"create", L"show", L"hide", L"show", L"destroy"};
    EXPECT_EQ(log, expected);
}

TEST(FormsTest, CaptionFontAndClientSizeReachTheWindowAndResizingFiresOnResize) {
    fw::TForm form(nullptr);
    EXPECT_EQ(form.Font()->Name(), L"Tahoma");
    EXPECT_EQ(form.Font()->Height(), -11);
    int resizes = 0;
    form.OnResize = [&](fw::TObject*) { ++resizes; };
    form.SetBounds(0, 0, 200, 200);
    EXPECT_EQ(resizes, 1);
    form.SetLeft(10);
    EXPECT_EQ(resizes, 1);
    form.SetCaption(L"Tabulorin - Brenmoor Software");
    form.SetClientWidth(723);
    form.SetClientHeight(459);
    EXPECT_EQ(form.ClientWidth(), 723);
    EXPECT_EQ(form.ClientHeight(), 459);
    form.Show();
    EXPECT_EQ(WindowText(form.Handle()), L"Tabulorin - Brenmoor Software");
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 723);
    EXPECT_EQ(client.bottom, 459);
    // Resizing once shown keeps the client size asked for.
    form.SetClientWidth(300);
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 300);
    resizes = 0;
    SetWindowPos(form.Handle(), nullptr, 0, 0, 250, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(form.Width(), 250);
    // A border style change makes the window again, with its caption.
    const HWND before = form.Handle();
    EXPECT_TRUE(GetWindowLongPtrW(before, GWL_STYLE) & WS_THICKFRAME);
    form.SetBorderStyle(fw::bsDialog);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_FALSE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(WindowText(form.Handle()), L"Tabulorin - Brenmoor Software");
}

TEST(FormsTest, CloseHidesFreesOrKeepsAsOnCloseDecides) {
    std::vector<std::wstring> log;
    auto* form = new LoggingForm(nullptr, &log);
    form->Show();
    fw::TCloseAction action = fw::caNone;
    form->OnClose = [&](fw::TObject*, fw::TCloseAction& a) {
        EXPECT_EQ(a, fw::caHide);
        a = action;
    };
    form->Close();
    EXPECT_TRUE(form->Visible());
    bool allowed = false;
    form->OnCloseQuery = [&](fw::TObject*, bool& canClose) { canClose = allowed; };
    action = fw::caHide;
    form->Close();
    EXPECT_TRUE(form->Visible());
    allowed = true;
    form->Close();
    EXPECT_FALSE(form->Visible());

    // WM_CLOSE is a Close; caFree frees the form once the waiting messages are handled.
    form->Show();
    action = fw::caFree;
    log.clear();
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(log.empty());
    fw::Application()->ProcessMessages();
    const std::vector<std::wstring> expected{L"destroy"};
    EXPECT_EQ(log, expected);
}

TEST(FormsTest, ClosingTheMainFormTerminatesTheApplication) {
    delete fw::Application();  // a fresh application without a main form
    fw::TForm* main = nullptr;
    fw::Application()->CreateForm(main);
    ASSERT_EQ(fw::Application()->MainForm(), main);
    fw::TForm* other = nullptr;
    fw::Application()->CreateForm(other);
    other->Show();
    other->Close();
    EXPECT_FALSE(fw::Application()->Terminated());
    EXPECT_FALSE(other->Visible());
    main->Show();
    // The other forms belong to the main form's window.
    other->Show();
    EXPECT_EQ(GetWindow(other->Handle(), GW_OWNER), main->Handle());
    main->Close();
    EXPECT_TRUE(fw::Application()->Terminated());
    delete fw::Application();  // takes the forms with it
}

TEST(FormsTest, ShowModalRunsSynchronizedCallsUntilAResultIsSet) {
    delete fw::Application();
    fw::TForm owner(nullptr);
    owner.Show();
    fw::TForm dialog(nullptr);
    bool ownerDisabled = false;
    std::thread worker;
    dialog.OnShow = [&](fw::TObject*) {
        worker = std::thread([&] {
            fw::TThread::Synchronize(nullptr, [&] {
                ownerDisabled = !IsWindowEnabled(owner.Handle());
                dialog.SetModalResult(fw::mrOk);
            });
        });
    };
    std::vector<std::wstring> closes;
    dialog.OnClose = [&](fw::TObject*, fw::TCloseAction&) { closes.push_back(L"close"); };
    ModalWatchdog watchdog(&dialog);
    const int result = dialog.ShowModal();
    worker.join();
    EXPECT_EQ(result, fw::mrOk);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(closes.size(), 1u);
    EXPECT_THROW(owner.ShowModal(), fw::EInvalidOperation);  // already visible
}

TEST(FormsTest, AModalLoopShowsTheHintOfTheControlUnderTheMouse) {
    fw::TForm dialog(nullptr);
    dialog.SetPosition(fw::poDesigned);
    dialog.SetBounds(40, 40, 240, 120);
    auto* panel = new fw::TPanel(&dialog);
    panel->SetParent(&dialog);
    panel->SetBounds(0, 0, 200, 50);
    panel->SetHint(L"Next");
    panel->SetShowHint(true);
    const int pause = fw::HintSettings().HintPause;
    fw::HintSettings().HintPause = 20;
    std::wstring shown;
    std::atomic<bool> done{false};
    std::thread watcher;
    dialog.OnShow = [&](fw::TObject*) {
        const POINT at = panel->ClientToScreen(POINT{20, 10});
        SetCursorPos(at.x, at.y);
        PostMessageW(panel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
        // Asks the loop, now and then, whether the hint has come.
        watcher = std::thread([&] {
            for (int i = 0; i < 100 && !done; ++i) {
                Sleep(20);
                fw::TThread::Synchronize(nullptr, [&] {
                    if (!fw::ShownHintWindow()) return;
                    shown = fw::ShownHintText();
                    done = true;
                    dialog.SetModalResult(fw::mrOk);
                });
            }
        });
    };
    ModalWatchdog watchdog(&dialog);
    EXPECT_EQ(dialog.ShowModal(), fw::mrOk);
    watcher.join();
    fw::CancelHint();
    fw::HintSettings().HintPause = pause;
    EXPECT_EQ(shown, L"Next");
}

TEST(FormsTest, CloseInAModalLoopCancelsIt) {
    delete fw::Application();
    fw::TForm dialog(nullptr);
    ModalWatchdog watchdog(&dialog);
    dialog.OnShow = [&](fw::TObject*) { PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(dialog.ShowModal(), fw::mrCancel);
    // OnClose may refuse: the loop goes on until a result sticks.
    int refusals = 0;
    dialog.OnShow = [&](fw::TObject*) { dialog.SetModalResult(fw::mrYes); };
    dialog.OnCloseQuery = [&](fw::TObject*, bool& canClose) {
        canClose = refusals > 0;
        if (!canClose) {
            ++refusals;
            PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
        }
    };
    EXPECT_EQ(dialog.ShowModal(), fw::mrCancel);
    EXPECT_EQ(refusals, 1);
}

TEST(FormsTest, TheScreenCursorWinsOverEveryControlCursor) {
    fw::TForm form(nullptr);
    form.SetCursor(fw::crHandPoint);
    form.Show();
    fw::Screen()->SetCursor(fw::crHourGlass);
    EXPECT_EQ(fw::Screen()->Cursor(), fw::crHourGlass);
    EXPECT_EQ(GetCursor(), fw::Screen()->Cursors(fw::crHourGlass));
    const LRESULT handled = SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(GetCursor(), fw::Screen()->Cursors(fw::crHourGlass));
    fw::Screen()->SetCursor(fw::crAppStart);
    EXPECT_EQ(GetCursor(), fw::Screen()->Cursors(fw::crAppStart));
    fw::Screen()->SetCursor(fw::crDefault);
    SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), fw::Screen()->Cursors(fw::crHandPoint));
}

TEST(FormsTest, OpensCentredOrMaximisedWhenAsked) {
    fw::TForm centred(nullptr);
    centred.SetPosition(fw::poScreenCenter);
    centred.SetBounds(0, 0, 300, 200);
    centred.Show();
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(centred.Left(), work.left + (work.right - work.left - 300) / 2, 1);
    EXPECT_NEAR(centred.Top(), work.top + (work.bottom - work.top - 200) / 2, 1);
    fw::TForm form(nullptr);
    form.SetWindowState(fw::wsMaximized);
    form.Show();
    EXPECT_TRUE(IsZoomed(form.Handle()));
    EXPECT_EQ(form.WindowState(), fw::wsMaximized);
    form.SetWindowState(fw::wsNormal);
    EXPECT_FALSE(IsZoomed(form.Handle()));
}

}  // namespace
