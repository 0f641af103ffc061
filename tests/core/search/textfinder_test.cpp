#include <gtest/gtest.h>

#include "support/casename.h"
#include "twitter_api/search/textfinder.h"

namespace {

using twitter_api::CTextFinder;

struct Find {
    std::string word;
    std::string text;
    size_t from;
    size_t at;
};

constexpr size_t kNone = std::string_view::npos;

class TextFinderTable : public ::testing::TestWithParam<Find> {};

TEST_P(TextFinderTable, FindsTheFirstOccurrence) {
    const Find& c = GetParam();
    EXPECT_EQ(CTextFinder(c.word).Find(c.text, c.from), c.at) << c.word << " in " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFinderTable,
    ::testing::Values(Find{"cat", "cat", 0, 0}, Find{"cat", "a CAT", 0, 2},
                      Find{"CaT", "concatenate", 0, 3}, Find{"cat", "ca", 0, kNone},
                      Find{"aab", "aaab", 0, 1}, Find{"abab", "abaabab", 0, 3},
                      Find{"ab", "ab ab", 1, 3}, Find{"ab", "ab ab", 4, kNone},
                      Find{"z", "xyZ", 0, 2}, Find{"@", "a@b", 0, 1},
                      // Bytes of other scripts match exactly, never folded.
                      Find{"ça", "Ça va", 0, kNone}, Find{"Ça", "Ça va", 0, 0},
                      Find{"京タ", "東京タワー", 0, 3}, Find{"タ", "東京タワー", 0, 6},
                      Find{"𠮷", "吉野家 𠮷野家", 0, 10}, Find{"\xA0", "a\xC2\xA0", 0, 2},
                      Find{"", "abc", 1, 1}),
    [](const auto& testCase) {
        return CaseName(testCase.index, testCase.param.word + "_" + testCase.param.text);
    });

TEST(EqualsIgnoringAsciiCase, FoldsAsciiLettersOnly) {
    using twitter_api::EqualsIgnoringAsciiCase;
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Alice_01", "aLICE_01"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("alice", "alic"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Ça", "ça"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B differ by the case bit
}

}  // namespace
