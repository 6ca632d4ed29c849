// The file list on a generated tree: rows, detail texts (also made from what the
// search held), sorting, stops, change notices, keys, menus, drops, images and check
// boxes. Menus are answered through the framework's track hook; nothing asks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/LongPathFind.h"
#include "shell/MenuFromCollection.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellDropData.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "shell/ZemShellLink.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"
#include "tests/shell/FileListFixture.h"

using namespace filelisttest;

namespace {

// The colour of a pixel of image Index of an image list.
COLORREF ImagePixel(fw::TCustomImageList* List, int Index, int X, int Y) {
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(List->Handle(), Index, &info)) return CLR_INVALID;
    const DWORD p = fw::ReadPixels32(info.hbmImage).At(info.rcImage.left + X, Y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// Colours the same but for rounding (the image list may store a step off).
bool Near(COLORREF A, COLORREF B) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > 2) return false;
    return true;
}

}  // namespace

TEST_F(FileList, RowsAddedByPathOrBySearchWithTheirDetailTexts) {
    std::vector<std::wstring> order;
    list->OnChange = [&](fw::TObject*, fw::TListItem* Item, fw::TItemChange Change) {
        if (Change == fw::ctText) order.push_back(L"text " + Item->Caption());
    };
    list->OnAddItem = [&](TZemFileListItem* Item, bool& CanAdd) {
        order.push_back(L"add " + (Item->SubItems().Count() > 0 ? Item->SubItems()[0] : L"(no texts)"));
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
    list->OnChange = nullptr;
    TZemFileListItem* drive = list->AddItem(testenv::ScratchRoot());
    ASSERT_NE(drive, nullptr);
    ASSERT_EQ(drive->SubItems().Count(), list->ColumnCount() - 1);  // nothing moves left
    EXPECT_EQ(drive->SubItems()[0], L"");                           // no in-folder text

    Search(root);
    EXPECT_EQ(Sorted(Rows()), Sorted({root + L"\\a.txt", root + L"\\b.dat", root + L"\\c.txt", root + L"\\sub"}));
    ASSERT_GE(list->ColumnCount(), 5);
    EXPECT_EQ(list->Columns()->Items(1)->Caption(), L"In Folder");
    // As on Windows, only the size column is right-aligned (Wine's shell says every one is).
    const int sizeColumn = ColumnOf(L"Size");
    ASSERT_GE(sizeColumn, 2);
    for (int c = 0; c < list->Columns()->Count(); ++c) {
        LVCOLUMNW shown{};
        shown.mask = LVCF_FMT;
        ASSERT_TRUE(ListView_GetColumn(list->Handle(), c, &shown));
        EXPECT_EQ(shown.fmt & LVCFMT_JUSTIFYMASK, c == sizeColumn ? LVCFMT_RIGHT : LVCFMT_LEFT)
            << list->Columns()->Items(c)->Caption();
    }
    TZemFileListItem* b = list->FindItemByPath(root + L"\\B.DAT\\");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Caption(), L"b.dat");
    ASSERT_GE(b->SubItems().Count(), 1);
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
    ASSERT_GT(list->Items()->Count(), 0);
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

    // A column the shell hides is left out; every text stays under its caption.
    const int shown = list->ColumnCount();
    list->hiddenShellColumn = 2;
    list->SetDetails(true);
    Search(root);
    EXPECT_EQ(list->ColumnCount(), shown - 1);
    ExpectShellTexts(list, list->FindItemByPath(root + L"\\b.dat"));

    // Options given to the list are the ones its searches take.
    auto given = std::make_unique<TZemSearchOptions>();
    given->SetFilter(L"*.dat");
    const TZemSearchOptions* held = given.get();
    list->SetSearchOptions(std::move(given));
    list->SetSearchOptions(nullptr);
    EXPECT_EQ(list->SearchOptions(), held);
    Search(root);
    EXPECT_EQ(Rows(), Paths{root + L"\\b.dat"});
}

// Names the shell cannot parse (a last dot or blank) get their texts all the
// same, equal to those of twins without it; a folder among them is a folder.
void ExpectTwinTexts(TZemFileListItem* Odd, TZemFileListItem* Twin, bool TypeToo) {
    ASSERT_NE(Odd, nullptr);
    ASSERT_NE(Twin, nullptr);
    ASSERT_EQ(Odd->SubItems().Count(), Twin->SubItems().Count()) << Odd->FullPath();
    ASSERT_GE(Odd->SubItems().Count(), 4);
    for (int k = 1; k < Odd->SubItems().Count(); ++k) {
        if (!TypeToo && k == 2) continue;
        EXPECT_EQ(Odd->SubItems()[k], Twin->SubItems()[k]) << Odd->FullPath() << " text " << k;
    }
    EXPECT_NE(Odd->SubItems()[2], L"") << "a type";
    EXPECT_EQ(Odd->IsFolder(), Twin->IsFolder());
}

