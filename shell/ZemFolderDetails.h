#pragma once
// The detail texts of objects (size, type, date and the other shell columns) as
// the shell's detail columns give them, read through one bound parent folder per
// folder. An object the shell cannot reach by its path (a path too long for
// it, a folder on the way whose name ends in a dot or a blank, a name holding a
// backslash or a colon) has its texts made by the shell all the same, from what
// the folder listing held of it. Every folder of a listing is kept with the item-ID lists of its
// objects until Clear (a listing clears it): rows are read in sort order, which
// jumps between folders, so a folder let go would be bound and walked again and
// again. The first objects of a folder are parsed by name, and a folder asked
// about often is enumerated once, so each text costs one GetDetailsOf call. A plain object of the main thread; it holds shell
// interfaces and item-ID lists and frees them with itself.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Handles.h"
#include "shell/ZemFileListItem.h"

namespace shell {

class TZemFolderDetails {
public:
    explicit TZemFolderDetails(size_t MaxFolders = 65536) : maxFolders_(MaxFolders) {}

    // The texts of the object Name in Folder (with its delimiter; empty for a
    // drive root, whose Name is its root path) in the shell columns given, in
    // their order; false (Texts untouched) when the object cannot be reached.
    // Found: what the folder listing held of it (nullptr: nothing), from which
    // the texts of an object the shell cannot reach by path are made. For a file
    // (IsFile), the text of TypeColumn is its extension's: the shell is asked for
    // it once per extension.
    bool GetDetails(const std::wstring& Folder, const std::wstring& Name, const TZemFindData* Found,
                    const std::vector<int>& Columns, std::vector<std::wstring>& Texts, int TypeColumn = -1,
                    bool IsFile = false);
    // Whether the shell reaches the object Name in Folder by its path.
    static bool Reachable(const std::wstring& Folder, const std::wstring& Name);
    // While on, a folder is walked whole at its first object, as when every row
    // of a listing is read; else its first objects are parsed by name.
    void SetWholeFolders(bool Value) { wholeFolders_ = Value; }
    // The item type of files with this extension, when the shell was asked already.
    const std::wstring* KnownTypeText(const std::wstring& Extension) const {
        const auto known = typeTexts_.find(Extension);
        return known == typeTexts_.end() ? nullptr : &known->second;
    }
    // Forgets every folder (their contents may have changed) and every type text.
    void Clear() {
        folders_.clear();
        typeTexts_.clear();
    }

private:
    struct TFolder {
        fw::ComPtr<IShellFolder2> Folder;
        std::unordered_map<std::wstring, fw::PidlPtr> Children;  // by upper-case name
        int Parsed = 0;
        bool Enumerated = false;
    };
    static void Enumerate(TFolder& Folder);
    TFolder* Open(const std::wstring& Folder);
    LPCITEMIDLIST Child(TFolder& Folder, const std::wstring& Name);
    // The texts of Child, the text of TypeColumn by the file's Extension.
    void ReadTexts(TFolder& Folder, LPCITEMIDLIST Child, const std::vector<int>& Columns,
                   std::vector<std::wstring>& Texts, int TypeColumn, bool IsFile, const std::wstring& Extension);
    // The texts the shell makes of an object with Found's data, in the root of
    // Folder's drive (where nothing need be reached but the root).
    bool TextsOfFound(const std::wstring& Folder, const std::wstring& Name, const TZemFindData& Found,
                      const std::vector<int>& Columns, std::vector<std::wstring>& Texts, int TypeColumn, bool IsFile);

    bool wholeFolders_ = false;
    size_t maxFolders_;  // past it every folder is let go at once: a bound, not a policy
    std::unordered_map<std::wstring, TFolder> folders_;  // by upper-case folder path
    // The item type of files, by extension as written: reading it costs the shell a
    // look into the registry for every object.
    std::unordered_map<std::wstring, std::wstring> typeTexts_;
};

}  // namespace shell
