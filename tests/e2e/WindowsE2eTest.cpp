// The real windowed `quorvane` on a private X display and session bus: a file on the command
// line runs at once with no setup window, the setup window activates Test mode and comes back
// after it, and a quit signal ends either the way the program's own Quit does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/BusTools.h"
#include "e2e/ChildProcess.h"
#include "e2e/XvfbDesktop.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using e2e::ChildProcess;
using e2e::DdeCall;
using e2e::In;
using e2e::NameHasOwner;
using e2e::PrivateBusEnvironment;
using e2e::WaitForName;
using e2e::XvfbDesktop;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kWait = 20s;
constexpr int kWaitMs = 20000;

class WindowsE2e : public ::testing::Test {
  protected:
    WindowsE2e() {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        setenv("XDG_DATA_HOME", folder.File("data").c_str(), 1);
        if (const char* display = std::getenv("DISPLAY")) savedDisplay = display;
    }
    ~WindowsE2e() override {
        if (savedDisplay.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", savedDisplay.c_str(), 1);
    }
    void SetUp() override {
        ASSERT_FALSE(PrivateBusEnvironment::Address().empty());
        for (const char* tool : {"Xvfb", "openbox", "xdotool"}) {
            if (!XvfbDesktop::OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
        }
        std::string why;
        ASSERT_TRUE(desktop.Start(why)) << why;
        setenv("DISPLAY", desktop.name().c_str(), 1);
    }

    // Balance readings every 50 ms, without end, on a pseudo-terminal; quiet: none at all.
    bool StartSim(bool quiet = false) {
        std::vector<std::string> args{QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval",
                                      "50"};
        if (quiet) args.insert(args.end(), {"--count", "0"});
        if (!sim.Start(args, folder.File("sim.err"))) return false;
        const auto line = sim.ReadLine(In(kWait));
        if (!line || line->rfind("/dev/", 0) != 0) return false;
        pty = *line;
        return true;
    }
    bool StartProgram(std::vector<std::string> args) {
        args.insert(args.begin(), QUORVANE_PROGRAM);
        args.insert(args.end(), {"--port", "COM1=" + pty});
        return program.Start(args, errPath, folder.File("program.out"));
    }
    std::string LogConfig(bool minimizeOnActivation = false) {
        SetupGlobals g = testing::FileNewSettings();
        g.MinimizeOnActivation = minimizeOnActivation ? kTrue : kFalse;
        g.Parity = 0;  // the simulated device speaks 8N1
        g.DataBitsIndex = 3;
        g.Mode = kModeLog;
        g.LogFileName = folder.File("records.log");
        const std::string path = folder.File("run.qv3");
        WriteBytes(path, testing::Serialize(g));
        return path;
    }
    unsigned long WaitForWindow(const std::string& title) {
        unsigned long window = 0;
        XvfbDesktop::WaitFor([&] { return (window = desktop.WindowNamed(title)) != 0; }, kWaitMs);
        return window;
    }
    bool Visible(const std::string& title) {
        return !desktop.Run({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"})
                    .empty();
    }
    // Keys into window, activated first so that the keys reach it.
    void Keys(unsigned long window, std::initializer_list<const char*> keys) {
        ASSERT_TRUE(desktop.Activate(window));
        for (const char* key : keys) {
            desktop.Run({"xdotool", "key", "--clearmodifiers", key});
            std::this_thread::sleep_for(200ms);  // a menu opens between two keys
        }
    }
    long RecordNumber() {
        const e2e::ShellResult r = DdeCall("Quorvane.COM1", "Request", "RecordNumber");
        const size_t quote = r.out.find('\'');
        return quote == std::string::npos ? -1 : std::atol(r.out.c_str() + quote + 1);
    }
    std::string Err() { return ReadBytes(errPath); }
    std::string WindowState(unsigned long window) {
        return desktop.Run({"xprop", "-id", std::to_string(window), "WM_STATE"});
    }
    // The program's tray icon: its small window embedded in the panel.
    unsigned long TrayIcon() {
        unsigned long icon = 0;
        XvfbDesktop::WaitFor(
            [&] {
                const std::string ids = desktop.Run(
                    {"xdotool", "search", "--pid", std::to_string(program.pid()), "--name", "."});
                for (size_t at = 0; at < ids.size();) {
                    const size_t lf = ids.find('\n', at);
                    const std::string id = ids.substr(at, lf - at);
                    at = lf == std::string::npos ? ids.size() : lf + 1;
                    if (id.empty()) continue;
                    if (desktop.Run({"xdotool", "getwindowgeometry", id}).find("22x22") !=
                        std::string::npos)
                        icon = std::strtoul(id.c_str(), nullptr, 10);
                }
                return icon != 0;
            },
            kWaitMs);
        return icon;
    }
    void ClickTray(unsigned long icon, const char* button, int clicks) {
        desktop.Run({"xdotool", "mousemove", "--window", std::to_string(icon), "8", "8", "click",
                     "--repeat", std::to_string(clicks), "--delay", "60", button});
    }

    testing::ScratchFolder folder;
    const std::string errPath = folder.File("program.err");
    std::string savedDisplay;
    XvfbDesktop desktop;
    ChildProcess sim, program;
    std::string pty;
};

TEST_F(WindowsE2e, AFileOnTheCommandLineRunsAtOnceAndQuitEndsTheProgram) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartProgram({LogConfig()}));
    const unsigned long window = WaitForWindow("Quorvane - COM1");
    ASSERT_NE(window, 0u) << Err();
    EXPECT_FALSE(Visible("Quorvane Setup.*")) << "the setup window never shows in Normal mode";

    ASSERT_TRUE(WaitForName("Quorvane.COM1")) << Err();
    ASSERT_TRUE(XvfbDesktop::WaitFor([&] { return RecordNumber() >= 3; }, kWaitMs)) << Err();
    const long seen = RecordNumber();
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return RecordNumber() > seen; }, kWaitMs));
    EXPECT_NE(ReadBytes(folder.File("records.log")).find("\r"), std::string::npos);

    Keys(window, {"alt+q", "q"});
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
    EXPECT_FALSE(NameHasOwner("Quorvane.COM1"));
}

