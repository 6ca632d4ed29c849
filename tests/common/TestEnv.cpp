#include "tests/common/TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>

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
    const std::wstring path =
        ScratchRoot() + hint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return path;
}

std::wstring PrintFile() {
    const std::wstring file = Env(L"TABULORIN_PRINT_FILE");
    return file.empty() ? L"C:\\print\\out.ps" : file;
}

std::string JsonString(const std::wstring& text) {
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), int(utf8.size()),
                                           nullptr, nullptr)));
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buffer[8];
            snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace testenv
