// The small shell routines beside the bound entry points: file-group names,
// shortcuts, STRRET texts and error texts.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/StringList.h"
#include "shell/ShellEntryPoints.h"
#include "tests/shell/ScratchTree.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace shell;

namespace {

// A block holding Count and then one descriptor per name (whatever Count says).
template <class Descriptor, class Char>
fw::GlobalHandle DescriptorBlock(UINT Count, const std::vector<std::basic_string<Char>>& Names) {
    HGLOBAL block = GlobalAlloc(GHND, sizeof(UINT) + Names.size() * sizeof(Descriptor));
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    std::memcpy(bytes, &Count, sizeof(Count));
    auto* descriptors = reinterpret_cast<Descriptor*>(bytes + sizeof(UINT));
    for (std::size_t i = 0; i < Names.size(); ++i)
        std::memcpy(descriptors[i].cFileName, Names[i].c_str(), (Names[i].size() + 1) * sizeof(Char));
    GlobalUnlock(block);
    return fw::GlobalHandle(block);
}

STGMEDIUM Medium(HGLOBAL Block, DWORD Tymed = TYMED_HGLOBAL) {
    STGMEDIUM medium{};
    medium.tymed = Tymed;
    medium.hGlobal = Block;
    return medium;
}

std::vector<std::wstring> Names(const std::unique_ptr<fw::TStringList>& List) {
    std::vector<std::wstring> names;
    for (int i = 0; List && i < List->Count(); ++i) names.push_back(List->Strings(i));
    return names;
}

}  // namespace

TEST(FileGroupDescriptor, CountsBeyondTheBlockReadOnlyWhatIsThere) {
    for (UINT count : {2u, 100000u, 0xFFFFFFFFu}) {
        auto wide = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(count, {L"first.txt", L"Zweite Datei.doc"});
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesW(Medium(wide.get()))),
                  (std::vector<std::wstring>{L"first.txt", L"Zweite Datei.doc"}))
            << count;
        auto ansi = DescriptorBlock<FILEDESCRIPTORA, char>(count, {"one.txt", "two \xE4.txt"});
        EXPECT_EQ(Names(GetFileGroupDescriptorNamesA(Medium(ansi.get()))),
                  (std::vector<std::wstring>{L"one.txt", L"two \x00E4.txt"}))
            << count;
    }
}

TEST(FileGroupDescriptor, UnterminatedNamesStopAtTheFieldAndEmptyBlocksGiveAnEmptyList) {
    auto block = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(2, {L"", L"next"});
    {
        const fw::GlobalLockGuard lock(block.get());
        auto* first = reinterpret_cast<FILEDESCRIPTORW*>(static_cast<unsigned char*>(lock.Data()) + sizeof(UINT));
        for (wchar_t& c : first->cFileName) c = L'n';
    }
    EXPECT_EQ(Names(GetFileGroupDescriptorNamesW(Medium(block.get()))),
              (std::vector<std::wstring>{std::wstring(MAX_PATH, L'n'), L"next"}));

    auto empty = DescriptorBlock<FILEDESCRIPTORW, wchar_t>(0, {});
    auto names = GetFileGroupDescriptorNamesW(Medium(empty.get()));
    ASSERT_TRUE(names);  // an empty list, not none
    EXPECT_EQ(names->Count(), 0);
    EXPECT_FALSE(GetFileGroupDescriptorNamesW(Medium(nullptr)));
    EXPECT_FALSE(GetFileGroupDescriptorNamesA(Medium(nullptr, TYMED_ISTREAM)));
}

TEST(Shortcuts, ResolvesTheTarget) {
    const std::wstring folder = testenv::NewScratchFolder(L"links");
    const std::wstring target = folder + L"\\target.txt", link = folder + L"\\target.lnk";
    scratch::MakeFile(target);
    {
        fw::ComPtr<IShellLinkW> shellLink;
        ASSERT_EQ(
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void()),
            S_OK);
        shellLink->SetPath(target.c_str());
        auto file = shellLink.As<IPersistFile>(IID_IPersistFile);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->Save(link.c_str(), TRUE), S_OK);
    }
    EXPECT_EQ(CompareStringOrdinal(ResolveShortcut(link).c_str(), -1, target.c_str(), -1, TRUE), CSTR_EQUAL)
        << ResolveShortcut(link).c_str();
    EXPECT_EQ(ResolveShortcut(target), L"");
    EXPECT_EQ(ResolveShortcut(folder + L"\\missing.lnk"), L"");
}

TEST(StrRet, MissingEntryTellsTheUserOnceAndEndsTheProgram) {
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
    EXPECT_EQ(StrRetToString(nullptr, ansi), L"");
    EXPECT_EQ(shown, std::vector<std::wstring>{MissingDllMessage});
    BoundEntries = saved;
    fw::TApplication::MessageBoxHook = savedHook;
    delete fw::Application();
}

TEST(SmallRoutines, FailedAttributesAreNoReparsePointAndErrorTextsAreTrimmed) {
    // The failure value of GetFileAttributesW has every bit set.
    EXPECT_FALSE(IsReparsePoint(INVALID_FILE_ATTRIBUTES));
    EXPECT_TRUE(IsReparsePoint(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    const std::wstring text = SysErrorText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(text.back() != L'\n' && text.back() != L'\r');
}
