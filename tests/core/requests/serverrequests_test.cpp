// The request bytes each kind of server is sent, under its API root, and what is not sent at all.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "exchange/loopback.h"
#include "platform/stream.h"
#include "twitter_api/requests/conversation.h"
#include "twitter_api/requests/lists.h"
#include "twitter_api/requests/routes.h"
#include "twitter_api/requests/status.h"
#include "twitter_api/requests/timeline.h"

namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::RecordingSink;
using testing_support::ResponseWith;

const std::string kCredential = "dXNlcjpwYXNz";  // user:pass
constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// A service pointed at a server of that kind whose API root is the path on the listener.
Service ServerAt(const LoopbackListener& listener, Flavour flavour, const std::string& root,
                 DiagnosticSink& diagnostics) {
    Service service;
    service.hosts.flavour = flavour;
    service.hosts.server = "http://" + listener.Address() + root;
    service.hosts.textLimit = 1000;
    service.diagnostics = &diagnostics;
    service.timeout = std::chrono::seconds(5);
    return service;
}

struct RequestCase {
    const char* name;
    std::function<void(const Service&)> call;
    std::string requestLine;  // without " HTTP/1.0"
};

std::function<void(const Service&)> Timeline(bool (*request)(const Service&,
                                                             std::vector<ContributionPtr>&,
                                                             const std::string&, int64_t, int32_t,
                                                             FailureOut),
                                             int64_t since, int32_t count) {
    return [=](const Service& service) {
        std::vector<ContributionPtr> out;
        EXPECT_TRUE(request(service, out, kCredential, since, count, nullptr));
    };
}

std::function<void(const Service&)> List(std::string owner, std::string name, int64_t since) {
    return [=](const Service& service) {
        std::vector<ContributionPtr> out;
        EXPECT_TRUE(GetListTimeLine(service, out, owner, name, kCredential, since, 200));
    };
}

std::function<void(const Service&)> Search(std::string query) {
    return [=](const Service& service) {
        std::vector<ContributionPtr> out;
        EXPECT_TRUE(GetSearchTimeLine(service, out, kCredential, query, 100, 1));
    };
}

std::function<void(const Service&)> Choices(std::vector<std::string> (*request)(const Service&,
                                                                                const std::string&,
                                                                                FailureOut)) {
    return [=](const Service& service) { request(service, kCredential, nullptr); };
}

std::function<void(const Service&)> Posting(std::string text, int64_t reply) {
    return [=](const Service& service) { EXPECT_TRUE(Post(service, kCredential, text, reply)); };
}

std::function<void(const Service&)> Favourite(bool (*request)(const Service&, const std::string&,
                                                              int64_t, FailureOut),
                                              int64_t id) {
    return [=](const Service& service) { EXPECT_TRUE(request(service, kCredential, id, nullptr)); };
}

std::function<void(const Service&)> Message(std::string name, std::string text) {
    return [=](const Service& service) {
        EXPECT_TRUE(NewDirectMessage(service, kCredential, name, text));
    };
}

std::function<void(const Service&)> Show(int64_t id) {
    return [=](const Service& service) {
        ContributionPtr status;
        GetStatus(service, kCredential, id, status);
    };
}

void ExpectRequests(Flavour flavour, const std::string& root,
                    const std::vector<RequestCase>& cases) {
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener;
        listener.Serve(ResponseWith(std::string(kDeclaration) + "<statuses/>\n"));
        RecordingSink sink;
        c.call(ServerAt(listener, flavour, root, sink));
        EXPECT_EQ(listener.Received(), c.requestLine + " HTTP/1.0\r\nHOST: " + listener.Address() +
                                           "\r\nAuthorization: Basic " + kCredential + "\r\n\r\n");
        EXPECT_TRUE(sink.lines.empty());
    }
}

TEST(ServerRequests, GnuSocialIsAskedUnderItsRootWithoutTheVersionSegment) {
    ExpectRequests(
        Flavour::GnuSocial, "/api",
        {
            {"home timeline since 12345", Timeline(GetUserPrivateTimeLine, 12345, 200),
             "GET /api/statuses/home_timeline.xml?since_id=12345&count=200"},
            {"mentions without since", Timeline(GetUserMentions, -1, 200),
             "GET /api/statuses/mentions.xml?count=200"},
            {"direct messages since 5", Timeline(GetUserDirectMessage, 5, 20),
             "GET /api/direct_messages.xml?since_id=5&count=20"},
            {"list statuses by owner and name, paged by the server alone",
             List("bob", "friends", 9), "GET /api/bob/lists/friends/statuses.xml"},
            {"list names that would split the request", List("b ob", "x?y#z", -1),
             "GET /api/b%20ob/lists/x%3Fy%23z/statuses.xml"},
            {"search with the credential", Search("%E3%81%82%20b"),
             "GET /api/search.atom?q=%E3%81%82%20b&rpp=100&page=1"},
            {"own lists", Choices(GetUserLists), "GET /api/user/lists.xml"},
            {"list subscriptions", Choices(GetUserListSubscriptions),
             "GET /api/user/lists/subscriptions.xml"},
            {"post a reply", Posting("hello world", 5),
             "POST /api/statuses/update.xml?status=hello%20world&in_reply_to_status_id=5"},
            {"post a new status", Posting("a&b", -1), "POST /api/statuses/update.xml?status=a%26b"},
            {"create favourite", Favourite(CreateFavorite, 12345),
             "POST /api/favorites/create/12345.xml"},
            {"destroy favourite", Favourite(DestroyFavorite, 7),
             "POST /api/favorites/destroy/7.xml"},
            {"repeat", Favourite(Retweet, 104), "POST /api/statuses/retweet/104.xml"},
            {"direct message", Message("bob", "see you & bye"),
             "POST /api/direct_messages/new.xml?screen_name=bob&text=see%20you%20%26%20bye"},
            {"destroy status", Favourite(DestroyStatus, 101), "POST /api/statuses/destroy/101.xml"},
            {"show status", Show(100), "GET /api/statuses/show/100.xml"},
        });
}

