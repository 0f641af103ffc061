// The streamed JSON must be byte for byte what the tree form prints, whatever bytes the log holds.
#include "jsonstream.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "json.h"

using twitter_api::CContribution;
using twitter_api::CContributionListOfDay;

namespace {

std::string Streamed(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string Tree(const std::string& text) {
    return Print(nlohmann::ordered_json(text));
}

class JsonString : public ::testing::TestWithParam<std::string> {};

TEST_P(JsonString, MatchesTheTreeForm) {
    EXPECT_EQ(Streamed(GetParam()), Tree(GetParam()));
}

std::string AllControlCharacters() {
    std::string text;
    for (int c = 0; c < 0x20; ++c) {
        text += static_cast<char>(c);
    }
    return text + "\x7F";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonString,
    ::testing::Values(std::string(), std::string("plain text"), std::string("q\"b\\s/"),
                      AllControlCharacters(), std::string("\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80"),
                      std::string("\x80 lone continuation"), std::string("\xC0\x80 overlong"),
                      std::string("\xE0\x80\x80 overlong three"),
                      std::string("\xED\xA0\x80 surrogate"), std::string("\xF4\x90\x80\x80 beyond"),
                      std::string("\xF5\xFF\xFE"), std::string("cut at the end \xE3\x81"),
                      std::string("cut \xE3\x81 in between"), std::string("\xF0\x9F\x98 cut four"),
                      std::string("\xE3\x81\xC3\xA9 cut then two")));

// Random bytes, mostly from the high half where decoding can go wrong.
TEST(JsonStringRandom, MatchesTheTreeForm) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> high(0x7A, 0xFF);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n) {
            const int byte = high(random);
            text += static_cast<char>(byte < 0x80 ? byte - 0x7A : byte);
        }
        ASSERT_EQ(Streamed(text), Tree(text)) << "case " << i;
    }
}

CContributionListOfDay Day(int count) {
    CContributionListOfDay list("20261210");
    for (int i = 0; i < count; ++i) {
        auto c = std::make_shared<CContribution>();
        c->mId = 9'000'000'000'000LL * (i % 2 ? -1 : 1) + i;
        c->mCreatedAt = "2026-12-10 09:41:0" + std::to_string(i % 10);
        c->mScreenName = "user" + std::to_string(i);
        c->mName = "\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC \"" + std::to_string(i) + "\"";
        c->mText = std::string(1000 * (i % 3), 'x') + "line\nbreak\t\xFF";
        c->mFavorited = i % 2 == 0;
        c->mSource = "<a href=\"http://example.com/\">web</a>";
        c->mIsRead = i % 3 == 0;
        c->mTextPosition = i * 37 - 5;
        c->mUserNameShowType = static_cast<DialogSetting::EUserNameShowType>(i % 3);
        list.mContributions.push_back(c);
    }
    return list;
}

std::string TreeDump(const CContributionListOfDay& list) {
    nlohmann::ordered_json contributions = nlohmann::ordered_json::array();
    for (const auto& c : list.mContributions) {
        contributions.push_back(ToJson(*c));
    }
    return Print({{"date", list.mDate}, {"contributions", std::move(contributions)}}, 2) + "\n";
}

// Empty, one entry, and enough entries to be written in several pieces.
TEST(DayListJson, MatchesTheTreeForm) {
    for (const int count : {0, 1, 200}) {
        const auto list = Day(count);
        std::ostringstream streamed;
        WriteDayListJson(list, streamed);
        EXPECT_EQ(streamed.str(), TreeDump(list)) << count << " contributions";
    }
}

}  // namespace
