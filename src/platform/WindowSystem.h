// The desktop's top-level windows: what target activation needs to find an application by a
// piece of its caption, bring it forward, and minimize it again. Captions are code-page bytes.
// Requests may take effect after the call returns (a window manager acts on its own time):
// callers that need the result watch ForegroundWindow while their waiter keeps events moving.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

// A top-level window of the desktop; 0 means no window.
using WindowId = uint64_t;

struct TopLevelWindow {
    WindowId id = 0;
    std::string caption;  // code-page bytes; empty when it cannot be read
    bool minimized = false;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    // The windows a user can switch to, in stacking order, topmost first.
    virtual std::vector<TopLevelWindow> TopLevelWindows() = 0;
    // The window that has the keyboard focus; 0 when none has.
    virtual WindowId ForegroundWindow() = 0;
    // The caption of window; empty when it cannot be read (or the window is gone).
    virtual std::string Caption(WindowId window) = 0;
    // Raises window and gives it the keyboard focus (restoring it when minimized).
    virtual void Activate(WindowId window) = 0;
    // Shows a minimized window again without giving it the focus.
    virtual void RestoreWithoutActivation(WindowId window) = 0;
    virtual void Minimize(WindowId window) = 0;
};

}  // namespace quorvane
