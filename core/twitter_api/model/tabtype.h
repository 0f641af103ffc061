#pragma once

#include <cstdint>

namespace twitter_api {

// The kind of a timeline; its value picks the tab caption, the request and the log directory, and
// it is stored, so the values never change.
enum ETabType : int32_t {
    TIMELINE = 0,
    MENTIONS = 1,
    DIRECTMESSAGES = 2,
    LISTS = 3,
    SEARCH = 4,
};

inline constexpr int kTabTypeCount = 5;

}  // namespace twitter_api
