#pragma once

#include <optional>
#include <string>

#include "common/errors.h"

// The message of the Exception that `action` throws, or nothing when it returns normally. Any
// other kind of failure escapes and fails the test, which is the point: these conversions report
// bad input as an ordinary Exception, never as an assertion.
template <typename Action>
std::optional<std::string> ExceptionMessage(Action action) {
    try {
        action();
    } catch (const Exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}
