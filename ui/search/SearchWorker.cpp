#include "search/SearchWorker.h"

#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "common/diagnostics.h"
#include "platform/threadpriority.h"

using twitter_api::SSearchHit;

namespace {

// Passes each distinct line on the first time only; the searches of several threads write here.
class COnceSink final : public DiagnosticSink {
  public:
    explicit COnceSink(DiagnosticSink& to) : mTo(to) {}
    void WriteLine(std::string_view line) override {
        std::lock_guard lock(mLock);
        if (mSeen.emplace(line).second) {
            mTo.WriteLine(line);
        }
    }

  private:
    DiagnosticSink& mTo;
    std::mutex mLock;
    std::set<std::string, std::less<>> mSeen;
};

}  // namespace

// One search: its thread and what it has found that the interface thread has not taken yet.
struct CSearchWorker::SRun {
    std::filesystem::path folder;
    std::shared_ptr<const twitter_api::CQueryMatcher> matcher;
    size_t shownLimit = 0;
    std::stop_source stop;

    std::mutex lock;  // guards the fields below
    std::vector<SSearchHit> hits;
    size_t found = 0;
    size_t daysRead = 0;
    size_t daysInRange = 0;
    bool ended = false;
    std::string failure;
    bool deliveryPosted = false;  // a call to Deliver is queued and has not run yet

    std::jthread thread;  // last: joined before the fields it uses go
};

CSearchWorker::CSearchWorker(DiagnosticSink& diagnostics, QObject* parent)
    : QObject(parent), mDiagnostics(std::make_unique<COnceSink>(diagnostics)) {}

CSearchWorker::~CSearchWorker() {
    Stop();
    for (const std::shared_ptr<SRun>& run : mStopped) {
        run->thread.join();
    }
}

void CSearchWorker::Start(std::filesystem::path accountFolder,
                          std::shared_ptr<const twitter_api::CQueryMatcher> matcher,
                          size_t shownLimit) {
    Stop();
    ++mGeneration;
    auto run = std::make_shared<SRun>();
    run->folder = std::move(accountFolder);
    run->matcher = std::move(matcher);
    run->shownLimit = shownLimit;
    mCurrent = run;
    run->thread = std::jthread([run, this] { Search(run, this); });
}

void CSearchWorker::Stop() {
    ++mGeneration;
    if (!mCurrent) {
        return;
    }
    mCurrent->stop.request_stop();
    // Its thread may still be reading a file; it is joined once it has said it ended.
    mStopped.push_back(std::move(mCurrent));
    mCurrent = nullptr;
}

// On the search's thread. The worker outlives the thread: its destructor joins it.
void CSearchWorker::Search(const std::shared_ptr<SRun>& run, CSearchWorker* worker) {
    // The interface thread comes first whenever both want a processor.
    platform::LowerThisThreadsPriority();
    SRun& state = *run;
    // Under the run's lock: asks the interface thread to take what has been gathered, once for
    // everything gathered until it does.
    const auto requestDelivery = [&state, run, worker] {
        if (!state.deliveryPosted) {
            state.deliveryPosted = true;
            QMetaObject::invokeMethod(
                worker, [worker, run] { worker->Deliver(run); }, Qt::QueuedConnection);
        }
    };
    class CGatherer final : public twitter_api::SearchReceiver {
      public:
        CGatherer(SRun& gathered, std::function<void()> deliver)
            : mRun(gathered), mDeliver(std::move(deliver)) {}
        void Hit(SSearchHit hit) override {
            std::lock_guard lock(mRun.lock);
            if (++mRun.found <= mRun.shownLimit) {
                mRun.hits.push_back(std::move(hit));
                mDeliver();
            }
        }
        void Progress(size_t daysRead, size_t daysInRange) override {
            std::lock_guard lock(mRun.lock);
            mRun.daysRead = daysRead;
            mRun.daysInRange = daysInRange;
            mDeliver();
        }

      private:
        SRun& mRun;
        std::function<void()> mDeliver;
    } gatherer(state, requestDelivery);

    std::string failure;
    try {
        twitter_api::SearchHistory({state.folder, 0, state.stop.get_token()}, *state.matcher,
                                   gatherer, *worker->mDiagnostics);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::lock_guard lock(state.lock);
    state.ended = true;
    state.failure = std::move(failure);
    requestDelivery();
}

void CSearchWorker::Deliver(const std::shared_ptr<SRun>& run) {
    std::vector<SSearchHit> hits;
    size_t found = 0;
    size_t daysRead = 0;
    size_t daysInRange = 0;
    bool ended = false;
    std::string failure;
    {
        std::lock_guard lock(run->lock);
        run->deliveryPosted = false;
        hits.swap(run->hits);
        found = run->found;
        daysRead = run->daysRead;
        daysInRange = run->daysInRange;
        ended = run->ended;
        failure = run->failure;
    }
    if (run != mCurrent) {
        if (ended) {
            run->thread.join();
            std::erase(mStopped, run);
        }
        return;
    }
    if (ended) {
        run->thread.join();  // it has nothing left to do
        mCurrent = nullptr;
    }
    // A receiver may start another search; what is left of this one is then no longer wanted.
    const uint64_t generation = mGeneration;
    if (!hits.empty() || found > 0) {
        emit Found(hits, found);
    }
    if (daysInRange > 0 && generation == mGeneration) {
        emit Progress(daysRead, daysInRange);
    }
    if (ended && generation == mGeneration) {
        emit Ended(QString::fromStdString(failure));
    }
}
