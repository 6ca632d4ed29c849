// Special folders, their reverse mapping, drive readiness and path existence.
#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "tests/common/TestEnv.h"

#include <windows.h>
#include <shlobj.h>

using namespace shell;

namespace {

fw::PidlPtr ListOf(const std::wstring& Path) {
    return fw::PidlPtr(PathToPidl(nullptr, Path));
}

void Touch(const std::wstring& Path) {
    CloseHandle(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

}  // namespace

TEST(SpecialFolders, Lists) {
    EXPECT_EQ(GetSpecialFolderIDList(SF_INVALID), nullptr);
    const fw::PidlPtr desktop(GetSpecialFolderIDList(SF_DESKTOP));
    ASSERT_TRUE(desktop);
    EXPECT_EQ(PidlSize(desktop.get()), 2u);
    const fw::PidlPtr asTarget(GetSpecialFolderIDList(SF_FILESYSTEMFOLDER));
    const fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    ASSERT_TRUE(asTarget);
    EXPECT_TRUE(PidlEqual(asTarget.get(), drives.get()));
}

TEST(SpecialFolders, ReverseMapping) {
    EXPECT_EQ(PidlToShellFolder(nullptr), SF_DESKTOP);
    EXPECT_EQ(PidlToShellFolder(DesktopPidl()), SF_DESKTOP);
    const fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    EXPECT_EQ(PidlToShellFolder(drives.get()), SF_DRIVES);
    EXPECT_EQ(PidlToShellFolder(ListOf(GetWindowsFolder()).get()), SF_WINDOWS);
    EXPECT_EQ(PidlToShellFolder(ListOf(testenv::NewScratchFolder(L"plain")).get()), SF_FILESYSTEMFOLDER);
    // Restricted to other values, the drives folder is no special folder.
    EXPECT_EQ(PidlToShellFolderIn(drives.get(), ShellFolderSet(SF_NETWORK)), SF_FILESYSTEMFOLDER);
    EXPECT_EQ(PidlToShellFolderIn(drives.get(), ShellFolderSet(SF_NETWORK) | ShellFolderSet(SF_DRIVES)), SF_DRIVES);
    // The first of two values for one folder wins.
    const fw::PidlPtr pictures(GetSpecialFolderIDList(SF_MY_PICTURES));
    EXPECT_TRUE(!pictures || PidlToShellFolder(pictures.get()) == SF_MYPICTURES);
}

TEST(SpecialFolders, Paths) {
    EXPECT_FALSE(GetSpecialFolderPath(SF_PROGRAM_FILES).empty());
    EXPECT_FALSE(GetSpecialFolderPath(SF_PROGRAM_FILESX86).empty());
    EXPECT_FALSE(GetSpecialFolderPath(SF_SYSTEMX86).empty());
    EXPECT_EQ(GetSpecialFolderPath(SF_DRIVES), L"");
    EXPECT_EQ(GetSpecialFolderPath(SF_INVALID), L"");
    const std::wstring windows = GetWindowsFolder();
    EXPECT_EQ(GetFileAttributesW(windows.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(WindowsDrive(), windows.substr(0, 2) + L"\\");
    const std::wstring folder = testenv::NewScratchFolder(L"shortcut");
    EXPECT_EQ(ResolveShortcutPath(folder), L"");
    EXPECT_EQ(ResolveShortcutPath(folder + L"\\none.lnk"), L"");
}

TEST(SpecialFolders, DriveRoots) {
    EXPECT_TRUE(IsDriveRoot(L"C:"));
    EXPECT_TRUE(IsDriveRoot(L"C:\\"));
    EXPECT_TRUE(IsDriveRoot(L"\\\\server\\share"));
    EXPECT_TRUE(IsDriveRoot(L"\\\\server\\share\\"));
    EXPECT_FALSE(IsDriveRoot(L"C:\\Temp"));
    EXPECT_FALSE(IsDriveRoot(L""));
    EXPECT_FALSE(IsDriveRoot(L"C:\\\\"));
}

TEST(SpecialFolders, DriveReadiness) {
    EXPECT_FALSE(IsDriveReady(L""));
    EXPECT_FALSE(IsDriveReady(L"relative\\path"));
    EXPECT_TRUE(IsDriveReady(L"C:\\"));
    EXPECT_TRUE(IsDriveReady(testenv::ScratchRoot()));
    EXPECT_TRUE(IsDriveReady(L"c:\\windows"));
    // The test machine has no Q: drive; asking shows no box.
    EXPECT_FALSE(IsDriveReady(L"Q:\\"));
}

TEST(SpecialFolders, PathExistence) {
    const std::wstring folder = testenv::NewScratchFolder(L"exists");
    Touch(folder + L"\\file.txt");
    EXPECT_TRUE(PathExists(folder));
    EXPECT_EQ(PathExists(folder + L"\\"), PathExists(folder));
    EXPECT_TRUE(PathExists(folder + L"\\file.txt"));
    EXPECT_FALSE(PathExists(folder + L"\\missing.txt"));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_TRUE(PathExists(L"C:\\"));
    EXPECT_FALSE(PathExists(L"Q:\\"));
    // Wildcards name no path, although a find would succeed on them.
    EXPECT_FALSE(PathExists(folder + L"\\*"));
    EXPECT_FALSE(PathExists(folder + L"\\file.tx?"));
    EXPECT_TRUE(PathExists(L"\\\\?\\" + folder + L"\\file.txt"));
}

TEST(SpecialFolders, ProgramFilesCorrection) {
    const std::wstring root = testenv::NewScratchFolder(L"wow");
    const std::wstring x86 = root + L"\\Program Files (x86)", x64 = root + L"\\Program Files";
    CreateDirectoryW(x86.c_str(), nullptr);
    CreateDirectoryW(x64.c_str(), nullptr);
    CreateDirectoryW((x64 + L"\\Tool").c_str(), nullptr);
    Touch(x64 + L"\\Tool\\tool.exe");
    Touch(x86 + L"\\both.exe");
    Touch(x64 + L"\\both.exe");

    std::wstring path = x86 + L"\\Tool\\tool.exe";
    ReplaceProgramFilesPath(path, x86, x64);
    EXPECT_EQ(path, x64 + L"\\Tool\\tool.exe");
    // Case of the prefix does not matter.
    path = root + L"\\PROGRAM FILES (X86)\\Tool\\tool.exe";
    ReplaceProgramFilesPath(path, x86, x64);
    EXPECT_EQ(path, x64 + L"\\Tool\\tool.exe");

    path = x86 + L"\\both.exe";
    ReplaceProgramFilesPath(path, x86, x64);
    EXPECT_EQ(path, x86 + L"\\both.exe");
    path = x86 + L"\\nowhere.exe";
    ReplaceProgramFilesPath(path, x86, x64);
    EXPECT_EQ(path, x86 + L"\\nowhere.exe");
    // An unknown folder matches nothing.
    path = x86 + L"\\Tool\\tool.exe";
    ReplaceProgramFilesPath(path, L"", x64);
    EXPECT_EQ(path, x86 + L"\\Tool\\tool.exe");

    // A 64-bit process needs no correction at all.
    if (!IsWow64()) {
        path = x86 + L"\\Tool\\tool.exe";
        FixWow64ProgramFilesPath(path);
        EXPECT_EQ(path, x86 + L"\\Tool\\tool.exe");
    }
}
