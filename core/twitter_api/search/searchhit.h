#pragma once

#include <string>
#include <vector>

#include "twitter_api/model/contribution.h"
#include "twitter_api/model/tabtype.h"

namespace twitter_api {

// One result of a history search: a status with the kinds of the day's logs whose copies meet the
// query (in the order home, mentions, list, search), or a direct message.
struct SSearchHit {
    std::string mDayKey;  // yyyyMMdd of the log that holds it
    std::vector<ETabType> mKinds;
    ContributionPtr mEntry;  // a copy of its own, holding no log file in memory
};

// A copy of entry whose texts are its own, so that the file it was read from can go.
ContributionPtr DetachedCopy(const CContribution& entry);

}  // namespace twitter_api
