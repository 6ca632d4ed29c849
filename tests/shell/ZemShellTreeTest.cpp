// The shell tree on the scratch drive: roots, lazy filling, the selected folder by
// path, changes and history, 10,000 subfolders, and the tri-state check boxes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/Exception.h"
#include "framework/Handles.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"
#include "shell/PidlHistory.h"
#include "shell/ZemSelectionList.h"
#include "shell/ZemSelectionStateImageList.h"
#include "shell/ZemShellLink.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;
using namespace treetest;

namespace {

// Count folders "f00000" ... below Base, made by the host when it can be reached: under
// Wine, 10,000 CreateDirectoryW calls take more than a minute.
void MakeManyFolders(const std::wstring& Base, int Count) {
    wchar_t name[32];
    swprintf(name, 32, L"\\f%05d", Count - 1);
    const std::string host = scratch::HostPath(Base), last = std::to_string(Count - 1);
    if (!host.empty() &&
        scratch::RunOnHost(L"\\\\?\\unix\\bin\\sh",
                           "sh -c \"cd '" + host + "' && seq -f f%05g 0 " + last + " | xargs mkdir\"", Base + name))
        return;
    for (int i = 0; i < Count; ++i) {
        swprintf(name, 32, L"\\f%05d", i);
        CreateDirectoryW((Base + name).c_str(), nullptr);
    }
}

// A tree whose messages to its window can be looked at.
class OpenTree : public TZemShellTree {
public:
    using fw::TWinControl::DefWndProc;
    using fw::TWinControl::SetDefWndProc;
    using TZemShellTree::TZemShellTree;
};

// The common tree, with its filter at "*", its changes and added folders counted.
class ShellTreeTest : public treetest::ShellTreeFixture {
protected:
    TZemShellTree* NewTree(fw::TComponent* Owner) override { return open = new OpenTree(Owner); }
    OpenTree* open = nullptr;
    void SetUp() override {
        ShellTreeFixture::SetUp();
        tree->SetFilter(L"*");
        tree->OnChange = [this](fw::TObject*, fw::TTreeNode*) { changedTo.push_back(tree->SelectedFolder()); };
        tree->OnAddFolder = [this](TZemShellTreeNode*, const std::wstring& Path, bool&) { ++added[Path]; };
    }
    std::vector<std::wstring> changedTo;  // where each OnChange found the selection
    std::map<std::wstring, int> added;
};

TEST_F(ShellTreeTest, RootsAtTheDrivesWithoutNetworkOrRecycleBinAndAtAFolder) {
    fw::TTreeNode* root = tree->Items()->GetFirstNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetNextSibling(), nullptr);
    EXPECT_TRUE(root->Expanded());
    EXPECT_TRUE(root->Selected());
    EXPECT_EQ(tree->SpecialFolder(), SF_DRIVES);
    const std::vector<std::wstring> drives = ChildTexts(root);
    EXPECT_EQ(std::count(drives.begin(), drives.end(), L" (C:)") + std::count(drives.begin(), drives.end(), L" (D:)"),
              2);
    for (const auto& text : drives) EXPECT_EQ(text.find(L"Network"), std::wstring::npos) << text;
    EXPECT_GE(root->ImageIndex(), 0);
    EXPECT_THROW(tree->SetRootedAtFileSystemFolder(L"D:\\no such folder"), EPathfinchError);
    EXPECT_EQ(tree->Items()->GetFirstNode(), root);
    const std::wstring base = testenv::NewScratchFolder(L"tree-root");
    scratch::MakeFolder(base + L"\\sub");
    tree->SetRootedAtFileSystemFolder(base);
    EXPECT_EQ(tree->RootedAt(), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(tree->SelectedFolder(), base);
    EXPECT_EQ(ChildTexts(tree->Items()->GetFirstNode()), (std::vector<std::wstring>{L"sub"}));
    tree->SetRootedAt(SF_DRIVES);
    EXPECT_EQ(tree->RootedAtFileSystemFolder(), L"");
    // Rooted while its window is gone: the window made again shows the new root.
    for (const bool atFolder : {true, false}) {
        tree->DestroyHandle();
        if (atFolder) tree->SetRootedAtFileSystemFolder(base);
        else tree->SetRootedAt(SF_DRIVES);
        tree->HandleNeeded();
        ASSERT_NE(tree->Items()->GetFirstNode(), nullptr);
        EXPECT_EQ(tree->SpecialFolder(), atFolder ? SF_FILESYSTEMFOLDER : SF_DRIVES);
        EXPECT_EQ(tree->SelectedFolder(), atFolder ? base : L"");
        EXPECT_EQ(tree->Items()->GetFirstNode()->GetNextSibling(), nullptr);
    }
    // A folder the shell would take for another (a trailing dot) or not at all (past
    // the path limit) is the root all the same, with its own children.
    const std::wstring dotted = base + L"\\dirdot.";
    for (const std::wstring& folder : {dotted, dotted + L"\\own", base + L"\\dirdot", base + L"\\dirdot\\twin"})
        CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    std::wstring longest = base;
    while (longest.size() < MAX_PATH + 20) {
        longest += L"\\level";
        CreateDirectoryW((L"\\\\?\\" + longest).c_str(), nullptr);
    }
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + longest + L"\\end").c_str(), nullptr));
    for (const auto& [folder, child] : {std::pair{dotted, L"own"}, std::pair{longest, L"end"}}) {
        tree->SetRootedAtFileSystemFolder(folder);
        fw::TTreeNode* beyond = tree->Items()->GetFirstNode();
        ASSERT_NE(beyond, nullptr);
        EXPECT_EQ(tree->SelectedFolder(), folder);
        beyond->Expand(false);
        EXPECT_EQ(ChildTexts(beyond), std::vector<std::wstring>{child});
        EXPECT_TRUE(tree->SetSelectedFolder(folder + L"\\" + child));
        EXPECT_EQ(tree->SelectedFolder(), folder + L"\\" + child);
    }
    EXPECT_THROW(tree->SetRootedAtFileSystemFolder(base + L"\\sub."), EPathfinchError);  // only "sub" is there
    // A tree without a window yet forgets the folder and the history all the same.
    auto* unplaced = new TZemShellTree(form);
    unplaced->SetRootedAtFileSystemFolder(base);
    unplaced->History()->Add(PidlClone(DesktopPidl()));
    unplaced->SetRootedAt(SF_DRIVES);
    EXPECT_EQ(unplaced->RootedAtFileSystemFolder(), L"");
    EXPECT_EQ(unplaced->History()->Count(), 0);
    EXPECT_FALSE(unplaced->HandleAllocated());
}

