#include "shell/ZemFolderDetails.h"

#include <shlwapi.h>

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

}  // namespace

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
        const std::wstring name = GetDisplayNameOf(Folder.Folder.get(), child, SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (!name.empty()) Folder.Children.emplace(Upper(fw::ExtractFileName(name)), std::move(owned));
    }
}

LPCITEMIDLIST TZemFolderDetails::Child(TFolder& Folder, const std::wstring& Name) {
    const std::wstring key = Upper(Name);
    auto it = Folder.Children.find(key);
    if (it != Folder.Children.end()) return it->second.get();
    // Parsing drops a last dot or blank of a name, and with it finds another
    // object or none: such a name is found by walking its folder.
    const bool unparsable = !Name.empty() && (Name.back() == L'.' || Name.back() == L' ');
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

bool TZemFolderDetails::GetDetails(const std::wstring& Path, const std::vector<int>& Columns,
                                   std::vector<std::wstring>& Texts, int TypeColumn, bool IsFile) {
    const UINT oldMode = SetErrorMode(0x8001);
    bool done = false;
    try {
        if (IsDriveRoot(Path)) {
            // Drive roots live in the computer folder: the browser knows them.
            std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Path);
            if (browser && browser->InitDetails()) {
                Texts.clear();
                for (int column : Columns) {
                    std::wstring text;
                    browser->GetDetails(column, false, text);
                    Texts.push_back(text);
                }
                done = true;
            }
        } else if (TFolder* folder = Open(fw::ExtractFilePath(fw::ExcludeTrailingPathDelimiter(Path)))) {
            const std::wstring name = fw::ExtractFileName(fw::ExcludeTrailingPathDelimiter(Path));
            if (LPCITEMIDLIST child = Child(*folder, name)) {
                Texts.clear();
                const std::wstring extension = IsFile ? fw::ExtractFileExt(name) : std::wstring();
                for (int column : Columns) {
                    if (!IsFile || column != TypeColumn) {
                        Texts.push_back(DetailText(folder->Folder.get(), child, column));
                        continue;
                    }
                    auto known = typeTexts_.find(extension);
                    if (known == typeTexts_.end())
                        known = typeTexts_.emplace(extension, DetailText(folder->Folder.get(), child, column)).first;
                    Texts.push_back(known->second);
                }
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
