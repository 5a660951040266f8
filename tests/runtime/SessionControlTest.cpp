// Activation set-up, suspend and reset, buttons, the output flush, Virtual Instrument mode
// and unload of the runtime session.
#include <gtest/gtest.h>

#include "runtime/SessionFixture.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class SessionControl : public SessionFixture {
  protected:
    // Two comma-delimited fields served over DDE, with the record "a,b" delivered.
    void StartWithTwoServedFields() {
        g.RecordStructure = 1;
        g.NumberOfFields = 2;
        g.DelimiterChar = ",";
        g.Mode = kModeDde;
        Start();
        Tick("a,b\r");
    }
};

TEST_F(SessionControl, ActivationSetsUpWindowStateAndServices) {
    settings.values[FakeSettingsStore::Key("Quorvane - COM1", "Settings", "MainLeft")] = "2400";
    settings.values[FakeSettingsStore::Key("Quorvane - COM1", "Settings", "SpecialBeep")] = "48";
    g.ButtonCaption[2] = "Tare";
    g.ButtonString[2] = "T\r\n";
    g.ButtonCaption[5] = "Print";
    g.ButtonString[5] = "P\r\n";
    g.ButtonCaption[3] = "Empty";
    g.WindowButtons = 2;
    g.MinimizeOnActivation = kTrue;
    g.CommandLinkApp = "Excel";
    g.CommandLinkTopic = "Sheet1";
    g.CommandLinkOnActivation = kTrue;
    g.BufferLinkApp = "Excel";  // no topic: not established
    g.BufferLinkOnActivation = kTrue;
    Start();

    EXPECT_EQ(view.caption, "Quorvane - COM1");
    EXPECT_EQ(session->CaptionBase(), "Quorvane - COM1");
    EXPECT_EQ(view.left, 2400);
    EXPECT_EQ(view.top, 1000);
    EXPECT_EQ(session->Flags().SpecialBeep, 48);
    EXPECT_TRUE(view.minimized);
    ASSERT_EQ(view.buttons.size(), 2u);
    EXPECT_EQ(view.buttons[0].Index, 2);
    EXPECT_EQ(view.buttons[0].Caption, "Tare");
    EXPECT_EQ(view.buttons[1].Index, 5);
    EXPECT_FALSE(view.dtrButton);
    EXPECT_TRUE(view.breakButton);
    EXPECT_EQ(session->ServedTopic(), "COM1");
    const char* order[] = {"hooks.InitializeClient", "hooks.SetTopic(COM1)", "hooks.CommandLink",
                           "hotkeys.Program"};
    int previous = -1;
    for (const char* step : order) {
        EXPECT_GT(log.IndexOf(step), previous) << step;
        previous = log.IndexOf(step);
    }
    EXPECT_EQ(log.Count("hooks.BufferLink"), 0);
    EXPECT_FALSE(session->IsSuspended());
}

TEST_F(SessionControl, TheFirstTopicStaysAcrossAReload) {
    g.DdeTopicName = "Balance";
    Start();
    EXPECT_EQ(session->ServedTopic(), "Balance");
    g.DdeTopicName = "Other";
    session->Activate();
    EXPECT_EQ(session->ServedTopic(), "Balance");
}

TEST_F(SessionControl, WithNothingToTypeWithTheFirstKeystrokeActivationSaysSoOnce) {
    keys.canType = false;
    Start();  // Log to disk: nothing to say
    EXPECT_TRUE(messages.shown.empty());
    g.Mode = kModeKeystrokes;
    session->Activate();
    session->Activate();  // a reload activates again
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadString(kStrKeystrokesUnavailable));
    EXPECT_EQ(messages.shown[0].title, "Quorvane");
    EXPECT_EQ(log.Count("hotkeys.Program"), 3) << "the hot keys are programmed every time";

    Tick("12\r");  // records are still read, shown and handed to the target
    EXPECT_EQ(view.fields[1], "12{ENTER}");
    EXPECT_EQ(log.Count("keys.SendKeyMacro(12{ENTER})"), 1);
}

TEST_F(SessionControl, WhereKeystrokesGoIsSaidOnceAndTheDesktopAskedAtEachKeystrokeActivation) {
    keys.notice = "keys go to the focused window";
    Start();  // Log to disk: neither said nor asked
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(log.Count("keys.PrepareTyping"), 0);
    g.Mode = kModeKeystrokes;
    session->Activate();
    session->Activate();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, keys.notice);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
    // The desktop is asked after the notice, at every activation (a session it ended is
    // started again).
    EXPECT_EQ(log.Count("keys.PrepareTyping"), 2);
}

TEST_F(SessionControl, AnEndedConversationIsForgottenOnlyWhenTheSessionStillHoldsIt) {
    Start();
    session->DeliveryConversationEnded(0);
    session->Flags().DdeConversation = 4;
    session->DeliveryConversationEnded(3);
    EXPECT_EQ(session->Flags().DdeConversation, 4u);
    session->DeliveryConversationEnded(4);
    EXPECT_EQ(session->Flags().DdeConversation, 0u);
}

