#include "shell/Pathfinch.h"

#include "framework/Application.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "framework/Thread.h"
#include "framework/SyncObjs.h"
#include "shell/ExactPaths.h"
#include "shell/PathUtils.h"
#include "shell/ProtectedObjects.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSystemImageList.h"

#include <shlguid.h>
#include <shlwapi.h>

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace shell {

namespace {

std::mutex unitLock;
int unitCounter = 0;
UINT shellIdListFormat = 0;
TZemSystemImageList* smallImages = nullptr;

// The shared desktop folder, or one of its own before the library's start-up.
fw::ComPtr<IShellFolder> AcquireDesktop() {
    fw::ComPtr<IShellFolder> desktop(DesktopFolder());
    if (!desktop && FAILED(SHGetDesktopFolder(desktop.put()))) desktop.reset();
    return desktop;
}

bool SameTextIgnoringCase(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_EQUAL;
}

fw::TAlignment AlignmentOf(int Format) {
    switch (Format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return fw::taRightJustify;
    case LVCFMT_CENTER: return fw::taCenter;
    default: return fw::taLeftJustify;
    }
}

}  // namespace

// ---- Construction -----------------------------------------------------------------

TPathfinch::TPathfinch(fw::TComponent* AOwner)
    : fw::TComponent(AOwner),
      masks_(std::make_unique<fw::TStringList>()),
      multiObjects_(std::make_unique<fw::TStringList>()),
      createdOnMainThread_(fw::IsMainThread()) {}

TPathfinch::~TPathfinch() = default;

std::unique_ptr<TPathfinch> TPathfinch::CreateForPath(const std::wstring& Path) {
    auto browser = std::make_unique<TPathfinch>(nullptr);
    browser->SetObjectName(Path);
    return browser;
}

void TPathfinch::Loaded() {
    fw::TComponent::Loaded();
    loaded_ = true;
}

void TPathfinch::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
}

std::wstring TPathfinch::Version() const {
    return ClassName() + L" V7.2.0.544";
}

void TPathfinch::SetMultiObjects(std::unique_ptr<fw::TStringList> Value) {
    multiObjects_ = Value ? std::move(Value) : std::make_unique<fw::TStringList>();
}

// ---- State helpers ----------------------------------------------------------------

void TPathfinch::ObjectChanged() {
    absoluteObjectPidl_.reset();
    findData_ = WIN32_FIND_DATAW{};
    objectPath_ = L"-";
    hasSubFolders_ = -1;
}

void TPathfinch::ClearObject() {
    objectPidl_.reset();
    ObjectChanged();
}

void TPathfinch::DropEnumeration() {
    enum_.reset();
}

void TPathfinch::ReleaseDetails() {
    folder2_.reset();
    details_.reset();
    viewObjectTried_ = false;
}

HWND TPathfinch::ShellOwnerWindow() {
    // A browser of a worker thread never shows anything.
    if (!createdOnMainThread_ || !fw::IsMainThread()) return nullptr;
    bool dialogs = ShowErrorMessages;
    if (!dialogs && !enum_ && folderPidl_ && IsInNetworkFolder(AbsoluteObjectIDList())) dialogs = true;
    if (!dialogs && folderPidl_ && HasExtension(Folder(), L".ZIP")) dialogs = true;
    if (!dialogs) return nullptr;
    if (loaded_)
        if (auto* control = dynamic_cast<fw::TWinControl*>(Owner())) return control->Handle();
    fw::TApplication* application = fw::Application();
    return application ? application->Handle() : nullptr;
}

// ---- Folder -----------------------------------------------------------------------

