#pragma once
// The file list's tests on a generated tree: a list filling a placed form over a
// fresh folder of files whose names, sizes and dates sort in three different
// orders, with its operations recorded, and the helpers the cases share.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"
#include "shell/PathUtils.h"
#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

namespace filelisttest {

using namespace shell;
using pooltest::PumpUntil;
using Paths = std::vector<std::wstring>;

inline constexpr int64_t kDay = 864000000000;

inline int64_t FileTimeAt(WORD Year, WORD Month, WORD Day, WORD Hour, WORD Minute) {
    const SYSTEMTIME st{Year, Month, 0, Day, Hour, Minute, 17, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return int64_t((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

// A file of Size bytes (sparse where the file system allows), written at Time.
inline void MakeTimedFile(const std::wstring& Path, int64_t Size, int64_t Time, DWORD Attributes = 0) {
    fw::Handle file(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = Size;
    SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
    SetEndOfFile(file.get());
    const FILETIME time{DWORD(uint64_t(Time)), DWORD(uint64_t(Time) >> 32)};
    SetFileTime(file.get(), nullptr, nullptr, &time);
    if (Attributes) SetFileAttributesW(Path.c_str(), Attributes);
}

inline bool PoolIdle() {
    return shell::GlobalWorkerPool->PendingCount() == 0;
}

inline Paths Sorted(Paths P) {
    std::sort(P.begin(), P.end());
    return P;
}

// Each detail text of a row equals the shell's own, in the column whose caption names it.
inline void ExpectShellTexts(TZemFileList* List, TZemFileListItem* Item) {
    std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(Item->FullPath());
    ASSERT_TRUE(browser && browser->InitDetails());
    ASSERT_EQ(Item->SubItems().Count(), List->ColumnCount() - 1);
    for (int column = 2; column < List->ColumnCount(); ++column) {
        std::wstring caption, shell;
        int shellColumn = 1;
        while (browser->GetDetails(shellColumn, true, caption), caption != List->Columns()->Items(column)->Caption())
            ASSERT_LT(++shellColumn, 99);
        browser->GetDetails(shellColumn, false, shell);
        EXPECT_EQ(Item->SubItems()[column - 1], shell) << Item->FullPath() << " column " << column;
    }
}

inline bool Exists(const std::wstring& Path) {
    return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct TReport {
    TZemShellOperations Operation;
    std::vector<std::wstring> Files;
    std::wstring Destination;
};

// The file list with its mouse and key handlers in reach.
class TTestFileList : public TZemFileList {
public:
    using TZemFileList::KeyUp;
    using TZemFileList::MouseDown;
    using TZemFileList::PlaceThumbnail;
    using TZemFileList::TZemFileList;
    // The shell column left out, as the shell leaves out those it hides (0: none).
    int hiddenShellColumn = 0;
    void CreateColumns() override {
        TZemFileList::CreateColumns();
        for (size_t c = 0; hiddenShellColumn > 0 && c < shellColumns_.size(); ++c)
            if (shellColumns_[c] == hiddenShellColumn) {
                Columns()->Delete(int(c));
                shellColumns_.erase(shellColumns_.begin() + ptrdiff_t(c));
                columnKinds_.erase(columnKinds_.begin() + ptrdiff_t(c));
                columnCount_ = Columns()->Count();
            }
    }
    int rowsDrawn = 0;  // rows that went through the row stage of custom drawing
    bool CustomDrawItem(fw::TListItem* Item, UINT State, fw::TCustomDrawStage Stage) override {
        ++rowsDrawn;
        return TZemFileList::CustomDrawItem(Item, State, Stage);
    }
    // Puts Browser (which the list then owns) in the place of the list's own.
    void ReplaceBrowser(TPathfinch* Browser) {
        Browser->ShowErrorMessages = false;
        delete browser_;
        browser_ = Browser;
    }
    std::vector<std::pair<int, void*>> thumbnailsDelivered;
    void ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) override {
        thumbnailsDelivered.emplace_back(Index, Owner);
        TZemFileList::ThumbnailReady(std::move(Bitmap), Index, Owner);
    }
};

// The shell library, and a file list filling a placed form (which owns it) over a
// fresh tree: names, sizes and dates in three different orders. The end frees the
// form and waits for the work the list left.
class FileList : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        root = testenv::NewScratchFolder(L"filelist");
        MakeTimedFile(root + L"\\a.txt", 10, FileTimeAt(2020, 6, 1, 12, 0));
        MakeTimedFile(root + L"\\b.dat", 300, FileTimeAt(2019, 6, 1, 12, 0));
        MakeTimedFile(root + L"\\c.txt", 20, FileTimeAt(2021, 6, 1, 12, 0));
        scratch::MakeFolder(root + L"\\sub");
        MakeTimedFile(root + L"\\sub\\d.txt", 5, FileTimeAt(2018, 6, 1, 12, 0));
        form = testenv::NewPlacedForm(30, 30, 700, 400);
        list = testenv::NewFillingControl<TTestFileList>(form);
        list->OnEndSearch = [this] { ++ends; };
        list->SearchOptions()->SetAutoWildcard(false);
        list->SearchOptions()->SetFilter(L"*");
        list->Browser()->DeleteFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        list->OnOperation = [this](fw::TObject*, TZemShellOperations Operation, fw::TStringList* Files,
                                   const std::wstring& Destination) {
            TReport report{Operation, {}, Destination};
            for (int i = 0; i < Files->Count(); ++i) report.Files.push_back(Files->Strings(i));
            reports.push_back(report);
        };
        // The program's boxes are noted and answered OK (No where asked).
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            boxes.push_back(Text);
            return IDOK;
        };
        // A hidden list fills no row by painting it; its columns come with its window.
        if (Shown()) form->Show();
        list->Handle();
        fw::Application()->ProcessMessages();
    }
    void TearDown() override {
        fw::TrackMenuHook = nullptr;
        fw::TApplication::MessageBoxHook = nullptr;
        delete form;
        PumpUntil(PoolIdle);
        ShellLibraryShutdown();
    }
    virtual bool Shown() const { return true; }
    void Search(const std::wstring& Folder, bool Recursive = false) {
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
    int Row(const std::wstring& Path) const {
        TZemFileListItem* item = list->FindItemByPath(Path);
        return item ? item->Index() : -1;
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
        ASSERT_TRUE(PumpUntil(PoolIdle));
        pooltest::PumpFor(20);
    }
    void Select(std::initializer_list<int> Rows) {
        list->ClearSelection();
        for (int row : Rows) {
            ASSERT_GE(row, 0);
            ASSERT_LT(row, list->Items()->Count());
        }
        for (int row : Rows) list->Items()->Item(row)->SetSelected(true);
        list->Items()->Item(*Rows.begin())->SetFocused(true);
    }
    void Key(WORD Key, fw::TShiftState Shift = 0) {
        SendMessageW(list->Handle(), (Shift & fw::ssAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, Key,
                     fw::ShiftStateToKeyData(Shift));
    }
    // Paints and pumps until every row is made ready and the work items are done.
    void Settle() {
        ASSERT_TRUE(PumpUntil([&] {
            fw::Application()->ProcessMessages();
            for (int i = 0; i < list->Items()->Count(); ++i)
                if (!list->Items()->Item(i)->Updated() || list->Items()->Item(i)->ImageIndex() < 0) return false;
            return PoolIdle();
        }));
    }

    std::wstring root;
    fw::TForm* form = nullptr;
    TTestFileList* list = nullptr;
    int ends = 0;
    std::vector<TReport> reports;
    std::vector<std::wstring> boxes;
};

// Every row filled at once by a hidden list, and each text checked against the shell's.
class FileListHeldTexts : public FileList {
protected:
    bool Shown() const override { return false; }
    void ListAndCompare(const std::wstring& Folder) {
        Search(Folder);
        ASSERT_GT(list->Items()->Count(), 0);
        list->FillTexts();
        for (int i = 0; i < list->Items()->Count(); ++i) ExpectShellTexts(list, list->Items()->Item(i));
    }
};

}  // namespace filelisttest
