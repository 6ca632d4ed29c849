#include "shell/ZemShellTree.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/PidlHistory.h"
#include "shell/ShellEntryPoints.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemShellChangeNotifier.h"
#include "shell/ZemShellTreeChildIndex.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemSystemImageList.h"

namespace shell {

namespace {

// The shell events the tree follows, and those ShowFiles adds.
constexpr LONG kTreeEvents = SHCNE_DELETE | SHCNE_DRIVEADD | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADDGUI |
                             SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_RENAMEFOLDER |
                             SHCNE_UPDATEDIR | SHCNE_NETSHARE | SHCNE_NETUNSHARE;
constexpr LONG kFileEvents = SHCNE_CREATE | SHCNE_DELETE | SHCNE_RENAMEITEM;

const wchar_t kBadNodeClass[] =
    L"Internal Error: TZemShellTree.OnCreateNodeClass.ItemClass must inherit from TZemShellTreeNode.";

// A special folder's list with its item count, compared by count first: most
// objects have another depth, so the shell is rarely asked.
class SpecialTest {
public:
    explicit SpecialTest(TZemShellFolder Folder)
        : pidl_(GetSpecialFolderIDList(Folder)), count_(PidlCount(pidl_.get())) {}
    bool Matches(LPCITEMIDLIST Absolute) const {
        return pidl_ && PidlCount(Absolute) == count_ && PidlEqual(Absolute, pidl_.get());
    }

private:
    fw::PidlPtr pidl_;
    int count_;
};

}  // namespace

bool TZemShellTree::IsRecycleName(const std::wstring& Name) {
    const std::wstring upper = fw::UpperCase(Name);
    return upper.compare(0, 6, L"RECYCL") == 0 || upper.compare(0, 12, L"$RECYCLE.BIN") == 0;
}

namespace {

// The hourglass while the tree works; the previous cursor afterwards.
class BusyCursor {
public:
    explicit BusyCursor(bool On = true) : on_(On), previous_(fw::Screen()->Cursor()) {
        if (on_) fw::Screen()->SetCursor(fw::crHourGlass);
    }
    ~BusyCursor() {
        if (on_) fw::Screen()->SetCursor(previous_);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool on_;
    fw::TCursor previous_;
};

class UpdateGuard {
public:
    explicit UpdateGuard(fw::TTreeNodes* Nodes) : nodes_(Nodes) { nodes_->BeginUpdate(); }
    ~UpdateGuard() { nodes_->EndUpdate(); }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    fw::TTreeNodes* nodes_;
};

}  // namespace

// ---- TZemShellTreeNode -----------------------------------------------------------

TZemShellTreeNode::~TZemShellTreeNode() {
    if (queuedWork_ && GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(this, 0, nullptr);
    FreeLists();
}

void TZemShellTreeNode::FreeLists() {
    if (relative_ != DesktopPidl()) CoTaskMemFree(relative_);
    if (absolute_ != DesktopPidl()) CoTaskMemFree(absolute_);
    relative_ = absolute_ = nullptr;
}

void TZemShellTreeNode::SetIDLists(LPCITEMIDLIST Relative, LPCITEMIDLIST Absolute) {
    LPITEMIDLIST relative = Relative == DesktopPidl() ? const_cast<LPITEMIDLIST>(Relative) : PidlClone(Relative);
    LPITEMIDLIST absolute = Absolute == DesktopPidl() ? const_cast<LPITEMIDLIST>(Absolute) : PidlClone(Absolute);
    FreeLists();
    relative_ = relative;
    absolute_ = absolute;
}

// ---- Construction ------------------------------------------------------------------

TZemShellTree::TZemShellTree(fw::TComponent* AOwner)
    : fw::TCustomTreeView(AOwner), history_(std::make_unique<TPidlHistory>()) {
    browser_ = new TPathfinch(this);
    browser_->ShowErrorMessages = false;
    browser_->FileSystemOnly = false;
    images_ = new TZemSystemImageList(this);
    images_->SetBkColor(fw::clNone);
    SetImages(images_);
    SetChangeDelay(100);
    SetShowRoot(false);
    SetRightClickSelect(true);
    SetDoubleBuffered(true);
    SetHideSelection(false);
    SetDragMode(fw::dmAutomatic);
    width_ = 200;
    height_ = 300;
    if (useSystemFont_) SetIconTitleFont(Font());
    notifier_ = new TZemShellChangeNotifier(this);
    SetFolderWatch(std::make_unique<TZemNotifierFolderWatch>(notifier_));
}

TZemShellTree::~TZemShellTree() {
    destroying_ = true;
    if (dropTarget_) dropTarget_->Clear();
    dropRegistration_.Revoke();
    if (GlobalWorkerPool) GlobalWorkerPool->CancelWorkItems(nullptr, reinterpret_cast<intptr_t>(this), nullptr);
    if (shellLink_) shellLink_->RemoveControl(this);
    shellLink_ = nullptr;
    watch_.reset();
    delete notifier_;
    // The nodes go while the browser and the image list are still here.
    FreeNodes();
}

fw::TTreeNode* TZemShellTree::CreateNode() {
    TZemNodeFactory factory = [](fw::TTreeNodes* Owner) { return new TZemShellTreeNode(Owner); };
    if (OnCreateNodeClass) OnCreateNodeClass(this, factory);
    fw::TTreeNode* node = factory(Items());
    if (!dynamic_cast<TZemShellTreeNode*>(node)) {
        delete node;
        throw fw::EInvalidArgument(kBadNodeClass);
    }
    // Set before the window item is made, so the item is made once.
    node->SetHasChildren(newNodeIsFolder_);
    return node;
}

std::unique_ptr<fw::TTreeNodes> TZemShellTree::CreateNodes() {
    return std::make_unique<TZemShellTreeNodes>(this);
}

void TZemShellTree::SetFolderWatch(std::unique_ptr<IZemFolderWatch> Value) {
    watch_ = std::move(Value);
    if (!watch_) return;
    watch_->SetOnNotice([this](LONG Event, LPCITEMIDLIST A, LPCITEMIDLIST B) { ShellChangeNotice(Event, A, B); });
    ApplyWatchFilter();
    if (TZemShellTreeNode* root = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode()))
        watch_->SetWatchedIDList(root->AbsoluteIDList());
    watch_->SetWatchEnabled(automaticRefresh_);
}

void TZemShellTree::ApplyWatchFilter() {
    if (watch_) watch_->SetWatchedEvents(ShowFiles() ? (kTreeEvents | kFileEvents) : kTreeEvents);
}

void TZemShellTree::CreateWnd() {
    fw::TCustomTreeView::CreateWnd();
    if (oleDragDrop_ && !HasState(fw::csDesigning)) RegisterDropTarget();
    if (Items()->Count() < 2) SetRootedAt(rootedAt_);
    if (windowCreatedOnce_) {
        if (shellLink_) shellLink_->AddControl(this);
        if (TZemShellTreeNode* first = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode()))
            RefreshNode(first, true, false);
        return;
    }
    // From now on the tree's window owns what the browser shows.
    browser_->BeginLoading();
    browser_->EndLoading();
    windowCreatedOnce_ = true;
    if (!HasState(fw::csLoading) && useSystemStyles_) ApplyExplorerTreeStyle(this);
}

void TZemShellTree::DestroyWnd() {
    dropRegistration_.Revoke();
    fw::TCustomTreeView::DestroyWnd();
}

void TZemShellTree::Loaded() {
    fw::TCustomTreeView::Loaded();
    if (!NoFillOnStartup()) {
        if (storedSelectedFolder_.empty()) {
            if (storedSpecialFolder_ != SF_FILESYSTEMFOLDER) SetSpecialFolder(storedSpecialFolder_);
            else NotifyShellLink(static_cast<TZemShellTreeNode*>(Selected()));
        } else {
            SetSelectedFolder(storedSelectedFolder_);
        }
        if (fw::TTreeNode* first = Items()->GetFirstNode()) first->Expand(false);
    }
    auto* first = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode());
    if (first && checkBoxes_ && shellLink_) {
        if (rootedAt_ == SF_FILESYSTEMFOLDER) QueueCheckState(first);
        else first->SetStateIndex(ssDisabled);
    }
    if (useSystemFont_) SetIconTitleFont(Font());
    if (useSystemStyles_ && HandleAllocated()) ApplyExplorerTreeStyle(this);
}

