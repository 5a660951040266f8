// What the private desktops of the wayland tests share: the desktop's user, a runtime folder
// of its own, programs started on it and ended by process id, foot running `cat > FILE`, and
// waiting for a condition with a deadline. Compositors and foot refuse to run as root: run as
// root, the test starts them as the unprivileged user $QUORVANE_WAYLAND_USER (default
// qvwayland) through setpriv. The test itself connects to the socket by its path.
//
// A compositor's fixture (SwayDesktop, MirDesktop) derives from this, calls Prepare first and
// then starts its compositor with Spawn, listening on Socket().
#pragma once

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::testing {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HeadlessDesktop {
  public:
    HeadlessDesktop(const HeadlessDesktop&) = delete;
    HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;
    // Ends the programs newest first (clients before their compositor, the compositor before
    // the X server it draws on); one that ignores SIGTERM for 5 s is killed.
    ~HeadlessDesktop() {
        for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) End(*it);
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

    const std::string& runtime() const { return runtime_; }
    // The compositor's socket by its full path, for wl_display_connect.
    std::string Socket() const { return runtime_ + "/" + kSocketName; }

    // Starts a program on the desktop as the desktop's user, with a clean environment plus
    // extra entries ("NAME=value"); its process id, or -1. Its standard output goes to
    // outPath when given; otherwise, like its errors, to RUNTIME/PROGRAM.log.
    pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::string& outPath = {}) {
        std::vector<std::string> words;
        if (getuid() == 0) {
            words = {"setpriv", "--reuid=" + std::to_string(uid_),
                     "--regid=" + std::to_string(gid_), "--clear-groups", "--"};
        }
        words.push_back("env");
        words.push_back("-i");
        for (const std::string& entry :
             {"HOME=" + home_, std::string("PATH=/usr/bin:/bin"), "XDG_RUNTIME_DIR=" + runtime_,
              std::string("WAYLAND_DISPLAY=") + kSocketName, std::string("LC_ALL=C.UTF-8"),
              "XDG_CURRENT_DESKTOP=" + desktopName_}) {
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
        const int flags = O_WRONLY | O_CREAT | O_APPEND;
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), flags, 0644);
        posix_spawn_file_actions_addopen(
            &actions, 1, outPath.empty() ? log.c_str() : outPath.c_str(), flags, 0644);
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

    // The last lines of RUNTIME/PROGRAM.log, for a failure message.
    std::string LogTail(const std::string& program) const {
        std::ifstream in(runtime_ + "/" + program + ".log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::string tail;
        for (size_t i = lines.size() > 10 ? lines.size() - 10 : 0; i < lines.size(); ++i) {
            tail += lines[i] + "\n";
        }
        return tail;
    }

  protected:
    static constexpr const char* kSocketName = "wayland-1";

    explicit HeadlessDesktop(std::string desktopName) : desktopName_(std::move(desktopName)) {}

    // Picks the desktop's user and makes its private 0700 runtime folder; false with a reason.
    bool Prepare(std::string& error) {
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
        return true;
    }

    // Writes a file in the runtime folder that the desktop's user owns; its path.
    std::string WriteOwnedFile(const std::string& name, const std::string& text) {
        const std::string path = runtime_ + "/" + name;
        std::ofstream(path) << text;
        if (chown(path.c_str(), uid_, gid_) != 0) return {};
        return path;
    }

    // Waits until the compositor takes connections on its socket; a reason with its log's
    // tail when it never does or has ended. The socket's file alone is not enough: it is
    // there between bind and listen, when a client is refused.
    bool WaitForSocket(pid_t compositor, const std::string& program, std::string& error) {
        bool ended = false, listening = false;
        WaitFor(
            [&] {
                ended = waitpid(compositor, nullptr, WNOHANG) == compositor;
                listening = !ended && Accepts(Socket());
                return ended || listening;
            },
            20000);
        if (ended) std::erase(pids_, compositor);  // reaped: its number may be reused
        if (listening) return true;
        return Fail(
            error, program + (ended ? " ended" : " took no connection") + ":\n" + LogTail(program));
    }

    // True when a client can connect to the Unix socket at path now.
    static bool Accepts(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof(address.sun_path)) return false;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const bool connected =
            connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        close(fd);
        return connected;
    }

    static bool Fail(std::string& error, const std::string& reason) {
        error = reason;
        return false;
    }

  private:
    static void End(pid_t pid) {
        kill(pid, SIGTERM);
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) != 0; }, 5000);
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }

    std::string desktopName_;
    std::string runtime_;
    std::string home_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    std::vector<pid_t> pids_;
};

}  // namespace quorvane::testing
