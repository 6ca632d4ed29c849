// Clipboard and drop data: file drops and ID-list arrays written and read back,
// our own data object through OLE's clipboard, descriptor names, and hostile
// blocks from other programs.
#include <gtest/gtest.h>

#include "framework/DataObject.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellDropData.h"
#include "tests/shell/ScratchTree.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace shell;

namespace {

std::unique_ptr<fw::TStringList> Paths(std::initializer_list<std::wstring> Items) {
    auto list = std::make_unique<fw::TStringList>();
    for (const auto& item : Items) list->Add(item);
    return list;
}

std::vector<std::wstring> Names(const fw::TStringList* List) {
    std::vector<std::wstring> names;
    if (List)
        for (int i = 0; i < List->Count(); ++i) names.push_back(List->Strings(i));
    return names;
}

// A block holding exactly Bytes.
HGLOBAL BlockOf(const std::vector<unsigned char>& Bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
    std::memcpy(GlobalLock(block), Bytes.data(), Bytes.size());
    GlobalUnlock(block);
    return block;
}

std::vector<unsigned char> DropHeader(DWORD Offset, bool Wide) {
    std::vector<unsigned char> bytes(20, 0);
    std::memcpy(bytes.data(), &Offset, 4);
    const DWORD wide = Wide ? 1 : 0;
    std::memcpy(bytes.data() + 16, &wide, 4);
    return bytes;
}

void AppendWide(std::vector<unsigned char>& Bytes, const std::wstring& Text) {
    const auto* p = reinterpret_cast<const unsigned char*>(Text.data());
    Bytes.insert(Bytes.end(), p, p + Text.size() * sizeof(wchar_t));
}

}  // namespace

TEST(DropFiles, BlockLayoutAndReadBack) {
    fw::GlobalHandle empty(GetDropFiles(fw::TStringList()));
    EXPECT_EQ(GlobalSize(empty.get()), 22u);
    {
        const fw::GlobalLockGuard lock(empty.get());
        const auto* header = static_cast<const DWORD*>(lock.Data());
        EXPECT_EQ(header[0], 20u);
        EXPECT_EQ(header[4], DWORD(-1));
    }
    EXPECT_TRUE(Names(ReadDropFilesBlock(empty.get()).get()).empty());

    fw::GlobalHandle two(GetDropFiles(*Paths({L"C:\\a", L"C:\\bc"})));
    ASSERT_EQ(GlobalSize(two.get()), 20u + 24u);
    {
        const fw::GlobalLockGuard lock(two.get());
        const wchar_t expected[] = L"C:\\a\0C:\\bc\0";
        EXPECT_EQ(std::memcmp(static_cast<const char*>(lock.Data()) + 20, expected, 24), 0);
    }
    EXPECT_EQ(Names(ReadDropFilesBlock(two.get()).get()), (std::vector<std::wstring>{L"C:\\a", L"C:\\bc"}));
    // The platform reads our block the same way.
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(two.get()), 0xFFFFFFFF, nullptr, 0), 2u);
}

TEST(DropFiles, HostileBlocksStayInside) {
    // A list offset beyond the block.
    fw::GlobalHandle distant(BlockOf(DropHeader(100000, true)));
    EXPECT_TRUE(Names(ReadDropFilesBlock(distant.get()).get()).empty());
    // A header cut short.
    fw::GlobalHandle shortBlock(BlockOf(std::vector<unsigned char>(12, 0)));
    EXPECT_TRUE(Names(ReadDropFilesBlock(shortBlock.get()).get()).empty());
    // The last name runs into the block's end without its zero: only the whole ones count.
    auto bytes = DropHeader(20, true);
    AppendWide(bytes, std::wstring(L"D:\\whole", 9));
    AppendWide(bytes, L"D:\\cut");
    fw::GlobalHandle cut(BlockOf(bytes));
    auto names = ReadDropFilesBlock(cut.get());
    // GlobalAlloc may round the block up with zeros; the cut name then ends there.
    ASSERT_TRUE(names);
    ASSERT_GE(names->Count(), 1);
    EXPECT_EQ(names->Strings(0), L"D:\\whole");
    if (GlobalSize(cut.get()) == bytes.size()) {
        EXPECT_EQ(names->Count(), 1);
    }
    // An 8-bit drop.
    auto ansi = DropHeader(20, false);
    for (char c : std::string("C:\\x.txt\0C:\\y.txt\0\0", 20)) ansi.push_back(static_cast<unsigned char>(c));
    fw::GlobalHandle narrow(BlockOf(ansi));
    EXPECT_EQ(Names(ReadDropFilesBlock(narrow.get()).get()), (std::vector<std::wstring>{L"C:\\x.txt", L"C:\\y.txt"}));
    EXPECT_FALSE(ReadDropFilesBlock(nullptr));
}