TEST(ServerRequests, FriendicaIsAskedByListIdAndFavouritesByParameter) {
    ExpectRequests(
        Flavour::Friendica, "/index.php/api",
        {
            {"home timeline without since", Timeline(GetUserPrivateTimeLine, -1, 200),
             "GET /index.php/api/statuses/home_timeline.xml?count=200"},
            {"mentions since 0", Timeline(GetUserMentions, 0, 200),
             "GET /index.php/api/statuses/mentions.xml?since_id=0&count=200"},
            {"direct messages", Timeline(GetUserDirectMessage, -1, 20),
             "GET /index.php/api/direct_messages.xml?count=20"},
            {"list statuses by the circle's id", List("4", "Friends", 9),
             "GET /index.php/api/lists/statuses.xml?list_id=4&since_id=9&count=200"},
            {"a list id that would end its parameter", List("4&x=1", "Friends", -1),
             "GET /index.php/api/lists/statuses.xml?list_id=4%26x%3D1&count=200"},
            {"search answered with statuses", Search("meeting"),
             "GET /index.php/api/search.xml?q=meeting&rpp=100&page=1"},
            {"circles", Choices(GetUserLists), "GET /index.php/api/friendica/circle_show.xml"},
            {"saved searches", Choices(GetUserSavedSearches),
             "GET /index.php/api/saved_searches/list.xml"},
            {"post", Posting("hi", 3004),
             "POST /index.php/api/statuses/update.xml?status=hi&in_reply_to_status_id=3004"},
            {"create favourite", Favourite(CreateFavorite, 3003),
             "POST /index.php/api/favorites/create.xml?id=3003"},
            {"destroy favourite", Favourite(DestroyFavorite, 3003),
             "POST /index.php/api/favorites/destroy.xml?id=3003"},
            {"repeat", Favourite(Retweet, 3003), "POST /index.php/api/statuses/retweet/3003.xml"},
            {"direct message", Message("bob", "hi"),
             "POST /index.php/api/direct_messages/new.xml?screen_name=bob&text=hi"},
            {"destroy status", Favourite(DestroyStatus, 3004),
             "POST /index.php/api/statuses/destroy/3004.xml"},
            {"show status", Show(3001), "GET /index.php/api/statuses/show/3001.xml"},
        });
}

TEST(ServerRequests, WhatAServerDoesNotHaveIsNotAskedFor) {
    struct Case {
        const char* name;
        Flavour flavour;
        std::vector<std::string> (*request)(const Service&, const std::string&, FailureOut);
        SRoute SRouteTable::*route;
    };
    const Case cases[] = {
        {"saved searches on GNU social", Flavour::GnuSocial, GetUserSavedSearches,
         &SRouteTable::savedSearches},
        {"list subscriptions on Friendica", Flavour::Friendica, GetUserListSubscriptions,
         &SRouteTable::listSubscriptions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener;
        RecordingSink sink;
        std::string failure = "stale";
        EXPECT_TRUE(
            c.request(ServerAt(listener, c.flavour, "/api", sink), kCredential, &failure).empty());
        EXPECT_EQ(failure, "");
        EXPECT_FALSE(listener.HasWaitingConnection());
        EXPECT_FALSE((RoutesOf(c.flavour).*(c.route)).Available());
    }
}

TEST(ServerRequests, WithoutAServerNothingIsSentAndTheFailureSaysSo) {
    Service service;
    RecordingSink sink;
    service.diagnostics = &sink;
    std::vector<ContributionPtr> out;
    try {
        GetUserPrivateTimeLine(service, out, kCredential, -1, 200);
        ADD_FAILURE() << "no exception";
    } catch (const platform::NetworkError& e) {
        EXPECT_EQ(std::string(e.what()), kNoServer);
    }
}

TEST(ServerRequests, PathTemplatesLeaveOutAPartWhoseValueIsMissing) {
    const PathValues values{{"a", "1"}, {"b", "x y"}};
    EXPECT_EQ(ExpandPath("/p?[s={since}&]a={a}", values), "/p?a=1");
    EXPECT_EQ(ExpandPath("/p?[s={a}&]b={b}[&c={c}]", values), "/p?s=1&b=x y");
    EXPECT_EQ(ExpandPath("/plain", {}), "/plain");
    EXPECT_THROW(ExpandPath("/p/{missing}", values), AssertionError);
    EXPECT_THROW(ExpandPath("/p/{a", values), AssertionError);
    EXPECT_THROW(ExpandPath("/p[/{a}", values), AssertionError);
    EXPECT_EQ(EncodeQueryValue("Az09-._~ &=+/é"), "Az09-._~%20%26%3D%2B%2F%C3%A9");
}

}  // namespace