TEST_F(FileList, NamesEndingInADotOrABlankHaveTheirDetailsAndFoldersStayFolders) {
    // The odd names in one folder, their twins in another (a twin beside them
    // would answer for them: the system drops a last dot or blank from a path).
    const std::wstring odd = testenv::NewScratchFolder(L"dotnames"), plain = testenv::NewScratchFolder(L"twins");
    const int64_t time = FileTimeAt(2020, 3, 4, 5, 6);
    for (const auto& [folder, names] : {std::pair{odd, Paths{L"file.txt ", L"pad. ", L"dirdot."}},
                                        std::pair{plain, Paths{L"file.txt", L"pad", L"dirdot"}}}) {
        MakeTimedFile(L"\\\\?\\" + folder + L"\\" + names[0], 2000, time);
        MakeTimedFile(L"\\\\?\\" + folder + L"\\" + names[1], 3000, time);
        const std::wstring path = L"\\\\?\\" + folder + L"\\" + names[2];
        CreateDirectoryW(path.c_str(), nullptr);
        fw::Handle handle(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const FILETIME when{DWORD(uint64_t(time)), DWORD(uint64_t(time) >> 32)};
        SetFileTime(handle.get(), nullptr, nullptr, &when);
    }
    // Beside the name ending in a blank, the object a plain path to it would name:
    // the row shows its own texts, never this one's.
    MakeTimedFile(odd + L"\\file.txt", 9000, FileTimeAt(2011, 1, 2, 3, 4));
    for (const bool all : {false, true}) {
        // Rows filled as they are shown, and all at once.
        Search(odd);
        ASSERT_EQ(list->Items()->Count(), 4);
        for (const wchar_t* name : {L"file.txt", L"pad", L"dirdot"}) list->AddItem(plain + L"\\" + name);
        ASSERT_EQ(list->Items()->Count(), 7);
        if (all) list->FillTexts();
        else Settle();
        TZemFileListItem* dirdot = list->FindItemByPath(odd + L"\\dirdot.");
        ASSERT_NE(dirdot, nullptr);
        EXPECT_TRUE(dirdot->IsFolder());
        ExpectTwinTexts(dirdot, list->FindItemByPath(plain + L"\\dirdot"), true);
        if (!all) {
            EXPECT_EQ(dirdot->ImageIndex(), list->FindItemByPath(plain + L"\\dirdot")->ImageIndex())
                << "a folder's icon";
        }
        ExpectTwinTexts(list->FindItemByPath(odd + L"\\file.txt "), list->FindItemByPath(plain + L"\\file.txt"), false);
        ExpectTwinTexts(list->FindItemByPath(odd + L"\\pad. "), list->FindItemByPath(plain + L"\\pad"), false);
    }
}

// Rows the shell cannot reach by their paths (a folder whose name ends in a dot
// or a blank, a folder path past the classic limit, a name holding a colon or a
// backslash) keep the name and folder the walk found and show their own texts,
// equal to those of twins with plain paths; beside each stands the object its
// path would name when read the plain way.
TEST_F(FileList, RowsTheShellCannotReachByPathKeepTheirNamesAndShowTheirOwnTexts) {
    const std::wstring odd = testenv::NewScratchFolder(L"odd"), plain = testenv::NewScratchFolder(L"plain");
    ASSERT_TRUE(scratch::RunInHostFolder(odd,
                                         "head -c 1500 /dev/zero > 'co:lon.txt' && mkdir back && "
                                         "head -c 1600 /dev/zero > 'back\\slash.txt' && "
                                         "head -c 9000 /dev/zero > back/slash.txt && "
                                         "head -c 9000 /dev/zero > lon.txt && mkdir 'back\\inner' back/inner && "
                                         "head -c 10 /dev/zero > back/inner/twin.txt"));
    const std::wstring longOdd = L"\\\\?\\" + odd;
    for (const wchar_t* folder : {L"\\dirdot.", L"\\dirdot", L"\\blank ", L"\\blank"})
        CreateDirectoryW((longOdd + folder).c_str(), nullptr);
    std::wstring deep = odd;
    while (deep.size() < 300) CreateDirectoryW((L"\\\\?\\" + (deep += L"\\deepfolder")).c_str(), nullptr);
    const int64_t time = FileTimeAt(2020, 3, 4, 5, 6);
    for (const wchar_t* name : {L"\\dirdot.\\dotin.txt", L"\\blank \\inblank.txt"})
        MakeTimedFile(longOdd + name, 1700, time);
    for (const wchar_t* name : {L"\\dirdot\\dotin.txt", L"\\blank\\inblank.txt"})
        MakeTimedFile(longOdd + name, 9000, time);
    MakeTimedFile(L"\\\\?\\" + deep + L"\\deep.txt", 1800, time);
    CreateDirectoryW((L"\\\\?\\" + deep + L"\\inner").c_str(), nullptr);
    // Each odd row: its folder, its name, and its twin's name, made with the same size and time.
    struct Case {
        std::wstring folder, name, twin;
    };
    const Case cases[] = {
        {odd + L"\\", L"co:lon.txt", L"colon.txt"},         {odd + L"\\", L"back\\slash.txt", L"backslash.txt"},
        {odd + L"\\dirdot.\\", L"dotin.txt", L"dotin.txt"}, {odd + L"\\blank \\", L"inblank.txt", L"inblank.txt"},
        {deep + L"\\", L"deep.txt", L"deep.txt"},           {deep + L"\\", L"inner", L"inner"}};
    for (const Case& c : cases) {
        WIN32_FIND_DATAW data{};
        fw::FindHandle find(FindFirstFileLong(c.folder + L"*", data));
        ASSERT_TRUE(find) << c.folder;
        while (c.name != data.cFileName) ASSERT_TRUE(FindNextFileW(find.get(), &data)) << c.name;
        const std::wstring twin = plain + L"\\" + c.twin;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryW(twin.c_str(), nullptr);
            fw::Handle handle(CreateFileW(twin.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            SetFileTime(handle.get(), nullptr, nullptr, &data.ftLastWriteTime);
        } else {
            MakeTimedFile(
                twin, FindDataFileSize(data),
                int64_t((uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime));
        }
    }
    for (const bool all : {false, true}) {
        // One listing of both folders.
        Search(plain);
        list->SearchOptions()->SetRecursiveSearch(true);
        const int before = ends;
        list->StartSearch(odd);
        ASSERT_TRUE(PumpUntil([&] { return ends > before; }));
        // Texts filled all at once, and row by row as they are read.
        if (all) list->FillTexts();
        for (const Case& c : cases) {
            TZemFileListItem* row = nullptr;
            for (int i = 0; i < list->Items()->Count() && !row; ++i)
                if (list->Items()->Item(i)->FullPath() == c.folder + c.name) row = list->Items()->Item(i);
            ASSERT_NE(row, nullptr) << c.folder + c.name;
            EXPECT_EQ(row->Caption(), c.name);
            EXPECT_EQ(row->SubItems()[0], c.folder);
            ExpectTwinTexts(row, list->FindItemByPath(plain + L"\\" + c.twin), true);
        }
        // A folder whose name holds a backslash is listed, but not entered: its
        // path names another folder, whose objects would be listed twice.
        int twins = 0;
        for (int i = 0; i < list->Items()->Count(); ++i)
            if (list->Items()->Item(i)->FullPath() == odd + L"\\back\\inner\\twin.txt") ++twins;
        EXPECT_EQ(twins, 1);
    }
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
    TZemFileList other(nullptr);
    for (const Case& k : cases) {
        list->SortColumn(k.column);
        EXPECT_FALSE(list->Descending());
        EXPECT_EQ(Rows(), k.ascending) << k.column;
        list->SortColumn(k.column);
        EXPECT_TRUE(list->Descending());
        EXPECT_FALSE(other.Descending());  // the direction is the list's own
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
            ASSERT_GE(prev->SubItems().Count(), column);
            ASSERT_GE(item->SubItems().Count(), column);
            // Shell columns put folders first, as the shell orders them.
            if (column == size || column == date || prev->IsFolder() != item->IsFolder()) continue;
            EXPECT_LE(CompareTextLogical(prev->SubItems()[column - 1], item->SubItems()[column - 1]), 0) << column;
        }
    }
    list->SortColumn(99);  // beyond the last column: the name column
    EXPECT_EQ(Rows(), (Paths{sub, a, b, c}));
    // A row the shell tells nothing of has no texts beyond its folder: they sort as empty ones.
    list->SetCheckIfExists(false);
    TZemFileListItem* missing = list->AddItem(root + L"\\missing.txt");
    EXPECT_NO_THROW(list->SortColumn(ColumnOf(L"Type")));
    EXPECT_EQ(missing->HeldSubItems().Count(), 1);
    ASSERT_GE(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1], root + L"\\missing.txt");
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
    // Rows added by path are watched only while the list follows changes.
    for (const bool follow : {false, true}) {
        list->SetAutomaticRefresh(follow);
        TZemFileListItem* row = list->AddItem(root + (follow ? L"\\c.txt" : L"\\a.txt"));
        ASSERT_TRUE(PumpUntil([&] { return !row->PendingExistsCheck(); }));
        EXPECT_EQ(list->Notifier()->Directories()->IndexOf(row->FullPath()) >= 0, follow);
    }
    Search(root);
    ASSERT_TRUE(list->Notifier()->Enabled());
    // A search watches exactly its folder: the rows watched before are let go.
    ASSERT_EQ(list->Notifier()->Directories()->Count(), 1);
    EXPECT_TRUE(SamePath(list->Notifier()->Directories()->Strings(0), root));
    EXPECT_EQ(list->LastSearchFolder(), root);
    // The searched folder's own change, told in other case as the search begins, starts no search.
    list->ShellNotification(neFolderUpdate, fw::AnsiUpperCase(root), L"");
    list->StopSearch();
    EXPECT_EQ(ends, 1);

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
    ASSERT_GE(inside->SubItems().Count(), 1);
    EXPECT_EQ(inside->SubItems()[0], root + L"\\moved\\");
    EXPECT_EQ(list->FindItemByPath(root + L"\\sub\\d.txt"), nullptr);
    // So does the listing when its own folder is renamed.
    const std::wstring renamedRoot = root + L" renamed";
    fw::PidlPtr oldRoot = Pidl(root);
    ASSERT_TRUE(MoveFileW(root.c_str(), renamedRoot.c_str()));
    Notice(neFolderRename, oldRoot.get(), Pidl(renamedRoot).get());
    scratch::MakeFile(renamedRoot + L"\\late.txt");
    Notice(neFileCreate, Pidl(renamedRoot + L"\\late.txt").get());
    EXPECT_NE(list->FindItemByPath(renamedRoot + L"\\late.txt"), nullptr);
}

TEST_F(FileList, ListThatGoesWithWorkPendingReceivesNothing) {
    // Rows added by path queue existence checks; shown rows queue icons.
    for (int i = 0; i < 300; ++i) list->AddItem(root + (i % 2 ? L"\\a.txt" : L"\\missing.txt"));
    UpdateWindow(list->Handle());
    delete form;
    form = nullptr;
    ASSERT_TRUE(PumpUntil(PoolIdle));
    pooltest::PumpFor(50);

    // A list that stays removes the rows whose paths are missing.
    form = new fw::TForm(nullptr);
    list = new TTestFileList(form);
    list->SetParent(form);
    for (int i = 0; i < 10; ++i) list->AddItem(root + (i % 2 ? L"\\a.txt" : L"\\missing.txt"));
    ASSERT_TRUE(PumpUntil([&] { return list->Items()->Count() == 5 && PoolIdle(); }));
}

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

TEST_F(FileList, DeleteDropsTheRowsOfWhatWentAndKeepsTheRest) {
    Search(root);
    // b.dat is held open without delete sharing, so it cannot go.
    HANDLE held =
        CreateFileW((root + L"\\b.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Select({Row(root + L"\\a.txt"), Row(root + L"\\b.dat")});
    Key(VK_DELETE);
    CloseHandle(held);
    EXPECT_FALSE(Exists(root + L"\\a.txt"));
    EXPECT_EQ(Row(root + L"\\a.txt"), -1);
    EXPECT_TRUE(Exists(root + L"\\b.dat"));
    EXPECT_NE(Row(root + L"\\b.dat"), -1);  // what stays keeps its row
    EXPECT_NE(Row(root + L"\\c.txt"), -1);
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports[0].Operation.Contains(sopDelete));
    EXPECT_TRUE(reports[0].Operation.Contains(sopRemove));
    ASSERT_FALSE(reports[0].Files.empty());
    EXPECT_EQ(reports[0].Files.front(), root + L"\\a.txt");
}

TEST_F(FileList, F2RenamesInPlace) {
    Search(root);
    // No slow click starts an edit: only a rename asked for does.
    EXPECT_EQ(ListView_EditLabel(list->Handle(), Row(root + L"\\a.txt")), nullptr);
    auto rename = [&](const std::wstring& From, const std::wstring& To) {
        Select({Row(From)});
        Key(VK_F2);
        ASSERT_TRUE(list->IsEditing());
        HWND edit = ListView_GetEditControl(list->Handle());
        SetWindowTextW(edit, To.c_str());
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        fw::Application()->ProcessMessages();
        EXPECT_FALSE(list->IsEditing());
    };
    rename(root + L"\\a.txt", L"renamed.txt");
    EXPECT_TRUE(Exists(root + L"\\renamed.txt"));
    EXPECT_FALSE(Exists(root + L"\\a.txt"));
    ASSERT_NE(Row(root + L"\\renamed.txt"), -1);
    EXPECT_EQ(list->Items()->Item(Row(root + L"\\renamed.txt"))->Caption(), L"renamed.txt");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].Operation == TZemShellOperations{sopRename});
    EXPECT_EQ(reports[0].Files, std::vector<std::wstring>{root + L"\\a.txt"});
    EXPECT_EQ(reports[0].Destination, root + L"\\renamed.txt");

    // A name, never a path: the object stays where it is, and the user is told why.
    rename(root + L"\\c.txt", L"..\\c.txt");
    EXPECT_TRUE(Exists(root + L"\\c.txt"));
    EXPECT_EQ(reports.size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"can't hold"), std::wstring::npos) << boxes[0];
    // A caption shown without its extension keeps the extension.
    list->Items()->Item(Row(root + L"\\b.dat"))->SetCaption(L"b");
    rename(root + L"\\b.dat", L"e");
    EXPECT_TRUE(Exists(root + L"\\e.dat"));
    ASSERT_NE(Row(root + L"\\e.dat"), -1);
    EXPECT_EQ(list->Items()->Item(Row(root + L"\\e.dat"))->Caption(), L"e");
    // The rows below a folder renamed in a listing of its subfolders follow it, also
    // where the list follows no notices (as in the main window).
    Search(root, true);
    list->SetAutomaticRefresh(false);
    rename(root + L"\\sub", L"sub2");
    EXPECT_EQ(Row(root + L"\\sub\\d.txt"), -1);
    ASSERT_NE(Row(root + L"\\sub2\\d.txt"), -1);
    EXPECT_EQ(list->Items()->Item(Row(root + L"\\sub2\\d.txt"))->SubItems()[0], root + L"\\sub2\\");
}