void TPathfinch::SetFolder(const std::wstring& Value) {
    if (!Value.empty() && SameTextIgnoringCase(Value, Folder())) return;
    // A path the shell would read as another folder's is found name by name.
    fw::PidlPtr pidl(IsQualifiedPath(Value) && !PlainFormIsExact(Value) ? ExactPathToPidl(Value)
                                                                        : PathToPidl(nullptr, Value));
    if (!pidl) throw EPathfinchError(Value + L"\r\n" + SysErrorText(ERROR_PATH_NOT_FOUND));
    std::wstring text = Value;
    if (!text.empty() && text.back() != L'\\') text += L'\\';
    // The text changes only with the folder: a path that cannot be bound (a file)
    // leaves both as they were.
    SetFolderIDList(pidl.get());
    folderText_ = text;
    folderTextCurrent_ = true;
}

std::wstring TPathfinch::Folder() {
    if (!folderPidl_) return std::wstring();
    if (!folderTextCurrent_) {
        std::wstring path = PidlToPath(folderPidl_.get());
        if (PidlCount(folderPidl_.get()) == 2 && !path.empty()) {
            // A folder shortcut stands for its target.
            const std::wstring target = ResolveShortcutPath(path);
            if (!target.empty()) path = target;
        }
        if (!path.empty() && path.back() != L'\\') path += L'\\';
        folderText_ = path;
        folderTextCurrent_ = true;
    }
    return folderText_;
}

void TPathfinch::SetFolderIDList(LPCITEMIDLIST Pidl) {
    if (Pidl && Pidl == folderPidl_.get()) {
        DropEnumeration();
        return;
    }
    if (!Pidl) {
        DropEnumeration();
        ReleaseDetails();
        folder_.reset();
        folderPidl_.reset();
        ClearObject();
        specialFolder_ = SF_INVALID;
        folderText_.clear();
        folderTextCurrent_ = false;
        return;
    }
    // The new folder is bound first, so a failure leaves the browser as it was.
    const fw::ComPtr<IShellFolder> desktop = AcquireDesktop();
    if (!desktop) throw EPathfinchError(L"Pathfinch Components: Cannot open Shell!");
    fw::ComPtr<IShellFolder> folder;
    if (PidlCount(Pidl) == 0 || PidlEqual(Pidl, DesktopPidl())) {
        folder = desktop;
    } else {
        const HRESULT hr = desktop->BindToObject(Pidl, nullptr, IID_IShellFolder, folder.put_void());
        if (!folder)
            throw EPathfinchError(
                L"Pathfinch.SetFolderIDList: Desktop.BindToObject: Could not get IShellFolder interface. (" +
                SysErrorText(DWORD(hr)) + L")");
    }
    fw::PidlPtr clone(PidlClone(Pidl));
    DropEnumeration();
    ReleaseDetails();
    folder_ = std::move(folder);
    specialFolder_ = SF_INVALID;
    folderPidl_ = std::move(clone);
    ClearObject();
    folderTextCurrent_ = false;
}

LPITEMIDLIST TPathfinch::FolderIDList() const {
    return PidlClone(folderPidl_.get());
}

TZemShellFolder TPathfinch::SpecialFolder() {
    if (!folderPidl_) return SF_FILESYSTEMFOLDER;
    if (specialFolder_ == SF_INVALID) specialFolder_ = PidlToShellFolder(folderPidl_.get());
    return specialFolder_;
}

void TPathfinch::SetSpecialFolder(TZemShellFolder Value) {
    if (Value == SF_FILESYSTEMFOLDER && HasState(fw::csLoading)) return;
    fw::PidlPtr pidl(GetSpecialFolderIDList(Value));
    if (!pidl) return;
    SetFolderIDList(pidl.get());
}

// ---- Object -----------------------------------------------------------------------

void TPathfinch::SetObjectIDList(LPCITEMIDLIST Relative) {
    objectPidl_.reset(PidlClone(Relative));
    ObjectChanged();
}

LPITEMIDLIST TPathfinch::ObjectIDList() const {
    return PidlClone(objectPidl_.get());
}

