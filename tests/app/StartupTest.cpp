// The program's start-up: title, main window, a message loop that ends when the
// main window closes, and the libraries' shut-down after any failure. Every app
// test runs with the program's libraries started, as the program does before it
// makes its windows, and ended after the last test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/PrintPreview.h"
#include "app/MainWindow.h"
#include "framework/Application.h"
#include "framework/Exception.h"

namespace {

struct LibrariesEnvironment : ::testing::Environment {
    void SetUp() override {
        for (const TLibrary& library : ProgramLibraries()) library.Startup();
    }
    void TearDown() override {
        for (auto it = ProgramLibraries().rbegin(); it != ProgramLibraries().rend(); ++it) it->Shutdown();
    }
};

// Registered before main runs the tests.
const auto* const environment = ::testing::AddGlobalTestEnvironment(new LibrariesEnvironment);

// Libraries that log their start and end, among the message boxes shown; the
// one numbered failAt fails part way.
using Log = std::vector<std::wstring>;
Log boxes, logged;
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

TEST(Startup, TheProgramRunsItsWindowsAndEndsEveryLibraryThatBeganAfterAnyFailure) {
    const std::vector<TLibrary> libraries = {{Start<1>, End<1>}, {Start<2>, End<2>}, {Start<3>, End<3>}};
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring& text, const std::wstring& caption, unsigned f) {
        logged.push_back(L"box");
        boxes.push_back(text + L"|" + caption + ((f & MB_ICONSTOP) ? L"|stop" : L""));
        return IDOK;
    };
    int code = RunProgram(libraries, [] {
        StartApplication();
        EXPECT_EQ(fw::Application()->Title(), L"Tabulorama");
        ASSERT_EQ(fw::Application()->MainForm(), Form1);
        EXPECT_EQ(Form1->Caption(), L"Tabulorin - Brenmoor Software");
        EXPECT_EQ(Form1->ClientWidth(), 723);
        EXPECT_EQ(Form1->ClientHeight(), 459);
        // The print-preview window is made hidden, after the main window.
        ASSERT_NE(Printpreview, nullptr);
        EXPECT_FALSE(Printpreview->Visible());
        PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);  // handled once the loop has shown the window
        RunApplication();                               // returns once the main window has closed
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(logged, (Log{L"start 1", L"start 2", L"start 3", L"end 3", L"end 2", L"end 1"}));
    EXPECT_TRUE(formsGoneAtShutdown);
    // The failing library ends too: it undoes what it had started.
    failAt = 2;
    logged.clear();
    EXPECT_EQ(RunProgram(libraries, [] { ADD_FAILURE(); }), 1);
    EXPECT_EQ(logged, (Log{L"start 1", L"start 2", L"box", L"end 2", L"end 1"}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(L"library 2 is missing|", 0), 0u);
    failAt = -1;
    logged.clear();
    boxes.clear();
    code = RunProgram(libraries, [] {
        StartApplication();
        throw fw::Exception(L"the main window cannot be made");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(logged, (Log{L"start 1", L"start 2", L"start 3", L"box", L"end 3", L"end 2", L"end 1"}));
    EXPECT_EQ(boxes, (Log{L"the main window cannot be made|Tabulorama|stop"}));
    EXPECT_TRUE(formsGoneAtShutdown);
    // Any exception is shown, not ended through std::terminate; a silent abort shows nothing.
    EXPECT_EQ(RunProgram(libraries, [] { throw 42; }), 1);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(RunProgram(libraries, [] { throw fw::EAbort(L""); }), 1);
    EXPECT_EQ(boxes.size(), 2u);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), L"end 1");
    fw::TApplication::MessageBoxHook = nullptr;
}

}  // namespace
