// The real `quorvane --headless` publishing to a mosquitto broker of the test's own, on a free
// port of the loopback, fed by the simulated meter: a subscriber sees every record in order
// with its fields, the retained items and the station's status; a broker that goes away while
// records flow and comes back loses none of them.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <regex>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "e2e/ScopedEnv.h"
#include "e2e/SimulatedDevice.h"
#include "mqtt/LocalBroker.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::In;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kWait = 20s;

using testing::FreePort;

using e2e::ScopedEnv;

// One line of mosquitto_sub -v: the topic, a space, the payload.
struct Message {
    std::string topic, payload;
};

class BrokerMqtt : public ::testing::Test {
  protected:
    BrokerMqtt() {
        // Persistence keeps the subscriber's session, and what waits for it, across a restart;
        // run as root, the broker would switch to a user that cannot write the folder.
        const passwd* me = getpwuid(getuid());
        WriteBytes(folder.File("broker.conf"),
                   "listener " + std::to_string(port) + " 127.0.0.1\n" +
                       "allow_anonymous true\npersistence true\npersistence_location " +
                       folder.File("") + "\nuser " + (me ? me->pw_name : "root") + "\n");
    }
    ~BrokerMqtt() override {
        program.Signal(SIGKILL);
        subscriber.Signal(SIGKILL);
        broker.Signal(SIGKILL);
    }

    bool StartBroker() {
        if (!broker.Start({"/usr/sbin/mosquitto", "-c", folder.File("broker.conf")},
                          folder.File("broker.err"), folder.File("broker.out")))
            return false;
        return testing::WaitUntilAccepts(port, In(kWait));
    }
    void StopBroker() {
        broker.Signal(SIGTERM);
        ASSERT_TRUE(broker.Wait(In(kWait)).has_value());
    }

    // A subscriber with a session of its own (QoS 1), subscribed once a probe came through.
    bool StartSubscriber() {
        if (!subscriber.Start(
                {"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-v",
                 "-q", "1", "-c", "-i", "quorvane-test-subscriber", "-t", "quorvane/#"},
                folder.File("sub.err")))
            return false;
        for (int i = 0; i < 50; ++i) {
            e2e::ChildProcess pub;
            pub.Start({"/usr/bin/mosquitto_pub", "-h", "127.0.0.1", "-p", std::to_string(port),
                       "-t", "quorvane/probe", "-m", "probe"},
                      folder.File("pub.err"), folder.File("pub.out"));
            pub.Wait(In(kWait));
            if (const auto line = subscriber.ReadLine(In(200ms));
                line && *line == "quorvane/probe probe")
                return true;
        }
        return false;
    }

    // A second listener that speaks TLS only, with a server certificate for "localhost"
    // signed by a CA made here (ca.pem), and another CA (other-ca.pem) that signed nothing.
    bool AddTlsListener() {
        const std::string f = folder.File("");
        const std::string other =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=other-ca -keyout " + f +
            "other-ca.key -out " + f + "other-ca.pem >/dev/null 2>&1";
        if (!testing::MakeLocalhostCertificate(f, "ca.pem", "server") ||
            std::system(other.c_str()) != 0)
            return false;
        WriteBytes(folder.File("broker.conf"), ReadBytes(folder.File("broker.conf")) + "listener " +
                                                   std::to_string(tlsPort) + " 127.0.0.1\ncafile " +
                                                   f + "ca.pem\ncertfile " + f +
                                                   "server.pem\nkeyfile " + f + "server.key\n");
        return true;
    }

    // A second listener that takes user kim with password "right" only (per-listener
    // settings, so the first stays open to the subscriber).
    bool AddPasswordListener() {
        const std::string f = folder.File("");
        if (std::system(
                ("mosquitto_passwd -b -c " + f + "passwords kim right >/dev/null 2>&1").c_str()) !=
            0)
            return false;
        WriteBytes(folder.File("broker.conf"),
                   "per_listener_settings true\n" + ReadBytes(folder.File("broker.conf")) +
                       "listener " + std::to_string(tlsPort) +
                       " 127.0.0.1\nallow_anonymous false\npassword_file " + f + "passwords\n");
        return true;
    }

