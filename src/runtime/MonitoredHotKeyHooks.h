// The runtime session's keyboard hook over a real keyboard monitor: Program registers the
// configuration's hot keys with HotKeys, Release lets them go. The monitor may be null (no X
// display): hot keys are then unavailable and the first Program with hot keys says so.
#pragma once

#include "runtime/HotKeyHooks.h"
#include "runtime/HotKeys.h"

namespace quorvane {

class MonitoredHotKeyHooks : public HotKeyHooks {
  public:
    // g is the configuration the session runs (the one Program is given); all outlive this.
    MonitoredHotKeyHooks(SetupGlobals& g, DdeCommandHost& host, KeyboardMonitor* monitor,
                         Messages* messages)
        : hotKeys_(g, host), monitor_(monitor), messages_(messages) {}

    void Program(const SetupGlobals&) override { status_ = hotKeys_.Activate(monitor_, messages_); }
    void Release() override { hotKeys_.Deactivate(); }

    HotKeyStatus status() const { return status_; }
    HotKeys& hotKeys() { return hotKeys_; }

  private:
    HotKeys hotKeys_;
    KeyboardMonitor* monitor_;
    Messages* messages_;
    HotKeyStatus status_ = HotKeyStatus::NoHotKeys;
};

}  // namespace quorvane
