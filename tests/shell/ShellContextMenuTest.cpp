// The merged context menu, over a stand-in shell menu that records what the browser
// asks of it: placement, choices, vetoes, flags, hints and the owner's own menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ComObject.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "shell/Pathfinch.h"
#include "shell/ZemShellMenu.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

// A shell menu of two commands, "alpha" and "cut" (the default), that records the
// calls. Its default-only menu is empty, as Wine's is.
class TFakeShellMenu : public fw::TComObject<IContextMenu2, IID_IContextMenu2> {
public:
    UINT Flags = 0;
    UINT Index = 0;
    std::pair<UINT, UINT> Ids;
    std::vector<UINT_PTR> Invoked;
    std::wstring Directory;
    std::vector<UINT> MenuMessages;
    std::wstring FirstVerb = L"alpha";  // the verb of the first command
    HRESULT InvokeResult = S_OK;

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU Menu, UINT IndexMenu, UINT First, UINT Last,
                                               UINT FlagsIn) override {
        Flags = FlagsIn;
        Index = IndexMenu;
        Ids = {First, Last};
        if (FlagsIn & CMF_DEFAULTONLY) return S_OK;
        InsertMenuW(Menu, IndexMenu, MF_BYPOSITION | MF_STRING, First, L"Shell alpha");
        InsertMenuW(Menu, IndexMenu + 1, MF_BYPOSITION | MF_STRING, First + 1, L"Shell cut");
        SetMenuDefaultItem(Menu, First + 1, FALSE);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* Info) override {
        EXPECT_EQ(Info->cbSize, sizeof(CMINVOKECOMMANDINFOEX));
        EXPECT_TRUE(Info->fMask & CMIC_MASK_UNICODE);
        Invoked.push_back(reinterpret_cast<UINT_PTR>(Info->lpVerb));
        const auto* ex = reinterpret_cast<CMINVOKECOMMANDINFOEX*>(Info);
        Directory = ex->lpDirectoryW ? ex->lpDirectoryW : L"";
        return InvokeResult;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR Offset, UINT Type, UINT*, LPSTR Name, UINT Max) override {
        const wchar_t* text = nullptr;
        if (Type == GCS_VERBW) text = Offset == 0 ? FirstVerb.c_str() : L"cut";
        if (Type == GCS_HELPTEXTW) text = Offset == 0 ? L"Runs alpha" : L"Cuts";
        if (!text || Offset > 1) return E_INVALIDARG;
        lstrcpynW(reinterpret_cast<wchar_t*>(Name), text, int(Max));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT Msg, WPARAM, LPARAM) override {
        MenuMessages.push_back(Msg);
        return S_OK;
    }
};

// The same menu without owner-drawn submenus: it offers no IContextMenu2.
class TPlainShellMenu : public TFakeShellMenu {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
        if (IsEqualIID(Iid, IID_IContextMenu2)) {
            *Object = nullptr;
            return E_NOINTERFACE;
        }
        return TFakeShellMenu::QueryInterface(Iid, Object);
    }
};

class TTestBrowser : public TPathfinch {
public:
    TTestBrowser() : TPathfinch(nullptr) {}
    TFakeShellMenu* Shell = nullptr;

protected:
    fw::ComPtr<IContextMenu> ContextMenuObject(bool& DefaultFolderMenu) override {
        DefaultFolderMenu = false;
        return fw::ComPtr<IContextMenu>(static_cast<IContextMenu*>(Shell));
    }
};

std::vector<std::wstring> Captions(HMENU Menu) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < GetMenuItemCount(Menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(Menu, UINT(i), text, 64, MF_BYPOSITION);
        captions.push_back(text);
    }
    return captions;
}

UINT CommandOf(HMENU Menu, const std::wstring& Caption) {
    const std::vector<std::wstring> captions = Captions(Menu);
    const auto at = std::find(captions.begin(), captions.end(), Caption);
    return at == captions.end() ? 0 : GetMenuItemID(Menu, int(at - captions.begin()));
}

// Answers every tracked menu with the item of that caption, noting what it
// showed.
struct TChooser {
    std::wstring Choice;
    std::vector<std::wstring> Shown;
    std::function<void(HWND Owner, HMENU Menu)> WhileOpen;
    TChooser() {
        fw::TrackMenuHook = [this](HMENU Menu, UINT, int, int, HWND Owner) {
            Shown = Captions(Menu);
            if (WhileOpen) WhileOpen(Owner, Menu);
            return CommandOf(Menu, Choice);
        };
    }
    ~TChooser() { fw::TrackMenuHook = nullptr; }
};

