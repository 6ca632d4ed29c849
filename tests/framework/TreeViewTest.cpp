// The tree view: nodes and their objects, filling on first expansion, images
// asked for when drawn, the change event and its delay, re-creation; the
// splitter's drag.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"
#include "framework/Splitter.h"
#include "framework/TreeView.h"
#include "tests/common/PlacedForm.h"
#include "tests/common/RealClick.h"

namespace {

int liveNodes = 0;

class CountedNode : public fw::TTreeNode {
public:
    explicit CountedNode(fw::TTreeNodes* Owner) : fw::TTreeNode(Owner) { ++liveNodes; }
    ~CountedNode() override { --liveNodes; }
};

// A tree that fills a node with three children on its first expansion and
// counts the image requests of nodes drawn without an image.
class LazyTree : public fw::TTreeView {
public:
    using fw::TTreeView::TTreeView;
    ~LazyTree() override { FreeNodes(); }

    int fills = 0;
    std::vector<std::wstring> imageRequests;

protected:
    fw::TTreeNode* CreateNode() override { return new CountedNode(Items()); }
    bool CanExpand(fw::TTreeNode* Node) override {
        if (!fw::TTreeView::CanExpand(Node)) return false;
        if (Node->HasChildren() && !Node->GetFirstChild()) {
            ++fills;
            for (int i = 0; i < 3; ++i) Items()->AddChild(Node, Node->Text() + L"." + std::to_wstring(i));
        }
        return true;
    }
    void GetImageIndex(fw::TTreeNode* Node) override {
        imageRequests.push_back(Node->Text());
        Node->SetImageIndex(0);
    }
};

std::vector<std::wstring> ChildTexts(fw::TTreeNode* Node) {
    std::vector<std::wstring> texts;
    for (fw::TTreeNode* c = Node->GetFirstChild(); c; c = c->GetNextSibling()) texts.push_back(c->Text());
    return texts;
}

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        liveNodes = 0;
        form = testenv::NewPlacedForm(40, 40, 400, 300);
        tree = new LazyTree(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 280);
        form->Show();
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
        EXPECT_EQ(liveNodes, 0);  // every node object went with its tree
    }
    fw::TForm* form = nullptr;
    LazyTree* tree = nullptr;
};

TEST_F(TreeViewTest, NodesKnowTheirPlaceSortAndDieWithTheirItems) {
    fw::TTreeNodes* items = tree->Items();
    fw::TTreeNode* root = items->AddChild(nullptr, L"root");
    fw::TTreeNode* a = items->AddChild(root, L"a");
    fw::TTreeNode* b = items->AddChild(root, L"b");
    items->AddChild(root, L"c");
    items->AddChild(b, L"b1");
    EXPECT_EQ(items->GetFirstNode(), root);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(b->Parent(), root);
    EXPECT_EQ(b->Level(), 1);
    EXPECT_EQ(b->GetFirstChild()->Level(), 2);
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(root->Item(0), a);
    EXPECT_TRUE(b->GetFirstChild()->HasAsParent(root));
    EXPECT_EQ(items->Count(), 5);
    EXPECT_EQ(liveNodes, 5);
    root->CustomSort([](fw::TTreeNode* A, fw::TTreeNode* B) { return B->Text().compare(A->Text()); });
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    // One node at a time is the drop target.
    EXPECT_EQ(tree->DropTarget(), nullptr);
    a->SetDropTarget(true);
    EXPECT_TRUE(a->DropTarget());
    tree->SetDropTarget(b);
    EXPECT_FALSE(a->DropTarget());
    EXPECT_EQ(tree->DropTarget(), b);
    b->SetDropTarget(false);
    EXPECT_EQ(tree->DropTarget(), nullptr);
    const RECT r = root->DisplayRect(true);
    EXPECT_NE(tree->GetHitTestInfoAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) & TVHT_ONITEMLABEL, 0u);
    EXPECT_EQ(tree->GetNodeAt(5, 270), nullptr);

    b->Delete();  // with its child
    EXPECT_EQ(liveNodes, 3);
    EXPECT_EQ(items->Count(), 3);
    root->DeleteChildren();
    EXPECT_EQ(liveNodes, 1);
    EXPECT_EQ(root->GetFirstChild(), nullptr);
    items->Clear();
    EXPECT_EQ(liveNodes, 0);
    EXPECT_EQ(items->GetFirstNode(), nullptr);
}

