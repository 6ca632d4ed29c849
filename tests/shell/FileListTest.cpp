// The file list on a generated tree: rows and detail texts of a folder and of a
// recursive search, drive-root rows, sorting by every column both ways (sizes
// and dates by value, where the shell's own comparison sorts by name), a stop
// and restart while hits are handed over, the reaction to change notices, and a
// list that goes while its work items are pending.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"
#include "tests/common/PlacedForm.h"

using namespace shell;
using pooltest::PumpUntil;

namespace {

void SetWriteTime(const std::wstring& Path, WORD Year) {
    HANDLE h = CreateFileW(Path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SYSTEMTIME st{};
    st.wYear = Year;
    st.wMonth = 6;
    st.wDay = 1;
    st.wHour = 12;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

using Paths = std::vector<std::wstring>;

class FileList : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        root = testenv::NewScratchFolder(L"filelist");
        // Names, sizes and dates in three different orders.
        scratch::MakeFile(root + L"\\a.txt", 10);
        scratch::MakeFile(root + L"\\b.dat", 300);
        scratch::MakeFile(root + L"\\c.txt", 20);
        scratch::MakeFolder(root + L"\\sub");
        scratch::MakeFile(root + L"\\sub\\d.txt", 5);
        SetWriteTime(root + L"\\a.txt", 2020);
        SetWriteTime(root + L"\\b.dat", 2019);
        SetWriteTime(root + L"\\c.txt", 2021);
        SetWriteTime(root + L"\\sub\\d.txt", 2018);
        form = testenv::NewPlacedForm(30, 30, 700, 400);
        list = testenv::NewFillingControl<TZemFileList>(form);
        list->OnEndSearch = [this] { ++ends; };
        list->SearchOptions()->SetAutoWildcard(false);
        list->SearchOptions()->SetFilter(L"*");
        form->Show();
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        delete form;
        PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; });
        ShellLibraryShutdown();
    }
    void Search(const std::wstring& Folder, bool Recursive) {
        list->StopSearch();
        list->Clear();
        list->SearchOptions()->SetRecursiveSearch(Recursive);
        const int before = ends;
        list->StartSearch(Folder);
        ASSERT_TRUE(PumpUntil([&] { return ends > before; }));
    }
    Paths Rows() const {
        Paths rows;
        for (int i = 0; i < list->Items()->Count(); ++i) rows.push_back(list->Items()->Item(i)->FullPath());
        return rows;
    }
    static Paths Sorted(Paths P) {
        std::sort(P.begin(), P.end());
        return P;
    }
    int ColumnOf(const std::wstring& Caption) const {
        for (int i = 0; i < list->Columns()->Count(); ++i)
            if (list->Columns()->Items(i)->Caption() == Caption) return i;
        return -1;
    }
    // The text the shell gives for a path in a list column, through a browser of its own.
    std::wstring ShellText(const std::wstring& Path, int ListColumn) {
        std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Path);
        std::wstring text;
        if (browser && browser->InitDetails()) browser->GetDetails(ListColumn - 1, false, text);
        return text;
    }
    fw::PidlPtr Pidl(const std::wstring& Path) { return fw::PidlPtr(PathToPidl(nullptr, Path)); }
    // A notice as the shell would send it, then its delivery on this thread.
    void Notice(TNotificationEvent Event, LPCITEMIDLIST First, LPCITEMIDLIST Second = nullptr) {
        list->Notifier()->HandleNotification(ShellEventOf(Event), First, Second);
        ASSERT_TRUE(PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
        pooltest::PumpFor(20);
    }

    std::wstring root;
    fw::TForm* form = nullptr;
    TZemFileList* list = nullptr;
    int ends = 0;
};

}  // namespace

TEST_F(FileList, RowsAndDetailTextsOfAFolderAndOfARecursiveSearch) {
    Search(root, false);
    EXPECT_EQ(Sorted(Rows()), Sorted({root + L"\\a.txt", root + L"\\b.dat", root + L"\\c.txt", root + L"\\sub"}));
    ASSERT_GE(list->ColumnCount(), 5);
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), L"In Folder");
    TZemFileListItem* b = list->FindItemByPath(root + L"\\B.DAT\\");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Caption(), L"b.dat");
    ASSERT_EQ(b->SubItems().Count(), list->ColumnCount() - 1);
    EXPECT_EQ(b->SubItems()[0], root + L"\\");
    // Every detail text sits in the column whose caption names it.
    for (int column = 2; column < list->ColumnCount(); ++column)
        EXPECT_EQ(b->SubItems()[column - 1], ShellText(b->FullPath(), column)) << column;

    // A new window (a style change re-creates it) shows the same rows in the same order.
    const Paths before = Rows();
    list->RecreateWnd();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(int(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0)), list->Items()->Count());

    // The hint of a row is the control's hint followed by the shell's tip for it.
    list->SetHint(L"Files");
    list->SetShowHint(true);
    const RECT bounds = list->Items()->Item(0)->DisplayRect(fw::drBounds);
    fw::THintInfo info;
    info.CursorPos = POINT{bounds.left + 2, (bounds.top + bounds.bottom) / 2};
    list->Perform(fw::CM_HINTSHOW, 0, &info);
    EXPECT_EQ(info.HintStr.substr(0, 7), L"Files\r\n");
    EXPECT_EQ(info.CursorRect.top, bounds.top);
    EXPECT_EQ(info.CursorRect.bottom, bounds.bottom);

    Search(root, true);
    EXPECT_EQ(Sorted(Rows()), Sorted({root + L"\\a.txt", root + L"\\b.dat", root + L"\\c.txt", root + L"\\sub",
                                      root + L"\\sub\\d.txt"}));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(list->CurrentSearchThread(), nullptr);
}

