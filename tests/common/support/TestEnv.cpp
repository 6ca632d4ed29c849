#include "tests/common/TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>

namespace testenv {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return (n && n < 32768) ? std::wstring(buffer, n) : std::wstring();
}

std::wstring ScratchRoot() {
    std::wstring root = Env(L"TABULORIN_SCRATCH");
    if (root.empty()) {
        wchar_t temp[MAX_PATH];
        root.assign(temp, GetTempPathW(MAX_PATH, temp));
    }
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    return root;
}

std::wstring NewScratchFolder(const std::wstring& hint) {
    static std::atomic<int> counter{0};
    const std::wstring path = ScratchRoot() + hint + L"-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(++counter);
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return path;
}

std::wstring PrintFile() {
    const std::wstring file = Env(L"TABULORIN_PRINT_FILE");
    return file.empty() ? L"C:\\print\\out.ps" : file;
}

}  // namespace testenv
