// The program's start-up: title, main window, and a message loop that ends when
// the main window closes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "framework/Application.h"

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
    EXPECT_EQ(Form1->ComponentCount(), 0);  // its controls come with the window's definition

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

}  // namespace
