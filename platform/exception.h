// The base class of the errors the launcher raises.
#pragma once

#include <exception>
#include <utility>

#include "text/ansi_string.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : message_(std::move(message)) {}

    // Returns the message text; never throws.
    const AnsiString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.CStr(); }

private:
    AnsiString message_;
};