TEST_F(TreeViewTest, ANodeIsFilledOnItsFirstExpansionOnlyByCodeOrByKey) {
    fw::TTreeNode* root = tree->Items()->AddChild(nullptr, L"r");
    root->SetHasChildren(true);
    fw::TTreeNode* other = tree->Items()->AddChild(nullptr, L"s");
    other->SetHasChildren(true);
    EXPECT_EQ(root->GetFirstChild(), nullptr);  // nothing made before it opens

    root->Expand(false);
    EXPECT_TRUE(root->Expanded());
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"r.0", L"r.1", L"r.2"}));
    root->Collapse(false);
    root->Expand(false);
    EXPECT_EQ(tree->fills, 1);
    EXPECT_EQ(root->Count(), 3);

    // The user opens the other one with the keyboard.
    other->SetSelected(true);
    SendMessageW(tree->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(other->Expanded());
    EXPECT_EQ(tree->fills, 2);
    EXPECT_EQ(other->Count(), 3);
}

TEST_F(TreeViewTest, NodesWithoutImageAreAskedForItWhenDrawnOnce) {
    fw::TImageList images(nullptr);
    images.SetSize(16, 16);
    images.AddIcon(LoadIconW(nullptr, IDI_APPLICATION));
    tree->SetImages(&images);
    fw::TTreeNode* shown = tree->Items()->AddChild(nullptr, L"shown");
    fw::TTreeNode* hidden = tree->Items()->AddChild(shown, L"hidden");
    fw::TTreeNode* known = tree->Items()->AddChild(nullptr, L"known");
    known->SetImageIndex(0);
    UpdateWindow(tree->Handle());
    fw::Application()->ProcessMessages();
    EXPECT_EQ(tree->imageRequests, (std::vector<std::wstring>{L"shown"}));
    EXPECT_EQ(shown->ImageIndex(), 0);
    EXPECT_EQ(hidden->ImageIndex(), -1);  // under a closed parent it is never drawn
    tree->Invalidate();
    UpdateWindow(tree->Handle());
    EXPECT_EQ(tree->imageRequests.size(), 1u);
    tree->SetImages(nullptr);
}

TEST_F(TreeViewTest, ChangeFiresOncePerSelectionChangeOrOnceAfterTheDelayAndNotForClearing) {
    std::vector<std::wstring> changes;
    tree->OnChange = [&](fw::TObject*, fw::TTreeNode* Node) { changes.push_back(Node ? Node->Text() : L"-"); };
    fw::TTreeNode* a = tree->Items()->AddChild(nullptr, L"a");
    fw::TTreeNode* b = tree->Items()->AddChild(nullptr, L"b");
    fw::TTreeNode* c = tree->Items()->AddChild(nullptr, L"c");
    tree->SetSelected(a);
    tree->SetSelected(a);
    b->SetSelected(true);
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"a", L"b"}));
    tree->OnChanging = [&](fw::TObject*, fw::TTreeNode*, bool& Allow) { Allow = false; };
    tree->SetSelected(a);
    EXPECT_EQ(tree->Selected(), b);
    tree->OnChanging = nullptr;

    // Quick selections with a delay: one change, after the last of them.
    changes.clear();
    tree->SetChangeDelay(50);
    tree->SetSelected(a);
    tree->SetSelected(c);
    EXPECT_TRUE(changes.empty());
    const DWORD start = GetTickCount();
    while (changes.empty() && GetTickCount() - start < 5000) fw::Application()->HandleMessage();
    EXPECT_EQ(changes, std::vector<std::wstring>{L"c"});

    tree->SetChangeDelay(0);
    changes.clear();
    tree->Items()->Clear();
    EXPECT_TRUE(changes.empty());
}

