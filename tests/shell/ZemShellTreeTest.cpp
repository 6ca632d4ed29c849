// The shell tree on the scratch drive: its roots, filling on first expansion,
// the selected folder by path (deep, non-ANSI, unreachable), the change event
// and history, the recycle-bin filter, drawing updates, and a folder of 10,000
// subfolders.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "shell/Pathfinch.h"
#include "shell/PidlHistory.h"
#include "shell/ZemShellTree.h"
#include "tests/common/TestEnv.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;
using treetest::ChildNamed;
using treetest::ChildTexts;

namespace {

// Count folders "f00000" ... below Base, made by the host when it can be reached:
// Wine looks through the whole folder on every CreateDirectoryW, so 10,000 of
// them one by one take more than a minute.
void MakeManyFolders(const std::wstring& Base, int Count) {
    wchar_t name[32];
    swprintf(name, 32, L"\\f%05d", Count - 1);
    const std::wstring last = Base + name;
    const std::string host = scratch::HostPath(Base);
    if (!host.empty()) {
        const std::string line =
            "sh -c \"cd '" + host + "' && seq -f f%05g 0 " + std::to_string(Count - 1) + " | xargs mkdir\"";
        std::wstring command(line.begin(), line.end());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(L"\\\\?\\unix\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            WaitForSingleObject(pi.hProcess, 60000);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            // Wine may report a host program ended before it has run: look for the last one.
            for (int i = 0; i < 3000 && GetFileAttributesW(last.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
        }
    }
    for (int i = 0; i < Count && GetFileAttributesW(last.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        swprintf(name, 32, L"\\f%05d", i);
        CreateDirectoryW((Base + name).c_str(), nullptr);
    }
}

// The common tree, with its filter at "*", its changes and added folders counted.
class ShellTreeTest : public treetest::ShellTreeFixture {
protected:
    void SetUp() override {
        ShellTreeFixture::SetUp();
        tree->SetFilter(L"*");
        tree->OnChange = [this](fw::TObject*, fw::TTreeNode*) {
            ++changes;
            changedTo.push_back(tree->SelectedFolder());
        };
        tree->OnAddFolder = [this](TZemShellTreeNode*, const std::wstring& Path, bool&) { ++added[Path]; };
    }
    int changes = 0;
    std::vector<std::wstring> changedTo;
    std::map<std::wstring, int> added;
};

TEST_F(ShellTreeTest, DrivesRootShowsTheDrivesWithoutNetworkOrRecycleBin) {
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
}

TEST_F(ShellTreeTest, SelectedFolderByPathDeepAndOutsideTheAnsiCodePage) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-deep");
    const std::wstring deep = base + L"\\\u03a9\u03bc\u03ad\u03b3\u03b1\\\u65e5\u672c\u8a9e\\leaf";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, deep.c_str(), nullptr), ERROR_SUCCESS);

    EXPECT_TRUE(tree->SetSelectedFolder(L"c:\\"));
    EXPECT_EQ(tree->SelectedFolder(), L"C:\\");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(tree->SetSelectedFolder(deep));
    EXPECT_EQ(tree->SelectedFolder(), deep);
    EXPECT_EQ(tree->Selected()->Text(), L"leaf");
    EXPECT_EQ(tree->Selected()->Parent()->Text(), L"\u65e5\u672c\u8a9e");
    EXPECT_EQ(changes, 2);  // OnChange before the assignment returned
    EXPECT_EQ(changedTo.back(), deep);
    // The same folder again is no change.
    EXPECT_TRUE(tree->SetSelectedFolder(deep + L"\\"));
    EXPECT_EQ(changes, 2);

    // Empty selects the root of a drives-rooted tree.
    EXPECT_TRUE(tree->SetSelectedFolder(L""));
    EXPECT_EQ(tree->Selected(), tree->Items()->GetFirstNode());
    EXPECT_EQ(tree->SelectedFolder(), L"");
}

TEST_F(ShellTreeTest, AnUnreachableFolderKeepsTheSelectionAndSaysSo) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-unreach");
    const std::wstring hidden = scratch::MakeFolder(base + L"\\secret");
    scratch::MakeFolder(hidden + L"\\inside");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    changes = 0;

