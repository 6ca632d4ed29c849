// Times a file search of a generated tree of 100,000 files and reports hits per
// second, next to the same figure for a bare FindFirstFileW/FindNextFileW walk of
// the tree in the same run.
//     bench_search.exe [folder]     (default: the temp folder's "tabulorin-bench")
// The tree (100 folders of 1,000 empty files) is made on the first run and reused.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Thread.h"
#include "shell/ShellLibrary.h"
#include "shell/ThreadPool.h"
#include "shell/ZemFileSearchThread.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;

double Seconds(LARGE_INTEGER Start, LARGE_INTEGER End) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(End.QuadPart - Start.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

void MakeTree(const std::wstring& Root) {
    CreateDirectoryW(Root.c_str(), nullptr);
    for (int f = 0; f < kFolders; ++f) {
        const std::wstring folder = Root + L"\\dir" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const std::wstring file = folder + L"\\file" + std::to_wstring(i) + L".dat";
            HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }
}

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

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    shell::ShellLibraryStartup();
    std::wstring root;
    if (argc > 1) {
        root = argv[1];
    } else {
        wchar_t temp[MAX_PATH];
        root.assign(temp, GetTempPathW(MAX_PATH, temp));
        root += L"tabulorin-bench";
    }
    if (!root.empty() && root.back() == L'\\') root.pop_back();
    if (GetFileAttributesW((root + L"\\dir" + std::to_wstring(kFolders - 1)).c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("making %d files below %ls ...\n", kFolders * kFilesPerFolder, root.c_str());
        MakeTree(root);
    }

    std::vector<std::wstring> walked;
    const LARGE_INTEGER walkStart = Now();
    BareWalk(root + L"\\", walked);
    const double walkSeconds = Seconds(walkStart, Now());

    TCountingList list;
    int ends = 0;
    {
        shell::TThreadPool pool;
        pool.OnThreadFinished = [&](shell::TZemThread*) { ++ends; };
        shell::TZemSearchOptions options;
        const LARGE_INTEGER searchStart = Now();
        pool.AddThread(new shell::TZemFileSearchThread(&options, &list, root, false));
        while (ends == 0) fw::CheckSynchronize(10);
        const double searchSeconds = Seconds(searchStart, Now());

        std::printf("bare FindFirstFileW/FindNextFileW walk: %zu hits in %.3f s = %.0f hits/s\n", walked.size(),
                    walkSeconds, walked.size() / walkSeconds);
        std::printf("search thread:                          %zu hits in %.3f s = %.0f hits/s\n", list.Hits.size(),
                    searchSeconds, list.Hits.size() / searchSeconds);
        std::printf("search / bare walk: %.2f\n", (list.Hits.size() / searchSeconds) / (walked.size() / walkSeconds));
        if (list.Hits != walked) std::printf("warning: the search and the walk differ in their hits or order\n");
    }
    shell::ShellLibraryShutdown();
    CoUninitialize();
    LocalFree(argv);
    return 0;
}
