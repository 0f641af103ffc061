#include "twitter_api/conversions/number.h"

#include <limits>
#include <string>
#include <type_traits>

#include "common/errors.h"
#include "common/escaped.h"

namespace twitter_api {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The whole text is checked before any value is built, so a text that is not a number at all is
// reported as such even when its leading digits would already overflow.
bool IsDecimalNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

template <typename Int>
Int ToInteger(std::string_view text, const char* typeName) {
    if (!IsDecimalNumber(text)) {
        throw Exception("Can't convert value `" + EscapeControls(text) +
                        "' of type const(char)[] to type " + typeName);
    }
    const bool negative = text.front() == '-';
    if (text.front() == '+' || text.front() == '-') {
        text.remove_prefix(1);
    }
    // The magnitude of the most negative value is one more than the largest positive value.
    using Unsigned = std::make_unsigned_t<Int>;
    const Unsigned limit =
        static_cast<Unsigned>(std::numeric_limits<Int>::max()) + (negative ? 1U : 0U);
    Unsigned magnitude = 0;
    for (char c : text) {
        const auto digit = static_cast<Unsigned>(c - '0');
        if (magnitude > (limit - digit) / 10) {
            throw Exception("Overflow in integral conversion");
        }
        magnitude = static_cast<Unsigned>(magnitude * 10 + digit);
    }
    return negative ? static_cast<Int>(Unsigned{0} - magnitude) : static_cast<Int>(magnitude);
}

}  // namespace

int32_t ToInt32(std::string_view text) {
    return ToInteger<int32_t>(text, "int");
}

int64_t ToInt64(std::string_view text) {
    return ToInteger<int64_t>(text, "long");
}

}  // namespace twitter_api
