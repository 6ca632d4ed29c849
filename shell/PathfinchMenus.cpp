// The browser's shell verbs and UI objects: the context menu, data object and
// other UI objects of the current object or of MultiObjects, the shell's
// default folder menu for objects of several folders, and verbs run without a
// menu.
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "framework/Application.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "framework/Thread.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellDropData.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ExactDeletion.h"
#include "shell/ExactPaths.h"
#include "shell/ProtectedObjects.h"
#include "shell/ZemDesktopFolder.h"
#include "shell/ZemPathList.h"
#include "shell/ZemShellMenu.h"

namespace shell {

namespace {

bool SameVerb(const std::wstring& A, const wchar_t* B) {
    return lstrcmpiW(A.c_str(), B) == 0;
}

std::wstring ParentOf(const std::wstring& Path) {
    const std::size_t slash = Path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : Path.substr(0, slash + 1);
}

// The default folder menu's callback: merging is allowed, invoking is left to
// the shell, the rest is not ours.
HRESULT CALLBACK DefaultMenuCallback(IShellFolder*, HWND, IDataObject*, UINT Message, WPARAM, LPARAM) {
    switch (Message) {
    case DFM_MERGECONTEXTMENU:
    case DFM_MERGECONTEXTMENU_TOP:
    case DFM_MERGECONTEXTMENU_BOTTOM: return S_OK;
    case DFM_INVOKECOMMAND: return S_FALSE;
    default: return E_NOTIMPL;
    }
}

// Absolute lists of Paths; a path that does not parse is taken out of Paths.
std::vector<fw::PidlPtr> PathsToPidls(fw::TStrings& Paths) {
    std::vector<fw::PidlPtr> pidls;
    for (int i = 0; i < Paths.Count();) {
        fw::PidlPtr pidl(PathToPidl(nullptr, Paths.Strings(i)));
        if (!pidl) {
            Paths.Delete(i);
            continue;
        }
        pidls.push_back(std::move(pidl));
        ++i;
    }
    return pidls;
}

std::vector<LPCITEMIDLIST> Borrow(const std::vector<fw::PidlPtr>& Pidls) {
    std::vector<LPCITEMIDLIST> raw;
    for (const auto& pidl : Pidls) raw.push_back(pidl.get());
    return raw;
}

// Asks the shell whether objects given by path have an attribute (may be
// deleted, may be moved), one bound parent folder for each run of objects of the
// same folder.
class TTargetCheck {
public:
    explicit TTargetCheck(SFGAOF Attribute) : attribute_(Attribute) { browser_.ShowErrorMessages = false; }
    bool Allows(const std::wstring& Path) {
        if (Path.empty()) return false;
        std::wstring path = Path;
        if (path.back() == L'\\') path.pop_back();
        const std::wstring parent = fw::ExtractFilePath(path);
        try {
            if (!bound_ || !SamePath(parent, parent_)) {
                bound_ = false;
                browser_.SetFolder(parent);
                parent_ = parent;
                bound_ = true;
            }
            browser_.SetObjectName(fw::ExtractFileName(path));
            return browser_.ObjectPidl() && (browser_.GetAttributes(attribute_) & attribute_);
        } catch (const fw::Exception&) {
            return false;
        }
    }

private:
    const SFGAOF attribute_;
    TPathfinch browser_{nullptr};
    std::wstring parent_;
    bool bound_ = false;
};

// The notice of an object's deletion, made while it is there and told once it is gone.
struct TShellNotice {
    std::wstring Path;
    fw::PidlPtr List;
    bool Folder = false;
    static TShellNotice Of(const std::wstring& Path) {
        const DWORD attributes = GetFileAttributesW(Path.c_str());
        return TShellNotice{Path, fw::PidlPtr(PathToPidl(nullptr, Path)),
                            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)};
    }
    void TellIfGone() const {
        if (List && !PathExists(Path))
            SHChangeNotify(Folder ? SHCNE_RMDIR : SHCNE_DELETE, SHCNF_IDLIST | SHCNF_FLUSH, List.get(), nullptr);
    }
};

// Why an object can't be deleted or moved, as the user reads it after its name.
std::wstring RefusalText(TTargetRefusal Reason, const std::wstring& Path, const std::wstring& Link) {
    switch (Reason) {
    case trProtected: return L"a drive, a special folder, or a folder that holds one";
    case trLink:
        if (Link.empty() || SamePath(Link, Path)) return L"a link this system would follow to what it points to";
        return L"it holds the link " + Link + L", which this system would follow to what it points to";
    default: return std::wstring();
    }
}

// A name in quotes, so that a trailing blank or dot shows.
std::wstring Quoted(const std::wstring& Name) {
    return L"\"" + Name + L"\"";
}

// Names quoted, a line each (a refusal's reason stands after its name).
std::wstring NameList(const std::vector<std::wstring>& Names) {
    std::wstring text;
    for (const std::wstring& name : Names)
        text += L"\r\n" + (!name.empty() && name.front() == L'"' ? name : Quoted(name));
    return text;
}

}  // namespace

