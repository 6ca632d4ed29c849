// The browser's pictures of its object: system icon indexes, the overlay image
// (shortcut arrow, share hand), the desktop's own icon and name, and thumbnails
// through the shell item's image factory or the object's image extractor, with
// the large icon as a fallback.
#include "shell/Pathfinch.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <shlwapi.h>

#include <atomic>
#include <cmath>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Graphics.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSystemImageList.h"

namespace shell {

namespace {

// The identifiers the toolchain's import libraries do not all carry.
const IID kIShellItem = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
const IID kIShellItemImageFactory = {0xBCC18B79, 0xBA16, 0x442F, {0x80, 0xC4, 0x8A, 0x59, 0xC3, 0x0C, 0x46, 0x3B}};
const IID kIShellIconOverlay = {0x7D688A70, 0xC613, 0x11D0, {0x99, 0x9B, 0x00, 0xC0, 0x4F, 0xD6, 0x55, 0xE1}};
const IID kIExtractImage = {0xBB2E617C, 0x0920, 0x11D1, {0x9A, 0x0B, 0x00, 0xC0, 0x4F, 0xC2, 0xD6, 0xC1}};

constexpr DWORD ThumbnailOnly = 0x8;   // SIIGBF_THUMBNAILONLY
constexpr DWORD ExtractFlags = 0x220;  // IEIFLAG_SCREEN | IEIFLAG_QUALITY
constexpr DWORD ExtractPriority = 2;   // IEIT_PRIORITY_NORMAL
constexpr DWORD ExtractColourDepth = 24;
constexpr DWORD ExtractPathLength = 32767;

void DebugText(const wchar_t* Text) {
    OutputDebugStringW(Text);
}

// A picture the shell gave, or nullptr when it gave none. Wine answers with a
// 1 x 1 bitmap where it has no thumbnail: that counts as none.
std::unique_ptr<fw::TBitmap> AdoptPicture(HBITMAP Handle) {
    if (!Handle) return nullptr;
    auto bitmap = std::make_unique<fw::TBitmap>();
    try {
        bitmap->SetHandle(Handle);
    } catch (...) {
        DeleteObject(Handle);
        return nullptr;
    }
    if (bitmap->Width() <= 1 && bitmap->Height() <= 1) return nullptr;
    return bitmap;
}

// The COM interfaces below are declared by the toolchain; only their
// identifiers are our own.
HRESULT GetImage(IShellItemImageFactory* Factory, int Width, int Height, DWORD Flags, HBITMAP& Bitmap) {
    Bitmap = nullptr;
    const SIZE size{Width, Height};
    return Factory->GetImage(size, SIIGBF(Flags), &Bitmap);
}

}  // namespace

// ---- Icons ------------------------------------------------------------------------

int TPathfinch::ObjectIconIndex() {
    LPCITEMIDLIST object = AbsoluteObjectIDList();
    return object ? TZemSystemImageList::GetIconIndex(object, si_small, false) : -1;
}

int TPathfinch::ObjectOpenIconIndex() {
    LPCITEMIDLIST object = AbsoluteObjectIDList();
    return object ? TZemSystemImageList::GetIconIndex(object, si_small, true) : -1;
}

int TPathfinch::ObjectOverlayIndex() {
    if (!folder_ || !objectPidl_) return -1;
    if (fw::ComPtr<IShellIconOverlay> overlay = folder_.As<IShellIconOverlay>(kIShellIconOverlay)) {
        try {
            TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
            int index = -1;
            // Only a definite answer counts: S_FALSE or an index below 1 is no overlay.
            if (overlay->GetOverlayIndex(objectPidl_.get(), &index) == S_OK && index >= 1) return index - 1;
        } catch (...) {}
        return -1;
    }
    const SFGAOF attributes = GetAttributes(SFGAO_LINK | SFGAO_SHARE);
    if (attributes & SFGAO_LINK) return 1;
    if (attributes & SFGAO_SHARE) return 0;
    return -1;
}

int TPathfinch::DesktopIconIndex() {
    static const USHORT emptyList = 0;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(&emptyList), 0, &info, sizeof(info),
                   SHGFI_SYSICONINDEX | SHGFI_PIDL | SHGFI_SMALLICON);
    return info.iIcon;
}

void TPathfinch::DesktopDisplayName(std::wstring& Name) {
    static const USHORT emptyList = 0;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(&emptyList), 0, &info, sizeof(info), SHGFI_DISPLAYNAME | SHGFI_PIDL);
    info.szDisplayName[MAX_PATH - 1] = 0;
    Name = info.szDisplayName;
}

// ---- Thumbnails -------------------------------------------------------------------

