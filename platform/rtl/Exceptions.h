#pragma once
// The exception family every layer and component raises. An exception carries the message
// that the message loop shows; EAbort is the silent one that ends a command without a word.

#include <stdexcept>
#include <string>

namespace rtl {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Ends the running command; the message loop shows nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(std::string message) : Exception(std::move(message)) {}
};

// Raises EAbort.
[[noreturn]] void Abort();

class EConvertError : public Exception { using Exception::Exception; };
// A call that makes no sense in the current state (showing a visible form modally, leaving a
// cell whose text does not fit its picture mask...).
class EInvalidOperation : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
// A value outside the range its target can hold ("Range check error").
class ERangeError : public Exception { using Exception::Exception; };

// A failed read or write of an open file; ErrorCode() is the system's error number (0 if none).
class EInOutError : public Exception {
public:
    explicit EInOutError(std::string message, int errorCode = 0)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    int ErrorCode() const noexcept { return errorCode_; }

private:
    int errorCode_;
};

class EStreamError : public Exception { using Exception::Exception; };
class EFileStreamError : public EStreamError { using EStreamError::EStreamError; };
// "Cannot open file "<name>". <reason>"
class EFOpenError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
// "Cannot create file "<name>". <reason>"
class EFCreateError : public EFileStreamError { using EFileStreamError::EFileStreamError; };

}  // namespace rtl
