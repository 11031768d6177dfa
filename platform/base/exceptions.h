#pragma once
// The exception family the engine and the builder raise and catch. Messages are 8-bit text in
// the engine's code page, exactly as the user will see them.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// The HTML reader's parse failure (an unterminated comment, for one).
class EParseError : public Exception {
    using Exception::Exception;
};
// A processing step that cannot go on.
class EProcessError : public Exception {
    using Exception::Exception;
};
// Stream failures: reading past the end, short writes.
class EStreamError : public Exception {
    using Exception::Exception;
};
// "Cannot open file %s".
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
// "Cannot create file %s".
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
class EOutOfMemory : public Exception {
    using Exception::Exception;
};
