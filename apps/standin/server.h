#pragma once

#include <httplib.h>

#include <chrono>
#include <memory>
#include <string>

#include "headreader.h"

namespace standin {

// Threads that answer requests whose head is complete. The answers come from memory, so a few are
// enough; a worker is held longer only by a client that does not read its answer, for at most
// the write time-out.
inline constexpr size_t kAnswerWorkers = 16;

// The library's server, with request heads read apart from the workers: every connection is
// watched by one reader until its head is in (or passes a cap or its deadline, see
// headreader.h), and only then given to a worker, so that clients that trickle their bytes in
// cannot keep others waiting.
class CServer final : public httplib::Server {
  public:
    explicit CServer(std::chrono::milliseconds headDeadline = kRequestHeadDeadline);
    ~CServer() override;

  private:
    bool process_and_close_socket(socket_t socket) override;
    void Answer(int socket, std::string head);

    httplib::ThreadPool mWorkers{kAnswerWorkers};
    std::unique_ptr<CHeadReader> mReader;  // ended before the workers, which it feeds
};

}  // namespace standin