// ---- Roots ---------------------------------------------------------------------------

void TZemShellTree::SetRootedAt(TZemShellFolder Value) {
    rootedAt_ = Value;
    // The root is built with the window; the old nodes, the folder path and the
    // history go now (a window made again would bring the old nodes back).
    if (!HandleAllocated()) {
        Items()->Clear();
        if (Value != SF_FILESYSTEMFOLDER) rootedAtFileSystemFolder_.clear();
        history_->Clear();
        return;
    }
    BusyCursor busy;
    UpdateGuard update(Items());
    Items()->Clear();
    auto* root = static_cast<TZemShellTreeNode*>(Items()->AddChild(nullptr, L""));
    root->SetFlag(TZemShellTreeNode::FolderBit, true);
    BuildRoot(root);
    if (watch_ && !(Value == SF_FILESYSTEMFOLDER && rootedAtFileSystemFolder_.empty()))
        watch_->SetWatchedIDList(root->AbsoluteIDList());
    if (!HasState(fw::csLoading)) {
        root->Expand(false);
        root->SetSelected(true);
    }
    if (Value != SF_FILESYSTEMFOLDER) rootedAtFileSystemFolder_.clear();
    history_->Clear();
}

void TZemShellTree::BuildRoot(TZemShellTreeNode* Root) {
    if (rootedAt_ == SF_DESKTOP) {
        Root->SetIDLists(DesktopPidl(), DesktopPidl());
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(DesktopPidl()), 0, &info, sizeof(info),
                       SHGFI_PIDL | SHGFI_DISPLAYNAME);
        Root->SetText(info.szDisplayName);
        Root->SetImageIndex(TZemSystemImageList::GetIconIndex(DesktopPidl(), si_small, false));
        Root->SetSelectedIndex(TZemSystemImageList::GetIconIndex(DesktopPidl(), si_small, true));
        Root->SetHasChildren(true);
        return;
    }
    if (rootedAt_ == SF_FILESYSTEMFOLDER && BeyondTheShell(rootedAtFileSystemFolder_)) {
        BuildLongRoot(Root);
        return;
    }
    fw::PidlPtr folder(rootedAt_ != SF_FILESYSTEMFOLDER ? GetSpecialFolderIDList(rootedAt_)
                                                        : PathToPidl(nullptr, rootedAtFileSystemFolder_));
    if (!folder) return;
    browser_->SetFolderIDList(folder.get());
    Root->SetIDLists(browser_->FolderPidl(), browser_->FolderPidl());
    browser_->SelectFolderAsObject();
    Root->SetParentFolder(browser_->ShellFolder());
    Root->SetImageIndex(TZemSystemImageList::GetIconIndex(Root->AbsoluteIDList(), si_small, false));
    Root->SetSelectedIndex(TZemSystemImageList::GetIconIndex(Root->AbsoluteIDList(), si_small, true));
    std::wstring name;
    browser_->GetDisplayName(false, name);
    Root->SetText(name);
    Root->SetHasChildren(browser_->HasSubFolders() || ShowFiles() || ShowHidden());
}

