#include "support/ZurBase.h"
#include "support/ZurMutex.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

std::wstring UniqueName(const wchar_t* what) {
    static int counter = 0;
    return std::wstring(L"TabulorinTest") + what + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(++counter);
}

TEST(ZurWin32Error, CarriesLastErrorWithTrimmedSystemText) {
    SetLastError(ERROR_ACCESS_DENIED);
    const zur::EZurMutexError e(L"Failed to create mutex");
    EXPECT_EQ(e.ErrorCode(), unsigned(ERROR_ACCESS_DENIED));
    ASSERT_FALSE(e.ErrorText().empty());
    EXPECT_NE(e.ErrorText().back(), L'\n');
    EXPECT_NE(e.ErrorText().back(), L'\r');
    EXPECT_EQ(e.Message(), L"Failed to create mutex\r\nWin32: " + e.ErrorText() + L" (5)");
}

TEST(ZurMutex, NamedMutexKnowsWhetherItExisted) {
    const std::wstring name = UniqueName(L"Mutex");
    zur::TZurMutex first(nullptr, false, name);
    zur::TZurMutex second(nullptr, false, name);
    EXPECT_FALSE(first.Existed());
    EXPECT_TRUE(second.Existed());
    EXPECT_EQ(second.Name(), name);
    zur::TZurMutex unnamed(nullptr, false, L"");
    EXPECT_FALSE(unnamed.Existed());
}

TEST(ZurMutex, NameOfAnotherKindOfObjectRaises) {
    const std::wstring name = UniqueName(L"Event");
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(event, nullptr);
    try {
        zur::TZurMutex mutex(nullptr, false, name);
        ADD_FAILURE() << "no exception";
    } catch (const zur::EZurMutexError& e) {
        EXPECT_NE(e.ErrorCode(), 0u);
        EXPECT_EQ(e.Message().rfind(L"Failed to create mutex\r\nWin32: ", 0), 0u);
    }
    CloseHandle(event);
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
