// Paths, special folders and item-ID lists. The shell library is started once for
// the whole test program, as the application's start-up does.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "framework/ComObject.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ShellLibrary.h"
#include "shell/SpecialFolders.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

namespace {

class ShellLibraryEnvironment : public testing::Environment {
public:
    void SetUp() override { ShellLibraryStartup(); }
    void TearDown() override { ShellLibraryShutdown(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new ShellLibraryEnvironment);

// A list of items whose payloads are Sizes bytes long, each byte its item's number.
fw::PidlPtr MakeList(std::initializer_list<int> Sizes) {
    UINT total = 2;
    for (int s : Sizes) total += UINT(s) + 2;
    fw::PidlPtr list(PidlAlloc(total));
    auto* p = reinterpret_cast<BYTE*>(list.get());
    BYTE number = 1;
    for (int s : Sizes) {
        const USHORT cb = USHORT(s + 2);
        std::memcpy(p, &cb, 2);
        std::memset(p + 2, number++, s);
        p += cb;
    }
    return list;
}

std::vector<BYTE> Bytes(const fw::PidlPtr& Pidl) {
    const auto* p = reinterpret_cast<const BYTE*>(Pidl.get());
    return std::vector<BYTE>(p, p + PidlSize(Pidl.get()));
}

// Each of Paths (or pairs of paths) gives Expected from Test.
void ExpectAll(bool (*Test)(const std::wstring&), bool Expected, std::initializer_list<std::wstring> Paths) {
    for (const auto& path : Paths) EXPECT_EQ(Test(path), Expected) << path;
}

void ExpectAll(bool (*Test)(const std::wstring&, const std::wstring&), bool Expected,
               std::initializer_list<std::pair<std::wstring, std::wstring>> Pairs) {
    for (const auto& [a, b] : Pairs) EXPECT_EQ(Test(a, b), Expected) << a << " | " << b;
}

}  // namespace

TEST(ShellLibrary, AnInnerStartAndStopLeaveTheOuterOneIntact) {
    ASSERT_TRUE(ShellLibraryStarted());
    ShellLibraryStartup();
    ShellLibraryShutdown();
    EXPECT_TRUE(ShellLibraryStarted());
    EXPECT_NE(DesktopFolder(), nullptr);
}

TEST(PathUtils, PathKindsComparisonsAndParents) {
    ExpectAll(IsDriveLetterPath, true, {L"c:\\"});
    ExpectAll(IsDriveLetterPath, false, {L"c:", L"1:\\"});
    ExpectAll(IsUNCPath, true, {L"\\\\?\\unc\\server\\share", L"\\\\server\\share"});
    ExpectAll(IsUNCPath, false, {L"\\\\?\\C:\\x", L"\\\\server"});
    ExpectAll(IsQualifiedPath, false, {L"a\\b"});
    ExpectAll(IsUNCServerName, true, {L"\\\\server\\"});
    ExpectAll(IsUNCServerName, false, {L"\\\\server\\share"});
    ExpectAll(IsNetworkPath, true, {L"\\\\server\\share\\x"});
    ExpectAll(IsNetworkPath, false, {L"C:\\Windows"});
    ExpectAll(IsDotOrDotDot, false, {L"..."});
    ExpectAll(IsDriveRoot, true, {L"C:", L"C:\\", L"\\\\server\\share", L"\\\\server\\share\\"});
    ExpectAll(IsDriveRoot, false, {L"C:\\Temp", L"", L"C:\\\\"});
    // The test machine has no Q: drive; asking shows no box.
    ExpectAll(IsDriveReady, true, {L"c:\\windows", testenv::ScratchRoot()});
    ExpectAll(IsDriveReady, false, {L"", L"relative\\path", L"Q:\\"});
    ExpectAll(SamePath, true, {{L"C:\\Temp\\", L"c:\\temp"}});
    ExpectAll(SamePath, false, {{L"C:\\Temp", L"C:\\Tem"}});
    ExpectAll(StartsText, false, {{L"C:\\A", L"C:\\AB"}});
    ExpectAll(HasExtension, true, {{L"C:\\a\\archive.ZIP\\", L"zip"}, {L"C:\\a\\archive.zip", L".ZIP"}});
    ExpectAll(HasExtension, false, {{L"C:\\a.zip\\file", L"zip"}});
    // A parent ends where the folder has a separator.
    ExpectAll(IsParentPath, true, {{L"c:\\a\\", L"C:\\A\\B\\C"}, {L"C:\\", L"C:\\A"}});
    ExpectAll(IsParentPath, false,
              {{L"C:\\A", L"C:\\AB"}, {L"C:\\A", L"C:\\A\\"}, {L"C:\\A", L""}, {L"C:\\A\\B", L"C:\\A"}});
    EXPECT_EQ(ExtractDrivePart(L"C:\\x\\y"), L"C:");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\share\\x"), L"\\\\srv\\share");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\"), L"\\\\srv");
    EXPECT_EQ(ExtractDrivePart(L"relative\\x"), L"");
    EXPECT_LT(CompareTextLogical(L"file2", L"file10"), 0);
    EXPECT_EQ(CompareTextLogical(L"File", L"file"), 0);
}

TEST(PathUtils, SizesMacrosExistenceAndSpecialFolders) {
    WIN32_FIND_DATAW data{};
    data.nFileSizeLow = 0xFFFFFFFE;
    data.nFileSizeHigh = 2;
    EXPECT_EQ(FindDataFileSize(data), 0x2FFFFFFFELL);
    const std::wstring folder = testenv::NewScratchFolder(L"sizes");
    scratch::MakeFile(folder + L"\\five.bin", 5);
    EXPECT_EQ(GetFileSize64(folder + L"\\five.bin"), 5);
    EXPECT_EQ(GetFileSize64(folder + L"\\missing.bin"), -1);
    ExpectAll(PathExists, true, {folder + L"\\", folder + L"\\five.bin", L"\\\\?\\" + folder + L"\\five.bin", L"C:\\"});
    // Wildcards name no path, although a find would succeed on them.
    ExpectAll(PathExists, false, {folder + L"\\missing.bin", L"", L"Q:\\", folder + L"\\*", folder + L"\\five.bi?"});
    SetEnvironmentVariableW(L"TABULORIN_MACRO", L"value");
    // The expanded text carries no terminating zero of the system call.
    EXPECT_EQ(ExpandPathMacros(L"%TABULORIN_MACRO%\\x"), L"value\\x");
    EXPECT_EQ(ExpandPathMacros(L""), L"");
    EXPECT_EQ(ExpandPathMacros(L"%NO_SUCH_VARIABLE_HERE%"), L"%NO_SUCH_VARIABLE_HERE%");
    // The date as year-month-day and the time as hours-minutes-seconds, in any case of the macro.
    const auto today = [] {
        SYSTEMTIME now;
        GetLocalTime(&now);
        wchar_t text[16];
        swprintf(text, 16, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
        return std::wstring(text);
    };
    const std::wstring before = today();
    const std::wstring dated = ExpandPathMacros(L"%TABULORIN_MACRO%\\%date%|%Time%");
    const std::wstring after = today();
    ASSERT_EQ(dated.size(), std::wstring(L"value\\2026-12-07|09-34-29").size()) << dated;
    EXPECT_TRUE(dated.substr(6, 10) == before || dated.substr(6, 10) == after) << dated;
    const std::wstring time = dated.substr(17);
    for (size_t i = 0; i < time.size(); ++i) EXPECT_EQ(time[i] == L'-', i == 2 || i == 5) << dated;
    EXPECT_EQ(GetSpecialFolderIDList(SF_INVALID), nullptr);
    EXPECT_EQ(PidlSize(fw::PidlPtr(GetSpecialFolderIDList(SF_DESKTOP)).get()), 2u);
    const fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    // As a target, an ordinary folder stands for the computer's drives folder.
    EXPECT_TRUE(PidlEqual(fw::PidlPtr(GetSpecialFolderIDList(SF_FILESYSTEMFOLDER)).get(), drives.get()));
    EXPECT_FALSE(GetSpecialFolderPath(SF_PROGRAM_FILESX86).empty());
    EXPECT_FALSE(GetSpecialFolderPath(SF_SYSTEMX86).empty());
    EXPECT_EQ(GetSpecialFolderPath(SF_DRIVES), L"");
    EXPECT_EQ(GetSpecialFolderPath(SF_CONTROLS), L"");
    EXPECT_EQ(WindowsDrive(), GetWindowsFolder().substr(0, 2) + L"\\");
    EXPECT_EQ(PidlToShellFolder(nullptr), SF_DESKTOP);
    EXPECT_EQ(PidlToShellFolder(drives.get()), SF_DRIVES);
    // Only the candidates are tried.
    EXPECT_EQ(PidlToShellFolderIn(drives.get(), ShellFolderSet(SF_NETWORK)), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(PidlToShellFolderIn(drives.get(), ShellFolderSet(SF_NETWORK) | ShellFolderSet(SF_DRIVES)), SF_DRIVES);
    EXPECT_EQ(PidlToShellFolder(fw::PidlPtr(PathToPidl(nullptr, GetWindowsFolder())).get()), SF_WINDOWS);
    const std::wstring plain = testenv::NewScratchFolder(L"plain");
    EXPECT_EQ(PidlToShellFolder(fw::PidlPtr(PathToPidl(nullptr, plain)).get()), SF_FILESYSTEMFOLDER);
    // The first of two values for one folder wins.
    const fw::PidlPtr pictures(GetSpecialFolderIDList(SF_MY_PICTURES));
    EXPECT_TRUE(!pictures || PidlToShellFolder(pictures.get()) == SF_MYPICTURES);
    EXPECT_EQ(ResolveShortcutPath(plain), L"");
}

namespace {

DWORD autoCompleteFlags = 0;
HRESULT WINAPI RecordAutoComplete(HWND, DWORD Flags) {
    autoCompleteFlags = Flags;
    return S_OK;
}

}  // namespace

TEST(PathUtils, AutoCompleteAsksForFileSystemAndAddressesWithTheTabKeyOrForcesSuggestionsOff) {
    const auto bound = BoundEntries.SHAutoComplete;
    BoundEntries.SHAutoComplete = RecordAutoComplete;
    const HWND edit = HWND(1);
    const std::pair<std::pair<bool, bool>, DWORD> cases[] = {
        {{true, false}, 1 | 8}, {{false, true}, 6 | 8}, {{true, true}, 7 | 8}, {{false, false}, 0xA0000007}};
    for (const auto& [options, flags] : cases) {
        EXPECT_TRUE(SetAutoComplete(edit, options.first, options.second));
        EXPECT_EQ(autoCompleteFlags, flags) << options.first << options.second;
    }
    BoundEntries.SHAutoComplete = nullptr;
    EXPECT_FALSE(SetAutoComplete(edit, true, false));
    BoundEntries.SHAutoComplete = bound;
}

TEST(Pidl, MeasureCopyJoinAndCut) {
    EXPECT_EQ(PidlSize(nullptr), 0u);
    EXPECT_EQ(PidlCount(DesktopPidl()), 0);
    const fw::PidlPtr list = MakeList({3, 10, 1});
    EXPECT_EQ(PidlSize(list.get()), 2u + 5 + 12 + 3);
    EXPECT_EQ(PidlCount(list.get()), 3);
    EXPECT_EQ(PidlClone(nullptr), nullptr);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlClone(list.get()))), Bytes(list));
    // Joined lists keep one terminator; a missing half gives a copy of the other.
    const fw::PidlPtr a = MakeList({3, 4}), b = MakeList({5});
    EXPECT_EQ(PidlConcat(nullptr, nullptr), nullptr);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(nullptr, b.get()))), Bytes(b));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(a.get(), DesktopPidl()))), Bytes(a));
    const fw::PidlPtr joined(PidlConcat(a.get(), b.get()));
    EXPECT_EQ(PidlSize(joined.get()), PidlSize(a.get()) + PidlSize(b.get()) - 2);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlItem(joined.get(), 2))), Bytes(b));
    const fw::PidlPtr parent(PidlTruncate(list.get(), 2)), last(PidlLastItem(list.get()));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlConcat(parent.get(), last.get()))), Bytes(list));
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlItem(list.get(), 2))), Bytes(last));
    EXPECT_EQ(PidlSize(fw::PidlPtr(PidlItem(list.get(), 3)).get()), 2u);
    EXPECT_EQ(PidlItem(list.get(), 4), nullptr);
    EXPECT_EQ(PidlItem(list.get(), -1), nullptr);
    EXPECT_EQ(PidlSize(fw::PidlPtr(PidlTruncate(list.get(), 0)).get()), 2u);
    EXPECT_EQ(Bytes(fw::PidlPtr(PidlTruncate(list.get(), 99))), Bytes(list));
}

