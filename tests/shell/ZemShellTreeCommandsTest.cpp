// The shell tree's keys, change notices, context menus, mouse, and drag and drop
// on the scratch drive (drop targets called directly, the hover on a test clock).
#include <gtest/gtest.h>

#include "framework/DragDrop.h"
#include "framework/Menus.h"
#include "shell/Pathfinch.h"
#include "shell/ShellDropData.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemShellMenu.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;
using namespace treetest;
using scratch::Exists;

namespace {

fw::ComPtr<IDataObject> PathsData(std::initializer_list<std::wstring> Paths) {
    return CreatePathsDataObject(*scratch::PathList(Paths));
}

using ShellTreeCommandsTest = ShellTreeFixture;

TEST_F(ShellTreeCommandsTest, KeysRefreshRenameInPlaceDeleteAndPasteOnceUnlessReadOnly) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-keys");
    for (const wchar_t* name : {L"a", L"b", L"a\\inner"}) scratch::MakeFolder(base + L"\\" + name);
    fw::TTreeNode* folder = Open(base);
    ASSERT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a", L"b"}));
    // F5 finds what changed without a notice.
    scratch::MakeFolder(base + L"\\c");
    Key(VK_F5);
    EXPECT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    // F2 opens the label; the typed name renames the folder, and the node follows.
    // The edit ends once, though a handler ends it again (as the editor's loss of
    // focus does on Windows); the shell's notice of the rename waits for the node,
    // which stays open with its children.
    ChildNamed(folder, L"a")->Expand(false);
    tree->SetSelected(ChildNamed(folder, L"a"));
    Key(VK_F2);
    ASSERT_TRUE(tree->IsEditing());
    const auto editor = [&] { return HWND(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0)); };
    SetWindowTextW(editor(), L"a2");
    int ends = 0;
    tree->OnEdited = [&](fw::TObject*, fw::TTreeNode* Node, std::wstring&) {
        if (++ends < 3) Node->EndEdit(false);
    };
    tree->Selected()->EndEdit(false);
    tree->OnEdited = nullptr;
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(Exists(base + L"\\a"));
    EXPECT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a2", L"b", L"c"}));
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\a2");
    EXPECT_TRUE(tree->Selected()->Expanded());
    EXPECT_EQ(ChildTexts(tree->Selected()), std::vector<std::wstring>{L"inner"});
    const Operation renamed{{sopRename}, {base + L"\\a"}, base + L"\\a2"};
    EXPECT_EQ(operations, std::vector<Operation>{renamed});
    ASSERT_TRUE(tree->Selected()->EditText());
    tree->Selected()->EndEdit(false);
    // A name the folder cannot take (c is there) renames nothing, the node keeps its
    // name, and the user is told why.
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        boxes.push_back(Text);
        return IDOK;
    };
    ASSERT_TRUE(tree->Selected()->EditText());
    SetWindowTextW(editor(), L"c");
    tree->Selected()->EndEdit(false);
    fw::TApplication::MessageBoxHook = nullptr;
    EXPECT_TRUE(Exists(base + L"\\a2"));
    EXPECT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a2", L"b", L"c"}));
    EXPECT_EQ(operations.size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"already there"), std::wstring::npos) << boxes[0];
    // Escape gives the edit up: the name stays and the handler hears of it.
    std::vector<std::wstring> cancelled;
    tree->OnEditCanceled = [&](fw::TObject*, fw::TTreeNode* Node) { cancelled.push_back(Node->Text()); };
    ASSERT_TRUE(tree->Selected()->EditText());
    SetWindowTextW(editor(), L"never");
    SendMessageW(editor(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(cancelled, (std::vector<std::wstring>{L"a2"}));
    EXPECT_TRUE(Exists(base + L"\\a2"));
    // So does an emptied label, once; nothing is renamed.
    ASSERT_TRUE(tree->Selected()->EditText());
    SetWindowTextW(editor(), L"");
    tree->Selected()->EndEdit(false);
    EXPECT_EQ(cancelled, (std::vector<std::wstring>{L"a2", L"a2"}));
    EXPECT_TRUE(Exists(base + L"\\a2"));
    EXPECT_EQ(operations.size(), 1u);
    // A read-only tree deletes nothing and asks for no paste; Ctrl+V (its key and
    // its character) asks once on a tree that may change. Wine's paste pastes nothing.
    int pastes = 0;
    tree->Browser()->OnBeforeShellCommand = [&](TPathfinch*, const std::wstring& Verb, TZemPathList*, bool& Allow) {
        if (Verb == L"paste") {
            ++pastes;
            Allow = false;
        }
    };
    tree->Browser()->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    tree->SetSelected(ChildNamed(folder, L"b"));
    tree->SetReadOnly(true);
    Key(VK_DELETE);
    EXPECT_TRUE(Exists(base + L"\\b"));
    scratch::MakeFile(base + L"\\source.txt", 3);
    ASSERT_EQ(OleSetClipboard(PathsData({base + L"\\source.txt"}).get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    Key('V', kCtrl);
    EXPECT_EQ(pastes, 0);
    tree->SetReadOnly(false);
    Key('V', kCtrl);
    SendMessageW(tree->Handle(), WM_CHAR, 0x16, 1);
    EXPECT_EQ(pastes, 1);
    // Delete: the folder goes, and with it its node (through the shell's notice).
    Key(VK_DELETE);
    EXPECT_FALSE(Exists(base + L"\\b"));
    EXPECT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a2", L"c"}));
    EXPECT_EQ(operations, (std::vector<Operation>{renamed, {{sopDelete, sopRemove}, {base + L"\\b"}, L""}}));
    // So with the Recycle Bin, of which some shells tell nothing.
    tree->Browser()->DeleteFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    tree->SetSelected(ChildNamed(folder, L"c"));
    Key(VK_DELETE);
    EXPECT_FALSE(Exists(base + L"\\c"));
    EXPECT_EQ(ChildTexts(folder), std::vector<std::wstring>{L"a2"});
}

TEST_F(ShellTreeCommandsTest, NoticesOfCreatedDeletedAndRenamedFolders) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-notice");
    for (const wchar_t* name : {L"\\old", L"\\shut", L"\\shut\\inner"}) scratch::MakeFolder(base + name);
    fw::TTreeNode* node = Open(base);
    fw::TTreeNode* shut = ChildNamed(node, L"shut");
    shut->Expand(false);
    shut->Collapse(false);
    ASSERT_NE(shut->GetFirstChild(), nullptr);
    // Wine reports no real changes: the test sends the shell's notices itself.
    const std::wstring made = scratch::MakeFolder(base + L"\\new");
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, made.c_str(), nullptr);
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"new", L"old", L"shut"}));  // in sorted place
    ASSERT_TRUE(MoveFileW((base + L"\\old").c_str(), (base + L"\\renamed").c_str()));
    SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_PATHW, (base + L"\\old").c_str(), (base + L"\\renamed").c_str());
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"new", L"renamed", L"shut"}));
    RemoveDirectoryW(made.c_str());
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, made.c_str(), nullptr);
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"renamed", L"shut"}));
    // In a closed folder the children go, to be made again when it opens.
    const std::wstring inside = scratch::MakeFolder(base + L"\\shut\\later");
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW, inside.c_str(), nullptr);
    shut = ChildNamed(node, L"shut");
    ASSERT_NE(shut, nullptr);
    EXPECT_EQ(shut->GetFirstChild(), nullptr);
    EXPECT_TRUE(shut->HasChildren());
    shut->Expand(false);
    EXPECT_EQ(ChildTexts(shut), (std::vector<std::wstring>{L"inner", L"later"}));
}