void TZemShellTree::SetRootedAtFileSystemFolder(const std::wstring& Path) {
    // The new root's selection is reported below, once: a delayed report the
    // re-rooting starts is dropped (one that was waiting before goes on).
    const bool timerWasRunning = ChangeTimerRunning();
    if (Path.empty()) {
        rootedAtFileSystemFolder_.clear();
        return;
    }
    bool isFolder = IsDriveRoot(Path);
    if (!isFolder) {
        std::wstring bare = Path;
        while (bare.size() > 1 && bare.back() == L'\\') bare.pop_back();
        // The folder of exactly that name (a plain search may find one named without
        // a trailing dot or blank).
        WIN32_FIND_DATAW data{};
        fw::FindHandle find(FindFirstFileLong(bare, data));
        isFolder = find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (!isFolder)
        throw EPathfinchError(L"TZemShellTree cannot be rooted at a file or non existing folder. Path: " + Path);
    rootedAtFileSystemFolder_ = Path;
    SetRootedAt(SF_FILESYSTEMFOLDER);
    if (!timerWasRunning) KillChangeTimer();
    if (fw::TTreeNode* first = Items()->GetFirstNode()) Change(first);
}

// ---- Filter, adding and updating nodes -------------------------------------------

bool TZemShellTree::ObjectPassesFilter() {
    static const SpecialTest nethood(SF_NETHOOD), network(SF_NETWORK), bitbucket(SF_BITBUCKET);
    const SFGAOF attributes = browser_->GetAttributes(SFGAO_HIDDEN | SFGAO_FOLDER | SFGAO_FILESYSANCESTOR);
    const bool hidden = (attributes & SFGAO_HIDDEN) != 0;
    if (!ShowHidden() && hidden) return false;
    if (!ShowNethood() || !ShowRecycleBin()) {
        LPCITEMIDLIST absolute = browser_->AbsoluteObjectIDList();
        if (!ShowNethood() && (nethood.Matches(absolute) || network.Matches(absolute))) return false;
        if (!ShowRecycleBin()) {
            if (bitbucket.Matches(absolute)) return false;
            if (hidden && IsRecycleName(browser_->ObjectName())) return false;
        }
    }
    if (!ShowFiles()) {
        const bool folder = browser_->FileSystemOnly ? (attributes & (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR)) ==
                                                           (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR)
                                                     : (attributes & SFGAO_FOLDER) != 0;
        if (!folder) return false;
    }
    return true;
}

TZemShellTreeNode* TZemShellTree::AddChildNode(TZemShellTreeNode* Parent, bool AddedByNotice) {
    if (!ObjectPassesFilter()) return nullptr;
    // The shell names an object past its limit by a cut-off path: its folder is
    // listed by the long-path find instead.
    const std::wstring folderPath = browser_->Folder();
    if (!folderPath.empty() &&
        TooLongForShell(folderPath, GetDisplayNameOf(browser_->ShellFolder(), browser_->ObjectPidl(),
                                                     SHGDN_INFOLDER | SHGDN_FORPARSING)
                                        .size())) {
        tooLongSeen_ = true;
        return nullptr;
    }
    std::wstring name;
    browser_->GetDisplayName(false, name);
    // A folder may have children until it is drawn (which looks) or opened (which fills it).
    const bool folder = !ShowFiles() || browser_->IsFolder();
    newNodeIsFolder_ = folder;
    auto* node = static_cast<TZemShellTreeNode*>(Items()->AddChild(Parent, name));
    newNodeIsFolder_ = false;
    node->SetFlag(TZemShellTreeNode::AddedByNoticeBit, AddedByNotice);
    node->SetFound(1);
    node->SetFlag(TZemShellTreeNode::FolderBit, folder);
    node->SetIDLists(browser_->ObjectPidl(), browser_->AbsoluteObjectIDList());
    node->SetParentFolder(browser_->ShellFolder());
    // A node out of sight is updated when it is drawn (as every node of a folder being filled).
    if (Parent->Expanded() && InSight(node)) UpdateNode(node, true);
    if (OnAddFolder) {
        bool canAdd = true;
        OnAddFolder(node, BrowserObjectPath(), canAdd);
        if (!canAdd) {
            node->Delete();
            return nullptr;
        }
        if (node->Text() != name) node->SetFlag(TZemShellTreeNode::TextByHandlerBit, true);
    }
    return node;
}

std::wstring TZemShellTree::BrowserObjectPath() {
    // The shell's path of a list is slow under some shells (milliseconds); inside a
    // file-system folder the folder's path and the object's parsing name say the same.
    const std::wstring folder = browser_->Folder();
    if (!folder.empty()) {
        const std::wstring name =
            GetDisplayNameOf(browser_->ShellFolder(), browser_->ObjectPidl(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (!name.empty() && name.find_first_of(L"\\:") == std::wstring::npos) return folder + name;
    }
    return PidlToPath(browser_->AbsoluteObjectIDList());
}

void TZemShellTree::QueueIcon(TZemShellTreeNode* Node, uint8_t Kind) {
    if (!GlobalWorkerPool || !Node->AbsoluteIDList()) return;
    Node->queuedWork_ = true;
    const intptr_t tag = Kind == 2 ? 0 : reinterpret_cast<intptr_t>(this);
    GlobalWorkerPool->AddWorkItem(std::make_shared<TIconWorkItem>(Node->AbsoluteIDList(), Kind, this, Node, tag));
}

void TZemShellTree::UpdateNode(TZemShellTreeNode* Node, bool Full) {
    if (!Node->LongPath().empty()) {
        UpdateLongPathNode(Node);
        return;
    }
    const bool folder = Node->IsFolderNode();
    if (Node->ImageIndex() < 0) {
        int provisional = Node->staleImage_;
        if (provisional < 0)
            provisional =
                folder ? TZemSystemImageList::GetFolderIconIndex(false)
                       : TZemSystemImageList::GetIconIndexOfType(fw::ExtractFileExt(NodePath(Node)), si_small, false);
        if (provisional >= 0) Node->SetImageIndex(provisional);
    }
    QueueIcon(Node, 0);
    SFGAOF attributes = 0;
    IShellFolder* parent = Node->ParentFolder();
    LPCITEMIDLIST relative = Node->RelativeIDList();
    if (parent && relative && PidlCount(relative) > 0) {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        attributes = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_GHOSTED | SFGAO_HIDDEN |
                     SFGAO_COMPRESSED | SFGAO_ENCRYPTED;
        if (FAILED(parent->GetAttributesOf(1, &relative, &attributes))) attributes = 0;
    } else {
        attributes = SFGAO_HASSUBFOLDER;  // the desktop
    }
    Node->SetHasChildren((ShowFiles() && folder) || HasSubFolders(attributes));
    if (Full) {
        if (parent && relative && Node->Level() > 0 && !Node->HasFlag(TZemShellTreeNode::TextByHandlerBit)) {
            const std::wstring name = GetDisplayNameOf(parent, relative, SHGDN_NORMAL);
            if (!name.empty() && name != Node->Text()) Node->SetText(name);
        }
        if (showOverlayIcons_) {
            QueueIcon(Node, 1);
            Node->SetCut((attributes & (SFGAO_GHOSTED | SFGAO_HIDDEN)) != 0);
            Node->SetFlag(TZemShellTreeNode::CompressedBit, (attributes & SFGAO_COMPRESSED) != 0);
            Node->SetFlag(TZemShellTreeNode::EncryptedBit, (attributes & SFGAO_ENCRYPTED) != 0);
        } else {
            Node->SetOverlayIndex(-1);
        }
    }
    if (checkBoxes_ && shellLink_) UpdateCheckState(Node, false);
    if (OnUpdatedFolder) OnUpdatedFolder(this, Node);
}

void TZemShellTree::GetImageIndex(fw::TTreeNode* Node) {
    // Once only: a node whose icon stays unknown is not updated on every paint.
    auto* node = static_cast<TZemShellTreeNode*>(Node);
    if (node->drawnUpdate_) return;
    node->drawnUpdate_ = true;
    UpdateNode(node, true);
    const RECT r = node->DisplayRect(false);
    if (HandleAllocated()) InvalidateRect(Handle(), &r, FALSE);
}

void TZemShellTree::IconLoaded(int IconIndex, uint8_t Kind, void* Owner) {
    if (!HandleAllocated() || IconIndex < 0 || destroying_) return;
    auto* node = static_cast<TZemShellTreeNode*>(Owner);
    switch (Kind) {
    case 0:
        // A node waiting for its update when drawn keeps the image for then.
        if (node->ImageIndex() < 0 && !node->drawnUpdate_) node->staleImage_ = IconIndex;
        else node->SetImageIndex(IconIndex);
        break;
    case 1: node->SetOverlayIndex(IconIndex); break;
    case 2: node->SetSelectedIndex(IconIndex); break;
    default: break;
    }
}

void TZemShellTree::SortChildren(fw::TTreeNode* Parent) {
    if (!Parent) return;
    Parent->CustomSort([](fw::TTreeNode* A, fw::TTreeNode* B) {
        auto* a = static_cast<TZemShellTreeNode*>(A);
        auto* b = static_cast<TZemShellTreeNode*>(B);
        // Nodes beyond the shell's reach: folders first, then by name.
        if (!a->RelativeIDList() || !b->RelativeIDList()) {
            if (a->IsFolderNode() != b->IsFolderNode()) return a->IsFolderNode() ? -1 : 1;
            return CompareTextLogical(a->Text(), b->Text());
        }
        bool ok = false;
        const int result = CompareRelativeIDs(a->ParentFolder(), a->RelativeIDList(), b->RelativeIDList(), ok);
        return ok ? result : 0;
    });
}

// ---- Filling ---------------------------------------------------------------------------

bool TZemShellTree::CanExpand(fw::TTreeNode* Node) {
    bool allow = fw::TCustomTreeView::CanExpand(Node);
    if (allow && HasState(fw::csDesigning)) allow = Node->Level() == 0 && !HasState(fw::csLoading);
    if (allow) FillNode(static_cast<TZemShellTreeNode*>(Node));
    return allow;
}

void TZemShellTree::Expand(fw::TTreeNode* Node) {
    FillNode(static_cast<TZemShellTreeNode*>(Node));
    fw::TCustomTreeView::Expand(Node);
}

void TZemShellTree::FillNode(TZemShellTreeNode* Node) {
    if (!Node || !mayFillOnExpand_ || Node->GetFirstChild() || !Node->IsFolderNode()) return;
    BusyCursor busy;
    UpdateGuard update(Items());
    try {
        Node->longFind_ = false;
        tooLongSeen_ = ListsByLongFind(Node);
        if (!tooLongSeen_) {
            browser_->SetFolderIDList(Node->AbsoluteIDList());
            while (!tooLongSeen_ && browser_->EnumNextObject()) AddChildNode(Node, false);
        }
    } catch (const EPathfinchError& e) {
        if (ShowErrorMessages()) ReportError(e.Message());
    }
    if (tooLongSeen_) {
        if (Node->GetFirstChild()) Node->DeleteChildren();
        Node->longFind_ = true;
        FillByLongFind(Node);
    }
    SortChildren(Node);
    Node->SetHasChildren(Node->GetFirstChild() != nullptr);
    if (Node->Level() > 0 && watch_) {
        const std::wstring path = NodePath(Node);
        if (IsUNCPath(path)) watch_->AddWatchedPath(path);
    }
}

void TZemShellTree::ExpandNode(fw::TTreeNode* Node, bool Recursive) {
    if (!Node) return;
    int count = -1;
    do {
        count = Items()->Count();
        Node->Expand(Recursive);
        fw::Application()->ProcessMessages();
    } while (Recursive && Items()->Count() != count);
}

// ---- Paths and lookup -------------------------------------------------------------------

bool TZemShellTree::Usable(fw::TTreeNode* Node) {
    if (!Node) return false;
    try {
        return Node->ItemId() != nullptr && Node->Level() >= 0;
    } catch (...) {
        return false;
    }
}

std::wstring TZemShellTree::NodePath(fw::TTreeNode* Node) {
    if (!Usable(Node)) return std::wstring();
    if (HasState(fw::csDesigning) && rootedAt_ == SF_DESKTOP && Node->Level() == 0) return std::wstring();
    auto* node = static_cast<TZemShellTreeNode*>(Node);
    if (!node->LongPath().empty()) return node->LongPath();
    return PidlToPath(node->AbsoluteIDList());
}

bool TZemShellTree::LocateInRoot(TZemShellTreeNode* Root, LPCITEMIDLIST IDList, TLocateMode Mode,
                                 TZemShellTreeNode*& Deepest) {
    // A root beyond the shell's reach holds no shell object.
    Deepest = Root->HasShellObject() ? Root : nullptr;
    if (!Deepest) return false;
    if (PidlEqual(IDList, Root->AbsoluteIDList())) return true;
    const int rootCount = PidlCount(Root->AbsoluteIDList());
    const int count = PidlCount(IDList);
    TZemShellTreeNode* node = Root;
    int level = 0;
    while (level + rootCount < count) {
        if (Mode == lmSelect) {
            node->SetHasChildren(true);
            node->Expand(false);
        } else if (!node->Expanded() && node->GetFirstChild()) {
            node->DeleteChildren();
        }
        fw::PidlPtr item(PidlItem(IDList, level + rootCount));
        TZemShellTreeNode* child = TZemShellTreeChildIndex(node).Find(item.get());
        if (!child) break;
        node = child;
        ++level;
    }
    Deepest = node;
    return level + rootCount == count && PidlEqual(IDList, node->AbsoluteIDList());
}

bool TZemShellTree::LocateInNetwork(TZemShellTreeNode* Deepest, LPCITEMIDLIST IDList, TLocateMode Mode) {
    const int count = PidlCount(IDList);
    // How deep Deepest stands in the namespace: its level in a desktop-rooted
    // tree, more below a deeper root (a tree rooted at the network would
    // otherwise locate a server's share through the server for ever).
    const int depth = PidlCount(Deepest->AbsoluteIDList());
    // Deepest is the list's parent: the object goes below it. Otherwise its
    // parent (a server below the network) is found or added first.
    if (depth >= count - 1) {
        browser_->SetAbsoluteObjectIDList(IDList);
        const std::wstring path = browser_->ObjectPath();
        TZemShellTreeNode* node =
            AddChildNode(Deepest, IsDriveRoot(path) || IsUNCServerName(browser_->ObjectNetworkName()));
        SortChildren(Deepest);
        if (node) FinishLocate(node, Mode);
        return node != nullptr;
    }
    fw::PidlPtr parent(PidlTruncate(IDList, depth + 1));
    if (LocateIDList(parent.get(), Mode) && Mode != lmUpdate) return LocateIDList(IDList, Mode);
    return false;
}

bool TZemShellTree::LocateIDList(LPCITEMIDLIST IDList, TLocateMode Mode) {
    if (!IDList) return false;
    if (Mode == lmSelect) {
        auto* selected = static_cast<TZemShellTreeNode*>(Selected());
        if (Usable(selected) && PidlEqual(selected->AbsoluteIDList(), IDList)) return true;
    }
    BusyCursor busy(Mode == lmSelect);
    const bool mayFill = mayFillOnExpand_;
    if (Mode == lmUpdate) mayFillOnExpand_ = false;
    TZemShellTreeNode* deepest = nullptr;
    bool found = false;
    for (fw::TTreeNode* root = Items()->GetFirstNode(); root && !found; root = root->GetNextSibling()) {
        found = LocateInRoot(static_cast<TZemShellTreeNode*>(root), IDList, Mode, deepest);
        if (found) break;
        if (IsInNetworkFolder(IDList) && deepest && deepest != root) {
            mayFillOnExpand_ = mayFill;
            return LocateInNetwork(deepest, IDList, Mode == lmSelect ? lmSelect : lmUpdate);
        }
    }
    mayFillOnExpand_ = mayFill;
    if (!deepest) return false;
    if (!found) {
        // A folder that cannot be reached keeps the selection as it was.
        if (Mode == lmSelect) return false;
        Mode = lmUpdate;
    }
    FinishLocate(deepest, Mode);
    return found;
}

void TZemShellTree::FinishLocate(TZemShellTreeNode* Node, TLocateMode Mode) {
    switch (Mode) {
    case lmSelect:
        SetChangeDelay(0);
        Node->SetSelected(true);
        Node->MakeVisible();
        break;
    case lmUpdate: RefreshNode(Node, rootedAt_ == SF_FILESYSTEMFOLDER, false); break;
    case lmAdd: {
        auto* parent = static_cast<TZemShellTreeNode*>(Node->Parent());
        RefreshNode(parent ? parent : Node, false, false);
        break;
    }
    case lmRemove:
        if (Node->Selected()) SetChangeDelay(0);
        Node->Delete();
        break;
    }
}

// ---- Selected folder -------------------------------------------------------------------

std::wstring TZemShellTree::SelectedFolder() {
    if (HasState(fw::csLoading)) return storedSelectedFolder_;
    fw::TTreeNode* node = Selected();
    if (!Usable(node)) return std::wstring();
    std::wstring path = NodePath(node);
    if (path.empty() && !HasState(fw::csDesigning)) {
        const TZemShellFolder special = SpecialFolder();
        if (special != SF_FILESYSTEMFOLDER) path = GetSpecialFolderPath(special);
    }
    return path;
}

bool TZemShellTree::SetSelectedFolder(const std::wstring& Path) {
    if (HasState(fw::csLoading)) {
        if (storedSpecialFolder_ != SF_FILESYSTEMFOLDER && storedSpecialFolder_ != SF_DRIVES) return false;
        storedSelectedFolder_ = Path;
        storedSpecialFolder_ = SF_FILESYSTEMFOLDER;
        return true;
    }
    if (Path.empty()) {
        if (rootedAt_ == SF_DESKTOP) return SetSpecialFolder(SF_DRIVES);
        fw::TTreeNode* first = Items()->GetFirstNode();
        if (first) first->SetSelected(true);
        return first != nullptr;
    }
    HandleNeeded();
    // A path the shell cannot take as it stands (it parses it as another object,
    // or not at all) is followed by name below the deepest folder it can.
    if (BeyondTheShell(Path)) {
        if (SelectPathByName(Path)) return true;
        if (ShowErrorMessages()) ReportError(Path + L": " + SysErrorText(ERROR_PATH_NOT_FOUND));
        return false;
    }
    fw::PidlPtr pidl;
    HRESULT hr = E_FAIL;
    if (IShellFolder* desktop = DesktopFolder()) {
        TErrorModeGuard errorMode(ShowErrorMessages() ? 0 : SEM_FAILCRITICALERRORS);
        hr = desktop->ParseDisplayName(Handle(), nullptr, const_cast<LPWSTR>(Path.c_str()), nullptr, pidl.put(),
                                       nullptr);
    }
    if (SUCCEEDED(hr) && pidl && LocateIDList(pidl.get(), lmSelect)) return true;
    if (ShowErrorMessages())
        ReportError(Path + L": " + SysErrorText(FAILED(hr) || !pidl ? DWORD(hr) : ERROR_PATH_NOT_FOUND));
    return false;
}

TZemShellFolder TZemShellTree::SpecialFolder() {
    if (HasState(fw::csLoading)) return storedSpecialFolder_;
    auto* node = static_cast<TZemShellTreeNode*>(Selected());
    if (!Usable(node) || !node->HasShellObject()) return SF_FILESYSTEMFOLDER;
    return PidlToShellFolder(node->AbsoluteIDList());
}

bool TZemShellTree::SetSpecialFolder(TZemShellFolder Value) {
    if (HasState(fw::csLoading)) {
        storedSpecialFolder_ = Value;
        if (Value != SF_FILESYSTEMFOLDER) storedSelectedFolder_.clear();
        return true;
    }
    if (Value == SF_FILESYSTEMFOLDER) return false;
    fw::PidlPtr pidl(GetSpecialFolderIDList(Value));
    return pidl && LocateIDList(pidl.get(), lmSelect);
}

void TZemShellTree::ReportError(const std::wstring& Text) {
    fw::Application()->MessageBox(Text, L"", MB_OK | MB_ICONSTOP);
}

// ---- Selection changes and history ------------------------------------------------------

bool TZemShellTree::CanChange(fw::TTreeNode* Node) {
    bool allow = fw::TCustomTreeView::CanChange(Node);
    auto* node = static_cast<TZemShellTreeNode*>(Node);
    if (allow && Usable(node) && node->HasShellObject() && ShowErrorMessages() && node->Parent() &&
        (!ShowFiles() || node->IsFolderNode())) {
        try {
            browser_->SetAbsoluteObjectIDList(node->AbsoluteIDList());
            allow = browser_->BrowseObject();
        } catch (const EPathfinchError&) {
            allow = false;
        }
    }
    if (Usable(node) && node->SelectedIndex() <= 0) {
        node->SetSelectedIndex(node->ImageIndex());
        QueueIcon(node, 2);
    }
    return allow;
}

void TZemShellTree::Change(fw::TTreeNode* Node) {
    if (destroying_ || HasState(fw::csDestroying)) return;
    auto* selected = static_cast<TZemShellTreeNode*>(Selected());
    if (!navigating_ && selected) history_->Add(PidlClone(selected->AbsoluteIDList()));
    fw::TCustomTreeView::Change(Node);
    NotifyShellLink(selected);
    if (expandOnSelected_ && Node) {
        for (fw::TTreeNode* s = Node->GetPrevSibling(); s; s = s->GetPrevSibling()) s->Collapse(false);
        for (fw::TTreeNode* s = Node->GetNextSibling(); s; s = s->GetNextSibling()) s->Collapse(false);
        if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) Node->Expand(false);
    }
    SetChangeDelay(0);
}

bool TZemShellTree::Navigate(int Delta) {
    navigating_ = true;
    SetChangeDelay(0);
    if (Delta < 1) history_->Back(-Delta);
    else history_->Forward(Delta);
    bool found = false;
    try {
        found = SelectIDList(history_->Current());
    } catch (...) {
        navigating_ = false;
        throw;
    }
    navigating_ = false;
    return found;
}

bool TZemShellTree::CustomDrawItem(fw::TTreeNode* Node, NMTVCUSTOMDRAW& Draw) {
    auto* node = static_cast<TZemShellTreeNode*>(Node);
    if (ColorEncrypted() && node->HasFlag(TZemShellTreeNode::EncryptedBit)) {
        Draw.clrText = RGB(0, 128, 0);
        return true;
    }
    if (ColorCompressed() && node->HasFlag(TZemShellTreeNode::CompressedBit)) {
        Draw.clrText = RGB(0, 0, 255);
        return true;
    }
    return false;
}

// ---- Refresh and notices ------------------------------------------------------------------

void TZemShellTree::Refresh() {
    if (!HandleAllocated()) return;
    fw::Application()->ProcessMessages();
    BusyCursor busy;
    UpdateGuard update(Items());
    auto* first = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode());
    if (!first) SetRootedAt(rootedAt_);
    else RefreshNode(first, true, true);
}

}  // namespace shell
