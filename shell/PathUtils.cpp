#include "shell/PathUtils.h"

#include "shell/LongPathFind.h"
#include "shell/ShellEntryPoints.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/ListView.h"
#include "framework/TreeView.h"
#include "framework/SysUtils.h"
#include "framework/Thread.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <cwctype>
#include <vector>

namespace shell {

namespace {

wchar_t UpperAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c;
}

bool EqualText(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_EQUAL;
}

std::wstring TwoDigits(unsigned Value) {
    return std::wstring{wchar_t(L'0' + Value / 10 % 10), wchar_t(L'0' + Value % 10)};
}

}  // namespace

bool IsDriveLetterPath(const std::wstring& Path) {
    if (Path.size() < 3 || Path[1] != L':' || Path[2] != L'\\') return false;
    const wchar_t c = UpperAscii(Path[0]);
    return c >= L'A' && c <= L'Z';
}

bool IsUNCPath(const std::wstring& Path) {
    if (Path.size() < 3 || Path[0] != L'\\' || Path[1] != L'\\') return false;
    if (Path.size() >= 4 && Path[2] == L'?' && Path[3] == L'\\')
        return Path.size() >= 8 && UpperAscii(Path[4]) == L'U' && UpperAscii(Path[5]) == L'N' &&
               UpperAscii(Path[6]) == L'C' && Path[7] == L'\\';
    return Path.find(L'\\', 2) != std::wstring::npos;
}

bool IsQualifiedPath(const std::wstring& Path) {
    return IsDriveLetterPath(Path) || IsUNCPath(Path);
}

bool IsUNCServerName(const std::wstring& Path) {
    if (Path.size() < 3) return false;
    const std::wstring p = fw::ExcludeTrailingPathDelimiter(Path);
    return p.size() > 2 && p[0] == L'\\' && p[1] == L'\\' && p.find(L'\\', 2) == std::wstring::npos;
}

bool IsNetworkPath(const std::wstring& Path) {
    if (IsUNCPath(Path)) return true;
    const std::wstring drive = ExtractDrivePart(Path);
    if (drive.empty()) return false;
    return GetDriveTypeW(fw::IncludeTrailingPathDelimiter(drive).c_str()) == DRIVE_REMOTE;
}

bool HasExtension(const std::wstring& Path, const std::wstring& Ext) {
    std::wstring ext = Ext;
    if (!ext.empty() && ext[0] != L'.') ext.insert(ext.begin(), L'.');
    const std::wstring p = fw::ExcludeTrailingPathDelimiter(Path);
    std::wstring own;
    for (std::size_t i = p.size(); i-- > 0;) {
        if (p[i] == L'\\' || p[i] == L':') break;
        if (p[i] == L'.') {
            own = p.substr(i);
            break;
        }
    }
    return EqualText(own, ext);
}

bool SamePath(const std::wstring& A, const std::wstring& B) {
    return EqualText(fw::ExcludeTrailingPathDelimiter(A), fw::ExcludeTrailingPathDelimiter(B));
}

