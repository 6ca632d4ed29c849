// The file list as its objects change: renamed rows stand for the new objects, a
// refresh shows what the shell says now, rows go on their folder's notice from any
// place, the event order of a new row, a bare drive searched from its root, and
// renames asked for from the menu or typed in place, rows named as the shell names
// their objects, and the paths that never become rows.
#include <map>
#include <set>

#include "framework/ComObject.h"
#include "shell/ZemShellMenu.h"
#include "tests/shell/FileListFixture.h"

using namespace filelisttest;

namespace {

// The path of the object a row's own absolute item-ID list names.
std::wstring ListedObject(TZemFileListItem* Item) {
    Item->EnsureIDList();
    return PidlToPath(Item->AbsoluteIDList());
}

// The shell's text now for Path's object in the list's column of that caption.
std::wstring ShellTextNow(TZemFileList* List, const std::wstring& Path, int Column) {
    std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Path);
    if (!browser || !browser->InitDetails()) return L"?";
    std::wstring caption, text;
    for (int shellColumn = 1; shellColumn < 99; ++shellColumn) {
        browser->GetDetails(shellColumn, true, caption);
        if (caption != List->Columns()->Items(Column)->Caption()) continue;
        browser->GetDetails(shellColumn, false, text);
        return text;
    }
    return L"?";
}

// A stand-in shell menu of one command, "rename", as Windows offers it (Wine's menus offer none).
class TRenameMenu : public fw::TComObject<IContextMenu, IID_IContextMenu> {
public:
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU Menu, UINT Index, UINT First, UINT, UINT) override {
        InsertMenuW(Menu, Index, MF_BYPOSITION | MF_STRING, First, L"Rename");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR Offset, UINT Type, UINT*, LPSTR Name, UINT Max) override {
        if (Offset != 0 || Type != GCS_VERBW) return E_INVALIDARG;
        lstrcpynW(reinterpret_cast<wchar_t*>(Name), L"rename", int(Max));
        return S_OK;
    }
};

class TRenameMenuBrowser : public TPathfinch {
public:
    using TPathfinch::TPathfinch;

protected:
    fw::ComPtr<IContextMenu> ContextMenuObject(bool& DefaultFolderMenu) override {
        DefaultFolderMenu = false;
        fw::ComPtr<IContextMenu> menu;
        menu.attach(new TRenameMenu);
        return menu;
    }
};

}  // namespace

