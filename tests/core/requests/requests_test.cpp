#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "exchange/loopback.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/requests/conversation.h"
#include "twitter_api/requests/lists.h"
#include "twitter_api/requests/status.h"
#include "twitter_api/requests/timeline.h"

namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::RecordingSink;
using testing_support::ResponseWith;
using testing_support::ServiceFor;

const std::string kCredential = "dXNlcjpwYXNz";      // user:pass
const std::string kOddAccount = "YS9iP2MgZDpwOnc=";  // a/b?c d:p:w
constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The service's refusal: a well-formed error document under an error status.
const std::string kUnauthorized =
    "HTTP/1.1 401 Unauthorized\r\nContent-Type: application/xml\r\nContent-Length: 156\r\n\r\n" +
    std::string(kDeclaration) +
    "<hash>\n  <error>Could not authenticate you.</error>\n"
    "  <request>/statuses/home_timeline.xml</request>\n</hash>";

// An error page that is not XML; its first line goes as the declaration, "<html>" stays unclosed.
const std::string kErrorPage =
    "HTTP/1.0 502 Bad Gateway\r\n\r\n<!DOCTYPE html>\r\n<html>\r\n<body>Bad Gateway</body>\r\n";

std::vector<ContributionPtr> Sentinel() {
    return {std::make_shared<CContribution>()};
}

struct RequestCase {
    const char* name;
    HostKind host;
    std::function<void(const Service&)> call;
    std::string requestLine;                // without " HTTP/1.0\r\n"
    std::optional<std::string> credential;  // the Authorization line's value, if one is sent
};

