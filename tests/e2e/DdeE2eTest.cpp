// The real `quorvane --headless` on a private session bus: its items, commands and quit
// over the bus, its DDE client talking to a second Quorvane, and the two links following
// that peer's field. The bus side is driven with gdbus and dbus-monitor.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <optional>
#include <regex>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "delivery/DdeBusMessages.h"
#include "e2e/BusTools.h"
#include "e2e/ChildProcess.h"
#include "e2e/SimulatedDevice.h"
#include "e2e/PtyFlood.h"
#include "e2e/XvfbDesktop.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::ChildProcess;
using e2e::DdeCall;
using e2e::In;
using e2e::NameHasOwner;
using e2e::PrivateBusEnvironment;
using e2e::Shell;
using e2e::ShellQuote;
using e2e::ShellResult;
using e2e::WaitForName;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kWait = 20s;  // generous: the machine is shared

using e2e::Occurrences;

// One headless Quorvane with its simulated device.
struct Instance {
    explicit Instance(std::string n) : name(std::move(n)) {}
    std::string name;
    ChildProcess sim, program;
    std::string pty;
    std::string received;  // escaped bytes of the device's RX lines so far
};

class DdeE2e : public ::testing::Test {
  protected:
    DdeE2e() {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        SetInterfaceLanguage(InterfaceLanguageFromEnvironment());
        // Without a display the program has no clipboard; a test that wants one starts its
        // own X server.
        if (const char* display = std::getenv("DISPLAY")) savedDisplay_ = display;
        unsetenv("DISPLAY");
    }
    ~DdeE2e() override {
        if (!savedDisplay_.empty()) setenv("DISPLAY", savedDisplay_.c_str(), 1);
    }
    void SetUp() override { ASSERT_FALSE(PrivateBusEnvironment::Address().empty()); }