    bool StartProgram(int records, int intervalMs, std::vector<std::string> more = {}) {
        if (!sim.Start({"--profile", "meter", "--interval", std::to_string(intervalMs), "--count",
                        std::to_string(records)},
                       folder.File("sim.err"), In(kWait)))
            return false;
        // The example meter configuration (Log to disk, three fields), logging into the folder.
        std::string config = ReadBytes(QUORVANE_EXAMPLES "/comma-3-fields.qv3");
        const std::string shared = "/tmp/quorvane-example.log";
        const size_t at = config.find(shared);
        if (at == std::string::npos) return false;
        config.replace(at, shared.size(), logPath);
        WriteBytes(folder.File("run.qv3"), config);
        std::vector<std::string> args{
            QUORVANE_PROGRAM, "--headless", folder.File("run.qv3"), "--port", "COM1=" + sim.pty,
            "--mqtt-station", "lab"};
        // The plain listener unless the test names its own broker address.
        if (std::find(more.begin(), more.end(), "--mqtt") == more.end()) {
            args.push_back("--mqtt");
            args.push_back("mqtt://127.0.0.1:" + std::to_string(port));
        }
        args.insert(args.end(), more.begin(), more.end());
        return program.Start(args, errPath, folder.File("program.out"));
    }

    // Reads messages until until() holds of what was read.
    template <typename Until>
    bool Read(Until until) {
        return ReadUntil(In(kWait), until);
    }
    template <typename Until>
    bool ReadUntil(std::chrono::steady_clock::time_point deadline, Until until) {
        while (!until()) {
            const auto line = subscriber.ReadLine(deadline);
            if (!line) return false;
            const size_t space = line->find(' ');
            messages.push_back({line->substr(0, space),
                                space == std::string::npos ? "" : line->substr(space + 1)});
        }
        return true;
    }
    // The record messages in the order they came, by their record number.
    std::vector<std::pair<uint64_t, std::string>> Records() const {
        std::vector<std::pair<uint64_t, std::string>> out;
        const std::regex number("\"record\":([0-9]+)");
        for (const Message& m : messages) {
            std::smatch found;
            if (m.topic == "quorvane/lab/COM1/record" &&
                std::regex_search(m.payload, found, number))
                out.emplace_back(std::stoull(found[1]), m.payload);
        }
        return out;
    }
    size_t RecordsSeen() const { return Records().size(); }
    // Reads until a probe published now comes through: what the broker took before it has
    // been read then.
    bool ReadAllSentSoFar() {
        const std::string mark = "mark-" + std::to_string(++probes);
        e2e::ChildProcess pub;
        if (!pub.Start({"/usr/bin/mosquitto_pub", "-h", "127.0.0.1", "-p", std::to_string(port),
                        "-t", "quorvane/probe", "-m", mark},
                       folder.File("pub.err"), folder.File("pub.out")))
            return false;
        pub.Wait(In(kWait));
        return Read([&] { return Has("quorvane/probe", mark); });
    }
    bool Has(const std::string& topic, const std::string& payload) const {
        for (const Message& m : messages)
            if (m.topic == topic && m.payload == payload) return true;
        return false;
    }
    // The log file and standard error have nothing to wait on: polled until the deadline.
    // The program logs some 50 records a second here: a busy machine gets three times the
    // usual wait.
    bool WaitForLogLines(int lines) {
        const auto deadline = In(3 * kWait);
        while (e2e::Occurrences(ReadBytes(logPath), "\n") < lines) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            usleep(20000);
        }
        return true;
    }
    bool WaitForSaid(const std::string& text) {
        const auto deadline = In(kWait);
        while (ReadBytes(errPath).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            usleep(20000);
        }
        return true;
    }
    // Every record number from first to last once in order; a number seen again must be a
    // repeat of the same message.
    ::testing::AssertionResult InOrderFrom(uint64_t firstNumber, uint64_t lastNumber) const {
        std::map<uint64_t, std::string> first;
        uint64_t newest = firstNumber - 1;
        for (const auto& [number, payload] : Records()) {
            if (const auto known = first.find(number); known != first.end()) {
                if (known->second != payload)
                    return ::testing::AssertionFailure() << "record " << number << " changed";
                continue;
            }
            if (number != newest + 1)
                return ::testing::AssertionFailure() << "record " << number << " after " << newest;
            newest = number;
            first[number] = payload;
        }
        if (newest != lastNumber)
            return ::testing::AssertionFailure() << "the last record is " << newest;
        return ::testing::AssertionSuccess();
    }

    testing::ScratchFolder folder;
    const uint16_t port = FreePort();
    const uint16_t tlsPort = FreePort();
    const std::string errPath = folder.File("program.err");
    const std::string logPath = folder.File("records.log");
    // The program's queue and settings in the test's folder; no desktop, no bus; texts
    // in English.
    ScopedEnv home{"HOME", folder.File("")};
    ScopedEnv state{"XDG_STATE_HOME", folder.File("state")};
    ScopedEnv config{"XDG_CONFIG_HOME", folder.File("config")};
    ScopedEnv display{"DISPLAY", std::nullopt};
    ScopedEnv wayland{"WAYLAND_DISPLAY", std::nullopt};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder.File("no-bus")};
    ScopedEnv language{"LANGUAGE", "en"};
    ScopedEnv platform{"QT_QPA_PLATFORM", "offscreen"};
    e2e::ChildProcess broker, subscriber, program;
    e2e::SimulatedDevice sim;
    std::vector<Message> messages;
    int probes = 0;
};

