// A private X desktop for end-to-end tests, driven through command-line tools only (the e2e
// binary does not link Xlib): its own Xvfb on a free display number (-displayfd), openbox,
// programs started on it, and xdotool/xprop for windows and keys. Everything started here is
// ended by its process id when the desktop goes.
#pragma once

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

namespace quorvane::e2e {

class XvfbDesktop {
  public:
    XvfbDesktop() = default;
    XvfbDesktop(const XvfbDesktop&) = delete;
    XvfbDesktop& operator=(const XvfbDesktop&) = delete;
    ~XvfbDesktop() {
        for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
            kill(*it, SIGTERM);
            waitpid(*it, nullptr, 0);
        }
    }

    static bool OnPath(const std::string& program) {
        const char* path = std::getenv("PATH");
        const std::string dirs = path ? path : "/usr/bin:/bin";
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
                return true;
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
                                 {}, false);
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
        if (Spawn({"openbox", "--sm-disable"}, {}) <= 0) return Fail(error, "openbox failed");
        const bool managed = WaitFor(
            [&] {
                return Run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                       std::string::npos;
            },
            15000);
        if (!managed) return Fail(error, "openbox did not take the display");
        return true;
    }

    const std::string& name() const { return name_; }

    // Starts a program on the display with extra environment entries ("NAME=value").
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                bool onDisplay = true) {
        return SpawnWith(argv, env, onDisplay, nullptr);
    }

    // Runs a tool on the display to its end; its standard output.
    std::string Run(const std::vector<std::string>& argv) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const pid_t pid = SpawnWith(argv, {}, true, &actions, false);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string text;
        char chunk[512];
        ssize_t n;
        while (pid > 0 && (n = read(out[0], chunk, sizeof chunk)) > 0)
            text.append(chunk, static_cast<size_t>(n));
        close(out[0]);
        if (pid > 0) waitpid(pid, nullptr, 0);
        return text;
    }

    // The first window whose name is title exactly, 0 when there is none yet.
    unsigned long WindowNamed(const std::string& title) {
        return std::strtoul(Run({"xdotool", "search", "--name", "^" + title + "$"}).c_str(),
                            nullptr, 10);
    }
    unsigned long ActiveWindow() {
        return std::strtoul(Run({"xdotool", "getactivewindow"}).c_str(), nullptr, 10);
    }
    // Activates window through the window manager and waits until it is active.
    bool Activate(unsigned long window) {
        return WaitFor(
            [&] {
                Run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
                return ActiveWindow() == window;
            },
            15000);
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

  private:
    static bool Fail(std::string& error, const std::string& reason) {
        error = reason;
        return false;
    }

    pid_t SpawnWith(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    bool onDisplay, posix_spawn_file_actions_t* actions, bool keep = true) {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            if (std::strncmp(*e, "DISPLAY=", 8) != 0) environment.emplace_back(*e);
        }
        if (onDisplay) environment.push_back("DISPLAY=" + name_);
        environment.insert(environment.end(), env.begin(), env.end());
        std::vector<char*> args, envp;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), envp.data()) != 0) return -1;
        if (keep) children_.push_back(pid);
        return pid;
    }

    std::string name_;
    std::vector<pid_t> children_;
};

}  // namespace quorvane::e2e
