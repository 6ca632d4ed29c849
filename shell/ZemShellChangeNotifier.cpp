#include "shell/ZemShellChangeNotifier.h"

#include "framework/SysUtils.h"
#include "framework/Thread.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"

namespace shell {

namespace {

constexpr LONG ShellEvents[] = {
    0x08000000, 0x00000800, 0x00002000, 0x00000002, 0x00000004, 0x00000001, 0x00000100,
    0x00000080, 0x00010000, 0x00040000, 0x00000020, 0x00000040, 0x00000008, 0x00000010,
    0x00020000, 0x00001000, 0x00000200, 0x00000400, 0x00004000, 0x00008000, 0x7FFFFFFF,
};

// Registration flags: interrupt level, shell level and recursive interrupt.
constexpr int RegisterFlags = 0x1003;

std::wstring Key(const std::wstring& Path) {
    return fw::AnsiUpperCase(Path);
}

}  // namespace

LONG ShellEventOf(TNotificationEvent Event) {
    return ShellEvents[Event];
}

TNotificationEvent EventOfShellEvent(LONG ShellEvent) {
    const LONG value = ShellEvent & 0x7FFFFFFF;
    for (int e = 0; e < neUnknown; ++e)
        if (ShellEvents[e] == value) return TNotificationEvent(e);
    return neUnknown;
}

LONG ShellEventMask(TNotificationEvents Events) {
    LONG mask = 0;
    for (int e = 0; e <= neUnknown; ++e)
        if (Events & EventBit(TNotificationEvent(e))) mask |= ShellEvents[e];
    return mask;
}

// --- The watched paths ----------------------------------------------------------

TZemShellChangeNotifierList::TZemShellChangeNotifierList(TZemShellChangeNotifier* Notifier) : notifier_(Notifier) {
    // Watched folders need not exist yet; the empty path stands for the drives folder.
    SetCheckExistence(false);
    OnPathAdded = [this](const std::wstring& Path, int Index) { EntryAdded(Path, Index); };
    OnPathRemoved = [this](const std::wstring& Path, int Index) { EntryRemoved(Path, Index); };
}

TZemShellChangeNotifierList::~TZemShellChangeNotifierList() {
    OnPathAdded = nullptr;
    OnPathRemoved = nullptr;
    UnregisterAll();
}

void TZemShellChangeNotifierList::RegisterEntry(const std::wstring& Path) {
    ULONG& id = ids_[Key(Path)];
    if (id != 0) return;
    fw::PidlPtr pidl(PathToPidl(nullptr, Path));
    id = notifier_->RegisterIDList(pidl.get());
    registered_ = true;
}

void TZemShellChangeNotifierList::EntryAdded(const std::wstring& Path, int) {
    // Nothing is registered while the notifier is off.
    if (notifier_->Enabled()) RegisterEntry(Path);
    RemovePlaceholder(1);
}

void TZemShellChangeNotifierList::EntryRemoved(const std::wstring& Path, int) {
    const auto it = ids_.find(Key(Path));
    if (it == ids_.end()) return;
    if (it->second != 0 && BoundEntries.SHChangeNotifyDeregister) BoundEntries.SHChangeNotifyDeregister(it->second);
    ids_.erase(it);
}

void TZemShellChangeNotifierList::Clear() {
    if (!registered_) {
        TZemPathList::Clear();
        return;
    }
    notifier_->Unregister();
    TZemPathList::Clear();
    notifier_->Register();
}

void TZemShellChangeNotifierList::RegisterAll() {
    BeginUpdate();
    for (int i = 0; i < Count(); ++i) RegisterEntry(Strings(i));
    registered_ = true;
    EndUpdate();
}

void TZemShellChangeNotifierList::UnregisterAll() {
    if (!registered_) return;
    registered_ = false;
    for (auto& [path, id] : ids_)
        if (id != 0 && BoundEntries.SHChangeNotifyDeregister) BoundEntries.SHChangeNotifyDeregister(id);
    ids_.clear();
}

void TZemShellChangeNotifierList::RemovePlaceholder(int MinCount) {
    if (Count() > MinCount && Strings(0).empty()) Delete(0);
}

ULONG TZemShellChangeNotifierList::RegistrationId(const std::wstring& Path) const {
    const auto it = ids_.find(Key(const_cast<TZemShellChangeNotifierList*>(this)->NormalizePath(Path)));
    return it == ids_.end() ? 0 : it->second;
}

// --- The notifier ---------------------------------------------------------------

TZemNotifyWorkItem::TZemNotifyWorkItem(TZemShellChangeNotifier* Notifier) {
    SetOwner(Notifier);
    SetCompletionMethod([this] {
        if (!Aborted()) static_cast<TZemShellChangeNotifier*>(Owner())->DeliverNext();
    });
}

TZemShellChangeNotifier::TZemShellChangeNotifier(fw::TComponent* AOwner)
    : TZemBaseComponent(AOwner),
      window_(std::make_unique<fw::TMessageWindow>(
          [this](UINT Msg, WPARAM WParam, LPARAM LParam) { return WndProc(Msg, WParam, LParam); })),
      directories_(std::make_unique<TZemShellChangeNotifierList>(this)) {}

TZemShellChangeNotifier::~TZemShellChangeNotifier() {
    SetEnabled(false);
    // Notices still on their way are dropped: their owner goes now.
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(this, 0, nullptr);
    pending_.clear();
    OnChange = nullptr;
    OnChangeIDList = nullptr;
    directories_.reset();
    window_.reset();
}

bool TZemShellChangeNotifier::Enabled() const {
    return enabled_;
}

void TZemShellChangeNotifier::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    if (Value) Register();
    else Unregister();
}

