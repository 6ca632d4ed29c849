#pragma once
// TPathfinch: a non-visual browser that stands on one folder of the shell
// namespace (the current folder) and on at most one object in it (the current
// object), answers questions about them, enumerates the folder one object at a
// time, parses names and paths and renames.
// A browser is a component: made with an owner (new TPathfinch(owner)) or none
// (CreateForPath, or on the stack for a moment). It owns its item-ID lists and
// string lists and releases its shell interfaces when destroyed. A browser
// belongs to the thread that made it; one made on a worker thread never lets the
// shell show a box or dialog. Failures raise EPathfinchError.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Exception.h"
#include "framework/SyncObjs.h"
#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"

namespace fw {
class TBitmap;
class TMenuItem;
class TPopupMenu;
class TStringList;
class TStrings;
struct TMessage;
}  // namespace fw

namespace shell {

class TExactDeletion;
class TZemPathList;
class TPathfinch;

// The exception class of the whole shell library.
class EPathfinchError : public fw::Exception {
public:
    using fw::Exception::Exception;
};

using TOnContextMenuSelectEvent = std::function<void(const std::wstring& Command, bool& Execute)>;
using TOnBeforeShellCommand =
    std::function<void(TPathfinch* Sender, const std::wstring& Command, TZemPathList* Paths, bool& AllowExecute)>;

class TPathfinch : public fw::TComponent {
public:
    explicit TPathfinch(fw::TComponent* AOwner);
    ~TPathfinch() override;
    // A browser without owner standing on Path's parent folder with Path's last
    // part as its object (a drive root: in the computer folder).
    static std::unique_ptr<TPathfinch> CreateForPath(const std::wstring& Path);

    // ";"-separated masks that EnumNextObject applies to objects that are no folders.
    std::wstring Filter() const;
    void SetFilter(const std::wstring& Value);
    // The current folder's path with a trailing backslash; empty for virtual folders.
    std::wstring Folder();
    void SetFolder(const std::wstring& Value);
    // Name of the current object (a drive's root path; a server's remote name).
    std::wstring ObjectName();
    void SetObjectName(const std::wstring& Value);
    TZemShellFolder SpecialFolder();
    void SetSpecialFolder(TZemShellFolder Value);
    // Paths or names of the selected objects; the browser owns the list.
    fw::TStringList* MultiObjects() const { return multiObjects_.get(); }
    void SetMultiObjects(std::unique_ptr<fw::TStringList> Value);
    std::wstring Version() const;

    bool FileSystemOnly = false;
    bool ShowErrorMessages = true;
    bool ShowContextMenuOnTop = false;
    fw::TNotifyEvent OnRename;
    TOnContextMenuSelectEvent OnContextMenuSelect;
    TOnBeforeShellCommand OnBeforeShellCommand;

    // Navigation. Lists given are cloned; lists returned by FolderIDList and
    // ObjectIDList are new (the caller frees them); AbsoluteObjectIDList is the
    // browser's own, valid until the object changes.
    void SetFolderIDList(LPCITEMIDLIST Pidl);
    LPITEMIDLIST FolderIDList() const;
    LPCITEMIDLIST FolderPidl() const { return folderPidl_.get(); }
    IShellFolder* ShellFolder() const { return folder_.get(); }
    void SetAbsoluteObjectIDList(LPCITEMIDLIST Pidl);
    LPCITEMIDLIST AbsoluteObjectIDList();
    void SelectFolderAsObject();
    bool BrowseObject();
    bool HasObjects(bool FolderOnly) const;
    LPITEMIDLIST ObjectIDList() const;
    LPCITEMIDLIST ObjectPidl() const { return objectPidl_.get(); }
    void SetObjectIDList(LPCITEMIDLIST Relative);

    // Enumeration: the next object of the folder that passes the filter becomes
    // the current object; false at the end (the next call starts again).
    bool EnumNextObject();

    // The current object.
    void GetDisplayName(bool InFolder, std::wstring& Name);
    std::wstring ObjectPath();
    bool ObjectIsDriveRoot();
    SFGAOF GetAttributes(SFGAOF Mask);
    bool ObjectIsHidden() { return (GetAttributes(SFGAO_HIDDEN) & SFGAO_HIDDEN) != 0; }
    bool CanRename() { return (GetAttributes(SFGAO_CANRENAME) & SFGAO_CANRENAME) != 0; }
    bool IsFolder();
    bool HasSubFolders();
    TZemShellFolder ObjectSpecialFolder();
    std::wstring ObjectNetworkName();
    void GetInfoTip(bool Slow, std::wstring& Tip);
    // Renames the object to NewName (the shell's rename; an object whose path the
    // shell would read as another's is renamed through its long form); NewName
    // comes back as the object's new name. False when it failed (last error set).
    bool RenameObject(std::wstring& NewName);
    // Why the object can't be renamed to NewName, for the user: a drive, a special
    // folder, a link the system would follow, a name already taken, a name the
    // system can't give; empty when it may be.
    std::wstring RenameRefusal(const std::wstring& NewName);
    // A name typed, as the system gives it to an object: without trailing dots and blanks.
    static std::wstring NameAsTheSystemGivesIt(const std::wstring& Name);

