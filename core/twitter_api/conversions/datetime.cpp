#include "twitter_api/conversions/datetime.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

#include "common/errors.h"

namespace twitter_api {
namespace {

constexpr std::string_view kInvalidDateTime = "Invalid Datetime String.";
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
constexpr int64_t kSecondMs = 1000;
constexpr int64_t kDaySeconds = 86'400;

struct CivilDate {
    int64_t year;
    int month;  // 1..12
    int day;    // 1..31
};

// Calendar arithmetic on the proleptic Gregorian calendar in 64 bits, so that every time value has
// a date (std::chrono::year stops at 32767). Days are counted from 1970-01-01; eras are the
// 400-year cycles that start on 1 March.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

constexpr int64_t FloorMod(int64_t a, int64_t b) {
    return a - FloorDiv(a, b) * b;
}

constexpr int64_t DaysFromCivil(CivilDate date) {
    const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t monthFromMarch = (date.month + 9) % 12;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

constexpr CivilDate CivilFromDays(int64_t days) {
    const int64_t shifted = days + 719'468;
    const int64_t era = FloorDiv(shifted, 146'097);
    const int64_t dayOfEra = shifted - era * 146'097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const auto month =
        static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

static_assert(DaysFromCivil({1970, 1, 1}) == 0);
static_assert(DaysFromCivil({2000, 3, 1}) == 11'017);
static_assert(CivilFromDays(-1).year == 1969 && CivilFromDays(-1).day == 31);
static_assert(CivilFromDays(11'016).month == 2 && CivilFromDays(11'016).day == 29);

constexpr bool IsLeapYear(int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int DaysInMonth(int64_t year, int month) {
    constexpr std::array<int, 12> kLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kLengths[static_cast<size_t>(month - 1)];
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The words of a text split at runs of white space, at most N of them; `count` tells how many
// were found, N + 1 meaning "more than N".
template <size_t N>
struct Words {
    std::array<std::string_view, N> words;
    size_t count = 0;
};

template <size_t N>
Words<N> SplitWords(std::string_view text) {
    Words<N> result;
    size_t pos = 0;
    while (true) {
        while (pos < text.size() && IsWhiteSpace(text[pos])) {
            ++pos;
        }
        if (pos == text.size()) {
            return result;
        }
        if (result.count == N) {
            ++result.count;
            return result;
        }
        const size_t start = pos;
        while (pos < text.size() && !IsWhiteSpace(text[pos])) {
            ++pos;
        }
        result.words[result.count++] = text.substr(start, pos - start);
    }
}

// A number written with exactly the given count of decimal digits.
std::optional<int> ParseFixedDigits(std::string_view text, size_t count) {
    if (text.size() != count) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

template <size_t N>
std::optional<int> IndexOf(const std::array<std::string_view, N>& table, std::string_view word) {
    for (size_t i = 0; i < N; ++i) {
        if (table[i] == word) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// "hh:mm:ss" as seconds of the day.
std::optional<int64_t> ParseClock(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    const auto hours = ParseFixedDigits(text.substr(0, 2), 2);
    const auto minutes = ParseFixedDigits(text.substr(3, 2), 2);
    const auto seconds = ParseFixedDigits(text.substr(6, 2), 2);
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    return *hours * 3600 + *minutes * 60 + *seconds;
}

// "+hhmm" or "-hhmm" as seconds east of UTC.
std::optional<int64_t> ParseZoneOffset(std::string_view text) {
    if (text.size() != 5 || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    const auto hours = ParseFixedDigits(text.substr(1, 2), 2);
    const auto minutes = ParseFixedDigits(text.substr(3, 2), 2);
    if (!hours || !minutes || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    const int64_t seconds = *hours * 3600 + *minutes * 60;
    return text[0] == '-' ? -seconds : seconds;
}

// The service's form "Wed Aug 27 13:08:45 +0000 2008" as a UTC time value. The weekday must be
// one of the abbreviations but is not checked against the date, which alone decides the time.
std::optional<int64_t> ParseCreatedAt(std::string_view text) {
    const auto split = SplitWords<6>(text);
    if (split.count != 6) {
        return std::nullopt;
    }
    const auto& w = split.words;
    const auto month = IndexOf(kMonths, w[1]);
    const auto day = w[2].size() <= 2 ? ParseFixedDigits(w[2], w[2].size()) : std::nullopt;
    const auto clock = ParseClock(w[3]);
    const auto zone = ParseZoneOffset(w[4]);
    const auto year = ParseFixedDigits(w[5], 4);
    if (!IndexOf(kWeekdays, w[0]) || !month || !day || !clock || !zone || !year) {
        return std::nullopt;
    }
    if (*day < 1 || *day > DaysInMonth(*year, *month + 1)) {
        return std::nullopt;
    }
    const int64_t days = DaysFromCivil({*year, *month + 1, *day});
    return (days * kDaySeconds + *clock - *zone) * kSecondMs;
}

// "yyyy-M-d" or "yyyy-MM-dd" as days since 1970-01-01.
std::optional<int64_t> ParseCalendarDate(std::string_view text) {
    const size_t first = text.find('-');
    const size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (first != 4 || second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view monthText = text.substr(first + 1, second - first - 1);
    const std::string_view dayText = text.substr(second + 1);
    const auto year = ParseFixedDigits(text.substr(0, 4), 4);
    const auto month =
        monthText.size() <= 2 ? ParseFixedDigits(monthText, monthText.size()) : std::nullopt;
    const auto day = dayText.size() <= 2 ? ParseFixedDigits(dayText, dayText.size()) : std::nullopt;
    if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return DaysFromCivil({*year, *month, *day});
}

// "Z", "+hh:mm" or "-hh:mm" as seconds east of UTC.
std::optional<int64_t> ParseAtomZone(std::string_view text) {
    if (text == "Z") {
        return 0;
    }
    if (text.size() != 6 || text[3] != ':') {
        return std::nullopt;
    }
    std::string compact(text.substr(0, 3));
    compact += text.substr(4);
    return ParseZoneOffset(compact);
}

// The display form "2008-8-27 22:08:45", shown at UTC+9.
std::optional<int64_t> ParseDisplayForm(std::string_view text) {
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        return std::nullopt;
    }
    const auto days = ParseCalendarDate(text.substr(0, blank));
    const auto clock = ParseClock(text.substr(blank + 1));
    if (!days || !clock) {
        return std::nullopt;
    }
    return (*days * kDaySeconds + *clock) * kSecondMs - kDisplayOffsetMs;
}

// The Atom form "2008-08-27T13:08:45Z".
std::optional<int64_t> ParseAtomForm(std::string_view text) {
    const size_t t = text.find('T');
    if (t == std::string_view::npos || text.size() < t + 9) {
        return std::nullopt;
    }
    const auto days = ParseCalendarDate(text.substr(0, t));
    const auto clock = ParseClock(text.substr(t + 1, 8));
    const auto zone = ParseAtomZone(text.substr(t + 9));
    if (!days || !clock || !zone) {
        return std::nullopt;
    }
    return (*days * kDaySeconds + *clock - *zone) * kSecondMs;
}

// The calendar fields of a time value taken as UTC.
struct UtcFields {
    std::string_view weekday;
    std::string_view month;
    int day;
    int64_t year;
    int hours;
    int minutes;
    int seconds;
};

UtcFields ToUtcFields(int64_t timeMs) {
    const int64_t days = FloorDiv(timeMs, kDaySeconds * kSecondMs);
    const auto secondOfDay = static_cast<int>(FloorDiv(timeMs, kSecondMs) - days * kDaySeconds);
    const CivilDate date = CivilFromDays(days);
    const auto weekday = static_cast<size_t>(FloorMod(days + 4, 7));  // 1970-01-01 was a Thursday
    return {.weekday = kWeekdays[weekday],
            .month = kMonths[static_cast<size_t>(date.month - 1)],
            .day = date.day,
            .year = date.year,
            .hours = secondOfDay / 3600,
            .minutes = secondOfDay / 60 % 60,
            .seconds = secondOfDay % 60};
}

// Renderings stay short even for the most distant years (nine digits and a sign).
using TextBuffer = std::array<char, 64>;

std::string_view Rendered(const TextBuffer& buffer, int length) {
    Enforce(length > 0 && static_cast<size_t>(length) < buffer.size(),
            "A rendered time fits its buffer");
    return {buffer.data(), static_cast<size_t>(length)};
}

// Appends the number's digits, with zeros before them up to the width.
void AppendNumber(std::string& text, int64_t number, int width) {
    std::array<char, 24> digits{};
    const char* end = std::to_chars(digits.begin(), digits.end(), number).ptr;
    const auto count = static_cast<int>(end - digits.data());
    text.append(static_cast<size_t>(std::max(0, width - count)), '0');
    text.append(digits.data(), static_cast<size_t>(count));
}

// "Wed Aug 27 2008 22:08:45 GMT+0000": the date text and the time text joined by one blank.
std::string_view RenderDisplayText(int64_t timeMs, TextBuffer& buffer) {
    const UtcFields f = ToUtcFields(timeMs);
    const int length = std::snprintf(
        buffer.data(), buffer.size(), "%.*s %.*s %02d %04lld %02d:%02d:%02d GMT+0000",
        static_cast<int>(f.weekday.size()), f.weekday.data(), static_cast<int>(f.month.size()),
        f.month.data(), f.day, static_cast<long long>(f.year), f.hours, f.minutes, f.seconds);
    return Rendered(buffer, length);
}

// "Mon Apr 05 23:30:00 GMT+0000 2010".
std::string_view RenderUtcText(int64_t timeMs, TextBuffer& buffer) {
    const UtcFields f = ToUtcFields(timeMs);
    const int length = std::snprintf(
        buffer.data(), buffer.size(), "%.*s %.*s %02d %02d:%02d:%02d GMT+0000 %04lld",
        static_cast<int>(f.weekday.size()), f.weekday.data(), static_cast<int>(f.month.size()),
        f.month.data(), f.day, f.hours, f.minutes, f.seconds, static_cast<long long>(f.year));
    return Rendered(buffer, length);
}

}  // namespace

std::string GetDisplayDateTime(std::string_view createdAt) {
    const std::optional<int64_t> created = ParseCreatedAt(createdAt);
    if (!created) {
        return std::string(kInvalidDateTime);
    }
    TextBuffer buffer;
    const auto split = SplitWords<6>(RenderDisplayText(*created + kDisplayOffsetMs, buffer));
    if (split.count != 6) {
        return std::string(kInvalidDateTime);
    }
    const auto& w = split.words;  // weekday, month, day, year, time, zone
    std::string result(w[3]);
    result += '-';
    result += GetMonthNumber(w[1]);
    result += '-';
    result += w[2];
    result += ' ';
    result += w[4];
    return result;
}

std::optional<int64_t> ParseStoredDateTime(std::string_view stored) {
    return stored.find('T') != std::string_view::npos ? ParseAtomForm(stored)
                                                      : ParseDisplayForm(stored);
}

std::string FormatDisplayDateTime(int64_t timeMs, int64_t offsetMs) {
    // Written digit by digit: every entry shown asks for its time.
    const UtcFields f = ToUtcFields(timeMs + offsetMs);
    std::string text;
    AppendNumber(text, f.year, 1);
    text += '-';
    text += GetMonthNumber(f.month);
    text += '-';
    AppendNumber(text, f.day, 2);
    text += ' ';
    AppendNumber(text, f.hours, 2);
    text += ':';
    AppendNumber(text, f.minutes, 2);
    text += ':';
    AppendNumber(text, f.seconds, 2);
    return text;
}

std::string GetDateKey(int64_t timeMs) {
    TextBuffer buffer;
    const auto split = SplitWords<6>(RenderUtcText(timeMs, buffer));
    Enforce(split.count == 6, "The UTC rendering of a time has six words");
    const auto& w = split.words;  // weekday, month, day, time, zone, year
    std::string key(w[5]);
    key += PadTwoDigits(GetMonthNumber(w[1]));
    key += w[2];
    return key;
}

std::string GetMonthNumber(std::string_view month) {
    const std::optional<int> index = IndexOf(kMonths, month);
    return index ? std::to_string(*index + 1) : "0";
}

std::string PadTwoDigits(std::string_view digits) {
    return digits.size() == 1 ? "0" + std::string(digits) : std::string(digits);
}

}  // namespace twitter_api