TEST_F(FileList, KeysRunTheirVerbsOnTheSelectedRowsAndCopyPasteThroughTheClipboard) {
    Search(root);
    // What each key asks the shell for, on which paths (vetoed: nothing runs).
    std::vector<std::wstring> verbs;
    list->SetOnBeforeShellCommand([&](TPathfinch*, const std::wstring& Verb, TZemPathList* Paths, bool& Allow) {
        verbs.push_back(Verb + L" " + std::to_wstring(Paths->Count()));
        Allow = false;
    });
    Select({Row(root + L"\\a.txt"), Row(root + L"\\c.txt")});
    SendMessageW(list->Handle(), WM_CHAR, L'\r', 0);
    Key(VK_RETURN, fw::ssAlt);
    Key('C', fw::ssCtrl);
    EXPECT_EQ(verbs, (std::vector<std::wstring>{L"default 2", L"properties 2", L"copy 2"}));
    list->SetOnBeforeShellCommand(nullptr);
    Key('A', fw::ssCtrl);
    EXPECT_EQ(list->SelCount(), list->Items()->Count());

    // Allowed, Ctrl+C puts the paths on the clipboard, and Ctrl+V pastes them.
    Select({Row(root + L"\\c.txt")});
    Key('C', fw::ssCtrl);
    fw::Application()->ProcessMessages();
    std::unique_ptr<fw::TStringList> copied;
    if (OpenClipboard(nullptr)) {
        if (HANDLE block = GetClipboardData(CF_HDROP)) copied = ReadDropFilesBlock(static_cast<HGLOBAL>(block));
        CloseClipboard();
    }
    ASSERT_TRUE(copied && copied->Count() == 1);
    EXPECT_EQ(copied->Strings(0), root + L"\\c.txt");
    Select({Row(root + L"\\sub")});
    Key('V', fw::ssCtrl);
    // Wine's folder menu offers no paste; where the shell pastes, the list reports it.
    if (Exists(root + L"\\sub\\c.txt")) {
        ASSERT_FALSE(reports.empty());
        EXPECT_TRUE(reports.back().Operation == (TZemShellOperations{sopPaste, sopAdd, sopCopy}));
        EXPECT_EQ(reports.back().Destination, root + L"\\sub");
    }
}

