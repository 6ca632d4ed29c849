#include "shell/ZemFileList.h"

#include <algorithm>

#include "framework/Exception.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"

namespace shell {

namespace {

// What a shell column holds, from its property key; by its usual place when the
// shell does not say.
TZemColumnKind KindOfShellColumn(IShellFolder2* Folder, int Column) {
    // The storage property set: name 10, size 12, last write 14, type 4; and the
    // summary set's item type text (4).
    static const GUID storage = {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
    static const GUID typeText = {0x28636AA6, 0x953D, 0x11D2, {0xB5, 0xD6, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};
    SHCOLUMNID id{};
    if (Folder && SUCCEEDED(Folder->MapColumnToSCID(UINT(Column), &id))) {
        if (id.fmtid == storage) {
            if (id.pid == 10) return ckName;
            if (id.pid == 12) return ckSize;
            if (id.pid == 14) return ckDate;
            if (id.pid == 4) return ckType;
            if (id.pid == 13) return ckAttributes;
        }
        if (id.fmtid == typeText && id.pid == 4) return ckType;
        return ckOther;
    }
    static const TZemColumnKind usual[] = {ckName, ckSize, ckType, ckDate};
    return Column >= 0 && Column < 4 ? usual[Column] : ckOther;
}

// The alignment a column is shown with. Windows right-aligns only the shell's
// number columns (the size); Wine reports every column right-aligned, and types
// its size column as text. So a column the shell reports right-aligned stays so
// only when it is the size or the shell types it as a number.
fw::TAlignment ShownAlignment(IShellFolder2* Folder, int Column, TZemColumnKind Kind, fw::TAlignment Reported) {
    if (Reported != fw::taRightJustify || Kind == ckSize) return Reported;
    SHCOLSTATEF state = 0;
    const bool numbers = Folder && SUCCEEDED(Folder->GetDefaultColumnState(UINT(Column), &state)) &&
                         (state & SHCOLSTATE_TYPEMASK) == SHCOLSTATE_TYPE_INT;
    return numbers ? fw::taRightJustify : fw::taLeftJustify;
}

}  // namespace

std::wstring TZemCustomFileList::WithoutDelimiter(const std::wstring& Path) {
    return IsDriveRoot(Path) ? Path : fw::ExcludeTrailingPathDelimiter(Path);
}

// --- TZemCustomFileList: rows ---------------------------------------------------

TZemCustomFileList::TZemCustomFileList(fw::TComponent* AOwner) : TZemBaseShellListView(AOwner) {
    SetItemsObject(std::make_unique<TZemFileListItems>(this));
    browser_ = new TPathfinch(this);
    browser_->ShowErrorMessages = false;
    notifier_ = new TZemShellChangeNotifier(this);
    notifier_->OnChange = [this](fw::TObject*, TNotificationEvent Event, const std::wstring& Path1,
                                 const std::wstring& Path2) { ShellNotification(Event, Path1, Path2); };
    SetMultiSelect(true);
    SetViewStyle(fw::vsReport);
    SetDoubleBuffered(true);
    SetErrorMode(SEM_FAILCRITICALERRORS);
}

TZemCustomFileList::~TZemCustomFileList() {
    notifier_->OnChange = nullptr;
    // OLE may hold the target a moment longer: it must not call back.
    if (dropTarget_) dropTarget_->Clear();
    dropRegistration_.Revoke();
}

fw::TListItem* TZemCustomFileList::CreateListItem() {
    fw::TListItemFactory factory = [](fw::TListItems* Owner) { return new TZemFileListItem(Owner); };
    if (OnCreateItemClass) OnCreateItemClass(this, factory);
    fw::TListItem* item = factory(Items());
    if (!dynamic_cast<TZemFileListItem*>(item)) {
        delete item;
        throw fw::EInvalidArgument(
            L"Internal Error: TZemCustomFileList.CreateListItem: ItemClass must inherit from TZemFileListItem.");
    }
    return item;
}

bool TZemCustomFileList::IsItemUpdated(fw::TListItem* Item) {
    return static_cast<TZemFileListItem*>(Item)->Updated();
}

TZemFileListItem* TZemCustomFileList::AddItem(const std::wstring& Path) {
    return AddFoundItem(Path, nullptr);
}

TZemFileListItem* TZemCustomFileList::AddFoundItem(const std::wstring& Path, const TZemFindData* Found,
                                                   size_t NameStart) {
    if (Path.empty()) return nullptr;
    if (!allowDuplicates_)
        if (TZemFileListItem* existing = FindItemByPath(Path)) return existing;
    auto* item = static_cast<TZemFileListItem*>(Items()->Add());
    item->SetFullPath(Path, NameStart);
    if (Found) item->SetFindData(*Found);
    // The handlers see the row's texts when they read them: the texts are filled
    // (and OnChange raised with ctText) on the first read. A handler of OnChange
    // hears of them before OnAddItem sees the row; only then are they filled now.
    if (OnAddItem) {
        if (OnChange && details_) FillItemDetails(item);
        bool canAdd = true;
        OnAddItem(item, canAdd);
        if (!canAdd) {
            item->Delete();
            return nullptr;
        }
    }
    if (OnAddPath) {
        bool canAdd = true;
        OnAddPath(item->FullPath(), canAdd);
        if (!canAdd) {
            item->Delete();
            return nullptr;
        }
    }
    if (checkIfExists_ && !Found && GlobalWorkerPool) {
        auto check = std::make_shared<TPathExistsWorkItem>(Path, this, item, 0);
        item->SetPendingExistsCheck(check.get());
        item->NoteQueuedWork();
        GlobalWorkerPool->AddWorkItem(check);
    }
    return item;
}

void TZemCustomFileList::PathExistsResult(TPathExistsWorkItem* Check) {
    auto* item = dynamic_cast<TZemFileListItem*>(ItemOfOwner(Check->Owner()));
    if (!item) return;
    try {
        item->SetPendingExistsCheck(nullptr);
        if (!Check->Exists() && checkIfExists_) {
            item->Delete();
            return;
        }
        UpdateItem(item);
        // Rows are watched only where the list follows changes at all.
        if (automaticRefresh_) notifier_->Directories()->Add(item->FullPath());
    } catch (...) {}
}

void TZemCustomFileList::AddPaths(const fw::TStrings* Paths, bool CheckThem) {
    if (!Paths) return;
    TZemSelectionList* selection = ShellLink() ? ShellLink()->SelectionList() : nullptr;
    Items()->BeginUpdate();
    if (selection) selection->BeginUpdate();
    notifier_->SetEnabled(false);
    try {
        for (int i = 0; i < Paths->Count(); ++i) {
            std::wstring path = Paths->Strings(i);
            if (path.empty()) continue;
            const bool noCheck = path[0] == L'-';
            if (noCheck) path.erase(0, 1);
            TZemFileListItem* item = AddItem(path);
            if (!item || !Checkboxes() || !CheckThem || noCheck) continue;
            if (ShellLink()) ToggleCheck(item);
            else item->SetCheckState(ssChecked);
        }
    } catch (...) {
        if (selection) selection->EndUpdate();
        Items()->EndUpdate();
        notifier_->SetEnabled(automaticRefresh_);
        throw;
    }
    if (selection) selection->EndUpdate();
    Items()->EndUpdate();
    notifier_->SetEnabled(automaticRefresh_);
}

void TZemCustomFileList::Clear() {
    fw::TCustomListView::Clear();
    ClearThumbnails();
    searchedFolders_.clear();
}

void TZemCustomFileList::SelectAll() {
    fw::TCustomListView::SelectAll();
    RefreshImages();
}

TZemFileListItem* TZemCustomFileList::FindItemByPath(const std::wstring& Path) const {
    const std::wstring wanted = fw::ExcludeTrailingPathDelimiter(Path);
    TZemFileListItems* items = Items();
    for (int i = 0; i < items->Count(); ++i) {
        const std::wstring& path = items->Item(i)->FullPath();
        const size_t n = !path.empty() && path.back() == L'\\' ? path.size() - 1 : path.size();
        if (n == wanted.size() && CompareStringOrdinal(path.data(), int(n), wanted.data(), int(n), TRUE) == CSTR_EQUAL)
            return items->Item(i);
    }
    return nullptr;
}

int TZemCustomFileList::QuickIconIndex(TZemFileListItem* Item) {
    const bool folder = IsDriveRoot(Item->FullPath()) || Item->IsFolder();
    const std::wstring key = folder ? L"\\" : fw::AnsiUpperCase(fw::ExtractFileExt(Item->FullPath()));
    const auto known = quickIcons_.find(key);
    if (known != quickIcons_.end()) return known->second;
    SHFILEINFOW info{};
    const DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    const std::wstring name = folder ? L"folder" : L"file" + fw::ExtractFileExt(Item->FullPath());
    const DWORD_PTR ok = SHGetFileInfoW(name.c_str(), attributes, &info, sizeof(info),
                                        SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    const int index = ok ? info.iIcon : 0;
    quickIcons_[key] = index;
    return index;
}

void TZemCustomFileList::UpdateItem(fw::TListItem* Row) {
    auto* item = static_cast<TZemFileListItem*>(Row);
    TZemBaseShellListView::UpdateItem(item);
    if (checkIfExists_ && !item->PendingExistsCheck() && !item->TextsFilled()) FillItemDetails(item);
    // With thumbnails the row's image is its thumbnail (TZemFileList).
    if (item->ImageIndex() < 1 && !Thumbnails()) {
        item->SetImageIndex(QuickIconIndex(item));
        // The object's own icon is asked for only now, as the row is shown.
        if (GlobalWorkerPool) {
            item->NoteQueuedWork();
            GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(item->FullPath(), 0, this, item, 0));
        }
    }
    if (showOverlayIcons_ && Enabled() && !item->OverlayDone()) {
        item->SetOverlayDone(true);
        if (GlobalWorkerPool) {
            item->NoteQueuedWork();
            GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(item->FullPath(), 1, this, item, 0));
        }
        try {
            std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(item->FullPath());
            if (browser && (browser->GetAttributes(0x88000) & 0x88000)) item->SetCut(true);
        } catch (...) {}
    }
}

void TZemCustomFileList::RefreshImages() {
    ClearThumbnails();
    // Overlays are asked again too (or go, when they are no longer shown).
    Items()->BeginUpdate();
    for (int i = 0; i < Items()->Count(); ++i) {
        TZemFileListItem* item = Items()->Item(i);
        item->SetOverlayDone(false);
        if (!showOverlayIcons_) item->SetOverlayIndex(-1);
    }
    Items()->EndUpdate();
    ResetImageIndexes();
}

void TZemCustomFileList::RefreshItems() {
    if (!Enabled() || HasState(fw::csLoading)) return;
    const double now = fw::Now();
    for (int i = 0; i < Items()->Count(); ++i) {
        TZemFileListItem* item = Items()->Item(i);
        fw::TDateTime age = 0;
        if (fw::FileAge(item->FullPath(), age) && std::abs(now - age) < 0.0002) {
            item->Changed();
            UpdateItem(item);
        } else if (Checkboxes() && ShellLink()) {
            bool inherited = false;
            item->SetCheckState(ShellLink()->SelectionList()->GetState(item->FullPath(), inherited));
        }
    }
}

void TZemCustomFileList::SetDetails(bool Value) {
    details_ = Value;
    CreateColumns();
}

void TZemCustomFileList::SetShowOverlayIcons(bool Value) {
    if (Value == showOverlayIcons_) return;
    showOverlayIcons_ = Value;
    if (Enabled()) RefreshImages();
}

void TZemCustomFileList::SetAutomaticRefresh(bool Value) {
    automaticRefresh_ = Value;
    if (Items()->Count() > 0) notifier_->SetEnabled(Value);
}

void TZemCustomFileList::SetScrollBars(fw::TScrollStyle Value) {
    if (Value == scrollBars_) return;
    scrollBars_ = Value;
    // The frame is measured again, which applies the setting.
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TZemCustomFileList::WndProc(fw::TMessage& Message) {
    if (Message.Msg == WM_NCCALCSIZE && HandleAllocated()) {
        // The list view shows its scroll bars as it needs them: those not wanted go
        // each time the frame is measured.
        const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
        LONG_PTR next = style;
        if (scrollBars_ == fw::ssNone || scrollBars_ == fw::ssHorizontal) next &= ~LONG_PTR(WS_VSCROLL);
        if (scrollBars_ == fw::ssNone || scrollBars_ == fw::ssVertical) next &= ~LONG_PTR(WS_HSCROLL);
        if (next != style) SetWindowLongPtrW(Handle(), GWL_STYLE, next);
    }
    if (Message.Msg == fw::CM_HINTSHOW && Message.LParam) {
        HintShow(*reinterpret_cast<fw::THintInfo*>(Message.LParam), Message.Result);
        return;
    }
    if (Message.Msg == fw::CM_MOUSEENTER && Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseEnter)
        OnMouseEnter(this);
    if (Message.Msg == fw::CM_MOUSELEAVE && Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseLeave)
        OnMouseLeave(this);
    if (Message.Msg == WM_CONTEXTMENU) {
        ContextMenuRequest(Message);
        return;
    }
    if (Message.Msg == fw::CN_NOTIFY) {
        const UINT code = reinterpret_cast<NMHDR*>(Message.LParam)->code;
        if ((code == LVN_BEGINDRAG || code == LVN_BEGINRDRAG) && oleDragDrop_ && Selected()) {
            StartDrag(code == LVN_BEGINDRAG ? fw::mbLeft : fw::mbRight);
            return;
        }
    }
    TZemBaseShellListView::WndProc(Message);
}

void TZemCustomFileList::HintShow(fw::THintInfo& Info, LRESULT& Result) {
    Result = 0;
    auto* item = static_cast<TZemFileListItem*>(GetItemAt(Info.CursorPos.x, Info.CursorPos.y));
    if (!item || !ShowHint()) return;
    std::wstring tip;
    try {
        if (std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(item->FullPath()))
            browser->GetInfoTip(false, tip);
    } catch (...) {}
    std::wstring text = Hint().empty() ? tip : Hint() + L"\r\n" + tip;
    if (OnInfoTip) OnInfoTip(this, item, text);
    Info.HintStr = text;
    Info.CursorRect = item->DisplayRect(fw::drBounds);
    // Below and right of the mouse pointer, clear of it.
    const POINT at = ClientToScreen(Info.CursorPos);
    Info.HintPos = POINT{at.x + GetSystemMetrics(SM_CXCURSOR), at.y + GetSystemMetrics(SM_CYCURSOR)};
    Info.HintMaxWidth = ClientWidth();
}

bool TZemCustomFileList::IsCustomDrawn(fw::TCustomDrawTarget Target, fw::TCustomDrawStage Stage) {
    return (Target == fw::dtItem && Stage == fw::cdPrePaint) || TZemBaseShellListView::IsCustomDrawn(Target, Stage);
}

void TZemCustomFileList::CreateWnd() {
    TZemBaseShellListView::CreateWnd();
    if (oleDragDrop_ && !HasState(fw::csDesigning)) RegisterDropTarget();
    if (Enabled() && Columns()->Count() == 0) CreateColumns();
    UpdateSortArrows();
}

void TZemCustomFileList::DestroyWnd() {
    dropRegistration_.Revoke();
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(this, 0, nullptr);
    TZemBaseShellListView::DestroyWnd();
}

// --- TZemCustomFileList: change notices -----------------------------------------

bool TZemCustomFileList::InListing(const std::wstring& Path) const {
    if (Path.empty()) return false;
    for (const TSearchedFolder& folder : searchedFolders_) {
        if (folder.Path.empty()) return true;  // all drives
        if (SamePath(folder.Path, Path)) return true;
        const std::wstring parent = fw::ExtractFileDir(WithoutDelimiter(Path));
        if (SamePath(folder.Path, parent)) return true;
        if (folder.Recursive && IsParentPath(folder.Path, Path)) return true;
    }
    return false;
}

void TZemCustomFileList::ShellNotification(TNotificationEvent Event, const std::wstring& Path1,
                                           const std::wstring& Path2) {
    if ((Event == neFileDelete || Event == neFolderDelete))
        if (TZemFileListItem* item = FindItemByPath(Path1)) item->Delete();
    if (Event == neFileRename || Event == neFolderRename) {
        if (TZemFileListItem* item = FindItemByPath(Path1)) {
            // A rename may move the object to another folder: its "In Folder" text is made afresh.
            item->HeldSubItems().Clear();
            item->Renamed(Path2);
            std::wstring caption;
            if (Event == neFileRename) {
                caption = fw::ExtractFileName(Path2);
            } else {
                const size_t slash = Path2.find_last_of(L'\\');
                caption = slash == std::wstring::npos || slash < 1 ? Path2 : Path2.substr(slash + 1);
            }
            item->SetCaption(caption);
        }
        if (Event == neFolderRename) FollowRenamedFolder(Path1, Path2);
    }
    if (Event == neFolderDelete || (Event == neFolderUpdate && !noSearchYet_)) RemoveMissing(Path1);
}

void TZemCustomFileList::FollowRenamedFolder(const std::wstring& OldPath, const std::wstring& NewPath) {
    const std::wstring oldPrefix = fw::IncludeTrailingPathDelimiter(OldPath);
    const std::wstring newPrefix = fw::IncludeTrailingPathDelimiter(NewPath);
    for (int i = 0; i < Items()->Count(); ++i) {
        TZemFileListItem* item = Items()->Item(i);
        if (!StartsText(item->FullPath(), oldPrefix)) continue;
        item->HeldSubItems().Clear();
        item->Renamed(newPrefix + item->FullPath().substr(oldPrefix.size()));
    }
    for (TSearchedFolder& folder : searchedFolders_)
        if (SamePath(folder.Path, OldPath) || IsParentPath(OldPath, folder.Path))
            folder.Path = newPrefix.substr(0, newPrefix.size() - 1) +
                          fw::IncludeTrailingPathDelimiter(folder.Path).substr(oldPrefix.size() - 1);
}

void TZemCustomFileList::RemoveMissing(const std::wstring& Folder) {
    if (Folder.empty()) return;
    for (int i = Items()->Count() - 1; i >= 0; --i) {
        if (i >= Items()->Count()) continue;
        TZemFileListItem* item = Items()->Item(i);
        const std::wstring dir = fw::ExtractFileDir(item->FullPath());
        if ((SamePath(dir, Folder) || IsParentPath(Folder, dir)) && !PathExists(item->FullPath())) item->Delete();
    }
}

// --- TZemFileList ----------------------------------------------------------------

TZemFileList::TZemFileList(fw::TComponent* AOwner)
    : TZemCustomFileList(AOwner),
      searchOptions_(std::make_unique<TZemSearchOptions>()),
      searchPool_(std::make_unique<TThreadPool>()) {
    notifier_->SetEventFilter(EventBit(neFileChange) | EventBit(neFileCreate) | EventBit(neFileDelete) |
                              EventBit(neFileRename) | EventBit(neDriveAdd) | EventBit(neDriveRemove) |
                              EventBit(neShellDriveAdd) | EventBit(neFolderCreate) | EventBit(neFolderDelete) |
                              EventBit(neFolderRename) | EventBit(neFolderUpdate));
    SetAutomaticRefresh(true);
    SetAllowDuplicates(true);
    folderColumn_ = 1;
    searchPool_->OnThreadFinished = [this](TZemThread* Thread) { SearchThreadFinished(Thread); };
}

TZemFileList::~TZemFileList() {
    // Searches end before anything they report to goes; then the window.
    searchPool_.reset();
    DestroyHandle();
}

void TZemFileList::StartSearch(const std::wstring& Path) {
    noSearchYet_ = false;
    TZemShellChangeNotifierList* directories = notifier_->Directories();
    directories->Clear();
    directories->Add(Path);
    for (int i = directories->Count() - 1; i >= 0; --i)
        if (directories->Strings(i) == L"*") directories->Delete(i);
    lastSearchFolder_ = Path;
    searchStartTick_ = GetTickCount();
    const bool bareDrive = Path.size() == 2 && Path[1] == L':';
    searchedFolders_.push_back(TSearchedFolder{bareDrive ? Path + L'\\' : Path, searchOptions_->RecursiveSearch()});
    auto* thread = new TZemFileSearchThread(searchOptions_.get(), this, Path, false);
    currentSearchThread_ = thread;
    searchPool_->AddThread(thread);
}

void TZemFileList::StopSearch() {
    searchPool_->StopAll(true);
}

void TZemFileList::SearchThreadFinished(TZemThread*) {
    currentSearchThread_ = nullptr;
    if (OnEndSearch) OnEndSearch();
}

void TZemFileList::SetOnSearchProgress(TOnSearchProgress Value) {
    onSearchProgress_ = std::move(Value);
    progressBound_ = bool(onSearchProgress_);
}

void TZemFileList::SearchProgress(const std::wstring& Path) {
    if (onSearchProgress_) onSearchProgress_(Path);
}

TZemFileListItem* TZemFileList::AddItem(const std::wstring& Path, bool Check) {
    TZemFileListItem* item = TZemCustomFileList::AddItem(Path);
    if (item) {
        std::wstring caption = fw::ExtractFileName(Path);
        // Texts a handler already read are not filled again: the caption is then
        // what their fill leaves.
        if (item->TextsFilled()) caption = !Details() ? Path : caption.empty() ? item->Name() : caption;
        item->SetHeldCaption(caption);
        if (ShellLink() && Checkboxes() && Check) item->SetChecked(true);
        notifier_->SetEnabled(AutomaticRefresh());
    }
    return item;
}

void TZemFileList::AddSearchEntry(const TZemSearchHit& Hit) {
    const TZemFindData found{Hit.Attributes, Hit.Size, Hit.LastWriteTime};
    if (TZemFileListItem* item = AddFoundItem(Hit.Path, &found, Hit.NameStart)) {
        item->SetHeldCaption(item->Name());
        notifier_->SetEnabled(AutomaticRefresh());
    }
}

void TZemFileList::Clear() {
    TZemCustomFileList::Clear();
    folderDetails_.Clear();
    heldTexts_.Reset();
}

void TZemFileList::SetViewStyle(fw::TViewStyle Value) {
    // Windows XP and later have no small-icon view of their own.
    if (Value == fw::vsSmallIcon) Value = fw::vsList;
    TZemCustomFileList::SetViewStyle(Value);
    // While designed properties are read, thumbnails set before the icon view stay.
    if (HasState(fw::csLoading)) {
        if (Value != fw::vsIcon) SetThumbnails(false);
        return;
    }
    UpdateSortArrows();
    SetThumbnails(false);
}

void TZemFileList::CreateColumns() {
    Columns()->BeginUpdate();
    Columns()->Clear();
    shellColumns_.clear();
    columnKinds_.clear();
    try {
        browser_->SetSpecialFolder(SF_PERSONAL);
        bool ready = browser_->InitDetails();
        if (!ready) {
            wchar_t windows[MAX_PATH] = {};
            GetWindowsDirectoryW(windows, MAX_PATH);
            browser_->SetFolder(windows);
            ready = browser_->InitDetails();
        }
        if (ready) {
            fw::ComPtr<IShellFolder2> folder2;
            if (browser_->ShellFolder()) browser_->ShellFolder()->QueryInterface(IID_IShellFolder2, folder2.put_void());
            std::wstring caption;
            browser_->GetDetails(0, true, caption);
            fw::TAlignment nameAlignment = fw::taLeftJustify;
            int i = 0;
            do {
                int width = 0;
                const TZemColumnKind kind = KindOfShellColumn(folder2.get(), i);
                const fw::TAlignment alignment =
                    ShownAlignment(folder2.get(), i, kind, browser_->GetColumnInfo(i, width));
                if (i == 0) nameAlignment = alignment;
                // A column the shell does not show by default has width 0.
                if (width > 0) {
                    fw::TListColumn* column = Columns()->Add();
                    column->SetCaption(caption);
                    column->SetAlignment(alignment);
                    column->SetWidth(width);
                    shellColumns_.push_back(i);
                    columnKinds_.push_back(kind);
                }
                if (!Details()) break;
                ++i;
                if (i == 1) {
                    fw::TListColumn* column = Columns()->Add();
                    column->SetCaption(InFolderCaption());
                    column->SetAlignment(nameAlignment);
                    column->SetWidth(150);
                    shellColumns_.push_back(-1);
                    columnKinds_.push_back(ckOther);
                }
                caption.clear();
                browser_->GetDetails(i, true, caption);
            } while (!caption.empty());
        }
    } catch (...) {
        // Without details from the shell the list has no columns.
    }
    columnCount_ = Columns()->Count();
    folderColumn_ = 1;
    if (OnCreateColumns) OnCreateColumns(this);
    Columns()->EndUpdate();
    ApplyAutoSizeColumn();
}

void TZemFileList::FillItemDetails(TZemFileListItem* Item) {
    Item->SetTextsFilled(true);
    const std::wstring& path = Item->FullPath();
    const bool driveRoot = IsDriveRoot(path);
    try {
        fw::TListSubItems& sub = Item->HeldSubItems();
        if (sub.Count() == 0) sub.Add(Item->Folder());
        while (sub.Count() >= 2) sub.Delete(1);
        // A drive root keeps an empty in-folder text, so its details stay in their columns.
        if (driveRoot) sub.SetStrings(0, std::wstring());
        if (!Details()) {
            Item->SetHeldCaption(path);
            return;
        }
        if (Item->HeldCaption().empty()) Item->SetHeldCaption(Item->Name());
        std::vector<int> columns;
        std::vector<TZemColumnKind> kinds;
        int typeColumn = -1;
        for (int c = 2; c < columnCount_ && c < int(shellColumns_.size()); ++c) {
            columns.push_back(shellColumns_[size_t(c)]);
            kinds.push_back(c < int(columnKinds_.size()) ? columnKinds_[size_t(c)] : ckOther);
            if (kinds.back() == ckType) typeColumn = shellColumns_[size_t(c)];
        }
        // A file's item type is its extension's, so it is read once per extension.
        const bool file = Item->Found() && !Item->IsFolder() && !driveRoot;
        std::vector<std::wstring> texts;
        if (!DetailTexts(Item, columns, kinds, typeColumn, file, texts)) return;
        for (const std::wstring& text : texts) sub.Add(text);
        Change(Item, fw::ctText);
    } catch (...) {
        // A path the shell cannot open keeps the texts it has.
    }
}

bool TZemFileList::DetailTexts(TZemFileListItem* Item, const std::vector<int>& Columns,
                               const std::vector<TZemColumnKind>& Kinds, int TypeColumn, bool File,
                               std::vector<std::wstring>& Texts) {
    Texts.assign(Columns.size(), std::wstring());
    std::vector<int> asked;
    std::vector<size_t> places;
    const std::wstring name = Item->Name();
    const std::wstring extension = File ? fw::ExtractFileExt(name) : std::wstring();
    for (size_t k = 0; k < Columns.size(); ++k) {
        // While every row is filled, a file's texts come from what is held where they may.
        if (fillingAll_ && File) {
            if (heldTexts_.Text(Kinds[k], Item->FindData(), Texts[k])) continue;
            if (Kinds[k] == ckType)
                if (const std::wstring* type = folderDetails_.KnownTypeText(extension)) {
                    Texts[k] = *type;
                    continue;
                }
        }
        asked.push_back(Columns[k]);
        places.push_back(k);
    }
    if (asked.empty()) return true;
    std::vector<std::wstring> read;
    const TZemFindData* found = Item->Found() ? &Item->FindData() : nullptr;
    if (!folderDetails_.GetDetails(Item->Folder(), name, found, asked, read, TypeColumn, File && TypeColumn >= 0))
        return false;
    for (size_t i = 0; i < places.size() && i < read.size(); ++i) Texts[places[i]] = read[i];
    return true;
}

void TZemFileList::ProveHeldTexts() {
    std::vector<int> columns;
    std::vector<TZemColumnKind> kinds;
    for (int c = 2; c < columnCount_ && c < int(shellColumns_.size()) && c < int(columnKinds_.size()); ++c)
        if (TZemHeldTexts::Makeable(columnKinds_[size_t(c)])) {
            columns.push_back(shellColumns_[size_t(c)]);
            kinds.push_back(columnKinds_[size_t(c)]);
        }
    if (columns.empty() || !Details()) return;
    // Samples are read before any row is filled, so a refused column is the
    // shell's for every row, and rows are filled (and told of) in their order.
    std::vector<std::wstring> shellTexts;
    for (int i = 0; i < Items()->Count(); ++i) {
        TZemFileListItem* item = Items()->Item(i);
        if (item->TextsFilled() || !item->Found() || item->IsFolder() || IsDriveRoot(item->FullPath())) continue;
        bool sample = heldTexts_.SampleFolder(item->Folder());
        for (TZemColumnKind kind : kinds) sample = heldTexts_.NeedsSample(kind, item->FindData()) || sample;
        if (!sample || !folderDetails_.GetDetails(item->Folder(), item->Name(), &item->FindData(), columns, shellTexts))
            continue;
        for (size_t k = 0; k < kinds.size() && k < shellTexts.size(); ++k)
            heldTexts_.Confirm(kinds[k], item->FindData(), shellTexts[k]);
    }
}

void TZemFileList::FillTexts() {
    // Samples are parsed by name; a column the shell keeps has every folder walked whole.
    folderDetails_.SetWholeFolders(false);
    fillingAll_ = true;
    try {
        ProveHeldTexts();
        bool shellEverywhere = false;
        for (int c = 2; c < columnCount_ && c < int(columnKinds_.size()); ++c) {
            const TZemColumnKind kind = columnKinds_[size_t(c)];
            if (kind != ckType && (!TZemHeldTexts::Makeable(kind) || heldTexts_.Refused(kind))) shellEverywhere = true;
        }
        folderDetails_.SetWholeFolders(shellEverywhere);
        TZemCustomFileList::FillTexts();
    } catch (...) {
        fillingAll_ = false;
        folderDetails_.SetWholeFolders(false);
        throw;
    }
    fillingAll_ = false;
    folderDetails_.SetWholeFolders(false);
}

void TZemFileList::UpdateItemCaption(TZemFileListItem* Item) {
    Item->EnsureIDList();
    if (!Item->AbsoluteIDList()) {
        if (Details()) {
            if (Item->HeldSubItems().Count() == 0) Item->HeldSubItems().Add(fw::ExtractFilePath(Item->FullPath()));
            Item->SetCaption(fw::ExtractFileName(Item->FullPath()));
        } else {
            Item->SetCaption(Item->FullPath());
        }
        return;
    }
    FillItemDetails(Item);
}

void TZemFileList::UpdateItem(fw::TListItem* Row) {
    auto* item = static_cast<TZemFileListItem*>(Row);
    TZemCustomFileList::UpdateItem(item);
    if (Thumbnails()) {
        // A framed placeholder with the row's icon until the picture comes; the
        // work item is told the image it fills, not the row's place.
        const int image = PlaceThumbnail(item, QuickIconIndex(item));
        if (image >= 0 && GlobalWorkerPool) {
            item->EnsureIDList();
            if (item->AbsoluteIDList()) {
                item->NoteQueuedWork();
                GlobalWorkerPool->AddWorkItem(
                    std::make_shared<TThumbnailWorkItem>(item->AbsoluteIDList(), ThumbnailWidth(), ThumbnailHeight(),
                                                         false, image, this, item, ThumbnailTag()));
            }
        }
    }
    if (ShellLink() && Checkboxes()) {
        bool inherited = false;
        item->SetCheckState(ShellLink()->SelectionList()->GetState(item->FullPath(), inherited));
    }
    if (!item->PendingExistsCheck() && !item->TextsFilled()) FillItemDetails(item);
}

void TZemFileList::RefreshItems() {
    // The folders' item-ID lists hold what the shell told at the first fill.
    folderDetails_.Clear();
    TZemCustomFileList::RefreshItems();
}

void TZemFileList::ShellNotification(TNotificationEvent Event, const std::wstring& Path1, const std::wstring& Path2) {
    // What the shell told of the folders' objects may be out of date now.
    folderDetails_.Clear();
    TZemCustomFileList::ShellNotification(Event, Path1, Path2);
    if ((Event == neFileDelete || Event == neFolderDelete) && Thumbnails()) Sort();
    // Only what lies where the listing looks may become a row.
    if ((Event == neFileCreate || Event == neFolderCreate) && !noSearchYet_ && InListing(Path1))
        AddPathIfMatching(Path1);
    if (Event == neFolderUpdate && !noSearchYet_ && !Path1.empty() && InListing(Path1)) SearchChangedFolder(Path1);
    if (TZemFileListItem* item = FindItemByPath(Path1)) {
        item->ResetThumbnail();
        if (Thumbnails()) UpdateItem(item);
    }
}

void TZemFileList::AddPathIfMatching(const std::wstring& Path) {
    if (FindItemByPath(Path)) return;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileLong(Path, data);
    if (find == INVALID_HANDLE_VALUE) return;
    FindClose(find);
    if (searchOptions_->Matches(data, fw::ExtractFilePath(Path))) AddItem(Path, false);
}

void TZemFileList::SearchChangedFolder(const std::wstring& Folder) {
    if (GetTickCount() - searchStartTick_ < 5000 && SamePath(Folder, lastSearchFolder_)) return;
    const bool recursive = searchOptions_->RecursiveSearch();
    searchOptions_->SetRecursiveSearch(false);
    auto* thread = new TZemFileSearchThread(searchOptions_.get(), this, Folder, true);
    searchOptions_->SetRecursiveSearch(recursive);
    searchPool_->AddThread(thread);
}

}  // namespace shell
