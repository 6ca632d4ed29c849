#pragma once
// TZemShellChangeNotifier: watches folders through the shell's change
// notification and passes each notice on, once, to its owner. A component (new
// with an owner, freed by it); it starts disabled at run time and registers its
// folders only while enabled. Notices arrive as message 2011 in the notifier's
// hidden window on the main thread. OnChangeIDList is called there at once with
// the raw item-ID lists (valid only during the call); OnChange gets the paths
// later, on the main thread, through a work item of the shared worker pool, and
// always in the order the notices came. Destroying the notifier cancels what is
// still on its way, so nothing reaches an owner that has gone.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/AllocateHWnd.h"
#include "framework/Handles.h"
#include "shell/WorkItem.h"
#include "shell/ZemFolderWatch.h"
#include "shell/ZemPathList.h"
#include "shell/ZemShellLink.h"

namespace shell {

enum TNotificationEvent {
    neAssociationChange,
    neAttributesChange,
    neFileChange,
    neFileCreate,
    neFileDelete,
    neFileRename,
    neDriveAdd,
    neDriveRemove,
    neShellDriveAdd,
    neDriveSpaceChange,
    neMediaInsert,
    neMediaRemove,
    neFolderCreate,
    neFolderDelete,
    neFolderRename,
    neFolderUpdate,
    neNetShare,
    neNetUnShare,
    neServerDisconnect,
    neImageListChange,
    neUnknown
};
// A set of events: bit n stands for event n.
using TNotificationEvents = uint32_t;
constexpr TNotificationEvents EventBit(TNotificationEvent Event) {
    return TNotificationEvents(1) << unsigned(Event);
}
constexpr TNotificationEvents AllKnownEvents = 0xFFFFF;  // every event but neUnknown

// The shell's event bit of an event, and the event of a shell event value.
LONG ShellEventOf(TNotificationEvent Event);
TNotificationEvent EventOfShellEvent(LONG ShellEvent);
// The shell's event mask of a set of events.
LONG ShellEventMask(TNotificationEvents Events);

// The message the shell sends to the notifier's window.
constexpr UINT WM_SHELLNOTIFY = 2011;
// The repeat rule: the same event for the same object within this time passes once.
constexpr DWORD RepeatInterval = 2500;

using TZemShellNotifierEvent = std::function<void(fw::TObject* Sender, TNotificationEvent Event,
                                                  const std::wstring& Path1, const std::wstring& Path2)>;
using TZemShellNotifierIDListEvent =
    std::function<void(fw::TObject* Sender, TNotificationEvent Event, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2)>;

class TZemShellChangeNotifier;

// The watched paths. Each entry is registered with the shell while its notifier
// is enabled and deregistered when it leaves the list.
class TZemShellChangeNotifierList : public TZemPathList {
public:
    explicit TZemShellChangeNotifierList(TZemShellChangeNotifier* Notifier);
    ~TZemShellChangeNotifierList() override;

    void Clear() override;
    bool Registered() const { return registered_; }
    void RegisterAll();
    void UnregisterAll();
    // Deletes the empty placeholder entry when the list holds more than MinCount entries.
    void RemovePlaceholder(int MinCount);
    // The registration id of an entry; 0 when it is not registered.
    ULONG RegistrationId(const std::wstring& Path) const;

private:
    void EntryAdded(const std::wstring& Path, int Index);
    void EntryRemoved(const std::wstring& Path, int Index);
    void RegisterEntry(const std::wstring& Path);

    TZemShellChangeNotifier* notifier_;
    std::map<std::wstring, ULONG> ids_;  // by upper-case path
    bool registered_ = false;
};

class TZemShellChangeNotifier : public TZemBaseComponent {
public:
    explicit TZemShellChangeNotifier(fw::TComponent* AOwner);
    ~TZemShellChangeNotifier() override;

    bool Enabled() const override;
    void SetEnabled(bool Value) override;
    TZemShellChangeNotifierList* Directories() const { return directories_.get(); }
    // Whether notices from below the watched folders pass (they are always
    // registered recursively: the shell may deliver nothing otherwise).
    bool Recursive() const { return recursive_; }
    void SetRecursive(bool Value);
    TNotificationEvents EventFilter() const { return eventFilter_; }
    void SetEventFilter(TNotificationEvents Value);
    // An extra object to watch (a clone is kept); nullptr for none.
    void SetWatchedIDList(LPCITEMIDLIST IDList);
    LPCITEMIDLIST WatchedIDList() const { return watchedIDList_.get(); }
    void Register();
    void Unregister();
    HWND Window() const { return window_ ? window_->Handle() : nullptr; }

    // The notification entry point: what the window does with a shell notice
    // (the raw event value and its two item-ID lists). Main thread.
    void HandleNotification(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2);
    // Registers an absolute item-ID list with the shell for this notifier's
    // window; the registration id, 0 on failure.
    ULONG RegisterIDList(LPCITEMIDLIST IDList);

    TZemShellNotifierEvent OnChange;
    TZemShellNotifierIDListEvent OnChangeIDList;

protected:
    // The set-up has ended: what was held back while loading is registered now.
    void Loaded() override;
    // Queues the notice for OnChange (in arrival order) on the shared worker pool.
    virtual void DoChange(fw::TObject* Sender, TNotificationEvent Event, const std::wstring& Path1,
                          const std::wstring& Path2);
    std::wstring ClassName() const override { return L"TZemShellChangeNotifier"; }

private:
    friend class TZemNotifyWorkItem;
    struct TNotice {
        fw::TObject* Sender;
        TNotificationEvent Event;
        std::wstring Path1, Path2;
    };
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam);
    bool IsRepeat(LONG ShellEvent, LPCITEMIDLIST IDList1) const;
    bool PassesPathFilter(const std::wstring& Path) const;
    // Main thread: delivers the oldest waiting notice.
    void DeliverNext();

    std::unique_ptr<fw::TMessageWindow> window_;
    std::unique_ptr<TZemShellChangeNotifierList> directories_;
    bool enabled_ = false;
    bool recursive_ = true;
    TNotificationEvents eventFilter_ = AllKnownEvents;
    fw::PidlPtr lastIDList_;
    LONG lastEvent_ = 0;
    DWORD lastTick_ = 0;
    fw::PidlPtr watchedIDList_;
    ULONG watchedId_ = 0;
    std::deque<TNotice> pending_;
};

// The folder choosers' view (IZemFolderWatch) of a notifier they were given; the
// notifier stays its owner's. Notices reach the chooser through OnChangeIDList.
class TZemNotifierFolderWatch : public IZemFolderWatch {
public:
    explicit TZemNotifierFolderWatch(TZemShellChangeNotifier* Notifier) : notifier_(Notifier) {}
    bool WatchEnabled() const override { return notifier_->Enabled(); }
    void SetWatchEnabled(bool Value) override { notifier_->SetEnabled(Value); }
    void SetWatchedIDList(LPCITEMIDLIST IDList) override { notifier_->SetWatchedIDList(IDList); }
    void AddWatchedPath(const std::wstring& Path) override { notifier_->Directories()->Add(Path); }
    void SetWatchedEvents(LONG ShellEvents) override;
    void SetOnNotice(TZemIDListNotice Handler) override;

private:
    TZemShellChangeNotifier* notifier_;
};

// Carries one notice to the main thread; its owner is the notifier.
class TZemNotifyWorkItem : public TBasicWorkItem {
public:
    explicit TZemNotifyWorkItem(TZemShellChangeNotifier* Notifier);
    void Execute() override {}
};

}  // namespace shell
