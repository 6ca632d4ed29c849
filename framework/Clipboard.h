#pragma once
// ClipboardGuard: the clipboard, opened for the guard's lifetime and closed when
// it ends, so no path leaves it open. It opens the clipboard for an owner
// window (given, or a message-only window of its own that lives as long as the
// guard: data put on an emptied clipboard needs an owner), and tries a few
// times, since another program may hold it for a moment.
//     fw::ClipboardGuard clipboard;
//     if (!clipboard.Opened() || !clipboard.SetText(text)) fw::RaiseLastOSError();
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

namespace fw {

class ClipboardGuard {
public:
    explicit ClipboardGuard(HWND Owner = nullptr);
    ~ClipboardGuard();
    ClipboardGuard(const ClipboardGuard&) = delete;
    ClipboardGuard& operator=(const ClipboardGuard&) = delete;

    bool Opened() const { return opened_; }
    // Empties the clipboard and puts Text on it as Unicode text. False (the
    // system's last error set) when any step fails; the memory is then freed.
    bool SetText(const std::wstring& Text);
    // The same for a text of Length characters that Fill writes into the
    // clipboard's memory itself (a large text is not copied twice).
    bool SetText(size_t Length, const std::function<void(wchar_t* Text)>& Fill);

private:
    UniqueResource<handle_traits::Simple<HWND, DestroyWindow>> ownWindow_;
    bool opened_ = false;
};

}  // namespace fw