void TPathfinch::SetAbsoluteObjectIDList(LPCITEMIDLIST Pidl) {
    if (!Pidl) return;
    const int count = PidlCount(Pidl);
    if (count == 0) {
        SetFolderIDList(DesktopPidl());
        return;
    }
    fw::PidlPtr parent(PidlTruncate(Pidl, count - 1));
    fw::PidlPtr last(PidlItem(Pidl, count - 1));
    SetFolderIDList(parent.get());
    SetObjectIDList(last.get());
}

LPCITEMIDLIST TPathfinch::AbsoluteObjectIDList() {
    if (!absoluteObjectPidl_) {
        if (objectPidl_) absoluteObjectPidl_.reset(PidlConcat(folderPidl_.get(), objectPidl_.get()));
        else absoluteObjectPidl_.reset(PidlClone(folderPidl_.get()));
    }
    return absoluteObjectPidl_.get();
}

void TPathfinch::SelectFolderAsObject() {
    if (!folderPidl_) return;
    fw::PidlPtr folder(PidlClone(folderPidl_.get()));
    SetAbsoluteObjectIDList(folder.get());
}

bool TPathfinch::BrowseObject() {
    if (!IsFolder()) return false;
    fw::PidlPtr target(PidlClone(AbsoluteObjectIDList()));
    SetFolderIDList(target.get());
    return folder_ != nullptr;
}

bool TPathfinch::HasObjects(bool FolderOnly) const {
    if (FolderOnly) return folder_ != nullptr;
    return folder_ && (objectPidl_ || multiObjects_->Count() > 0);
}

std::wstring TPathfinch::ObjectName() {
    if (!folderPidl_ || !objectPidl_) return std::wstring();
    std::wstring result;
    if (PidlCount(objectPidl_.get()) >= 2) {
        if (!findData_.cFileName[0]) {
            // The name belongs to the list's last item, asked of its own parent.
            fw::ComPtr<IShellFolder> parent;
            LPCITEMIDLIST child = nullptr;
            if (SUCCEEDED(SHBindToParent(AbsoluteObjectIDList(), IID_IShellFolder, parent.put_void(), &child)) &&
                parent) {
                WIN32_FIND_DATAW data{};
                if (SUCCEEDED(SHGetDataFromIDListW(parent.get(), child, SHGDFIL_FINDDATA, &data, sizeof(data))))
                    findData_ = data;
            }
        }
        findData_.cFileName[MAX_PATH - 1] = 0;
        result = findData_.cFileName;
    }
    if (result.empty() && PidlCount(AbsoluteObjectIDList()) >= 2) {
        const std::wstring path = PidlToPath(AbsoluteObjectIDList());
        if (!path.empty() && IsDriveRoot(path)) return path;
        result = fw::ExtractFileName(path);
        if (result.empty()) result = ObjectNetworkName();
    }
    return result;
}

void TPathfinch::SetObjectName(const std::wstring& Value) {
    if (Value.empty()) {
        ClearObject();
        return;
    }
    std::wstring name = Value;
    if (name.size() > 3 && name.back() == L'\\') name.pop_back();
    if (name.find(L'\\') != std::wstring::npos) {
        try {
            if (IsDriveRoot(name)) {
                SetFolder(name);
                SelectFolderAsObject();
            } else {
                // Split where the path's last delimiter is: a name may hold a colon.
                const std::size_t slash = name.find_last_of(L'\\');
                SetFolder(name.substr(0, slash + 1));
                SetObjectName(name.substr(slash + 1));
            }
        } catch (...) {
            // A path whose folder is gone names no object: the old one must not stay
            // current for whatever acts on it next.
            ClearObject();
            throw;
        }
        return;
    }
    if (!folder_) throw EPathfinchError(L"No active folder was set.");
    {
        std::optional<TErrorModeGuard> errorMode;
        if (!ShowsErrors()) errorMode.emplace(SEM_FAILCRITICALERRORS);
        // The shell's parser drops a name's trailing dots and blanks, and would give
        // another object ("doc.txt." is "doc.txt"): such a name is found as it is.
        const bool rewritten = name.back() == L'.' || name.back() == L' ';
        fw::PidlPtr pidl(rewritten ? FindExactChild(folder_.get(), name) : PathToPidl(folder_.get(), name));
        if (rewritten && !pidl) {
            ClearObject();
            throw EPathfinchError(L"Error! Cannot find Object \"" + name + L"\" in Folder \"" + Folder() + L"\"");
        }
        SetObjectIDList(pidl.get());
        if (pidl) return;
    }
    DropEnumeration();
    while (EnumNextObject()) {
        std::wstring inFolder;
        GetDisplayName(true, inFolder);
        if (SameTextIgnoringCase(inFolder, name) || SameTextIgnoringCase(ObjectName(), name)) {
            DropEnumeration();
            return;
        }
    }
    ClearObject();
    throw EPathfinchError(L"Error! Cannot find Object \"" + name + L"\" in Folder \"" + Folder() + L"\"");
}

