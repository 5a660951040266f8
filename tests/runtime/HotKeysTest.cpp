// Hot key matching and actions on fake key transitions.
#include "runtime/HotKeys.h"

#include <gtest/gtest.h>

#include "fakes/FakeKeyboardMonitor.h"
#include "fakes/FakeMessages.h"
#include "runtime/HotKeyTestHost.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

constexpr int kF2 = 113;
constexpr int kF5 = 116;
constexpr int16_t Code(int modifiers, int virtualKey) {
    return static_cast<int16_t>(modifiers * 256 + virtualKey);
}

class HotKeysTest : public ::testing::Test {
  protected:
    void Set(int slot, int16_t code, int16_t action, std::string text = {}) {
        g.HotKeyCode[slot] = code;
        g.HotKeyAction[slot] = action;
        g.HotKeyString[slot] = std::move(text);
    }
    HotKeyStatus Activate() { return hotKeys.Activate(); }
    std::vector<std::string>& Calls() { return host.log.calls; }

    SetupGlobals g;
    HotKeyTestHost host;
    FakeKeyboardMonitor monitor;
    FakeMessages messages;
    HotKeys hotKeys{g, host, &monitor, &messages};
    HotKeys headless{g, host, nullptr, &messages};  // no keyboard monitor
};

TEST_F(HotKeysTest, WatchesEachUsedSlotInBothShiftStatesOnce) {
    Set(4, Code(6, kF2), kHotKeyTransmitString);  // Ctrl+Alt+F2 = 1649
    Set(7, Code(1, kF5), kHotKeyRaiseDtr);
    Set(9, Code(6, kF2), kHotKeyRaiseRts);  // same key again
    Set(10, Code(2, 0), kHotKeyReset);      // modifiers without a key: empty slot
    EXPECT_EQ(g.HotKeyCode[4], 1649);
    const std::vector<KeyCombination> expected{{kF2, 6}, {kF2, 7}, {kF5, 1}, {kF5, 0}};
    EXPECT_EQ(HotKeyCombinations(g), expected);

    EXPECT_EQ(Activate(), HotKeyStatus::Active);
    EXPECT_EQ(monitor.registered, expected);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HotKeysTest, ActivationReportsAnEmptyTableRefusalsAndAMissingMonitor) {
    EXPECT_EQ(Activate(), HotKeyStatus::NoHotKeys);
    EXPECT_TRUE(monitor.registered.empty());
    EXPECT_EQ(headless.Activate(), HotKeyStatus::NoHotKeys);
    EXPECT_TRUE(messages.shown.empty()) << "no hot keys configured, nothing to miss";

    Set(0, Code(2, kF2), kHotKeyTransmitString, "x");
    monitor.Refuse({kF2, 3});
    EXPECT_EQ(Activate(), HotKeyStatus::Partial);
    EXPECT_EQ(monitor.registered.size(), 2u);
    // A refused combination never arrives; the watched one still acts.
    EXPECT_FALSE(monitor.Press(kF2, 3));
    EXPECT_EQ(g.OutputQueue, "");
    EXPECT_TRUE(monitor.Press(kF2, 2));
    EXPECT_EQ(g.OutputQueue, "x");

    // Without a monitor the user hears of it once, however often the table is registered.
    EXPECT_EQ(Activate(), HotKeyStatus::Partial);
    EXPECT_EQ(monitor.releases, 1) << "a new registration first releases the old one";
    EXPECT_EQ(headless.Activate(), HotKeyStatus::Unavailable);
    EXPECT_EQ(headless.Activate(), HotKeyStatus::Unavailable);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadString(kStrHotKeysUnavailable));
    EXPECT_EQ(messages.shown[0].title, "Quorvane");
    hotKeys.Deactivate();
    EXPECT_FALSE(monitor.handler);
}