TEST_F(FileList, RenamedRowsStandForTheNewObjectsAndARefreshShowsWhatTheShellSaysNow) {
    Search(root, true);
    ASSERT_EQ(list->Items()->Count(), 5);
    for (int i = 0; i < list->Items()->Count(); ++i) list->Items()->Item(i)->EnsureIDList();
    fw::PidlPtr before = Pidl(root + L"\\c.txt");
    ASSERT_TRUE(MoveFileW((root + L"\\c.txt").c_str(), (root + L"\\c2.txt").c_str()));
    Notice(neFileRename, before.get(), Pidl(root + L"\\c2.txt").get());
    TZemFileListItem* renamed = list->FindItemByPath(root + L"\\c2.txt");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(ListedObject(renamed), root + L"\\c2.txt");
    // A rename into another folder (a move within a volume) shows the new folder.
    ASSERT_EQ(renamed->SubItems()[0], root + L"\\");
    before = Pidl(root + L"\\c2.txt");
    ASSERT_TRUE(MoveFileW((root + L"\\c2.txt").c_str(), (root + L"\\sub\\c3.txt").c_str()));
    Notice(neFileRename, before.get(), Pidl(root + L"\\sub\\c3.txt").get());
    renamed = list->FindItemByPath(root + L"\\sub\\c3.txt");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->SubItems()[0], root + L"\\sub\\");
    before = Pidl(root + L"\\sub\\c3.txt");
    ASSERT_TRUE(MoveFileW((root + L"\\sub\\c3.txt").c_str(), (root + L"\\c2.txt").c_str()));
    Notice(neFileRename, before.get(), Pidl(root + L"\\c2.txt").get());
    // Rows below a renamed folder follow it in every respect too.
    fw::PidlPtr folder = Pidl(root + L"\\sub");
    ASSERT_TRUE(MoveFileW((root + L"\\sub").c_str(), (root + L"\\moved").c_str()));
    Notice(neFolderRename, folder.get(), Pidl(root + L"\\moved").get());
    TZemFileListItem* inside = list->FindItemByPath(root + L"\\moved\\d.txt");
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(ListedObject(inside), root + L"\\moved\\d.txt");
    EXPECT_EQ(inside->FindData().Size, 5);

    // A file written a moment ago is read again by a refresh: 10 bytes become 300,000.
    const int size = ColumnOf(L"Size");
    ASSERT_GT(size, 1);
    TZemFileListItem* a = list->FindItemByPath(root + L"\\a.txt");
    ASSERT_NE(a, nullptr);
    ASSERT_GT(a->SubItems().Count(), size - 1);
    const std::wstring small = a->SubItems()[size - 1];
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    MakeTimedFile(root + L"\\a.txt", 300000, int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime));
    list->RefreshItems();
    ASSERT_GT(a->SubItems().Count(), size - 1);
    EXPECT_NE(a->SubItems()[size - 1], small);
    EXPECT_EQ(a->SubItems()[size - 1], ShellTextNow(list, root + L"\\a.txt", size));
    EXPECT_EQ(a->FindData().Size, 300000);
    // A file written a minute ago is left as it was listed, and so is every row while the list loads.
    TZemFileListItem* b = list->FindItemByPath(root + L"\\b.dat");
    ASSERT_NE(b, nullptr);
    ASSERT_GT(b->SubItems().Count(), size - 1);
    const std::wstring listed = b->SubItems()[size - 1];
    const int64_t aMinuteAgo = int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - 60 * 10000000LL;
    MakeTimedFile(root + L"\\b.dat", 400000, aMinuteAgo);
    MakeTimedFile(root + L"\\a.txt", 500000, int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime));
    list->BeginLoading();
    list->RefreshItems();
    list->EndLoading();
    EXPECT_EQ(a->FindData().Size, 300000);
    list->RefreshItems();
    EXPECT_EQ(b->SubItems()[size - 1], listed);
    EXPECT_EQ(a->FindData().Size, 500000);
}

TEST_F(FileList, AFileDeletedFromOutsideGoesOnNoticeAlsoFromTheFirstRow) {
    Search(root);
    // By name, descending: the files first, c.txt in the first row.
    list->SortColumn(0);
    list->SortColumn(0);
    ASSERT_EQ(Rows(), (Paths{root + L"\\c.txt", root + L"\\b.dat", root + L"\\a.txt", root + L"\\sub"}));
    // The folder's update notice finds the row gone from the first place ...
    ASSERT_TRUE(DeleteFileW((root + L"\\c.txt").c_str()));
    Notice(neFolderUpdate, Pidl(root).get());
    ASSERT_EQ(Rows(), (Paths{root + L"\\b.dat", root + L"\\a.txt", root + L"\\sub"}));
    // ... and so does the file's own delete notice.
    fw::PidlPtr gone = Pidl(root + L"\\b.dat");
    ASSERT_TRUE(DeleteFileW((root + L"\\b.dat").c_str()));
    Notice(neFileDelete, gone.get());
    EXPECT_EQ(Rows(), (Paths{root + L"\\a.txt", root + L"\\sub"}));
}

TEST_F(FileList, SortingByTheLastColumnSortsByItBothWays) {
    // The owner adds a last column of its own and fills it when a row's texts come,
    // as the main window does with its full paths.
    const std::map<std::wstring, std::wstring> marks{
        {root + L"\\a.txt", L"3"}, {root + L"\\b.dat", L"1"}, {root + L"\\c.txt", L"4"}, {root + L"\\sub", L"2"}};
    list->OnCreateColumns = [this](fw::TObject*) { list->Columns()->Add()->SetCaption(L"Mark"); };
    list->OnChange = [&](fw::TObject*, fw::TListItem* Row, fw::TItemChange Change) {
        auto* item = static_cast<TZemFileListItem*>(Row);
        const auto mark = marks.find(item->FullPath());
        if (Change != fw::ctText || mark == marks.end()) return;
        fw::TListSubItems& texts = item->HeldSubItems();
        while (texts.Count() < list->Columns()->Count() - 2) texts.Add(L"");
        texts.Add(mark->second);
    };
    list->CreateColumns();
    Search(root);
    const int last = list->Columns()->Count() - 1;
    ASSERT_EQ(list->Columns()->Items(last)->Caption(), L"Mark");
    const Paths ascending{root + L"\\b.dat", root + L"\\sub", root + L"\\a.txt", root + L"\\c.txt"};
    list->SortColumn(last);
    EXPECT_FALSE(list->Descending());
    EXPECT_EQ(Rows(), ascending);
    list->SortColumn(last);
    EXPECT_TRUE(list->Descending());
    EXPECT_EQ(Rows(), Paths(ascending.rbegin(), ascending.rend()));
}

