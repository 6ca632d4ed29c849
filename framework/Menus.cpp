#include "framework/Menus.h"

#include <algorithm>
#include <unordered_map>

#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"

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
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) break;
        if (TMenuItem* item = TMenuItem::FindByCommand(LOWORD(wParam))) item->Click();
        return 0;
    case WM_MEASUREITEM:
        if (TMenuItem::MeasureImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_DRAWITEM:
        if (TMenuItem::DrawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    default: break;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

std::wstring KeyText(WORD Key) {
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return std::wstring(1, wchar_t(Key));
    if (Key >= VK_F1 && Key <= VK_F24) return L"F" + std::to_wstring(Key - VK_F1 + 1);
    switch (Key) {
    case VK_BACK: return L"BkSp";
    case VK_TAB: return L"Tab";
    case VK_RETURN: return L"Enter";
    case VK_ESCAPE: return L"Esc";
    case VK_SPACE: return L"Space";
    case VK_PRIOR: return L"PgUp";
    case VK_NEXT: return L"PgDn";
    case VK_END: return L"End";
    case VK_HOME: return L"Home";
    case VK_LEFT: return L"Left";
    case VK_UP: return L"Up";
    case VK_RIGHT: return L"Right";
    case VK_DOWN: return L"Down";
    case VK_INSERT: return L"Ins";
    case VK_DELETE: return L"Del";
    default: return std::wstring();
    }
}

}  // namespace

TTrackMenuFunction TrackMenuHook;

TShortCut ShortCut(WORD Key, bool Shift, bool Ctrl, bool Alt) {
    return TShortCut((Key & 0xFF) | (Shift ? scShift : 0) | (Ctrl ? scCtrl : 0) | (Alt ? scAlt : 0));
}

std::wstring ShortCutToText(TShortCut Value) {
    const std::wstring key = KeyText(WORD(Value & 0xFF));
    if (key.empty()) return key;
    std::wstring text;
    if (Value & scCtrl) text += L"Ctrl+";
    if (Value & scShift) text += L"Shift+";
    if (Value & scAlt) text += L"Alt+";
    return text + key;
}

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
    delete bitmap_;
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

TBitmap* TMenuItem::Bitmap() {
    if (!bitmap_) bitmap_ = new TBitmap();
    return bitmap_;
}

bool TMenuItem::HasBitmap() const {
    return bitmap_ && !bitmap_->Empty();
}

void TMenuItem::SetBitmap(TBitmap* Value) {
    if (Value) Bitmap()->Assign(Value);
    else if (bitmap_) bitmap_->SetSize(0, 0);
}

TCustomImageList* TMenuItem::Images() const {
    const TMenuItem* root = this;
    while (root->parent_) root = root->parent_;
    return root->images_;
}

bool TMenuItem::HasImage() const {
    TCustomImageList* images = Images();
    return (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) || HasBitmap();
}

bool TMenuItem::MeasureImage(MEASUREITEMSTRUCT& Measure) {
    if (Measure.CtlType != ODT_MENU) return false;
    TMenuItem* item = FindByCommand(Measure.itemID);
    if (!item || !item->HasImage()) return false;
    TCustomImageList* images = item->Images();
    const bool listed = images && item->imageIndex_ >= 0 && item->imageIndex_ < images->Count();
    Measure.itemWidth = UINT(listed ? images->Width() : item->bitmap_->Width());
    Measure.itemHeight = UINT(listed ? images->Height() : item->bitmap_->Height());
    return true;
}

bool TMenuItem::DrawImage(const DRAWITEMSTRUCT& Draw) {
    if (Draw.CtlType != ODT_MENU) return false;
    TMenuItem* item = FindByCommand(Draw.itemID);
    if (!item || !item->HasImage()) return false;
    TCustomImageList* images = item->Images();
    const RECT& r = Draw.rcItem;
    if (images && item->imageIndex_ >= 0 && item->imageIndex_ < images->Count()) {
        const int x = r.left + (r.right - r.left - images->Width()) / 2;
        const int y = r.top + (r.bottom - r.top - images->Height()) / 2;
        ImageList_Draw(images->Handle(), item->imageIndex_, Draw.hDC, x, y,
                       item->enabled_ ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
        return true;
    }
    TBitmap* picture = item->bitmap_;
    const int x = r.left + (r.right - r.left - picture->Width()) / 2;
    const int y = r.top + (r.bottom - r.top - picture->Height()) / 2;
    const COLORREF clear = ColorToRGB(picture->TransparentColor());
    TransparentBlt(Draw.hDC, x, y, picture->Width(), picture->Height(), picture->Canvas()->Handle(), 0, 0,
                   picture->Width(), picture->Height(), clear);
    picture->Dormant();
    return true;
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::BuildMenu(HMENU Menu) const {
    UINT position = 0;
    std::wstring caption;  // the system copies it
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
            if (item->break_ == mbBreak) info.fType |= MFT_MENUBREAK;
            if (item->break_ == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
            const std::wstring keys = ShortCutToText(item->shortCut_);
            caption = keys.empty() ? item->caption_ : item->caption_ + L"\t" + keys;
            info.dwTypeData = caption.data();
            if (item->HasImage()) {
                // The owner window draws the image (TPopupMenu's, or one that passes it on).
                info.fMask |= MIIM_BITMAP;
                info.hbmpItem = HBMMENU_CALLBACK;
            }
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
    SetImages(nullptr);
    delete items_;
}

void TPopupMenu::SetImages(TCustomImageList* Value) {
    TCustomImageList* old = items_->Images();
    if (old == Value) return;
    if (old) old->RemoveFreeNotification(this);
    items_->SetImages(Value);
    if (Value) Value->FreeNotification(this);
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
    if (Operation == TOperation::opRemove && AComponent == items_->Images()) items_->SetImages(nullptr);
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
