// The e2e tests' session bus: one private dbus-daemon for the whole binary, so that no test
// meets the desktop's bus, and gdbus calls on it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e/ChildProcess.h"

namespace quorvane::e2e {

inline constexpr auto kBusWait = std::chrono::seconds(20);

// Every headless run of this binary finds a bus, so the other e2e tests see a quiet stderr.
class PrivateBusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // dies with the test, also when it is killed
            dup2(out[1], 1);
            const int quiet = open("/dev/null", O_WRONLY);  // its warnings are no test output
            if (quiet >= 0) dup2(quiet, 2);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
                   "--print-address=1", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string line;
        const auto deadline = In(kBusWait);
        while (pid_ > 0 && line.find('\n') == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char chunk[512];
            const ssize_t n = read(out[0], chunk, sizeof chunk);
            if (n <= 0) break;
            line.append(chunk, static_cast<size_t>(n));
        }
        close(out[0]);
        const size_t lf = line.find('\n');
        if (lf == std::string::npos) return;
        Address() = line.substr(0, lf);
        setenv("DBUS_SESSION_BUS_ADDRESS", Address().c_str(), 1);
    }
    void TearDown() override {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    static std::string& Address() {
        static std::string address;
        return address;
    }

  private:
    pid_t pid_ = -1;
};

struct ShellResult {
    int status = -1;
    std::string out;  // standard output and error together
};

inline ShellResult Shell(const std::string& command) {
    ShellResult result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.out.append(chunk, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// One DDE method of the server on busName; argument (if any) goes as a string.
inline ShellResult DdeCall(const std::string& busName, const std::string& method,
                           const std::string& argument = {}, bool withArgument = true) {
    std::string command = "gdbus call --session --timeout 10 --dest " + busName +
                          " --object-path /org/quorvane/Dde --method org.quorvane.Dde1." + method;
    // A GVariant string literal, so that no text is read as a number or a dictionary.
    if (withArgument) command += " " + ShellQuote("\"" + argument + "\"");
    return Shell(command);
}

inline bool WaitForName(const std::string& busName) {
    return Shell("gdbus wait --session --timeout 20 " + busName).status == 0;
}

inline bool NameHasOwner(const std::string& busName) {
    return Shell(
               "gdbus call --session --dest org.freedesktop.DBus --object-path "
               "/org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner " +
               busName)
               .out.find("true") != std::string::npos;
}

// Registered once for the binary, whichever test files include this.
inline ::testing::Environment* const kPrivateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateBusEnvironment);

}  // namespace quorvane::e2e
