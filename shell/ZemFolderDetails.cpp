#include "shell/ZemFolderDetails.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdint>

#include "framework/SysUtils.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"

namespace shell {

namespace {

std::wstring Upper(const std::wstring& S) {
    return fw::AnsiUpperCase(S);
}

// The shell's text of one detail column; empty when it has none.
std::wstring DetailText(IShellFolder2* Folder, LPCITEMIDLIST Child, int Column) {
    SHELLDETAILS details{};
    if (FAILED(Folder->GetDetailsOf(Child, UINT(Column), &details))) return std::wstring();
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&details.str, Child, &text)) || !text) return std::wstring();
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

// Hands the shell what a folder listing said of an object, so that it makes an
// item-ID list of it without looking for it on disk.
class TFoundBindData : public IFileSystemBindData {
public:
    explicit TFoundBindData(const WIN32_FIND_DATAW& Data) : data_(Data) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
        if (!Object) return E_POINTER;
        if (Iid != IID_IUnknown && Iid != IID_IFileSystemBindData) {
            *Object = nullptr;
            return E_NOINTERFACE;
        }
        *Object = static_cast<IFileSystemBindData*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return ULONG(refs);
    }
    HRESULT STDMETHODCALLTYPE SetFindData(const WIN32_FIND_DATAW* Data) override {
        if (!Data) return E_POINTER;
        data_ = *Data;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFindData(WIN32_FIND_DATAW* Data) override {
        if (!Data) return E_POINTER;
        *Data = data_;
        return S_OK;
    }

private:
    virtual ~TFoundBindData() = default;
    LONG refs_ = 1;
    WIN32_FIND_DATAW data_;
};

// A name the shell's parser drops the end of, or reads as more than one name.
bool UnparsableName(const std::wstring& Name) {
    return Name.empty() || Name.back() == L'.' || Name.back() == L' ' ||
           Name.find_first_of(L"\\:") != std::wstring::npos;
}

}  // namespace

bool TZemFolderDetails::Reachable(const std::wstring& Folder, const std::wstring& Name) {
    // The shell's parser takes no path past the classic limit, and drops a last
    // dot or blank of every name on the way; a backslash or colon in the name
    // would split it.
    if (Folder.size() + Name.size() >= MAX_PATH || Name.find_first_of(L"\\:") != std::wstring::npos) return false;
    size_t start = Folder.find(L'\\');
    while (start != std::wstring::npos) {
        const size_t end = Folder.find(L'\\', start + 1);
        if (end == std::wstring::npos) break;
        if (end > start + 1 && (Folder[end - 1] == L'.' || Folder[end - 1] == L' ')) return false;
        start = end;
    }
    return true;
}

TZemFolderDetails::TFolder* TZemFolderDetails::Open(const std::wstring& Folder) {
    std::wstring key = Upper(fw::IncludeTrailingPathDelimiter(Folder));
    auto it = folders_.find(key);
    if (it != folders_.end()) return &it->second;
    IShellFolder* desktop = DesktopFolder();
    if (!desktop) return nullptr;
    fw::PidlPtr pidl(PathToPidl(desktop, Folder));
    if (!pidl) return nullptr;
    TFolder entry;
    if (FAILED(desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder2, entry.Folder.put_void()))) return nullptr;
    if (folders_.size() >= maxFolders_) folders_.clear();
    return &folders_.emplace(std::move(key), std::move(entry)).first->second;
}

void TZemFolderDetails::Enumerate(TFolder& Folder) {
    Folder.Enumerated = true;
    // One walk over the folder gives every object's item-ID list at once.
    fw::ComPtr<IEnumIDList> objects;
    if (FAILED(Folder.Folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                          objects.put())) ||
        !objects)
        return;
    LPITEMIDLIST child = nullptr;
    while (objects->Next(1, &child, nullptr) == S_OK) {
        fw::PidlPtr owned(child);
        // The name as the folder holds it (a colon in it is no drive's), unless the
        // shell gives a whole path.
        std::wstring name = GetDisplayNameOf(Folder.Folder.get(), child, SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (IsQualifiedPath(name)) name = fw::ExtractFileName(name);
        if (!name.empty()) Folder.Children.emplace(Upper(name), std::move(owned));
    }
}

