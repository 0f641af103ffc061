#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "testauthority.h"

struct ssl_ctx_st;
struct ssl_st;

// The server's side of TLS for tests, over memory: the test carries the bytes between it and the
// client, over a socket or straight into a client's stream.
namespace testing_tls {

// A server's certificate and key, shared by the connections of one test server.
class TlsServerContext {
  public:
    // newestVersion caps the protocol (e.g. TLS1_1_VERSION); 0 for no cap.
    explicit TlsServerContext(const IssuedCertificate& credentials, int newestVersion = 0);
    ~TlsServerContext();
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;

    ssl_ctx_st* Get() const { return mContext; }

  private:
    ssl_ctx_st* mContext;
};

class TlsServerEnd {
  public:
    explicit TlsServerEnd(const TlsServerContext& context);
    ~TlsServerEnd();
    TlsServerEnd(const TlsServerEnd&) = delete;
    TlsServerEnd& operator=(const TlsServerEnd&) = delete;

    // Bytes from the client; FeedEnd when the client has closed.
    void Feed(std::string_view bytes);
    void FeedEnd();
    // Bytes for the client.
    std::string TakeOutput();

    // True once the handshake is done; false while it needs more from the client. Throws
    // std::runtime_error when it failed.
    bool Accept();
    // Up to size bytes the client sent; 0 when nothing is buffered now or the client has ended.
    size_t Read(char* buffer, size_t size);
    bool Ended() const { return mEnded; }
    void Write(std::string_view bytes);
    // Sends TLS's closing message.
    void Close();

    // The server name the client asked for; empty when it sent none.
    std::string ServerName() const;

  private:
    ssl_st* mSsl;
    bool mEnded = false;
};

}  // namespace testing_tls