TEST_F(ShellTreeTest, SelectedFolderByPathDeepOutsideTheAnsiCodePageAndUnreachable) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-deep");
    const std::wstring deep = base + L"\\\u03a9\u03bc\u03ad\u03b3\u03b1\\\u65e5\u672c\u8a9e\\leaf";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, deep.c_str(), nullptr), ERROR_SUCCESS);
    const std::wstring hidden = scratch::MakeFolder(base + L"\\secret");
    scratch::MakeFolder(hidden + L"\\inside");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(tree->SetSelectedFolder(L"c:\\"));
    EXPECT_EQ(tree->SelectedFolder(), L"C:\\");
    EXPECT_EQ(changedTo.size(), 1u);
    EXPECT_TRUE(tree->SetSelectedFolder(deep));
    EXPECT_EQ(tree->SelectedFolder(), deep);
    EXPECT_EQ(tree->Selected()->Text(), L"leaf");
    EXPECT_EQ(tree->Selected()->Parent()->Text(), L"\u65e5\u672c\u8a9e");
    EXPECT_EQ(changedTo, (std::vector<std::wstring>{L"C:\\", deep}));  // OnChange before the assignment returned
    EXPECT_TRUE(tree->SetSelectedFolder(deep + L"\\"));
    EXPECT_EQ(changedTo.size(), 2u);
    // An unreachable folder keeps the selection and, when asked to, says so.
    EXPECT_FALSE(tree->SetSelectedFolder(base + L"\\missing\\deeper"));  // does not parse
    EXPECT_FALSE(tree->SetSelectedFolder(hidden + L"\\inside"));         // parses, but its node is not shown
    EXPECT_EQ(tree->SelectedFolder(), deep);
    EXPECT_EQ(changedTo.size(), 2u);
    std::vector<std::wstring> boxes;
    auto previous = fw::TApplication::MessageBoxHook;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        boxes.push_back(Text);
        return IDOK;
    };
    tree->SetShowErrorMessages(true);
    EXPECT_FALSE(tree->SetSelectedFolder(hidden + L"\\inside"));
    fw::TApplication::MessageBoxHook = previous;
    tree->SetShowErrorMessages(false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(hidden + L"\\inside: ", 0), 0u) << boxes[0];
    EXPECT_EQ(tree->SelectedFolder(), deep);
    EXPECT_TRUE(tree->SetSelectedFolder(L""));
    EXPECT_EQ(tree->Selected(), tree->Items()->GetFirstNode());
    EXPECT_EQ(tree->SelectedFolder(), L"");
}

