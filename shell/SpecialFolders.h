#pragma once
// The shell's well-known folders as one enumeration, TZemShellFolder, with their
// item-ID lists and paths, the reverse mapping from a list to a value through a
// cache the library's start-up fills, the Windows folder, and whether a path or
// drive can be read without error boxes. The cache is read-only between start-up
// and shut-down; every routine here may run on any thread that has COM.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

namespace shell {

enum TZemShellFolder : uint8_t {
    SF_FILESYSTEMFOLDER,  // an ordinary folder; as a target, the computer's drives folder
    SF_BITBUCKET,
    SF_CONTROLS,
    SF_DESKTOP,
    SF_DESKTOPDIRECTORY,
    SF_DRIVES,
    SF_FONTS,
    SF_NETHOOD,
    SF_NETWORK,
    SF_PERSONAL,
    SF_PRINTERS,
    SF_PROGRAMS,
    SF_RECENT,
    SF_SENDTO,
    SF_STARTMENU,
    SF_STARTUP,
    SF_TEMPLATES,
    SF_FAVORITES,
    SF_COMMON_STARTMENU,
    SF_COMMON_STARTUP,
    SF_COMMON_DESKTOPDIRECTORY,
    SF_APPDATA,
    SF_PRINTHOOD,
    SF_COMMON_FAVORITES,
    SF_INTERNET_CACHE,
    SF_COOKIES,
    SF_HISTORY,
    SF_COMMON_PROGRAMS,
    SF_ALTSTARTUP,
    SF_COMMON_APPDATA,
    SF_COMMON_DOCUMENTS,
    SF_INTERNET,
    SF_LOCAL_APPDATA,
    SF_MYPICTURES,
    SF_PROGRAM_FILES,
    SF_SYSTEM,
    SF_PROGRAM_FILES_COMMON,
    SF_WINDOWS,
    SF_PROGRAM_FILESX86,
    SF_PROGRAM_FILES_COMMONX86,
    SF_SYSTEMX86,
    SF_MY_MUSIC,
    SF_MY_PICTURES,
    SF_MY_VIDEOS,
    SF_INVALID,  // no folder; also a browser's marker for a value not yet known
};

// The shell's special-folder id of every value, in value order.
extern const int ShellFolderCsidls[45];

// A set of TZemShellFolder values (bit v stands for value v); empty means all.
using TZemShellFolders = uint64_t;
constexpr TZemShellFolders ShellFolderSet(TZemShellFolder Folder) {
    return TZemShellFolders(1) << Folder;
}

// A new list (the caller frees it) or nullptr; SF_DESKTOP gives the empty list.
LPITEMIDLIST GetSpecialFolderIDList(TZemShellFolder Folder);
// The folder's path; empty for folders the system lacks and virtual ones. The
// 32-bit program-files and system values fall back to their plain siblings.
std::wstring GetSpecialFolderPath(TZemShellFolder Folder);
// The paths of the special folders this system has.
std::vector<std::wstring> SpecialFolderPaths();
// The value whose folder the absolute list denotes (first match in value order);
// SF_DESKTOP for nullptr and the empty list, SF_FILESYSTEMFOLDER for no match.
TZemShellFolder PidlToShellFolder(LPCITEMIDLIST Pidl);
TZemShellFolder PidlToShellFolderIn(LPCITEMIDLIST Pidl, TZemShellFolders Candidates);

std::wstring GetWindowsFolder();
// "C:" form plus backslash: the drive of the Windows folder; set at start-up.
std::wstring WindowsDrive();

bool IsDriveRoot(const std::wstring& Path);
// Whether the drive of a path can be read; shows no error box.
bool IsDriveReady(const std::wstring& Path);
// Whether a path names an existing file, folder or ready drive. Wildcards name
// nothing, so a path holding "*" or "?" does not exist.
bool PathExists(const std::wstring& Path);
bool IsWow64();

// Under WOW64: a path below the 32-bit program-files folder that does not exist
// becomes the same path below the 64-bit one when that exists.
void FixWow64ProgramFilesPath(std::wstring& Path);
// The rule itself, for the two folders given; an empty Path32 matches nothing.
void ReplaceProgramFilesPath(std::wstring& Path, const std::wstring& Path32, const std::wstring& Path64);
// The target of a shortcut file with the program-files correction; empty when
// the path is no shortcut.
std::wstring ResolveShortcutPath(const std::wstring& Path);

// Start-up and shut-down of the shared state (called by the library's start-up):
// the cache of special-folder lists, the Windows drive and the WOW64 paths.
void SpecialFoldersInitialize();
void SpecialFoldersFinalize();

}  // namespace shell
