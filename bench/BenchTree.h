#pragma once
// What the benchmarks share: a clock, the folder they work in, the host's load
// average, and the generated tree of folders and empty (or sized) files they list, made under a working name and renamed
// only when complete, so a run cut short never leaves a half-made tree behind.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace bench {

inline LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

inline double Seconds(LARGE_INTEGER Start, LARGE_INTEGER End) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(End.QuadPart - Start.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds one call of Work takes.
inline double Millis(const std::function<void()>& Work) {
    const auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The folder a benchmark works in: the first command-line argument, else Name in
// the temporary folder; never with a trailing backslash.
inline std::wstring WorkFolder(const wchar_t* Name) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring folder;
    if (argv && argc > 1) {
        folder = argv[1];
    } else {
        wchar_t temp[MAX_PATH + 1];
        folder.assign(temp, GetTempPathW(MAX_PATH + 1, temp));
        folder += Name;
    }
    if (argv) LocalFree(argv);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// The host's load average (1, 5 and 15 minutes) as Wine shows the host's
// /proc/loadavg; "not known" elsewhere. Figures of a busy machine vary: print it
// with them.
inline std::string LoadAverage() {
    HANDLE file =
        CreateFileW(L"\\\\?\\unix\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "not known";
    char text[128] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(file);
    std::string load(text, read);
    // The first three fields.
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field) end = load.find(' ', end + (field > 0));
    return load.substr(0, end);
}

inline void RemoveTree(const std::wstring& Folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(Folder + L"\\" + name);
            else DeleteFileW((Folder + L"\\" + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Folder.c_str());
}

// The tree at Root (Folders folders "dirN" of FilesPerFolder files "fileN.dat"),
// made when missing; false when it cannot be made. Sized files differ in size,
// so a sort by size has work to do.
inline bool EnsureTree(const std::wstring& Root, int Folders, int FilesPerFolder, bool Sized = false) {
    if (GetFileAttributesW(Root.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const std::wstring work = Root + L".part";
    RemoveTree(work);  // left by a run that was cut short
    std::printf("making %d files below %ls ...\n", Folders * FilesPerFolder, Root.c_str());
    if (!CreateDirectoryW(work.c_str(), nullptr)) return false;
    for (int f = 0; f < Folders; ++f) {
        const std::wstring folder = work + L"\\dir" + std::to_wstring(f);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
        for (int i = 0; i < FilesPerFolder; ++i) {
            const std::wstring file = folder + L"\\file" + std::to_wstring(i) + L".dat";
            HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            if (Sized) {
                SetFilePointer(h, LONG((i * 7919 + f) % 4096), nullptr, FILE_BEGIN);
                SetEndOfFile(h);
            }
            CloseHandle(h);
        }
    }
    return MoveFileW(work.c_str(), Root.c_str()) != 0;
}

}  // namespace bench
