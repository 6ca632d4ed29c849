// Path list, navigation history, wide-string builder and the desktop wrapper.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/PidlHistory.h"
#include "shell/WideStringBuilder.h"
#include "shell/ZemDesktopFolder.h"
#include "shell/ZemPathList.h"
#include "tests/common/TestEnv.h"

using namespace shell;

namespace {

struct Events {
    std::vector<std::pair<std::wstring, int>> added, removed;
    void Bind(TZemPathList& List) {
        List.OnPathAdded = [this](const std::wstring& p, int i) { added.emplace_back(p, i); };
        List.OnPathRemoved = [this](const std::wstring& p, int i) { removed.emplace_back(p, i); };
    }
};

std::wstring MakeFolder(const std::wstring& Parent, const std::wstring& Name) {
    const std::wstring path = Parent + L"\\" + Name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

LPITEMIDLIST PidlOf(const std::wstring& Path) {
    return ILCreateFromPathW(Path.c_str());
}

}  // namespace

TEST(ZemPathList, NormalizesRootsAndFoldersAndNeverAddsTwice) {
    const std::wstring root = testenv::NewScratchFolder(L"pathlist");
    const std::wstring temp = MakeFolder(root, L"Temp");
    TZemPathList list;
    Events events;
    events.Bind(list);
    const int drive = list.Add(L"C:");
    ASSERT_GE(drive, 0);
    EXPECT_EQ(list.Strings(list.IndexOf(L"C:\\")), L"C:\\");
    const int index = list.Add(temp + L"\\");
    ASSERT_GE(index, 0);
    EXPECT_EQ(list.Strings(index), temp);
    std::wstring lower = temp;
    for (wchar_t& c : lower) c = wchar_t(towlower(c));
    EXPECT_EQ(list.Add(lower), index);
    EXPECT_EQ(list.Count(), 2);
    ASSERT_EQ(events.added.size(), 2u);  // the repeated path announced nothing
    EXPECT_EQ(events.added[1], std::make_pair(temp, index));
}

TEST(ZemPathList, MissingPathIsRefusedWithoutEventUnlessExistenceIsNotChecked) {
    const std::wstring root = testenv::NewScratchFolder(L"pathlist");
    TZemPathList list;
    Events events;
    events.Bind(list);
    EXPECT_EQ(list.Add(root + L"\\missing"), -1);
    EXPECT_EQ(list.Add(root + L"\\*"), -1);
    EXPECT_TRUE(events.added.empty());
    list.SetCheckExistence(false);
    EXPECT_EQ(list.Add(root + L"\\missing"), 0);
    EXPECT_EQ(events.added.size(), 1u);
}

TEST(ZemPathList, PutDeletesThenAddsInOrder) {
    TZemPathList list;
    list.SetCheckExistence(false);
    list.Add(L"C:\\a");
    list.Add(L"C:\\c");
    Events events;
    events.Bind(list);
    list.Put(0, L"C:\\d\\");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), L"C:\\c");
    EXPECT_EQ(list.Strings(1), L"C:\\d");
    EXPECT_EQ(events.removed, (std::vector<std::pair<std::wstring, int>>{{L"C:\\a", 0}}));
    EXPECT_EQ(events.added, (std::vector<std::pair<std::wstring, int>>{{L"C:\\d", 1}}));
}

TEST(ZemPathList, DeleteAnnouncesAndEveryChangeDropsTheCache) {
    TZemPathList list;
    list.SetCheckExistence(false);
    list.Add(L"C:\\x");
    Events events;
    events.Bind(list);
    list.SetCache(std::make_unique<fw::TObject>());
    list.Add(L"C:\\y");
    EXPECT_EQ(list.Cache(), nullptr);
    list.SetCache(std::make_unique<fw::TObject>());
    list.Delete(0);
    EXPECT_EQ(list.Cache(), nullptr);
    EXPECT_EQ(events.removed, (std::vector<std::pair<std::wstring, int>>{{L"C:\\x", 0}}));
}

TEST(ZemPathList, NetworkPathIsNotedAndTextIsSplitAtSemicolons) {
    TZemPathList list;
    list.SetCheckExistence(false);
    list.Add(L"C:\\x");
    EXPECT_FALSE(list.HasNetworkPath());
    list.Add(L"\\\\server\\share\\dir");
    EXPECT_TRUE(list.HasNetworkPath());
    list.Delete(list.IndexOf(L"\\\\server\\share\\dir"));
    EXPECT_TRUE(list.HasNetworkPath());

    TZemPathList fromText(L"C:\\;D:\\");
    EXPECT_EQ(fromText.Count(), 2);
    EXPECT_EQ(fromText.DelimitedText(), L"C:\\;D:\\");
}

TEST(PidlHistory, AddingAfterGoingBackDropsTheForwardEntries) {
    const std::wstring root = testenv::NewScratchFolder(L"history");
    const std::wstring a = MakeFolder(root, L"A"), b = MakeFolder(root, L"B"), c = MakeFolder(root, L"C"),
                       d = MakeFolder(root, L"D");
    TPidlHistory history;
    EXPECT_EQ(history.Current(), nullptr);
    history.Add(nullptr);
    EXPECT_EQ(history.Count(), 0);
    history.Add(PidlOf(a));
    history.Add(PidlOf(b));
    history.Add(PidlOf(c));
    EXPECT_EQ(history.ItemIndex(), 2);
    history.Back(5);
    EXPECT_EQ(history.ItemIndex(), 0);
    history.Add(PidlOf(d));
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.ItemIndex(), 1);
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(history.Current(), path));
    EXPECT_EQ(std::wstring(path), d);
    history.Add(PidlOf(d));  // the same object: taken over and freed, nothing added
    EXPECT_EQ(history.Count(), 2);
    history.Forward(1);
    EXPECT_EQ(history.ItemIndex(), 1);
    history.Back(1);
    history.Forward(3);
    EXPECT_EQ(history.ItemIndex(), 1);
}

TEST(WideStringBuilder, ZeroSeparatedStringsEndWithDoubleZeroAndGrowthKeepsTheText) {
    TWideStringBuilder builder;
    builder.SetZeroSeparated(true);
    builder.AppendStrings(std::vector<std::wstring>{L"a", L"bc"});
    EXPECT_EQ(builder.Length(), 6u);
    EXPECT_EQ(builder.SizeInBytes(), 12u);
    const wchar_t expected[] = {L'a', 0, L'b', L'c', 0, 0};
    EXPECT_EQ(std::wstring(builder.Buffer(), 6), std::wstring(expected, 6));

    TWideStringBuilder grown;
    grown.SetGrowBy(8);
    grown.Append(L"hello world");
    EXPECT_EQ(grown.Capacity(), 32u);  // 24 bytes needed, so four steps of 8
    grown.Append(L"!");
    EXPECT_EQ(std::wstring(grown.Buffer()), L"hello world!");
}

TEST(ZemDesktopFolder, AnswersDataObjectRequestsWithItsOwnAndForwardsTheRest) {
    // A data object of the shell's own, for a file on the scratch drive.
    const std::wstring file = testenv::NewScratchFolder(L"desktop") + L"\\x.txt";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
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
