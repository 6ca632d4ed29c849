#pragma once
// Finding the first entry of a path in its long-path form ("\\?\C:\...",
// "\\?\UNC\server\share\..."), so that absolute paths longer than the classic
// path limit can be searched. Every enumeration and existence test of the shell
// library goes through FindFirstFileLong. Any thread may call these.
#include <windows.h>

#include <string>

namespace shell {

// The long form of a drive or UNC path: "/" read as "\", "." and ".." parts
// resolved, every name passed on unchanged (trailing dots included, as a folder
// listing gives them). Relative paths, bare names, device paths ("\\.\...") and
// paths already in long form come back as given.
std::wstring MakeLongPath(const std::wstring& Path);
// The full form of a path a caller starts from: a qualified path resolved as
// MakeLongPath does (without the prefix); a relative one made full by the system
// against the current folder.
std::wstring MakeFullPath(const std::wstring& Path);
// FindFirstFileW on the long form, with the WOW64 redirection switch around it.
// A path whose last name holds no wildcard finds the entry of exactly that name
// (its long or short form), never one the system matched otherwise.
// INVALID_HANDLE_VALUE when nothing is found; the caller closes the handle (FindClose).
HANDLE FindFirstFileLong(const std::wstring& Path, WIN32_FIND_DATAW& FindData);

}  // namespace shell
