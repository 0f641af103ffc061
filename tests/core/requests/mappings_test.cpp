#include "twitter_api/requests/mappings.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "exchange/loopback.h"
#include "twitter_api/exchange/exchange.h"

namespace {

using namespace twitter_api;

std::string Document(const std::string& body) {
    return std::string(XmlProlog) + body;
}

std::vector<ContributionPtr> Statuses(const std::string& body) {
    std::vector<ContributionPtr> out;
    EXPECT_EQ(MapStatuses(Document(body), out), std::nullopt);
    return out;
}

TEST(MapStatuses, TakesTheStatusFieldsAndTheNamesOfItsUser) {
    const auto out = Statuses(
        "<statuses type=\"array\">\n"
        "<status>\n"
        "  <created_at>Wed Aug 27 13:08:45 +0000 2008</created_at>\n"
        "  <id>9007199254740993</id>\n"
        "  <text>caf&amp;#233; &amp; &lt;b&gt; &#12354;</text>\n"
        "  <source>&lt;a href=&quot;http://x/&quot;&gt;web&lt;/a&gt;</source>\n"
        "  <favorited>true</favorited>\n"
        "  <user>\n"
        "    <id>999</id>\n"
        "    <name>Tom &amp;#233;</name>\n"
        "    <screen_name>tom&amp;#233;</screen_name>\n"
        "    <created_at>Sun Mar 18 06:42:26 +0000 2007</created_at>\n"
        "  </user>\n"
        "</status>\n"
        "</statuses>\n");
    ASSERT_EQ(out.size(), 1U);
    const CContribution& status = *out[0];
    EXPECT_EQ(status.mId, 9'007'199'254'740'993);  // beyond what a double holds exactly
    EXPECT_EQ(status.mCreatedAt, "2008-8-27 22:08:45");
    EXPECT_EQ(status.mText, "caf\xC3\xA9 & <b> \xE3\x81\x82");
    EXPECT_EQ(status.mSource, "<a href=\"http://x/\">web</a>");
    EXPECT_TRUE(status.mFavorited);
    EXPECT_EQ(status.mName, "Tom \xC3\xA9");
    EXPECT_EQ(status.mScreenName, "tom&#233;");  // screen names are not decoded
    EXPECT_FALSE(status.mIsRead);
}

TEST(MapStatuses, FavoritedMeansExactlyTrue) {
    const auto out = Statuses(
        "<statuses><status><favorited>True</favorited></status>"
        "<status><favorited>1</favorited></status><status><favorited>true </favorited></status>"
        "<status><favorited>true</favorited></status><status/></statuses>");
    ASSERT_EQ(out.size(), 5U);
    EXPECT_FALSE(out[0]->mFavorited);
    EXPECT_FALSE(out[1]->mFavorited);
    EXPECT_FALSE(out[2]->mFavorited);
    EXPECT_TRUE(out[3]->mFavorited);
    EXPECT_FALSE(out[4]->mFavorited);
}

TEST(MapStatuses, TheLastBoundOccurrenceWins) {
    const auto out = Statuses(
        "<statuses>\n"
        "<status><id>1</id><text>RT inner</text>\n"
        "  <retweeted_status><id>2</id><text>inner</text>\n"
        "    <user><name>Inner</name><screen_name>inner</screen_name></user>\n"
        "  </retweeted_status>\n"
        "  <user><id>77</id><name>Outer</name><screen_name>outer</screen_name></user>\n"
        "  <place><id>4552eed9a8b61ff9</id><name>Russian River</name></place>\n"
        "</status>\n"
        "</statuses>\n");
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0]->mId, 2);  // the embedded status's id came after the outer one
    EXPECT_EQ(out[0]->mText, "inner");
    EXPECT_EQ(out[0]->mScreenName, "outer");
    EXPECT_EQ(out[0]->mName, "Russian River");  // the user's name handler is still bound
}

// The id a reply answers is kept beside the fields of the Parts: the status's own, never that of
// a status it repeats; a value that is no id means no reply and costs the status nothing.
TEST(MapStatuses, ARepliesAnsweredIdIsItsOwnElements) {
    const auto out = Statuses(
        "<statuses>\n"
        "<status><id>4</id><in_reply_to_status_id>3</in_reply_to_status_id>\n"
        "  <retweeted_status><id>2</id><in_reply_to_status_id>1</in_reply_to_status_id>\n"
        "  </retweeted_status>\n"
        "</status>\n"
        "<status><id>5</id><in_reply_to_status_id></in_reply_to_status_id></status>\n"
        "<status><id>6</id><in_reply_to_status_id>x12</in_reply_to_status_id></status>\n"
        "<status><id>7</id><in_reply_to_status_id>-3</in_reply_to_status_id></status>\n"
        "<status><id>8</id><in_reply_to_status_id>99999999999999999999</in_reply_to_status_id>"
        "</status>\n"
        "<status><id>9</id></status>\n"
        "</statuses>\n");
    std::vector<std::pair<int64_t, int64_t>> answered;
    for (const ContributionPtr& status : out) {
        answered.emplace_back(status->mId, status->mInReplyToStatusId);
    }
    EXPECT_EQ(answered, (std::vector<std::pair<int64_t, int64_t>>{
                            {2, 3}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}));
}

