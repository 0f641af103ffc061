#include <openssl/tls1.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "exchange/loopback.h"
#include "platform/tls.h"
#include "testauthority.h"
#include "tlsserverend.h"
#include "twitter_api/exchange/exchange.h"

// An https host under the exchange: what a certificate must be to be trusted, and how each way of
// failing is told, against loopback servers whose certificates are made as the test starts.
namespace {

using namespace twitter_api;
using testing_support::LoopbackListener;
using testing_support::Peer;
using testing_support::RecordingSink;
using testing_support::ResponseWith;
using testing_tls::CertificateFields;
using testing_tls::TestAuthority;
using testing_tls::TlsServerContext;

using Clock = std::chrono::steady_clock;

const std::string kDocument = "<?xml version=\"1.0\"?>\n<statuses type=\"array\">\n</statuses>\n";

// The whole first flight of the client, so that the script answers a handshake under way.
void ReadClientHello(Peer& connection) {
    char buffer[4096];
    connection.Receive(buffer, sizeof buffer);
}

// The server of a case: a TLS server with a certificate, or a plain script on the port the client
// takes for TLS.
struct TlsServer {
    std::optional<CertificateFields> certificate;
    bool signedByTrustedCa = true;
    int newestVersion = 0;
    std::function<void(Peer&)> plainScript = {};
};

struct TlsCase {
    const char* name;
    std::string host;  // the name the client is given, before ":PORT"
    TlsServer server;
    std::string failure;          // the message, or how it starts; empty when the fetch succeeds
    std::string failureEnd = "";  // how the message ends, when it holds a date
};

std::vector<TlsCase> Cases() {
    const CertificateFields forLocalhost;
    CertificateFields expired;
    expired.validFrom = -std::chrono::hours(48);
    expired.validUntil = -std::chrono::hours(1);
    CertificateFields notYetValid;
    notYetValid.validFrom = std::chrono::hours(1);
    CertificateFields elsewhere;
    elsewhere.commonName = "service.example";
    elsewhere.alternativeNames = "DNS:service.example,DNS:*.service.example";
    CertificateFields withAddress;
    withAddress.alternativeNames = "DNS:localhost,IP:127.0.0.1";
    CertificateFields commonNameOnly;
    commonNameOnly.commonName = "service.example";
    commonNameOnly.alternativeNames = "";
    return {
        {"trusted through the CA file", "localhost", {forLocalhost}, ""},
        {"untrusted CA",
         "localhost",
         {forLocalhost, false},
         "The certificate of 'localhost' is not trusted: unable to get local issuer certificate "
         "(a server's own CA can be added as ca_file in setting/service.conf)"},
        {"wrong name",
         "localhost",
         {elsewhere},
         "The certificate of 'localhost' is for 'service.example, *.service.example', not "
         "'localhost'"},
        {"wrong name, common name only",
         "localhost",
         {commonNameOnly},
         "The certificate of 'localhost' is for 'service.example', not 'localhost'"},
        {"expired",
         "localhost",
         {expired},
         "The certificate of 'localhost' has expired: it was valid until ",
         " UTC"},
        {"not yet valid",
         "localhost",
         {notYetValid},
         "The certificate of 'localhost' is not valid yet: it is valid from ",
         " UTC"},
        {"address with an address entry", "127.0.0.1", {withAddress}, ""},
        {"address without an address entry",
         "127.0.0.1",
         {forLocalhost},
         "The certificate of '127.0.0.1' is for 'localhost', not '127.0.0.1'"},
        {"an old protocol only",
         "localhost",
         {forLocalhost, true, TLS1_1_VERSION},
         "'localhost' speaks only TLS versions older than 1.2"},
        {"plain HTTP on the TLS port",
         "localhost",
         {std::nullopt, true, 0,
          [](Peer& connection) {
              ReadClientHello(connection);
              connection.Send("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
              connection.EndOutput();
          }},
         "'localhost' does not speak TLS: its answer is not a TLS record"},
        {"closes mid-handshake",
         "localhost",
         {std::nullopt, true, 0,
          [](Peer& connection) {
              ReadClientHello(connection);
              connection.Send(std::string("\x16\x03\x03\x00\x40\x02", 6));
              connection.EndOutput();
          }},
         "'localhost' closed the connection during the TLS handshake"},
        {"stalls in the handshake",
         "localhost",
         {std::nullopt, true, 0,
          [](Peer& connection) {
              ReadClientHello(connection);
              ReadClientHello(connection);  // until the client gives up
          }},
         "Timed out in the TLS handshake with 'localhost'"},
    };
}

struct Outcome {
    std::optional<Fetched> fetched;
    std::string failure;
    Clock::duration took;
};

Outcome FetchFrom(const Service& service) {
    const auto start = Clock::now();
    Outcome outcome;
    try {
        outcome.fetched = FetchDocument(service, kGet, HostKind::Main, "/statuses.xml", "Yzpk");
    } catch (const platform::NetworkError& e) {
        outcome.failure = e.what();
    }
    outcome.took = Clock::now() - start;
    return outcome;
}

TEST(TlsExchange, EachCertificateAndServerFaultIsNamed) {
    const TestAuthority trusted;
    const TestAuthority stranger("Stranger CA");
    for (const TlsCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::optional<TlsServerContext> context;
        if (c.server.certificate) {
            const TestAuthority& issuer = c.server.signedByTrustedCa ? trusted : stranger;
            context.emplace(issuer.Issue(*c.server.certificate), c.server.newestVersion);
        }
        LoopbackListener listener(context ? &*context : nullptr);
        if (c.server.plainScript) {
            listener.ServeWith(c.server.plainScript);
        } else {
            listener.Serve(ResponseWith(kDocument));
        }
        RecordingSink sink;
        Service service;
        const std::string port = listener.Address().substr(listener.Address().find(':'));
        service.hosts = {"https://" + c.host + port, "127.0.0.1:1", "127.0.0.1:1",
                         trusted.CaFile()};
        service.diagnostics = &sink;
        service.timeout = std::chrono::milliseconds(300);
        const Outcome outcome = FetchFrom(service);
        if (c.failure.empty()) {
            ASSERT_TRUE(outcome.fetched) << outcome.failure;
            EXPECT_EQ(outcome.fetched->document,
                      std::string(XmlProlog) + "<statuses type=\"array\">\n</statuses>\n");
            EXPECT_EQ(listener.Received(), "GET /statuses.xml HTTP/1.0\r\nHOST: " + c.host + port +
                                               "\r\nAuthorization: Basic Yzpk\r\n\r\n");
            continue;
        }
        EXPECT_FALSE(outcome.fetched);
        if (c.failureEnd.empty()) {
            EXPECT_EQ(outcome.failure, c.failure);
        } else {
            EXPECT_EQ(outcome.failure.substr(0, c.failure.size()), c.failure) << outcome.failure;
            EXPECT_TRUE(outcome.failure.ends_with(c.failureEnd)) << outcome.failure;
        }
        EXPECT_LT(outcome.took, std::chrono::seconds(2)) << "each wait has 300 ms";
        EXPECT_EQ(listener.Received().find("Authorization"), std::string::npos)
            << "the credential went out";
    }
}

TEST(TlsExchange, AStalledHandshakeEndsAtTheDeadlineBeforeItsWaitsDo) {
    LoopbackListener listener;
    listener.ServeWith([](Peer& connection) {
        ReadClientHello(connection);
        ReadClientHello(connection);
    });
    Service service;
    service.hosts = {"https://" + listener.Address(), "127.0.0.1:1", "127.0.0.1:1"};
    service.timeout = std::chrono::seconds(5);
    service.deadline = std::chrono::milliseconds(300);
    const Outcome outcome = FetchFrom(service);
    EXPECT_EQ(outcome.failure, "Gave up on '127.0.0.1': the exchange ran past its deadline");
    EXPECT_LT(outcome.took, std::chrono::seconds(2));
}

TEST(TlsExchange, TheServerNameGoesOutForNamesOnly) {
    const TestAuthority trusted;
    CertificateFields both;
    both.alternativeNames = "DNS:localhost,IP:127.0.0.1";
    const TlsServerContext context(trusted.Issue(both));
    for (const std::string host : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(host);
        LoopbackListener listener(&context);
        listener.Serve(ResponseWith(kDocument));
        Service service;
        const std::string port = listener.Address().substr(listener.Address().find(':'));
        service.hosts = {"https://" + host + port, "127.0.0.1:1", "127.0.0.1:1", trusted.CaFile()};
        EXPECT_TRUE(FetchFrom(service).fetched);
        EXPECT_EQ(listener.ServerName(), host == "localhost" ? "localhost" : "");
    }
}

TEST(TlsExchange, ACaFileThatCannotBeUsedIsNamed) {
    const TestAuthority trusted;
    const auto notPem = testing_tls::WriteTemporaryFile("not-pem", "no certificate here\n");
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent/ca.pem",
         "Cannot use '/nonexistent/ca.pem' as a CA file: No such file or directory"},
        {notPem.string(), "Cannot use '" + notPem.string() +
                              "' as a CA file: no PEM certificate "
                              "in it"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        const TlsServerContext context(trusted.Issue({}));
        LoopbackListener listener(&context);
        listener.Serve(ResponseWith(kDocument));
        Service service;
        const std::string port = listener.Address().substr(listener.Address().find(':'));
        service.hosts = {"https://localhost" + port, "127.0.0.1:1", "127.0.0.1:1", file};
        EXPECT_EQ(FetchFrom(service).failure, message);
        EXPECT_THROW(platform::CheckCaFile(file), Exception);
    }
    std::filesystem::remove(notPem);
    EXPECT_NO_THROW(platform::CheckCaFile(trusted.CaFile()));
}

}  // namespace
