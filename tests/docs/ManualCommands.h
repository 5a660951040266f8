// Running the manual's command examples as a reader pastes them: a scratch home folder with
// the built programs first in PATH and a private session bus, a command run by bash there in
// a process group of its own, and the comparison of what it printed with the page's output
// block. Used by the tests that run the pages' examples (needs QUORVANE_PROGRAM,
// QUORVANE_SIM_PROGRAM and QUORVANE_SOURCE_DIR).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "docs/ManualPages.h"

extern char** environ;

namespace quorvane::manual {

// How long a command may take to show what is waited for, or to end.
inline constexpr auto kCommandDeadline = std::chrono::seconds(30);

inline std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether output shows every line of the page's output block, in order, each on a line of its
// own (blanks at the ends aside); "…" stands for any text.
inline bool Shows(const std::string& output, const std::string& expected) {
    const std::vector<std::string> got = Lines(output);
    const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    const std::string ellipsis = "\xE2\x80\xA6";  // …
    size_t at = 0;
    for (const std::string& want : Lines(expected)) {
        if (Trimmed(want).empty()) continue;
        std::string pattern, rest = Trimmed(want);
        for (size_t cut; (cut = rest.find(ellipsis)) != std::string::npos;) {
            pattern += std::regex_replace(rest.substr(0, cut), special, R"(\$&)") + ".*";
            rest = rest.substr(cut + ellipsis.size());
        }
        pattern += std::regex_replace(rest, special, R"(\$&)");
        const std::regex line(pattern);
        while (at < got.size() && !std::regex_match(Trimmed(got[at]), line)) ++at;
        if (at == got.size()) return false;
        ++at;
    }
    return true;
}

// A reader's scratch home: HOME, the XDG folders but XDG_STATE_HOME (the pages rely on its
// default), examples/ of the checkout, the built programs first in PATH, no display, texts in
// English, a private session bus.
class Scratch {
  public:
    explicit Scratch(const std::string& name = "manual") {
        std::string pattern = "/tmp/quorvane-" + name + ".XXXXXX";
        home_ = mkdtemp(pattern.data());
        namespace fs = std::filesystem;
        fs::create_directories(home_ + "/.config");
        fs::create_directories(home_ + "/.local/share");
        fs::create_directories(home_ + "/run");
        fs::permissions(home_ + "/run", fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directory_symlink(std::string(QUORVANE_SOURCE_DIR) + "/examples",
                                     home_ + "/examples");
        const std::string programs = fs::path(QUORVANE_PROGRAM).parent_path().string() + ":" +
                                     fs::path(QUORVANE_SIM_PROGRAM).parent_path().string();
        const char* path = std::getenv("PATH");
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string key = entry.substr(0, entry.find('='));
            if (key == "HOME" || key == "PATH" || key == "DISPLAY" || key == "WAYLAND_DISPLAY" ||
                key == "LANGUAGE" || key == "LC_ALL" || key == "LC_MESSAGES" || key == "LANG" ||
                key.rfind("XDG_", 0) == 0 || key.rfind("DBUS_", 0) == 0) {
                continue;
            }
            env_.push_back(entry);
        }
        env_.push_back("HOME=" + home_);
        env_.push_back("PATH=" + programs + ":" + (path ? path : "/usr/bin:/bin"));
        env_.push_back("XDG_CONFIG_HOME=" + home_ + "/.config");
        env_.push_back("XDG_DATA_HOME=" + home_ + "/.local/share");
        env_.push_back("XDG_RUNTIME_DIR=" + home_ + "/run");
        env_.push_back("LANGUAGE=en");
        StartBus();
    }
    ~Scratch() {
        if (busPid_ > 0) kill(busPid_, SIGTERM);
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& Home() const { return home_; }
    std::string File(const std::string& name) const { return home_ + "/" + name; }
    const std::vector<std::string>& Environment() const { return env_; }
    bool HasBus() const { return busPid_ > 0; }

  private:
    void StartBus() {
        const std::string file = home_ + "/bus";
        const std::string command =
            "dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 >'" + file +
            "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) return;
        std::ifstream in(file);
        std::string address, pid;
        std::getline(in, address);
        std::getline(in, pid);
        if (address.empty() || pid.empty()) return;
        busPid_ = std::stoi(pid);
        env_.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
    }

    std::string home_;
    std::vector<std::string> env_;
    int busPid_ = -1;
};

// A program run in the scratch home, in a process group of its own (so that what it starts
// ends with it), standard output and error together through a pipe.
class Command {
  public:
    using Clock = std::chrono::steady_clock;