// The paths a verb acts on: MultiObjects (names prefixed with Folder) or the object.
void TPathfinch::TargetPaths(fw::TStrings& Out) {
    if (multiObjects_ && multiObjects_->Count() > 0) {
        for (int i = 0; i < multiObjects_->Count(); ++i) {
            const std::wstring entry = multiObjects_->Strings(i);
            Out.Add(IsQualifiedPath(entry) || ExtractDrivePart(entry).size() ? entry : Folder() + entry);
        }
    } else {
        Out.Add(ObjectPath());
    }
}

// The folder a verb runs in: that of two or more objects (they share one), else the browser's.
std::wstring TPathfinch::VerbDirectory() {
    return multiObjects_ && multiObjects_->Count() >= 2 ? ParentOf(VerbTargetPath()) : Folder();
}

std::wstring TPathfinch::VerbTargetPath() {
    fw::TStringList paths;
    TargetPaths(paths);
    return paths.Count() ? paths.Strings(0) : std::wstring();
}

void TPathfinch::GetDesktopUIObject(fw::TStrings& Paths, REFIID Iid, void** Obj) {
    *Obj = nullptr;
    const std::vector<fw::PidlPtr> pidls = PathsToPidls(Paths);
    if (pidls.empty() || !DesktopFolder()) return;
    std::vector<LPCITEMIDLIST> raw = Borrow(pidls);
    const HRESULT hr = DesktopFolder()->GetUIObjectOf(
        GetActiveWindow(), UINT(raw.size()), reinterpret_cast<PCUITEMID_CHILD_ARRAY>(raw.data()), Iid, nullptr, Obj);
    if (FAILED(hr)) {
        *Obj = nullptr;
        throw EPathfinchError(SysErrorText(DWORD(hr)));
    }
}

void TPathfinch::CreateDefaultContextMenu(fw::TStrings& Paths, HWND Owner, fw::ComPtr<IContextMenu>& Menu) {
    Menu.reset();
    if (!BoundEntries.CDefFolderMenu_Create2) return;
    const std::vector<fw::PidlPtr> pidls = PathsToPidls(Paths);
    if (pidls.empty()) return;
    // Our own data object: the shell's own one over absolute lists names the
    // wrong objects on some systems, so its verbs would act on them.
    fw::ComPtr<IDataObject> data = CreatePathsDataObject(Paths);
    fw::ComPtr<IShellFolder> folder = TZemDesktopFolder::Create(data.get());
    menuKeys_ = DefaultMenuClassKeys(Paths);
    std::vector<HKEY> keys;
    for (const auto& key : menuKeys_) keys.push_back(key.get());
    std::vector<LPCITEMIDLIST> raw = Borrow(pidls);
    if (FAILED(BoundEntries.CDefFolderMenu_Create2(
            DesktopPidl(), Owner, UINT(raw.size()), reinterpret_cast<PCUITEMID_CHILD_ARRAY>(raw.data()), folder.get(),
            DefaultMenuCallback, UINT(keys.size()), keys.empty() ? nullptr : keys.data(), Menu.put())))
        Menu.reset();
}

