#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "exchange/loopback.h"
#include "twitter_api/exchange/exchange.h"

// What a hostile or broken server can do to one exchange: trickle, send without end, close early.
namespace {

using namespace twitter_api;
using testing_support::EndlessSource;
using testing_support::LoopbackListener;
using testing_support::RecordingSink;
using testing_support::ServiceFor;

using Clock = std::chrono::steady_clock;

std::string ReadUntil(int connection, std::string_view end) {
    std::string received;
    char buffer[4096];
    while (received.find(end) == std::string::npos) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        received.append(buffer, static_cast<size_t>(got));
    }
    return received;
}

// Takes the first piece of the request and closes without reading the rest.
void ReadOnce(int connection) {
    char buffer[4096];
    ::recv(connection, buffer, sizeof buffer, 0);
}

std::string NetworkErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::NetworkError& e) {
        return e.what();
    }
    return "no NetworkError";
}

TEST(BoundedExchange, ATricklingServerIsCutOffAtTheDeadline) {
    LoopbackListener listener;
    listener.ServeWith([](int connection) {
        ReadUntil(connection, "\r\n\r\n");
        const std::string trickle = "HTTP/1.0 200 OK\r\nX: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
        // One byte every 50 ms: each wait is short, the whole never ends. Stops once the client
        // has gone.
        for (size_t i = 0; i < 200; ++i) {
            if (::send(connection, &trickle[i % trickle.size()], 1, MSG_NOSIGNAL) != 1) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    RecordingSink sink;
    Service service = ServiceFor(listener, HostKind::Main, sink, std::chrono::seconds(2));
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

TEST(BoundedExchange, AnEndlessAnswerStopsAtItsCap) {
    const std::string head = "HTTP/1.0 200 OK\r\n\r\n<?xml version=\"1.0\"?>\r\n";
    const CapCase cases[] = {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EndlessSource source(c.prefix, c.filler);
        const std::string error = NetworkErrorOf([&] { ReadResponse(source); });
        EXPECT_EQ(error, c.error);
        // It stopped reading near the cap: memory stays bounded by it.
        EXPECT_LT(source.Given(), c.prefix.size() + c.cap + 64 * 1024);
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

TEST(BoundedExchange, TheRequestGoesOutInOneWrite) {
    LoopbackListener listener;
    std::string firstRead;
    listener.ServeWith([&firstRead](int connection) {
        // Waits for the whole request to be in flight, then takes what one read gives.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        char buffer[8192];
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        firstRead.assign(buffer, static_cast<size_t>(std::max<ssize_t>(got, 0)));
        const std::string answer = "HTTP/1.0 200 OK\r\n\r\n<?xml?>\n<ok/>\n";
        ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    });
    RecordingSink sink;
    const Service service = ServiceFor(listener, HostKind::Main, sink);
    const Fetched fetched = FetchDocument(service, kGet, HostKind::Main, "/a", std::string("c"));
    listener.Received();
    EXPECT_EQ(firstRead, "GET /a HTTP/1.0\r\nHOST: " + listener.Address() +
                             "\r\nAuthorization: Basic c\r\n\r\n");
    EXPECT_EQ(fetched.document, std::string(XmlProlog) + "<ok/>\n");
}

TEST(BoundedExchange, AnAnswerAfterTheRequestLineIsRead) {
    // The server answers as soon as it has the request line and closes without reading the rest;
    // the path is long enough that writing the rest fails.
    LoopbackListener listener;
    listener.ServeWith([](int connection) {
        ReadOnce(connection);
        const std::string answer =
            "HTTP/1.0 414 URI Too Long\r\n\r\n<?xml?>\n<hash><error>Too long</error></hash>\n";
        ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::shutdown(connection, SHUT_WR);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    RecordingSink sink;
    const Service service = ServiceFor(listener, HostKind::Main, sink);
    const std::string path = "/" + std::string(8 << 20, 'p');
    const Fetched fetched = FetchDocument(service, kPost, HostKind::Main, path, std::nullopt);
    EXPECT_EQ(fetched.statusLine, "HTTP/1.0 414 URI Too Long");
    EXPECT_EQ(fetched.document, std::string(XmlProlog) + "<hash><error>Too long</error></hash>\n");
}

TEST(BoundedExchange, AServerThatClosesWithoutAWordGivesTheWriteFailure) {
    LoopbackListener listener;
    listener.ServeWith([](int connection) { ReadOnce(connection); });
    RecordingSink sink;
    const Service service = ServiceFor(listener, HostKind::Main, sink);
    const std::string path = "/" + std::string(8 << 20, 'p');
    const std::string error =
        NetworkErrorOf([&] { FetchDocument(service, kPost, HostKind::Main, path, std::nullopt); });
    EXPECT_EQ(error.substr(0, 27), "Cannot write to '127.0.0.1'");
}

}  // namespace
