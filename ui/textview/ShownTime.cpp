#include "textview/ShownTime.h"

#include <QDateTime>
#include <optional>

#include "twitter_api/conversions/datetime.h"

int64_t LocalOffsets::At(int64_t timeMs) {
    constexpr int64_t kQuarterMs = 15 * 60 * 1000;
    const int64_t quarter = timeMs >= 0 ? timeMs / kQuarterMs : (timeMs + 1) / kQuarterMs - 1;
    if (quarter != mQuarter) {
        mQuarter = quarter;
        mOffsetMs = QDateTime::fromMSecsSinceEpoch(timeMs).offsetFromUtc() * int64_t{1000};
    }
    return mOffsetMs;
}

std::string ShownTime(std::string_view stored, bool japanTime, LocalOffsets& offsets) {
    const std::optional<int64_t> time = twitter_api::ParseStoredDateTime(stored);
    if (!time) {
        return std::string(stored);
    }
    const int64_t offsetMs = japanTime ? twitter_api::kDisplayOffsetMs : offsets.At(*time);
    return twitter_api::FormatDisplayDateTime(*time, offsetMs);
}