TEST_F(FileList, OnChangeTellsOfARowsTextsBeforeOnAddItemSeesItWhenBothAreBound) {
    std::set<fw::TListItem*> told;
    std::vector<bool> toldFirst, filled;
    list->OnAddItem = [&](TZemFileListItem* Item, bool&) {
        toldFirst.push_back(told.count(Item) > 0);
        filled.push_back(Item->TextsFilled());
    };
    Search(root);
    ASSERT_EQ(toldFirst.size(), 4u);
    // Without a handler to hear of them, the texts wait until someone reads them.
    for (bool f : filled) EXPECT_FALSE(f);
    list->OnChange = [&](fw::TObject*, fw::TListItem* Item, fw::TItemChange Change) {
        if (Change == fw::ctText) told.insert(Item);
    };
    toldFirst.clear();
    Search(root);
    ASSERT_EQ(toldFirst.size(), 4u);
    for (bool t : toldFirst) EXPECT_TRUE(t);
}

TEST_F(FileList, ABareDriveIsSearchedFromItsRoot) {
    // The drive's current folder is the listing's folder: "D:" must not mean it.
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
    list->SearchOptions()->SetFilter(fw::ExtractFileName(root));
    Search(root.substr(0, 2));
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(Rows(), Paths{root});
}

TEST_F(FileList, RenamesNameTheObjectTheShellMadeAndTheMenusRenameIsReportedAtOnce) {
    Search(root);
    // Typed in place with a trailing dot: the file is "s.txt", and so is its row.
    Select({Row(root + L"\\a.txt")});
    Key(VK_F2);
    ASSERT_TRUE(list->IsEditing());
    HWND edit = ListView_GetEditControl(list->Handle());
    SetWindowTextW(edit, L"s.txt.");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    fw::Application()->ProcessMessages();
    EXPECT_TRUE(Exists(root + L"\\s.txt"));
    EXPECT_EQ(list->FindItemByPath(root + L"\\s.txt."), nullptr);
    TZemFileListItem* row = list->FindItemByPath(root + L"\\s.txt");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->FullPath(), root + L"\\s.txt");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Destination, root + L"\\s.txt");
    // "rename" chosen from the menu is reported as it is chosen, with the selected paths.
    reports.clear();
    list->ReplaceBrowser(new TRenameMenuBrowser(list));
    Select({Row(root + L"\\c.txt")});
    bool offered = false;
    fw::TrackMenuHook = [&](HMENU Menu, UINT, int, int, HWND) -> UINT {
        for (int i = 0; i < GetMenuItemCount(Menu); ++i) {
            const UINT id = GetMenuItemID(Menu, i);
            if (lstrcmpiW(ShellCommandString(list->Browser()->OpenContextMenu(), id, GCS_VERBW).c_str(), L"rename") ==
                0) {
                offered = true;
                return id;
            }
        }
        return 0;
    };
    SendMessageW(list->Handle(), WM_CONTEXTMENU, WPARAM(list->Handle()), LPARAM(-1));
    fw::TrackMenuHook = nullptr;
    ASSERT_TRUE(offered);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].Operation == TZemShellOperations{sopRename});
    EXPECT_EQ(reports[0].Files, std::vector<std::wstring>{root + L"\\c.txt"});
    EXPECT_EQ(reports[0].Destination, root + L"\\c.txt");
    // The name is typed afterwards; given up, it changes nothing.
    EXPECT_TRUE(list->IsEditing());
    if (list->IsEditing()) SendMessageW(ListView_GetEditControl(list->Handle()), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Exists(root + L"\\c.txt"));
}