TEST_F(ShellTreeCommandsTest, WalkingByKeysWaitsBeforeTellingLongerWithALinkAndCommandKeysDoNot) {
    const auto delayAfter = [&](const std::function<void()>& Press) {
        tree->SetChangeDelay(0);
        Press();
        return tree->ChangeDelay();
    };
    EXPECT_EQ(delayAfter([&] { Key(VK_DOWN); }), 100u);
    EXPECT_EQ(delayAfter([&] { SendMessageW(tree->Handle(), WM_CHAR, L'x', 1); }), 100u);
    // Keys of the table whose condition fails, and command keys, leave it.
    EXPECT_EQ(delayAfter([&] { Key('A'); }), 0u);
    EXPECT_EQ(delayAfter([&] { Key(VK_RIGHT); }), 0u);
    EXPECT_EQ(delayAfter([&] { Key(VK_F5); }), 0u);
    TZemShellLink link(nullptr);
    tree->SetShellLink(&link);
    EXPECT_EQ(delayAfter([&] { Key(VK_DOWN); }), 600u);
    // F5 has the link's other controls refresh too.
    auto* other = new TZemShellTree(form);
    other->SetParent(form);
    other->HandleNeeded();
    other->SetShellLink(&link);
    int refreshed = 0;
    other->OnUpdatedFolder = [&](fw::TObject*, TZemShellTreeNode*) { ++refreshed; };
    Key(VK_F5);
    EXPECT_GT(refreshed, 0);
    other->SetShellLink(nullptr);
    EXPECT_EQ(delayAfter([&] { SendMessageW(tree->Handle(), WM_CHAR, L'x', 1); }), 600u);
    tree->SetShellLink(nullptr);
}

