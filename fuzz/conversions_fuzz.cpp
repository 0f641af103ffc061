// The text conversions over any text: character references, Base64, dates, numbers, URI encoding
// and text length, each against a property that holds for every input.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <optional>

#include "common/errors.h"
#include "support.h"
#include "twitter_api/conversions/base64.h"
#include "twitter_api/conversions/datetime.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/conversions/text.h"

namespace {

using namespace twitter_api;
constexpr auto npos = std::string_view::npos;

// Valid UTF-8 in, valid UTF-8 out.
void CheckReferences(std::string_view text) {
    try {
        const std::string decoded = DecodeCharacterReferences(text);
        FUZZ_CHECK(!fuzzing::IsValidUtf8(text) || fuzzing::IsValidUtf8(decoded));
    } catch (const Exception&) {  // digits that are no number, or the value 0
    }
}

void CheckCodePoint(int32_t codePoint) {
    const std::string bytes = CodePointToUtf8(codePoint);
    FUZZ_CHECK(fuzzing::IsValidUtf8(bytes));
    FUZZ_CHECK(GetTextLength(bytes) == 1);
}

// Encoding is undone by decoding, and the strict decoder takes only what encoding writes.
void CheckBase64(std::string_view text) {
    FUZZ_CHECK(Base64Decode(Base64Encode(text)) == text);
    try {
        FUZZ_CHECK(Base64Encode(Base64Decode(text)) == text);
    } catch (const Exception&) {
    }
}

void CheckDates(std::string_view text, int64_t time) {
    const std::string shown = GetDisplayDateTime(text);
    FUZZ_CHECK(!shown.empty() && fuzzing::IsValidUtf8(shown));
    const std::string key = GetDateKey(time);
    constexpr int64_t kYear1 = -62'135'596'800'000;      // 0001-01-01
    constexpr int64_t kYear10000 = 253'402'300'800'000;  // 10000-01-01
    if (time >= kYear1 && time < kYear10000) {
        FUZZ_CHECK(key.size() == 8 && key.find_first_not_of("0123456789") == std::string::npos);
    }
}

// The strict form: an optional sign, then digits only, in range.
template <class Int>
std::optional<Int> Reference(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) {
            return std::nullopt;
        }
    }
    Int value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

template <class Int>
void CheckNumber(Int (*convert)(std::string_view), std::string_view text) {
    std::optional<Int> value;
    try {
        value = convert(text);
    } catch (const Exception&) {
    }
    FUZZ_CHECK(value == Reference<Int>(text));
}

// Only the kept characters and "%XX" come out, and decoding them gives the text back; only text
// that is not UTF-8 is refused.
void CheckUri(std::string_view text) {
    std::string encoded;
    try {
        encoded = UriEncode(text);
    } catch (const Exception&) {
        FUZZ_CHECK(!fuzzing::IsValidUtf8(text));
        return;
    }
    FUZZ_CHECK(fuzzing::IsValidUtf8(text));
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            FUZZ_CHECK(std::string_view("-_.!~*'();/?:@&=+$,#").find(encoded[i]) != npos ||
                       std::isalnum(static_cast<unsigned char>(encoded[i])));
            decoded += encoded[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < encoded.size());
        FUZZ_CHECK(std::string_view("0123456789ABCDEF").find(encoded[i + 1]) != npos);
        FUZZ_CHECK(std::string_view("0123456789ABCDEF").find(encoded[i + 2]) != npos);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(&encoded[i + 1], &encoded[i + 3], value, 16);
        FUZZ_CHECK(error == std::errc() && end == &encoded[i + 3]);
        decoded += static_cast<char>(value);
        i += 2;
    }
    FUZZ_CHECK(decoded == text);
}

void CheckLength(std::string_view text) {
    const int32_t length = GetTextLength(text);
    FUZZ_CHECK(length >= 0 && static_cast<size_t>(length) <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A code point and a time from the first twelve bytes, the text from the rest.
    std::string_view text = fuzzing::Bytes(data, size);
    const auto take = [&text](auto& value) {
        const size_t n = std::min(sizeof value, text.size());
        std::memcpy(&value, text.data(), n);
        text.remove_prefix(n);
    };
    int32_t codePoint = 0;
    int64_t time = 0;
    take(codePoint);
    take(time);

    CheckReferences(text);
    CheckCodePoint(codePoint);
    CheckBase64(text);
    CheckDates(text, time);
    CheckNumber(ToInt32, text);
    CheckNumber(ToInt64, text);
    CheckUri(text);
    CheckLength(text);
    return 0;
}