TEST_F(HotKeysTest, HeldHotKeyActsOnceAndEveryTransitionIsSwallowed) {
    Set(0, Code(2, kF2), kHotKeyTransmitString, std::string("A\0B", 3));
    ASSERT_EQ(Activate(), HotKeyStatus::Active);
    EXPECT_TRUE(monitor.Press(kF2, 2));
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(monitor.Repeat(kF2, 2));
    EXPECT_TRUE(monitor.Release(kF2, 2));
    EXPECT_EQ(g.OutputQueue, std::string("A\0B", 3));

    EXPECT_TRUE(monitor.Press(kF2, 2));
    EXPECT_EQ(g.OutputQueue, std::string("A\0BA\0B", 6)) << "the next press acts again";
}

TEST_F(HotKeysTest, ShiftComesFromTheLiveKeyboardAndIsPartOfTheCode) {
    Set(0, Code(0, kF2), kHotKeyRaiseDtr);
    Set(1, Code(1, kF5), kHotKeyRaiseRts);
    ASSERT_EQ(Activate(), HotKeyStatus::Active);

    monitor.shiftHeld = true;
    EXPECT_FALSE(monitor.Press(kF2, 1)) << "Shift+F2 is not the hot key F2";
    EXPECT_FALSE(monitor.Release(kF2, 1));
    EXPECT_TRUE(Calls().empty());

    monitor.shiftHeld = false;
    EXPECT_TRUE(monitor.Press(kF2, 1)) << "the event's Shift bit does not count";
    monitor.shiftHeld = true;
    EXPECT_TRUE(monitor.Press(kF5, 0)) << "the live Shift does";
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetDtr(on)", "SetRts(on)"}));
}

TEST_F(HotKeysTest, CtrlAltAndTheLogoKeyComeFromTheEvent) {
    Set(0, Code(2, kF2), kHotKeyRaiseDtr);
    ASSERT_EQ(Activate(), HotKeyStatus::Active);
    EXPECT_FALSE(hotKeys.OnKeyEvent({kF2, 0, kKeyModCtrl | kKeyModWin}, false));
    EXPECT_FALSE(hotKeys.OnKeyEvent({kF2, 0, kKeyModCtrl | kKeyModAlt}, false));
    EXPECT_FALSE(hotKeys.OnKeyEvent({kF2, 0, 0}, false));
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(hotKeys.OnKeyEvent({kF2 | 0x300, 0, kKeyModCtrl | 0x10}, false))
        << "only the key byte and the Ctrl, Alt and logo bits are compared";
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetDtr(on)"}));
}

TEST_F(HotKeysTest, EveryMatchingSlotActsInSlotOrder) {
    Set(3, Code(4, kF5), kHotKeyRaiseRts);
    Set(1, Code(4, kF5), kHotKeyRaiseDtr);
    Set(2, Code(4, kF2), kHotKeyReset);
    ASSERT_EQ(Activate(), HotKeyStatus::Active);
    EXPECT_TRUE(monitor.Press(kF5, 4));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetDtr(on)", "SetRts(on)"}));
}

TEST_F(HotKeysTest, ActionsInNormalAndVirtualInstrumentMode) {
    struct Row {
        int16_t action;
        const char* normal;    // call made in Normal mode, "" for none
        const char* virtual_;  // call made in Virtual Instrument mode
    };
    const Row rows[] = {
        {kHotKeyNone, "", ""},
        {kHotKeyBreak, "StartBreak", ""},
        {kHotKeyToggleDtr, "PulseDtr", ""},
        {kHotKeyEnableTimer, "ToggleTimedOutput(on)", "ToggleTimedOutput(on)"},
        {kHotKeyRaiseDtr, "SetDtr(on)", ""},
        {kHotKeyLowerDtr, "SetDtr(off)", ""},
        {kHotKeyRaiseRts, "SetRts(on)", ""},
        {kHotKeyLowerRts, "SetRts(off)", ""},
        {kHotKeyReset, "Reset", "Reset"},
        {kHotKeySuspend, "Suspend", "Suspend"},
        {14, "", ""},
        {-1, "", ""},
    };
    for (const Row& row : rows) {
        for (bool virtualInstrument : {false, true}) {
            HotKeyTestHost host;
            host.virtualInstrument = virtualInstrument;
            HotKeys keys(g, host, nullptr, nullptr);
            keys.PerformAction(row.action, 0);
            const std::string expected = virtualInstrument ? row.virtual_ : row.normal;
            const std::vector<std::string> calls =
                expected.empty() ? std::vector<std::string>{} : std::vector{expected};
            EXPECT_EQ(host.log.calls, calls)
                << "action " << row.action << (virtualInstrument ? " virtual" : " normal");
        }
    }
}