// The point of the node's expand button, found by the window's own hit test.
POINT ButtonOf(fw::TTreeView* Tree, fw::TTreeNode* Node) {
    const RECT text = Node->DisplayRect(true);
    const int y = (text.top + text.bottom) / 2;
    for (int x = 0; x < text.left; ++x)
        if (Tree->GetHitTestInfoAt(x, y) & TVHT_ONITEMBUTTON) return POINT{x + 2, y};
    return POINT{-1, -1};
}

TEST_F(TreeViewTest, AClickOnANodeHoldsNoCaptureSoTheNextClickElsewhereActsAtOnce) {
    auto* box = new fw::TCheckBox(form);
    box->SetParent(form);
    box->SetBounds(220, 20, 120, 20);
    // A tree that tells of drags waits for one in a loop of its own after the press.
    tree->SetDragMode(fw::dmAutomatic);
    tree->Items()->AddChild(nullptr, L"a");
    fw::TTreeNode* b = tree->Items()->AddChild(nullptr, L"b");
    fw::Application()->ProcessMessages();
    const RECT r = b->DisplayRect(true);
    testenv::RealClick(tree->Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(tree->Selected(), b);
    EXPECT_EQ(GetCapture(), nullptr);
    testenv::RealClick(box->Handle(), 8, 10);
    EXPECT_TRUE(box->Checked()) << "the click after the tree's was lost";
}

TEST_F(TreeViewTest, CollapsingTheSelectedNodesParentReportsTheParentOnce) {
    std::vector<std::wstring> changes;
    tree->OnChange = [&](fw::TObject*, fw::TTreeNode* Node) { changes.push_back(Node ? Node->Text() : L"-"); };
    fw::TTreeNode* root = tree->Items()->AddChild(nullptr, L"r");
    root->SetHasChildren(true);
    root->Expand(false);
    ASSERT_EQ(root->Count(), 3);
    root->Item(1)->SetSelected(true);
    fw::Application()->ProcessMessages();
    // By the user, on the node's button.
    const POINT button = ButtonOf(tree, root);
    ASSERT_GE(button.x, 0);
    testenv::RealClick(tree->Handle(), button.x, button.y);
    EXPECT_FALSE(root->Expanded());
    EXPECT_EQ(tree->Selected(), root);
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"r.1", L"r"}));
    // By code.
    root->Expand(false);
    root->Item(2)->SetSelected(true);
    changes.clear();
    root->Collapse(false);
    fw::Application()->ProcessMessages();
    EXPECT_EQ(tree->Selected(), root);
    EXPECT_EQ(changes, std::vector<std::wstring>{L"r"});
}

TEST_F(TreeViewTest, ReCreationKeepsNodesObjectsExpansionAndSelection) {
    std::vector<std::wstring> changes;
    fw::TTreeNode* root = tree->Items()->AddChild(nullptr, L"r");
    root->SetHasChildren(true);
    root->Expand(false);
    fw::TTreeNode* child = root->Item(1);
    child->SetSelected(true);
    tree->OnChange = [&](fw::TObject*, fw::TTreeNode* Node) { changes.push_back(Node->Text()); };
    const HWND old = tree->Handle();

    tree->RecreateWnd();
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(tree->Items()->GetFirstNode(), root);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"r.0", L"r.1", L"r.2"}));
    EXPECT_EQ(root->Item(1), child);
    EXPECT_TRUE(root->Expanded());
    EXPECT_EQ(tree->Selected(), child);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(liveNodes, 4);
    // Emptied while its window is gone, the tree comes back empty.
    tree->DestroyHandle();
    tree->Items()->Clear();
    EXPECT_EQ(liveNodes, 0);
    tree->HandleNeeded();
    EXPECT_EQ(tree->Items()->GetFirstNode(), nullptr);
    EXPECT_EQ(tree->Items()->Count(), 0);
}