std::unique_ptr<fw::TBitmap> TPathfinch::GetThumbnailBitmap(int Width, int Height, bool IconFallback) {
    const bool sized = Width > 0 && Height > 0;
    const int width = sized ? Width : 200;
    const int height = sized ? Height : 200;
    if (!AbsoluteObjectIDList()) return nullptr;
    if (OsVersionFlags().WinVistaOrLater && (CommonControlsVersion() >= 0x00060000 || !IconFallback))
        return ShellItemThumbnail(width, height, IconFallback);
    fw::TCriticalSection& lock = ThumbnailLock();
    lock.Enter();
    std::unique_ptr<fw::TBitmap> bitmap;
    try {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        bitmap = ExtractedThumbnail(width, height);
        if (!bitmap && IconFallback) {
            TZemSystemImageList large(nullptr);
            large.SetSize(si_large);
            bitmap.reset(
                TZemSystemImageList::MakeIconBitmap(&large, width, height, fw::clNone, fw::clNone, ObjectIconIndex()));
        }
    } catch (...) {
        bitmap.reset();
    }
    lock.Leave();
    // The picture may be handed to another thread: its drawing context goes now.
    if (bitmap) bitmap->Dormant();
    return bitmap;
}

std::unique_ptr<fw::TBitmap> TPathfinch::ShellItemThumbnail(int Width, int Height, bool IconFallback) {
    fw::ComPtr<IShellItem> item;
    if (!BoundEntries.SHCreateItemFromIDList ||
        FAILED(BoundEntries.SHCreateItemFromIDList(AbsoluteObjectIDList(), kIShellItem, item.put_void())) || !item) {
        DebugText(L"TPathfinch.GetThumbnailBitmap: SHCreateItemFromIDList failed");
        return nullptr;
    }
    fw::ComPtr<IShellItemImageFactory> factory = item.As<IShellItemImageFactory>(kIShellItemImageFactory);
    if (!factory) {
        DebugText(L"TPathfinch.GetThumbnailBitmap: Couldn't get IShellItemImageFactory interface");
        return nullptr;
    }
    const DWORD flags = IconFallback ? 0 : ThumbnailOnly;
    HBITMAP handle = nullptr;
    std::unique_ptr<fw::TBitmap> bitmap;
    if (SUCCEEDED(GetImage(factory.get(), Width, Height, flags, handle))) bitmap = AdoptPicture(handle);
    else if (handle) DeleteObject(handle);
    if (!bitmap) {
        DebugText(L"TPathfinch.GetThumbnailBitmap: IShellItemImageFactory.GetImage failed");
        return nullptr;
    }
    // A picture taller or wider than asked is asked again to fit the size it was
    // asked at (the size in force, also when the caller left it to the default).
    int askWidth = 0, askHeight = 0;
    if (bitmap->Height() > 1.01 * Height) {
        askWidth = int(std::lround(double(Width) * Height / bitmap->Height()));
        askHeight = Height;
    } else if (bitmap->Width() > 1.01 * Width) {
        askWidth = Width;
        askHeight = int(std::lround(double(Height) * Width / bitmap->Width()));
    }
    if (askWidth > 0 && askHeight > 0) {
        HBITMAP again = nullptr;
        if (SUCCEEDED(GetImage(factory.get(), askWidth, askHeight, flags, again))) {
            // The picture's former handle is freed as the new one takes its place.
            if (std::unique_ptr<fw::TBitmap> fitted = AdoptPicture(again)) bitmap = std::move(fitted);
        } else if (again) {
            DeleteObject(again);
        }
    }
    bitmap->Dormant();
    return bitmap;
}

std::unique_ptr<fw::TBitmap> TPathfinch::ExtractedThumbnail(int Width, int Height) {
    fw::ComPtr<IExtractImage> extract;
    GetUIObjectOf(kIExtractImage, extract.put_void());
    if (!extract) return nullptr;
    std::vector<wchar_t> location(ExtractPathLength, L'\0');
    DWORD priority = ExtractPriority;
    SIZE size{Width, Height};
    DWORD flags = ExtractFlags;
    const HRESULT hr =
        extract->GetLocation(location.data(), ExtractPathLength, &priority, &size, ExtractColourDepth, &flags);
    if (FAILED(hr) && hr != E_PENDING) return nullptr;
    HBITMAP handle = nullptr;
    if (FAILED(extract->Extract(&handle))) {
        if (handle) DeleteObject(handle);
        return nullptr;
    }
    return AdoptPicture(handle);
}

// ---- Common controls ----------------------------------------------------------------

DWORD CommonControlsVersion() {
    static std::atomic<DWORD> cached{0xFFFFFFFF};
    DWORD version = cached;
    if (version != 0xFFFFFFFF) return version;
    // Not known before the library is loaded: then nothing is kept.
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    if (!module) return 0;
    version = 0;
    {
        using TDllGetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
        auto get = reinterpret_cast<TDllGetVersion>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
        DLLVERSIONINFO info{};
        info.cbSize = sizeof(info);
        if (get && SUCCEEDED(get(&info))) version = MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
    }
    cached = version;
    return version;
}

}  // namespace shell
