#include "twitter_api/conversions/base64.h"

#include <array>
#include <cstdint>

#include "common/errors.h"

namespace twitter_api {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kNotInAlphabet = -1;

constexpr std::array<int8_t, 256> MakeDecodeTable() {
    std::array<int8_t, 256> table{};
    table.fill(kNotInAlphabet);
    for (size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    }
    return table;
}

constexpr std::array<int8_t, 256> kDecodeTable = MakeDecodeTable();

[[noreturn]] void ThrowInvalid(const char* reason) {
    throw Exception(std::string("Invalid Base64 text: ") + reason);
}

// The six-bit value of one character of a group.
uint32_t SextetOf(char c) {
    const int8_t value = kDecodeTable[static_cast<unsigned char>(c)];
    if (value == kNotInAlphabet) {
        ThrowInvalid(c == '=' ? "bad padding" : "bad character");
    }
    return static_cast<uint32_t>(value);
}

char Byte(uint32_t value) {
    return static_cast<char>(static_cast<unsigned char>(value));
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t pos = 0;
    for (; pos + 3 <= bytes.size(); pos += 3) {
        const uint32_t group = static_cast<unsigned char>(bytes[pos]) << 16 |
                               static_cast<unsigned char>(bytes[pos + 1]) << 8 |
                               static_cast<unsigned char>(bytes[pos + 2]);
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += kAlphabet[(group >> 6) & 0x3F];
        text += kAlphabet[group & 0x3F];
    }
    const size_t left = bytes.size() - pos;
    if (left > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos])) << 16;
        if (left == 2) {
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 1])) << 8;
        }
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += left == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        text += '=';
    }
    return text;
}

std::string Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        ThrowInvalid("length is not a multiple of four");
    }
    // "=" may only end the last group, once or twice; the bits it leaves over must be zero so that
    // every byte string has exactly one encoding.
    size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    }
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    const std::string_view full = text.substr(0, text.size() - (padding > 0 ? 4 : 0));
    for (size_t pos = 0; pos < full.size(); pos += 4) {
        const uint32_t group = SextetOf(full[pos]) << 18 | SextetOf(full[pos + 1]) << 12 |
                               SextetOf(full[pos + 2]) << 6 | SextetOf(full[pos + 3]);
        bytes += Byte(group >> 16);
        bytes += Byte(group >> 8);
        bytes += Byte(group);
    }
    if (padding > 0) {
        const std::string_view last = text.substr(text.size() - 4);
        uint32_t group = SextetOf(last[0]) << 18 | SextetOf(last[1]) << 12;
        if (padding == 1) {
            group |= SextetOf(last[2]) << 6;
        }
        const uint32_t leftOverBits = padding == 1 ? group & 0xFF : group & 0xFFFF;
        if (leftOverBits != 0) {
            ThrowInvalid("bad padding");
        }
        bytes += Byte(group >> 16);
        if (padding == 1) {
            bytes += Byte(group >> 8);
        }
    }
    return bytes;
}

}  // namespace twitter_api
