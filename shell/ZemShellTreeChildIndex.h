#pragma once
// TZemShellTreeChildIndex: the children of a shell tree node, looked up by the
// relative item-ID lists of the objects their folder enumerates. Made once per
// refresh of the node, so each enumerated object is found without a walk over
// its siblings (a folder of many subfolders would otherwise cost the square of
// their number). A list of the same bytes is found at once; any other through
// the folder's own comparison over the children in its order.
// A plain value made on the stack: it refers to the nodes and their lists, owns
// nothing, and must be told of a child before that child is deleted.
#include <windows.h>
#include <shlobj.h>

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fw {
class TTreeNode;
}  // namespace fw

namespace shell {

class TZemShellTreeNode;

// How Folder orders two of its objects: the low 16 bits of its CompareIDs answer,
// signed; Ok false (and 0) when the call failed.
int CompareRelativeIDs(IShellFolder* Folder, LPCITEMIDLIST A, LPCITEMIDLIST B, bool& Ok);

class TZemShellTreeChildIndex {
public:
    explicit TZemShellTreeChildIndex(fw::TTreeNode* Parent);

    // The children in tree order as they were when the index was made (those
    // forgotten since included).
    const std::vector<TZemShellTreeNode*>& Children() const { return children_; }
    // The child whose relative list the parent folder counts equal to Relative;
    // nullptr when none.
    TZemShellTreeNode* Find(LPCITEMIDLIST Relative);
    // Child is about to be deleted: it is never found again.
    void Forget(TZemShellTreeNode* Child);
    bool Forgotten(TZemShellTreeNode* Child) const { return forgotten_.contains(Child); }

private:
    void SortOnce();

    std::vector<TZemShellTreeNode*> children_;
    // Keyed by the bytes of the children's own lists (no copies).
    std::unordered_map<std::string_view, TZemShellTreeNode*> byBytes_;
    // The children with a relative list, in the folder's order (made on the first
    // list not found by its bytes).
    std::vector<TZemShellTreeNode*> sorted_;
    bool sortedMade_ = false;
    std::unordered_set<TZemShellTreeNode*> forgotten_;
    IShellFolder* folder_ = nullptr;
};

}  // namespace shell
