#include "twitter_api/exchange/redirect.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "exchange/loopback.h"
#include "testauthority.h"
#include "tlsserverend.h"
#include "twitter_api/exchange/exchange.h"

// Redirects: a plain-HTTP host sent to itself over https is followed once; everything else is
// refused, and the credential never reaches the place it pointed to.
namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::RecordingSink;
using testing_support::ResponseWith;

const std::string kDocument = "<?xml version=\"1.0\"?>\n<statuses type=\"array\">\n</statuses>\n";
constexpr const char* kPath = "/statuses/home_timeline.xml?count=200";

std::string PortOf(const LoopbackListener& listener) {
    return listener.Address().substr(listener.Address().find(':') + 1);
}

// The three servers of a case: a plain one, a TLS one for 127.0.0.1, and another TLS one that no
// request may reach.
struct Servers {
    const LoopbackListener& plain;
    const LoopbackListener& secure;
    const LoopbackListener& elsewhere;
};

struct RedirectCase {
    const char* name;
    bool startSecure;  // the host setting names the TLS server
    std::string status;
    std::function<std::string(const Servers&)> location;
    // What the TLS server answers when the plain one sends the request there; nothing when it must
    // not be reached.
    std::function<std::optional<std::string>(const Servers&)> secureAnswer;
    bool refused;
};

