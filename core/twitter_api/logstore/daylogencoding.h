#pragma once

#include <optional>
#include <string>

#include "twitter_api/logstore/logwriter.h"
#include "twitter_api/model/contributionlistofday.h"

namespace twitter_api {

// A day list's archive, encoded into the storage of buffer, and what a file holding it holds.
struct SEncodedDay {
    std::string bytes;
    SSavedDay saved;
};
SEncodedDay EncodeDay(const ContributionListPtr& list, std::string buffer);
// What a file holds that holds the whole archive of list, bytes long.
SSavedDay WholeDay(const ContributionListPtr& list, uint64_t bytes);

// The records of the entries that list has added since a file came to hold what saved describes
// (none, when it has added nothing), and what that file holds with them: the bytes a whole save
// would write after those the file already holds. Nothing when the file cannot simply grow: it
// holds another list, or an entry it holds has changed since.
std::optional<SEncodedDay> EncodeAddedEntries(const ContributionListPtr& list,
                                              const SSavedDay& saved);

}  // namespace twitter_api
