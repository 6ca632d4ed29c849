// Times a listing as the main window makes it: a recursive search of a folder
// through the file list on a shown window, with the detail columns shown, to its
// end-of-search event and a sort by size; against a bare FindFirstFileW /
// FindNextFileW walk of the same tree in the same run. Prints both times, their
// ratio, the peak working set and the load average; fails (exit 1) when the
// list's rows are not the walk's paths. Each measurement is repeated and the best
// time reported, so a busy machine still gives a steady ratio.
//     bench_listing.exe [folder]     (default: a tree of 100,000 files it makes)
// The tree (100 folders of 1,000 empty files, in the temp folder's
// "tabulorin-bench") is made under a working name and renamed when complete.
#define PSAPI_VERSION 2
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <psapi.h>
#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "shell/ShellLibrary.h"
#include "shell/ZemFileList.h"

#include "bench/BenchTree.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kWalkRepeats = 3;
constexpr int kListingRepeats = 3;

// Paths are compared by their hashes, so the comparison itself weighs little
// next to the list whose working set is measured.
using TPathHashes = std::vector<size_t>;

size_t PathHash(const std::wstring& Path) {
    return std::hash<std::wstring>()(Path);
}

void BareWalk(const std::wstring& Folder, TPathHashes& Hits) {
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        Hits.push_back(PathHash(Folder + name));
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolders.push_back(Folder + name + L"\\");
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& s : subfolders) BareWalk(s, Hits);
}

// The view buttons on the filled list: each switch, in every order of the three
// views, timed from the click's setter until the list has painted; then a new
// listing made in the icons view. Returns the slowest switch.
double TimeViewSwitches(shell::TZemFileList* List, const std::wstring& Root) {
    static const fw::TViewStyle order[] = {fw::vsIcon, fw::vsList,   fw::vsReport, fw::vsList,
                                           fw::vsIcon, fw::vsReport, fw::vsIcon};
    static const char* const names[] = {"icons", "small icons", "list", "report"};
    double slowest = 0;
    fw::TViewStyle from = List->ViewStyle();
    std::printf("  view switches:");
    for (fw::TViewStyle to : order) {
        const LARGE_INTEGER start = bench::Now();
        List->SetViewStyle(to);
        UpdateWindow(List->Handle());
        fw::Application()->ProcessMessages();
        const double seconds = bench::Seconds(start, bench::Now());
        std::printf(" %s->%s %.3f s;", names[from], names[to], seconds);
        slowest = std::max(slowest, seconds);
        from = to;
    }
    std::printf("\n");
    // A listing made while the icons view shows (the last switch left it there).
    bool ended = false;
    List->OnEndSearch = [&] { ended = true; };
    const LARGE_INTEGER start = bench::Now();
    List->StopSearch();
    List->Clear();
    List->StartSearch(Root);
    while (!ended) fw::Application()->HandleMessage();
    UpdateWindow(List->Handle());
    fw::Application()->ProcessMessages();
    std::printf("  listing in the icons view: %zu rows in %.3f s\n", size_t(List->Items()->Count()),
                bench::Seconds(start, bench::Now()));
    return slowest;
}

