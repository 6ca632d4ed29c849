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

TEST(ShellLibrary, StartUpIsCountedAndBindsTheOptionalEntries) {
    ASSERT_TRUE(ShellLibraryStarted());
    ShellLibraryStartup();
    ShellLibraryShutdown();
    // The outer start-up still holds: the shared state is intact.
    EXPECT_TRUE(ShellLibraryStarted());
    EXPECT_NE(DesktopFolder(), nullptr);
    EXPECT_NE(ShellIDListClipboardFormat(), 0u);
    for (const void* entry :
         {(const void*)BoundEntries.StrRetToStrW, (const void*)BoundEntries.PathMatchSpecW,
          (const void*)BoundEntries.StrCmpLogicalW, (const void*)BoundEntries.SHGetImageList,
          (const void*)BoundEntries.SHChangeNotifyRegister, (const void*)BoundEntries.SHChangeNotifyDeregister,
          (const void*)BoundEntries.GetLongPathNameW, (const void*)BoundEntries.IsWow64Process})
        EXPECT_NE(entry, nullptr);
    EXPECT_FALSE(InFolderCaption().empty());
    EXPECT_FALSE(NewFolderCaption().empty());
}
