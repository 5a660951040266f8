// quorvane-sim: a simulated serial instrument on a pseudo-terminal, for the demo and the
// tests. It prints the device path it offers on its first line, plays a built-in profile or a
// transcript, and prints what it receives in escaped form ("RX ..." lines; with --rx-times
// "RX <ms> ...", the milliseconds since the start at which the line's first byte was read).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "sim/SimScript.h"

namespace {

using quorvane::sim::Escape;
using quorvane::sim::SimScript;
using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) {
    g_stop = 1;
}

struct Options {
    std::string profile = "balance";
    std::string transcript;
    std::string link;
    std::string sendFile;
    long intervalMs = -1;
    long count = -1;  // records to send before stopping sending; -1 without end
    bool verbose = false;
    bool exitAfterSend = false;
    bool rxTimes = false;
};

void Usage() {
    std::cout << "usage: quorvane-sim [--profile balance|meter|caliper|barcode]\n"
                 "                    [--transcript FILE]\n"
                 "                    [--interval MS] [--count N] [--link PATH]\n"
                 "                    [--send-file FILE [--exit-after-send]] [--verbose]\n"
                 "                    [--rx-times]\n"
                 "Offers a pseudo-terminal that plays a serial instrument. The first line\n"
                 "printed is the device path; received bytes are printed as RX lines,\n"
                 "with --rx-times as \"RX <ms> ...\" (when the first byte was read).\n"
                 "Profiles (one record a second, or every --interval MS):\n"
                 "  balance  \"+0012.50 g\" CR LF; answers \"?\" CR with a reading\n"
                 "  meter    three comma-delimited readings, CR LF\n"
                 "  caliper  a fixed-width reading \"+0025.40\", CR alone\n"
                 "  barcode  codes of different lengths, CR LF\n";
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string value;
        if (a == "--profile" && next(o.profile)) continue;
        if (a == "--transcript" && next(o.transcript)) continue;
        if (a == "--link" && next(o.link)) continue;
        if (a == "--send-file" && next(o.sendFile)) continue;
        if (a == "--interval" && next(value)) {
            o.intervalMs = std::strtol(value.c_str(), nullptr, 10);
            continue;
        }
        if (a == "--count" && next(value)) {
            o.count = std::strtol(value.c_str(), nullptr, 10);
            continue;
        }
        if (a == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (a == "--rx-times") {
            o.rxTimes = true;
            continue;
        }
        if (a == "--exit-after-send") {
            o.exitAfterSend = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            Usage();
            std::exit(0);
        }
        std::cerr << "quorvane-sim: unknown or incomplete option " << a << "\n";
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!ParseOptions(argc, argv, opt)) {
        Usage();
        return 2;
    }
    SimScript script;
    std::string error;
    if (!opt.transcript.empty()) {
        std::string text;
        if (!ReadFile(opt.transcript, text)) {
            std::cerr << "quorvane-sim: cannot read " << opt.transcript << ": "
                      << std::strerror(errno) << "\n";
            return 1;
        }
        if (!quorvane::sim::ParseTranscript(text, script, error)) {
            std::cerr << "quorvane-sim: " << opt.transcript << ": " << error << "\n";
            return 1;
        }
    } else if (!quorvane::sim::BuiltInProfile(opt.profile, script)) {
        std::cerr << "quorvane-sim: unknown profile " << opt.profile << "\n";
        return 2;
    }
    if (opt.intervalMs >= 0 && !script.profile.empty()) {
        script.steps[0].delayMs = static_cast<uint32_t>(opt.intervalMs);
    }
    std::string bulk;
    if (!opt.sendFile.empty() && !ReadFile(opt.sendFile, bulk)) {
        std::cerr << "quorvane-sim: cannot read " << opt.sendFile << "\n";
        return 1;
    }

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::cerr << "quorvane-sim: openpty: " << std::strerror(errno) << "\n";
        return 1;
    }
    // Raw on both ends, so that no byte is changed on its way; the slave stays open here so
    // that the master never reads a hang-up while the program under test reopens the device.
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    if (!opt.link.empty()) {
        unlink(opt.link.c_str());
        if (symlink(name, opt.link.c_str()) != 0) {
            std::cerr << "quorvane-sim: cannot link " << opt.link << ": " << std::strerror(errno)
                      << "\n";
            return 1;
        }
    }
    std::cout << name << std::endl;

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    quorvane::sim::RequestMatcher matcher(script.request);
    std::string pending = bulk;  // bytes accepted for sending, not yet taken by the pty
    std::string received;
    size_t step = 0;
    uint64_t sent = 0;
    bool sending = opt.sendFile.empty() || !opt.exitAfterSend;
    auto nextAt = Clock::now() + std::chrono::milliseconds(script.steps[0].delayMs);
    auto lastRx = Clock::now();
    const auto started = Clock::now();
    auto firstRx = started;  // when the first byte of `received` was read

    auto queueRecord = [&](std::string bytes) {
        if (opt.verbose) std::cout << "TX " << Escape(bytes) << std::endl;
        pending += bytes;
    };
    auto printReceived = [&] {
        if (received.empty()) return;
        std::cout << "RX ";
        if (opt.rxTimes) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(firstRx - started).count();
            std::cout << ms << ' ';
        }
        std::cout << Escape(received) << std::endl;
        received.clear();
    };

    while (!g_stop) {
        const auto now = Clock::now();
        if (sending && (opt.count < 0 || static_cast<long>(sent) < opt.count) && now >= nextAt) {
            if (!script.profile.empty()) {
                queueRecord(quorvane::sim::ProfileReading(script.profile, sent));
            } else {
                queueRecord(script.steps[step].bytes);
            }
            ++sent;
            if (script.profile.empty()) {
                step = step + 1 < script.steps.size() ? step + 1 : 0;
                if (step == 0 && !script.loop) sending = false;
            }
            nextAt = now + std::chrono::milliseconds(script.steps[step].delayMs);
        }
        if (!pending.empty()) {
            const ssize_t n = write(master, pending.data(), pending.size());
            if (n > 0) pending.erase(0, static_cast<size_t>(n));
        }
        if (pending.empty() && opt.exitAfterSend && !opt.sendFile.empty()) {
            tcdrain(master);
            break;
        }

        pollfd p{master, POLLIN, 0};
        const int wait = pending.empty() ? 20 : 2;
        if (poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            const auto readAt = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                if (received.empty()) firstRx = readAt;
                received += buffer[i];
                if (matcher.Feed(buffer[i])) {
                    queueRecord(quorvane::sim::ProfileReading(script.profile, sent++));
                }
                if (buffer[i] == '\r' || buffer[i] == '\n' || received.size() >= 64) {
                    printReceived();
                }
            }
            if (n > 0) lastRx = Clock::now();
        }
        if (!received.empty() && Clock::now() - lastRx > std::chrono::milliseconds(100)) {
            printReceived();
        }
    }
    printReceived();
    if (!opt.link.empty()) unlink(opt.link.c_str());
    close(slave);
    close(master);
    return 0;
}
