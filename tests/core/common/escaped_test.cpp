#include "common/escaped.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeControls, WritesControlBytesAsEscapesAndKeepsTheRest) {
    struct Case {
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"twitter.com:80", "twitter.com:80"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"\x1b[2J\x7f\x1f", "\\x1b[2J\\x7f\\x1f"},
        {"back\\slash, blank and \xe3\x81\x82", "back\\slash, blank and \xe3\x81\x82"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeControls(c.text), c.escaped);
    }
}

}  // namespace