std::vector<RequestCase> RequestCases() {
    const auto timeline = [](auto request, std::string credential, int64_t since, int32_t count) {
        return [=](const Service& service) {
            std::vector<ContributionPtr> out;
            EXPECT_TRUE(request(service, out, credential, since, count, nullptr));
        };
    };
    const auto list = [](std::string credential, int64_t since) {
        return [=](const Service& service) {
            std::vector<ContributionPtr> out;
            EXPECT_TRUE(GetListTimeLine(service, out, "bob", "friends", credential, since, 200));
        };
    };
    const auto post = [](std::string credential, std::string text, int64_t reply) {
        return [=](const Service& service) { EXPECT_TRUE(Post(service, credential, text, reply)); };
    };
    const int64_t largest = std::numeric_limits<int64_t>::max();
    return {
        {"home timeline since 12345", HostKind::Main,
         timeline(GetUserPrivateTimeLine, kCredential, 12345, 200),
         "GET /statuses/home_timeline.xml?since_id=12345&count=200", kCredential},
        {"home timeline since 0", HostKind::Main,
         timeline(GetUserPrivateTimeLine, kCredential, 0, 200),
         "GET /statuses/home_timeline.xml?since_id=0&count=200", kCredential},
        {"home timeline without since", HostKind::Main,
         timeline(GetUserPrivateTimeLine, kCredential, -1, 200),
         "GET /statuses/home_timeline.xml?count=200", kCredential},
        {"home timeline, empty credential", HostKind::Main,
         timeline(GetUserPrivateTimeLine, "", -1, 200), "GET /statuses/home_timeline.xml?count=200",
         ""},
        {"mentions since a large id", HostKind::Main,
         timeline(GetUserMentions, kCredential, largest, 200),
         "GET /statuses/mentions.xml?since_id=9223372036854775807&count=200", kCredential},
        {"mentions without since", HostKind::Main, timeline(GetUserMentions, kCredential, -1, 200),
         "GET /statuses/mentions.xml?count=200", kCredential},
        {"direct messages since 5", HostKind::Main,
         timeline(GetUserDirectMessage, kCredential, 5, 20),
         "GET /direct_messages.xml?since_id=5&count=20", kCredential},
        {"direct messages without since", HostKind::Main,
         timeline(GetUserDirectMessage, kCredential, -1, 20), "GET /direct_messages.xml?count=20",
         kCredential},
        {"list statuses since 9", HostKind::Versioned, list(kCredential, 9),
         "GET /1/bob/lists/friends/statuses.xml?since_id=9&per_page=200", kCredential},
        {"list statuses without since", HostKind::Versioned, list(kCredential, -1),
         "GET /1/bob/lists/friends/statuses.xml?per_page=200", kCredential},
        {"search", HostKind::Search,
         [](const Service& service) {
             std::vector<ContributionPtr> out;
             EXPECT_TRUE(GetSearchTimeLine(service, out, "%E3%81%82%20b", 100, 1));
         },
         "GET /search.atom?q=%E3%81%82%20b&rpp=100&page=1", std::nullopt},
        {"own lists", HostKind::Versioned,
         [](const Service& service) { GetUserLists(service, kCredential); },
         "GET /1/user/lists.xml", kCredential},
        {"list subscriptions", HostKind::Versioned,
         [](const Service& service) { GetUserListSubscriptions(service, kCredential); },
         "GET /1/user/lists/subscriptions.xml", kCredential},
        {"saved searches", HostKind::Main,
         [](const Service& service) { GetUserSavedSearches(service, kCredential); },
         "GET /saved_searches.xml", kCredential},
        {"post a reply", HostKind::Main, post(kCredential, "hello world", 5),
         "POST /statuses/update.xml?status=hello%20world&in_reply_to_status_id=5", kCredential},
        {"post a new status", HostKind::Main, post(kCredential, "hello world", -1),
         "POST /statuses/update.xml?status=hello%20world", kCredential},
        {"post an empty reply to 0", HostKind::Main, post(kCredential, "", 0),
         "POST /statuses/update.xml?status=&in_reply_to_status_id=0", kCredential},
        {"post with an empty credential", HostKind::Main, post("", "a&b=#", -1),
         "POST /statuses/update.xml?status=a%26b%3D%23", ""},
        {"post a text that would end its parameter", HostKind::Main,
         post(kCredential, "C++ & #tag&in_reply_to_status_id=5;x", -1),
         "POST /statuses/update.xml?status=C%2B%2B%20%26%20%23tag%26in_reply_to_status_id%3D5%3Bx",
         kCredential},
        {"post a text with a percent and a line break", HostKind::Main,
         post(kCredential, "100% sure\r\nHOST: x", 7),
         "POST /statuses/update.xml?status=100%25%20sure%0D%0AHOST:%20x&in_reply_to_status_id=7",
         kCredential},
        {"search for a hash tag", HostKind::Search,
         [](const Service& service) {
             std::vector<ContributionPtr> out;
             EXPECT_TRUE(GetSearchTimeLine(service, out, UriEncode("C++ & #tag"), 100, 1));
         },
         "GET /search.atom?q=C%2B%2B%20%26%20%23tag&rpp=100&page=1", std::nullopt},
        {"list names that would split the request", HostKind::Versioned,
         [](const Service& service) {
             std::vector<ContributionPtr> out;
             EXPECT_TRUE(GetListTimeLine(service, out, "b ob/..", "x\r\nX-Injected: 1?#%",
                                         kCredential, -1, 200));
         },
         "GET /1/b%20ob%2F../lists/x%0D%0AX-Injected:%201%3F%23%25/statuses.xml?per_page=200",
         kCredential},
        {"list names of letters, digits and marks", HostKind::Versioned,
         [](const Service& service) {
             std::vector<ContributionPtr> out;
             EXPECT_TRUE(GetListTimeLine(service, out, "Bob_9", "my-list.2", kCredential, 3, 200));
         },
         "GET /1/Bob_9/lists/my-list.2/statuses.xml?since_id=3&per_page=200", kCredential},
        {"own lists of an account name with a slash", HostKind::Versioned,
         [](const Service& service) { GetUserLists(service, kOddAccount); },
         "GET /1/a%2Fb%3Fc%20d/lists.xml", kOddAccount},
        {"create favourite", HostKind::Versioned,
         [](const Service& service) { EXPECT_TRUE(CreateFavorite(service, kCredential, 12345)); },
         "POST /1/favorites/create/12345.xml", kCredential},
        {"destroy favourite", HostKind::Versioned,
         [largest](const Service& service) {
             EXPECT_TRUE(DestroyFavorite(service, kCredential, largest));
         },
         "POST /1/favorites/destroy/9223372036854775807.xml", kCredential},
        {"repeat", HostKind::Versioned,
         [](const Service& service) { EXPECT_TRUE(Retweet(service, kCredential, 12345)); },
         "POST /statuses/retweet/12345.xml", kCredential},
        {"direct message", HostKind::Main,
         [](const Service& service) {
             EXPECT_TRUE(NewDirectMessage(service, kCredential, "bob", "hello world"));
         },
         "POST /direct_messages/new.xml?screen_name=bob&text=hello%20world", kCredential},
        {"direct message whose name and text would end their parameters", HostKind::Main,
         [](const Service& service) {
             EXPECT_TRUE(NewDirectMessage(service, kCredential, "b&text=x", "100% sure\r\n#1"));
         },
         "POST /direct_messages/new.xml?screen_name=b%26text%3Dx&text=100%25%20sure%0D%0A%231",
         kCredential},
        {"destroy status", HostKind::Main,
         [largest](const Service& service) {
             EXPECT_TRUE(DestroyStatus(service, kCredential, largest));
         },
         "POST /statuses/destroy/9223372036854775807.xml", kCredential},
        {"show status", HostKind::Main,
         [](const Service& service) {
             ContributionPtr status;
             std::string failure;
             EXPECT_FALSE(GetStatus(service, kCredential, 12345, status, &failure));
             EXPECT_EQ(failure, "The answer holds no status");
         },
         "GET /statuses/show/12345.xml", kCredential},
    };
}

