#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "conversions/thrown.h"
#include "twitter_api/conversions/text.h"

namespace {

using twitter_api::CodePointToUtf8;
using twitter_api::DecodeCharacterReferences;
using twitter_api::GetTextLength;
using twitter_api::UriEncode;

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(DecodeCharacterReferences, ReplacesDecimalReferencesByUtf8) {
    struct Case {
        std::string text;
        std::string decoded;
    };
    const Case cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a&#12354;b",
         "a\xE3\x81\x82"
         "b"},
        {"&#65;&#66;", "AB"},
        {"x&#;y", "xy"},
        {"&#233;", "\xC3\xA9"},
        {"&#+65;", "A"},
        {"caf&#233; &#8230;", "caf\xC3\xA9 \xE2\x80\xA6"},
        // Only "&#" starts a reference; entities and lone ampersands stay as they are.
        {"&amp;", "&amp;"},
        {"a & b &lt;&#x", "a & b &lt;&#x"},
        {"&&#65;", "&A"},
        // Without a ";" after it, a "&#" ends the decoding and the rest is kept unchanged.
        {"&#65", "&#65"},
        {"&#65;&#66", "A&#66"},
        {"x&#", "x&#"},
        // Beyond the Basic Multilingual Plane: four bytes.
        {"&#128512;", "\xF0\x9F\x98\x80"},
        // A surrogate pair written as two references in a row is one character.
        {"&#55357;&#56832;", "\xF0\x9F\x98\x80"},
        {"a&#55296;&#56320;&#56319;&#57343;b",
         "a\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"
         "b"},
        // Values that are no character become U+FFFD, and so does a surrogate without its half.
        {"&#-1;", kReplacement},
        {"&#55357;", kReplacement},
        {"&#56832;&#55357;", kReplacement + kReplacement},
        {"&#55357; &#56832;", kReplacement + " " + kReplacement},
        {"&#55357;&#;&#56832;", kReplacement + kReplacement},
        {"&#55357;&#55357;&#56832;x", kReplacement + "\xF0\x9F\x98\x80" + "x"},
        {"&#55357;&#65;", kReplacement + "A"},
        {"&#55357;&#56832", kReplacement + "&#56832"},
        {"&#1114112;", kReplacement},
        {"&#1114111;", "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCharacterReferences(c.text), c.decoded) << c.text;
    }
}

TEST(DecodeCharacterReferences, RejectsZeroAndNonDecimalDigits) {
    struct Case {
        const char* text;
        std::string message;
    };
    const Case cases[] = {
        {"a&#0;b", "Enforcement failed"},
        {"&#-0;", "Enforcement failed"},
        {"&#abc;", "Can't convert value `abc' of type const(char)[] to type int"},
        {"&#x41;", "Can't convert value `x41' of type const(char)[] to type int"},
        {"&# 65;", "Can't convert value ` 65' of type const(char)[] to type int"},
        // The digits run to the first ";", across anything in between.
        {"&#65&#66;", "Can't convert value `65&#66' of type const(char)[] to type int"},
        {"&#99999999999;", "Overflow in integral conversion"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExceptionMessage([&] { DecodeCharacterReferences(c.text); }), c.message)
            << c.text;
    }
}

TEST(CodePointToUtf8, UsesTheShortestFormUpToEachBoundary) {
    struct Case {
        int32_t codePoint;
        std::string bytes;
    };
    const Case cases[] = {
        {0x00, std::string(1, '\0')},
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0xE9, "\xC3\xA9"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x3042, "\xE3\x81\x82"},
        {0xD7FF, "\xED\x9F\xBF"},
        {0xE000, "\xEE\x80\x80"},
        {0xFFFD, kReplacement},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        // No character: surrogates, beyond Unicode, negative.
        {0xD800, kReplacement},
        {0xDFFF, kReplacement},
        {0x110000, kReplacement},
        {0x7FFFFFFF, kReplacement},
        {-1, kReplacement},
        {INT32_MIN, kReplacement},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePointToUtf8(c.codePoint), c.bytes) << std::hex << c.codePoint;
    }
}

TEST(UriEncode, KeepsUnreservedCharactersAndEncodesWhatWouldEndTheValue) {
    struct Case {
        std::string text;
        std::string encoded;
    };
    const Case cases[] = {
        {"", ""},
        {" ", "%20"},
        {"AZaz09", "AZaz09"},
        {"-_.!~*'()", "-_.!~*'()"},
        {"/?:@$,", "/?:@$,"},
        {";&=+#", "%3B%26%3D%2B%23"},
        {"a b&c=d+e#f", "a%20b%26c%3Dd%2Be%23f"},
        {"C++ & #tag", "C%2B%2B%20%26%20%23tag"},
        {"x&in_reply_to_status_id=5", "x%26in_reply_to_status_id%3D5"},
        {"\"%<>[]\\^`{|}", "%22%25%3C%3E%5B%5D%5C%5E%60%7B%7C%7D"},
        {"\t\r\n", "%09%0D%0A"},
        {std::string(1, '\0'), "%00"},
        {"\x7F", "%7F"},
        {"\xC3\xA9", "%C3%A9"},
        {"\xE3\x81\x82", "%E3%81%82"},
        {"#\xE3\x81\x82\xE3\x81\x84 x", "%23%E3%81%82%E3%81%84%20x"},
        {"\xF0\x9F\x98\x80", "%F0%9F%98%80"},
        {"\xF4\x8F\xBF\xBF", "%F4%8F%BF%BF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UriEncode(c.text), c.encoded) << c.text;
    }
}

TEST(UriEncode, RejectsInvalidUtf8) {
    const char* const texts[] = {
        "\x80",          // continuation byte without a lead
        "a\xBF",         // the same after ASCII
        "\xC3",          // cut off
        "\xE3\x81",      // cut off
        "\xF0\x9F\x98",  // cut off
        "\xC3"
        "A",                 // lead followed by ASCII
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong
        "\xE0\x9F\xBF",      // overlong three bytes
        "\xF0\x8F\xBF\xBF",  // overlong four bytes
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF8\x88\x80\x80",  // five-byte lead
        "\xFF",
    };
    for (const char* text : texts) {
        EXPECT_EQ(ExceptionMessage([&] { UriEncode(text); }), "Invalid UTF-8 sequence");
    }
}

TEST(GetTextLength, CountsCodePointsWithEachCrLfOnce) {
    struct Case {
        std::string text;
        int32_t length;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 1},
        {"ab\r\nc", 4},
        {"\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86", 3},
        {"a\nb", 3},
        {"a\rb", 3},
        {"\r\r\n", 2},
        {"\r\n\r\n", 2},
        {"\n\r", 2},
        {"\xF0\x9F\x98\x80", 1},
        {"a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80", 4},
        {std::string(140, 'x'), 140},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetTextLength(c.text), c.length) << c.text;
    }
}

TEST(GetTextLength, MatchesTheDecodedTextItMeasures) {
    // The timeline view positions text by this count, so a decoded status must measure one per
    // reference.
    const std::string decoded = DecodeCharacterReferences("&#12354;&#233;&#128512;\r\nA");
    EXPECT_EQ(GetTextLength(decoded), 5);
}

}  // namespace