// Picks the first item of the open menu through the real menu loop.
void CALLBACK ChooseTheFirstItem(HWND, UINT, UINT_PTR Id, DWORD) {
    KillTimer(nullptr, Id);
    HWND owner = FindWindowW(L"TabulorinShellMenuOwner", nullptr);
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
}

class ContextMenu : public testing::Test {
protected:
    void SetUp() override {
        popup_ = std::make_unique<fw::TPopupMenu>(nullptr);
        refresh_ = Add(L"Refresh");
        properties_ = Add(L"Properties");
        shell_.attach(new TFakeShellMenu);
        browser_.Shell = shell_.get();
    }
    fw::TMenuItem* Add(const wchar_t* Caption) {
        auto* item = new fw::TMenuItem(popup_.get());
        item->SetCaption(Caption);
        item->OnClick = [this, Caption](fw::TObject*) { clicked_.push_back(Caption); };
        popup_->Items()->Add(item);
        return item;
    }
    // Shows the owner's menu with the shell's commands after Marked; the verb left.
    std::wstring Show(fw::TMenuItem* Marked = nullptr, std::wstring Verb = L"") {
        browser_.ShowShellContextMenu(POINT{10, 10}, popup_.get(), Marked, Verb);
        return Verb;
    }
    fw::ComPtr<TFakeShellMenu> shell_;
    TTestBrowser browser_;
    std::unique_ptr<fw::TPopupMenu> popup_;
    fw::TMenuItem* refresh_ = nullptr;
    fw::TMenuItem* properties_ = nullptr;
    std::vector<std::wstring> clicked_;
    TChooser chooser_;
};

}  // namespace

TEST_F(ContextMenu, ShellCommandsGoAfterTheMarkedItemAtTheEndOrOnTopWithTheFlagsOfShiftAndRename) {
    Show(refresh_);
    EXPECT_EQ(chooser_.Shown, (std::vector<std::wstring>{L"Refresh", L"Shell alpha", L"Shell cut", L"Properties"}));
    Show();
    ASSERT_FALSE(chooser_.Shown.empty());
    EXPECT_EQ(chooser_.Shown.back(), L"Shell cut");
    browser_.ShowContextMenuOnTop = true;
    Show(refresh_);
    EXPECT_EQ(chooser_.Shown, (std::vector<std::wstring>{L"Shell alpha", L"Shell cut", L"Refresh", L"Properties"}));
    // Hidden owner items take no place in the native menu.
    browser_.ShowContextMenuOnTop = false;
    refresh_->SetVisible(false);
    Show(properties_);
    EXPECT_EQ(chooser_.Shown, (std::vector<std::wstring>{L"Properties", L"Shell alpha", L"Shell cut"}));
    EXPECT_TRUE(clicked_.empty());
    EXPECT_TRUE(shell_->Invoked.empty());
    // Shift adds the extended verbs, an OnRename handler the rename flag.
    std::wstring verb;
    browser_.TrackShellContextMenu(POINT{0, 0}, nullptr, nullptr, verb);
    EXPECT_EQ(shell_->Flags, UINT(CMF_EXPLORE));
    EXPECT_EQ(shell_->Index, 0u);
    EXPECT_EQ(shell_->Ids, std::make_pair(1u, 0x7FFFu));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE saved = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(IsShiftPressed());
    browser_.OnRename = [](fw::TObject*) {};
    browser_.TrackShellContextMenu(POINT{0, 0}, nullptr, nullptr, verb);
    keys[VK_SHIFT] = saved;
    SetKeyboardState(keys);
    EXPECT_EQ(shell_->Flags, UINT(CMF_EXPLORE | CMF_EXTENDEDVERBS | CMF_CANRENAME));
}

