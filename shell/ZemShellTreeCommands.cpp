// The shell tree's commands: shell verbs run on the selected node, the keys and
// mouse clicks that run them, renaming in place, the reports of operations, and
// what the tree tells its shell link and hears from it.
#include <algorithm>
#include <memory>

#include "framework/Application.h"
#include "framework/Clipboard.h"
#include "framework/Menus.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/ExactPaths.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellDropData.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemShellTree.h"

namespace shell {

namespace {

// The files a "cut" or "copy" left on the clipboard; empty when it holds none.
std::unique_ptr<fw::TStringList> ClipboardFiles() {
    std::unique_ptr<fw::TStringList> files;
    {
        fw::ClipboardGuard clipboard;
        if (clipboard.Opened())
            if (HANDLE drop = GetClipboardData(CF_HDROP)) files = ReadDropFilesBlock(drop);
    }
    return files ? std::move(files) : std::make_unique<fw::TStringList>();
}

}  // namespace

// ---- Verbs and operations -----------------------------------------------------------------

void TZemShellTree::SetRenameCallback() {
    if (ReadOnly()) {
        browser_->OnRename = nullptr;
        return;
    }
    browser_->OnRename = [this](fw::TObject*) {
        if (fw::TTreeNode* node = Selected()) node->EditText();
    };
}

bool TZemShellTree::ExecuteVerb(const std::wstring& Verb) {
    auto* node = static_cast<TZemShellTreeNode*>(Selected());
    if (!node) return false;
    SetRenameCallback();
    std::unique_ptr<fw::TStringList> files;
    if (fw::SameText(Verb, L"paste")) {
        files = ClipboardFiles();
    } else {
        files = std::make_unique<fw::TStringList>();
        files->Add(SelectedFolder());
    }
    // By window item: a change notice during the verb may delete the node.
    const HTREEITEM item = node->ItemId();
    // A node beyond the shell's reach has no shell object to run it on.
    if (Usable(node) && !node->HasShellObject()) return false;
    if (Usable(node)) {
        browser_->SetAbsoluteObjectIDList(node->AbsoluteIDList());
        if (!RunShellVerb(Verb)) return false;
    }
    VerbDone(Verb, item, files.get());
    return true;
}

bool TZemShellTree::RunShellVerb(const std::wstring& Verb) {
    return browser_->ExecuteShellVerb(Verb);
}

// What the tree does after a verb ran on the node of Item: Files are the
// clipboard's for "paste", the selected folder for the others.
void TZemShellTree::VerbDone(const std::wstring& Verb, HTREEITEM Item, fw::TStringList* Files) {
    auto* node = static_cast<TZemShellTreeNode*>(Items()->GetNode(Item));
    if (fw::SameText(Verb, L"delete")) {
        SetChangeDelay(0);
        if (!automaticRefresh_ && node) node->Delete();
        DoOperation({sopDelete, sopRemove}, Files, std::wstring());
    } else if (fw::SameText(Verb, L"paste")) {
        fw::Application()->ProcessMessages();
        RefreshSelection();
        ReportPaste(Files);
    } else if (fw::SameText(Verb, L"cut") && node) {
        node->SetCut(true);
    } else if (fw::SameText(Verb, L"empty")) {
        if (auto* selected = static_cast<TZemShellTreeNode*>(Selected())) RefreshNode(selected, true, false);
        if (shellLink_) shellLink_->NotifyRefresh(this);
    }
}

void TZemShellTree::ReportPaste(fw::TStringList* Files) {
    // A file gone from where it was cut has been moved.
    const bool moved = Files->Count() > 0 && !PathExists(Files->Strings(0));
    if (moved) DoOperation({sopMove, sopPaste, sopAdd}, Files, SelectedFolder());
    else DoOperation({sopCopy, sopPaste, sopAdd}, Files, SelectedFolder());
}

void TZemShellTree::DoOperation(TZemShellOperations Operations, fw::TStringList* Files,
                                const std::wstring& Destination) {
    if (!Files || Files->Count() == 0) return;
    if (shellLink_ && Operations.Contains(sopRename))
        shellLink_->SelectionList()->Rename(Files->Strings(0), Destination);
    if (OnOperation) OnOperation(this, Operations, Files, Destination);
}

// ---- Keys ---------------------------------------------------------------------------------------

void TZemShellTree::KeyDown(WORD& Key, fw::TShiftState Shift) {
    if (!IsEditing()) {
        const WORD key = Key;
        if (HandleCommandKey(key, Shift)) {
            Key = 0;
            return;
        }
        if ((key == VK_LEFT || key == VK_RIGHT) && Shift == fw::ssAlt) {
            // A step through the history; the key handlers hear of it afterwards, but
            // the window does not (it would move on to the parent or child node).
            Navigate(key == VK_LEFT ? -1 : 1);
            fw::TCustomTreeView::KeyDown(Key, Shift);
            Key = 0;
            return;
        }
        if (Shift == fw::ssAlt && key == VK_MENU) return;
    }
    fw::TCustomTreeView::KeyDown(Key, Shift);
}

// Runs the command of a key; true when the key is consumed. Keys of the table
// whose condition is not met do nothing here; every other key delays the
// change event, so walking the tree by keys reports only where it stops.
bool TZemShellTree::HandleCommandKey(WORD Key, fw::TShiftState Shift) {
    const bool ctrl = (Shift & fw::ssCtrl) != 0;
    const bool alt = (Shift & fw::ssAlt) != 0;
    switch (Key) {
    case VK_F2:
        if (Selected()) ExecuteVerb(L"rename");
        return false;
    case VK_F5:
        Refresh();
        if (shellLink_) shellLink_->NotifyRefresh(this);
        return false;
    case VK_F10:
        if (!(Shift & fw::ssShift)) return false;
        // Consumed: the window would ask for a second menu.
        if (shellContextMenu_) ShowShellMenu(SelectedMenuPoint());
        return true;
    case 'A':
        if (!ctrl) return false;
        if (shellLink_) shellLink_->NotifyObjectsChanged(this);
        return true;
    case 'C':
        if (!ctrl) return false;
        ExecuteVerb(L"copy");
        return true;
    case 'X':
        if (!ctrl || ReadOnly()) return false;
        ExecuteVerb(L"cut");
        return true;
    case 'V':
        if (!ctrl || ReadOnly()) return false;
        // The verb reports the paste itself: once.
        ExecuteVerb(L"paste");
        return true;
    case VK_DELETE:
        if (!ReadOnly() && Selected() && Selected()->Level() > 0) ExecuteVerb(L"delete");
        return false;
    case VK_RETURN:
        if (!alt) return false;
        ExecuteVerb(L"properties");
        return true;
    case VK_LEFT:
    case VK_RIGHT: return false;
    case VK_MENU: return false;
    case VK_SPACE:
        if (shellLink_ && checkBoxes_)
            if (auto* node = static_cast<TZemShellTreeNode*>(Selected())) ToggleCheck(node);
        return false;
    default: SetChangeDelay(shellLink_ ? 600 : 100); return false;
    }
}

void TZemShellTree::KeyPress(wchar_t& Key) {
    SetChangeDelay(shellLink_ ? 600 : 100);
    fw::TCustomTreeView::KeyPress(Key);
}

// ---- Mouse ------------------------------------------------------------------------------------------

void TZemShellTree::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (Button == fw::mbLeft && (Shift & fw::ssDouble)) {
        auto* node = static_cast<TZemShellTreeNode*>(GetNodeAt(X, Y));
        if (Usable(node)) {
            // A node beyond the shell's reach opens all the same; it has no object to run a verb on.
            if (node->HasShellObject()) browser_->SetAbsoluteObjectIDList(node->AbsoluteIDList());
            if (ShowFiles() && node->Selected() && !node->IsFolderNode()) {
                if (node->HasShellObject()) ExecuteVerb(L"default");
            } else if (node->Selected() && !node->Expanded() && !node->GetFirstChild()) {
                // Filled and opened, though it had no children when last looked at.
                node->SetHasChildren(true);
                node->Expand(false);
            }
        }
    }
    fw::TCustomTreeView::MouseDown(Button, Shift, X, Y);
}