TEST_F(HotKeysTest, TransmitStringReachesTheQueueInVirtualInstrumentModeToo) {
    host.virtualInstrument = true;
    g.OutputQueue = "q";
    Set(5, Code(0, kF5), kHotKeyTransmitString, "\r\n");
    hotKeys.PerformAction(kHotKeyTransmitString, 5);
    EXPECT_EQ(g.OutputQueue, "q\r\n");
}

TEST_F(HotKeysTest, StateActionsOnlyActWhenTheyChangeSomething) {
    // Timer already on: Enable Timer does nothing; Disable Timer switches it off.
    host.timedOutputFlags = 1 | 2;
    hotKeys.PerformAction(kHotKeyEnableTimer, 0);
    EXPECT_TRUE(Calls().empty());
    hotKeys.PerformAction(kHotKeyDisableTimer, 0);
    hotKeys.PerformAction(kHotKeyDisableTimer, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ToggleTimedOutput(off)"}));
    EXPECT_EQ(host.timedOutputFlags, 2);

    // Not suspended: Enable and Enable For 1 Data Record do nothing, Suspend suspends once.
    host.log.Clear();
    hotKeys.PerformAction(kHotKeyEnable, 0);
    hotKeys.PerformAction(kHotKeyEnableOneRecord, 0);
    hotKeys.PerformAction(kHotKeySuspend, 0);
    hotKeys.PerformAction(kHotKeySuspend, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Suspend"}));

    // Suspended: both resume kinds act (hot keys work while suspended).
    host.log.Clear();
    hotKeys.PerformAction(kHotKeyEnableOneRecord, 0);
    host.suspended = true;
    hotKeys.PerformAction(kHotKeyEnable, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ResumeForOneRecord", "Resume"}));
}

TEST_F(HotKeysTest, EnableTimerWorksWithAZeroInterval) {
    g.TimerInterval = 0;
    Set(0, Code(2, kF5), kHotKeyEnableTimer);
    ASSERT_EQ(Activate(), HotKeyStatus::Active);
    EXPECT_TRUE(monitor.Press(kF5, 2));
    EXPECT_EQ(host.timedOutputFlags & 1, 1);
}

TEST_F(HotKeysTest, DeactivateReleasesAndStopsReporting) {
    Set(0, Code(2, kF2), kHotKeyRaiseDtr);
    {
        HotKeys scoped(g, host, &monitor, &messages);
        ASSERT_EQ(scoped.Activate(), HotKeyStatus::Active);
        EXPECT_EQ(monitor.registered.size(), 2u);
    }
    EXPECT_TRUE(monitor.registered.empty()) << "the destructor releases the grabs";
    EXPECT_FALSE(monitor.Press(kF2, 2));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(HotKeysTest, SessionHooksProgramAndReleaseTheTable) {
    HotKeyHooks& hooks = hotKeys;
    Set(0, Code(2, kF2), kHotKeyRaiseRts);
    hooks.Program(g);
    EXPECT_EQ(hotKeys.status(), HotKeyStatus::Active);
    EXPECT_TRUE(monitor.Press(kF2, 2));
    hooks.Release();
    EXPECT_FALSE(monitor.Press(kF2, 2));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetRts(on)"}));

    headless.Program(g);
    headless.Program(g);
    EXPECT_EQ(headless.status(), HotKeyStatus::Unavailable);
    EXPECT_EQ(messages.shown.size(), 1u);
}

}  // namespace
}  // namespace quorvane
