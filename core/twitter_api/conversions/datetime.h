#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twitter_api {

inline constexpr int64_t kDisplayOffsetMs = 32'400'000;  // shown times are UTC+9
inline constexpr int64_t kOneDayMs = 86'400'000;

// "Wed Aug 27 13:08:45 +0000 2008" -> "2008-8-27 22:08:45"; an unreadable text gives
// "Invalid Datetime String.".
std::string GetDisplayDateTime(std::string_view createdAt);

// The UTC calendar date of a time in milliseconds since 1970 as eight digits yyyyMMdd.
std::string GetDateKey(int64_t timeMs);

// "Jan" -> "1" ... "Dec" -> "12", exact case; anything else "0".
std::string GetMonthNumber(std::string_view month);

// "7" -> "07"; other lengths unchanged.
std::string PadTwoDigits(std::string_view digits);

}  // namespace twitter_api
