// A private headless sway for the wayland tests, with programs started on it and ended by
// process id. sway refuses to run as root: run as root, the test starts sway and its clients
// as the unprivileged user $QUORVANE_WAYLAND_USER (default qvwayland) through setpriv, with a
// runtime folder of that user's own. The test itself connects to the socket by its path.
#pragma once

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::testing {

class SwayDesktop {
  public:
    SwayDesktop() = default;
    SwayDesktop(const SwayDesktop&) = delete;
    SwayDesktop& operator=(const SwayDesktop&) = delete;
    ~SwayDesktop() {
        for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) {
            kill(*it, SIGTERM);
            int status = 0;
            waitpid(*it, &status, 0);
        }
        if (!runtime_.empty()) std::filesystem::remove_all(runtime_);
    }

    static bool OnPath(const std::string& program) {
        const char* path = std::getenv("PATH");
        std::stringstream dirs(path ? path : "/usr/bin:/bin");
        for (std::string dir; std::getline(dirs, dir, ':');) {
            if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        }
        return false;
    }

    // Polls condition every few milliseconds until it holds or timeoutMs has passed.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Starts sway and waits for its socket; false with a reason on failure.
    bool Start(std::string& error) {
        if (getuid() == 0) {
            const char* name = std::getenv("QUORVANE_WAYLAND_USER");
            const passwd* user = getpwnam(name && *name ? name : "qvwayland");
            if (!user) {
                error = "running as root needs an unprivileged user (useradd -m qvwayland)";
                return false;
            }
            uid_ = user->pw_uid;
            gid_ = user->pw_gid;
            home_ = user->pw_dir;
        } else {
            uid_ = getuid();
            gid_ = getgid();
            const char* home = std::getenv("HOME");
            home_ = home ? home : "/tmp";
        }
        char folder[] = "/tmp/quorvane-wayland-XXXXXX";
        if (!mkdtemp(folder)) return Fail(error, "cannot make a runtime folder");
        runtime_ = folder;
        chmod(folder, 0700);
        if (chown(folder, uid_, gid_) != 0) return Fail(error, "cannot hand the folder over");
        const std::string config = runtime_ + "/sway.conf";
        std::ofstream(config) << "output HEADLESS-1 resolution 1280x800\n";
        chown(config.c_str(), uid_, gid_);
        if (Spawn({"sway", "-c", config}, {}) <= 0) return Fail(error, "cannot start sway");
        if (!WaitFor([&] { return std::filesystem::exists(Socket()); }, 15000)) {
            return Fail(error, "sway made no socket");
        }
        return true;
    }

    const std::string& runtime() const { return runtime_; }
    // The compositor's socket by its full path, for wl_display_connect.
    std::string Socket() const { return runtime_ + "/wayland-1"; }

    // Starts a program on the compositor as the desktop's user with extra environment
    // entries ("NAME=value"); its process id, or -1.
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
        std::vector<std::string> words;
        if (getuid() == 0) {
            words = {"setpriv", "--reuid=" + std::to_string(uid_),
                     "--regid=" + std::to_string(gid_), "--clear-groups", "--"};
        }
        words.push_back("env");
        words.push_back("-i");
        for (const std::string& entry :
             {"HOME=" + home_, std::string("PATH=/usr/bin:/bin"), "XDG_RUNTIME_DIR=" + runtime_,
              std::string("WAYLAND_DISPLAY=wayland-1"), std::string("LC_ALL=C.UTF-8"),
              std::string("WLR_BACKENDS=headless"), std::string("WLR_LIBINPUT_NO_DEVICES=1"),
              std::string("WLR_RENDERER=pixman"), std::string("XDG_CURRENT_DESKTOP=sway")}) {
            words.push_back(entry);
        }
        for (const std::string& entry : env) words.push_back(entry);
        for (const std::string& word : argv) words.push_back(word);
        std::vector<char*> args;
        for (std::string& word : words) args.push_back(word.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = runtime_ + "/" + argv[0] + ".log";
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return -1;
        pids_.push_back(pid);
        return pid;
    }

    // Starts foot titled title running `cat > out`; false when cat does not start.
    bool StartCatTerminal(const std::string& title, const std::filesystem::path& out) {
        const std::string ready = out.string() + ".ready";
        const std::string script = "touch '" + ready + "'; exec cat > '" + out.string() + "'";
        if (Spawn({"foot", "-T", title, "sh", "-c", script}, {}) <= 0) return false;
        return WaitFor([&] { return std::filesystem::exists(ready); }, 15000);
    }

  private:
    static bool Fail(std::string& error, const std::string& reason) {
        error = reason;
        return false;
    }

    std::string runtime_;
    std::string home_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    std::vector<pid_t> pids_;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace quorvane::testing
