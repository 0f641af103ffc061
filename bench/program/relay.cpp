#include "relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace program_bench {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool WriteAll(int socket, const char* bytes, ssize_t size) {
    while (size > 0) {
        const ssize_t put = ::send(socket, bytes, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= put;
    }
    return true;
}

}  // namespace

Relay::Relay(int upstreamPort) : mUpstreamPort(upstreamPort) {
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(mListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(mListener, 64) != 0 ||
        ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the relay cannot listen");
    }
    mPort = ntohs(address.sin_port);
    mAccepting = std::thread([this] { Accept(); });
}

Relay::~Relay() {
    mStopping = true;
    ::shutdown(mListener, SHUT_RDWR);
    mAccepting.join();
    ::close(mListener);
    for (std::thread& passing : mPassing) {
        passing.join();
    }
}

void Relay::Accept() {
    for (;;) {
        const int client = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (mStopping) {
                return;
            }
            continue;
        }
        mPassing.emplace_back([this, client] { Pass(client); });
    }
}

// One exchange: the request on to the service, the answer back, until the service closes.
void Relay::Pass(int client) {
    const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(mUpstreamPort);
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(upstream, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string requestLine;
    bool requestDone = false;
    if (::connect(upstream, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        pollfd sockets[2] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}};
        char buffer[65536];
        for (;;) {
            if (::poll(sockets, 2, 1000) < 0 || mStopping) {
                break;
            }
            if (sockets[0].revents & (POLLIN | POLLHUP)) {
                const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    ::shutdown(upstream, SHUT_WR);
                    sockets[0].fd = -1;
                } else {
                    if (!requestDone) {
                        requestLine.append(buffer, static_cast<size_t>(got));
                        requestDone = requestLine.find('\n') != std::string::npos;
                    }
                    WriteAll(upstream, buffer, got);
                }
            }
            if (sockets[1].revents & (POLLIN | POLLHUP)) {
                const ssize_t got = ::recv(upstream, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                WriteAll(client, buffer, got);
            }
        }
    }
    ::close(client);  // the program sees the end of the answer here
    {
        std::lock_guard lock(mLock);
        mAnswers.push_back({requestLine.substr(0, requestLine.find('\n')), Clock::now()});
    }
    ::close(upstream);
}

std::optional<Relay::Clock::time_point> Relay::AnswerEnded(const std::string& pathPart,
                                                           Clock::time_point since,
                                                           Clock::time_point deadline) {
    for (;;) {
        {
            std::lock_guard lock(mLock);
            for (const Answer& answer : mAnswers) {
                if (answer.ended >= since &&
                    answer.requestLine.find(pathPart) != std::string::npos) {
                    return answer.ended;
                }
            }
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace program_bench