TEST_F(BrokerMqtt, RecordsInOrderWithTheirFieldsItemsRetainedAndTheStatus) {
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber()) << ReadBytes(folder.File("sub.err"));
    ASSERT_TRUE(StartProgram(5, 50));
    ASSERT_TRUE(Read([&] { return RecordsSeen() == 5; })) << ReadBytes(errPath);
    EXPECT_TRUE(Has("quorvane/lab/COM1/status", "online"));
    const auto records = Records();
    const std::regex shape(
        R"(\{"station":"lab","topic":"COM1","record":[0-9]+,"time":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}[+-][0-9]{2}:[0-9]{2}","fields":\["[0-9.]+","[0-9.]+","[0-9]+"\]\})");
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].first, i + 1);
        EXPECT_TRUE(std::regex_match(records[i].second, shape)) << records[i].second;
    }

    // A subscriber that comes later gets the items of the last record, retained.
    e2e::ChildProcess late;
    ASSERT_TRUE(
        late.Start({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-v",
                    "-C", "6", "-t", "quorvane/lab/COM1/item/#", "-t", "quorvane/lab/COM1/status"},
                   folder.File("late.err")));
    std::map<std::string, std::string> retained;
    for (int i = 0; i < 6; ++i) {
        const auto line = late.ReadLine(In(kWait));
        ASSERT_TRUE(line.has_value());
        retained[line->substr(0, line->find(' '))] = line->substr(line->find(' ') + 1);
    }
    EXPECT_EQ(retained["quorvane/lab/COM1/item/RecordNumber"], "5");
    EXPECT_EQ(retained["quorvane/lab/COM1/status"], "online");
    const std::string last = records.back().second;
    EXPECT_NE(last.find("\"fields\":[\"" + retained["quorvane/lab/COM1/item/Field(1)"] + "\",\"" +
                        retained["quorvane/lab/COM1/item/Field(2)"] + "\",\"" +
                        retained["quorvane/lab/COM1/item/Field(3)"] + "\"]"),
              std::string::npos)
        << last;
    EXPECT_NE(last.find("\"time\":\"" + retained["quorvane/lab/COM1/item/DateTime"] + "\""),
              std::string::npos);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    ASSERT_TRUE(Read([&] { return Has("quorvane/lab/COM1/status", "offline"); }));
}