LPCITEMIDLIST TZemFolderDetails::Child(TFolder& Folder, const std::wstring& Name) {
    const std::wstring key = Upper(Name);
    auto it = Folder.Children.find(key);
    if (it != Folder.Children.end()) return it->second.get();
    // Parsing drops a last dot or blank of a name, and with it finds another
    // object or none: such a name is found by walking its folder.
    const bool unparsable = UnparsableName(Name);
    // A folder many rows come from is walked once instead of parsed name by name.
    if (!Folder.Enumerated && (wholeFolders_ || unparsable || ++Folder.Parsed > 32)) {
        Enumerate(Folder);
        it = Folder.Children.find(key);
        if (it != Folder.Children.end()) return it->second.get();
    }
    if (unparsable) return nullptr;
    // Parsed by name (also when made after the walk, or not listed by it).
    LPITEMIDLIST child = nullptr;
    std::wstring name = Name;
    if (FAILED(Folder.Folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child, nullptr)) || !child)
        return nullptr;
    return Folder.Children.emplace(key, fw::PidlPtr(child)).first->second.get();
}

void TZemFolderDetails::ReadTexts(TFolder& Folder, LPCITEMIDLIST Child, const std::vector<int>& Columns,
                                  std::vector<std::wstring>& Texts, int TypeColumn, bool IsFile,
                                  const std::wstring& Extension) {
    Texts.clear();
    for (int column : Columns) {
        if (!IsFile || column != TypeColumn) {
            Texts.push_back(DetailText(Folder.Folder.get(), Child, column));
            continue;
        }
        auto known = typeTexts_.find(Extension);
        if (known == typeTexts_.end())
            known = typeTexts_.emplace(Extension, DetailText(Folder.Folder.get(), Child, column)).first;
        Texts.push_back(known->second);
    }
}

bool TZemFolderDetails::TextsOfFound(const std::wstring& Folder, const std::wstring& Name, const TZemFindData& Found,
                                     const std::vector<int>& Columns, std::vector<std::wstring>& Texts, int TypeColumn,
                                     bool IsFile) {
    const std::wstring drive = fw::ExtractFileDrive(Folder);
    TFolder* root = drive.empty() ? nullptr : Open(fw::IncludeTrailingPathDelimiter(drive));
    if (!root) return false;
    // Only the name's extension tells the shell anything (the item type): the
    // object is made under a name of its own with that extension, which the
    // parser takes whole.
    const bool folder = (Found.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring extension = folder ? std::wstring() : fw::ExtractFileExt(Name);
    std::wstring standIn = L"~" + extension;
    while (standIn.size() > 1 && (standIn.back() == L'.' || standIn.back() == L' ')) standIn.pop_back();
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = Found.Attributes;
    data.nFileSizeHigh = DWORD(uint64_t(Found.Size) >> 32);
    data.nFileSizeLow = DWORD(uint64_t(Found.Size));
    data.ftCreationTime = data.ftLastAccessTime = data.ftLastWriteTime = Found.LastWriteTime;
    lstrcpynW(data.cFileName, standIn.c_str(), MAX_PATH);
    fw::ComPtr<IBindCtx> context;
    if (FAILED(CreateBindCtx(0, context.put())) || !context) return false;
    fw::ComPtr<IFileSystemBindData> bindData;
    bindData.attach(new TFoundBindData(data));
    if (FAILED(context->RegisterObjectParam(const_cast<LPOLESTR>(STR_FILE_SYS_BIND_DATA), bindData.get())))
        return false;
    LPITEMIDLIST child = nullptr;
    if (FAILED(root->Folder->ParseDisplayName(nullptr, context.get(), standIn.data(), nullptr, &child, nullptr)) ||
        !child)
        return false;
    fw::PidlPtr owned(child);
    ReadTexts(*root, child, Columns, Texts, TypeColumn, IsFile, extension);
    return true;
}

bool TZemFolderDetails::GetDetails(const std::wstring& Folder, const std::wstring& Name, const TZemFindData* Found,
                                   const std::vector<int>& Columns, std::vector<std::wstring>& Texts, int TypeColumn,
                                   bool IsFile) {
    const UINT oldMode = SetErrorMode(0x8001);
    bool done = false;
    try {
        if (Folder.empty() && IsDriveRoot(Name)) {
            // Drive roots live in the computer folder: the browser knows them.
            std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Name);
            if (browser && browser->InitDetails()) {
                Texts.clear();
                for (int column : Columns) {
                    std::wstring text;
                    browser->GetDetails(column, false, text);
                    Texts.push_back(text);
                }
                done = true;
            }
        } else if (!Reachable(Folder, Name)) {
            // Reached the way the folder listing reached it, or not at all.
            done = Found && TextsOfFound(Folder, Name, *Found, Columns, Texts, TypeColumn, IsFile);
        } else if (TFolder* folder = Open(Folder)) {
            if (LPCITEMIDLIST child = Child(*folder, Name)) {
                ReadTexts(*folder, child, Columns, Texts, TypeColumn, IsFile,
                          IsFile ? fw::ExtractFileExt(Name) : std::wstring());
                done = true;
            }
        }
    } catch (...) {
        done = false;
    }
    SetErrorMode(oldMode);
    return done;
}

}  // namespace shell
