#include "framework/Exception.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(Exception, OsErrorTextHasNoTrailingLineBreak) {
    const std::wstring text = fw::SysErrorMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    try {
        fw::RaiseLastOSError(ERROR_FILE_NOT_FOUND);
        FAIL();
    } catch (const fw::EOSError& e) {
        EXPECT_NE(e.Message().find(L"Code: 2."), std::wstring::npos);
        EXPECT_STRNE(e.what(), "");
    }
}

}  // namespace
