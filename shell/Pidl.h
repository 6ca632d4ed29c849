#pragma once
// Item-ID lists: the routines that build, copy, cut, measure, convert and compare
// them. Every list a routine returns is a new block of the shell's task
// allocator, owned by the caller and freed with CoTaskMemFree (hold it in a
// fw::PidlPtr); routines never free their arguments and accept nullptr where said.
// The routines keep no state and run on any thread that has initialised COM.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "framework/Handles.h"

namespace shell {

// A zero-filled block of Size bytes; nullptr when the allocator fails.
LPITEMIDLIST PidlAlloc(UINT Size);
// Bytes of the list with its terminator; 0 for nullptr.
UINT PidlSize(LPCITEMIDLIST Pidl);
// Items before the terminator; 0 for nullptr and for the empty list.
int PidlCount(LPCITEMIDLIST Pidl);
// A byte copy; nullptr for nullptr or when allocation fails.
LPITEMIDLIST PidlClone(LPCITEMIDLIST Pidl);
// First's items followed by Second's; a copy of the one given when the other is
// nullptr; nullptr when both are nullptr or allocation fails.
LPITEMIDLIST PidlConcat(LPCITEMIDLIST First, LPCITEMIDLIST Second);
// Item Index (from 0) as a one-item list; the empty list for Index equal to the
// count; nullptr beyond it.
LPITEMIDLIST PidlItem(LPCITEMIDLIST Pidl, int Index);
// The list cut after its first Count items; the whole clone when Count reaches
// the item count (Count - 1 gives the parent folder, 0 the desktop).
LPITEMIDLIST PidlTruncate(LPCITEMIDLIST Pidl, int Count);
// The last item as a one-item list; the empty list for the empty list.
inline LPITEMIDLIST PidlLastItem(LPCITEMIDLIST Pidl) {
    return PidlItem(Pidl, PidlCount(Pidl) - (PidlCount(Pidl) > 0));
}

// The remote name of a domain or server object; empty for any other object.
std::wstring PidlNetworkName(IShellFolder* Folder, LPCITEMIDLIST Relative);
// Parses a path in Folder (nullptr: the desktop). "" gives the computer's drives
// folder, "C:" the same as "C:\". On failure nullptr, with the shell's HRESULT
// as the thread's last error.
LPITEMIDLIST PathToPidl(IShellFolder* Folder, const std::wstring& Path);
// The file-system path of an absolute list; empty for nullptr and virtual objects.
std::wstring PidlToPath(LPCITEMIDLIST Pidl);
// Whether the list's first item is the network folder.
bool IsInNetworkFolder(LPCITEMIDLIST Pidl);
// Whether the desktop sees the two absolute lists as the same object (CompareIDs
// returns exactly 0). Lists are never compared by their bytes.
bool PidlEqual(LPCITEMIDLIST A, LPCITEMIDLIST B);
// The display name of an item of Folder (SHGDN_* flags); empty on failure.
std::wstring GetDisplayNameOf(IShellFolder* Folder, LPCITEMIDLIST Relative, SHGDNF Flags);
// Frees the wide string of a STRRET of type STRRET_WSTR.
void FreeStrRet(STRRET& StrRet);

// The desktop folder shared by all threads (not add-ref'd for the caller);
// nullptr before the library's start-up. SetDesktopFolder takes a reference.
IShellFolder* DesktopFolder();
void SetDesktopFolder(IShellFolder* Folder);
// The static empty list that stands for the desktop; never freed.
LPCITEMIDLIST DesktopPidl();

}  // namespace shell