TEST_F(FileList, TheHeaderShowsTheColumnChooserAndARowTheShellMenuWithTheListsOwnItems) {
    Search(root);
    ASSERT_GE(list->Columns()->Count(), 2);
    list->Columns()->Items(1)->SetWidth(0);
    std::vector<UINT> states;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        for (int i = 0; i < GetMenuItemCount(Menu); ++i) states.push_back(GetMenuState(Menu, UINT(i), MF_BYPOSITION));
        return GetMenuItemID(Menu, 1);
    };
    RECT header{};
    GetWindowRect(list->HeaderHandle(), &header);
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(header.left + 5, header.top + 2));
    fw::Application()->ProcessMessages();
    ASSERT_EQ(int(states.size()), list->Columns()->Count());
    EXPECT_TRUE(states[0] & MF_CHECKED);
    EXPECT_FALSE(states[1] & MF_CHECKED);
    EXPECT_EQ(list->Columns()->Items(1)->Width(), 120);  // a hidden column comes back 120 wide
    list->ColumnMenu()->ItemClicked(1);
    EXPECT_EQ(list->Columns()->Items(1)->Width(), 0);

    // A row shows the shell's menu after the list's own items.
    auto* popup = new fw::TPopupMenu(form);
    auto* own = new fw::TMenuItem(popup);
    own->SetCaption(L"Own item");
    int clicks = 0;
    own->OnClick = [&](fw::TObject*) { ++clicks; };
    popup->Items()->Add(own);
    list->SetPopupMenu(popup);
    int shown = 0;
    UINT shellItems = 0;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        ++shown;
        shellItems = UINT(GetMenuItemCount(Menu));
        return GetMenuItemID(Menu, 0);  // the list's own item comes first
    };
    Select({Row(root + L"\\a.txt")});
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(-1, -1));
    EXPECT_EQ(shown, 1);
    EXPECT_GT(shellItems, 1u);  // the shell's commands follow
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(Exists(root + L"\\a.txt"));
    // Below the rows: the list's own menu alone.
    RECT client{};
    GetClientRect(list->Handle(), &client);
    POINT below{client.right / 2, client.bottom - 3};
    ClientToScreen(list->Handle(), &below);
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), MAKELPARAM(below.x, below.y));
    fw::Application()->ProcessMessages();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(shellItems, 1u);
    EXPECT_EQ(clicks, 2);
}

