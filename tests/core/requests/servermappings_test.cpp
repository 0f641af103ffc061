// The mappings of GNU social's and Friendica's documents: GNU social's as its serialiser writes
// them (read from the shared fixtures), Friendica's from small documents written here after its
// serialiser, and the shared Friendica documents where they are at hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/loopback.h"
#include "platform/file.h"
#include "support/captured.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/requests/mappings.h"
#include "twitter_api/requests/servermappings.h"

namespace {

using namespace twitter_api;

// A response as it comes over the wire, turned into the document the mappings receive.
std::string DocumentOf(const std::string& content) {
    testing_support::TextSource source(
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n" + content, 1400);
    return std::string(XmlProlog) + ReadResponse(source).body;
}

std::string ServerFixture(const std::string& file) {
    return DocumentOf(platform::ReadWholeFile(std::string(WARBLET_SERVER_FIXTURES) + "/" + file));
}

struct Shown {
    int64_t id;
    std::string createdAt;
    std::string screenName;
    std::string name;
    std::string text;
    bool favorited = false;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << s.id << " " << s.createdAt << " " << s.screenName << "/" << s.name << ": " << s.text
         << (s.favorited ? " (favourite)" : "");
}

using StatusMapper = std::optional<std::string> (*)(std::string_view, std::vector<ContributionPtr>&,
                                                    DiagnosticSink*);

// Every record of the document, as the page would show it; the diagnostic lines go to lines.
std::vector<Shown> Map(const std::string& document, StatusMapper map,
                       std::vector<std::string>* lines = nullptr) {
    std::vector<ContributionPtr> out;
    testing_support::RecordingSink sink;
    EXPECT_EQ(map(document, out, &sink), std::nullopt);
    if (lines != nullptr) {
        *lines = sink.lines;
    } else {
        EXPECT_EQ(sink.lines, std::vector<std::string>());
    }
    std::vector<Shown> shown;
    for (const ContributionPtr& c : out) {
        shown.push_back({c->mId, std::string(c->mCreatedAt.view()),
                         std::string(c->mScreenName.view()), std::string(c->mName.view()),
                         std::string(c->mText.view()), c->mFavorited});
    }
    return shown;
}

// Friendica's documents, as src/Module/Api/ApiResponse.php (friendica/friendica@2942bc5a) and
// src/Util/XML.php write them: createXML (ApiResponse.php:48-84) puts the default namespace and the
// statusnet, friendica and georss prefixes on the root (53-58), and writes an integer-keyed array
// as repeated elements named after its key (69-78); reformatXML (147-159) turns booleans into
// true/false and the keys statusnet_x and friendica_x into statusnet:x and friendica:x. The
// document has no encoding in its declaration, so characters outside ASCII come as hexadecimal
// references, values are trimmed and empty ones are empty-element tags (XML.php:48-52, 526-529 at
// a0a8aeb3, as the shared fixtures' SOURCES.md records). A status's elements come in the order of
// the properties of src/Object/Api/Twitter/Status.php (the version with the 2010-2023 header,
// lines 36-93), whose constructor makes the user and friendica:owner blocks of $owner and
// friendica:author of $author; for a share, src/Factory/Api/Twitter/Status.php
// (friendica/friendica@d8d9ad01, 115-121) takes the owner from the one who shared it (causer-id
// with post-reason announcement). A user block's elements follow src/Object/Api/Twitter/User.php
// (friendica/friendica@1e4e5b57, properties 37-120), its entities holding url and description
// (set in the constructor); only a few of the others are written here.
const std::string kFriendicaNamespaces =
    "xmlns=\"http://api.twitter.com\" xmlns:statusnet=\"http://status.net/schema/api/1/\" "
    "xmlns:friendica=\"http://friendi.ca/schema/api/1/\" "
    "xmlns:georss=\"http://www.georss.org/georss\"";

std::string FriendicaUser(const std::string& element, int id, const std::string& name,
                          const std::string& screenName) {
    const std::string n = std::to_string(id);
    return "    <" + element + ">\n      <id>" + n + "</id>\n      <id_str>" + n +
           "</id_str>\n      <name>" + name + "</name>\n      <screen_name>" + screenName +
           "</screen_name>\n      <location>friendica</location>\n      <derived/>\n"
           "      <url>https://friendica.example/profile/" +
           screenName +
           "</url>\n      <entities>\n        <url>\n          <urls/>\n        </url>\n"
           "        <description>\n          <urls/>\n        </description>\n"
           "      </entities>\n      <description/>\n      <created_at>Fri May 03 19:02:11 +0000 "
           "2024</created_at>\n    </" +
           element + ">\n";
}

struct FriendicaPost {
    int id;
    std::string text;  // as written, references and entities included
    std::string createdAt;
    std::string source;
    bool favorited;
    std::string user;    // the user block: the one who shared it, else the owner
    std::string author;  // the friendica:author block
    std::string owner;   // the friendica:owner block
};

std::string FriendicaStatus(const FriendicaPost& post) {
    const std::string n = std::to_string(post.id);
    return "  <status>\n    <text>" + post.text +
           "</text>\n    <truncated>false</truncated>\n"
           "    <created_at>" +
           post.createdAt +
           "</created_at>\n"
           "    <in_reply_to_status_id/>\n    <in_reply_to_status_id_str/>\n"
           "    <source>" +
           post.source + "</source>\n    <id>" + n + "</id>\n    <id_str>" + n +
           "</id_str>\n    <in_reply_to_user_id/>\n    <in_reply_to_user_id_str/>\n"
           "    <in_reply_to_screen_name/>\n    <geo/>\n    <favorited>" +
           (post.favorited ? "true" : "false") + "</favorited>\n" + post.user + post.author +
           post.owner +
           "    <friendica:private>false</friendica:private>\n"
           "    <statusnet:html>&lt;p&gt;" +
           post.text +
           "&lt;/p&gt;</statusnet:html>\n"
           "    <statusnet:conversation_id>" +
           n +
           "</statusnet:conversation_id>\n"
           "    <friendica:activities>\n      <like/>\n    </friendica:activities>\n"
           "    <friendica:title/>\n    <friendica:html>&lt;p&gt;" +
           post.text +
           "&lt;/p&gt;</friendica:html>\n    <friendica:comments>0</friendica:comments>\n"
           "    <attachments/>\n    <entities/>\n    <extended_entities/>\n  </status>\n";
}

// dave's post shared by bob, and chloe's own post with characters outside ASCII.
std::string FriendicaTimeline() {
    const FriendicaPost shared{3002,
                               "Release notes are up on the wiki",
                               "Wed Oct 09 07:40:00 +0000 2024",
                               "mastodon (AP)",
                               false,
                               FriendicaUser("user", 5, "Bob Jones", "bob"),
                               FriendicaUser("friendica:author", 9, "Dave Ng", "dave"),
                               FriendicaUser("friendica:owner", 5, "Bob Jones", "bob")};
    const FriendicaPost own{3003,
                            "Caf&#xE9; cr&#xE8;me &amp; croissants, 2 &lt; 3 &#x20AC;",
                            "Wed Oct 09 07:15:02 +0000 2024",
                            "friendica",
                            true,
                            FriendicaUser("user", 7, "Chlo&#xE9; Durand", "chloe"),
                            FriendicaUser("friendica:author", 7, "Chlo&#xE9; Durand", "chloe"),
                            FriendicaUser("friendica:owner", 7, "Chlo&#xE9; Durand", "chloe")};
    return "<?xml version=\"1.0\"?>\n<statuses " + kFriendicaNamespaces + ">\n" +
           FriendicaStatus(shared) + FriendicaStatus(own) + "</statuses>\n";
}

TEST(FriendicaDocuments, AStatusIsMappedFromItsOwnUserAndAShareNamesBothPeople) {
    const std::vector<Shown> expected = {
        {3002, "2024-10-09 16:40:00", "bob", "Bob Jones",
         "RT @dave Release notes are up on the wiki", false},
        {3003, "2024-10-09 16:15:02", "chloe", "Chloé Durand", "Café crème & croissants, 2 < 3 €",
         true},
    };
    EXPECT_EQ(Map(DocumentOf(FriendicaTimeline()), MapServerStatuses), expected);
}

TEST(FriendicaDocuments, TheServicesMappingLetsTheOwnerBlockNameTheStatus) {
    // What the mapping kept for the service does with the same document: the names come from the
    // last user-like block, the owner, and the share loses its author, as the fixtures' notes show.
    const std::vector<Shown> shown = Map(DocumentOf(FriendicaTimeline()), MapStatuses);
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[0].text, "Release notes are up on the wiki");
    EXPECT_EQ(shown[0].screenName, "bob");
}

TEST(FriendicaDocuments, CirclesAndSavedSearchesBecomeChoices) {
    // src/Module/Api/Friendica/Circle/Show.php (58-78): each circle an array of name, gid and
    // its members under integer keys, written under the root group_update.
    const std::string circles = "<?xml version=\"1.0\"?>\n<group_update " + kFriendicaNamespaces +
                                ">\n  <group>\n    <name>Friends</name>\n    <gid>4</gid>\n"
                                "    <users>\n" +
                                FriendicaUser("user", 5, "Bob Jones", "bob") +
                                "    </users>\n  </group>\n  <group>\n    <name>Work, "
                                "mostly</name>\n    <gid>6</gid>\n    <users/>\n  </group>\n"
                                "  <group>\n    <name>No id</name>\n    <gid/>\n  </group>\n"
                                "</group_update>\n";
    std::vector<std::string> lists;
    EXPECT_EQ(MapCircles(DocumentOf(circles), lists), std::nullopt);
    EXPECT_EQ(lists, (std::vector<std::string>{"Friends,4", "Work, mostly,6"}));

    // src/Object/Api/Twitter/SavedSearch.php (20-31): created_at, id, id_str, name, position,
    // query, each search an element named after the root's key, "terms".
    const std::string searches =
        "<?xml version=\"1.0\"?>\n<terms " + kFriendicaNamespaces +
        ">\n  <terms>\n    <created_at>Wed Oct 09 07:15:02 +0000 2024</created_at>\n"
        "    <id>1</id>\n    <id_str>1</id_str>\n    <name>meeting</name>\n    <position/>\n"
        "    <query>meeting</query>\n  </terms>\n  <terms>\n    <id>2</id>\n"
        "    <name>caf&#xE9;</name>\n  </terms>\n</terms>\n";
    std::vector<std::string> names;
    EXPECT_EQ(MapServerSavedSearches(DocumentOf(searches), names), std::nullopt);
    EXPECT_EQ(names, (std::vector<std::string>{"meeting", "café"}));
}

TEST(FriendicaDocuments, ItsOnlyXmlErrorDocumentGivesItsMessage) {
    // ApiResponse::error (171-182): status with error, code and request.
    const std::string document =
        "<?xml version=\"1.0\"?>\n<status " + kFriendicaNamespaces +
        ">\n  <error>Error adding activity</error>\n  <code>500 Error adding activity</code>\n"
        "  <request>api/friendica/activity/like.xml?id=3003</request>\n</status>\n";
    const Fetched fetched{"HTTP/1.1 500 Internal Server Error", DocumentOf(document), std::nullopt};
    EXPECT_EQ(RefusalOf(fetched), "Error adding activity");
}

class ServerDocuments : public testing::Test {
  protected:
    void SetUp() override { REQUIRE_DOCUMENTS_IN(WARBLET_SERVER_FIXTURES); }
};

TEST_F(ServerDocuments, GnuSocialStatusesAreTheirOuterStatusesAndARepeatNamesBoth) {
    const Shown reply{104, "2020-6-09 18:05:47", "bob", "Bob Jones", "@alice yes, 10:00 in room B"};
    const Shown repeat{103, "2020-6-09 17:02:31", "chloe", "Chloé Durand",
                       "RT @bob Release notes for the June build are up on the wiki"};
    const Shown cafe{101, "2020-6-09 16:15:02", "chloe", "Chloé Durand",
                     "Café crème & croissants <3 à 7 € ce matin #café"};
    Shown favourite = cafe;
    favourite.favorited = true;
    struct Case {
        const char* file;
        std::vector<Shown> expected;
    };
    const Case cases[] = {
        {"gnusocial/home_timeline.xml", {reply, repeat, cafe}},
        {"gnusocial/mentions.xml",
         {reply, {99, "2020-6-09 02:20:05", "chloe", "Chloé Durand", "@alice welcome aboard!"}}},
        {"gnusocial/list_statuses.xml", {reply, favourite}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Map(ServerFixture(c.file), MapServerStatuses), c.expected);
    }
}

TEST_F(ServerDocuments, TheServicesMappingMixesARepeatWithItsOriginal) {
    // Why the servers have a mapping of their own: the repeat's author becomes the original's.
    const std::vector<Shown> shown = Map(ServerFixture("gnusocial/home_timeline.xml"), MapStatuses);
    ASSERT_EQ(shown.size(), 3U);
    EXPECT_EQ(shown[1].id, 103);
    EXPECT_EQ(shown[1].screenName, "bob");
    EXPECT_EQ(shown[1].text, "Release notes for the June build are up on the wiki");
}

TEST_F(ServerDocuments, FriendicaStatusesNameTheirUserAndASharesAuthor) {
    const Shown reply{3004, "2024-10-09 18:05:47", "bob", "Bob Jones",
                      "@Alice Martin yes, 10:00 in room B"};
    const Shown share{3002, "2024-10-09 16:40:00", "bob", "Bob Jones",
                      "RT @dave Release notes for the October build are up on the wiki"};
    const Shown cafe{3003, "2024-10-09 16:15:02", "chloe", "Chloé Durand",
                     "Café crème & croissants, 2 < 3 € ce matin"};
    struct Case {
        const char* file;
        std::vector<Shown> expected;
    };
    const Case cases[] = {
        {"friendica/home_timeline.xml", {reply, share, cafe}},
        {"friendica/mentions.xml",
         {reply,
          {2999, "2024-10-09 02:20:05", "chloe", "Chloé Durand", "@Alice Martin welcome aboard!"}}},
        {"friendica/lists_statuses.xml", {reply, cafe}},
        {"friendica/search.xml",
         {reply,
          {3001, "2024-10-09 15:58:10", "alice", "Alice Martin",
           "Is the meeting tomorrow at 10?"}}},
        {"friendica/lists_ownerships.xml", {}},
        {"friendica/lists_subscriptions.xml", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Map(ServerFixture(c.file), MapServerStatuses), c.expected);
    }
}

TEST_F(ServerDocuments, DirectMessagesAreNamedAfterTheirSender) {
    const std::vector<Shown> expected = {
        {5, "2020-6-09 19:01:12", "bob", "Bob Jones", "Slides are on the wiki, pages 3 & 4"},
        {4, "2020-6-09 03:00:00", "chloe", "Chloé Durand", "Are you coming to the café on Friday?"},
    };
    EXPECT_EQ(Map(ServerFixture("gnusocial/direct_messages.xml"), MapServerDirectMessages),
              expected);
    EXPECT_EQ(Map(ServerFixture("friendica/direct_messages_empty.xml"), MapServerDirectMessages),
              std::vector<Shown>());
}

TEST_F(ServerDocuments, GnuSocialSearchEntriesTakeTheNumberAfterTheLastColonAndShowTheirTime) {
    const std::vector<Shown> expected = {
        {104, "2020-6-09 18:05:47", "bob", "Bob Jones", "@alice yes, 10:00 in room B"},
        {100, "2020-6-09 15:58:10", "alice", "Alice Martin", "Is the meeting tomorrow at 10?"},
    };
    EXPECT_EQ(Map(ServerFixture("gnusocial/search.atom"), MapServerSearchEntries), expected);
}

TEST_F(ServerDocuments, GnuSocialListsAreNamedWithTheirOwner) {
    std::vector<std::string> lists;
    EXPECT_EQ(MapServerLists(ServerFixture("gnusocial/lists_subscriptions.xml"), lists),
              std::nullopt);
    EXPECT_EQ(lists, std::vector<std::string>{"gnusocial,bob"});
    lists.clear();
    EXPECT_EQ(MapServerLists(ServerFixture("gnusocial/lists.xml"), lists), std::nullopt);
    EXPECT_EQ(lists, (std::vector<std::string>{"friends,alice", "work,alice"}));
    std::vector<std::string> searches;
    EXPECT_EQ(MapServerSavedSearches(ServerFixture("friendica/saved_searches_empty.xml"), searches),
              std::nullopt);
    EXPECT_TRUE(searches.empty());
}

TEST_F(ServerDocuments, EachServersErrorDocumentGivesItsMessage) {
    struct Case {
        const char* file;
        const char* statusLine;
        const char* refusal;
    };
    const Case cases[] = {
        {"gnusocial/error_401.xml", "HTTP/1.1 401 Unauthorized", "Could not authenticate you."},
        {"gnusocial/error_404.xml", "HTTP/1.1 404 Not Found", "List not found."},
        {"friendica/error_activity_500.xml", "HTTP/1.1 500 Internal Server Error",
         "Error adding activity"},
        // An HTML page is no document: the status line says what happened.
        {"friendica/error_401.html", "HTTP/1.1 401 Unauthorized", "HTTP/1.1 401 Unauthorized"},
        {"friendica/error_400.html", "HTTP/1.1 400 Bad Request", "HTTP/1.1 400 Bad Request"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(RefusalOf({c.statusLine, ServerFixture(c.file), std::nullopt}), c.refusal);
    }
}

TEST(ServerRecords, TagIdsWithoutANumberAreSkippedWithTheDiagnosticLine) {
    const std::string feed =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<feed xmlns=\"http://www.w3.org/2005/Atom\">\n"
        " <entry>\n  <id>tag:social.example,2020-06-12:social:104</id>\n"
        "  <published>2020-06-09T09:05:47+02:00</published>\n  <title>a</title>\n"
        "  <author>\n   <name>bob</name>\n  </author>\n </entry>\n"
        " <entry>\n  <id>tag:social.example,2020-06-12:search/social.example</id>\n"
        "  <title>b</title>\n </entry>\n"
        " <entry>\n  <id>tag:social.example:8080,2020:103</id>\n"
        "  <published>2020-06-09T09:05:47.25Z</published>\n  <title>c</title>\n"
        "  <author>\n   <name>chloe (Chlo&#xE9; (C) Durand)</name>\n  </author>\n </entry>\n"
        "</feed>\n";
    std::vector<std::string> lines;
    const std::vector<Shown> shown = Map(DocumentOf(feed), MapServerSearchEntries, &lines);
    const std::vector<Shown> expected = {
        {104, "2020-6-09 16:05:47", "bob", "bob", "a"},
        {103, "2020-6-09 18:05:47", "chloe", "Chloé (C) Durand", "c"},
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Skipped search entry without a known id: Can't convert value "
                         "`search/social.example' of type const(char)[] to type long"});
}

TEST(ServerRecords, TextsAreDecodedOnceAndABadValueSkipsOnlyItsStatus) {
    // A literal "&#65;" in a status's text is text, not a reference to decode again.
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<statuses type=\"array\">\n"
        " <status>\n  <text>&amp;#65; &amp;#0; &amp;amp;</text>\n  <id>3</id>\n"
        "  <user>\n   <name>&amp;#66;</name>\n   <screen_name>a</screen_name>\n"
        "   <status>\n    <id>99</id>\n    <text>inner</text>\n   </status>\n  </user>\n"
        " </status>\n <status>\n  <id>x2</id>\n </status>\n"
        " <status>\n  <id>1</id>\n </status>\n</statuses>\n";
    std::vector<std::string> lines;
    const std::vector<Shown> shown = Map(DocumentOf(document), MapServerStatuses, &lines);
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[0].id, 3);
    EXPECT_EQ(shown[0].text, "&#65; &#0; &amp;");
    EXPECT_EQ(shown[0].name, "&#66;");
    EXPECT_EQ(shown[1].id, 1);
    EXPECT_EQ(lines, std::vector<std::string>{"Skipped status without a known id: Can't convert "
                                              "value `x2' of type const(char)[] to type long"});
}

}  // namespace
