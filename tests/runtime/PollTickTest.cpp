// The poll tick of the runtime session: its steps in their fixed order, no nested tick, the
// deferred exit, the date/time display, the Opto-RS request, a device that goes away and a
// record too long to keep.
#include <gtest/gtest.h>

#include "runtime/SessionFixture.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class PollTick : public SessionFixture {};

TEST_F(PollTick, RunsItsStepsInOrder) {
    g.TimerInterval = 50;
    g.TimerOptions = 1 | 2;  // enabled, transmit string
    g.TimerString = "T";
    g.FlowControl = 3;  // Opto-RS
    g.ShowDateTime = kTrue;
    g.FieldPostamble[1] = "|";
    Start();
    session->PressBreakButton();
    session->RequestExit();
    Tick();  // the timer takes its base, the BREAK counts down to 1, ExitRequest to 1
    port.modemStatus = kModemDsr;
    clock.now.Second += 1;
    session->RequestCommandLink();
    log.Clear();
    Tick("12.5\r");

    const char* order[] = {"hooks.CommandLink",    "port.EndBreak",    "view.SetDateTimeText",
                           "port.ReadModemStatus", "port.Write(T?\r)", "port.PeekBytes",
                           "log.Write(12.5\r|)",   "view.Closed"};
    int previous = -1;
    for (const char* step : order) {
        const int at = log.IndexOf(step);
        ASSERT_GE(at, 0) << step;
        EXPECT_GT(at, previous) << step;
        previous = at;
    }
    EXPECT_TRUE(session->IsUnloaded());
}

TEST_F(PollTick, ATickDueWhileOneRunsIsSkipped) {
    struct ReentrantSink : FakeLogSink {
        using FakeLogSink::FakeLogSink;
        LogStatus Write(std::string_view bytes, size_t& written) override {
            if (onWrite) onWrite();
            return FakeLogSink::Write(bytes, written);
        }
        std::function<void()> onWrite;
    };
    ReentrantSink sink;
    g.FieldPostamble[1] = "|";
    port.Open("COM1", LineRequest{});
    RuntimeSession s(RuntimeServices{g, port, clock, messages, locale, keys, dde, sink, settings,
                                     ddeHooks, hotKeys, nullptr},
                     view);
    s.Activate();
    int nestedReads = 0;
    auto reads = [&] { return log.Count("port.PeekBytes") + log.Count("port.ConsumeBytes"); };
    sink.onWrite = [&] {
        // What a wait inside delivery would do: the timer fires, and the user quits.
        const int readsBefore = reads();
        s.PollTick();
        nestedReads += reads() - readsBefore;
        s.Quit();
        EXPECT_TRUE(port.IsOpen());  // not closed under the running tick
    };
    port.Play("1\r2\r");
    s.PollTick();
    EXPECT_EQ(s.SkippedTicks(), 2);
    EXPECT_EQ(nestedReads, 0);
    EXPECT_EQ(sink.contents, "1\r|2\r|");  // the tick finished its byte loop before quitting
    EXPECT_TRUE(s.IsUnloaded());
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PollTick, ExitRequestQuitsOnTheSecondTick) {
    Start();
    session->RequestExit();
    EXPECT_EQ(session->Flags().ExitRequest, -1);
    Tick("1");
    EXPECT_FALSE(session->IsUnloaded());
    EXPECT_EQ(session->Flags().ExitRequest, 1);
    Tick("2\r");
    EXPECT_TRUE(session->IsUnloaded());
    EXPECT_EQ(logSink.contents, "12\r");  // input waiting on the last tick was handled
    EXPECT_EQ(log.Count("hooks.DisconnectClients"), 1);
    EXPECT_EQ(view.closed, 1);
    EXPECT_FALSE(port.dtr);
    EXPECT_FALSE(port.rts);
    EXPECT_FALSE(port.IsOpen());
    Tick("3\r");  // an unloaded session does nothing
    EXPECT_EQ(logSink.contents, "12\r");
}