void TZemShellTree::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
    case WM_XBUTTONDOWN: {
        const WORD keys = GET_KEYSTATE_WPARAM(Message.WParam);
        if (keys == MK_XBUTTON1 || keys == MK_XBUTTON2) {
            Navigate(keys == MK_XBUTTON1 ? -1 : 1);
            Message.Result = TRUE;
            return;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (ClickOnStateImage(Message)) return;
        break;
    case WM_CONTEXTMENU:
        if (HandleContextMenu(Message)) return;
        break;
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        // Owner-drawn submenus of the shell's menu.
        fw::TCustomTreeView::WndProc(Message);
        browser_->HandleMenuMessage(Message);
        return;
    case fw::CM_MOUSEENTER:
        if (Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseEnter) OnMouseEnter(this);
        break;
    case fw::CM_MOUSELEAVE:
        if (Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseLeave) OnMouseLeave(this);
        break;
    default: break;
    }
    fw::TCustomTreeView::WndProc(Message);
}

// ---- Context menu ---------------------------------------------------------------------------------

// Where a menu asked for by keyboard opens: the bottom-right corner of the
// selected node's text, in screen co-ordinates.
POINT TZemShellTree::SelectedMenuPoint() {
    POINT p{0, 0};
    if (fw::TTreeNode* node = Selected()) {
        const RECT r = node->DisplayRect(true);
        p = POINT{r.right, r.bottom};
    }
    return ClientToScreen(p);
}

