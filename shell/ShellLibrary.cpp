#include "shell/ShellLibrary.h"

#include "shell/Pathfinch.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSelectionList.h"

#include <mutex>

namespace shell {

namespace {

std::mutex libraryLock;
int libraryCounter = 0;

}  // namespace

void ShellLibraryStartup() {
    std::lock_guard<std::mutex> guard(libraryLock);
    if (libraryCounter > 0) {
        ++libraryCounter;
        return;
    }
    ShellEntryPointsInitialize();
    try {
        ZemSelectionListInitialize();
        try {
            PathfinchInitialize();
        } catch (...) {
            ZemSelectionListFinalize();
            throw;
        }
    } catch (...) {
        ShellEntryPointsFinalize();
        throw;
    }
    libraryCounter = 1;
}

void ShellLibraryShutdown() {
    std::lock_guard<std::mutex> guard(libraryLock);
    if (libraryCounter == 0 || --libraryCounter > 0) return;
    // The worker pool goes first: its work items use the shell state freed below.
    ZemSelectionListFinalize();
    PathfinchFinalize();
    ShellEntryPointsFinalize();
}

bool ShellLibraryStarted() {
    std::lock_guard<std::mutex> guard(libraryLock);
    return libraryCounter > 0;
}

}  // namespace shell
