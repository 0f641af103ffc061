#pragma once

#include <cstdint>
#include <string>

// Little-endian pieces for writing expected archives out by hand.
inline std::string U8(uint8_t v) {
    return std::string(1, static_cast<char>(v));
}

inline std::string U32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return s;
}

inline std::string I64(int64_t value) {
    const auto v = static_cast<uint64_t>(value);
    std::string s;
    for (int i = 0; i < 8; ++i) {
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return s;
}

// A string as an archive holds it: its length, then its bytes.
inline std::string Str(const std::string& text) {
    return U32(static_cast<uint32_t>(text.size())) + text;
}
