// The keystroke target of a desktop session: windows through the window system, the target
// application through TargetActivation, and the typing itself through a sender handed in by
// whoever owns the key injection.
#pragma once

#include <functional>
#include <string>

#include "delivery/KeystrokeTarget.h"
#include "delivery/TargetActivation.h"

namespace quorvane {

// Types one record's keystroke macro into the focused window.
using KeyMacroSender = std::function<void(const std::string& macro)>;

class DesktopKeystrokeTarget : public KeystrokeTarget {
  public:
    // The services are borrowed and must outlive the target. Without a sender nothing is
    // typed.
    DesktopKeystrokeTarget(WindowSystem& windows, ProcessLauncher& launcher, Messages& messages,
                           Clock& clock, Waiter& waiter, KeyMacroSender sender = {})
        : windows_(windows),
          clock_(clock),
          waiter_(waiter),
          activation_(windows, launcher, messages, clock, waiter),
          sender_(std::move(sender)) {}

    void SetKeyMacroSender(KeyMacroSender sender) { sender_ = std::move(sender); }
    // The runtime window, whose focus means the user is working in it; 0 when headless.
    void SetOwnWindow(WindowId window) { ownWindow_ = window; }

    WindowId GetForegroundWindow() override { return windows_.ForegroundWindow(); }
    TargetSearch FindTargetWindow(std::string& title) override {
        return activation_.FindTargetWindow(title);
    }
    TargetLaunch LaunchTarget(const std::string& command, std::string& title) override {
        return activation_.LaunchTarget(command, title);
    }
    void SendKeyMacro(const std::string& macro) override {
        if (sender_) sender_(macro);
    }
    void MinimizeWindow(WindowId window) override;
    // Asks for the focus and waits (at most kActivationLimitMs) until the window has it.
    void SetForegroundWindow(WindowId window) override;
    bool IsOwnWindowForeground() override;

    const TargetActivation& activation() const { return activation_; }

  private:
    WindowSystem& windows_;
    Clock& clock_;
    Waiter& waiter_;
    TargetActivation activation_;
    KeyMacroSender sender_;
    WindowId ownWindow_ = 0;
};

}  // namespace quorvane
