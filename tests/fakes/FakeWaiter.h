// A waiter that moves a fake clock instead of waiting, in steps of at most stepMs, and
// records each wait ("wait 500"). A test may run something during a wait (onWait).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "platform/Waiter.h"

namespace quorvane {

class FakeWaiter : public Waiter {
  public:
    explicit FakeWaiter(FakeClock& clock) : clock_(clock) {}

    void ProcessEvents(uint32_t maxMs) override {
        waits.push_back(maxMs);
        if (onWait) onWait();
        clock_.ticks += std::min(maxMs, stepMs);
    }

    std::vector<uint32_t> waits;
    uint32_t stepMs = UINT32_MAX;
    std::function<void()> onWait;

  private:
    FakeClock& clock_;
};

}  // namespace quorvane
