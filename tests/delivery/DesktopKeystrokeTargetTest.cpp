// The desktop keystroke target under Send Keystrokes delivery, over a made-up desktop: which
// window gets the keys, what is restored, minimized and focused afterwards.
#include <gtest/gtest.h>

#include "config/SetupGlobals.h"
#include "delivery/DesktopKeystrokeTarget.h"
#include "delivery/FocusedWindowKeystrokeTarget.h"
#include "engine/RecordDelivery.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeClient.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakeKeyInjector.h"
#include "fakes/FakeLogSink.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeWaiter.h"
#include "fakes/FakeWindowSystem.h"

namespace quorvane {
namespace {

using Calls = std::vector<std::string>;

// Notes each typed record as "focused window:text", the window read at its first key.
class FocusNotingInjector : public FakeKeyInjector {
  public:
    explicit FocusNotingInjector(const FakeWindowSystem& windows) : windows_(windows) {}
    void TypeCharacter(unsigned char byte) override {
        if (typed.empty()) focus_ = windows_.foreground;
        FakeKeyInjector::TypeCharacter(byte);
    }
    void Flush() override {
        if (!typed.empty()) records.push_back(std::to_string(focus_) + ":" + typed);
        typed.clear();
    }
    Calls records;

  private:
    const FakeWindowSystem& windows_;
    WindowId focus_ = 0;
};

class DesktopKeystrokeTargetTest : public ::testing::Test {
  protected:
    DesktopKeystrokeTargetTest() {
        ResetToDefaults(g, "/tmp");
        g.Mode = kModeKeystrokes;
        g.TargetAppTitle = " notepad ";
        g.TargetAppCommand = "notepad";
        keys.SetOwnWindow(kRuntime);
        delivery.Activate();
    }

    void Deliver(const std::string& value) {
        fields[1] = value;
        delivery.DeliverRecord(fields);
    }

