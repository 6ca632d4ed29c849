// What other programs hand over, read within its block (file drops, file-group
// descriptors, our data object), and the small routines beside the entry points.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstring>

#include "framework/Application.h"
#include "framework/DataObject.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "framework/Thread.h"
#include "shell/LongPathFind.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellDropData.h"
#include "shell/ShellEntryPoints.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;
using scratch::PathList;

namespace {

using Bytes = std::vector<unsigned char>;
using NameList = std::vector<std::wstring>;

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

// A block holding Count and then one descriptor per name (whatever Count says);
// a name of MAX_PATH characters fills its field without a terminator.
template <class Descriptor, class Char>
fw::GlobalHandle DescriptorBlock(UINT Count, const std::vector<std::basic_string<Char>>& Names) {
    Bytes bytes(sizeof(UINT) + Names.size() * sizeof(Descriptor), 0);
    std::memcpy(bytes.data(), &Count, sizeof(Count));
    for (size_t i = 0; i < Names.size(); ++i)
        std::memcpy(bytes.data() + sizeof(UINT) + i * sizeof(Descriptor) + offsetof(Descriptor, cFileName),
                    Names[i].c_str(), std::min<size_t>(Names[i].size() + 1, MAX_PATH) * sizeof(Char));
    return BlockOf(bytes);
}

STGMEDIUM Medium(HGLOBAL Block, DWORD Tymed = TYMED_HGLOBAL) {
    STGMEDIUM medium{};
    medium.tymed = Tymed;
    medium.hGlobal = Block;
    return medium;
}

}  // namespace

TEST(DropFiles, BlockLayoutReadBackAndHostileBlocksStayInside) {
    fw::GlobalHandle empty(GetDropFiles(fw::TStringList()));
    EXPECT_EQ(GlobalSize(empty.get()), 22u);
    EXPECT_TRUE(Names(ReadDropFilesBlock(empty.get())).empty());
    fw::GlobalHandle two(GetDropFiles(*PathList({L"C:\\a", L"C:\\bc"})));
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
    EXPECT_TRUE(Names(ReadDropFilesBlock(BlockOf(DropBlock(100000, std::wstring())).get())).empty());
    EXPECT_TRUE(Names(ReadDropFilesBlock(BlockOf(Bytes(12, 0)).get())).empty());
    EXPECT_FALSE(ReadDropFilesBlock(nullptr));
    // The last name runs into the block's end without its zero: only the whole ones count.
    const Bytes cutBytes = DropBlock(20, std::wstring(L"D:\\whole\0D:\\cut", 15));
    const fw::GlobalHandle cut = BlockOf(cutBytes);
    const NameList names = Names(ReadDropFilesBlock(cut.get()));
    ASSERT_GE(names.size(), 1u);
    EXPECT_EQ(names[0], L"D:\\whole");
    EXPECT_TRUE(names.size() == 1u || GlobalSize(cut.get()) > cutBytes.size()) << names.size();
    const fw::GlobalHandle narrow = BlockOf(DropBlock(20, std::string("C:\\x.txt\0C:\\y.txt\0\0", 20)));
    EXPECT_EQ(Names(ReadDropFilesBlock(narrow.get())), (NameList{L"C:\\x.txt", L"C:\\y.txt"}));
}

TEST(DropFiles, DataObjectsAndDescriptorsGiveWhatIsThereAndOursSurvivesTheClipboard) {
    EXPECT_FALSE(GetDataObjectFiles(nullptr));
    auto plain = fw::TDataObject::Create();
    EXPECT_TRUE(Names(GetDataObjectFiles(plain.get())).empty());
    plain->SetBlock(GetFileGroupDescriptorWFormat(), DescriptorBlock<FILEDESCRIPTORW, wchar_t>(1, {L"mail.txt"}));
    EXPECT_EQ(Names(GetDataObjectFiles(plain.get())), NameList{L"mail.txt"});
    ASSERT_TRUE(SetDropFilesData(*PathList({L"C:\\one.txt", L"C:\\two.txt"}), plain.get()));
    EXPECT_EQ(Names(GetDataObjectFiles(plain.get())), (NameList{L"C:\\one.txt", L"C:\\two.txt"}));
    const std::wstring folder = testenv::NewScratchFolder(L"ownobject");
    for (const wchar_t* name : {L"\\one", L"\\two"}) scratch::MakeFolder(folder + name);
    for (const wchar_t* name : {L"\\one\\a.txt", L"\\two\\b.txt"}) scratch::MakeFile(folder + name);
    const auto paths = PathList({folder + L"\\one\\a.txt", folder + L"\\missing\\x.txt", folder + L"\\two\\b.txt"});
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
    EXPECT_FALSE(CreatePathsDataObject(*PathList({folder + L"\\missing\\x.txt"})));
    ASSERT_EQ(OleSetClipboard(data.get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    fw::ComPtr<IDataObject> pasted;
    ASSERT_EQ(OleGetClipboard(pasted.put()), S_OK);
    EXPECT_EQ(Names(GetDataObjectFiles(pasted.get())), expected);
    OleSetClipboard(nullptr);
    for (UINT count : {2u, 100000u, 0xFFFFFFFFu}) {
        auto wide = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(count, {L"first.txt", L"Zweite Datei.doc"});
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesW(Medium(wide.get()))),
                  (NameList{L"first.txt", L"Zweite Datei.doc"}))
            << count;
        auto ansi = DescriptorBlock<FILEDESCRIPTORA, char>(count, {"one.txt", "two \xE4.txt"});
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesA(Medium(ansi.get()))), (NameList{L"one.txt", L"two \x00E4.txt"}))
            << count;
    }
    // Unterminated names stop at their field; an empty block gives an empty list.
    auto block = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(2, {std::wstring(MAX_PATH, L'n'), L"next"});
    EXPECT_EQ(Names(GetFileGroupDescriptorNamesW(Medium(block.get()))),
              (NameList{std::wstring(MAX_PATH, L'n'), L"next"}));
    auto empty = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(0, {});
    auto names = GetFileGroupDescriptorNamesW(Medium(empty.get()));
    ASSERT_TRUE(names);  // an empty list, not none
    EXPECT_EQ(names->Count(), 0);
    EXPECT_FALSE(GetFileGroupDescriptorNamesW(Medium(nullptr)));
    EXPECT_FALSE(GetFileGroupDescriptorNamesA(Medium(nullptr, TYMED_ISTREAM)));
}

