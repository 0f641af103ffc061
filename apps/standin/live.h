#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model.h"

namespace standin {

class CStore;

struct SLiveStatus {
    int64_t mUserId = 0;
    std::string mText;
    std::string mSource;
};

struct SLiveMessage {
    int64_t mSenderId = 0;
    int64_t mRecipientId = 0;
    std::string mText;
};

// What the live feed cycles through, in order.
struct SLivePool {
    std::vector<SLiveStatus> mStatuses;
    std::vector<SLiveMessage> mMessages;
};

// Keeps the stand-in moving, so that refreshes and automatic reloads bring something new.
class CLiveFeed {
  public:
    // afterStep, when given, runs after every step (the stand-in keeps its state with it).
    CLiveFeed(CStore& store, SLivePool pool, std::function<void()> afterStep = {})
        : mStore(store), mPool(std::move(pool)), mAfterStep(std::move(afterStep)) {}

    // Adds the next status of the pool and, every fourth step, the next direct message.
    void Step(Time now);
    // Steps once every interval on a thread of its own until the feed is destroyed.
    void Run(std::chrono::milliseconds interval);

  private:
    CStore& mStore;
    SLivePool mPool;
    std::function<void()> mAfterStep;
    uint64_t mSteps = 0;
    std::jthread mThread;  // last: stopped and joined before the rest goes
};

}  // namespace standin
