#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "documents.h"
#include "xmltext.h"

namespace standin {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::year;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

struct SNode {
    std::string mName;
    std::string mText;
    std::vector<SNode> mChildren;

    const SNode& Child(const std::string& name) const {
        for (const SNode& child : mChildren) {
            if (child.mName == name) {
                return child;
            }
        }
        ADD_FAILURE() << mName << " has no " << name;
        static const SNode kNone;
        return kNone;
    }

    std::vector<std::string> ChildNames() const {
        std::vector<std::string> names;
        for (const SNode& child : mChildren) {
            names.push_back(child.mName);
        }
        return names;
    }
};

// The document as a tree, parsed by expat; a document that is not well formed fails the test.
SNode Parse(const std::string& document) {
    struct SState {
        std::vector<SNode> mOpen{SNode{}};
    } state;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char**) {
            static_cast<SState*>(data)->mOpen.push_back(SNode{name, {}, {}});
        },
        [](void* data, const XML_Char*) {
            auto& open = static_cast<SState*>(data)->mOpen;
            SNode done = std::move(open.back());
            open.pop_back();
            open.back().mChildren.push_back(std::move(done));
        });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
        static_cast<SState*>(data)->mOpen.back().mText.append(text, static_cast<size_t>(length));
    });
    const bool wellFormed =
        XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    EXPECT_TRUE(wellFormed) << XML_ErrorString(XML_GetErrorCode(parser)) << " at line "
                            << XML_GetCurrentLineNumber(parser) << "\n"
                            << document;
    XML_ParserFree(parser);
    if (!wellFormed || state.mOpen.front().mChildren.size() != 1) {
        return {};
    }
    return state.mOpen.front().mChildren.front();
}

size_t CountElements(const SNode& node, const std::string& name) {
    size_t count = 0;
    for (const SNode& child : node.mChildren) {
        count += (child.mName == name ? 1 : 0) + CountElements(child, name);
    }
    return count;
}

// The client throws the first body line away, so the declaration must stand alone on the first
// line; after it, every element sits on a line of its own and no line is blank, as the service
// laid its documents out.
void ExpectServiceLayout(const std::string& document, const std::string& what) {
    std::istringstream lines(document);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line)) << what;
    EXPECT_EQ(line, kDeclaration) << what;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(' ');
        ASSERT_NE(start, std::string::npos) << what << ": blank line";
        EXPECT_EQ(line[start], '<') << what << ": " << line;
        EXPECT_EQ(line.back(), '>') << what << ": " << line;
    }
    EXPECT_EQ(document.back(), '\n') << what;
}

const Time kCreated = sys_days{year{2008} / 8 / 27} + hours{13} + minutes{8} + seconds{45};
const std::string kTrickyText = "Q&A <b>\"bold\"</b> &#12354; 🐈\nsecond line";

SUser SampleUser(int64_t id, const std::string& screenName, const std::string& name) {
    SUser user;
    user.mId = id;
    user.mScreenName = screenName;
    user.mName = name;
    user.mCreatedAt = kCreated - hours{24 * 400};
    return user;
}

SStatusView SampleStatus() {
    SStatusView view;
    view.mStatus.mId = 31400000042;
    view.mStatus.mUserId = 14200002;
    view.mStatus.mText = kTrickyText;
    view.mStatus.mSource = "<a href=\"http://warblet.example/\" rel=\"nofollow\">Warblet</a>";
    view.mStatus.mCreatedAt = kCreated;
    view.mUser = SampleUser(14200002, "hanako", "山田 花子");
    view.mFavorited = true;
    return view;
}

SDirectMessageView SampleMessage() {
    return {{920000001, 14200002, 14200001, kTrickyText, kCreated},
            SampleUser(14200002, "hanako", "山田 花子"),
            SampleUser(14200001, "demo", "出茂 太郎")};
}

SListView SampleList() {
    SList list;
    list.mId = 5100001;
    list.mOwnerId = 14200001;
    list.mName = "tech";
    list.mSlug = "tech";
    list.mMembers = {1, 2, 3};
    return {list, SampleUser(14200001, "demo", "出茂 太郎"), false};
}

SSavedSearch SampleSearch() {
    return {16100001, 14200001, "ラーメン", kCreated};
}

std::string SampleFeed() {
    return SearchFeedDocument("ラーメン & Qt", {0, 15, 1}, {SampleStatus()}, kCreated);
}

TEST(StandinDocumentsTest, EveryDocumentHasTheServiceLayoutRootAndRecords) {
    struct SCase {
        const char* mWhat;
        std::string mDocument;
        const char* mRoot;
        const char* mRecord;  // counted at any depth
        size_t mRecords;
    };
    const std::vector<SCase> cases = {
        {"statuses", StatusesDocument({SampleStatus(), SampleStatus()}), "statuses", "status", 2},
        {"no statuses", StatusesDocument({}), "statuses", "status", 0},
        {"status", StatusDocument(SampleStatus()), "status", "user", 1},
        {"direct messages", DirectMessagesDocument({SampleMessage()}), "direct-messages",
         "direct_message", 1},
        {"lists", ListsDocument({SampleList(), SampleList()}), "lists_list", "list", 2},
        {"saved searches", SavedSearchesDocument({SampleSearch()}), "saved_searches",
         "saved_search", 1},
        {"search feed", SampleFeed(), "feed", "entry", 1},
        {"authentication error",
         ErrorDocument("/statuses/home_timeline.xml?since_id=1&count=200",
                       "Could not authenticate you."),
         "hash", "error", 1},
    };
    for (const SCase& c : cases) {
        ExpectServiceLayout(c.mDocument, c.mWhat);
        const SNode root = Parse(c.mDocument);
        EXPECT_EQ(root.mName, c.mRoot) << c.mWhat;
        EXPECT_EQ(CountElements(root, c.mRecord), c.mRecords) << c.mWhat;
    }
}

