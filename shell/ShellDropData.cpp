#include "shell/ShellDropData.h"

#include <algorithm>
#include <cstring>

#include "framework/DataObject.h"
#include "framework/StringList.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/WideStringBuilder.h"

namespace shell {

namespace {

constexpr UINT DropBlockFlags = 0x2042;  // movable, zero-initialised, shareable
constexpr DWORD DropHeaderSize = 20;

std::wstring AnsiToWide(const char* Text, std::size_t Length) {
    if (Length == 0) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, Text, int(Length), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text, int(Length), wide.data(), n);
    return wide;
}

// Zero-terminated names from Begin up to End, until an empty name; a name
// without its zero before End is cut and dropped.
template <class Char>
void ReadNames(const unsigned char* Begin, const unsigned char* End, fw::TStringList& List) {
    std::size_t available = std::size_t(End - Begin) / sizeof(Char);
    std::vector<Char> chars(available);
    if (available) std::memcpy(chars.data(), Begin, available * sizeof(Char));
    std::size_t at = 0;
    while (at < available) {
        std::size_t length = 0;
        while (at + length < available && chars[at + length]) ++length;
        if (at + length == available || length == 0) break;
        if constexpr (sizeof(Char) == 1) List.Add(AnsiToWide(reinterpret_cast<const char*>(chars.data() + at), length));
        else List.Add(std::wstring(reinterpret_cast<const wchar_t*>(chars.data() + at), length));
        at += length + 1;
    }
}

// GetData for one format as global memory; the medium is released by the holder.
class TMediumHolder {
public:
    TMediumHolder() = default;
    ~TMediumHolder() {
        if (held_) ReleaseStgMedium(&medium_);
    }
    TMediumHolder(const TMediumHolder&) = delete;
    TMediumHolder& operator=(const TMediumHolder&) = delete;
    bool Get(IDataObject* Data, CLIPFORMAT Format) {
        FORMATETC request{Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        held_ = SUCCEEDED(Data->GetData(&request, &medium_));
        return held_;
    }
    const STGMEDIUM& Medium() const { return medium_; }

private:
    STGMEDIUM medium_{};
    bool held_ = false;
};

CLIPFORMAT RegisteredFormat(const wchar_t* Name) {
    return CLIPFORMAT(RegisterClipboardFormatW(Name));
}

}  // namespace

HGLOBAL GetDropFiles(const fw::TStrings& Paths) {
    TWideStringBuilder names;
    names.SetZeroSeparated(true);
    names.SetGrowBy(4096);
    names.AppendStrings(Paths);
    const std::size_t listBytes = names.SizeInBytes();
    HGLOBAL block = GlobalAlloc(DropBlockFlags, DropHeaderSize + listBytes);
    if (!block) throw EOutOfMemory(L"GetDropFiles: Could not allocate memory.");
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        throw EOutOfMemory(L"GetDropFiles: Could not allocate memory.");
    }
    const DWORD header[5] = {DropHeaderSize, 0, 0, 0, DWORD(-1)};
    std::memcpy(bytes, header, sizeof(header));
    if (listBytes) std::memcpy(bytes + DropHeaderSize, names.Buffer(), listBytes);
    GlobalUnlock(block);
    return block;
}

bool SetDropFilesData(const fw::TStrings& Paths, IDataObject* DataObject) {
    if (!DataObject) return false;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GetDropFiles(Paths);
    if (SUCCEEDED(DataObject->SetData(&format, &medium, TRUE))) return true;
    GlobalFree(medium.hGlobal);
    return false;
}

std::unique_ptr<fw::TStringList> ReadDropFilesBlock(HGLOBAL Block) {
    const SIZE_T size = Block ? GlobalSize(Block) : 0;
    const fw::GlobalLockGuard lock(Block);
    const auto* bytes = static_cast<const unsigned char*>(lock.Data());
    if (!bytes) return nullptr;
    auto list = std::make_unique<fw::TStringList>();
    if (size < DropHeaderSize) return list;
    DWORD offset = 0, wide = 0;
    std::memcpy(&offset, bytes, sizeof(offset));
    std::memcpy(&wide, bytes + 16, sizeof(wide));
    if (offset > size) return list;
    if (wide) ReadNames<wchar_t>(bytes + offset, bytes + size, *list);
    else ReadNames<char>(bytes + offset, bytes + size, *list);
    return list;
}

std::unique_ptr<fw::TStringList> GetDataObjectFiles(IDataObject* DataObject) {
    if (!DataObject) return nullptr;
    {
        TMediumHolder drop;
        if (drop.Get(DataObject, CF_HDROP)) {
            auto names = ReadDropFilesBlock(drop.Medium().hGlobal);
            return names ? std::move(names) : std::make_unique<fw::TStringList>();
        }
    }
    {
        TMediumHolder descriptor;
        if (descriptor.Get(DataObject, GetFileGroupDescriptorWFormat())) {
            auto names = GetFileGroupDescriptorNamesW(descriptor.Medium());
            return names ? std::move(names) : std::make_unique<fw::TStringList>();
        }
    }
    TMediumHolder descriptor;
    if (descriptor.Get(DataObject, GetFileGroupDescriptorFormat())) {
        auto names = GetFileGroupDescriptorNamesA(descriptor.Medium());
        if (names) return names;
    }
    return std::make_unique<fw::TStringList>();
}