TEST_F(FileList, DroppedFilesBecomeRowsAndNothingMoves) {
    const std::wstring other = testenv::NewScratchFolder(L"dropped");
    fw::TStringList paths;
    for (const wchar_t* name : {L"\\x.txt", L"\\y.txt", L"\\z.txt"}) {
        scratch::MakeFile(other + name, 2);
        paths.Add(other + name);
    }
    fw::ComPtr<IDataObject> data = CreatePathsDataObject(paths);
    ASSERT_TRUE(data);
    ASSERT_NE(list->DropTarget(), nullptr);
    const POINT centre = list->ClientToScreen(POINT{100, 60});
    const POINTL at{centre.x, centre.y};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(list->DropTarget()->DragEnter(data.get(), MK_LBUTTON, at, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));  // one effect: the one the drop has
    effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    list->DropTarget()->DragOver(MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_LINK));
    effect = DROPEFFECT_MOVE;
    list->DropTarget()->DragOver(MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));  // the list moves nothing

    int asked = 0;
    list->OnBeforeShellDrop = [&](fw::TObject*, fw::TObject*, fw::TStringList* Files, bool& Execute, int KeyState) {
        ++asked;
        EXPECT_EQ(Files->Count(), 3);
        EXPECT_EQ(KeyState, MK_LBUTTON);
        Execute = false;
    };
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    list->DropTarget()->Drop(data.get(), MK_LBUTTON, at, &effect);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list->Items()->Count(), 0);
    list->OnBeforeShellDrop = nullptr;
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    list->DropTarget()->Drop(data.get(), MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));  // the source is told nothing was moved
    EXPECT_EQ(list->Items()->Count(), 3);
    EXPECT_NE(Row(other + L"\\y.txt"), -1);
    EXPECT_TRUE(Exists(other + L"\\y.txt"));
}