TEST(Requests, SendExactlyTheirRequestBytesToTheirHost) {
    for (const auto& c : RequestCases()) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener;
        listener.Serve(ResponseWith(std::string(kDeclaration) + "<ok/>\n"));
        RecordingSink sink;
        c.call(ServiceFor(listener, c.host, sink));
        std::string expected = c.requestLine + " HTTP/1.0\r\nHOST: " + listener.Address() + "\r\n";
        if (c.credential) {
            expected += "Authorization: Basic " + *c.credential + "\r\n";
        }
        expected += "\r\n";
        EXPECT_EQ(listener.Received(), expected);
        EXPECT_TRUE(sink.lines.empty());
    }
}

TEST(Requests, AnEmptyCredentialKeepsListAndFavouriteRequestsOffTheNetwork) {
    LoopbackListener listener;
    RecordingSink sink;
    Service service = ServiceFor(listener, HostKind::Main, sink);
    service.hosts.versioned = listener.Address();
    EXPECT_TRUE(GetUserLists(service, "").empty());
    EXPECT_TRUE(GetUserListSubscriptions(service, "").empty());
    EXPECT_TRUE(GetUserSavedSearches(service, "").empty());
    std::string failure;
    EXPECT_FALSE(CreateFavorite(service, "", 1, &failure));
    EXPECT_EQ(failure, "No account name and password are set");
    EXPECT_FALSE(DestroyFavorite(service, "", 1));
    EXPECT_FALSE(Retweet(service, "", 1, &failure));
    EXPECT_FALSE(NewDirectMessage(service, "", "bob", "hi", &failure));
    EXPECT_FALSE(DestroyStatus(service, "", 1, &failure));
    EXPECT_EQ(failure, "No account name and password are set");
    EXPECT_FALSE(listener.HasWaitingConnection());
    EXPECT_TRUE(sink.lines.empty());
}

struct FailureCase {
    const char* name;
    HostKind host;
    // True when the failure value came back; why goes to failure.
    std::function<bool(const Service&, RequestFailure*)> callFails;
    std::optional<std::string> requestLine;
};

