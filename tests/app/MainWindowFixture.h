#pragma once
// The real main window driven in the test process, on a prepared folder of the
// scratch drive: files, subfolders (one of them empty), hidden objects and names
// outside the ANSI code page. Message boxes, contact links and viewers are
// recorded instead of shown; waits are bounded by a watchdog.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/UPrintPreview2.h"
#include "app/Unit1.h"
#include "export/CustomExport.h"
#include "framework/Application.h"
#include "framework/Thread.h"
#include "tests/common/TestEnv.h"

namespace mainwin {

// The prepared folder (made once per test run), without a trailing "\".
inline const std::wstring& ScratchListing() {
    static const std::wstring folder = [] {
        const std::wstring root = testenv::NewScratchFolder(L"listing");
        for (const wchar_t* name : {L"sub", L"sub\\deeper", L"hiddendir", L"empty"})
            CreateDirectoryW((root + L"\\" + name).c_str(), nullptr);
        // Sizes differ; the Cyrillic name and the check mark are in no ANSI code page.
        const std::pair<const wchar_t*, size_t> files[] = {{L"alpha.txt", 10},
                                                           {L"beta.dll", 2000},
                                                           {L"Gamma 10.txt", 300},
                                                           {L"gamma 2.csv", 40},
                                                           {L"secret.txt", 7},
                                                           {L"sub\\delta.txt", 1},
                                                           {L"sub\\deeper\\epsilon.txt", 2},
                                                           {L"hiddendir\\phi.txt", 3},
                                                           {L"\u0416\u0443\u043a \u2713.txt", 5}};
        for (const auto& [name, size] : files) {
            HANDLE h = CreateFileW((root + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            const std::string bytes(size, 'x');
            DWORD written = 0;
            WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
            CloseHandle(h);
        }
        for (const wchar_t* hidden : {L"secret.txt", L"hiddendir"})
            SetFileAttributesW((root + L"\\" + hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
        return root;
    }();
    return folder;
}

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& text, const std::wstring&, unsigned) {
            boxes.push_back(text);
            return boxAnswer;
        };
        TForm1::ShellOpenHook = [this](HWND, const std::wstring& address) { opened.push_back(address); };
        zt::TztCustomExport::ViewerHook = [this](HWND, const std::wstring& name, const std::wstring&, int) -> intptr_t {
            viewed.push_back(name);
            return 42;
        };
        TForm1::StartFolder = ScratchListing();
        // The print-preview window the program makes at start-up.
        if (!Printpreview) {
            Printpreview = new TPrintpreview(fw::Application());
            Printpreview->AfterConstruction();
        }
        form = new TForm1(nullptr);
        form->SetPosition(fw::poDesigned);
        form->SetBounds(10, 10, form->Width(), form->Height());
        form->AfterConstruction();
        // Every end of a search, counted as the window handles it.
        form->ZFL->OnEndSearch = [this] {
            ++ends;
            form->ZFLEndSearch();
        };
        form->Show();
        WaitIdle();
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
        TForm1::StartFolder = L"c:\\";
        zt::TztCustomExport::ViewerHook = nullptr;
        TForm1::ShellOpenHook = nullptr;
        fw::TApplication::MessageBoxHook = nullptr;
    }

    // Runs messages and synchronized calls until the window is idle: no search
    // running (Stop disabled) and nothing waiting. Fails after the watchdog.
    void WaitIdle(DWORD Watchdog = 20000) {
        const ULONGLONG deadline = GetTickCount64() + Watchdog;
        for (;;) {
            fw::Application()->ProcessMessages();
            const bool ran = fw::CheckSynchronize();
            if (!ran && !form->StopSearchButton->Enabled()) {
                fw::Application()->ProcessMessages();
                if (!form->StopSearchButton->Enabled()) return;
            }
            if (GetTickCount64() > deadline) {
                ADD_FAILURE() << "the listing did not end within the watchdog";
                return;
            }
            if (!ran) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    // The listed paths relative to the prepared folder, in list order.
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        const std::wstring prefix = ScratchListing() + L"\\";
        for (int i = 0; i < form->ZFL->Items()->Count(); ++i) {
            const std::wstring& path = form->ZFL->Items()->Item(i)->FullPath();
            rows.push_back(path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path);
        }
        return rows;
    }
    std::wstring Status() const { return form->StatusBar1->Panels()->Items(0)->Text(); }

    TForm1* form = nullptr;
    int ends = 0;
    int boxAnswer = IDOK;
    std::vector<std::wstring> boxes, opened, viewed;
};

}  // namespace mainwin