TEST(DropFiles, DataObjectRoundTrips) {
    EXPECT_FALSE(GetDataObjectFiles(nullptr));
    auto data = fw::TDataObject::Create();
    EXPECT_TRUE(Names(GetDataObjectFiles(data.get()).get()).empty());

    // A wide descriptor is read when there is no file drop.
    std::vector<unsigned char> descriptor(sizeof(UINT) + sizeof(FILEDESCRIPTORW), 0);
    const UINT one = 1;
    std::memcpy(descriptor.data(), &one, sizeof(one));
    std::memcpy(descriptor.data() + sizeof(UINT) + offsetof(FILEDESCRIPTORW, cFileName), L"mail.txt",
                9 * sizeof(wchar_t));
    data->SetBlock(GetFileGroupDescriptorWFormat(), fw::GlobalHandle(BlockOf(descriptor)));
    EXPECT_EQ(Names(GetDataObjectFiles(data.get()).get()), (std::vector<std::wstring>{L"mail.txt"}));
    // A descriptor that claims more than it holds gives only what it holds.
    const UINT many = 50000;
    std::memcpy(descriptor.data(), &many, sizeof(many));
    data->SetBlock(GetFileGroupDescriptorWFormat(), fw::GlobalHandle(BlockOf(descriptor)));
    EXPECT_EQ(Names(GetDataObjectFiles(data.get()).get()), (std::vector<std::wstring>{L"mail.txt"}));

    // A file drop comes first.
    ASSERT_TRUE(SetDropFilesData(*Paths({L"C:\\one.txt", L"C:\\two.txt"}), data.get()));
    EXPECT_EQ(Names(GetDataObjectFiles(data.get()).get()), (std::vector<std::wstring>{L"C:\\one.txt", L"C:\\two.txt"}));
    EXPECT_NE(GetFileGroupDescriptorFormat(), GetFileGroupDescriptorWFormat());
}

TEST(DropFiles, IDListArrayWrittenAndReadBack) {
    const std::wstring folder = testenv::NewScratchFolder(L"idlist");
    scratch::MakeFile(folder + L"\\a.txt");
    scratch::MakeFolder(folder + L"\\sub");
    scratch::MakeFile(folder + L"\\sub\\b.txt");
    fw::PidlPtr a(PathToPidl(nullptr, folder + L"\\a.txt"));
    fw::PidlPtr b(PathToPidl(nullptr, folder + L"\\sub\\b.txt"));
    ASSERT_TRUE(a && b);
    fw::GlobalHandle block = GetShellIDListBlock(DesktopPidl(), {a.get(), b.get()});
    auto lists = ReadShellIDListBlock(block.get());
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(SamePath(PidlToPath(lists[0].get()), folder + L"\\a.txt"));
    EXPECT_TRUE(SamePath(PidlToPath(lists[1].get()), folder + L"\\sub\\b.txt"));

    // A parent folder and relative items.
    fw::PidlPtr parent(PathToPidl(nullptr, folder));
    fw::PidlPtr child(PidlLastItem(a.get()));
    block = GetShellIDListBlock(parent.get(), {child.get()});
    lists = ReadShellIDListBlock(block.get());
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_TRUE(SamePath(PidlToPath(lists[0].get()), folder + L"\\a.txt"));

    // Hostile arrays: a count beyond the block, an offset outside it, an item without its end.
    std::vector<unsigned char> bytes(GlobalSize(block.get()));
    std::memcpy(bytes.data(), fw::GlobalLockGuard(block.get()).Data(), bytes.size());
    auto patched = [&](std::size_t At, UINT Value) {
        std::vector<unsigned char> copy = bytes;
        std::memcpy(copy.data() + At, &Value, sizeof(Value));
        fw::GlobalHandle hostile(BlockOf(copy));
        return ReadShellIDListBlock(hostile.get()).size();
    };
    EXPECT_EQ(patched(0, 1000000), 0u);
    EXPECT_EQ(patched(8, UINT(bytes.size() + 10)), 0u);
    std::vector<unsigned char> cutShort(bytes.begin(), bytes.end() - 2);
    fw::GlobalHandle cutBlock(BlockOf(cutShort));
    if (GlobalSize(cutBlock.get()) == cutShort.size()) {
        EXPECT_TRUE(ReadShellIDListBlock(cutBlock.get()).empty());
    }
}

TEST(DropFiles, OwnDataObjectForObjectsOfSeveralFolders) {
    const std::wstring folder = testenv::NewScratchFolder(L"ownobject");
    scratch::MakeFolder(folder + L"\\one");
    scratch::MakeFolder(folder + L"\\two");
    scratch::MakeFile(folder + L"\\one\\a.txt");
    scratch::MakeFile(folder + L"\\two\\b.txt");
    const auto paths = Paths({folder + L"\\one\\a.txt", folder + L"\\missing\\x.txt", folder + L"\\two\\b.txt"});
    fw::ComPtr<IDataObject> data = CreatePathsDataObject(*paths);
    ASSERT_TRUE(data);
    // The path that does not parse is left out of both formats, in order.
    const std::vector<std::wstring> expected{folder + L"\\one\\a.txt", folder + L"\\two\\b.txt"};
    EXPECT_EQ(Names(GetDataObjectFiles(data.get()).get()), expected);
    FORMATETC format{CLIPFORMAT(ShellIDListClipboardFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    auto lists = ReadShellIDListBlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(SamePath(PidlToPath(lists[1].get()), expected[1]));
    EXPECT_FALSE(CreatePathsDataObject(*Paths({folder + L"\\missing\\x.txt"})));

    // Through the clipboard and back: another reader sees the same files.
    ASSERT_EQ(OleSetClipboard(data.get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    fw::ComPtr<IDataObject> pasted;
    ASSERT_EQ(OleGetClipboard(pasted.put()), S_OK);
    EXPECT_EQ(Names(GetDataObjectFiles(pasted.get()).get()), expected);
    OleSetClipboard(nullptr);
}
