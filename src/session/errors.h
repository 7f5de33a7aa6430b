#pragma once
#include <stdexcept>
#include <string>

namespace tessellon {

// The end of the program: thrown by MapError (and later by a launched game) and caught
// in main(), so nothing deep inside calls exit() and tests can look at what was left.
class ProgramEnd : public std::exception {
public:
    ProgramEnd(int exitCode, std::string message) : code_(exitCode), message_(std::move(message)) {}
    int ExitCode() const { return code_; }
    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    int code_;
    std::string message_;
};

// A failure with a message meant for the user; the build driver turns it into a MapError.
class BuildFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a number.
class NumberFormatError : public BuildFailure {
public:
    explicit NumberFormatError(const std::string& text)
        : BuildFailure("\"" + text + "\" is not a number."), text_(text) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace tessellon