// The command of the menu's item whose caption or shell verb is Name; 0 for none.
UINT CommandOf(HMENU Menu, IContextMenu* Shell, const std::wstring& Name) {
    for (int i = 0; i < GetMenuItemCount(Menu); ++i) {
        wchar_t text[128]{};
        GetMenuStringW(Menu, UINT(i), text, 128, MF_BYPOSITION);
        const UINT id = GetMenuItemID(Menu, i);
        if (Name == text || (Shell && lstrcmpiW(ShellCommandString(Shell, id, GCS_VERBW).c_str(), Name.c_str()) == 0))
            return id;
    }
    return 0;
}

TEST_F(ShellTreeCommandsTest, AKeyboardMenuOpensAtTheSelectedNodeWithTheTreesOwnItemsAndShiftF10IsConsumed) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-menu");
    scratch::MakeFolder(base + L"\\doomed");
    Open(base);
    const RECT r = tree->Selected()->DisplayRect(true);
    std::vector<POINT> popups;
    tree->OnContextPopup = [&](fw::TObject*, POINT P, bool& Handled) {
        popups.push_back(P);
        Handled = true;
    };
    // Asked for by keyboard, the menu opens at the bottom-right corner of the selected node's text.
    KeyboardMenu();
    // A mouse at the screen's left edge is still a mouse.
    POINT edge{0, 0};
    ClientToScreen(tree->Handle(), &edge);
    SendMessageW(tree->Handle(), WM_CONTEXTMENU, WPARAM(tree->Handle()), MAKELPARAM(0, edge.y));
    // Shift+F10 opens the menu once, and goes no further.
    EXPECT_EQ(SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F10, kShift | 1), 0);
    ASSERT_EQ(popups.size(), 3u);
    EXPECT_EQ(popups[0].x, r.right);
    EXPECT_EQ(popups[0].y, r.bottom);
    EXPECT_EQ(popups[1].y, 0);
    EXPECT_NE(popups[1].x, r.right);
    EXPECT_EQ(popups[2].x, r.right);
    tree->SetShellContextMenu(false);
    Key(VK_F10, kShift);
    EXPECT_EQ(popups.size(), 3u);
    // The shell's menu carries the tree's own popup items.
    tree->SetShellContextMenu(true);
    tree->OnContextPopup = nullptr;
    auto* popup = new fw::TPopupMenu(form);
    auto* own = new fw::TMenuItem(form);
    own->SetCaption(L"Tree item");
    int clicks = 0;
    own->OnClick = [&](fw::TObject*) { ++clicks; };
    popup->Items()->Add(own);
    tree->SetPopupMenu(popup);
    std::wstring choice = L"Tree item";
    POINT shownAt{};
    int shellItems = 0;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int X, int Y, HWND) -> UINT {
        shownAt = POINT{X, Y};
        shellItems = GetMenuItemCount(Menu) - 1;
        return CommandOf(Menu, tree->Browser()->OpenContextMenu(), choice);
    };
    KeyboardMenu();
    WaitFor([&] { return clicks > 0; });
    EXPECT_EQ(clicks, 1);
    EXPECT_GT(shellItems, 0);
    ScreenToClient(tree->Handle(), &shownAt);
    EXPECT_EQ(shownAt.x, r.right);
    EXPECT_TRUE(operations.empty());
    tree->Browser()->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    tree->SetSelected(ChildNamed(tree->Selected(), L"doomed"));
    choice = L"delete";
    KeyboardMenu();
    fw::TrackMenuHook = nullptr;
    EXPECT_FALSE(Exists(base + L"\\doomed"));
    EXPECT_EQ(operations, (std::vector<Operation>{{{sopDelete, sopRemove}, {base + L"\\doomed"}, L""}}));
}

