// The commands of the manual's chapter on many stations (docs/stations.html), run as a reader
// pastes them: in a scratch home folder on a private session bus, each long-running one
// (broker, balances, stations, subscriber) started in page order once the one before shows
// its output, then the short ones, whose output is compared with the page's output blocks.
// The broker files of the site (access control, settings, per-user settings) are given to a
// real mosquitto and a real station, and what they must allow and forbid is tried; the
// commands that change the machine are parsed and their programs looked up.
//
// Every example of the page has a place in kPlaces: an example the table does not know
// fails, and so does a table entry the page no longer has.
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
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
#include "mqtt/LocalBroker.h"

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

constexpr auto kDeadline = manual::kCommandDeadline;
const std::string kPage = "stations.html";

enum class Place {
    Service,     // started in page order and kept running until the end
    Command,     // run to its end while the services run
    AclFile,     // the site broker's access control file
    BrokerConf,  // the site broker's settings
    Settings,    // the per-user settings of a station
    System,      // parsed and its programs looked up, not run
};

const std::map<std::string, Place> kPlaces = {
    {"stations-broker", Place::Service},      {"stations-balance-a", Place::Service},
    {"stations-balance-b", Place::Service},   {"stations-station-a", Place::Service},
    {"stations-station-b", Place::Service},   {"stations-subscriber", Place::Service},
    {"stations-items", Place::Command},       {"stations-status", Place::Command},
    {"stations-command", Place::Command},     {"stations-queue-files", Place::Command},
    {"stations-acl", Place::AclFile},         {"stations-broker-conf", Place::BrokerConf},
    {"stations-passwords", Place::System},    {"stations-password-file", Place::System},
    {"stations-site-station", Place::System}, {"stations-settings", Place::Settings},
};

std::string KindOf(Place place) {
    switch (place) {
        case Place::Service:
        case Place::Command:
            return "example";
        case Place::System:
            return "example-system";
        default:
            return "example-file";
    }
}

std::vector<PageExample> ExamplesAt(Place place) {
    std::vector<PageExample> chosen;
    for (PageExample& e : manual::PageExamples(kPage)) {
        const auto it = kPlaces.find(e.name);
        if (it != kPlaces.end() && it->second == place) chosen.push_back(std::move(e));
    }
    return chosen;
}

