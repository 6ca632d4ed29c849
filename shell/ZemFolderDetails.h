#pragma once
// The detail texts of objects (size, type, date and the other shell columns) as
// the shell's detail columns give them, read through one bound parent folder per
// folder. The last few folders are kept with the item-ID lists of their objects:
// the first objects of a folder are parsed by name, and a folder asked about
// often is enumerated once, so filling many rows of one folder costs one
// GetDetailsOf call per text. A plain object of the main thread; it holds shell
// interfaces and item-ID lists and frees them with itself.
#include <windows.h>
#include <shlobj.h>

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Handles.h"

namespace shell {

class TZemFolderDetails {
public:
    explicit TZemFolderDetails(size_t MaxFolders = 32) : maxFolders_(MaxFolders) {}

    // The texts of Path's object in the shell columns given, in their order;
    // false (Texts untouched) when the object cannot be reached.
    bool GetDetails(const std::wstring& Path, const std::vector<int>& Columns, std::vector<std::wstring>& Texts);
    // Forgets every folder (their contents may have changed).
    void Clear() { folders_.clear(); }

private:
    struct TFolder {
        std::wstring Key;
        fw::ComPtr<IShellFolder2> Folder;
        std::unordered_map<std::wstring, fw::PidlPtr> Children;  // by upper-case name
        int Parsed = 0;
        bool Enumerated = false;
    };
    static void Enumerate(TFolder& Folder);
    TFolder* Open(const std::wstring& Folder);
    LPCITEMIDLIST Child(TFolder& Folder, const std::wstring& Name);

    size_t maxFolders_;
    std::list<TFolder> folders_;  // the most recently used first
};

}  // namespace shell