TEST_F(ShellTreeTest, ChildrenAreMadeOnFirstExpansionOnlyAndOnce) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-lazy");
    for (const wchar_t* name : {L"b", L"a", L"c"}) scratch::MakeFolder(base + L"\\" + name);
    scratch::MakeFolder(base + L"\\a\\a1");
    scratch::MakeFile(base + L"\\file.txt");
    ASSERT_TRUE(scratch::MakeShortcut(base + L"\\link.lnk", base + L"\\file.txt"));
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    fw::TTreeNode* node = tree->Selected();
    EXPECT_FALSE(node->Expanded());
    EXPECT_EQ(node->GetFirstChild(), nullptr);
    EXPECT_EQ(added.count(base + L"\\a"), 0u);
    node->Expand(false);
    ASSERT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"a", L"b", L"c"}));  // sorted, no files
    EXPECT_EQ(node->GetFirstChild()->GetFirstChild(), nullptr);  // its own children wait for its expansion
    node->Collapse(false);
    node->Expand(false);
    node->Collapse(false);
    tree->SetSelected(node);
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_RIGHT, 0);  // the user opens it
    EXPECT_TRUE(node->Expanded());
    EXPECT_EQ(added[base + L"\\a"], 1);
    EXPECT_EQ(added[base + L"\\b"], 1);
    EXPECT_EQ(added.count(base + L"\\a\\a1"), 0u);
    tree->SetShowFiles(true);  // a changed option refreshes the open nodes
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"a", L"b", L"c", L"file.txt", L"link"}));
    EXPECT_EQ(added[base + L"\\a"], 2);  // asked again on refresh, still one node
    // The shortcut's overlay is numbered from 0 on the node, from 1 in the window.
    fw::TTreeNode* link = node->GetLastChild();
    ASSERT_TRUE(WaitFor([&] { return link->OverlayIndex() == 1; }));
    EXPECT_EQ(UINT(SendMessageW(tree->Handle(), TVM_GETITEMSTATE, WPARAM(link->ItemId()), TVIS_OVERLAYMASK)),
              INDEXTOOVERLAYMASK(2));
    // The handler may refuse a folder when it would be added, and when a refresh finds it again.
    scratch::MakeFolder(base + L"\\d");
    tree->OnAddFolder = [&](TZemShellTreeNode*, const std::wstring& Path, bool& CanAdd) {
        CanAdd = Path != base + L"\\b" && Path != base + L"\\d";
    };
    Key(VK_F5);
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"a", L"c", L"file.txt", L"link"}));
}

TEST_F(ShellTreeTest, TheMouseChangesTheSelectionOnceOpensAFolderAndWalksTheHistory) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-change");
    for (const wchar_t* name : {L"\\one", L"\\one\\inner", L"\\two"}) scratch::MakeFolder(base + name);
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\one"));
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\two"));
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\two"));
    EXPECT_EQ(changedTo.size(), 2u);
    const int entries = tree->History()->Count();
    // A click on "one": the button-up is posted first, as the tree waits for it.
    fw::TTreeNode* one = ChildNamed(tree->Selected()->Parent(), L"one");
    ASSERT_NE(one, nullptr);
    const RECT r = one->DisplayRect(true);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    const DWORD start = GetTickCount();
    while (changedTo.size() < 3 && GetTickCount() - start < 5000) fw::Application()->HandleMessage();
    EXPECT_EQ(changedTo.size(), 3u);
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\one");
    EXPECT_EQ(tree->History()->Count(), entries + 1);
    ASSERT_FALSE(one->Expanded());
    PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_TRUE(one->Expanded());
    EXPECT_EQ(ChildTexts(one), (std::vector<std::wstring>{L"inner"}));
    // Back and forth through the history (Alt+Left, the side buttons) adds no entry;
    // the key goes on to the usual key handling.
    std::vector<WORD> keys;
    tree->OnKeyDown = [&](fw::TObject*, WORD& Key, fw::TShiftState) { keys.push_back(Key); };
    SendMessageW(tree->Handle(), WM_SYSKEYDOWN, VK_LEFT, LPARAM(0x20000000));
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\two");
    EXPECT_EQ(changedTo.size(), 4u);
    EXPECT_EQ(keys, std::vector<WORD>{VK_LEFT});
    tree->OnKeyDown = nullptr;
    SendMessageW(tree->Handle(), WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), 0);
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\one");
    SendMessageW(tree->Handle(), WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), 0);
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\two");
    SendMessageW(tree->Handle(), WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1 | MK_SHIFT, XBUTTON1), 0);
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\two");
    EXPECT_EQ(tree->History()->Count(), entries + 1);
    SendMessageW(tree->Handle(), WM_MOUSELEAVE, 0, 0);  // wherever the real cursor is
    std::wstring moves;
    tree->OnMouseEnter = [&](fw::TObject*) { moves += L"in "; };
    tree->OnMouseLeave = [&](fw::TObject*) { moves += L"out"; };
    SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, at);
    SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, at);
    SendMessageW(tree->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(moves, L"in out");
}

