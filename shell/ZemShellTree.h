#pragma once
// TZemShellTree: a tree view of the shell namespace. One root node (the desktop,
// a special folder or a file-system folder); below it folders (and, with
// ShowFiles, files) enumerated when a node is first expanded. The selected
// folder is read and set by path (SelectedFolder) or special folder; every
// selection change is remembered in a back/forward history before OnChange.
// A control: new TZemShellTree(owner), placed with SetParent; the root is built
// when the window is made. The tree owns its folder browser, image list, history
// and change notifier; nodes own their item-ID lists. Icons come from the shared
// worker pool; a node's pending icon work is cancelled when the node goes.
// Changes in the namespace arrive through the folder watch (AutomaticRefresh).
// Shell verbs run from keys and ExecuteVerb; labels rename their objects; the
// tree is an OLE drag source and drop target (OleDragDrop); with a shell link it
// may show tri-state check boxes from the link's selection list (CheckBoxes).
// ZemShellTreeCommands.cpp holds the verbs, keys, mouse and renaming;
// ZemShellTreeDragDrop.cpp drag and drop; ZemShellTreeChecks.cpp the check boxes;
// ZemShellTreeLongPaths.cpp the folders whose paths are too long for the shell;
// ZemShellTreeRefresh.cpp the refresh and the change notices.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "framework/DragDrop.h"
#include "framework/Handles.h"
#include "framework/TreeView.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemCopyMode.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemShellOperations.h"
#include "shell/ZemWorkItems.h"

namespace fw {
class TStringList;
}  // namespace fw

namespace shell {

class TPathfinch;
class TPidlHistory;
class TZemSystemImageList;
class IZemFolderWatch;
class TZemShellChangeNotifier;
class TZemShellTree;
class TZemSelectionStateImageList;

class TZemShellTreeNode : public fw::TTreeNode {
public:
    // Flag bits.
    static constexpr uint8_t FolderBit = 1 << 1, CompressedBit = 1 << 2, EncryptedBit = 1 << 3,
                             AddedByNoticeBit = 1 << 5, TextByHandlerBit = 1 << 6;

    explicit TZemShellTreeNode(fw::TTreeNodes* AOwner) : fw::TTreeNode(AOwner) {}
    ~TZemShellTreeNode() override;

    IShellFolder* ParentFolder() const { return parentFolder_.get(); }
    LPCITEMIDLIST RelativeIDList() const { return relative_; }
    LPCITEMIDLIST AbsoluteIDList() const { return absolute_; }
    uint32_t Found() const { return found_; }
    void SetFound(uint32_t Value) { found_ = Value; }
    uint8_t Flags() const { return flags_; }
    bool HasFlag(uint8_t Bit) const { return (flags_ & Bit) != 0; }
    void SetFlag(uint8_t Bit, bool On) { flags_ = On ? uint8_t(flags_ | Bit) : uint8_t(flags_ & ~Bit); }
    // A folder node: its folder bit, or level 0.
    bool IsFolderNode() const { return HasFlag(FolderBit) || Level() == 0; }

    // The path of a node beyond the shell's reach, which has no item-ID lists (the
    // shell takes no path that long); empty for the shell's objects.
    const std::wstring& LongPath() const { return longPath_; }
    bool HasShellObject() const { return absolute_ != nullptr; }

    // Copies the lists (the shared desktop list is referred to, never copied or freed).
    void SetIDLists(LPCITEMIDLIST Relative, LPCITEMIDLIST Absolute);
    void SetParentFolder(IShellFolder* Folder) { parentFolder_ = fw::ComPtr<IShellFolder>(Folder); }

protected:
    std::wstring ClassName() const override { return L"TZemShellTreeNode"; }

private:
    friend class TZemShellTree;
    void FreeLists();

