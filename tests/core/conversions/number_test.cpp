#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "conversions/thrown.h"
#include "twitter_api/conversions/number.h"

namespace {

using twitter_api::ToInt32;
using twitter_api::ToInt64;

const std::string kOverflow = "Overflow in integral conversion";

TEST(ToInt32, ConvertsSignedDecimalText) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-0", 0},
        {"+0", 0},
        {"7", 7},
        {"+42", 42},
        {"-42", -42},
        {"007", 7},
        {"12354", 12354},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"+2147483647", INT32_MAX},
        {"0000000000002147483647", INT32_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt32(c.text), c.value) << c.text;
    }
}

TEST(ToInt64, ConvertsSignedDecimalText) {
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-1", -1},
        {"+1", 1},
        {"2147483648", 2147483648LL},
        {"-2147483649", -2147483649LL},
        {"1234567890123", 1234567890123LL},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt64(c.text), c.value) << c.text;
    }
}

TEST(ToInt32, RejectsTextThatIsNotADecimalNumber) {
    // Anything but one optional sign followed by digits: no blanks, no second sign, no hex, no
    // fraction, not empty.
    const char* const texts[] = {"",    "+",   "-",   " 1",       "1 ",
                                 "1 2", "12a", "a12", "+-1",      "--1",
                                 "0x1", "1.0", "1e3", "\xD9\xA1", "99999999999x"};
    for (const char* text : texts) {
        EXPECT_EQ(
            ExceptionMessage([&] { ToInt32(text); }),
            "Can't convert value `" + std::string(text) + "' of type const(char)[] to type int")
            << '"' << text << '"';
    }
    // The value came from outside: its control bytes are quoted escaped.
    EXPECT_EQ(ExceptionMessage([] { ToInt32("\t7\r\n"); }),
              "Can't convert value `\\t7\\r\\n' of type const(char)[] to type int");
}

TEST(ToInt64, NamesItsOwnTypeWhenRejecting) {
    for (const char* text : {"", "12a", " 5", "-"}) {
        EXPECT_EQ(
            ExceptionMessage([&] { ToInt64(text); }),
            "Can't convert value `" + std::string(text) + "' of type const(char)[] to type long")
            << '"' << text << '"';
    }
}

TEST(ToInt32, ReportsOverflowJustPastEitherEnd) {
    for (const char* text : {"2147483648", "-2147483649", "+2147483648", "4294967296", "4294967297",
                             "99999999999999999999999"}) {
        EXPECT_EQ(ExceptionMessage([&] { ToInt32(text); }), kOverflow) << text;
    }
}

TEST(ToInt64, ReportsOverflowJustPastEitherEnd) {
    for (const char* text : {"9223372036854775808", "-9223372036854775809", "18446744073709551616",
                             "18446744073709551617", "99999999999999999999999"}) {
        EXPECT_EQ(ExceptionMessage([&] { ToInt64(text); }), kOverflow) << text;
    }
}

}  // namespace