TEST(Pidl, PathsAndListsBothWays) {
    const std::wstring folder = testenv::NewScratchFolder(L"pidl");
    scratch::MakeFile(folder + L"\\inner.txt");
    const fw::PidlPtr list(PathToPidl(nullptr, folder));
    ASSERT_TRUE(list);
    EXPECT_TRUE(PidlEqual(list.get(), fw::PidlPtr(PathToPidl(nullptr, folder + L"\\")).get()));
    const fw::PidlPtr parent(PidlTruncate(list.get(), PidlCount(list.get()) - 1));
    EXPECT_EQ(PidlToPath(parent.get()), testenv::ScratchRoot());
    EXPECT_FALSE(PidlEqual(list.get(), parent.get()));
    EXPECT_FALSE(PidlEqual(list.get(), nullptr));
    fw::ComPtr<IShellFolder> shellFolder;
    ASSERT_EQ(DesktopFolder()->BindToObject(list.get(), nullptr, IID_IShellFolder, shellFolder.put_void()), S_OK);
    const fw::PidlPtr item(PathToPidl(shellFolder.get(), L"inner.txt"));
    ASSERT_TRUE(item);
    EXPECT_EQ(PidlCount(item.get()), 1);
    EXPECT_EQ(GetDisplayNameOf(shellFolder.get(), item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), L"inner.txt");
    EXPECT_EQ(PidlToPath(fw::PidlPtr(PidlConcat(list.get(), item.get())).get()), folder + L"\\inner.txt");
    // "" is the drives folder, "C:" the same as "C:\"; a missing folder gives the shell's error.
    fw::PidlPtr drives;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put());
    EXPECT_TRUE(PidlEqual(fw::PidlPtr(PathToPidl(nullptr, L"")).get(), drives.get()));
    EXPECT_TRUE(
        PidlEqual(fw::PidlPtr(PathToPidl(nullptr, L"C:")).get(), fw::PidlPtr(PathToPidl(nullptr, L"C:\\")).get()));
    SetLastError(0);
    EXPECT_EQ(PathToPidl(nullptr, folder + L"\\no\\such\\folder"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(0x80070002));
    EXPECT_EQ(PidlToPath(nullptr), L"");
    EXPECT_EQ(PidlToPath(drives.get()), L"");
    fw::PidlPtr network;
    SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, network.put());
    EXPECT_TRUE(!network || IsInNetworkFolder(network.get()));
    EXPECT_FALSE(IsInNetworkFolder(fw::PidlPtr(PathToPidl(nullptr, L"C:\\")).get()));
    EXPECT_FALSE(IsInNetworkFolder(DesktopPidl()));
}

