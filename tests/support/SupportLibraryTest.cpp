// The library's start and end, and the unit-version registry. Start and end run
// once per process, so each of their cases runs in a process of its own.
#include "support/SupportLibrary.h"
#include "support/VxAppStorage.h"
#include "support/VxTypeInfoList.h"
#include "support/ZurSharedMemory.h"
#include "support/ZurUnitVersioning.h"
#include "framework/Handles.h"
#include "tests/common/TestEnv.h"

#include <cstdio>
#include <cstdlib>
#include <process.h>
#include <gtest/gtest.h>
#include <memory>
#include <new>
#include <string_view>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

// This executable, copied to the scratch drive: Wine cannot start a program from
// the host path the test runner gave it, which may name itself "unix\..." without
// the "\\?\" that makes such a name usable.
std::wstring ChildExecutable() {
    static std::wstring copy;
    if (copy.empty()) {
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring source = exe;
        if (source.rfind(L"unix\\", 0) == 0) source = L"\\\\?\\" + source;
        const std::wstring target = testenv::NewScratchFolder(L"support-child") + L"\\support_tests.exe";
        if (CopyFileW(source.c_str(), target.c_str(), FALSE)) copy = target;
    }
    return copy;
}

// An exit code of its own tells the parent that the child case ran to its end
// without a failure (a skipped case exits with 0, a failed one with 1).
constexpr int ChildPassed = 42;

std::wstring ChildFilter(const std::wstring& Scenario) {
    return L"--gtest_filter=SupportLibraryChild." + Scenario;
}

// Runs SupportLibraryChild.<Scenario> in a new process and checks that it passed whole.
void RunChild(const std::wstring& Scenario) {
    const std::wstring exe = ChildExecutable();
    ASSERT_FALSE(exe.empty()) << "cannot copy the test executable: " << GetLastError();
    EXPECT_EQ(_wspawnl(_P_WAIT, exe.c_str(), L"support_tests", ChildFilter(Scenario).c_str(), nullptr), ChildPassed)
        << "the child case failed or did not run to its end";
}

// A child case runs only in the process started for it, whose command line ends
// with its filter, and ends that process with its verdict.
class SupportLibraryChild : public testing::Test {
protected:
    void SetUp() override {
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        if (!std::wstring_view(GetCommandLineW()).ends_with(ChildFilter(std::wstring(name.begin(), name.end()))))
            GTEST_SKIP() << "runs in its own process, from SupportLibrary.EachCaseInAProcessOfItsOwn";
    }
    void TearDown() override {
        if (IsSkipped()) return;
        std::fflush(nullptr);
        std::_Exit(HasFailure() ? 1 : ChildPassed);
    }
};

std::wstring Named(const wchar_t* Kind) {
    return Kind + (L"ZUR_UnitVersioning_" + std::to_wstring(GetCurrentProcessId()));
}

bool MutexExists() {
    return bool(fw::UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, Named(L"Mutex").c_str())));
}
bool ShmExists() {
    return bool(fw::UniqueHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, Named(L"Shm").c_str())));
}

// The address stored in the shared block, read through a handle of our own.
void* StoredAddress() {
    const fw::UniqueHandle h(OpenFileMappingW(FILE_MAP_READ, FALSE, Named(L"Shm").c_str()));
    void* view = h ? MapViewOfFile(h.get(), FILE_MAP_READ, 0, 0, sizeof(void*)) : nullptr;
    void* address = view ? *static_cast<void* const*>(view) : nullptr;
    if (view) UnmapViewOfFile(view);
    return address;
}

constexpr int SupportUnitsWithRecords = 8;

TEST(SupportLibrary, EachCaseInAProcessOfItsOwn) {
    for (const wchar_t* scenario : {L"Lifetime", L"RegistryOfAnotherModule", L"PrivateRegistryWhenSharedMemoryFails",
                                    L"ProcessLockOutlivesTheEndWhileHeld"}) {
        SCOPED_TRACE(testing::Message() << scenario);
        RunChild(scenario);
    }
}