TEST(MapStatuses, HandlersOutliveTheirRecord) {
    const auto out = Statuses("<statuses><status><id>1</id></status><id>5</id></statuses>");
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0]->mId, 5);
}

TEST(MapStatuses, AnotherRootGivesNoRecords) {
    EXPECT_TRUE(Statuses("<hash>\n<error>Not found</error>\n<id>1</id>\n</hash>\n").empty());
}

TEST(MapStatuses, MalformedDocumentsLeaveTheOutputAlone) {
    std::vector<ContributionPtr> out;
    // The bad id would throw, but the check decides first.
    const auto failure =
        MapStatuses(Document("<statuses><status><id>x</id></status><status>"), out);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(out.empty());
}

TEST(MapStatuses, ARecordThatDoesNotConvertIsSkippedAndTheRestDelivered) {
    struct Case {
        const char* name;
        std::string poisoned;  // the middle status
        std::string diagnostic;
    };
    const Case cases[] = {
        {"a reference to 0", "<status><id>20</id><text>&amp;#0;</text></status>",
         "Skipped status 20: Enforcement failed"},
        {"a reference that is no number", "<status><text>&amp;#D;</text><id>20</id></status>",
         "Skipped status 20: Can't convert value `D' of type const(char)[] to type int"},
        {"a user name that does not convert",
         "<status><id>20</id><user><name>&amp;#0;</name><id>x</id></user></status>",
         "Skipped status 20: Enforcement failed"},
        {"an id that does not convert", "<status><id>2x</id><text>a</text></status>",
         "Skipped status without a known id: Can't convert value `2x' of type const(char)[] to "
         "type long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ContributionPtr> out;
        testing_support::RecordingSink sink;
        EXPECT_EQ(MapStatuses(Document("<statuses><status><id>30</id></status>" + c.poisoned +
                                       "<status><id>10</id><text>ok</text></status></statuses>"),
                              out, &sink),
                  std::nullopt);
        ASSERT_EQ(out.size(), 2U);
        EXPECT_EQ(out[0]->mId, 30);
        EXPECT_EQ(out[1]->mId, 10);
        EXPECT_EQ(out[1]->mText, "ok");
        EXPECT_EQ(sink.lines, std::vector<std::string>{c.diagnostic});
    }
}

TEST(MapDirectMessagesAndSearch, ARecordThatDoesNotConvertIsSkipped) {
    std::vector<ContributionPtr> messages;
    testing_support::RecordingSink sink;
    MapDirectMessages(Document("<d><direct_message><id>2</id><text>&amp;#0;</text>"
                               "</direct_message><direct_message><id>1</id></direct_message></d>"),
                      messages, &sink);
    std::vector<ContributionPtr> entries;
    MapSearchEntries(Document("<feed><entry><id>tag:s,2010:9</id><title>&amp;#0;</title></entry>"
                              "<entry><id>tag:s,2010:8</id><author><name>a (b)</name></author>"
                              "</entry></feed>"),
                     entries, &sink);
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0]->mId, 1);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0]->mId, 8);
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"Skipped direct message 2: Enforcement failed",
                                                    "Skipped search entry 9: Enforcement failed"}));
}

TEST(MapDirectMessages, SenderScreenNameAndTheSendersName) {
    std::vector<ContributionPtr> out;
    ASSERT_EQ(MapDirectMessages(
                  Document("<direct-messages type=\"array\">\n"
                           "<direct_message>\n"
                           "  <id>45010464</id>\n"
                           "  <text>hi &amp;#233;</text>\n"
                           "  <created_at>Fri Dec 12 17:50:50 +0000 2008</created_at>\n"
                           "  <sender_screen_name>some&amp;#65;</sender_screen_name>\n"
                           "  <sender><id>1</id><name>Some Sender</name><screen_name>other"
                           "</screen_name><created_at>Sat Mar 08 16:34:22 +0000 2008</created_at>"
                           "</sender>\n"
                           "  <recipient><id>2</id><name>Recipient &amp;#233;</name>"
                           "<created_at>bad</created_at></recipient>\n"
                           "</direct_message>\n"
                           "<direct_message><sender_screen_name>only</sender_screen_name>"
                           "</direct_message>\n"
                           "</direct-messages>\n"),
                  out),
              std::nullopt);
    ASSERT_EQ(out.size(), 2U);
    EXPECT_EQ(out[0]->mId, 45010464);
    EXPECT_EQ(out[0]->mText, "hi \xC3\xA9");
    EXPECT_EQ(out[0]->mCreatedAt, "2008-12-13 02:50:50");
    EXPECT_EQ(out[0]->mScreenName, "some&#65;");
    EXPECT_EQ(out[0]->mName, "Some Sender");
    EXPECT_EQ(out[1]->mScreenName, "only");
    EXPECT_EQ(out[1]->mName, "only");
}

