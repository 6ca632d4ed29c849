// The shell tree's refresh: nodes brought in line with their folders again (each
// enumerated object found through an index of the nodes, closed rows out of sight
// updated when next drawn), and the shell's change notices.
#include <shlobj.h>

#include <unordered_set>
#include <vector>

#include "shell/Pathfinch.h"
#include "shell/ZemShellTree.h"
#include "shell/ZemShellTreeChildIndex.h"

namespace shell {

void TZemShellTree::RefreshNode(TZemShellTreeNode* Node, bool Recursive, bool Full) {
    if (HasState(fw::csLoading) || !Node) return;
    if (!Node->Expanded()) {
        // A closed node is emptied, to be filled when it opens: its folder is not bound.
        if (!Node->Parent() || !UpdateWhenDrawn(Node, InSight(Node))) UpdateNode(Node, Full);
        if (Node->GetFirstChild()) Node->DeleteChildren();
        return;
    }
    UpdateNode(Node, Full);
    if (ListsByLongFind(Node)) {
        RefreshByLongFind(Node, Recursive, Full);
        return;
    }
    try {
        browser_->SetFolderIDList(Node->AbsoluteIDList());
    } catch (const EPathfinchError&) {
        return;
    }
    // Built once: each enumerated object is looked for without a walk over the children.
    TZemShellTreeChildIndex index(Node);
    for (TZemShellTreeNode* child : index.Children()) child->SetFound(0);
    const std::unordered_set<HTREEITEM> inSight = ItemsInSight();
    std::vector<HTREEITEM> toRefresh;
    bool added = false;
    tooLongSeen_ = false;
    while (browser_->EnumNextObject()) {
        if (!ObjectPassesFilter()) continue;
        TZemShellTreeNode* child = index.Find(browser_->ObjectPidl());
        if (!child) {
            if (!IsEditing()) added = AddChildNode(Node, false) != nullptr || added;
            continue;
        }
        child->SetFound(1);
        const bool closed = !child->Expanded();
        if (closed && UpdateWhenDrawn(child, inSight.contains(child->ItemId()))) {
            // What refreshing it would do, but its update: its children go.
            if (Recursive && child->GetFirstChild()) child->DeleteChildren();
        } else {
            child->SetHasChildren(ShowFiles() && child->IsFolderNode() ? true : ObjectHasSubFolders());
            if (Recursive) toRefresh.push_back(child->ItemId());
        }
        if (OnAddFolder) {
            bool canAdd = true;
            OnAddFolder(child, BrowserObjectPath(), canAdd);
            if (!canAdd) {
                index.Forget(child);
                child->Delete();
            }
        }
    }
    if (tooLongSeen_) {
        // It now holds a path too long for the shell: all its nodes are found again by name.
        Node->longFind_ = true;
        RefreshByLongFind(Node, Recursive, Full);
        return;
    }
    for (TZemShellTreeNode* child : index.Children())
        if (!index.Forgotten(child) && child->Found() == 0 && !child->HasFlag(TZemShellTreeNode::AddedByNoticeBit))
            child->Delete();
    // By window item: a refresh may delete other nodes (a handler, a notice).
    for (HTREEITEM item : toRefresh)
        if (auto* child = static_cast<TZemShellTreeNode*>(Items()->GetNode(item))) RefreshNode(child, true, Full);
    if (!Node->GetFirstChild()) Node->SetHasChildren(false);
    if (added) SortChildren(Node);
}

bool TZemShellTree::UpdateWhenDrawn(TZemShellTreeNode* Node, bool Shown) {
    // Check states are kept current for every node.
    if (checkBoxes_ || Shown) return false;
    // Its image stands in until then: a node scrolled into sight shows no other icon first.
    if (Node->ImageIndex() >= 0) Node->staleImage_ = Node->ImageIndex();
    Node->drawnUpdate_ = false;
    Node->SetImageIndex(-1);
    return true;
}

bool TZemShellTree::InSight(fw::TTreeNode* Node) {
    const RECT row = Node->DisplayRect(false);
    const RECT client = ClientRect();
    RECT shown{};
    return IntersectRect(&shown, &row, &client) != FALSE;
}

std::unordered_set<HTREEITEM> TZemShellTree::ItemsInSight() {
    std::unordered_set<HTREEITEM> items;
    if (!HandleAllocated()) return items;
    // One more than the window counts: the last row may be partly in sight.
    const int count = int(SendMessageW(Handle(), TVM_GETVISIBLECOUNT, 0, 0)) + 1;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
    for (int i = 0; item && i < count; ++i) {
        items.insert(item);
        item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, LPARAM(item)));
    }
    return items;
}

bool TZemShellTree::ObjectHasSubFolders() {
    return HasSubFolders(browser_->GetAttributes(SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
}

bool TZemShellTree::HasSubFolders(SFGAOF Attributes) const {
    const bool subFolders = (Attributes & SFGAO_HASSUBFOLDER) != 0;
    return FileSystemOnly() ? subFolders && (Attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) : subFolders;
}

void TZemShellTree::RefreshSelection() {
    auto* node = static_cast<TZemShellTreeNode*>(Selected());
    if (!node) return;
    if (node->Text().empty() && node->Parent()) node = static_cast<TZemShellTreeNode*>(node->Parent());
    RefreshNode(node, true, false);
    if (!automaticRefresh_) {
        // Objects marked cut may have moved away: their folders are looked at again.
        // By window item: a refresh may delete another of these nodes.
        std::vector<HTREEITEM> cutParents;
        for (fw::TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext())
            if (n->Cut() && n->Parent()) cutParents.push_back(n->Parent()->ItemId());
        for (HTREEITEM item : cutParents)
            if (auto* parent = static_cast<TZemShellTreeNode*>(Items()->GetNode(item)))
                RefreshNode(parent, false, false);
    }
    if (checkBoxes_ && shellLink_) {
        if (auto* selected = static_cast<TZemShellTreeNode*>(Selected())) RefreshChecksDown(selected);
    }
}

void TZemShellTree::ShellChangeNotice(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2) {
    if (HasState(fw::csLoading) || !HandleAllocated()) return;
    if (deferNotices_) {
        pendingNotices_.push_back(PendingNotice{ShellEvent, fw::PidlPtr(IDList1 ? PidlClone(IDList1) : nullptr),
                                                fw::PidlPtr(IDList2 ? PidlClone(IDList2) : nullptr)});
        return;
    }
    switch (ShellEvent) {
    case SHCNE_DELETE:
    case SHCNE_DRIVEREMOVED:
    case SHCNE_RMDIR: LocateIDList(IDList1, lmRemove); break;
    case SHCNE_UPDATEDIR: LocateIDList(IDList1, lmUpdate); break;
    case SHCNE_RENAMEITEM:
    case SHCNE_RENAMEFOLDER:
        LocateIDList(IDList1, lmAdd);
        LocateIDList(IDList2, lmAdd);
        break;
    default: LocateIDList(IDList1, lmAdd); break;
    }
}

}  // namespace shell