// Select-all and its clearing on the filled list, doubled by a second search of
// the same tree (a listing of twice as many rows), each timed until the list has
// painted; then the next listing, as a click on another folder starts it, with
// every row still selected. Against the same on a bare owner-data list view of as
// many rows, measured in this run. Returns the slowest of the list's steps.
double TimeSelectAll(shell::TZemFileList* List, const std::wstring& Root, fw::TForm* Form) {
    List->SetViewStyle(fw::vsReport);
    bool ended = false;
    List->OnEndSearch = [&] { ended = true; };
    List->StartSearch(Root);
    while (!ended) fw::Application()->HandleMessage();
    UpdateWindow(List->Handle());
    fw::Application()->ProcessMessages();
    const int rows = List->Items()->Count();
    const auto timed = [&](const std::function<void()>& Work) {
        const LARGE_INTEGER start = bench::Now();
        Work();
        UpdateWindow(List->Handle());
        fw::Application()->ProcessMessages();
        return bench::Seconds(start, bench::Now());
    };
    const double select = timed([&] { List->SelectAll(); });
    const int selected = List->SelCount();
    const double clear = timed([&] { List->ClearSelection(); });
    // A click on the second row in view selects it alone.
    List->SelectAll();
    fw::Application()->ProcessMessages();
    const RECT second = List->Items()->Item(ListView_GetTopIndex(List->Handle()) + 1)->DisplayRect(fw::drLabel);
    const LPARAM at = MAKELPARAM(second.left + 4, (second.top + second.bottom) / 2);
    const double click = timed([&] {
        SendMessageW(List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(List->Handle(), WM_LBUTTONUP, 0, at);
    });
    const int afterClick = List->SelCount();
    List->SelectAll();
    fw::Application()->ProcessMessages();
    ended = false;
    const double next = timed([&] {
        List->StopSearch();
        List->Clear();
        List->StartSearch(Root + L"\\dir0");
        while (!ended) fw::Application()->HandleMessage();
    });
    // The bare list view: the window alone, with as many rows.
    HWND bare = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, 400,
                                300, Form->Handle(), nullptr, nullptr, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    ListView_InsertColumn(bare, 0, &column);
    ListView_SetItemCountEx(bare, rows, LVSICF_NOSCROLL);
    UpdateWindow(bare);
    const auto bareTimed = [&](UINT State) {
        const LARGE_INTEGER start = bench::Now();
        ListView_SetItemState(bare, -1, State, LVIS_SELECTED);
        UpdateWindow(bare);
        fw::Application()->ProcessMessages();
        return bench::Seconds(start, bench::Now());
    };
    const double bareSelect = bareTimed(LVIS_SELECTED), bareClear = bareTimed(0);
    DestroyWindow(bare);
    std::printf(
        "  select-all of %d rows (%d selected): %.3f s, its clearing %.3f s, a click on a row %.3f s (%d"
        " selected), the next listing %.3f s; the bare list view's own select-all and clearing: %.3f s and"
        " %.3f s\n",
        rows, selected, select, clear, click, afterClick, next, bareSelect, bareClear);
    return std::max({select, clear, click, next});
}

// One listing as the main window makes it; the rows' paths in list order.
// With Switches, the view switches are timed on the filled list too.
double TimeListing(const std::wstring& Root, TPathHashes& Rows, bool& SortedBySize, size_t& ListWorkingSet,
                   double* Switches = nullptr, double* SelectAll = nullptr) {
    auto* form = new fw::TForm(nullptr);
    form->SetPosition(fw::poDesigned);
    form->SetBounds(20, 20, 900, 600);
    auto* list = new shell::TZemFileList(form);
    list->SetAlign(fw::alClient);
    list->SetParent(form);
    list->SetRowSelect(true);
    list->SetAutomaticRefresh(false);
    list->SetOleDragDrop(false);
    // The main window binds no empty OnAddItem: with OnChange bound it would have
    // every row's texts filled as the row comes.
    list->OnChange = [](fw::TObject*, fw::TListItem*, fw::TItemChange) {};
    bool ended = false;
    list->OnEndSearch = [&] { ended = true; };
    form->Show();
    fw::Application()->ProcessMessages();
    shell::TZemSearchOptions* options = list->SearchOptions();
    options->SetAutoWildcard(false);
    options->SetRecursiveSearch(true);
    options->SetFilesOnly(false);
    options->SetIncludeHidden(false);
    options->SetFilter(L"*");

    const LARGE_INTEGER start = bench::Now();
    list->StopSearch();
    list->Clear();
    list->StartSearch(Root);
    while (!ended) fw::Application()->HandleMessage();
    const LARGE_INTEGER searched = bench::Now();
    list->SortColumn(2);  // the size column, as the sort box's third entry
    const LARGE_INTEGER sorted = bench::Now();
    UpdateWindow(list->Handle());
    fw::Application()->ProcessMessages();
    const double seconds = bench::Seconds(start, bench::Now());
    std::printf("  listing: %.3f s to the end of the search, %.3f s sort, %.3f s paint\n",
                bench::Seconds(start, searched), bench::Seconds(searched, sorted),
                bench::Seconds(sorted, bench::Now()));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    ListWorkingSet = memory.WorkingSetSize;

    Rows.clear();
    SortedBySize = true;
    for (int i = 0; i < list->Items()->Count(); ++i) {
        shell::TZemFileListItem* item = list->Items()->Item(i);
        Rows.push_back(PathHash(item->FullPath()));
        if (i > 0) {
            shell::TZemFileListItem* prev = list->Items()->Item(i - 1);
            if (prev->IsFolder() == item->IsFolder() && prev->FindData().Size > item->FindData().Size)
                SortedBySize = false;
        }
    }
    if (Switches) *Switches = TimeViewSwitches(list, Root);
    if (SelectAll) *SelectAll = TimeSelectAll(list, Root, form);
    delete form;
    fw::Application()->ProcessMessages();
    return seconds;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    OleInitialize(nullptr);
    shell::ShellLibraryStartup();
    const std::wstring root = bench::WorkFolder(L"tabulorin-listing");
    int result = 0;
    if (argc <= 1 && !bench::EnsureTree(root, kFolders, kFilesPerFolder, true)) {
        std::printf("error: the tree below %ls could not be made\n", root.c_str());
        result = 2;
    } else {
        const std::string loadBefore = bench::LoadAverage();
        TPathHashes walked, rows;
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof(memory);
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
        const size_t baseWorkingSet = memory.WorkingSetSize;
        size_t listWorkingSet = 0;
        double walkSeconds = 1e30, listingSeconds = 1e30, switchSeconds = 0, selectSeconds = 0;
        bool sorted = true;
        for (int i = 0; i < kWalkRepeats; ++i) {
            walked.clear();
            const LARGE_INTEGER start = bench::Now();
            BareWalk(root + L"\\", walked);
            walkSeconds = std::min(walkSeconds, bench::Seconds(start, bench::Now()));
        }
        for (int i = 0; i < kListingRepeats; ++i) {
            bool sortedThisTime = true;
            // The last round switches views on its filled list too.
            double* switches = i == kListingRepeats - 1 ? &switchSeconds : nullptr;
            double* selectAll = i == kListingRepeats - 1 ? &selectSeconds : nullptr;
            listingSeconds =
                std::min(listingSeconds, TimeListing(root, rows, sortedThisTime, listWorkingSet, switches, selectAll));
            sorted = sorted && sortedThisTime;
        }
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
        std::printf("best of %d walks and %d listings; load average %s before, %s after\n", kWalkRepeats,
                    kListingRepeats, loadBefore.c_str(), bench::LoadAverage().c_str());
        std::printf("bare FindFirstFileW/FindNextFileW walk: %zu entries in %.3f s\n", walked.size(), walkSeconds);
        std::printf("file list (search, end, sort by size):  %zu rows in %.3f s\n", rows.size(), listingSeconds);
        std::printf("listing time / bare walk time: %.2f (goal: at most 2)\n", listingSeconds / walkSeconds);
        std::printf("slowest view switch on the filled list: %.3f s (goal: under 0.2 s)\n", switchSeconds);
        std::printf(
            "slowest of select-all, its clearing, a click and the next listing: %.3f s (goal: well under 1 s)\n",
            selectSeconds);
        const double mb = 1024.0 * 1024.0;
        std::printf("working set: %.1f MB before listing, %.1f MB with the listed rows; peak %.1f MB (limit 200 MB)\n",
                    double(baseWorkingSet) / mb, double(listWorkingSet) / mb, double(memory.PeakWorkingSetSize) / mb);
        std::sort(walked.begin(), walked.end());
        std::sort(rows.begin(), rows.end());
        if (walked != rows) {
            std::printf("error: the list's rows are not the walk's paths\n");
            result = 1;
        }
        if (!sorted) {
            std::printf("error: the list is not sorted by size\n");
            result = 1;
        }
    }
    shell::ShellLibraryShutdown();
    OleUninitialize();
    LocalFree(argv);
    return result;
}
