#include "live.h"

#include <condition_variable>
#include <mutex>

#include "store.h"

namespace standin {

void CLiveFeed::Step(Time now) {
    if (!mPool.mStatuses.empty()) {
        const SLiveStatus& status = mPool.mStatuses[mSteps % mPool.mStatuses.size()];
        mStore.AddStatus(status.mUserId, status.mText, status.mSource, now, 0);
    }
    if (!mPool.mMessages.empty() && mSteps % 4 == 3) {
        const SLiveMessage& message = mPool.mMessages[(mSteps / 4) % mPool.mMessages.size()];
        mStore.AddDirectMessage(message.mSenderId, message.mRecipientId, message.mText, now);
    }
    ++mSteps;
    if (mAfterStep) {
        mAfterStep();
    }
}

void CLiveFeed::Run(std::chrono::milliseconds interval) {
    mThread = std::jthread([this, interval](std::stop_token stop) {
        std::mutex lock;
        std::condition_variable_any wake;  // woken only by the stop request
        std::unique_lock guard(lock);
        while (!wake.wait_for(guard, stop, interval, [&stop] { return stop.stop_requested(); })) {
            Step(Now());
        }
    });
}

}  // namespace standin
