#include "shell/ShellLibrary.h"

#include "shell/Pathfinch.h"
#include "shell/ShellEntryPoints.h"
#include "shell/ZemSelectionList.h"

#include <atomic>
#include <mutex>

namespace shell {

namespace {

std::mutex libraryLock;
// Read without the lock: a work item delivered while the shut-down frees the
// worker pool may ask, and the shut-down holds the lock meanwhile.
std::atomic<int> libraryCounter{0};

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
    return libraryCounter > 0;
}

}  // namespace shell
