#include <gtest/gtest.h>

#include "support/casename.h"
#include "twitter_api/search/query.h"

namespace {

using namespace twitter_api;

// The parsed query in one line: each term as kind=value, "!" before a negated one.
std::string Describe(const SQuery& query) {
    std::string out;
    const auto add = [&out](bool negated, const std::string& kind, std::string_view value) {
        out += (out.empty() ? "" : " ") + std::string(negated ? "!" : "") + kind + "=" +
               std::string(value);
    };
    for (const auto& word : query.mWords) {
        add(word.mNegated, "word", "[" + word.mValue + "]");
    }
    for (const auto& author : query.mAuthors) {
        add(author.mNegated, "from", author.mValue);
    }
    for (const auto& kind : query.mKinds) {
        add(kind.mNegated, "in", KindName(kind.mValue));
    }
    for (const auto& flag : query.mFlags) {
        add(flag.mNegated, "is", flag.mValue == EEntryFlag::FAVOURITE ? "fav" : "unread");
    }
    if (query.mSince) {
        add(false, "since", *query.mSince);
    }
    if (query.mUntil) {
        add(false, "until", *query.mUntil);
    }
    return out;
}

struct Parsed {
    std::string query;
    std::string terms;
};

class ParseQueryTable : public ::testing::TestWithParam<Parsed> {};

TEST_P(ParseQueryTable, GivesTheTerms) {
    EXPECT_EQ(Describe(ParseQuery(GetParam().query)), GetParam().terms);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseQueryTable,
    ::testing::Values(
        Parsed{"", ""}, Parsed{"  \t ", ""}, Parsed{"cat", "word=[cat]"},
        Parsed{"  cat   Dog ", "word=[cat] word=[Dog]"},
        Parsed{"\"a phrase\"  b", "word=[a phrase] word=[b]"},
        Parsed{"-spam -\"two words\"", "!word=[spam] !word=[two words]"},
        // A phrase still being typed runs to the end; empty terms are no terms.
        Parsed{"\"open phrase", "word=[open phrase]"}, Parsed{"\"\" - -\"\"", ""},
        // Japanese words, and the ideographic space between them as a blank.
        Parsed{"東京\xE3\x80\x80大阪", "word=[東京] word=[大阪]"},
        Parsed{"\"東京\xE3\x80\x80大阪\"", "word=[東京\xE3\x80\x80大阪]"},
        // Only letters before the first colon make a prefix; quotes keep a word plain.
        Parsed{"12:30 :) 1a:b", "word=[12:30] word=[:)] word=[1a:b]"},
        Parsed{"\"http://example.com\"", "word=[http://example.com]"},
        Parsed{"a-b --x", "word=[a-b] !word=[-x]"},
        Parsed{"from:Alice -from:bob", "from=Alice !from=bob"},
        Parsed{"in:home in:DM -in:list In:mentions in:search",
               "in=home in=dm !in=list in=mentions in=search"},
        Parsed{"is:fav -is:unread IS:Unread", "is=fav !is=unread is=unread"},
        Parsed{"since:2010-04-05 until:2010-04-30", "since=20100405 until=20100430"},
        // Several bounds: the tightest of each holds.
        Parsed{"since:2010-01-01 since:2011-02-28 until:2012-12-31 until:2012-02-29",
               "since=20110228 until=20120229"}),
    [](const auto& testCase) { return CaseName(testCase.index, testCase.param.query); });

struct Refused {
    std::string query;
    std::string message;
};

class ParseQueryErrors : public ::testing::TestWithParam<Refused> {};

TEST_P(ParseQueryErrors, NameTheTerm) {
    try {
        ParseQuery(GetParam().query);
        FAIL() << "no error for " << GetParam().query;
    } catch (const QueryError& e) {
        EXPECT_EQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseQueryErrors,
    ::testing::Values(
        Refused{"ok foo:bar",
                "Unknown prefix \"foo:\" in the search term \"foo:bar\": use from:, "
                "in:, since:, until: or is:, or put the word in quotes"},
        Refused{"-http://x",
                "Unknown prefix \"http:\" in the search term \"-http://x\": use "
                "from:, in:, since:, until: or is:, or put the word in quotes"},
        // A control byte typed into a term cannot reach a terminal through the message.
        Refused{"x:\x1b[2J",
                "Unknown prefix \"x:\" in the search term \"x:\\x1b[2J\": use "
                "from:, in:, since:, until: or is:, or put the word in quotes"},
        Refused{"in:timeline",
                "Unknown timeline in the search term \"in:timeline\": use home, mentions, dm, "
                "list or search"},
        Refused{"is:read", "Unknown flag in the search term \"is:read\": use is:fav or is:unread"},
        Refused{"from:", "Missing value in the search term \"from:\""},
        Refused{"since:2010-4-5",
                "Malformed date in the search term \"since:2010-4-5\": use YYYY-MM-DD"},
        Refused{"until:2010-02-30",
                "Malformed date in the search term \"until:2010-02-30\": use YYYY-MM-DD"},
        Refused{"until:2011-02-29x",
                "Malformed date in the search term \"until:2011-02-29x\": use YYYY-MM-DD"},
        Refused{"since:2010-13-01",
                "Malformed date in the search term \"since:2010-13-01\": use YYYY-MM-DD"},
        Refused{"since:２０１０-01-01",
                "Malformed date in the search term \"since:２０１０-01-01\": use YYYY-MM-DD"},
        Refused{"-since:2010-01-01",
                "A date cannot be negated in the search term \"-since:2010-01-01\""}),
    [](const auto& testCase) { return CaseName(testCase.index, testCase.param.query); });

}  // namespace