namespace {

// The shell library bound without StrRetToStrW, and the message boxes it shows
// kept instead of shown; all put back, and the application made anew, at the end.
struct TMissingStrRet {
    TBoundEntryPoints saved = BoundEntries;
    decltype(fw::TApplication::MessageBoxHook) savedHook = fw::TApplication::MessageBoxHook;
    std::vector<std::wstring> shown;
    TMissingStrRet() {
        BoundEntries.StrRetToStrW = nullptr;
        fw::TApplication::MessageBoxHook = [this](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
            shown.push_back(Text);
            return IDOK;
        };
    }
    ~TMissingStrRet() {
        BoundEntries = saved;
        fw::TApplication::MessageBoxHook = savedHook;
        delete fw::Application();
    }
};

}  // namespace

TEST(SmallRoutines, ShortcutsAttributesErrorTextsAndAMissingStrRetEntryThatEndsTheProgram) {
    const std::wstring folder = testenv::NewScratchFolder(L"links");
    const std::wstring target = folder + L"\\target.txt", link = folder + L"\\target.lnk";
    scratch::MakeFile(target);
    ASSERT_TRUE(scratch::MakeShortcut(link, target));
    EXPECT_EQ(CompareStringOrdinal(ResolveShortcut(link).c_str(), -1, target.c_str(), -1, TRUE), CSTR_EQUAL)
        << ResolveShortcut(link).c_str();
    EXPECT_EQ(ResolveShortcut(target), L"");
    EXPECT_EQ(ResolveShortcut(folder + L"\\missing.lnk"), L"");
    // The failure value of GetFileAttributesW has every bit set.
    EXPECT_FALSE(IsReparsePoint(INVALID_FILE_ATTRIBUTES));
    EXPECT_TRUE(IsReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    const std::wstring text = SysErrorText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(text.back() != L'\n' && text.back() != L'\r');
    // No system text here is that long: what would be handed on of one is checked directly.
    const std::wstring tooLong = std::wstring(1030, L'x') + L"\r\n";
    EXPECT_EQ(SysErrorTextOf(tooLong.c_str(), tooLong.size()), std::wstring(1023, L'x'));
    EXPECT_EQ(SysErrorTextOf(L" Access denied.\r\n", 17), L"Access denied.");
    EXPECT_EQ(SysErrorTextOf(nullptr, 0), L"");
    TMissingStrRet missing;
    const std::vector<std::wstring>& shown = missing.shown;
    STRRET ansi{};
    ansi.uType = STRRET_CSTR;
    std::strcpy(ansi.cStr, "plain");
    EXPECT_EQ(StrRetToString(nullptr, ansi), L"");
    EXPECT_TRUE(fw::Application()->Terminated());
    EXPECT_EQ(StrRetToString(nullptr, ansi), L"");
    EXPECT_EQ(shown, std::vector<std::wstring>{MissingDllMessage});
}

TEST(SmallRoutines, DroppedFilesReadBackAndNoneFromNothing) {
    // Two names, the wide way and the 8-bit way.
    for (const Bytes& block : {DropBlock<wchar_t>(20, std::wstring(L"C:\\a.txt\0D:\\b c\\d.doc\0\0", 25)),
                               DropBlock<char>(20, std::string("C:\\a.txt\0D:\\b c\\d.doc\0\0", 25))}) {
        fw::GlobalHandle drop = BlockOf(block);
        EXPECT_EQ(Names(ReadDroppedFiles(HDROP(drop.get()))), (NameList{L"C:\\a.txt", L"D:\\b c\\d.doc"}));
    }
    // A block that names no file gives nothing, whether the system counts none or
    // one it cannot read (Wine does).
    fw::GlobalHandle empty = BlockOf(DropBlock<wchar_t>(20, std::wstring(L"\0\0", 2)));
    EXPECT_EQ(ReadDroppedFiles(HDROP(empty.get())), nullptr);
    EXPECT_EQ(ReadDroppedFiles(nullptr), nullptr);
}

namespace {

struct TThunkTarget {
    std::vector<uintptr_t> seen;
};

// A method as a plain callback receives it: the object first, then the four arguments.
LRESULT ThunkMethod(TThunkTarget* Self, uintptr_t A, uintptr_t B, uintptr_t C, uintptr_t D) {
    Self->seen = {A, B, C, D};
    return LRESULT(A + B + C + D);
}

}  // namespace

TEST(SmallRoutines, ACallbackThunkCallsItsMethodOnItsObjectWithEveryArgument) {
    TThunkTarget first, second;
    void* thunkA = MakeCallbackThunk(&first, reinterpret_cast<void*>(&ThunkMethod));
    void* thunkB = MakeCallbackThunk(&second, reinterpret_cast<void*>(&ThunkMethod));
    ASSERT_TRUE(thunkA && thunkB);
    using TCallback = LRESULT (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
    EXPECT_EQ(reinterpret_cast<TCallback>(thunkA)(1, 20, 300, 0x123456789A), LRESULT(0x123456789A + 321));
    EXPECT_EQ(reinterpret_cast<TCallback>(thunkB)(7, 8, 9, 10), 34);
    EXPECT_EQ(first.seen, (std::vector<uintptr_t>{1, 20, 300, 0x123456789A}));
    EXPECT_EQ(second.seen, (std::vector<uintptr_t>{7, 8, 9, 10}));
    // As a window procedure.
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const auto previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(thunkA));
    EXPECT_EQ(SendMessageW(window, WM_USER + 5, 40, 2), LRESULT(reinterpret_cast<uintptr_t>(window) + WM_USER + 47));
    EXPECT_EQ(first.seen.at(0), reinterpret_cast<uintptr_t>(window));
    SetWindowLongPtrW(window, GWLP_WNDPROC, previous);
    DestroyWindow(window);
    FreeCallbackThunk(thunkA);
    FreeCallbackThunk(thunkB);
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(thunkA, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.State, DWORD(MEM_FREE));
    FreeCallbackThunk(nullptr);
}

TEST(SmallRoutines, AMissingStrRetEntryMetOnAWorkerIsToldOnTheMainThreadOnce) {
    TMissingStrRet missing;
    const std::vector<std::wstring>& shown = missing.shown;
    std::vector<std::thread> workers;
    std::atomic<int> empty{0};
    for (int i = 0; i < 3; ++i)
        workers.emplace_back([&] {
            STRRET ansi{};
            ansi.uType = STRRET_CSTR;
            std::strcpy(ansi.cStr, "plain");
            if (StrRetToString(nullptr, ansi).empty()) ++empty;
        });
    for (std::thread& worker : workers) worker.join();
    EXPECT_EQ(empty, 3);
    while (fw::CheckSynchronize()) {}
    EXPECT_EQ(shown, std::vector<std::wstring>{MissingDllMessage});
    EXPECT_TRUE(fw::Application()->Terminated());
}

namespace {

std::vector<PVOID> redirectionCalls;  // what the stand-ins were called with
BOOL WINAPI DisableRedirection(PVOID* Old) {
    redirectionCalls.push_back(nullptr);
    *Old = reinterpret_cast<PVOID>(1);
    return TRUE;
}
BOOL WINAPI RevertRedirection(PVOID Old) {
    redirectionCalls.push_back(Old);
    return TRUE;
}

}  // namespace

TEST(SmallRoutines, PositionsFromAnOffsetAndRedirectionSwitchedOnlyWhenTheProgramAsks) {
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 4), 5);
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 1), 3);
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 6), 0);
    const TBoundEntryPoints saved = BoundEntries;
    BoundEntries.Wow64DisableWow64FsRedirection = DisableRedirection;
    BoundEntries.Wow64RevertWow64FsRedirection = RevertRedirection;
    // Left off by the program, the switch makes no call at all.
    EXPECT_FALSE(DisableFsRedirection());
    EXPECT_FALSE(RevertFsRedirection(true));
    EXPECT_TRUE(redirectionCalls.empty());
    UseWow64RedirectionSwitch = true;
    EXPECT_TRUE(DisableFsRedirection());
    EXPECT_TRUE(RevertFsRedirection(true));
    EXPECT_TRUE(RevertFsRedirection(false));
    // A find that finds nothing puts the switch back all the same.
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileLong(L"C:\\no such folder\\x.txt", data), INVALID_HANDLE_VALUE);
    UseWow64RedirectionSwitch = false;
    BoundEntries = saved;
    ASSERT_EQ(redirectionCalls.size(), 5u);
    EXPECT_EQ(redirectionCalls[1], reinterpret_cast<PVOID>(~ULONG_PTR(0)));  // all bits set: it was off
    EXPECT_EQ(redirectionCalls[2], nullptr);
    EXPECT_EQ(redirectionCalls[4], reinterpret_cast<PVOID>(~ULONG_PTR(0)));
}
