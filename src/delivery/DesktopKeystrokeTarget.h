// The keystroke target of a desktop session: windows through the window system, the target
// application through TargetActivation, and the typing through its own typer over the key
// injection.
#pragma once

#include <string>

#include "config/SetupGlobals.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/KeystrokeTarget.h"
#include "delivery/TargetActivation.h"
#include "platform/KeyInjector.h"

namespace quorvane {

class DesktopKeystrokeTarget : public KeystrokeTarget {
  public:
    // The services are borrowed and must outlive the target; g is the running configuration,
    // whose DirectKeyEvents chooses the typing method.
    DesktopKeystrokeTarget(WindowSystem& windows, ProcessLauncher& launcher, KeyInjector& keys,
                           Messages& messages, Clock& clock, Waiter& waiter, const SetupGlobals& g)
        : g_(g),
          windows_(windows),
          clock_(clock),
          waiter_(waiter),
          activation_(windows, launcher, messages, clock, waiter),
          typer_(keys, clock, waiter) {}

    // The runtime window, whose focus means the user is working in it; 0 when headless.
    void SetOwnWindow(WindowId window) { ownWindow_ = window; }

    WindowId GetForegroundWindow() override { return windows_.ForegroundWindow(); }
    TargetSearch FindTargetWindow(std::string& title) override {
        return activation_.FindTargetWindow(title);
    }
    TargetLaunch LaunchTarget(const std::string& command, std::string& title) override {
        return activation_.LaunchTarget(command, title);
    }
    void SendKeyMacro(const std::string& macro) override;
    void MinimizeWindow(WindowId window) override;
    // Asks for the focus and waits (at most kActivationLimitMs) until the window has it.
    void SetForegroundWindow(WindowId window) override;
    bool IsOwnWindowForeground() override;
    // What the first Send Keystrokes activation says about where keys go (see KeystrokeTarget);
    // set where the desktop cannot give every program the keys (X11 typing on Wayland).
    void SetTypingNotice(std::string notice) { notice_ = std::move(notice); }
    std::string TypingNotice() const override { return notice_; }

    const TargetActivation& activation() const { return activation_; }

  private:
    const SetupGlobals& g_;
    WindowSystem& windows_;
    Clock& clock_;
    Waiter& waiter_;
    TargetActivation activation_;
    KeyMacroTyper typer_;
    WindowId ownWindow_ = 0;
    std::string notice_;
};

}  // namespace quorvane
