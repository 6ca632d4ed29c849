#include "shell/Pidl.h"

#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

namespace shell {

namespace {

std::atomic<IShellFolder*> desktopFolder{nullptr};
// Two zero bytes: the terminator alone.
const USHORT emptyList[2] = {0, 0};

const SHITEMID* Next(const SHITEMID* Item) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(Item) + Item->cb);
}

// The shared desktop, or one of its own when the library has not started.
fw::ComPtr<IShellFolder> Desktop() {
    fw::ComPtr<IShellFolder> desktop(desktopFolder.load());
    if (!desktop && FAILED(SHGetDesktopFolder(desktop.put()))) desktop.reset();
    return desktop;
}

// The bytes of the items, without the terminator.
UINT ItemsSize(LPCITEMIDLIST Pidl) {
    const UINT size = PidlSize(Pidl);
    return size >= 2 ? size - 2 : 0;
}

}  // namespace

LPITEMIDLIST PidlAlloc(UINT Size) {
    void* block = CoTaskMemAlloc(Size);
    if (block) std::memset(block, 0, Size);
    return static_cast<LPITEMIDLIST>(block);
}

UINT PidlSize(LPCITEMIDLIST Pidl) {
    if (!Pidl) return 0;
    UINT size = 2;
    for (const SHITEMID* item = &Pidl->mkid; item->cb; item = Next(item)) size += item->cb;
    return size;
}

int PidlCount(LPCITEMIDLIST Pidl) {
    if (!Pidl) return 0;
    int count = 0;
    for (const SHITEMID* item = &Pidl->mkid; item->cb; item = Next(item)) ++count;
    return count;
}

LPITEMIDLIST PidlClone(LPCITEMIDLIST Pidl) {
    if (!Pidl) return nullptr;
    const UINT size = PidlSize(Pidl);
    LPITEMIDLIST copy = PidlAlloc(size);
    if (copy) std::memcpy(copy, Pidl, size);
    return copy;
}

LPITEMIDLIST PidlConcat(LPCITEMIDLIST First, LPCITEMIDLIST Second) {
    if (!First && !Second) return nullptr;
    if (!First) return PidlClone(Second);
    if (!Second) return PidlClone(First);
    const UINT first = ItemsSize(First), second = ItemsSize(Second);
    LPITEMIDLIST result = PidlAlloc(first + second + 2);
    if (!result) return nullptr;
    std::memcpy(result, First, first);
    std::memcpy(reinterpret_cast<BYTE*>(result) + first, Second, second);
    return result;  // the terminator's zeros come from the allocation
}

LPITEMIDLIST PidlItem(LPCITEMIDLIST Pidl, int Index) {
    if (!Pidl || Index < 0) return nullptr;
    const SHITEMID* item = &Pidl->mkid;
    for (int i = 0; i < Index; ++i) {
        if (!item->cb) return nullptr;
        item = Next(item);
    }
    LPITEMIDLIST result = PidlAlloc(item->cb + 2);
    if (result && item->cb) std::memcpy(result, item, item->cb);
    return result;
}

LPITEMIDLIST PidlTruncate(LPCITEMIDLIST Pidl, int Count) {
    if (!Pidl) return nullptr;
    const SHITEMID* item = &Pidl->mkid;
    for (int i = 0; i < Count && item->cb; ++i) item = Next(item);
    const UINT size = UINT(reinterpret_cast<const BYTE*>(item) - reinterpret_cast<const BYTE*>(Pidl));
    LPITEMIDLIST result = PidlAlloc(size + 2);
    if (result) std::memcpy(result, Pidl, size);
    return result;
}

std::wstring PidlNetworkName(IShellFolder* Folder, LPCITEMIDLIST Relative) {
    if (!Folder || !Relative) return std::wstring();
    // The structure is followed by its strings: room for long names on any platform.
    std::vector<std::uint64_t> buffer((sizeof(NETRESOURCEW) + 4096 * sizeof(wchar_t)) / 8 + 1, 0);
    auto* resource = reinterpret_cast<NETRESOURCEW*>(buffer.data());
    if (FAILED(SHGetDataFromIDListW(Folder, Relative, SHGDFIL_NETRESOURCE, resource,
                                    int(buffer.size() * sizeof(std::uint64_t)))))
        return std::wstring();
    if ((resource->dwDisplayType == RESOURCEDISPLAYTYPE_DOMAIN ||
         resource->dwDisplayType == RESOURCEDISPLAYTYPE_SERVER) &&
        resource->lpRemoteName)
        return resource->lpRemoteName;
    return std::wstring();
}

