// A program started for an end-to-end test: its standard output read line by line through a
// pipe (or sent to a file), standard error to a file, stopped by signal and waited for with a
// deadline. The destructor kills and reaps what is still running.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace quorvane::e2e {

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline In(std::chrono::milliseconds ms) {
    return std::chrono::steady_clock::now() + ms;
}

class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // stdoutFile empty: standard output comes through a pipe for ReadLine.
    bool Start(const std::vector<std::string>& args, const std::string& stderrFile,
               const std::string& stdoutFile = {}) {
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (stdoutFile.empty()) {
            if (pipe2(out, O_CLOEXEC) != 0) return false;
            posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (out[1] >= 0) close(out[1]);
        readFd_ = out[0];
        if (rc != 0) pid_ = -1;
        return rc == 0;
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (readFd_ >= 0) close(readFd_);
    }

    // The next line of standard output without its LF; nothing at the deadline or the end.
    std::optional<std::string> ReadLine(Deadline deadline) {
        for (;;) {
            const size_t lf = buffer_.find('\n');
            if (lf != std::string::npos) {
                std::string line = buffer_.substr(0, lf);
                buffer_.erase(0, lf + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || readFd_ < 0) return std::nullopt;
            pollfd p{readFd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[4096];
            const ssize_t n = read(readFd_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }

    void Signal(int signal) {
        if (pid_ > 0) kill(pid_, signal);
    }
    pid_t pid() const { return pid_; }
    // The exit code, or nothing when it has not ended by the deadline (or died by a signal:
    // -signal then).
    std::optional<int> Wait(Deadline deadline) {
        while (pid_ > 0) {
            int status = 0;
            const pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            // Reaping has no descriptor to wait on; a short poll interval keeps the test quick.
            usleep(10000);
        }
        return std::nullopt;
    }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int readFd_ = -1;
    std::string buffer_;
};

}  // namespace quorvane::e2e