void TPathfinch::GetDisplayName(bool InFolder, std::wstring& Name) {
    if (!objectPidl_) return;
    if (!folder_) throw EPathfinchError(L"No valid folder is currently assigned");
    Name = GetDisplayNameOf(folder_.get(), objectPidl_.get(), InFolder ? SHGDN_INFOLDER : SHGDN_NORMAL);
    if (Name.empty()) Name = ObjectName();
}

std::wstring TPathfinch::ObjectPath() {
    if (objectPath_ == L"-") objectPath_ = PidlToPath(AbsoluteObjectIDList());
    return objectPath_;
}

bool TPathfinch::ObjectIsDriveRoot() {
    return IsDriveRoot(ObjectPath());
}

SFGAOF TPathfinch::GetAttributes(SFGAOF Mask) {
    if (!folder_ || !objectPidl_) return 0;
    SFGAOF attributes = Mask;
    LPCITEMIDLIST item = objectPidl_.get();
    if (FAILED(folder_->GetAttributesOf(1, &item, &attributes))) return 0;
    return attributes & Mask;
}

bool TPathfinch::IsFolder() {
    if (!objectPidl_) return false;
    if (FileSystemOnly) {
        const SFGAOF both = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
        return GetAttributes(both) == both;
    }
    return (GetAttributes(SFGAO_FOLDER) & SFGAO_FOLDER) != 0;
}

bool TPathfinch::HasSubFolders() {
    if (!objectPidl_) return true;
    if (hasSubFolders_ < 0) {
        const std::wstring name = ObjectName();
        const bool zip = name.size() >= 4 && SameTextIgnoringCase(name.substr(name.size() - 4), L".ZIP");
        bool result;
        if (zip) {
            result = !FileSystemOnly;
        } else if (!FileSystemOnly) {
            result = (GetAttributes(SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER) != 0;
        } else {
            const SFGAOF a = GetAttributes(SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR);
            result = (a & SFGAO_HASSUBFOLDER) && (a & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR));
        }
        hasSubFolders_ = result ? 1 : 0;
    }
    return hasSubFolders_ == 1;
}

TZemShellFolder TPathfinch::ObjectSpecialFolder() {
    return PidlToShellFolder(AbsoluteObjectIDList());
}

std::wstring TPathfinch::ObjectNetworkName() {
    return PidlNetworkName(folder_.get(), objectPidl_.get());
}

void TPathfinch::GetInfoTip(bool Slow, std::wstring& Tip) {
    Tip.clear();
    if (!folder_ || !objectPidl_) return;
    try {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        LPCITEMIDLIST item = objectPidl_.get();
        fw::ComPtr<IQueryInfo> info;
        if (FAILED(folder_->GetUIObjectOf(ShellOwnerWindow(), 1, &item, IID_IQueryInfo, nullptr, info.put_void())) ||
            !info)
            return;
        fw::CoTaskMemPtr<wchar_t> text;
        if (SUCCEEDED(info->GetInfoTip(Slow ? 8 /* QITIPF_USESLOWTIP */ : 0, text.put())) && text) Tip = text.get();
    } catch (...) {
        Tip.clear();
    }
}

