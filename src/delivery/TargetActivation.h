// Finds the target application among the desktop's top-level windows by a piece of its
// caption and brings it forward, or starts it from its command line and waits until it has
// taken the foreground. Both run inside the poll tick; every wait goes through the waiter, so
// hot keys, menus and bus commands keep running meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "delivery/KeystrokeTarget.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/ProcessLauncher.h"
#include "platform/Waiter.h"
#include "platform/WindowSystem.h"
#include "strings/StringIds.h"

namespace quorvane {

// How long a started program may take to show a focused window before the keys go to
// whatever window has the focus then.
inline constexpr uint32_t kTargetStartLimitMs = 10000;
// The further wait once it has the foreground, so that it is ready for keys (3e-05 day).
inline constexpr uint32_t kTargetSettleMs = 2592;
// A window manager grants an activation on its own time; typing waits for it this long.
inline constexpr uint32_t kActivationLimitMs = 1000;
// The waits look at the foreground window this often.
inline constexpr uint32_t kForegroundPollMs = 50;

class TargetActivation {
  public:
    // All are borrowed and must outlive the object.
    TargetActivation(WindowSystem& windows, ProcessLauncher& launcher, Messages& messages,
                     Clock& clock, Waiter& waiter)
        : windows_(windows),
          launcher_(launcher),
          messages_(messages),
          clock_(clock),
          waiter_(waiter) {}

    // Normalizes title in place (trimmed, upper case) and returns the first window in
    // stacking order whose upper-cased caption contains it. The topmost window is used as it
    // is; any other is restored (wasMinimized set) and brought to the foreground. An empty
    // title, before or after trimming, finds nothing.
    TargetSearch FindTargetWindow(std::string& title);

    // Starts command and waits until the foreground changes (at most kTargetStartLimitMs),
    // then kTargetSettleMs more; the foreground window is then the target. When it did come
    // forward and its caption does not contain title (or title is empty), title becomes that
    // caption in upper case, so later records find the program by its real caption. A start
    // that fails shows "Cannot Run Program:" with the command and the reason.
    TargetLaunch LaunchTarget(const std::string& command, std::string& title);

    // The process id of the program the last successful LaunchTarget started; 0 before.
    int LastProcessId() const { return lastProcessId_; }

  private:
    // Keeps events moving until done() or limitMs have passed on the clock; true when done.
    bool WaitUntil(uint32_t limitMs, const std::function<bool()>& done);
    void ShowStartFailure(const std::string& command, const std::string& reason);

    WindowSystem& windows_;
    ProcessLauncher& launcher_;
    Messages& messages_;
    Clock& clock_;
    Waiter& waiter_;
    int lastProcessId_ = 0;
};

}  // namespace quorvane
