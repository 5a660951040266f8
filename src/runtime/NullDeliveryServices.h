// Delivery services for a session that has no desktop to type into and no DDE client: the
// keystrokes of Send Keystrokes mode go nowhere and delivery commands are not sent. A desktop
// session uses them where no X display answers and where there is no session bus.
#pragma once

#include "delivery/KeystrokeTarget.h"
#include "platform/DdeClient.h"

namespace quorvane {

class NullKeystrokeTarget : public KeystrokeTarget {
  public:
    WindowId GetForegroundWindow() override { return 0; }
    // No window is ever found; with no command line to start, delivery types nothing.
    TargetSearch FindTargetWindow(std::string&) override { return {}; }
    TargetLaunch LaunchTarget(const std::string&, std::string&) override { return {true, 0}; }
    void SendKeyMacro(const std::string&) override {}
    void MinimizeWindow(WindowId) override {}
    void SetForegroundWindow(WindowId) override {}
    bool IsOwnWindowForeground() override { return false; }
    bool CanType() const override { return false; }
};

class NullDdeClient : public DdeClient {
  public:
    DdeConversationId DdeClientConnect(const std::string&, const std::string&) override {
        return 0;
    }
    void DdeClientExecute(DdeConversationId&, const std::string&) override {}
};

}  // namespace quorvane
