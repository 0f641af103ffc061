#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// A parameterised case's name made from its input text: letters and digits stay, other ASCII
// becomes "_", other bytes their hex; led by the case's index so that names stay unique.
inline std::string CaseName(size_t index, std::string_view text) {
    std::string name = std::to_string(index) + "_";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            name += c;
        } else if (byte < 0x80) {
            name += '_';
        } else {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            name += hex;
        }
    }
    return name;
}
