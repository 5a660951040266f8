// Finding, restoring, starting and refocusing the target application on a private Xvfb
// with openbox, xterm windows as the applications, through the real window system and
// process launcher.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "config/CodePage.h"
#include "delivery/DesktopKeystrokeTarget.h"
#include "fakes/FakeKeyInjector.h"
#include "fakes/FakeMessages.h"
#include "platform/linux/PosixProcessLauncher.h"
#include "platform/linux/QtWaiter.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/X11WindowSystem.h"

// Last: it brings Xlib and its macros (None, Status).
#include "X11TestSession.h"

namespace quorvane {
namespace {

using testing::X11TestSession;

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
        ASSERT_TRUE(X11TestSession::OnPath("Xvfb")) << "Xvfb is not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        // The launcher starts programs with this process's environment.
        const char* display = std::getenv("DISPLAY");
        if (display) savedDisplay_ = display;
        hadDisplay_ = display != nullptr;
        setenv("DISPLAY", session_->name().c_str(), 1);
        windows_ = std::make_unique<X11WindowSystem>(session_->display());
        keys_ = std::make_unique<DesktopKeystrokeTarget>(*windows_, launcher_, injector_, messages_,
                                                         clock_, waiter_, g_);
    }
    void TearDown() override {
        if (hadDisplay_) {
            setenv("DISPLAY", savedDisplay_.c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
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
    SteadyClock clock_;
    QtWaiter waiter_;
    FakeKeyInjector injector_;  // nothing is typed here
    SetupGlobals g_;
    std::unique_ptr<DesktopKeystrokeTarget> keys_;
    std::string savedDisplay_;
    bool hadDisplay_ = false;
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

// A bare Xvfb without a window manager: top-level windows are the root's children, and
// nobody but the window system itself minimizes or focuses them.
class BareDisplay {
  public:
    bool Start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid_t pid = 0;
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr};
        if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) == 0) {
            xvfb_ = pid;
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (xvfb_ > 0 && poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        if (number.empty()) return false;
        name_ = ":" + number;
        display_ = XOpenDisplay(name_.c_str());
        return display_ != nullptr;
    }
    ~BareDisplay() {
        if (display_) XCloseDisplay(display_);
        for (pid_t pid : children_) kill(pid, SIGTERM);
        for (pid_t pid : children_) waitpid(pid, nullptr, 0);
        if (xvfb_ > 0) {
            kill(xvfb_, SIGTERM);
            waitpid(xvfb_, nullptr, 0);
        }
    }
    void Xterm(const std::string& title) {
        const std::string display = "DISPLAY=" + name_;
        const char* argv[] = {"xterm",       "-fa", "Monospace", "-T",
                              title.c_str(), "-e",  "cat",       nullptr};
        const char* envp[] = {display.c_str(), "LC_ALL=C.UTF-8", nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, "xterm", nullptr, nullptr, const_cast<char**>(argv),
                         const_cast<char**>(envp)) == 0) {
            children_.push_back(pid);
        }
    }
    Display* display() const { return display_; }

  private:
    pid_t xvfb_ = 0;
    std::string name_;
    Display* display_ = nullptr;
    std::vector<pid_t> children_;
};

TEST(TargetWindowBareX11Test, WithoutWindowManagerRootChildrenAndInputFocusServe) {
    ASSERT_TRUE(X11TestSession::OnPath("Xvfb")) << "Xvfb is not installed";
    BareDisplay bare;
    ASSERT_TRUE(bare.Start());
    X11WindowSystem windows(bare.display());
    EXPECT_FALSE(windows.HasWindowManager());
    auto idOf = [&](const std::string& caption) -> WindowId {
        for (const TopLevelWindow& w : windows.TopLevelWindows())
            if (w.caption == caption) return w.id;
        return 0;
    };
    WindowId lower = 0, upper = 0;
    bare.Xterm("Bare Lower");
    ASSERT_TRUE(X11TestSession::WaitFor([&] { return (lower = idOf("Bare Lower")) != 0; }, 15000));
    bare.Xterm("Bare Upper");
    ASSERT_TRUE(X11TestSession::WaitFor([&] { return (upper = idOf("Bare Upper")) != 0; }, 15000));
    EXPECT_EQ(windows.TopLevelWindows().front().id, upper);

    FakeMessages messages;
    PosixProcessLauncher launcher;
    SteadyClock clock;
    QtWaiter waiter;
    FakeKeyInjector injector;
    SetupGlobals g;
    DesktopKeystrokeTarget keys(windows, launcher, injector, messages, clock, waiter, g);
    keys.MinimizeWindow(lower);
    const std::vector<TopLevelWindow> list = windows.TopLevelWindows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list.back().minimized);

    std::string title = "bare lower";
    const TargetSearch found = keys.FindTargetWindow(title);
    EXPECT_EQ(found.window, lower);
    EXPECT_TRUE(found.wasMinimized);
    EXPECT_EQ(keys.GetForegroundWindow(), lower);
    EXPECT_EQ(windows.TopLevelWindows().front().id, lower);
    EXPECT_FALSE(windows.TopLevelWindows().front().minimized);

    keys.SetForegroundWindow(upper);
    EXPECT_EQ(keys.GetForegroundWindow(), upper);
}

}  // namespace
}  // namespace quorvane