TEST_F(ContextMenu, AShellCommandReportsItsVerbAndRunsUnlessVetoedAndWithoutOneTheOwnersMenuPopsUp) {
    chooser_.Choice = L"Shell alpha";
    browser_.SetFolder(testenv::NewScratchFolder(L"ctx"));
    EXPECT_EQ(Show(), L"alpha");
    ASSERT_EQ(shell_->Invoked.size(), 1u);
    EXPECT_EQ(shell_->Invoked[0], 0u);  // the command's offset
    EXPECT_EQ(shell_->Directory, browser_.Folder());
    EXPECT_TRUE(clicked_.empty());
    // OnBeforeShellCommand stops the command and leaves the verb.
    browser_.OnBeforeShellCommand = [](TPathfinch*, const std::wstring&, TZemPathList*, bool& Allow) { Allow = false; };
    EXPECT_EQ(Show(), L"alpha");
    browser_.OnBeforeShellCommand = nullptr;
    // OnContextMenuSelect stops it and empties the verb.
    browser_.OnContextMenuSelect = [](const std::wstring&, bool& Execute) { Execute = false; };
    EXPECT_EQ(Show(), L"");
    browser_.OnContextMenuSelect = nullptr;
    // Read-only: no cut, paste or delete.
    browser_.ReadOnly = true;
    chooser_.Choice = L"Shell cut";
    EXPECT_EQ(Show(nullptr, L"x"), L"");
    EXPECT_EQ(shell_->Invoked.size(), 1u);
    browser_.SetMultiObjects(scratch::PathList({L"C:\\other\\a.txt", L"C:\\other\\b.txt"}));
    EXPECT_TRUE(browser_.ExecuteShellVerb(L""));
    EXPECT_EQ(shell_->Invoked.back(), 1u);
    EXPECT_EQ(shell_->Directory, L"C:\\other\\");
    browser_.ReadOnly = false;
    // A failing command empties the verb; "rename" goes to OnRename, not to the shell.
    chooser_.Choice = L"Shell alpha";
    shell_->InvokeResult = E_FAIL;
    EXPECT_EQ(Show(), L"");
    shell_->InvokeResult = S_OK;
    shell_->FirstVerb = L"Rename";
    int renames = 0;
    browser_.OnRename = [&](fw::TObject*) { ++renames; };
    const size_t invoked = shell_->Invoked.size();
    EXPECT_EQ(Show(), L"Rename");
    EXPECT_EQ(renames, 1);
    EXPECT_EQ(shell_->Invoked.size(), invoked);
    browser_.OnRename = nullptr;
    // A verb run without a menu is asked about once the shell has a menu for it;
    // without one nothing runs and nobody is asked.
    int asked = 0;
    browser_.OnBeforeShellCommand = [&](TPathfinch*, const std::wstring&, TZemPathList*, bool&) { ++asked; };
    EXPECT_TRUE(browser_.ExecuteShellVerb(L"alpha"));
    EXPECT_EQ(asked, 1);
    browser_.Shell = nullptr;
    EXPECT_FALSE(browser_.ExecuteShellVerb(L"alpha"));
    EXPECT_EQ(asked, 1);
    browser_.OnBeforeShellCommand = nullptr;
    chooser_.Choice = L"Refresh";
    EXPECT_EQ(Show(refresh_), L"__ERROR__");
    EXPECT_EQ(chooser_.Shown, (std::vector<std::wstring>{L"Refresh", L"Properties"}));
    fw::Application()->ProcessMessages();  // the owner's menu clicks from the loop
    EXPECT_EQ(clicked_, std::vector<std::wstring>{L"Refresh"});
}

