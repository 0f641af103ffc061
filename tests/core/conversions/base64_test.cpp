#include <gtest/gtest.h>

#include <string>

#include "conversions/thrown.h"
#include "twitter_api/conversions/base64.h"

namespace {

using twitter_api::Base64Decode;
using twitter_api::Base64Encode;

TEST(Base64, MatchesTheStandardTestVectors) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"user:pass", "dXNlcjpwYXNz"},
        {":", "Og=="},
        {std::string("\0\0\0", 3), "AAAA"},
        {"\xFB\xFF\xBF", "+/+/"},
        {"\xFF\xFF\xFF\xFF", "/////w=="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64Encode(c.bytes), c.text) << c.text;
        EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;
    }
}

TEST(Base64, RoundTripsEveryByteAtEveryPosition) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    for (size_t length = 0; length <= 6; ++length) {
        for (size_t start = 0; start + length <= all.size(); ++start) {
            const std::string bytes = all.substr(start, length);
            ASSERT_EQ(Base64Decode(Base64Encode(bytes)), bytes) << start << "+" << length;
        }
    }
    const std::string encoded = Base64Encode(all);
    EXPECT_EQ(encoded.size(), 344u);
    EXPECT_EQ(encoded.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);
    EXPECT_EQ(Base64Decode(encoded), all);
}

TEST(Base64, RejectsTextThatIsNoEncoding) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Z", "Invalid Base64 text: length is not a multiple of four"},
        {"Zg", "Invalid Base64 text: length is not a multiple of four"},
        {"Zg=", "Invalid Base64 text: length is not a multiple of four"},
        {"Zm9vY", "Invalid Base64 text: length is not a multiple of four"},
        {"Zm9v\n", "Invalid Base64 text: length is not a multiple of four"},
        {"Zm9!", "Invalid Base64 text: bad character"},
        {"Zm-_", "Invalid Base64 text: bad character"},
        {"Zm 9", "Invalid Base64 text: bad character"},
        {"Zm9vYg\n=", "Invalid Base64 text: bad character"},
        {"Zm\xC3\xA9", "Invalid Base64 text: bad character"},
        {"====", "Invalid Base64 text: bad padding"},
        {"Z===", "Invalid Base64 text: bad padding"},
        {"=Zg=", "Invalid Base64 text: bad padding"},
        {"Zg=A", "Invalid Base64 text: bad padding"},
        {"Zg==Zg==", "Invalid Base64 text: bad padding"},
        // Bits that the padding leaves over must be zero.
        {"Zh==", "Invalid Base64 text: bad padding"},
        {"Zm9=", "Invalid Base64 text: bad padding"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExceptionMessage([&] { Base64Decode(c.text); }), c.message) << c.text;
    }
}

}  // namespace
