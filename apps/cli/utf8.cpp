#include "utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t* valid) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        *valid = 1;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        *valid = 0;
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if (i == text.size() || byte(i) < low || byte(i) > high) {
            *valid = i;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
    }
    *valid = length;
    return length;
}

void AppendValidUtf8(std::string& out, std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        size_t plain = i;
        while (plain < text.size() && static_cast<unsigned char>(text[plain]) < 0x80) {
            ++plain;
        }
        out.append(text.data() + i, plain - i);
        i = plain;
        if (i == text.size()) {
            break;
        }
        size_t valid = 0;
        const size_t length = Utf8SequenceLength(text.substr(i), &valid);
        if (length > 0) {
            out.append(text.data() + i, length);
            i += length;
        } else {
            out += kReplacement;
            i += valid > 0 ? valid : 1;
        }
    }
}
