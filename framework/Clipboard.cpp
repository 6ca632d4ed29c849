#include "framework/Clipboard.h"

#include <cstring>

namespace fw {

ClipboardGuard::ClipboardGuard(HWND Owner) {
    if (!Owner) {
        ownWindow_.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
        Owner = ownWindow_.get();
    }
    for (int attempt = 0; attempt < 10 && !(opened_ = OpenClipboard(Owner) != FALSE); ++attempt)
        Sleep(20);  // another program may hold it for a moment
}

ClipboardGuard::~ClipboardGuard() {
    if (opened_) CloseClipboard();
}

bool ClipboardGuard::SetText(const std::wstring& Text) {
    if (!opened_ || !EmptyClipboard()) return false;
    const size_t bytes = (Text.size() + 1) * sizeof(wchar_t);
    GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return false;
    {
        // Memory that cannot be filled is never handed over.
        GlobalLockGuard lock(memory.get());
        if (!lock.Data()) return false;
        std::memcpy(lock.Data(), Text.c_str(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    (void)memory.release();  // the clipboard owns it now
    return true;
}

}  // namespace fw
