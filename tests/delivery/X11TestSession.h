// A private X display for x11 tests: the private desktop of the end-to-end tests (its own
// Xvfb, openbox, programs started on it and ended by process id) plus an Xlib connection for
// finding and focusing windows.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/XvfbDesktop.h"
#include "platform/Waiter.h"

namespace quorvane::testing {

// Waits without an event loop: the x11 tests run none.
class SleepWaiter : public Waiter {
  public:
    void ProcessEvents(uint32_t maxMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
    }
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class X11TestSession {
  public:
    X11TestSession() = default;
    X11TestSession(const X11TestSession&) = delete;
    X11TestSession& operator=(const X11TestSession&) = delete;
    // The display connection goes first, then the desktop ends what it started.
    ~X11TestSession() {
        if (display_) XCloseDisplay(display_);
    }

    static bool OnPath(const std::string& program) { return e2e::XvfbDesktop::OnPath(program); }

    // Starts Xvfb and openbox and connects to the display; false with a reason on failure.
    bool Start(std::string& error) {
        if (!desktop_.Start(error)) return false;
        display_ = XOpenDisplay(desktop_.name().c_str());
        if (!display_) return Fail(error, "cannot open " + desktop_.name());
        return true;
    }

    Display* display() const { return display_; }
    const std::string& name() const { return desktop_.name(); }

    // Starts a program on the display with extra environment entries ("NAME=value").
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
        return desktop_.Spawn(argv, env);
    }

    // Polls condition every few milliseconds until it holds or timeoutMs has passed.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
        return e2e::XvfbDesktop::WaitFor(condition, timeoutMs);
    }

    // Starts xterm titled title running `cat > out` and gives it the focus once cat runs;
    // the xterm's window, 0 when any step fails.
    Window StartCatTerminal(const std::string& title, const std::filesystem::path& out) {
        const std::string ready = out.string() + ".ready";
        const std::string script = "touch '" + ready + "'; exec cat > '" + out.string() + "'";
        if (Spawn({"xterm", "-fa", "Monospace", "-T", title, "-e", "sh", "-c", script},
                  {"LC_ALL=C.UTF-8"}) <= 0)
            return 0;
        if (!WaitFor([&] { return std::filesystem::exists(ready); }, 15000)) return 0;
        Window window = 0;
        if (!WaitFor([&] { return (window = FindWindow(title)) != 0; }, 15000)) return 0;
        return Focus(window) ? window : 0;
    }

    // The top-level client window whose WM_NAME is title, 0 when none.
    Window FindWindow(const std::string& title) { return Find(DefaultRootWindow(display_), title); }

    // Gives window the keyboard focus and waits until the server reports it.
    bool Focus(Window window) {
        return WaitFor(
            [&] {
                XWindowAttributes attributes;
                if (!XGetWindowAttributes(display_, window, &attributes) ||
                    attributes.map_state != IsViewable) {
                    return false;
                }
                XRaiseWindow(display_, window);
                XSetInputFocus(display_, window, RevertToParent, CurrentTime);
                XSync(display_, False);
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(display_, &focus, &revert);
                return focus == window;
            },
            15000);
    }

  private:
    static bool Fail(std::string& error, const std::string& reason) {
        error = reason;
        return false;
    }

    Window Find(Window window, const std::string& title) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) && name) {
            const bool match = title == name;
            XFree(name);
            if (match) return window;
        }
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display_, window, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) found = Find(children[i], title);
            if (children) XFree(children);
        }
        return found;
    }

    e2e::XvfbDesktop desktop_;
    Display* display_ = nullptr;
};

}  // namespace quorvane::testing
