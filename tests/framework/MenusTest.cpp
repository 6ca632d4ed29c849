// Menus: the item tree and its ownership, radio groups, the native menu built
// for a popup, and a popup closed or answered by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/ImageList.h"
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

// A bitmap of one colour.
std::unique_ptr<fw::TBitmap> Filled(int Width, int Height, COLORREF Colour) {
    auto bitmap = std::make_unique<fw::TBitmap>(Width, Height);
    bitmap->SetPixelFormat(fw::pf24bit);
    bitmap->Canvas()->Brush()->SetColor(fw::TColorOf(Colour));
    bitmap->Canvas()->FillRect(RECT{0, 0, Width, Height});
    return bitmap;
}

// What the popup window draws for an item's image, read from the middle of a 24 x 24 area.
COLORREF DrawnImage(TMenuItem* Item, MEASUREITEMSTRUCT& Measure) {
    Measure = MEASUREITEMSTRUCT{ODT_MENU, 0, Item->Command(), 0, 0, 0};
    SendMessageW(TPopupMenu::WindowHandle(), WM_MEASUREITEM, 0, LPARAM(&Measure));
    fw::TBitmap target(24, 24);
    target.SetPixelFormat(fw::pf24bit);
    target.Canvas()->Brush()->SetColor(fw::clWhite);
    target.Canvas()->FillRect(RECT{0, 0, 24, 24});
    DRAWITEMSTRUCT draw{ODT_MENU,           0, Item->Command(), ODA_DRAWENTIRE, 0, nullptr, target.Canvas()->Handle(),
                        RECT{0, 0, 24, 24}, 0};
    SendMessageW(TPopupMenu::WindowHandle(), WM_DRAWITEM, 0, LPARAM(&draw));
    return GetPixel(target.Canvas()->Handle(), 12, 12);
}

TEST(MenuItems, ShortcutsBreaksAndImagesOfTheListOrTheItemsOwnPictureDrawnByThePopupWindow) {
    EXPECT_EQ(fw::ShortCutToText(fw::ShortCut('A', true, true, false)), L"Ctrl+Shift+A");
    EXPECT_EQ(fw::ShortCutToText(fw::ShortCut(VK_DELETE, false, false, false)), L"Del");
    EXPECT_EQ(fw::ShortCutToText(fw::ShortCut(VK_F5, false, false, true)), L"Alt+F5");
    TPopupMenu menu(nullptr);
    auto* images = new fw::TImageList(nullptr, 16, 16);
    std::unique_ptr<fw::TBitmap> red = Filled(16, 16, RGB(255, 0, 0));
    ASSERT_EQ(images->Add(red.get(), nullptr), 0);
    menu.SetImages(images);
    TMenuItem* listed = Item(&menu, L"Listed");
    TMenuItem* pictured = Item(&menu, L"Pictured");
    TMenuItem* plain = Item(&menu, L"Plain");
    listed->SetImageIndex(0);
    listed->SetShortCut(fw::ShortCut('R', false, true, false));
    listed->SetBreak(fw::mbBarBreak);
    pictured->SetBreak(fw::mbBreak);
    std::unique_ptr<fw::TBitmap> blue = Filled(10, 12, RGB(0, 0, 255));
    SetPixel(blue->Canvas()->Handle(), 0, 11, RGB(0, 255, 0));  // the see-through colour
    pictured->SetBitmap(blue.get());
    plain->SetImageIndex(5);  // beyond the list: no image
    HMENU native = CreatePopupMenu();
    menu.Items()->BuildMenu(native);
    ASSERT_EQ(GetMenuItemCount(native), 3);
    wchar_t text[64] = {};
    GetMenuStringW(native, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Listed\tCtrl+R");
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_BITMAP;
    std::vector<std::pair<UINT, HBITMAP>> kinds;
    for (UINT i = 0; i < 3; ++i) {
        GetMenuItemInfoW(native, i, TRUE, &info);
        kinds.push_back({info.fType & (MFT_MENUBREAK | MFT_MENUBARBREAK), info.hbmpItem});
    }
    DestroyMenu(native);
    EXPECT_EQ(kinds, (std::vector<std::pair<UINT, HBITMAP>>{
                         {MFT_MENUBARBREAK, HBMMENU_CALLBACK}, {MFT_MENUBREAK, HBMMENU_CALLBACK}, {0u, nullptr}}));
    MEASUREITEMSTRUCT measure{};
    EXPECT_EQ(DrawnImage(listed, measure), RGB(255, 0, 0));
    EXPECT_EQ(std::make_pair(measure.itemWidth, measure.itemHeight), std::make_pair(16u, 16u));
    EXPECT_EQ(DrawnImage(pictured, measure), RGB(0, 0, 255));
    EXPECT_EQ(std::make_pair(measure.itemWidth, measure.itemHeight), std::make_pair(10u, 12u));
    EXPECT_EQ(DrawnImage(plain, measure), RGB(255, 255, 255));
    EXPECT_EQ(measure.itemWidth, 0u);
    delete images;  // a freed image list is let go
    EXPECT_EQ(menu.Images(), nullptr);
    EXPECT_FALSE(listed->HasImage());
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
