// The long-path form of paths, and finds beyond the classic path limit.
#include <gtest/gtest.h>

#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "tests/shell/ScratchTree.h"
#include "tests/common/TestEnv.h"

#include <windows.h>

using namespace shell;

TEST(LongPathFind, LongForms) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\\\\srv\\sh\\a", L"\\\\?\\UNC\\srv\\sh\\a"},
        {L"C:\\a", L"\\\\?\\C:\\a"},
        {L"a\\b", L"a\\b"},
        {L"name", L"name"},
        {L"", L""},
        {L"\\\\server", L"\\\\server"},
        {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},
        // Made full first: the prefix switches the system's own normalising off.
        {L"C:\\a\\..\\b", L"\\\\?\\C:\\b"},
        {L"C:\\a\\.\\b/c", L"\\\\?\\C:\\a\\b\\c"},
        {L"\\\\srv\\sh\\a\\..\\b", L"\\\\?\\UNC\\srv\\sh\\b"},
        {L"C:\\a\\..\\..\\b", L"\\\\?\\C:\\b"},
        {L"C:\\a\\\\b\\", L"\\\\?\\C:\\a\\b\\"},
        // Names from a folder listing keep their dots: "dotdir." is not "dotdir".
        {L"C:\\x\\dotdir.\\*", L"\\\\?\\C:\\x\\dotdir.\\*"},
        {L"C:\\x\\...\\f", L"\\\\?\\C:\\x\\...\\f"},
        {L"C:\\x\\name. ", L"\\\\?\\C:\\x\\name. "},
        {L"\\\\srv\\sh\\dotdir.", L"\\\\?\\UNC\\srv\\sh\\dotdir."},
        // Device paths stay as they are.
        {L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive0"},
        {L"\\\\.\\C:", L"\\\\.\\C:"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(MakeLongPath(path), expected) << path;
}

TEST(LongPathFind, NamesEndingInDotsReachTheirOwnObjects) {
    const std::wstring root = testenv::NewScratchFolder(L"dots");
    scratch::MakeDotNamesTree(root);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\a.txt"), 1);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir\\b.txt"), 2);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\b.txt"), -1);
    EXPECT_EQ(GetFileSize64(root + L"\\...\\deep\\d.txt"), 4);
    EXPECT_TRUE(PathExists(root + L"\\dotdir.\\a.txt"));
    EXPECT_FALSE(PathExists(root + L"\\dotdir\\a.txt"));
    EXPECT_FALSE(PathExists(root + L"\\dotdir.\\b.txt"));
    EXPECT_TRUE(PathExists(root + L"\\...\\c.txt"));
    EXPECT_TRUE(PathExists(root + L"\\...\\"));
    // The search's root is made full once; what lies below it is kept as listed.
    EXPECT_EQ(MakeFullPath(root + L"\\sub\\..\\dotdir.\\"), root + L"\\dotdir.\\");
}

namespace {

std::wstring MakeDeepTree(const std::wstring& root, std::wstring& file) {
    std::wstring path = root;
    const std::wstring part(40, L'x');
    while (path.size() < 400) {
        path += L"\\" + part;
        EXPECT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr)) << GetLastError();
    }
    file = path + L"\\deep.txt";
    HANDLE h = CreateFileW((L"\\\\?\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "abc", 3, &written, nullptr);
    CloseHandle(h);
    return path;
}

}  // namespace

TEST(LongPathFind, FindsBeyondTheClassicLimit) {
    std::wstring file;
    const std::wstring deep = MakeDeepTree(testenv::NewScratchFolder(L"long"), file);
    ASSERT_GT(file.size(), size_t(MAX_PATH));

    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileLong(file, data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, L"deep.txt");
    FindClose(h);

    h = FindFirstFileLong(deep + L"\\*", data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        if (!IsDotOrDotDot(data.cFileName)) ++files;
    } while (FindNextFileW(h, &data));
    FindClose(h);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(GetFileSize64(file), 3);
}

namespace {
int revertCalls = 0, disableCalls = 0;
BOOL WINAPI CountingDisable(PVOID* Old) {
    ++disableCalls;
    *Old = nullptr;
    return TRUE;
}
BOOL WINAPI CountingRevert(PVOID) {
    ++revertCalls;
    return TRUE;
}
}  // namespace

TEST(LongPathFind, RedirectionSwitchOnlyWhenAsked) {
    const TBoundEntryPoints saved = BoundEntries;
    BoundEntries.Wow64DisableWow64FsRedirection = CountingDisable;
    BoundEntries.Wow64RevertWow64FsRedirection = CountingRevert;
    disableCalls = revertCalls = 0;
    const std::wstring folder = testenv::NewScratchFolder(L"redirect");

    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileLong(folder + L"\\missing", data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(disableCalls, 0);
    EXPECT_EQ(revertCalls, 0);

    UseWow64RedirectionSwitch = true;
    EXPECT_EQ(FindFirstFileLong(folder + L"\\missing", data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    UseWow64RedirectionSwitch = false;
    // A failed find still turns the switch back.
    EXPECT_EQ(disableCalls, 1);
    EXPECT_EQ(revertCalls, 1);
    BoundEntries = saved;
}
