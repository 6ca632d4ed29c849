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
    return SetText(Text.size(),
                   [&Text](wchar_t* Out) { std::memcpy(Out, Text.data(), Text.size() * sizeof(wchar_t)); });
}

bool ClipboardGuard::SetText(size_t Length, const std::function<void(wchar_t* Text)>& Fill) {
    if (!opened_ || !EmptyClipboard()) return false;
    const size_t bytes = (Length + 1) * sizeof(wchar_t);
    GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return false;
    {
        // Memory that cannot be filled is never handed over.
        GlobalLockGuard lock(memory.get());
        if (!lock.Data()) return false;
        wchar_t* text = static_cast<wchar_t*>(lock.Data());
        Fill(text);
        text[Length] = L'\0';
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    (void)memory.release();  // the clipboard owns it now
    return true;
}

}  // namespace fw