TEST_F(PollTick, ExitRequestWhileSuspendedWaitsForTheResume) {
    Start();
    session->Suspend();
    session->RequestExit();
    Ticks(5);
    EXPECT_FALSE(session->IsUnloaded());
    session->Resume();
    Ticks(1);
    EXPECT_FALSE(session->IsUnloaded());
    Ticks(1);
    EXPECT_TRUE(session->IsUnloaded());
}

TEST_F(PollTick, DateTimeIsShownOnlyWhenTheSecondChanges) {
    g.ShowDateTime = kTrue;
    g.DateTimeFormat = "hh:nn:ss";
    Start();
    EXPECT_TRUE(view.dateTimeVisible);
    Ticks(3);
    EXPECT_EQ(view.dateTimeUpdates, 1);
    EXPECT_EQ(view.dateTime, "09:30:15");
    EXPECT_EQ(log.Count("hooks.Item(DateTime,09:30:15)"), 1);
    clock.now.Second = 16;
    Ticks(2);
    EXPECT_EQ(view.dateTimeUpdates, 2);
    EXPECT_EQ(session->ItemText("DateTime"), "09:30:16");
    clock.now.Day = 8;  // same time of day, another day
    Tick();
    EXPECT_EQ(view.dateTimeUpdates, 3);
}

TEST_F(PollTick, NoDateTimeWithoutShowDateTime) {
    Start();
    Ticks(2);
    EXPECT_FALSE(view.dateTimeVisible);
    EXPECT_EQ(view.dateTimeUpdates, 0);
}

TEST_F(PollTick, OptoRsAsksOnlyWhenDsrComesOnAlone) {
    g.FlowControl = 3;
    Start();
    const uint32_t statuses[] = {0,         kModemDsr, kModemDsr, kModemDsr | kModemCts,
                                 kModemDsr, 0,         kModemDsr};
    std::string requests;
    for (uint32_t status : statuses) {
        port.modemStatus = status;
        const size_t before = port.written.size();
        Tick();
        requests += port.written.substr(before) == "?\r" ? "R" : ".";
    }
    EXPECT_EQ(requests, ".R..R.R");
}

TEST_F(PollTick, OtherFlowControlNeverReadsTheModemLines) {
    g.FlowControl = 2;
    port.modemStatus = kModemDsr;
    Start();
    Ticks(2);
    EXPECT_EQ(log.Count("port.ReadModemStatus"), 0);
    EXPECT_EQ(port.written, "");
}

TEST_F(PollTick, ALostDeviceIsReopenedKeepingTheQueueButNotTheUnfinishedRecord) {
    g.FieldPostamble[1] = "|";
    g.AckString = "A";
    Start();
    Tick("12");  // a record in progress
    port.Lose();
    session->PressStringButton(1);  // nothing: button 1 has no string
    g.OutputQueue += "Q";
    port.openResults = {SerialError{SerialErrorKind::Unavailable, 2, "No such file", "", ""}};
    Tick();
    EXPECT_TRUE(session->IsPortLost());
    EXPECT_TRUE(view.portLost);
    EXPECT_EQ(view.lossReason.OsMessage, "Input/output error");
    EXPECT_EQ(g.OutputQueue, "Q");
    // Bytes from before the loss never join bytes from after it: "12" is dropped, and said.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadString(kStrRecordDroppedAtLoss));

    // About once a second: 20 ticks of 50 ms between attempts; the first one fails.
    for (int i = 0; i < 19; ++i) Tick();
    EXPECT_EQ(log.Count("port.Reopen"), 0);
    Tick();
    EXPECT_EQ(log.Count("port.Reopen"), 1);
    EXPECT_TRUE(session->IsPortLost());
    for (int i = 0; i < 19; ++i) Tick();
    EXPECT_EQ(log.Count("port.Reopen"), 1);
    Tick(".5\r");
    EXPECT_EQ(log.Count("port.Reopen"), 2);
    EXPECT_FALSE(session->IsPortLost());
    EXPECT_EQ(log.Count("view.PortLost"), 1);
    EXPECT_EQ(log.Count("view.PortBack"), 1);
    EXPECT_TRUE(port.dtr);  // the lines as at activation
    EXPECT_TRUE(port.rts);
    EXPECT_EQ(port.written, "Q");          // the queue went out in the tick the device came back
    EXPECT_EQ(logSink.contents, ".5\r|");  // not the corrupted reading "12.5"
    Tick();
    EXPECT_EQ(port.written, "QA");
    EXPECT_EQ(messages.shown.size(), 1u);
}