void TZemShellChangeNotifier::SetRecursive(bool Value) {
    recursive_ = Value;
}

void TZemShellChangeNotifier::SetEventFilter(TNotificationEvents Value) {
    if (Value == eventFilter_) return;
    Unregister();
    eventFilter_ = Value;
    Register();
}

void TZemShellChangeNotifier::SetWatchedIDList(LPCITEMIDLIST IDList) {
    if (watchedId_ && BoundEntries.SHChangeNotifyDeregister) BoundEntries.SHChangeNotifyDeregister(watchedId_);
    watchedId_ = 0;
    directories_->RemovePlaceholder(0);
    watchedIDList_.reset(PidlClone(IDList));
    if (watchedIDList_) Register();
}

ULONG TZemShellChangeNotifier::RegisterIDList(LPCITEMIDLIST IDList) {
    if (!BoundEntries.SHChangeNotifyRegister || !window_) return 0;
    SHChangeNotifyEntry entry{IDList, TRUE};
    return BoundEntries.SHChangeNotifyRegister(window_->Handle(), RegisterFlags, ShellEventMask(eventFilter_),
                                               WM_SHELLNOTIFY, 1, &entry);
}

void TZemShellChangeNotifier::Loaded() {
    TZemBaseComponent::Loaded();
    Register();
}

void TZemShellChangeNotifier::Register() {
    if (!BoundEntries.SHChangeNotifyRegister) enabled_ = false;
    // Nothing while the properties are still being set: Loaded registers at their end.
    if (!enabled_ || HasState(fw::csLoading) || HasState(fw::csDesigning)) return;
    if (directories_->Count() == 0 && !OnChangeIDList && !watchedIDList_) {
        recursive_ = true;
        directories_->Add(L"");  // the drives folder
    } else {
        directories_->RegisterAll();
    }
    if (watchedIDList_ && watchedId_ == 0) watchedId_ = RegisterIDList(watchedIDList_.get());
}

void TZemShellChangeNotifier::Unregister() {
    if (watchedId_ && BoundEntries.SHChangeNotifyDeregister) BoundEntries.SHChangeNotifyDeregister(watchedId_);
    watchedId_ = 0;
    directories_->UnregisterAll();
}

