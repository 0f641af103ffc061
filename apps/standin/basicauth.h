#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace standin {

struct SCredential {
    std::string mName;
    std::string mPassword;
};

// The name and password of an "Authorization" header value "Basic <base64 of name:password>";
// empty for any other value. The password runs from the first ":" to the end.
std::optional<SCredential> ParseBasicAuthorization(std::string_view headerValue);

}  // namespace standin
