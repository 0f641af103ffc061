#include <gtest/gtest.h>

#include "support/casename.h"
#include "twitter_api/search/matcher.h"

namespace {

using namespace twitter_api;

struct Entry {
    std::string name;  // the entry's name in the table below
    std::string screenName;
    std::string text;
    bool favorited;
    bool isRead;
};

// Texts as the logs hold them: character references already decoded.
const Entry kEntries[] = {
    {"latin", "Alice", "Hello World", true, true},
    {"japanese", "bob", "今日は東京タワーに行った", false, false},
    {"astral", "bob", "🍣を食べた 𠮷野家", true, false},
    {"decoded", "carol", "Tom & Jerry <3 \"quoted\"", false, true},
    {"again", "carol", "HELLO again, hello", false, false},
    {"accent", "dave", "Ça va", false, true},
};

std::string Matching(const std::string& query) {
    const CQueryMatcher matcher(ParseQuery(query));
    std::string names;
    for (const Entry& e : kEntries) {
        CContribution c;
        c.mScreenName = e.screenName;
        c.mText = e.text;
        c.mFavorited = e.favorited;
        c.mIsRead = e.isRead;
        if (matcher.Matches(c)) {
            names += (names.empty() ? "" : " ") + e.name;
        }
    }
    return names;
}

struct Match {
    std::string query;
    std::string entries;
};

class MatcherTable : public ::testing::TestWithParam<Match> {};

TEST_P(MatcherTable, MatchesTheseEntries) {
    EXPECT_EQ(Matching(GetParam().query), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatcherTable,
    ::testing::Values(
        Match{"", "latin japanese astral decoded again accent"}, Match{"hello", "latin again"},
        Match{"hELLO", "latin again"}, Match{"hello -again", "latin"},
        Match{"-hello", "japanese astral decoded accent"}, Match{"\"hello world\"", "latin"},
        Match{"\"world hello\"", ""}, Match{"東京", "japanese"}, Match{"京タ", "japanese"},
        Match{"東京 大阪", ""}, Match{"𠮷", "astral"}, Match{"🍣を", "astral"}, Match{"吉", ""},
        Match{"&", "decoded"}, Match{"&amp;", ""}, Match{"\"<3 \"", "decoded"},
        Match{"quoted\"", "decoded"}, Match{"Ça", "accent"}, Match{"ça", ""},
        Match{"from:ALICE", "latin"}, Match{"from:ali", ""},
        Match{"-from:bob -from:carol", "latin accent"}, Match{"from:bob from:carol", ""},
        Match{"is:fav", "latin astral"}, Match{"is:unread", "japanese astral again"},
        Match{"-is:unread -is:fav", "decoded accent"}, Match{"is:fav is:unread from:bob", "astral"},
        // Kinds and days are decided by the files, never by the entry.
        Match{"in:dm since:2030-01-01 hello", "latin again"}),
    [](const auto& testCase) { return CaseName(testCase.index, testCase.param.query); });

TEST(Matcher, KindsAndDaysChooseTheFiles) {
    const CQueryMatcher all(ParseQuery(""));
    for (const ETabType kind : {TIMELINE, MENTIONS, DIRECTMESSAGES, LISTS, SEARCH}) {
        EXPECT_TRUE(all.WantsKind(kind));
    }
    EXPECT_TRUE(all.WantsDay("19700101"));

    const CQueryMatcher some(ParseQuery("in:dm in:list -in:list"));
    EXPECT_TRUE(some.WantsKind(DIRECTMESSAGES));
    EXPECT_FALSE(some.WantsKind(LISTS));
    EXPECT_FALSE(some.WantsKind(TIMELINE));

    const CQueryMatcher allBut(ParseQuery("-in:home"));
    EXPECT_FALSE(allBut.WantsKind(TIMELINE));
    EXPECT_TRUE(allBut.WantsKind(SEARCH));

    const CQueryMatcher range(ParseQuery("since:2010-04-05 until:2010-04-07"));
    EXPECT_FALSE(range.WantsDay("20100404"));
    EXPECT_TRUE(range.WantsDay("20100405"));
    EXPECT_TRUE(range.WantsDay("20100407"));
    EXPECT_FALSE(range.WantsDay("20100408"));
}

TEST(Matcher, FindsTheWordsToHighlightInOrderWithoutOverlap) {
    using R = STextRange;
    const auto find = [](const std::string& query, std::string_view text) {
        return CQueryMatcher(ParseQuery(query)).FindWords(text);
    };
    EXPECT_EQ(find("hello again", "HELLO again, hello"), (std::vector<R>{{0, 5}, {6, 5}, {13, 5}}));
    EXPECT_EQ(find("abc bcd", "xabcdx"), (std::vector<R>{{1, 4}}));
    EXPECT_EQ(find("aa", "aaaa"), (std::vector<R>{{0, 4}}));  // touching stays one highlight
    EXPECT_EQ(find("東京 -タワー from:x", "東京タワー"), (std::vector<R>{{0, 6}}));
    EXPECT_EQ(find("𠮷", "a𠮷b"), (std::vector<R>{{1, 4}}));
    EXPECT_TRUE(find("", "text").empty());
}

}  // namespace