TEST_F(SessionControl, SuspendAndResumeShowInTheCaption) {
    g.ActivateSuspended = kTrue;
    Start();
    EXPECT_TRUE(session->IsSuspended());
    EXPECT_TRUE(view.suspended);
    EXPECT_EQ(view.caption, "Quorvane - COM1 (S)");
    Tick("12\r");
    EXPECT_EQ(logSink.contents, "");  // nothing read while suspended
    session->ToggleSuspend();
    EXPECT_EQ(view.caption, "Quorvane - COM1");
    EXPECT_FALSE(view.suspended);
    Tick();
    EXPECT_EQ(logSink.contents, "12\r");
}

TEST_F(SessionControl, ResetWhileSuspended) {
    for (const bool activateSuspended : {false, true}) {
        SCOPED_TRACE(activateSuspended);
        g.ActivateSuspended = activateSuspended ? kTrue : kFalse;
        Start();
        session->Resume();
        Tick("1\r2");  // record 1 delivered, record 2 in progress
        EXPECT_EQ(view.recordNumber, "1");
        session->Suspend();
        session->ResumeForOneRecord();
        session->Suspend();
        g.OutputQueue = "Q";
        session->Reset();
        EXPECT_EQ(session->IsSuspended(), activateSuspended);
        EXPECT_FALSE(session->Flags().ResumeOneRecord);
        EXPECT_EQ(view.recordNumber, "");
        EXPECT_FALSE(session->Engine().State().InRecord);
        EXPECT_EQ(g.OutputQueue, "Q");  // the output queue survives a reset
        EXPECT_EQ(port.CallNames().back(), "PurgeQueues");
        session->Resume();
        Tick("3\r");
        EXPECT_EQ(logSink.contents, "1\r3\r");
        EXPECT_EQ(view.recordNumber, "1");
        logSink.contents.clear();
    }
}

TEST_F(SessionControl, ResumeForOneRecordSuspendsAfterTheNextRecord) {
    Start();
    session->Suspend();
    session->ResumeForOneRecord();
    EXPECT_FALSE(session->IsSuspended());
    Tick("1\r2\r");
    EXPECT_TRUE(session->IsSuspended());
    EXPECT_EQ(view.caption, "Quorvane - COM1 (S)");
    EXPECT_EQ(logSink.contents, "1\r2\r");  // the tick's waiting bytes still finish
    Tick("3\r");
    EXPECT_EQ(logSink.contents, "1\r2\r");
}

TEST_F(SessionControl, StringButtonsQueueTheirStrings) {
    g.ButtonString[1] = "T\r";
    g.ButtonString[20] = std::string("P\0", 2);
    Start();
    session->PressStringButton(1);
    session->PressStringButton(2);   // empty string: nothing
    session->PressStringButton(21);  // no such button
    session->PressStringButton(20);
    EXPECT_EQ(g.OutputQueue, std::string("T\rP\0", 4));
    EXPECT_EQ(port.written, "");  // written by the next tick, not at once
    Tick();
    EXPECT_EQ(port.written, std::string("T\rP\0", 4));
    EXPECT_EQ(g.OutputQueue, "");
}

TEST_F(SessionControl, PartialFlushesKeepTheOrder) {
    g.AckString = "ACK";
    Start();
    g.OutputQueue = "0123456789";
    port.writeLimits = {3, 0, 4};
    Tick("1\r");  // 3 written; the record's acknowledgement follows the 7 left
    EXPECT_EQ(g.OutputQueue, "3456789ACK");
    Tick();  // a failed write keeps everything
    EXPECT_EQ(g.OutputQueue, "3456789ACK");
    session->PressStringButton(1);
    g.OutputQueue += "!";
    Tick();
    Tick();
    EXPECT_EQ(port.written, "0123456789ACK!");
    EXPECT_EQ(g.OutputQueue, "");
}

TEST_F(SessionControl, TheOutputQueueIsBoundedForSendsAcknowledgementsAndTimedOutput) {
    // A device that reads nothing while a sender, records and the timer keep adding.
    g.AckString = "ACK";
    g.TimerInterval = 50;
    g.TimerOptions = kTimedOutputEnabled;
    g.TimerString = "T";
    g.ButtonCaption[1] = "Big";
    g.ButtonString[1] = std::string(1000, 'b');
    Start();
    port.writeLimits = {0, 0, 0, 0, 0, 0, 0, 0};
    g.OutputQueue = std::string(kOutputQueueLimit - 1000, 'q');
    session->PressStringButton(1);  // fills the queue to the byte
    EXPECT_EQ(g.OutputQueue.size(), kOutputQueueLimit);
    session->PressStringButton(1);  // refused, and said
    session->PressStringButton(1);  // refused, not said again
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              LoadString(kStrOutputQueueFull, {std::to_string(kOutputQueueLimit)}));
    Tick("1\r");
    Tick("2\r");
    Ticks(3);
    EXPECT_EQ(g.OutputQueue.size(), kOutputQueueLimit) << "nothing grows past the bound";
    EXPECT_NE(logSink.contents.find("2"), std::string::npos) << "records are still delivered";
    EXPECT_EQ(messages.shown.size(), 1u) << "drops are counted, not said one by one";

    port.writeLimits.clear();  // the device takes its output again
    Tick();
    ASSERT_EQ(messages.shown.size(), 2u);
    const std::string said = messages.shown[1].text;
    // Two acknowledgements and the timer's strings of five ticks.
    EXPECT_EQ(said.substr(0, said.find(' ')), "7") << said;
    EXPECT_EQ(said, LoadString(kStrOwnOutputDropped, {"7"}));
    Tick();
    EXPECT_EQ(messages.shown.size(), 2u) << "the count is said once";
    session->PressStringButton(1);
    EXPECT_EQ(messages.shown.size(), 2u) << "a send that fits says nothing";
}