// Folders take drops through targets of the test's own (Wine's take none): copies,
// except that "refusing" takes nothing and "mover" moves and tells no effect.
class FakeTargetTree : public TZemShellTree {
public:
    using TZemShellTree::TZemShellTree;
    std::vector<std::wstring> drops;
    std::vector<DWORD> offered;  // the effects each drop offered the folder's target
    int leaves = 0;
    // The user of a scripted drag: holds the button for some rounds, then lets go.
    int holdRounds = -1;
    // The user of a scripted drag presses Escape.
    bool escape = false;
    HRESULT QueryContinueDrag(bool EscapePressed, DWORD KeyState) override {
        if (escape) return TZemShellTree::QueryContinueDrag(true, MK_LBUTTON);
        if (holdRounds < 0) return TZemShellTree::QueryContinueDrag(EscapePressed, KeyState);
        return TZemShellTree::QueryContinueDrag(EscapePressed, holdRounds-- > 0 ? MK_LBUTTON : 0);
    }

    // Wine's folders have no "paste": this one runs the paste the test asks for.
    std::function<void()> paste;

protected:
    bool RunShellVerb(const std::wstring& Verb) override {
        if (Verb != L"paste" || !paste) return TZemShellTree::RunShellVerb(Verb);
        paste();
        return true;
    }
    fw::ComPtr<IDropTarget> ObjectDropTarget(TZemShellTreeNode* Node) override {
        const std::wstring folder = NodePath(Node);
        const bool refusing = folder.ends_with(L"\\refusing"), mover = folder.ends_with(L"\\mover");
        fw::ComPtr<fw::TDropTarget> target = fw::TDropTarget::Create();
        auto accept = [refusing](DWORD& Effect) {
            Effect = refusing ? DROPEFFECT_NONE : Effect & DROPEFFECT_COPY;
            return S_OK;
        };
        target->OnDragEnter = [accept](IDataObject*, DWORD, POINT, DWORD& Effect) { return accept(Effect); };
        target->OnDragOver = [accept](DWORD, POINT, DWORD& Effect) { return accept(Effect); };
        target->OnDragLeave = [this] {
            ++leaves;
            return S_OK;
        };
        target->OnDrop = [this, folder, mover](IDataObject* Data, DWORD, POINT, DWORD& Effect) {
            drops.push_back(folder);
            offered.push_back(Effect);
            std::unique_ptr<fw::TStringList> files = GetDataObjectFiles(Data);
            for (int i = 0; i < files->Count(); ++i) {
                const std::wstring from = files->Strings(i);
                const std::wstring to = folder + from.substr(from.rfind(L'\\'));
                if (mover) MoveFileW(from.c_str(), to.c_str());
                else if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) CreateDirectoryW(to.c_str(), nullptr);
            }
            Effect = mover ? DROPEFFECT_NONE : DROPEFFECT_COPY;
            return S_OK;
        };
        return target;
    }
};

class ShellTreeDropTest : public ShellTreeFixture {
protected:
    TZemShellTree* NewTree(fw::TComponent* Owner) override { return fake = new FakeTargetTree(Owner); }
    // DragEnter, then DragOver at Point; the effect DragOver reports.
    DWORD Over(IDataObject* Data, POINT Point, DWORD Allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
        DWORD effect = Allowed;
        EXPECT_EQ(tree->DragEnter(Data, 0, Point, effect), S_OK);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
        effect = Allowed;
        EXPECT_EQ(tree->DragOver(0, Point, effect), S_OK);
        return effect;
    }
    // Drop at Point with the effect Allowed, which the tree answers with Expected; the effect it gives.
    DWORD Dropped(IDataObject* Data, POINT Point, DWORD Allowed = DROPEFFECT_COPY, HRESULT Expected = S_OK) {
        EXPECT_EQ(tree->Drop(Data, 0, Point, Allowed), Expected);
        return Allowed;
    }
    // A point Inset pixels above the bottom of the tree's client area, in screen terms.
    POINT NearBottom(int X, int Inset) {
        RECT client{};
        GetClientRect(tree->Handle(), &client);
        POINT p{X, client.bottom - Inset};
        ClientToScreen(tree->Handle(), &p);
        return p;
    }
    FakeTargetTree* fake = nullptr;
};