PageExample Example(const std::string& name) {
    for (PageExample& e : manual::PageExamples(kPage))
        if (e.name == name) return e;
    ADD_FAILURE() << kPage << " has no example " << name;
    return {};
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "no \"" << from << "\" in:\n" << text;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The port the page's broker listens on, from its "listener PORT" line.
uint16_t ListenerPort(const std::string& code) {
    std::smatch m;
    if (!std::regex_search(code, m, std::regex(R"(listener ([0-9]+))"))) return 0;
    return static_cast<uint16_t>(std::stoi(m[1]));
}

// The record numbers of station's records in a subscriber's output, in the order they came.
std::vector<uint64_t> RecordNumbers(const std::string& output, const std::string& station) {
    std::vector<uint64_t> numbers;
    const std::regex record("quorvane/" + station + R"(/COM1/record \{.*"record":([0-9]+),.*)");
    for (const std::string& line : Lines(output)) {
        std::smatch m;
        if (std::regex_match(line, m, record)) numbers.push_back(std::stoull(m[1]));
    }
    return numbers;
}

// The readings a station logged: "hh:mm:ss +0012.50 g" lines.
uint64_t Readings(const std::string& output) {
    uint64_t n = 0;
    const std::regex reading(R"([0-9]{2}:[0-9]{2}:[0-9]{2} [+-][0-9.]+ g)");
    for (const std::string& line : Lines(output)) n += std::regex_match(line, reading);
    return n;
}

size_t CountLines(const std::string& output, const std::string& text) {
    size_t n = 0;
    for (const std::string& line : Lines(output)) n += line.find(text) != std::string::npos;
    return n;
}

TEST(ManualStations, EveryExampleOfThePageHasAPlaceHere) {
    const std::vector<PageExample> examples = manual::PageExamples(kPage);
    std::set<std::string> seen;
    for (const PageExample& e : examples) {
        SCOPED_TRACE(e.name);
        EXPECT_TRUE(seen.insert(e.name).second) << "two examples have this name";
        const auto it = kPlaces.find(e.name);
        if (it == kPlaces.end()) {
            ADD_FAILURE() << "no test runs this example; give it a place in kPlaces";
            continue;
        }
        EXPECT_EQ(e.kind, KindOf(it->second)) << "the marker class does not fit its test";
        EXPECT_EQ(e.language, "sh");
        // A service needs output to wait for; so does a command, to be compared.
        if (it->second == Place::Service) {
            EXPECT_TRUE(e.hasOutput);
        }
    }
    for (const auto& [name, place] : kPlaces) EXPECT_TRUE(seen.count(name)) << name;
    const std::string html = manual::PageText(kPage);
    EXPECT_EQ(manual::CountOccurrences(html, "data-example=\""), examples.size());
}

// The walk-through on one machine: broker, two balances, two stations and the subscriber in
// page order, then the retained items, the status, a command and the queue files; then the
// broker's outage the page describes, a station's queue published at its next start, and
// the status of a station ended cleanly and of one killed.
TEST(ManualStations, TheOneMachineWalkThroughWorksAsThePageShows) {
    const auto services = ExamplesAt(Place::Service);
    ASSERT_EQ(services.size(), 6u);
    const uint16_t port = ListenerPort(services.front().code);
    ASSERT_NE(port, 0) << "the first service is not the broker:\n" << services.front().code;
    ASSERT_FALSE(testing::Accepts(port))
        << "something on this machine already listens on port " << port
        << ", the port of the chapter's broker: stop it, or the walk-through cannot run";
    Scratch scratch("stations");
    ASSERT_TRUE(scratch.HasBus()) << "dbus-daemon did not start";

    std::vector<std::pair<PageExample, Command>> running;
    for (const PageExample& e : services) {
        SCOPED_TRACE(e.name);
        running.emplace_back(e, Command::Shell(scratch, e.code));
        Command& run = running.back().second;
        ASSERT_TRUE(run.WaitFor([&] { return Shows(run.Output(), e.output) || run.Finished(); }) &&
                    !run.Finished())
            << "did not start as the page shows:\n"
            << run.Output();
        if (e.name == "stations-broker") {
            ASSERT_TRUE(testing::WaitUntilAccepts(port, Clock::now() + kDeadline)) << run.Output();
        }
    }
    Command& balanceA = running[1].second;
    Command& stationA = running[3].second;
    Command& stationB = running[4].second;

    for (const PageExample& e : ExamplesAt(Place::Command)) RunToEnd(scratch, e);
    // The command reached balance A, alone or after an acknowledgement.
    EXPECT_TRUE(balanceA.WaitFor([&] {
        return std::regex_search(balanceA.Output(), std::regex(R"(\nRX (\\x06)*hello\n)"));
    })) << balanceA.Output();
    // A command Quorvane does not know is refused, as the page says.
    const PageExample command = Example("stations-command");
    Command unknown = Command::Shell(scratch, Replaced(command.code, "{SEND(hello)}", "{HELLO}"));
    ASSERT_TRUE(unknown.WaitForExit());
    EXPECT_EQ(Trimmed(unknown.Output()), "refused");

    // Both stations went on logging, and neither said anything but readings.
    for (Command* station : {&stationA, &stationB}) {
        const size_t lines = Lines(station->Output()).size();
        EXPECT_TRUE(station->WaitFor([&] { return Lines(station->Output()).size() > lines; }))
            << station->Output();
        EXPECT_EQ(station->Output().find("MQTT"), std::string::npos) << station->Output();
    }
    // The broker goes away: each station says so once, in the page's words, and goes on
    // reading. Station A, stopped meanwhile, publishes what waited in its queue at its next
    // start, in order and before its own records.
    std::smatch said;
    const std::string html = manual::PageText(kPage);
    ASSERT_TRUE(
        std::regex_search(html, said, std::regex("<pre>(Quorvane: No connection[^<]*)</pre>")));
    const std::string outage = manual::PlainText(said[1]);
    running[0].second.Stop(SIGINT);
    for (Command* station : {&stationA, &stationB}) {
        EXPECT_TRUE(station->WaitFor([&] { return Shows(station->Output(), outage); }))
            << station->Output();
    }
    const size_t readings = Readings(stationA.Output());
    EXPECT_TRUE(stationA.WaitFor([&] { return Readings(stationA.Output()) >= readings + 2; }))
        << stationA.Output();
    // What the first subscriber had is read only now, seconds after the broker went: a record
    // the broker confirmed just before it ended is in this output and in no queue.
    Command& subscriber = running[5].second;
    subscriber.Finished();
    const auto seenBefore = RecordNumbers(subscriber.Output(), "bench-a");
    ASSERT_FALSE(seenBefore.empty()) << subscriber.Output();
    const uint64_t lastSeen = seenBefore.back();
    // Ctrl+C's equal ends station A cleanly, its first retries said nothing more.
    stationA.Stop(SIGINT);
    EXPECT_EQ(stationA.Status(), 0) << stationA.Output();
    EXPECT_EQ(CountLines(stationA.Output(), "No connection to the MQTT broker"), 1u)
        << stationA.Output();
    const uint64_t lastLogged = Readings(stationA.Output());

    Command broker = Command::Shell(scratch, services[0].code);
    ASSERT_TRUE(broker.WaitFor([&] { return Shows(broker.Output(), services[0].output); }) &&
                testing::WaitUntilAccepts(port, Clock::now() + kDeadline))
        << broker.Output();
    // A subscriber of the page's kind, subscribed once a probe came through.
    Command fresh = Command::Shell(scratch, services[5].code);
    const std::string probe = "mosquitto_pub -h localhost -p " + std::to_string(port) +
                              " -t quorvane/probe/x/record -m probe";
    ASSERT_TRUE(fresh.WaitFor([&] {
        Command pub = Command::Shell(scratch, probe);
        pub.WaitForExit();
        return fresh.Output().find("quorvane/probe/x/record probe") != std::string::npos;
    })) << fresh.Output();
    Command stationAgain = Command::Shell(scratch, services[3].code);
    ASSERT_TRUE(fresh.WaitFor([&] {
        const auto numbers = RecordNumbers(fresh.Output(), "bench-a");
        return std::find(numbers.begin(), numbers.end(), 1u) != numbers.end();
    })) << fresh.Output()
        << stationAgain.Output();
    const auto numbers = RecordNumbers(fresh.Output(), "bench-a");
    const auto first = std::find(numbers.begin(), numbers.end(), 1u);
    ASSERT_NE(first, numbers.begin()) << "nothing of the queue came: " << fresh.Output();
    // What the broker had not confirmed may come again; nothing is missing or out of order.
    EXPECT_LE(numbers.front(), lastSeen + 1) << fresh.Output();
    for (auto n = numbers.begin(); n + 1 != first; ++n)
        EXPECT_EQ(*(n + 1), *n + 1) << fresh.Output();
    EXPECT_EQ(*(first - 1), lastLogged) << fresh.Output();

    // Ended cleanly, station A says so: offline.
    stationAgain.Stop(SIGINT);
    EXPECT_EQ(stationAgain.Status(), 0) << stationAgain.Output();
    const std::string statusCode = Example("stations-status").code;
    EXPECT_TRUE(stationB.WaitFor([&] {
        Command now = Command::Shell(scratch, statusCode);
        return now.WaitForExit() && Shows(now.Output(),
                                          "quorvane/bench-a/COM1/status offline\n"
                                          "quorvane/bench-b/COM1/status online");
    })) << stationB.Output();
    // Station B killed without a word: the broker publishes its last will.
    stationB.Stop(SIGKILL);
    EXPECT_TRUE(stationB.WaitFor([&] {
        Command now = Command::Shell(scratch, statusCode);
        return now.WaitForExit() && Shows(now.Output(),
                                          "quorvane/bench-a/COM1/status offline\n"
                                          "quorvane/bench-b/COM1/status offline");
    }));
    fresh.Stop(SIGTERM);
    broker.Stop(SIGTERM);
    for (auto it = running.rbegin(); it != running.rend(); ++it) it->second.Stop(SIGTERM);
    EXPECT_FALSE(testing::Accepts(port)) << "the broker is still there";
}

// Programs of Debian 12 that this machine (a container) may lack.
const std::set<std::string> kDebianPrograms = {"sudo",    "systemctl", "nano",
                                               "install", "chgrp",     "chmod"};

TEST(ManualStations, SystemCommandsParseAndNameProgramsThatExist) {
    const auto examples = ExamplesAt(Place::System);
    ASSERT_EQ(examples.size(), 3u);
    const std::vector<std::string> folders = {"/usr/sbin", "/usr/bin", "/sbin", "/bin",
                                              fs::path(QUORVANE_PROGRAM).parent_path().string()};
    for (const PageExample& e : examples) {
        SCOPED_TRACE(e.name);
        const std::string file = ::testing::TempDir() + "/stations-" + e.name + ".sh";
        std::ofstream(file) << e.code << "\n";
        EXPECT_EQ(std::system(("bash -n '" + file + "'").c_str()), 0) << e.code;
        std::remove(file.c_str());
        const auto programs = ProgramsOf(e.code);
        EXPECT_FALSE(programs.empty());
        for (const std::string& program : programs) {
            bool found = false;
            for (const std::string& folder : folders)
                found = found || fs::exists(folder + "/" + program);
            EXPECT_TRUE(found || kDebianPrograms.count(program)) << program;
        }
    }
}

// The site's files as the page shows them, with this machine's paths and a free port: a real
// mosquitto takes the settings and the access control file, a station configured by the
// per-user settings publishes over TLS with its password, the historian reads it, the
// supervisor's command is run, and the historian's command and a station's record under
// another station's name never arrive.
TEST(ManualStations, TheSiteBrokerFilesAllowWhatThePageSaysAndForbidTheRest) {
    const PageExample acl = Example("stations-acl");
    const PageExample conf = Example("stations-broker-conf");
    const PageExample settings = Example("stations-settings");
    const PageExample passwords = Example("stations-passwords");
    Scratch scratch("stations");
    const std::string f = scratch.Home() + "/";
    const uint16_t port = testing::FreePort();

    // The users of the password file, as the page makes it, with a password each.
    std::vector<std::string> users;
    const std::regex made(R"(mosquitto_passwd (-c )?\S+ (\S+))");
    for (auto m = std::sregex_iterator(passwords.code.begin(), passwords.code.end(), made);
         m != std::sregex_iterator(); ++m)
        users.push_back((*m)[2]);
    ASSERT_EQ(users, (std::vector<std::string>{"bench-a", "bench-b", "historian", "supervisor"}));
    for (size_t i = 0; i < users.size(); ++i) {
        const std::string command = "mosquitto_passwd -b " + std::string(i == 0 ? "-c " : "") + f +
                                    "quorvane.passwd " + users[i] + " pw-" + users[i] +
                                    " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // A CA of the site, and the broker's certificate for localhost signed by it.
    ASSERT_TRUE(testing::MakeLocalhostCertificate(f, "site-ca.crt", "broker"));

    std::ofstream(f + "quorvane.acl") << acl.code << "\n";
    std::string brokerConf =
        Replaced(conf.code, "listener 8883", "listener " + std::to_string(port));
    brokerConf = Replaced(brokerConf, "/etc/mosquitto/certs/broker.pem", f + "broker.pem");
    brokerConf = Replaced(brokerConf, "/etc/mosquitto/certs/broker.key", f + "broker.key");
    brokerConf = Replaced(brokerConf, "/etc/mosquitto/quorvane.passwd", f + "quorvane.passwd");
    brokerConf = Replaced(brokerConf, "/etc/mosquitto/quorvane.acl", f + "quorvane.acl");
    // Run as root, the broker would switch to a user that cannot read the scratch folder.
    const passwd* me = getpwuid(getuid());
    std::ofstream(f + "broker.conf")
        << brokerConf << "\nuser " << (me ? me->pw_name : "root") << "\n";
    Command broker = Command::Shell(scratch, "exec mosquitto -c '" + f + "broker.conf'");
    ASSERT_TRUE(testing::WaitUntilAccepts(port, Clock::now() + kDeadline)) << [&] {
        broker.Finished();
        return broker.Output();
    }();

    // The station: the simulated balance, the demo configuration, the per-user settings.
    Command balance = Command::Shell(
        scratch, "exec quorvane-sim --profile balance --interval 200 --link '" + f + "balance'");
    ASSERT_TRUE(balance.WaitFor([&] { return Shows(balance.Output(), "/dev/pts/…"); }));
    std::string ini = Replaced(settings.code, "mqtts://broker.example.net:8883",
                               "mqtts://localhost:" + std::to_string(port));
    ini = Replaced(ini, "/usr/local/share/ca-certificates/site-ca.crt", f + "site-ca.crt");
    ini = Replaced(ini, "/home/lab/.config/Quorvane/mqtt-password", f + "mqtt-password");
    fs::create_directories(f + ".config/Quorvane");
    std::ofstream(f + ".config/Quorvane/Quorvane.ini") << ini << "\n";
    std::ofstream(f + "mqtt-password") << "pw-bench-a\n";
    chmod((f + "mqtt-password").c_str(), 0600);
    Command station =
        Command::Shell(scratch, "exec quorvane --headless examples/demo-balance.qv3 --port COM1='" +
                                    f + "balance'");

    const std::string client =
        "-h localhost -p " + std::to_string(port) + " --cafile '" + f + "site-ca.crt' ";
    const auto as = [&](const std::string& user) {
        return client + "-u " + user + " -P pw-" + user + " ";
    };
    Command historian =
        Command::Shell(scratch, "exec mosquitto_sub " + as("historian") + "-v -t 'quorvane/#'");
    ASSERT_TRUE(historian.WaitFor([&] {
        return Shows(historian.Output(),
                     "quorvane/bench-a/COM1/status online\n"
                     "quorvane/bench-a/COM1/record {\"station\":\"bench-a\",…");
    })) << historian.Output()
        << station.Output();

    // Forbidden: the historian sending a command, a station publishing as another.
    for (const std::string& forbidden :
         {"mosquitto_pub " + as("historian") + "-q 1 -t quorvane/bench-a/COM1/cmd -m " +
              "'{SEND(from-historian)}'",
          "mosquitto_pub " + as("bench-b") + "-q 1 -t quorvane/bench-a/COM1/record -m forged"}) {
        Command pub = Command::Shell(scratch, forbidden);
        ASSERT_TRUE(pub.WaitForExit());
        EXPECT_EQ(pub.Status(), 0) << pub.Output();
    }
    // Allowed: the supervisor's command, answered; published after the forbidden ones, so
    // that they would have arrived first.
    Command rr = Command::Shell(
        scratch, "mosquitto_rr " + as("supervisor") +
                     "-t quorvane/bench-a/COM1/cmd -e quorvane/bench-a/COM1/cmd/reply " +
                     "-m '{SEND(from-supervisor)}'");
    ASSERT_TRUE(rr.WaitForExit()) << rr.Output();
    EXPECT_EQ(Trimmed(rr.Output()), "accepted") << station.Output();
    EXPECT_TRUE(balance.WaitFor([&] {
        return balance.Output().find("from-supervisor") != std::string::npos;
    })) << balance.Output();
    EXPECT_EQ(balance.Output().find("from-historian"), std::string::npos) << balance.Output();
    EXPECT_TRUE(historian.WaitFor([&] {
        return Shows(historian.Output(), "quorvane/bench-a/COM1/cmd/reply accepted");
    })) << historian.Output();
    EXPECT_EQ(historian.Output().find("forged"), std::string::npos) << historian.Output();
    // Nobody without a password gets in.
    Command anonymous = Command::Shell(scratch, "mosquitto_sub " + client + "-t 'quorvane/#' -C 1");
    ASSERT_TRUE(anonymous.WaitForExit());
    EXPECT_NE(anonymous.Status(), 0) << anonymous.Output();

    station.Stop(SIGTERM);
    EXPECT_EQ(station.Status(), 0) << station.Output();
    EXPECT_EQ(station.Output().find("MQTT"), std::string::npos) << station.Output();
}

}  // namespace
}  // namespace quorvane