CLIPFORMAT GetFileGroupDescriptorFormat() {
    static const CLIPFORMAT format = RegisteredFormat(L"FileGroupDescriptor");
    return format;
}

CLIPFORMAT GetFileGroupDescriptorWFormat() {
    static const CLIPFORMAT format = RegisteredFormat(L"FileGroupDescriptorW");
    return format;
}

fw::GlobalHandle GetShellIDListBlock(LPCITEMIDLIST Parent, const std::vector<LPCITEMIDLIST>& Items) {
    const UINT count = UINT(Items.size());
    const std::size_t headerBytes = sizeof(UINT) * (count + 2);
    std::size_t total = headerBytes + PidlSize(Parent ? Parent : DesktopPidl());
    for (LPCITEMIDLIST item : Items) total += PidlSize(item);
    fw::GlobalHandle block(GlobalAlloc(DropBlockFlags, total));
    if (!block) return block;
    const fw::GlobalLockGuard lock(block.get());
    auto* bytes = static_cast<unsigned char*>(lock.Data());
    if (!bytes) return fw::GlobalHandle();
    std::memcpy(bytes, &count, sizeof(count));
    std::size_t at = headerBytes;
    auto put = [&](UINT Slot, LPCITEMIDLIST Pidl) {
        const UINT offset = UINT(at);
        std::memcpy(bytes + sizeof(UINT) * (Slot + 1), &offset, sizeof(offset));
        const UINT size = PidlSize(Pidl);
        std::memcpy(bytes + at, Pidl, size);
        at += size;
    };
    put(0, Parent ? Parent : DesktopPidl());
    for (UINT i = 0; i < count; ++i) put(i + 1, Items[i]);
    return block;
}

namespace {

// The list at Offset when it ends (with its zero length) inside the block.
LPCITEMIDLIST ListInside(const unsigned char* Bytes, std::size_t Size, std::size_t Offset) {
    std::size_t at = Offset;
    while (at + sizeof(USHORT) <= Size) {
        USHORT cb = 0;
        std::memcpy(&cb, Bytes + at, sizeof(cb));
        if (cb == 0) return reinterpret_cast<LPCITEMIDLIST>(Bytes + Offset);
        if (cb < sizeof(USHORT)) return nullptr;
        at += cb;
    }
    return nullptr;
}

}  // namespace

std::vector<fw::PidlPtr> ReadShellIDListBlock(HGLOBAL Block) {
    std::vector<fw::PidlPtr> result;
    const SIZE_T size = Block ? GlobalSize(Block) : 0;
    const fw::GlobalLockGuard lock(Block);
    const auto* bytes = static_cast<const unsigned char*>(lock.Data());
    if (!bytes || size < sizeof(UINT) * 2) return result;
    UINT count = 0;
    std::memcpy(&count, bytes, sizeof(count));
    if (count > (size / sizeof(UINT)) - 2) return result;
    std::vector<UINT> offsets(count + 1);
    std::memcpy(offsets.data(), bytes + sizeof(UINT), offsets.size() * sizeof(UINT));
    const LPCITEMIDLIST parent = ListInside(bytes, size, offsets[0]);
    if (!parent) return result;
    for (UINT i = 1; i <= count; ++i) {
        const LPCITEMIDLIST item = ListInside(bytes, size, offsets[i]);
        if (!item) return std::vector<fw::PidlPtr>();
        result.emplace_back(PidlConcat(parent, item));
    }
    return result;
}

fw::ComPtr<IDataObject> CreatePathsDataObject(const fw::TStrings& Paths) {
    fw::TStringList parsed;
    std::vector<fw::PidlPtr> pidls;
    for (int i = 0; i < Paths.Count(); ++i) {
        fw::PidlPtr pidl(PathToPidl(nullptr, Paths.Strings(i)));
        if (!pidl) continue;
        parsed.Add(Paths.Strings(i));
        pidls.push_back(std::move(pidl));
    }
    if (pidls.empty()) return nullptr;
    std::vector<LPCITEMIDLIST> items;
    for (const auto& pidl : pidls) items.push_back(pidl.get());
    fw::GlobalHandle idList = GetShellIDListBlock(DesktopPidl(), items);
    if (!idList) throw EOutOfMemory(L"GetDropFiles: Could not allocate memory.");
    auto data = fw::TDataObject::Create();
    data->SetBlock(CLIPFORMAT(CF_HDROP), fw::GlobalHandle(GetDropFiles(parsed)));
    data->SetBlock(CLIPFORMAT(ShellIDListClipboardFormat()), std::move(idList));
    return fw::ComPtr<IDataObject>(data);
}

}  // namespace shell
