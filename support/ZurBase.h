#pragma once
// The exception family of the support library. Thrown by value, caught by
// reference, like every fw::Exception. EZurWin32Error takes the thread's last
// Windows error at the moment it is constructed, so build it right after the
// failing call.
#include "framework/Exception.h"

#include <string>

namespace zur {

class EZurError : public fw::Exception {
public:
    using fw::Exception::Exception;
};
class EZurInternalError : public EZurError {
public:
    using EZurError::EZurError;
};
class ESharedMemError : public EZurError {
public:
    using EZurError::EZurError;
};

// Msg, then a line "Win32: <system text> (<code>)" for the last Windows error.
class EZurWin32Error : public EZurError {
public:
    explicit EZurWin32Error(const std::wstring& Msg);
    unsigned long ErrorCode() const { return errorCode_; }
    const std::wstring& ErrorText() const { return errorText_; }

private:
    unsigned long errorCode_;
    std::wstring errorText_;
};

class EZurMutexError : public EZurWin32Error {
public:
    using EZurWin32Error::EZurWin32Error;
};

void ZurBaseInitialize();
void ZurBaseFinalize();

}  // namespace zur
