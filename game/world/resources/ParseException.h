#pragma once

#include <exception>
#include <string>
#include <utility>

namespace nsParser {

// A syntax or meaning error of a script; the reader that throws it knows the
// file and the line, the exception only the 8-bit message.
class ParseException : public std::exception {
public:
    explicit ParseException(std::string message) : message_(std::move(message)) {}

    const std::string& GetMessage() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

} // namespace nsParser
