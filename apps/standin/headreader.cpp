#include "headreader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include "documents.h"
#include "requesthead.h"

namespace standin {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReadSize = 16 * 1024;

const char* ReasonPhrase(int status) {
    switch (status) {
        case 408:
            return "Request Timeout";
        case 414:
            return "URI Too Long";
        default:
            return "Request Header Fields Too Large";
    }
}

std::string ErrorText(int status, std::chrono::milliseconds deadline) {
    switch (status) {
        case 408:
            return "The request head took longer than " + std::to_string(deadline.count()) +
                   " ms to arrive.";
        case 414:
            return "The request line is longer than " + std::to_string(kMaxRequestLineBytes) +
                   " bytes.";
        default:
            return "The request has more than " + std::to_string(kMaxHeaderLines) +
                   " header lines or more than " + std::to_string(kMaxHeaderBlockBytes) +
                   " bytes of them.";
    }
}

// An answer in the service's manner: its status and an error document, then the connection ends.
std::string RefusalAnswer(int status, std::chrono::milliseconds deadline) {
    const std::string body = ErrorDocument("", ErrorText(status, deadline));
    return "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) +
           "\r\nContent-Type: application/xml; charset=utf-8\r\nConnection: close\r\n"
           "Content-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

struct CHeadReader::SConnection {
    int mSocket;
    Clock::time_point mDeadline;
    CRequestHead mHead;
    bool mDraining = false;  // refused: read on and thrown away until the end or the deadline
};

CHeadReader::CHeadReader(std::chrono::milliseconds deadline, HeadHandler onHead)
    : mDeadline(deadline), mOnHead(std::move(onHead)), mWake(::eventfd(0, EFD_CLOEXEC)) {
    if (mWake < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    mThread = std::thread([this] { Run(); });
}

CHeadReader::~CHeadReader() {
    mStopping = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(mWake, &one, sizeof one);
    mThread.join();
    for (const int socket : mArrived) {
        ::close(socket);
    }
    ::close(mWake);
}

void CHeadReader::Add(int socket) {
    {
        const std::lock_guard lock(mLock);
        mArrived.push_back(socket);
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(mWake, &one, sizeof one);
}

void CHeadReader::TakeArrivals(std::vector<SConnection>& waiting) {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(mWake, &count, sizeof count);
    std::vector<int> arrived;
    {
        const std::lock_guard lock(mLock);
        arrived.swap(mArrived);
    }
    const auto deadline = Clock::now() + mDeadline;
    for (const int socket : arrived) {
        waiting.push_back({socket, deadline, {}});
    }
}

// Reads what has come; true when the connection is done with here.
bool CHeadReader::ReadFrom(SConnection& connection) {
    std::array<char, kReadSize> buffer;
    const ssize_t got = ::recv(connection.mSocket, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return false;
    }
    if (got <= 0) {
        ::close(connection.mSocket);
        return true;
    }
    if (connection.mDraining) {
        return false;
    }
    switch (connection.mHead.Take({buffer.data(), static_cast<size_t>(got)})) {
        case CRequestHead::EState::Incomplete:
            return false;
        case CRequestHead::EState::Complete:
            mOnHead(connection.mSocket, connection.mHead.Bytes());
            return true;
        case CRequestHead::EState::RequestLineTooLong:
            Refuse(connection, 414);
            return false;
        case CRequestHead::EState::HeaderTooLarge:
            Refuse(connection, 431);
            return false;
    }
    return false;
}

// The answer is small enough for the socket's buffer, so it is sent without waiting.
void CHeadReader::Refuse(SConnection& connection, int status) {
    const std::string answer = RefusalAnswer(status, mDeadline);
    [[maybe_unused]] const ssize_t sent =
        ::send(connection.mSocket, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(connection.mSocket, SHUT_WR);
    connection.mHead = CRequestHead();
    connection.mDraining = true;
    connection.mDeadline = Clock::now() + kRefusalDrainTime;
}

void CHeadReader::Run() {
    std::vector<SConnection> waiting;
    std::vector<pollfd> entries;
    while (!mStopping) {
        entries.assign(1, pollfd{mWake, POLLIN, 0});
        auto nearest = Clock::time_point::max();
        for (const SConnection& connection : waiting) {
            entries.push_back({connection.mSocket, POLLIN, 0});
            nearest = std::min(nearest, connection.mDeadline);
        }
        const int wait =
            waiting.empty()
                ? -1
                : static_cast<int>(std::max<int64_t>(
                      0, std::chrono::ceil<std::chrono::milliseconds>(nearest - Clock::now())
                             .count()));
        if (::poll(entries.data(), entries.size(), wait) < 0 && errno != EINTR) {
            break;
        }
        const auto now = Clock::now();
        std::vector<SConnection> still;
        for (size_t i = 0; i < waiting.size(); ++i) {
            SConnection& connection = waiting[i];
            if (entries[i + 1].revents != 0 && ReadFrom(connection)) {
                continue;
            }
            if (now >= connection.mDeadline) {
                if (connection.mDraining) {
                    ::close(connection.mSocket);
                    continue;
                }
                Refuse(connection, 408);
            }
            still.push_back(std::move(connection));
        }
        waiting.swap(still);
        if (entries[0].revents != 0) {
            TakeArrivals(waiting);
        }
    }
    for (const SConnection& connection : waiting) {
        ::close(connection.mSocket);
    }
}

}  // namespace standin
