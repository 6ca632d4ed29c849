#pragma once
// What the folder choosers (the shell tree and the folder combo box) need of a
// shell change notifier, as a small interface: switch it on and off, name the
// folders it watches and the shell events it wants, and receive every notice
// with its raw item-ID lists on the main thread (valid only during the call).
// TZemFolderWatch is the plain implementation the choosers own by default: it
// registers with the shell's change notification (message 2011) on a hidden
// window of its own. Made and destroyed on the main thread.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace shell {

// ShellEvent is the shell's SHCNE_* bit of the notice.
using TZemIDListNotice = std::function<void(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2)>;

class IZemFolderWatch {
public:
    virtual ~IZemFolderWatch() = default;
    virtual bool WatchEnabled() const = 0;
    // Registers the watched folders when switched on; unregisters them when off.
    virtual void SetWatchEnabled(bool Value) = 0;
    // The one folder watched besides the paths (nullptr: none); the list is copied.
    virtual void SetWatchedIDList(LPCITEMIDLIST IDList) = 0;
    virtual void AddWatchedPath(const std::wstring& Path) = 0;
    // The SHCNE_* bits wanted; notices of other events are dropped.
    virtual void SetWatchedEvents(LONG ShellEvents) = 0;
    virtual void SetOnNotice(TZemIDListNotice Handler) = 0;
};

class TZemFolderWatch : public IZemFolderWatch {
public:
    // The shell message the notices arrive as.
    static constexpr UINT NoticeMessage = 2011;

    TZemFolderWatch();
    ~TZemFolderWatch() override;
    TZemFolderWatch(const TZemFolderWatch&) = delete;
    TZemFolderWatch& operator=(const TZemFolderWatch&) = delete;

    bool WatchEnabled() const override { return enabled_; }
    void SetWatchEnabled(bool Value) override;
    void SetWatchedIDList(LPCITEMIDLIST IDList) override;
    void AddWatchedPath(const std::wstring& Path) override;
    void SetWatchedEvents(LONG ShellEvents) override;
    void SetOnNotice(TZemIDListNotice Handler) override { onNotice_ = std::move(Handler); }
    // Whether subfolders are watched too (the default).
    void SetRecursive(bool Value);
    // The hidden window the shell posts to.
    HWND Window() const { return window_; }

private:
    void Register();
    void Unregister();
    ULONG RegisterOne(LPCITEMIDLIST IDList);
    static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

    HWND window_ = nullptr;
    bool enabled_ = false;
    bool recursive_ = true;
    LONG events_ = SHCNE_ALLEVENTS;
    fw::PidlPtr watched_;
    std::vector<fw::PidlPtr> paths_;
    std::vector<ULONG> registrations_;
    TZemIDListNotice onNotice_;
};

}  // namespace shell
