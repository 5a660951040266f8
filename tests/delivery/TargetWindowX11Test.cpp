// Finding, restoring, starting and refocusing the target application on a private Xvfb
// with openbox, xterm windows as the applications, through the real window system and
// process launcher.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "config/CodePage.h"
#include "delivery/DesktopKeystrokeTarget.h"
#include "fakes/FakeMessages.h"
#include "platform/linux/PosixProcessLauncher.h"
#include "platform/linux/QtWaiter.h"
#include "platform/linux/X11WindowSystem.h"

// Last: it brings Xlib and its macros (None, Status).
#include "X11TestSession.h"

namespace quorvane {
namespace {

using testing::X11TestSession;

class MonotonicClock : public Clock {
  public:
    uint32_t TickCount() override {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    }
    DateTimeParts Now() override { return {}; }
};

class TargetWindowX11Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!X11TestSession::OnPath("Xvfb")) return;
        session_ = std::make_unique<X11TestSession>();
        std::string error;
        if (!session_->Start(error)) startError_ = error;
    }
    static void TearDownTestSuite() { session_.reset(); }

    void SetUp() override {
        if (!X11TestSession::OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        // The launcher starts programs with this process's environment.
        setenv("DISPLAY", session_->name().c_str(), 1);
        windows_ = std::make_unique<X11WindowSystem>(session_->display());
        keys_ = std::make_unique<DesktopKeystrokeTarget>(*windows_, launcher_, messages_, clock_,
                                                         waiter_);
    }
    void TearDown() override {
        if (keys_ && keys_->activation().LastProcessId() > 0) {
            kill(keys_->activation().LastProcessId(), SIGTERM);
        }
    }

    // Starts an xterm with the caption title (UTF-8) and waits until it has the focus.
    WindowId StartXterm(const std::string& title) {
        session_->Spawn({"xterm", "-fa", "Monospace", "-T", title, "-e", "cat"},
                        {"LC_ALL=C.UTF-8"});
        WindowId window = 0;
        const bool shown = X11TestSession::WaitFor(
            [&] { return (window = WindowCalled(CodePage::FromUtf8(title))) != 0; }, 15000);
        EXPECT_TRUE(shown) << title;
        EXPECT_TRUE(ForegroundBecomes(window)) << title;
        return window;
    }
    WindowId WindowCalled(const std::string& caption) {
        for (const TopLevelWindow& w : windows_->TopLevelWindows()) {
            if (w.caption == caption) return w.id;
        }
        return 0;
    }
    bool ForegroundBecomes(WindowId window) {
        return X11TestSession::WaitFor([&] { return windows_->ForegroundWindow() == window; },
                                       10000);
    }
    bool MinimizedBecomes(WindowId window, bool minimized) {
        return X11TestSession::WaitFor(
            [&] {
                for (const TopLevelWindow& w : windows_->TopLevelWindows()) {
                    if (w.id == window) return w.minimized == minimized;
                }
                return false;
            },
            10000);
    }

    static inline std::unique_ptr<X11TestSession> session_;
    static inline std::string startError_;

    std::unique_ptr<X11WindowSystem> windows_;
    PosixProcessLauncher launcher_;
    FakeMessages messages_;
    MonotonicClock clock_;
    QtWaiter waiter_;
    std::unique_ptr<DesktopKeystrokeTarget> keys_;
};

TEST_F(TargetWindowX11Test, WindowListHasCaptionsTopFirst) {
    ASSERT_TRUE(windows_->HasWindowManager());
    const WindowId lower = StartXterm("List Lower");
    const WindowId upper = StartXterm("List Upper Caf\xC3\xA9");
    const std::vector<TopLevelWindow> list = windows_->TopLevelWindows();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front().id, upper);
    EXPECT_EQ(list.front().caption, "List Upper Caf\xE9");  // code-page bytes
    auto at = [&](WindowId id) {
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].id == id) return static_cast<int>(i);
        return -1;
    };
    EXPECT_GT(at(lower), at(upper));
    EXPECT_EQ(windows_->Caption(lower), "List Lower");
    EXPECT_EQ(windows_->Caption(0x7fffff0), "");  // no such window: no X error either
}

TEST_F(TargetWindowX11Test, FindsXtermByLowerCasePieceOfItsTitle) {
    const WindowId balance = StartXterm("Lab Balance Caf\xC3\xA9 Log");
    const WindowId other = StartXterm("Other Shell");
    std::string title = "  balance caf\xE9 ";
    const TargetSearch found = keys_->FindTargetWindow(title);
    EXPECT_EQ(title, "BALANCE CAF\xC9");
    EXPECT_EQ(found.window, balance);
    EXPECT_FALSE(found.wasMinimized);
    EXPECT_EQ(keys_->GetForegroundWindow(), balance);  // the search waited for the activation

    // Now on top, it is found again as it is.
    EXPECT_EQ(keys_->FindTargetWindow(title).window, balance);
    // The focus goes back to the window that had it.
    keys_->SetForegroundWindow(other);
    EXPECT_TRUE(ForegroundBecomes(other));
}

