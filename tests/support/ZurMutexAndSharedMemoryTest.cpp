// The mutex and named shared memory.
#include "support/ZurBase.h"
#include "support/ZurMutex.h"
#include "support/ZurSharedMemory.h"

#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

std::wstring ShmName() {
    static int counter = 0;
    return L"TabulorinTestShm_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

bool MappingExists(const std::wstring& name) {
    return bool(fw::UniqueHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str())));
}

TEST(SharedMemory, SameNameTwiceGivesOneViewAndSizeZeroOnlyOpens) {
    const std::wstring name = ShmName();
    void *first = nullptr, *second = nullptr;
    SetLastError(ERROR_ALREADY_EXISTS);  // stale: the new mapping still answers 0
    EXPECT_EQ(zur::OpenSharedMemory(first, name, 64, FILE_MAP_ALL_ACCESS), 0u);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(zur::OpenSharedMemory(second, name, 64, FILE_MAP_ALL_ACCESS), 183u);
    EXPECT_EQ(second, first);

    static_cast<int*>(first)[0] = 42;
    void* keep = second;
    EXPECT_TRUE(zur::CloseSharedMemory(first));
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(static_cast<int*>(keep)[0], 42);  // still mapped for the second holder
    EXPECT_TRUE(MappingExists(name));
    EXPECT_TRUE(zur::CloseSharedMemory(second));
    EXPECT_FALSE(MappingExists(name));
    // Once released, the old address is no view of the list any more; no view at all is fine.
    EXPECT_FALSE(zur::CloseSharedMemory(keep));
    EXPECT_NE(keep, nullptr);  // left alone
    void* none = nullptr;
    EXPECT_TRUE(zur::CloseSharedMemory(none));

    // Size 0 makes no mapping; it opens one made elsewhere, with 183.
    void* memory = &memory;
    try {
        zur::OpenSharedMemory(memory, name, 0, FILE_MAP_ALL_ACCESS);
        ADD_FAILURE() << "no exception";
    } catch (const zur::ESharedMemError& e) {
        EXPECT_EQ(e.Message(), L"The MMF named \"" + name + L"\" cannot be created empty");
    }
    EXPECT_EQ(memory, nullptr);
    EXPECT_FALSE(MappingExists(name));

    const fw::UniqueHandle outside(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name.c_str()));
    ASSERT_TRUE(outside);
    void* view = MapViewOfFile(outside.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0);
    static_cast<int*>(view)[1] = 7;
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(zur::OpenSharedMemory(memory, name, 0, FILE_MAP_ALL_ACCESS), 183u);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(static_cast<int*>(memory)[1], 7);
    EXPECT_TRUE(zur::CloseSharedMemory(memory));
    UnmapViewOfFile(view);
}

TEST(SharedMemory, OpenedFromTwoThreadsAtOnce) {
    // One list entry for both: one view, one creator, and the mapping gone after both closes.
    for (int round = 0; round < 20; ++round) {
        const std::wstring name = ShmName();
        fw::UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        void* views[2] = {};
        DWORD answers[2] = {};
        std::vector<std::thread> threads;
        for (int i = 0; i < 2; ++i)
            threads.emplace_back([&, i] {
                WaitForSingleObject(go.get(), INFINITE);
                answers[i] = zur::OpenSharedMemory(views[i], name, 64, FILE_MAP_ALL_ACCESS);
            });
        SetEvent(go.get());
        for (std::thread& t : threads) t.join();
        ASSERT_NE(views[0], nullptr);
        EXPECT_EQ(views[0], views[1]) << "round " << round;
        EXPECT_EQ(answers[0] + answers[1], DWORD(ERROR_ALREADY_EXISTS)) << "round " << round;
        EXPECT_TRUE(zur::CloseSharedMemory(views[0]));
        EXPECT_TRUE(zur::CloseSharedMemory(views[1]));
        EXPECT_FALSE(MappingExists(name)) << "round " << round;
    }
}

TEST(ZurMutex, WaitResultsAndTheErrorOfANameTakenByAnotherKind) {
    zur::TZurMutex mutex(nullptr, false, L"");
    EXPECT_EQ(mutex.WaitFor(0), zur::wrSignaled);
    zur::TZurWaitResult other = zur::wrError;
    std::thread([&] { other = mutex.WaitFor(0); }).join();
    EXPECT_EQ(other, zur::wrTimeout);
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release());  // no longer held
    // A holder that ends without releasing leaves the mutex abandoned.
    std::thread([&] { other = mutex.WaitFor(0); }).join();
    EXPECT_EQ(other, zur::wrSignaled);
    EXPECT_EQ(mutex.WaitFor(0), zur::wrAbandoned);
    EXPECT_TRUE(mutex.Release());

    const std::wstring name = L"TabulorinTestEvent_" + std::to_wstring(GetCurrentProcessId());
    const fw::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    try {
        zur::TZurMutex taken(nullptr, false, name);
        ADD_FAILURE() << "no exception";
    } catch (const zur::EZurMutexError& e) {
        // The last Windows error, with its system text trimmed of its line break.
        EXPECT_EQ(e.ErrorCode(), unsigned(ERROR_INVALID_HANDLE));
        ASSERT_FALSE(e.ErrorText().empty());
        EXPECT_NE(e.ErrorText().back(), L'\n');
        EXPECT_EQ(e.Message(), L"Failed to create mutex\r\nWin32: " + e.ErrorText() + L" (6)");
    }
}

TEST(CriticalSection, HoldsOutOtherThreadsAndALibraryIsReleasedOnce) {
    zur::TZurCriticalSection section;
    section.Enter();
    bool other = true;
    std::thread([&] { other = section.TryEnter(); }).join();
    EXPECT_FALSE(other);
    section.Leave();
    std::thread([&] {
        other = section.TryEnter();
        if (other) section.Leave();
    }).join();
    EXPECT_TRUE(other);

    // A library the process has not loaded otherwise is gone once released.
    ASSERT_EQ(GetModuleHandleW(L"cabinet.dll"), nullptr);
    HMODULE module = LoadLibraryW(L"cabinet.dll");
    ASSERT_NE(module, nullptr);
    zur::ReleaseLibrary(module);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"cabinet.dll"), nullptr);
    zur::ReleaseLibrary(module);  // 0: nothing happens
    EXPECT_EQ(module, nullptr);
}

}  // namespace
