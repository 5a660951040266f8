// The keyboard hook of the runtime session: programmed with the configuration's hot keys at
// activation, released at unload. NullHotKeyHooks stands in where there is no keyboard.
#pragma once

#include "config/SetupGlobals.h"

namespace quorvane {

class HotKeyHooks {
  public:
    virtual ~HotKeyHooks() = default;
    // Replaces the registered combinations by the configuration's hot keys.
    virtual void Program(const SetupGlobals& g) = 0;
    virtual void Release() = 0;
};

class NullHotKeyHooks : public HotKeyHooks {
  public:
    void Program(const SetupGlobals&) override {}
    void Release() override {}
};

}  // namespace quorvane
