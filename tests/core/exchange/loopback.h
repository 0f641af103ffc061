#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/diagnostics.h"
#include "twitter_api/exchange/exchange.h"

#include "twitter_api/exchange/service.h"

namespace testing_support {

// A raw TCP listener on 127.0.0.1 with a port of the system's choosing, standing in for a service
// host. Without Serve it only listens: connections wait in its backlog and are never answered.
class LoopbackListener {
  public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // "127.0.0.1:PORT", as a host setting.
    std::string Address() const;

    // On a thread: accepts one connection, reads the request up to its empty line, sends
    // response, ends its own side and keeps recording until the client closes.
    void Serve(std::string response);

    // On a thread: accepts one connection and hands it to script, then closes it.
    void ServeWith(std::function<void(int connection)> script);

    // Every byte the client sent; waits for the served connection to end.
    std::string Received();

    // True when a connection has arrived that nobody accepted.
    bool HasWaitingConnection() const;

  private:
    int mListener = -1;
    int mPort = 0;
    std::thread mThread;
    std::string mReceived;
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
