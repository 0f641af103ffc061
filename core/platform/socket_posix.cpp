#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "common/escaped.h"
#include "platform/socket.h"

namespace platform {
namespace {

using Clock = TcpConnection::Clock;

std::string Reason(int error) {
    return std::strerror(error);
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

AddressList Resolve(const std::string& host, uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int result = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (result != 0) {
        throw NetworkError("Cannot resolve host '" + EscapeControls(host) +
                           "': " + ::gai_strerror(result));
    }
    return AddressList(list);
}

void SetBlocking(int fd, bool blocking) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

// Waits until fd is ready for events or the deadline passes; false on time-out. Interrupted
// waits resume with the time that is left.
bool WaitFor(int fd, short events, Clock::time_point deadline, int& error) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
        if (ready > 0) {
            error = 0;
            return true;
        }
        if (ready == 0) {
            return false;
        }
        if (errno != EINTR) {
            error = errno;
            return true;
        }
    }
}

// One connection attempt to one address: the descriptor, or -1 with error set (ETIMEDOUT when
// the deadline passed).
int TryConnect(const addrinfo& address, Clock::time_point deadline, int& error) {
    const int fd =
        ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    SetBlocking(fd, false);
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = errno;
            ::close(fd);
            return -1;
        }
        if (!WaitFor(fd, POLLOUT, deadline, error)) {
            error = ETIMEDOUT;
        } else if (error == 0) {
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        if (error != 0) {
            ::close(fd);
            return -1;
        }
    }
    SetBlocking(fd, true);
    return fd;
}

// The earlier of a wait's own time-out and the connection's deadline.
Clock::time_point WaitEnd(std::chrono::milliseconds timeout, Clock::time_point deadline) {
    const auto now = Clock::now();
    return deadline - now < timeout ? deadline : now + timeout;
}

}  // namespace

TcpConnection::TcpConnection(const std::string& host, uint16_t port,
                             std::chrono::milliseconds timeout, Clock::time_point deadline)
    : mHost(EscapeControls(host)), mTimeout(timeout), mDeadline(deadline), mSocket(kNoSocket) {
    const AddressList addresses = Resolve(host, port);
    const std::string target = mHost + ":" + std::to_string(port);
    int error = 0;
    for (const addrinfo* address = addresses.get(); address != nullptr;
         address = address->ai_next) {
        const int fd = TryConnect(*address, WaitEnd(timeout, deadline), error);
        if (fd >= 0) {
            mSocket = fd;
            return;
        }
        if (error == ETIMEDOUT) {
            break;
        }
    }
    if (error == ETIMEDOUT && Clock::now() >= deadline) {
        throw NetworkError("Gave up on '" + mHost + "': the exchange ran past its deadline");
    }
    if (error == ETIMEDOUT) {
        throw TimedOut("Timed out connecting to '" + target + "'");
    }
    throw NetworkError("Cannot connect to '" + target + "': " + Reason(error));
}

TcpConnection::~TcpConnection() {
    if (mSocket != kNoSocket) {
        ::close(static_cast<int>(mSocket));
    }
}

TcpConnection::TcpConnection(TcpConnection&& other) noexcept
    : mHost(std::move(other.mHost)),
      mTimeout(other.mTimeout),
      mDeadline(other.mDeadline),
      mSocket(other.mSocket) {
    other.mSocket = kNoSocket;
}

void TcpConnection::ThrowTimeOut(const std::string& message, Clock::time_point waitEnd) const {
    if (waitEnd == mDeadline) {
        throw NetworkError("Gave up on '" + mHost + "': the exchange ran past its deadline");
    }
    throw TimedOut(message);
}

void TcpConnection::SendAll(std::string_view bytes) {
    const int fd = static_cast<int>(mSocket);
    while (!bytes.empty()) {
        int error = 0;
        const auto waitEnd = WaitEnd(mTimeout, mDeadline);
        if (Clock::now() >= mDeadline || !WaitFor(fd, POLLOUT, waitEnd, error)) {
            ThrowTimeOut("Timed out writing to '" + mHost + "'", waitEnd);
        }
        const ssize_t sent =
            error != 0 ? -1 : ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && error == 0) {
            error = errno;
        }
        if (sent < 0 && (error == EINTR || error == EAGAIN || error == EWOULDBLOCK)) {
            continue;
        }
        if (sent < 0) {
            throw NetworkError("Cannot write to '" + mHost + "': " + Reason(error));
        }
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
}

size_t TcpConnection::Receive(char* buffer, size_t size) {
    const int fd = static_cast<int>(mSocket);
    const auto waitEnd = WaitEnd(mTimeout, mDeadline);
    for (;;) {
        int error = 0;
        if (Clock::now() >= mDeadline || !WaitFor(fd, POLLIN, waitEnd, error)) {
            ThrowTimeOut("Timed out reading from '" + mHost + "'", waitEnd);
        }
        if (error != 0) {
            throw NetworkError("Cannot read from '" + mHost + "': " + Reason(error));
        }
        const ssize_t got = ::recv(fd, buffer, size, MSG_DONTWAIT);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            throw NetworkError("Cannot read from '" + mHost + "': " + Reason(errno));
        }
    }
}

}  // namespace platform
