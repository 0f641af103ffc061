#pragma once

#include <string>
#include <string_view>

namespace twitter_api {

// Standard Base64: the alphabet A-Z a-z 0-9 + /, "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

// The inverse; text that is not such an encoding throws Exception.
std::string Base64Decode(std::string_view text);

}  // namespace twitter_api
