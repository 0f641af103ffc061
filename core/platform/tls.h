#pragma once

#include <memory>
#include <string>

#include "platform/stream.h"

// TLS on top of a connected stream, for servers reached over https. The plain stream keeps doing
// every wait, so its time-out and deadline bound the handshake and each read and write alike.
namespace platform {

class TlsConnection final : public Stream {
  public:
    // Runs the client handshake with host over transport: TLS 1.2 or later; the server's
    // certificate must chain to the system's trust store or to a certificate in caFile (when not
    // empty), and be for host, a name (also sent as the server name) or a literal address. Throws
    // NetworkError with one line that names what failed: the CA file, the certificate (not
    // trusted, for other names, expired), a server that does not speak TLS or closed, or the
    // handshake itself; a wait that ran out throws TimedOut "Timed out in the TLS handshake with
    // '...'".
    TlsConnection(std::unique_ptr<Stream> transport, const std::string& host,
                  const std::string& caFile);
    ~TlsConnection() override;
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    // Throws what the transport threw, or NetworkError "Cannot write to '...': ...".
    void SendAll(std::string_view bytes) override;

    // 0 once the server has ended the stream, with or without TLS's own closing message: the
    // documents read over it show their own end. Throws what the transport threw, or NetworkError
    // "Cannot read from '...': ...".
    size_t Receive(char* buffer, size_t size) override;

  private:
    struct Session;
    std::unique_ptr<Session> mSession;
};

// Throws Exception "Cannot use '...' as a CA file: ..." unless path is a readable PEM file that
// holds at least one certificate.
void CheckCaFile(const std::string& path);

}  // namespace platform