// A new configuration types into Notepad, which this desktop cannot start: a quiet device
// brings no record to type.
TEST_F(WindowsE2e, TestModeHidesTheSetupWindowUntilTheRuntimeWindowQuits) {
    ASSERT_TRUE(StartSim(true));
    ASSERT_TRUE(StartProgram({}));
    const unsigned long setup = WaitForWindow("Quorvane Setup \\(Untitled\\)");
    ASSERT_NE(setup, 0u) << Err();

    Keys(setup, {"alt+a", "t"});
    const unsigned long runtime = WaitForWindow("Quorvane - COM1");
    ASSERT_NE(runtime, 0u) << Err();

    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return !Visible("Quorvane Setup.*"); }, kWaitMs));

    Keys(runtime, {"alt+q", "q"});
    ASSERT_TRUE(
        XvfbDesktop::WaitFor([&] { return Visible("Quorvane Setup \\(Untitled\\)"); }, kWaitMs))
        << Err();
    EXPECT_FALSE(Visible("Quorvane - COM1"));
    EXPECT_FALSE(program.Wait(In(500ms)).has_value()) << "the program must still run";

    Keys(setup, {"alt+f", "x"});
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
}

// Under a panel with a tray, a window minimized on activation leaves only its icon: a
// double-click shows About, the icon's menu opens the window again.
TEST_F(WindowsE2e, MinimizedBehindTheTrayIconAndOpenedFromItsMenu) {
    if (!XvfbDesktop::OnPath("tint2")) GTEST_SKIP() << "tint2 is not installed";
    desktop.Spawn({"sh", "-c", "exec tint2 >/dev/null 2>&1"}, {});
    // The tray is there once the panel is: the program looks for it when its window shows.
    ASSERT_TRUE(XvfbDesktop::WaitFor(
        [&] {
            return !desktop.Run({"xdotool", "search", "--class", "tint2"}).empty();
        },
        kWaitMs));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartProgram({LogConfig(true)}));
    const unsigned long window = WaitForWindow("Quorvane - COM1");
    ASSERT_NE(window, 0u) << Err();
    const unsigned long icon = TrayIcon();
    ASSERT_NE(icon, 0u);
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return !Visible("Quorvane - COM1"); }, kWaitMs));

    ClickTray(icon, "1", 2);
    const unsigned long about = WaitForWindow("About Quorvane");
    ASSERT_NE(about, 0u);
    Keys(about, {"Return"});
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return !Visible("About Quorvane"); }, kWaitMs));

    ClickTray(icon, "3", 1);
    std::this_thread::sleep_for(300ms);
    desktop.Run({"xdotool", "key", "Down", "Return"});  // the first item opens the window
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return Visible("Quorvane - COM1"); }, kWaitMs));
    EXPECT_NE(WindowState(window).find("Normal"), std::string::npos) << WindowState(window);

    Keys(window, {"alt+q", "q"});
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
}

// Without a tray the window minimizes where the desktop keeps it, and every tray action is on
// its menus.
TEST_F(WindowsE2e, WithoutATrayTheWindowMinimizesAndItsMenusDoTheRest) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartProgram({LogConfig(true)}));
    const unsigned long window = WaitForWindow("Quorvane - COM1");
    ASSERT_NE(window, 0u) << Err();
    EXPECT_TRUE(XvfbDesktop::WaitFor(
        [&] { return WindowState(window).find("Iconic") != std::string::npos; }, kWaitMs))
        << WindowState(window);
    Keys(window, {"alt+a"});  // About...
    const unsigned long about = WaitForWindow("About Quorvane");
    ASSERT_NE(about, 0u);
    Keys(about, {"Return"});
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return !Visible("About Quorvane"); }, kWaitMs));
    Keys(window, {"alt+q", "q"});
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
}

