#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// The machine's offset from UTC at an instant, summer time included. Asking the zone costs a look
// at its file each time, so the offset is kept for the quarter hour the last instant fell in: a
// batch of entries asks the zone about once per quarter hour it spans rather than once per entry.
// Zones change their offsets on quarter hours.
class LocalOffsets {
  public:
    int64_t At(int64_t timeMs);

  private:
    int64_t mQuarter = std::numeric_limits<int64_t>::min();
    int64_t mOffsetMs = 0;
};

// A creation time as the pages show it. The stored text (Japan time for statuses and messages,
// UTC for search results) is read back and shown in the display form in the machine's time zone
// (offsets tells its offset), or in Japan time when asked; a text that cannot be read is shown as
// it is stored.
std::string ShownTime(std::string_view stored, bool japanTime, LocalOffsets& offsets);
