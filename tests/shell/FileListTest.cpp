// The file list on a generated tree: rows and detail texts, sorting (sizes and
// dates by value, names by the logical comparison), a stop and restart while hits
// are handed over, change notices, a list that goes with work pending, and the
// texts made from what the search held, each kind proved against the shell's.
#include <algorithm>
#include <memory>
#include <set>

#include "framework/SysUtils.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "tests/shell/FileListFixture.h"

using namespace shell;
using filelisttest::FileTimeAt;
using filelisttest::MakeTimedFile;
using filelisttest::Paths;
using pooltest::PumpUntil;

namespace {

constexpr int64_t kDay = 864000000000;

Paths Sorted(Paths P) {
    std::sort(P.begin(), P.end());
    return P;
}

// Each detail text of a row equals the shell's own, in the column whose caption names it.
void ExpectShellTexts(TZemFileList* List, TZemFileListItem* Item) {
    std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Item->FullPath());
    ASSERT_TRUE(browser && browser->InitDetails());
    ASSERT_EQ(Item->SubItems().Count(), List->ColumnCount() - 1);
    for (int column = 2; column < List->ColumnCount(); ++column) {
        std::wstring shell;
        browser->GetDetails(column - 1, false, shell);
        EXPECT_EQ(Item->SubItems()[column - 1], shell) << Item->FullPath() << " column " << column;
    }
}

class FileList : public filelisttest::TFileListTest<> {
protected:
    void SetUp() override {
        TFileListTest::SetUp();
        MakeList(L"filelist");
        // Names, sizes and dates in three different orders.
        MakeTimedFile(root + L"\\a.txt", 10, FileTimeAt(2020, 6, 1, 12, 0));
        MakeTimedFile(root + L"\\b.dat", 300, FileTimeAt(2019, 6, 1, 12, 0));
        MakeTimedFile(root + L"\\c.txt", 20, FileTimeAt(2021, 6, 1, 12, 0));
        scratch::MakeFolder(root + L"\\sub");
        MakeTimedFile(root + L"\\sub\\d.txt", 5, FileTimeAt(2018, 6, 1, 12, 0));
    }
    int ColumnOf(const std::wstring& Caption) const {
        for (int i = 0; i < list->Columns()->Count(); ++i)
            if (list->Columns()->Items(i)->Caption() == Caption) return i;
        return -1;
    }
    fw::PidlPtr Pidl(const std::wstring& Path) { return fw::PidlPtr(PathToPidl(nullptr, Path)); }
    // A notice as the shell would send it, then its delivery on this thread.
    void Notice(TNotificationEvent Event, LPCITEMIDLIST First, LPCITEMIDLIST Second = nullptr) {
        list->Notifier()->HandleNotification(ShellEventOf(Event), First, Second);
        ASSERT_TRUE(PumpUntil(filelisttest::PoolIdle));
        pooltest::PumpFor(20);
    }
};

}  // namespace

TEST_F(FileList, RowsAndDetailTextsOfAFolderAndOfARecursiveSearch) {
    Search(root);
    EXPECT_EQ(Sorted(Rows()), Sorted({root + L"\\a.txt", root + L"\\b.dat", root + L"\\c.txt", root + L"\\sub"}));
    ASSERT_GE(list->ColumnCount(), 5);
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), L"In Folder");
    TZemFileListItem* b = list->FindItemByPath(root + L"\\B.DAT\\");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Caption(), L"b.dat");
    EXPECT_EQ(b->SubItems()[0], root + L"\\");
    ExpectShellTexts(list, b);

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
}

TEST_F(FileList, SortsByEveryColumnBothWaysSizesAndDatesByValue) {
    Search(root);
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
            if (column == size || column == date || prev->IsFolder() != item->IsFolder()) continue;
            EXPECT_LE(CompareTextLogical(prev->SubItems()[column - 1], item->SubItems()[column - 1]), 0) << column;
        }
    }
    // The direction is the list's own.
    TZemFileList other(nullptr);
    EXPECT_FALSE(other.Descending());
    list->SortColumn(99);  // beyond the last column: the name column
    EXPECT_EQ(Rows(), (Paths{sub, a, b, c}));
}