// Virtual Instrument mode with the keyboard alone: a configuration opened through File > Open,
// activated from the Activate menu; what is typed into the device window and sent becomes a
// record (in the runtime window and over D-Bus), and the acknowledgement shows in the device
// window. The windows' texts are read back through the clipboard.
TEST_F(WindowsE2e, VirtualInstrumentModeTurnsSentTextIntoARecordAndShowsTheAcknowledgement) {
    if (!XvfbDesktop::OnPath("xclip")) GTEST_SKIP() << "xclip is not installed";
    SetupGlobals g = testing::FileNewSettings();
    g.Mode = kModeLog;
    g.LogFileName = folder.File("records.log");
    g.AckString = "K";
    g.InputTranslation['\n'] = kTranslationIgnore;  // Enter in the output box is CR LF
    const std::string config = folder.File("virtual.qv3");
    WriteBytes(config, testing::Serialize(g));
    ASSERT_TRUE(program.Start({QUORVANE_PROGRAM}, errPath, folder.File("program.out")));
    const unsigned long setup = WaitForWindow("Quorvane Setup \\(Untitled\\)");
    ASSERT_NE(setup, 0u) << Err();
    Keys(setup, {"alt+f", "o"});
    const unsigned long open = WaitForWindow("Open Quorvane Configuration.*");
    ASSERT_NE(open, 0u) << Err();
    desktop.Run({"xdotool", "type", "--delay", "20", config});
    Keys(open, {"Return"});
    ASSERT_NE(WaitForWindow("Quorvane Setup\\(virtual\\.qv3\\)"), 0u) << Err();

    Keys(setup, {"alt+a", "v"});
    const unsigned long runtime = WaitForWindow("Quorvane - COM1 Virtual Device");
    ASSERT_NE(runtime, 0u) << Err();
    const unsigned long device = WaitForWindow("Quorvane - Virtual Serial Device");
    ASSERT_NE(device, 0u) << Err();
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return !Visible("Quorvane Setup.*"); }, kWaitMs));
    ASSERT_TRUE(WaitForName("Quorvane.COM1")) << Err();

    ASSERT_TRUE(desktop.Activate(device));
    desktop.Run({"xdotool", "type", "--delay", "20", "12.5"});
    Keys(device, {"Return", "alt+s"});
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return RecordNumber() == 1; }, kWaitMs)) << Err();
    EXPECT_NE(DdeCall("Quorvane.COM1", "Request", "Field(1)").out.find("'12.5\\r'"),
              std::string::npos)
        << DdeCall("Quorvane.COM1", "Request", "Field(1)").out;
    EXPECT_EQ(ReadBytes(folder.File("records.log")), "12.5\r");

    // The device window's display, copied whole (Shift+Tab reaches it from the output box).
    const auto clipboard = [&] { return desktop.Run({"xclip", "-o", "-selection", "clipboard"}); };
    EXPECT_TRUE(XvfbDesktop::WaitFor(
        [&] {
            Keys(device, {"shift+Tab", "ctrl+Insert", "Tab"});
            return clipboard() == "K";
        },
        kWaitMs))
        << clipboard();
    // The runtime window's first field box has the focus there; Edit > Copy copies its text.
    Keys(runtime, {"alt+e", "c"});
    EXPECT_TRUE(XvfbDesktop::WaitFor([&] { return clipboard() == "12.5\r"; }, kWaitMs))
        << clipboard();

    Keys(device, {"alt+q"});
    EXPECT_TRUE(
        XvfbDesktop::WaitFor([&] { return Visible("Quorvane Setup\\(virtual\\.qv3\\)"); }, kWaitMs))
        << Err();
    EXPECT_FALSE(Visible("Quorvane - COM1.*"));
    EXPECT_FALSE(Visible("Quorvane - Virtual Serial Device"));
    Keys(setup, {"alt+f", "x"});
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
}

// Also while a box waits for an answer inside a tick (the first record's target, Notepad,
// cannot start).
TEST_F(WindowsE2e, AQuitSignalClosesTheRuntimeWindowAndItsPort) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartProgram({}));
    const unsigned long setup = WaitForWindow("Quorvane Setup \\(Untitled\\)");
    ASSERT_NE(setup, 0u) << Err();
    Keys(setup, {"alt+a", "t"});
    ASSERT_NE(WaitForWindow("Quorvane - COM1"), 0u) << Err();
    ASSERT_TRUE(WaitForName("Quorvane.COM1")) << Err();
    ASSERT_NE(WaitForWindow("Quorvane Error"), 0u);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(In(kWait)), 0) << Err();
    EXPECT_FALSE(NameHasOwner("Quorvane.COM1"));
}

}  // namespace
}  // namespace quorvane
