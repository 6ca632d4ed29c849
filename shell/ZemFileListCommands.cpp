// The file list acting on its selected rows like the shell: shell verbs without
// a menu, the shell's context menu with the list's popup menu merged, the
// column chooser on the header, the keys, renaming in place, and the rows
// brought in line with each operation (reported through OnOperation).
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Clipboard.h"
#include "framework/Menus.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/ExactPaths.h"
#include "shell/MenuFromCollection.h"
#include "shell/PathUtils.h"
#include "shell/ShellDropData.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemFileList.h"

namespace shell {

namespace {

bool SameVerb(const std::wstring& A, const wchar_t* B) {
    return lstrcmpiW(A.c_str(), B) == 0;
}

// The files a copy or cut put on the clipboard (a file drop); empty when none.
std::unique_ptr<fw::TStringList> ClipboardFiles() {
    fw::ClipboardGuard clipboard;
    if (clipboard.Opened())
        if (HANDLE block = GetClipboardData(CF_HDROP))
            if (auto files = ReadDropFilesBlock(static_cast<HGLOBAL>(block))) return files;
    return std::make_unique<fw::TStringList>();
}

// Renames exactly the object at OldPath to Name as the shell does (it also tells
// the other controls); NewPath is the path of the object the shell made, which
// may differ from the name asked for (a trailing dot does not stay). Why tells the
// user why an object can't be renamed; nothing happens to it then.
bool RenameThroughShell(TPathfinch& Browser, const std::wstring& OldPath, const std::wstring& Name,
                        std::wstring& NewPath, std::wstring& Why) {
    bool renamed = false;
    try {
        Browser.SetObjectName(OldPath);
        if (!Browser.ObjectPidl()) return false;
        Why = Browser.RenameRefusal(Name);
        if (!Why.empty()) return false;
        std::wstring shown = Name;
        renamed = Browser.RenameObject(shown);
        if (renamed) NewPath = Browser.ObjectPath();
    } catch (const fw::Exception&) {
        renamed = false;
    }
    const DWORD error = GetLastError();
    if (renamed && !NewPath.empty() && NewPath != OldPath) return true;
    // Without the shell's new list (some shells rename, then fail to make it), the
    // object is where the system puts the name: without trailing dots and blanks.
    const std::wstring name = TPathfinch::NameAsTheSystemGivesIt(Name);
    NewPath = OldPath.substr(0, OldPath.find_last_of(L'\\') + 1) + name;
    if ((!PathExists(OldPath) || (renamed && SamePath(NewPath, OldPath))) && !name.empty() && PathExists(NewPath))
        return true;
    Why = L"\"" + OldPath + L"\" could not be renamed to \"" + name + L"\".";
    if (!renamed && error) Why += L"\r\n" + SysErrorText(error);
    return false;
}

}  // namespace

std::unique_ptr<fw::TStringList> TZemCustomFileList::SelectedPaths() const {
    auto paths = std::make_unique<fw::TStringList>();
    if (!HandleAllocated()) return paths;
    const HWND wnd = const_cast<TZemCustomFileList*>(this)->Handle();
    for (int i = ListView_GetNextItem(wnd, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(wnd, i, LVNI_SELECTED))
        if (TZemFileListItem* item = Items()->Find(i) ? Items()->Item(i) : nullptr) paths->Add(item->FullPath());
    return paths;
}

bool TZemCustomFileList::PointBrowserAtSelection(const fw::TStringList& Paths) {
    TZemFileListItem* selected = Selected();
    if (!selected || Paths.Count() == 0) return false;
    try {
        // The row's object, however its path is spelled.
        browser_->SetObjectName(ExactFullPath(selected->FullPath()));
    } catch (const fw::Exception&) {
        return false;
    }
    browser_->OnRename = [this](fw::TObject*) {
        if (TZemFileListItem* item = Selected()) {
            renaming_ = true;
            item->EditCaption();
            renaming_ = false;
        }
    };
    return true;
}

bool TZemCustomFileList::ExecuteVerb(const std::wstring& Verb) {
    std::unique_ptr<fw::TStringList> paths = SelectedPaths();
    if (!PointBrowserAtSelection(*paths)) return false;
    auto multi = std::make_unique<fw::TStringList>();
    multi->AddStrings(paths.get());
    browser_->SetMultiObjects(std::move(multi));
    return browser_->ExecuteShellVerb(Verb);
}

bool TZemCustomFileList::RunVerb(const std::wstring& Verb) {
    std::unique_ptr<fw::TStringList> clipboard = SameVerb(Verb, L"paste") ? ClipboardFiles() : nullptr;
    std::unique_ptr<fw::TStringList> paths = SelectedPaths();
    const bool ok = ExecuteVerb(Verb);
    // A deletion that removed some of the objects still drops their rows.
    if (ok || SameVerb(Verb, L"delete")) VerbDone(Verb, *paths, clipboard.get());
    return ok;
}

void TZemCustomFileList::VerbDone(const std::wstring& Verb, const fw::TStringList& Paths,
                                  const fw::TStringList* Clipboard) {
    TZemFileListItem* selected = Selected();
    if (SameVerb(Verb, L"delete")) {
        fw::TStringList gone;
        for (int i = 0; i < Paths.Count(); ++i)
            if (!PathExists(Paths.Strings(i))) gone.Add(Paths.Strings(i));
        if (gone.Count() > 0) DoOperation({sopDelete, sopRemove}, &gone, L"");
    } else if (SameVerb(Verb, L"paste") && Clipboard && selected) {
        TZemShellOperations operation{sopPaste, sopAdd};
        operation += Clipboard->Count() == 0 || PathExists(Clipboard->Strings(0)) ? sopCopy : sopMove;
        fw::TStringList files;
        files.AddStrings(Clipboard);
        DoOperation(operation, &files, selected->FullPath());
    } else if (SameVerb(Verb, L"cut")) {
        for (int i = 0; i < Items()->Count(); ++i)
            if (Items()->Item(i)->Selected()) Items()->Item(i)->SetCut(true);
    }
}

void TZemCustomFileList::ShowItemContextMenu(POINT ScreenPos, std::wstring& Verb) {
    Verb.clear();
    if (!Selected()) return;
    std::unique_ptr<fw::TStringList> clipboard = ClipboardFiles();
    std::unique_ptr<fw::TStringList> paths = SelectedPaths();
    bool handled = false;
    DoContextPopup(ScreenToClient(ScreenPos), handled);
    if (handled || !PointBrowserAtSelection(*paths)) return;
    if (paths->Count() > 1) {
        auto multi = std::make_unique<fw::TStringList>();
        multi->AddStrings(paths.get());
        browser_->SetMultiObjects(std::move(multi));
    }
    browser_->ShowShellContextMenu(ScreenPos, dynamic_cast<fw::TPopupMenu*>(PopupMenu()), nullptr, Verb);
    VerbDone(Verb, *paths, clipboard.get());
    // A rename is reported when it is asked for, before the new name is typed.
    if (SameVerb(Verb, L"rename") && Selected()) DoOperation({sopRename}, paths.get(), Selected()->FullPath());
}

void TZemCustomFileList::DoOperation(TZemShellOperations Operation, fw::TStringList* Files,
                                     const std::wstring& Destination) {
    if (Operation.Contains(sopDelete)) {
        // Only the rows of objects that are gone: a failed or partial deletion
        // leaves the rows of what still exists. The selection is read first, as
        // deleting a row clears it.
        std::vector<TZemFileListItem*> gone;
        for (int i = 0; i < Items()->Count(); ++i) {
            TZemFileListItem* item = Items()->Item(i);
            if (item->Selected() && !PathExists(item->FullPath())) gone.push_back(item);
        }
        Items()->BeginUpdate();
        try {
            for (auto it = gone.rbegin(); it != gone.rend(); ++it) (*it)->Delete();
            // So do the rows of what was in a folder that went.
            for (int i = 0; Files && i < Files->Count(); ++i)
                if (!PathExists(Files->Strings(i))) RemoveMissing(Files->Strings(i));
        } catch (...) {
            Items()->EndUpdate();
            throw;
        }
        Items()->EndUpdate();
    }
    if (Files && Files->Count() > 0 && OnOperation) OnOperation(this, Operation, Files, Destination);
    if ((Operation.Contains(sopMove) || Operation.Contains(sopDelete) || Operation.Contains(sopRemove) ||
         Operation.Contains(sopRename)) &&
        ShellLink())
        ShellLink()->NotifyObjectsChanged(this);
}

TMenuFromListColumns* TZemCustomFileList::ColumnMenu() {
    if (!columnMenu_) {
        columnMenu_ = new TMenuFromListColumns(this);
        columnMenu_->Collection = Columns();
    }
    return columnMenu_;
}

void TZemCustomFileList::ContextMenuRequest(fw::TMessage& Message) {
    POINT screen{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
    TZemFileListItem* item = nullptr;
    if (screen.x == -1 && screen.y == -1) {
        item = Selected();
        const RECT bounds = item ? item->DisplayRect(fw::drSelectBounds) : RECT{1, 1, 1, 1};
        screen = ClientToScreen(POINT{bounds.left, bounds.top});
    } else {
        const POINT client = ScreenToClient(screen);
        MouseUp(fw::mbRight, fw::KeysToShiftState(0), client.x, client.y);
        RECT header{};
        if (HWND headerWnd = HeaderHandle(); headerWnd && IsWindowVisible(headerWnd) &&
                                             GetWindowRect(headerWnd, &header) && client.y >= 0 &&
                                             client.y < header.bottom - header.top) {
            ColumnMenu()->Popup(screen.x, screen.y);
            Message.Result = 0;
            return;
        }
        item = static_cast<TZemFileListItem*>(GetItemAt(client.x, client.y));
    }
    if (!item || !ShellContextMenu) {
        TZemBaseShellListView::WndProc(Message);
    } else {
        std::wstring verb;
        ShowItemContextMenu(screen, verb);
    }
    Message.Result = 0;
}

void TZemCustomFileList::KeyDown(WORD& Key, fw::TShiftState Shift) {
    TZemBaseShellListView::KeyDown(Key, Shift);
    if (Key == 0 || IsEditing()) return;
    const bool ctrl = (Shift & fw::ssCtrl) != 0;
    const bool alt = (Shift & fw::ssAlt) != 0;
    if (ctrl && (Key == 'V' || Key == 'X')) {
        if (ReadOnly()) return;
        RunVerb(Key == 'V' ? L"paste" : L"cut");
        Key = 0;
    } else if (Key == VK_F2 && !ctrl && !alt) {
        if (Selected()) RunVerb(L"rename");
    } else if (Key == VK_F5) {
        if (Enabled()) RefreshImages();
        if (ShellLink()) ShellLink()->NotifyRefresh(this);
    } else if (alt && Key == VK_RETURN) {
        RunVerb(L"properties");
        Key = 0;
    } else if (Key == VK_DELETE && !ctrl && !alt) {
        if (!ReadOnly()) RunVerb(L"delete");
    } else if (ctrl && Key == 'A') {
        SelectAll();
        Key = 0;
    } else if (ctrl && Key == 'C') {
        RunVerb(L"copy");
        Key = 0;
    }
}

void TZemCustomFileList::KeyPress(wchar_t& Key) {
    TZemBaseShellListView::KeyPress(Key);
    if (Key != L'\r' || IsEditing()) return;
    RunVerb(L"default");
    Key = 0;
}

void TZemCustomFileList::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TZemBaseShellListView::MouseDown(Button, Shift, X, Y);
    if (Button != fw::mbLeft || !(Shift & fw::ssDouble)) return;
    if (OnDblClick && Owner()) return;
    if (CheckIfExists()) RunVerb(L"default");
}

bool TZemCustomFileList::CanEdit(fw::TListItem* Item) {
    // Only a rename asked for (F2, the menu, the verb) edits a caption, never a slow click.
    return renaming_ && TZemBaseShellListView::CanEdit(Item);
}

void TZemCustomFileList::Edit(fw::TListItem* Row, const std::wstring* Text) {
    auto* item = static_cast<TZemFileListItem*>(Row);
    if (!Text) return;  // cancelled: nothing changes
    std::wstring name = *Text;
    if (OnEdited) OnEdited(this, item, name);
    if (name.empty() || name == item->Caption()) return;
    const std::wstring oldPath = item->FullPath();
    // A caption shown without its extension keeps it when the new name has none.
    const std::wstring extension = fw::ExtractFileExt(oldPath);
    const bool withoutExtension =
        !extension.empty() && item->Caption() + extension == oldPath.substr(oldPath.find_last_of(L'\\') + 1);
    if (withoutExtension && fw::ExtractFileExt(name).empty()) name += extension;
    std::wstring newPath, why;
    const bool folder = item->IsFolder();
    if (!RenameThroughShell(*browser_, oldPath, name, newPath, why)) {
        // A name, not a path, among others: the user is told why nothing changed.
        if (!why.empty()) fw::Application()->MessageBox(why, L"", MB_OK | MB_ICONWARNING);
        return;
    }
    item->Renamed(newPath);
    // The row shows the name the object now has (the system may have dropped a trailing dot).
    std::wstring caption = newPath.substr(newPath.find_last_of(L'\\') + 1);
    if (withoutExtension) caption.resize(caption.size() - fw::ExtractFileExt(caption).size());
    item->SetCaption(caption);
    // The rows below a renamed folder follow it.
    if (folder) FollowRenamedFolder(oldPath, newPath);
    fw::TStringList files;
    files.Add(oldPath);
    DoOperation({sopRename}, &files, item->FullPath());
}

}  // namespace shell