TEST_F(TreeViewTest, LabelEditsAreAskedForAndEndWithTheTextOrACancel) {
    fw::TTreeNode* root = tree->Items()->AddChild(nullptr, L"root");
    fw::TTreeNode* locked = tree->Items()->AddChild(root, L"locked");
    fw::TTreeNode* open = tree->Items()->AddChild(root, L"open");
    root->Expand(false);
    std::vector<std::wstring> cancelled;
    tree->OnEditing = [&](fw::TObject*, fw::TTreeNode* Node, bool& Allow) { Allow = Node != locked; };
    tree->OnEdited = [](fw::TObject*, fw::TTreeNode*, std::wstring& S) { S += L"!"; };
    tree->OnCancelEdit = [&](fw::TObject*, fw::TTreeNode* Node) { cancelled.push_back(Node->Text()); };

    EXPECT_FALSE(locked->EditText());
    EXPECT_FALSE(tree->IsEditing());
    ASSERT_TRUE(open->EditText());
    HWND editor = HWND(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(editor, L"renamed");
    open->EndEdit(false);
    EXPECT_EQ(open->Text(), L"renamed!");  // the handler's text is the node's and the window's
    wchar_t shown[64]{};
    TVITEMW item{TVIF_TEXT, open->ItemId(), 0, 0, shown, 64, 0, 0, 0, 0};
    SendMessageW(tree->Handle(), TVM_GETITEMW, 0, LPARAM(&item));
    EXPECT_STREQ(shown, L"renamed!");

    ASSERT_TRUE(open->EditText());
    editor = HWND(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    SetWindowTextW(editor, L"typed, then given up");
    SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(cancelled, (std::vector<std::wstring>{L"renamed!"}));
    EXPECT_EQ(open->Text(), L"renamed!");
    // An emptied label is given up too.
    ASSERT_TRUE(open->EditText());
    SetWindowTextW(HWND(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0)), L"");
    open->EndEdit(false);
    EXPECT_EQ(cancelled, (std::vector<std::wstring>{L"renamed!", L"renamed!"}));
    EXPECT_EQ(open->Text(), L"renamed!");

    tree->SetReadOnly(true);
    EXPECT_FALSE(open->EditText());
}

TEST_F(TreeViewTest, OnlyAnAutomaticDragModeLetsTheWindowTellOfDraggedItems) {
    const auto dragsTold = [&] { return (GetWindowLongW(tree->Handle(), GWL_STYLE) & TVS_DISABLEDRAGDROP) == 0; };
    EXPECT_EQ(tree->DragMode(), fw::dmManual);
    EXPECT_FALSE(dragsTold());
    tree->SetDragMode(fw::dmAutomatic);
    EXPECT_TRUE(dragsTold());
    tree->RecreateWnd();
    EXPECT_TRUE(dragsTold());
    tree->SetDragMode(fw::dmManual);
    EXPECT_FALSE(dragsTold());
}

// --- Splitter --------------------------------------------------------------------------

TEST(SplitterTest, DraggingResizesTheControlItFollowsWithinMinSize) {
    auto* form = testenv::NewPlacedForm(40, 40, 400, 200);
    auto* left = new fw::TTreeView(form);
    left->SetParent(form);
    left->SetWidth(100);
    left->SetAlign(fw::alLeft);
    auto* splitter = new fw::TSplitter(form);
    splitter->SetParent(form);
    splitter->SetLeft(150);
    splitter->SetAlign(fw::alLeft);
    auto* rest = new fw::TTreeView(form);
    rest->SetParent(form);
    rest->SetAlign(fw::alClient);
    form->Show();
    ASSERT_EQ(splitter->Left(), 100);
    EXPECT_EQ(splitter->FindControl(), left);
    EXPECT_EQ(splitter->Cursor(), fw::crHSplit);
    int moved = 0;
    splitter->OnMoved = [&](fw::TObject*) { ++moved; };

    splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
    splitter->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(41, 10));
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(splitter->Left(), 140);
    splitter->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-500, 10));  // from where the bar now is
    EXPECT_EQ(left->Width(), 30);
    splitter->Perform(WM_LBUTTONUP, 0, MAKELPARAM(-500, 10));
    EXPECT_EQ(moved, 1);

    splitter->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
    splitter->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1000, 10));
    splitter->Perform(WM_LBUTTONUP, 0, MAKELPARAM(1000, 10));
    EXPECT_EQ(left->Width(), form->ClientWidth() - 3 - 30);  // the rest keeps MinSize
    delete form;
}

}  // namespace

