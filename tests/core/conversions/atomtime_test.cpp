#include <gtest/gtest.h>

#include "twitter_api/conversions/atomtime.h"
#include "twitter_api/conversions/datetime.h"

namespace {

using namespace twitter_api;

TEST(AtomTime, W3cTimesShowAsCreatedTimesDo) {
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"2020-06-09T09:05:47+00:00", "2020-6-09 18:05:47"},
        {"2020-06-09T09:05:47Z", "2020-6-09 18:05:47"},
        {"2020-06-09T11:05:47+02:00", "2020-6-09 18:05:47"},
        {"2020-06-09T09:05:47.123-01:30", "2020-6-09 19:35:47"},
        {"2010-12-31T16:00:00+00:00", "2011-1-01 01:00:00"},
        {"2024-02-29T00:00:00Z", "2024-2-29 09:00:00"},
        {"2023-02-29T00:00:00Z", "Invalid Datetime String."},
        {"2020-06-09 09:05:47Z", "Invalid Datetime String."},
        {"2020-06-09T09:05:47", "Invalid Datetime String."},
        {"2020-06-09T09:05:47+0000", "Invalid Datetime String."},
        {"2020-06-09T25:05:47Z", "Invalid Datetime String."},
        {"2020-6-9T09:05:47Z", "Invalid Datetime String."},
        {"", "Invalid Datetime String."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GetDisplayDateTimeOfW3c(c.text), c.shown);
    }
    EXPECT_EQ(GetDisplayDateTimeOfW3c("2020-06-09T09:05:47+00:00"),
              GetDisplayDateTime("Tue Jun 09 09:05:47 +0000 2020"));
}

}  // namespace
