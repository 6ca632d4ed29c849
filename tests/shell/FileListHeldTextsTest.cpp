// The file list's texts when every row is filled at once: sizes, dates and
// attributes made from what the search held equal the shell's own texts for
// sizes around a kilobyte, dates old and recent, read-only files, and many rows
// of one kind (which are not compared one by one); where a made text would
// differ (a wrong routine, or values the shell writes otherwise) the column is
// the shell's and the texts are still the shell's.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Forms.h"
#include "shell/Pathfinch.h"
#include "shell/ShellLibrary.h"
#include "shell/WorkerThreadPool.h"
#include "shell/ZemFileList.h"
#include "tests/shell/ScratchTree.h"
#include "tests/shell/ThreadPoolTestUtil.h"

using namespace shell;

namespace {

constexpr int64_t kDay = 864000000000;

void MakeFile(const std::wstring& Path, int64_t Size, int64_t Time, DWORD Attributes = 0) {
    HANDLE h = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = Size;
    SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
    SetEndOfFile(h);  // sparse where the file system allows
    const FILETIME time{DWORD(uint64_t(Time)), DWORD(uint64_t(Time) >> 32)};
    SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
    if (Attributes) SetFileAttributesW(Path.c_str(), Attributes);
}

int64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return int64_t((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

int64_t At(WORD Year, WORD Month, WORD Day, WORD Hour, WORD Minute) {
    SYSTEMTIME st{Year, Month, 0, Day, Hour, Minute, 17, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return int64_t((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

class FileListHeldTexts : public testing::Test {
protected:
    void SetUp() override {
        ShellLibraryStartup();
        root = testenv::NewScratchFolder(L"heldtexts");
        // A hidden window: no row is filled by being shown.
        form = new fw::TForm(nullptr);
        list = new TZemFileList(form);
        list->SetParent(form);
        list->Handle();  // the columns come with the window
        list->OnEndSearch = [this] { ++ends; };
        list->SearchOptions()->SetAutoWildcard(false);
        list->SearchOptions()->SetFilter(L"*");
    }
    void TearDown() override {
        delete form;
        pooltest::PumpUntil([] { return GlobalWorkerPool->PendingCount() == 0; });
        ShellLibraryShutdown();
    }
    // Lists Folder, fills every row at once, and checks each text against the shell's.
    void ListAndCompare(const std::wstring& Folder) {
        list->StopSearch();
        list->Clear();
        const int before = ends;
        list->StartSearch(Folder);
        ASSERT_TRUE(pooltest::PumpUntil([&] { return ends > before; }));
        ASSERT_GT(list->Items()->Count(), 0);
        list->FillTexts();
        for (int i = 0; i < list->Items()->Count(); ++i) {
            TZemFileListItem* item = list->Items()->Item(i);
            std::unique_ptr<TPathfinch> browser = TPathfinch::CreateForPath(item->FullPath());
            ASSERT_TRUE(browser && browser->InitDetails());
            ASSERT_EQ(item->SubItems().Count(), list->ColumnCount() - 1);
            for (int column = 2; column < list->ColumnCount(); ++column) {
                std::wstring shell;
                browser->GetDetails(column - 1, false, shell);
                EXPECT_EQ(item->SubItems()[column - 1], shell) << item->FullPath() << " column " << column;
            }
        }
    }

    std::wstring root;
    fw::TForm* form = nullptr;
    TZemFileList* list = nullptr;
    int ends = 0;
};

}  // namespace

TEST_F(FileListHeldTexts, MadeTextsEqualTheShellsAndADifferingColumnIsTheShells) {
    const int64_t now = Now();
    const std::wstring plain = scratch::MakeFolder(root + L"\\plain");
    const int64_t sizes[] = {0, 1, 1023, 1024, 1025, 999999, 1048576, 123456789};
    const int64_t times[] = {At(1999, 1, 31, 23, 59), At(2011, 7, 4, 0, 0), now - 3 * kDay, now - kDay / 24};
    for (size_t i = 0; i < std::size(sizes); ++i)
        MakeFile(plain + L"\\f" + std::to_wstring(i) + L".txt", sizes[i], times[i % std::size(times)]);
    MakeFile(plain + L"\\readonly.txt", 5, times[1], FILE_ATTRIBUTE_READONLY);
    // Many rows of one kind: only the first is compared, the others are made.
    for (int i = 0; i < 40; ++i) MakeFile(plain + L"\\same" + std::to_wstring(i) + L".dat", 4096, times[0]);
    scratch::MakeFolder(plain + L"\\sub");
    ListAndCompare(plain);
    for (TZemColumnKind kind : {ckSize, ckDate, ckAttributes}) EXPECT_FALSE(list->HeldTexts().Refused(kind)) << kind;

    // Sizes past 4 GB and dates before 1980: whatever the shell writes, the list writes.
    const std::wstring odd = scratch::MakeFolder(root + L"\\odd");
    MakeFile(odd + L"\\big.bin", (int64_t(5) << 30) + 12345, times[1]);
    MakeFile(odd + L"\\old.txt", 10, At(1975, 5, 6, 7, 8));
    MakeFile(odd + L"\\new.txt", 10, times[0]);
    ListAndCompare(odd);

    // A routine that writes other texts: its column falls back to the shell.
    list->HeldTexts().SetFormat(ckSize, [](const TZemFindData& Data) { return std::to_wstring(Data.Size); });
    ListAndCompare(plain);
    EXPECT_TRUE(list->HeldTexts().Refused(ckSize));
    EXPECT_FALSE(list->HeldTexts().Refused(ckDate));
}