bool TPathfinch::RenameObject(std::wstring& NewName) {
    if (!folder_ || !objectPidl_) return false;
    const std::wstring path = ObjectPath();
    // The shell renames an object by its plain path: one it would read as another's goes by the long form.
    if (IsQualifiedPath(path) && !PlainFormIsExact(path)) return RenameByLongPath(NewName);
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    fw::PidlPtr renamed;
    const HRESULT hr = folder_->SetNameOf(ShellOwnerWindow(), objectPidl_.get(), NewName.c_str(),
                                          SHGDN_INFOLDER | SHGDN_FORPARSING, renamed.put());
    const bool ok = SUCCEEDED(hr);
    if (!ok) SetLastError(DWORD(hr));
    if (ok && renamed) SetObjectIDList(renamed.get());
    if (ok) GetDisplayName(true, NewName);
    SetCursor(previous);
    return ok;
}

bool TPathfinch::RenameByLongPath(std::wstring& NewName) {
    const std::wstring path = ObjectPath();
    const std::wstring name = NameAsTheSystemGivesIt(NewName);
    if (name.empty() || !OpensAsItself(path)) return false;
    const std::wstring target = ExactLongPath(path.substr(0, path.find_last_of(L'\\') + 1) + name);
    const bool folder = IsFolder();
    fw::PidlPtr before(PidlClone(AbsoluteObjectIDList()));
    bool ok = false;
    {
        TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
        fw::Handle object(CreateFileW(ExactLongPath(path).c_str(), DELETE | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        // Renamed through the handle: exactly the object opened, whatever its name reads as.
        std::vector<BYTE> block(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
        info->ReplaceIfExists = FALSE;
        info->FileNameLength = DWORD(target.size() * sizeof(wchar_t));
        memcpy(info->FileName, target.c_str(), info->FileNameLength);
        ok = object && SetFileInformationByHandle(object.get(), FileRenameInfo, info, DWORD(block.size()));
    }
    if (!ok) return false;
    fw::PidlPtr child(FindExactChild(folder_.get(), name));
    if (child) SetObjectIDList(child.get());
    else ClearObject();
    // The shell hears of it by lists: a path would name the object the plain form reads.
    if (child && before)
        SHChangeNotify(folder ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM, SHCNF_IDLIST | SHCNF_FLUSH, before.get(),
                       AbsoluteObjectIDList());
    NewName = name;
    return true;
}

std::wstring TPathfinch::NameAsTheSystemGivesIt(const std::wstring& Name) {
    // A name typed is taken as the system takes names: without trailing dots and blanks.
    std::wstring name = Name;
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    return name;
}

std::wstring TPathfinch::RenameRefusal(const std::wstring& NewName) {
    if (!folder_ || !objectPidl_) return std::wstring();
    const std::wstring path = ObjectPath();
    std::wstring shown = path;
    if (shown.empty()) GetDisplayName(false, shown);
    // In quotes: a trailing blank or dot shows.
    shown = L"\"" + shown + L"\"";
    if (NewName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
        return L"A name can't hold any of these characters:\r\n\\ / : * ? \" < > |";
    const std::wstring name = NameAsTheSystemGivesIt(NewName);
    if (name.empty()) return L"\"" + NewName + L"\" is no name the system can give an object.";
    if (ObjectIsDriveRoot()) return shown + L" is a drive: it can't be renamed here.";
    if (!IsQualifiedPath(path)) return CanRename() ? std::wstring() : shown + L" can't be renamed.";
    if (TProtectedObjects().Protects(path))
        return shown + L" can't be renamed: it is a special folder, or a folder that holds one.";
    if (!OpensAsItself(path))
        return shown + L" can't be renamed: it is a link this system would follow to what it points to.";
    // Another object of that name stays where it is; the same object under a name differing in case only may go.
    const std::wstring target = path.substr(0, path.find_last_of(L'\\') + 1) + name;
    TObjectId own, other;
    if (PathExists(target) && !(ObjectIdOf(path, own) && ObjectIdOf(target, other) && own == other))
        return shown + L" can't be renamed to \"" + name + L"\": an object of that name is already there.";
    if (PlainFormIsExact(path) && !CanRename()) return shown + L" can't be renamed.";
    return std::wstring();
}

// ---- Enumeration and filter -------------------------------------------------------

std::wstring TPathfinch::Filter() const {
    if (masks_->Count() == 0) return L"*";
    std::wstring text;
    for (int i = 0; i < masks_->Count(); ++i) {
        if (i) text += L';';
        text += masks_->Strings(i);
    }
    return text;
}

void TPathfinch::SetFilter(const std::wstring& Value) {
    masks_->Clear();
    if (Value.empty() || Value == L"*") return;
    std::wstring text = Value;
    if (text.back() != L';') text += L';';
    std::size_t start = 0;
    for (std::size_t p = text.find(L';'); p != std::wstring::npos; p = text.find(L';', start)) {
        masks_->Add(text.substr(start, p - start));
        start = p + 1;
    }
}

bool TPathfinch::Accepts() {
    if (!FileSystemOnly) return true;
    if (GetAttributes(SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) return true;
    const std::wstring name = ObjectName();
    if (fw::UpperCase(name.substr(0, 7)) == L"RECYCLE") return true;
    const bool inNetwork = SpecialFolder() == SF_NETWORK;
    if (inNetwork && name.empty()) return false;
    if (inNetwork) return true;
    const TZemShellFolder own = ObjectSpecialFolder();
    return own == SF_DRIVES || own == SF_NETWORK;
}

bool TPathfinch::PassesFilter() {
    if (masks_->Count() == 0 || IsFolder()) return true;
    std::wstring name = ObjectName();
    if (name.empty()) GetDisplayName(true, name);
    for (int i = 0; i < masks_->Count(); ++i)
        if (MatchesMask(name, masks_->Strings(i))) return true;
    return false;
}

bool TPathfinch::EnumNextObject() {
    if (!folder_) return false;
    if (!enum_) {
        TErrorModeGuard errorMode(ShowsErrors() ? 0 : SEM_FAILCRITICALERRORS);
        fw::ComPtr<IEnumIDList> enumerator;
        const HRESULT hr = folder_->EnumObjects(
            ShellOwnerWindow(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, enumerator.put());
        if (FAILED(hr) || !enumerator) return false;
        enum_ = std::move(enumerator);
    }
    for (;;) {
        fw::PidlPtr item;
        ULONG fetched = 0;
        const HRESULT hr = enum_->Next(1, item.put(), &fetched);
        if (hr != S_OK || !item) {
            DropEnumeration();
            return false;
        }
        SetObjectIDList(item.get());
        try {
            if (Accepts() && PassesFilter()) return true;
        } catch (...) {
            // An object that cannot be examined is skipped; the next one is tested as usual.
        }
    }
}

// ---- Details ----------------------------------------------------------------------

bool TPathfinch::InitDetails() {
    if (!folder_) return false;
    if (!folder2_ && !details_ && !viewObjectTried_) {
        folder2_ = folder_.As<IShellFolder2>(IID_IShellFolder2);
        if (!folder2_) {
            if (FAILED(folder_->CreateViewObject(ShellOwnerWindow(), IID_IShellDetails, details_.put_void())))
                details_.reset();
            if (!details_) viewObjectTried_ = true;
        }
    }
    return folder2_ || details_;
}

void TPathfinch::GetDetails(int Column, bool Header, std::wstring& Text) {
    Text.clear();
    if (Column == 0 && !Header) {
        GetDisplayName(true, Text);
        return;
    }
    if (!Header && !objectPidl_) return;
    if (!InitDetails()) return;
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    LPCITEMIDLIST item = Header ? nullptr : objectPidl_.get();
    SHELLDETAILS details{};
    if (folder2_) {
        if (SUCCEEDED(folder2_->GetDetailsOf(item, UINT(Column), &details))) {
            Text = StrRetToString(item, details.str);
            return;
        }
        SHCOLUMNID column{};
        if (SUCCEEDED(folder2_->MapColumnToSCID(UINT(Column), &column))) {
            VARIANT value;
            VariantInit(&value);
            if (SUCCEEDED(folder2_->GetDetailsEx(item, &column, &value))) {
                VARIANT text;
                VariantInit(&text);
                const bool ok = SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR)) && text.vt == VT_BSTR;
                if (ok && text.bstrVal) Text.assign(text.bstrVal, SysStringLen(text.bstrVal));
                VariantClear(&text);
                VariantClear(&value);
                if (ok) return;
            }
        }
    }
    if (details_ && SUCCEEDED(details_->GetDetailsOf(item, UINT(Column), &details)))
        Text = StrRetToString(item, details.str);
}

fw::TAlignment TPathfinch::GetColumnInfo(int Column, int& Width) {
    Width = 120;
    if (!InitDetails()) return fw::taLeftJustify;
    SHELLDETAILS details{};
    if (folder2_ && SUCCEEDED(folder2_->GetDetailsOf(nullptr, UINT(Column), &details))) {
        const fw::TAlignment alignment = AlignmentOf(details.fmt);
        Width = details.cxChar * 7;
        FreeStrRet(details.str);
        SHCOLSTATEF state = 0;
        if (SUCCEEDED(folder2_->GetDefaultColumnState(UINT(Column), &state)) &&
            (!(state & SHCOLSTATE_ONBYDEFAULT) || (state & SHCOLSTATE_HIDDEN)))
            Width = 0;
        return alignment;
    }
    if (details_ && SUCCEEDED(details_->GetDetailsOf(nullptr, UINT(Column), &details))) {
        Width = details.cxChar * 7;
        FreeStrRet(details.str);
        return AlignmentOf(details.fmt);
    }
    return fw::taLeftJustify;
}

// ---- Unit start-up ----------------------------------------------------------------

fw::TCriticalSection& ThumbnailLock() {
    // Lives as long as the program, so no late worker can meet a freed lock.
    static fw::TCriticalSection lock;
    return lock;
}

UINT ShellIDListClipboardFormat() {
    return shellIdListFormat;
}

TZemSystemImageList* SharedSmallImages() {
    return smallImages;
}

void PathfinchInitialize() {
    std::lock_guard<std::mutex> guard(unitLock);
    if (unitCounter++ > 0) return;
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop) {
        unitCounter = 0;
        throw EPathfinchError(L"Pathfinch Components: Cannot open Shell!");
    }
    SetDesktopFolder(desktop.get());
    // The flags first: the cache's paths depend on them.
    SetOsVersionFlags();
    SpecialFoldersInitialize();
    shellIdListFormat = RegisterClipboardFormatW(CFSTR_SHELLIDLIST);
    ThumbnailLock();
    try {
        auto images = std::make_unique<TZemSystemImageList>(nullptr);
        images->SetSize(si_small);
        smallImages = images.release();
    } catch (...) {
        SpecialFoldersFinalize();
        SetDesktopFolder(nullptr);
        unitCounter = 0;
        throw;
    }
}

void PathfinchFinalize() {
    std::lock_guard<std::mutex> guard(unitLock);
    if (unitCounter == 0 || --unitCounter > 0) return;
    delete std::exchange(smallImages, nullptr);
    SpecialFoldersFinalize();
    SetDesktopFolder(nullptr);
    shellIdListFormat = 0;
}

}  // namespace shell
