// The shell tree beyond the shell's reach. The shell parses and lists no path of
// MAX_PATH characters or more (and names the objects just past it by cut-off
// paths), so a folder holding such an object has its children listed by the
// long-path find instead, as nodes of the file system alone: each knows its path
// and no item-ID list. The children of a folder whose name ends in a dot or a
// blank are listed the same way (the shell would list the folder named without
// them), and a path through such a name is selected by name below the deepest
// folder the shell takes as it stands; a tree rooted at such a folder has a root of
// this kind. They open, refresh and report their paths as any node;
// shell verbs, menus, renaming in place, drag and drop and check boxes, which
// need a shell object, are not offered on them.
#include <algorithm>
#include <unordered_map>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemShellTree.h"
#include "shell/ZemSystemImageList.h"

namespace shell {

namespace {

std::wstring LastName(const std::wstring& Path) {
    return Path.substr(Path.find_last_of(L'\\') + 1);
}

}  // namespace

bool TZemShellTree::TooLongForShell(const std::wstring& Folder, std::size_t NameLength) {
    return !Folder.empty() && fw::IncludeTrailingPathDelimiter(Folder).size() + NameLength >= MAX_PATH;
}

bool TZemShellTree::ShellRewritesName(const std::wstring& Name) {
    return !Name.empty() && (Name.back() == L'.' || Name.back() == L' ');
}

bool TZemShellTree::BeyondTheShell(const std::wstring& Path) {
    if (!IsQualifiedPath(Path)) return false;
    const std::wstring path = fw::ExcludeTrailingPathDelimiter(MakeFullPath(Path));
    if (path.size() >= MAX_PATH) return true;
    // The parts below the drive, or below the server and its share.
    size_t start = IsUNCPath(path) ? path.find(L'\\', path.find(L'\\', 2) + 1) : path.find(L'\\');
    while (start != std::wstring::npos && start + 1 < path.size()) {
        const size_t end = std::min(path.find(L'\\', start + 1), path.size());
        if (ShellRewritesName(path.substr(start + 1, end - start - 1))) return true;
        start = end;
    }
    return false;
}

bool TZemShellTree::ListsByLongFind(TZemShellTreeNode* Node) {
    if (!Node->LongPath().empty() || Node->longFind_) return true;
    // The shell lists a folder through its path and a wildcard, and reads a name
    // ending in a dot or a blank as another folder's.
    const std::wstring path = Node->Parent() ? NodePath(Node) : std::wstring();
    return IsQualifiedPath(path) && (TooLongForShell(path, 1) || ShellRewritesName(LastName(path)));
}

std::vector<TZemShellTree::TLongEntry> TZemShellTree::LongFindEntries(const std::wstring& Folder) {
    std::vector<TLongEntry> entries;
    std::vector<std::wstring> masks;
    for (size_t start = 0, end = 0; ShowFiles() && start < Filter().size(); start = end + 1) {
        end = std::min(Filter().find(L';', start), Filter().size());
        if (end > start && Filter().compare(start, end - start, L"*") != 0)
            masks.push_back(Filter().substr(start, end - start));
    }
    WIN32_FIND_DATAW data{};
    const fw::FindHandle find(FindFirstFileLong(fw::IncludeTrailingPathDelimiter(Folder) + L"*", data));
    if (!find) return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        // The display options, as for the shell's objects.
        if (hidden && (!ShowHidden() || (!ShowRecycleBin() && IsRecycleName(name)))) continue;
        if (!folder && !ShowFiles()) continue;
        bool matches = folder || masks.empty();
        for (size_t i = 0; i < masks.size() && !matches; ++i) matches = MatchesMask(name, masks[i]);
        if (matches) entries.push_back(TLongEntry{name, data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

TZemShellTreeNode* TZemShellTree::AddLongPathNode(TZemShellTreeNode* Parent, const TLongEntry& Entry) {
    const bool folder = (Entry.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    newNodeIsFolder_ = folder;
    auto* node = static_cast<TZemShellTreeNode*>(Items()->AddChild(Parent, Entry.Name));
    newNodeIsFolder_ = false;
    node->longPath_ = fw::IncludeTrailingPathDelimiter(NodePath(Parent)) + Entry.Name;
    node->SetFound(1);
    node->SetFlag(TZemShellTreeNode::FolderBit, folder);
    node->SetFlag(TZemShellTreeNode::CompressedBit, (Entry.Attributes & FILE_ATTRIBUTE_COMPRESSED) != 0);
    node->SetFlag(TZemShellTreeNode::EncryptedBit, (Entry.Attributes & FILE_ATTRIBUTE_ENCRYPTED) != 0);
    node->SetCut((Entry.Attributes & FILE_ATTRIBUTE_HIDDEN) != 0);
    if (OnAddFolder) {
        bool canAdd = true;
        OnAddFolder(node, node->LongPath(), canAdd);
        if (!canAdd) {
            node->Delete();
            return nullptr;
        }
        if (node->Text() != Entry.Name) node->SetFlag(TZemShellTreeNode::TextByHandlerBit, true);
    }
    return node;
}

std::wstring TZemShellTree::ObjectNameOf(TZemShellTreeNode* Node) {
    if (!Node->LongPath().empty()) return LastName(Node->LongPath());
    return GetDisplayNameOf(Node->ParentFolder(), Node->RelativeIDList(), SHGDN_INFOLDER | SHGDN_FORPARSING);
}

void TZemShellTree::BuildLongRoot(TZemShellTreeNode* Root) {
    Root->longPath_ = fw::ExcludeTrailingPathDelimiter(MakeFullPath(rootedAtFileSystemFolder_));
    Root->SetText(LastName(Root->longPath_));
    Root->SetImageIndex(TZemSystemImageList::GetFolderIconIndex(false));
    Root->SetSelectedIndex(TZemSystemImageList::GetFolderIconIndex(true));
    Root->SetHasChildren(true);
}

void TZemShellTree::FillByLongFind(TZemShellTreeNode* Node) {
    for (const TLongEntry& entry : LongFindEntries(NodePath(Node))) AddLongPathNode(Node, entry);
    SortChildren(Node);
}

void TZemShellTree::RefreshByLongFind(TZemShellTreeNode* Node, bool Recursive, bool Full) {
    std::unordered_map<std::wstring, TZemShellTreeNode*> byName;
    std::vector<TZemShellTreeNode*> children;
    for (fw::TTreeNode* c = Node->GetFirstChild(); c; c = c->GetNextSibling()) {
        auto* child = static_cast<TZemShellTreeNode*>(c);
        children.push_back(child);
        child->SetFound(0);
        // Shell nodes, from before the folder held a path too long for the shell, go.
        if (!child->LongPath().empty()) byName.emplace(LastName(child->LongPath()), child);
    }
    bool added = false;
    std::vector<HTREEITEM> toRefresh;
    for (const TLongEntry& entry : LongFindEntries(NodePath(Node))) {
        const auto found = byName.find(entry.Name);
        if (found == byName.end()) {
            if (!IsEditing()) added = AddLongPathNode(Node, entry) != nullptr || added;
            continue;
        }
        TZemShellTreeNode* child = found->second;
        child->SetFound(1);
        child->SetCut((entry.Attributes & FILE_ATTRIBUTE_HIDDEN) != 0);
        // The handler is asked again, as for the shell's objects.
        bool canAdd = true;
        if (OnAddFolder) OnAddFolder(child, child->LongPath(), canAdd);
        if (!canAdd) child->SetFound(0);
        else if (Recursive) toRefresh.push_back(child->ItemId());
    }
    for (TZemShellTreeNode* child : children)
        if (child->Found() == 0 && !child->HasFlag(TZemShellTreeNode::AddedByNoticeBit)) child->Delete();
    for (HTREEITEM item : toRefresh)
        if (auto* child = static_cast<TZemShellTreeNode*>(Items()->GetNode(item))) RefreshNode(child, true, Full);
    if (!Node->GetFirstChild()) Node->SetHasChildren(false);
    if (added) SortChildren(Node);
}

void TZemShellTree::UpdateLongPathNode(TZemShellTreeNode* Node) {
    const bool folder = Node->IsFolderNode();
    if (Node->ImageIndex() < 0) {
        Node->SetImageIndex(
            folder ? TZemSystemImageList::GetFolderIconIndex(false)
                   : TZemSystemImageList::GetIconIndexOfType(fw::ExtractFileExt(Node->LongPath()), si_small, false));
        if (folder) Node->SetSelectedIndex(TZemSystemImageList::GetFolderIconIndex(true));
    }
    bool subFolders = ShowFiles() && folder;
    if (!subFolders && folder) {
        WIN32_FIND_DATAW data{};
        const fw::FindHandle find(FindFirstFileLong(Node->LongPath() + L"\\*", data));
        for (bool more = bool(find); more && !subFolders; more = FindNextFileW(find.get(), &data) != FALSE) {
            const std::wstring name = data.cFileName;
            subFolders = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L".." &&
                         (ShowHidden() || !(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN));
        }
    }
    Node->SetHasChildren(subFolders);
    if (OnUpdatedFolder) OnUpdatedFolder(this, Node);
}

bool TZemShellTree::SelectPathByName(const std::wstring& Path) {
    const std::wstring path = fw::ExcludeTrailingPathDelimiter(MakeFullPath(Path));
    auto* root = static_cast<TZemShellTreeNode*>(Items()->GetFirstNode());
    if (!root) return false;
    TZemShellTreeNode* node = nullptr;
    if (!root->LongPath().empty()) {
        node = root;  // a root beyond the shell's reach: all by name from it
    } else {
        // The deepest folder the shell can take is located first (a drive at least),
        // then the rest by name.
        std::wstring head = path;
        while (BeyondTheShell(head)) {
            const size_t slash = head.find_last_of(L'\\');
            if (slash == std::wstring::npos || slash < 2) return false;
            head.resize(slash);
        }
        fw::PidlPtr pidl(PathToPidl(nullptr, head));
        if (!pidl) return false;
        LocateInRoot(root, pidl.get(), lmSelect, node);
    }
    const std::wstring reached = node ? fw::ExcludeTrailingPathDelimiter(NodePath(node)) : std::wstring();
    if (reached.empty() || path.size() < reached.size() || !fw::SameText(path.substr(0, reached.size()), reached) ||
        (path.size() > reached.size() && path[reached.size()] != L'\\'))
        return false;
    for (size_t start = reached.size() + 1, end = 0; node && start < path.size(); start = end + 1) {
        end = std::min(path.find(L'\\', start), path.size());
        const std::wstring name = path.substr(start, end - start);
        node->SetHasChildren(true);
        node->Expand(false);
        TZemShellTreeNode* next = nullptr;
        // The name as it stands first: the file system may hold names that differ in case only.
        std::vector<std::pair<TZemShellTreeNode*, std::wstring>> children;
        for (fw::TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) {
            auto* child = static_cast<TZemShellTreeNode*>(c);
            children.emplace_back(child, ObjectNameOf(child));
        }
        for (int exact = 1; exact >= 0 && !next; --exact)
            for (size_t i = 0; i < children.size() && !next; ++i)
                if (exact ? children[i].second == name : fw::SameText(children[i].second, name))
                    next = children[i].first;
        node = next;
    }
    if (node) FinishLocate(node, lmSelect);
    return node != nullptr;
}

}  // namespace shell
