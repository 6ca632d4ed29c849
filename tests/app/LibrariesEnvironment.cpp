// The app tests run with the program's libraries started, as the program does
// before it makes its windows, and ended after the last test.
#include <gtest/gtest.h>

#include "app/Startup.h"

namespace {

class LibrariesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        for (const TLibrary& library : ProgramLibraries()) library.Startup();
    }
    void TearDown() override {
        const auto& libraries = ProgramLibraries();
        for (auto it = libraries.rbegin(); it != libraries.rend(); ++it) it->Shutdown();
    }
};

// Registered before main runs the tests.
const auto* const environment = ::testing::AddGlobalTestEnvironment(new LibrariesEnvironment);

}  // namespace
