#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

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
        mPort = mServer.bind_to_any_port("127.0.0.1");
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

}  // namespace
}  // namespace standin
