// Keeps the user interface alive while keystroke typing pauses ({DELAY n}, the Alt pause):
// the window program runs a nested event loop, tests move a fake clock.
#pragma once

#include <cstdint>

namespace quorvane {

class Waiter {
  public:
    virtual ~Waiter() = default;
    // Processes user-interface events for at most maxMs milliseconds. It may return earlier;
    // the caller measures the time on its clock and calls again.
    virtual void ProcessEvents(uint32_t maxMs) = 0;
};

}  // namespace quorvane
