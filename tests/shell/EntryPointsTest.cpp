// The small shell routines beside the bound entry points: drop and file-group
// data, shortcuts, STRRET texts, error texts and the callback thunk.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "shell/ShellEntryPoints.h"
#include "tests/common/TestEnv.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace shell;

namespace {

// A global block holding a count and that many descriptors of Size bytes each
// (or fewer: BlockCount of them), with Names written at the name offset.
template <class Descriptor, class Char>
HGLOBAL MakeDescriptorBlock(UINT Count, const std::vector<std::basic_string<Char>>& Names, std::size_t BlockCount) {
    const std::size_t size = sizeof(UINT) + BlockCount * sizeof(Descriptor);
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    std::memcpy(bytes, &Count, sizeof(Count));
    auto* descriptors = reinterpret_cast<Descriptor*>(bytes + sizeof(UINT));
    for (std::size_t i = 0; i < Names.size() && i < BlockCount; ++i) {
        descriptors[i].dwFlags = FD_ATTRIBUTES;
        descriptors[i].dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
        std::memcpy(descriptors[i].cFileName, Names[i].c_str(), (Names[i].size() + 1) * sizeof(Char));
    }
    GlobalUnlock(block);
    return block;
}

STGMEDIUM Medium(HGLOBAL Block) {
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = Block;
    return medium;
}

std::vector<std::wstring> Names(const std::unique_ptr<fw::TStringList>& List) {
    std::vector<std::wstring> names;
    for (int i = 0; List && i < List->Count(); ++i) names.push_back(List->Strings(i));
    return names;
}

}  // namespace

TEST(FileGroupDescriptor, TwoNamesAndCountsLargerThanTheBlock) {
    // A count beyond the block's size reads only the descriptors that are there.
    for (UINT count : {2u, 100000u, 0xFFFFFFFFu}) {
        HGLOBAL wide = MakeDescriptorBlock<FILEDESCRIPTORW, wchar_t>(count, {L"first.txt", L"Zweite Datei.doc"}, 2);
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesW(Medium(wide))),
                  (std::vector<std::wstring>{L"first.txt", L"Zweite Datei.doc"}))
            << count;
        GlobalFree(wide);
        HGLOBAL ansi = MakeDescriptorBlock<FILEDESCRIPTORA, char>(count, {"one.txt", "two \xE4.txt"}, 2);
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesA(Medium(ansi))),
                  (std::vector<std::wstring>{L"one.txt", L"two \x00E4.txt"}))
            << count;
        GlobalFree(ansi);
    }
}

TEST(FileGroupDescriptor, NamesWithoutTerminatorStopAtTheNameField) {
    HGLOBAL block = MakeDescriptorBlock<FILEDESCRIPTORW, wchar_t>(2, {L"", L"next"}, 2);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    auto* first = reinterpret_cast<FILEDESCRIPTORW*>(bytes + sizeof(UINT));
    for (wchar_t& c : first->cFileName) c = L'n';
    GlobalUnlock(block);
    auto names = GetFileGroupDescriptorNamesW(Medium(block));
    ASSERT_TRUE(names);
    ASSERT_EQ(names->Count(), 2);
    EXPECT_EQ(names->Strings(0), std::wstring(MAX_PATH, L'n'));
    EXPECT_EQ(names->Strings(1), L"next");
    GlobalFree(block);
}

TEST(FileGroupDescriptor, EmptyAndMissingBlocks) {
    HGLOBAL block = MakeDescriptorBlock<FILEDESCRIPTORW, wchar_t>(0, {}, 0);
    auto names = GetFileGroupDescriptorNamesW(Medium(block));
    ASSERT_TRUE(names);  // an empty list, not none
    EXPECT_EQ(names->Count(), 0);
    GlobalFree(block);
    EXPECT_FALSE(GetFileGroupDescriptorNamesW(Medium(nullptr)));
    STGMEDIUM stream{};
    stream.tymed = TYMED_ISTREAM;
    EXPECT_FALSE(GetFileGroupDescriptorNamesA(stream));
}

TEST(DroppedFiles, NamesInOrder) {
    const std::wstring names[] = {L"C:\\a.txt", L"D:\\folder\\b c.doc"};
    std::vector<wchar_t> text;
    for (const auto& n : names) text.insert(text.end(), n.c_str(), n.c_str() + n.size() + 1);
    text.push_back(0);
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + text.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), text.data(), text.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    auto list = ReadDroppedFiles(static_cast<HDROP>(block));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Strings(0), names[0]);
    EXPECT_EQ(list->Strings(1), names[1]);
    GlobalFree(block);

    EXPECT_FALSE(ReadDroppedFiles(nullptr));
    HGLOBAL empty = GlobalAlloc(GHND, sizeof(DROPFILES) + 2 * sizeof(wchar_t));
    static_cast<DROPFILES*>(GlobalLock(empty))->pFiles = sizeof(DROPFILES);
    static_cast<DROPFILES*>(GlobalLock(empty))->fWide = TRUE;
    GlobalUnlock(empty);
    GlobalUnlock(empty);
    // Wine counts one file in an empty drop; no name can be read, so there is none.
    EXPECT_FALSE(ReadDroppedFiles(static_cast<HDROP>(empty)));
    GlobalFree(empty);
}

