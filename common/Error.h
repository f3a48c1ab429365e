#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kordel {

// Every failure that ends a handler: the message is the text the user sees.
class Error : public std::runtime_error {
public:
    explicit Error(std::string message, std::string detail = {})
        : std::runtime_error(message), message_(std::move(message)), detail_(std::move(detail)) {}

    // The whole text, also where it holds a NUL that what() would stop at.
    const std::string& message() const { return message_; }
    // What the message leaves out, such as the file and the system's reason, for a front end
    // whose messages may say more than the error box does.
    const std::string& detail() const { return detail_; }

private:
    std::string message_;
    std::string detail_;
};

// The text a failure shows: an Error's message, "Out of memory" for a failed allocation, else
// what the exception says. Rethrows any other kind of exception.
std::string messageOf(const std::exception_ptr& failure);

// The same with the error's detail, if any, after a colon.
std::string detailedMessageOf(const std::exception_ptr& failure);

// The error box closes a message with a full stop when it ends in a character above '.'.
std::string errorBoxText(std::string_view message);

} // namespace kordel