    fw::ComPtr<IShellFolder> parentFolder_;
    LPITEMIDLIST relative_ = nullptr;
    LPITEMIDLIST absolute_ = nullptr;
    std::wstring longPath_;
    // Its children are listed by the long-path find (one was past the shell's limit).
    bool longFind_ = false;
    uint32_t found_ = 0;
    uint8_t flags_ = 0;
    // Updated fully once when first drawn without an image.
    bool drawnUpdate_ = false;
    // The image it had before it was left to be updated when drawn; -1 for none.
    int staleImage_ = -1;
    // Work was queued for the node: it is cancelled when the node goes.
    bool queuedWork_ = false;
};

class TZemShellTreeNodes : public fw::TTreeNodes {
public:
    using fw::TTreeNodes::TTreeNodes;

protected:
    std::wstring ClassName() const override { return L"TZemShellTreeNodes"; }
};

using TOnAddNode = std::function<void(TZemShellTreeNode* Node, const std::wstring& Path, bool& CanAdd)>;
using TOnUpdatedFolder = std::function<void(fw::TObject* Sender, TZemShellTreeNode* Node)>;
// The node factory a handler may replace; its nodes must be TZemShellTreeNode.
using TZemNodeFactory = std::function<fw::TTreeNode*(fw::TTreeNodes* Owner)>;
using TOnCreateNodeClass = std::function<void(fw::TObject* Sender, TZemNodeFactory& NodeClass)>;
// Index: the node's position in full tree order.
using TOnCheckStateChanged =
    std::function<void(fw::TObject* Sender, int Index, const std::wstring& Path, TZemSelectionState State)>;
using TOnBeforeShellDrop = std::function<void(fw::TObject* Sender, TZemShellTreeNode* Node, fw::TStringList* Files,
                                              bool& ExecuteDrop, DWORD KeyState)>;
using TOnEditCanceled = std::function<void(fw::TObject* Sender, fw::TTreeNode* Node)>;

class TZemShellTree : public fw::TCustomTreeView, public IIconViewer, public ICheckBoxViewer, public IZemShellControl {
public:
    // The modes of LocateIDList.
    enum TLocateMode {
        lmSelect,
        lmUpdate,
        lmAdd,
        lmRemove
    };
    // The display options, one bit each.
    enum TOption : uint16_t {
        soShowNethood = 1 << 0,
        soShowRecycleBin = 1 << 1,
        soShowErrorMessages = 1 << 2,
        soShowHidden = 1 << 3,
        soShowFiles = 1 << 4,
        soShowContextMenuOnTop = 1 << 5,
        soColorCompressed = 1 << 6,
        soColorEncrypted = 1 << 7,
        soNoFillOnStartup = 1 << 8,
    };

    explicit TZemShellTree(fw::TComponent* AOwner);
    ~TZemShellTree() override;

    TZemShellFolder RootedAt() const { return rootedAt_; }
    void SetRootedAt(TZemShellFolder Value);
    const std::wstring& RootedAtFileSystemFolder() const { return rootedAtFileSystemFolder_; }
    // EPathfinchError when Path names no existing folder; the root stays.
    void SetRootedAtFileSystemFolder(const std::wstring& Path);
    std::wstring SelectedFolder();
    // Selects the folder of Path. False, with the previous selection kept (and a
    // message with ShowErrorMessages), when the path does not parse or its node
    // cannot be reached.
    bool SetSelectedFolder(const std::wstring& Path);
    TZemShellFolder SpecialFolder();
    bool SetSpecialFolder(TZemShellFolder Value);

