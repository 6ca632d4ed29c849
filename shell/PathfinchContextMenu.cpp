// The browser's context menu: the shell's commands merged into the native menu
// of an owner's popup menu, tracked from a hidden window that serves the
// shell's owner-drawn submenus and the hint of the selected command, and the
// choice run as an owner item's click or as a shell command.
#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "framework/Application.h"
#include "framework/Hints.h"
#include "framework/Menus.h"
#include "framework/StringList.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/ZemShellMenu.h"

namespace shell {

namespace {

const wchar_t kErrorVerb[] = L"__ERROR__";
const wchar_t kMenuOwnerClass[] = L"TabulorinShellMenuOwner";

bool SameVerb(const std::wstring& A, const wchar_t* B) {
    return lstrcmpiW(A.c_str(), B) == 0;
}

LRESULT CALLBACK MenuOwnerProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* browser = reinterpret_cast<TPathfinch*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (!browser) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    fw::TMessage message{Msg, WParam, LParam, 0};
    try {
        browser->HandleMenuMessage(message);
    } catch (...) {
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
    return message.Result;
}

// A hidden top-level window (a message-only one cannot own a tracked menu).
HWND CreateMenuOwner(TPathfinch* Browser) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = MenuOwnerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kMenuOwnerClass;
    RegisterClassW(&cls);  // fails harmlessly when already registered
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, kMenuOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               cls.hInstance, nullptr);
    if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Browser));
    return wnd;
}

// The native submenu that shows Parent's children (the root for the popup's own items).
HMENU NativeMenuOf(HMENU Root, const fw::TMenuItem* Parent) {
    if (!Parent || !Parent->Parent()) return Root;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    if (GetMenuItemInfoW(Root, Parent->Command(), FALSE, &info) && info.hSubMenu) return info.hSubMenu;
    return Root;
}

// Item's place in the native menu: hidden items are not built.
UINT NativePosition(const fw::TMenuItem* Item) {
    UINT position = 0;
    const fw::TMenuItem* parent = Item->Parent();
    for (int i = 0; parent && i < parent->Count() && parent->Items(i) != Item; ++i)
        if (parent->Items(i)->Visible()) ++position;
    return position;
}

bool IsMultiOnDisk(fw::TStringList* Multi) {
    return Multi && Multi->Count() >= 2 && IsQualifiedPath(Multi->Strings(0));
}

}  // namespace

fw::ComPtr<IContextMenu> TPathfinch::ContextMenuObject(bool& DefaultFolderMenu) {
    fw::ComPtr<IContextMenu> menu;
    GetUIObjectOf(IID_IContextMenu, menu.put_void());
    DefaultFolderMenu = madeDefaultFolderMenu_;
    return menu;
}

bool TPathfinch::ShellExecuteDefault(const std::wstring& Path) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = fw::Application()->Handle();
    info.lpFile = Path.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

void TPathfinch::EndContextMenu() {
    if (menuWindow_) DestroyWindow(menuWindow_);
    menuWindow_ = nullptr;
    contextMenu3_.reset();
    contextMenu2_.reset();
    contextMenu_.reset();
    menuPopup_ = nullptr;
    SetMultiObjects(nullptr);
}

void TPathfinch::TrackShellContextMenu(POINT Pt, fw::TPopupMenu* PopupMenu, fw::TMenuItem* InsertAfter,
                                       std::wstring& Verb) {
    struct TEnd {
        TPathfinch* Browser;
        HCURSOR Cursor;
        ~TEnd() {
            Browser->EndContextMenu();
            SetCursor(Cursor);
        }
    } end{this, SetCursor(LoadCursorW(nullptr, IDC_WAIT))};
    bool defaultFolderMenu = false;
    try {
        contextMenu_ = ContextMenuObject(defaultFolderMenu);
    } catch (const fw::Exception&) {
        contextMenu_.reset();
    }
    if (!contextMenu_) {
        Verb = kErrorVerb;
        return;
    }
    contextMenu_->QueryInterface(IID_IContextMenu2, contextMenu2_.put_void());
    contextMenu_->QueryInterface(IID_IContextMenu3, contextMenu3_.put_void());
    menuPopup_ = PopupMenu;

    UINT flags = CMF_EXPLORE;
    if (IsShiftPressed()) flags |= CMF_EXTENDEDVERBS;
    if (OnRename) flags |= CMF_CANRENAME;
    fw::MenuHandle native(CreatePopupMenu());
    if (PopupMenu) PopupMenu->Items()->BuildMenu(native.get());
    HMENU target = InsertAfter ? NativeMenuOf(native.get(), InsertAfter->Parent()) : native.get();
    UINT index = ShowContextMenuOnTop ? 0
                 : InsertAfter        ? NativePosition(InsertAfter) + 1
                                      : UINT(GetMenuItemCount(target));
    try {
        contextMenu_->QueryContextMenu(target, index, ShellMenuFirstId, ShellMenuLastId, flags);
    } catch (...) {
        Verb = kErrorVerb;
        return;
    }

    menuWindow_ = CreateMenuOwner(this);
    SetCursor(end.Cursor);
    UINT command = fw::TrackMenu(native.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, Pt.x, Pt.y, menuWindow_);
    if (command && PopupMenu && FindAndClickCommand(PopupMenu->Items(), command)) command = 0;
    if (command >= ShellMenuFirstId && command <= ShellMenuLastId) RunMenuCommand(command, defaultFolderMenu, Verb);
}

