#include "textview/ShownTime.h"

#include <QDateTime>
#include <optional>

#include "twitter_api/conversions/datetime.h"

std::string ShownTime(std::string_view stored, bool japanTime) {
    const std::optional<int64_t> time = twitter_api::ParseStoredDateTime(stored);
    if (!time) {
        return std::string(stored);
    }
    // The machine's offset at that instant, summer time included.
    const int64_t offsetMs =
        japanTime ? twitter_api::kDisplayOffsetMs
                  : QDateTime::fromMSecsSinceEpoch(*time).offsetFromUtc() * int64_t{1000};
    return twitter_api::FormatDisplayDateTime(*time, offsetMs);
}
