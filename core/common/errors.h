#pragma once

#include <stdexcept>
#include <string>

// The three kinds of failure the program raises. Ordinary exceptions carry a message for the user;
// errors are the severe kind (an inconsistent archive); assertion failures are programming errors
// that name the broken expectation.
struct Exception : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct AssertionError : std::logic_error {
    using std::logic_error::logic_error;
};

inline void Enforce(bool condition, const std::string& message) {
    if (!condition) {
        throw AssertionError(message);
    }
}