std::vector<FailureCase> FailureCases() {
    const auto timeline = [](auto request) {
        return [=](const Service& service, RequestFailure* failure) {
            std::vector<ContributionPtr> out = Sentinel();
            return !request(service, out, kCredential, -1, 200, failure) && out.empty();
        };
    };
    const auto choices = [](auto request) {
        return [=](const Service& service, RequestFailure* failure) {
            return request(service, kCredential, failure).empty();
        };
    };
    return {
        {"home timeline", HostKind::Main, timeline(GetUserPrivateTimeLine),
         "GetUserPrivateTimeLine XML PARSE ERROR!!"},
        {"mentions", HostKind::Main, timeline(GetUserMentions),
         "GetUserMentions XML PARSE ERROR!!"},
        {"direct messages", HostKind::Main, timeline(GetUserDirectMessage),
         "GetUserDirectMessage XML PARSE ERROR!!"},
        {"list statuses", HostKind::Versioned,
         [](const Service& service, RequestFailure* failure) {
             std::vector<ContributionPtr> out = Sentinel();
             return !GetListTimeLine(service, out, "bob", "friends", kCredential, -1, 200,
                                     failure) &&
                    out.empty();
         },
         "GetListTimeLine XML PARSE ERROR!!"},
        {"search", HostKind::Search,
         [](const Service& service, RequestFailure* failure) {
             std::vector<ContributionPtr> out = Sentinel();
             return !GetSearchTimeLine(service, out, "q", 100, 1, failure) && out.empty();
         },
         "GetSearchTimeLine XML PARSE ERROR!!"},
        {"own lists", HostKind::Versioned, choices(GetUserLists), "GetUserLists XML PARSE ERROR!!"},
        {"list subscriptions", HostKind::Versioned, choices(GetUserListSubscriptions),
         "GetUserLists XML PARSE ERROR!!"},
        {"saved searches", HostKind::Main, choices(GetUserSavedSearches),
         "GetUserLists XML PARSE ERROR!!"},
        {"post", HostKind::Main,
         [](const Service& service, RequestFailure* failure) {
             return !Post(service, kCredential, "x", -1, failure);
         },
         "Post XML PARSE ERROR!!"},
        {"create favourite", HostKind::Versioned,
         [](const Service& service, RequestFailure* failure) {
             return !CreateFavorite(service, kCredential, 1, failure);
         },
         std::nullopt},
        {"destroy favourite", HostKind::Versioned,
         [](const Service& service, RequestFailure* failure) {
             return !DestroyFavorite(service, kCredential, 1, failure);
         },
         std::nullopt},
        {"repeat", HostKind::Versioned,
         [](const Service& service, RequestFailure* failure) {
             return !Retweet(service, kCredential, 1, failure);
         },
         std::nullopt},
        {"direct message", HostKind::Main,
         [](const Service& service, RequestFailure* failure) {
             return !NewDirectMessage(service, kCredential, "bob", "x", failure);
         },
         std::nullopt},
        {"destroy status", HostKind::Main,
         [](const Service& service, RequestFailure* failure) {
             return !DestroyStatus(service, kCredential, 1, failure);
         },
         std::nullopt},
        {"show status", HostKind::Main,
         [](const Service& service, RequestFailure* failure) {
             ContributionPtr status;
             return !GetStatus(service, kCredential, 1, status, failure) && !status;
         },
         "GetStatus XML PARSE ERROR!!"},
    };
}

TEST(Requests, AMalformedAnswerGivesTheDiagnosticAndTheFailureValue) {
    for (const auto& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener;
        listener.Serve("HTTP/1.0 200 OK\r\n\r\n<!DOCTYPE html>\r\n<html>\r\n<body>Hi</body>\r\n");
        RecordingSink sink;
        RequestFailure failure{FailureKind::Refused, "stale"};
        EXPECT_TRUE(c.callFails(ServiceFor(listener, c.host, sink), &failure));
        std::vector<std::string> expected;
        if (c.requestLine) {
            expected.push_back(*c.requestLine);
        }
        expected.emplace_back("no element found at line 4, column 1");
        EXPECT_EQ(sink.lines, expected);
        EXPECT_EQ(failure.message,
                  "The service's answer is not a well-formed document: no element found at line 4, "
                  "column 1");
        EXPECT_EQ(failure.kind, FailureKind::NotADocument);
    }
}

