// The real `quorvane --headless` typing records into an xterm on a private X display, hot
// keys pressed on that display, and a Send Keystrokes run with no display at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "e2e/SimulatedDevice.h"
#include "e2e/XvfbDesktop.h"
#include "runtime/HotKeys.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::ChildProcess;
using e2e::In;
using e2e::XvfbDesktop;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kWait = 20s;
constexpr int kWaitMs = 20000;
constexpr int16_t kShift = 0x100;
constexpr int16_t kVkF5 = 116, kVkF6 = 117;

using e2e::Occurrences;

class KeystrokesE2e : public ::testing::Test {
  protected:
    KeystrokesE2e() {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        const char* display = std::getenv("DISPLAY");
        if (display) savedDisplay = display;
    }
    ~KeystrokesE2e() override {
        if (savedDisplay.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", savedDisplay.c_str(), 1);
    }

    // Starts the private desktop, or says why the test cannot run.
    bool StartDesktop(std::string& why) {
        for (const char* tool : {"Xvfb", "openbox", "xterm", "xdotool", "xprop"}) {
            if (!XvfbDesktop::OnPath(tool)) {
                why = std::string(tool) + " is not installed";
                return false;
            }
        }
        if (!desktop.Start(why)) return false;
        setenv("DISPLAY", desktop.name().c_str(), 1);  // for the program under test
        return true;
    }
    // An xterm titled title whose cat writes what it is typed to file; its window id.
    unsigned long StartCatTerminal(const std::string& title, const std::string& file) {
        desktop.Spawn({"xterm", "-fa", "Monospace", "-title", title, "-e", "sh", "-c",
                       "exec cat > '" + file + "'"},
                      {"LC_ALL=C.UTF-8"});
        unsigned long window = 0;
        XvfbDesktop::WaitFor([&] { return (window = desktop.WindowNamed(title)) != 0; }, kWaitMs);
        // The file exists once cat runs, so nothing typed can reach the shell before it.
        XvfbDesktop::WaitFor([&] { return std::filesystem::exists(file); }, kWaitMs);
        return window;
    }

    SetupGlobals BaseConfig() {
        SetupGlobals g = testing::FileNewSettings();
        g.Parity = 0;
        g.DataBitsIndex = 3;
        return g;
    }
    std::string WriteConfig(const SetupGlobals& g) {
        const std::string path = folder.File("run.qv3");
        WriteBytes(path, testing::Serialize(g));
        return path;
    }
    bool StartSim(const std::string& transcript) {
        WriteBytes(folder.File("device.txt"), transcript);
        return sim.Start({"--transcript", folder.File("device.txt")}, folder.File("sim.err"),
                         In(kWait));
    }
    bool StartProgram(const std::string& config) {
        return program.Start({QUORVANE_PROGRAM, "--headless", config, "--port", "COM1=" + sim.pty},
                             errPath, folder.File("program.out"));
    }
    bool WaitForFile(const std::string& path, size_t size) {
        return XvfbDesktop::WaitFor([&] { return ReadBytes(path).size() >= size; }, kWaitMs);
    }
    bool WaitForReceived(const std::string& what, int count) {
        return sim.WaitForReceived(what, count, In(kWait));
    }

    testing::ScratchFolder folder;
    const std::string errPath = folder.File("program.err");
    std::string savedDisplay;
    XvfbDesktop desktop;
    e2e::SimulatedDevice sim;
    ChildProcess program;
    std::string& received = sim.received;
};

TEST_F(KeystrokesE2e, RecordsAreTypedIntoTheTargetAndTheFocusGoesBack) {
    std::string why;
    ASSERT_TRUE(StartDesktop(why)) << why;
    const std::string typed = folder.File("typed.txt");
    const std::string other = folder.File("other.txt");
    const unsigned long target = StartCatTerminal("Quorvane E2E Target", typed);
    const unsigned long focused = StartCatTerminal("Quorvane E2E Other", other);
    ASSERT_NE(target, 0u);
    ASSERT_NE(focused, 0u);
    ASSERT_TRUE(desktop.Activate(focused));

    SetupGlobals g = BaseConfig();
    g.Mode = kModeKeystrokes;
    g.RecordStructure = 1;  // delimited
    g.NumberOfFields = 2;
    g.DelimiterChar = ",";
    g.FieldPostamble[1] = "{TAB}";
    g.TargetAppSpecified = kTrue;
    g.TargetAppTitle = "e2e target";
    g.TargetAppCommand.clear();
    g.TransferKeyTable[0x80] = "\x80";  // the euro sign of the code page is typed as itself
    // Code-page bytes: e acute 0xE9, euro 0x80; the CR becomes Enter.
    ASSERT_TRUE(
        StartSim("0 Hello World!,Qty=5 caf\\xe9\\r\n"
                 "0 Lot#A-7,Price 3\\x80 (EUR)\\r\n"));
    ASSERT_TRUE(StartProgram(WriteConfig(g)));

    const std::string expected =
        "Hello World!\tQty=5 caf\xc3\xa9\n"
        "Lot#A-7\tPrice 3\xe2\x82\xac (EUR)\n";
    ASSERT_TRUE(WaitForFile(typed, expected.size())) << ReadBytes(typed) << ReadBytes(errPath);
    EXPECT_EQ(ReadBytes(typed), expected);
    // The focus goes back after the last key, which the terminal may show before that.
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return desktop.ActiveWindow() == focused; }, kWaitMs))
        << desktop.ActiveWindow();

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(typed), expected);
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(err.find(LoadString(kStrKeystrokesUnavailable)), std::string::npos) << err;
    EXPECT_EQ(err.find(LoadString(kStrHotKeysUnavailable)), std::string::npos) << err;
}

