#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/errors.h"

// The thin network layer: one blocking TCP connection per request, with a time-out on connecting
// and on every read so that a silent peer cannot hang the caller.
namespace platform {

// Any failure to resolve, connect, write or read, time-outs included.
struct NetworkError : Exception {
    using Exception::Exception;
};

class TcpConnection {
  public:
    // Resolves host and connects to its port; throws NetworkError "Cannot resolve host '...'",
    // "Cannot connect to '...'" or "Timed out connecting to '...'". Every later read waits at
    // most timeout for data.
    TcpConnection(const std::string& host, uint16_t port, std::chrono::milliseconds timeout);
    ~TcpConnection();
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;
    TcpConnection& operator=(TcpConnection&&) = delete;

    // Writes every byte or throws NetworkError "Cannot write to '...'".
    void SendAll(std::string_view bytes);

    // Up to size bytes into buffer; 0 only when the peer has closed the connection. Throws
    // NetworkError "Timed out reading from '...'" or "Cannot read from '...'".
    size_t Receive(char* buffer, size_t size);

  private:
    std::string mHost;
    std::chrono::milliseconds mTimeout;
    // A POSIX descriptor or a Winsock SOCKET; kNoSocket once moved from.
    std::intptr_t mSocket;
    static constexpr std::intptr_t kNoSocket = -1;
};

}  // namespace platform
