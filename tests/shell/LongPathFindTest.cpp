// The long-path form of paths, and finds beyond the classic path limit.
#include <gtest/gtest.h>

#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/SpecialFolders.h"
#include "tests/shell/ScratchTree.h"

#include <windows.h>

using namespace shell;

TEST(LongPathFind, LongForms) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\\\\srv\\sh\\a", L"\\\\?\\UNC\\srv\\sh\\a"},
        {L"C:\\a", L"\\\\?\\C:\\a"},
        {L"a\\b", L"a\\b"},
        {L"", L""},
        {L"\\\\server", L"\\\\server"},
        {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},
        // Made full first: the prefix switches the system's own normalising off.
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
        {L"\\\\.\\C:", L"\\\\.\\C:"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(MakeLongPath(path), expected) << path;
}

TEST(LongPathFind, NamesEndingInDotsReachTheirOwnObjects) {
    const std::wstring root = testenv::NewScratchFolder(L"dots");
    scratch::MakeDotNamesTree(root);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\a.txt"), 1);
    EXPECT_EQ(GetFileSize64(root + L"\\dotdir.\\b.txt"), -1);
    EXPECT_EQ(GetFileSize64(root + L"\\...\\deep\\d.txt"), 4);
    EXPECT_FALSE(PathExists(root + L"\\dotdir\\a.txt"));
    EXPECT_TRUE(PathExists(root + L"\\...\\"));
    // The search's root is made full once; what lies below it is kept as listed.
    EXPECT_EQ(MakeFullPath(root + L"\\sub\\..\\dotdir.\\"), root + L"\\dotdir.\\");
}

TEST(LongPathFind, FindsBeyondTheClassicLimit) {
    std::wstring deep = testenv::NewScratchFolder(L"long");
    while (deep.size() < 400) {
        deep += L"\\" + std::wstring(40, L'x');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << GetLastError();
    }
    const std::wstring file = deep + L"\\deep.txt";
    scratch::MakeFile(L"\\\\?\\" + file, 3);

    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileLong(deep + L"\\*", data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (!IsDotOrDotDot(data.cFileName)) names.push_back(data.cFileName);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    EXPECT_EQ(names, std::vector<std::wstring>{L"deep.txt"});
    EXPECT_EQ(GetFileSize64(file), 3);
}
