#pragma once
// A shell tree on a form, rooted at the computer, showing a scratch folder, with
// its operations recorded; and waiting for the tree's background results.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Application.h"
#include "framework/StringList.h"
#include "shell/ZemShellTree.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"

namespace treetest {

struct Operation {
    shell::TZemShellOperations Operations;
    std::vector<std::wstring> Files;
    std::wstring Destination;
    bool operator==(const Operation&) const = default;
};

inline void PrintTo(const Operation& Op, std::ostream* Out) {
    *Out << "{" << Op.Operations.Bits() << ", " << ::testing::PrintToString(Op.Files) << ", "
         << ::testing::PrintToString(Op.Destination) << "}";
}

inline fw::TTreeNode* ChildNamed(fw::TTreeNode* Node, const std::wstring& Text) {
    for (fw::TTreeNode* c = Node ? Node->GetFirstChild() : nullptr; c; c = c->GetNextSibling())
        if (c->Text() == Text) return c;
    return nullptr;
}

inline std::vector<std::wstring> ChildTexts(fw::TTreeNode* Node) {
    std::vector<std::wstring> texts;
    for (fw::TTreeNode* c = Node->GetFirstChild(); c; c = c->GetNextSibling()) texts.push_back(c->Text());
    return texts;
}

// Runs the message loop until Done or 10 s have passed; Done's last answer.
inline bool WaitFor(const std::function<bool()>& Done) {
    const DWORD start = GetTickCount();
    while (!Done()) {
        if (GetTickCount() - start > 10000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        fw::Application()->ProcessMessages();
    }
    return true;
}

inline POINT ScreenCentre(fw::TTreeNode* Node) {
    const RECT r = Node->DisplayRect(true);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Node->TreeView()->Handle(), &p);
    return p;
}

class ShellTreeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        form = testenv::NewPlacedForm(20, 20, 420, 500);
        tree = NewTree(form);
        tree->SetRootedAt(shell::SF_DRIVES);
        tree->SetShowNethood(false);
        tree->SetShowRecycleBin(false);
        tree->SetBounds(0, 0, 400, 480);
        tree->SetParent(form);
        form->Show();
        tree->OnOperation = [this](fw::TObject*, shell::TZemShellOperations Ops, fw::TStringList* Files,
                                   const std::wstring& Destination) {
            Operation op{Ops, {}, Destination};
            for (int i = 0; i < Files->Count(); ++i) op.Files.push_back(Files->Strings(i));
            operations.push_back(op);
        };
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        delete form;
        fw::Application()->ProcessMessages();
    }
    virtual shell::TZemShellTree* NewTree(fw::TComponent* Owner) { return new shell::TZemShellTree(Owner); }
    // Selects and opens Folder.
    fw::TTreeNode* Open(const std::wstring& Folder) {
        EXPECT_TRUE(tree->SetSelectedFolder(Folder)) << Folder;
        fw::TTreeNode* node = tree->Selected();
        if (node) node->Expand(false);
        return node;
    }
    void Key(WORD VirtualKey, LPARAM Flags = 0) { SendMessageW(tree->Handle(), WM_KEYDOWN, VirtualKey, Flags | 1); }
    // A context menu asked for by keyboard: (-1, -1) stands for no point.
    void KeyboardMenu() { SendMessageW(tree->Handle(), WM_CONTEXTMENU, WPARAM(tree->Handle()), LPARAM(-1)); }
    static constexpr LPARAM kCtrl = 0x10000000, kShift = 0x08000000;

    fw::TForm* form = nullptr;
    shell::TZemShellTree* tree = nullptr;
    std::vector<Operation> operations;
};

}  // namespace treetest