LRESULT TZemShellChangeNotifier::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!enabled_ || Msg != WM_SHELLNOTIFY) return DefWindowProcW(Window(), Msg, WParam, LParam);
    const auto* lists = reinterpret_cast<const LPCITEMIDLIST*>(WParam);
    HandleNotification(LONG(LParam), lists ? lists[0] : nullptr, lists ? lists[1] : nullptr);
    return 0;
}

bool TZemShellChangeNotifier::IsRepeat(LONG ShellEvent, LPCITEMIDLIST IDList1) const {
    if (ShellEvent != lastEvent_ || !lastIDList_ || !IDList1 || PidlCount(IDList1) < 1) return false;
    if (GetTickCount() - lastTick_ >= RepeatInterval) return false;
    IShellFolder* desktop = DesktopFolder();
    return desktop && desktop->CompareIDs(0, IDList1, lastIDList_.get()) == 0;
}

bool TZemShellChangeNotifier::PassesPathFilter(const std::wstring& Path) const {
    // Registration is always recursive; without Recursive only the watched
    // folders themselves and their direct entries pass.
    if (recursive_ || Path.empty()) return true;
    const std::wstring parent = fw::ExcludeTrailingPathDelimiter(fw::ExtractFileDir(Path));
    for (int i = 0; i < directories_->Count(); ++i) {
        const std::wstring dir = directories_->Strings(i);
        if (dir.empty() || SamePath(dir, Path) || SamePath(dir, parent)) return true;
    }
    return directories_->Count() == 0;
}

void TZemShellChangeNotifier::HandleNotification(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2) {
    if (!enabled_) return;
    const TNotificationEvent event = EventOfShellEvent(ShellEvent);
    if (!(eventFilter_ & EventBit(event))) return;
    if (IsRepeat(ShellEvent, IDList1)) return;
    std::wstring path1, path2;
    if (event == neImageListChange) {
        path1 = std::to_wstring(reinterpret_cast<intptr_t>(IDList2));
    } else if (event != neAssociationChange) {
        path1 = PidlToPath(IDList1);
        path2 = PidlToPath(IDList2);
    }
    if (PassesPathFilter(path1) || (!path2.empty() && PassesPathFilter(path2))) {
        if (OnChange) DoChange(this, event, path1, path2);
        if (OnChangeIDList) OnChangeIDList(this, event, IDList1, IDList2);
    }
    lastEvent_ = ShellEvent;
    lastIDList_.reset(PidlClone(IDList1));
    lastTick_ = GetTickCount();
}

void TZemShellChangeNotifier::DoChange(fw::TObject* Sender, TNotificationEvent Event, const std::wstring& Path1,
                                       const std::wstring& Path2) {
    if (!OnChange || !GlobalWorkerPool) return;
    pending_.push_back(TNotice{Sender, Event, Path1, Path2});
    GlobalWorkerPool->AddWorkItem(std::make_shared<TZemNotifyWorkItem>(this));
}

void TZemShellChangeNotifier::DeliverNext() {
    // Workers may finish in any order; each delivery takes the oldest notice.
    if (pending_.empty()) return;
    TNotice notice = std::move(pending_.front());
    pending_.pop_front();
    if (OnChange) OnChange(notice.Sender, notice.Event, notice.Path1, notice.Path2);
}

// --- The choosers' view --------------------------------------------------------

void TZemNotifierFolderWatch::SetWatchedEvents(LONG ShellEvents) {
    TNotificationEvents events = 0;
    for (int e = 0; e < neUnknown; ++e)
        if (ShellEvents & ShellEventOf(TNotificationEvent(e))) events |= EventBit(TNotificationEvent(e));
    notifier_->SetEventFilter(events);
}

void TZemNotifierFolderWatch::SetOnNotice(TZemIDListNotice Handler) {
    if (!Handler) {
        notifier_->OnChangeIDList = nullptr;
        return;
    }
    notifier_->OnChangeIDList = [Handler](fw::TObject*, TNotificationEvent Event, LPCITEMIDLIST IDList1,
                                          LPCITEMIDLIST IDList2) { Handler(ShellEventOf(Event), IDList1, IDList2); };
}

}  // namespace shell