TEST_F(ShellTreeTest, RecycleFoldersStayHiddenWithoutTheRecycleBinAndANodeWithoutImageIsUpdatedOnce) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-recycle");
    for (const wchar_t* name : {L"RECYCLER", L"$Recycle.Bin", L"recycled"}) {
        scratch::MakeFolder(base + L"\\" + name);
        SetFileAttributesW((base + L"\\" + name).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    scratch::MakeFolder(base + L"\\Recycling");  // visible: shown
    scratch::MakeFolder(base + L"\\plain");
    SetFileAttributesW((base + L"\\plain").c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::map<fw::TTreeNode*, int> updates;
    tree->OnUpdatedFolder = [&](fw::TObject*, TZemShellTreeNode* Node) { ++updates[Node]; };
    tree->SetShowHidden(true);
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    tree->Selected()->Expand(false);
    EXPECT_EQ(ChildTexts(tree->Selected()), (std::vector<std::wstring>{L"plain", L"Recycling"}));
    for (int i = 0; i < 3; ++i) {
        tree->Invalidate();
        UpdateWindow(tree->Handle());
        fw::Application()->ProcessMessages();
    }
    fw::TTreeNode* first = tree->Selected()->GetFirstChild();
    EXPECT_EQ(updates[first], 1);
    EXPECT_GE(first->ImageIndex(), 0);
    tree->SetShowRecycleBin(true);
    EXPECT_EQ(tree->Selected()->Count(), 5);
}

TEST_F(ShellTreeTest, ExpandOnSelectedClosesTheSiblingsAndOpensTheChosenFolder) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-expand");
    for (const wchar_t* name : {L"\\a", L"\\a\\a1", L"\\b", L"\\b\\b1", L"\\c", L"\\c\\c1"})
        scratch::MakeFolder(base + name);
    fw::TTreeNode* folder = Open(base);
    fw::TTreeNode* a = ChildNamed(folder, L"a");
    fw::TTreeNode* b = ChildNamed(folder, L"b");
    fw::TTreeNode* c = ChildNamed(folder, L"c");
    ASSERT_TRUE(a && b && c);
    a->Expand(false);
    c->Expand(false);
    tree->SetSelected(b);  // without the option nothing else moves
    EXPECT_TRUE(a->Expanded() && c->Expanded());
    EXPECT_FALSE(b->Expanded());
    tree->SetExpandOnSelected(true);
    tree->SetSelected(a);
    EXPECT_TRUE(a->Expanded());
    EXPECT_FALSE(b->Expanded() || c->Expanded());
}

TEST_F(ShellTreeTest, NoFillOnStartupLeavesTheStoredFolderUnselectedAfterLoading) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-nofill");
    for (bool noFill : {false, true}) {
        auto* loaded = new TZemShellTree(form);
        loaded->BeginLoading();
        loaded->SetNoFillOnStartup(noFill);
        loaded->SetRootedAt(SF_DRIVES);
        loaded->SetSelectedFolder(base);
        EXPECT_EQ(loaded->SelectedFolder(), base);  // kept for after loading
        loaded->SetBounds(0, 0, 200, 200);
        loaded->SetParent(form);
        loaded->EndLoading();
        loaded->HandleNeeded();
        EXPECT_EQ(loaded->SelectedFolder() == base, !noFill) << noFill;
        delete loaded;
    }
}

