#pragma once
// A selection list of its own per test, with the shell library started and a
// small tree on the scratch drive: Root\Data holding a.txt (10 bytes), b.txt (20)
// and sub\c.txt (30), and Root\other.txt (5), a neighbour that stays unchecked so
// no climb goes above Data.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "shell/ShellLibrary.h"
#include "shell/ZemSelectionList.h"
#include "tests/shell/ScratchTree.h"

class SelectionListFixture : public testing::Test {
protected:
    using Names = std::vector<std::wstring>;

    void SetUp() override {
        shell::ShellLibraryStartup();
        root = testenv::NewScratchFolder(L"selection");
        data = scratch::MakeFolder(root + L"\\Data");
        scratch::MakeFile(data + L"\\a.txt", 10);
        scratch::MakeFile(data + L"\\b.txt", 20);
        scratch::MakeFolder(data + L"\\sub");
        scratch::MakeFile(data + L"\\sub\\c.txt", 30);
        scratch::MakeFile(root + L"\\other.txt", 5);
        list = std::make_unique<shell::TZemSelectionList>(nullptr);
    }
    void TearDown() override {
        list.reset();
        shell::ShellLibraryShutdown();
    }

    // The entries, sorted.
    Names Paths() const {
        Names paths;
        for (int i = 0; i < list->Paths()->Count(); ++i) paths.push_back(list->Paths()->Strings(i));
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    std::wstring root, data;
    std::unique_ptr<shell::TZemSelectionList> list;
};
