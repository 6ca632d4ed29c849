// Path tests, sizes, natural order and macro expansion.
#include <gtest/gtest.h>

#include "framework/Graphics.h"
#include "shell/PathUtils.h"
#include "tests/common/TestEnv.h"

#include <windows.h>
#include <commctrl.h>

#include <fstream>

using namespace shell;

TEST(PathUtils, DriveLetterUncPathsAndDriveParts) {
    EXPECT_TRUE(IsDriveLetterPath(L"c:\\"));
    EXPECT_FALSE(IsDriveLetterPath(L"c:"));
    EXPECT_FALSE(IsDriveLetterPath(L"1:\\"));
    EXPECT_TRUE(IsUNCPath(L"\\\\?\\UNC\\server\\share"));
    EXPECT_TRUE(IsUNCPath(L"\\\\?\\unc\\server\\share"));
    EXPECT_FALSE(IsUNCPath(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(IsUNCPath(L"\\\\server"));
    EXPECT_TRUE(IsUNCPath(L"\\\\server\\share"));
    EXPECT_TRUE(IsQualifiedPath(L"D:\\a"));
    EXPECT_FALSE(IsQualifiedPath(L"a\\b"));
    EXPECT_TRUE(IsUNCServerName(L"\\\\server"));
    EXPECT_TRUE(IsUNCServerName(L"\\\\server\\"));
    EXPECT_FALSE(IsUNCServerName(L"\\\\server\\share"));
    EXPECT_FALSE(IsNetworkPath(L"C:\\Windows"));
    EXPECT_TRUE(IsNetworkPath(L"\\\\server\\share\\x"));
    EXPECT_EQ(ExtractDrivePart(L"C:\\x\\y"), L"C:");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\share\\x"), L"\\\\srv\\share");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\share"), L"\\\\srv\\share");
    EXPECT_EQ(ExtractDrivePart(L"\\\\srv\\"), L"\\\\srv");
    EXPECT_EQ(ExtractDrivePart(L"relative\\x"), L"");
}

TEST(PathUtils, ComparisonsAndExtensions) {
    EXPECT_TRUE(SamePath(L"C:\\Temp\\", L"c:\\temp"));
    EXPECT_FALSE(SamePath(L"C:\\Temp", L"C:\\Tem"));
    EXPECT_TRUE(StartsText(L"c:\\program files\\x", L"C:\\Program Files"));
    EXPECT_FALSE(StartsText(L"C:\\A", L"C:\\AB"));
    EXPECT_TRUE(HasExtension(L"C:\\a\\archive.ZIP\\", L"zip"));
    EXPECT_TRUE(HasExtension(L"C:\\a\\archive.zip", L".ZIP"));
    EXPECT_FALSE(HasExtension(L"C:\\a.zip\\file", L"zip"));
    EXPECT_TRUE(IsDotOrDotDot(L"."));
    EXPECT_TRUE(IsDotOrDotDot(L".."));
    EXPECT_FALSE(IsDotOrDotDot(L"..."));
    EXPECT_FALSE(IsDotOrDotDot(L".a"));
    EXPECT_LT(CompareTextLogical(L"file2", L"file10"), 0);
    EXPECT_GT(CompareTextLogical(L"file10", L"file2"), 0);
    EXPECT_EQ(CompareTextLogical(L"File", L"file"), 0);
}

TEST(PathUtils, ParentPathOnlyAtASeparator) {
    EXPECT_FALSE(IsParentPath(L"C:\\A", L"C:\\AB"));
    EXPECT_FALSE(IsParentPath(L"C:\\A", L"C:\\A\\"));
    EXPECT_TRUE(IsParentPath(L"C:\\A", L"C:\\A\\B"));
    EXPECT_TRUE(IsParentPath(L"c:\\a\\", L"C:\\A\\B\\C"));
    EXPECT_TRUE(IsParentPath(L"C:\\", L"C:\\A"));
    EXPECT_FALSE(IsParentPath(L"C:\\A", L""));
    EXPECT_FALSE(IsParentPath(L"C:\\A\\B", L"C:\\A"));
}

TEST(PathUtils, SizesWithHighLowWords) {
    EXPECT_EQ(MakeInt64(0x80000000u, 0), 0x80000000LL);
    EXPECT_EQ(MakeInt64(0xFFFFFFFFu, 1), 0x1FFFFFFFFLL);
    WIN32_FIND_DATAW data{};
    data.nFileSizeLow = 0xFFFFFFFE;
    data.nFileSizeHigh = 2;
    EXPECT_EQ(FindDataFileSize(data), 0x2FFFFFFFELL);

    const std::wstring folder = testenv::NewScratchFolder(L"sizes");
    const std::wstring file = folder + L"\\five.bin";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "12345", 5, &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(GetFileSize64(file), 5);
    EXPECT_EQ(GetFileSize64(folder + L"\\missing.bin"), -1);
}

TEST(PathUtils, ExpandPathMacros) {
    SetEnvironmentVariableW(L"TABULORIN_MACRO", L"value");
    const std::wstring expanded = ExpandPathMacros(L"%TABULORIN_MACRO%\\x");
    // The expanded text carries no terminating zero of the system call.
    EXPECT_EQ(expanded, L"value\\x");
    EXPECT_EQ(expanded.size(), 7u);
    EXPECT_EQ(ExpandPathMacros(L""), L"");

    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring withDate = ExpandPathMacros(L"%TABULORIN_MACRO%\\%date%");
    ASSERT_EQ(withDate.size(), 6u + 10u);
    EXPECT_EQ(withDate.substr(0, 6), L"value\\");
    EXPECT_EQ(withDate.substr(6, 4), std::to_wstring(now.wYear));
    EXPECT_EQ(withDate[10], L'-');
    EXPECT_EQ(withDate[13], L'-');
    const std::wstring time = ExpandPathMacros(L"%TIME%");
    ASSERT_EQ(time.size(), 8u);
    EXPECT_EQ(time[2], L'-');
    EXPECT_EQ(time[5], L'-');
    EXPECT_EQ(ExpandPathMacros(L"%NO_SUCH_VARIABLE_HERE%"), L"%NO_SUCH_VARIABLE_HERE%");
}

TEST(PathUtils, ControlLooks) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&init);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP | TVS_HASLINES, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(list && tree);
    ApplyExplorerListStyle(list);
    ApplyExplorerTreeStyle(tree);
    const DWORD listStyle = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(listStyle & (LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER),
              DWORD(LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER));
    EXPECT_EQ(GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES, 0);
    DestroyWindow(list);
    DestroyWindow(tree);

    fw::TFont font;
    font.SetName(L"NoSuchFace");
    SetIconTitleFont(&font);
    LOGFONTW system{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(system), &system, 0);
    EXPECT_EQ(font.Name(), system.lfFaceName);
    SetIconTitleFont(nullptr);
}
