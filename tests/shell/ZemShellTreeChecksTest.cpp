// The check-box images of the selection states, and the tree's tri-state boxes
// over a shell link's selection list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "shell/ZemSelectionList.h"
#include "shell/ZemSelectionStateImageList.h"
#include "shell/ZemShellLink.h"
#include "tests/shell/ShellTreeFixture.h"

using namespace shell;

namespace {

// The pixels image Index leaves on a white 16x16 square.
std::vector<COLORREF> DrawnOnWhite(TZemSelectionStateImageList& List, int Index) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r{0, 0, 16, 16};
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(List.Handle(), Index, dc, 0, 0, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST(SelectionStateImagesTest, OneBlankImageThenAnImagePerState) {
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
}

using namespace treetest;

using ShellTreeChecksTest = ShellTreeFixture;

TEST_F(ShellTreeChecksTest, CheckBoxesWithoutAShellLinkStayOff) {
    tree->SetCheckBoxes(true);
    EXPECT_FALSE(tree->CheckBoxes());
    EXPECT_EQ(tree->StateImages(), nullptr);
}

TEST_F(ShellTreeChecksTest, TriStateBoxesFollowTheSelectionListAndToggleByClickAndSpace) {
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
    EXPECT_EQ(link.SelectionList()->Paths()->Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return a->StateIndex() == ssChecked && root->StateIndex() == ssGrayed; }))
        << a->StateIndex() << " " << root->StateIndex() << " " << link.SelectionList()->Paths()->Strings(0);
    EXPECT_EQ(b->StateIndex(), ssUnChecked);
    EXPECT_NE(std::find(changed.begin(), changed.end(), base + L"\\a=" + std::to_wstring(ssChecked)), changed.end());

    // Space on b checks it too: now everything below the root is checked, so is the root.
    tree->SetSelected(b);
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    ASSERT_TRUE(WaitFor([&] { return b->StateIndex() == ssChecked && root->StateIndex() == ssChecked; }));

    // And once more on a: unchecked, the root partly checked again.
    tree->ToggleCheck(static_cast<TZemShellTreeNode*>(a));
    ASSERT_TRUE(WaitFor([&] { return a->StateIndex() == ssUnChecked && root->StateIndex() == ssGrayed; }));
    EXPECT_EQ(b->StateIndex(), ssChecked);

    tree->SetCheckBoxes(false);
    EXPECT_EQ(tree->StateImages(), nullptr);
    EXPECT_EQ(a->StateIndex(), -1);
    tree->SetShellLink(nullptr);
}

TEST_F(ShellTreeChecksTest, TheComputerRootIsPartlyCheckedOnceADriveHoldsAnEntry) {
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

}  // namespace
