// Path list, navigation history, wide-string builder, the desktop wrapper, and the
// long-path form of paths with finds beyond the classic path limit.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/PidlHistory.h"
#include "shell/SpecialFolders.h"
#include "shell/WideStringBuilder.h"
#include "shell/ZemDesktopFolder.h"
#include "shell/ZemPathList.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

using Announced = std::vector<std::pair<std::wstring, int>>;

struct Events {
    Announced added, removed;
    explicit Events(TZemPathList& List) {
        List.OnPathAdded = [this](const std::wstring& p, int i) { added.emplace_back(p, i); };
        List.OnPathRemoved = [this](const std::wstring& p, int i) { removed.emplace_back(p, i); };
    }
};

}  // namespace

TEST(ZemPathList, NormalizesNeverAddsTwiceRefusesWhatDoesNotExistAndAnnouncesDeletes) {
    const std::wstring root = testenv::NewScratchFolder(L"pathlist");
    const std::wstring temp = scratch::MakeFolder(root + L"\\Temp");
    TZemPathList list;
    Events events(list);
    ASSERT_GE(list.Add(L"C:"), 0);
    EXPECT_EQ(list.Strings(list.IndexOf(L"C:\\")), L"C:\\");
    const int index = list.Add(temp + L"\\");
    ASSERT_GE(index, 0);
    EXPECT_EQ(list.Strings(index), temp);
    std::wstring lower = temp;
    for (wchar_t& c : lower) c = wchar_t(towlower(c));
    EXPECT_EQ(list.Add(lower), index);
    EXPECT_EQ(list.Add(root + L"\\missing"), -1);
    EXPECT_EQ(list.Add(root + L"\\*"), -1);
    // Neither the repeat nor the refused paths were announced.
    ASSERT_EQ(events.added.size(), 2u);
    EXPECT_EQ(events.added[1], std::make_pair(temp, index));
    list.SetCheckExistence(false);
    EXPECT_GE(list.Add(root + L"\\missing"), 0);
    const int at = list.IndexOf(temp);
    list.Delete(at);
    EXPECT_EQ(events.removed, (Announced{{temp, at}}));
}

TEST(PidlHistory, AddingAfterGoingBackDropsTheForwardEntries) {
    const std::wstring root = testenv::NewScratchFolder(L"history");
    const auto pidl = [&](const wchar_t* Name) {
        return ILCreateFromPathW(scratch::MakeFolder(root + L"\\" + Name).c_str());
    };
    TPidlHistory history;
    EXPECT_EQ(history.Current(), nullptr);
    history.Add(nullptr);
    EXPECT_EQ(history.Count(), 0);
    for (const wchar_t* name : {L"A", L"B", L"C"}) history.Add(pidl(name));
    history.Back(5);
    EXPECT_EQ(history.ItemIndex(), 0);
    history.Add(pidl(L"D"));
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.ItemIndex(), 1);
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(history.Current(), path));
    EXPECT_EQ(std::wstring(path), root + L"\\D");
    history.Add(pidl(L"D"));  // the same object: taken over and freed, nothing added
    EXPECT_EQ(history.Count(), 2);
    history.Back(1);
    history.Forward(3);
    EXPECT_EQ(history.ItemIndex(), 1);
}

TEST(WideStringBuilder, ZeroSeparatedStringsEndWithDoubleZeroAndGrowthKeepsTheText) {
    TWideStringBuilder builder;
    builder.SetZeroSeparated(true);
    builder.SetGrowBy(4);
    builder.AppendStrings(std::vector<std::wstring>{L"a", L"bc"});
    const wchar_t expected[] = {L'a', 0, L'b', L'c', 0, 0};
    ASSERT_EQ(builder.Length(), 6u);
    EXPECT_EQ(std::wstring(builder.Buffer(), 6), std::wstring(expected, 6));
}

TEST(ZemDesktopFolder, AnswersDataObjectRequestsWithItsOwnAndForwardsTheRest) {
    const std::wstring file = testenv::NewScratchFolder(L"desktop") + L"\\x.txt";
    scratch::MakeFile(file);
    fw::PidlPtr pidl(ILCreateFromPathW(file.c_str()));
    fw::ComPtr<IShellFolder> parent;
    LPCITEMIDLIST child = nullptr;
    ASSERT_EQ(SHBindToParent(pidl.get(), IID_IShellFolder, parent.put_void(), &child), S_OK);
    fw::ComPtr<IDataObject> data;
    ASSERT_EQ(parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, data.put_void()), S_OK);

    fw::ComPtr<IShellFolder> folder = TZemDesktopFolder::Create(data.get());
    fw::ComPtr<IDataObject> answer;
    ASSERT_EQ(folder->GetUIObjectOf(nullptr, 0, nullptr, IID_IDataObject, nullptr, answer.put_void()), S_OK);
    EXPECT_EQ(answer.get(), data.get());
    wchar_t name[] = L"C:\\";
    fw::PidlPtr parsed;
    ASSERT_EQ(folder->ParseDisplayName(nullptr, nullptr, name, nullptr, parsed.put(), nullptr), S_OK);
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDListW(parsed.get(), path));
    EXPECT_EQ(std::wstring(path), L"C:\\");
}

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
