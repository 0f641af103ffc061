// Following a reply upward through statuses/show, one request a status.
#include "twitter_api/requests/conversation.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <string>
#include <vector>

#include "exchange/loopback.h"

namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::RecordingSink;
using testing_support::ResponseWith;

const std::string kCredential = "dXNlcjpwYXNz";  // user:pass

// A status as statuses/show answers it; 0 answers nothing.
std::string Shown(int64_t id, int64_t answered) {
    return ResponseWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<status>\n<id>" +
                        std::to_string(id) + "</id>\n<text>status " + std::to_string(id) +
                        "</text>\n<in_reply_to_status_id>" +
                        (answered > 0 ? std::to_string(answered) : std::string()) +
                        "</in_reply_to_status_id>\n<user><screen_name>u" + std::to_string(id) +
                        "</screen_name></user>\n</status>\n");
}

const std::string kNotFound =
    "HTTP/1.1 404 Not Found\r\n\r\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<hash><error>No status found with that ID.</error></hash>\n";

struct Walk {
    SConversation conversation;
    std::vector<std::string> requestLines;
};

// Follows the chain from parentId while the host gives the answers in turn, one connection each.
Walk Follow(int64_t parentId, int maxSteps, const std::vector<std::string>& answers) {
    LoopbackListener listener;
    RecordingSink sink;
    const Service service = testing_support::ServiceFor(listener, HostKind::Main, sink);
    auto following = std::async(std::launch::async, [&] {
        return GetConversation(service, kCredential, parentId, maxSteps);
    });
    Walk walk;
    size_t seen = 0;  // the listener keeps every byte received so far
    for (const std::string& answer : answers) {
        listener.Serve(answer);
        const std::string received = listener.Received().substr(seen);
        seen += received.size();
        walk.requestLines.push_back(received.substr(0, received.find(" HTTP/1.0")));
    }
    walk.conversation = following.get();
    return walk;
}

std::vector<int64_t> Ids(const SConversation& conversation) {
    std::vector<int64_t> ids;
    for (const ContributionPtr& status : conversation.statuses) {
        ids.push_back(status->mId);
    }
    return ids;
}

TEST(Conversation, FollowsTheChainUpwardAndHandsItOverOldestFirst) {
    struct Case {
        const char* name;
        int maxSteps;
        std::vector<std::string> answers;
        std::vector<int64_t> ids;
        std::string failure;
    };
    const Case cases[] = {
        {"to a status that answers none",
         kMaxConversationSteps,
         {Shown(30, 20), Shown(20, 10), Shown(10, 0)},
         {10, 20, 30},
         ""},
        {"no further than the steps allow", 2, {Shown(30, 20), Shown(20, 10)}, {20, 30}, ""},
        {"round a loop only once",
         kMaxConversationSteps,
         {Shown(30, 20), Shown(20, 30)},
         {20, 30},
         ""},
        {"up to a status the service refuses",
         kMaxConversationSteps,
         {Shown(30, 20), kNotFound},
         {30},
         "No status found with that ID."},
        {"nowhere when the first is refused",
         kMaxConversationSteps,
         {kNotFound},
         {},
         "No status found with that ID."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Walk walk = Follow(30, c.maxSteps, c.answers);
        EXPECT_EQ(Ids(walk.conversation), c.ids);
        EXPECT_EQ(walk.conversation.failure, c.failure);
        EXPECT_EQ(walk.conversation.failureKind,
                  c.failure.empty() ? std::nullopt : std::optional(FailureKind::Refused));
        ASSERT_FALSE(walk.requestLines.empty());
        EXPECT_EQ(walk.requestLines.front(), "GET /statuses/show/30.xml");
        EXPECT_EQ(walk.requestLines.size(), c.answers.size());
    }
}

TEST(Conversation, TwentyStepsAtMost) {
    std::vector<std::string> answers;
    for (int64_t id = 100; id > 75; --id) {
        answers.push_back(Shown(id, id - 1));
    }
    answers.resize(kMaxConversationSteps);
    const Walk walk = Follow(100, kMaxConversationSteps, answers);
    ASSERT_EQ(walk.conversation.statuses.size(), 20U);
    EXPECT_EQ(walk.conversation.statuses.front()->mId, 81);
    EXPECT_EQ(walk.conversation.statuses.back()->mId, 100);
    EXPECT_EQ(walk.conversation.statuses.back()->mInReplyToStatusId, 99);
    EXPECT_EQ(walk.requestLines.back(), "GET /statuses/show/81.xml");
}

TEST(Conversation, ANetworkFailureEndsTheChainWithItsMessageAndNoRequestKind) {
    RecordingSink sink;
    Service service;
    service.hosts = {"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1"};
    service.diagnostics = &sink;
    const SConversation conversation = GetConversation(service, kCredential, 5);
    EXPECT_TRUE(conversation.statuses.empty());
    EXPECT_FALSE(conversation.failure.empty());
    EXPECT_FALSE(conversation.failureKind) << "no request failed: the service was not reached";
}

}  // namespace
