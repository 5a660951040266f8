// Where a record's keystrokes go in Send Keystrokes mode: the foreground window, the target
// application found by a piece of its caption (or started from a command line), and the
// keystroke synthesis itself. Every call runs on the window thread inside the poll tick; the
// ones that wait (LaunchTarget, SendKeyMacro with delays) keep the interface alive meanwhile.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowSystem.h"

namespace quorvane {

struct TargetSearch {
    WindowId window = 0;        // 0 when no caption contains the title
    bool wasMinimized = false;  // the search restored a minimized window (minimize it again)
};

struct TargetLaunch {
    bool failed = false;  // the start failed; the implementation has shown its message
    WindowId window = 0;  // the started program's window, which then keeps the focus
};

class KeystrokeTarget {
  public:
    virtual ~KeystrokeTarget() = default;

    virtual WindowId GetForegroundWindow() = 0;
    // Looks for a window whose caption contains title in any letter case and brings it to
    // the foreground. title is the setting itself: the search normalizes it in place
    // (trimmed, upper case).
    virtual TargetSearch FindTargetWindow(std::string& title) = 0;
    // Starts command (only called when it is not empty) and waits until the program has taken
    // the foreground. title may be replaced by the started window's caption.
    virtual TargetLaunch LaunchTarget(const std::string& command, std::string& title) = 0;
    // Types a keystroke macro (code-page bytes in macro notation) into the focused window.
    virtual void SendKeyMacro(const std::string& macro) = 0;
    virtual void MinimizeWindow(WindowId window) = 0;
    // Gives the focus to window; 0 does nothing.
    virtual void SetForegroundWindow(WindowId window) = 0;
    // True when the runtime window itself has the focus (the user has clicked into it).
    virtual bool IsOwnWindowForeground() = 0;
    // False when nothing can be typed at all (no X display): records are then still read,
    // shown and counted, and the first Send Keystrokes activation says why nothing is typed.
    virtual bool CanType() const { return true; }
    // Called at each Send Keystrokes activation, after TypingNotice was said: a target whose
    // desktop asks the user before it lets keys through asks now, not at the first record.
    virtual void PrepareTyping() {}
    // What the first Send Keystrokes activation says about where keystrokes go, when it
    // differs from the target application being found and activated; empty otherwise.
    virtual std::string TypingNotice() const { return {}; }
};

}  // namespace quorvane
