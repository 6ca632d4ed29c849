// The library's start and end run once per process, so each case runs this
// executable again with only its child case, in a process of its own.
#include "support/SupportLibrary.h"
#include "support/VxAppStorage.h"
#include "support/VxTypeInfoList.h"
#include "support/ZurSharedMemory.h"
#include "support/ZurUnitVersioning.h"
#include "framework/Handles.h"
#include "tests/common/TestEnv.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

const wchar_t* const ChildVariable = L"TABULORIN_SUPPORT_CHILD";

// This executable, copied to the scratch drive: Wine cannot start a program from
// the host path the test runner gave it.
std::wstring ChildExecutable() {
    static std::wstring copy;
    if (copy.empty()) {
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const std::wstring target = testenv::NewScratchFolder(L"support-child") + L"\\support_tests.exe";
        // A program started from a host path may name itself "unix\..." without
        // the "\\?\" that makes such a name usable.
        std::wstring source = exe;
        if (source.rfind(L"unix\\", 0) == 0) source = L"\\\\?\\" + source;
        if (CopyFileW(source.c_str(), target.c_str(), FALSE)) copy = target;
    }
    return copy;
}

// A child's last act: an exit code of its own tells the parent that its case ran
// to the end without a failure (a skipped case exits with 0, a failed one with 1).
constexpr DWORD ChildPassed = 42;

void ReportChildDone() {
    std::fflush(nullptr);
    std::_Exit(::testing::Test::HasFailure() ? 1 : int(ChildPassed));
}

// Runs SupportLibraryChild.<Scenario> in a new process and checks that it passed whole.
void RunChild(const std::wstring& Scenario) {
    const std::wstring exe = ChildExecutable();
    ASSERT_FALSE(exe.empty()) << "cannot copy the test executable: " << GetLastError();
    std::wstring command = L"\"" + exe + L"\" --gtest_filter=SupportLibraryChild." + Scenario;
    SetEnvironmentVariableW(ChildVariable, Scenario.c_str());
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi);
    SetEnvironmentVariableW(ChildVariable, nullptr);
    ASSERT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
    const fw::UniqueHandle process(pi.hProcess), thread(pi.hThread);  // owned from here
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, ChildPassed) << "the child case failed or did not run to its end";
}

#define ONLY_AS_CHILD(Scenario)                       \
    if (testenv::Env(ChildVariable) != L"" #Scenario) \
    GTEST_SKIP() << "runs in its own process, from SupportLibrary." #Scenario

std::wstring MutexName() {
    return L"MutexZUR_UnitVersioning_" + std::to_wstring(GetCurrentProcessId());
}
std::wstring ShmName() {
    return L"ShmZUR_UnitVersioning_" + std::to_wstring(GetCurrentProcessId());
}

bool MutexExists() {
    return bool(fw::UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, MutexName().c_str())));
}
bool ShmExists() {
    return bool(fw::UniqueHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, ShmName().c_str())));
}

// The address stored in the shared block, read through a handle of our own.
void* StoredAddress() {
    const fw::UniqueHandle h(OpenFileMappingW(FILE_MAP_READ, FALSE, ShmName().c_str()));
    void* view = h ? MapViewOfFile(h.get(), FILE_MAP_READ, 0, 0, sizeof(void*)) : nullptr;
    void* address = view ? *static_cast<void* const*>(view) : nullptr;
    if (view) UnmapViewOfFile(view);
    return address;
}

constexpr int SupportUnitsWithRecords = 8;

TEST(SupportLibrary, EachCaseInAProcessOfItsOwn) {
    for (const wchar_t* scenario : {L"Lifetime", L"RegistryOfAnotherModule", L"PrivateRegistryWhenSharedMemoryFails",
                                    L"RegistryMadeByManyThreadsAtOnce", L"ProcessLockOutlivesTheEndWhileHeld"}) {
        SCOPED_TRACE(testing::Message() << scenario);
        RunChild(scenario);
    }
}

TEST(SupportLibraryChild, Lifetime) {
    ONLY_AS_CHILD(Lifetime);
    EXPECT_FALSE(MutexExists());
    EXPECT_FALSE(ShmExists());
    zur::SupportLibraryStartup();
    zur::SupportLibraryStartup();  // a second start does nothing

    zur::TUnitVersioning* registry = zur::GetUnitVersioning();
    ASSERT_NE(registry, nullptr);
    EXPECT_TRUE(MutexExists());
    EXPECT_TRUE(ShmExists());
    EXPECT_EQ(StoredAddress(), registry);
    ASSERT_EQ(registry->ModuleCount(), 1);
    zur::TUnitVersioningModule* module = registry->FindModule(zur::ModuleInstance());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Count(), SupportUnitsWithRecords);
    // The registry mutex is free between uses.
    DWORD wait = WAIT_FAILED;
    std::thread([&] {
        const fw::UniqueHandle h(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, MutexName().c_str()));
        wait = WaitForSingleObject(h.get(), 0);
        if (wait == WAIT_OBJECT_0) ReleaseMutex(h.get());
    }).join();
    EXPECT_EQ(wait, WAIT_OBJECT_0);
    EXPECT_NE(zur::TypeInfoList(), nullptr);
    EXPECT_NE(zur::RegisteredAppStoragePropertyEngineList(), nullptr);

    zur::SupportLibraryShutdown();
    zur::SupportLibraryShutdown();
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    EXPECT_FALSE(ShmExists());
    EXPECT_FALSE(MutexExists());
    EXPECT_EQ(zur::TypeInfoList(), nullptr);
    EXPECT_EQ(zur::RegisteredAppStoragePropertyEngineList(), nullptr);

    zur::SupportLibraryStartup();  // nothing starts again after the end
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    EXPECT_EQ(zur::TypeInfoList(), nullptr);
    ReportChildDone();
}

