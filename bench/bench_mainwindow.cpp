// Times the main window end to end on a generated tree of 100,000 files: a
// listing request with subfolders on, from the request to "Items: N" in the
// status bar (the search, the end of the search with its sort by name, the
// paint), and then the save of that listing as CSV; against a bare
// FindFirstFileW/FindNextFileW walk of the same tree in the same run.
// Goals: the listing within 6 times the walk, the save below the listing. The
// first save of a listing also fills the rows' detail texts, which the list fills
// only when they are first read; it is the one the goal counts.
// Every figure is the best of several rounds, so a busy machine still gives a
// steady ratio; the load average is printed with them.
//     bench_mainwindow.exe [folder]   (default: the temp folder's "tabulorin-bench")
// The tree (100 folders of 1,000 empty files) is made under a working name and
// renamed when complete, so a run that was cut short is never taken for a tree.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "app/MainWindow.h"
#include "framework/Application.h"
#include "framework/Thread.h"

#include "bench/BenchTree.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kRounds = 3;

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

// The best time of each step over the rounds.
struct TFigures {
    double Walk = 1e30, Listing = 1e30, Search = 1e30, EndOfSearch = 1e30, Paint = 1e30;
    double FirstSave = 1e30, SaveAgain = 1e30;
};

void Keep(double& Best, double Seconds) {
    Best = std::min(Best, Seconds);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring root = bench::WorkFolder(L"tabulorin-bench");
    if (!bench::EnsureTree(root, kFolders, kFilesPerFolder)) {
        std::printf("cannot make the tree at %ls\n", root.c_str());
        return 1;
    }
    const std::string loadBefore = bench::LoadAverage();
    for (const TLibrary& library : ProgramLibraries()) library.Startup();
    // Nothing asks: the export's boxes are answered at once.
    fw::TApplication::MessageBoxHook = [](HWND, const std::wstring&, const std::wstring&, unsigned) { return IDOK; };

    TFigures best;
    size_t walked = 0;
    for (int round = 0; round < kRounds; ++round) {
        const LARGE_INTEGER walkStart = bench::Now();
        walked = BareWalk(root + L"\\");
        Keep(best.Walk, bench::Seconds(walkStart, bench::Now()));
    }

    TForm1::StartFolder = root;
    auto* form = new TForm1(nullptr);
    form->AfterConstruction();
    form->Show();
    int code = 0;
    if (!WaitListing(form, 60000)) code = 1;
    // The end of the search, as the window handles it, is timed from outside.
    LARGE_INTEGER endAt{}, handledAt{};
    form->ZFL->OnEndSearch = [&] {
        endAt = bench::Now();
        form->ZFLEndSearch();
        handledAt = bench::Now();
    };

    wchar_t temp[MAX_PATH + 1];
    const std::wstring csv = std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + L"tabulorin-bench-listing";
    std::wstring status;
    for (int round = 0; round < kRounds && code == 0; ++round) {
        // Each round lists the folder alone first, so the timed request starts a new listing.
        form->SearchSubfoldes->SetChecked(false);
        if (!WaitListing(form, 600000)) code = 1;

        const LARGE_INTEGER listStart = bench::Now();
        form->SearchSubfoldes->SetChecked(true);
        if (!WaitListing(form, 600000)) code = 1;
        const LARGE_INTEGER listEnd = bench::Now();
        Keep(best.Listing, bench::Seconds(listStart, listEnd));
        Keep(best.Search, bench::Seconds(listStart, endAt));
        Keep(best.EndOfSearch, bench::Seconds(endAt, handledAt));
        Keep(best.Paint, bench::Seconds(handledAt, listEnd));
        status = form->StatusBar1->Panels()->Items(0)->Text();

        for (double* save : {&best.FirstSave, &best.SaveAgain}) {
            DeleteFileW((csv + L".CSV").c_str());
            const LARGE_INTEGER saveStart = bench::Now();
            form->ExportListing(zt::xsFile, zt::xtCSV, csv);
            Keep(*save, bench::Seconds(saveStart, bench::Now()));
        }
    }

    std::printf("best of %d rounds; load average %s before, %s after\n", kRounds, loadBefore.c_str(),
                bench::LoadAverage().c_str());
    std::printf("bare walk:      %8.3f s  (%zu entries)\n", best.Walk, walked);
    std::printf("listing:        %8.3f s  (%ls)  %.2f x the walk  (goal: 6 x or less)\n", best.Listing, status.c_str(),
                best.Listing / best.Walk);
    std::printf("  search %.3f s, end of search and sort %.3f s, paint %.3f s\n", best.Search, best.EndOfSearch,
                best.Paint);
    std::printf("save as CSV:    %8.3f s  %.2f x the listing  (goal: below 1; the rows' texts filled meanwhile)\n",
                best.FirstSave, best.FirstSave / best.Listing);
    std::printf("save again:     %8.3f s  %.2f x the listing\n", best.SaveAgain, best.SaveAgain / best.Listing);
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