    Command(const Scratch& scratch, const std::vector<std::string>& argv) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<char*> env;
        for (const std::string& e : scratch.Environment())
            env.push_back(const_cast<char*>(e.c_str()));
        env.push_back(nullptr);
        const std::string home = scratch.Home();
        pid_ = fork();
        if (pid_ == 0) {
            setsid();
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
            dup2(out[1], 1);
            dup2(out[1], 2);
            if (chdir(home.c_str()) != 0) _exit(126);
            execve(args[0], args.data(), env.data());
            _exit(127);
        }
        group_ = pid_;
        close(out[1]);
        fd_ = out[0];
        fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    // A shell text, run by bash.
    static Command Shell(const Scratch& scratch, const std::string& code) {
        return Command(scratch, {"/bin/bash", "-c", code});
    }
    Command(Command&& other) noexcept
        : pid_(std::exchange(other.pid_, -1)),
          group_(std::exchange(other.group_, -1)),
          fd_(std::exchange(other.fd_, -1)),
          status_(other.status_),
          output_(std::move(other.output_)) {}
    Command(const Command&) = delete;
    ~Command() {
        Stop(SIGKILL);
        if (fd_ >= 0) close(fd_);
    }

    bool Started() const { return pid_ > 0; }
    const std::string& Output() const { return output_; }
    int Status() const { return status_; }  // the exit status; -1 before the end or by a signal
    bool Finished() {
        Poll(0);
        return pid_ < 0;
    }

    // Reads until pred holds or the deadline passes; false at the deadline.
    bool WaitFor(const std::function<bool()>& pred) {
        const auto end = Clock::now() + kCommandDeadline;
        while (!pred()) {
            if (Clock::now() > end) return false;
            Poll(50);
        }
        return true;
    }
    bool WaitForExit() {
        return WaitFor([this] { return pid_ < 0; });
    }

    // Ends the process group with signal and waits for its leader; whatever of the group is
    // left then (a daemon the leader started) is killed. True when it had to be ended.
    bool Stop(int signal = SIGTERM) {
        if (pid_ < 0) return false;
        kill(-pid_, signal);
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (pid_ > 0 && Clock::now() < end) Poll(20);
        if (group_ > 0) kill(-group_, SIGKILL);
        if (pid_ > 0) {
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return true;
    }

  private:
    void Poll(int ms) {
        if (fd_ >= 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, ms) > 0) Drain();
        } else if (ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
        if (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid_ = -1;
                Drain();  // whatever is still in the pipe belongs to the output
            }
        }
    }
    void Drain() {
        char buffer[4096];
        ssize_t n;
        while (fd_ >= 0 && (n = read(fd_, buffer, sizeof buffer)) > 0) output_.append(buffer, n);
    }

    pid_t pid_ = -1;
    pid_t group_ = -1;
    int fd_ = -1;
    int status_ = -1;
    std::string output_;
};

// Runs an example that ends by itself and checks its status and what it printed.
inline void RunToEnd(const Scratch& scratch, const PageExample& e) {
    SCOPED_TRACE(e.page + ": " + e.name);
    ASSERT_EQ(e.language, "sh");
    Command run = Command::Shell(scratch, e.code);
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.WaitForExit()) << "still running after 30 s:\n" << run.Output();
    EXPECT_EQ(run.Status(), 0) << run.Output();
    if (e.hasOutput) {
        EXPECT_TRUE(Shows(run.Output(), e.output)) << run.Output();
    }
}

// The programs a shell text runs: the first word of each simple command (after sudo and
// variable assignments), the continued lines joined first. Commands are split at newlines,
// pipes, ";" and "&&" outside quotes.
inline std::vector<std::string> ProgramsOf(std::string code) {
    code = std::regex_replace(code, std::regex("\\\\\n"), " ");
    std::vector<std::string> commands(1);
    char quote = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quote) {
            if (c == quote) quote = 0;
            commands.back() += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            commands.back() += c;
        } else if (c == '\n' || c == '|' || c == ';' ||
                   (c == '&' && i + 1 < code.size() && code[i + 1] == '&')) {
            if (c == '&') ++i;
            commands.emplace_back();
        } else {
            commands.back() += c;
        }
    }
    std::vector<std::string> programs;
    for (const std::string& command : commands) {
        std::istringstream words(command);
        std::string word;
        while (words >> word) {
            if (word.find('=') != std::string::npos && word[0] != '-') continue;  // NAME=value
            programs.push_back(word);
            if (word != "sudo") break;
        }
    }
    return programs;
}

}  // namespace quorvane::manual
