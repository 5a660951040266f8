// A private X display for x11 tests: its own Xvfb on a free display number (Xvfb picks it
// with -displayfd), the openbox window manager, and programs started on it; everything
// started here is ended by its process id when the session goes.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::testing {

class X11TestSession {
  public:
    X11TestSession() = default;
    X11TestSession(const X11TestSession&) = delete;
    X11TestSession& operator=(const X11TestSession&) = delete;
    ~X11TestSession() {
        if (display_) XCloseDisplay(display_);
        for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
            kill(*it, SIGTERM);
            waitpid(*it, nullptr, 0);
        }
    }

    static bool OnPath(const std::string& program) {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            std::string candidate = dirs.substr(start, end - start) + "/" + program;
            if (access(candidate.c_str(), X_OK) == 0) return true;
            start = end + 1;
        }
        return false;
    }

    // Starts Xvfb and openbox; false with a reason when either fails.
    bool Start(std::string& error) {
        int fds[2];
        if (pipe(fds) != 0) return Fail(error, "pipe failed");
        const pid_t xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                  "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                 {});
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (xvfb > 0 && poll(&p, 1, 15000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        close(fds[0]);
        if (number.empty()) return Fail(error, "Xvfb did not start");
        name_ = ":" + number;
        display_ = XOpenDisplay(name_.c_str());
        if (!display_) return Fail(error, "cannot open " + name_);
        if (Spawn({"openbox", "--sm-disable"}, {}) <= 0) return Fail(error, "openbox failed");
        const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
        if (!WaitFor([&] { return RootHasProperty(check); }, 15000)) {
            return Fail(error, "openbox did not take the display");
        }
        return true;
    }

    Display* display() const { return display_; }
    const std::string& name() const { return name_; }

    // Starts a program on the display with extra environment entries ("NAME=value").
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            if (std::strncmp(*e, "DISPLAY=", 8) != 0) environment.emplace_back(*e);
        }
        if (!name_.empty()) environment.push_back("DISPLAY=" + name_);
        environment.insert(environment.end(), env.begin(), env.end());
        std::vector<char*> args, envp;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
            return -1;
        }
        children_.push_back(pid);
        return pid;
    }

    // Polls condition every few milliseconds until it holds or timeoutMs has passed.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
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

    bool RootHasProperty(Atom property) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, DefaultRootWindow(display_), property, 0, 1, False,
                           AnyPropertyType, &type, &format, &count, &after, &data);
        if (data) XFree(data);
        return count > 0;
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

    Display* display_ = nullptr;
    std::string name_;
    std::vector<pid_t> children_;
};

}  // namespace quorvane::testing
