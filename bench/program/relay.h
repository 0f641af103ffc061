#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace program_bench {

// Stands between a program and the stand-in service on the loopback interface, passing the bytes
// on unchanged and noting when each answer ended: the moment the program has the whole answer.
class Relay {
  public:
    using Clock = std::chrono::steady_clock;

    explicit Relay(int upstreamPort);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int Port() const { return mPort; }
    // When the first answer to a request whose first line contains pathPart ended after since;
    // waits for it until the deadline.
    std::optional<Clock::time_point> AnswerEnded(const std::string& pathPart,
                                                 Clock::time_point since,
                                                 Clock::time_point deadline);

  private:
    struct Answer {
        std::string requestLine;
        Clock::time_point ended;
    };

    void Accept();
    void Pass(int client);

    int mUpstreamPort;
    int mListener = -1;
    int mPort = 0;
    std::atomic<bool> mStopping{false};
    std::mutex mLock;
    std::vector<Answer> mAnswers;
    std::vector<std::thread> mPassing;
    std::thread mAccepting;
};

}  // namespace program_bench
