#pragma once
// TExactDeletion: deletes exactly the objects given by path and nothing else:
// each object as its long form names it, a link as the link, never walking into a
// link or reaching what one points to. Made for one delete, it examines the
// objects at once (walking each folder's tree), and deletes when asked. The
// objects the shell can delete by their plain paths (every name in and below them
// read as written, no link among them) are handed back for the shell, which can
// send them to the Recycle Bin; the others are deleted here for good, deepest
// first, each through a handle that is the object itself.
// MoveRefusal answers the same questions for an object about to be moved away.
// Any thread with COM; nothing here shows a box.
#include <string>
#include <vector>

namespace shell {

class TProtectedObjects;

enum TTargetRefusal {
    trNone,
    trProtected,  // a drive, a special folder, the profile folder, or a folder holding one
    trLink,       // is or holds a link the system would follow to what it points to
};

class TExactDeletion {
public:
    struct TRefused {
        std::wstring Path;
        TTargetRefusal Reason;
        std::wstring Link;  // the link met, for trLink
    };
    // Paths: drive or UNC paths. Objects already gone are left out.
    TExactDeletion(const std::vector<std::wstring>& Paths, const TProtectedObjects& Protected);

    const std::vector<TRefused>& Refused() const { return refused_; }
    // The objects the shell deletes, by their plain paths.
    const std::vector<std::wstring>& ShellPaths() const { return shellPaths_; }
    // The objects deleted here.
    std::vector<std::wstring> OwnPaths() const;
    // Deletes the objects of OwnPaths, and tells the shell of each that went.
    void DeleteOwn();

private:
    struct TEntry {
        std::wstring LongPath;
        bool Folder;
    };
    struct TOwn {
        std::wstring Path;
        std::vector<TEntry> Entries;  // deepest first, the object itself last
    };
    std::vector<TRefused> refused_;
    std::vector<std::wstring> shellPaths_;
    std::vector<TOwn> own_;
};

// Why the object at Path may not be moved away; trNone when it may. Link names the
// link met.
TTargetRefusal MoveRefusal(const std::wstring& Path, const TProtectedObjects& Protected, std::wstring& Link);

}  // namespace shell