TEST_F(FileList, AddingEventsSeeTheTextsAndDriveRootsKeepTheirColumns) {
    std::vector<std::wstring> order;
    list->OnChange = [&](fw::TObject*, fw::TListItem* Item, fw::TItemChange Change) {
        if (Change == fw::ctText) order.push_back(L"text " + Item->Caption());
    };
    list->OnAddItem = [&](TZemFileListItem* Item, bool& CanAdd) {
        order.push_back(L"add " + Item->SubItems()[0]);
        CanAdd = Item->FullPath().find(L"c.txt") == std::wstring::npos;
    };
    int refusedPaths = 0;
    list->OnAddPath = [&](const std::wstring&, bool&) { ++refusedPaths; };
    EXPECT_NE(list->AddItem(root + L"\\a.txt"), nullptr);
    EXPECT_EQ(list->AddItem(root + L"\\c.txt"), nullptr);  // refused by the handler
    EXPECT_EQ(list->AddItem(L""), nullptr);
    EXPECT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(refusedPaths, 1);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], L"text a.txt");  // filled before the handler gets the texts
    EXPECT_EQ(order[1], L"add " + root + L"\\");

    list->OnAddItem = nullptr;
    TZemFileListItem* drive = list->AddItem(testenv::ScratchRoot());
    ASSERT_NE(drive, nullptr);
    ASSERT_GE(drive->SubItems().Count(), 1);
    EXPECT_EQ(drive->SubItems()[0], L"");  // no in-folder text, and nothing moves left
    EXPECT_EQ(drive->SubItems().Count(), list->ColumnCount() - 1);

    list->SetAllowDuplicates(false);
    EXPECT_EQ(list->AddItem(root + L"\\A.TXT\\"), list->Items()->Item(0));

    list->OnCreateItemClass = [](fw::TCustomListView*, fw::TListItemFactory& Factory) {
        Factory = [](fw::TListItems* Owner) { return new fw::TListItem(Owner); };
    };
    try {
        list->AddItem(root + L"\\b.dat");
        ADD_FAILURE() << "a foreign item class was taken";
    } catch (const fw::EInvalidArgument& e) {
        EXPECT_EQ(std::wstring(e.Message()),
                  L"Internal Error: TZemCustomFileList.CreateListItem: ItemClass must inherit from TZemFileListItem.");
    }
}

TEST_F(FileList, SortsByEveryColumnBothWaysSizesAndDatesByValue) {
    Search(root, false);
    const int size = ColumnOf(L"Size") >= 0 ? ColumnOf(L"Size") : 2;
    const int date = ColumnOf(L"Modified") >= 0 ? ColumnOf(L"Modified") : ColumnOf(L"Date modified");
    ASSERT_GT(date, 1);
    const std::wstring a = root + L"\\a.txt", b = root + L"\\b.dat", c = root + L"\\c.txt", sub = root + L"\\sub";
    struct Case {
        int column;
        Paths ascending;
    } cases[] = {
        {0, {sub, a, b, c}},     // folders first, then by name
        {size, {sub, a, c, b}},  // 10, 20, 300 bytes: not the name order
        {date, {sub, b, a, c}},  // 2019, 2020, 2021
    };
    for (const Case& k : cases) {
        list->SortColumn(k.column);
        EXPECT_FALSE(list->Descending());
        EXPECT_EQ(Rows(), k.ascending) << k.column;
        list->SortColumn(k.column);
        EXPECT_TRUE(list->Descending());
        EXPECT_EQ(Rows(), Paths(k.ascending.rbegin(), k.ascending.rend())) << k.column;
    }
    // Text columns: in-folder texts tie, so captions decide; every other column
    // orders by its texts, which were all filled before the sort.
    for (int column = 1; column < list->Columns()->Count(); ++column) {
        list->SortColumn(column);
        if (list->Descending()) list->SortColumn(column);
        for (int i = 1; i < list->Items()->Count(); ++i) {
            TZemFileListItem* prev = list->Items()->Item(i - 1);
            TZemFileListItem* item = list->Items()->Item(i);
            EXPECT_TRUE(item->TextsFilled());
            // Shell columns put folders first, as the shell orders them.
            if (column == size || column == date || column == 0 || prev->IsFolder() != item->IsFolder()) continue;
            EXPECT_LE(CompareTextLogical(prev->SubItems()[column - 1], item->SubItems()[column - 1]), 0) << column;
        }
    }
    // The direction is the list's own.
    TZemFileList other(nullptr);
    EXPECT_FALSE(other.Descending());
    list->SortColumn(99);  // beyond the last column: the name column
    EXPECT_EQ(Rows(), (Paths{sub, a, b, c}));
}

