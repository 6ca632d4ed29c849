#pragma once
// The file list: a report-style list view whose rows are file-system paths.
// TZemCustomFileList adds rows one path at a time (events may refuse a row),
// checks in the background that an added path exists, fills the rows' texts from
// the shell's detail columns, sorts by any column and follows the shell's change
// notices. TZemFileList adds the background search (its own thread pool), the
// column layout taken from the shell (name, "In Folder", then the shell's default
// detail columns) and the search's hand-over.
// Speed: the window holds no rows of its own (owner data). A search hands its
// hits over in batches, and the window learns the row count once per batch. A
// row's texts are filled the first time they are read (shown, sorted on, read by
// the owner), from one bound parent folder per folder; sizes and dates sort on
// the values the folder listing gave. When every row is filled at once, files'
// sizes, dates and attributes are made from those values wherever the shell
// confirmed such texts on samples (TZemHeldTexts).
// A control: new with an owner, placed with SetParent. It owns its rows, columns,
// browser, notifier and search pool; destroying it stops its searches first.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/CustomGrid.h"
#include "shell/Pathfinch.h"
#include "shell/ThreadPool.h"
#include "shell/ZemBaseShellListView.h"
#include "shell/ZemFileListItem.h"
#include "shell/ZemFileSearchThread.h"
#include "shell/ZemFolderDetails.h"
#include "shell/ZemHeldTexts.h"
#include "shell/ZemSearchOptions.h"
#include "shell/ZemShellChangeNotifier.h"
#include "shell/ZemCopyMode.h"
#include "shell/ZemShellOperations.h"
#include "framework/DragDrop.h"

namespace fw {
class TStringList;
}

namespace shell {

class TMenuFromListColumns;

using TOnAddItem = std::function<void(TZemFileListItem* Item, bool& CanAdd)>;
using TOnAddPath = std::function<void(const std::wstring& Path, bool& CanAdd)>;
using TOnSearchProgress = std::function<void(const std::wstring& Path)>;
using TOnEndSearch = std::function<void()>;
// Raised before dropped files become rows; ExecuteDrop false keeps them out.
using TOnBeforeShellDropEvent = std::function<void(fw::TObject* Sender, fw::TObject* DropTarget,
                                                   fw::TStringList* DroppedFiles, bool& ExecuteDrop, int KeyState)>;

class TZemCustomFileList : public TZemBaseShellListView, public IPathExistsViewer {
public:
    explicit TZemCustomFileList(fw::TComponent* AOwner);
    ~TZemCustomFileList() override;

    TZemFileListItems* Items() const { return static_cast<TZemFileListItems*>(fw::TCustomListView::Items()); }
    TZemFileListItem* Selected() const { return static_cast<TZemFileListItem*>(fw::TCustomListView::Selected()); }

    // Adds a row for Path; nullptr when Path is empty or an event refused it.
    virtual TZemFileListItem* AddItem(const std::wstring& Path);
    // Adds every non-empty line as a row ("-" in front: never checked).
    void AddPaths(const fw::TStrings* Paths, bool CheckThem);
    void Clear() override;
    void SelectAll() override;
    // The first row whose path equals Path (trailing delimiter and case aside).
    TZemFileListItem* FindItemByPath(const std::wstring& Path) const;

    void UpdateItem(fw::TListItem* Item) override;
    virtual void CreateColumns() = 0;
    // Fills the texts of every row not filled yet, as reading every row would
    // (for an output of the whole list), only faster.
    virtual void FillTexts();
    virtual void UpdateItemCaption(TZemFileListItem* Item) = 0;
    virtual void FillItemDetails(TZemFileListItem* Item) = 0;
    void RefreshImages() override;
    void RefreshItems() override;

    // Sorting: by one column, ascending or descending.
    void SortColumn(int Column);
    int CurrentSortColumn() const { return sortColumn_; }
    bool Descending() const { return descending_; }
    virtual void Sort();
    void UpdateSortArrows();
    // Negative when Item1 sorts first, for the current column and direction.
    int CompareItems(TZemFileListItem* Item1, TZemFileListItem* Item2);

