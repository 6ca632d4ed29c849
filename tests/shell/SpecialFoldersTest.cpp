// Special folders, their reverse mapping, drive readiness and path existence.
#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"
#include "tests/shell/ScratchTree.h"

#include <windows.h>
#include <shlobj.h>

using namespace shell;

TEST(SpecialFolders, ListsPathsAndTheReverseMapping) {
    EXPECT_EQ(GetSpecialFolderIDList(SF_INVALID), nullptr);
    EXPECT_EQ(PidlSize(fw::PidlPtr(GetSpecialFolderIDList(SF_DESKTOP)).get()), 2u);
    const fw::PidlPtr drives(GetSpecialFolderIDList(SF_DRIVES));
    // As a target, an ordinary folder stands for the computer's drives folder.
    EXPECT_TRUE(PidlEqual(fw::PidlPtr(GetSpecialFolderIDList(SF_FILESYSTEMFOLDER)).get(), drives.get()));
    EXPECT_FALSE(GetSpecialFolderPath(SF_PROGRAM_FILESX86).empty());
    EXPECT_FALSE(GetSpecialFolderPath(SF_SYSTEMX86).empty());
    EXPECT_EQ(GetSpecialFolderPath(SF_DRIVES), L"");
    EXPECT_EQ(WindowsDrive(), GetWindowsFolder().substr(0, 2) + L"\\");

    EXPECT_EQ(PidlToShellFolder(nullptr), SF_DESKTOP);
    EXPECT_EQ(PidlToShellFolder(drives.get()), SF_DRIVES);
    EXPECT_EQ(PidlToShellFolder(fw::PidlPtr(PathToPidl(nullptr, GetWindowsFolder())).get()), SF_WINDOWS);
    const std::wstring plain = testenv::NewScratchFolder(L"plain");
    EXPECT_EQ(PidlToShellFolder(fw::PidlPtr(PathToPidl(nullptr, plain)).get()), SF_FILESYSTEMFOLDER);
    // The first of two values for one folder wins.
    const fw::PidlPtr pictures(GetSpecialFolderIDList(SF_MY_PICTURES));
    EXPECT_TRUE(!pictures || PidlToShellFolder(pictures.get()) == SF_MYPICTURES);
    EXPECT_EQ(ResolveShortcutPath(plain), L"");
}

TEST(SpecialFolders, DriveRootsReadinessAndExistence) {
    for (const wchar_t* root : {L"C:", L"C:\\", L"\\\\server\\share", L"\\\\server\\share\\"})
        EXPECT_TRUE(IsDriveRoot(root)) << root;
    for (const wchar_t* other : {L"C:\\Temp", L"", L"C:\\\\"}) EXPECT_FALSE(IsDriveRoot(other)) << other;
    EXPECT_FALSE(IsDriveReady(L""));
    EXPECT_FALSE(IsDriveReady(L"relative\\path"));
    EXPECT_TRUE(IsDriveReady(testenv::ScratchRoot()));
    EXPECT_TRUE(IsDriveReady(L"c:\\windows"));
    // The test machine has no Q: drive; asking shows no box.
    EXPECT_FALSE(IsDriveReady(L"Q:\\"));

    const std::wstring folder = testenv::NewScratchFolder(L"exists");
    scratch::MakeFile(folder + L"\\file.txt");
    EXPECT_TRUE(PathExists(folder + L"\\"));
    EXPECT_TRUE(PathExists(folder + L"\\file.txt"));
    EXPECT_TRUE(PathExists(L"\\\\?\\" + folder + L"\\file.txt"));
    EXPECT_TRUE(PathExists(L"C:\\"));
    EXPECT_FALSE(PathExists(folder + L"\\missing.txt"));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_FALSE(PathExists(L"Q:\\"));
    // Wildcards name no path, although a find would succeed on them.
    EXPECT_FALSE(PathExists(folder + L"\\*"));
    EXPECT_FALSE(PathExists(folder + L"\\file.tx?"));
}
