#pragma once
// The shell library's bindings to optional system entry points, and the small
// shell routines that live beside them.
// ShellEntryPointsInitialize() loads Shell32, shlwapi and kernel32 and binds
// their optional entries by name or ordinal; every caller tests a pointer for
// nullptr before calling it and falls back when it is missing. The library's
// start-up (shell/ShellLibrary.h) calls it once; ShellEntryPointsFinalize()
// frees the libraries again after the last user.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>

namespace fw {
class TStringList;
}

namespace shell {

// Optional entry points; nullptr when the library or the entry is missing.
struct TBoundEntryPoints {
    // Shell32
    ULONG(WINAPI* SHChangeNotifyRegister)
    (HWND, int, LONG, UINT, int, const SHChangeNotifyEntry*) = nullptr;  // ordinal 2
    BOOL(WINAPI* SHChangeNotifyDeregister)(ULONG) = nullptr;             // ordinal 4
    HRESULT(WINAPI* CIDLData_CreateFromIDArray)
    (PCIDLIST_ABSOLUTE, UINT, PCUIDLIST_RELATIVE_ARRAY,
     IDataObject**) = nullptr;  // ordinal 83
    HRESULT(WINAPI* CDefFolderMenu_Create2)
    (PCIDLIST_ABSOLUTE, HWND, UINT, PCUITEMID_CHILD_ARRAY, IShellFolder*, LPFNDFMCALLBACK, UINT, const HKEY*,
     IContextMenu**) = nullptr;                                      // ordinal 701
    HRESULT(WINAPI* SHGetImageList)(int, REFIID, void**) = nullptr;  // ordinal 727
    BOOL(WINAPI* SHGetPathFromIDListEx)(PCIDLIST_ABSOLUTE, PWSTR, DWORD, int) = nullptr;
    HRESULT(WINAPI* SHCreateItemFromIDList)(PCIDLIST_ABSOLUTE, REFIID, void**) = nullptr;
    // shlwapi
    HRESULT(WINAPI* SHAutoComplete)(HWND, DWORD) = nullptr;
    BOOL(WINAPI* PathMatchSpecW)(LPCWSTR, LPCWSTR) = nullptr;
    HRESULT(WINAPI* StrRetToStrW)(STRRET*, PCUITEMID_CHILD, LPWSTR*) = nullptr;
    int(WINAPI* StrCmpLogicalW)(LPCWSTR, LPCWSTR) = nullptr;
    // kernel32
    BOOL(WINAPI* Wow64DisableWow64FsRedirection)(PVOID*) = nullptr;
    BOOL(WINAPI* Wow64RevertWow64FsRedirection)(PVOID) = nullptr;
    BOOL(WINAPI* IsWow64Process)(HANDLE, PBOOL) = nullptr;
    UINT(WINAPI* GetSystemWindowsDirectoryW)(LPWSTR, UINT) = nullptr;
    DWORD(WINAPI* GetLongPathNameW)(LPCWSTR, LPWSTR, DWORD) = nullptr;
};

// The bound entries. Written only by start-up and shut-down (and by tests that
// stand in for a missing entry); read by every thread in between.
extern TBoundEntryPoints BoundEntries;

// Binds the entries and loads the shell captions; counted, so only the first
// call does the work. Raises fw::Exception when Shell32 or shlwapi cannot be loaded.
void ShellEntryPointsInitialize();
// Frees the libraries and the captions after the last user.
void ShellEntryPointsFinalize();

// The long-path prefix "\\?\".
extern const wchar_t* const LongPathPrefix;

// Shell captions loaded at start-up from Shell32's string table.
std::wstring ShellCaption(UINT Id);  // empty when the id was not loaded
std::wstring InFolderCaption();      // id 8977, else "In Folder"
std::wstring NewFolderCaption();     // id 30320, else "New Folder"

// Set by the application to let file-system routines switch WOW64 redirection off.
extern bool UseWow64RedirectionSwitch;

// Turns a STRRET into text; the shell's string is freed. Without StrRetToStrW the
// user is told (once the application is not already terminating), the
// application is asked to terminate, and the text is empty.
std::wstring StrRetToString(PCUITEMID_CHILD Pidl, const STRRET& StrRet);
extern const wchar_t* const MissingDllMessage;

// Whether a name matches one mask, by the platform's PathMatchSpecW (case-
// insensitive, "*" and "?"). "*.*" matches every name; "*." every name without
// a dot (and those with one that PathMatchSpecW accepts for it).
bool MatchesMask(const std::wstring& Name, const std::wstring& Mask);

// The system's text for an error code (at most 1,023 characters), trimmed;
// empty when the system has none.
std::wstring SysErrorText(DWORD Code);
// What SysErrorText hands on of a system text of Length characters: at most the
// first 1,023 of them, trimmed (empty for no text).
std::wstring SysErrorTextOf(const wchar_t* Text, std::size_t Length);

// The names of a file drop; nullptr when the handle is 0 or holds no file (none
// counted, or the first cannot be read). The reading stops at the first name that
// cannot be read.
std::unique_ptr<fw::TStringList> ReadDroppedFiles(HDROP Drop);
// The names of a "FileGroupDescriptor" (ANSI) or "FileGroupDescriptorW" (wide)
// block; nullptr when the medium holds no global memory or it cannot be locked.
std::unique_ptr<fw::TStringList> GetFileGroupDescriptorNamesA(const STGMEDIUM& Medium);
std::unique_ptr<fw::TStringList> GetFileGroupDescriptorNamesW(const STGMEDIUM& Medium);

// The target of a shortcut file; empty when any step fails. Needs COM.
std::wstring ResolveShortcut(const std::wstring& LinkPath);

// WOW64 redirection switch around file-system calls; does nothing unless
// UseWow64RedirectionSwitch is set. Disable returns whether redirection was
// already off, which Revert then keeps.
bool DisableFsRedirection();
bool RevertFsRedirection(bool Disabled);

std::wstring GetTempFolder();
bool IsReparsePoint(DWORD Attributes);
inline DWORD LowWord(DWORD Value) {
    return Value & 0xFFFF;
}
// 1-based position of SubText in Text at or after Offset (case-sensitive); 0 when none.
int PosFrom(const std::wstring& SubText, const std::wstring& Text, int Offset);

// A block of executable code that, called as a plain callback with up to four
// integer arguments, calls Code(Instance, arg1, ..., arg4). Lets an object's
// method serve as a window procedure or enumeration callback.
void* MakeCallbackThunk(void* Instance, void* Code);
void FreeCallbackThunk(void* Thunk);

// Switches critical-error boxes (and with 0x8001 open-file boxes) off for the
// calling thread while it lives, and restores the previous mode.
class TErrorModeGuard {
public:
    explicit TErrorModeGuard(DWORD Mode = SEM_FAILCRITICALERRORS);
    ~TErrorModeGuard();
    TErrorModeGuard(const TErrorModeGuard&) = delete;
    TErrorModeGuard& operator=(const TErrorModeGuard&) = delete;

private:
    DWORD previous_ = 0;
    bool set_ = false;
};

// The operating-system flags, set once by the library's start-up.
struct TOsVersionFlags {
    bool Win2000OrLater = false;
    bool WinXPOr2003 = false;
    bool WinXPOrLater = false;
    bool WinVistaOrLater = false;
    bool Win7OrLater = false;
};
const TOsVersionFlags& OsVersionFlags();
// Reads GetVersionExW; leaves every flag false when that fails.
void SetOsVersionFlags();

}  // namespace shell