TEST(Requests, AnErrorStatusIsAFailureCarryingTheServicesMessage) {
    struct Answer {
        const char* name;
        std::string response;
        std::string failure;
        FailureKind kind = FailureKind::Refused;
    };
    const Answer answers[] = {
        {"401 with an error document", kUnauthorized, "Could not authenticate you.",
         FailureKind::CredentialRefused},
        {"401 without a document", "HTTP/1.0 401 Unauthorized\r\n\r\n", "HTTP/1.0 401 Unauthorized",
         FailureKind::CredentialRefused},
        {"403 with an error document, request first",
         "HTTP/1.1 403 Forbidden\r\n\r\n" + std::string(kDeclaration) +
             "<hash>\n<request>/x</request>\n<error>Status is a duplicate.</error>\n</hash>\n",
         "Status is a duplicate."},
        {"404 with an error document of two lines",
         "HTTP/1.0 404 Not Found\r\n\r\n" + std::string(kDeclaration) +
             "<hash><error>No such\r\nlist</error></hash>\n",
         "No such list"},
        {"500 without a document", "HTTP/1.0 500 Internal Server Error\r\n\r\n",
         "HTTP/1.0 500 Internal Server Error"},
        {"502 with an HTML page", kErrorPage, "HTTP/1.0 502 Bad Gateway"},
        {"503 with a document without an error element",
         "HTTP/1.1 503 Service Unavailable\r\n\r\n" + std::string(kDeclaration) + "<hash/>\n",
         "HTTP/1.1 503 Service Unavailable"},
    };
    for (const auto& c : FailureCases()) {
        for (const auto& answer : answers) {
            SCOPED_TRACE(std::string(c.name) + ", " + answer.name);
            LoopbackListener listener;
            listener.Serve(answer.response);
            RecordingSink sink;
            RequestFailure failure;
            EXPECT_TRUE(c.callFails(ServiceFor(listener, c.host, sink), &failure));
            EXPECT_EQ(failure.message, answer.failure);
            EXPECT_EQ(failure.kind, answer.kind);
            EXPECT_TRUE(sink.lines.empty());
        }
    }
}

TEST(Requests, OtherStatusesAreNotRefusals) {
    for (const char* status : {"HTTP/1.0 200 OK", "HTTP/1.1 304 Not Modified", "HTTP/1.0 399 X",
                               "HTTP/1.0 600 X", "HTTP/1.0 4000 X", "ICY 404 X"}) {
        SCOPED_TRACE(status);
        LoopbackListener listener;
        listener.Serve(std::string(status) + "\r\n\r\n" + kDeclaration + "<hash/>\n");
        RecordingSink sink;
        std::string failure = "stale";
        EXPECT_TRUE(
            Post(ServiceFor(listener, HostKind::Main, sink), kCredential, "x", -1, &failure));
        EXPECT_EQ(failure, "");
    }
}

TEST(Requests, AnAnswerEndingAfterItsHeaderIsMalformed) {
    LoopbackListener listener;
    listener.Serve("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    RecordingSink sink;
    std::vector<ContributionPtr> out = Sentinel();
    EXPECT_FALSE(
        GetUserMentions(ServiceFor(listener, HostKind::Main, sink), out, kCredential, -1, 200));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"GetUserMentions XML PARSE ERROR!!",
                                                    "no element found at line 2, column 1"}));
}

TEST(Requests, TimelinesComeBackOldestFirst) {
    LoopbackListener listener;
    listener.Serve(ResponseWith(std::string(kDeclaration) + "<statuses type=\"array\">\n"
                                                            "<status><id>30</id></status>\n"
                                                            "<status><id>20</id></status>\n"
                                                            "<status><id>10</id></status>\n"
                                                            "</statuses>\n"));
    RecordingSink sink;
    std::vector<ContributionPtr> out;
    ASSERT_TRUE(GetUserPrivateTimeLine(ServiceFor(listener, HostKind::Main, sink), out, kCredential,
                                       -1, 200));
    ASSERT_EQ(out.size(), 3U);
    EXPECT_EQ(out[0]->mId, 10);
    EXPECT_EQ(out[1]->mId, 20);
    EXPECT_EQ(out[2]->mId, 30);
}

