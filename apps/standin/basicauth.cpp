#include "basicauth.h"

#include <cstdint>

namespace standin {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Standard Base64 with "=" padding; empty for anything else.
std::optional<std::string> Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    size_t padding = 0;
    while (padding < 2 && text.size() > padding && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    std::string bytes;
    uint32_t bits = 0;
    int bitCount = 0;
    for (const char c : text.substr(0, text.size() - padding)) {
        const size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes += static_cast<char>((bits >> bitCount) & 0xFFu);
        }
    }
    return bytes;
}

}  // namespace

std::optional<SCredential> ParseBasicAuthorization(std::string_view headerValue) {
    constexpr std::string_view kScheme = "Basic ";
    if (!headerValue.starts_with(kScheme)) {
        return std::nullopt;
    }
    const std::optional<std::string> decoded = Base64Decode(headerValue.substr(kScheme.size()));
    if (!decoded) {
        return std::nullopt;
    }
    const size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return SCredential{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

}  // namespace standin
