// The program's clock: milliseconds from a monotonic source (never moved by clock changes),
// wrapping at 2^32, and the local date and time.
#pragma once

#include "platform/Clock.h"

namespace quorvane {

class SteadyClock : public Clock {
  public:
    uint32_t TickCount() override;
    DateTimeParts Now() override;
};

}  // namespace quorvane