// A row is named as the shell names its object: a drive root by its root path, a
// folder given with its delimiter by its own name, whether or not a handler read
// the row's texts before the list named it.
TEST_F(FileList, RowsWithoutAFileNameInTheirPathAreNamedAsTheShellNamesThem) {
    list->SetCheckIfExists(false);
    const std::wstring drive = testenv::ScratchRoot(), sub = root + L"\\sub\\";
    for (const bool heard : {false, true}) {
        list->Clear();
        if (heard) {
            list->OnChange = [](fw::TObject*, fw::TListItem*, fw::TItemChange) {};
            list->OnAddItem = [](TZemFileListItem*, bool&) {};
        }
        TZemFileListItem* driveRow = list->AddItem(drive);
        TZemFileListItem* subRow = list->AddItem(sub);
        ASSERT_NE(driveRow, nullptr);
        ASSERT_NE(subRow, nullptr);
        EXPECT_EQ(driveRow->Caption(), drive) << heard;
        EXPECT_EQ(subRow->Caption(), L"sub") << heard;
        ASSERT_GE(subRow->SubItems().Count(), 1);
        EXPECT_EQ(subRow->SubItems()[0], root + L"\\") << heard;
        ExpectShellTexts(list, subRow);
    }
    // Without details every row is named by its full path, also after a handler read it.
    list->SetDetails(false);
    ASSERT_EQ(list->Columns()->Count(), 1);
    list->OnAddItem = [](TZemFileListItem* Item, bool&) { (void)Item->Caption(); };
    TZemFileListItem* plain = list->AddItem(root + L"\\a.txt");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Caption(), root + L"\\a.txt");
}