namespace {

// A folder that records what the shell is asked to parse and answers Result.
class TParseRecorder : public fw::TComObject<IShellFolder, IID_IShellFolder> {
public:
    HRESULT Result = S_OK;
    std::wstring Text;
    HWND Owner = HWND(1);
    ULONG AttributesIn = 1;
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND Window, IBindCtx*, LPWSTR Name, ULONG*, PIDLIST_RELATIVE* Pidl,
                                               ULONG* Attributes) override {
        Owner = Window;
        Text = Name;
        AttributesIn = Attributes ? *Attributes : 1;
        *Pidl = SUCCEEDED(Result) ? PidlClone(DesktopPidl()) : nullptr;
        return Result;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }
};

// What the system's path calls answer, in place of the shell's own.
std::wstring pathAnswer;
int longNameCalls = 0;
BOOL WINAPI AnswerPath(PCIDLIST_ABSOLUTE, PWSTR Path, DWORD Size, int Flags) {
    if (pathAnswer.empty() || Flags != 0 || Size < 32767) return FALSE;
    wcscpy(Path, pathAnswer.c_str());
    return TRUE;
}
DWORD WINAPI AnswerLongName(LPCWSTR Short, LPWSTR Long, DWORD) {
    ++longNameCalls;
    if (std::wstring(Short) != L"C:\\PROGRA~1\\x") return 0;
    wcscpy(Long, L"C:\\Program Files\\x");
    return DWORD(wcslen(Long));
}

}  // namespace