bool TZemShellTree::HandleContextMenu(fw::TMessage& Message) {
    auto* selected = static_cast<TZemShellTreeNode*>(Selected());
    if (!shellContextMenu_ || !Usable(selected) || !selected->HasShellObject()) return false;
    // A menu asked for by keyboard comes with the point (-1, -1).
    const bool keyboard = Message.LParam == LPARAM(-1);
    const POINT p =
        keyboard ? SelectedMenuPoint() : POINT{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
    ShowShellMenu(p);
    Message.Result = 1;
    return true;
}

void TZemShellTree::ShowShellMenu(POINT ScreenPoint) {
    auto* node = static_cast<TZemShellTreeNode*>(Selected());
    if (!Usable(node) || !node->HasShellObject()) return;
    browser_->SetAbsoluteObjectIDList(node->AbsoluteIDList());
    SetRenameCallback();
    std::unique_ptr<fw::TStringList> clipboard = ClipboardFiles();
    fw::TStringList selected;
    selected.Add(SelectedFolder());
    browser_->ReadOnly = ReadOnly();
    browser_->ShowContextMenuOnTop = ShowContextMenuOnTop();
    bool handled = false;
    DoContextPopup(ScreenToClient(ScreenPoint), handled);
    if (handled) return;
    const HTREEITEM item = node->ItemId();
    std::wstring verb;
    browser_->ShowShellContextMenu(ScreenPoint, dynamic_cast<fw::TPopupMenu*>(PopupMenu()), nullptr, verb);
    if (!verb.empty()) VerbDone(verb, item, fw::SameText(verb, L"paste") ? clipboard.get() : &selected);
}

// ---- Renaming in place -------------------------------------------------------------------------

bool TZemShellTree::CanEdit(fw::TTreeNode* Node) {
    // A node beyond the shell's reach has no object the shell could rename.
    if (!static_cast<TZemShellTreeNode*>(Node)->HasShellObject()) return false;
    const bool allow = fw::TCustomTreeView::CanEdit(Node);
    if (allow && Usable(Node)) {
        browser_->SetAbsoluteObjectIDList(static_cast<TZemShellTreeNode*>(Node)->AbsoluteIDList());
        (void)browser_->CanRename();
    }
    return allow;
}

void TZemShellTree::Edit(fw::TTreeNode* Node, std::wstring& S) {
    const std::wstring oldText = Node->Text();
    fw::TCustomTreeView::Edit(Node, S);
    RenameNode(static_cast<TZemShellTreeNode*>(Node), Node->Text(), oldText);
}

void TZemShellTree::EditCanceled(fw::TTreeNode* Node) {
    fw::TCustomTreeView::EditCanceled(Node);
    if (OnEditCanceled) OnEditCanceled(this, Node);
}

void TZemShellTree::RenameNode(TZemShellTreeNode* Node, const std::wstring& NewName, const std::wstring& OldText) {
    // An edit that kept the name renames nothing.
    if (!Usable(Node) || !Node->HasShellObject() || NewName == OldText) return;
    fw::TStringList files;
    files.Add(NodePath(Node));
    browser_->SetAbsoluteObjectIDList(Node->AbsoluteIDList());
    // What can't be renamed is left as it is, and the user is told why.
    const std::wstring why = browser_->RenameRefusal(NewName);
    if (!why.empty()) {
        Node->SetText(OldText);
        fw::Application()->MessageBox(why, L"", MB_OK | MB_ICONWARNING);
        return;
    }
    browser_->ShowErrorMessages = true;
    std::wstring name = NewName;
    bool renamed = false;
    // The shell may report the rename while it runs: the node's lists are the new
    // ones before the tree looks.
    deferNotices_ = true;
    try {
        renamed = browser_->RenameObject(name);
    } catch (...) {
        renamed = false;
    }
    browser_->ShowErrorMessages = ShowErrorMessages();
    if (!renamed) {
        // The object keeps its name, and so does the node. The shell tells of its
        // own failures; one through the long form is told here.
        const DWORD error = GetLastError();
        Node->SetText(OldText);
        ReplayNotices();
        if (!PlainFormIsExact(files.Strings(0)))
            fw::Application()->MessageBox(
                L"\"" + files.Strings(0) + L"\" could not be renamed.\r\n" + SysErrorText(error), L"",
                MB_OK | MB_ICONWARNING);
        return;
    }
    Node->SetText(name);
    fw::PidlPtr absolute(PidlConcat(browser_->FolderPidl(), browser_->ObjectPidl()));
    Node->SetIDLists(browser_->ObjectPidl(), absolute.get());
    const bool expanded = Node->Expanded();
    // Closed first: the window would keep an emptied node open, and never open it again.
    Node->Collapse(false);
    Node->DeleteChildren();
    Node->SetImageIndex(-1);
    QueueIcon(Node, 2);
    if (!automaticRefresh_) RefreshNode(Node, false, false);
    SortChildren(Node->Parent());
    const std::wstring newPath = NodePath(Node);
    DoOperation({sopRename}, &files, newPath);
    auto* selected = static_cast<TZemShellTreeNode*>(Selected());
    NotifyShellLink(!selected || !SamePath(browser_->Folder(), NodePath(selected)) ? Node : selected);
    const HTREEITEM item = Node->ItemId();
    ReplayNotices();
    // Time for the shell to finish what the rename set off.
    fw::Application()->ProcessMessages();
    Sleep(1000);
    fw::Application()->ProcessMessages();
    if (auto* node = Items()->GetNode(item); node && expanded) node->Expand(false);
}

void TZemShellTree::ReplayNotices() {
    deferNotices_ = false;
    std::vector<PendingNotice> notices;
    notices.swap(pendingNotices_);
    for (const PendingNotice& n : notices) ShellChangeNotice(n.Event, n.List1.get(), n.List2.get());
}

// ---- Shell link ---------------------------------------------------------------------------

void TZemShellTree::SetShellLink(TZemShellLink* Link) {
    if (Link == shellLink_) return;
    if (shellLink_) shellLink_->RemoveControl(this);
    shellLink_ = Link;
    if (shellLink_) shellLink_->AddControl(this);
}

void TZemShellTree::NotifyShellLink(TZemShellTreeNode* Node) {
    // The link hears of shell objects only.
    if (!Usable(Node) || !shellLink_ || !Node->HasShellObject()) return;
    shellLink_->SetReportedSelection(Node->Level() > 0);
    if (HasState(fw::csLoading)) return;
    auto* parent = static_cast<TZemShellTreeNode*>(Node->Parent());
    if (ShowFiles() && !Node->IsFolderNode() && parent)
        shellLink_->NotifyObjectSelected(this, parent->AbsoluteIDList(), Node->RelativeIDList());
    else shellLink_->NotifyFolderSelected(this, Node->AbsoluteIDList());
}

void TZemShellTree::FolderSelected(LPCITEMIDLIST IDList) {
    if (IDList) SelectIDList(IDList);
}

void TZemShellTree::ObjectSelected(LPCITEMIDLIST IDList, LPCITEMIDLIST) {
    if (IDList && ShowFiles()) SelectIDList(IDList);
}

bool TZemShellTree::SelectFirst() {
    auto* node = static_cast<TZemShellTreeNode*>(Selected());
    auto* parent = node ? static_cast<TZemShellTreeNode*>(node->Parent()) : nullptr;
    if (!parent) return false;
    parent->SetSelected(true);
    NotifyShellLink(parent);
    return true;
}

}  // namespace shell
