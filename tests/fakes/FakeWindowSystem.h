// A desktop of made-up windows, topmost first. Activation takes effect at once unless the
// test sets activationDelayed (then onWait of the waiter may grant it); every request is
// recorded ("activate 7", "restore 7", "minimize 7").
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace quorvane {

class FakeWindowSystem : public WindowSystem {
  public:
    std::vector<TopLevelWindow> TopLevelWindows() override { return windows; }
    WindowId ForegroundWindow() override { return foreground; }
    std::string Caption(WindowId window) override {
        const TopLevelWindow* w = Find(window);
        return w ? w->caption : std::string();
    }
    void Activate(WindowId window) override {
        calls.push_back("activate " + std::to_string(window));
        if (activationDelayed) return;
        if (TopLevelWindow* w = Find(window)) {
            w->minimized = false;
            Raise(window);
        }
        foreground = window;
    }
    void RestoreWithoutActivation(WindowId window) override {
        calls.push_back("restore " + std::to_string(window));
        if (TopLevelWindow* w = Find(window)) w->minimized = false;
    }
    void Minimize(WindowId window) override {
        calls.push_back("minimize " + std::to_string(window));
        if (TopLevelWindow* w = Find(window)) w->minimized = true;
    }

    TopLevelWindow* Find(WindowId id) {
        auto it = std::find_if(windows.begin(), windows.end(),
                               [id](const TopLevelWindow& w) { return w.id == id; });
        return it == windows.end() ? nullptr : &*it;
    }
    // Moves a window to the top of the stacking order.
    void Raise(WindowId id) {
        auto it = std::find_if(windows.begin(), windows.end(),
                               [id](const TopLevelWindow& w) { return w.id == id; });
        if (it != windows.end()) std::rotate(windows.begin(), it, it + 1);
    }

    std::vector<TopLevelWindow> windows;
    WindowId foreground = 0;
    bool activationDelayed = false;
    std::vector<std::string> calls;
};

}  // namespace quorvane
