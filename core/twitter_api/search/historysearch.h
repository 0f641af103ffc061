#pragma once

#include <cstddef>
#include <filesystem>
#include <stop_token>

#include "twitter_api/search/matcher.h"
#include "twitter_api/search/searchhit.h"

class DiagnosticSink;

namespace twitter_api {

// What a search hands on while it runs, on the thread that runs it.
class SearchReceiver {
  public:
    virtual ~SearchReceiver() = default;
    // Hits come newest first: by day, and within a day by id, highest first.
    virtual void Hit(SSearchHit hit) = 0;
    // After each day: daysRead of the daysInRange whose logs can hold a hit.
    virtual void Progress(size_t daysRead, size_t daysInRange) = 0;
};

struct SHistorySearch {
    std::filesystem::path mAccountFolder;  // log/{user}/
    size_t mLimit = 0;                     // the most hits handed on; 0 for all
    std::stop_token mStop;                 // checked between files and every few hundred entries
};

struct SSearchSummary {
    size_t mHits = 0;
    size_t mFilesRead = 0;
    size_t mFilesSkipped = 0;  // damaged
    bool mStopped = false;     // by mStop, before the search was through
};

// Reads the account's day logs that can hold a hit, newest day first and one file at a time, and
// hands each hit on as soon as its day is through. A log that cannot be read is reported to
// diagnostics in one line and skipped. Throws Exception when the folder cannot be listed.
SSearchSummary SearchHistory(const SHistorySearch& search, const CQueryMatcher& matcher,
                             SearchReceiver& receiver, DiagnosticSink& diagnostics);

}  // namespace twitter_api