TEST_F(FileList, StopAndRestartWhileHitsAreHandedOver) {
    const std::wstring big = scratch::MakeFolder(root + L"\\big");
    for (int i = 0; i < 3000; ++i) scratch::MakeFile(big + L"\\f" + std::to_wstring(i) + L".txt");
    int added = 0;
    bool stopWanted = false;
    // A stop asked for in the middle of a batch: the batch's other hits are dropped.
    list->OnAddItem = [&](TZemFileListItem*, bool&) {
        if (++added == 100) {
            stopWanted = true;
            list->CurrentSearchThread()->Terminate();
        }
    };
    list->SearchOptions()->SetRecursiveSearch(true);
    list->StartSearch(big);
    ASSERT_TRUE(PumpUntil([&] { return stopWanted || ends > 0; }));
    list->StopSearch();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(list->Items()->Count(), 100);
    list->OnAddItem = nullptr;
    Search(big, true);
    EXPECT_EQ(list->Items()->Count(), 3000);
    std::set<std::wstring> unique;
    for (const std::wstring& p : Rows()) unique.insert(fw::AnsiUpperCase(p));
    EXPECT_EQ(unique.size(), 3000u);
}

TEST_F(FileList, FollowsNoticesInsideTheListingOnly) {
    list->SetAutomaticRefresh(true);
    Search(root, false);
    ASSERT_TRUE(list->Notifier()->Enabled());

    scratch::MakeFile(root + L"\\new.txt");
    Notice(neFileCreate, Pidl(root + L"\\new.txt").get());
    EXPECT_NE(list->FindItemByPath(root + L"\\new.txt"), nullptr);
    // Outside the listing: below a non-recursive search, and another folder.
    scratch::MakeFile(root + L"\\sub\\deep.txt");
    Notice(neFileCreate, Pidl(root + L"\\sub\\deep.txt").get());
    const std::wstring elsewhere = testenv::NewScratchFolder(L"elsewhere");
    scratch::MakeFile(elsewhere + L"\\x.txt");
    Notice(neFileCreate, Pidl(elsewhere + L"\\x.txt").get());
    EXPECT_EQ(list->FindItemByPath(root + L"\\sub\\deep.txt"), nullptr);
    EXPECT_EQ(list->FindItemByPath(elsewhere + L"\\x.txt"), nullptr);

    fw::PidlPtr gone = Pidl(root + L"\\a.txt");
    DeleteFileW((root + L"\\a.txt").c_str());
    Notice(neFileDelete, gone.get());
    EXPECT_EQ(list->FindItemByPath(root + L"\\a.txt"), nullptr);

    fw::PidlPtr before = Pidl(root + L"\\c.txt");
    MoveFileW((root + L"\\c.txt").c_str(), (root + L"\\c2.txt").c_str());
    Notice(neFileRename, before.get(), Pidl(root + L"\\c2.txt").get());
    TZemFileListItem* renamed = list->FindItemByPath(root + L"\\c2.txt");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->Caption(), L"c2.txt");
    EXPECT_EQ(list->Items()->Count(), 4);  // b.dat, c2.txt, sub, new.txt
}

TEST_F(FileList, RenamedFolderTakesItsRowsAlong) {
    list->SetAutomaticRefresh(true);
    Search(root, true);
    fw::PidlPtr before = Pidl(root + L"\\sub");
    MoveFileW((root + L"\\sub").c_str(), (root + L"\\moved").c_str());
    Notice(neFolderRename, before.get(), Pidl(root + L"\\moved").get());
    EXPECT_NE(list->FindItemByPath(root + L"\\moved"), nullptr);
    TZemFileListItem* inside = list->FindItemByPath(root + L"\\moved\\d.txt");
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->SubItems()[0], root + L"\\moved\\");
    EXPECT_EQ(list->FindItemByPath(root + L"\\sub\\d.txt"), nullptr);
}

TEST_F(FileList, ListThatGoesWithWorkPendingReceivesNothing) {
    // Rows added by path queue existence checks; shown rows queue icons.
    for (int i = 0; i < 300; ++i) list->AddItem(root + (i % 2 ? L"\\a.txt" : L"\\missing.txt"));
    UpdateWindow(list->Handle());
    delete form;
    form = nullptr;
    ASSERT_TRUE(PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; }));
    pooltest::PumpFor(50);

    // A list that stays removes the rows whose paths are missing.
    form = new fw::TForm(nullptr);
    list = new TZemFileList(form);
    list->SetParent(form);
    for (int i = 0; i < 10; ++i) list->AddItem(root + (i % 2 ? L"\\a.txt" : L"\\missing.txt"));
    ASSERT_TRUE(PumpUntil([&] { return list->Items()->Count() == 5 && GlobalWorkerPool->PendingCount() == 0; }));
}
