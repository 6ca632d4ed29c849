#pragma once
// Plain path, text and control routines of the shell library. They keep no state
// and may run on any thread (the control routines on the thread of the control).
#include <windows.h>

#include <cstdint>
#include <string>

namespace fw {
class TCustomListView;
class TCustomTreeView;
class TFont;
}  // namespace fw

namespace shell {

// Path tests. Letters compare case-insensitively where a comparison is made.
bool IsDriveLetterPath(const std::wstring& Path);  // "C:\..." (the backslash is required)
bool IsUNCPath(const std::wstring& Path);          // "\\server\share...", "\\?\UNC\..."
bool IsQualifiedPath(const std::wstring& Path);    // drive path or UNC path
bool IsUNCServerName(const std::wstring& Path);    // "\\server" alone
bool IsNetworkPath(const std::wstring& Path);      // UNC, or on a remote drive
bool HasExtension(const std::wstring& Path, const std::wstring& Ext);
bool SamePath(const std::wstring& A, const std::wstring& B);
bool StartsText(const std::wstring& S, const std::wstring& Prefix);
// Whether Folder lies below Path: Path must end where a separator follows in Folder.
bool IsParentPath(const std::wstring& Path, const std::wstring& Folder);
bool IsDotOrDotDot(const wchar_t* Name);
// The drive part of a path: "C:" of "C:\x", "\\server\share" of a UNC path, else empty.
std::wstring ExtractDrivePart(const std::wstring& Path);
inline bool IsDotOrDotDot(const std::wstring& Name) {
    return IsDotOrDotDot(Name.c_str());
}

// Sizes.
inline int64_t MakeInt64(DWORD Lo, DWORD Hi) {
    return int64_t((uint64_t(Hi) << 32) | uint64_t(Lo));
}
inline int64_t FindDataFileSize(const WIN32_FIND_DATAW& FindData) {
    return MakeInt64(FindData.nFileSizeLow, FindData.nFileSizeHigh);
}
// The size of a file by a find on its path; -1 when it is not found.
int64_t GetFileSize64(const std::wstring& Path);

// Natural order (file2 before file10) where the shell offers it, else plain
// case-insensitive order. Negative, 0 or positive.
int CompareTextLogical(const std::wstring& A, const std::wstring& B);

// Environment variables, then "%DATE%" (yyyy-mm-dd) and "%TIME%" (hh-nn-ss).
std::wstring ExpandPathMacros(const std::wstring& Path);

// Control routines for a list view and a tree view (their windows are made if need be).
void ApplyExplorerListStyle(fw::TCustomListView* ListView);
void ApplyExplorerTreeStyle(fw::TCustomTreeView* TreeView);
// Auto-completion for an edit control (or a combo box's edit).
bool SetAutoComplete(HWND Control, bool FileSystem, bool Url);
// The window that owns the program's dialogs: the main form's, else the
// application's; 0 without application object.
HWND GetMainWindowHandle();
// Gives Font the system's icon-title font (the font adopts the new handle).
void SetIconTitleFont(fw::TFont* Font);

}  // namespace shell