TEST(MapDirectMessages, TheSendersNameWhicheverUserComesFirst) {
    std::vector<ContributionPtr> out;
    ASSERT_EQ(MapDirectMessages(
                  Document("<d><direct_message><id>1</id>"
                           "<sender_screen_name>s</sender_screen_name>"
                           "<recipient><name>Recipient</name></recipient>"
                           "<sender><name>Sender &amp;#233;</name></sender></direct_message>"
                           "<direct_message><id>2</id><sender_screen_name>t</sender_screen_name>"
                           "<recipient><name>Recipient</name></recipient></direct_message></d>"),
                  out),
              std::nullopt);
    ASSERT_EQ(out.size(), 2U);
    EXPECT_EQ(out[0]->mName, "Sender \xC3\xA9");
    EXPECT_EQ(out[1]->mName, "t");  // no sender block: the sender's screen name stays
}

TEST(MapSearchEntries, AtomIdsPublishedTitleAndAuthorNames) {
    std::vector<ContributionPtr> out;
    ASSERT_EQ(
        MapSearchEntries(
            Document("<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:twitter=\"urn:t\">\n"
                     "<id>tag:search.twitter.com,2005:search/x</id>\n"
                     "<title>x - Twitter Search</title>\n"
                     "<entry>\n"
                     "  <id>tag:search.twitter.com,2005:12345</id>\n"
                     "  <published>2009-02-20T08:39:02Z</published>\n"
                     "  <title>bas&#233; &amp;#233;</title>\n"
                     "  <twitter:source>&lt;a&gt;web&lt;/a&gt;</twitter:source>\n"
                     "  <author><name>lee (Lee &amp;#233; (x))</name><uri>u</uri></author>\n"
                     "</entry>\n"
                     "<entry><id>tag:9007199254740993</id><author><name>plain</name></author>"
                     "</entry>\n"
                     "<entry><id>a:b:c:4</id><author><name>x (</name></author></entry>\n"
                     "<entry><id>a:b:9223372036854775807</id><author><name>y ()</name></author>"
                     "</entry>\n"
                     // The split is made on the text as written, before references are decoded.
                     "<entry><author><name>z&amp;#233; (&amp;#55357;&amp;#56832; &amp;#65;)"
                     "</name></author></entry>\n"
                     "<entry><author><name>w&amp;#32;(v)</name></author></entry>\n"
                     "</feed>\n"),
            out),
        std::nullopt);
    ASSERT_EQ(out.size(), 6U);
    EXPECT_EQ(out[0]->mId, 12345);
    EXPECT_EQ(out[0]->mCreatedAt, "2009-02-20T08:39:02Z");
    EXPECT_EQ(out[0]->mText, "bas\xC3\xA9 \xC3\xA9");
    EXPECT_EQ(out[0]->mScreenName, "lee");
    EXPECT_EQ(out[0]->mName, "Lee \xC3\xA9 (x)");
    EXPECT_EQ(out[0]->mSource, "");
    EXPECT_EQ(out[1]->mId, 0);  // two pieces
    EXPECT_EQ(out[1]->mScreenName, "plain");
    EXPECT_EQ(out[1]->mName, "plain");
    EXPECT_EQ(out[2]->mId, 0);  // four pieces
    EXPECT_EQ(out[2]->mScreenName, "x (");
    EXPECT_EQ(out[2]->mName, "x (");
    EXPECT_EQ(out[3]->mId, 9'223'372'036'854'775'807);
    EXPECT_EQ(out[3]->mScreenName, "y");
    EXPECT_EQ(out[3]->mName, "");
    EXPECT_EQ(out[4]->mScreenName, "z&#233;");
    EXPECT_EQ(out[4]->mName, "\xF0\x9F\x98\x80 A");
    EXPECT_EQ(out[5]->mScreenName, "w&#32;(v)");
    EXPECT_EQ(out[5]->mName, "w (v)");
}

TEST(MapLists, ListNameCommaOwnerScreenName) {
    std::vector<std::string> out;
    ASSERT_EQ(MapLists(Document("<lists_list><lists type=\"array\">\n"
                                "<list><id>1</id><name>things, stuff</name><user><id>9</id>"
                                "<name>Wynn &amp; N</name><screen_name>pengwynn</screen_name>"
                                "</user></list>\n"
                                "<list><name>b&amp;c</name><user><screen_name>owner2</screen_name>"
                                "</user></list>\n"
                                "<list><name>orphan</name></list>\n"
                                "</lists><next_cursor>0</next_cursor></lists_list>\n"),
                       out),
              std::nullopt);
    EXPECT_EQ(out, (std::vector<std::string>{"things, stuff,pengwynn", "b&c,owner2"}));
}

TEST(MapSavedSearches, NamesInDocumentOrder) {
    struct Case {
        std::string body;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"<saved_searches><saved_search><id>1</id><name>twitter</name><query>q</query>"
         "</saved_search><saved_search><name></name></saved_search></saved_searches>",
         {"twitter", ""}},
        {"<saved_searches type=\"array\">\n</saved_searches>", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> out;
        EXPECT_EQ(MapSavedSearches(Document(c.body), out), std::nullopt);
        EXPECT_EQ(out, c.names);
    }
}

}  // namespace