LPITEMIDLIST PathToPidl(IShellFolder* Folder, const std::wstring& Path) {
    std::wstring path = Path;
    if (path.empty()) {
        LPITEMIDLIST drives = nullptr;
        const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives);
        if (FAILED(hr)) SetLastError(DWORD(hr));
        return SUCCEEDED(hr) ? drives : nullptr;
    }
    if (path.size() == 2 && path[1] == L':') path += L'\\';
    // Only network paths may bring up a log-on dialog.
    const HWND owner = IsUNCPath(path) ? GetMainWindowHandle() : nullptr;
    const fw::ComPtr<IShellFolder> desktop = Folder ? fw::ComPtr<IShellFolder>() : Desktop();
    IShellFolder* folder = Folder ? Folder : desktop.get();
    if (!folder) return nullptr;
    std::vector<wchar_t> text(path.begin(), path.end());
    text.push_back(0);
    ULONG eaten = 0, attributes = 0;
    fw::PidlPtr result;
    HRESULT hr;
    {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        const bool disabled = DisableFsRedirection();
        hr = folder->ParseDisplayName(owner, nullptr, text.data(), &eaten, result.put(), &attributes);
        RevertFsRedirection(disabled);
    }
    if (FAILED(hr) || !result) {
        SetLastError(DWORD(FAILED(hr) ? hr : E_FAIL));
        return nullptr;
    }
    return result.release();
}

std::wstring PidlToPath(LPCITEMIDLIST Pidl) {
    if (!Pidl) return std::wstring();
    try {
        std::wstring path;
        bool done = false;
        if (OsVersionFlags().WinVistaOrLater && BoundEntries.SHGetPathFromIDListEx) {
            std::vector<wchar_t> buffer(32767, L'\0');
            if (BoundEntries.SHGetPathFromIDListEx(Pidl, buffer.data(), DWORD(buffer.size()), 0)) {
                done = true;
                path = buffer.data();
                if (path.size() >= 10 && BoundEntries.GetLongPathNameW) {
                    std::vector<wchar_t> longName(32767, L'\0');
                    const DWORD n =
                        BoundEntries.GetLongPathNameW(path.c_str(), longName.data(), DWORD(longName.size()));
                    if (n > 0 && n < longName.size()) path.assign(longName.data(), n);
                }
            }
        }
        if (!done) {
            wchar_t buffer[MAX_PATH + 1] = {};
            if (SHGetPathFromIDListW(Pidl, buffer)) path = buffer;
        }
        // Some shells answer virtual folders with "::{class id}": no file-system path.
        if (path.size() >= 2 && path[0] == L':' && path[1] == L':') path.clear();
        return path;
    } catch (...) {
        return std::wstring();
    }
}

bool IsInNetworkFolder(LPCITEMIDLIST Pidl) {
    if (PidlCount(Pidl) == 0) return false;
    fw::PidlPtr first(PidlItem(Pidl, 0));
    fw::PidlPtr network;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, network.put())) || !network) return false;
    return PidlEqual(first.get(), network.get());
}

bool PidlEqual(LPCITEMIDLIST A, LPCITEMIDLIST B) {
    if (!A || !B) return false;
    const fw::ComPtr<IShellFolder> desktop = Desktop();
    return desktop && desktop->CompareIDs(0, A, B) == 0;
}

std::wstring GetDisplayNameOf(IShellFolder* Folder, LPCITEMIDLIST Relative, SHGDNF Flags) {
    if (!Folder || !Relative) return std::wstring();
    STRRET str{};
    if (FAILED(Folder->GetDisplayNameOf(Relative, Flags, &str))) return std::wstring();
    std::wstring name = StrRetToString(Relative, str);
    return name;
}

void FreeStrRet(STRRET& StrRet) {
    if (StrRet.uType == STRRET_WSTR && StrRet.pOleStr) {
        CoTaskMemFree(StrRet.pOleStr);
        StrRet.pOleStr = nullptr;
    }
}

IShellFolder* DesktopFolder() {
    return desktopFolder.load();
}

void SetDesktopFolder(IShellFolder* Folder) {
    if (Folder) Folder->AddRef();
    if (IShellFolder* old = desktopFolder.exchange(Folder)) old->Release();
}

LPCITEMIDLIST DesktopPidl() {
    return reinterpret_cast<LPCITEMIDLIST>(emptyList);
}

}  // namespace shell