    static constexpr WindowId kRuntime = 50;
    FakeWindowSystem windows;
    FakeProcessLauncher launcher;
    FakeMessages messages;
    FakeClock clock;
    FakeWaiter waiter{clock};
    FocusNotingInjector injector{windows};
    SetupGlobals g;
    DesktopKeystrokeTarget keys{windows, launcher, injector, messages, clock, waiter, g};
    RuntimeFlags flags;
    FakeEngineView view;
    FakeDdeClient dde;
    FakeLogSink log;
    RecordDelivery delivery{g, flags, {messages, clock, view, keys, dde, log}};
    FieldDataArray fields;
    Calls& typed = injector.records;
};

TEST_F(DesktopKeystrokeTargetTest, MinimizedTargetGetsTheKeysAndIsMinimizedAgain) {
    windows.windows = {{7, "Spreadsheet", false}, {8, "Untitled - Notepad", true}};
    windows.foreground = 7;
    Deliver("12.5{ENTER}");
    EXPECT_EQ(typed, (Calls{"8:12.5\n"}));
    EXPECT_EQ(windows.calls, (Calls{"restore 8", "activate 8", "minimize 8", "activate 7"}));
    EXPECT_EQ(windows.foreground, 7u);
    EXPECT_EQ(g.TargetAppTitle, "NOTEPAD");
}

TEST_F(DesktopKeystrokeTargetTest, RuntimeWindowInFrontTypesNothing) {
    windows.windows = {{kRuntime, "Quorvane - COM1", false}, {8, "Untitled - Notepad", false}};
    windows.foreground = kRuntime;
    windows.activationDelayed = true;  // the user keeps working in the runtime window
    Deliver("1");
    EXPECT_TRUE(typed.empty());
    EXPECT_EQ(windows.calls, (Calls{"activate 8"}));  // the focus is not moved back either
}

TEST_F(DesktopKeystrokeTargetTest, TheFocusIsBackBeforeTheNextRecordAsksWhoHasIt) {
    windows.windows = {{7, "Spreadsheet", false}, {8, "Untitled - Notepad", false}};
    windows.foreground = 7;
    windows.activationDelayed = true;
    // The window manager grants an activation only during a wait that gives it time.
    waiter.onWait = [&] {
        if (waiter.waits.back() == 0) return;
        const std::string& last = windows.calls.back();
        if (last.rfind("activate ", 0) == 0) windows.foreground = std::stoull(last.substr(9));
    };
    Deliver("1");
    Deliver("2");  // straight after: the first record's focus return must be done
    EXPECT_EQ(typed, (Calls{"8:1", "8:2"}));
    EXPECT_EQ(windows.calls, (Calls{"activate 8", "activate 7", "activate 8", "activate 7"}));
    EXPECT_EQ(windows.foreground, 7u);
}

TEST_F(DesktopKeystrokeTargetTest, AFocusNeverGrantedIsWaitedForOnlyUpToTheLimit) {
    windows.windows = {{7, "Spreadsheet", false}};
    windows.foreground = 8;
    windows.activationDelayed = true;
    const uint32_t start = clock.ticks;
    keys.SetForegroundWindow(7);
    EXPECT_GE(clock.ticks - start, kActivationLimitMs);
    EXPECT_LE(clock.ticks - start, kActivationLimitMs + 10);
}

TEST_F(DesktopKeystrokeTargetTest, HeadlessNeverCountsAsOwnWindow) {
    keys.SetOwnWindow(0);
    windows.foreground = 0;
    EXPECT_FALSE(keys.IsOwnWindowForeground());
    keys.SetOwnWindow(kRuntime);
    windows.foreground = kRuntime;
    EXPECT_TRUE(keys.IsOwnWindowForeground());
}

TEST_F(DesktopKeystrokeTargetTest, StartedTargetKeepsTheFocus) {
    windows.windows = {{7, "Spreadsheet", false}};
    windows.foreground = 7;
    launcher.onStart = [&] {
        windows.windows.insert(windows.windows.begin(), {9, "Untitled - Notepad", false});
        windows.foreground = 9;
    };
    Deliver("x");
    EXPECT_EQ(typed, (Calls{"9:x"}));
    EXPECT_EQ(windows.foreground, 9u);
    EXPECT_EQ(windows.calls, (Calls{"activate 9"}));
}

TEST_F(DesktopKeystrokeTargetTest, FailedStartTypesNothingAndKeepsFocus) {
    windows.windows = {{7, "Spreadsheet", false}};
    windows.foreground = 7;
    launcher.result = {0, "No such file or directory"};
    Deliver("x");
    EXPECT_TRUE(typed.empty());
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(fields[1], "");  // the record is lost, not carried into the next
}

TEST_F(DesktopKeystrokeTargetTest, ZeroWindowsAreLeftAlone) {
    keys.SetForegroundWindow(0);
    keys.MinimizeWindow(0);
    EXPECT_TRUE(windows.calls.empty());
}

// A desktop that cannot activate windows: the keys go to the focused window, whatever the
// target's title, and a target that is "not running" is never started.
TEST(FocusedWindowKeystrokeTarget, TypesEveryRecordIntoTheFocusedWindowAndStartsNothing) {
    SetupGlobals g;
    ResetToDefaults(g, "/tmp");
    g.Mode = kModeKeystrokes;
    g.TargetAppSpecified = kTrue;
    g.TargetAppTitle = " notepad ";
    g.TargetAppCommand = "notepad";
    FakeKeyInjector injector;
    FakeClock clock;
    FakeWaiter waiter{clock};
    int prepared = 0;
    FocusedWindowKeystrokeTarget keys{injector, clock, waiter, g, "notice", [&] { ++prepared; }};
    FakeMessages messages;
    RuntimeFlags flags;
    FakeEngineView view;
    FakeDdeClient dde;
    FakeLogSink log;
    RecordDelivery delivery{g, flags, {messages, clock, view, keys, dde, log}};
    delivery.Activate();
    FieldDataArray fields;
    for (const char* value : {"12.5{ENTER}", "7{TAB}"}) {
        fields[1] = value;
        delivery.DeliverRecord(fields);
    }
    EXPECT_EQ(injector.typed, "12.5\n7\t");
    EXPECT_EQ(g.TargetAppTitle, "NOTEPAD");  // normalized as by any search
    EXPECT_TRUE(messages.shown.empty());
    keys.PrepareTyping();
    EXPECT_EQ(prepared, 1);
    EXPECT_EQ(keys.TypingNotice(), "notice");
}

}  // namespace
}  // namespace quorvane
