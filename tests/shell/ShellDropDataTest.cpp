// Clipboard and drop data: file drops written and read back, our own data
// object (file drop and ID-list array) through OLE's clipboard, and hostile
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

using Bytes = std::vector<unsigned char>;
using NameList = std::vector<std::wstring>;

std::unique_ptr<fw::TStringList> Paths(std::initializer_list<std::wstring> Items) {
    auto list = std::make_unique<fw::TStringList>();
    for (const auto& item : Items) list->Add(item);
    return list;
}

NameList Names(const std::unique_ptr<fw::TStringList>& List) {
    NameList names;
    for (int i = 0; List && i < List->Count(); ++i) names.push_back(List->Strings(i));
    return names;
}

// A block holding exactly Data (GlobalAlloc may round its size up with zeros).
fw::GlobalHandle BlockOf(const Bytes& Data) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Data.size());
    std::memcpy(GlobalLock(block), Data.data(), Data.size());
    GlobalUnlock(block);
    return fw::GlobalHandle(block);
}

// A CF_HDROP header with the list at Offset, followed by Text's bytes.
template <class Char>
Bytes DropBlock(DWORD Offset, const std::basic_string<Char>& Text) {
    Bytes bytes(20, 0);
    std::memcpy(bytes.data(), &Offset, 4);
    bytes[16] = sizeof(Char) == 2;
    const auto* p = reinterpret_cast<const unsigned char*>(Text.data());
    bytes.insert(bytes.end(), p, p + Text.size() * sizeof(Char));
    return bytes;
}

}  // namespace

TEST(DropFiles, BlockLayoutAndReadBack) {
    fw::GlobalHandle empty(GetDropFiles(fw::TStringList()));
    EXPECT_EQ(GlobalSize(empty.get()), 22u);
    EXPECT_TRUE(Names(ReadDropFilesBlock(empty.get())).empty());
    fw::GlobalHandle two(GetDropFiles(*Paths({L"C:\\a", L"C:\\bc"})));
    ASSERT_EQ(GlobalSize(two.get()), 20u + 24u);
    {
        const fw::GlobalLockGuard lock(two.get());
        const auto* header = static_cast<const DWORD*>(lock.Data());
        EXPECT_EQ(header[0], 20u);
        EXPECT_NE(header[4], 0u);  // wide names
        EXPECT_EQ(std::memcmp(static_cast<const char*>(lock.Data()) + 20, L"C:\\a\0C:\\bc\0", 24), 0);
    }
    EXPECT_EQ(Names(ReadDropFilesBlock(two.get())), (NameList{L"C:\\a", L"C:\\bc"}));
    // The platform reads our block the same way.
    EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(two.get()), 0xFFFFFFFF, nullptr, 0), 2u);
}

TEST(DropFiles, HostileBlocksStayInside) {
    EXPECT_TRUE(Names(ReadDropFilesBlock(BlockOf(DropBlock(100000, std::wstring())).get())).empty());
    EXPECT_TRUE(Names(ReadDropFilesBlock(BlockOf(Bytes(12, 0)).get())).empty());
    EXPECT_FALSE(ReadDropFilesBlock(nullptr));
    // The last name runs into the block's end without its zero: only the whole ones count.
    const Bytes cutBytes = DropBlock(20, std::wstring(L"D:\\whole\0D:\\cut", 15));
    const fw::GlobalHandle cut = BlockOf(cutBytes);
    const NameList names = Names(ReadDropFilesBlock(cut.get()));
    ASSERT_GE(names.size(), 1u);
    EXPECT_EQ(names[0], L"D:\\whole");
    if (GlobalSize(cut.get()) == cutBytes.size()) {
        EXPECT_EQ(names.size(), 1u);
    }
    // An 8-bit drop.
    const fw::GlobalHandle narrow = BlockOf(DropBlock(20, std::string("C:\\x.txt\0C:\\y.txt\0\0", 20)));
    EXPECT_EQ(Names(ReadDropFilesBlock(narrow.get())), (NameList{L"C:\\x.txt", L"C:\\y.txt"}));
}

TEST(DropFiles, DataObjectsGiveTheirFileDropBeforeTheirDescriptor) {
    EXPECT_FALSE(GetDataObjectFiles(nullptr));
    auto data = fw::TDataObject::Create();
    EXPECT_TRUE(Names(GetDataObjectFiles(data.get())).empty());
    Bytes descriptor(sizeof(UINT) + sizeof(FILEDESCRIPTORW), 0);
    descriptor[0] = 1;
    std::memcpy(descriptor.data() + sizeof(UINT) + offsetof(FILEDESCRIPTORW, cFileName), L"mail.txt",
                9 * sizeof(wchar_t));
    data->SetBlock(GetFileGroupDescriptorWFormat(), BlockOf(descriptor));
    EXPECT_EQ(Names(GetDataObjectFiles(data.get())), NameList{L"mail.txt"});
    ASSERT_TRUE(SetDropFilesData(*Paths({L"C:\\one.txt", L"C:\\two.txt"}), data.get()));
    EXPECT_EQ(Names(GetDataObjectFiles(data.get())), (NameList{L"C:\\one.txt", L"C:\\two.txt"}));
}

TEST(DropFiles, OwnDataObjectForObjectsOfSeveralFoldersSurvivesTheClipboard) {
    const std::wstring folder = testenv::NewScratchFolder(L"ownobject");
    scratch::MakeFolder(folder + L"\\one");
    scratch::MakeFolder(folder + L"\\two");
    scratch::MakeFile(folder + L"\\one\\a.txt");
    scratch::MakeFile(folder + L"\\two\\b.txt");
    const auto paths = Paths({folder + L"\\one\\a.txt", folder + L"\\missing\\x.txt", folder + L"\\two\\b.txt"});
    fw::ComPtr<IDataObject> data = CreatePathsDataObject(*paths);
    ASSERT_TRUE(data);
    // The path that does not parse is left out of both formats, in order.
    const NameList expected{folder + L"\\one\\a.txt", folder + L"\\two\\b.txt"};
    EXPECT_EQ(Names(GetDataObjectFiles(data.get())), expected);
    FORMATETC format{CLIPFORMAT(ShellIDListClipboardFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    auto lists = ReadShellIDListBlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_TRUE(SamePath(PidlToPath(lists[0].get()), expected[0]));
    EXPECT_TRUE(SamePath(PidlToPath(lists[1].get()), expected[1]));
    EXPECT_FALSE(CreatePathsDataObject(*Paths({folder + L"\\missing\\x.txt"})));

    ASSERT_EQ(OleSetClipboard(data.get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    fw::ComPtr<IDataObject> pasted;
    ASSERT_EQ(OleGetClipboard(pasted.put()), S_OK);
    EXPECT_EQ(Names(GetDataObjectFiles(pasted.get())), expected);
    OleSetClipboard(nullptr);
}