    EXPECT_FALSE(tree->SetSelectedFolder(base + L"\\missing\\deeper"));  // does not parse
    EXPECT_FALSE(tree->SetSelectedFolder(hidden + L"\\inside"));         // parses, but its node is not shown
    EXPECT_EQ(tree->SelectedFolder(), base);
    EXPECT_EQ(changes, 0);

    std::vector<std::wstring> boxes;
    auto previous = fw::TApplication::MessageBoxHook;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        boxes.push_back(Text);
        return IDOK;
    };
    tree->SetShowErrorMessages(true);
    EXPECT_FALSE(tree->SetSelectedFolder(hidden + L"\\inside"));
    fw::TApplication::MessageBoxHook = previous;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind(hidden + L"\\inside: ", 0), 0u) << boxes[0];
    EXPECT_EQ(tree->SelectedFolder(), base);
}

TEST_F(ShellTreeTest, ChildrenAreMadeOnFirstExpansionOnlyAndOnce) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-lazy");
    for (const wchar_t* name : {L"b", L"a", L"c"}) scratch::MakeFolder(base + L"\\" + name);
    scratch::MakeFolder(base + L"\\a\\a1");
    scratch::MakeFile(base + L"\\file.txt");
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    fw::TTreeNode* node = tree->Selected();
    EXPECT_FALSE(node->Expanded());
    EXPECT_EQ(node->GetFirstChild(), nullptr);
    EXPECT_EQ(added.count(base + L"\\a"), 0u);

    node->Expand(false);
    ASSERT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"a", L"b", L"c"}));  // sorted, no files
    fw::TTreeNode* a = node->GetFirstChild();
    EXPECT_EQ(a->GetFirstChild(), nullptr);  // its own children wait for its expansion
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
    EXPECT_EQ(ChildTexts(node), (std::vector<std::wstring>{L"a", L"b", L"c", L"file.txt"}));
    EXPECT_EQ(added[base + L"\\a"], 2);  // asked again on refresh, still one node
}

TEST_F(ShellTreeTest, ChangeFiresOncePerRealChangeAndFeedsTheHistory) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-change");
    scratch::MakeFolder(base + L"\\one");
    scratch::MakeFolder(base + L"\\two");
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\one"));
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\two"));
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\two"));
    EXPECT_EQ(changes, 2);
    const int entries = tree->History()->Count();

    // A click on "one": the button-up is posted first, as the tree waits for it.
    fw::TTreeNode* one = ChildNamed(tree->Selected()->Parent(), L"one");
    ASSERT_NE(one, nullptr);
    const RECT r = one->DisplayRect(true);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    const DWORD start = GetTickCount();
    while (changes < 3 && GetTickCount() - start < 5000) fw::Application()->HandleMessage();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\one");
    EXPECT_EQ(tree->History()->Count(), entries + 1);

    // Back through the history adds no entry.
    SendMessageW(tree->Handle(), WM_SYSKEYDOWN, VK_LEFT, LPARAM(0x20000000));
    EXPECT_EQ(tree->SelectedFolder(), base + L"\\two");
    EXPECT_EQ(tree->History()->Count(), entries + 1);
    EXPECT_EQ(changes, 4);
}

TEST_F(ShellTreeTest, RecycleFoldersStayHiddenWithoutTheRecycleBin) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-recycle");
    for (const wchar_t* name : {L"RECYCLER", L"$Recycle.Bin", L"recycled"}) {
        scratch::MakeFolder(base + L"\\" + name);
        SetFileAttributesW((base + L"\\" + name).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }
    scratch::MakeFolder(base + L"\\Recycling");  // visible: shown
    scratch::MakeFolder(base + L"\\plain");
    SetFileAttributesW((base + L"\\plain").c_str(), FILE_ATTRIBUTE_HIDDEN);
    tree->SetShowHidden(true);
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    tree->Selected()->Expand(false);
    EXPECT_EQ(ChildTexts(tree->Selected()), (std::vector<std::wstring>{L"plain", L"Recycling"}));
    tree->SetShowRecycleBin(true);
    EXPECT_EQ(tree->Selected()->Count(), 5);
}