TEST_F(BrokerMqtt, ABrokerThatGoesAwayForHalfAMinuteWhileRecordsFlowLosesNone) {
    // 20 records a second for 35 s: half a minute of them while the broker is away.
    constexpr int kRecords = 700;
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    ASSERT_TRUE(StartProgram(kRecords, 50));
    ASSERT_TRUE(Read([&] { return RecordsSeen() >= 10; })) << ReadBytes(errPath);
    StopBroker();
    // Records go on arriving at the program and into its queue while the broker is away.
    const int logged = e2e::Occurrences(ReadBytes(logPath), "\n");
    std::this_thread::sleep_for(30s);
    EXPECT_GT(e2e::Occurrences(ReadBytes(logPath), "\n"), logged + 300)
        << ReadBytes(errPath) << "log: " << ReadBytes(logPath);
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    // The station tries again 1, 2, 4 ... 16 s after each failure: at about 31 s, or else at
    // 91 s.
    const auto deadline = In(90s);
    ASSERT_TRUE(ReadUntil(deadline, [&] {
        const auto records = Records();
        return !records.empty() && records.back().first == kRecords;
    })) << ReadBytes(errPath);

    // In order; a record seen again is one the broker had not confirmed, and is the same.
    std::map<uint64_t, std::string> first;
    uint64_t newest = 0;
    for (const auto& [number, payload] : Records()) {
        if (const auto known = first.find(number); known != first.end()) {
            EXPECT_EQ(known->second, payload);
            continue;
        }
        EXPECT_EQ(number, newest + 1) << "record " << number << " after " << newest;
        newest = number;
        first[number] = payload;
    }
    EXPECT_EQ(newest, static_cast<uint64_t>(kRecords));
    // The outage was said, once.
    EXPECT_EQ(e2e::Occurrences(ReadBytes(errPath), "No connection to the MQTT broker"), 1)
        << ReadBytes(errPath);
}

TEST_F(BrokerMqtt, RecordsOfARunStartedBeforeTheBrokerWaitForIt) {
    // The subscriber's session is made first, so that the broker keeps what comes for it
    // however fast the program connects once the broker is back.
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    StopBroker();
    ASSERT_TRUE(StartProgram(5, 50));
    // The records reach the program and its queue while nobody takes the connection.
    const auto deadline = In(kWait);
    while (e2e::Occurrences(ReadBytes(logPath), "\n") < 5) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << ReadBytes(errPath);
        usleep(20000);  // the log file has nothing to wait on
    }
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(Read([&] { return RecordsSeen() >= 5; })) << ReadBytes(errPath);
    const auto records = Records();
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(records[i].first, i + 1);
    EXPECT_EQ(e2e::Occurrences(ReadBytes(errPath), "No connection to the MQTT broker"), 1)
        << ReadBytes(errPath);
}

TEST_F(BrokerMqtt, OverTlsWithTheCaFileOrTheSystemsAndNotWithAnotherCa) {
    ASSERT_TRUE(AddTlsListener());
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    const std::string url = "mqtts://localhost:" + std::to_string(tlsPort);
    ASSERT_TRUE(StartProgram(3, 50, {"--mqtt", url, "--mqtt-ca", folder.File("ca.pem")}));
    ASSERT_TRUE(Read([&] { return RecordsSeen() == 3; })) << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    ASSERT_TRUE(Read([&] { return Has("quorvane/lab/COM1/status", "offline"); }));

    // A broker whose certificate the given CA did not sign is never spoken to.
    sim.process.Signal(SIGKILL);
    sim.process.Wait(In(kWait));
    ASSERT_TRUE(StartProgram(3, 50, {"--mqtt", url, "--mqtt-ca", folder.File("other-ca.pem")}));
    const std::string said = "No connection to the MQTT broker " + url;
    const auto deadline = In(kWait);
    while (ReadBytes(errPath).find(said) == std::string::npos) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << ReadBytes(errPath);
        usleep(20000);  // standard error goes to a file, with nothing to wait on
    }
    // Nothing of the second run reached the subscriber.
    ASSERT_TRUE(ReadAllSentSoFar());
    EXPECT_EQ(RecordsSeen(), 3u);
    program.Signal(SIGTERM);
    program.Wait(In(kWait));

    // Without --mqtt-ca, the certificate authorities the system's OpenSSL trusts: here the
    // test CA, through the variable OpenSSL reads.
    sim.process.Signal(SIGKILL);
    sim.process.Wait(In(kWait));
    ScopedEnv trusted{"SSL_CERT_FILE", folder.File("ca.pem")};
    ASSERT_TRUE(StartProgram(3, 50, {"--mqtt", url}));
    ASSERT_TRUE(Read([&] { return RecordsSeen() == 6; })) << ReadBytes(errPath);
}

