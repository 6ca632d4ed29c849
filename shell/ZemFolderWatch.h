#pragma once
// What the folder choosers (the shell tree and the folder combo box) need of a
// shell change notifier, as a small interface: switch it on and off, name the
// folders it watches and the shell events it wants, and receive every notice
// with its raw item-ID lists on the main thread (valid only during the call).
// The change notifier satisfies it through TZemNotifierFolderWatch.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

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

}  // namespace shell
