#include "support/fakeservice.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "support/workdir.h"

namespace {

constexpr int kPollMs = 50;
constexpr int kRequestWaitMs = 5000;

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

std::string ReadRequestHead(int connection) {
    std::string received;
    char buffer[4096];
    while (received.find("\r\n\r\n") == std::string::npos &&
           WaitReadable(connection, kRequestWaitMs)) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        received.append(buffer, static_cast<size_t>(got));
    }
    return received;
}

}  // namespace

FakeService::FakeService() {
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (mListener < 0 || ::bind(mListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(mListener, 16) != 0 ||
        ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("Cannot set up the fake service");
    }
    mPort = ntohs(address.sin_port);
    mThread = std::thread([this] { Serve(); });
}

FakeService::~FakeService() {
    mStopping = true;
    mThread.join();
    for (const int connection : mHeld) {
        ::close(connection);
    }
    ::close(mListener);
}

std::string FakeService::Address() const {
    return "127.0.0.1:" + std::to_string(mPort);
}

void FakeService::Route(std::string requestStart, std::string response) {
    std::lock_guard lock(mLock);
    mRoutes.push_back({std::move(requestStart), std::move(response), Kind::Answer});
}

void FakeService::Silent(std::string requestStart) {
    std::lock_guard lock(mLock);
    mRoutes.push_back({std::move(requestStart), std::string(), Kind::Silent});
}

void FakeService::Broken(std::string requestStart) {
    std::lock_guard lock(mLock);
    mRoutes.push_back({std::move(requestStart), std::string(), Kind::Broken});
}

std::vector<std::string> FakeService::Requests() const {
    std::lock_guard lock(mLock);
    return mRequests;
}

void FakeService::Serve() {
    while (!mStopping) {
        if (!WaitReadable(mListener, kPollMs)) {
            continue;
        }
        const int connection = ::accept(mListener, nullptr, nullptr);
        if (connection >= 0) {
            Answer(connection);
        }
    }
}

void FakeService::Answer(int connection) {
    const std::string head = ReadRequestHead(connection);
    std::string line = head.substr(0, head.find("\r\n"));
    if (const auto version = line.rfind(" HTTP/"); version != std::string::npos) {
        line.erase(version);
    }
    std::lock_guard lock(mLock);
    mRequests.push_back(line);
    for (auto route = mRoutes.rbegin(); route != mRoutes.rend(); ++route) {
        if (line.rfind(route->requestStart, 0) != 0) {
            continue;
        }
        if (route->kind == Kind::Silent) {
            mHeld.push_back(connection);
            return;
        }
        if (route->kind == Kind::Broken) {
            // Closing with a zero linger time resets the connection.
            const linger reset{1, 0};
            ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            ::close(connection);
            return;
        }
        ::send(connection, route->response.data(), route->response.size(), MSG_NOSIGNAL);
        ::close(connection);
        return;
    }
    const std::string missing = HttpResponse("HTTP/1.0 404 Not Found", "no route");
    ::send(connection, missing.data(), missing.size(), MSG_NOSIGNAL);
    ::close(connection);
}

std::string HttpResponse(const std::string& statusLine, const std::string& body) {
    return statusLine + "\r\nContent-Type: application/xml\r\n\r\n" + body;
}

std::string FixtureResponse(const std::string& name) {
    return HttpResponse("HTTP/1.0 200 OK",
                        ReadBytes(std::string(WARBLET_SHARED_FIXTURES) + "/" + name));
}