// The tree items asked for through the window's own procedure, while counting.
WNDPROC countedProc = nullptr;
int itemRequests = 0;
LRESULT CALLBACK CountingProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    if (Message == TVM_GETNEXTITEM) ++itemRequests;
    return CallWindowProcW(countedProc, Window, Message, WParam, LParam);
}

TEST_F(ShellTreeTest, AFolderOfTenThousandSubfoldersExpandsAndRefreshesInTimeGrowingWithThem) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-wide");
    MakeManyFolders(base, 10000);
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    fw::TTreeNode* node = tree->Selected();
    node->Expand(false);
    ASSERT_EQ(node->Count(), 10000);
    EXPECT_EQ(added[base + L"\\f04321"], 1);  // the handler hears each with its path
    EXPECT_EQ(node->GetFirstChild()->Text(), L"f00000");
    EXPECT_EQ(node->GetLastChild()->Text(), L"f09999");
    // A row drawn once, then out of sight.
    fw::TTreeNode* away = node->Item(5000);
    away->MakeVisible();
    UpdateWindow(tree->Handle());
    ASSERT_GE(away->ImageIndex(), 0);
    node->MakeVisible();
    UpdateWindow(tree->Handle());
    // F5 with the folder open: each subfolder is found among the nodes without a
    // walk over its siblings (that walk made F5 take minutes here).
    scratch::MakeFolder(base + L"\\f10000");
    RemoveDirectoryW((base + L"\\f00001").c_str());
    countedProc = open->DefWndProc();
    open->SetDefWndProc(CountingProc);
    itemRequests = 0;
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F5, 1);
    open->SetDefWndProc(countedProc);
    EXPECT_LT(itemRequests, 5 * 10000);
    ASSERT_EQ(node->Count(), 10000);
    EXPECT_EQ(node->GetFirstChild()->GetNextSibling()->Text(), L"f00002");
    EXPECT_EQ(node->GetLastChild()->Text(), L"f10000");
    // A row out of sight in the refresh shows its icon when it comes into sight.
    away->MakeVisible();
    UpdateWindow(tree->Handle());
    EXPECT_GE(away->ImageIndex(), 0);
    EXPECT_TRUE(tree->SetSelectedFolder(base + L"\\f05000"));
    EXPECT_EQ(tree->Selected()->Text(), L"f05000");
}

