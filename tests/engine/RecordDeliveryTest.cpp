// The order of delivery calls in each mode, across the view, the keystroke target and the
// DDE client, and the date and time tokens.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"
#include "engine/RecordDelivery.h"

namespace quorvane {
namespace {

using Calls = std::vector<std::string>;

struct TokenCase {
    std::string text;
    std::string expanded;
};

class DateTimeTokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(DateTimeTokens, FirstOccurrenceOfEachInAnyCase) {
    const DateTimeParts now{2026, 12, 7, 9, 5, 3};
    EXPECT_EQ(ExpandDateTimeTokens(GetParam().text, now), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(Table, DateTimeTokens,
                         ::testing::Values(TokenCase{"{MONTH}/{DAY}/{YEAR} ", "12/07/26 "},
                                           TokenCase{"{DAY}{DAY}", "07{DAY}"},
                                           TokenCase{"{century}{Year}", "2026"},
                                           TokenCase{"{HOUR}:{MINUTE}:{SECOND}", "09:05:03"},
                                           TokenCase{"{TAB}{YEAR", "{TAB}{YEAR"}, TokenCase{"", ""},
                                           TokenCase{"{ENTER}", "{ENTER}"}));

class RecordDeliveryTest : public EngineFixture {
  protected:
    void Keystrokes() {
        g.Mode = kModeKeystrokes;
        g.TargetAppTitle = "Notepad";
        g.TargetAppCommand = "notepad";
    }
    void Dde() { g.Mode = kModeDde; }
};

TEST_F(RecordDeliveryTest, KeystrokesFoundTargetThenFocusBack) {
    Keystrokes();
    keys.caption = "Untitled - Notepad";
    Delimited(2, ",");
    g.RecordPreamble = "<";
    g.FieldPostamble[1] = "{TAB}";
    g.FieldPostamble[2] = "{ENTER}";
    Start();
    Feed("a,b\r");
    EXPECT_EQ(calls.calls,
              (Calls{"keys.GetForegroundWindow", "view.SetFieldText(1,a)",
                     "view.SetFieldText(2,b{ENTER})", "keys.FindTargetWindow(Notepad)",
                     "keys.IsOwnWindowForeground", "keys.SendKeyMacro(<a{TAB}b{ENTER}{ENTER})",
                     "keys.SetForegroundWindow(100)", "view.SetRecordNumberText(1)"}));
}

TEST_F(RecordDeliveryTest, KeystrokesMinimizedTargetIsMinimizedAgain) {
    Keystrokes();
    keys.search = {200, true};
    keys.caption = "Untitled - Notepad";
    Start();
    Feed("x\r");
    const int typed = calls.IndexOf("keys.SendKeyMacro");
    EXPECT_EQ(calls.IndexOf("keys.MinimizeWindow(200)"), typed + 1);
    EXPECT_EQ(calls.IndexOf("keys.SetForegroundWindow(100)"), typed + 2);
}

// A window whose caption lacks the title is not the target: the command starts one.
TEST_F(RecordDeliveryTest, KeystrokesOtherCaptionStartsTheTarget) {
    Keystrokes();
    keys.caption = "Calculator";
    Start();
    Feed("x\r");
    EXPECT_GE(calls.IndexOf("keys.LaunchTarget(notepad)"), 0);
    EXPECT_EQ(calls.IndexOf("keys.MinimizeWindow(200)"), -1);
}

TEST_F(RecordDeliveryTest, KeystrokesStartedTargetKeepsTheFocus) {
    Keystrokes();
    keys.search = {0, false};
    Start();
    Feed("x\r");
    EXPECT_EQ(calls.IndexOf("keys.LaunchTarget(notepad)"),
              calls.IndexOf("keys.FindTargetWindow") + 1);
    EXPECT_EQ(keys.typed, (std::vector<std::string>{"x{ENTER}"}));
    EXPECT_GE(calls.IndexOf("keys.SetForegroundWindow(300)"), 0);
}

TEST_F(RecordDeliveryTest, KeystrokesFailedStartTypesNothingButCountsAndEmpties) {
    Keystrokes();
    keys.search = {0, false};
    keys.launch = {true, 0};
    Delimited(2, ",");
    Start();
    Feed("a,b,c\r");
    EXPECT_TRUE(keys.typed.empty());
    EXPECT_EQ(calls.IndexOf("keys.IsOwnWindowForeground"), -1);
    EXPECT_EQ(calls.IndexOf("keys.SetForegroundWindow"), -1);
    EXPECT_EQ(view.fields[1], "a");
    EXPECT_EQ(view.recordNumber, "1");
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
    Feed("d,e\r");  // the next record tries again
    EXPECT_EQ(calls.Count("keys.LaunchTarget"), 2);
}

TEST_F(RecordDeliveryTest, KeystrokesNotFoundWithoutCommandTypeIntoTheFocus) {
    Keystrokes();
    keys.search = {0, false};
    g.TargetAppCommand.clear();
    Start();
    Feed("x\r");
    EXPECT_EQ(calls.IndexOf("keys.LaunchTarget"), -1);
    EXPECT_EQ(keys.typed.size(), 1u);
}

TEST_F(RecordDeliveryTest, KeystrokesWithOwnWindowInFrontTypeNothing) {
    Keystrokes();
    keys.ownWindowForeground = true;
    Start();
    Feed("12\r");
    EXPECT_TRUE(keys.typed.empty());
    EXPECT_EQ(view.fields[1], "12{ENTER}");
    EXPECT_EQ(view.recordNumber, "1");
    EXPECT_EQ(engine.FieldData()[1], "");
}

TEST_F(RecordDeliveryTest, KeystrokesWithoutTargetGoToTheFocusAndGiveItBack) {
    Keystrokes();
    g.TargetAppSpecified = kFalse;
    keys.foreground = 55;
    Start();
    Feed("1\r");
    EXPECT_EQ(calls.IndexOf("keys.FindTargetWindow"), -1);
    EXPECT_EQ(keys.typed, (std::vector<std::string>{"1{ENTER}"}));
    EXPECT_GE(calls.IndexOf("keys.SetForegroundWindow(55)"), 0);
}

TEST_F(RecordDeliveryTest, KeystrokesExpandTokensFromTheClock) {
    Keystrokes();
    g.TargetAppSpecified = kFalse;
    g.RecordPreamble = "{MONTH}/{DAY}/{YEAR} ";
    g.FieldPostamble[1] = "{hour}";
    Start();
    Feed("x\r");
    EXPECT_EQ(keys.typed[0], "12/07/26 x{ENTER}09");
}

TEST_F(RecordDeliveryTest, DdeOrderPreambleThenItemAndPostamblePerField) {
    Dde();
    Delimited(2, ",");
    g.RecordPreamble = "[pre {DAY}]";
    g.FieldPostamble[1] = "[p1]";
    g.FieldPostamble[2] = "";
    Start();
    Feed("a,b\r");
    EXPECT_EQ(calls.calls, (Calls{"dde.Connect(Excel,System)", "dde.Execute(7,[pre {DAY}])",
                                  "view.SetFieldText(1,a)", "dde.Execute(7,[p1])",
                                  "view.SetFieldText(2,b)", "view.SetRecordNumberText(1)"}));
    EXPECT_EQ(flags.DdeConversation, 7u);
    Feed("c,d\r");
    EXPECT_EQ(dde.connects, 1);  // the open conversation is kept
}

TEST_F(RecordDeliveryTest, DdeWithoutCommandsNeverConnects) {
    Dde();
    Delimited(2, ",");
    g.FieldPostamble[1].clear();
    g.FieldPostamble[2].clear();
    Start();
    Feed("a,b\r");
    EXPECT_EQ(dde.connects, 0);
    EXPECT_EQ(view.fields[2], "b");
}

TEST_F(RecordDeliveryTest, DdeTargetNotRunningItemsStillUpdateEachRecordRetries) {
    Dde();
    dde.connectResult = 0;
    g.RecordPreamble = "[x]";
    Start();
    Feed("1\r2\r");
    EXPECT_EQ(dde.connects, 2);
    EXPECT_TRUE(dde.executed.empty());
    EXPECT_EQ(view.fields[1], "2");
    EXPECT_EQ(view.recordNumber, "2");
}

TEST_F(RecordDeliveryTest, DdeConversationClearedByDisconnectReconnects) {
    Dde();
    g.RecordPreamble = "[x]";
    Start();
    Feed("1\r");
    flags.DdeConversation = 0;
    Feed("2\r");
    EXPECT_EQ(dde.connects, 2);
}

TEST_F(RecordDeliveryTest, LogShowsFieldsThenWritesOneText) {
    Delimited(2, ",");
    g.RecordPreamble = "{YEAR}:";
    Start();
    Feed("a,b\r");
    EXPECT_EQ(calls.calls, (Calls{"view.SetFieldText(1,a)", "view.SetFieldText(2,b\r)",
                                  "log.Open(/tmp/test.log)", "log.Write(26:a|b\r|)", "log.Close",
                                  "view.SetRecordNumberText(1)"}));
}

TEST_F(RecordDeliveryTest, UnknownModeStillEmptiesTheFields) {
    g.Mode = 7;
    Delimited(2, ",");
    Start();
    Feed("a,b,c\r");
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
}

}  // namespace
}  // namespace quorvane