TEST_F(SupportLibraryChild, Lifetime) {
    EXPECT_FALSE(MutexExists());
    EXPECT_FALSE(ShmExists());
    // Sixteen first users at once, before the start: one mutex and one registry.
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
    zur::TUnitVersioning* registry = seen[0];
    ASSERT_NE(registry, nullptr);
    for (zur::TUnitVersioning* other : seen) EXPECT_EQ(other, registry);
    EXPECT_TRUE(MutexExists());
    EXPECT_EQ(StoredAddress(), registry);

    zur::SupportLibraryStartup();
    zur::SupportLibraryStartup();  // a second start does nothing
    EXPECT_EQ(zur::GetUnitVersioning(), registry);
    ASSERT_EQ(registry->ModuleCount(), 1);
    zur::TUnitVersioningModule* module = registry->FindModule(zur::ModuleInstance());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->Count(), SupportUnitsWithRecords);
    // The registry mutex is free between uses.
    DWORD wait = WAIT_FAILED;
    std::thread([&] {
        const fw::UniqueHandle h(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, Named(L"Mutex").c_str()));
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
    EXPECT_FALSE(MutexExists());  // the one mutex goes with the registry
    EXPECT_EQ(zur::TypeInfoList(), nullptr);
    EXPECT_EQ(zur::RegisteredAppStoragePropertyEngineList(), nullptr);

    zur::SupportLibraryStartup();  // nothing starts again after the end
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    EXPECT_EQ(zur::TypeInfoList(), nullptr);
}

TEST_F(SupportLibraryChild, RegistryOfAnotherModule) {
    // Another module made the registry first, high in the address space, so that
    // an address cut to 32 bits would point elsewhere.
    void* place =
        VirtualAlloc(nullptr, sizeof(zur::TUnitVersioning), MEM_RESERVE | MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
    ASSERT_NE(place, nullptr);
    ASSERT_GT(reinterpret_cast<uintptr_t>(place), uintptr_t(0xFFFFFFFFu));
    auto* foreign = new (place) zur::TUnitVersioning;
    const fw::UniqueHandle block(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(void*), Named(L"Shm").c_str()));
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
}

TEST_F(SupportLibraryChild, PrivateRegistryWhenSharedMemoryFails) {
    // An object of another kind holds the block's name.
    const fw::UniqueHandle squatter(CreateEventW(nullptr, TRUE, FALSE, Named(L"Shm").c_str()));
    ASSERT_TRUE(squatter);
    zur::SupportLibraryStartup();
    zur::TUnitVersioning* registry = zur::GetUnitVersioning();
    ASSERT_NE(registry, nullptr);
    ASSERT_NE(registry->FindModule(zur::ModuleInstance()), nullptr);
    EXPECT_EQ(registry->FindModule(zur::ModuleInstance())->Count(), SupportUnitsWithRecords);
    zur::SupportLibraryShutdown();
    EXPECT_EQ(zur::GetUnitVersioning(), nullptr);
    EXPECT_FALSE(MutexExists());
}

TEST_F(SupportLibraryChild, ProcessLockOutlivesTheEndWhileHeld) {
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
}

const zur::TUnitVersionInfo RecordA = {L"$URL: a $", L"$Revision: 1 $", L"$Date: d $", L"ZUR\\source\\common", L"",
                                       nullptr};
const zur::TUnitVersionInfo RecordB = {L"$URL: b $", L"$Revision: 2 $", L"$Date: d $", L"ZUR\\source\\windows", L"",
                                       nullptr};

HINSTANCE Instance(uintptr_t n) {
    return reinterpret_cast<HINSTANCE>(n * 0x10000);
}

TEST(UnitVersioning, RecordsKeptOncePerModuleAndModulesRemovedAlone) {
    zur::TUnitVersioning registry;
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(1), &RecordA);
    registry.AddUnitVersion(Instance(1), &RecordB);
    registry.AddUnitVersion(Instance(2), &RecordA);  // the same record is another module's own
    ASSERT_EQ(registry.ModuleCount(), 2);
    EXPECT_EQ(registry.FindModule(Instance(1))->Count(), 2);
    EXPECT_EQ(registry.FindModule(Instance(1))->IndexOfInfo(&RecordB), 1);
    EXPECT_EQ(registry.FindModule(Instance(2))->Count(), 1);

    registry.RemoveModule(Instance(3));
    EXPECT_EQ(registry.ModuleCount(), 2);
    registry.RemoveModule(Instance(1));
    ASSERT_EQ(registry.ModuleCount(), 1);
    EXPECT_EQ(registry.FindModule(Instance(1)), nullptr);
    registry.AddUnitVersion(Instance(1), &RecordB);  // a module that comes back starts empty
    EXPECT_EQ(registry.FindModule(Instance(1))->Count(), 1);
}

}  // namespace