TEST_F(ShellTreeDropTest, DropsGoToTheNodeUnderTheCursorAndNowhereElse) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-drop");
    const std::wstring source = scratch::MakeFolder(base + L"\\source");
    scratch::MakeFile(source + L"\\one.txt", 1);
    for (const wchar_t* name : {L"mover", L"refusing", L"target"}) scratch::MakeFolder(base + L"\\" + name);
    const std::wstring target = base + L"\\target";
    // Rooted at the folder: the space below its few nodes is empty.
    tree->SetRootedAtFileSystemFolder(base);
    fw::TTreeNode* folder = tree->Items()->GetFirstNode();
    folder->Expand(false);
    fw::TTreeNode* targetNode = ChildNamed(folder, L"target");
    ASSERT_NE(targetNode, nullptr);
    fw::ComPtr<IDataObject> data = PathsData({source + L"\\one.txt"});
    ASSERT_TRUE(data);
    std::vector<std::wstring> asked;
    tree->OnBeforeShellDrop = [&](fw::TObject*, TZemShellTreeNode* Node, fw::TStringList* Files, bool&, DWORD) {
        asked.push_back(tree->NodePath(Node) + L" <- " + (Files->Count() > 0 ? Files->Strings(0) : L"(no files)"));
    };
    // Over empty space, over a folder that refuses, and on a read-only tree: no
    // effect, nothing asked, nothing dropped.
    const POINT empty = NearBottom(10, 10);
    EXPECT_EQ(Over(data.get(), empty), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(Dropped(data.get(), empty), DWORD(DROPEFFECT_NONE));
    const POINT refusing = ScreenCentre(ChildNamed(folder, L"refusing"));
    EXPECT_EQ(Over(data.get(), refusing), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(tree->DropTarget(), ChildNamed(folder, L"refusing"));  // highlighted all the same
    EXPECT_EQ(Dropped(data.get(), refusing), DWORD(DROPEFFECT_NONE));
    tree->SetReadOnly(true);
    EXPECT_EQ(Over(data.get(), ScreenCentre(targetNode)), DWORD(DROPEFFECT_NONE));
    tree->DragLeave();
    tree->SetReadOnly(false);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(fake->drops.empty());
    EXPECT_EQ(Over(data.get(), ScreenCentre(targetNode)), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(tree->DropTarget(), targetNode);
    EXPECT_EQ(Dropped(data.get(), ScreenCentre(targetNode), DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(tree->DropTarget(), nullptr);
    EXPECT_EQ(asked, (std::vector<std::wstring>{target + L" <- " + source + L"\\one.txt"}));
    EXPECT_TRUE(Exists(target + L"\\one.txt"));
    const Operation copied{{sopCopy, sopDrop}, {source + L"\\one.txt"}, target};
    EXPECT_EQ(operations, std::vector<Operation>{copied});
    // A handler that refuses: the source hears E_UNEXPECTED, the folder's target that
    // the drag entered is told it left, and nothing happens.
    tree->OnBeforeShellDrop = [](fw::TObject*, TZemShellTreeNode*, fw::TStringList*, bool& Execute, DWORD) {
        Execute = false;
    };
    const int leaves = fake->leaves;
    fw::ComPtr<IDataObject> other = PathsData({source});
    EXPECT_EQ(Over(other.get(), ScreenCentre(targetNode)), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(Dropped(other.get(), ScreenCentre(targetNode), DROPEFFECT_COPY, E_UNEXPECTED), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(fake->leaves, leaves + 1);
    EXPECT_FALSE(Exists(target + L"\\source"));
    EXPECT_EQ(operations.size(), 1u);
    // A target that moves the file and tells no effect: reported as a move.
    tree->OnBeforeShellDrop = nullptr;
    const POINT mover = ScreenCentre(ChildNamed(folder, L"mover"));
    EXPECT_EQ(Over(data.get(), mover), DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(Dropped(data.get(), mover), DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(operations,
              (std::vector<Operation>{copied, {{sopMove, sopDrop}, {source + L"\\one.txt"}, base + L"\\mover"}}));
    // The folder's target hears the drag leave the tree, and leave when its node goes.
    const int entered = fake->leaves;
    Over(data.get(), ScreenCentre(targetNode));
    tree->DragLeave();
    EXPECT_EQ(fake->leaves, entered + 1);
    Over(data.get(), refusing);
    RemoveDirectoryW((base + L"\\refusing").c_str());
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW, (base + L"\\refusing").c_str(), nullptr);
    ASSERT_EQ(ChildNamed(folder, L"refusing"), nullptr);
    EXPECT_EQ(fake->leaves, entered + 2);
    tree->DragLeave();
    EXPECT_EQ(fake->leaves, entered + 2);
    // A folder that holds a link may not be moved: its drop offers the folder's target no move.
    const std::wstring holder = scratch::MakeFolder(source + L"\\holder");
    if (!scratch::MakeHostSymlink(holder + L"\\up", "..")) return;
    fw::ComPtr<IDataObject> linked = PathsData({holder});
    EXPECT_EQ(Over(linked.get(), ScreenCentre(targetNode)), DWORD(DROPEFFECT_COPY));
    Dropped(linked.get(), ScreenCentre(targetNode), DROPEFFECT_COPY | DROPEFFECT_MOVE);
    ASSERT_FALSE(fake->offered.empty());
    EXPECT_EQ(fake->offered.back(), DWORD(DROPEFFECT_COPY));
}

TEST_F(ShellTreeDropTest, ADragRestingOnAFolderOpensItAfterTwoSecondsAndScrollsNearAnEdge) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-hover");
    for (int i = 0; i < 40; ++i) scratch::MakeFolder(base + L"\\f" + std::to_wstring(100 + i));
    scratch::MakeFolder(base + L"\\f100\\inner");
    fw::TTreeNode* folder = Open(base);
    fw::TTreeNode* first = folder->GetFirstChild();
    ASSERT_EQ(first->Text(), L"f100");
    first->MakeVisible();
    DWORD now = 50000;
    tree->Clock = [&] { return now; };
    fw::ComPtr<IDataObject> data = PathsData({base + L"\\f139"});
    const auto overAfter = [&](DWORD Elapsed, POINT At) {
        now += Elapsed;
        DWORD effect = DROPEFFECT_COPY;
        tree->DragOver(0, At, effect);
    };
    Over(data.get(), ScreenCentre(first));
    overAfter(1500, ScreenCentre(first));
    EXPECT_FALSE(first->Expanded());
    overAfter(600, ScreenCentre(first));
    EXPECT_TRUE(first->Expanded());
    // Near the bottom edge the tree scrolls a line, at most every 100 ms.
    fw::TTreeNode* top = tree->TopItem();
    overAfter(150, NearBottom(100, 5));
    fw::TTreeNode* once = tree->TopItem();
    EXPECT_NE(once, top);
    overAfter(50, NearBottom(100, 5));
    EXPECT_EQ(tree->TopItem(), once);
    overAfter(101, NearBottom(100, 5));
    EXPECT_NE(tree->TopItem(), once);
    tree->DragLeave();
    EXPECT_EQ(tree->DropTarget(), nullptr);
}

TEST_F(ShellTreeDropTest, ANodeDraggedOutGoesWhereItIsDroppedAndAWindowThatCannotTakeDropsTurnsOleDragDropOff) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-drag");
    scratch::MakeFolder(base + L"\\moving");
    const std::wstring target = scratch::MakeFolder(base + L"\\target");
    fw::TTreeNode* folder = Open(base);
    fw::TTreeNode* moving = ChildNamed(folder, L"moving");
    ASSERT_NE(moving, nullptr);
    tree->SetCopyMode(cmCopy);
    // Released: dropped; Escape or a second button: cancelled.
    EXPECT_EQ(tree->QueryContinueDrag(false, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(tree->QueryContinueDrag(false, MK_LBUTTON | MK_MBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(tree->QueryContinueDrag(false, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(tree->QueryContinueDrag(false, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(tree->QueryContinueDrag(true, MK_LBUTTON), DRAGDROP_S_CANCEL);
    fake->holdRounds = 3;
    const POINT at = ScreenCentre(ChildNamed(folder, L"target"));
    SetCursorPos(at.x, at.y);
    NMTREEVIEWW begin{};
    begin.hdr.hwndFrom = tree->Handle();
    begin.hdr.code = TVN_BEGINDRAGW;
    begin.itemNew.hItem = moving->ItemId();
    tree->Perform(fw::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
    EXPECT_EQ(fake->drops, (std::vector<std::wstring>{target}));
    EXPECT_TRUE(Exists(target + L"\\moving"));
    EXPECT_TRUE(Exists(base + L"\\moving"));  // copied, never moved
    // The drop side reports, then the drag side.
    const std::vector<std::wstring> files{base + L"\\moving"};
    EXPECT_EQ(operations,
              (std::vector<Operation>{{{sopCopy, sopDrop}, files, target}, {{sopCopy, sopDrag}, files, L""}}));
    // Cancelled with Escape: no effect, which the drag side reports as a drag alone.
    operations.clear();
    fake->escape = true;
    begin.itemNew.hItem = ChildNamed(folder, L"moving")->ItemId();
    tree->Perform(fw::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
    EXPECT_EQ(operations, (std::vector<Operation>{{{sopDrag}, files, L""}}));
    // The window tells of dragged nodes only while the tree drags them: its drag mode follows.
    const auto dragsTold = [&] { return (GetWindowLongW(tree->Handle(), GWL_STYLE) & TVS_DISABLEDRAGDROP) == 0; };
    EXPECT_TRUE(tree->OleDragDrop());
    EXPECT_EQ(tree->DragMode(), fw::dmAutomatic);
    EXPECT_TRUE(dragsTold());
    tree->SetOleDragDrop(false);
    EXPECT_EQ(tree->DragMode(), fw::dmManual);
    EXPECT_FALSE(dragsTold());
    fw::ComPtr<fw::TDropTarget> other = fw::TDropTarget::Create();
    ASSERT_EQ(RegisterDragDrop(tree->Handle(), other.get()), S_OK);
    tree->SetOleDragDrop(true);
    EXPECT_FALSE(tree->OleDragDrop());
    EXPECT_EQ(tree->DragMode(), fw::dmManual);
    RevokeDragDrop(tree->Handle());
    tree->SetOleDragDrop(true);
    EXPECT_TRUE(tree->OleDragDrop());
    EXPECT_TRUE(dragsTold());
    EXPECT_EQ(RegisterDragDrop(tree->Handle(), other.get()), DRAGDROP_E_ALREADYREGISTERED);
}

TEST_F(ShellTreeDropTest, APasteReportsACopyAsACopyAndAMoveAsAMove) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-paste");
    const std::wstring source = scratch::MakeFolder(base + L"\\source") + L"\\file.txt";
    const std::wstring target = scratch::MakeFolder(base + L"\\target");
    const std::wstring pasted = target + L"\\file.txt";
    scratch::MakeFile(source, 3);
    Open(base);
    ASSERT_TRUE(tree->SetSelectedFolder(target));
    ASSERT_EQ(OleSetClipboard(PathsData({source}).get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    fake->paste = [&] { CopyFileW(source.c_str(), pasted.c_str(), FALSE); };
    Key('V', kCtrl);
    fake->paste = [&] { MoveFileExW(source.c_str(), pasted.c_str(), MOVEFILE_REPLACE_EXISTING); };
    EXPECT_TRUE(tree->ExecuteVerb(L"paste"));
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(operations, (std::vector<Operation>{{{sopCopy, sopPaste, sopAdd}, {source}, target},
                                                  {{sopMove, sopPaste, sopAdd}, {source}, target}}));
}

TEST_F(ShellTreeDropTest, ADragNearTheLeftOrRightEdgeScrollsSidewaysWhenTheTreeIsWider) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-sideways");
    scratch::MakeFolder(base + L"\\" + std::wstring(120, L'w'));
    fw::TTreeNode* folder = Open(base);
    ASSERT_EQ(folder->Count(), 1);
    DWORD now = 50000;
    tree->Clock = [&] { return now; };
    RECT client{};
    GetClientRect(tree->Handle(), &client);
    const auto at = [&](int X) {
        POINT p{X, (client.top + client.bottom) / 2};
        ClientToScreen(tree->Handle(), &p);
        return p;
    };
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(tree->Handle(), SB_HORZ, &info));
    ASSERT_GT(info.nMax - info.nMin + 1, int(info.nPage));
    fw::ComPtr<IDataObject> data = PathsData({base});
    Over(data.get(), at(200));
    const int start = GetScrollPos(tree->Handle(), SB_HORZ);
    DWORD effect = DROPEFFECT_COPY;
    now += 150;
    tree->DragOver(0, at(client.right - 5), effect);
    const int right = GetScrollPos(tree->Handle(), SB_HORZ);
    EXPECT_GT(right, start);
    now += 150;
    tree->DragOver(0, at(client.left + 5), effect);
    EXPECT_LT(GetScrollPos(tree->Handle(), SB_HORZ), right);
    tree->DragLeave();
}

}  // namespace
