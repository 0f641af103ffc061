// The mappings over documents captured from the service, read through the response reader as
// they would arrive.
#include <gtest/gtest.h>

#include <filesystem>

#include "exchange/loopback.h"
#include "platform/file.h"
#include "support/captured.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/requests/mappings.h"

namespace {

using namespace twitter_api;

class CapturedDocuments : public testing::Test {
  protected:
    void SetUp() override { REQUIRE_CAPTURED_DOCUMENTS(); }

    // The file as the body of a response, turned into the document the mappings receive.
    static std::string Document(const std::string& file) {
        const std::string content =
            platform::ReadWholeFile(std::string(WARBLET_SHARED_FIXTURES) + "/" + file);
        testing_support::TextSource source(
            "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\nContent-Length: " +
                std::to_string(content.size()) + "\r\n\r\n" + content,
            1400);
        return std::string(XmlProlog) + ReadResponse(source).body;
    }

    using StatusMapper = std::optional<std::string> (*)(std::string_view,
                                                        std::vector<ContributionPtr>&,
                                                        DiagnosticSink*);

    // Every record maps: none is skipped.
    static std::vector<ContributionPtr> Map(const std::string& file, StatusMapper map) {
        std::vector<ContributionPtr> out;
        testing_support::RecordingSink sink;
        EXPECT_EQ(map(Document(file), out, &sink), std::nullopt) << file;
        EXPECT_EQ(sink.lines, std::vector<std::string>()) << file;
        return out;
    }
};

TEST_F(CapturedDocuments, EveryRecordOfEveryKindIsMapped) {
    struct Case {
        const char* file;
        StatusMapper map;
        size_t records;
    };
    const Case cases[] = {
        {"timeline-1.xml", MapStatuses, 2},      {"timeline-2.xml", MapStatuses, 20},
        {"timeline-3.xml", MapStatuses, 19},     {"timeline-4.xml", MapStatuses, 17},
        {"timeline-5.xml", MapStatuses, 19},     {"timeline-6.xml", MapStatuses, 18},
        {"timeline-7.xml", MapStatuses, 20},     {"timeline-8.xml", MapStatuses, 16},
        {"timeline-9.xml", MapStatuses, 20},     {"timeline-10.xml", MapStatuses, 20},
        {"liststatuses-1.xml", MapStatuses, 19}, {"status-5.xml", MapStatuses, 1},
        {"error-1.xml", MapStatuses, 0},         {"error-2.xml", MapStatuses, 0},
        {"dm-1.xml", MapDirectMessages, 1},      {"dm-2.xml", MapDirectMessages, 20},
        {"dm-3.xml", MapDirectMessages, 4},      {"search-1.atom", MapSearchEntries, 15},
        {"search-2.atom", MapSearchEntries, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto out = Map(c.file, c.map);
        EXPECT_EQ(out.size(), c.records);
        for (const auto& record : out) {
            EXPECT_NE(record->mId, 0);
            EXPECT_FALSE(record->mScreenName.empty());
            EXPECT_NE(record->mCreatedAt, "Invalid Datetime String.");
        }
    }
}

TEST_F(CapturedDocuments, RetweetsTakeTheEmbeddedStatusAndTheOuterUser) {
    const auto out = Map("timeline-6.xml", MapStatuses);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0]->mId, 28561922516);
    EXPECT_EQ(out[0]->mCreatedAt, "2010-10-24 12:46:25");
    EXPECT_EQ(out[0]->mText.substr(0, 17), "As for the Series");
    EXPECT_EQ(out[0]->mScreenName, "sferik");
    EXPECT_EQ(out[0]->mName, "Erik Michaels-Ober");
}

TEST_F(CapturedDocuments, APlaceAfterTheUserRenamesTheAuthor) {
    const auto out = Map("timeline-5.xml", MapStatuses);
    ASSERT_GE(out.size(), 4U);
    EXPECT_EQ(out[3]->mId, 26959930192);
    EXPECT_EQ(out[3]->mScreenName, "sferik");
    EXPECT_EQ(out[3]->mName, "Russian River-Coastal");
    EXPECT_EQ(out[2]->mName, "Erik Michaels-Ober");
}

TEST_F(CapturedDocuments, IdsBeyond53Bits) {
    const auto out = Map("timeline-8.xml", MapStatuses);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0]->mId, 107164904741552128);
    EXPECT_EQ(out[0]->mCreatedAt, "2011-8-27 03:57:59");
}

TEST_F(CapturedDocuments, CrLfLinesAndCharacterReferences) {
    const auto out = Map("timeline-9.xml", MapStatuses);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0]->mId, 114305522);
    EXPECT_EQ(out[0]->mCreatedAt, "2007-6-21 18:26:16");
    EXPECT_EQ(out[0]->mScreenName, "teqoono");
    EXPECT_EQ(out[0]->mName, "ishigot");
    // The text spans two lines; the reader gives LF for CR LF.
    EXPECT_EQ(out[0]->mText.substr(0, 19), "ちょっと憂鬱\n");
}

TEST_F(CapturedDocuments, DirectMessagesAreLabelledWithTheSender) {
    const auto out = Map("dm-1.xml", MapDirectMessages);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0]->mId, 45010464);
    EXPECT_EQ(out[0]->mText, "some stuff");
    EXPECT_EQ(out[0]->mCreatedAt, "2008-12-13 02:50:50");
    EXPECT_EQ(out[0]->mScreenName, "somesender");
    EXPECT_EQ(out[0]->mName, "Some Sender");
}

TEST_F(CapturedDocuments, SearchAuthorsAreSplit) {
    const auto out = Map("search-2.atom", MapSearchEntries);
    ASSERT_EQ(out.size(), 15U);
    EXPECT_EQ(out[0]->mId, 1229915194);
    EXPECT_EQ(out[0]->mCreatedAt, "2009-02-20T08:39:02Z");
    EXPECT_EQ(out[0]->mScreenName, "leeoades");
    EXPECT_EQ(out[0]->mName, "Lee Oades");
    const auto gujarati = std::find_if(out.begin(), out.end(),
                                       [](const auto& entry) { return entry->mId == 1196462903; });
    ASSERT_NE(gujarati, out.end());
    EXPECT_EQ((*gujarati)->mScreenName, "hiteshs");
    EXPECT_EQ((*gujarati)->mName, "હિતેશ");
}

TEST_F(CapturedDocuments, ListsAndSavedSearches) {
    std::vector<std::string> lists;
    ASSERT_EQ(MapLists(Document("lists-1.xml"), lists), std::nullopt);
    ASSERT_EQ(lists.size(), 7U);
    EXPECT_EQ(lists[0], "things-to-attend,pengwynn");
    std::vector<std::string> subscriptions;
    ASSERT_EQ(MapLists(Document("lists-2.xml"), subscriptions), std::nullopt);
    ASSERT_EQ(subscriptions.size(), 2U);
    EXPECT_EQ(subscriptions[0], "Rubyists,pengwynn");
    std::vector<std::string> searches;
    ASSERT_EQ(MapSavedSearches(Document("savedsearches-1.xml"), searches), std::nullopt);
    EXPECT_EQ(searches, std::vector<std::string>{"twitter"});
}

}  // namespace