bool StartsText(const std::wstring& S, const std::wstring& Prefix) {
    if (Prefix.size() > S.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if (UpperAscii(S[i]) != UpperAscii(Prefix[i])) return false;
    return true;
}

bool IsParentPath(const std::wstring& Path, const std::wstring& Folder) {
    if (Folder.empty() || Path.empty()) return false;
    // Both with their separator, so "C:\A" is no parent of "C:\AB".
    return StartsText(fw::IncludeTrailingPathDelimiter(Folder), fw::IncludeTrailingPathDelimiter(Path)) &&
           !SamePath(Folder, Path);
}

bool IsDotOrDotDot(const wchar_t* Name) {
    return Name && Name[0] == L'.' && (Name[1] == 0 || (Name[1] == L'.' && Name[2] == 0));
}

int64_t GetFileSize64(const std::wstring& Path) {
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileLong(Path, data);
    if (h == INVALID_HANDLE_VALUE) return -1;
    FindClose(h);
    return FindDataFileSize(data);
}

int CompareTextLogical(const std::wstring& A, const std::wstring& B) {
    if (BoundEntries.StrCmpLogicalW) return BoundEntries.StrCmpLogicalW(A.c_str(), B.c_str());
    return fw::AnsiCompareText(A, B);
}

std::wstring ExpandPathMacros(const std::wstring& Path) {
    std::wstring result = Path;
    if (!Path.empty()) {
        const DWORD length = ExpandEnvironmentStringsW(Path.c_str(), nullptr, 0);
        if (length >= 1) {
            std::vector<wchar_t> buffer(length + 1, L'\0');
            const DWORD n = ExpandEnvironmentStringsW(Path.c_str(), buffer.data(), DWORD(buffer.size()));
            // The count includes the terminating zero, which the text never carries.
            if (n >= 1 && n <= buffer.size()) result.assign(buffer.data(), n - 1);
        }
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring date = std::to_wstring(now.wYear) + L"-" + TwoDigits(now.wMonth) + L"-" + TwoDigits(now.wDay);
    result = fw::StringReplace(result, L"%DATE%", date, fw::rfReplaceAll | fw::rfIgnoreCase);
    const std::wstring time = TwoDigits(now.wHour) + L"-" + TwoDigits(now.wMinute) + L"-" + TwoDigits(now.wSecond);
    return fw::StringReplace(result, L"%TIME%", time, fw::rfReplaceAll | fw::rfIgnoreCase);
}

void ApplyExplorerListStyle(fw::TCustomListView* ListView) {
    if (!ListView || !OsVersionFlags().WinVistaOrLater) return;
    // The list's own property: a later reset of its styles keeps the row selection.
    ListView->SetRowSelect(true);
    SendMessageW(ListView->Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
    SetWindowTheme(ListView->Handle(), L"explorer", nullptr);
}

void ApplyExplorerTreeStyle(fw::TCustomTreeView* TreeView) {
    if (!TreeView || !OsVersionFlags().WinVistaOrLater) return;
    SetWindowTheme(TreeView->Handle(), L"explorer", nullptr);
    SendMessageW(TreeView->Handle(), 0x112C /* TVM_SETEXTENDEDSTYLE */, 0, 0x40 /* fading expand buttons */);
    // The tree's own property, so what it reports and its next window agree.
    TreeView->SetShowLines(false);
}

bool SetAutoComplete(HWND Control, bool FileSystem, bool Url) {
    DWORD flags = 0;
    if (FileSystem) flags |= 1;          // SHACF_FILESYSTEM
    if (Url) flags |= 6;                 // SHACF_URLHISTORY | SHACF_URLMRU
    if (flags == 0) flags = 0xA0000007;  // suggest and append forced off
    else flags |= 8;                     // SHACF_USETAB
    if (!BoundEntries.SHAutoComplete || !Control) return false;
    try {
        return BoundEntries.SHAutoComplete(Control, flags) == S_OK;
    } catch (...) {
        return false;
    }
}

void SetIconTitleFont(fw::TFont* Font) {
    LOGFONTW font{};
    if (!Font || !SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return;
    if (HFONT handle = CreateFontIndirectW(&font)) Font->SetHandle(handle);
}

HWND GetMainWindowHandle() {
    // Windows belong to the main thread; other threads get no owner (and no dialogs).
    if (!fw::IsMainThread()) return nullptr;
    fw::TApplication* application = fw::Application();
    if (!application) return nullptr;
    if (application->MainForm()) return application->MainForm()->Handle();
    return application->Handle();
}

// The drive part of a path: "C:" of "C:\x"; of a UNC path, everything up to
// the separator after the share ("\\server\share"), or the whole path without
// its trailing separator when the share is missing; else empty.
std::wstring ExtractDrivePart(const std::wstring& Path) {
    if (Path.size() >= 2 && Path[1] == L':') return Path.substr(0, 2);
    if (Path.size() >= 2 && Path[0] == L'\\' && Path[1] == L'\\') {
        const std::size_t server = Path.find(L'\\', 2);
        if (server == std::wstring::npos) return Path;
        const std::size_t share = Path.find(L'\\', server + 1);
        if (share != std::wstring::npos) return Path.substr(0, share);
        return Path.back() == L'\\' ? Path.substr(0, Path.size() - 1) : Path;
    }
    return std::wstring();
}

}  // namespace shell
