#include "framework/Exception.h"

#include <windows.h>

namespace fw {

const char* Exception::what() const noexcept {
    if (narrow_.empty() && !message_.empty()) {
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, message_.data(), int(message_.size()), nullptr, 0, nullptr, nullptr);
        narrow_.assign(size_t(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, message_.data(), int(message_.size()), narrow_.data(), n, nullptr, nullptr);
    }
    return narrow_.c_str();
}

std::wstring SysErrorMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    if (buffer) LocalFree(buffer);
    // System texts end in CR LF (and sometimes a blank); a message never carries them.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

namespace {

TExceptionHandler& InstalledHandler() {
    static TExceptionHandler handler;
    return handler;
}

}  // namespace

void ReportException(TObject* Sender) {
    const TExceptionHandler& handler = InstalledHandler();
    if (!handler) return;
    try {
        handler(Sender);
    } catch (...) {
        // The report itself failed; the caller goes on all the same.
    }
}

TExceptionHandler SetExceptionHandler(TExceptionHandler Handler) {
    TExceptionHandler previous = std::move(InstalledHandler());
    InstalledHandler() = std::move(Handler);
    return previous;
}

void RaiseLastOSError() {
    RaiseLastOSError(GetLastError());
}

void RaiseLastOSError(unsigned long code) {
    if (code == 0) throw EOSError(L"A call to an OS function failed");
    throw EOSError(L"System Error.  Code: " + std::to_wstring(code) + L".\n" + SysErrorMessage(code));
}

}  // namespace fw
