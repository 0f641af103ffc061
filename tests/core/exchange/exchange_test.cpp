#include "twitter_api/exchange/exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "exchange/loopback.h"
#include "exchange/overtransport.h"

namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::OverTransport;
using testing_support::RecordingSink;
using testing_support::ResponseWith;
using testing_support::ServiceFor;
using testing_support::TextSource;
using testing_support::Transport;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

Response ReadInPieces(const std::string& raw, size_t piece) {
    TextSource source(raw, piece);
    return ReadResponse(source);
}

struct BodyCase {
    const char* name;
    std::string raw;
    std::string body;
};

TEST(ReadResponse, CutsTheBodyFromTheLines) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 99\r\n\r\n";
    const std::string declaration = std::string(kDeclaration) + "\r\n";
    const BodyCase cases[] = {
        {"declaration line dropped", head + declaration + "<statuses>\r\n</statuses>\r\n",
         "<statuses>\n</statuses>\n"},
        {"blank line inside the body", head + declaration + "<a>\n\n<b/>\n</a>\n",
         "<a>\n\n<b/>\n</a>\n"},
        {"blank lines in a row are content", head + declaration + "<a>\n\n\n<b/>\n</a>\n",
         "<a>\n\n\n<b/>\n</a>\n"},
        {"CR LF blank lines in a row are content",
         head + declaration + "<a>\r\n\r\n\r\n\r\n<b/>\r\n</a>\r\n", "<a>\n\n\n\n<b/>\n</a>\n"},
        {"a blank line at the end stays", head + declaration + "<a/>\n\n", "<a/>\n\n"},
        {"blanks are not empty", head + declaration + "<a>\n  \n</a>", "<a>\n  \n</a>\n"},
        {"lone CR ends lines", "HTTP/1.0 200 OK\rX: y\r\r" + declaration + "<a>\r</a>\r",
         "<a>\n</a>\n"},
        {"CR then CR LF is two line ends", head + declaration + "<a>\r\r\n</a>", "<a>\n\n</a>\n"},
        {"lone CRs in a row are blank lines", head + declaration + "<a>\r\r\r</a>\n",
         "<a>\n\n\n</a>\n"},
        {"LF only", "HTTP/1.0 200 OK\nX: y\n\n" + declaration + "<a/>\n", "<a/>\n"},
        {"response ends after the header", "HTTP/1.0 401 Unauthorized\r\n\r\n", ""},
        {"whole document on one line", head + kDeclaration + "<hash/>", ""},
        {"stream ends inside the header", "HTTP/1.0 200 OK\r\nX: y", ""},
    };
    for (const auto& c : cases) {
        for (const size_t piece : {size_t{1}, size_t{2}, size_t{4096}}) {
            SCOPED_TRACE(std::string(c.name) + ", read " + std::to_string(piece) + " at a time");
            EXPECT_EQ(ReadInPieces(c.raw, piece).body, c.body);
        }
    }
}

TEST(ReadResponse, HeaderTextIsTheHeaderLinesRunTogether) {
    const Response response = ReadInPieces(
        "HTTP/1.0 200 OK\r\nContent-Length: 7\r\nServer: x\r\n\r\n<?xml?>\n<a/>\n", 4096);
    EXPECT_EQ(response.header, "HTTP/1.0 200 OKContent-Length: 7Server: x");
}

TEST(ReadResponse, KeepsTheStatusLine) {
    EXPECT_EQ(ReadInPieces("HTTP/1.1 404 Not Found\r\nX: y\r\n\r\n", 3).statusLine,
              "HTTP/1.1 404 Not Found");
}