TEST_F(TargetWindowX11Test, MinimizedXtermIsRestoredThenMinimizedAgain) {
    const WindowId target = StartXterm("Minimized Target");
    const WindowId work = StartXterm("Work Window");
    keys_->MinimizeWindow(target);
    ASSERT_TRUE(MinimizedBecomes(target, true));

    std::string title = "minimized target";
    const TargetSearch found = keys_->FindTargetWindow(title);
    EXPECT_EQ(found.window, target);
    EXPECT_TRUE(found.wasMinimized);
    EXPECT_EQ(keys_->GetForegroundWindow(), target);
    EXPECT_TRUE(MinimizedBecomes(target, false));

    // What delivery does after typing.
    keys_->MinimizeWindow(target);
    keys_->SetForegroundWindow(work);
    EXPECT_TRUE(MinimizedBecomes(target, true));
    EXPECT_TRUE(ForegroundBecomes(work));
}

TEST_F(TargetWindowX11Test, MissingTargetIsStartedAndTakesTheForeground) {
    StartXterm("Before Start");
    std::string title = "newtarget";
    ASSERT_EQ(keys_->FindTargetWindow(title).window, 0u);
    const TargetLaunch started =
        keys_->LaunchTarget("xterm -fa Monospace -T \"NewTarget Window\" -e cat", title);
    ASSERT_FALSE(started.failed);
    EXPECT_GT(keys_->activation().LastProcessId(), 0);
    EXPECT_EQ(started.window, WindowCalled("NewTarget Window"));
    EXPECT_EQ(keys_->GetForegroundWindow(), started.window);
    EXPECT_EQ(title, "NEWTARGET");  // the caption contains it
    EXPECT_TRUE(messages_.shown.empty());
    // The next record finds it without starting it again.
    EXPECT_EQ(keys_->FindTargetWindow(title).window, started.window);
}

TEST_F(TargetWindowX11Test, MissingProgramGivesTheMessage) {
    std::string title = "GHOST";
    const TargetLaunch started = keys_->LaunchTarget("no-such-program-qv --flag", title);
    EXPECT_TRUE(started.failed);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text,
              "Cannot Run Program: no-such-program-qv --flag\rNo such file or directory");
    EXPECT_EQ(messages_.shown[0].title, "Quorvane Error");
    EXPECT_EQ(title, "GHOST");
}

TEST_F(TargetWindowX11Test, OwnWindowInFrontIsRecognized) {
    const WindowId own = StartXterm("Runtime Stand-in");
    keys_->SetOwnWindow(own);
    EXPECT_TRUE(keys_->IsOwnWindowForeground());
    const WindowId other = StartXterm("Someone Else");
    EXPECT_FALSE(keys_->IsOwnWindowForeground());
    keys_->SetForegroundWindow(own);
    EXPECT_TRUE(ForegroundBecomes(own));
    EXPECT_NE(other, own);
}

// The launcher needs no display; it lives here because this binary links the platform.
bool Reaped(int pid) {
    return X11TestSession::WaitFor(
        [&] { return !std::filesystem::exists("/proc/" + std::to_string(pid)); }, 10000);
}

TEST(PosixProcessLauncher, WordsArriveIntactStdinIsEmptyAndTheChildIsReaped) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("qv-launch-" + std::to_string(getpid()));
    PosixProcessLauncher launcher;
    const LaunchResult r =
        launcher.Start({"sh", "-c", "{ printf '%s|' \"$1\"; readlink /proc/self/fd/0; } > \"$2\"",
                        "sh", "two  words \"quoted\"", out.string()});
    ASSERT_TRUE(r.started()) << r.error;
    ASSERT_TRUE(Reaped(r.processId));  // no zombie left behind
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "two  words \"quoted\"|/dev/null\n");
    std::filesystem::remove(out);
}

TEST(PosixProcessLauncher, ChildRunsInItsOwnProcessGroup) {
    PosixProcessLauncher launcher;
    const LaunchResult r = launcher.Start({"sleep", "30"});
    ASSERT_TRUE(r.started()) << r.error;
    EXPECT_EQ(getpgid(r.processId), r.processId);
    kill(r.processId, SIGTERM);
    EXPECT_TRUE(Reaped(r.processId));
}

TEST(PosixProcessLauncher, MissingProgramGivesTheSystemReason) {
    PosixProcessLauncher launcher;
    const LaunchResult missing = launcher.Start({"no-such-program-qv"});
    EXPECT_FALSE(missing.started());
    EXPECT_EQ(missing.error, "No such file or directory");
    const LaunchResult notExecutable = launcher.Start({"/etc/passwd"});
    EXPECT_FALSE(notExecutable.started());
    EXPECT_EQ(notExecutable.error, "Permission denied");
    EXPECT_FALSE(launcher.Start({}).started());
}

}  // namespace
}  // namespace quorvane
