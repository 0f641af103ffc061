#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "twitter_api/search/searchhit.h"

namespace twitter_api {

// Turns the matching entries of the days, read newest day first, into results: a status once,
// at the newest day that holds a matching copy, with the kinds of that day's matching copies and
// the record of the first of them; a direct message as its own kind beside a status of the same
// id. Keeps the ids handed on (8 bytes each), not the entries.
class CHitCollector {
  public:
    void BeginDay(std::string dayKey);
    // Entries of one day come in the order of the day's files: home, mentions, lists, searches,
    // direct messages.
    void Add(ETabType kind, const CContribution& entry);
    // The day's results by id, highest first; they count as shown from now on.
    std::vector<SSearchHit> EndDay();

  private:
    // Ids handed on, in ascending order; statuses and direct messages apart.
    struct SShown {
        std::vector<int64_t> mStatuses;
        std::vector<int64_t> mDirectMessages;
    };

    static std::vector<int64_t>& IdsOf(SShown& shown, ETabType kind);
    static void MergeInto(std::vector<int64_t>& ids, std::vector<int64_t> more);

    SShown mShown;
    std::string mDayKey;
    std::vector<SSearchHit> mDay;
    std::unordered_map<int64_t, size_t> mStatusIndex;  // id to its place in mDay
    std::unordered_map<int64_t, size_t> mDirectMessageIndex;
};

}  // namespace twitter_api