// Names sort through keys made once per row, yet end in the logical comparison's
// own order, folders first and ties as they were, both ways, whatever the names hold.
TEST_F(FileList, NamesSortInTheOrderOfTheLogicalComparison) {
    list->SetCheckIfExists(false);
    scratch::MakeFolder(root + L"\\m folder");
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
    // Names within printable ASCII first (their keys hold), then every name.
    for (const size_t count : {names.size() - 6, names.size()}) {
        for (size_t i = size_t(list->Items()->Count()); i < count; ++i) list->AddItem(root + L"\\" + names[i]);
        for (const int sign : {1, -1}) {
            Paths expected = Rows();
            std::stable_sort(expected.begin(), expected.end(), [&](const std::wstring& A, const std::wstring& B) {
                const bool folderA = fw::ExtractFileName(A) == L"m folder",
                           folderB = fw::ExtractFileName(B) == L"m folder";
                if (folderA != folderB) return (folderA ? -1 : 1) * sign < 0;
                return CompareTextLogical(fw::ExtractFileName(A), fw::ExtractFileName(B)) * sign < 0;
            });
            list->SortColumn(0);
            if (list->Descending() != (sign < 0)) list->SortColumn(0);
            EXPECT_EQ(Rows(), expected) << count << " " << sign;
        }
    }
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
    Search(root);
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

    // A renamed folder takes the rows below it along (in a recursive listing).
    Search(root, true);
    fw::PidlPtr folder = Pidl(root + L"\\sub");
    MoveFileW((root + L"\\sub").c_str(), (root + L"\\moved").c_str());
    Notice(neFolderRename, folder.get(), Pidl(root + L"\\moved").get());
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
    ASSERT_TRUE(PumpUntil(filelisttest::PoolIdle));
    pooltest::PumpFor(50);

    // A list that stays removes the rows whose paths are missing.
    form = new fw::TForm(nullptr);
    list = new TZemFileList(form);
    list->SetParent(form);
    for (int i = 0; i < 10; ++i) list->AddItem(root + (i % 2 ? L"\\a.txt" : L"\\missing.txt"));
    ASSERT_TRUE(PumpUntil([&] { return list->Items()->Count() == 5 && filelisttest::PoolIdle(); }));
}

namespace {

// A hidden list: every row is filled at once, none by being shown.
class FileListHeldTexts : public filelisttest::TFileListTest<> {
protected:
    void SetUp() override {
        TFileListTest::SetUp();
        MakeList(L"heldtexts", false);
    }
    void ListAndCompare(const std::wstring& Folder) {
        Search(Folder);
        ASSERT_GT(list->Items()->Count(), 0);
        list->FillTexts();
        for (int i = 0; i < list->Items()->Count(); ++i) ExpectShellTexts(list, list->Items()->Item(i));
    }
};

}  // namespace

// Sizes, dates and attributes made from what the search held equal the shell's
// texts; where a made text would differ, the column is the shell's.
TEST_F(FileListHeldTexts, MadeTextsEqualTheShellsAndADifferingColumnIsTheShells) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t recent = int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const std::wstring plain = scratch::MakeFolder(root + L"\\plain");
    const int64_t sizes[] = {0, 1, 1023, 1024, 1025, 999999, 1048576, 123456789};
    const int64_t times[] = {FileTimeAt(1999, 1, 31, 23, 59), FileTimeAt(2011, 7, 4, 0, 0), recent - 3 * kDay,
                             recent - kDay / 24};
    for (size_t i = 0; i < std::size(sizes); ++i)
        MakeTimedFile(plain + L"\\f" + std::to_wstring(i) + L".txt", sizes[i], times[i % std::size(times)]);
    MakeTimedFile(plain + L"\\readonly.txt", 5, times[1], FILE_ATTRIBUTE_READONLY);
    // Many rows of one kind: only the first is compared, the others are made.
    for (int i = 0; i < 40; ++i) MakeTimedFile(plain + L"\\same" + std::to_wstring(i) + L".dat", 4096, times[0]);
    scratch::MakeFolder(plain + L"\\sub");
    ListAndCompare(plain);
    for (TZemColumnKind kind : {ckSize, ckDate, ckAttributes}) EXPECT_FALSE(list->HeldTexts().Refused(kind)) << kind;

    // Sizes past 4 GB and dates before 1980: whatever the shell writes, the list writes.
    const std::wstring odd = scratch::MakeFolder(root + L"\\odd");
    MakeTimedFile(odd + L"\\big.bin", (int64_t(5) << 30) + 12345, times[1]);
    MakeTimedFile(odd + L"\\old.txt", 10, FileTimeAt(1975, 5, 6, 7, 8));
    MakeTimedFile(odd + L"\\new.txt", 10, times[0]);
    ListAndCompare(odd);

    // A routine that writes other texts: its column falls back to the shell.
    list->HeldTexts().SetFormat(ckSize, [](const TZemFindData& Data) { return std::to_wstring(Data.Size); });
    ListAndCompare(plain);
    EXPECT_TRUE(list->HeldTexts().Refused(ckSize));
    EXPECT_FALSE(list->HeldTexts().Refused(ckDate));
}
