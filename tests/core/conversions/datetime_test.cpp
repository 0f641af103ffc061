#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "support/captured.h"
#include "twitter_api/conversions/datetime.h"

namespace {

using twitter_api::FormatDisplayDateTime;
using twitter_api::GetDateKey;
using twitter_api::GetDisplayDateTime;
using twitter_api::GetMonthNumber;
using twitter_api::kDisplayOffsetMs;
using twitter_api::kOneDayMs;
using twitter_api::PadTwoDigits;
using twitter_api::ParseStoredDateTime;

const std::string kInvalid = "Invalid Datetime String.";

TEST(GetDisplayDateTime, ShowsTheServiceTimeNineHoursAhead) {
    struct Case {
        const char* createdAt;
        const char* shown;
    };
    const Case cases[] = {
        {"Wed Aug 27 13:08:45 +0000 2008", "2008-8-27 22:08:45"},
        {"Mon Apr 05 20:00:00 +0000 2010", "2010-4-06 05:00:00"},
        {"Sat Jan 09 00:00:00 +0000 2010", "2010-1-09 09:00:00"},
        {"Sun Oct 24 03:46:25 +0000 2010", "2010-10-24 12:46:25"},
        // The offset carries into the next month, year and over leap days.
        {"Fri Dec 31 16:00:00 +0000 2010", "2011-1-01 01:00:00"},
        {"Fri Dec 31 15:00:00 +0000 1999", "2000-1-01 00:00:00"},
        {"Fri Dec 31 14:59:59 +0000 1999", "1999-12-31 23:59:59"},
        {"Mon Feb 28 20:00:00 +0000 2000", "2000-2-29 05:00:00"},
        {"Wed Feb 28 20:00:00 +0000 1900", "1900-3-01 05:00:00"},
        {"Wed Feb 29 12:00:00 +0000 2012", "2012-2-29 21:00:00"},
        {"Tue Jan 19 03:14:08 +0000 2038", "2038-1-19 12:14:08"},
        // Before 1970.
        {"Wed Dec 31 23:59:59 +0000 1969", "1970-1-01 08:59:59"},
        // The zone offset is applied first: these are all 13:08:45 UTC.
        {"Wed Aug 27 22:08:45 +0900 2008", "2008-8-27 22:08:45"},
        {"Wed Aug 27 08:08:45 -0500 2008", "2008-8-27 22:08:45"},
        {"Wed Aug 27 18:38:45 +0530 2008", "2008-8-27 22:08:45"},
        {"Wed Aug 27 13:08:45 -0000 2008", "2008-8-27 22:08:45"},
        {"Thu Aug 28 01:08:45 +1200 2008", "2008-8-27 22:08:45"},
        // Blank runs, tabs and a single-digit day are read as the service means them.
        {"Wed  Aug 27   13:08:45 +0000  2008", "2008-8-27 22:08:45"},
        {"  Wed\tAug 27 13:08:45 +0000 2008\r\n", "2008-8-27 22:08:45"},
        {"Mon Apr 5 20:00:00 +0000 2010", "2010-4-06 05:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDisplayDateTime(c.createdAt), c.shown) << c.createdAt;
    }
}

TEST(GetDisplayDateTime, UnreadableTextsGiveTheInvalidMarker) {
    const char* const texts[] = {
        "",
        "   ",
        "garbage",
        "2008-08-27T13:08:45Z",
        "Wed Aug 27 13:08:45 2008",              // no zone
        "Wed Aug 27 13:08:45 +0000 2008 extra",  // seven words
        "Wed Aug 27 13:08:45 +0000",             // no year
        "Xyz Aug 27 13:08:45 +0000 2008",        // weekday
        "wed Aug 27 13:08:45 +0000 2008",        // weekday case
        "Wed aug 27 13:08:45 +0000 2008",        // month case
        "Wed August 27 13:08:45 +0000 2008",     // full month name
        "Wed Aug 0 13:08:45 +0000 2008",         // day zero
        "Wed Aug 32 13:08:45 +0000 2008",        // past the month's end
        "Wed Aug 027 13:08:45 +0000 2008",       // three-digit day
        "Sun Feb 29 13:08:45 +0000 2009",        // not a leap year
        "Thu Feb 29 13:08:45 +0000 1900",        // century, not a leap year
        "Wed Sep 31 13:08:45 +0000 2008",        // thirty-day month
        "Wed Aug 27 24:00:00 +0000 2008",        // hour
        "Wed Aug 27 13:60:45 +0000 2008",        // minute
        "Wed Aug 27 13:08:60 +0000 2008",        // second
        "Wed Aug 27 13:8:45 +0000 2008",         // one-digit minute
        "Wed Aug 27 13-08-45 +0000 2008",        // separators
        "Wed Aug 27 13:08:45.5 +0000 2008",      // fraction
        "Wed Aug 27 13:08:45 0000 2008",         // zone without sign
        "Wed Aug 27 13:08:45 +000 2008",         // three-digit zone
        "Wed Aug 27 13:08:45 +00000 2008",       // five-digit zone
        "Wed Aug 27 13:08:45 +0060 2008",        // zone minutes
        "Wed Aug 27 13:08:45 UTC 2008",          // zone name
        "Wed Aug 27 13:08:45 +0000 08",          // two-digit year
        "Wed Aug 27 13:08:45 +0000 20x8",        // year digits
        "Wed Aug 27 13:08:45 +0000 -2008",       // year sign
        "Aug Wed 27 13:08:45 +0000 2008",        // order
    };
    for (const char* text : texts) {
        EXPECT_EQ(GetDisplayDateTime(text), kInvalid) << '"' << text << '"';
    }
}

// An independent calendar, the standard library's, for checks over many instants.
struct Civil {
    int year;
    unsigned month;
    unsigned day;
    unsigned weekday;  // 0 is Sunday
    long long secondOfDay;
};

Civil CivilOf(int64_t timeMs) {
    using namespace std::chrono;
    const sys_time<milliseconds> time{milliseconds{timeMs}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    return {int(date.year()), unsigned(date.month()), unsigned(date.day()),
            weekday{day}.c_encoding(), duration_cast<seconds>(time - day).count()};
}

// The form the service writes, "Wed Aug 27 13:08:45 +0000 2008".
std::string CreatedAtText(const Civil& c) {
    static const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02u %02lld:%02lld:%02lld +0000 %d",
                  kDayNames[c.weekday], kMonthNames[c.month - 1], c.day, c.secondOfDay / 3600,
                  c.secondOfDay / 60 % 60, c.secondOfDay % 60, c.year);
    return text;
}

// The display form, "2008-8-27 22:08:45".
std::string DisplayText(const Civil& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%u-%02u %02lld:%02lld:%02lld", c.year, c.month, c.day,
                  c.secondOfDay / 3600, c.secondOfDay / 60 % 60, c.secondOfDay % 60);
    return text;
}

TEST(GetDisplayDateTime, AgreesWithTheStandardCalendarOverTwoCenturies) {
    // A step that is not a whole number of hours or days walks through every hour, weekday and
    // day of month; the range crosses 1970, 2000 and several non-leap century years' neighbours.
    const int64_t first = -2'208'988'800'000;  // 1900-01-01
    const int64_t last = 4'102'444'800'000;    // 2100-01-01
    const int64_t step = 3 * kOneDayMs + 7 * 3'600'000 + 13 * 60'000 + 17'000;
    for (int64_t t = first; t < last; t += step) {
        const std::string createdAt = CreatedAtText(CivilOf(t));
        ASSERT_EQ(GetDisplayDateTime(createdAt), DisplayText(CivilOf(t + kDisplayOffsetMs)))
            << createdAt;
    }
}

TEST(GetDisplayDateTime, ReadsEveryCreationTimeOfTheCapturedDocuments) {
    REQUIRE_CAPTURED_DOCUMENTS();
    const std::filesystem::path folder = WARBLET_SHARED_FIXTURES;
    const std::string open = "<created_at>";
    const std::string close = "</created_at>";
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".xml") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string document{std::istreambuf_iterator<char>(in), {}};
        for (size_t start = document.find(open); start != std::string::npos;
             start = document.find(open, start + 1)) {
            const size_t textStart = start + open.size();
            const std::string createdAt =
                document.substr(textStart, document.find(close, textStart) - textStart);
            EXPECT_NE(GetDisplayDateTime(createdAt), kInvalid)
                << entry.path().filename() << ": " << createdAt;
            ++seen;
        }
    }
    EXPECT_GT(seen, 0);
}

