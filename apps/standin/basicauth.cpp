#include "basicauth.h"

#include "common/errors.h"
#include "twitter_api/conversions/base64.h"

namespace standin {

std::optional<SCredential> ParseBasicAuthorization(std::string_view headerValue) {
    constexpr std::string_view kScheme = "Basic ";
    if (!headerValue.starts_with(kScheme)) {
        return std::nullopt;
    }
    std::optional<std::string> decoded;
    try {
        decoded = twitter_api::Base64Decode(headerValue.substr(kScheme.size()));
    } catch (const Exception&) {
        return std::nullopt;
    }
    const size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return SCredential{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

}  // namespace standin