std::string Redirect(const std::string& status, const std::string& location) {
    return status + "\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

std::vector<RedirectCase> Cases() {
    const auto secureSamePath = [](const Servers& s) {
        return "https://127.0.0.1:" + PortOf(s.secure) + kPath;
    };
    const auto document = [](const Servers&) -> std::optional<std::string> {
        return ResponseWith(kDocument);
    };
    const auto unreached = [](const Servers&) -> std::optional<std::string> {
        return std::nullopt;
    };
    std::vector<RedirectCase> cases;
    for (const char* status :
         {"HTTP/1.1 301 Moved Permanently", "HTTP/1.1 302 Found", "HTTP/1.1 303 See Other",
          "HTTP/1.1 307 Temporary Redirect", "HTTP/1.1 308 Permanent Redirect"}) {
        cases.push_back({status, false, status, secureSamePath, document, false});
    }
    const auto to = [](std::string location) {
        return [location](const Servers& s) {
            std::string text = location;
            const auto port = text.find("ELSEWHERE");
            return port == std::string::npos ? text : text.replace(port, 9, PortOf(s.elsewhere));
        };
    };
    const std::string moved = "HTTP/1.1 301 Moved Permanently";
    cases.push_back({"another host", false, moved,
                     to(std::string("https://localhost:ELSEWHERE") + kPath), unreached, true});
    cases.push_back({"another path", false, moved,
                     to("https://127.0.0.1:ELSEWHERE/statuses/public_timeline.xml"), unreached,
                     true});
    cases.push_back({"the same host over plain HTTP", false, moved,
                     to(std::string("http://127.0.0.1:ELSEWHERE") + kPath), unreached, true});
    cases.push_back({"a path alone over plain HTTP", false, moved, to(kPath), unreached, true});
    cases.push_back({"a user in the location", false, moved,
                     to(std::string("https://user@127.0.0.1:ELSEWHERE") + kPath), unreached, true});
    cases.push_back({"https to http", true, moved,
                     to(std::string("http://127.0.0.1:ELSEWHERE") + kPath), unreached, true});
    cases.push_back({"a loop: followed once, then refused", false, moved, secureSamePath,
                     [](const Servers& s) -> std::optional<std::string> {
                         return Redirect("HTTP/1.1 301 Moved Permanently",
                                         "https://127.0.0.1:" + PortOf(s.elsewhere) + kPath);
                     },
                     true});
    return cases;
}

TEST(Redirect, OnlyTheSameHostOverHttpsIsFollowedAndOnlyOnce) {
    const testing_tls::TestAuthority authority;
    const testing_tls::TlsServerContext context(
        authority.Issue({.commonName = "127.0.0.1", .alternativeNames = "IP:127.0.0.1"}));
    for (const RedirectCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        LoopbackListener plain;
        LoopbackListener secure(&context);
        LoopbackListener elsewhere(&context);  // only listens
        const Servers servers{plain, secure, elsewhere};
        const std::string location = c.location(servers);
        const std::optional<std::string> secureAnswer = c.secureAnswer(servers);
        LoopbackListener& first = c.startSecure ? secure : plain;
        first.Serve(Redirect(c.status, location));
        if (!c.startSecure && secureAnswer) {
            secure.Serve(*secureAnswer);
        }
        RecordingSink sink;
        Service service;
        service.hosts = {first.HostSetting(), "127.0.0.1:1", "127.0.0.1:1", authority.CaFile()};
        service.diagnostics = &sink;
        service.timeout = std::chrono::seconds(2);
        std::optional<Fetched> fetched;
        std::string failure;
        try {
            fetched = FetchDocument(service, kPost, HostKind::Main, kPath, "Yzpk");
        } catch (const platform::NetworkError& e) {
            failure = e.what();
        }
        const std::string request = std::string("POST ") + kPath + " HTTP/1.0\r\nHOST: %s" +
                                    "\r\nAuthorization: Basic Yzpk\r\n\r\n";
        const auto requestTo = [&request](const LoopbackListener& listener) {
            std::string text = request;
            return text.replace(text.find("%s"), 2, listener.Address());
        };
        EXPECT_EQ(first.Received(), requestTo(first));
        if (!c.startSecure && secureAnswer) {
            EXPECT_EQ(secure.Received(), requestTo(secure)) << "same method, same credential";
        }
        EXPECT_FALSE(elsewhere.HasWaitingConnection()) << "the credential went elsewhere";
        EXPECT_FALSE(secure.HasWaitingConnection()) << "followed more than once";
        if (!c.refused) {
            ASSERT_TRUE(fetched) << failure;
            EXPECT_EQ(fetched->document,
                      std::string(XmlProlog) + "<statuses type=\"array\">\n</statuses>\n");
            continue;
        }
        EXPECT_FALSE(fetched);
        const std::string refusedLocation = c.startSecure || !secureAnswer
                                                ? location
                                                : "https://127.0.0.1:" + PortOf(elsewhere) + kPath;
        EXPECT_EQ(failure, RefusedRedirectMessage(refusedLocation));
    }
}

TEST(Redirect, TheRefusalNamesTheLocationAndTheRemedyOnOneLine) {
    EXPECT_EQ(RefusedRedirectMessage("https://www.example.org/statuses.xml"),
              "The service redirected the request to 'https://www.example.org/statuses.xml', "
              "which is followed only to the same host over https with the same path; if the "
              "service is there, put https:// in front of its host in setting/service.conf");
    const std::string hostile =
        RefusedRedirectMessage("https://a/\x1b[2J\x7f" + std::string(300, 'x'));
    EXPECT_NE(hostile.find("'https://a/\\x1b[2J\\x7f" + std::string(241, 'x') + "...'"),
              std::string::npos)
        << hostile;
}

TEST(Redirect, AnAnswerThatIsNoRedirectKeepsItsLocationToItself) {
    LoopbackListener plain;
    plain.Serve("HTTP/1.1 201 Created\r\nLocation: https://elsewhere.example/\r\n\r\n" + kDocument);
    RecordingSink sink;
    Service service;
    service.hosts = {plain.HostSetting(), "127.0.0.1:1", "127.0.0.1:1"};
    const Fetched fetched = FetchDocument(service, kGet, HostKind::Main, "/x", std::nullopt);
    EXPECT_EQ(fetched.statusLine, "HTTP/1.1 201 Created");
    EXPECT_EQ(fetched.document,
              std::string(XmlProlog) + "<statuses type=\"array\">\n</statuses>\n");
}

TEST(Redirect, RedirectStatusesAreTheFiveThatMoveARequest) {
    for (const char* line : {"HTTP/1.0 301 Moved", "HTTP/1.1 302", "HTTP/1.1 303 See Other",
                             "HTTP/1.1 307 x", "HTTP/2 308 y"}) {
        EXPECT_TRUE(IsRedirectStatus(line)) << line;
    }
    for (const char* line : {"HTTP/1.1 300 Multiple", "HTTP/1.1 304 Not Modified",
                             "HTTP/1.1 3070 x", "HTTP/1.1 200 OK", "XTTP/1.1 301 x", ""}) {
        EXPECT_FALSE(IsRedirectStatus(line)) << line;
    }
}

TEST(Redirect, TheTargetKeepsThePortAndNameAsTheLocationWritesThem) {
    const HostAddress plain = ParseHostAddress("Service.Example");
    const auto target = UpgradeTarget(plain, "/a?b=1", "HTTPS://service.example:8443/a?b=1");
    ASSERT_TRUE(target);
    EXPECT_TRUE(target->tls);
    EXPECT_EQ(target->name, "service.example");
    EXPECT_EQ(target->port, 8443);
    EXPECT_EQ(target->authority, "service.example:8443");
    const auto defaultPort = UpgradeTarget(plain, "/", "https://service.example");
    ASSERT_TRUE(defaultPort);
    EXPECT_EQ(defaultPort->port, 443);
    EXPECT_FALSE(UpgradeTarget(plain, "/", "https://service.example:0/"));
    EXPECT_FALSE(UpgradeTarget(plain, "/", "//service.example/"));
    const HostAddress secure = ParseHostAddress("https://service.example");
    EXPECT_TRUE(UpgradeTarget(secure, "/a", "/a"));
    EXPECT_FALSE(UpgradeTarget(secure, "/a", "/b"));
}

}  // namespace
