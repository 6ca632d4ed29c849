// The shell library is started once for the whole test program, as the
// application's start-up does, and shut down at its end.
#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "shell/ShellLibrary.h"

using namespace shell;

namespace {

class ShellLibraryEnvironment : public testing::Environment {
public:
    void SetUp() override { ShellLibraryStartup(); }
    void TearDown() override { ShellLibraryShutdown(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new ShellLibraryEnvironment);

}  // namespace

TEST(ShellLibrary, AnInnerStartAndStopLeaveTheOuterOneIntact) {
    ASSERT_TRUE(ShellLibraryStarted());
    ShellLibraryStartup();
    ShellLibraryShutdown();
    EXPECT_TRUE(ShellLibraryStarted());
    EXPECT_NE(DesktopFolder(), nullptr);
}
