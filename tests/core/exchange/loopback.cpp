#include "exchange/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "tlsserverend.h"

namespace testing_support {
namespace {

constexpr int kWaitMs = 5000;

bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

// Appends what arrives on the connection to received until stop(received) holds, the peer closes
// or nothing comes for a while.
template <typename Stop>
void Record(Peer& connection, std::string& received, Stop stop) {
    char buffer[4096];
    while (!stop(received)) {
        const size_t got = connection.Receive(buffer, sizeof buffer);
        if (got == 0) {
            return;
        }
        received.append(buffer, got);
    }
}

class PlainPeer final : public Peer {
  public:
    explicit PlainPeer(int fd) : mFd(fd) {}

    size_t Receive(char* buffer, size_t size) override {
        if (!WaitReadable(mFd, kWaitMs)) {
            return 0;
        }
        const ssize_t got = ::recv(mFd, buffer, size, 0);
        return got > 0 ? static_cast<size_t>(got) : 0;
    }

    bool Send(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(mFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }

    void EndOutput() override { ::shutdown(mFd, SHUT_WR); }

  private:
    int mFd;
};

// TLS over the socket: the server end's records go out as they are made.
class TlsPeer final : public Peer {
  public:
    TlsPeer(int fd, const testing_tls::TlsServerContext& context) : mSocket(fd), mEnd(context) {}

    // False when the client gave up on the handshake. A handshake the server refuses throws,
    // after its alert has gone out as a real server's would.
    bool Handshake() {
        try {
            while (!mEnd.Accept()) {
                if (!Flush() || !Pull()) {
                    return false;
                }
            }
        } catch (const std::runtime_error&) {
            Flush();
            throw;
        }
        return Flush();
    }

    size_t Receive(char* buffer, size_t size) override {
        for (;;) {
            const size_t got = mEnd.Read(buffer, size);
            if (got > 0 || mEnd.Ended() || !Flush() || !Pull()) {
                return got;
            }
        }
    }

    bool Send(std::string_view bytes) override {
        mEnd.Write(bytes);
        return Flush();
    }

    void EndOutput() override {
        mEnd.Close();
        Flush();
        mSocket.EndOutput();
    }

    std::string ServerName() const { return mEnd.ServerName(); }

  private:
    bool Flush() { return mSocket.Send(mEnd.TakeOutput()); }

    // More bytes from the client into the server end; false once there are none.
    bool Pull() {
        char buffer[16384];
        const size_t got = mSocket.Receive(buffer, sizeof buffer);
        if (got == 0) {
            mEnd.FeedEnd();
            return false;
        }
        mEnd.Feed(std::string_view(buffer, got));
        return true;
    }

    PlainPeer mSocket;
    testing_tls::TlsServerEnd mEnd;
};

}  // namespace

LoopbackListener::LoopbackListener(const testing_tls::TlsServerContext* tls) : mTls(tls) {
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
    Join();
    ::close(mListener);
}

void LoopbackListener::Join() {
    if (mThread.joinable()) {
        mThread.join();
    }
}

std::string LoopbackListener::Address() const {
    return "127.0.0.1:" + std::to_string(mPort);
}

std::string LoopbackListener::HostSetting() const {
    return mTls != nullptr ? "https://" + Address() : Address();
}

void LoopbackListener::Serve(std::string response) {
    ServeWith([this, response = std::move(response)](Peer& connection) {
        Record(connection, mReceived, [](const std::string& received) {
            return received.find("\r\n\r\n") != std::string::npos;
        });
        connection.Send(response);
        connection.EndOutput();
        Record(connection, mReceived, [](const std::string&) { return false; });
    });
}

void LoopbackListener::ServeWith(std::function<void(Peer& connection)> script) {
    mThread = std::thread([this, script = std::move(script)] {
        if (!WaitReadable(mListener, kWaitMs)) {
            return;
        }
        const int fd = ::accept(mListener, nullptr, nullptr);
        if (fd < 0) {
            return;
        }
        if (mTls == nullptr) {
            PlainPeer connection(fd);
            script(connection);
        } else {
            try {
                TlsPeer connection(fd, *mTls);
                if (connection.Handshake()) {
                    mServerName = connection.ServerName();
                    script(connection);
                }
            } catch (const std::runtime_error&) {
                // the client refused the handshake: what the test looks at is the client's side
            }
        }
        ::close(fd);
    });
}

std::string LoopbackListener::Received() {
    Join();
    return mReceived;
}

std::string LoopbackListener::ServerName() {
    Join();
    return mServerName;
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
            service.hosts.main = listener.HostSetting();
            break;
        case twitter_api::HostKind::Versioned:
            service.hosts.versioned = listener.HostSetting();
            break;
        case twitter_api::HostKind::Search:
            service.hosts.search = listener.HostSetting();
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
