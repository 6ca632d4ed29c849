// Times the main window end to end on a generated tree of 100,000 files: a
// listing request with subfolders on, from the request to "Items: N" in the
// status bar, and then the save of that listing as CSV; against a bare
// FindFirstFileW/FindNextFileW walk of the same tree in the same run.
// Goals: the listing within 6 times the walk, the save below the listing.
//     bench_mainwindow.exe [folder]   (default: the temp folder's "tabulorin-bench")
// The tree (100 folders of 1,000 empty files) is made under a working name and
// renamed when complete, so a run that was cut short is never taken for a tree.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "framework/Application.h"
#include "framework/Thread.h"

#include "bench/BenchTree.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

size_t BareWalk(const std::wstring& Folder) {
    size_t count = 0;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        ++count;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolders.push_back(Folder + name + L"\\");
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& s : subfolders) count += BareWalk(s);
    return count;
}

// Runs messages and synchronized calls until Stop is disabled again.
bool WaitListing(TForm1* Form, DWORD Watchdog) {
    const ULONGLONG deadline = GetTickCount64() + Watchdog;
    while (Form->StopSearchButton->Enabled()) {
        fw::Application()->ProcessMessages();
        if (!fw::CheckSynchronize(10) && GetTickCount64() > deadline) return false;
    }
    fw::Application()->ProcessMessages();
    return true;
}

std::wstring Widen(const char* Text) {
    std::wstring wide(strlen(Text), L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, Text, -1, wide.data(), int(wide.size()) + 1)));
    if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = argc > 1 ? Widen(argv[1]) : std::wstring(temp) + L"tabulorin-bench";
    if (!bench::EnsureTree(root, kFolders, kFilesPerFolder)) {
        std::printf("cannot make the tree at %ls\n", root.c_str());
        return 1;
    }
    for (const TLibrary& library : ProgramLibraries()) library.Startup();
    // Nothing asks: the export's boxes are answered at once.
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring&, const std::wstring&, unsigned) { return IDOK; };

    const LARGE_INTEGER walkStart = bench::Now();
    const size_t walked = BareWalk(root + L"\\");
    const double walk = bench::Seconds(walkStart, bench::Now());

    TForm1::StartFolder = root;
    auto* form = new TForm1(nullptr);
    form->AfterConstruction();
    form->Show();
    int code = 0;
    if (!WaitListing(form, 60000)) code = 1;

    // The request: subfolders on.
    const LARGE_INTEGER listStart = bench::Now();
    form->SearchSubfoldes->SetChecked(true);
    if (!WaitListing(form, 600000)) code = 1;
    const double listing = bench::Seconds(listStart, bench::Now());
    const std::wstring status = form->StatusBar1->Panels()->Items(0)->Text();

    // The first save reads every row's texts, which the list fills on first
    // reading; the second shows what the save itself costs.
    const std::wstring csv = std::wstring(temp) + L"tabulorin-bench-listing";
    double saves[2];
    for (double& save : saves) {
        DeleteFileW((csv + L".CSV").c_str());
        const LARGE_INTEGER saveStart = bench::Now();
        form->ExportListing(zt::xsFile, zt::xtCSV, csv);
        save = bench::Seconds(saveStart, bench::Now());
    }

    std::printf("bare walk:      %8.3f s  (%zu entries)\n", walk, walked);
    std::printf("listing:        %8.3f s  (%ls)  %.2f x the walk  (goal: 6 x or less)\n", listing, status.c_str(),
                listing / walk);
    std::printf("save as CSV:    %8.3f s  %.2f x the listing  (goal: below 1; the rows' texts filled meanwhile)\n",
                saves[0], saves[0] / listing);
    std::printf("save again:     %8.3f s  %.2f x the listing\n", saves[1], saves[1] / listing);
    if (status != L"Items: " + std::to_wstring(walked)) {
        std::printf("the listing holds another number of items than the walk found\n");
        code = 1;
    }
    DeleteFileW((csv + L".CSV").c_str());
    delete form;
    for (auto it = ProgramLibraries().rbegin(); it != ProgramLibraries().rend(); ++it) it->Shutdown();
    CoUninitialize();
    return code;
}
