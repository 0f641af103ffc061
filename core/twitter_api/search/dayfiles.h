#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "twitter_api/model/tabtype.h"

namespace twitter_api {

class CQueryMatcher;

// One day log of an account, as its name tells.
struct SDayFile {
    ETabType mKind;
    std::filesystem::path mPath;
};

// The logs of one day, in the order their copies of a status count: home, mentions, lists,
// searches (lists and searches by file name), then direct messages.
struct SLogDay {
    std::string mDayKey;  // yyyyMMdd
    std::vector<SDayFile> mFiles;
};

// The day logs in an account's log folder that can hold a hit of matcher, newest day first,
// chosen by their names alone: "{day}.dat" in the folders of the home timeline, mentions and
// direct messages, "{day}_{name}.dat" in those of lists and searches; other files are not ours and
// are left out. Throws Exception "Cannot read the logs in '...': reason" when the folder cannot be
// listed; a missing kind folder holds nothing.
std::vector<SLogDay> ListLogDays(const std::filesystem::path& accountFolder,
                                 const CQueryMatcher& matcher);

}  // namespace twitter_api
