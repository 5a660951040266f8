// The real `quorvane --headless` against the simulated instrument on a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "e2e/SimulatedDevice.h"
#include "e2e/PtyFlood.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::Occurrences;
using e2e::ChildProcess;
using e2e::In;
using testing::ReadBytes;
using testing::WriteBytes;

// Generous: the test machine is shared and often busy.
constexpr auto kWait = 20s;

class HeadlessE2e : public ::testing::Test {
  protected:
    HeadlessE2e() {
        // The program's per-user files go to the scratch folder, never the real home.
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        // The display-less path, whatever display the shell running the tests has.
        unsetenv("DISPLAY");
    }

    // Log to disk into log.txt, single-field records ended by CR, any byte starting one, so
    // the log reproduces the device's stream; every record acknowledged with "K" CR.
    SetupGlobals LogConfig() {
        SetupGlobals g = testing::FileNewSettings();
        g.Parity = 0;
        g.DataBitsIndex = 3;
        g.Mode = kModeLog;
        g.LogFileName = logPath;
        g.AckString = "K\r";
        return g;
    }
    std::string WriteConfig(const SetupGlobals& g) {
        const std::string path = folder.File("run.qv3");
        WriteBytes(path, testing::Serialize(g));
        return path;
    }
    // Starts the sim with extra arguments; false when it did not offer a device.
    bool StartSim(std::vector<std::string> args) {
        args.insert(args.begin(), QUORVANE_SIM_PROGRAM);
        if (!sim.Start(args, folder.File("sim.err"))) return false;
        const auto line = sim.ReadLine(In(kWait));
        if (!line || line->rfind("/dev/", 0) != 0) return false;
        pty = *line;
        return true;
    }
    bool StartProgram(const std::string& config) {
        return program.Start({QUORVANE_PROGRAM, "--headless", config, "--port", "COM1=" + pty},
                             errPath, folder.File("program.out"));
    }
    // Waits until the log holds at least size bytes.
    bool WaitForLog(size_t size) {
        const auto deadline = In(kWait);
        while (ReadBytes(logPath).size() < size) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    // Waits until standard error holds text.
    bool WaitForError(const std::string& text) {
        const auto deadline = In(kWait);
        while (ReadBytes(errPath).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    // Collects the escaped bytes of RX lines until they contain what, count times.
    bool WaitForReceived(const std::string& what, int count, std::string& received) {
        const auto deadline = In(kWait);
        while (Occurrences(received, what) < count) {
            const auto line = sim.ReadLine(deadline);
            if (!line) return false;
            if (line->rfind("RX ", 0) == 0) received += line->substr(3);
        }
        return true;
    }

    testing::ScratchFolder folder;
    const std::string logPath = folder.File("log.txt");
    const std::string errPath = folder.File("program.err");
    ChildProcess sim, program;
    std::string pty;
};

TEST_F(HeadlessE2e, RecordsArriveByteForByteAndAreAcknowledged) {
    // Every byte value but CR inside the records, NUL and 8-bit codes included.
    std::string records;
    for (int r = 0; r < 40; ++r) {
        for (int b = 0; b < 256; b += 7 + r % 5) {
            if (b != '\r') records += static_cast<char>(b);
        }
        records += '\r';
    }
    WriteBytes(folder.File("records.bin"), records);
    ASSERT_TRUE(StartSim({"--send-file", folder.File("records.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));

    ASSERT_TRUE(WaitForLog(records.size())) << ReadBytes(errPath);
    EXPECT_EQ(ReadBytes(logPath), records);
    std::string received;
    EXPECT_TRUE(WaitForReceived("K\\r", 40, received)) << received;
    EXPECT_EQ(received, [] {
        std::string acks;
        for (int i = 0; i < 40; ++i) acks += "K\\r";
        return acks;
    }());

    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(errPath), "");
}

TEST_F(HeadlessE2e, TimedOutputArrivesAtItsInterval) {
    SetupGlobals g = LogConfig();
    g.AckString.clear();
    g.TimerInterval = 300;
    g.TimerOptions = 1 | 2;
    g.TimerString = "T\r";
    // The simulator stamps each received line, so the test's own read delays do not count.
    ASSERT_TRUE(StartSim({"--count", "0", "--rx-times"}));
    ASSERT_TRUE(StartProgram(WriteConfig(g)));

    std::vector<long> times;
    std::string received;
    const auto deadline = In(kWait);
    while (times.size() < 5) {
        const auto line = sim.ReadLine(deadline);
        ASSERT_TRUE(line) << received;
        if (line->rfind("RX ", 0) != 0) continue;
        const size_t space = line->find(' ', 3);
        ASSERT_NE(space, std::string::npos) << *line;
        times.push_back(std::stol(line->substr(3, space - 3)));
        received += line->substr(space + 1);
    }
    const auto elapsed = std::chrono::milliseconds(times[4] - times[0]);
    // Never ahead of the schedule (one poll tick of slack), and not far behind it.
    EXPECT_GE(elapsed, 4 * 300ms - 60ms);
    EXPECT_LE(elapsed, 4 * 300ms + 3s);
    EXPECT_EQ(received, "T\\rT\\rT\\rT\\rT\\r");
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
}

TEST_F(HeadlessE2e, SigtermMidRecordLeavesACompleteLogAndExitsZero) {
    WriteBytes(folder.File("partial.bin"), "first\rsecond\rthi");
    ASSERT_TRUE(StartSim({"--send-file", folder.File("partial.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    ASSERT_TRUE(WaitForLog(13)) << ReadBytes(errPath);
    std::string received;
    ASSERT_TRUE(WaitForReceived("K\\r", 2, received));  // both records fully handled

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(logPath), "first\rsecond\r");
    EXPECT_EQ(ReadBytes(errPath), "");
}

TEST_F(HeadlessE2e, SighupQuitsTheWaySigtermDoes) {
    // The terminal that started the program goes away: the port is closed and the log ends
    // at the last whole record, instead of the program dying where it stands.
    WriteBytes(folder.File("partial.bin"), "first\rsec");
    ASSERT_TRUE(StartSim({"--send-file", folder.File("partial.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    ASSERT_TRUE(WaitForLog(6)) << ReadBytes(errPath);
    program.Signal(SIGHUP);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(logPath), "first\r");
}

TEST_F(HeadlessE2e, AReadingCutByADisconnectionIsNotGluedToTheNextOne) {
    const std::string link = folder.File("cut-link");
    WriteBytes(folder.File("before.bin"), "3.");
    WriteBytes(folder.File("after.bin"), "4.5\r");
    ASSERT_TRUE(
        StartSim({"--send-file", folder.File("before.bin"), "--count", "0", "--link", link}));
    pty = link;
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    std::this_thread::sleep_for(300ms);  // "3." is read: a record in progress
    sim.Signal(SIGTERM);                 // the cable is pulled
    ASSERT_TRUE(sim.Wait(In(kWait)).has_value());
    ASSERT_TRUE(WaitForError(LoadString(4030))) << ReadBytes(errPath);

    ChildProcess second;
    ASSERT_TRUE(second.Start({QUORVANE_SIM_PROGRAM, "--send-file", folder.File("after.bin"),
                              "--count", "0", "--link", link},
                             folder.File("sim2.err")));
    ASSERT_TRUE(second.ReadLine(In(kWait)).has_value());
    ASSERT_TRUE(WaitForLog(4)) << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(logPath), "4.5\r");  // never the corrupted "3.4.5"
    EXPECT_EQ(Occurrences(ReadBytes(errPath), LoadString(30303)), 1) << ReadBytes(errPath);
}

TEST_F(HeadlessE2e, ALogThatCannotBeWrittenHoldsInputUntilItCanAndLosesNothing) {
    // The log's folder is missing at first: headless nobody can answer Retry, so the program
    // holds input, tries again, and logs every record once the folder is there.
    std::string records;
    for (int n = 0; n < 50; ++n) records += "R" + std::to_string(n) + "\r";
    WriteBytes(folder.File("records.bin"), records);
    SetupGlobals g = LogConfig();
    const std::string later = folder.File("later");
    g.LogFileName = later + "/run.log";
    ASSERT_TRUE(StartSim({"--send-file", folder.File("records.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(WriteConfig(g)));
    ASSERT_TRUE(WaitForError(LoadString(30304))) << ReadBytes(errPath);
    std::filesystem::create_directory(later);
    ASSERT_TRUE(WaitForError("can be written again")) << ReadBytes(errPath);
    const auto deadline = In(kWait);
    while (ReadBytes(g.LogFileName).size() < records.size() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(g.LogFileName), records);
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(30304)), 1) << err;
    EXPECT_EQ(Occurrences(err, "can be written again"), 1) << err;
}

TEST_F(HeadlessE2e, SigtermEndsTheProgramWithinASecondWhileInputNeverStops) {
    // A writer as fast as the program reads, on a pseudo-terminal of the test's own.
    e2e::PtyFlood flood;
    ASSERT_TRUE(flood.Ok());
    pty = flood.Path();
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    flood.Start("12.5,g,ST\r");
    ASSERT_TRUE(WaitForLog(200000)) << ReadBytes(errPath);

    const auto signalled = std::chrono::steady_clock::now();
    program.Signal(SIGTERM);
    const auto status = program.Wait(In(kWait));
    const auto took = std::chrono::steady_clock::now() - signalled;
    flood.Stop();
    EXPECT_EQ(status, 0);
    EXPECT_LT(took, 1s);
    // The log ends at a whole record, and every record in it is whole.
    const std::string logged = ReadBytes(logPath);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.size() % 10, 0u) << logged.size();
    EXPECT_EQ(logged.substr(logged.size() - 10), "12.5,g,ST\r");
    EXPECT_EQ(logged.find_first_not_of("12.5,gST\r"), std::string::npos);
}

TEST_F(HeadlessE2e, ADeviceThatGoesAwayIsOpenedAgainWhenItIsBack) {
    const std::string link = folder.File("balance-link");
    ASSERT_TRUE(StartSim({"--profile", "balance", "--interval", "100", "--link", link}));
    pty = link;
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    ASSERT_TRUE(WaitForLog(1)) << ReadBytes(errPath);
    sim.Signal(SIGTERM);  // the device goes away
    ASSERT_TRUE(sim.Wait(In(kWait)).has_value());
    ASSERT_TRUE(WaitForError(LoadString(4030))) << ReadBytes(errPath);

    ChildProcess second;
    ASSERT_TRUE(second.Start(
        {QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval", "100", "--link", link},
        folder.File("sim2.err")));
    ASSERT_TRUE(second.ReadLine(In(kWait)).has_value());
    ASSERT_TRUE(WaitForError("is back.")) << ReadBytes(errPath);
    const size_t before = ReadBytes(logPath).size();
    ASSERT_TRUE(WaitForLog(before + 11));  // records from the device that came back
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(4030)), 1) << err;
    EXPECT_EQ(Occurrences(err, "is back."), 1) << err;
}

TEST_F(HeadlessE2e, ATooLongRecordIsVoidedAndSaidOnceOnStandardError) {
    // One byte past 1 MiB without a CR voids the record, and the rest of it up to its CR is
    // passed over; the good one after it is logged.
    WriteBytes(folder.File("endless.bin"), std::string((size_t{1} << 20) + 1, 'x') + "tail\rok\r");
    ASSERT_TRUE(StartSim({"--send-file", folder.File("endless.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(WriteConfig(LogConfig())));
    ASSERT_TRUE(WaitForLog(3)) << ReadBytes(errPath);
    std::string received;
    EXPECT_TRUE(WaitForReceived("K\\r", 1, received)) << received;

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    const std::string logged = ReadBytes(logPath);
    EXPECT_TRUE(logged == "ok\r") << logged.size() << " bytes logged";
    EXPECT_EQ(received, "K\\r");  // only the good record is acknowledged
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(30100)), 1) << err;
}

TEST_F(HeadlessE2e, AMissingFileExitsOneNamingIt) {
    const std::string missing = folder.File("missing.qv3");
    ASSERT_TRUE(program.Start({QUORVANE_PROGRAM, "--headless", missing}, errPath));
    EXPECT_EQ(program.Wait(In(kWait)), 1);
    const std::string err = ReadBytes(errPath);
    EXPECT_NE(err.find(LoadString(4034) + ": " + missing + ": " + std::strerror(ENOENT)),
              std::string::npos)
        << err;
}

TEST_F(HeadlessE2e, AMissingDeviceExitsOneWithTheDeviceMessage) {
    const std::string device = folder.File("no-such-tty");
    ASSERT_TRUE(program.Start(
        {QUORVANE_PROGRAM, "--headless", WriteConfig(LogConfig()), "--port", "COM1=" + device},
        errPath));
    EXPECT_EQ(program.Wait(In(kWait)), 1);
    const std::string err = ReadBytes(errPath);
    EXPECT_NE(err.find(LoadString(4031) + ": COM1 " + LoadString(4030)), std::string::npos) << err;
    EXPECT_NE(err.find(device + ": " + std::strerror(ENOENT)), std::string::npos) << err;
}

}  // namespace
}  // namespace quorvane
