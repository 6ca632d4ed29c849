#include "shell/ZemShellTreeChildIndex.h"

#include <algorithm>

#include "shell/Pidl.h"
#include "shell/ZemShellTree.h"

namespace shell {

namespace {

std::string_view BytesOf(LPCITEMIDLIST List) {
    return std::string_view(reinterpret_cast<const char*>(List), PidlSize(List));
}

}  // namespace

int CompareRelativeIDs(IShellFolder* Folder, LPCITEMIDLIST A, LPCITEMIDLIST B, bool& Ok) {
    Ok = false;
    if (!Folder || !A || !B) return 0;
    const HRESULT hr = Folder->CompareIDs(0, A, B);
    if (FAILED(hr)) return 0;
    Ok = true;
    return short(HRESULT_CODE(hr));
}

TZemShellTreeChildIndex::TZemShellTreeChildIndex(fw::TTreeNode* Parent) {
    for (fw::TTreeNode* c = Parent ? Parent->GetFirstChild() : nullptr; c; c = c->GetNextSibling()) {
        auto* child = static_cast<TZemShellTreeNode*>(c);
        children_.push_back(child);
        if (!folder_) folder_ = child->ParentFolder();
        // The first of equal lists is the one found, as a walk from the first child finds it.
        if (child->RelativeIDList()) byBytes_.emplace(BytesOf(child->RelativeIDList()), child);
    }
}

void TZemShellTreeChildIndex::SortOnce() {
    if (sortedMade_) return;
    sortedMade_ = true;
    for (TZemShellTreeNode* child : children_)
        if (child->RelativeIDList()) sorted_.push_back(child);
    // A failed comparison counts as equal, as the tree sorts its children.
    const auto less = [this](TZemShellTreeNode* A, TZemShellTreeNode* B) {
        bool ok = false;
        return CompareRelativeIDs(folder_, A->RelativeIDList(), B->RelativeIDList(), ok) < 0 && ok;
    };
    // The children stand sorted unless a notice or a handler put one elsewhere.
    if (!std::is_sorted(sorted_.begin(), sorted_.end(), less)) std::stable_sort(sorted_.begin(), sorted_.end(), less);
}

TZemShellTreeNode* TZemShellTreeChildIndex::Find(LPCITEMIDLIST Relative) {
    if (!Relative || children_.empty()) return nullptr;
    const auto same = byBytes_.find(BytesOf(Relative));
    if (same != byBytes_.end() && !forgotten_.contains(same->second)) return same->second;
    SortOnce();
    bool ok = false;
    auto at =
        std::lower_bound(sorted_.begin(), sorted_.end(), Relative, [&](TZemShellTreeNode* Child, LPCITEMIDLIST R) {
            return CompareRelativeIDs(folder_, Child->RelativeIDList(), R, ok) < 0 && ok;
        });
    // Children the folder could not compare stand among the equal ones: each is asked.
    for (; at != sorted_.end(); ++at) {
        const int result = CompareRelativeIDs(folder_, Relative, (*at)->RelativeIDList(), ok);
        if (ok && result == 0 && !forgotten_.contains(*at)) return *at;
        if (ok && result < 0) break;
    }
    return nullptr;
}

void TZemShellTreeChildIndex::Forget(TZemShellTreeNode* Child) {
    forgotten_.insert(Child);
    // Its list goes with it: the key must not outlive it.
    if (Child->RelativeIDList()) {
        const auto entry = byBytes_.find(BytesOf(Child->RelativeIDList()));
        if (entry != byBytes_.end() && entry->second == Child) byBytes_.erase(entry);
    }
}

}  // namespace shell
