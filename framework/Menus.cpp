#include "framework/Menus.h"

#include <algorithm>
#include <unordered_map>

#include "framework/Exception.h"
#include "framework/Handles.h"

namespace fw {

namespace {

// Command identifiers travel in the low word of WM_COMMAND, so they are reused.
std::unordered_map<UINT, TMenuItem*>& Commands() {
    static std::unordered_map<UINT, TMenuItem*> map;
    return map;
}

UINT NewCommand(TMenuItem* item) {
    constexpr UINT span = MenuItemLastCommand - MenuItemFirstCommand + 1;
    static UINT next = 0;
    auto& map = Commands();
    for (UINT tries = 0; tries < span; ++tries) {
        const UINT id = MenuItemFirstCommand + next;
        next = (next + 1) % span;
        if (map.find(id) == map.end()) {
            map[id] = item;
            return id;
        }
    }
    throw EOutOfResources(L"Too many menu items");
}

const wchar_t kPopupWindowClass[] = L"TabulorinPopupList";

LRESULT CALLBACK PopupWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
        if (TMenuItem* item = TMenuItem::FindByCommand(LOWORD(wParam))) item->Click();
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace

TTrackMenuFunction TrackMenuHook;

UINT TrackMenu(HMENU Menu, UINT Flags, int X, int Y, HWND Owner) {
    if (TrackMenuHook) return TrackMenuHook(Menu, Flags | TPM_RETURNCMD, X, Y, Owner);
    return UINT(TrackPopupMenu(Menu, Flags | TPM_RETURNCMD, X, Y, 0, Owner, nullptr));
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    command_ = NewCommand(this);
}

TMenuItem::~TMenuItem() {
    Commands().erase(command_);
    Clear();
    if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(L"Menu index out of range (" + std::to_wstring(Index) + L")");
    return items_[size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->parent_) throw EInvalidOperation(L"Menu inserted twice");
    if (Index < 0 || Index > Count()) throw EListError(L"Menu index out of range (" + std::to_wstring(Index) + L")");
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto it = std::find(items_.begin(), items_.end(), Item);
    if (it == items_.end()) return;
    items_.erase(it);
    Item->parent_ = nullptr;
}

void TMenuItem::Delete(int Index) {
    delete Items(Index);
}

void TMenuItem::Clear() {
    while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TMenuItem::SetChecked(bool Value) {
    checked_ = Value;
    if (Value && radioItem_ && parent_) {
        for (TMenuItem* other : parent_->items_)
            if (other != this && other->radioItem_ && other->groupIndex_ == groupIndex_) other->checked_ = false;
    }
}

TMenuItem* TMenuItem::FindByCommand(UINT Command) {
    auto it = Commands().find(Command);
    return it == Commands().end() ? nullptr : it->second;
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::BuildMenu(HMENU Menu) const {
    UINT position = 0;
    for (const TMenuItem* item : items_) {
        if (!item->visible_) continue;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        if (item->IsLine()) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_ID;
            info.fType = item->radioItem_ ? MFT_RADIOCHECK : 0;
            info.dwTypeData = const_cast<wchar_t*>(item->caption_.c_str());
            info.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->enabled_ ? 0 : MFS_DISABLED) |
                          (item->default_ ? MFS_DEFAULT : 0);
            info.wID = item->command_;
            if (!item->items_.empty()) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = CreatePopupMenu();
                item->BuildMenu(info.hSubMenu);
            }
        }
        InsertMenuItemW(Menu, position++, TRUE, &info);
    }
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
    items_ = new TMenuItem(nullptr);
}

TPopupMenu::~TPopupMenu() {
    DestroyComponents();
    delete items_;
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (popupComponent_ == Value) return;
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
    popupComponent_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popupComponent_) popupComponent_ = nullptr;
}

HWND TPopupMenu::WindowHandle() {
    static HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    WNDCLASSW cls{};
    cls.lpfnWndProc = PopupWindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = kPopupWindowClass;
    RegisterClassW(&cls);  // fails harmlessly when already registered
    // A hidden top-level window: a message-only one cannot own a tracked menu.
    window = CreateWindowExW(WS_EX_TOOLWINDOW, kPopupWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             cls.hInstance, nullptr);
    return window;
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    const MenuHandle owned(CreatePopupMenu());
    HMENU menu = owned.get();
    if (!menu) return;
    items_->BuildMenu(menu);
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->Items(i)->Default() && items_->Items(i)->Visible())
            SetMenuDefaultItem(menu, items_->Items(i)->Command(), FALSE);
    UINT flags = TPM_RETURNCMD | TPM_LEFTBUTTON;
    switch (alignment_) {
    case TPopupAlignment::paLeft: flags |= TPM_LEFTALIGN; break;
    case TPopupAlignment::paRight: flags |= TPM_RIGHTALIGN; break;
    case TPopupAlignment::paCenter: flags |= TPM_CENTERALIGN; break;
    }
    HWND owner = WindowHandle();
    const UINT command = TrackMenu(menu, flags, X, Y, owner);
    // The choice runs from the message loop after the menu has gone, as a command
    // of the owner window, so the caller finishes its own handling first.
    if (command) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

}  // namespace fw
