#pragma once
// TProtectedObjects: the objects no delete, cut or move of this library ever
// reaches, gathered when it is made: the root of every local drive, each special
// folder this system has, the user's profile folder, and every folder that holds
// one of them, both where each folder is and where its links lead. They are known
// by identity (volume and file index) as well as by full path, so every spelling
// of a path (short names, "\.", "\x\..", "/", letter case, the long-path prefix)
// gets the same answer. Made on the stack for one command; any thread with COM.
#include <set>
#include <string>
#include <vector>

#include "shell/ExactPaths.h"

namespace shell {

class TProtectedObjects {
public:
    TProtectedObjects();
    // Whether the object at Path (a drive or UNC path) is one of them. A path that
    // is no such path (a virtual object) is not: the shell answers for those.
    // Without ByIdentity only its full path is compared (a link the system follows
    // has its target's identity).
    bool Protects(const std::wstring& Path, bool ByIdentity = true) const;

private:
    void AddFolder(const std::wstring& Path);
    // The object at LongPath and every folder above it, up to its root.
    void AddChain(std::wstring LongPath);

    std::set<TObjectId> ids_;
    std::set<std::wstring> visited_;
    // Full paths (upper case, without trailing delimiter) of the same objects.
    std::set<std::wstring> paths_;
};

}  // namespace shell
