// Times a file search of a generated tree of 100,000 files through the search
// thread, against a bare FindFirstFileW/FindNextFileW walk of the same tree in the
// same run. The search gets the filter "*" as a listing of the main window sets it.
// Each measurement is repeated and the best time reported; the run fails (exit 1)
// when the search and the walk list different paths or in another order.
//     bench_search.exe [folder]     (default: the temp folder's "tabulorin-bench")
// The tree (100 folders of 1,000 empty files) is made under a working name and
// renamed when complete, so a run that was cut short is never taken for a tree.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Thread.h"
#include "shell/ShellLibrary.h"
#include "shell/ThreadPool.h"
#include "shell/ZemFileSearchThread.h"

#include "bench/BenchTree.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kRepeats = 3;

// Every entry but "." and "..", depth first, as the search lists them.
void BareWalk(const std::wstring& Folder, std::vector<std::wstring>& Hits) {
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        Hits.push_back(Folder + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) subfolders.push_back(Folder + name + L"\\");
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& s : subfolders) BareWalk(s, Hits);
}

// The least a file list does with a search: keeps every hit and notes the end.
class TCountingList : public shell::IZemSearchReceiver {
public:
    bool HasItemWithPath(const std::wstring&) override { return false; }
    void AddSearchHit(const std::wstring& Path) override { Hits.push_back(Path); }
    bool HasSearchProgress() const override { return false; }
    void SearchProgress(const std::wstring&) override {}

    std::vector<std::wstring> Hits;
};

double TimeWalk(const std::wstring& Root, std::vector<std::wstring>& Hits) {
    Hits.clear();
    const LARGE_INTEGER start = bench::Now();
    BareWalk(Root + L"\\", Hits);
    return bench::Seconds(start, bench::Now());
}

double TimeSearch(const std::wstring& Root, std::vector<std::wstring>& Hits) {
    TCountingList list;
    int ends = 0;
    shell::TThreadPool pool;
    pool.OnThreadFinished = [&](shell::TZemThread*) { ++ends; };
    shell::TZemSearchOptions options;
    // As the main window sets them before a listing.
    options.SetAutoWildcard(false);
    options.SetRecursiveSearch(true);
    options.SetFilter(L"*");
    const LARGE_INTEGER start = bench::Now();
    pool.AddThread(new shell::TZemFileSearchThread(&options, &list, Root, false));
    while (ends == 0) fw::CheckSynchronize(10);
    const double seconds = bench::Seconds(start, bench::Now());
    Hits = std::move(list.Hits);
    return seconds;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    shell::ShellLibraryStartup();
    const std::wstring root = bench::WorkFolder(L"tabulorin-bench");
    int result = 0;
    if (argc <= 1 && !bench::EnsureTree(root, kFolders, kFilesPerFolder)) {
        std::printf("error: the tree below %ls could not be made\n", root.c_str());
        result = 2;
    } else {
        std::vector<std::wstring> walked, searched;
        double walkSeconds = 1e30, searchSeconds = 1e30;
        for (int i = 0; i < kRepeats; ++i) {
            walkSeconds = std::min(walkSeconds, TimeWalk(root, walked));
            searchSeconds = std::min(searchSeconds, TimeSearch(root, searched));
        }
        std::printf("best of %d runs\n", kRepeats);
        std::printf("bare FindFirstFileW/FindNextFileW walk: %zu hits in %.3f s = %.0f hits/s\n", walked.size(),
                    walkSeconds, walked.size() / walkSeconds);
        std::printf("search thread:                          %zu hits in %.3f s = %.0f hits/s\n", searched.size(),
                    searchSeconds, searched.size() / searchSeconds);
        std::printf("search time / bare walk time: %.2f\n", searchSeconds / walkSeconds);
        if (searched != walked) {
            std::printf("error: the search and the walk differ in their hits or their order\n");
            result = 1;
        }
    }
    shell::ShellLibraryShutdown();
    CoUninitialize();
    LocalFree(argv);
    return result;
}