TEST(ReadResponse, ContentLengthMustBeA32BitNumberButDoesNotBoundTheBody) {
    struct Case {
        const char* header;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"Content-Length: 3", nullptr},
        {"Content-Length: -12", nullptr},
        {"content-length:12", nullptr},
        {"CONTENT-LENGTH: \t 12", nullptr},
        {"X-Content-Length: 5x", nullptr},  // known by its name, not found anywhere in a line
        {"Set-Cookie: a=Content-Length: 5x", nullptr},
        {"Content-Length: abc", "Can't convert value `abc' of type const(char)[] to type int"},
        {"content-Length: 1Content-Length: 2",
         "Can't convert value `1Content-Length: 2' of type const(char)[] to type int"},
        {"Content-Length: ", "Can't convert value `' of type const(char)[] to type int"},
        {"Content-Length: 2147483648", "Overflow in integral conversion"},
        {"Content-Length: 99999999999", "Overflow in integral conversion"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        const std::string raw = std::string("HTTP/1.0 200 OK\r\n") + c.header + "\r\n\r\n" +
                                kDeclaration + "\r\n<statuses>\r\n</statuses>\r\n";
        if (c.message == nullptr) {
            EXPECT_EQ(ReadInPieces(raw, 4096).body, "<statuses>\n</statuses>\n");
            continue;
        }
        try {
            ReadInPieces(raw, 4096);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(FormatPath, SubstitutesPlaceholdersInOrder) {
    EXPECT_EQ(FormatPath("/statuses/home_timeline.xml?since_id=%d&count=%d",
                         {int64_t{9'223'372'036'854'775'807}, int32_t{200}}),
              "/statuses/home_timeline.xml?since_id=9223372036854775807&count=200");
    EXPECT_EQ(FormatPath("/1/%s/lists/%s/statuses.xml?per_page=%d", {"bob", "a%20b", -5}),
              "/1/bob/lists/a%20b/statuses.xml?per_page=-5");
    EXPECT_EQ(FormatPath("/saved_searches.xml", {}), "/saved_searches.xml");
}

TEST(FormatPath, MismatchedArgumentsAreProgrammingErrors) {
    EXPECT_THROW(FormatPath("/x/%d", {"text"}), AssertionError);
    EXPECT_THROW(FormatPath("/x/%s", {5}), AssertionError);
    EXPECT_THROW(FormatPath("/x/%d/%d", {5}), AssertionError);
    EXPECT_THROW(FormatPath("/x", {5}), AssertionError);
    EXPECT_THROW(FormatPath("/x/%u", {5}), AssertionError);
}

TEST(HostAddress, NameAloneMeansPort80) {
    const HostAddress plain = ParseHostAddress("twitter.com");
    EXPECT_EQ(plain.name, "twitter.com");
    EXPECT_EQ(plain.port, 80);
    const HostAddress withPort = ParseHostAddress("127.0.0.1:65535");
    EXPECT_EQ(withPort.name, "127.0.0.1");
    EXPECT_EQ(withPort.port, 65535);
}

TEST(HostAddress, ASchemeChoosesTlsAndItsPortAndStaysOutOfTheHostLine) {
    struct Case {
        const char* host;
        const char* name;
        uint16_t port;
        bool tls;
        const char* authority;
    };
    const Case cases[] = {
        {"https://example.org", "example.org", 443, true, "example.org"},
        {"https://example.org:8443", "example.org", 8443, true, "example.org:8443"},
        {"HTTPS://Example.org", "Example.org", 443, true, "Example.org"},
        {"http://example.org", "example.org", 80, false, "example.org"},
        {"http://example.org:8080", "example.org", 8080, false, "example.org:8080"},
        {"example.org:8080", "example.org", 8080, false, "example.org:8080"},
        {"example.org", "example.org", 80, false, "example.org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        const HostAddress address = ParseHostAddress(c.host);
        EXPECT_EQ(address.name, c.name);
        EXPECT_EQ(address.port, c.port);
        EXPECT_EQ(address.tls, c.tls);
        EXPECT_EQ(address.authority, c.authority);
    }
}

TEST(HostAddress, OnlyHttpAndHttpsAreSchemes) {
    for (const char* host : {"ftp://example.org", "://example.org", "httpss://a:1"}) {
        SCOPED_TRACE(host);
        try {
            ParseHostAddress(host);
            ADD_FAILURE() << "no exception";
        } catch (const platform::NetworkError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Unknown scheme in host '") + host + "'");
        }
    }
}

TEST(HostAddress, BadPortsAreNetworkErrors) {
    for (const char* host : {"a:", "a:0", "a:65536", "a:8o", "a:-1", "a:000000080", "a:80\r\n",
                             "https://a:", "https://a:0"}) {
        SCOPED_TRACE(host);
        const std::string quoted = host == std::string("a:80\r\n") ? "a:80\\r\\n" : host;
        try {
            ParseHostAddress(host);
            ADD_FAILURE() << "no exception";
        } catch (const platform::NetworkError& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid port in host '" + quoted + "'");
        }
    }
}

class SendRequestOver : public OverTransport {};

INSTANTIATE_TEST_SUITE_P(Transports, SendRequestOver,
                         ::testing::Values(Transport::Plain, Transport::Tls),
                         testing_support::TransportName);

TEST_P(SendRequestOver, WritesTheRequestLineHostAndCredentialLines) {
    struct Case {
        const char* name;
        std::string_view method;
        Credential credential;
        std::string expectedAfterHost;
    };
    const Case cases[] = {
        {"with a credential", kGet, "dXNlcjpwYXNz", "Authorization: Basic dXNlcjpwYXNz\r\n\r\n"},
        {"with an empty credential", kPost, "", "Authorization: Basic \r\n\r\n"},
        {"without a credential", kGet, std::nullopt, "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener(Tls());
        listener.Serve(ResponseWith(std::string(kDeclaration) + "\n<ok/>\n"));
        RecordingSink sink;
        Service service = ServiceFor(listener, HostKind::Search, sink);
        service.hosts.caFile = CaFile();
        const std::string document =
            FetchDocument(service, c.method, HostKind::Search, "/p?q=1", c.credential).document;
        EXPECT_EQ(listener.Received(), std::string(c.method) + "/p?q=1 HTTP/1.0\r\nHOST: " +
                                           listener.Address() + "\r\n" + c.expectedAfterHost);
        EXPECT_EQ(document, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ok/>\n");
    }
}

TEST_P(SendRequestOver, NoCredentialMeansExactlyThreeLineEnds) {
    LoopbackListener listener(Tls());
    listener.Serve(ResponseWith("<?xml?>\n<ok/>\n"));
    RecordingSink sink;
    FetchDocument(ServiceOn(listener, sink), kGet, HostKind::Main, "/", std::nullopt);
    const std::string received = listener.Received();
    size_t pairs = 0;
    for (size_t at = received.find("\r\n"); at != std::string::npos;
         at = received.find("\r\n", at + 2)) {
        ++pairs;
    }
    EXPECT_EQ(pairs, 3U);
    EXPECT_EQ(received.find("Authorization"), std::string::npos);
}

void ExpectNetworkError(const Service& service, HostKind host, const std::string& message) {
    try {
        FetchDocument(service, kGet, host, "/", std::nullopt);
        ADD_FAILURE() << "no exception";
    } catch (const platform::NetworkError& e) {
        EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message);
    }
}

TEST(SendRequest, NetworkFailuresAreNetworkErrors) {
    Service service;
    service.hosts = {"127.0.0.1:1", "no-such-host.invalid", "127.0.0.1:x"};
    ExpectNetworkError(service, HostKind::Main, "Cannot connect to '127.0.0.1:1': ");
    ExpectNetworkError(service, HostKind::Versioned,
                       "Cannot resolve host 'no-such-host.invalid': ");
    ExpectNetworkError(service, HostKind::Search, "Invalid port in host '127.0.0.1:x'");
}

TEST(SendRequest, ASilentPeerTimesOut) {
    LoopbackListener listener;  // accepts into its backlog and never answers
    RecordingSink sink;
    const Service service =
        ServiceFor(listener, HostKind::Main, sink, std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    ExpectNetworkError(service, HostKind::Main, "Timed out reading from '127.0.0.1'");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(150));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
}

TEST(ReportMalformed, WritesTheRequestLineThenTheFailure) {
    RecordingSink sink;
    Service service;
    service.diagnostics = &sink;
    ReportMalformed(service, "Post XML PARSE ERROR!!", "no element found");
    ReportMalformed(service, std::nullopt, "unclosed token");
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"Post XML PARSE ERROR!!", "no element found",
                                                    "unclosed token"}));
}

}  // namespace