TEST(Shortcuts, ResolvesTheTarget) {
    const std::wstring folder = testenv::NewScratchFolder(L"links");
    const std::wstring target = folder + L"\\target.txt";
    CloseHandle(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::wstring link = folder + L"\\target.lnk";
    {
        fw::ComPtr<IShellLinkW> shellLink;
        ASSERT_TRUE(SUCCEEDED(
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void())));
        shellLink->SetPath(target.c_str());
        auto file = shellLink.As<IPersistFile>(IID_IPersistFile);
        ASSERT_TRUE(file);
        ASSERT_TRUE(SUCCEEDED(file->Save(link.c_str(), TRUE)));
    }
    EXPECT_TRUE(CompareStringOrdinal(ResolveShortcut(link).c_str(), -1, target.c_str(), -1, TRUE) == CSTR_EQUAL)
        << ResolveShortcut(link).c_str();
    EXPECT_EQ(ResolveShortcut(target), L"");
    EXPECT_EQ(ResolveShortcut(folder + L"\\missing.lnk"), L"");
}

TEST(StrRet, MissingEntryTellsTheUserAndEndsTheProgram) {
    const TBoundEntryPoints saved = BoundEntries;
    BoundEntries.StrRetToStrW = nullptr;
    std::vector<std::wstring> shown;
    auto savedHook = fw::TApplication::MessageBoxHook;
    fw::TApplication::MessageBoxHook = [&](HWND, const std::wstring& Text, const std::wstring&, unsigned) {
        shown.push_back(Text);
        return IDOK;
    };
    STRRET ansi{};
    ansi.uType = STRRET_CSTR;
    std::strcpy(ansi.cStr, "plain");
    EXPECT_EQ(StrRetToString(nullptr, ansi), L"");
    EXPECT_TRUE(fw::Application()->Terminated());
    // Once the program is ending, nobody is told again.
    EXPECT_EQ(StrRetToString(nullptr, ansi), L"");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], MissingDllMessage);
    BoundEntries = saved;
    fw::TApplication::MessageBoxHook = savedHook;
    delete fw::Application();
}

TEST(SmallRoutines, EdgeCases) {
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 4), 5);
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 1), 3);
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 6), 0);
    EXPECT_EQ(PosFrom(L"AB", L"xxabab", 1), 0);
    EXPECT_EQ(PosFrom(L"ab", L"xxabab", 99), 0);
    // The failure value of GetFileAttributesW has every bit set.
    EXPECT_FALSE(IsReparsePoint(INVALID_FILE_ATTRIBUTES));
    EXPECT_TRUE(IsReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    const std::wstring text = SysErrorText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(text.back() != L'\n' && text.back() != L'\r');
    EXPECT_FALSE(GetTempFolder().empty());
}

namespace {

struct TCallbackTarget {
    int calls = 0;
    intptr_t args[4] = {};
};

intptr_t RecordCall(void* Instance, intptr_t A, intptr_t B, intptr_t C, intptr_t D) {
    auto* target = static_cast<TCallbackTarget*>(Instance);
    ++target->calls;
    target->args[0] = A, target->args[1] = B, target->args[2] = C, target->args[3] = D;
    return A + B + C + D;
}

BOOL CountWindow(void* Instance, HWND, LPARAM Param) {
    auto* target = static_cast<TCallbackTarget*>(Instance);
    ++target->calls;
    target->args[0] = Param;
    return FALSE;  // one window is enough
}

}  // namespace

TEST(CallbackThunk, CallsTheMethodWithItsInstance) {
    TCallbackTarget target;
    void* thunk = MakeCallbackThunk(&target, reinterpret_cast<void*>(&RecordCall));
    ASSERT_NE(thunk, nullptr);
    using Plain = intptr_t(CALLBACK*)(intptr_t, intptr_t, intptr_t, intptr_t);
    const intptr_t big = intptr_t(1) << 40;
    EXPECT_EQ(reinterpret_cast<Plain>(thunk)(1, 2, 3, big), 6 + big);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.args[3], big);
    FreeCallbackThunk(thunk);

    // As a platform callback.
    TCallbackTarget windows;
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    void* enumThunk = MakeCallbackThunk(&windows, reinterpret_cast<void*>(&CountWindow));
    EnumWindows(reinterpret_cast<WNDENUMPROC>(enumThunk), 77);
    FreeCallbackThunk(enumThunk);
    DestroyWindow(window);
    EXPECT_EQ(windows.calls, 1);
    EXPECT_EQ(windows.args[0], 77);
}
