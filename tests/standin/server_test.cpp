#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <poll.h>
#include <sys/resource.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "routes.h"
#include "store.h"

namespace standin {
namespace {

// "demo:demo" in Base64.
constexpr const char* kDemoCredential = "ZGVtbzpkZW1v";

// The stand-in serving a small store on a free loopback port for the length of a test.
class StandinServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SUser demo;
        demo.mScreenName = "demo";
        demo.mName = "出茂 太郎";
        const int64_t demoId = mStore.AddUser(demo, "demo");
        const Time start = Now() - std::chrono::hours(1);
        for (int i = 0; i < 3; ++i) {
            mLastId = mStore
                          .AddStatus(demoId, "status " + std::to_string(i), "web",
                                     start + std::chrono::minutes(i), 0)
                          .mStatus.mId;
        }
        ConfigureServer(mServer, mStore);
        mPort = BindToLoopback(mServer, 0);
        ASSERT_GT(mPort, 0);
        mServing = std::thread([this] { mServer.listen_after_bind(); });
    }

    void TearDown() override {
        mServer.stop();
        if (mServing.joinable()) {
            mServing.join();
        }
    }

    struct SExchange {
        std::string mResponse;
        bool mClosedByServer = false;
    };

    // Sends the bytes as the client does and reads until the server closes (or 3 s pass).
    SExchange Exchange(const std::string& request) const {
        SExchange exchange;
        const int socketId = socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{3, 0};
        setsockopt(socketId, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(mPort));
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        if (connect(socketId, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            send(socketId, request.data(), request.size(), 0) ==
                static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            ssize_t received = 0;
            while ((received = recv(socketId, buffer, sizeof buffer, 0)) > 0) {
                exchange.mResponse.append(buffer, static_cast<size_t>(received));
            }
            exchange.mClosedByServer = received == 0;
        }
        close(socketId);
        return exchange;
    }

    CStore mStore;
    httplib::Server mServer;
    std::thread mServing;
    int mPort = 0;
    int64_t mLastId = 0;
};

TEST_F(StandinServerTest, TimelineNeedsTheAccountsCredential) {
    httplib::Client client("127.0.0.1", mPort);
    client.set_basic_auth("demo", "demo");
    const httplib::Result timeline = client.Get("/statuses/home_timeline.xml?count=2");
    ASSERT_TRUE(timeline);
    EXPECT_EQ(timeline->status, 200);
    EXPECT_EQ(timeline->body.substr(0, timeline->body.find('\n')),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_NE(timeline->body.find("<id>" + std::to_string(mLastId) + "</id>"), std::string::npos);
    EXPECT_EQ(timeline->body.find("<text>status 0</text>"), std::string::npos);  // count=2

    httplib::Client stranger("127.0.0.1", mPort);
    stranger.set_basic_auth("demo", "wrong");
    const httplib::Result refused = stranger.Get("/statuses/home_timeline.xml");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
    EXPECT_NE(refused->body.find("<error>Could not authenticate you.</error>"), std::string::npos);
}

// The client's own bytes: HTTP/1.0, "HOST:", no body and no Content-Length on a POST, and it
// reads until the server closes.
TEST_F(StandinServerTest, AnswersTheClientsPostsAtOnceAndCloses) {
    struct SCase {
        std::string mTarget;
        std::string mExpected;  // in the body
    };
    const std::vector<SCase> cases = {
        {"/1/favorites/create/" + std::to_string(mLastId) + ".xml", "<favorited>true</favorited>"},
        {"/statuses/update.xml?status=Q&A%20%E3%81%82+1=2&in_reply_to_status_id=" +
             std::to_string(mLastId),
         "<text>Q&amp;A あ+1=2</text>"},
        {"/statuses/update.xml?status=Q&A%20%E3%81%82+1=2&in_reply_to_status_id=" +
             std::to_string(mLastId),
         "<in_reply_to_status_id>" + std::to_string(mLastId) + "</in_reply_to_status_id>"},
        {"/1/favorites/destroy/1.xml", "<error>No status found with that ID.</error>"},
    };
    for (const SCase& c : cases) {
        const SExchange exchange =
            Exchange("POST " + c.mTarget + " HTTP/1.0\r\nHOST: localhost\r\n" +
                     "Authorization: Basic " + kDemoCredential + "\r\n\r\n");
        EXPECT_TRUE(exchange.mClosedByServer) << c.mTarget;
        const std::string& response = exchange.mResponse;
        const size_t headerEnd = response.find("\r\n\r\n");
        ASSERT_NE(headerEnd, std::string::npos) << c.mTarget;
        const std::string header = response.substr(0, headerEnd);
        const std::string body = response.substr(headerEnd + 4);
        EXPECT_NE(header.find("Connection: close"), std::string::npos) << header;
        EXPECT_NE(header.find("Content-Length: " + std::to_string(body.size())), std::string::npos)
            << header;
        EXPECT_NE(body.find(c.mExpected), std::string::npos) << c.mTarget << "\n" << body;
    }
}

// The status line and the body of an answer.
std::pair<std::string, std::string> StatusAndBody(const std::string& response) {
    const size_t headerEnd = response.find("\r\n\r\n");
    const std::string body =
        headerEnd == std::string::npos ? std::string() : response.substr(headerEnd + 4);
    return {response.substr(0, response.find("\r\n")), body};
}

TEST_F(StandinServerTest, RefusalsCarryTheServicesStatusAndAnErrorDocument) {
    struct SCase {
        std::string mRequest;
        std::string mStatusLine;
        std::string mError;
    };
    const std::string demo = std::string("Authorization: Basic ") + kDemoCredential + "\r\n";
    const std::string overLong = std::string(141, 'x');
    const std::vector<SCase> cases = {
        {"GET /statuses/mentions.xml HTTP/1.0\r\nAuthorization: Basic ZGVtbzp4\r\n\r\n",
         "HTTP/1.1 401 Unauthorized", "<error>Could not authenticate you.</error>"},
        {"POST /statuses/update.xml?status= HTTP/1.0\r\n" + demo + "\r\n", "HTTP/1.1 403 Forbidden",
         "<error>Status is empty.</error>"},
        {"POST /statuses/update.xml?status=" + overLong + " HTTP/1.0\r\n" + demo + "\r\n",
         "HTTP/1.1 403 Forbidden", "<error>Status is over 140 characters.</error>"},
        {"GET /1/demo/lists/nosuch/statuses.xml HTTP/1.0\r\n" + demo + "\r\n",
         "HTTP/1.1 404 Not Found", "<error>Not found</error>"},
    };
    for (const SCase& c : cases) {
        const auto [statusLine, body] = StatusAndBody(Exchange(c.mRequest).mResponse);
        EXPECT_EQ(statusLine, c.mStatusLine) << c.mRequest;
        EXPECT_EQ(body.substr(0, body.find('\n')), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        EXPECT_NE(body.find(c.mError), std::string::npos) << body;
    }
    // 140 characters, four of them of three bytes, are taken.
    const std::string longest = std::string(136, 'y') + "%E3%81%82%E3%81%82%E3%81%82%E3%81%82";
    const auto [statusLine, body] = StatusAndBody(
        Exchange("POST /statuses/update.xml?status=" + longest + " HTTP/1.0\r\n" + demo + "\r\n")
            .mResponse);
    EXPECT_EQ(statusLine, "HTTP/1.1 200 OK");
}

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(StandinServerTest, AHugeBodyIsRefusedWithoutBeingKept) {
    constexpr size_t kAnnounced = 300'000'000;
    const long peakBefore = PeakResidentKilobytes();
    const int socketId = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(mPort));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    ASSERT_EQ(connect(socketId, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::thread sender([socketId] {
        const std::string head =
            "POST /nowhere HTTP/1.0\r\nContent-Length: " + std::to_string(kAnnounced) + "\r\n\r\n";
        send(socketId, head.data(), head.size(), MSG_NOSIGNAL);
        const std::string chunk(1 << 20, 'b');
        for (size_t sent = 0; sent < kAnnounced; sent += chunk.size()) {
            if (send(socketId, chunk.data(), std::min(chunk.size(), kAnnounced - sent),
                     MSG_NOSIGNAL) <= 0) {
                return;
            }
        }
    });
    std::string response;
    char buffer[4096];
    pollfd entry{socketId, POLLIN, 0};
    while (poll(&entry, 1, 20'000) == 1) {
        const ssize_t received = recv(socketId, buffer, sizeof buffer, 0);
        if (received <= 0) {
            break;
        }
        response.append(buffer, static_cast<size_t>(received));
    }
    shutdown(socketId, SHUT_RDWR);
    sender.join();
    close(socketId);
    const auto [statusLine, body] = StatusAndBody(response);
    EXPECT_EQ(statusLine, "HTTP/1.1 413 Payload Too Large");
    EXPECT_NE(body.find("<error>"), std::string::npos) << body;
    EXPECT_LT(PeakResidentKilobytes() - peakBefore, 64 * 1024);  // far less than the body
}

TEST_F(StandinServerTest, AnOverlongHeaderLineIsRefused) {
    const auto [statusLine, body] = StatusAndBody(
        Exchange("GET /statuses/home_timeline.xml HTTP/1.0\r\nX: " + std::string(20'000, 'h') +
                 "\r\n\r\n")
            .mResponse);
    EXPECT_EQ(statusLine, "HTTP/1.1 400 Bad Request");
}

// Connects without waiting; true once the connection is established within the time given.
bool ConnectsWithin(int socketId, int port, std::chrono::milliseconds wait) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (connect(socketId, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    pollfd entry{socketId, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    return poll(&entry, 1, static_cast<int>(wait.count())) == 1 &&
           getsockopt(socketId, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

TEST(StandinBacklog, TwoHundredClientsArrivingAtOnceAreAllHeardOut) {
    CStore store;
    httplib::Server server;
    ConfigureServer(server, store);
    const int port = BindToLoopback(server, 0);
    ASSERT_GT(port, 0);
    // Nothing is accepted yet: every connection must wait in the backlog.
    std::vector<int> sockets;
    int connected = 0;
    for (int i = 0; i < 200; ++i) {
        sockets.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        connected += ConnectsWithin(sockets.back(), port, std::chrono::milliseconds(200)) ? 1 : 0;
    }
    EXPECT_EQ(connected, 200);
    std::thread serving([&server] { server.listen_after_bind(); });
    int answered = 0;
    const std::string request = "GET /nowhere HTTP/1.0\r\n\r\n";
    for (const int socketId : sockets) {
        send(socketId, request.data(), request.size(), MSG_NOSIGNAL);
    }
    for (const int socketId : sockets) {
        pollfd entry{socketId, POLLIN, 0};
        char buffer[64];
        answered += poll(&entry, 1, 10'000) == 1 && recv(socketId, buffer, sizeof buffer, 0) > 0;
        close(socketId);
    }
    EXPECT_EQ(answered, 200);
    server.stop();
    serving.join();
}

}  // namespace
}  // namespace standin