TEST(StandinDocumentsTest, TextsComeBackUnchangedFromTheParser) {
    const std::string statuses = StatusesDocument({SampleStatus()});
    // A reference in the text is escaped like any "&", for the client to decode after parsing.
    EXPECT_NE(statuses.find("&amp;#12354;"), std::string::npos);
    const SNode status = Parse(statuses).Child("status");
    EXPECT_EQ(status.Child("text").mText, kTrickyText);
    EXPECT_EQ(status.Child("source").mText, SampleStatus().mStatus.mSource);
    EXPECT_EQ(status.Child("favorited").mText, "true");
    EXPECT_EQ(status.Child("in_reply_to_status_id").mText, "");
    EXPECT_EQ(status.Child("user").Child("name").mText, "山田 花子");

    const SNode message = Parse(DirectMessagesDocument({SampleMessage()})).Child("direct_message");
    EXPECT_EQ(message.Child("text").mText, kTrickyText);

    const SNode feed = Parse(SampleFeed());
    EXPECT_EQ(feed.Child("title").mText, "ラーメン & Qt - Twitter Search");
    const SNode& entry = feed.Child("entry");
    EXPECT_EQ(entry.Child("id").mText, "tag:search.twitter.com,2005:31400000042");
    EXPECT_EQ(entry.Child("title").mText, kTrickyText);
    EXPECT_EQ(entry.Child("author").Child("name").mText, "hanako (山田 花子)");

    const SNode error = Parse(ErrorDocument("/a.xml?x=1&y=<2>", "Could not authenticate you."));
    EXPECT_EQ(error.ChildNames(), (std::vector<std::string>{"request", "error"}));
    EXPECT_EQ(error.Child("request").mText, "/a.xml?x=1&y=<2>");
    EXPECT_EQ(error.Child("error").mText, "Could not authenticate you.");
}

TEST(StandinDocumentsTest, TimesAreWrittenAsTheServiceWroteThem) {
    struct SCase {
        Time mTime;
        const char* mService;
        const char* mAtom;
    };
    const std::vector<SCase> cases = {
        {kCreated, "Wed Aug 27 13:08:45 +0000 2008", "2008-08-27T13:08:45Z"},
        {sys_days{year{2010} / 1 / 9}, "Sat Jan 09 00:00:00 +0000 2010", "2010-01-09T00:00:00Z"},
        {sys_days{year{2010} / 1 / 1} - seconds{1}, "Thu Dec 31 23:59:59 +0000 2009",
         "2009-12-31T23:59:59Z"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ServiceTime(c.mTime), c.mService);
        EXPECT_EQ(AtomTime(c.mTime), c.mAtom);
    }
}

// Readers bind element handlers as they meet elements, so a record's elements must come in the
// service's order: each record's children are checked to be in the order of a captured document.
TEST(StandinDocumentsTest, RecordsKeepTheElementOrderOfCapturedDocuments) {
    const std::filesystem::path fixtures = WARBLET_SHARED_FIXTURES;
    if (!std::filesystem::is_directory(fixtures)) {
        GTEST_SKIP() << "no captured documents at " << fixtures;
    }
    const auto read = [&](const char* name) {
        std::ifstream file(fixtures / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const auto firstRecord = [](const SNode& root, const std::string& name) -> SNode {
        for (const SNode& child : root.mChildren) {
            if (child.mName == name) {
                return child;
            }
            for (const SNode& grandchild : child.mChildren) {
                if (grandchild.mName == name) {
                    return grandchild;
                }
            }
        }
        return {};
    };
    struct SCase {
        const char* mFixture;
        const char* mRecord;
        std::string mOurs;
    };
    const std::vector<SCase> cases = {
        {"timeline-4.xml", "status", StatusesDocument({SampleStatus()})},
        {"dm-1.xml", "direct_message", DirectMessagesDocument({SampleMessage()})},
        {"lists-2.xml", "list", ListsDocument({SampleList()})},
        {"savedsearches-1.xml", "saved_search", SavedSearchesDocument({SampleSearch()})},
        {"search-2.atom", "entry", SampleFeed()},
    };
    for (const SCase& c : cases) {
        const std::vector<std::string> theirs =
            firstRecord(Parse(read(c.mFixture)), c.mRecord).ChildNames();
        const std::vector<std::string> ours = firstRecord(Parse(c.mOurs), c.mRecord).ChildNames();
        ASSERT_FALSE(ours.empty()) << c.mRecord;
        auto next = theirs.begin();
        for (const std::string& name : ours) {
            next = std::find(next, theirs.end(), name);
            ASSERT_NE(next, theirs.end())
                << c.mFixture << ": " << name << " out of order or unknown";
            ++next;
        }
    }
}

}  // namespace
}  // namespace standin
