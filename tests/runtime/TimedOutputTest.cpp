// Timed output and BREAK through the session's poll tick: the schedule, its catch-up after a
// delay, restarts, the signed-range rule, and the BREAK countdown.
#include <gtest/gtest.h>

#include "runtime/SessionFixture.h"

namespace quorvane {
namespace {

class TimedOutput : public SessionFixture {
  protected:
    // Timer string "x" every intervalMs, enabled at activation.
    void StartTimer(int32_t intervalMs, int16_t action = 2) {
        g.TimerInterval = intervalMs;
        g.TimerOptions = static_cast<int16_t>(1 | action);
        g.TimerString = "x";
        Start();
    }
    // Ticks until the first timed byte reaches the port; returns how many it took.
    int TicksUntilOutput(int limit = 1000) {
        const size_t before = port.written.size();
        for (int i = 1; i <= limit; ++i) {
            Tick();
            if (port.written.size() > before) return i;
        }
        return -1;
    }
};

TEST_F(TimedOutput, FirstActionComesOneIntervalAfterEnabling) {
    StartTimer(1000);
    EXPECT_TRUE(view.timerMenuVisible);
    EXPECT_TRUE(view.timerMenuEnabled);
    // Tick 1 takes the base; the action is queued 20 ticks later and written in that tick.
    EXPECT_EQ(TicksUntilOutput(), 21);
    EXPECT_EQ(TicksUntilOutput(), 20);
    EXPECT_EQ(port.written, "xx");
}

TEST_F(TimedOutput, GoesOnWhileSuspended) {
    StartTimer(1000);
    session->Suspend();
    Tick();
    Ticks(60);
    EXPECT_EQ(port.written, "xxx");
}

TEST_F(TimedOutput, MissedActionsFollowOnePerTick) {
    StartTimer(100);
    Tick();              // base
    clock.ticks += 450;  // the program was held up for four and a half intervals
    std::string perTick;
    for (int i = 0; i < 12; ++i) {
        const size_t before = port.written.size();
        Tick();
        perTick += std::to_string(port.written.size() - before);
    }
    // One action a tick while the schedule lags (it gains 50 ms a tick), then every other.
    EXPECT_EQ(perTick, "111111111010");
}

TEST_F(TimedOutput, DisableThenEnableRestartsFromTheFirstTickAfter) {
    StartTimer(1000);
    Ticks(15);
    session->ToggleTimedOutput();
    EXPECT_FALSE(view.timerMenuEnabled);
    EXPECT_EQ(session->Output().TimedOutputFlags() & 1, 0);
    Ticks(30);
    EXPECT_EQ(port.written, "");
    session->ToggleTimedOutput();
    EXPECT_TRUE(view.timerMenuEnabled);
    EXPECT_EQ(TicksUntilOutput(), 21);
}

TEST_F(TimedOutput, ResumeAndResetRestartTheSchedule) {
    StartTimer(1000);
    Ticks(15);
    session->Suspend();
    session->Resume();
    EXPECT_EQ(TicksUntilOutput(), 21);
    Ticks(15);
    session->Reset();
    EXPECT_EQ(TicksUntilOutput(), 21);
}

TEST_F(TimedOutput, SuspendAloneKeepsTheSchedule) {
    StartTimer(1000);
    Ticks(15);
    session->Suspend();
    EXPECT_EQ(TicksUntilOutput(), 6);
}

TEST_F(TimedOutput, NothingPilesUpForALostDeviceAndTheScheduleRestartsWhenItIsBack) {
    StartTimer(1000);
    Ticks(5);
    port.Lose();
    // Away for a minute: every reopen attempt fails meanwhile.
    for (int i = 0; i < 60; ++i)
        port.openResults.push_back({SerialErrorKind::Unavailable, 2, "No such file", "", ""});
    Ticks(1200);
    ASSERT_TRUE(session->IsPortLost());
    EXPECT_EQ(g.OutputQueue, "");
    port.openResults.clear();
    int ticks = 0;
    while (session->IsPortLost() && ticks++ < 40) Tick();
    ASSERT_FALSE(session->IsPortLost());
    EXPECT_EQ(port.written, "") << "no burst of stale timed strings";
    EXPECT_EQ(TicksUntilOutput(), 21);
    EXPECT_EQ(port.written, "x");
}

TEST_F(TimedOutput, NoIntervalMeansDisabledAndHidden) {
    g.TimerInterval = 0;
    g.TimerOptions = 1 | 2;
    g.TimerString = "x";
    Start();
    EXPECT_FALSE(view.timerMenuVisible);
    EXPECT_EQ(session->Output().TimedOutputFlags(), 2);
    Ticks(50);
    EXPECT_EQ(port.written, "");
}

TEST_F(TimedOutput, DisabledAtActivationWithoutTheEnableBit) {
    g.TimerInterval = 100;
    g.TimerOptions = 2;
    Start();
    EXPECT_TRUE(view.timerMenuVisible);
    EXPECT_FALSE(view.timerMenuEnabled);
}

TEST_F(TimedOutput, ABaseThatLeavesTheSignedRangeRestartsTheSchedule) {
    clock.ticks = 0x7FFFFFFFu - 2000;
    StartTimer(1000);
    Tick();  // base just under 2^31 - 2000
    EXPECT_EQ(TicksUntilOutput(), 20);
    // base + interval no longer fits: the schedule restarts at the next tick.
    EXPECT_EQ(TicksUntilOutput(), 20);
    EXPECT_EQ(session->Output().TimedOutputBase(), 0);
    EXPECT_EQ(TicksUntilOutput(), 21);
    // Past the unsigned wrap the schedule keeps its pace.
    clock.ticks = 0xFFFFFFFFu - 500;
    session->RestartTimedOutputSchedule();
    Tick();
    EXPECT_EQ(TicksUntilOutput(), 20);
    EXPECT_EQ(TicksUntilOutput(), 20);
}

TEST_F(TimedOutput, DtrActionPulsesTheLine) {
    StartTimer(100, 4);
    Tick();
    clock.step = 40;  // the busy wait reads the clock until 155 ms have passed
    Tick();
    Tick();
    clock.step = 0;
    const std::vector<std::string> calls = port.CallNames();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 2], "SetDtr 0");
    EXPECT_EQ(calls.back(), "SetDtr 1");
    EXPECT_GE(port.calls.back().Tick - port.calls[port.calls.size() - 2].Tick, 155u);
    EXPECT_EQ(port.written, "");
}

TEST_F(TimedOutput, BreakActionStartsABreak) {
    StartTimer(1000, 8);
    Ticks(21);
    EXPECT_EQ(log.Count("port.StartBreak"), 1);
    EXPECT_TRUE(port.breakOn);
    Ticks(2);
    EXPECT_FALSE(port.breakOn);
}

TEST_F(TimedOutput, BreakStartedTwiceEndsTwoTicksAfterTheLastStart) {
    Start();
    session->PressBreakButton();
    Tick();
    session->PressBreakButton();  // again, within the countdown
    session->PressBreakButton();
    Tick();
    EXPECT_TRUE(port.breakOn);
    EXPECT_EQ(log.Count("port.EndBreak"), 0);
    Tick();
    EXPECT_FALSE(port.breakOn);
    EXPECT_EQ(log.Count("port.EndBreak"), 1);
    Ticks(3);
    EXPECT_EQ(log.Count("port.EndBreak"), 1);
}

TEST_F(TimedOutput, BreakCountsDownWhileSuspended) {
    Start();
    session->Suspend();
    session->PressBreakButton();
    Ticks(2);
    EXPECT_FALSE(port.breakOn);
}

}  // namespace
}  // namespace quorvane