TEST_F(BrokerMqtt, AUserWithThePasswordOfItsFileAndNotWithAnother) {
    ASSERT_TRUE(AddPasswordListener());
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    WriteBytes(folder.File("right"), "right\n");
    WriteBytes(folder.File("wrong"), "wrong\n");
    chmod(folder.File("right").c_str(), 0600);
    chmod(folder.File("wrong").c_str(), 0600);
    const std::string url = "mqtt://127.0.0.1:" + std::to_string(tlsPort);
    ASSERT_TRUE(StartProgram(
        3, 50,
        {"--mqtt", url, "--mqtt-user", "kim", "--mqtt-password-file", folder.File("right")}));
    ASSERT_TRUE(Read([&] { return RecordsSeen() == 3; })) << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    // Nothing about the password file: it is private.
    EXPECT_EQ(ReadBytes(errPath).find("password"), std::string::npos) << ReadBytes(errPath);

    sim.process.Signal(SIGKILL);
    sim.process.Wait(In(kWait));
    ASSERT_TRUE(StartProgram(
        3, 50,
        {"--mqtt", url, "--mqtt-user", "kim", "--mqtt-password-file", folder.File("wrong")}));
    const auto deadline = In(kWait);
    while (ReadBytes(errPath).find("No connection to the MQTT broker " + url) ==
           std::string::npos) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << ReadBytes(errPath);
        usleep(20000);  // standard error goes to a file, with nothing to wait on
    }
    ASSERT_TRUE(ReadAllSentSoFar());
    EXPECT_EQ(RecordsSeen(), 3u);
}

TEST_F(BrokerMqtt, CommandsFromTheBrokerRunAsFromTheBusAndAreAnswered) {
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    ASSERT_TRUE(StartProgram(1, 50, {"--mqtt-commands"}));
    // Online means subscribed: the station subscribes before it says so.
    ASSERT_TRUE(Read([&] { return Has("quorvane/lab/COM1/status", "online"); }))
        << ReadBytes(errPath);
    const auto command = [&](const std::string& text) {
        e2e::ChildProcess pub;
        ASSERT_TRUE(
            pub.Start({"/usr/bin/mosquitto_pub", "-h", "127.0.0.1", "-p", std::to_string(port),
                       "-q", "1", "-t", "quorvane/lab/COM1/cmd", "-m", text},
                      folder.File("pub.err"), folder.File("pub.out")));
        EXPECT_EQ(pub.Wait(In(kWait)), 0);
    };
    command("{SEND(Abc)}");
    EXPECT_TRUE(sim.WaitForReceived("Abc", 1, In(kWait))) << sim.received;
    command("{NO-SUCH-COMMAND(x)}");
    ASSERT_TRUE(Read([&] {
        size_t replies = 0;
        for (const Message& m : messages) replies += m.topic == "quorvane/lab/COM1/cmd/reply";
        return replies == 2;
    })) << ReadBytes(errPath);
    std::vector<std::string> replies;
    for (const Message& m : messages)
        if (m.topic == "quorvane/lab/COM1/cmd/reply") replies.push_back(m.payload);
    EXPECT_EQ(replies, (std::vector<std::string>{"accepted", "refused"}));
}

TEST_F(BrokerMqtt, RecordsQueuedByARunEndedWhileTheBrokerWasAwayArePublishedByTheNext) {
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    StopBroker();
    ASSERT_TRUE(StartProgram(20, 20));
    ASSERT_TRUE(WaitForLogLines(20)) << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0) << ReadBytes(errPath);
    sim.process.Signal(SIGKILL);
    sim.process.Wait(In(kWait));

    // The next run gets no records of its own: what arrives is what the first one queued.
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartProgram(0, 20));
    ASSERT_TRUE(Read([&] {
        const auto records = Records();
        return !records.empty() && records.back().first == 20;
    })) << ReadBytes(errPath);
    EXPECT_TRUE(InOrderFrom(1, 20));
    // Nothing else is left in the queue behind them.
    ASSERT_TRUE(ReadAllSentSoFar());
    EXPECT_TRUE(InOrderFrom(1, 20));
}

