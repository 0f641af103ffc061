#include "twitter_api/conversions/atomtime.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>

#include "twitter_api/conversions/datetime.h"

namespace twitter_api {
namespace {

constexpr std::string_view kInvalidDateTime = "Invalid Datetime String.";
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::optional<int> Digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text.substr(at, count)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool HasAt(std::string_view text, size_t at, char c) {
    return at < text.size() && text[at] == c;
}

// "Z" as "+0000", "+hh:mm" or "-hh:mm" as "+hhmm" or "-hhmm".
std::optional<std::string> ZoneOffset(std::string_view zone) {
    if (zone == "Z") {
        return "+0000";
    }
    const auto hours = Digits(zone, 1, 2);
    const auto minutes = Digits(zone, 4, 2);
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' || !hours ||
        !minutes) {
        return std::nullopt;
    }
    return std::string{zone[0], zone[1], zone[2], zone[4], zone[5]};
}

// The same local time and offset in the form of a status's created_at element.
std::optional<std::string> AsCreatedAt(std::string_view text) {
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    if (!year || !month || !day || !HasAt(text, 4, '-') || !HasAt(text, 7, '-') ||
        !HasAt(text, 10, 'T') || !HasAt(text, 13, ':') || !HasAt(text, 16, ':')) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok() || text.size() < 19) {
        return std::nullopt;
    }
    size_t zoneStart = 19;
    if (HasAt(text, zoneStart, '.')) {
        ++zoneStart;
        while (zoneStart < text.size() && text[zoneStart] >= '0' && text[zoneStart] <= '9') {
            ++zoneStart;
        }
    }
    const auto zone = ZoneOffset(text.substr(zoneStart));
    if (!zone) {
        return std::nullopt;
    }
    const std::chrono::weekday weekday{std::chrono::sys_days(date)};
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%s %s %02d %.8s %s %04d",
                  kWeekdays[weekday.c_encoding()], kMonths[static_cast<size_t>(*month - 1)], *day,
                  text.substr(11, 8).data(), zone->c_str(), *year);
    return std::string(buffer.data());
}

}  // namespace

std::string GetDisplayDateTimeOfW3c(std::string_view dateTime) {
    const std::optional<std::string> createdAt = AsCreatedAt(dateTime);
    return createdAt ? GetDisplayDateTime(*createdAt) : std::string(kInvalidDateTime);
}

}  // namespace twitter_api
