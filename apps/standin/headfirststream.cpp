#include "headfirststream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace standin {
namespace {

using AddressGetter = int (*)(int, sockaddr*, socklen_t*);

void AddressOf(int socket, AddressGetter get, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ip.clear();
    port = 0;
    if (get(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

}  // namespace

bool CHeadFirstStream::WaitFor(short events) const {
    pollfd entry{mSocket, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, static_cast<int>(mTimeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

bool CHeadFirstStream::is_readable() const {
    return mHeadRead < mHead.size() || WaitFor(POLLIN);
}

bool CHeadFirstStream::is_writable() const {
    return WaitFor(POLLOUT);
}

ssize_t CHeadFirstStream::read(char* buffer, size_t size) {
    if (mHeadRead < mHead.size()) {
        const size_t given = std::min(size, mHead.size() - mHeadRead);
        std::memcpy(buffer, mHead.data() + mHeadRead, given);
        mHeadRead += given;
        return static_cast<ssize_t>(given);
    }
    if (!WaitFor(POLLIN)) {
        return -1;
    }
    ssize_t got = 0;
    do {
        got = ::recv(mSocket, buffer, size, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    return got;
}

ssize_t CHeadFirstStream::write(const char* bytes, size_t size) {
    if (!WaitFor(POLLOUT)) {
        return -1;
    }
    ssize_t sent = 0;
    do {
        sent = ::send(mSocket, bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void CHeadFirstStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    AddressOf(mSocket, ::getpeername, ip, port);
}

void CHeadFirstStream::get_local_ip_and_port(std::string& ip, int& port) const {
    AddressOf(mSocket, ::getsockname, ip, port);
}

}  // namespace standin