// The message about a voided too-long record waits for the tick to end, so that the ticks a
// message box lets run meanwhile drain the port; it is said once per activation.
TEST_F(PollTick, ATooLongRecordIsSaidOnceAfterItsTick) {
    struct BoxMessages : FakeMessages {
        MessageAnswer Show(const std::string& text, const std::string& title,
                           MessageButtons buttons, MessageIcon icon) override {
            if (whileShown) whileShown();
            return FakeMessages::Show(text, title, buttons, icon);
        }
        std::function<void()> whileShown;
    };
    BoxMessages box;
    g.FieldPostamble[1] = "|";
    g.AckString = "K";
    FakeSerialPort quietPort;  // one that does not log every byte read
    quietPort.clock = &clock;
    quietPort.Open("COM1", LineRequest{});
    RuntimeSession s(RuntimeServices{g, quietPort, clock, box, locale, keys, dde, logSink, settings,
                                     ddeHooks, hotKeys, nullptr},
                     view);
    s.Activate();
    const std::string tooLong((size_t{1} << 20) + 1, 'x');
    bool inTickWhenShown = true;
    box.whileShown = [&] {
        inTickWhenShown = s.InTick();
        quietPort.Play("\r1\r");  // the end of the voided record, then a record
        s.PollTick();
    };
    quietPort.Play(tooLong);
    while (!quietPort.input.empty()) s.PollTick();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, LoadString(kStrRecordTooLong));
    EXPECT_EQ(box.shown[0].title, LoadString(kStrQuorvaneTitle));
    EXPECT_FALSE(inTickWhenShown);
    EXPECT_EQ(logSink.contents, "1\r|");  // read and delivered while the box was up
    EXPECT_EQ(s.ItemText("RecordNumber"), "1");

    quietPort.Play(tooLong + "\r2\r");
    while (!quietPort.input.empty()) s.PollTick();
    s.PollTick();  // the acknowledgement goes out
    EXPECT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(logSink.contents, "1\r|2\r|");
    EXPECT_EQ(quietPort.written, "KK");  // the voided records got no acknowledgement

    box.whileShown = nullptr;
    s.Activate();
    quietPort.Play(tooLong);
    while (!quietPort.input.empty()) s.PollTick();
    EXPECT_EQ(box.shown.size(), 2u);
}

// The tick reads its source span by span; what happens while delivery waits must act on the
// bytes exactly as if they were read one at a time, on the port and on the virtual device.
class PollTickInput : public SessionFixture, public ::testing::WithParamInterface<bool> {
  protected:
    struct WaitingSink : FakeLogSink {
        using FakeLogSink::FakeLogSink;
        LogStatus Write(std::string_view bytes, size_t& written) override {
            if (onWrite) onWrite();
            return FakeLogSink::Write(bytes, written);
        }
        std::function<void()> onWrite;
    };

    PollTickInput() {
        if (GetParam()) g.RunMode = kRunVirtual;
        port.Open("COM1", LineRequest{});
        session = std::make_unique<RuntimeSession>(
            RuntimeServices{g, port, clock, messages, locale, keys, dde, sink, settings, ddeHooks,
                            hotKeys, &device},
            view);
        session->Activate();
    }
    void DeviceSends(const std::string& bytes) {
        if (GetParam())
            device.SendInput(bytes);
        else
            port.Play(bytes);
    }
    std::string Waiting() const {
        return GetParam() ? std::string(device.PendingInput()) : port.input;
    }

