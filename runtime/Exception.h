#pragma once
// Base of ZELK's error class family: every failure the program raises on purpose carries a
// message text meant for the user and the name of its class, which the last-chance report shows.

#include <exception>
#include <string>

namespace zelk {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

}  // namespace zelk
