// The keystroke target of a desktop that lets a program type but not find or activate
// windows (the RemoteDesktop portal of GNOME and KDE Plasma): every record's keystrokes go to
// whatever window has the focus. The target application is never looked for and its command
// line never started; the search "finds" the focused window, so that delivery goes on as for
// a target that needs no activation, and the activation says once why (TypingNotice).
#pragma once

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/KeystrokeTarget.h"

namespace quorvane {

class FocusedWindowKeystrokeTarget : public KeystrokeTarget {
  public:
    // Stands for "the window that has the focus", whichever it is.
    static constexpr WindowId kFocusedWindow = 1;

    // keys, clock, waiter and g are borrowed; prepare asks the desktop for the keyboard.
    FocusedWindowKeystrokeTarget(KeyInjector& keys, Clock& clock, Waiter& waiter,
                                 const SetupGlobals& g, std::string notice,
                                 std::function<void()> prepare)
        : g_(g), typer_(keys, clock, waiter), notice_(std::move(notice)), prepare_(std::move(prepare)) {}

    WindowId GetForegroundWindow() override { return kFocusedWindow; }
    TargetSearch FindTargetWindow(std::string& title) override;
    TargetLaunch LaunchTarget(const std::string&, std::string&) override {
        return {false, kFocusedWindow};
    }
    void SendKeyMacro(const std::string& macro) override;
    void MinimizeWindow(WindowId) override {}
    void SetForegroundWindow(WindowId) override {}
    bool IsOwnWindowForeground() override { return false; }
    void PrepareTyping() override {
        if (prepare_) prepare_();
    }
    std::string TypingNotice() const override { return notice_; }

  private:
    const SetupGlobals& g_;
    KeyMacroTyper typer_;
    std::string notice_;
    std::function<void()> prepare_;
};

}  // namespace quorvane
