#pragma once

#include <string>
#include <string_view>

namespace twitter_api {

// A W3C date-time as Atom feeds write it, "2020-06-09T09:05:47+00:00" (or ending in "Z", with or
// without fractions of a second), as the display text that GetDisplayDateTime gives for the same
// instant: "2020-6-09 18:05:47". An unreadable text gives "Invalid Datetime String.".
std::string GetDisplayDateTimeOfW3c(std::string_view dateTime);

}  // namespace twitter_api