    bool ShowNethood() const { return HasOption(soShowNethood); }
    void SetShowNethood(bool Value) { SetOption(soShowNethood, Value); }
    bool ShowRecycleBin() const { return HasOption(soShowRecycleBin); }
    void SetShowRecycleBin(bool Value) { SetOption(soShowRecycleBin, Value); }
    bool ShowErrorMessages() const { return HasOption(soShowErrorMessages); }
    void SetShowErrorMessages(bool Value) { SetOption(soShowErrorMessages, Value); }
    bool ShowHidden() const { return HasOption(soShowHidden); }
    void SetShowHidden(bool Value) { SetOption(soShowHidden, Value); }
    bool ShowFiles() const { return HasOption(soShowFiles); }
    void SetShowFiles(bool Value) { SetOption(soShowFiles, Value); }
    bool ShowContextMenuOnTop() const { return HasOption(soShowContextMenuOnTop); }
    void SetShowContextMenuOnTop(bool Value) { SetOption(soShowContextMenuOnTop, Value); }
    bool ColorCompressed() const { return HasOption(soColorCompressed); }
    void SetColorCompressed(bool Value) { SetOption(soColorCompressed, Value); }
    bool ColorEncrypted() const { return HasOption(soColorEncrypted); }
    void SetColorEncrypted(bool Value) { SetOption(soColorEncrypted, Value); }
    bool NoFillOnStartup() const { return HasOption(soNoFillOnStartup); }
    void SetNoFillOnStartup(bool Value) { SetOption(soNoFillOnStartup, Value); }
    uint16_t Options() const { return options_; }

    bool FileSystemOnly() const;
    void SetFileSystemOnly(bool Value);
    std::wstring Filter() const;
    void SetFilter(const std::wstring& Value);
    bool ExpandOnSelected() const { return expandOnSelected_; }
    void SetExpandOnSelected(bool Value) { expandOnSelected_ = Value; }
    bool AutomaticRefresh() const { return automaticRefresh_; }
    void SetAutomaticRefresh(bool Value);
    bool ShowOverlayIcons() const { return showOverlayIcons_; }
    void SetShowOverlayIcons(bool Value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool Value);
    bool UseSystemStyles() const { return useSystemStyles_; }
    void SetUseSystemStyles(bool Value);
    bool OleDragDrop() const { return oleDragDrop_; }
    // On registers the window as a drop target; when that fails it stays off.
    void SetOleDragDrop(bool Value);
    bool ShellContextMenu() const { return shellContextMenu_; }
    void SetShellContextMenu(bool Value) { shellContextMenu_ = Value; }
    bool CheckBoxes() const { return checkBoxes_; }
    // On needs a shell link (its selection list holds the states): without one it stays off.
    void SetCheckBoxes(bool Value);
    TZemCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TZemCopyMode Value) { copyMode_ = Value; }
    std::wstring Version() const { return ClassName() + L" V7.2.0.544"; }
    void SetVersion(const std::wstring&) {}

    TZemShellLink* ShellLink() const { return shellLink_; }
    TPathfinch* Browser() const { return browser_; }
    TPidlHistory* History() const { return history_.get(); }
    // The folder watch; replaceable (tests, another notifier). The tree owns it.
    IZemFolderWatch* FolderWatch() const { return watch_.get(); }
    void SetFolderWatch(std::unique_ptr<IZemFolderWatch> Value);

    bool SelectIDList(LPCITEMIDLIST IDList) { return LocateIDList(IDList, lmSelect); }
    bool LocateIDList(LPCITEMIDLIST IDList, TLocateMode Mode);
    std::wstring NodePath(fw::TTreeNode* Node);
    void ExpandNode(fw::TTreeNode* Node, bool Recursive);
    bool Navigate(int Delta);
    // Brings the nodes in line with the namespace again.
    void Refresh() override;
    void RefreshNode(TZemShellTreeNode* Node, bool Recursive, bool Full);
    void RefreshSelection();

    // What the folder watch reports (ShellEvent: the shell's SHCNE_* bit).
    void ShellChangeNotice(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2);