void TPathfinch::GetUIObjectOf(REFIID Iid, void** Obj) {
    *Obj = nullptr;
    madeDefaultFolderMenu_ = false;
    const int count = multiObjects_ ? multiObjects_->Count() : 0;
    if (count < 2) {
        if (count == 1) SetObjectName(multiObjects_->Strings(0));
        if (!folder_) throw EPathfinchError(L"No valid folder is currently assigned");
        if (!objectPidl_) return;
        LPCITEMIDLIST item = objectPidl_.get();
        const HRESULT hr = folder_->GetUIObjectOf(ShellOwnerWindow(), 1, &item, Iid, nullptr, Obj);
        if (FAILED(hr)) {
            SetLastError(DWORD(hr));
            *Obj = nullptr;
        }
        return;
    }
    fw::TStringList paths;
    TargetPaths(paths);
    if (IsEqualIID(Iid, IID_IDataObject)) {
        // Two or more objects get our own data object (a file drop and the ID-list array).
        fw::ComPtr<IDataObject> data = CreatePathsDataObject(paths);
        *Obj = data.detach();
        return;
    }
    // Objects of one folder are asked from that folder; objects of several
    // folders get the default folder menu, or the desktop's UI object.
    bool oneFolder = true;
    for (int i = 1; i < paths.Count() && oneFolder; ++i)
        oneFolder = SamePath(ParentOf(paths.Strings(i)), ParentOf(paths.Strings(0)));
    if (!oneFolder || ParentOf(paths.Strings(0)).empty()) {
        if (IsEqualIID(Iid, IID_IContextMenu)) {
            fw::ComPtr<IContextMenu> menu;
            CreateDefaultContextMenu(paths, ShellOwnerWindow(), menu);
            madeDefaultFolderMenu_ = bool(menu);
            *Obj = menu.detach();
        } else {
            GetDesktopUIObject(paths, Iid, Obj);
        }
        return;
    }
    // The objects' folder is bound apart: this browser stays on its own folder and object.
    TPathfinch objects(nullptr);
    objects.SetFolder(ParentOf(paths.Strings(0)));
    IShellFolder* folder = objects.ShellFolder();
    if (!folder) throw EPathfinchError(L"No valid folder is currently assigned");
    std::vector<fw::PidlPtr> children;
    for (int i = 0; i < paths.Count(); ++i) {
        const std::wstring path = paths.Strings(i);
        fw::PidlPtr child(PathToPidl(folder, path.substr(ParentOf(path).size())));
        if (child) children.push_back(std::move(child));
    }
    if (children.empty()) return;
    std::vector<LPCITEMIDLIST> raw = Borrow(children);
    const HRESULT hr = folder->GetUIObjectOf(ShellOwnerWindow(), UINT(raw.size()),
                                             reinterpret_cast<PCUITEMID_CHILD_ARRAY>(raw.data()), Iid, nullptr, Obj);
    if (FAILED(hr)) {
        SetLastError(DWORD(hr));
        *Obj = nullptr;
    }
}

// The targets that may not be deleted (Attribute SFGAO_CANDELETE) or moved
// (SFGAO_CANMOVE), each named with why: a drive or special folder, a link the
// system would follow, or what the shell refuses. A target already gone is
// nobody's concern. Without MultiObjects the object itself is asked too.
std::vector<std::wstring> TPathfinch::RefusedTargets(const fw::TStrings& Paths, SFGAOF Attribute,
                                                     const TExactDeletion* Deletion) {
    std::vector<std::wstring> refused;
    TTargetCheck check(Attribute);
    std::unique_ptr<TProtectedObjects> protectedObjects;
    const bool single = !multiObjects_ || multiObjects_->Count() == 0;
    for (int i = 0; i < Paths.Count(); ++i) {
        const std::wstring path = Paths.Strings(i);
        const std::wstring full = ExactFullPath(path);
        const bool qualified = IsQualifiedPath(full);
        if (qualified && !IsDriveRoot(full) && !PathExists(full)) continue;
        TTargetRefusal reason = trNone;
        std::wstring link;
        if (qualified && Deletion) {
            for (const TExactDeletion::TRefused& refusal : Deletion->Refused()) {
                if (!SamePath(refusal.Path, full)) continue;
                reason = refusal.Reason;
                link = refusal.Link;
            }
        } else if (qualified) {
            if (!protectedObjects) protectedObjects = std::make_unique<TProtectedObjects>();
            reason = MoveRefusal(path, *protectedObjects, link);
        }
        // The shell binds a path by its plain form: it is asked only where that names the object.
        bool ok = reason == trNone;
        if (ok && (!qualified || PlainFormIsExact(path))) {
            ok = check.Allows(path);
            if (single && ok)
                ok = (GetAttributes(Attribute) & Attribute) &&
                     PidlToShellFolder(AbsoluteObjectIDList()) == SF_FILESYSTEMFOLDER;
        }
        if (ok) continue;
        std::wstring name = path;
        if (name.empty() && single) GetDisplayName(false, name);
        const std::wstring why = RefusalText(reason, path, link);
        refused.push_back(why.empty() ? Quoted(name) : Quoted(name) + L" (" + why + L")");
    }
    return refused;
}