TEST_F(ContextMenu, TheSelectedCommandsHintOwnerDrawnSubmenusAndARealMenuLoop) {
    refresh_->SetHint(L"Refresh|Reads the folder again");
    std::vector<std::wstring> hints;
    chooser_.WhileOpen = [&](HWND Owner, HMENU Menu) {
        SendMessageW(Owner, WM_INITMENUPOPUP, WPARAM(Menu), 0);
        SendMessageW(Owner, WM_MENUSELECT, MAKEWPARAM(CommandOf(Menu, L"Shell alpha"), MF_STRING), LPARAM(Menu));
        hints.push_back(fw::Application()->Hint());
        SendMessageW(Owner, WM_MENUSELECT, MAKEWPARAM(CommandOf(Menu, L"Refresh"), MF_STRING), LPARAM(Menu));
        hints.push_back(fw::Application()->Hint());
        SendMessageW(Owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        hints.push_back(fw::Application()->Hint());
    };
    Show();
    EXPECT_EQ(hints, (std::vector<std::wstring>{L"Runs alpha", L"Reads the folder again", L""}));
    EXPECT_EQ(shell_->MenuMessages, std::vector<UINT>{WM_INITMENUPOPUP});
    fw::TrackMenuHook = nullptr;
    SetTimer(nullptr, 0, 100, ChooseTheFirstItem);
    EXPECT_EQ(Show(refresh_, L"kept"), L"kept");
    EXPECT_EQ(clicked_, std::vector<std::wstring>{L"Refresh"});
    EXPECT_TRUE(shell_->Invoked.empty());
    EXPECT_EQ(popup_->Items()->Count(), 2);  // the owner's menu is left as it was
    EXPECT_EQ(browser_.OpenContextMenu(), nullptr);
}

TEST_F(ContextMenu, CopiesTakeEveryPropertyOfTheOwnersItemsAndTheMergedMenuDrawsTheOwnersImages) {
    refresh_->SetShortCut(fw::ShortCut(VK_F5, false, false, false));
    refresh_->SetBreak(fw::mbBreak);
    refresh_->SetHelpContext(42);
    refresh_->SetImageIndex(0);
    refresh_->SetTag(7);
    fw::TBitmap picture(8, 6);
    properties_->SetBitmap(&picture);
    fw::TPopupMenu copies(nullptr);
    fw::TMenuItem* copy = CopyMenuItem(&copies, refresh_);
    EXPECT_EQ(copy->ShortCut(), refresh_->ShortCut());
    EXPECT_EQ(copy->Break(), fw::mbBreak);
    EXPECT_EQ(copy->HelpContext(), 42);
    EXPECT_EQ(copy->ImageIndex(), 0);
    EXPECT_EQ(copy->Tag(), 7);
    std::unique_ptr<fw::TMenuItem> withPicture(CopyMenuItem(nullptr, properties_));
    EXPECT_EQ(std::make_pair(withPicture->Bitmap()->Width(), withPicture->Bitmap()->Height()), std::make_pair(8, 6));
    std::unique_ptr<fw::TMenuItem> without(CopyMenuItem(nullptr, properties_, false));
    EXPECT_FALSE(without->HasBitmap());
    delete copy;

    // The owner's images are measured and drawn through the browser's menu window.
    fw::TImageList images(nullptr, 16, 16);
    fw::TBitmap red(16, 16);
    red.SetPixelFormat(fw::pf24bit);
    red.Canvas()->Brush()->SetColor(fw::clRed);
    red.Canvas()->FillRect(RECT{0, 0, 16, 16});
    ASSERT_EQ(images.Add(&red, nullptr), 0);
    popup_->SetImages(&images);
    MEASUREITEMSTRUCT measure{};
    COLORREF drawn = 0;
    HBITMAP shownBitmap = nullptr, shownPicture = nullptr;  // of the first item (an image) and the second (a picture)
    chooser_.WhileOpen = [&](HWND Owner, HMENU Menu) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_BITMAP;
        GetMenuItemInfoW(Menu, 1, TRUE, &info);
        shownPicture = info.hbmpItem;
        GetMenuItemInfoW(Menu, 0, TRUE, &info);
        shownBitmap = info.hbmpItem;
        measure = MEASUREITEMSTRUCT{ODT_MENU, 0, GetMenuItemID(Menu, 0), 0, 0, 0};
        SendMessageW(Owner, WM_MEASUREITEM, 0, LPARAM(&measure));
        fw::TBitmap target(16, 16);
        target.SetPixelFormat(fw::pf24bit);
        DRAWITEMSTRUCT draw{ODT_MENU, 0,       GetMenuItemID(Menu, 0),    ODA_DRAWENTIRE,
                            0,        nullptr, target.Canvas()->Handle(), RECT{0, 0, 16, 16},
                            0};
        SendMessageW(Owner, WM_DRAWITEM, 0, LPARAM(&draw));
        drawn = GetPixel(target.Canvas()->Handle(), 8, 8);
    };
    std::wstring verb;
    browser_.TrackShellContextMenu(POINT{0, 0}, popup_.get(), nullptr, verb);
    EXPECT_EQ(shownBitmap, HBMMENU_CALLBACK);
    EXPECT_EQ(std::make_pair(measure.itemWidth, measure.itemHeight), std::make_pair(16u, 16u));
    EXPECT_EQ(drawn, RGB(255, 0, 0));
    EXPECT_EQ(shell_->MenuMessages, (std::vector<UINT>{WM_MEASUREITEM, WM_DRAWITEM}));
    // A copied menu shares the owner's images and pictures only where menus are
    // drawn without visual styles; drawn so, the owner's image shows.
    Show();
    EXPECT_EQ(shownBitmap == HBMMENU_CALLBACK, MenuCopiesTakeImages());
    for (const bool styles : {false, true}) {
        MenuVisualStylesHook = [styles] { return styles; };
        shownBitmap = shownPicture = nullptr;
        drawn = 0;
        Show();
        EXPECT_EQ(shownBitmap == HBMMENU_CALLBACK, !styles);
        EXPECT_EQ(shownPicture == HBMMENU_CALLBACK, !styles);
        if (!styles) {
            EXPECT_EQ(drawn, RGB(255, 0, 0));
        }
    }
    MenuVisualStylesHook = nullptr;
    // A shell menu without owner-drawn submenus still leaves the owner's images drawn.
    fw::ComPtr<TPlainShellMenu> plain;
    plain.attach(new TPlainShellMenu);
    browser_.Shell = plain.get();
    drawn = 0;
    measure = MEASUREITEMSTRUCT{};
    browser_.TrackShellContextMenu(POINT{0, 0}, popup_.get(), nullptr, verb);
    EXPECT_EQ(std::make_pair(measure.itemWidth, measure.itemHeight), std::make_pair(16u, 16u));
    EXPECT_EQ(drawn, RGB(255, 0, 0));
    EXPECT_TRUE(plain->MenuMessages.empty());
}
