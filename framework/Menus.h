#pragma once
// Popup menus as components.
// A TMenuItem is created with an owner (usually the form) and hung into a parent
// item with Add/Insert; a parent frees its child items when it is destroyed, and a
// child freed first leaves its parent. A TPopupMenu owns its root item (Items()).
// The native menu is built afresh for every Popup and destroyed after it; choosing
// an item posts its command to a hidden window, which calls the item's Click once
// the menu has closed. Item command ids lie above 0x7FFF, so they never meet the
// ids a shell context menu merged into the same native menu uses (1 to 0x7FFF).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Classes.h"

namespace fw {

class TBitmap;
class TCustomImageList;

// A key with its modifiers, as a menu shows it: the virtual key in the low byte,
// scShift, scCtrl and scAlt above it; 0 for none.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(WORD Key, bool Shift, bool Ctrl, bool Alt);
// "Ctrl+Shift+A", "Del", "F5": the text a menu shows beside its item.
std::wstring ShortCutToText(TShortCut Value);

// Where an item starts a new column of its menu.
enum TMenuBreak {
    mbNone,
    mbBreak,
    mbBarBreak
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& Value) { caption_ = Value; }
    // A caption of "-" makes the item a separator line.
    bool IsLine() const { return caption_ == L"-"; }

    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the other radio items of its group.
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool Value) { visible_ = Value; }
    bool Default() const { return default_; }
    void SetDefault(bool Value) { default_ = Value; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value) { radioItem_ = Value; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value) { groupIndex_ = Value; }
    // "short|long": the long part is what a status line shows while the item is selected.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& Value) { hint_ = Value; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value) { shortCut_ = Value; }
    TMenuBreak Break() const { return break_; }
    void SetBreak(TMenuBreak Value) { break_ = Value; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }
    // The image of the menu's image list drawn beside the caption; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value) { imageIndex_ = Value; }
    // The item's own picture (made on first use, owned), drawn when it has no
    // image of the list. Setting copies Value.
    TBitmap* Bitmap();
    bool HasBitmap() const;
    void SetBitmap(TBitmap* Value);
    // The image list of the menu this item belongs to (its root's); not owned.
    TCustomImageList* Images() const;
    void SetImages(TCustomImageList* Value) { images_ = Value; }

    // Child items.
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int Index) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out of this one without freeing it.
    void Remove(TMenuItem* Item);
    // Frees the child at Index.
    void Delete(int Index);
    // Frees every child.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

    // The command identifier the native menu carries for this item.
    UINT Command() const { return command_; }
    // The item with that command identifier, or nullptr (also once it is freed).
    static TMenuItem* FindByCommand(UINT Command);

    // Fires OnClick; what choosing the item in a menu does.
    virtual void Click();

    TNotifyEvent OnClick;

    // Appends this item's children to a native menu (submenus built recursively).
    // An item with an image or a picture has it drawn by the owner window of
    // the menu (WM_MEASUREITEM, WM_DRAWITEM), which passes them to DrawImage.
    void BuildMenu(HMENU Menu) const;
    // Whether the item shows an image of its list or its own picture.
    bool HasImage() const;
    // Answers the owner window's measure and draw messages for the image of the
    // item whose command they name; false when they name none of ours.
    static bool MeasureImage(MEASUREITEMSTRUCT& Measure);
    static bool DrawImage(const DRAWITEMSTRUCT& Draw);

protected:
    std::wstring ClassName() const override { return L"TMenuItem"; }

private:
    std::wstring caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    std::wstring hint_;
    TShortCut shortCut_ = 0;
    TMenuBreak break_ = mbNone;
    int helpContext_ = 0;
    int imageIndex_ = -1;
    TBitmap* bitmap_ = nullptr;           // owned
    TCustomImageList* images_ = nullptr;  // the root's only
    UINT command_ = 0;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

// The first and last command id of menu items.
constexpr UINT MenuItemFirstCommand = 0x8000;
constexpr UINT MenuItemLastCommand = 0xFFFF;

// Shows a native popup menu and returns the chosen command (0 for none): the
// system's TrackPopupMenu with TPM_RETURNCMD, unless TrackMenuHook is set. Tests
// put a chooser in the hook, so no menu loop has to be driven.
using TTrackMenuFunction = std::function<UINT(HMENU Menu, UINT Flags, int X, int Y, HWND Owner)>;
extern TTrackMenuFunction TrackMenuHook;
UINT TrackMenu(HMENU Menu, UINT Flags, int X, int Y, HWND Owner);

enum class TPopupAlignment {
    paLeft,
    paRight,
    paCenter
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // The root item; its children are the menu's entries.
    TMenuItem* Items() const { return items_; }
    // The images the items name by ImageIndex; not owned.
    TCustomImageList* Images() const { return items_->Images(); }
    void SetImages(TCustomImageList* Value);

    // Shows the menu with its reference point at the screen point (X, Y) and
    // returns once it has closed. OnPopup fires first.
    virtual void Popup(int X, int Y);

    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value);
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }

    TNotifyEvent OnPopup;

    // The hidden window that owns every popup menu, receives its commands and
    // draws its items' images.
    static HWND WindowHandle();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    std::wstring ClassName() const override { return L"TPopupMenu"; }

private:
    TMenuItem* items_ = nullptr;
    TComponent* popupComponent_ = nullptr;
    TPopupAlignment alignment_ = TPopupAlignment::paLeft;
};

}  // namespace fw
