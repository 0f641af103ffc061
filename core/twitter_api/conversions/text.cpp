#include "twitter_api/conversions/text.h"

#include <algorithm>
#include <array>

#include "common/errors.h"
#include "twitter_api/conversions/number.h"

namespace twitter_api {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

char Byte(uint32_t value) {
    return static_cast<char>(static_cast<unsigned char>(value));
}

bool IsContinuationByte(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

struct Utf8Lead {
    size_t length;      // bytes of the whole sequence, 0 for a byte that cannot lead one
    uint32_t payload;   // the code point bits the lead byte carries
    uint32_t smallest;  // the smallest code point this length may encode
};

Utf8Lead ReadLeadByte(unsigned char lead) {
    if (lead < 0x80) {
        return {1, lead, 0};
    }
    if ((lead & 0xE0) == 0xC0) {
        return {2, lead & 0x1Fu, 0x80};
    }
    if ((lead & 0xF0) == 0xE0) {
        return {3, lead & 0x0Fu, 0x800};
    }
    if ((lead & 0xF8) == 0xF0) {
        return {4, lead & 0x07u, 0x10000};
    }
    return {0, 0, 0};
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 when it is not one:
// no stray continuation bytes, no overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(std::string_view text) {
    const Utf8Lead lead = ReadLeadByte(static_cast<unsigned char>(text[0]));
    if (lead.length == 0 || text.size() < lead.length) {
        return 0;
    }
    uint32_t codePoint = lead.payload;
    for (size_t i = 1; i < lead.length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!IsContinuationByte(byte)) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < lead.smallest || surrogate || codePoint > 0x10FFFF ? 0 : lead.length;
}

// Letters, digits, the marks "-_.!~*'()" and the reserved "/?:@$," pass unencoded. What ends or
// changes a query parameter ("&", ";", "=", "+", "#") is encoded with the rest, since every
// encoded text goes into a query value.
constexpr std::array<bool, 256> MakeKeptTable() {
    std::array<bool, 256> kept{};
    for (int c = 'A'; c <= 'Z'; ++c) {
        kept[static_cast<size_t>(c)] = true;
        kept[static_cast<size_t>(c - 'A' + 'a')] = true;
    }
    for (int c = '0'; c <= '9'; ++c) {
        kept[static_cast<size_t>(c)] = true;
    }
    for (char c : std::string_view("-_.!~*'()/?:@$,")) {
        kept[static_cast<unsigned char>(c)] = true;
    }
    return kept;
}

constexpr std::array<bool, 256> kKeptInUri = MakeKeptTable();

void AppendPercentEncoded(std::string& out, unsigned char byte) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

}  // namespace

namespace {

// Characters beyond U+FFFF arrive as a UTF-16 surrogate pair written as two references in a row;
// the high half waits here for its low half, and turns into U+FFFD when anything else follows.
class SurrogateJoiner {
  public:
    explicit SurrogateJoiner(std::string& out) : mOut(out) {}

    void Append(int32_t codePoint) {
        if (mHigh && codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
            mOut += CodePointToUtf8(0x10000 + ((mHigh - 0xD800) << 10) + (codePoint - 0xDC00));
            mHigh = 0;
            return;
        }
        Break();
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            mHigh = codePoint;
        } else {
            mOut += CodePointToUtf8(codePoint);
        }
    }

    // Anything but a reference comes next.
    void Break() {
        if (mHigh) {
            mOut += kReplacementCharacter;
            mHigh = 0;
        }
    }

  private:
    std::string& mOut;
    int32_t mHigh = 0;
};

}  // namespace

std::string DecodeCharacterReferences(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    SurrogateJoiner joiner(result);
    std::string_view rest = text;
    while (true) {
        const size_t start = rest.find("&#");
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = rest.find(';', start);
        if (end == std::string_view::npos) {
            break;  // an unterminated reference: the rest is copied as it is
        }
        if (start > 0) {
            joiner.Break();
            result += rest.substr(0, start);
        }
        const std::string_view digits = rest.substr(start + 2, end - start - 2);
        if (digits.empty()) {
            joiner.Break();
        } else {
            const int32_t codePoint = ToInt32(digits);
            if (codePoint == 0) {
                throw Exception("Enforcement failed");
            }
            joiner.Append(codePoint);
        }
        rest.remove_prefix(end + 1);
    }
    joiner.Break();
    result += rest;
    return result;
}

std::string CodePointToUtf8(int32_t codePoint) {
    if (codePoint < 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        return std::string(kReplacementCharacter);
    }
    const auto v = static_cast<uint32_t>(codePoint);
    if (v < 0x80) {
        return {Byte(v)};
    }
    if (v < 0x800) {
        return {Byte(0xC0 | (v >> 6)), Byte(0x80 | (v & 0x3F))};
    }
    if (v < 0x10000) {
        return {Byte(0xE0 | (v >> 12)), Byte(0x80 | ((v >> 6) & 0x3F)), Byte(0x80 | (v & 0x3F))};
    }
    return {Byte(0xF0 | (v >> 18)), Byte(0x80 | ((v >> 12) & 0x3F)), Byte(0x80 | ((v >> 6) & 0x3F)),
            Byte(0x80 | (v & 0x3F))};
}

std::string UriEncode(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (kKeptInUri[byte]) {
            result += static_cast<char>(byte);
            ++pos;
            continue;
        }
        const size_t length = Utf8SequenceLength(text.substr(pos));
        if (length == 0) {
            throw Exception("Invalid UTF-8 sequence");
        }
        for (size_t i = 0; i < length; ++i) {
            AppendPercentEncoded(result, static_cast<unsigned char>(text[pos + i]));
        }
        pos += length;
    }
    return result;
}

int32_t GetTextLength(std::string_view text) {
    // Counting the bytes that do not continue a sequence counts the code points of UTF-8 text; a
    // CR LF pair counts once. Two passes: the first is a plain count the compiler vectorizes.
    const auto codePoints = std::count_if(text.begin(), text.end(), [](char c) {
        return !IsContinuationByte(static_cast<unsigned char>(c));
    });
    int64_t lineBreaks = 0;
    for (size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', cr + 1)) {
        lineBreaks += cr + 1 < text.size() && text[cr + 1] == '\n' ? 1 : 0;
    }
    return static_cast<int32_t>(codePoints - lineBreaks);
}

}  // namespace twitter_api