TEST_F(BrokerMqtt, AFullQueueDropsTheOldestKeepsTheNewestAndPublishesTheCount) {
    // Some 150 bytes a record: 600 of them are more than the 64K bound holds.
    constexpr int kRecords = 600;
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    StopBroker();
    ASSERT_TRUE(StartProgram(kRecords, 10, {"--mqtt-queue-limit", "64K"}));
    ASSERT_TRUE(WaitForLogLines(kRecords))
        << ReadBytes(errPath) << e2e::Occurrences(ReadBytes(logPath), "\n") << " logged";
    // Said while the broker is still away, once.
    const std::string said = "The MQTT queue reached its limit of 65536 bytes";
    EXPECT_EQ(e2e::Occurrences(ReadBytes(errPath), said), 1) << ReadBytes(errPath);

    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(Read([&] {
        const auto records = Records();
        return !records.empty() && records.back().first == kRecords;
    })) << ReadBytes(errPath);
    ASSERT_TRUE(ReadAllSentSoFar());
    const auto records = Records();
    ASSERT_GT(records.front().first, 1u) << "nothing was dropped";
    EXPECT_TRUE(InOrderFrom(records.front().first, kRecords));

    // The count published (the last one retained) and the counts said add up to the records
    // missing at the front.
    std::string published;
    for (const Message& m : messages)
        if (m.topic == "quorvane/lab/COM1/dropped") published = m.payload;
    EXPECT_EQ(published, std::to_string(records.front().first - 1));
    const std::string err = ReadBytes(errPath);
    const std::regex count("the ([0-9]+) oldest records were dropped");
    uint64_t saidTotal = 0;
    for (auto it = std::sregex_iterator(err.begin(), err.end(), count);
         it != std::sregex_iterator(); ++it)
        saidTotal += std::stoull((*it)[1]);
    EXPECT_EQ(saidTotal, records.front().first - 1) << err;
    EXPECT_LE(e2e::Occurrences(err, said), 2) << err;

    e2e::ChildProcess late;
    ASSERT_TRUE(late.Start({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port),
                            "-C", "1", "-t", "quorvane/lab/COM1/dropped"},
                           folder.File("late.err")));
    EXPECT_EQ(late.ReadLine(In(kWait)), std::to_string(records.front().first - 1));
}