// The stored texts are read back as the times they stand for, so that they can be shown in
// another zone while they are kept as they are.
TEST(ParseStoredDateTime, ReadsTheDisplayFormAndTheSearchForm) {
    struct Case {
        const char* stored;
        std::optional<int64_t> timeMs;
    };
    const int64_t created = 1'219'842'525'000;  // 2008-08-27 13:08:45 UTC
    const Case cases[] = {
        {"2008-8-27 22:08:45", created},
        {"2008-08-27 22:08:45", created},
        {"2008-8-28 07:08:45", created + 9 * 3'600'000},
        {"1970-1-01 09:00:00", 0},
        {"2008-08-27T13:08:45Z", created},
        {"2008-08-27T22:08:45+09:00", created},
        {"2008-08-27T08:08:45-05:00", created},
        {"Invalid Datetime String.", std::nullopt},
        {"", std::nullopt},
        {"2008-2-30 10:00:00", std::nullopt},
        {"2008-13-01 10:00:00", std::nullopt},
        {"2008-8-27 24:00:00", std::nullopt},
        {"2008-8-27  22:08:45", std::nullopt},
        {"08-8-27 22:08:45", std::nullopt},
        {"2008-08-27T13:08:45", std::nullopt},
        {"2008-08-27T13:08:45+0900", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseStoredDateTime(c.stored), c.timeMs) << c.stored;
    }
}