TEST_F(ShellTreeTest, FoldersPastThePathLimitOpenWithoutShellCommandsAndFoldersEndingInADotShowTheirOwnChildren) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-long");
    // Beside it, right below the drive, a folder of the same name with a trailing dot.
    const std::wstring top = base + L".";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + top).c_str(), nullptr));
    // 70 levels below the base: the paths pass MAX_PATH about halfway down.
    std::wstring deep = base;
    for (int i = 0; i < 70; ++i) {
        wchar_t name[8];
        swprintf(name, 8, L"\\d%03d", i);
        deep += name;
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << i;
    }
    ASSERT_GT(deep.size(), size_t(MAX_PATH + 60));
    // A short folder holding a name that makes a path past the limit.
    const std::wstring wide = scratch::MakeFolder(base + L"\\wide");
    const std::wstring longName(MAX_PATH - wide.size(), L'n');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + wide + L"\\" + longName).c_str(), nullptr));
    scratch::MakeFolder(wide + L"\\a");
    // Names ending in a dot or a blank.
    const std::wstring dots = scratch::MakeFolder(base + L"\\dots");
    for (const wchar_t* name : {L"dirdot.", L"dirdot", L"blank "}) {
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dots + L"\\" + name).c_str(), nullptr)) << name;
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + dots + L"\\" + name + L"\\in " + name + L"!").c_str(), nullptr));
    }
    EXPECT_TRUE(tree->SetSelectedFolder(deep));
    EXPECT_EQ(tree->SelectedFolder(), deep);
    ASSERT_FALSE(changedTo.empty());
    EXPECT_EQ(changedTo.back(), deep);
    // Every node on the way reports its own path, none one cut off at the limit.
    std::wstring expected = deep;
    for (fw::TTreeNode* node = tree->Selected(); expected.size() > base.size(); node = node->Parent()) {
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(tree->NodePath(node), expected);
        expected.resize(expected.rfind(L'\\'));
    }
    // Such a folder opens and refreshes; the shell's commands are not offered on it.
    fw::TTreeNode* last = tree->Selected();
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep + L"\\inner").c_str(), nullptr));
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(added[deep], 2);  // the handler is asked again on refresh
    EXPECT_TRUE(last->HasChildren());
    last->Expand(false);
    EXPECT_EQ(ChildTexts(last), std::vector<std::wstring>{L"inner"});
    RemoveDirectoryW((L"\\\\?\\" + deep + L"\\inner").c_str());
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep + L"\\other").c_str(), nullptr));
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_F5, 1);
    EXPECT_EQ(ChildTexts(last), std::vector<std::wstring>{L"other"});
    // The verb is refused: nothing is asked and nothing goes, though deleting asks nothing.
    std::vector<std::wstring> boxes;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        boxes.push_back(Text);
        return IDYES;
    };
    tree->Browser()->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    EXPECT_FALSE(tree->ExecuteVerb(L"delete"));
    fw::TApplication::MessageBoxHook = nullptr;
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(last->EditText());
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + deep).c_str()), INVALID_FILE_ATTRIBUTES);
    // The short folder lists the long name with its whole path.
    fw::TTreeNode* folder = Open(wide);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(ChildTexts(folder), (std::vector<std::wstring>{L"a", longName}));
    EXPECT_EQ(tree->NodePath(folder->GetLastChild()), wide + L"\\" + longName);
    // Drawn empty, then given a folder: a double click fills and opens it as any folder.
    fw::TTreeNode* beyond = folder->GetLastChild();
    UpdateWindow(tree->Handle());
    ASSERT_FALSE(beyond->HasChildren());
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + wide + L"\\" + longName + L"\\late").c_str(), nullptr));
    tree->SetSelected(beyond);
    const auto leftOf = [](fw::TTreeNode* Node) {  // its label may reach past the window
        const RECT r = Node->DisplayRect(true);
        return POINT{r.left + 4, (r.top + r.bottom) / 2};
    };
    const LPARAM at = MAKELPARAM(leftOf(beyond).x, leftOf(beyond).y);
    PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_EQ(ChildTexts(beyond), std::vector<std::wstring>{L"late"});
    // A drag resting on it for two seconds opens it, however long it rested elsewhere.
    beyond->Collapse(false);
    DWORD now = 50000;
    tree->Clock = [&] { return now; };
    const auto over = [&](fw::TTreeNode* Node, DWORD Elapsed) {
        now += Elapsed;
        POINT p = leftOf(Node);
        ClientToScreen(tree->Handle(), &p);
        DWORD effect = DROPEFFECT_COPY;
        tree->DragOver(0, p, effect);
    };
    DWORD effect = DROPEFFECT_COPY;
    tree->DragEnter(nullptr, 0, POINT{}, effect);
    over(folder->GetFirstChild(), 0);
    over(beyond, 5000);
    EXPECT_FALSE(beyond->Expanded());
    over(beyond, 2100);
    EXPECT_TRUE(beyond->Expanded());
    tree->DragLeave();
    tree->Clock = nullptr;
    // Names ending in a dot or a blank, which the shell reads as others: each node
    // holds its own folder's children and is selected by its own path.
    folder = Open(dots);
    ASSERT_NE(folder, nullptr);
    std::vector<std::wstring> names = ChildTexts(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"blank ", L"dirdot", L"dirdot."}));
    for (fw::TTreeNode* c = folder->GetFirstChild(); c; c = c->GetNextSibling()) {
        c->Expand(false);
        EXPECT_EQ(ChildTexts(c), std::vector<std::wstring>{L"in " + c->Text() + L"!"}) << c->Text();
        EXPECT_EQ(tree->NodePath(c), dots + L"\\" + c->Text());
    }
    for (const wchar_t* name : {L"dirdot.", L"blank \\in blank !", L"dirdot"}) {
        EXPECT_TRUE(tree->SetSelectedFolder(dots + L"\\" + name)) << name;
        EXPECT_EQ(tree->SelectedFolder(), dots + L"\\" + name);
    }
    EXPECT_TRUE(tree->SetSelectedFolder(top));
    EXPECT_EQ(tree->SelectedFolder(), top);
}

