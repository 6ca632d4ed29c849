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

using Log = std::vector<std::wstring>;

// What the main window looked like from inside the running loop.
struct Seen {
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
    wchar_t text[256] = {};
    GetWindowTextW(Form1->Handle(), text, 256);
    seen.text = text;
    GetClientRect(Form1->Handle(), &seen.client);
    PostMessageW(Form1->Handle(), WM_CLOSE, 0, 0);
}

TEST(Startup, MainWindowTitleAndLoop) {
    Log boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring&, unsigned) {
        boxes.push_back(text);
        return IDOK;
    };
    StartApplication();
    EXPECT_EQ(fw::Application()->Title(), L"Tabulorama");
    ASSERT_NE(Form1, nullptr);
    // The print-preview window is made hidden, after the main window.
    ASSERT_NE(Printpreview, nullptr);
    EXPECT_FALSE(Printpreview->Visible());

    SetTimer(nullptr, 0, 10, LookAndClose);
    RunApplication();  // returns once the main window has closed
    EXPECT_EQ(seen.text, L"Tabulorin - Brenmoor Software");
    EXPECT_EQ(seen.client.right, 723);
    EXPECT_EQ(seen.client.bottom, 459);
    EXPECT_EQ(Form1, nullptr);  // the forms are gone with the application
    EXPECT_TRUE(boxes.empty());
    fw::TApplication::MessageBoxHook = nullptr;
}

// Libraries that log their start and end; the one numbered failAt fails part way.
Log logged;
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
    Log boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& text, const std::wstring& caption, unsigned f) {
        logged.push_back(L"box");
        boxes.push_back(text + L"|" + caption + ((f & MB_ICONSTOP) ? L"|stop" : L""));
        return IDOK;
    };
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
