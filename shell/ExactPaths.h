#pragma once
// Paths that name exactly one object. The plain form of a path is rewritten by
// the system before it is used: trailing dots and blanks of a name are dropped
// ("doc.txt." opens "doc.txt", "..." names the folder it is in), and a device name
// ("nul.txt") opens the device. Only the long form ("\\?\C:\...") keeps every name
// as it is, so whatever acts on an object the user chose goes by the long form,
// and hands a plain path to the shell only where the plain form names the same
// object. And an object is acted on through a handle only when the handle is
// that object, not what a link of it leads to.
// Routines without state; any thread that has COM may call them.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

namespace shell {

// The full form of a drive or UNC path, with or without the long-path prefix:
// "/" read as "\", "." and ".." parts resolved, the prefix dropped, every name
// kept as it is ("dotdir." stays). Other texts come back as given.
std::wstring ExactFullPath(const std::wstring& Path);
// The same in the long form, which the system takes as it is.
std::wstring ExactLongPath(const std::wstring& Path);
// Whether the system reads every name of the (full) path as it is written: no
// name ends in a dot or a blank, holds a colon or a wildcard (* ? < > " |), or
// is a device name.
bool PlainFormIsExact(const std::wstring& Path);
// Whether the system reads Name as it is written.
bool PlainNameIsExact(const std::wstring& Name);

// Whether the object at Path, opened without following a link, is the entry of
// its folder itself: true for files, folders and links the system opens as
// links; false where opening goes through to what a link points to (Wine follows
// host links, and shows a link to a file as the file) or the object cannot be
// opened. A drive root is itself.
bool OpensAsItself(const std::wstring& Path);
// The same for an entry already listed: Name and Attributes as its folder lists
// them, FolderFinal the folder's final path (FinalPathOf, links followed).
bool OpensAsItself(const std::wstring& Path, const std::wstring& Name, DWORD Attributes,
                   const std::wstring& FolderFinal);

// The identity of an object: its volume and its file index; equal for every
// spelling of the same object. A link is opened as the link where the system
// allows it.
struct TObjectId {
    DWORD Volume = 0;
    uint64_t Index = 0;
    bool operator<(const TObjectId& Other) const {
        return Volume != Other.Volume ? Volume < Other.Volume : Index < Other.Index;
    }
    bool operator==(const TObjectId&) const = default;
};
// false when the object cannot be opened.
bool ObjectIdOf(const std::wstring& Path, TObjectId& Id, bool FollowLinks = false);
// The object's final path as the system gives it (long form, links before the
// object resolved; the object's own link too with FollowLinks); empty when unknown.
std::wstring FinalPathOf(const std::wstring& Path, bool FollowLinks = true);

// The absolute item-ID list of exactly the object at Path: the part the shell
// parses as written is parsed, every name after it is found by enumeration.
// nullptr when there is no such object. The caller frees the list.
LPITEMIDLIST ExactPathToPidl(const std::wstring& Path);
// The relative list of Folder's child named exactly Name (letter case aside), found
// by enumeration; nullptr when there is none. The caller frees the list.
LPITEMIDLIST FindExactChild(IShellFolder* Folder, const std::wstring& Name);

}  // namespace shell