    // Icons, overlay and thumbnail of the current object (PathfinchImages.cpp).
    // The small system icon index of the object, closed and open; -1 without folder.
    int ObjectIconIndex();
    int ObjectOpenIconIndex();
    // The zero-based overlay image of the object (0 share, 1 shortcut on most
    // systems); -1 for none or without object.
    int ObjectOverlayIndex();
    // The desktop's own small icon index and display name.
    static int DesktopIconIndex();
    static void DesktopDisplayName(std::wstring& Name);
    // The object's thumbnail at Width x Height (200 x 200 unless both are
    // positive); with IconFallback, the object's large icon centred on a picture
    // of that size when the shell has no thumbnail. nullptr when there is none.
    // Runs on worker threads, each with a browser of its own.
    std::unique_ptr<fw::TBitmap> GetThumbnailBitmap(int Width, int Height, bool IconFallback);

    // Details columns of the current folder.
    bool InitDetails();
    void GetDetails(int Column, bool Header, std::wstring& Text);
    fw::TAlignment GetColumnInfo(int Column, int& Width);

    // The window that shell calls get as owner; 0 where no dialog may appear.
    HWND ShellOwnerWindow();

    // Shell verbs and UI objects (PathfinchMenus.cpp). MultiObjects is consumed
    // by every verb call. Obj receives a new reference, or nullptr.
    bool ReadOnly = false;
    // How "delete" asks SHFileOperationW (FOF_* flags).
    FILEOP_FLAGS DeleteFlags = FOF_ALLOWUNDO;
    void GetUIObjectOf(REFIID Iid, void** Obj);
    void GetDesktopUIObject(fw::TStrings& Paths, REFIID Iid, void** Obj);
    void CreateDefaultContextMenu(fw::TStrings& Paths, HWND Owner, fw::ComPtr<IContextMenu>& Menu);
    bool ExecuteShellVerb(const std::wstring& Verb);

    // The shell's context menu merged with an owner's popup menu
    // (PathfinchContextMenu.cpp). TrackShellContextMenu fills the shell's commands
    // into the native menu of PopupMenu's items (after InsertAfter, at the end, or
    // on top with ShowContextMenuOnTop), shows it at the screen point Pt and runs
    // the choice: an owner item is clicked and Verb stays; a shell command's verb
    // goes into Verb and runs (Verb is emptied when a veto or the shell stops it).
    // Verb is "__ERROR__" when the shell has no menu for the targets.
    void TrackShellContextMenu(POINT Pt, fw::TPopupMenu* PopupMenu, fw::TMenuItem* InsertAfter, std::wstring& Verb);
    // What the controls call: a copy of PopupMenu's items (DefaultItem's copy marks
    // where the shell's commands go) is tracked; without a shell menu PopupMenu
    // itself pops up. A "delete" that removed nothing empties Verb.
    void ShowShellContextMenu(POINT Pt, fw::TPopupMenu* PopupMenu, fw::TMenuItem* DefaultItem, std::wstring& Verb);
    // The messages of the window that owns an open menu: owner-drawn shell
    // submenus, and the application's hint for the selected command.
    void HandleMenuMessage(fw::TMessage& Message);
    // Raise OnContextMenuSelect and OnBeforeShellCommand; true when unbound.
    bool DoContextMenuSelect(const std::wstring& Verb);
    bool DoBeforeShellCommand(const std::wstring& Verb);
    // ShellExecuteExW of Path with its default verb (the ID-list invoke).
    static bool ShellExecuteDefault(const std::wstring& Path);
    // The shell menu open in TrackShellContextMenu; nullptr at other times.
    IContextMenu* OpenContextMenu() const { return contextMenu_.get(); }

protected:
    void Loaded() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    std::wstring ClassName() const override { return L"TPathfinch"; }
    // The shell's menu object for the current object or MultiObjects; whether it
    // is the default folder menu (objects of several folders) comes back too.
    virtual fw::ComPtr<IContextMenu> ContextMenuObject(bool& DefaultFolderMenu);

private:
    bool ShowsErrors() const { return ShowErrorMessages && createdOnMainThread_; }
    void ClearObject();
    void ObjectChanged();
    void DropEnumeration();
    void ReleaseDetails();
    bool PassesFilter();
    bool Accepts();
    std::wstring VerbTargetPath();
    std::wstring VerbDirectory();
    void TargetPaths(fw::TStrings& Out);
    // "delete" of exactly the targets, only when every one of them may go (else
    // nothing goes and the user is told which not and why): through
    // SHFileOperationW where their plain paths name them and hold no link, through
    // TExactDeletion otherwise. The user is told of those that remain.
    bool DeleteTargets();
    std::vector<std::wstring> RefusedTargets(const fw::TStrings& Paths, SFGAOF Attribute,
                                             const TExactDeletion* Deletion);
    // Whether every target may be deleted (SFGAO_CANDELETE, as Deletion examined
    // them) or moved (SFGAO_CANMOVE); if not, a box names those that may not.
    bool TargetsAllow(SFGAOF Attribute, const TExactDeletion* Deletion = nullptr);
    // Whether the system reads every target's path as written, so a shell command
    // acts on them; if not, a box names those it would take for others.
    bool TargetsReadAsWritten(const std::wstring& Verb);
    // A box of the browser's own, on the thread that made it only; 0 elsewhere.
    int Tell(const std::wstring& Text, unsigned Flags = MB_OK | MB_ICONWARNING);
    void RunMenuCommand(UINT Command, bool DefaultFolderMenu, std::wstring& Verb);
    bool RenameByLongPath(std::wstring& NewName);
    void EndContextMenu();
    // WM_MENUSELECT of the open menu: the selected command's hint becomes the application's.
    void MenuSelect(const fw::TMessage& Message);
    bool RunVerb(const std::wstring& Verb);
    std::unique_ptr<fw::TBitmap> ShellItemThumbnail(int Width, int Height, bool IconFallback);
    std::unique_ptr<fw::TBitmap> ExtractedThumbnail(int Width, int Height);

