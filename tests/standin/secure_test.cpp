#include "secure.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "common/errors.h"
#include "routes.h"

namespace standin {
namespace {

// Sends request to 127.0.0.1:port and reads until the server closes (or 3 s pass).
std::string Exchange(int port, const std::string& request) {
    std::string response;
    const int socketId = socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{3, 0};
    setsockopt(socketId, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (connect(socketId, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(socketId, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t received = 0;
        while ((received = recv(socketId, buffer, sizeof buffer, 0)) > 0) {
            response.append(buffer, static_cast<size_t>(received));
        }
    }
    close(socketId);
    return response;
}

TEST(StandinRedirect, EveryRequestGoesToTheSameTargetOverHttpsAtTheHostAsked) {
    httplib::Server server;
    ConfigureRedirectToHttps(server, 8443);
    const int port = BindToLoopback(server, 0);
    ASSERT_GT(port, 0);
    std::thread serving([&server] { server.listen_after_bind(); });
    const std::string at = std::to_string(port);
    const std::pair<std::string, std::string> cases[] = {
        {"GET /statuses/home_timeline.xml?since_id=5&count=200 HTTP/1.0\r\nHOST: 127.0.0.1:" + at +
             "\r\nAuthorization: Basic ZGVtbzpkZW1v\r\n\r\n",
         "https://127.0.0.1:8443/statuses/home_timeline.xml?since_id=5&count=200"},
        {"POST /statuses/update.xml?status=a%20b HTTP/1.0\r\nHOST: localhost:" + at + "\r\n\r\n",
         "https://localhost:8443/statuses/update.xml?status=a%20b"},
        {"GET /search.atom?q=x HTTP/1.0\r\n\r\n", "https://127.0.0.1:8443/search.atom?q=x"},
    };
    for (const auto& [request, location] : cases) {
        SCOPED_TRACE(request);
        const std::string response = Exchange(port, request);
        EXPECT_TRUE(response.starts_with("HTTP/1.1 307 ")) << response;
        EXPECT_NE(response.find("\r\nLocation: " + location + "\r\n"), std::string::npos)
            << response;
    }
    server.stop();
    serving.join();
}

TEST(StandinHttps, ACertificateOrKeyThatCannotBeLoadedIsRefused) {
    try {
        MakeHttpsServer("/nonexistent/cert.pem", "/nonexistent/key.pem");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(),
                     "cannot use the TLS certificate /nonexistent/cert.pem with the key "
                     "/nonexistent/key.pem");
    }
}

}  // namespace
}  // namespace standin