TEST(Pidl, ParsingCompletesABareDriveAndPassesTheShellsFailureOn) {
    fw::ComPtr<TParseRecorder> folder;
    folder.attach(new TParseRecorder);
    EXPECT_TRUE(fw::PidlPtr(PathToPidl(folder.get(), L"C:")));
    EXPECT_EQ(folder->Text, L"C:\\");
    EXPECT_EQ(folder->AttributesIn, 0u);
    EXPECT_EQ(folder->Owner, nullptr);
    folder->Result = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    SetLastError(0);
    EXPECT_EQ(PathToPidl(folder.get(), L"C:\\x"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)));
}

TEST(Pidl, PathOfAListTakesTheLongNameAndNoClassIdText) {
    const fw::PidlPtr windows(PathToPidl(nullptr, GetWindowsFolder()));
    ASSERT_TRUE(windows);
    const auto pathFromList = BoundEntries.SHGetPathFromIDListEx;
    const auto longName = BoundEntries.GetLongPathNameW;
    BoundEntries.SHGetPathFromIDListEx = AnswerPath;
    BoundEntries.GetLongPathNameW = AnswerLongName;
    const std::pair<std::wstring, std::wstring> answers[] = {
        {L"C:\\PROGRA~1\\x", L"C:\\Program Files\\x"},
        {L"D:\\GONE~1\\x", L"D:\\GONE~1\\x"},  // no long name: the path as the shell gave it
        {L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", L""},
        {L"", GetWindowsFolder()},  // the call fails: the plain call answers
    };
    for (const auto& [answer, path] : answers) {
        pathAnswer = answer;
        EXPECT_EQ(PidlToPath(windows.get()), path) << answer;
    }
    // Paths under 10 characters are taken as they are.
    longNameCalls = 0;
    pathAnswer = L"C:\\A~1";
    EXPECT_EQ(PidlToPath(windows.get()), L"C:\\A~1");
    EXPECT_EQ(longNameCalls, 0);
    BoundEntries.SHGetPathFromIDListEx = pathFromList;
    BoundEntries.GetLongPathNameW = longName;
}