TEST_F(BrokerMqtt, ABrokerAddressThatDoesNotParseEndsTheRunWithExitTwo) {
    const struct {
        std::string url, said;
    } cases[] = {
        {"mqtt://127.0.0.1:99999", "the port in the broker address"},
        {"http://127.0.0.1", "must start with mqtt:// or mqtts://"},
        {"mqtt://kim@127.0.0.1", "may hold only a host and a port"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(StartProgram(0, 50, {"--mqtt", c.url}));
        EXPECT_EQ(program.Wait(In(kWait)), 2) << c.url;
        EXPECT_NE(ReadBytes(errPath).find(c.said), std::string::npos)
            << c.url << ": " << ReadBytes(errPath);
        sim.process.Signal(SIGKILL);
        sim.process.Wait(In(kWait));
    }
}

TEST_F(BrokerMqtt, APasswordFileMissingEndsTheRunAndOneOthersCanReadIsWarnedOf) {
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    const std::string missing = folder.File("no-such-password");
    ASSERT_TRUE(StartProgram(3, 50, {"--mqtt-user", "kim", "--mqtt-password-file", missing}));
    EXPECT_EQ(program.Wait(In(kWait)), 1);
    EXPECT_NE(ReadBytes(errPath).find("The MQTT password file " + missing + " cannot be read"),
              std::string::npos)
        << ReadBytes(errPath);
    sim.process.Signal(SIGKILL);
    sim.process.Wait(In(kWait));

    // The broker takes anyone: the password is sent, the run goes on, and the file is named.
    const std::string open = folder.File("open-password");
    WriteBytes(open, "secret\n");
    chmod(open.c_str(), 0644);
    ASSERT_TRUE(StartProgram(3, 50, {"--mqtt-user", "kim", "--mqtt-password-file", open}));
    ASSERT_TRUE(Read([&] { return RecordsSeen() == 3; })) << ReadBytes(errPath);
    EXPECT_EQ(e2e::Occurrences(ReadBytes(errPath),
                               "The MQTT password file " + open + " can be read by other users"),
              1)
        << ReadBytes(errPath);
    EXPECT_EQ(ReadBytes(errPath).find("secret"), std::string::npos);
}

TEST_F(BrokerMqtt, ABrokerThatClosesEachConnectionAtOnceLeavesTheRecordsQueued) {
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    // On the second port: a listener that takes each connection and closes it unread.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(tlsPort);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 8), 0);
    std::atomic<int> accepted{0};
    std::thread closer([&] {
        for (;;) {
            const int fd = accept(listener, nullptr, nullptr);
            if (fd < 0) return;
            ++accepted;
            close(fd);
        }
    });
    const auto stopCloser = [&] {
        shutdown(listener, SHUT_RDWR);
        closer.join();
        close(listener);
    };

    const std::string url = "mqtt://127.0.0.1:" + std::to_string(tlsPort);
    if (!StartProgram(3, 50, {"--mqtt", url})) {
        stopCloser();
        FAIL();
    }
    const auto deadline = In(kWait);
    while (accepted < 3 && std::chrono::steady_clock::now() < deadline) usleep(20000);
    const bool logged = WaitForLogLines(3);
    stopCloser();
    ASSERT_GE(accepted, 3) << ReadBytes(errPath);
    ASSERT_TRUE(logged) << ReadBytes(errPath);
    EXPECT_FALSE(program.Wait(In(0ms)).has_value()) << "the run ended: " << ReadBytes(errPath);
    EXPECT_EQ(e2e::Occurrences(ReadBytes(errPath), "No connection to the MQTT broker " + url), 1)
        << ReadBytes(errPath);
    ASSERT_TRUE(ReadAllSentSoFar());
    EXPECT_EQ(RecordsSeen(), 0u);

    // A real broker on that port then gets the records that waited.
    StopBroker();
    WriteBytes(folder.File("broker.conf"), ReadBytes(folder.File("broker.conf")) + "listener " +
                                               std::to_string(tlsPort) + " 127.0.0.1\n");
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(Read([&] { return RecordsSeen() >= 3; })) << ReadBytes(errPath);
    EXPECT_TRUE(InOrderFrom(1, 3));
}

TEST_F(BrokerMqtt, ACommandOfMoreThanOneMegabyteIsRefusedUnrunAndPublishingGoesOn) {
    constexpr int kRecords = 40;
    ASSERT_TRUE(StartBroker()) << ReadBytes(folder.File("broker.err"));
    ASSERT_TRUE(StartSubscriber());
    ASSERT_TRUE(StartProgram(kRecords, 100, {"--mqtt-commands"}));
    ASSERT_TRUE(Read([&] { return Has("quorvane/lab/COM1/status", "online"); }))
        << ReadBytes(errPath);
    const auto command = [&](const std::vector<std::string>& message) {
        std::vector<std::string> args{"/usr/bin/mosquitto_pub", "-h", "127.0.0.1", "-p",
                                      std::to_string(port),     "-q", "1",         "-t",
                                      "quorvane/lab/COM1/cmd"};
        args.insert(args.end(), message.begin(), message.end());
        e2e::ChildProcess pub;
        ASSERT_TRUE(pub.Start(args, folder.File("pub.err"), folder.File("pub.out")));
        EXPECT_EQ(pub.Wait(In(kWait)), 0) << ReadBytes(folder.File("pub.err"));
    };
    // A command the program would run, one byte beyond the bound.
    std::string big = "{SEND(Big)}";
    big.resize(1024 * 1024 + 1, ' ');
    WriteBytes(folder.File("big"), big);
    command({"-f", folder.File("big")});
    const auto reply = [&](size_t n) {
        return Read([&] {
            size_t replies = 0;
            for (const Message& m : messages) replies += m.topic == "quorvane/lab/COM1/cmd/reply";
            return replies == n;
        });
    };
    ASSERT_TRUE(reply(1)) << ReadBytes(errPath);
    // A command after it still runs, and it reaches the device before anything of the first.
    command({"-m", "{SEND(Small)}"});
    ASSERT_TRUE(sim.WaitForReceived("Small", 1, In(kWait))) << sim.received;
    EXPECT_EQ(sim.received.find("Big"), std::string::npos) << sim.received;
    ASSERT_TRUE(reply(2)) << ReadBytes(errPath);
    std::vector<std::string> replies;
    for (const Message& m : messages)
        if (m.topic == "quorvane/lab/COM1/cmd/reply") replies.push_back(m.payload);
    EXPECT_EQ(replies, (std::vector<std::string>{"refused: larger than 1 MB", "accepted"}));

    ASSERT_TRUE(Read([&] {
        const auto records = Records();
        return !records.empty() && records.back().first == kRecords;
    })) << ReadBytes(errPath);
    EXPECT_TRUE(InOrderFrom(1, kRecords));
    EXPECT_FALSE(program.Wait(In(0ms)).has_value()) << ReadBytes(errPath);
}

}  // namespace
}  // namespace quorvane
