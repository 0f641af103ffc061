#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace twitter_api {

inline constexpr int64_t kDisplayOffsetMs = 32'400'000;  // shown times are UTC+9
inline constexpr int64_t kOneDayMs = 86'400'000;

// "Wed Aug 27 13:08:45 +0000 2008" -> "2008-8-27 22:08:45"; an unreadable text gives
// "Invalid Datetime String.".
std::string GetDisplayDateTime(std::string_view createdAt);

// The time a stored creation text stands for, in milliseconds since 1970 UTC: the display text
// "2008-8-27 22:08:45" (UTC+9) that statuses and messages are stored with, or the search's
// "2008-08-27T13:08:45Z" (or with an offset such as "+09:00"). Nothing for any other text.
std::optional<int64_t> ParseStoredDateTime(std::string_view stored);

// A time in the display form "2008-8-27 22:08:45", as the clock shows it offsetMs east of UTC.
std::string FormatDisplayDateTime(int64_t timeMs, int64_t offsetMs);

// The UTC calendar date of a time in milliseconds since 1970 as eight digits yyyyMMdd.
std::string GetDateKey(int64_t timeMs);

// "Jan" -> "1" ... "Dec" -> "12", exact case; anything else "0".
std::string GetMonthNumber(std::string_view month);

// "7" -> "07"; other lengths unchanged.
std::string PadTwoDigits(std::string_view digits);

}  // namespace twitter_api
