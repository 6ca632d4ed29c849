#pragma once
// The exception family of the class library. Every failure the program raises is
// an Exception carrying a readable message; subsystems derive their own classes.
// Thrown by value, caught by reference; the message is owned by the object.
#include <exception>
#include <functional>
#include <string>

namespace fw {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    void SetMessage(std::wstring message) {
        message_ = std::move(message);
        narrow_.clear();
    }
    // For std::exception users (GoogleTest among them): the message in UTF-8.
    const char* what() const noexcept override;

private:
    std::wstring message_;
    mutable std::string narrow_;
};

// A silent abort: the message loop swallows it without showing a box.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

#define FW_EXCEPTION(Name, Base) \
    class Name : public Base {   \
    public:                      \
        using Base::Base;        \
    };

FW_EXCEPTION(EInvalidArgument, Exception)
FW_EXCEPTION(EListError, Exception)
FW_EXCEPTION(EStringListError, EListError)
FW_EXCEPTION(EConvertError, Exception)
FW_EXCEPTION(EOutOfMemory, Exception)
FW_EXCEPTION(EOSError, Exception)
FW_EXCEPTION(EInvalidOperation, Exception)
FW_EXCEPTION(EComponentError, Exception)
FW_EXCEPTION(EThread, Exception)
FW_EXCEPTION(EInvalidPointer, Exception)
FW_EXCEPTION(EOutOfResources, Exception)
FW_EXCEPTION(EInvalidGraphic, Exception)
FW_EXCEPTION(EPrinter, Exception)
FW_EXCEPTION(EStreamError, Exception)
FW_EXCEPTION(EFCreateError, EStreamError)
FW_EXCEPTION(EFOpenError, EStreamError)
FW_EXCEPTION(EReadError, EStreamError)
FW_EXCEPTION(EWriteError, EStreamError)
FW_EXCEPTION(EInvalidCast, Exception)
FW_EXCEPTION(ENotImplemented, Exception)

#undef FW_EXCEPTION

// Raises EOSError with the system's text for the given (or the last) error code.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(unsigned long code);
// The system's text for an error code, trimmed of its trailing line break.
std::wstring SysErrorMessage(unsigned long code);

class TObject;
// Reports the exception being handled (call it inside a catch block) where it
// cannot travel on: a window procedure, a destructor, a wait, a layout pass. The
// application installs its handler (the stop box) here; with none installed, or
// when the handler itself fails, the exception is dropped.
void ReportException(TObject* Sender);
using TExceptionHandler = std::function<void(TObject* Sender)>;
// Installs Handler and returns the one it replaces.
TExceptionHandler SetExceptionHandler(TExceptionHandler Handler);

}  // namespace fw