TEST(FormatDisplayDateTime, ShowsATimeAtAnyOffsetInTheDisplayForm) {
    const int64_t created = 1'219'842'525'000;  // 2008-08-27 13:08:45 UTC
    EXPECT_EQ(FormatDisplayDateTime(created, 0), "2008-8-27 13:08:45");
    EXPECT_EQ(FormatDisplayDateTime(created, kDisplayOffsetMs), "2008-8-27 22:08:45");
    EXPECT_EQ(FormatDisplayDateTime(created, -14 * 3'600'000), "2008-8-26 23:08:45");
    EXPECT_EQ(FormatDisplayDateTime(created + 80 * kOneDayMs, 3'600'000), "2008-11-15 14:08:45");
}

// At the display offset the two agree with the conversion the texts were stored by, so a text
// read back and shown in Japan time is the stored text itself.
TEST(FormatDisplayDateTime, AtTheDisplayOffsetGivesBackTheStoredText) {
    const int64_t first = -2'208'988'800'000;  // 1900-01-01
    const int64_t last = 4'102'444'800'000;    // 2100-01-01
    const int64_t step = 5 * kOneDayMs + 11 * 3'600'000 + 7 * 60'000 + 29'000;
    for (int64_t t = first; t < last; t += step) {
        const std::string stored = GetDisplayDateTime(CreatedAtText(CivilOf(t)));
        ASSERT_EQ(ParseStoredDateTime(stored), t) << stored;
        ASSERT_EQ(FormatDisplayDateTime(t, kDisplayOffsetMs), stored);
    }
}

