// Menus: the item tree and its ownership, radio groups, the native menu built
// for a popup, and a popup closed or answered by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Menus.h"

namespace {

using fw::TMenuItem;
using fw::TPopupMenu;

TMenuItem* Item(TPopupMenu* menu, const wchar_t* caption) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    menu->Items()->Add(item);
    return item;
}

TEST(MenuItems, TreeOwnershipIndexesAndThePopupComponent) {
    TPopupMenu menu(nullptr);
    TMenuItem* a = Item(&menu, L"a");
    TMenuItem* b = Item(&menu, L"b");
    auto* sub = new TMenuItem(nullptr);
    b->Add(sub);
    EXPECT_EQ(menu.Items()->Count(), 2);
    EXPECT_EQ(b->MenuIndex(), 1);
    EXPECT_EQ(sub->Parent(), b);
    const UINT subCommand = sub->Command();
    EXPECT_EQ(TMenuItem::FindByCommand(subCommand), sub);
    // Above the shell's command range, so both can share one native menu.
    EXPECT_GE(a->Command(), 0x8000u);
    EXPECT_GE(subCommand, 0x8000u);
    // An item is in one place at a time.
    auto* other = new TMenuItem(nullptr);
    EXPECT_THROW(other->Add(a), fw::EInvalidOperation);
    menu.Items()->Remove(a);
    other->Insert(0, a);
    EXPECT_EQ(a->Parent(), other);
    EXPECT_EQ(b->MenuIndex(), 0);
    delete a;  // a freed item leaves its parent
    EXPECT_EQ(other->Count(), 0);
    delete other;
    menu.Items()->Delete(0);  // a parent frees its children
    EXPECT_EQ(menu.Items()->Count(), 0);
    EXPECT_EQ(TMenuItem::FindByCommand(subCommand), nullptr);
    EXPECT_THROW(menu.Items()->Items(0), fw::EListError);
    auto* component = new fw::TComponent(nullptr);
    menu.SetPopupComponent(component);
    delete component;
    EXPECT_EQ(menu.PopupComponent(), nullptr);  // a freed popup component is let go
}

TEST(MenuItems, ARadioItemUnchecksItsGroupOnlyAndADisabledItemDoesNotClick) {
    TPopupMenu menu(nullptr);
    TMenuItem* x = Item(&menu, L"x");
    TMenuItem* y = Item(&menu, L"y");
    TMenuItem* z = Item(&menu, L"z");
    for (TMenuItem* i : {x, y, z}) i->SetRadioItem(true);
    z->SetGroupIndex(2);
    x->SetChecked(true);
    z->SetChecked(true);
    y->SetChecked(true);
    EXPECT_FALSE(x->Checked());
    EXPECT_TRUE(y->Checked());
    EXPECT_TRUE(z->Checked());
    int clicks = 0;
    x->OnClick = [&](fw::TObject*) { ++clicks; };
    x->Click();
    x->SetEnabled(false);
    x->Click();
    EXPECT_EQ(clicks, 1);
}

TEST(MenuItems, NativeMenuShowsVisibleItemsWithTheirStates) {
    TPopupMenu menu(nullptr);
    TMenuItem* a = Item(&menu, L"Save as HTML");
    Item(&menu, L"-");
    TMenuItem* hidden = Item(&menu, L"hidden");
    TMenuItem* c = Item(&menu, L"Copy");
    hidden->SetVisible(false);
    a->SetChecked(true);
    c->SetEnabled(false);
    auto* sub = new TMenuItem(nullptr);
    sub->SetCaption(L"inner");
    c->Add(sub);
    HMENU native = CreatePopupMenu();
    menu.Items()->BuildMenu(native);
    ASSERT_EQ(GetMenuItemCount(native), 3);
    EXPECT_EQ(GetMenuState(native, 0, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
    EXPECT_EQ(GetMenuState(native, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_TRUE(GetMenuState(native, 2, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));
    EXPECT_EQ(GetMenuItemID(native, 0), a->Command());
    HMENU inner = GetSubMenu(native, 2);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(GetMenuItemID(inner, 0), sub->Command());
    DestroyMenu(native);
}

// Timers of the test, run by the menu's own loop.
void CALLBACK EndTheMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

RECT shownAt{};
void CALLBACK ChooseTheSecondItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND menu = FindWindowW(L"#32768", nullptr)) GetWindowRect(menu, &shownAt);
    HWND owner = TPopupMenu::WindowHandle();
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(PopupMenus, PopupFiresOnPopupAndTheChosenItemClicksFromTheMessageLoopAfterTheMenuHasGone) {
    TPopupMenu menu(nullptr);
    TMenuItem* a = Item(&menu, L"first");
    TMenuItem* b = Item(&menu, L"second");
    int popups = 0;
    menu.OnPopup = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &menu);
        ++popups;
    };
    std::vector<fw::TObject*> clicked;
    a->OnClick = [&](fw::TObject* s) { clicked.push_back(s); };
    b->OnClick = [&](fw::TObject* s) { clicked.push_back(s); };
    SetTimer(nullptr, 0, 100, EndTheMenu);
    menu.Popup(100, 100);
    fw::Application()->ProcessMessages();
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(clicked.empty());

    menu.SetAlignment(fw::TPopupAlignment::paRight);
    shownAt = RECT{};
    SetTimer(nullptr, 0, 100, ChooseTheSecondItem);
    menu.Popup(300, 200);
    EXPECT_TRUE(clicked.empty());  // not yet: the command is waiting in the queue
    fw::Application()->ProcessMessages();
    EXPECT_EQ(clicked, std::vector<fw::TObject*>{b});
    EXPECT_EQ(shownAt.right, 300);
    EXPECT_EQ(shownAt.top, 200);
}

}  // namespace
