// The real `quorvane --headless` in Send Keystrokes mode typing records into foot under a
// private headless sway, with the focus given back to the window that had it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SwayDesktop.h"
#include "config/ConfigTestSupport.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "e2e/ChildProcess.h"
#include "e2e/SimulatedDevice.h"
#include "platform/Waiter.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/WaylandConnection.h"
#include "platform/linux/WaylandKeyInjector.h"
#include "platform/linux/WaylandWindowSystem.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::ChildProcess;
using e2e::In;
using testing::ReadBytes;
using testing::SwayDesktop;
using testing::WriteBytes;

constexpr int kWaitMs = 20000;

class NoWaiter : public Waiter {
  public:
    void ProcessEvents(uint32_t) override {}
};

class KeystrokesWaylandE2e : public ::testing::Test {
  protected:
    KeystrokesWaylandE2e() { setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1); }
    ~KeystrokesWaylandE2e() override {
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_CURRENT_DESKTOP");
    }

    // Starts sway and a keyboard of the test's own, which stands for the user's: a seat
    // without one gives clients no keyboard until a virtual one appears.
    bool StartDesktop(std::string& why) {
        for (const char* tool : {"sway", "foot"}) {
            if (!SwayDesktop::OnPath(tool)) {
                why = std::string(tool) + " is not installed";
                return false;
            }
        }
        if (!desktop.Start(why)) return false;
        connection = WaylandConnection::Connect(why, desktop.Socket().c_str());
        if (!connection) return false;
        keys = std::make_unique<WaylandKeyInjector>(*connection);
        windows = std::make_unique<WaylandWindowSystem>(*connection);
        typer = std::make_unique<KeyMacroTyper>(*keys, clock, waiter);
        unsetenv("DISPLAY");
        setenv("WAYLAND_DISPLAY", desktop.Socket().c_str(), 1);  // for the program under test
        setenv("XDG_CURRENT_DESKTOP", "sway", 1);
        return keys->Ready() && SwayDesktop::WaitFor(
                                    [&] {
                                        connection->Roundtrip();
                                        return keys->KeyboardAnnounced();
                                    },
                                    kWaitMs);
    }

    // foot titled title whose cat writes to file, ready for keys (a probe line typed by the
    // test's keyboard until it arrives); its window.
    WindowId StartCatTerminal(const std::string& title, const std::string& file) {
        if (!desktop.StartCatTerminal(title, file)) return 0;
        WindowId window = 0;
        SwayDesktop::WaitFor(
            [&] {
                for (const TopLevelWindow& w : windows->TopLevelWindows()) {
                    if (w.caption == title) window = w.id;
                }
                return window != 0;
            },
            kWaitMs);
        SwayDesktop::WaitFor(
            [&] {
                SendKeyMacro("ready{ENTER}", *typer);
                return SwayDesktop::WaitFor(
                    [&] { return ReadBytes(file).find("ready\n") != std::string::npos; }, 200);
            },
            kWaitMs);
        offsets[file] = ReadBytes(file).size();
        return window;
    }
    std::string TypedSinceReady(const std::string& file) {
        return ReadBytes(file).substr(offsets[file]);
    }

    bool StartSim(const std::string& transcript) {
        WriteBytes(folder.File("device.txt"), transcript);
        return sim.Start({"--transcript", folder.File("device.txt")}, folder.File("sim.err"),
                         In(20s));
    }

    testing::ScratchFolder folder;
    const std::string errPath = folder.File("program.err");
    SwayDesktop desktop;
    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<WaylandKeyInjector> keys;
    std::unique_ptr<WaylandWindowSystem> windows;
    SteadyClock clock;
    NoWaiter waiter;
    std::unique_ptr<KeyMacroTyper> typer;
    std::map<std::string, size_t> offsets;
    e2e::SimulatedDevice sim;
    ChildProcess program;
};

TEST_F(KeystrokesWaylandE2e, RecordsAreTypedIntoFootAndTheFocusGoesBack) {
    std::string why;
    ASSERT_TRUE(StartDesktop(why)) << why;
    // foot runs as the desktop's user: its files live in the desktop's runtime folder.
    const std::string typed = desktop.runtime() + "/typed.txt";
    const std::string other = desktop.runtime() + "/other.txt";
    const WindowId target = StartCatTerminal("Quorvane E2E Target", typed);
    const WindowId focused = StartCatTerminal("Quorvane E2E Other", other);
    ASSERT_NE(target, 0u);
    ASSERT_NE(focused, 0u);
    ASSERT_TRUE(
        SwayDesktop::WaitFor([&] { return windows->ForegroundWindow() == focused; }, kWaitMs));

    SetupGlobals g = testing::FileNewSettings();
    g.Parity = 0;
    g.DataBitsIndex = 3;
    g.Mode = kModeKeystrokes;
    g.RecordStructure = 1;  // delimited
    g.NumberOfFields = 2;
    g.DelimiterChar = ",";
    g.FieldPostamble[1] = "{TAB}";
    g.TargetAppSpecified = kTrue;
    g.TargetAppTitle = "e2e target";
    g.TargetAppCommand.clear();
    g.TransferKeyTable[0x80] = "\x80";
    ASSERT_TRUE(
        StartSim("0 Hello World!,Qty=5 caf\\xe9 stra\\xdfe\\r\n"
                 "0 Lot#A-7,Price 3\\x80 (EUR)\\r\n"));
    const std::string config = folder.File("run.qv3");
    WriteBytes(config, testing::Serialize(g));
    ASSERT_TRUE(program.Start({QUORVANE_PROGRAM, "--headless", config, "--port", "COM1=" + sim.pty},
                              errPath, folder.File("program.out")));

    const std::string expected =
        "Hello World!\tQty=5 caf\xc3\xa9 stra\xc3\x9f"
        "e\n"
        "Lot#A-7\tPrice 3\xe2\x82\xac (EUR)\n";
    ASSERT_TRUE(SwayDesktop::WaitFor(
        [&] { return TypedSinceReady(typed).size() >= expected.size(); }, kWaitMs))
        << TypedSinceReady(typed) << ReadBytes(errPath);
    EXPECT_EQ(TypedSinceReady(typed), expected);
    EXPECT_TRUE(
        SwayDesktop::WaitFor([&] { return windows->ForegroundWindow() == focused; }, kWaitMs));
    EXPECT_EQ(TypedSinceReady(other), "");

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(20s)), 0);
    // The choice is said once, with the compositor's name.
    const std::string err = ReadBytes(errPath);
    EXPECT_NE(err.find("Keystrokes through Wayland (sway)"), std::string::npos) << err;
}

}  // namespace
}  // namespace quorvane