    // The list's reaction to a change notice.
    virtual void ShellNotification(TNotificationEvent Event, const std::wstring& Path1, const std::wstring& Path2);
    TZemShellChangeNotifier* Notifier() const { return notifier_; }

    bool Details() const { return details_; }
    void SetDetails(bool Value);
    bool CheckIfExists() const { return checkIfExists_; }
    void SetCheckIfExists(bool Value) { checkIfExists_ = Value; }
    bool AllowDuplicates() const { return allowDuplicates_; }
    void SetAllowDuplicates(bool Value) { allowDuplicates_ = Value; }
    bool ShowOverlayIcons() const { return showOverlayIcons_; }
    void SetShowOverlayIcons(bool Value);
    bool AutomaticRefresh() const { return automaticRefresh_; }
    void SetAutomaticRefresh(bool Value);
    // Which scroll bars the window may show.
    fw::TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(fw::TScrollStyle Value);
    bool ShellContextMenu = true;
    // Rows dragged out as shell objects and files dropped in as rows.
    bool OleDragDrop() const { return oleDragDrop_; }
    void SetOleDragDrop(bool Value);
    // The list's drop target (made when the window registers for drops).
    fw::TDropTarget* DropTarget() const { return dropTarget_.get(); }
    TZemCopyMode CopyMode = cmDefault;
    int ColumnCount() const { return columnCount_; }
    int FolderColumn() const { return folderColumn_; }
    bool NoSearchYet() const { return noSearchYet_; }

    TOnAddItem OnAddItem;
    TOnAddPath OnAddPath;
    fw::TNotifyEvent OnCreateColumns;

    // Existence checks report here (main thread).
    void PathExistsResult(TPathExistsWorkItem* Item) override;

    // Shell verbs, menus and keys (ZemFileListCommands.cpp). ExecuteVerb runs
    // Verb on the selected rows' objects without a menu; false without a selection.
    bool ExecuteVerb(const std::wstring& Verb);
    // The shell's menu for the selected rows at ScreenPos, with PopupMenu merged;
    // Verb: the verb chosen ("" for none or an item of PopupMenu).
    void ShowItemContextMenu(POINT ScreenPos, std::wstring& Verb);
    // Brings the rows in line with an operation (a deletion drops the rows of
    // the objects that are gone), reports it and has the linked controls refresh.
    void DoOperation(TZemShellOperations Operation, fw::TStringList* Files, const std::wstring& Destination);
    // The paths of the selected rows, in list order.
    std::unique_ptr<fw::TStringList> SelectedPaths() const;
    // The column chooser the header's context menu shows (made on first use).
    TMenuFromListColumns* ColumnMenu();
    TPathfinch* Browser() const { return browser_; }
    // Raised by the browser before it runs a verb.
    const TOnBeforeShellCommand& OnBeforeShellCommand() const { return browser_->OnBeforeShellCommand; }
    void SetOnBeforeShellCommand(TOnBeforeShellCommand Value) { browser_->OnBeforeShellCommand = std::move(Value); }
    TOnOperation OnOperation;
    TOnBeforeShellDropEvent OnBeforeShellDrop;
    // The mouse entered or left the list.
    fw::TNotifyEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseLeave;