bool TPathfinch::TargetsAllow(SFGAOF Attribute, const TExactDeletion* Deletion) {
    fw::TStringList paths;
    TargetPaths(paths);
    const std::vector<std::wstring> refused = RefusedTargets(paths, Attribute, Deletion);
    if (refused.empty()) return true;
    SetLastError(ERROR_ACCESS_DENIED);
    Tell((Attribute == SFGAO_CANDELETE ? L"Nothing was deleted. These objects can't be deleted:\r\n"
                                       : L"Nothing was cut. These objects can't be moved:\r\n") +
         NameList(refused));
    return false;
}

bool TPathfinch::TargetsReadAsWritten(const std::wstring& Verb) {
    fw::TStringList paths;
    TargetPaths(paths);
    std::vector<std::wstring> rewritten;
    for (int i = 0; i < paths.Count(); ++i)
        if (!PlainFormIsExact(paths.Strings(i))) rewritten.push_back(paths.Strings(i));
    if (rewritten.empty()) return true;
    // The shell would run the command on the objects the plain names stand for.
    SetLastError(ERROR_INVALID_NAME);
    Tell(L"\"" + Verb + L"\" was not run. The system would take these names for other objects' names:\r\n" +
         NameList(rewritten));
    return false;
}

int TPathfinch::Tell(const std::wstring& Text, unsigned Flags) {
    if (!createdOnMainThread_ || !fw::IsMainThread()) return 0;
    return fw::Application()->MessageBox(Text, L"", Flags);
}

bool TPathfinch::DeleteTargets() {
    // The exact paths, never a menu object that might resolve to another one.
    fw::TStringList paths;
    TargetPaths(paths);
    std::vector<std::wstring> onDisk;
    for (int i = 0; i < paths.Count(); ++i)
        if (IsQualifiedPath(ExactFullPath(paths.Strings(i)))) onDisk.push_back(paths.Strings(i));
    const TProtectedObjects protectedObjects;
    TExactDeletion deletion(onDisk, protectedObjects);
    // Every object is asked; when one may not go, none goes.
    if (!TargetsAllow(SFGAO_CANDELETE, &deletion)) return false;
    const std::vector<std::wstring> own = deletion.OwnPaths();
    if (own.empty() && deletion.ShellPaths().empty()) return false;
    // What the shell can't send to the Recycle Bin is asked about apart.
    if (!own.empty() && !(DeleteFlags & FOF_NOCONFIRMATION)) {
        const std::wstring question =
            (DeleteFlags & FOF_ALLOWUNDO)
                ? L"These objects can't go to the Recycle Bin: the system would take their names for other "
                  L"objects' names, or follow their links. Delete them for good?\r\n"
                : L"Are you sure you want to delete these objects for good?\r\n";
        if (Tell(question + NameList(own), MB_YESNO | MB_ICONWARNING) != IDYES) {
            SetLastError(ERROR_CANCELLED);
            return false;
        }
    }
    int rc = 0;
    bool aborted = false;
    if (!deletion.ShellPaths().empty()) {
        std::wstring list;
        std::vector<TShellNotice> notices;
        for (const std::wstring& path : deletion.ShellPaths()) {
            list += path + L'\0';
            notices.push_back(TShellNotice::Of(path));
        }
        list += L'\0';
        SHFILEOPSTRUCTW operation{};
        operation.hwnd = ShellOwnerWindow();
        operation.wFunc = FO_DELETE;
        operation.pFrom = list.c_str();
        operation.fFlags = DeleteFlags;
        rc = SHFileOperationW(&operation);
        aborted = operation.fAnyOperationsAborted != FALSE;
        // Some shells tell nothing of what they send to the Recycle Bin: the controls hear of it all the same.
        for (const TShellNotice& notice : notices) notice.TellIfGone();
    }
    if (!aborted) deletion.DeleteOwn();
    std::vector<std::wstring> remaining;
    for (const std::wstring& path : onDisk)
        if (PathExists(path)) remaining.push_back(path);
    if (!remaining.empty() && !aborted) Tell(L"These objects could not be deleted:\r\n" + NameList(remaining));
    if (rc != 0) SetLastError(DWORD(rc));
    return remaining.empty() && rc == 0 && !aborted;
}

