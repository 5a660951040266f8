// The real `quorvane --headless` in Send Keystrokes mode on a Wayland desktop without the
// wlroots protocols (as GNOME is): the records go through the RemoteDesktop portal, here the
// fake portal on the test's private bus, and the run says once where keys go and why hot
// keys cannot work. A refusal is said once, and the records are still read and acknowledged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/BusTools.h"
#include "e2e/ChildProcess.h"
#include "e2e/ScopedEnv.h"
#include "e2e/SimulatedDevice.h"
#include "runtime/HotKeys.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::ChildProcess;
using e2e::In;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kWait = 20s;

using e2e::Occurrences;

using e2e::ScopedEnv;

class KeystrokesPortalE2e : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(e2e::PrivateBusEnvironment::Address().empty()); }

    bool StartPortal(std::vector<std::string> options) {
        options.insert(options.begin(), QUORVANE_FAKE_PORTAL);
        if (!portal.Start(options, folder.File("portal.err"))) return false;
        const auto line = portal.ReadLine(In(kWait));
        return line && *line == "ready";
    }
    static std::string PortalTest(const std::string& method) {
        return e2e::Shell("gdbus call --session --dest org.freedesktop.portal.Desktop "
                          "--object-path /org/freedesktop/portal/desktop "
                          "--method org.quorvane.test.FakePortal." + method)
            .out;
    }
    // What the recorded key events type: ASCII keysyms and Return.
    std::string TypedThroughPortal() {
        const std::string calls = PortalTest("Calls");
        std::string typed;
        const std::regex press("NotifyKeyboardKeysym 0x([0-9a-f]+) 1");
        for (auto it = std::sregex_iterator(calls.begin(), calls.end(), press);
             it != std::sregex_iterator(); ++it) {
            const unsigned long keysym = std::stoul((*it)[1].str(), nullptr, 16);
            typed += keysym == 0xff0d ? '\n' : static_cast<char>(keysym < 0x80 ? keysym : '?');
        }
        return typed;
    }
    bool StartRun() {
        SetupGlobals g = testing::FileNewSettings();  // target "Notepad": never looked for here
        g.Parity = 0;
        g.DataBitsIndex = 3;
        g.Mode = kModeKeystrokes;
        g.AckString = "K\r";
        g.HotKeyCode[0] = 0x100 | 116;  // Shift+F5
        g.HotKeyAction[0] = kHotKeyTransmitString;
        g.HotKeyString[0] = "HK\r";
        const std::string config = folder.File("run.qv3");
        WriteBytes(config, testing::Serialize(g));
        WriteBytes(folder.File("device.txt"), "0 1.5\\r\n0 2.5\\r\n0 3.5\\r\n");
        if (!sim.Start({"--transcript", folder.File("device.txt")}, folder.File("sim.err"), In(kWait)))
            return false;
        return program.Start({QUORVANE_PROGRAM, "--headless", config, "--port", "COM1=" + sim.pty},
                             errPath, folder.File("program.out"));
    }
    // Waits until the device was acknowledged count times.
    bool WaitForAcks(int count) { return sim.WaitForReceived("K\\r", count, In(kWait)); }

    testing::ScratchFolder folder;
    const std::string errPath = folder.File("program.err");
    // A Wayland desktop whose compositor does not answer us, and no X display.
    ScopedEnv display{"DISPLAY", std::nullopt};
    ScopedEnv wayland{"WAYLAND_DISPLAY", "quorvane-test-no-such-wayland"};
    ScopedEnv desktop{"XDG_CURRENT_DESKTOP", "GNOME"};
    ScopedEnv config{"XDG_CONFIG_HOME", folder.File("config")};
    ChildProcess portal, program;
    e2e::SimulatedDevice sim;
    std::string& received = sim.received;
};

TEST_F(KeystrokesPortalE2e, RecordsGoToTheFocusedWindowAndTheRunSaysSoOnce) {
    ASSERT_TRUE(StartPortal({"--global-shortcuts-version", "0"}));
    ASSERT_TRUE(StartRun());
    ASSERT_TRUE(WaitForAcks(3)) << received << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);

    EXPECT_EQ(TypedThroughPortal(), "1.5\n2.5\n3.5\n");
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(kStrKeystrokesPortal, {"GNOME"})), 1) << err;
    EXPECT_EQ(Occurrences(err, LoadString(kStrPortalWindowsNotActivated, {"GNOME"})), 1) << err;
    EXPECT_EQ(Occurrences(err, LoadString(kStrHotKeysUnavailableWayland, {"GNOME"})), 1) << err;
    // The desktop's consent was kept for the next start.
    EXPECT_NE(ReadBytes(folder.File("config/Quorvane/Quorvane.ini")).find("RemoteDesktopRestoreToken=token-1"),
              std::string::npos);
}

TEST_F(KeystrokesPortalE2e, AHotKeyOfTheGlobalShortcutsPortalSendsItsString) {
    ASSERT_TRUE(StartPortal({}));
    ASSERT_TRUE(StartRun());
    ASSERT_TRUE(WaitForAcks(3)) << received << ReadBytes(errPath);
    const auto bound = In(kWait);
    std::string calls;
    while ((calls = PortalTest("Calls")).find("BindShortcuts") == std::string::npos &&
           std::chrono::steady_clock::now() < bound) {
        std::this_thread::sleep_for(20ms);  // polling the fake's record, not waiting blind
    }
    EXPECT_NE(calls.find("GlobalShortcuts.BindShortcuts hotkey-F5-shift=SHIFT+F5"), std::string::npos)
        << calls;
    PortalTest("Activate hotkey-F5-shift");
    PortalTest("Deactivate hotkey-F5-shift");
    EXPECT_TRUE(sim.WaitForReceived("HK\\r", 1, In(kWait))) << received;
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(kStrHotKeysUnavailableWayland, {"GNOME"})), 0) << err;
}

TEST_F(KeystrokesPortalE2e, ARefusalIsSaidOnceAndRecordsGoOn) {
    ASSERT_TRUE(StartPortal({"--start-response", "1", "--global-shortcuts-version", "0"}));
    ASSERT_TRUE(StartRun());
    ASSERT_TRUE(WaitForAcks(3)) << received << ReadBytes(errPath);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);

    EXPECT_EQ(TypedThroughPortal(), "");
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(kStrPortalKeyboardRefused, {LoadString(kStrPortalCancelled, {"Start"})})), 1)
        << err;
}

}  // namespace
}  // namespace quorvane