TEST_F(FileList, ThumbnailsShowFramedPlaceholdersUntilTheirPicturesCome) {
    Search(root);
    list->SetThumbnails(true);
    EXPECT_EQ(list->ViewStyle(), fw::vsIcon);
    EXPECT_EQ(list->LargeImages(), list->ThumbnailImages());
    // A paint only asks for images: they are made after it, from a posted message.
    UpdateWindow(list->Handle());
    EXPECT_EQ(list->ThumbnailImages()->Count(), 0);
    Settle();
    // Wine has no thumbnail handler: the placeholders stay, one image per row.
    fw::TCustomImageList* images = list->ThumbnailImages();
    ASSERT_EQ(images->Count(), 4);
    std::set<int> indexes;
    for (int i = 0; i < 4; ++i) {
        const int index = list->Items()->Item(i)->ImageIndex();
        indexes.insert(index);
        EXPECT_TRUE(Near(ImagePixel(images, index, 0, 0), RGB(0xC0, 0xC0, 0xC0)));
        EXPECT_TRUE(Near(ImagePixel(images, index, 95, 95), RGB(0xC0, 0xC0, 0xC0)));
        EXPECT_TRUE(Near(ImagePixel(images, index, 1, 1), GetSysColor(COLOR_WINDOW)));
    }
    EXPECT_EQ(indexes.size(), 4u);

    // A picture smaller than the thumbnail comes framed at the thumbnail's size.
    ASSERT_GE(list->Items()->Count(), 2);
    TZemFileListItem* row = list->Items()->Item(0);
    auto picture = std::make_unique<fw::TBitmap>();
    picture->SetPixelFormat(fw::pf24bit);
    picture->SetSize(40, 30);
    picture->Canvas()->Brush()->SetColor(fw::clRed);
    picture->Canvas()->FillRect(RECT{0, 0, 40, 30});
    list->ThumbnailReady(std::move(picture), row->ImageIndex(), row);
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 0, 0), RGB(0xC0, 0xC0, 0xC0)));
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 5, 5), RGB(0xFF, 0, 0)));
    EXPECT_TRUE(Near(ImagePixel(images, row->ImageIndex(), 60, 60), GetSysColor(COLOR_WINDOW)));
    // A picture for another row's image is dropped.
    TZemFileListItem* other = list->Items()->Item(1);
    auto stray = std::make_unique<fw::TBitmap>();
    stray->SetPixelFormat(fw::pf24bit);
    stray->SetSize(96, 96);
    list->ThumbnailReady(std::move(stray), other->ImageIndex(), row);
    EXPECT_TRUE(Near(ImagePixel(images, other->ImageIndex(), 1, 1), GetSysColor(COLOR_WINDOW)));

    // Once a row goes, rows and images part: a row's picture is asked for its image.
    for (int i = 0; i < 4; ++i)
        if (list->Items()->Item(i)->ImageIndex() == 0) {
            list->Items()->Item(i)->Delete();
            break;
        }
    list->thumbnailsDelivered.clear();
    TZemFileListItem* added = list->AddItem(root + L"\\sub\\d.txt");
    Settle();
    ASSERT_EQ(added->ImageIndex(), 0);
    ASSERT_NE(added->Index(), 0);
    ASSERT_FALSE(list->thumbnailsDelivered.empty());
    for (const auto& delivered : list->thumbnailsDelivered)
        EXPECT_EQ(delivered, std::make_pair(0, static_cast<void*>(added)));
    // Clearing the images drops the pictures on their way.
    list->thumbnailsDelivered.clear();
    for (int i = 0; i < 4; ++i) list->UpdateItem(list->Items()->Item(i));
    list->SetThumbnailWidth(96);
    ASSERT_TRUE(PumpUntil(PoolIdle));
    EXPECT_TRUE(list->thumbnailsDelivered.empty());

    // Clearing the list empties the thumbnail images with it.
    list->Clear();
    EXPECT_EQ(images->Count(), 0);
    list->SetViewStyle(fw::vsReport);
    EXPECT_FALSE(list->Thumbnails());
}