void TPathfinch::RunMenuCommand(UINT Command, bool DefaultFolderMenu, std::wstring& Verb) {
    const std::wstring verb = ShellCommandString(contextMenu_.get(), Command, GCS_VERBW);
    if (!verb.empty()) Verb = verb;
    if (!DoBeforeShellCommand(Verb)) return;
    if (!DoContextMenuSelect(Verb) ||
        (ReadOnly && (SameVerb(Verb, L"delete") || SameVerb(Verb, L"cut") || SameVerb(Verb, L"paste")))) {
        Verb.clear();
        return;
    }
    if (SameVerb(Verb, L"rename") && OnRename) {
        OnRename(this);
        return;
    }
    if (SameVerb(Verb, L"delete")) {
        // The exact paths, never a menu object that might resolve to other ones.
        // A partial deletion still reports "delete", so the owner drops what went.
        fw::TStringList targets;
        TargetPaths(targets);
        DeleteTargets();
        bool any = false;
        for (int i = 0; i < targets.Count() && !any; ++i) any = !PathExists(targets.Strings(i));
        if (!any) Verb.clear();
        return;
    }
    // Every other command is the shell's, which reads the objects' names in their plain form.
    if (!TargetsReadAsWritten(Verb)) {
        Verb.clear();
        return;
    }
    if (SameVerb(Verb, L"open") && IsMultiOnDisk(multiObjects_.get())) {
        for (int i = 0; i < multiObjects_->Count(); ++i) ShellExecuteDefault(multiObjects_->Strings(i));
        return;
    }
    if (SameVerb(Verb, L"cut") && !TargetsAllow(SFGAO_CANMOVE)) {
        Verb.clear();
        return;
    }
    // The default folder menu stands on the desktop: no folder of ours applies.
    const std::wstring directory = DefaultFolderMenu ? std::wstring() : VerbDirectory();
    if (FAILED(InvokeShellCommand(contextMenu_.get(), Command, ShellOwnerWindow(), directory))) Verb.clear();
}

void TPathfinch::ShowShellContextMenu(POINT Pt, fw::TPopupMenu* PopupMenu, fw::TMenuItem* DefaultItem,
                                      std::wstring& Verb) {
    fw::TStringList targets;
    TargetPaths(targets);
    if (PopupMenu && PopupMenu->OnPopup) PopupMenu->OnPopup(PopupMenu);
    // The copy lives for this menu only; the owner's items stay untouched.
    std::unique_ptr<fw::TPopupMenu> copy;
    fw::TMenuItem* insertAfter = nullptr;
    if (PopupMenu) {
        copy = std::make_unique<fw::TPopupMenu>(nullptr);
        const bool images = MenuCopiesTakeImages();
        insertAfter = CopyMenuItems(copy.get(), PopupMenu->Items(), copy->Items(), DefaultItem, images);
        if (images) copy->SetImages(PopupMenu->Images());
    }
    TrackShellContextMenu(Pt, copy.get(), insertAfter, Verb);
    copy.reset();
    if (Verb == kErrorVerb && PopupMenu) PopupMenu->Popup(Pt.x, Pt.y);
    if (SameVerb(Verb, L"delete")) {
        // Nothing went: the deletion did not happen (cancelled or failed).
        bool any = false;
        for (int i = 0; i < targets.Count() && !any; ++i) any = !PathExists(targets.Strings(i));
        if (!any) Verb.clear();
    }
}

void TPathfinch::HandleMenuMessage(fw::TMessage& Message) {
    const HWND wnd = menuWindow_;
    if (contextMenu2_ && !fw::Application()->Terminated()) {
        switch (Message.Msg) {
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM: {
            LRESULT result = 0;
            if (contextMenu3_) contextMenu3_->HandleMenuMsg2(Message.Msg, Message.WParam, Message.LParam, &result);
            else contextMenu2_->HandleMenuMsg(Message.Msg, Message.WParam, Message.LParam);
            break;
        }
        case WM_MENUSELECT: MenuSelect(Message); break;
        default: break;
        }
    }
    // The owner's own items are drawn by the framework's popup-menu window, also
    // when the shell's menu draws nothing itself.
    if (!fw::Application()->Terminated() &&
        (Message.Msg == WM_INITMENUPOPUP || Message.Msg == WM_DRAWITEM || Message.Msg == WM_MEASUREITEM))
        SendMessageW(fw::TPopupMenu::WindowHandle(), Message.Msg, Message.WParam, Message.LParam);
    Message.Result = wnd ? DefWindowProcW(wnd, Message.Msg, Message.WParam, Message.LParam) : 0;
}

void TPathfinch::MenuSelect(const fw::TMessage& Message) {
    const UINT id = LOWORD(Message.WParam);
    const UINT flags = HIWORD(Message.WParam);
    const auto menu = reinterpret_cast<HMENU>(Message.LParam);
    std::wstring hint;
    if (!(flags & MF_POPUP) && id >= ShellMenuFirstId && id <= ShellMenuLastId) {
        hint = ShellCommandString(contextMenu_.get(), id, GCS_HELPTEXTW, 2601);
    } else if (menuPopup_ && menu) {
        UINT command = id;
        if (flags & MF_POPUP) {
            // A submenu is named by its place; its item carries the owner item's command.
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_ID;
            command = GetMenuItemInfoW(menu, id, TRUE, &info) ? info.wID : 0;
        }
        if (fw::TMenuItem* item = FindMenuItem(menuPopup_->Items(), command)) hint = fw::GetLongHint(item->Hint());
    }
    fw::Application()->SetHint(hint);
}

}  // namespace shell