// How many pixels of the window's client rectangle Rect have the colour.
int PixelsOf(HWND Window, RECT Rect, COLORREF Colour) {
    const fw::WindowDC dc(Window);
    int count = 0;
    for (LONG y = Rect.top; y < Rect.bottom; ++y)
        for (LONG x = Rect.left; x < Rect.right; ++x) count += GetPixel(dc.get(), x, y) == Colour;
    return count;
}

TEST_F(TreeViewTest, TheTreeIsDrawnOnItsOwnColourAroundAndBelowItsRowsWithOrWithoutTheExplorerTheme) {
    fw::TTreeNode* root = tree->Items()->AddChild(nullptr, L"root");
    fw::TTreeNode* child = tree->Items()->AddChild(root, L"child");
    tree->Items()->AddChild(root, L"second");
    root->SetHasChildren(true);
    root->Expand(false);
    ASSERT_TRUE(root->Expanded());
    tree->SetColor(fw::clInfoBk);
    tree->SetHeight(150);  // wholly inside the form
    const COLORREF colour = fw::ColorToRGB(fw::clInfoBk);
    const HWND wnd = tree->Handle();
    for (const wchar_t* theme : {static_cast<const wchar_t*>(nullptr), L"explorer"}) {
        SetWindowTheme(wnd, theme, nullptr);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const std::string where = theme ? "explorer theme" : "own theme";
        RECT client{}, row{}, label{};
        GetClientRect(wnd, &client);
        ASSERT_TRUE(TreeView_GetItemRect(wnd, reinterpret_cast<HTREEITEM>(child->ItemId()), &row, FALSE)) << where;
        TreeView_GetItemRect(wnd, reinterpret_cast<HTREEITEM>(child->ItemId()), &label, TRUE);
        // Beside the text, under it and below the last row: all the tree's colour.
        const RECT beside{label.right + 2, row.top, client.right, row.bottom};
        const RECT below{0, client.bottom - 20, client.right, client.bottom};
        EXPECT_EQ(PixelsOf(wnd, beside, colour), (beside.right - beside.left) * (beside.bottom - beside.top)) << where;
        EXPECT_EQ(PixelsOf(wnd, below, colour), (below.right - below.left) * 20) << where;
        EXPECT_GT(PixelsOf(wnd, label, colour), (label.right - label.left) * (label.bottom - label.top) / 2) << where;
        // The last row keeps its text: the colour below the rows starts under it.
        RECT lastLabel{};
        TreeView_GetItemRect(wnd, reinterpret_cast<HTREEITEM>(root->GetLastChild()->ItemId()), &lastLabel, TRUE);
        const int lastArea = (lastLabel.right - lastLabel.left) * (lastLabel.bottom - lastLabel.top);
        EXPECT_GT(lastArea - PixelsOf(wnd, lastLabel, colour), 0) << where;
        // The lines to the child rows are still drawn.
        const RECT indent{row.left, row.top, label.left - 2, row.bottom};
        EXPECT_GT((indent.right - indent.left) * (indent.bottom - indent.top) - PixelsOf(wnd, indent, colour), 0)
            << where;
    }
}