// What may keep a path from becoming a row: an empty path, a duplicate where
// duplicates are not allowed, the handlers; and a class of rows of the wrong kind.
TEST_F(FileList, AddingRefusesEmptyDuplicateAndRefusedPathsAndRowsOfAnotherClass) {
    list->SetCheckIfExists(false);
    std::vector<std::wstring> events;
    list->OnAddPath = [&](const std::wstring& Path, bool& CanAdd) {
        events.push_back(L"path " + Path);
        CanAdd = Path.find(L"c.txt") == std::wstring::npos;
    };
    list->OnDeletion = [&](fw::TObject*, fw::TListItem* Item) {
        events.push_back(L"gone " + static_cast<TZemFileListItem*>(Item)->FullPath());
    };
    list->SetAllowDuplicates(false);
    TZemFileListItem* a = list->AddItem(root + L"\\a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(list->AddItem(fw::AnsiUpperCase(root) + L"\\A.TXT\\"), a);  // no event for the twin
    EXPECT_EQ(list->AddItem(root + L"\\c.txt"), nullptr);
    EXPECT_EQ(list->AddItem(L""), nullptr);
    ASSERT_EQ(list->Items()->Count(), 1);
    EXPECT_EQ(events, (std::vector<std::wstring>{L"path " + root + L"\\a.txt", L"path " + root + L"\\c.txt",
                                                 L"gone " + root + L"\\c.txt"}));
    list->SetAllowDuplicates(true);
    EXPECT_NE(list->AddItem(root + L"\\a.txt"), a);
    list->OnAddPath = nullptr;
    list->OnDeletion = nullptr;
    // A row of a class that is no file-list row is refused with the list's message.
    list->OnCreateItemClass = [](fw::TCustomListView*, fw::TListItemFactory& Factory) {
        Factory = [](fw::TListItems* Owner) { return new fw::TListItem(Owner); };
    };
    try {
        list->AddItem(root + L"\\b.dat");
        ADD_FAILURE() << "no exception";
    } catch (const fw::EInvalidArgument& e) {
        EXPECT_EQ(e.Message(),
                  L"Internal Error: TZemCustomFileList.CreateListItem: ItemClass must inherit from TZemFileListItem.");
    }
    list->OnCreateItemClass = nullptr;
    // Windows from XP on have no small-icon view: the list view takes its place.
    list->SetViewStyle(fw::vsSmallIcon);
    EXPECT_EQ(list->ViewStyle(), fw::vsList);
}

// A view style ends thumbnails, except the icon view while designed properties are read.
TEST_F(FileList, AViewStyleEndsThumbnailsButTheIconViewReadWithThemKeepsThem) {
    list->SetThumbnails(true);
    list->SetViewStyle(fw::vsIcon);
    EXPECT_FALSE(list->Thumbnails());
    list->BeginLoading();
    list->SetThumbnails(true);
    list->SetViewStyle(fw::vsIcon);
    EXPECT_TRUE(list->Thumbnails());
    list->SetViewStyle(fw::vsReport);
    EXPECT_FALSE(list->Thumbnails());
    list->EndLoading();
    // The shell's larger icons show in the icon view; off, the large icons come back.
    list->SetShowJumboIcons(true);
    EXPECT_TRUE(list->ShowJumboIcons());
    EXPECT_EQ(list->ViewStyle(), fw::vsIcon);
    list->SetShowExtraLargeIcons(true);
    EXPECT_TRUE(list->ShowExtraLargeIcons());
    EXPECT_FALSE(list->ShowJumboIcons());
    list->SetShowExtraLargeIcons(false);
    EXPECT_EQ(list->LargeSystemImages()->Size(), si_large);
}

// Rows with equal texts in a text column go by caption in natural order, both ways;
// OnCompare is asked for text columns (and may turn the answer round), never for
// the shell's columns.
TEST_F(FileList, TiesInATextColumnGoByCaptionAndOnlyTextColumnsAskOnCompare) {
    list->SetCheckIfExists(false);
    for (const wchar_t* name : {L"\\x10.txt", L"\\x2.txt", L"\\x1.txt"}) {
        scratch::MakeFile(root + name, 1);
        ASSERT_NE(list->AddItem(root + name), nullptr);
    }
    const Paths natural{root + L"\\x1.txt", root + L"\\x2.txt", root + L"\\x10.txt"};
    list->SortColumn(list->FolderColumn());
    EXPECT_EQ(Rows(), natural);
    list->SortColumn(list->FolderColumn());
    EXPECT_EQ(Rows(), Paths(natural.rbegin(), natural.rend()));
    std::set<int> asked;
    list->OnCompare = [&](fw::TObject*, fw::TListItem*, fw::TListItem*, int Column, int& Result) {
        asked.insert(Column);
        Result = -Result;
    };
    list->SortColumn(list->FolderColumn());  // ascending again, turned round by the handler
    EXPECT_EQ(Rows(), Paths(natural.rbegin(), natural.rend()));
    for (int column = 0; column < list->ColumnCount(); ++column)
        if (column != list->FolderColumn()) list->SortColumn(column);
    EXPECT_EQ(asked, std::set<int>{list->FolderColumn()});
    list->OnCompare = nullptr;
}

// Paths added at once: empty lines skipped, "-" in front never checked, the rest
// checked through the shell link's selection; the notifier follows the list again.
// A row's state changes are told only once it has a state, and only real changes.
TEST_F(FileList, PathsAddedAtOnceAreCheckedUnlessMarkedAndStateChangesAreToldOnce) {
    list->SetCheckIfExists(false);
    auto* link = new TZemShellLink(form);
    link->SelectionList()->SetCalculateSizes(false);
    list->SetShellLink(link);
    list->SetCheckboxes(true);
    ASSERT_TRUE(list->Checkboxes());
    fw::TStringList paths;
    for (const std::wstring& line : {root + L"\\a.txt", std::wstring(), L"-" + root + L"\\b.dat"}) paths.Add(line);
    list->AddPaths(&paths, true);
    ASSERT_EQ(Rows(), (Paths{root + L"\\a.txt", root + L"\\b.dat"}));
    EXPECT_EQ(list->Items()->Item(0)->GetCheckState(), ssChecked);
    EXPECT_EQ(list->Items()->Item(1)->GetCheckState(), ssUnChecked);
    EXPECT_EQ(list->Notifier()->Enabled(), list->AutomaticRefresh());
    std::vector<TZemSelectionState> told;
    list->OnCheckStateChanged = [&](fw::TObject*, int, const std::wstring&, TZemSelectionState State) {
        told.push_back(State);
    };
    TZemFileListItem* row = list->Items()->Item(1);
    row->SetStateIndex(-1);
    row->SetUpdated(true);
    EXPECT_EQ(row->GetCheckState(), ssUnused);
    row->SetCheckState(ssUnChecked);  // the first state is not a change anyone hears of
    row->SetCheckState(ssUnChecked);
    row->SetCheckState(ssGrayed);
    EXPECT_TRUE(row->IsChecked());
    EXPECT_EQ(told, std::vector<TZemSelectionState>{ssGrayed});
    list->OnCheckStateChanged = nullptr;
    list->SetCheckboxes(false);
    list->SetShellLink(nullptr);
}
