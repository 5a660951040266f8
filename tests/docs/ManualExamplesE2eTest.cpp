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

#include "docs/ManualCommands.h"
#include "docs/ManualPages.h"

extern char** environ;

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using manual::Command;
using manual::Lines;
using manual::PageExample;
using manual::ProgramsOf;
using manual::RunToEnd;
using manual::Scratch;
using manual::Shows;
using manual::Trimmed;
using Clock = std::chrono::steady_clock;

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
    {"run-demo", Place::System},           {"demo-request", Place::Demo},
    {"exit-status", Place::Standalone},    {"version", Place::Standalone},
    {"show-config", Place::Standalone},    {"convert-config", Place::Standalone},
    {"session-type", Place::Standalone},   {"try-sim", Place::Walkthrough},
    {"try-headless", Place::Walkthrough},  {"try-items", Place::Walkthrough},
    {"port-store", Place::PortStore},      {"port-by-id", Place::System},
    {"headless-unit", Place::UnitFile},    {"service-install", Place::System},
    {"service-status", Place::System},     {"service-linger", Place::System},
    {"missing-device", Place::Standalone}, {"dialout-check", Place::System},
    {"dialout-add", Place::System},        {"port-busy", Place::System},
    {"kernel-log", Place::System},         {"brltty-remove", Place::System},
    {"brltty-mask", Place::System},        {"modemmanager-mask", Place::System},
    {"adapter-ids", Place::System},        {"udev-rule", Place::UdevRule},
    {"udev-reload", Place::System},        {"list-by-id", Place::System},
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
