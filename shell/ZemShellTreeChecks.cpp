// The shell tree's check boxes: each node shows the state of its object in the
// shell link's selection list (checked, unchecked, partly checked, disabled), and
// a click on the box or Space checks or unchecks the object there.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/StringList.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemSelectionStateImageList.h"
#include "shell/ZemShellTree.h"

namespace shell {

namespace {

const wchar_t kNeedsShellLink[] =
    L"You must now assign a TZEmShellLink to the ShellLink property of this components for the checkboxes to work!";

}  // namespace

void TZemShellTree::SetCheckBoxes(bool Value) {
    checkBoxes_ = Value;
    if (Value && !StateImages()) {
        ownStateImages_ = new TZemSelectionStateImageList(this);
        SetStateImages(ownStateImages_);
    }
    if (Value && !shellLink_ && !HasState(fw::csLoading)) {
        if (HasState(fw::csDesigning)) fw::Application()->MessageBox(kNeedsShellLink);
        checkBoxes_ = Value = false;
    }
    if (!Value) {
        if (ownStateImages_) {
            if (StateImages() == ownStateImages_) SetStateImages(nullptr);
            delete ownStateImages_;
            ownStateImages_ = nullptr;
        }
        // Without boxes no node has a state; switched on again, each is asked anew.
        for (fw::TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) n->SetStateIndex(-1);
    }
    if (auto* first = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode())) RefreshNode(first, true, true);
}

bool TZemShellTree::SelectionHasDriveEntry() const {
    const fw::TStringList* paths = shellLink_ ? shellLink_->SelectionList()->Paths() : nullptr;
    if (!paths) return false;
    for (int i = 0; i < paths->Count(); ++i) {
        const std::wstring entry = paths->Strings(i);
        if (entry.size() > 1 && entry[1] == L':') return true;
    }
    return false;
}

// The root of a tree not rooted at a file-system folder: a special folder with a
// path shows its own state; the others show whether anything below is checked.
TZemSelectionState TZemShellTree::RootCheckState(TZemShellTreeNode* Root) {
    const std::wstring path = rootedAt_ == SF_DESKTOP ? std::wstring() : NodePath(Root);
    if (SelectionHasDriveEntry()) {
        if (path.empty()) return ssGrayed;
        bool inherited = false;
        return shellLink_->SelectionList()->GetState(path, inherited);
    }
    return path.empty() ? ssDisabled : ssUnChecked;
}

void TZemShellTree::QueueCheckState(TZemShellTreeNode* Node) {
    if (!GlobalWorkerPool || !shellLink_ || !Node->AbsoluteIDList()) return;
    Node->queuedWork_ = true;
    GlobalWorkerPool->AddWorkItem(std::make_shared<TCheckBoxWorkItem>(
        Node->AbsoluteIDList(), shellLink_->SelectionList(), this, Node, reinterpret_cast<intptr_t>(this)));
}

void TZemShellTree::UpdateCheckState(TZemShellTreeNode* Node, bool Partial) {
    if (!checkBoxes_ || !shellLink_ || !Node) return;
    if (Node == Items()->GetFirstNode() && rootedAt_ != SF_FILESYSTEMFOLDER) {
        Node->SetStateIndex(RootCheckState(Node));
        return;
    }
    if (Partial && (Node->StateIndex() == ssDisabled || Node->StateIndex() == ssGrayed)) return;
    QueueCheckState(Node);
}

void TZemShellTree::CheckBoxStateLoaded(TCheckBoxWorkItem* Item) {
    if (!HandleAllocated() || destroying_ || !Item) return;
    auto* node = static_cast<TZemShellTreeNode*>(Item->Owner());
    const int before = node->StateIndex();
    if (before == int(Item->State())) return;
    node->SetStateIndex(Item->State());
    if (before < 0 || !OnCheckStateChanged) return;
    int index = 0;
    for (fw::TTreeNode* n = Items()->GetFirstNode(); n && n != node; n = n->GetNext()) ++index;
    OnCheckStateChanged(this, index, NodePath(node), Item->State());
}

void TZemShellTree::ToggleCheck(TZemShellTreeNode* Node) {
    if (!Usable(Node) || !Node->HasShellObject() || !shellLink_ || Node->StateIndex() < ssChecked) return;
    const fw::TCursor previous = fw::Screen()->Cursor();
    fw::Screen()->SetCursor(fw::crHourGlass);
    TZemSelectionList* list = shellLink_->SelectionList();
    list->BeginUpdate();
    try {
        if (Node->StateIndex() == ssChecked) list->Uncheck(Node->AbsoluteIDList());
        else list->Check(Node->AbsoluteIDList());
    } catch (...) {
        list->EndUpdate();
        fw::Screen()->SetCursor(previous);
        throw;
    }
    list->EndUpdate();
    RefreshChecksUp(Node);
    RefreshChecksDown(Node);
    fw::Screen()->SetCursor(previous);
}

void TZemShellTree::RefreshChecksUp(TZemShellTreeNode* Node) {
    for (auto* n = Node; n; n = static_cast<TZemShellTreeNode*>(n->Parent())) {
        if (n == Items()->GetFirstNode() && rootedAt_ != SF_FILESYSTEMFOLDER) n->SetStateIndex(RootCheckState(n));
        else if (n->StateIndex() >= 0 || rootedAt_ == SF_FILESYSTEMFOLDER) QueueCheckState(n);
        else n->SetStateIndex(SelectionHasDriveEntry() ? ssGrayed : ssDisabled);
    }
}

void TZemShellTree::RefreshChecksDown(TZemShellTreeNode* Node) {
    if (Node == Items()->GetFirstNode() && rootedAt_ != SF_FILESYSTEMFOLDER) Node->SetStateIndex(RootCheckState(Node));
    else if (Node->StateIndex() >= 0 || rootedAt_ == SF_FILESYSTEMFOLDER) QueueCheckState(Node);
    else Node->SetStateIndex(ssDisabled);
    if (!Node->Expanded()) return;
    for (fw::TTreeNode* c = Node->GetFirstChild(); c; c = c->GetNextSibling())
        RefreshChecksDown(static_cast<TZemShellTreeNode*>(c));
}

// A left click on a node's check box toggles it, and goes no further.
bool TZemShellTree::ClickOnStateImage(fw::TMessage& Message) {
    if (!checkBoxes_ || !shellLink_) return false;
    const int x = short(LOWORD(Message.LParam)), y = short(HIWORD(Message.LParam));
    if (!(GetHitTestInfoAt(x, y) & TVHT_ONITEMSTATEICON)) return false;
    auto* node = static_cast<TZemShellTreeNode*>(GetNodeAt(x, y));
    if (!node) return false;
    ToggleCheck(node);
    Message.Result = 0;
    return true;
}

}  // namespace shell
