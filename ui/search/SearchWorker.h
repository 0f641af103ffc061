#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "twitter_api/search/historysearch.h"

class DiagnosticSink;

// Runs history searches off the interface thread, one at a time as the user sees it: starting a
// search stops the one before, and whatever that one still finds is dropped. A search hands on the
// first hits up to a limit and counts the rest; what it finds reaches the interface thread in
// batches, through calls queued there, in the order found. A damaged log is reported the first
// time a search meets it, not again at every query typed. Destroying the worker stops its
// searches and waits for them.
class CSearchWorker : public QObject {
    Q_OBJECT

  public:
    explicit CSearchWorker(DiagnosticSink& diagnostics, QObject* parent = nullptr);
    ~CSearchWorker() override;
    CSearchWorker(const CSearchWorker&) = delete;
    CSearchWorker& operator=(const CSearchWorker&) = delete;

    // Searches the account's logs with matcher; at most shownLimit hits are handed on.
    void Start(std::filesystem::path accountFolder,
               std::shared_ptr<const twitter_api::CQueryMatcher> matcher, size_t shownLimit);
    // Stops the search under way; nothing more of it arrives.
    void Stop();
    bool Running() const { return mCurrent != nullptr; }

  signals:
    // The hits found since the last batch, newest first, and the count of all found so far.
    void Found(std::vector<twitter_api::SSearchHit>& hits, size_t found);
    void Progress(size_t daysRead, size_t daysInRange);
    // The search is through; failure is empty, or says why the logs could not be read.
    void Ended(const QString& failure);

  private:
    struct SRun;

    // On the interface thread: hands on what the run has found since the last call.
    void Deliver(const std::shared_ptr<SRun>& run);
    static void Search(const std::shared_ptr<SRun>& run, CSearchWorker* worker);

    std::unique_ptr<DiagnosticSink> mDiagnostics;  // passes each line on once
    uint64_t mGeneration = 0;                      // counts the starts and stops
    std::shared_ptr<SRun> mCurrent;
    std::vector<std::shared_ptr<SRun>> mStopped;  // until their threads have ended
};
