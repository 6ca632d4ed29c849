// Path tests, sizes, natural order and macro expansion; special folders, their
// reverse mapping, drive readiness and path existence.
#include <gtest/gtest.h>

#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/SpecialFolders.h"
#include "tests/shell/ScratchTree.h"

using namespace shell;

TEST(PathUtils, PathKinds) {
    const struct {
        bool (*test)(const std::wstring&);
        const wchar_t* path;
        bool expected;
    } cases[] = {
        {IsDriveLetterPath, L"c:\\", true},       {IsDriveLetterPath, L"c:", false},
        {IsDriveLetterPath, L"1:\\", false},      {IsUNCPath, L"\\\\?\\unc\\server\\share", true},
        {IsUNCPath, L"\\\\?\\C:\\x", false},      {IsUNCPath, L"\\\\server", false},
        {IsUNCPath, L"\\\\server\\share", true},  {IsQualifiedPath, L"a\\b", false},
        {IsUNCServerName, L"\\\\server\\", true}, {IsUNCServerName, L"\\\\server\\share", false},
        {IsNetworkPath, L"C:\\Windows", false},   {IsNetworkPath, L"\\\\server\\share\\x", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.test(c.path), c.expected) << c.path;
    EXPECT_EQ(ExtractDrivePart(L"C:\\x\\y"), L"C:");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\share\\x"), L"\\\\srv\\share");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\"), L"\\\\srv");
    EXPECT_EQ(ExtractDrivePart(L"relative\\x"), L"");
}

TEST(PathUtils, ComparisonsExtensionsAndParents) {
    EXPECT_TRUE(SamePath(L"C:\\Temp\\", L"c:\\temp"));
    EXPECT_FALSE(SamePath(L"C:\\Temp", L"C:\\Tem"));
    EXPECT_FALSE(StartsText(L"C:\\A", L"C:\\AB"));
    EXPECT_TRUE(HasExtension(L"C:\\a\\archive.ZIP\\", L"zip"));
    EXPECT_TRUE(HasExtension(L"C:\\a\\archive.zip", L".ZIP"));
    EXPECT_FALSE(HasExtension(L"C:\\a.zip\\file", L"zip"));
    EXPECT_FALSE(IsDotOrDotDot(L"..."));
    EXPECT_LT(CompareTextLogical(L"file2", L"file10"), 0);
    EXPECT_EQ(CompareTextLogical(L"File", L"file"), 0);
    // A parent ends where the folder has a separator.
    EXPECT_FALSE(IsParentPath(L"C:\\A", L"C:\\AB"));
    EXPECT_FALSE(IsParentPath(L"C:\\A", L"C:\\A\\"));
    EXPECT_TRUE(IsParentPath(L"c:\\a\\", L"C:\\A\\B\\C"));
    EXPECT_TRUE(IsParentPath(L"C:\\", L"C:\\A"));
    EXPECT_FALSE(IsParentPath(L"C:\\A", L""));
    EXPECT_FALSE(IsParentPath(L"C:\\A\\B", L"C:\\A"));
}

TEST(PathUtils, SizesUseTheHighWord) {
    WIN32_FIND_DATAW data{};
    data.nFileSizeLow = 0xFFFFFFFE;
    data.nFileSizeHigh = 2;
    EXPECT_EQ(FindDataFileSize(data), 0x2FFFFFFFELL);
    const std::wstring folder = testenv::NewScratchFolder(L"sizes");
    scratch::MakeFile(folder + L"\\five.bin", 5);
    EXPECT_EQ(GetFileSize64(folder + L"\\five.bin"), 5);
    EXPECT_EQ(GetFileSize64(folder + L"\\missing.bin"), -1);
}

TEST(PathUtils, ExpandPathMacros) {
    SetEnvironmentVariableW(L"TABULORIN_MACRO", L"value");
    // The expanded text carries no terminating zero of the system call.
    EXPECT_EQ(ExpandPathMacros(L"%TABULORIN_MACRO%\\x"), L"value\\x");
    EXPECT_EQ(ExpandPathMacros(L""), L"");
    EXPECT_EQ(ExpandPathMacros(L"%NO_SUCH_VARIABLE_HERE%"), L"%NO_SUCH_VARIABLE_HERE%");
}

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