    WaitingSink sink{&log};
};

TEST_P(PollTickInput, AResetWhileDeliveryWaitsDropsWhatWasWaitingAndReadsWhatCameAfter) {
    int writes = 0;
    sink.onWrite = [&] {
        if (++writes > 1) return;
        session->Reset();    // a hot key or a {RESET} command during the wait
        DeviceSends("7\r");  // and the device goes on sending
    };
    DeviceSends("1\r2\r3\r");
    session->PollTick();
    EXPECT_EQ(sink.contents, "1\r7\r");
    EXPECT_EQ(Waiting(), "");
}

TEST_P(PollTickInput, ACancelledLogWriteDropsTheRestAndReadsNothingMoreThisTick) {
    sink.writeFailures = 1;
    messages.answers = {MessageAnswer::Cancel};
    sink.onWrite = [&] { DeviceSends("4\r"); };  // arrives while the message is up
    DeviceSends("1\r2\r3\r");
    session->PollTick();
    EXPECT_EQ(sink.contents, "");
    EXPECT_EQ(Waiting(), "");
    EXPECT_TRUE(session->IsSuspended());
    sink.onWrite = nullptr;
    session->Resume();
    DeviceSends("5\r");
    session->PollTick();
    EXPECT_EQ(sink.contents, "5\r");
}

INSTANTIATE_TEST_SUITE_P(Sources, PollTickInput, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "VirtualDevice" : "Port"; });

}  // namespace
}  // namespace quorvane

namespace quorvane {
namespace {

// Headless nobody can answer Retry: a log that cannot be written holds input (in the kernel)
// and is tried again after 1 s, 2 s, 4 s ... up to a minute; no record read is lost, and the
// hold and its end are each said once.
TEST_F(PollTick, HeadlessALogThatCannotBeWrittenHoldsInputAndIsTriedAgain) {
    messages.canAnswer = false;
    g.FieldPostamble[1] = "|";
    Start();
    logSink.openFailures = 3;  // a full disk, for the first try and two retries
    Tick("1\r2\r3\r");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[0].text.find(LoadString(kStrLogWriteError)), std::string::npos);
    EXPECT_EQ(messages.shown[1].text, LoadString(kStrLogHeld));
    EXPECT_EQ(port.input.size(), 4u) << "the records after the held one wait unread";
    EXPECT_FALSE(session->IsSuspended());
    EXPECT_EQ(session->ItemText("RecordNumber"), "1");

    const auto ticksUntilLogged = [&](int most) {
        for (int t = 1; t <= most; ++t) {
            Tick();
            if (!logSink.contents.empty()) return t;
        }
        return -1;
    };
    // Tried at 1 s (fails), 3 s (fails), 7 s (written): 20 + 40 + 80 ticks of 50 ms.
    EXPECT_EQ(ticksUntilLogged(200), 140);
    EXPECT_EQ(logSink.opens, 3) << "each record written once, none doubled";
    EXPECT_EQ(logSink.contents, "1\r|2\r|3\r|");
    ASSERT_EQ(messages.shown.size(), 3u) << "the retries that failed said nothing";
    EXPECT_EQ(messages.shown[2].text, LoadString(kStrLogWritableAgain, {g.LogFileName}));
    EXPECT_EQ(session->ItemText("RecordNumber"), "3");
}

TEST_F(PollTick, HeadlessALogStillHeldAtTheEndIsTriedOnceMoreAndSaid) {
    messages.canAnswer = false;
    Start();
    logSink.openFailures = 100;
    Tick("1\r");
    session->Unload();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text, LoadString(kStrLogRecordNotWritten, {g.LogFileName}));
    EXPECT_EQ(logSink.openFailures, 100 - 2) << "one last try, without waiting";
}

}  // namespace
}  // namespace quorvane
