#pragma once

#include <cstdint>
#include <string_view>

namespace twitter_api {

// Strict decimal conversion: an optional sign, then digits only. Anything else throws Exception
// "Can't convert value `TEXT' of type const(char)[] to type int" (or "long" for 64 bits); a value
// out of range throws Exception "Overflow in integral conversion". The form is checked first, so
// "99999999999x" is a conversion failure, not an overflow.
int32_t ToInt32(std::string_view text);
int64_t ToInt64(std::string_view text);

// A status id that a record may leave empty: the positive decimal number, else 0 ("none"), so
// that a missing or malformed reference never costs the record that carries it.
int64_t ToStatusIdOrZero(std::string_view text);

}  // namespace twitter_api