TEST_F(FileList, ThumbnailImagesAreBoundedAndTheLongestHeldChangesHands) {
    list->SetThumbnails(true);
    std::vector<TZemFileListItem*> rows;
    for (int i = 0; i <= TZemFileList::MaxThumbnails; ++i) rows.push_back(list->AddItem(root + L"\\a.txt"));
    for (TZemFileListItem* row : rows) list->PlaceThumbnail(row, 0);
    EXPECT_EQ(list->ThumbnailImages()->Count(), TZemFileList::MaxThumbnails);
    EXPECT_EQ(rows.front()->ImageIndex(), -1);
    EXPECT_EQ(rows.back()->ImageIndex(), 0);
    // A row whose thumbnail is made afresh gives its image up: the next row placed takes it.
    rows.back()->ResetThumbnail();
    EXPECT_EQ(rows.back()->ImageIndex(), -1);
    list->PlaceThumbnail(rows.front(), 0);
    EXPECT_EQ(rows.front()->ImageIndex(), 0);
}

TEST_F(FileList, TheSetUpsEndGivesTheIconTitleFontAndANewWindowTakesOverTheDropTarget) {
    Search(root);
    list->Font()->SetName(L"Courier New");
    LOGFONTW iconTitle{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0);
    ASSERT_NE(std::wstring(iconTitle.lfFaceName), L"Courier New");
    list->EndSetUp();
    EXPECT_EQ(list->Font()->Name(), iconTitle.lfFaceName);
    fw::TDropTarget* target = list->DropTarget();
    ASSERT_NE(target, nullptr);
    target->AddRef();
    const ULONG held = target->Release();
    list->RecreateWnd();
    list->HandleNeeded();
    // The old window's registration is let go, the new window is registered.
    target->AddRef();
    EXPECT_EQ(target->Release(), held);
    EXPECT_EQ(RegisterDragDrop(list->Handle(), target), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(FileList, RowsAreDrawnRowByRowTheRowsTipGoesThroughItsEventBesideThePointerAndTheMouseIsTold) {
    Search(root);
    list->rowsDrawn = 0;
    InvalidateRect(list->Handle(), nullptr, TRUE);
    UpdateWindow(list->Handle());
    EXPECT_GE(list->rowsDrawn, 3);  // no handler bound, still row by row
    list->SetShowHint(true);
    std::vector<std::wstring> tips;
    list->OnInfoTip = [&](fw::TObject*, fw::TListItem* Item, std::wstring& Tip) {
        tips.push_back(static_cast<TZemFileListItem*>(Item)->FullPath());
        Tip = L"told";
    };
    const RECT bounds = list->Items()->Item(0)->DisplayRect(fw::drBounds);
    fw::THintInfo info;
    info.CursorPos = POINT{bounds.left + 2, (bounds.top + bounds.bottom) / 2};
    list->Perform(fw::CM_HINTSHOW, 0, &info);
    EXPECT_EQ(tips, std::vector<std::wstring>{list->Items()->Item(0)->FullPath()});
    EXPECT_EQ(info.HintStr, L"told");
    const POINT at = list->ClientToScreen(info.CursorPos);
    EXPECT_EQ(info.HintPos.x, at.x + GetSystemMetrics(SM_CXCURSOR));
    EXPECT_EQ(info.HintPos.y, at.y + GetSystemMetrics(SM_CYCURSOR));
    std::vector<std::wstring> mouse;
    list->OnMouseEnter = [&](fw::TObject*) { mouse.push_back(L"enter"); };
    list->OnMouseLeave = [&](fw::TObject*) { mouse.push_back(L"leave"); };
    list->Perform(fw::CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(list));
    list->Perform(fw::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(mouse, (std::vector<std::wstring>{L"enter", L"leave"}));
    // The drag picture of the selected rows, none while thumbnails are shown.
    Select({0});
    EXPECT_NE(list->GetDragImages(), nullptr);
    list->SetThumbnails(true);
    EXPECT_EQ(list->GetDragImages(), nullptr);
}

TEST_F(FileList, TheStretchedColumnFillsTheClientAreaAndStaysAtLeast80Wide) {
    list->SetAlign(fw::alNone);
    list->Columns()->Clear();
    for (int i = 0; i < 3; ++i) list->Columns()->Add()->SetWidth(100);
    const int frame = list->Width() - list->ClientWidth();
    list->SetBounds(0, 0, 500 + frame, 300);
    list->SetAutoSizeColumn(0);
    EXPECT_EQ(list->Columns()->Items(0)->Width(), 300);
    list->SetBounds(0, 0, 150 + frame, 300);  // on every resize
    EXPECT_EQ(list->Columns()->Items(0)->Width(), 80);
    // The columns are wider than the list: without scroll bars, none is shown.
    UpdateWindow(list->Handle());
    ASSERT_NE(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
    list->SetScrollBars(fw::ssNone);
    EXPECT_EQ(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

// The header item's format and the colours of its bitmap at two points.
struct THeaderArrow {
    int Format = 0;
    COLORREF Corner = 0, Tip = 0;
};
THeaderArrow HeaderArrow(HWND Header, int Index) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    Header_GetItem(Header, Index, &item);
    THeaderArrow arrow{item.fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT | HDF_SORTUP | HDF_SORTDOWN), 0, 0};
    if (!(item.fmt & HDF_BITMAP) || !item.hbm) return arrow;
    const fw::TPixels32 pixels = fw::ReadPixels32(item.hbm);
    if (pixels.Width < 8 || pixels.Height < 8) return arrow;
    arrow.Corner = pixels.At(0, 7) & 0xFFFFFF;
    arrow.Tip = pixels.At(0, 1) & 0xFFFFFF;  // the down arrow's top row, the up arrow's background
    return arrow;
}

TEST_F(FileList, WithoutThemesTheSortArrowIsTheProgramsBitmapOnTheHeadersFill) {
    const HWND header = list->HeaderHandle();
    ASSERT_NE(header, nullptr);
    list->SortColumn(2);
    EXPECT_EQ(HeaderArrow(header, 2).Format, HDF_SORTUP);
    EnableTheming(FALSE);
    if (IsThemeActive()) GTEST_SKIP() << "themes cannot be switched off here";
    list->SortColumn(0);
    const THeaderArrow up = HeaderArrow(header, 0);
    list->SortColumn(0);
    const THeaderArrow down = HeaderArrow(header, 0);
    const THeaderArrow other = HeaderArrow(header, 2);
    // ReadPixels32 gives 0x00RRGGBB.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const DWORD fill = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EnableTheming(TRUE);
    EXPECT_EQ(up.Format, HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
    EXPECT_EQ(std::make_pair(up.Corner, up.Tip), std::make_pair(fill, fill));
    EXPECT_EQ(down.Format, HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
    EXPECT_EQ(std::make_pair(down.Corner, down.Tip), std::make_pair(fill, DWORD(0x808080)));
    EXPECT_EQ(other.Format, 0);
}

TEST_F(FileList, CheckBoxesNeedAShellLinkAndToggleByClickAndSpaceAndShortcutsShowTheirOverlay) {
    Search(root);
    list->SetCheckboxes(true);
    EXPECT_FALSE(list->Checkboxes());
    EXPECT_EQ(list->StateImages(), nullptr);

    auto* link = new TZemShellLink(form);
    link->SelectionList()->SetCalculateSizes(false);
    list->SetShellLink(link);
    list->SetCheckboxes(true);
    ASSERT_TRUE(list->Checkboxes());
    ASSERT_NE(list->StateImages(), nullptr);
    EXPECT_EQ(list->StateImages()->Count(), 5);
    Settle();
    ASSERT_GT(list->Items()->Count(), 0);
    TZemFileListItem* row = list->Items()->Item(0);
    EXPECT_EQ(row->GetCheckState(), ssUnChecked);

    // A click left of the icon, on the row's check box, checks the path.
    const RECT icon = row->DisplayRect(fw::drIcon);
    list->MouseDown(fw::mbLeft, 0, icon.left - 8, icon.bottom - 4);
    EXPECT_EQ(row->GetCheckState(), ssChecked);
    EXPECT_GE(link->SelectionList()->Paths()->IndexOf(row->FullPath()), 0);
    // A click on the icon itself does not.
    list->MouseDown(fw::mbLeft, 0, icon.left + 4, icon.bottom - 4);
    EXPECT_EQ(row->GetCheckState(), ssChecked);

    // The space key toggles every selected row.
    list->SetSelected(row);
    WORD space = VK_SPACE;
    list->KeyUp(space, 0);
    EXPECT_EQ(row->GetCheckState(), ssUnChecked);

    list->SetCheckboxes(false);
    EXPECT_EQ(list->StateImages(), nullptr);
    list->SetShellLink(nullptr);

    // A shortcut's row shows the shortcut overlay.
    ASSERT_TRUE(scratch::MakeShortcut(root + L"\\d.lnk", root + L"\\a.txt"));
    list->AddItem(root + L"\\d.lnk");
    list->SetShowOverlayIcons(true);
    Settle();
    ASSERT_TRUE(PumpUntil([&] { return list->FindItemByPath(root + L"\\d.lnk")->OverlayIndex() == 1; }));
    EXPECT_EQ(ListView_GetItemState(list->Handle(), Row(root + L"\\d.lnk"), LVIS_OVERLAYMASK),
              UINT(INDEXTOOVERLAYMASK(2)));  // the window counts overlays from 1
    EXPECT_EQ(list->FindItemByPath(root + L"\\a.txt")->OverlayIndex(), -1);
    list->SetShowOverlayIcons(false);
    EXPECT_EQ(list->FindItemByPath(root + L"\\d.lnk")->OverlayIndex(), -1);
}
