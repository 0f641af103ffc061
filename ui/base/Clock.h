#pragma once

#include <cstdint>

// The current time as the tab pages see it: the day key, the reload interval and the day lists
// all follow it, so tests move it instead of waiting.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since 1970-01-01 00:00:00 UTC.
    virtual int64_t NowMs() const = 0;
};

class SystemClock final : public Clock {
  public:
    int64_t NowMs() const override;
};
