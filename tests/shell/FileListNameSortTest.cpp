// The file list's sort by name, which orders the rows through keys made once per
// row: it ends in the order of the logical comparison itself, folders first and
// ties in their first order, both ways, whatever the names hold (numbers long
// and short, leading zeros, case, punctuation, letters beyond ASCII).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "shell/PathUtils.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "tests/common/TestEnv.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;

TEST(FileListNameSort, EndsInTheOrderOfTheLogicalComparison) {
    ShellLibraryStartup();
    const std::wstring root = testenv::NewScratchFolder(L"namesort");
    CreateDirectoryW((root + L"\\m folder").c_str(), nullptr);
    // The last six reach beyond printable ASCII.
    std::vector<std::wstring> names;
    const std::wstring all =
        L"b10.txt|b9.txt|B9.txt|m folder|a 2|a 10|a-1|a_1|a.1|x00012|x12|x012a|x0|x00|z|Z|file.txt|file1.txt|"
        L"file.1.txt|~tilde|#hash| lead|x99999999999999999999|x100000000000000000000|x12b|x12.b|ete|"
        L"\u00e9t\u00e9|\u00c4ra 9|\u00e4ra 10|\u0416\u0443\u043a|tab\tname|\u00df";
    for (size_t start = 0, bar; start <= all.size(); start = bar + 1) {
        bar = std::min(all.find(L'|', start), all.size());
        names.push_back(all.substr(start, bar - start));
    }
    auto* form = new fw::TForm(nullptr);
    auto* list = new TZemFileList(form);
    list->SetParent(form);
    list->SetCheckIfExists(false);
    form->Show();
    const auto rows = [&] {
        std::vector<std::wstring> paths;
        for (int i = 0; i < list->Items()->Count(); ++i) paths.push_back(list->Items()->Item(i)->FullPath());
        return paths;
    };
    // Names within printable ASCII first (their keys hold), then every name.
    for (const size_t count : {names.size() - 6, names.size()}) {
        for (size_t i = size_t(list->Items()->Count()); i < count; ++i) list->AddItem(root + L"\\" + names[i]);
        for (const int sign : {1, -1}) {
            std::vector<std::wstring> expected = rows();
            std::stable_sort(expected.begin(), expected.end(), [&](const std::wstring& A, const std::wstring& B) {
                const bool folderA = fw::ExtractFileName(A) == L"m folder",
                           folderB = fw::ExtractFileName(B) == L"m folder";
                if (folderA != folderB) return (folderA ? -1 : 1) * sign < 0;
                return CompareTextLogical(fw::ExtractFileName(A), fw::ExtractFileName(B)) * sign < 0;
            });
            list->SortColumn(0);
            if (list->Descending() != (sign < 0)) list->SortColumn(0);
            EXPECT_EQ(rows(), expected) << count << " " << sign;
        }
    }
    delete form;
    pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; });
    ShellLibraryShutdown();
}
