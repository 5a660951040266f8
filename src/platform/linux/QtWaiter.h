// The window program's waiter: a nested Qt event loop, so menus, D-Bus commands and hot
// keys keep running while keystroke typing pauses.
#pragma once

#include "platform/Waiter.h"

namespace quorvane {

class QtWaiter : public Waiter {
  public:
    void ProcessEvents(uint32_t maxMs) override;
};

}  // namespace quorvane
