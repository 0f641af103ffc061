#include "common/escaped.h"

std::string EscapeControls(std::string_view text) {
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            escaped += c;
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            escaped += "\\x";
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        }
    }
    return escaped;
}