// The pixels image Index leaves on a white 16x16 square.
std::vector<COLORREF> DrawnOnWhite(TZemSelectionStateImageList& List, int Index) {
    const fw::WindowDC screen(nullptr);
    const fw::DCHandle dc(CreateCompatibleDC(screen.get()));
    const fw::BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), 16, 16));
    const fw::SelectObjectGuard selected(dc.get(), bitmap.get());
    RECT r{0, 0, 16, 16};
    FillRect(dc.get(), &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(List.Handle(), Index, dc.get(), 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
    return pixels;
}

TEST_F(ShellTreeTest, TriStateBoxesFollowTheSelectionListAndToggleByClickAndSpace) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-checks");
    for (const wchar_t* name : {L"a", L"b"}) scratch::MakeFolder(base + L"\\" + name);
    scratch::MakeFile(base + L"\\a\\x.txt", 1);
    scratch::MakeFile(base + L"\\b\\y.txt", 1);  // an empty folder would count as all checked
    TZemShellLink link(nullptr);
    link.SelectionList()->SetCalculateSizes(false);
    tree->SetShellLink(&link);
    tree->SetRootedAtFileSystemFolder(base);
    std::vector<std::wstring> changed;
    tree->OnCheckStateChanged = [&](fw::TObject*, int, const std::wstring& Path, TZemSelectionState State) {
        changed.push_back(Path + L"=" + std::to_wstring(State));
    };
    tree->SetCheckBoxes(true);
    ASSERT_TRUE(tree->CheckBoxes());
    ASSERT_NE(tree->StateImages(), nullptr);
    fw::TTreeNode* root = tree->Items()->GetFirstNode();
    root->Expand(false);
    fw::TTreeNode* a = ChildNamed(root, L"a");
    fw::TTreeNode* b = ChildNamed(root, L"b");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(WaitFor([&] {
        return root->StateIndex() == ssUnChecked && a->StateIndex() == ssUnChecked && b->StateIndex() == ssUnChecked;
    }));
    EXPECT_TRUE(changed.empty());  // first states are no changes
    // A click on a's box checks it; the root above is then partly checked.
    const RECT r = a->DisplayRect(true);
    const LPARAM box = MAKELPARAM(r.left - 27, (r.top + r.bottom) / 2);
    ASSERT_NE(tree->GetHitTestInfoAt(r.left - 27, (r.top + r.bottom) / 2) & TVHT_ONITEMSTATEICON, 0u);
    PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, box);  // in case the tree waits for it
    SendMessageW(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, box);
    ASSERT_EQ(link.SelectionList()->Paths()->Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return a->StateIndex() == ssChecked && root->StateIndex() == ssGrayed; }))
        << a->StateIndex() << " " << root->StateIndex() << " " << link.SelectionList()->Paths()->Strings(0);
    EXPECT_EQ(b->StateIndex(), ssUnChecked);
    EXPECT_NE(std::find(changed.begin(), changed.end(), base + L"\\a=" + std::to_wstring(ssChecked)), changed.end());
    // Space on b checks it too: now everything below the root is checked, so is the root.
    tree->SetSelected(b);
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    ASSERT_TRUE(WaitFor([&] { return b->StateIndex() == ssChecked && root->StateIndex() == ssChecked; }));
    tree->ToggleCheck(static_cast<TZemShellTreeNode*>(a));
    ASSERT_TRUE(WaitFor([&] { return a->StateIndex() == ssUnChecked && root->StateIndex() == ssGrayed; }));
    EXPECT_EQ(b->StateIndex(), ssChecked);
    tree->SetCheckBoxes(false);
    EXPECT_EQ(tree->StateImages(), nullptr);
    EXPECT_EQ(a->StateIndex(), -1);
    tree->SetShellLink(nullptr);
}

TEST_F(ShellTreeTest, CheckImagesOneBlankThenOnePerStateNoLinkNoBoxesAndTheComputerRootPartlyCheckedByADrive) {
    TZemSelectionStateImageList list(nullptr);
    ASSERT_EQ(list.Count(), 5);
    const std::vector<COLORREF> white(256, RGB(255, 255, 255));
    EXPECT_EQ(DrawnOnWhite(list, ssUnused), white);  // all see-through
    std::vector<std::vector<COLORREF>> drawn;
    for (int state = ssDisabled; state <= ssGrayed; ++state) {
        drawn.push_back(DrawnOnWhite(list, state));
        EXPECT_NE(drawn.back(), white) << state;
        for (COLORREF c : drawn.back()) ASSERT_NE(c, RGB(255, 0, 0)) << state;  // the red ground is the mask
    }
    EXPECT_NE(drawn[ssChecked - 1], drawn[ssUnChecked - 1]);
    EXPECT_NE(drawn[ssChecked - 1], drawn[ssGrayed - 1]);
    tree->SetCheckBoxes(true);
    EXPECT_FALSE(tree->CheckBoxes());
    EXPECT_EQ(tree->StateImages(), nullptr);
    const std::wstring base = testenv::NewScratchFolder(L"tree-rootcheck");
    scratch::MakeFile(base + L"\\z.txt", 1);
    TZemShellLink link(nullptr);
    link.SelectionList()->SetCalculateSizes(false);
    tree->SetShellLink(&link);
    tree->SetCheckBoxes(true);
    fw::TTreeNode* root = tree->Items()->GetFirstNode();
    EXPECT_EQ(root->StateIndex(), ssDisabled);  // the computer has no path and nothing is checked
    link.SelectionList()->Check(base + L"\\z.txt");
    ASSERT_TRUE(WaitFor([&] { return root->StateIndex() == ssGrayed; })) << root->StateIndex();
    tree->SetShellLink(nullptr);
}

