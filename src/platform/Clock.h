// The millisecond tick and the calendar clock, injected so that tests control time.
#pragma once

#include <cstdint>

namespace quorvane {

struct DateTimeParts {
    int Year = 2000, Month = 1, Day = 1;  // Month 1..12, Day 1..31
    int Hour = 0, Minute = 0, Second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps at 2^32 (compare with subtraction).
    virtual uint32_t TickCount() = 0;
    // The local date and time, one-second resolution.
    virtual DateTimeParts Now() = 0;
};

}  // namespace quorvane
