#include "twitter_api/search/historysearch.h"

#include <exception>

#include "common/diagnostics.h"
#include "common/escaped.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/search/dayfiles.h"
#include "twitter_api/search/hitcollector.h"

namespace twitter_api {
namespace {

// How many entries are matched between two looks at the stop request: a few tens of microseconds.
constexpr size_t kEntriesBetweenStopChecks = 256;

class CSearchRun {
  public:
    CSearchRun(const SHistorySearch& search, const CQueryMatcher& matcher, SearchReceiver& receiver,
               DiagnosticSink& diagnostics)
        : mSearch(search), mMatcher(matcher), mReceiver(receiver), mDiagnostics(diagnostics) {}

    SSearchSummary Run() {
        const std::vector<SLogDay> days = ListLogDays(mSearch.mAccountFolder, mMatcher);
        size_t daysRead = 0;
        for (const SLogDay& day : days) {
            if (!ReadDay(day)) {
                mSummary.mStopped = true;
                break;
            }
            mReceiver.Progress(++daysRead, days.size());
            if (LimitReached()) {
                break;
            }
        }
        return mSummary;
    }

  private:
    bool StopRequested() const { return mSearch.mStop.stop_requested(); }
    bool LimitReached() const { return mSearch.mLimit != 0 && mSummary.mHits >= mSearch.mLimit; }

    // False when stopped before the day was through; its hits are then dropped.
    bool ReadDay(const SLogDay& day) {
        mHits.BeginDay(day.mDayKey);
        for (const SDayFile& file : day.mFiles) {
            if (StopRequested() || !ReadFile(file)) {
                return false;
            }
        }
        for (SSearchHit& hit : mHits.EndDay()) {
            if (LimitReached()) {
                break;
            }
            ++mSummary.mHits;
            mReceiver.Hit(std::move(hit));
        }
        return true;
    }

    bool ReadFile(const SDayFile& file) {
        ContributionListPtr list;
        try {
            list = ReadLogFile(file.mPath.string());
        } catch (const std::exception& error) {
            ++mSummary.mFilesSkipped;
            mDiagnostics.WriteLine("Skipped the damaged log file '" +
                                   EscapeControls(file.mPath.string()) + "': " + error.what());
            return true;
        }
        ++mSummary.mFilesRead;
        size_t sinceCheck = 0;
        for (const ContributionPtr& entry : list->mContributions) {
            if (++sinceCheck == kEntriesBetweenStopChecks) {
                sinceCheck = 0;
                if (StopRequested()) {
                    return false;
                }
            }
            if (mMatcher.Matches(*entry)) {
                mHits.Add(file.mKind, *entry);
            }
        }
        return true;
    }

    const SHistorySearch& mSearch;
    const CQueryMatcher& mMatcher;
    SearchReceiver& mReceiver;
    DiagnosticSink& mDiagnostics;
    CHitCollector mHits;
    SSearchSummary mSummary;
};

}  // namespace

SSearchSummary SearchHistory(const SHistorySearch& search, const CQueryMatcher& matcher,
                             SearchReceiver& receiver, DiagnosticSink& diagnostics) {
    return CSearchRun(search, matcher, receiver, diagnostics).Run();
}

}  // namespace twitter_api
