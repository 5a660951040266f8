// A clock that moves only when the test moves it.
#pragma once

#include "platform/Clock.h"

namespace quorvane {

class FakeClock : public Clock {
public:
    uint32_t TickCount() override { return ticks; }
    DateTimeParts Now() override { return now; }

    uint32_t ticks = 0;
    DateTimeParts now{2026, 12, 7, 9, 30, 15};
};

}  // namespace quorvane
