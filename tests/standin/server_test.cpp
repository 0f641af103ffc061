#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <poll.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "requesthead.h"
#include "routes.h"
#include "server.h"
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
    CServer mServer;
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

int ConnectTo(int port) {
    const int socketId = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    EXPECT_EQ(connect(socketId, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return socketId;
}

// Reads until the server closes or the wait ends.
std::string ReadAnswer(int socketId, std::chrono::milliseconds wait) {
    std::string response;
    char buffer[4096];
    pollfd entry{socketId, POLLIN, 0};
    while (poll(&entry, 1, static_cast<int>(wait.count())) == 1) {
        const ssize_t received = recv(socketId, buffer, sizeof buffer, 0);
        if (received <= 0) {
            break;
        }
        response.append(buffer, static_cast<size_t>(received));
    }
    return response;
}

// A request that never ends: its head, then filler sent over and over up to `total` bytes or
// until the server stops taking them. What matters is the answer and the memory it took.
struct SFlood {
    const char* mName;
    std::string mHead;
    std::string mFiller;
    size_t mTotal;
    std::string mStatusLine;
};

class StandinFloodTest : public StandinServerTest, public ::testing::WithParamInterface<SFlood> {};

TEST_P(StandinFloodTest, IsRefusedWithoutBeingKept) {
    const SFlood& c = GetParam();
    const long peakBefore = PeakResidentKilobytes();
    const int socketId = ConnectTo(mPort);
    std::thread sender([socketId, &c] {
        send(socketId, c.mHead.data(), c.mHead.size(), MSG_NOSIGNAL);
        std::string chunk;
        while (chunk.size() < (1 << 20)) {
            chunk += c.mFiller;
        }
        for (size_t sent = 0; sent < c.mTotal; sent += chunk.size()) {
            if (send(socketId, chunk.data(), std::min(chunk.size(), c.mTotal - sent),
                     MSG_NOSIGNAL) <= 0) {
                return;
            }
        }
    });
    const std::string response = ReadAnswer(socketId, std::chrono::seconds(20));
    shutdown(socketId, SHUT_RDWR);
    sender.join();
    close(socketId);
    const auto [statusLine, body] = StatusAndBody(response);
    EXPECT_EQ(statusLine, c.mStatusLine);
    EXPECT_NE(body.find("<error>"), std::string::npos) << body;
    const long grownKilobytes = PeakResidentKilobytes() - peakBefore;
    RecordProperty("peak_growth_kib", std::to_string(grownKilobytes));
    EXPECT_LT(grownKilobytes, 16 * 1024);  // far less than what was sent
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandinFloodTest,
    ::testing::Values(
        SFlood{"HugeBody", "POST /nowhere HTTP/1.0\r\nContent-Length: 300000000\r\n\r\n", "b",
               300'000'000, "HTTP/1.1 413 Payload Too Large"},
        SFlood{"EndlessShortHeaderLines", "GET /statuses/home_timeline.xml HTTP/1.0\r\n",
               "X: y\r\n", 100'000'000, "HTTP/1.1 431 Request Header Fields Too Large"},
        SFlood{"EndlessHeaderLine", "GET /statuses/home_timeline.xml HTTP/1.0\r\nX: ", "h",
               100'000'000, "HTTP/1.1 431 Request Header Fields Too Large"},
        SFlood{"EndlessRequestTarget", "GET /", "a", 300'000'000, "HTTP/1.1 414 URI Too Long"}),
    [](const auto& testCase) { return std::string(testCase.param.mName); });

// Just within each cap the request is served; one past it is refused.
TEST_F(StandinServerTest, HeadsAreServedUpToEachCap) {
    const std::string demo = std::string("Authorization: Basic ") + kDemoCredential + "\r\n";
    const std::string start = "GET /statuses/home_timeline.xml?x=";
    const std::string version = " HTTP/1.0";
    const auto requestLine = [&](size_t bytes) {  // its line end included
        return start + std::string(bytes - start.size() - version.size() - 2, 'a') + version +
               "\r\n";
    };
    const auto headerLines = [](size_t count) {
        std::string lines;
        for (size_t i = 0; i < count; ++i) {
            lines += "X-" + std::to_string(i) + ": y\r\n";
        }
        return lines;
    };
    const auto headerBlock = [&demo](size_t bytes) {  // the empty line included
        return demo + "X: " + std::string(bytes - demo.size() - 7, 'h') + "\r\n\r\n";
    };
    const std::string plain = "GET /statuses/home_timeline.xml HTTP/1.0\r\n";
    struct SCase {
        const char* mName;
        std::string mRequest;
        std::string mStatusLine;
    };
    const SCase cases[] = {
        {"longest request line", requestLine(kMaxRequestLineBytes) + demo + "\r\n",
         "HTTP/1.1 200 OK"},
        {"request line one byte longer", requestLine(kMaxRequestLineBytes + 1) + demo + "\r\n",
         "HTTP/1.1 414 URI Too Long"},
        {"most header lines", plain + headerLines(kMaxHeaderLines - 1) + demo + "\r\n",
         "HTTP/1.1 200 OK"},
        {"one header line more", plain + headerLines(kMaxHeaderLines) + demo + "\r\n",
         "HTTP/1.1 431 Request Header Fields Too Large"},
        {"largest header block", plain + headerBlock(kMaxHeaderBlockBytes), "HTTP/1.1 200 OK"},
        {"header block one byte larger", plain + headerBlock(kMaxHeaderBlockBytes + 1),
         "HTTP/1.1 431 Request Header Fields Too Large"},
        // The head ends at an empty line ended by LF alone too, and is handed on at once (where
        // the library refuses it) rather than left waiting for its deadline.
        {"lines ended by LF alone",
         "GET /statuses/home_timeline.xml HTTP/1.0\nAuthorization: Basic " +
             std::string(kDemoCredential) + "\n\n",
         "HTTP/1.1 400 Bad Request"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(StatusAndBody(Exchange(c.mRequest).mResponse).first, c.mStatusLine) << c.mName;
    }
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
    CServer server;
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

struct SAnswer {
    std::string mStatusLine;
    std::chrono::milliseconds mTook{0};
};

// Reads every socket's answer at once until the server has closed each or the wait ends. Each
// answer's status line comes with the time it took, counted from start.
std::vector<SAnswer> ReadAnswers(const std::vector<int>& sockets,
                                 std::chrono::steady_clock::time_point start,
                                 std::chrono::milliseconds wait) {
    std::vector<SAnswer> answers(sockets.size());
    std::vector<std::string> received(sockets.size());
    std::vector<bool> done(sockets.size(), false);
    const auto end = std::chrono::steady_clock::now() + wait;
    for (size_t left = sockets.size(); left > 0 && std::chrono::steady_clock::now() < end;) {
        std::vector<pollfd> entries;
        for (size_t i = 0; i < sockets.size(); ++i) {
            entries.push_back({done[i] ? -1 : sockets[i], POLLIN, 0});
        }
        poll(entries.data(), entries.size(), 100);
        for (size_t i = 0; i < sockets.size(); ++i) {
            if (done[i] || entries[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = recv(sockets[i], buffer, sizeof buffer, 0);
            if (got > 0) {
                received[i].append(buffer, static_cast<size_t>(got));
                continue;
            }
            done[i] = true;
            --left;
            answers[i] = {received[i].substr(0, received[i].find("\r\n")),
                          std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)};
        }
    }
    return answers;
}

// 200 clients at once, 100 of them trickling a byte of their request head every 300 ms: the slow
// ones hold no worker, so every real request is answered within a second, and the slow ones get
// 408 once their head's deadline has passed.
TEST(StandinSlowClients, RealRequestsAreAnsweredWhileSlowClientsHang) {
    constexpr auto kHeadDeadline = std::chrono::seconds(2);
    CStore store;
    CServer server(kHeadDeadline);
    ConfigureServer(server, store);
    const int port = BindToLoopback(server, 0);
    ASSERT_GT(port, 0);
    std::thread serving([&server] { server.listen_after_bind(); });

    const auto slowStart = std::chrono::steady_clock::now();
    std::vector<int> slow;
    for (int i = 0; i < 100; ++i) {
        slow.push_back(ConnectTo(port));
        const std::string start = "GET /search.atom?q=slow HTTP/1.0\r\nX-Slow: ";
        send(slow.back(), start.data(), start.size(), MSG_NOSIGNAL);
    }
    std::atomic<bool> trickling = true;
    std::thread trickler([&] {
        while (trickling) {
            for (const int socketId : slow) {
                send(socketId, "s", 1, MSG_NOSIGNAL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto realStart = std::chrono::steady_clock::now();
    std::vector<int> real;
    for (int i = 0; i < 100; ++i) {
        real.push_back(ConnectTo(port));
        const std::string request = "GET /search.atom?q=real HTTP/1.0\r\n\r\n";
        send(real.back(), request.data(), request.size(), MSG_NOSIGNAL);
    }
    std::vector<SAnswer> answers = ReadAnswers(real, realStart, std::chrono::seconds(5));
    std::sort(answers.begin(), answers.end(),
              [](const SAnswer& a, const SAnswer& b) { return a.mTook < b.mTook; });
    for (const SAnswer& answer : answers) {
        EXPECT_EQ(answer.mStatusLine, "HTTP/1.1 200 OK");
        EXPECT_LT(answer.mTook, std::chrono::seconds(1));
    }
    RecordProperty("real_answer_ms_min_median_max",
                   std::to_string(answers.front().mTook.count()) + "/" +
                       std::to_string(answers[answers.size() / 2].mTook.count()) + "/" +
                       std::to_string(answers.back().mTook.count()));

    for (const SAnswer& answer : ReadAnswers(slow, slowStart, std::chrono::seconds(5))) {
        EXPECT_EQ(answer.mStatusLine, "HTTP/1.1 408 Request Timeout");
        EXPECT_GE(answer.mTook, kHeadDeadline);
        EXPECT_LT(answer.mTook, kHeadDeadline + std::chrono::seconds(1));
    }
    trickling = false;
    trickler.join();
    for (const int socketId : real) {
        close(socketId);
    }
    for (const int socketId : slow) {
        close(socketId);
    }
    server.stop();
    serving.join();
}

}  // namespace
}  // namespace standin
