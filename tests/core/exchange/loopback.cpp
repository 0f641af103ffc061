#include "exchange/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace testing_support {
namespace {

constexpr int kWaitMs = 5000;

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

// Appends what arrives on fd to received until stop(received) holds, the peer closes or nothing
// comes for a while.
template <typename Stop>
void Record(int fd, std::string& received, Stop stop) {
    char buffer[4096];
    while (!stop(received) && WaitReadable(fd, kWaitMs)) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        received.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

LoopbackListener::LoopbackListener() {
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (mListener < 0 || ::bind(mListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(mListener, 4) != 0 ||
        ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("Cannot set up the loopback listener");
    }
    mPort = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    if (mThread.joinable()) {
        mThread.join();
    }
    ::close(mListener);
}

std::string LoopbackListener::Address() const {
    return "127.0.0.1:" + std::to_string(mPort);
}

void LoopbackListener::Serve(std::string response) {
    mThread = std::thread([this, response = std::move(response)] {
        if (!WaitReadable(mListener, kWaitMs)) {
            return;
        }
        const int connection = ::accept(mListener, nullptr, nullptr);
        if (connection < 0) {
            return;
        }
        Record(connection, mReceived, [](const std::string& received) {
            return received.find("\r\n\r\n") != std::string::npos;
        });
        ::send(connection, response.data(), response.size(), MSG_NOSIGNAL);
        ::shutdown(connection, SHUT_WR);
        Record(connection, mReceived, [](const std::string&) { return false; });
        ::close(connection);
    });
}

void LoopbackListener::ServeWith(std::function<void(int connection)> script) {
    mThread = std::thread([this, script = std::move(script)] {
        if (!WaitReadable(mListener, kWaitMs)) {
            return;
        }
        const int connection = ::accept(mListener, nullptr, nullptr);
        if (connection < 0) {
            return;
        }
        script(connection);
        ::close(connection);
    });
}

std::string LoopbackListener::Received() {
    if (mThread.joinable()) {
        mThread.join();
    }
    return mReceived;
}

bool LoopbackListener::HasWaitingConnection() const {
    return WaitReadable(mListener, 0);
}

twitter_api::Service ServiceFor(const LoopbackListener& listener, twitter_api::HostKind host,
                                DiagnosticSink& diagnostics, std::chrono::milliseconds timeout) {
    twitter_api::Service service;
    const std::string refused = "127.0.0.1:1";
    service.hosts = {refused, refused, refused};
    switch (host) {
        case twitter_api::HostKind::Main:
            service.hosts.main = listener.Address();
            break;
        case twitter_api::HostKind::Versioned:
            service.hosts.versioned = listener.Address();
            break;
        case twitter_api::HostKind::Search:
            service.hosts.search = listener.Address();
            break;
    }
    service.diagnostics = &diagnostics;
    service.timeout = timeout;
    return service;
}

size_t TextSource::Read(char* buffer, size_t size) {
    const size_t count = std::min({size, mPiece, mText.size() - mPosition});
    std::copy_n(mText.data() + mPosition, count, buffer);
    mPosition += count;
    return count;
}

size_t EndlessSource::Read(char* buffer, size_t size) {
    for (size_t i = 0; i < size; ++i, ++mGiven) {
        buffer[i] = mGiven < mPrefix.size() ? mPrefix[mGiven]
                                            : mFiller[(mGiven - mPrefix.size()) % mFiller.size()];
    }
    return size;
}

std::string ResponseWith(const std::string& document) {
    return "HTTP/1.0 200 OK\r\nContent-Type: application/xml\r\n\r\n" + document;
}

}  // namespace testing_support