TEST(Requests, ListChoicesKeepDocumentOrder) {
    LoopbackListener listener;
    listener.Serve(ResponseWith(std::string(kDeclaration) +
                                "<saved_searches type=\"array\">\n"
                                "<saved_search><name>b</name></saved_search>\n"
                                "<saved_search><name>a</name></saved_search>\n"
                                "</saved_searches>\n"));
    RecordingSink sink;
    EXPECT_EQ(GetUserSavedSearches(ServiceFor(listener, HostKind::Main, sink), kCredential),
              (std::vector<std::string>{"b", "a"}));
}

TEST(Requests, OnePoisonedStatusDoesNotHideThePage) {
    LoopbackListener listener;
    listener.Serve(ResponseWith(std::string(kDeclaration) +
                                "<statuses type=\"array\">\n<status><id>3</id></status>\n"
                                "<status><id>2</id><text>&amp;#0;</text></status>\n"
                                "<status><id>1</id></status>\n</statuses>\n"));
    RecordingSink sink;
    std::vector<ContributionPtr> out;
    std::string failure;
    EXPECT_TRUE(GetUserMentions(ServiceFor(listener, HostKind::Main, sink), out, kCredential, -1,
                                200, &failure));
    ASSERT_EQ(out.size(), 2U);
    EXPECT_EQ(out[0]->mId, 1);
    EXPECT_EQ(out[1]->mId, 3);  // the since id moves past the poisoned status
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Skipped status 2: Enforcement failed"});
    EXPECT_EQ(failure, "");
}

// A status whose text holds line breaks in a row, as any poster can send, leaves the page whole:
// the body runs to the end of the stream, whatever the line ends.
TEST(Requests, BlankLinesInAStatusDoNotCutThePage) {
    struct Case {
        const char* name;
        HostKind host;
        std::function<bool(const Service&, std::vector<ContributionPtr>&)> call;
    };
    const Case cases[] = {
        {"mentions", HostKind::Main,
         [](const Service& service, std::vector<ContributionPtr>& out) {
             return GetUserMentions(service, out, kCredential, -1, 200);
         }},
        {"list", HostKind::Versioned,
         [](const Service& service, std::vector<ContributionPtr>& out) {
             return GetListTimeLine(service, out, "bob", "friends", kCredential, -1, 200);
         }},
    };
    for (const Case& c : cases) {
        for (const std::string e : {"\n", "\r\n"}) {
            SCOPED_TRACE(std::string(c.name) + (e == "\n" ? ", LF" : ", CR LF"));
            LoopbackListener listener;
            listener.Serve(ResponseWith(
                std::string(kDeclaration) + "<statuses type=\"array\">" + e +
                "<status><id>3</id><text>first" + e + e + e + e + "last</text></status>" + e +
                "<status><id>2</id><text>plain</text></status>" + e + "</statuses>" + e));
            RecordingSink sink;
            std::vector<ContributionPtr> out;
            EXPECT_TRUE(c.call(ServiceFor(listener, c.host, sink), out));
            ASSERT_EQ(out.size(), 2U);
            EXPECT_EQ(out[0]->mText, "plain");
            EXPECT_EQ(out[1]->mText, "first\n\n\n\nlast");
            EXPECT_TRUE(sink.lines.empty()) << sink.lines.front();
        }
    }
}

TEST(Requests, ABadContentLengthReachesTheCaller) {
    LoopbackListener listener;
    listener.Serve("HTTP/1.0 200 OK\r\nContent-Length: 4294967296\r\n\r\n" +
                   std::string(kDeclaration) + "<hash/>\n");
    RecordingSink sink;
    try {
        Post(ServiceFor(listener, HostKind::Main, sink), kCredential, "x", -1);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Overflow in integral conversion");
    }
    EXPECT_TRUE(sink.lines.empty());
}

}  // namespace