TEST_F(SessionControl, LineButtonsDriveThePort) {
    Start();
    clock.step = 10;
    session->PressDtrButton();
    clock.step = 0;
    session->PressBreakButton();
    const std::vector<std::string> calls = port.CallNames();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3], "SetDtr 0");
    EXPECT_EQ(calls[calls.size() - 2], "SetDtr 1");
    EXPECT_EQ(calls.back(), "StartBreak");
}

TEST_F(SessionControl, VirtualInstrumentModeTouchesNoLine) {
    g.RunMode = kRunVirtual;
    g.AckString = std::string("A\0", 2);
    g.TimerInterval = 100;
    g.TimerOptions = 1 | 8;  // timed BREAK
    g.FlowControl = 3;
    g.WindowButtons = 3;
    Start();
    EXPECT_EQ(view.caption, "Quorvane - COM1 Virtual Device");
    session->PressDtrButton();
    session->PressBreakButton();
    session->Output().SetDtr(false);
    session->Output().SetRts(false);
    device.SendInput("12.5\r");
    Ticks(6);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(logSink.contents, "12.5\r");
    EXPECT_EQ(device.display, "A\xff");  // NUL shown as code 255
    EXPECT_EQ(g.OutputQueue, "");

    session->Suspend();
    EXPECT_EQ(view.caption, "Quorvane - COM1 (S) (Virtual Device)");
    device.SendInput("9");
    session->Reset();
    EXPECT_TRUE(device.PendingInput().empty());
    session->Quit();
    EXPECT_TRUE(device.closed);
    EXPECT_EQ(g.RunMode, kRunSetup);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(SessionControl, UnloadStoresPlacementAndClosesThePort) {
    Start();
    view.hasPlacement = true;
    view.left = 1500;
    view.top = 300;
    session->Quit();
    EXPECT_EQ(settings.values[FakeSettingsStore::Key("Quorvane - COM1", "Settings", "MainLeft")],
              "1500");
    EXPECT_EQ(settings.values[FakeSettingsStore::Key("Quorvane - COM1", "Settings", "MainTop")],
              "300");
    const std::vector<std::string> calls = port.CallNames();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[calls.size() - 3], "SetDtr 0");
    EXPECT_EQ(calls[calls.size() - 2], "SetRts 0");
    EXPECT_EQ(calls.back(), "Close");
    EXPECT_EQ(log.Count("hotkeys.Release"), 1);
    EXPECT_EQ(log.Count("hooks.ShutdownClient"), 1);
    EXPECT_EQ(log.Count("hooks.DisconnectClients"), 0);  // only for a quit asked over DDE
    EXPECT_EQ(g.RunMode, kRunNormal);
    session->Unload();
    EXPECT_EQ(view.closed, 1);
}

TEST_F(SessionControl, NoPlacementNoStoreAndTestModeReturnsToSetup) {
    g.RunMode = kRunTest;
    Start();
    session->Quit();
    EXPECT_EQ(settings.saves, 0);
    EXPECT_EQ(g.RunMode, kRunSetup);
}

TEST_F(SessionControl, ItemsFollowTheBoxes) {
    StartWithTwoServedFields();
    EXPECT_EQ(session->ItemText("Field(1)"), "a");
    EXPECT_EQ(session->ItemText("Field(2)"), "b");
    EXPECT_EQ(session->ItemText("RecordNumber"), "1");
    EXPECT_EQ(session->ItemText("Field(41)"), "");
    EXPECT_EQ(session->ItemText("Field(x)"), "");
    EXPECT_GE(log.IndexOf("hooks.Item(Field(1),a)"), 0);
    EXPECT_GE(log.IndexOf("hooks.Item(RecordNumber,1)"), 0);
}

}  // namespace
TEST_F(SessionControl, AnActivationEmptiesEveryServedItemOfTheConfigurationBefore) {
    StartWithTwoServedFields();
    ASSERT_EQ(session->ItemText("Field(2)"), "b");

    // A reload with more fields: nothing of the old reading may be served as a new one.
    g.NumberOfFields = 3;
    session->Activate();
    EXPECT_EQ(session->ItemText("Field(1)"), "");
    EXPECT_EQ(session->ItemText("Field(2)"), "");
    EXPECT_EQ(session->ItemText("Field(3)"), "");
    std::string value;
    ASSERT_TRUE(ddeHooks.items()->ItemValue("field(2)", value));
    EXPECT_EQ(value, "");
}

}  // namespace quorvane