bool TPathfinch::RunVerb(const std::wstring& Verb) {
    // A delete goes by the exact paths, without the shell's menu: it is asked
    // about at once. Every other verb once the shell has a menu for the targets.
    if (SameVerb(Verb, L"delete")) return DoBeforeShellCommand(Verb) && DeleteTargets();
    bool defaultFolderMenu = false;
    fw::ComPtr<IContextMenu> object = ContextMenuObject(defaultFolderMenu);
    if (!object || !DoBeforeShellCommand(Verb)) return false;
    if (SameVerb(Verb, L"rename") && OnRename) {
        OnRename(this);
        return true;
    }
    // Every other command is the shell's, which reads the objects' names in their plain form.
    if (!TargetsReadAsWritten(Verb)) return false;
    // A cut object is moved by whoever pastes it: only what the shell would move is cut.
    if (SameVerb(Verb, L"cut") && !TargetsAllow(SFGAO_CANMOVE)) return false;
    TZemShellMenu menu(object);
    // The default folder menu stands on the desktop: no folder of ours applies.
    const std::wstring directory = defaultFolderMenu ? std::wstring() : VerbDirectory();
    if (SameVerb(Verb, L"default")) {
        // Some shells leave the default-only menu empty: ask the full menu too.
        UINT id = menu.Fill(CMF_DEFAULTONLY) ? menu.DefaultCommand() : 0;
        if (id == 0) {
            TZemShellMenu full(object);
            if (full.Fill(CMF_NORMAL) && (id = full.DefaultCommand()) != 0)
                return SUCCEEDED(full.InvokeCommand(id, ShellOwnerWindow(), directory));
            // No default item: the shell's default execution, never command -1.
            const std::wstring path = VerbTargetPath();
            SHELLEXECUTEINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
            info.hwnd = ShellOwnerWindow();
            info.lpFile = path.c_str();
            info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
            info.nShow = SW_SHOWNORMAL;
            return !path.empty() && ShellExecuteExW(&info);
        }
        return SUCCEEDED(menu.InvokeCommand(id, ShellOwnerWindow(), directory));
    }
    if (!menu.Fill(CMF_EXPLORE | CMF_EXTENDEDVERBS)) return false;
    // By command id where the menu names the verb; by name otherwise.
    const UINT id = menu.FindVerb(Verb);
    const HRESULT hr = id ? menu.InvokeCommand(id, ShellOwnerWindow(), directory)
                          : menu.InvokeVerb(Verb, ShellOwnerWindow(), directory);
    if (FAILED(hr)) SetLastError(DWORD(hr));
    return SUCCEEDED(hr);
}

bool TPathfinch::ExecuteShellVerb(const std::wstring& Verb) {
    struct TConsume {
        TPathfinch* Browser;
        ~TConsume() { Browser->SetMultiObjects(nullptr); }
    } consume{this};
    if (!DoContextMenuSelect(Verb) || !folder_) return false;
    const std::wstring verb = Verb.empty() ? std::wstring(L"default") : Verb;
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool result = false;
    try {
        result = RunVerb(verb);
    } catch (...) {
        SetCursor(previous);
        throw;
    }
    SetCursor(previous);
    return result;
}

bool TPathfinch::DoContextMenuSelect(const std::wstring& Verb) {
    bool execute = true;
    if (OnContextMenuSelect) OnContextMenuSelect(Verb, execute);
    return execute;
}

bool TPathfinch::DoBeforeShellCommand(const std::wstring& Verb) {
    if (!OnBeforeShellCommand) return true;
    fw::TStringList targets;
    TargetPaths(targets);
    TZemPathList paths(&targets);
    bool allow = true;
    OnBeforeShellCommand(this, Verb, &paths, allow);
    return allow;
}

}  // namespace shell