TEST_F(KeystrokesE2e, AHotKeySendsItsStringOnceAndTheFocusedWindowGetsNothing) {
    std::string why;
    ASSERT_TRUE(StartDesktop(why)) << why;
    const std::string typed = folder.File("typed.txt");
    const unsigned long terminal = StartCatTerminal("Quorvane E2E Focus", typed);
    ASSERT_NE(terminal, 0u);
    ASSERT_TRUE(desktop.Activate(terminal));

    SetupGlobals g = BaseConfig();
    g.Mode = kModeLog;
    g.LogFileName = folder.File("log.txt");
    g.HotKeyCode[0] = kShift | kVkF5;
    g.HotKeyAction[0] = kHotKeyTransmitString;
    g.HotKeyString[0] = "HK\r";
    g.HotKeyCode[1] = kShift | kVkF6;
    g.HotKeyAction[1] = kHotKeyTransmitString;
    g.HotKeyString[1] = "Z\r";
    ASSERT_TRUE(StartSim("0 ready\\r\n"));
    ASSERT_TRUE(StartProgram(WriteConfig(g)));
    // A logged record means the activation, hot keys included, is done.
    ASSERT_TRUE(WaitForFile(g.LogFileName, 6)) << ReadBytes(errPath);

    desktop.Run({"xdotool", "key", "--clearmodifiers", "shift+F5"});
    ASSERT_TRUE(WaitForReceived("HK\\r", 1)) << received << ReadBytes(errPath);
    // Typing after the hot key shows what the terminal got: only this.
    desktop.Run({"xdotool", "type", "end"});
    desktop.Run({"xdotool", "key", "Return"});
    ASSERT_TRUE(WaitForFile(typed, 4)) << ReadBytes(typed);
    EXPECT_EQ(ReadBytes(typed), "end\n");
    // A second hot key closes the device's view: the first string came exactly once.
    desktop.Run({"xdotool", "key", "--clearmodifiers", "shift+F6"});
    ASSERT_TRUE(WaitForReceived("Z\\r", 1)) << received;
    EXPECT_EQ(received, "HK\\rZ\\r");

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0);
    EXPECT_EQ(ReadBytes(typed), "end\n");
}

TEST_F(KeystrokesE2e, WithoutADisplayKeystrokesAndHotKeysSaySoOnceAndRecordsGoOn) {
    unsetenv("DISPLAY");
    SetupGlobals g = BaseConfig();
    g.Mode = kModeKeystrokes;  // File New: target "Notepad", which cannot be found here
    g.AckString = "K\r";
    g.HotKeyCode[0] = kShift | kVkF5;
    g.HotKeyAction[0] = kHotKeyTransmitString;
    g.HotKeyString[0] = "HK\r";
    ASSERT_TRUE(StartSim("0 1.5\\r\n0 2.5\\r\n0 3.5\\r\n"));
    ASSERT_TRUE(StartProgram(WriteConfig(g)));

    // Every record is still read and counted: each one is acknowledged.
    ASSERT_TRUE(WaitForReceived("K\\r", 3)) << received << ReadBytes(errPath);
    EXPECT_EQ(received, "K\\rK\\rK\\r");
    const std::string err = ReadBytes(errPath);
    EXPECT_EQ(Occurrences(err, LoadString(kStrKeystrokesUnavailable)), 1) << err;
    EXPECT_EQ(Occurrences(err, LoadString(kStrHotKeysUnavailable)), 1) << err;

    program.Signal(SIGTERM);  // still running: it ends as asked
    EXPECT_EQ(program.Wait(In(kWait)), 0);
}

}  // namespace
}  // namespace quorvane
