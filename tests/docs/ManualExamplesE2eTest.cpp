// Every command example of the manual (docs/*.html) is run here against the built quorvane
// and quorvane-sim, in a scratch home folder on a private session bus, and what it prints is
// compared with the output block the page shows after it. Commands that change the machine
// or need its hardware (class "example-system") are parsed by the shell and must name
// programs that exist; shown files (class "example-file") are checked for what they are: the
// unit file is the shipped one, passes systemd-analyze and its command runs; the udev rule is
// well formed; the port store entry is read by the program.
//
// Each example name has a place in kHandled below, and each place is run by one test, which
// takes its examples from the pages: an example the table does not know fails, and so does a
// table entry that no page has any more. The examples of dbus.html run in
// tests/delivery/DdeManualDbusTest.cpp against a server with known fields, those of
// stations.html in tests/mqtt/ManualStationsMqttTest.cpp against a broker of their own.
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
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "docs/ManualPages.h"

extern char** environ;

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using manual::PageExample;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(30);

// What is done with an example.
enum class Place {
    Standalone,   // run on its own in the scratch home; must finish with status 0
    Demo,         // run while the demo configuration serves a simulated balance
    Walkthrough,  // headless.html's walk-through: the services in page order, then the rest
    System,       // parsed and its programs looked up, not run
    UnitFile,     // the shipped unit file: compared, verified, its command run
    PortStore,    // the per-user port store entry: used by the unit file's run
    UdevRule,     // a udev rule: checked line by line
};

const std::map<std::string, Place> kHandled = {
    {"run-demo", Place::System},          {"demo-request", Place::Demo},
    {"exit-status", Place::Standalone},   {"version", Place::Standalone},
    {"show-config", Place::Standalone},   {"convert-config", Place::Standalone},
    {"session-type", Place::Standalone},  {"try-sim", Place::Walkthrough},
    {"try-headless", Place::Walkthrough}, {"try-items", Place::Walkthrough},
    {"port-store", Place::PortStore},     {"port-by-id", Place::System},
    {"headless-unit", Place::UnitFile},   {"service-install", Place::System},
    {"service-status", Place::System},    {"service-linger", Place::System},
    {"missing-device", Place::Standalone},
    {"dialout-check", Place::System},     {"dialout-add", Place::System},
    {"port-busy", Place::System},         {"kernel-log", Place::System},
    {"brltty-remove", Place::System},     {"brltty-mask", Place::System},
    {"modemmanager-mask", Place::System}, {"adapter-ids", Place::System},
    {"udev-rule", Place::UdevRule},       {"udev-reload", Place::System},
    {"list-by-id", Place::System},
};

// Examples of the walk-through that keep running (services) until the others have run.
const std::set<std::string> kServices = {"try-sim", "try-headless"};

// The marker class each place needs.
std::string KindOf(Place place) {
    switch (place) {
        case Place::System:
            return "example-system";
        case Place::UnitFile:
        case Place::PortStore:
        case Place::UdevRule:
            return "example-file";
        default:
            return "example";
    }
}

// The pages whose examples another test runs, and that test.
const std::map<std::string, std::string> kRunElsewhere = {
    {"dbus.html", "tests/delivery/DdeManualDbusTest.cpp"},
    {"stations.html", "tests/mqtt/ManualStationsMqttTest.cpp"},
};

// The pages this test runs: every page but those.
std::vector<PageExample> Examples() {
    std::vector<PageExample> all;
    for (PageExample& e : manual::AllExamples()) {
        if (!kRunElsewhere.count(e.page)) all.push_back(std::move(e));
    }
    return all;
}

std::vector<PageExample> ExamplesAt(Place place) {
    std::vector<PageExample> chosen;
    for (PageExample& e : Examples()) {
        const auto it = kHandled.find(e.name);
        if (it != kHandled.end() && it->second == place) chosen.push_back(std::move(e));
    }
    return chosen;
}