TEST_F(ShellTreeTest, ANodeDrawnWithoutImageIsUpdatedOnce) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-draw");
    for (int i = 0; i < 5; ++i) scratch::MakeFolder(base + L"\\d" + std::to_wstring(i));
    std::map<fw::TTreeNode*, int> updates;
    tree->OnUpdatedFolder = [&](fw::TObject*, TZemShellTreeNode* Node) { ++updates[Node]; };
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    tree->Selected()->Expand(false);
    for (int i = 0; i < 3; ++i) {
        tree->Invalidate();
        UpdateWindow(tree->Handle());
        fw::Application()->ProcessMessages();
    }
    fw::TTreeNode* first = tree->Selected()->GetFirstChild();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(updates[first], 1);
    EXPECT_GE(first->ImageIndex(), 0);
}

TEST_F(ShellTreeTest, AFolderOfTenThousandSubfoldersExpands) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-wide");
    MakeManyFolders(base, 10000);
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    fw::TTreeNode* node = tree->Selected();
    node->Expand(false);
    ASSERT_EQ(node->Count(), 10000);
    EXPECT_EQ(added[base + L"\\f04321"], 1);  // the handler hears each with its path
    EXPECT_EQ(node->GetFirstChild()->Text(), L"f00000");
    EXPECT_EQ(node->GetLastChild()->Text(), L"f09999");
    EXPECT_TRUE(tree->SetSelectedFolder(base + L"\\f05000"));
    EXPECT_EQ(tree->Selected()->Text(), L"f05000");
}

TEST_F(ShellTreeTest, RootingAtAMissingFolderRaisesAndKeepsTheRoot) {
    fw::TTreeNode* root = tree->Items()->GetFirstNode();
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
}

TEST_F(ShellTreeTest, ANodeClassNotOfTheTreeIsRefused) {
    tree->OnCreateNodeClass = [](fw::TObject*, TZemNodeFactory& Factory) {
        Factory = [](fw::TTreeNodes* Owner) { return new fw::TTreeNode(Owner); };
    };
    try {
        tree->Items()->AddChild(nullptr, L"x");
        ADD_FAILURE() << "no error";
    } catch (const fw::EInvalidArgument& e) {
        EXPECT_EQ(e.Message(),
                  L"Internal Error: TZemShellTree.OnCreateNodeClass.ItemClass must inherit from TZemShellTreeNode.");
    }
    tree->OnCreateNodeClass = nullptr;
}

TEST_F(ShellTreeTest, ADesktopRootSelectsTheComputerForAnEmptyPathAndNavigatesBothWays) {
    tree->SetRootedAt(SF_DESKTOP);
    fw::Application()->ProcessMessages();
    ASSERT_NE(tree->Items()->GetFirstNode(), nullptr);
    EXPECT_EQ(tree->SpecialFolder(), SF_DESKTOP);
    EXPECT_TRUE(tree->SetSelectedFolder(L""));
    EXPECT_EQ(tree->SpecialFolder(), SF_DRIVES);
    EXPECT_EQ(tree->SelectedFolder(), L"");  // the computer has no path
    const std::wstring base = testenv::NewScratchFolder(L"tree-desk");
    ASSERT_TRUE(tree->SetSelectedFolder(base));
    EXPECT_EQ(tree->Selected()->Level(), 3);  // desktop, computer, drive, folder
    EXPECT_TRUE(tree->Navigate(-1));
    EXPECT_EQ(tree->SpecialFolder(), SF_DRIVES);
    EXPECT_TRUE(tree->Navigate(1));
    EXPECT_EQ(tree->SelectedFolder(), base);
}

TEST_F(ShellTreeTest, ExpandOnSelectedClosesTheSiblingsAndOpensTheChoice) {
    const std::wstring base = testenv::NewScratchFolder(L"tree-exp");
    for (const wchar_t* name : {L"x", L"y"}) {
        scratch::MakeFolder(base + L"\\" + name);
        scratch::MakeFolder(base + L"\\" + name + L"\\inner");
    }
    tree->SetExpandOnSelected(true);
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\x"));
    fw::TTreeNode* x = tree->Selected();
    EXPECT_TRUE(x->Expanded());
    ASSERT_TRUE(tree->SetSelectedFolder(base + L"\\y"));
    EXPECT_FALSE(x->Expanded());
    EXPECT_TRUE(tree->Selected()->Expanded());
}

}  // namespace
