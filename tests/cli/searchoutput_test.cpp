#include "searchoutput.h"

#include <gtest/gtest.h>

#include "json.h"
#include "twitter_api/search/query.h"

namespace {

using namespace twitter_api;

SSearchHit HitWithText(const std::string& text) {
    auto c = std::make_shared<CContribution>();
    c->mId = 1234567890123;
    c->mCreatedAt = "2010-4-05 09:41:07";
    c->mScreenName = "alice";
    c->mName = "Alice, \"A\"";
    c->mText = text;
    c->mFavorited = true;
    c->mSource = "<a href=\"x\">web</a>";
    return {"20100405", {TIMELINE, LISTS}, c};
}

std::string Csv(const SSearchHit& hit) {
    std::string out;
    AppendHitCsvRecord(out, hit);
    return out;
}

struct CsvCase {
    std::string text;
    std::string field;
};

class CsvRecord : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvRecord, QuotesAFieldOnlyWhenItMust) {
    EXPECT_EQ(Csv(HitWithText(GetParam().text)),
              "1234567890123,2010-04-05,home|list,2010-4-05 09:41:07,alice,\"Alice, \"\"A\"\"\"," +
                  GetParam().field + ",true,false\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRecord,
    ::testing::Values(CsvCase{"plain words", "plain words"}, CsvCase{"", ""},
                      CsvCase{"a, b", "\"a, b\""}, CsvCase{"say \"hi\"", "\"say \"\"hi\"\"\""},
                      CsvCase{"\"", "\"\"\"\""}, CsvCase{"two\nlines", "\"two\nlines\""},
                      CsvCase{"cr\r\nlf", "\"cr\r\nlf\""}, CsvCase{"東京, 𠮷", "\"東京, 𠮷\""},
                      CsvCase{"bad \xE3\x81 byte", "bad \xEF\xBF\xBD byte"}));

// Byte for byte the tree form of the dump's object with "day" and "tabs" added, for each kind of
// value a field can hold.
TEST(JsonLine, IsTheDumpFormThenDayAndTabsOnOneLine) {
    SSearchHit quoted = HitWithText("quotes \", commas, and\nline breaks\r\n");
    SSearchHit message = HitWithText("bad \xE3\x81 byte \x01");
    message.mKinds = {DIRECTMESSAGES};
    message.mEntry->mUserNameShowType = DialogSetting::NICKNAME;
    message.mEntry->mFavorited = false;
    message.mEntry->mIsRead = true;
    message.mEntry->mTextPosition = -7;
    SSearchHit odd = HitWithText("");
    odd.mKinds = {TIMELINE, MENTIONS, LISTS, SEARCH};
    odd.mEntry->mUserNameShowType = static_cast<DialogSetting::EUserNameShowType>(9);
    odd.mEntry->mId = -1;
    for (const SSearchHit& hit : {quoted, message, odd}) {
        std::string out;
        AppendHitJsonLine(out, hit);
        ASSERT_EQ(out.find('\n'), out.size() - 1) << out;
        nlohmann::ordered_json expected = ToJson(*hit.mEntry);
        expected["day"] = "2010-04-05";
        nlohmann::ordered_json& tabs = expected["tabs"] = nlohmann::ordered_json::array();
        for (const ETabType kind : hit.mKinds) {
            tabs.push_back(KindName(kind));
        }
        EXPECT_EQ(out, Print(expected) + "\n");
    }
}

TEST(DayText, WritesTheDayKeyAsADate) {
    EXPECT_EQ(DayText("20100405"), "2010-04-05");
}

}  // namespace