std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether output shows every line of the page's output block, in order, each on a line of its
// own (blanks at the ends aside); "…" stands for any text.
bool Shows(const std::string& output, const std::string& expected) {
    const std::vector<std::string> got = Lines(output);
    size_t at = 0;
    for (const std::string& want : Lines(expected)) {
        if (Trimmed(want).empty()) continue;
        std::string pattern;
        const std::string ellipsis = "\xE2\x80\xA6";  // …
        std::string rest = Trimmed(want);
        for (size_t cut; (cut = rest.find(ellipsis)) != std::string::npos;) {
            pattern += std::regex_replace(rest.substr(0, cut), std::regex(R"([.^$|()\[\]{}*+?\\])"),
                                          R"(\$&)") +
                       ".*";
            rest = rest.substr(cut + ellipsis.size());
        }
        pattern += std::regex_replace(rest, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
        const std::regex line(pattern);
        while (at < got.size() && !std::regex_match(Trimmed(got[at]), line)) ++at;
        if (at == got.size()) return false;
        ++at;
    }
    return true;
}

// The scratch home of a test: HOME, the XDG folders, the examples folder of the checkout as
// examples/, the built programs first in PATH, no display, a private session bus.
class Scratch {
  public:
    Scratch() {
        char pattern[] = "/tmp/quorvane-manual.XXXXXX";
        home_ = mkdtemp(pattern);
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
        StartBus();
    }
    ~Scratch() {
        if (busPid_ > 0) kill(busPid_, SIGTERM);
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    const std::string& Home() const { return home_; }
    const std::vector<std::string>& Environment() const { return env_; }
    bool HasBus() const { return busPid_ > 0; }

  private:
    void StartBus() {
        const std::string file = home_ + "/bus";
        const std::string command =
            "dbus-daemon --session --fork --nopidfile --print-address=1 "
            "--print-pid=1 >'" +
            file + "' 2>/dev/null";
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

// A command run by bash (or a program run directly) in its own process group, standard output
// and error together read through a pipe.
class Command {
  public:
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
        close(out[1]);
        fd_ = out[0];
        fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    static Command Shell(const Scratch& scratch, const std::string& code) {
        return Command(scratch, {"/bin/bash", "-c", code});
    }
    Command(Command&& other) noexcept
        : pid_(std::exchange(other.pid_, -1)),
          fd_(std::exchange(other.fd_, -1)),
          status_(other.status_),
          output_(std::move(other.output_)) {}
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
        const auto end = Clock::now() + kDeadline;
        while (!pred()) {
            if (Clock::now() > end) return false;
            Poll(50);
        }
        return true;
    }
    bool WaitForExit() {
        return WaitFor([this] { return pid_ < 0; });
    }

    // Ends the process group with signal and waits for it; true when it had to be ended.
    bool Stop(int signal = SIGTERM) {
        if (pid_ < 0) return false;
        kill(-pid_, signal);
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (pid_ > 0 && Clock::now() < end) Poll(20);
        if (pid_ > 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return true;
    }

  private:
    void Poll(int ms) {
        if (fd_ >= 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, ms) > 0) {
                char buffer[4096];
                ssize_t n;
                while ((n = read(fd_, buffer, sizeof buffer)) > 0) output_.append(buffer, n);
            }
        } else if (ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
        if (pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid_ = -1;
                // Whatever is still in the pipe belongs to the output.
                char buffer[4096];
                ssize_t n;
                while (fd_ >= 0 && (n = read(fd_, buffer, sizeof buffer)) > 0)
                    output_.append(buffer, n);
            }
        }
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    int status_ = -1;
    std::string output_;
};

// Runs a finished-by-itself example and checks its status and output.
void RunToEnd(const Scratch& scratch, const PageExample& e) {
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

TEST(ManualExamples, EveryMarkedExampleHasATestAndEveryTestItsExample) {
    const std::vector<PageExample> examples = Examples();
    std::set<std::string> seen;
    for (const PageExample& e : examples) {
        SCOPED_TRACE(e.page + ": " + e.name);
        EXPECT_FALSE(e.name.empty()) << "an example without data-example";
        EXPECT_TRUE(seen.insert(e.name).second) << "two examples have this name";
        const auto it = kHandled.find(e.name);
        if (it == kHandled.end()) {
            ADD_FAILURE() << "no test runs this example; give it a place in kHandled";
            continue;
        }
        EXPECT_EQ(e.kind, KindOf(it->second)) << "the marker class does not fit its test";
        EXPECT_FALSE(Trimmed(e.code).empty());
    }
    for (const auto& [name, place] : kHandled) {
        EXPECT_TRUE(seen.count(name)) << name << " is in kHandled but on no page";
    }
    // The block parser must see every marker the pages hold, and every output block must
    // follow an example.
    for (const std::string& page : manual::ManualPageNames()) {
        const std::string html = manual::PageText(page);
        size_t parsed = 0, outputs = 0;
        for (const PageExample& e : manual::PageExamples(page)) {
            ++parsed;
            if (e.hasOutput) ++outputs;
        }
        EXPECT_EQ(manual::CountOccurrences(html, "data-example=\""), parsed) << page;
        EXPECT_EQ(manual::CountOccurrences(html, "<pre class=\"output\""), outputs) << page;
    }
    // The examples of the D-Bus page and of the stations page are run by their own tests,
    // from those pages.
    for (const auto& [page, test] : kRunElsewhere) {
        SCOPED_TRACE(page);
        const std::string source =
            manual::ReadWholeFile(std::string(QUORVANE_SOURCE_DIR) + "/" + test);
        EXPECT_NE(source.find("\"" + page + "\""), std::string::npos) << test;
        EXPECT_FALSE(manual::PageExamples(page).empty());
    }
    EXPECT_GE(examples.size(), kHandled.size());
}

TEST(ManualExamples, StandaloneCommandsPrintWhatThePageShows) {
    Scratch scratch;
    const auto examples = ExamplesAt(Place::Standalone);
    ASSERT_FALSE(examples.empty());
    for (const PageExample& e : examples) RunToEnd(scratch, e);
}

// The demo of the index page: the simulated balance and the demo configuration headless, as
// scripts/run-demo.sh runs them without a display, then each example of this place.
TEST(ManualExamples, TheDemoReadingCanBeRequestedWhileTheDemoRuns) {
    Scratch scratch;
    ASSERT_TRUE(scratch.HasBus()) << "dbus-daemon did not start";
    const std::string link = scratch.Home() + "/demo-balance";
    Command sim(scratch, {QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval", "200",
                          "--link", link});
    ASSERT_TRUE(sim.WaitFor([&] { return sim.Output().find("/dev/") != std::string::npos; }))
        << sim.Output();
    Command demo(scratch, {QUORVANE_PROGRAM, "--headless",
                           std::string(QUORVANE_SOURCE_DIR) + "/examples/demo-balance.qv3",
                           "--port", "COM1=" + link});
    ASSERT_TRUE(demo.WaitFor([&] { return Shows(demo.Output(), "…:…:… +0012.5… g"); }))
        << demo.Output();
    const auto examples = ExamplesAt(Place::Demo);
    ASSERT_FALSE(examples.empty());
    for (const PageExample& e : examples) RunToEnd(scratch, e);
    demo.Stop();
    EXPECT_EQ(demo.Status(), 0) << demo.Output();
}

// The walk-through of headless.html as a reader does it: each service started in page order
// once the one before shows its output, then the other commands while they run; the services
// must show all of their output, and SIGTERM (Ctrl+C's equal) ends Quorvane cleanly.
TEST(ManualExamples, TheHeadlessWalkThroughWorksAsThePageShows) {
    Scratch scratch;
    ASSERT_TRUE(scratch.HasBus()) << "dbus-daemon did not start";
    const auto examples = ExamplesAt(Place::Walkthrough);
    ASSERT_GE(examples.size(), 3u);
    std::vector<std::pair<const PageExample*, Command>> services;
    for (const PageExample& e : examples) {
        if (!kServices.count(e.name)) continue;
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(e.hasOutput) << "a service needs output to wait for";
        services.emplace_back(&e, Command::Shell(scratch, e.code));
        Command& run = services.back().second;
        const std::string first = Lines(e.output).front();
        ASSERT_TRUE(run.WaitFor([&] { return Shows(run.Output(), first) || run.Finished(); }) &&
                    !run.Finished())
            << "did not start:\n"
            << run.Output();
    }
    ASSERT_EQ(services.size(), kServices.size());
    for (const PageExample& e : examples) {
        if (!kServices.count(e.name)) RunToEnd(scratch, e);
    }
    for (auto& [e, run] : services) {
        SCOPED_TRACE(e->name);
        EXPECT_TRUE(run.WaitFor([&] { return Shows(run.Output(), e->output) || run.Finished(); }) &&
                    Shows(run.Output(), e->output))
            << run.Output();
    }
    // The acknowledgements the page says the simulator prints.
    EXPECT_TRUE(services.front().second.WaitFor([&] {
        return services.front().second.Output().find("RX \\x06") != std::string::npos;
    })) << services.front().second.Output();
    for (auto it = services.rbegin(); it != services.rend(); ++it) {
        SCOPED_TRACE(it->first->name);
        it->second.Stop(SIGTERM);
        EXPECT_EQ(it->second.Status(), 0) << it->second.Output();
    }
}

// The programs a shell text runs: the first word of each simple command (after sudo and
// variable assignments), the continued lines joined first. Commands are split at newlines,
// pipes, ";" and "&&" outside quotes.
std::vector<std::string> ProgramsOf(std::string code) {
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

// Programs of Debian 12 that a machine (this one, a container) may lack; each with its
// package, for the message.
const std::map<std::string, std::string> kDebianPrograms = {
    {"sudo", "sudo"},         {"udevadm", "udev"},       {"usermod", "passwd"},
    {"systemctl", "systemd"}, {"journalctl", "systemd"}, {"loginctl", "systemd"},
    {"apt-get", "apt"},       {"fuser", "psmisc"},       {"grep", "grep"},
    {"ls", "coreutils"},      {"id", "coreutils"},       {"mkdir", "coreutils"},
    {"cp", "coreutils"},
};

TEST(ManualExamples, SystemCommandsParseAndNameProgramsThatExist) {
    const auto examples = ExamplesAt(Place::System);
    ASSERT_GE(examples.size(), 10u);
    std::vector<std::string> folders = {"/usr/sbin", "/sbin", "/usr/bin", "/bin"};
    folders.push_back(fs::path(QUORVANE_PROGRAM).parent_path().string());
    for (const PageExample& e : examples) {
        SCOPED_TRACE(e.page + ": " + e.name);
        ASSERT_EQ(e.language, "sh");
        // bash -n: the shell reads it without running anything.
        const std::string file = testing::TempDir() + "/manual-" + e.name + ".sh";
        std::ofstream(file) << e.code << "\n";
        EXPECT_EQ(std::system(("bash -n '" + file + "'").c_str()), 0) << e.code;
        std::remove(file.c_str());
        const std::vector<std::string> programs = ProgramsOf(e.code);
        EXPECT_FALSE(programs.empty());
        for (const std::string& program : programs) {
            if (program.find('/') != std::string::npos) {
                // A script of the checkout, such as ./scripts/run-demo.sh: it exists and parses.
                const std::string path = std::string(QUORVANE_SOURCE_DIR) + "/" + program;
                EXPECT_TRUE(fs::exists(path)) << program;
                EXPECT_EQ(std::system(("bash -n '" + path + "'").c_str()), 0) << program;
                continue;
            }
            bool found = false;
            for (const std::string& folder : folders)
                found = found || fs::exists(folder + "/" + program);
            if (!found) {
                EXPECT_TRUE(kDebianPrograms.count(program))
                    << program << " is neither on this machine nor a known Debian program";
            }
        }
    }
}

// The udev rule: each line a list of KEY op "value" pairs, the ModemManager hint set.
TEST(ManualExamples, TheUdevRuleIsWellFormed) {
    const auto examples = ExamplesAt(Place::UdevRule);
    ASSERT_FALSE(examples.empty());
    static const std::regex pair(R"(\s*[A-Z_]+(\{[A-Za-z_]+\})?\s*(==|!=|\+=|:=|=)\s*"[^"]*"\s*)");
    for (const PageExample& e : examples) {
        SCOPED_TRACE(e.name);
        int rules = 0;
        for (const std::string& line : Lines(e.code)) {
            if (Trimmed(line).empty() || Trimmed(line)[0] == '#') continue;
            ++rules;
            std::istringstream parts(line);
            for (std::string part; std::getline(parts, part, ',');)
                EXPECT_TRUE(std::regex_match(part, pair)) << "[" << part << "]";
            EXPECT_NE(line.find("ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos);
            EXPECT_NE(line.find("SUBSYSTEM==\"tty\""), std::string::npos);
        }
        EXPECT_EQ(rules, 1);
    }
}

// The unit file the page shows is the shipped one; systemd-analyze accepts it (for the built
// program in place of /usr/local/bin/quorvane); its ExecStart, with %h and %i put in, runs
// the demo configuration as ~/.config/Quorvane/balance.qv3 on the device the page's port
// store entry names (there: the simulated balance) and quits cleanly on SIGTERM, the unit's
// KillSignal.
TEST(ManualExamples, TheServiceUnitIsTheShippedOneAndItsCommandRuns) {
    const auto units = ExamplesAt(Place::UnitFile);
    const auto stores = ExamplesAt(Place::PortStore);
    ASSERT_EQ(units.size(), 1u);
    ASSERT_EQ(stores.size(), 1u);
    const std::string shipped = manual::ReadWholeFile(std::string(QUORVANE_SOURCE_DIR) +
                                                      "/examples/quorvane-headless@.service");
    EXPECT_EQ(units[0].code + "\n", shipped);

    Scratch scratch;
    ASSERT_TRUE(scratch.HasBus());
    std::string unit = std::regex_replace(shipped, std::regex("/usr/local/bin/quorvane"),
                                          std::string(QUORVANE_PROGRAM));
    const std::string unitFile = scratch.Home() + "/quorvane-headless@balance.service";
    std::ofstream(unitFile) << unit;
    if (fs::exists("/usr/bin/systemd-analyze")) {
        Command verify(scratch, {"/usr/bin/systemd-analyze", "verify", unitFile});
        ASSERT_TRUE(verify.WaitForExit());
        EXPECT_EQ(verify.Status(), 0) << verify.Output();
        EXPECT_EQ(verify.Output(), "") << "systemd-analyze has remarks";
    }

    // The port store entry, with the simulated balance as its device.
    const std::string link = scratch.Home() + "/service-balance";
    Command sim(scratch, {QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval", "200",
                          "--link", link});
    ASSERT_TRUE(sim.WaitFor([&] { return sim.Output().find("/dev/") != std::string::npos; }));
    const std::string store = std::regex_replace(
        stores[0].code, std::regex("^COM1=.*$", std::regex::multiline), "COM1=" + link);
    ASSERT_NE(store, stores[0].code) << "the port store entry names no COM1";
    fs::create_directories(scratch.Home() + "/.config/Quorvane");
    std::ofstream(scratch.Home() + "/.config/Quorvane/Quorvane.ini") << store << "\n";
    fs::copy_file(std::string(QUORVANE_SOURCE_DIR) + "/examples/demo-balance.qv3",
                  scratch.Home() + "/.config/Quorvane/balance.qv3");

    std::smatch exec;
    ASSERT_TRUE(std::regex_search(unit, exec, std::regex("ExecStart=(.*)")));
    std::string command = std::regex_replace(exec[1].str(), std::regex("%h"), scratch.Home());
    command = std::regex_replace(command, std::regex("%i"), "balance");
    Command service = Command::Shell(scratch, "exec " + command);
    EXPECT_TRUE(service.WaitFor([&] {
        return Shows(service.Output(), "…:…:… +0012.5… g\n…:…:… +0012.5… g") || service.Finished();
    }) && !service.Finished())
        << service.Output();
    service.Stop(SIGTERM);
    EXPECT_EQ(service.Status(), 0) << service.Output();
}

}  // namespace
}  // namespace quorvane
