#include "support/ZurBase.h"
#include "support/ZurMutex.h"

#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

std::wstring UniqueName(const wchar_t* what) {
    static int counter = 0;
    return std::wstring(L"TabulorinTest") + what + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(++counter);
}

TEST(ZurMutex, NameOfAnotherKindOfObjectRaises) {
    const std::wstring name = UniqueName(L"Event");
    const fw::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    try {
        zur::TZurMutex mutex(nullptr, false, name);
        ADD_FAILURE() << "no exception";
    } catch (const zur::EZurMutexError& e) {
        // The last Windows error, with its system text trimmed of its line break.
        EXPECT_EQ(e.ErrorCode(), unsigned(ERROR_INVALID_HANDLE));
        ASSERT_FALSE(e.ErrorText().empty());
        EXPECT_NE(e.ErrorText().back(), L'\n');
        EXPECT_EQ(e.Message(), L"Failed to create mutex\r\nWin32: " + e.ErrorText() + L" (6)");
    }
}

TEST(ZurMutex, WaitResults) {
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
}

}  // namespace