    // Runs a shell verb ("delete", "paste", "copy", "cut", "rename", "properties",
    // "default", ...) on the selected node's object; true when it succeeded (and
    // without a usable selected node).
    bool ExecuteVerb(const std::wstring& Verb);
    // Reports operations to OnOperation (Files non-empty), renaming entries of the
    // link's selection list first.
    void DoOperation(TZemShellOperations Operations, fw::TStringList* Files, const std::wstring& Destination);
    // The shell's context menu of the selected node at a screen point.
    void ShowShellMenu(POINT ScreenPoint);
    // Checks an unchecked or partly checked node, unchecks a checked one.
    void ToggleCheck(TZemShellTreeNode* Node);

    // The drop target's calls (Point in screen co-ordinates; Effect: in, what the
    // source allows; out, what a drop here does).
    virtual HRESULT DragEnter(IDataObject* Data, DWORD KeyState, POINT Point, DWORD& Effect);
    virtual HRESULT DragOver(DWORD KeyState, POINT Point, DWORD& Effect);
    virtual HRESULT DragLeave();
    virtual HRESULT Drop(IDataObject* Data, DWORD KeyState, POINT Point, DWORD& Effect);
    // The drag source's calls while a node is dragged.
    virtual HRESULT QueryContinueDrag(bool EscapePressed, DWORD KeyState);
    virtual HRESULT GiveFeedback(DWORD Effect);
    // The milliseconds clock of drag and drop (auto-scroll, hover-expand); replaceable.
    std::function<DWORD()> Clock;

    // IIconViewer
    void IconLoaded(int IconIndex, uint8_t Kind, void* Owner) override;
    // ICheckBoxViewer
    void CheckBoxStateLoaded(TCheckBoxWorkItem* Item) override;
    // IZemShellControl
    void SetShellLink(TZemShellLink* Link) override;
    TZemShellLink* GetShellLink() override { return shellLink_; }
    void FolderSelected(LPCITEMIDLIST IDList) override;
    void ObjectSelected(LPCITEMIDLIST IDList, LPCITEMIDLIST Data) override;
    void ObjectsChanged() override {}
    void SelectionChanged() override { RefreshSelection(); }
    bool SelectFirst() override;

    TOnAddNode OnAddFolder;
    TOnUpdatedFolder OnUpdatedFolder;
    TOnCreateNodeClass OnCreateNodeClass;
    TOnOperation OnOperation;
    TOnCheckStateChanged OnCheckStateChanged;
    TOnBeforeShellDrop OnBeforeShellDrop;
    TOnEditCanceled OnEditCanceled;
    fw::TNotifyEvent OnMouseEnter;
    fw::TNotifyEvent OnMouseLeave;

