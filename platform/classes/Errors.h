#pragma once
// Errors of the component layer.

#include <string>

#include "platform/rtl/Exceptions.h"

namespace classes {

// A component misused: an invalid or duplicate name, a class that cannot be registered.
class EComponentError : public rtl::Exception {
    using Exception::Exception;
};

// A value that does not fit a property: wrong kind, out of range, unknown enumeration name,
// a read-only property, a handler of the wrong type.
class EPropertyError : public rtl::Exception {
    using Exception::Exception;
};

// A class name that is not registered (or names no creatable class).
class EClassNotFound : public rtl::Exception {
    using Exception::Exception;
};

// Text of a component that cannot be read. The message ends with " on line N"; Reason() is
// the message without it.
class EReadError : public rtl::EStreamError {
public:
    EReadError(const std::string& reason, int line)
        : EStreamError(reason + " on line " + std::to_string(line)), reason_(reason), line_(line)
    {
    }
    int Line() const noexcept { return line_; }
    const std::string& Reason() const noexcept { return reason_; }

private:
    std::string reason_;
    int line_;
};

// The text itself is malformed (tokens, nesting, missing "end").
class EParserError : public EReadError {
    using EReadError::EReadError;
};

}  // namespace classes