    // Logs single-field CR records to NAME.log and serves topic.
    SetupGlobals Config(const std::string& name, const std::string& topic) {
        SetupGlobals g = testing::FileNewSettings();
        g.Parity = 0;
        g.DataBitsIndex = 3;
        g.Mode = kModeLog;
        g.LogFileName = folder.File(name + ".log");
        g.DdeTopicName = topic;
        return g;
    }
    bool StartSim(Instance& i, std::vector<std::string> args) {
        args.insert(args.begin(), QUORVANE_SIM_PROGRAM);
        if (!i.sim.Start(args, folder.File(i.name + ".sim.err"))) return false;
        const auto line = i.sim.ReadLine(In(kWait));
        if (!line || line->rfind("/dev/", 0) != 0) return false;
        i.pty = *line;
        return true;
    }
    bool StartProgram(Instance& i, const SetupGlobals& g) {
        const std::string config = folder.File(i.name + ".qv3");
        WriteBytes(config, testing::Serialize(g));
        return i.program.Start({QUORVANE_PROGRAM, "--headless", config, "--port", "COM1=" + i.pty},
                               Err(i), folder.File(i.name + ".out"));
    }
    std::string Err(const Instance& i) { return folder.File(i.name + ".err"); }
    // Reads the device's RX lines until what has arrived count times in all.
    bool WaitForReceived(Instance& i, const std::string& what, int count = 1) {
        const auto deadline = In(kWait);
        while (Occurrences(i.received, what) < count) {
            const auto line = i.sim.ReadLine(deadline);
            if (!line) return false;
            if (line->rfind("RX ", 0) == 0) i.received += line->substr(3);
        }
        return true;
    }
    bool WaitForFile(const std::string& path, const std::string& text) {
        const auto deadline = In(kWait);
        while (ReadBytes(path).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    // The peer's device goes away and comes back on the same link with records to send.
    bool FeedPeerLater(Instance& peer, const std::string& link, const std::string& records) {
        peer.sim.Signal(SIGTERM);
        if (!peer.sim.Wait(In(kWait))) return false;
        WriteBytes(folder.File("peer-records.bin"), records);
        ChildProcess& next = peerSims.emplace_back();
        if (!next.Start({QUORVANE_SIM_PROGRAM, "--send-file", folder.File("peer-records.bin"),
                         "--count", "0", "--link", link},
                        folder.File("peer2.sim.err")))
            return false;
        return next.ReadLine(In(kWait)).has_value();
    }
    bool Quit(Instance& i) {
        i.program.Signal(SIGTERM);
        return i.program.Wait(In(kWait)) == 0;
    }

    testing::ScratchFolder folder;
    std::list<ChildProcess> peerSims;
    std::string savedDisplay_;
};

const std::string kChangedRule =
    "type='signal',interface='org.quorvane.Dde1',member='Changed',path='/org/quorvane/Dde'";

// The next count Changed signals that dbus-monitor shows, as item=value (DateTime left out).
std::vector<std::string> ChangedSignals(ChildProcess& monitor, size_t count) {
    std::vector<std::string> changes;
    const auto deadline = In(kWait);
    const std::regex value("^   string \"([\\s\\S]*)\"$");
    while (changes.size() < count) {
        const auto line = monitor.ReadLine(deadline);
        if (!line) break;
        if (line->find("member=Changed") == std::string::npos) continue;
        std::smatch item, text;
        const auto first = monitor.ReadLine(deadline);
        const auto second = monitor.ReadLine(deadline);
        if (!first || !second || !std::regex_match(*first, item, value) ||
            !std::regex_match(*second, text, value)) {
            ADD_FAILURE() << "unexpected monitor lines: "
                          << ::testing::PrintToString(first.value_or("")) << " | "
                          << ::testing::PrintToString(second.value_or(""));
            break;
        }
        if (item[1] == "DateTime") continue;  // the clock's own updates
        changes.push_back(item[1].str() + "=" + text[1].str());
    }
    return changes;
}

TEST_F(DdeE2e, EachFieldIsPublishedToChangedInOrderAndRequestAnswersTheLastValue) {
    ChildProcess monitor;
    ASSERT_TRUE(monitor.Start({"/usr/bin/dbus-monitor", "--session", kChangedRule},
                              folder.File("monitor.err")));
    ASSERT_TRUE(monitor.ReadLine(In(kWait)).has_value());  // it is listening

    Instance scale("scale");
    WriteBytes(folder.File("records.bin"), "1.5,A\r2.5,B\r2.5,B\r");
    ASSERT_TRUE(StartSim(scale, {"--send-file", folder.File("records.bin"), "--count", "0"}));
    SetupGlobals g = Config("scale", "Scale");
    g.RecordStructure = 1;
    g.NumberOfFields = 2;
    ASSERT_TRUE(StartProgram(scale, g));

    // A repeated record is published again: linked clients count updates.
    EXPECT_EQ(ChangedSignals(monitor, 9),
              (std::vector<std::string>{"Field(1)=1.5", "Field(2)=A\r", "RecordNumber=1",
                                        "Field(1)=2.5", "Field(2)=B\r", "RecordNumber=2",
                                        "Field(1)=2.5", "Field(2)=B\r", "RecordNumber=3"}));
    EXPECT_NE(DdeCall("Quorvane.Scale", "Request", "field(2)").out.find("('B\\r',)"),
              std::string::npos);
    const ShellResult unknown = DdeCall("Quorvane.Scale", "Request", "Field(3)");
    EXPECT_NE(unknown.status, 0);
    EXPECT_NE(unknown.out.find("org.quorvane.Dde1.NoSuchItem"), std::string::npos) << unknown.out;
    EXPECT_TRUE(Quit(scale));
    EXPECT_EQ(ReadBytes(Err(scale)), "");
}

TEST_F(DdeE2e, ExecuteSendsToTheDeviceAndARefusedCommandFailsTheCall) {
    Instance scale("scale");
    ASSERT_TRUE(StartSim(scale, {"--count", "0"}));
    ASSERT_TRUE(StartProgram(scale, Config("scale", "Scale")));
    ASSERT_TRUE(WaitForName("Quorvane.Scale")) << ReadBytes(Err(scale));

    const ShellResult sent = DdeCall("Quorvane.Scale", "Execute", "{SEND(Abc)}");
    EXPECT_EQ(sent.status, 0) << sent.out;
    ASSERT_TRUE(WaitForReceived(scale, "Abc"));

    const ShellResult refused = DdeCall("Quorvane.Scale", "Execute", "{NO-SUCH-COMMAND(x)}");
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.out.find("org.quorvane.Dde1.Refused"), std::string::npos) << refused.out;
    // The refused command sent nothing: the next output follows "Abc" directly.
    ASSERT_EQ(DdeCall("Quorvane.Scale", "Execute", "{SEND(Z)}").status, 0);
    ASSERT_TRUE(WaitForReceived(scale, "Z"));
    EXPECT_EQ(scale.received, "AbcZ");
    EXPECT_TRUE(Quit(scale));
}

TEST_F(DdeE2e, ConfigNamingAFifoIsRefusedAtOnceAndRecordsKeepBeingLogged) {
    Instance scale("scale");
    ASSERT_TRUE(StartSim(scale, {"--profile", "balance", "--interval", "50", "--count", "0"}));
    SetupGlobals g = Config("scale", "Scale");
    g.TimerInterval = 100;  // the balance answers each "?" with a reading
    g.TimerOptions = 1;
    g.TimerString = "?\r";
    ASSERT_TRUE(StartProgram(scale, g));
    ASSERT_TRUE(WaitForName("Quorvane.Scale")) << ReadBytes(Err(scale));
    const std::string fifo = folder.File("pipe.qv3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    // Opening the FIFO would hold the program until someone writes into it.
    const auto asked = std::chrono::steady_clock::now();
    const ShellResult refused = DdeCall("Quorvane.Scale", "Execute", "{CONFIG(" + fifo + ")}");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.out.find("org.quorvane.Dde1.Refused"), std::string::npos) << refused.out;
    const size_t logged = ReadBytes(folder.File("scale.log")).size();
    const auto deadline = In(kWait);
    while (ReadBytes(folder.File("scale.log")).size() == logged &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_GT(ReadBytes(folder.File("scale.log")).size(), logged) << ReadBytes(Err(scale));
    EXPECT_TRUE(Quit(scale));
    EXPECT_NE(ReadBytes(Err(scale)).find(fifo + ": "), std::string::npos) << ReadBytes(Err(scale));
}

TEST_F(DdeE2e, AppExitEndsTheProgramWithCodeZeroAndReleasesTheName) {
    Instance scale("scale");
    ASSERT_TRUE(StartSim(scale, {"--count", "0"}));
    ASSERT_TRUE(StartProgram(scale, Config("scale", "Scale")));
    ASSERT_TRUE(WaitForName("Quorvane.Scale")) << ReadBytes(Err(scale));

    EXPECT_EQ(DdeCall("Quorvane.Scale", "Execute", "{APPEXIT}").status, 0);
    EXPECT_EQ(scale.program.Wait(In(kWait)), 0);
    EXPECT_FALSE(NameHasOwner("Quorvane.Scale"));
    EXPECT_EQ(ReadBytes(Err(scale)), "");
}

TEST_F(DdeE2e, ASecondInstanceForTheSameTopicSaysSoAndKeepsRunning) {
    Instance first("first"), second("second");
    ASSERT_TRUE(StartSim(first, {"--count", "0"}));
    ASSERT_TRUE(StartProgram(first, Config("first", "Scale")));
    ASSERT_TRUE(WaitForName("Quorvane.Scale"));

    WriteBytes(folder.File("records.bin"), "r1\r");
    ASSERT_TRUE(StartSim(second, {"--send-file", folder.File("records.bin"), "--count", "0"}));
    ASSERT_TRUE(StartProgram(second, Config("second", "Scale")));
    const std::string taken = DdeNameTakenText("Scale", "Quorvane.Scale");
    ASSERT_TRUE(WaitForFile(Err(second), taken)) << ReadBytes(Err(second));
    ASSERT_TRUE(WaitForFile(folder.File("second.log"), "r1\r"));  // it goes on working

    // The topic stays with the first.
    ASSERT_EQ(DdeCall("Quorvane.Scale", "Execute", "{SEND(one)}").status, 0);
    ASSERT_TRUE(WaitForReceived(first, "one"));
    EXPECT_TRUE(Quit(second));
    EXPECT_EQ(Occurrences(ReadBytes(Err(second)), taken), 1);
    EXPECT_TRUE(Quit(first));
}

TEST_F(DdeE2e, TheClientSendsPreambleThenEachFieldsPostambleAndReconnectsToARestartedPeer) {
    Instance peer("peer"), sender("sender");
    ASSERT_TRUE(StartSim(peer, {"--count", "0"}));
    ASSERT_TRUE(StartProgram(peer, Config("peer", "Peer")));
    ASSERT_TRUE(WaitForName("Quorvane.Peer")) << ReadBytes(Err(peer));

    // The balance reads "+0012.50 g": two fields at the blank.
    ASSERT_TRUE(StartSim(sender, {"--profile", "balance", "--interval", "100"}));
    SetupGlobals g = Config("sender", "Sender");
    g.Mode = kModeDde;
    g.DdeTargetApp = "quorvane";  // names match regardless of case
    g.DdeTargetTopic = "PEER";
    g.RecordStructure = 1;
    g.NumberOfFields = 2;
    g.DelimiterChar = " ";
    g.RecordPreamble = "{SEND(P)}";
    g.FieldPostamble[1] = "{SEND(1)}";
    g.FieldPostamble[2] = "{SEND(2)}";
    ASSERT_TRUE(StartProgram(sender, g));

    ASSERT_TRUE(WaitForReceived(peer, "P12", 3)) << peer.received << ReadBytes(Err(sender));
    EXPECT_EQ(peer.received.substr(0, 9), "P12P12P12");

    // The peer restarts, on a device of its own so that its output is told apart.
    ASSERT_TRUE(Quit(peer));
    Instance restarted("restarted");
    ASSERT_TRUE(StartSim(restarted, {"--count", "0"}));
    ASSERT_TRUE(StartProgram(restarted, Config("restarted", "Peer")));
    ASSERT_TRUE(WaitForReceived(restarted, "P12", 3))
        << restarted.received << ReadBytes(Err(sender));
    // A reconnect starts at a record's beginning.
    EXPECT_EQ(restarted.received.substr(0, 9), "P12P12P12");
    EXPECT_TRUE(Quit(sender));
    EXPECT_TRUE(Quit(restarted));
    EXPECT_EQ(ReadBytes(Err(sender)), "");
}

TEST_F(DdeE2e, ACommandSourceLinkRunsEachCommandThePeerPublishes) {
    Instance peer("peer"), linker("linker");
    const std::string link = folder.File("peer-device");
    ASSERT_TRUE(StartSim(peer, {"--count", "0", "--link", link}));
    peer.pty = link;
    ASSERT_TRUE(StartProgram(peer, Config("peer", "Peer")));
    ASSERT_TRUE(WaitForName("Quorvane.Peer"));

    ASSERT_TRUE(StartSim(linker, {"--count", "0"}));
    SetupGlobals g = Config("linker", "Linker");
    g.CommandLinkApp = "Quorvane";
    g.CommandLinkTopic = "Peer";
    g.CommandLinkItem = "Field(1)";
    g.CommandLinkOnActivation = kTrue;
    ASSERT_TRUE(StartProgram(linker, g));
    ASSERT_TRUE(WaitForName("Quorvane.Linker"));
    // Answered only once activation, and with it the link, is done.
    ASSERT_EQ(DdeCall("Quorvane.Linker", "Execute", "{SEND(ready)}").status, 0);
    ASSERT_TRUE(WaitForReceived(linker, "ready"));

    ASSERT_TRUE(FeedPeerLater(peer, link, "{SEND(X1)}\r{SEND(X2)}\r{SEND(X2)}\r"));
    ASSERT_TRUE(WaitForReceived(linker, "X2", 2)) << linker.received << ReadBytes(Err(linker));
    EXPECT_EQ(linker.received, "readyX1X2X2");
    EXPECT_TRUE(Quit(linker));
    EXPECT_EQ(ReadBytes(Err(linker)), "");
    EXPECT_TRUE(Quit(peer));
}

TEST_F(DdeE2e, LinkCommandsOverTheBusOpenAndEndTheLinkAndHeadlessThereIsNoClipboard) {
    Instance peer("peer"), linker("linker");
    const std::string link = folder.File("peer-device");
    ASSERT_TRUE(StartSim(peer, {"--count", "0", "--link", link}));
    peer.pty = link;
    ASSERT_TRUE(StartProgram(peer, Config("peer", "Peer")));
    ASSERT_TRUE(WaitForName("Quorvane.Peer"));

    ASSERT_TRUE(StartSim(linker, {"--count", "0"}));
    SetupGlobals g = Config("linker", "Linker");
    g.CommandLinkApp = "Quorvane";
    g.CommandLinkTopic = "Peer";
    g.CommandLinkItem = "Field(1)";  // not made at activation: the refresh makes it
    ASSERT_TRUE(StartProgram(linker, g));
    ASSERT_TRUE(WaitForName("Quorvane.Linker"));
    const auto execute = [](const std::string& command) {
        return DdeCall("Quorvane.Linker", "Execute", command).status;
    };
    EXPECT_NE(execute("{TERMINATE-COMMAND}"), 0);  // no link yet
    // Copies are accepted and change nothing; there is nothing to paste from.
    EXPECT_EQ(execute("{COPYRECNUM}"), 0);
    EXPECT_EQ(execute("{COPYFIELD(1)}"), 0);
    EXPECT_NE(execute("{PASTE-COMMAND}"), 0);
    EXPECT_NE(execute("{PASTE-BUFFER}"), 0);
    EXPECT_NE(execute("{REFRESH-BUFFER}"), 0);  // no buffer link configured
    ASSERT_EQ(execute("{REFRESH-COMMAND}"), 0);
    // The link opens at the next tick: once it is on, it can be terminated.
    ASSERT_EQ(execute("{SEND(ready)}"), 0);
    ASSERT_TRUE(WaitForReceived(linker, "ready"));
    ASSERT_EQ(execute("{TERMINATE-COMMAND}"), 0);
    EXPECT_NE(execute("{TERMINATE-COMMAND}"), 0);

    ASSERT_TRUE(FeedPeerLater(peer, link, "{SEND(X1)}\r"));
    ASSERT_TRUE(WaitForFile(folder.File("peer.log"), "{SEND(X1)}\r"));
    // The ended link runs nothing: the next output follows "ready" directly.
    ASSERT_EQ(execute("{SEND(end)}"), 0);
    ASSERT_TRUE(WaitForReceived(linker, "end"));
    EXPECT_EQ(linker.received, "readyend");
    EXPECT_TRUE(Quit(linker));
    EXPECT_EQ(ReadBytes(Err(linker)), "");
    EXPECT_TRUE(Quit(peer));
}

TEST_F(DdeE2e, AnOutputBufferLinkSendsThePeersValuesWithCrLfStrippedWhenSet) {
    Instance peer("peer"), strip("strip"), keep("keep");
    const std::string link = folder.File("peer-device");
    ASSERT_TRUE(StartSim(peer, {"--count", "0", "--link", link}));
    peer.pty = link;
    SetupGlobals p = Config("peer", "Peer");
    p.EndOfRecordEvent = 3;  // records end at LF, which the field keeps: it ends in CR LF
    p.EndChars = "\n";
    ASSERT_TRUE(StartProgram(peer, p));
    ASSERT_TRUE(WaitForName("Quorvane.Peer"));

    for (Instance* i : {&strip, &keep}) {
        ASSERT_TRUE(StartSim(*i, {"--count", "0"}));
        SetupGlobals g = Config(i->name, i->name);
        g.BufferLinkApp = "Quorvane";
        g.BufferLinkTopic = "Peer";
        g.BufferLinkItem = "Field(1)";
        g.BufferLinkOnActivation = kTrue;
        g.StripCrLfFromBuffer = i == &strip ? kTrue : kFalse;
        ASSERT_TRUE(StartProgram(*i, g));
        ASSERT_TRUE(WaitForName("Quorvane." + i->name));
        ASSERT_EQ(DdeCall("Quorvane." + i->name, "Execute", "{SEND(ready)}").status, 0);
        ASSERT_TRUE(WaitForReceived(*i, "ready"));
    }

    ASSERT_TRUE(FeedPeerLater(peer, link, "v1\r\nv2\r\n"));
    ASSERT_TRUE(WaitForReceived(strip, "v2")) << strip.received;
    ASSERT_TRUE(WaitForReceived(keep, "v2\\r\\n")) << keep.received;
    EXPECT_EQ(strip.received, "readyv1v2");
    EXPECT_EQ(keep.received, "readyv1\\r\\nv2\\r\\n");
    EXPECT_TRUE(Quit(strip));
    EXPECT_TRUE(Quit(keep));
    EXPECT_TRUE(Quit(peer));
}

TEST_F(DdeE2e, WithoutASessionBusTheProgramSaysSoOnceAndRunsWithoutDde) {
    Instance scale("scale");
    WriteBytes(folder.File("records.bin"), "r1\rr2\r");
    ASSERT_TRUE(StartSim(scale, {"--send-file", folder.File("records.bin"), "--count", "0"}));
    // No address and a runtime folder without a bus socket.
    const std::string address = PrivateBusEnvironment::Address();
    const char* runtimeDir = getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntimeDir = runtimeDir ? runtimeDir : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
    setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
    const bool started = StartProgram(scale, Config("scale", "Scale"));
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    if (runtimeDir)
        setenv("XDG_RUNTIME_DIR", savedRuntimeDir.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(started);

    ASSERT_TRUE(WaitForFile(folder.File("scale.log"), "r1\rr2\r"));
    EXPECT_FALSE(NameHasOwner("Quorvane.Scale"));
    EXPECT_TRUE(Quit(scale));
    EXPECT_EQ(Occurrences(ReadBytes(Err(scale)), DdeNoBusText()), 1) << ReadBytes(Err(scale));
}

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// With an X display the headless program uses the desktop's clipboard: a copied field link
// can be pasted back as the Output Buffer link, which then sends each new Field(1) value out
// of the port.
TEST_F(DdeE2e, WithADisplayCopiedLinksGoOnTheClipboardAndPasteBack) {
    ASSERT_TRUE(e2e::XvfbDesktop::OnPath("Xvfb") && e2e::XvfbDesktop::OnPath("openbox"))
        << "Xvfb and openbox are needed";
    e2e::XvfbDesktop desktop;
    std::string error;
    ASSERT_TRUE(desktop.Start(error)) << error;
    setenv("DISPLAY", desktop.name().c_str(), 1);

    Instance scale("scale");
    ASSERT_TRUE(StartSim(scale, {"--count", "0"}));
    SetupGlobals g = Config("scale", "Scale");
    g.StripCrLfFromBuffer = kFalse;
    ASSERT_TRUE(StartProgram(scale, g));
    ASSERT_TRUE(WaitForName("Quorvane.Scale"));
    const auto execute = [](const std::string& command) {
        return DdeCall("Quorvane.Scale", "Execute", command).status;
    };
    EXPECT_NE(execute("{PASTE-BUFFER}"), 0);  // nothing of ours on the clipboard yet
    ASSERT_EQ(execute("{COPYFIELD(1)}"), 0);
    if (e2e::XvfbDesktop::OnPath("xclip")) {
        EXPECT_EQ(desktop.Run({"xclip", "-o", "-selection", "clipboard", "-t",
                               "application/x-quorvane-link"}),
                  "Quorvane|Scale!Field(1)");
    }
    ASSERT_EQ(execute("{PASTE-BUFFER}"), 0);
    // The pasted link opens at the next tick: once it is on, it can be terminated.
    ASSERT_EQ(execute("{SEND(ready)}"), 0);
    ASSERT_TRUE(WaitForReceived(scale, "ready"));
    EXPECT_EQ(execute("{TERMINATE-BUFFER}"), 0);
    EXPECT_NE(execute("{TERMINATE-BUFFER}"), 0);
    EXPECT_TRUE(Quit(scale));
}

TEST_F(DdeE2e, RequestIsAnsweredWhileRecordsPourInAtFullSpeed) {
    // A writer as fast as the program reads, on a pseudo-terminal of the test's own: each
    // poll tick reads only part of what waits, so the event loop still answers the bus.
    // How long an answer takes is measured by bench/dde-request-latency.sh; here a call
    // that waits 2 s for an event loop held up by the stream fails.
    e2e::PtyFlood flood;
    ASSERT_TRUE(flood.Ok());
    Instance scale("scale");
    scale.pty = flood.Path();
    const std::string log = folder.File("scale.log");
    ASSERT_TRUE(StartProgram(scale, Config("scale", "Scale")));
    ASSERT_TRUE(WaitForName("Quorvane.Scale")) << ReadBytes(Err(scale));

    int argc = 1;
    char name[] = "e2e";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    std::optional<QDBusConnection> bus(QDBusConnection::connectToBus(
        QString::fromStdString(PrivateBusEnvironment::Address()), "latency"));
    ASSERT_TRUE(bus->isConnected());
    struct Disconnect {  // before the application goes, also when an assertion leaves early
        std::optional<QDBusConnection>& bus;
        ~Disconnect() {
            bus.reset();
            QDBusConnection::disconnectFromBus("latency");
        }
    } disconnect{bus};
    const auto request = [&] {
        QDBusMessage call = QDBusMessage::createMethodCall("Quorvane.Scale", "/org/quorvane/Dde",
                                                           "org.quorvane.Dde1", "Request");
        call << QString("Field(1)");
        return bus->call(call, QDBus::Block, 2000);  // a stuck event loop fails fast
    };
    ASSERT_EQ(request().type(), QDBusMessage::ReplyMessage);  // the connection is made

    flood.Start("12.5,g,ST\r");
    // Several ticks' worth of input: the stream is at full speed from here on.
    constexpr size_t kStreaming = 4 * 64 * 1024;
    const auto streaming = In(kWait);
    while (ReadBytes(log).size() < kStreaming && std::chrono::steady_clock::now() < streaming)
        std::this_thread::sleep_for(20ms);
    const size_t loggedBefore = ReadBytes(log).size();
    ASSERT_GE(loggedBefore, kStreaming) << ReadBytes(Err(scale));

    int answered = 0;
    for (int n = 0; n < 50; ++n) {
        const auto start = std::chrono::steady_clock::now();
        const QDBusMessage reply = request();
        const std::chrono::duration<double, std::milli> waited =
            std::chrono::steady_clock::now() - start;
        if (reply.type() != QDBusMessage::ReplyMessage) {
            ADD_FAILURE() << "call " << n << " after " << waited.count()
                          << " ms: " << reply.errorMessage().toStdString();
            break;
        }
        // A whole record: the stream is cut where its CRs are.
        EXPECT_EQ(reply.arguments().value(0).toString().toStdString(), "12.5,g,ST\r");
        ++answered;
        std::this_thread::sleep_for(20ms);  // the calls land at every point of the ticks
    }
    EXPECT_EQ(answered, 50);
    EXPECT_GT(ReadBytes(log).size(), loggedBefore);  // and the records kept coming

    flood.Stop();
    EXPECT_TRUE(Quit(scale));
}

}  // namespace
}  // namespace quorvane