    void WndProc(fw::TMessage& Message) override;

protected:
    void KeyDown(WORD& Key, fw::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    bool CanEdit(fw::TListItem* Item) override;
    void Edit(fw::TListItem* Item, const std::wstring* Text) override;
    void CreateWnd() override;
    // The drop target is revoked with the window (CreateWnd registers it on the
    // next one) and the list's own pending work is cancelled; the rows stay.
    void DestroyWnd() override;
    fw::TListItem* CreateListItem() override;
    void ColClick(fw::TListColumn* Column) override;
    bool IsItemUpdated(fw::TListItem* Item) override;
    // Rows are always drawn through the row stage of custom drawing.
    bool IsCustomDrawn(fw::TCustomDrawTarget Target, fw::TCustomDrawStage Stage) override;
    // Adds a row with what a folder listing said of it (no existence check is
    // needed: the listing has just found it); its name begins at NameStart.
    TZemFileListItem* AddFoundItem(const std::wstring& Path, const TZemFindData* Found, size_t NameStart = 0);
    // Deletes every row below Folder whose path no longer exists.
    void RemoveMissing(const std::wstring& Folder);
    // The rows below a folder renamed from OldPath to NewPath (and the searched
    // folders there) stand for the objects in its new place.
    void FollowRenamedFolder(const std::wstring& OldPath, const std::wstring& NewPath);
    void SetColumnArrow(int Index, bool IsDescending);
    // Whether a notice's path lies where the listing looks: inside a searched
    // folder (below it only for a recursive search).
    bool InListing(const std::wstring& Path) const;
    // A path without its trailing delimiter; a drive root keeps its own.
    static std::wstring WithoutDelimiter(const std::wstring& Path);
    // The small icon a row shows at once: by attributes and extension.
    int QuickIconIndex(TZemFileListItem* Item);
    // The hint of the row under the mouse: the control's hint and the shell's info tip.
    void HintShow(fw::THintInfo& Info, LRESULT& Result);
    std::wstring ClassName() const override { return L"TZemCustomFileList"; }

    TPathfinch* browser_;
    TZemShellChangeNotifier* notifier_;
    int columnCount_ = 0;
    int folderColumn_ = 1;
    // For each list column, the shell column it shows (-1: none) and its kind.
    std::vector<int> shellColumns_;
    std::vector<TZemColumnKind> columnKinds_;
    bool noSearchYet_ = true;
    struct TSearchedFolder {
        std::wstring Path;
        bool Recursive;
    };
    std::vector<TSearchedFolder> searchedFolders_;

private:
    bool PointBrowserAtSelection(const fw::TStringList& Paths);
    // Runs a verb from a key and brings the rows in line with it.
    bool RunVerb(const std::wstring& Verb);
    void VerbDone(const std::wstring& Verb, const fw::TStringList& Paths, const fw::TStringList* Clipboard);
    void ContextMenuRequest(fw::TMessage& Message);
    // Drag and drop (ZemFileListDragDrop.cpp).
    void RegisterDropTarget();
    void StartDrag(fw::TMouseButton Button);
    HRESULT ListDragOver(DWORD KeyState, POINT Point, DWORD& Effect);
    HRESULT ListDrop(IDataObject* Data, DWORD& Effect);
    // Sorting (ZemFileListSort.cpp). A sort on any column but "In Folder" and the
    // list's own columns compares the shell column's values; a column before
    // "In Folder" compares as the name column.
    bool SortsByShellColumn() const { return sortColumn_ != folderColumn_ && sortColumn_ < columnCount_; }
    int SortShellColumn() const { return sortColumn_ > folderColumn_ ? sortColumn_ : 0; }
    TZemColumnKind SortShellKind() const;
    int CompareByShell(TZemFileListItem* Item1, TZemFileListItem* Item2);
    int CompareTexts(TZemFileListItem* Item1, TZemFileListItem* Item2, int Data);
    // Fills the texts of every row a sort by the current column reads.
    void FillForSort();
    // The sort by name through keys made once per row; false when the current
    // column sorts otherwise.
    bool SortByNameKeys();

    bool details_ = true;
    bool checkIfExists_ = true;
    bool allowDuplicates_ = true;
    bool showOverlayIcons_ = false;
    bool automaticRefresh_ = true;
    fw::TScrollStyle scrollBars_ = fw::ssBoth;
    int sortColumn_ = -1;
    bool descending_ = false;
    int sortSign_ = 1;
    std::unordered_map<std::wstring, int> quickIcons_;  // by upper-case extension
    // The header's sort arrows where themes are off (made on first use).
    std::unique_ptr<fw::TBitmap> arrowUp_;
    std::unique_ptr<fw::TBitmap> arrowDown_;
    TMenuFromListColumns* columnMenu_ = nullptr;
    bool renaming_ = false;
    bool oleDragDrop_ = true;
    fw::ComPtr<fw::TDropTarget> dropTarget_;
    fw::TDropTargetRegistration dropRegistration_;
    // A drop in progress: its data, whether it carries files, the key state and row of the last drag-over.
    fw::ComPtr<IDataObject> dropDataObject_;
    bool dropHasFiles_ = false;
    DWORD dropKeyState_ = 0;
    int dropTargetIndex_ = -1;
    // The button of an outgoing drag (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON); 0 when none.
    int dragKeyState_ = 0;
};

class TZemFileList : public TZemCustomFileList, public IZemSearchReceiver {
public:
    explicit TZemFileList(fw::TComponent* AOwner);
    ~TZemFileList() override;

