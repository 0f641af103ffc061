#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/stream.h"

// The thin network layer: one blocking TCP connection per request, with a time-out on every wait
// so that a silent peer cannot hang the caller, and a deadline for the whole connection so that a
// peer that trickles cannot either.
namespace platform {

class TcpConnection final : public Stream {
  public:
    using Clock = std::chrono::steady_clock;

    // Resolves host and connects to its port; throws NetworkError "Cannot resolve host '...'",
    // "Cannot connect to '...'" or "Timed out connecting to '...'". Every later wait lasts at
    // most timeout, else it throws TimedOut. Nothing waits beyond deadline: a wait cut short by
    // it throws NetworkError "Gave up on '...': ...".
    TcpConnection(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                  Clock::time_point deadline = Clock::time_point::max());
    ~TcpConnection() override;
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;
    TcpConnection& operator=(TcpConnection&&) = delete;

    // Writes every byte or throws NetworkError "Cannot write to '...'" (or a time-out).
    void SendAll(std::string_view bytes) override;

    // Up to size bytes into buffer; 0 only when the peer has closed the connection. Throws
    // NetworkError "Timed out reading from '...'" or "Cannot read from '...'".
    size_t Receive(char* buffer, size_t size) override;

  private:
    // A wait that was to end at waitEnd ran out: the deadline's message when the deadline ended
    // it, else message.
    [[noreturn]] void ThrowTimeOut(const std::string& message, Clock::time_point waitEnd) const;

    std::string mHost;  // as messages quote it
    std::chrono::milliseconds mTimeout;
    Clock::time_point mDeadline;
    // A POSIX descriptor or a Winsock SOCKET; kNoSocket once moved from.
    std::intptr_t mSocket;
    static constexpr std::intptr_t kNoSocket = -1;
};

}  // namespace platform
