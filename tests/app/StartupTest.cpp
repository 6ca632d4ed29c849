// The program's start-up: title, main window, a message loop that ends when the
// main window closes, and the libraries' shut-down after any failure. Every app
// test runs with the program's libraries started, as the program does before it
// makes its windows, and ended after the last test.
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

class LibrariesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        for (const TLibrary& library : ProgramLibraries()) library.Startup();
    }
    void TearDown() override {
        const auto& libraries = ProgramLibraries();
        for (auto it = libraries.rbegin(); it != libraries.rend(); ++it) it->Shutdown();
    }
};

// Registered before main runs the tests.
const auto* const environment = ::testing::AddGlobalTestEnvironment(new LibrariesEnvironment);

// Message boxes, logged among the libraries' starts and ends.
using Log = std::vector<std::wstring>;
Log boxes, logged;

void HookBoxes() {
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring& text, const std::wstring& caption, unsigned f) {
        logged.push_back(L"box");
        boxes.push_back(text + L"|" + caption + ((f & MB_ICONSTOP) ? L"|stop" : L""));
        return IDOK;
    };
}

// Looks at the main window from inside the running loop, then closes it; a loop
// that never shows the window still ends.
bool looked = false;
void CALLBACK LookAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    static int ticks = 0;
    const bool shown = Form1 && Form1->HandleAllocated() && IsWindowVisible(Form1->Handle());
    if (!shown && ++ticks <= 3000) return;
    KillTimer(nullptr, id);
    if (!shown) return fw::Application()->Terminate();
    looked = true;
    wchar_t text[256] = {};
    GetWindowTextW(Form1->Handle(), text, 256);
    EXPECT_STREQ(text, L"Tabulorin - Brenmoor Software");
    RECT client{};
    GetClientRect(Form1->Handle(), &client);
    EXPECT_EQ(client.right, 723);
    EXPECT_EQ(client.bottom, 459);
    PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
}

TEST(Startup, MainWindowTitleAndLoop) {
    HookBoxes();
    StartApplication();
    EXPECT_EQ(fw::Application()->Title(), L"Tabulorama");
    ASSERT_NE(Form1, nullptr);
    // The print-preview window is made hidden, after the main window.
    ASSERT_NE(Printpreview, nullptr);
    EXPECT_FALSE(Printpreview->Visible());
    SetTimer(nullptr, 0, 10, LookAndClose);
    RunApplication();  // returns once the main window has closed
    EXPECT_TRUE(looked);
    EXPECT_EQ(Form1, nullptr);  // the forms are gone with the application
    EXPECT_TRUE(boxes.empty());
    fw::TApplication::MessageBoxHook = nullptr;
}

// Libraries that log their start and end; the one numbered failAt fails part way.
int failAt = -1;
bool formsGoneAtShutdown = true;

template <int N>
void Start() {
    logged.push_back(L"start " + std::to_wstring(N));
    if (failAt == N) throw fw::Exception(L"library " + std::to_wstring(N) + L" is missing");
}
template <int N>
void End() {
    formsGoneAtShutdown = formsGoneAtShutdown && Form1 == nullptr;
    logged.push_back(L"end " + std::to_wstring(N));
}

TEST(ProgramFrame, FailuresShowTheStopBoxAndEndEveryLibraryThatBegan) {
    const std::vector<TLibrary> libraries = {{Start<1>, End<1>}, {Start<2>, End<2>}, {Start<3>, End<3>}};
    HookBoxes();
    // The failing library ends too: it undoes what it had started.
    failAt = 2;
    EXPECT_EQ(RunProgram(libraries, [] { ADD_FAILURE(); }), 1);
    EXPECT_EQ(logged, (Log{L"start 1", L"start 2", L"box", L"end 2", L"end 1"}));
    EXPECT_EQ(boxes[0].rfind(L"library 2 is missing|", 0), 0u);
    failAt = -1;
    logged.clear();
    boxes.clear();
    const int code = RunProgram(libraries, [&] {
        StartApplication();
        throw fw::Exception(L"the main window cannot be made");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(logged, (Log{L"start 1", L"start 2", L"start 3", L"box", L"end 3", L"end 2", L"end 1"}));
    EXPECT_EQ(boxes, (Log{L"the main window cannot be made|Tabulorama|stop"}));
    EXPECT_TRUE(formsGoneAtShutdown);
    // An exception of any kind is shown, not ended through std::terminate; a silent abort shows nothing.
    EXPECT_EQ(RunProgram(libraries, [] { throw 42; }), 1);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(RunProgram(libraries, [] { throw fw::EAbort(L""); }), 1);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(logged.back(), L"end 1");
    fw::TApplication::MessageBoxHook = nullptr;
}

}  // namespace