// A tree whose drawing of a node can be asked directly.
class DrawingTree : public TZemShellTree {
public:
    using TZemShellTree::CustomDrawItem;
    using TZemShellTree::IsCustomDrawn;
    using TZemShellTree::TZemShellTree;
};

class ShellTreeDrawTest : public ShellTreeFixture {
protected:
    TZemShellTree* NewTree(fw::TComponent* Owner) override { return drawing = new DrawingTree(Owner); }
    DrawingTree* drawing = nullptr;
};

TEST_F(ShellTreeDrawTest, CompressedNamesAreBlueEncryptedGreenAndEncryptedWins) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-colours");
    scratch::MakeFolder(base + L"\\packed");
    fw::TTreeNode* folder = Open(base);
    ASSERT_NE(folder, nullptr);
    EXPECT_FALSE(drawing->IsCustomDrawn());
    drawing->SetColorCompressed(true);
    drawing->SetColorEncrypted(true);
    auto* node = static_cast<TZemShellTreeNode*>(ChildNamed(tree->Selected(), L"packed"));
    ASSERT_NE(node, nullptr);
    const auto drawn = [&](bool& Changed) {
        NMTVCUSTOMDRAW draw{};
        draw.clrText = RGB(1, 2, 3);
        Changed = drawing->CustomDrawItem(node, draw);
        return draw.clrText;
    };
    bool changed = true;
    EXPECT_EQ(drawn(changed), RGB(1, 2, 3));
    EXPECT_FALSE(changed);
    node->SetFlag(TZemShellTreeNode::CompressedBit, true);
    EXPECT_EQ(drawn(changed), RGB(0, 0, 255));
    EXPECT_TRUE(changed);
    node->SetFlag(TZemShellTreeNode::EncryptedBit, true);
    EXPECT_EQ(drawn(changed), RGB(0, 128, 0));
    drawing->SetColorEncrypted(false);
    node = static_cast<TZemShellTreeNode*>(ChildNamed(tree->Selected(), L"packed"));
    node->SetFlag(TZemShellTreeNode::CompressedBit, true);
    node->SetFlag(TZemShellTreeNode::EncryptedBit, true);
    EXPECT_EQ(drawn(changed), RGB(0, 0, 255));
    drawing->SetColorCompressed(false);
    EXPECT_FALSE(drawing->IsCustomDrawn());
}

}  // namespace

TEST_F(ShellTreeTest, ReRootingAtAFolderReportsItOnceAndNodesMustBeShellNodes) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-reroot");
    const auto pumpFor = [](DWORD Milliseconds) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < Milliseconds) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            fw::Application()->ProcessMessages();
        }
    };
    pumpFor(300);  // the first selection's report has come
    changedTo.clear();
    tree->SetChangeDelay(100);  // as a key press leaves it
    tree->SetRootedAtFileSystemFolder(base);
    pumpFor(400);  // past the delay nothing more is told
    EXPECT_EQ(changedTo, std::vector<std::wstring>{base});
    tree->OnCreateNodeClass = [](fw::TObject*, TZemNodeFactory& Make) {
        Make = [](fw::TTreeNodes* Owner) { return new fw::TTreeNode(Owner); };
    };
    EXPECT_THROW(tree->SetRootedAt(SF_DRIVES), fw::EInvalidArgument);
    tree->OnCreateNodeClass = nullptr;
    tree->SetRootedAt(SF_DRIVES);
    ASSERT_NE(tree->Items()->GetFirstNode(), nullptr);
    EXPECT_EQ(tree->SpecialFolder(), SF_DRIVES);
}
