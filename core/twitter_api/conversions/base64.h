#pragma once

#include <string>
#include <string_view>

namespace twitter_api {

// Standard Base64: the alphabet A-Z a-z 0-9 + /, "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

// The inverse. Text that is not such an encoding throws Exception: a length that is not a multiple
// of four, a character outside the alphabet (line breaks included), "=" anywhere but at the end,
// or padding that leaves non-zero bits over.
std::string Base64Decode(std::string_view text);

}  // namespace twitter_api
