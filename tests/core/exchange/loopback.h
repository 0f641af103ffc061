#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/diagnostics.h"
#include "twitter_api/exchange/exchange.h"

#include "twitter_api/exchange/service.h"

namespace testing_tls {
class TlsServerContext;
}

namespace testing_support {

// The server's end of one accepted connection, plain or TLS.
class Peer {
  public:
    virtual ~Peer() = default;
    // Up to size bytes from the client; 0 once it has closed, failed or been silent for 5 s.
    virtual size_t Receive(char* buffer, size_t size) = 0;
    // False once the client is gone.
    virtual bool Send(std::string_view bytes) = 0;
    // Ends the server's side (after TLS's closing message, over TLS); reading goes on.
    virtual void EndOutput() = 0;
};

// A raw TCP listener on 127.0.0.1 with a port of the system's choosing, standing in for a service
// host; over TLS with the given server context (which must outlive it). Without Serve it only
// listens: connections wait in its backlog and are never answered.
class LoopbackListener {
  public:
    explicit LoopbackListener(const testing_tls::TlsServerContext* tls = nullptr);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // "127.0.0.1:PORT", as a host setting and as the "HOST: " line carries it.
    std::string Address() const;
    // The host setting that reaches it: Address(), after "https://" over TLS.
    std::string HostSetting() const;

    // On a thread: accepts one connection, reads the request up to its empty line, sends
    // response, ends its own side and keeps recording until the client closes.
    void Serve(std::string response);

    // On a thread: accepts one connection and hands it to script, then closes it. Over TLS the
    // handshake comes first; a client that gives up on it never reaches the script.
    void ServeWith(std::function<void(Peer& connection)> script);

    // Every byte the client sent; waits for the served connection to end.
    std::string Received();

    // The server name the client sent over TLS; waits for the served connection to end.
    std::string ServerName();

    // True when a connection has arrived that nobody accepted.
    bool HasWaitingConnection() const;

  private:
    void Join();

    const testing_tls::TlsServerContext* mTls;
    int mListener = -1;
    int mPort = 0;
    std::thread mThread;
    std::string mReceived;
    std::string mServerName;
};

// A service whose host of kind `host` is the listener and whose other hosts refuse connections,
// so that a request sent to the wrong kind of host fails.
twitter_api::Service ServiceFor(const LoopbackListener& listener, twitter_api::HostKind host,
                                DiagnosticSink& diagnostics,
                                std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Keeps the diagnostic lines a test provokes. Threads of the program write here while the
// interface thread does; the test reads the lines once they are quiet.
class RecordingSink final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view line) override {
        std::lock_guard lock(mLock);
        lines.emplace_back(line);
    }
    std::vector<std::string> lines;

  private:
    std::mutex mLock;
};

// Hands out a canned text a few bytes at a time, so that line ends fall across reads.
class TextSource final : public twitter_api::ByteSource {
  public:
    TextSource(std::string text, size_t piece) : mText(std::move(text)), mPiece(piece) {}
    size_t Read(char* buffer, size_t size) override;

  private:
    std::string mText;
    size_t mPiece;
    size_t mPosition = 0;
};

// An endless stream: prefix, then filler over and over. Counts what it handed out.
class EndlessSource final : public twitter_api::ByteSource {
  public:
    EndlessSource(std::string prefix, std::string filler)
        : mPrefix(std::move(prefix)), mFiller(std::move(filler)) {}
    size_t Read(char* buffer, size_t size) override;
    size_t Given() const { return mGiven; }

  private:
    std::string mPrefix;
    std::string mFiller;
    size_t mGiven = 0;
};

// An HTTP response around a document whose first line is its own XML declaration.
std::string ResponseWith(const std::string& document);

}  // namespace testing_support
