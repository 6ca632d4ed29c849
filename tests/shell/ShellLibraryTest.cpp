// The shell library is started once for the whole test program, as the
// application's start-up does, and shut down at its end.
#include <gtest/gtest.h>

#include "shell/Pathfinch.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ShellLibrary.h"
#include "shell/SpecialFolders.h"

using namespace shell;

namespace {

class ShellLibraryEnvironment : public testing::Environment {
public:
    void SetUp() override { ShellLibraryStartup(); }
    void TearDown() override { ShellLibraryShutdown(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new ShellLibraryEnvironment);

}  // namespace

TEST(ShellLibrary, StartUpIsCounted) {
    ASSERT_TRUE(ShellLibraryStarted());
    ShellLibraryStartup();
    ShellLibraryShutdown();
    // The outer start-up still holds: the shared state is intact.
    EXPECT_TRUE(ShellLibraryStarted());
    EXPECT_NE(DesktopFolder(), nullptr);
    EXPECT_NE(BoundEntries.StrRetToStrW, nullptr);
    EXPECT_NE(ShellIDListClipboardFormat(), 0u);
}

TEST(ShellLibrary, BindsTheOptionalEntries) {
    EXPECT_NE(BoundEntries.PathMatchSpecW, nullptr);
    EXPECT_NE(BoundEntries.StrCmpLogicalW, nullptr);
    EXPECT_NE(BoundEntries.SHGetImageList, nullptr);
    EXPECT_NE(BoundEntries.SHChangeNotifyRegister, nullptr);
    EXPECT_NE(BoundEntries.SHChangeNotifyDeregister, nullptr);
    EXPECT_NE(BoundEntries.GetLongPathNameW, nullptr);
    EXPECT_NE(BoundEntries.IsWow64Process, nullptr);
    EXPECT_EQ(InFolderCaption().empty(), false);
    EXPECT_EQ(NewFolderCaption().empty(), false);
}
