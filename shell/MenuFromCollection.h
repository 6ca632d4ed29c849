#pragma once
// TMenuFromCollection: a popup menu whose items are made afresh from a
// collection each time it pops up; choosing an item reports its index.
// TMenuFromListColumns: the column chooser of a list view, one checked item per
// visible column; choosing one hides a visible column or shows a hidden one.
// Components: made with an owner, which frees them; the menu owns its items.
// The list view's columns are not owned.
#include <functional>

#include "framework/ListView.h"
#include "framework/Menus.h"

namespace shell {

using TMenuItemIndexEvent = std::function<void(fw::TObject* Sender, int Index)>;

class TMenuFromCollection : public fw::TPopupMenu {
public:
    explicit TMenuFromCollection(fw::TComponent* AOwner) : fw::TPopupMenu(AOwner) {}

    // Clears the items, fills them from the collection, then shows the menu.
    void Popup(int X, int Y) override;
    // Raised with the index of the chosen item.
    TMenuItemIndexEvent OnItemClick;

    // Appends an item named after the menu's class with a running number; its
    // tag is Tag, and choosing it calls ItemClicked(Tag).
    virtual fw::TMenuItem* AddItem(const std::wstring& Caption, int Tag, bool Check, bool Enabled);
    virtual void FillItems() = 0;
    virtual void ItemClicked(int Index);

protected:
    std::wstring ClassName() const override { return L"TMenuFromCollection"; }
};

class TMenuFromListColumns : public TMenuFromCollection {
public:
    explicit TMenuFromListColumns(fw::TComponent* AOwner) : TMenuFromCollection(AOwner) {}

    fw::TListColumns* Collection = nullptr;

    void FillItems() override;
    // A hidden column (width below 1) comes back 120 wide; a visible one is hidden.
    void ItemClicked(int Index) override;

protected:
    std::wstring ClassName() const override { return L"TMenuFromListColumns"; }
};

}  // namespace shell