    TZemSearchOptions* SearchOptions() const { return searchOptions_.get(); }
    // Takes Value as the list's options, which the next search copies; the ones
    // held before go (running searches keep their own copies). Nullptr changes nothing.
    void SetSearchOptions(std::unique_ptr<TZemSearchOptions> Value) {
        if (Value) searchOptions_ = std::move(Value);
    }
    void StartSearch(const std::wstring& Path);
    void StopSearch();
    TZemFileSearchThread* CurrentSearchThread() const { return currentSearchThread_; }
    const std::wstring& LastSearchFolder() const { return lastSearchFolder_; }
    TThreadPool* SearchPool() const { return searchPool_.get(); }

    TZemFileListItem* AddItem(const std::wstring& Path) override { return AddItem(Path, false); }
    virtual TZemFileListItem* AddItem(const std::wstring& Path, bool Check);
    void SetViewStyle(fw::TViewStyle Value) override;
    // Also forgets the folders' details: a new listing reads them afresh.
    void Clear() override;
    void CreateColumns() override;
    void UpdateItemCaption(TZemFileListItem* Item) override;
    void FillItemDetails(TZemFileListItem* Item) override;
    // Every row at once: sizes, dates and attributes of files are made from what
    // the search held wherever the shell confirmed such texts on samples first.
    void FillTexts() override;
    TZemHeldTexts& HeldTexts() { return heldTexts_; }
    void UpdateItem(fw::TListItem* Item) override;
    // Rows of objects changed a moment ago show what the shell says of them now.
    void RefreshItems() override;
    void ShellNotification(TNotificationEvent Event, const std::wstring& Path1, const std::wstring& Path2) override;

    const TOnSearchProgress& OnSearchProgress() const { return onSearchProgress_; }
    void SetOnSearchProgress(TOnSearchProgress Value);
    TOnEndSearch OnEndSearch;

    // The search's side (IZemSearchReceiver).
    bool HasItemWithPath(const std::wstring& Path) override { return FindItemByPath(Path) != nullptr; }
    void AddSearchHit(const std::wstring& Path) override { AddItem(Path, false); }
    void AddSearchEntry(const TZemSearchHit& Hit) override;
    void BeginSearchHits() override { Items()->BeginUpdate(); }
    void EndSearchHits() override { Items()->EndUpdate(); }
    bool HasSearchProgress() const override { return progressBound_; }
    void SearchProgress(const std::wstring& Path) override;

protected:
    // A row's texts of the shell columns given (with their kinds), from the shell
    // or, while every row is filled, from held data; false when unreachable.
    bool DetailTexts(TZemFileListItem* Item, const std::vector<int>& Columns, const std::vector<TZemColumnKind>& Kinds,
                     int TypeColumn, bool File, std::vector<std::wstring>& Texts);
    // Compares held texts with the shell's on samples of the rows not filled yet.
    void ProveHeldTexts();
    void SearchThreadFinished(TZemThread* Thread);
    void AddPathIfMatching(const std::wstring& Path);
    void SearchChangedFolder(const std::wstring& Folder);
    std::wstring ClassName() const override { return L"TZemFileList"; }

private:
    std::unique_ptr<TZemSearchOptions> searchOptions_;
    std::wstring lastSearchFolder_;
    DWORD searchStartTick_ = 0;
    TZemFileSearchThread* currentSearchThread_ = nullptr;
    TOnSearchProgress onSearchProgress_;
    std::atomic<bool> progressBound_{false};
    TZemFolderDetails folderDetails_;
    TZemHeldTexts heldTexts_;
    bool fillingAll_ = false;  // FillTexts is running: held texts may be used
    // Last member: destroyed first, so no search outlives the list.
    std::unique_ptr<TThreadPool> searchPool_;
};

}  // namespace shell
