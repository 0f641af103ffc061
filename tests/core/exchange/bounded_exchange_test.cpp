#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "exchange/loopback.h"
#include "exchange/overtransport.h"
#include "twitter_api/exchange/exchange.h"

// What a hostile or broken server can do to one exchange: trickle, send without end, close early;
// over plain connections and over TLS alike.
namespace {

using namespace twitter_api;
using testing_support::EndlessSource;
using testing_support::LoopbackListener;
using testing_support::OverTransport;
using testing_support::Peer;
using testing_support::RecordingSink;
using testing_support::Transport;

using Clock = std::chrono::steady_clock;

class BoundedExchange : public OverTransport {};

INSTANTIATE_TEST_SUITE_P(Transports, BoundedExchange,
                         ::testing::Values(Transport::Plain, Transport::Tls),
                         testing_support::TransportName);

std::string ReadUntil(Peer& connection, std::string_view end) {
    std::string received;
    char buffer[4096];
    while (received.find(end) == std::string::npos) {
        const size_t got = connection.Receive(buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        received.append(buffer, got);
    }
    return received;
}

// Takes the first piece of the request and closes without reading the rest.
void ReadOnce(Peer& connection) {
    char buffer[4096];
    connection.Receive(buffer, sizeof buffer);
}

std::string NetworkErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::NetworkError& e) {
        return e.what();
    }
    return "no NetworkError";
}