TEST(SupportLibraryChild, RegistryOfAnotherModule) {
    ONLY_AS_CHILD(RegistryOfAnotherModule);
    // Another module made the registry first, high in the address space, so that
    // an address cut to 32 bits would point elsewhere.
    void* place =
        VirtualAlloc(nullptr, sizeof(zur::TUnitVersioning), MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
    ASSERT_NE(place, nullptr);
    ASSERT_GT(reinterpret_cast<uintptr_t>(place), uintptr_t(0xFFFFFFFFu));
    auto* foreign = new (place) zur::TUnitVersioning;
    const fw::UniqueHandle block(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(void*), ShmName().c_str()));
    ASSERT_TRUE(block);
    void* view = MapViewOfFile(block.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(void*));
    *static_cast<zur::TUnitVersioning**>(view) = foreign;

    zur::SupportLibraryStartup();
    EXPECT_EQ(zur::GetUnitVersioning(), foreign);
    ASSERT_NE(foreign->FindModule(zur::ModuleInstance()), nullptr);
    EXPECT_EQ(foreign->FindModule(zur::ModuleInstance())->Count(), SupportUnitsWithRecords);

    zur::SupportLibraryShutdown();
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    // Our records are gone; the registry, and its address, stay with its owner.
    EXPECT_EQ(foreign->ModuleCount(), 0);
    EXPECT_EQ(*static_cast<zur::TUnitVersioning**>(view), foreign);
    UnmapViewOfFile(view);
    foreign->~TUnitVersioning();
    VirtualFree(place, 0, MEM_RELEASE);
    ReportChildDone();
}

TEST(SupportLibraryChild, PrivateRegistryWhenSharedMemoryFails) {
    ONLY_AS_CHILD(PrivateRegistryWhenSharedMemoryFails);
    // An object of another kind holds the block's name.
    const fw::UniqueHandle squatter(CreateEventW(nullptr, TRUE, FALSE, ShmName().c_str()));
    ASSERT_TRUE(squatter);
    zur::SupportLibraryStartup();
    zur::TUnitVersioning* registry = zur::GetUnitVersioning();
    ASSERT_NE(registry, nullptr);
    ASSERT_NE(registry->FindModule(zur::ModuleInstance()), nullptr);
    EXPECT_EQ(registry->FindModule(zur::ModuleInstance())->Count(), SupportUnitsWithRecords);
    zur::SupportLibraryShutdown();
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    EXPECT_FALSE(MutexExists());
    ReportChildDone();
}

TEST(SupportLibraryChild, RegistryMadeByManyThreadsAtOnce) {
    ONLY_AS_CHILD(RegistryMadeByManyThreadsAtOnce);
    // Sixteen first users at once: one mutex and one registry, and both go at the end.
    fw::UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<zur::TUnitVersioning*> seen(16, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            WaitForSingleObject(go.get(), INFINITE);
            seen[i] = zur::GetUnitVersioning();
        });
    SetEvent(go.get());
    for (std::thread& t : threads) t.join();
    ASSERT_NE(seen[0], nullptr);
    for (zur::TUnitVersioning* registry : seen) EXPECT_EQ(registry, seen[0]);
    EXPECT_EQ(StoredAddress(), seen[0]);

    zur::SupportLibraryStartup();
    EXPECT_EQ(zur::GetUnitVersioning(), seen[0]);
    zur::SupportLibraryShutdown();
    EXPECT_FALSE(MutexExists());
    EXPECT_FALSE(ShmExists());
    ReportChildDone();
}

TEST(SupportLibraryChild, ProcessLockOutlivesTheEndWhileHeld) {
    ONLY_AS_CHILD(ProcessLockOutlivesTheEndWhileHeld);
    zur::SupportLibraryStartup();
    fw::UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fw::UniqueHandle letGo(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::weak_ptr<zur::TZurIntfCriticalSection> watch;
    std::thread holder([&] {
        std::shared_ptr<zur::TZurIntfCriticalSection> lock = zur::GlobalProcessLock();
        watch = lock;
        lock->AddRef();  // enters
        SetEvent(held.get());
        WaitForSingleObject(letGo.get(), 10000);
        lock->Release();  // leaves a lock that must still be there
    });
    ASSERT_EQ(WaitForSingleObject(held.get(), 10000), WAIT_OBJECT_0);
    // The unit's own end (the library's whole end would wait for the lock itself).
    zur::ZurSharedMemoryFinalize();
    EXPECT_EQ(zur::GlobalProcessLock(), nullptr);
    EXPECT_FALSE(watch.expired());
    SetEvent(letGo.get());
    holder.join();
    EXPECT_TRUE(watch.expired());  // gone with its last holder
    zur::SupportLibraryShutdown();
    ReportChildDone();
}

}  // namespace