TEST(GetDateKey, IsTheUtcDateWithoutTheDisplayOffset) {
    struct Case {
        int64_t timeMs;
        const char* key;
    };
    const Case cases[] = {
        {0, "19700101"},
        {-1, "19691231"},
        {1'262'995'200'000, "20100109"},  // 2010-01-09 00:00:00
        {1'270'510'200'000, "20100405"},  // 2010-04-05 23:30:00
        {1'219'842'525'000, "20080827"},  // 2008-08-27 13:08:45
        {1'293'811'200'000, "20101231"},  // 2010-12-31 16:00:00, shown as 1 January
        {1'293'839'999'999, "20101231"},  // the last millisecond of 2010
        {1'293'840'000'000, "20110101"},
        {951'782'400'000, "20000229"},
        {-2'203'891'200'000, "19000301"},
        {253'402'300'799'999, "99991231"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDateKey(c.timeMs), c.key) << c.timeMs;
    }
}

TEST(GetDateKey, AndTheDisplayDisagreeAcrossTheNewYear) {
    // 16:00 UTC on 31 December: already 1 January at UTC+9, still 31 December in the logs.
    EXPECT_EQ(GetDisplayDateTime("Fri Dec 31 16:00:00 +0000 2010"), "2011-1-01 01:00:00");
    EXPECT_EQ(GetDateKey(1'293'811'200'000), "20101231");
}

TEST(GetDateKey, YesterdayCrossesMonthAndYearEnds) {
    struct Case {
        int64_t todayMs;
        const char* yesterday;
    };
    const Case cases[] = {
        {1'267'401'600'000, "20100228"},  // 2010-03-01
        {1'204'329'600'000, "20080229"},  // 2008-03-01
        {1'293'840'000'000, "20101231"},  // 2011-01-01
        {1'270'425'600'000, "20100404"},  // 2010-04-05
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDateKey(c.todayMs - kOneDayMs), c.yesterday) << c.todayMs;
    }
}

TEST(GetDateKey, AgreesWithTheStandardCalendarDayByDay) {
    for (int64_t day = -29'000; day < 51'000; ++day) {  // about 1890 to 2109
        const Civil c = CivilOf(day * kOneDayMs);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%04d%02u%02u", c.year, c.month, c.day);
        ASSERT_EQ(GetDateKey(day * kOneDayMs), expected) << day;
        ASSERT_EQ(GetDateKey(day * kOneDayMs + kOneDayMs - 1), expected) << day;
    }
}

TEST(GetDateKey, KeepsTheCalendarAtTheEndsOfTheTimeRange) {
    // +292278994-08-17T07:12:55.807Z and -292275055-05-16T16:47:04.192Z, proleptic Gregorian.
    EXPECT_EQ(GetDateKey(INT64_MAX), "2922789940817");
    EXPECT_EQ(GetDateKey(INT64_MIN), "-2922750550516");
}

TEST(GetMonthNumber, MatchesTheExactAbbreviationOnly) {
    struct Case {
        const char* month;
        const char* number;
    };
    const Case cases[] = {
        {"Jan", "1"},  {"Feb", "2"},  {"Mar", "3"},  {"Apr", "4"},  {"May", "5"},
        {"Jun", "6"},  {"Jul", "7"},  {"Aug", "8"},  {"Sep", "9"},  {"Oct", "10"},
        {"Nov", "11"}, {"Dec", "12"}, {"apr", "0"},  {"APR", "0"},  {"April", "0"},
        {"Ap", "0"},   {"", "0"},     {"Sept", "0"}, {" Apr", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetMonthNumber(c.month), c.number) << '"' << c.month << '"';
    }
}

TEST(PadTwoDigits, PrefixesAZeroToOneCharacterOnly) {
    struct Case {
        const char* digits;
        const char* padded;
    };
    const Case cases[] = {
        {"7", "07"}, {"0", "00"}, {"12", "12"}, {"", ""}, {"123", "123"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PadTwoDigits(c.digits), c.padded) << '"' << c.digits << '"';
    }
}

}  // namespace
