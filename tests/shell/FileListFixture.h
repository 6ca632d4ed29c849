#pragma once
// The file list tests' fixture: the shell library started, a fresh scratch folder
// and a file list filling a placed form. The form owns the list; the end frees the
// form and waits for the work items the list left behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "tests/common/PlacedForm.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

namespace filelisttest {

using Paths = std::vector<std::wstring>;

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

template <class List = shell::TZemFileList>
class TFileListTest : public testing::Test {
protected:
    void SetUp() override { shell::ShellLibraryStartup(); }
    void TearDown() override {
        delete form;
        pooltest::PumpUntil(PoolIdle);
        shell::ShellLibraryShutdown();
    }
    // A hidden list fills no row by painting it; its columns come with its window.
    void MakeList(const wchar_t* Folder, bool Shown = true) {
        root = testenv::NewScratchFolder(Folder);
        form = testenv::NewPlacedForm(30, 30, 700, 400);
        list = testenv::NewFillingControl<List>(form);
        list->OnEndSearch = [this] { ++ends; };
        list->SearchOptions()->SetAutoWildcard(false);
        list->SearchOptions()->SetFilter(L"*");
        if (Shown) form->Show();
        list->Handle();
        fw::Application()->ProcessMessages();
    }
    void Search(const std::wstring& Folder, bool Recursive = false) {
        list->StopSearch();
        list->Clear();
        list->SearchOptions()->SetRecursiveSearch(Recursive);
        const int before = ends;
        list->StartSearch(Folder);
        ASSERT_TRUE(pooltest::PumpUntil([&] { return ends > before; }));
    }
    Paths Rows() const {
        Paths rows;
        for (int i = 0; i < list->Items()->Count(); ++i) rows.push_back(list->Items()->Item(i)->FullPath());
        return rows;
    }
    int Row(const std::wstring& Path) const {
        shell::TZemFileListItem* item = list->FindItemByPath(Path);
        return item ? item->Index() : -1;
    }

    std::wstring root;
    fw::TForm* form = nullptr;
    List* list = nullptr;
    int ends = 0;
};

}  // namespace filelisttest