    // Current folder.
    fw::PidlPtr folderPidl_;
    fw::ComPtr<IShellFolder> folder_;
    std::wstring folderText_;
    bool folderTextCurrent_ = false;
    TZemShellFolder specialFolder_ = SF_INVALID;
    // Current object.
    fw::PidlPtr objectPidl_;
    fw::PidlPtr absoluteObjectPidl_;
    WIN32_FIND_DATAW findData_{};
    std::wstring objectPath_ = L"-";
    int hasSubFolders_ = -1;
    // Running enumeration.
    fw::ComPtr<IEnumIDList> enum_;
    // Details.
    fw::ComPtr<IShellFolder2> folder2_;
    fw::ComPtr<IShellDetails> details_;
    bool viewObjectTried_ = false;

    std::unique_ptr<fw::TStringList> masks_;
    std::unique_ptr<fw::TStringList> multiObjects_;
    bool loaded_ = false;
    bool createdOnMainThread_ = true;
    // The class keys the last default folder menu was made with; kept while it may be in use.
    std::vector<fw::RegKey> menuKeys_;
    bool madeDefaultFolderMenu_ = false;
    // While a context menu is open: the shell's menu, its owner-draw interfaces,
    // the merged owner menu and the hidden window that owns the menu.
    fw::ComPtr<IContextMenu> contextMenu_;
    fw::ComPtr<IContextMenu2> contextMenu2_;
    fw::ComPtr<IContextMenu3> contextMenu3_;
    fw::TPopupMenu* menuPopup_ = nullptr;
    HWND menuWindow_ = nullptr;
};

// Start-up and shut-down of the browser's unit: the desktop folder, the
// special-folder cache, the "Shell IDList Array" clipboard format, the
// thumbnail lock, the operating-system flags, the Windows drive and the shared
// small-icon image list. Raises EPathfinchError when the shell cannot be opened.
void PathfinchInitialize();
void PathfinchFinalize();
// The clipboard format "Shell IDList Array", registered at start-up.
UINT ShellIDListClipboardFormat();
// The shared image list of small system icons, made at start-up; nullptr outside
// PathfinchInitialize()/PathfinchFinalize().
class TZemSystemImageList;
TZemSystemImageList* SharedSmallImages();
// Serialises the browsers' thumbnail extraction.
fw::TCriticalSection& ThumbnailLock();
// The version of the loaded common-controls library: major in the high word,
// minor in the low word (0x00060000 for 6.0); 0 when it cannot be told.
DWORD CommonControlsVersion();

}  // namespace shell