    void WndProc(fw::TMessage& Message) override;

protected:
    fw::TTreeNode* CreateNode() override;
    std::unique_ptr<fw::TTreeNodes> CreateNodes() override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    bool CanExpand(fw::TTreeNode* Node) override;
    void Expand(fw::TTreeNode* Node) override;
    bool CanChange(fw::TTreeNode* Node) override;
    void Change(fw::TTreeNode* Node) override;
    void GetImageIndex(fw::TTreeNode* Node) override;
    bool IsCustomDrawn() const override { return (options_ & (soColorCompressed | soColorEncrypted)) != 0; }
    bool CustomDrawItem(fw::TTreeNode* Node, NMTVCUSTOMDRAW& Draw) override;
    void KeyDown(WORD& Key, fw::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    bool CanEdit(fw::TTreeNode* Node) override;
    void Edit(fw::TTreeNode* Node, std::wstring& S) override;
    void EditCanceled(fw::TTreeNode* Node) override;
    void BeginItemDrag(fw::TTreeNode* Node, fw::TMouseButton Button) override;
    void Delete(fw::TTreeNode* Node) override;
    std::wstring ClassName() const override { return L"TZemShellTree"; }

    bool HasOption(TOption Bit) const { return (options_ & Bit) != 0; }
    void SetOption(TOption Bit, bool On);
    // Whether the browser's current object passes the display options.
    bool ObjectPassesFilter();
    // Adds the browser's current object below Parent; nullptr when refused.
    TZemShellTreeNode* AddChildNode(TZemShellTreeNode* Parent, bool AddedByNotice);
    void UpdateNode(TZemShellTreeNode* Node, bool Full);
    void FillNode(TZemShellTreeNode* Node);
    // Leaves a closed node below the top to be updated fully when it is drawn,
    // unless it is Shown; false when it is (nothing done).
    bool UpdateWhenDrawn(TZemShellTreeNode* Node, bool Shown);
    // The items of the rows the window shows now; whether a node's row is one.
    std::unordered_set<HTREEITEM> ItemsInSight();
    bool InSight(fw::TTreeNode* Node);
    // Whether the browser's current object, or an object of these attributes, shows
    // sub-folders (of the file system only, with FileSystemOnly).
    bool ObjectHasSubFolders();
    bool HasSubFolders(SFGAOF Attributes) const;
    // Beyond the shell's reach (ZemShellTreeLongPaths.cpp).
    struct TLongEntry {
        std::wstring Name;
        DWORD Attributes;
    };
    // Whether a name in Folder makes a path the shell cannot take.
    static bool TooLongForShell(const std::wstring& Folder, std::size_t NameLength);
    // Whether the shell reads a name as another (it drops a trailing dot or blank).
    static bool ShellRewritesName(const std::wstring& Name);
    // Whether a path has a part the shell cannot take as it stands.
    static bool BeyondTheShell(const std::wstring& Path);
    // Whether Node's children are listed by the long-path find.
    bool ListsByLongFind(TZemShellTreeNode* Node);
    // The entries of Folder that pass the display options.
    std::vector<TLongEntry> LongFindEntries(const std::wstring& Folder);
    TZemShellTreeNode* AddLongPathNode(TZemShellTreeNode* Parent, const TLongEntry& Entry);
    // The name of a node's object in its folder, as the file system has it.
    static std::wstring ObjectNameOf(TZemShellTreeNode* Node);
    void FillByLongFind(TZemShellTreeNode* Node);
    // The root of a tree rooted at a folder the shell would take for another, or not at all.
    void BuildLongRoot(TZemShellTreeNode* Root);
    void RefreshByLongFind(TZemShellTreeNode* Node, bool Recursive, bool Full);
    void UpdateLongPathNode(TZemShellTreeNode* Node);
    // Selects a folder whose path the shell cannot take, by name below the deepest
    // folder it can; false when it cannot be reached.
    bool SelectPathByName(const std::wstring& Path);
    static bool IsRecycleName(const std::wstring& Name);
    void SortChildren(fw::TTreeNode* Parent);
    void NotifyShellLink(TZemShellTreeNode* Node);
    static bool Usable(fw::TTreeNode* Node);
    // The check state of a node from the selection list: the root's at once, the
    // others through a work item. Partial skips nodes shown disabled or partly checked.
    void UpdateCheckState(TZemShellTreeNode* Node, bool Partial);
    // The shell's drop target of a node's object; nullptr when it takes no drops.
    virtual fw::ComPtr<IDropTarget> ObjectDropTarget(TZemShellTreeNode* Node);
    // Runs a shell verb on the browser's current object; true when it succeeded.
    virtual bool RunShellVerb(const std::wstring& Verb);

private:
    // Commands.
    void SetRenameCallback();
    bool HandleCommandKey(WORD Key, fw::TShiftState Shift);
    void RenameNode(TZemShellTreeNode* Node, const std::wstring& NewName, const std::wstring& OldText);
    void ReplayNotices();
    POINT SelectedMenuPoint();
    bool HandleContextMenu(fw::TMessage& Message);
    void ReportPaste(fw::TStringList* Files);
    void VerbDone(const std::wstring& Verb, HTREEITEM Item, fw::TStringList* Files);
    // Drag and drop.
    void RegisterDropTarget();
    DWORD CopyModeEffects() const;
    void SetDropNode(TZemShellTreeNode* Node, DWORD KeyState, POINT Point, DWORD& Effect);
    void AutoScroll(POINT ClientPoint);
    void EndDrop(bool TellTarget);
    DWORD Now() const;
    // Check boxes.
    TZemSelectionState RootCheckState(TZemShellTreeNode* Root);
    bool SelectionHasDriveEntry() const;
    void QueueCheckState(TZemShellTreeNode* Node);
    void RefreshChecksUp(TZemShellTreeNode* Node);
    void RefreshChecksDown(TZemShellTreeNode* Node);
    bool ClickOnStateImage(fw::TMessage& Message);
    // Notices that arrive while the tree changes a node itself wait for it.
    struct PendingNotice {
        LONG Event;
        fw::PidlPtr List1, List2;
    };

    void BuildRoot(TZemShellTreeNode* Root);
    void ApplyWatchFilter();
    bool LocateInRoot(TZemShellTreeNode* Root, LPCITEMIDLIST IDList, TLocateMode Mode, TZemShellTreeNode*& Deepest);
    bool LocateInNetwork(TZemShellTreeNode* Deepest, LPCITEMIDLIST IDList, TLocateMode Mode);
    void FinishLocate(TZemShellTreeNode* Node, TLocateMode Mode);
    void ReportError(const std::wstring& Text);
    void QueueIcon(TZemShellTreeNode* Node, uint8_t Kind);
    // The path of the browser's current object.
    std::wstring BrowserObjectPath();

    TPathfinch* browser_ = nullptr;
    TZemSystemImageList* images_ = nullptr;
    std::unique_ptr<TPidlHistory> history_;
    // The change notifier (owned) and the watch over it.
    TZemShellChangeNotifier* notifier_ = nullptr;
    std::unique_ptr<IZemFolderWatch> watch_;
    TZemShellLink* shellLink_ = nullptr;
    TZemShellFolder rootedAt_ = SF_DESKTOP;
    std::wstring rootedAtFileSystemFolder_;
    uint16_t options_ = soShowNethood | soShowRecycleBin;
    bool expandOnSelected_ = false;
    bool automaticRefresh_ = true;
    bool showOverlayIcons_ = true;
    bool useSystemFont_ = true;
    bool useSystemStyles_ = true;
    bool oleDragDrop_ = true;
    bool shellContextMenu_ = true;
    bool checkBoxes_ = false;
    TZemCopyMode copyMode_ = cmDefault;
    bool windowCreatedOnce_ = false;
    bool mayFillOnExpand_ = true;
    bool navigating_ = false;
    // What CreateNode gives the node it makes: children until known.
    bool newNodeIsFolder_ = false;
    bool destroying_ = false;
    bool deferNotices_ = false;
    // An object the shell enumerated had a path too long for it.
    bool tooLongSeen_ = false;
    std::vector<PendingNotice> pendingNotices_;
    // Drag and drop.
    fw::ComPtr<fw::TDropTarget> dropTarget_;
    fw::TDropTargetRegistration dropRegistration_;
    TZemShellTreeNode* dragNode_ = nullptr;
    DWORD dragButton_ = 0;
    TZemShellTreeNode* dropNode_ = nullptr;
    fw::ComPtr<IDropTarget> objectTarget_;
    fw::ComPtr<IDataObject> dragData_;
    // The effects the dragged files themselves allow (no move of a link the system
    // would follow, nothing for a path the shell would read as another's).
    DWORD dragFilesAllow_ = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DWORD lastKeyState_ = 0;
    DWORD lastEffect_ = 0;
    DWORD lastScrollTick_ = 0;
    DWORD dropNodeTick_ = 0;
    // The state images the tree made itself (owned through the component tree).
    TZemSelectionStateImageList* ownStateImages_ = nullptr;
    // Stored while loading.
    std::wstring storedSelectedFolder_;
    TZemShellFolder storedSpecialFolder_ = SF_DRIVES;
};

}  // namespace shell
