// The program's start-up: title, main window, a message loop that ends when the
// main window closes, and the libraries' shut-down after any failure.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/UPrintPreview2.h"
#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/Exception.h"

namespace {

// What the main window looked like from inside the running loop.
struct Seen {
    bool visible = false;
    std::wstring text;
    RECT client{};
    int ticks = 0;
} seen;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    if (++seen.ticks > 3000) {  // a loop that never shows the window still ends
        KillTimer(nullptr, id);
        fw::Application()->Terminate();
        return;
    }
    if (!Form1 || !Form1->HandleAllocated() || !IsWindowVisible(Form1->Handle())) return;
    KillTimer(nullptr, id);
    seen.visible = true;
    wchar_t text[256] = {};
    GetWindowTextW(Form1->Handle(), text, 256);
    seen.text = text;
    GetClientRect(Form1->Handle(), &seen.client);
    PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
}

TEST(Startup, MainWindowTitleAndLoop) {
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring&, unsigned) {
        boxes.push_back(text);
        return IDOK;
    };

    StartApplication();
    fw::TApplication* application = fw::Application();
    EXPECT_EQ(application->Title(), L"Tabulorama");
    EXPECT_TRUE(application->MainFormOnTaskBar());
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(application->MainForm(), Form1);
    EXPECT_EQ(Form1->Owner(), application);
    EXPECT_EQ(Form1->Caption(), L"Tabulorin - Brenmoor Software");
    EXPECT_EQ(Form1->Font()->Name(), L"Tahoma");
    EXPECT_EQ(Form1->Font()->Height(), -11);
    // The print-preview window is made hidden, after the main window.
    ASSERT_NE(Printpreview, nullptr);
    EXPECT_EQ(Printpreview->Owner(), application);
    EXPECT_FALSE(Printpreview->Visible());
    EXPECT_NE(Form1->StatusBar1, nullptr);  // its controls come with the window

    SetTimer(nullptr, 0, 10, LookAndClose);
    RunApplication();  // returns once the main window has closed

    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.text, L"Tabulorin - Brenmoor Software");
    EXPECT_EQ(seen.client.right, 723);
    EXPECT_EQ(seen.client.bottom, 459);
    EXPECT_EQ(Form1, nullptr);  // the forms are gone with the application
    EXPECT_TRUE(boxes.empty());
    fw::TApplication::MessageBoxHook = nullptr;
}

// Libraries that log their start and end; the one named in failAt fails part way.
struct Program {
    std::vector<std::wstring> log;
    std::vector<std::wstring> boxes;
    int failAt = -1;
    bool formsGoneAtShutdown = true;

    Program() {
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& text, const std::wstring& caption,
                                                  unsigned flags) {
            log.push_back(L"box");
            boxes.push_back(text + L"|" + caption + ((flags & MB_ICONSTOP) ? L"|stop" : L""));
            return IDOK;
        };
        self = this;
    }
    ~Program() {
        fw::TApplication::MessageBoxHook = nullptr;
        self = nullptr;
    }
    template <int N>
    static void Start() {
        self->log.push_back(L"start " + std::to_wstring(N));
        if (self->failAt == N) throw fw::Exception(L"library " + std::to_wstring(N) + L" is missing");
    }
    template <int N>
    static void End() {
        self->formsGoneAtShutdown = self->formsGoneAtShutdown && Form1 == nullptr;
        self->log.push_back(L"end " + std::to_wstring(N));
    }
    const std::vector<TLibrary> libraries = {{Start<1>, End<1>}, {Start<2>, End<2>}, {Start<3>, End<3>}};
    static inline Program* self = nullptr;
};

using Log = std::vector<std::wstring>;

TEST(ProgramFrame, StartUpFailingPartWayEndsEveryLibraryThatBegan) {
    Program program;
    program.failAt = 2;
    bool ran = false;
    EXPECT_EQ(RunProgram(program.libraries, [&] { ran = true; }), 1);
    EXPECT_FALSE(ran);
    // The failing library ends too: it undoes what it had started.
    EXPECT_EQ(program.log, (Log{L"start 1", L"start 2", L"box", L"end 2", L"end 1"}));
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_EQ(program.boxes[0].rfind(L"library 2 is missing|", 0), 0u);
    EXPECT_NE(program.boxes[0].find(L"|stop"), std::wstring::npos);
}

TEST(ProgramFrame, FailureOfTheFormsShowsTheStopBoxThenEndsTheLibraries) {
    Program program;
    const int code = RunProgram(program.libraries, [&] {
        StartApplication();
        throw fw::Exception(L"the main window cannot be made");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(program.log, (Log{L"start 1", L"start 2", L"start 3", L"box", L"end 3", L"end 2", L"end 1"}));
    EXPECT_EQ(program.boxes, (Log{L"the main window cannot be made|Tabulorama|stop"}));
    EXPECT_TRUE(program.formsGoneAtShutdown);
    EXPECT_EQ(Form1, nullptr);
}

TEST(ProgramFrame, ExceptionOfAnyKindAndAQuietEnd) {
    Program program;
    EXPECT_EQ(RunProgram(program.libraries, [] { throw 42; }), 1);
    EXPECT_EQ(program.boxes.size(), 1u);  // shown, not ended through std::terminate
    EXPECT_EQ(program.log.back(), L"end 1");

    program.log.clear();
    program.boxes.clear();
    EXPECT_EQ(RunProgram(program.libraries, [] { throw fw::EAbort(L""); }), 1);
    EXPECT_TRUE(program.boxes.empty());  // a silent abort shows nothing
    EXPECT_EQ(program.log.back(), L"end 1");

    program.log.clear();
    EXPECT_EQ(RunProgram(program.libraries, [] {}), 0);
    EXPECT_EQ(program.log, (Log{L"start 1", L"start 2", L"start 3", L"end 3", L"end 2", L"end 1"}));
}

}  // namespace
