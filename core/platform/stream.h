#pragma once

#include <cstddef>
#include <string_view>

#include "common/errors.h"

// What a request reads and writes through, whether the bytes go over a plain socket or over TLS on
// one: the exchange above does not know which.
namespace platform {

// Any failure to resolve, connect, write or read, time-outs and failed TLS handshakes included.
struct NetworkError : Exception {
    using Exception::Exception;
};

// A single wait that ran past its own limit (not the whole exchange's deadline).
struct TimedOut : NetworkError {
    using NetworkError::NetworkError;
};

class Stream {
  public:
    virtual ~Stream() = default;

    // Writes every byte or throws NetworkError.
    virtual void SendAll(std::string_view bytes) = 0;

    // Up to size bytes into buffer; 0 only when the peer has ended the stream. Throws
    // NetworkError.
    virtual size_t Receive(char* buffer, size_t size) = 0;
};

}  // namespace platform