TEST_P(BoundedExchange, ATricklingServerIsCutOffAtTheDeadline) {
    LoopbackListener listener(Tls());
    listener.ServeWith([](Peer& connection) {
        ReadUntil(connection, "\r\n\r\n");
        const std::string trickle = "HTTP/1.0 200 OK\r\nX: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
        // One byte every 50 ms: each wait is short, the whole never ends. Stops once the client
        // has gone.
        for (size_t i = 0; i < 200; ++i) {
            if (!connection.Send(trickle.substr(i % trickle.size(), 1))) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    RecordingSink sink;
    Service service = ServiceOn(listener, sink, std::chrono::seconds(2));
    service.deadline = std::chrono::milliseconds(600);
    const auto start = Clock::now();
    const std::string error =
        NetworkErrorOf([&] { FetchDocument(service, kGet, HostKind::Main, "/", std::nullopt); });
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(error, "Gave up on '127.0.0.1': the exchange ran past its deadline");
    EXPECT_GE(elapsed, std::chrono::milliseconds(550));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
}

TEST(BoundedExchange, TheDeadlineIsTwoMinutesBesidesEachWaitsLimit) {
    const Service service;
    EXPECT_EQ(service.deadline, std::chrono::seconds(120));
    EXPECT_EQ(service.timeout, std::chrono::seconds(30));
}

struct CapCase {
    const char* name;
    std::string prefix;
    std::string filler;
    std::string error;
    size_t cap;
};

std::vector<CapCase> CapCases() {
    const std::string head = "HTTP/1.0 200 OK\r\n\r\n<?xml version=\"1.0\"?>\r\n";
    return {
        {"endless header line", "HTTP/1.0 200 OK\r\nX: ", "a",
         "The service's answer has a header line longer than 65536 bytes", kMaxHeaderLineBytes},
        {"endless status line", "", "H",
         "The service's answer has a header line longer than 65536 bytes", kMaxHeaderLineBytes},
        {"endless header lines", "HTTP/1.0 200 OK\r\n", "X: y\r\n",
         "The service's answer has more than 256 header lines", kMaxHeaderLines * 6},
        {"endless body line", head, "<a>",
         "The service's answer has a body larger than 16777216 bytes", kMaxBodyBytes},
        {"endless body of short lines", head, "<a/>\n",
         "The service's answer has a body larger than 16777216 bytes", kMaxBodyBytes},
        {"endless declaration line", "HTTP/1.0 200 OK\r\n\r\n", "<",
         "The service's answer has a body larger than 16777216 bytes", kMaxBodyBytes},
    };
}

TEST(BoundedExchange, AnEndlessAnswerStopsAtItsCap) {
    for (const auto& c : CapCases()) {
        SCOPED_TRACE(c.name);
        EndlessSource source(c.prefix, c.filler);
        const std::string error = NetworkErrorOf([&] { ReadResponse(source); });
        EXPECT_EQ(error, c.error);
        // It stopped reading near the cap: memory stays bounded by it.
        EXPECT_LT(source.Given(), c.prefix.size() + c.cap + 64 * 1024);
    }
}

TEST_P(BoundedExchange, AnEndlessAnswerFromTheServerStopsAtItsCap) {
    for (const auto& c : CapCases()) {
        SCOPED_TRACE(c.name);
        LoopbackListener listener(Tls());
        listener.ServeWith([&c](Peer& connection) {
            ReadUntil(connection, "\r\n\r\n");
            std::string chunk;
            while (chunk.size() < 64 * 1024) {
                chunk += c.filler;
            }
            // Until the client gives up and closes.
            for (bool open = connection.Send(c.prefix); open;) {
                open = connection.Send(chunk);
            }
        });
        RecordingSink sink;
        const Service service = ServiceOn(listener, sink);
        EXPECT_EQ(NetworkErrorOf(
                      [&] { FetchDocument(service, kGet, HostKind::Main, "/", std::nullopt); }),
                  c.error);
    }
}

TEST(BoundedExchange, AnAnswerJustUnderTheCapsIsRead) {
    std::string raw = "HTTP/1.0 200 OK\r\n";
    raw += "X: " + std::string(kMaxHeaderLineBytes - 3, 'a') + "\r\n";
    for (size_t i = 2; i < kMaxHeaderLines; ++i) {
        raw += "Y: b\r\n";
    }
    raw += "\r\n<?xml version=\"1.0\"?>\r\n";
    const std::string line(kMaxBodyBytes - 1, 'c');
    raw += line + "\n";
    testing_support::TextSource source(raw, 8192);
    const Response response = ReadResponse(source);
    EXPECT_EQ(response.body.size(), kMaxBodyBytes);
}

TEST_P(BoundedExchange, TheRequestGoesOutInOneWrite) {
    LoopbackListener listener(Tls());
    std::string firstRead;
    listener.ServeWith([&firstRead](Peer& connection) {
        // Waits for the whole request to be in flight, then takes what one read gives.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        char buffer[8192];
        firstRead.assign(buffer, connection.Receive(buffer, sizeof buffer));
        connection.Send("HTTP/1.0 200 OK\r\n\r\n<?xml?>\n<ok/>\n");
    });
    RecordingSink sink;
    const Service service = ServiceOn(listener, sink);
    const Fetched fetched = FetchDocument(service, kGet, HostKind::Main, "/a", std::string("c"));
    listener.Received();
    EXPECT_EQ(firstRead, "GET /a HTTP/1.0\r\nHOST: " + listener.Address() +
                             "\r\nAuthorization: Basic c\r\n\r\n");
    EXPECT_EQ(fetched.document, std::string(XmlProlog) + "<ok/>\n");
}

TEST_P(BoundedExchange, AnAnswerAfterTheRequestLineIsRead) {
    // The server answers as soon as it has the request line and closes without reading the rest;
    // the path is long enough that writing the rest fails.
    LoopbackListener listener(Tls());
    listener.ServeWith([](Peer& connection) {
        ReadOnce(connection);
        connection.Send(
            "HTTP/1.0 414 URI Too Long\r\n\r\n<?xml?>\n<hash><error>Too long</error></hash>\n");
        connection.EndOutput();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    RecordingSink sink;
    const Service service = ServiceOn(listener, sink);
    const std::string path = "/" + std::string(8 << 20, 'p');
    const Fetched fetched = FetchDocument(service, kPost, HostKind::Main, path, std::nullopt);
    EXPECT_EQ(fetched.statusLine, "HTTP/1.0 414 URI Too Long");
    EXPECT_EQ(fetched.document, std::string(XmlProlog) + "<hash><error>Too long</error></hash>\n");
}

TEST_P(BoundedExchange, AServerThatClosesWithoutAWordGivesTheWriteFailure) {
    LoopbackListener listener(Tls());
    listener.ServeWith([](Peer& connection) { ReadOnce(connection); });
    RecordingSink sink;
    const Service service = ServiceOn(listener, sink);
    const std::string path = "/" + std::string(8 << 20, 'p');
    const std::string error =
        NetworkErrorOf([&] { FetchDocument(service, kPost, HostKind::Main, path, std::nullopt); });
    EXPECT_EQ(error.substr(0, 27), "Cannot write to '127.0.0.1'");
}

}  // namespace
