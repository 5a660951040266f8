// Finding the target window by its caption and starting the target program, over a made-up
// desktop, a fake clock and a waiter that moves it.
#include <gtest/gtest.h>

#include "delivery/CaptionText.h"
#include "delivery/TargetActivation.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeWaiter.h"
#include "fakes/FakeWindowSystem.h"

namespace quorvane {
namespace {

using Calls = std::vector<std::string>;

struct CaseCase {
    std::string text, upper;
};

class UpperCase : public ::testing::TestWithParam<CaseCase> {};

TEST_P(UpperCase, CodePageLetters) {
    EXPECT_EQ(UpperCaseText(GetParam().text), GetParam().upper);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpperCase,
    ::testing::Values(CaseCase{"Untitled - Notepad", "UNTITLED - NOTEPAD"},
                      CaseCase{"r\xE9sum\xE9 \xE0 \xFE", "R\xC9SUM\xC9 \xC0 \xDE"},
                      CaseCase{"\xFF\x9A\x9C\x9E", "\x9F\x8A\x8C\x8E"},
                      CaseCase{"\xDF\xB5\xF7", "\xDF\xB5\xF7"},  // no capitals in the code page
                      CaseCase{std::string("a\0b", 3), std::string("A\0B", 3)},
                      CaseCase{"{}[]@`~123", "{}[]@`~123"}));

TEST(UpperCaseCodePoint, LatinExtendedGreekCyrillic) {
    EXPECT_EQ(UpperCaseCodePoint(0x101), 0x100u);  // ā
    EXPECT_EQ(UpperCaseCodePoint(0x100), 0x100u);
    EXPECT_EQ(UpperCaseCodePoint(0x142), 0x141u);  // ł
    EXPECT_EQ(UpperCaseCodePoint(0x17E), 0x17Du);  // ž
    EXPECT_EQ(UpperCaseCodePoint(0x3B1), 0x391u);  // α
    EXPECT_EQ(UpperCaseCodePoint(0x3C2), 0x3C2u);  // final sigma
    EXPECT_EQ(UpperCaseCodePoint(0x44F), 0x42Fu);  // я
    EXPECT_EQ(UpperCaseCodePoint(0x451), 0x401u);  // ё
}

class TargetActivationTest : public ::testing::Test {
  protected:
    void Desktop(std::vector<TopLevelWindow> list) {
        windows.windows = std::move(list);
        windows.foreground = windows.windows.empty() ? 0 : windows.windows.front().id;
    }

    FakeWindowSystem windows;
    FakeProcessLauncher launcher;
    FakeMessages messages;
    FakeClock clock;
    FakeWaiter waiter{clock};
    TargetActivation activation{windows, launcher, messages, clock, waiter};
};

TEST_F(TargetActivationTest, TitleIsNormalizedInPlace) {
    Desktop({{1, "Shell", false}});
    std::string title = "  r\xE9sum\xE9 notes ";
    activation.FindTargetWindow(title);
    EXPECT_EQ(title, "R\xC9SUM\xC9 NOTES");
}

TEST_F(TargetActivationTest, EmptyOrBlankTitleFindsNothing) {
    Desktop({{1, "Shell", false}, {2, "Untitled - Notepad", false}});
    for (std::string title : {"", "   "}) {
        const TargetSearch found = activation.FindTargetWindow(title);
        EXPECT_EQ(found.window, 0u);
        EXPECT_EQ(title, "");
    }
    EXPECT_TRUE(windows.calls.empty());
}

TEST_F(TargetActivationTest, FirstMatchInStackingOrderIsActivated) {
    Desktop({{1, "Terminal", false},
             {2, "Untitled - Notepad", false},
             {3, "notes.txt - Notepad", false}});
    std::string title = "notepad";
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, 2u);
    EXPECT_FALSE(found.wasMinimized);
    EXPECT_EQ(windows.calls, (Calls{"activate 2"}));
    EXPECT_EQ(windows.foreground, 2u);
    // One pass of event processing; the activation was granted at once.
    EXPECT_EQ(waiter.waits, (std::vector<uint32_t>{0}));
}

TEST_F(TargetActivationTest, TopWindowIsUsedWithoutActivation) {
    Desktop({{1, "Untitled - Notepad", false}, {2, "Terminal", false}});
    std::string title = "Notepad";
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, 1u);
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_TRUE(waiter.waits.empty());
}

TEST_F(TargetActivationTest, MinimizedMatchIsRestoredThenActivated) {
    Desktop({{1, "Terminal", false}, {2, "Untitled - Notepad", true}});
    std::string title = "NOTEPAD";
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, 2u);
    EXPECT_TRUE(found.wasMinimized);
    EXPECT_EQ(windows.calls, (Calls{"restore 2", "activate 2"}));
}

TEST_F(TargetActivationTest, MinimizedTopWindowIsBroughtBackToo) {
    // A minimized window cannot take keys even at the top of the stack.
    Desktop({{1, "Untitled - Notepad", true}, {2, "Terminal", false}});
    windows.foreground = 2;
    std::string title = "notepad";
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, 1u);
    EXPECT_TRUE(found.wasMinimized);
    EXPECT_EQ(windows.calls, (Calls{"restore 1", "activate 1"}));
}

