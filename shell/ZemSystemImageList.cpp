#include "shell/ZemSystemImageList.h"

#include <commoncontrols.h>

#include <atomic>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Filer.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"

namespace shell {

namespace {

std::atomic<int> folderIconIndex{-1};

// IImageList's identifier; the toolchain's import libraries do not carry it.
const IID kIImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

bool IsExistingDirectory(const std::wstring& Path) {
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    // The long form keeps a last dot or blank of a name, which the short form drops.
    const DWORD attributes = GetFileAttributesW(MakeLongPath(Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TZemSystemImageList::TZemSystemImageList(fw::TComponent* AOwner) : fw::TCustomImageList(AOwner) {
    SetDrawingStyle(fw::dsTransparent);
    // The list's own value: set before a handle is bound, the system's list keeps its colour.
    SetBkColor(fw::TColor(0xFFFFFF));
    fw::TCustomImageList::SetShareImages(true);
    UpdateHandle();
}

namespace {

const wchar_t* const kSizeNames[] = {L"si_small", L"si_large", L"si_extralarge", L"si_jumbo"};
const wchar_t* const kDrawingStyleNames[] = {L"dsFocus", L"dsSelected", L"dsNormal", L"dsTransparent"};
constexpr fw::TColor kDefaultBkColor = fw::TColor(0xFFFFFF);

}  // namespace

void TZemSystemImageList::DefineProperties(fw::TFiler& Filer) {
    fw::TCustomImageList::DefineProperties(Filer);
    // While reading, the values are only stored; the handle follows once all are read.
    const bool share = streamedShare_.value_or(ShareImages());
    fw::DefineEnum(
        Filer, L"Size", size_, kSizeNames, [this](int Value) { size_ = TZemImageListSize(Value); }, size_ != si_small);
    fw::DefineBoolean(
        Filer, L"ShareImages", share, [this](bool Value) { streamedShare_ = Value; }, !share);
    fw::DefineEnum(
        Filer, L"DrawingStyle", DrawingStyle(), kDrawingStyleNames,
        [this](int Value) { SetDrawingStyle(fw::TDrawingStyle(Value)); }, DrawingStyle() != fw::dsTransparent);
    fw::DefineInteger(
        Filer, L"BkColor", int32_t(BkColor()), [this](int32_t Value) { SetBkColor(fw::TColor(Value)); },
        BkColor() != kDefaultBkColor);
}

void TZemSystemImageList::ReadState(fw::TReader& Reader) {
    streamedShare_ = ShareImages();
    try {
        fw::TCustomImageList::ReadState(Reader);
    } catch (...) {
        streamedShare_.reset();
        throw;
    }
    const bool share = *streamedShare_;
    streamedShare_.reset();
    // The old handle goes as it was held (a private copy is destroyed, the system's never).
    SetHandle(nullptr);
    fw::TCustomImageList::SetShareImages(share);
    UpdateHandle();
}

void TZemSystemImageList::WriteState(fw::TWriter& Writer) {
    // The handle is set aside (a private copy kept, not destroyed) and put back after.
    struct TRestore {
        TZemSystemImageList* List;
        HIMAGELIST Handle;
        bool Share;
        ~TRestore() {
            List->SetHandle(Handle);
            List->fw::TCustomImageList::SetShareImages(Share);
            List->streamedShare_.reset();
        }
    } restore{this, HandleAllocated() ? Handle() : nullptr, ShareImages()};
    streamedShare_ = restore.Share;
    fw::TCustomImageList::SetShareImages(true);
    SetHandle(nullptr);
    fw::TCustomImageList::WriteState(Writer);
}

void TZemSystemImageList::SetSize(TZemImageListSize Value) {
    size_ = Value;
    UpdateHandle();
}

void TZemSystemImageList::SetShareImages(bool Value) {
    SetHandle(nullptr);
    fw::TCustomImageList::SetShareImages(Value);
    UpdateHandle();
}

void TZemSystemImageList::UpdateHandle() {
    HIMAGELIST handle = nullptr;
    if (OsVersionFlags().WinXPOrLater && BoundEntries.SHGetImageList) {
        int kind = SHIL_SMALL;
        switch (size_) {
        case si_small: kind = SHIL_SMALL; break;
        case si_large: kind = SHIL_LARGE; break;
        case si_extralarge: kind = SHIL_EXTRALARGE; break;
        case si_jumbo: kind = OsVersionFlags().WinVistaOrLater ? SHIL_JUMBO : SHIL_LARGE; break;
        }
        IImageList* list = nullptr;
        if (SUCCEEDED(BoundEntries.SHGetImageList(kind, kIImageList, reinterpret_cast<void**>(&list))) && list) {
            handle = reinterpret_cast<HIMAGELIST>(list);
            // The system list lives as long as the process; the handle is all we keep.
            list->Release();
        }
    }
    if (!handle) {
        SHFILEINFOW info{};
        UINT flags = SHGFI_SYSICONINDEX;
        if (size_ == si_small) flags |= SHGFI_SMALLICON;
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        handle = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(WindowsDrive().c_str(), 0, &info, sizeof(info), flags));
    }
    if (!handle) return;
    if (!fw::TCustomImageList::ShareImages() && !HasState(fw::csDesigning)) {
        // A private copy: a list that shares the system handle lends it its images.
        fw::TImageList shared(nullptr);
        // It carries this list's own settings, which Assign takes over with the images.
        shared.SetMasked(Masked());
        shared.SetDrawingStyle(DrawingStyle());
        shared.SetBlendColor(BlendColor());
        shared.SetImageType(ImageType());
        shared.SetAllocBy(AllocBy());
        shared.SetShareImages(true);
        shared.SetHandle(handle);
        const fw::TColor background = BkColor();
        Assign(&shared);
        SetBkColor(background);
    } else {
        SetHandle(handle);
    }
}

int TZemSystemImageList::GetIconIndex(LPCITEMIDLIST Pidl, TZemImageListSize Size, bool Open) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL;
    if (Size != si_large) flags |= SHGFI_SMALLICON;
    if (Open) flags |= SHGFI_OPENICON;
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(Pidl), 0, &info, sizeof(info), flags);
    return info.iIcon;
}

int TZemSystemImageList::GetIconIndexOfPath(const std::wstring& Path, TZemImageListSize Size, bool UseAttributes,
                                            bool Open) {
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX;
    if (Size != si_large) flags |= SHGFI_SMALLICON;
    if (Open) flags |= SHGFI_OPENICON;
    DWORD attributes = 0;
    if (UseAttributes) {
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    const bool disabled = DisableFsRedirection();
    const DWORD_PTR result = SHGetFileInfoW(Path.c_str(), attributes, &info, sizeof(info), flags);
    RevertFsRedirection(disabled);
    // The shell leaves the index at 0 when it fails: only its answer tells.
    return result ? info.iIcon : -1;
}

int TZemSystemImageList::GetIconIndexByPath(const std::wstring& Path, TZemImageListSize Size, bool Open) {
    const int index = GetIconIndexOfPath(Path, Size, false, false);
    if (index >= 0) return index;
    if (!Path.empty() && IsExistingDirectory(Path)) return GetFolderIconIndex(false);
    return GetIconIndexByName(Path, Size, Open);
}

int TZemSystemImageList::GetIconIndexByName(const std::wstring& Path, TZemImageListSize Size, bool Open) {
    if (!Path.empty()) {
        int backslashes = 0;
        for (wchar_t c : Path) backslashes += c == L'\\';
        if (Path.back() == L'\\' || (Path.front() == L'\\' && backslashes <= 3)) return GetFolderIconIndex(Open);
    }
    return GetIconIndexOfType(fw::ExtractFileExt(Path), Size, Open);
}

int TZemSystemImageList::GetIconIndexOfType(const std::wstring& Ext, TZemImageListSize Size, bool Open) {
    std::wstring name = WindowsDrive();
    if (name.empty()) name = L"C:\\";
    if (Ext.empty()) name += L"test";
    else if (Ext.front() == L'.') name += L"test" + Ext;
    else name += L"test." + Ext;
    return GetIconIndexOfPath(name, Size, true, Open);
}

int TZemSystemImageList::GetFolderIconIndex(bool Open) {
    int index = folderIconIndex;
    if (index != -1) return index;
    std::wstring folder = GetTempFolder();
    if (folder.empty() || !IsExistingDirectory(folder)) folder = GetWindowsFolder();
    index = GetIconIndexOfPath(folder, si_small, false, Open);
    int expected = -1;
    folderIconIndex.compare_exchange_strong(expected, index);
    return folderIconIndex;
}

fw::TBitmap* TZemSystemImageList::MakeIconBitmap(fw::TCustomImageList* ImageList, int Width, int Height,
                                                 fw::TColor FillColor, fw::TColor BkColor, int Index) {
    auto bitmap = std::make_unique<fw::TBitmap>();
    bitmap->SetPixelFormat(OsVersionFlags().WinVistaOrLater ? fw::pf32bit : fw::pf24bit);
    bitmap->SetSize(Width, Height);
    bitmap->SetTransparent(true);
    if (FillColor != fw::clNone) {
        bitmap->Canvas()->Brush()->SetColor(FillColor);
        const RECT all{0, 0, Width, Height};
        bitmap->Canvas()->FillRect(all);
    }
    if (ImageList) {
        const int x = (bitmap->Width() - ImageList->Width()) / 2;
        const int y = (bitmap->Height() - ImageList->Height()) / 2;
        ImageList_DrawEx(ImageList->Handle(), Index, bitmap->Canvas()->Handle(), x, y, 0, 0, fw::ColorToRGB(BkColor),
                         CLR_NONE, ILD_TRANSPARENT);
    }
    return bitmap.release();
}

void TZemSystemImageList::MakeAlphaImageList(fw::TCustomImageList* ImageList) {
    if (!ImageList || !OsVersionFlags().WinVistaOrLater) return;
    HIMAGELIST handle = ImageList_Create(ImageList->Width(), ImageList->Height(),
                                         ILC_COLOR32 | (ImageList->Masked() ? ILC_MASK : 0), 0, ImageList->AllocBy());
    if (!handle) throw fw::EInvalidOperation(L"invalid imagelist");
    ImageList->SetHandle(handle);
}

}  // namespace shell