TEST_F(TargetActivationTest, MissingTargetClearsWasMinimized) {
    Desktop({{1, "Terminal", false}, {2, "Notepad", true}});
    std::string title = "notepad";
    EXPECT_TRUE(activation.FindTargetWindow(title).wasMinimized);
    windows.windows = {{1, "Terminal", false}};
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, 0u);
    EXPECT_FALSE(found.wasMinimized);
}

TEST_F(TargetActivationTest, SlowActivationIsAwaitedWithinItsLimit) {
    Desktop({{1, "Terminal", false}, {2, "Notepad", false}});
    windows.activationDelayed = true;
    waiter.onWait = [&] {
        if (clock.ticks >= 200) windows.foreground = 2;
    };
    std::string title = "notepad";
    EXPECT_EQ(activation.FindTargetWindow(title).window, 2u);
    EXPECT_EQ(clock.ticks, 250u);

    // A window manager that never grants it costs at most the limit.
    windows.foreground = 1;
    waiter.onWait = nullptr;
    clock.ticks = 0;
    EXPECT_EQ(activation.FindTargetWindow(title).window, 2u);
    EXPECT_EQ(clock.ticks, kActivationLimitMs);
}

class LaunchTest : public TargetActivationTest {
  protected:
    void SetUp() override {
        Desktop({{1, "Terminal", false}});
        // The started program opens its window at once and takes the focus after 300 ms.
        launcher.onStart = [&] { windows.windows.insert(windows.windows.begin(), started); };
        waiter.onWait = [&] {
            if (clock.ticks >= 300) windows.foreground = started.id;
        };
    }

    TopLevelWindow started{9, "Untitled - Notepad", false};
};

TEST_F(LaunchTest, StartedProgramTakesTheForegroundThenSettles) {
    std::string title = "NOTEPAD";
    const TargetLaunch result = activation.LaunchTarget("notepad.exe", title);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.window, 9u);
    EXPECT_EQ(title, "NOTEPAD");  // the new caption contains it
    EXPECT_EQ(launcher.starts, (std::vector<std::vector<std::string>>{{"notepad.exe"}}));
    EXPECT_EQ(activation.LastProcessId(), 4242);
    // Polled every 50 ms until the foreground changed at 300 ms, then the settle time.
    EXPECT_EQ(clock.ticks, 350u + kTargetSettleMs);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LaunchTest, TitleTakesTheNewCaptionWhenEmptyOrNotContained) {
    for (std::string title : {"", "WORDPAD"}) {
        windows.windows = {{1, "Terminal", false}};
        windows.foreground = 1;
        clock.ticks = 0;
        activation.LaunchTarget("notepad", title);
        EXPECT_EQ(title, "UNTITLED - NOTEPAD");
    }
}

TEST_F(LaunchTest, ForegroundWaitEndsAfterTenSeconds) {
    waiter.onWait = nullptr;  // the program never shows a focused window
    std::string title = "NOTEPAD";
    const TargetLaunch result = activation.LaunchTarget("notepad", title);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(clock.ticks, kTargetStartLimitMs + kTargetSettleMs);
    // The keys go to whatever has the focus; its caption does not become the title.
    EXPECT_EQ(result.window, 1u);
    EXPECT_EQ(title, "NOTEPAD");
    for (uint32_t w : waiter.waits) EXPECT_LE(w, kTargetSettleMs);
}

TEST_F(LaunchTest, WordsReachTheLauncherInUtf8) {
    std::string title;
    activation.LaunchTarget("  editor  \"caf\xE9 menu.txt\" -n ", title);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0],
              (std::vector<std::string>{"editor", "caf\xC3\xA9 menu.txt", "-n"}));
}

TEST_F(LaunchTest, FailedStartShowsTheMessageEveryTime) {
    launcher.result = {0, "No such file or directory"};
    std::string title = "SCALE";
    for (int record = 0; record < 2; ++record) {
        const TargetLaunch result = activation.LaunchTarget("/opt/caf\xE9/scale -x", title);
        EXPECT_TRUE(result.failed);
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    const FakeMessages::Shown& m = messages.shown[0];
    EXPECT_EQ(m.text, "Cannot Run Program: /opt/caf\xC3\xA9/scale -x\rNo such file or directory");
    EXPECT_EQ(m.title, "Quorvane Error");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_EQ(title, "SCALE");
    EXPECT_EQ(clock.ticks, 0u);  // no waiting for a program that never started
    EXPECT_EQ(activation.LastProcessId(), 0);
}

TEST_F(LaunchTest, BlankCommandFailsWithoutStarting) {
    std::string title;
    EXPECT_TRUE(activation.LaunchTarget("   ", title).failed);
    EXPECT_TRUE(launcher.starts.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Cannot Run Program:    \r", 0), 0u);
}

}  // namespace
}  // namespace quorvane
