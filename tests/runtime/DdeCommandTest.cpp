#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/ConfigFile.h"
#include "config/SetupGlobals.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeCommandHost.h"
#include "fakes/FakeMessages.h"
#include "runtime/DdeCommandInterpreter.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using Calls = std::vector<std::string>;

class DdeCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g.NumberOfFields = 2;
        g.OutputQueue = "q";  // a refused command must leave what was queued
        const char* const buttons[][2] = {{"Start", "S\r"},
                                          {"Empty", ""},
                                          {"String3", ""},
                                          {"Twice", "first"},
                                          {"TWICE", "second"}};
        for (size_t n = 1; n <= 5; ++n) {
            g.ButtonCaption[n] = buttons[n - 1][0];
            g.ButtonString[n] = buttons[n - 1][1];
        }
    }
    bool Run(std::string_view text) { return interpreter.Execute(text); }

    SetupGlobals g;
    FakeDdeCommandHost host;
    FakeMessages messages;
    FakeClock clock;
    LocaleInfo locale = LocaleInfo::EnUs();
    DdeCommandInterpreter interpreter{g, host, messages, clock, locale};
};

// --- The shape of a command ---

struct ShapeCase {
    const char* text;
    bool accepted;
    int beeps;
};

class CommandShape : public DdeCommandTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(CommandShape, MatchesOnlyWholeCommands) {
    EXPECT_EQ(Run(GetParam().text), GetParam().accepted);
    EXPECT_EQ(host.log.Count("host.Beep"), GetParam().beeps);
    EXPECT_EQ(g.OutputQueue, "q");
}

INSTANTIATE_TEST_SUITE_P(
    Normalisation, CommandShape,
    ::testing::Values(ShapeCase{"{BEEP}", true, 1}, ShapeCase{"  [beep]  ", true, 1},
                      ShapeCase{"{BEEP]", true, 1}, ShapeCase{"[BEEP}", true, 1},
                      ShapeCase{"{Beep}xyz", true, 1},         // text after the last brace
                      ShapeCase{"{BEEP}]trailing", false, 0},  // cut after the last ]: {BEEP}}
                      ShapeCase{"{BEEP}{BEEP}", false, 0},     // one command per Execute
                      ShapeCase{"", true, 0}, ShapeCase{"    ", true, 0},
                      ShapeCase{"xyz", false, 0}, ShapeCase{"{BEEP", false, 0},
                      ShapeCase{"{ BEEP}", false, 0}, ShapeCase{"BEEP}", false, 0},
                      ShapeCase{"\t{BEEP}", false, 0},  // only spaces are trimmed
                      ShapeCase{"{BEEPS}", false, 0}, ShapeCase{"{}", false, 0}));

// --- Bare commands ---

struct BareCase {
    const char* text;
    bool virtualInstrument;
    bool suspended;
    int16_t timerFlags;
    Calls calls;
};

class BareCommand : public DdeCommandTest, public ::testing::WithParamInterface<BareCase> {};

TEST_P(BareCommand, IsAcceptedWithItsEffect) {
    host.virtualInstrument = GetParam().virtualInstrument;
    host.suspended = GetParam().suspended;
    host.timedOutputFlags = GetParam().timerFlags;
    EXPECT_TRUE(Run(GetParam().text));
    EXPECT_EQ(host.log.calls, GetParam().calls);
    EXPECT_EQ(g.OutputQueue, "q");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BareCommand,
    ::testing::Values(BareCase{"{TIMER-OFF}", false, false, 3, {"host.ToggleTimedOutput->0"}},
                      BareCase{"{TIMER-OFF}", false, false, 2, {}},
                      BareCase{"{TIMER-ON}", false, false, 2, {"host.ToggleTimedOutput->1"}},
                      BareCase{"{timer-on}", false, false, 3, {}},
                      BareCase{"{RESUME1}", false, true, 0, {"host.ResumeForOneRecord"}},
                      BareCase{"{RESUME1}", false, false, 0, {}},
                      BareCase{"{SUSPEND}", false, false, 0, {"host.Suspend"}},
                      BareCase{"{SUSPEND}", false, true, 0, {}},
                      BareCase{"{RESUME}", false, true, 0, {"host.Resume"}},
                      BareCase{"{RESUME}", false, false, 0, {}},
                      BareCase{"{BREAK}", false, false, 0, {"host.StartBreak"}},
                      BareCase{"{TOGGLEDTR}", false, false, 0, {"host.PulseDtr"}},
                      BareCase{"{DTR=ON}", false, false, 0, {"host.SetDtr(1)"}},
                      BareCase{"{DTR=OFF}", false, false, 0, {"host.SetDtr(0)"}},
                      BareCase{"{RTS=ON}", false, false, 0, {"host.SetRts(1)"}},
                      BareCase{"{RTS=OFF}", false, false, 0, {"host.SetRts(0)"}},
                      // No port lines in Virtual Instrument mode: accepted, nothing done.
                      BareCase{"{BREAK}", true, false, 0, {}},
                      BareCase{"{TOGGLEDTR}", true, false, 0, {}},
                      BareCase{"{DTR=ON}", true, false, 0, {}},
                      BareCase{"{RTS=OFF}", true, false, 0, {}},
                      BareCase{"{RESET}", false, false, 0, {"host.Reset"}},
                      BareCase{"{CLEAR}", false, false, 0, {"host.ClearFieldBoxes"}},
                      BareCase{"{APPNORMAL}", false, false, 0, {"host.ShowNormal"}},
                      BareCase{"{APPMINIMIZE}", false, false, 0, {"host.Minimize"}},
                      BareCase{"{APPEXIT}", false, true, 0, {"host.RequestExit"}}));

TEST_F(DdeCommandTest, StripCrLfSwitchesTheSetting) {
    EXPECT_TRUE(Run("{STRIPCRLF-OFF}"));
    EXPECT_EQ(g.StripCrLfFromBuffer, kFalse);
    EXPECT_TRUE(Run("[stripcrlf-on]"));
    EXPECT_EQ(g.StripCrLfFromBuffer, kTrue);
}

// --- Link items of the Edit menu ---

struct LinkCase {
    const char* text;
    LinkMenuItem item;
};

class LinkCommand : public DdeCommandTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkCommand, RecomputesTheMenuThenPerformsAnEnabledItem) {
    const size_t item = static_cast<size_t>(GetParam().item);
    host.nextItemEnabled[item] = true;  // enabled only once the menu is recomputed
    EXPECT_TRUE(Run(GetParam().text));
    EXPECT_EQ(host.log.calls,
              (Calls{"host.RecomputeEditMenu",
                     "host.PerformLinkItem(" + std::to_string(static_cast<int>(item)) + ")"}));
}

TEST_P(LinkCommand, IsRefusedWhileTheItemIsDisabled) {
    host.itemEnabled.fill(true);  // stale state from before the recompute
    host.nextItemEnabled.fill(true);
    host.nextItemEnabled[static_cast<size_t>(GetParam().item)] = false;
    EXPECT_FALSE(Run(GetParam().text));
    EXPECT_EQ(host.log.calls, Calls{"host.RecomputeEditMenu"});
}

INSTANTIATE_TEST_SUITE_P(
    SixItems, LinkCommand,
    ::testing::Values(LinkCase{"{PASTE-COMMAND}", LinkMenuItem::PasteCommand},
                      LinkCase{"{REFRESH-COMMAND}", LinkMenuItem::RefreshCommand},
                      LinkCase{"{TERMINATE-COMMAND}", LinkMenuItem::TerminateCommand},
                      LinkCase{"{PASTE-BUFFER}", LinkMenuItem::PasteBuffer},
                      LinkCase{"{REFRESH-BUFFER}", LinkMenuItem::RefreshBuffer},
                      LinkCase{"{TERMINATE-BUFFER}", LinkMenuItem::TerminateBuffer}));

TEST_F(DdeCommandTest, WithoutAClipboardPastingIsRefusedAndCopyingDoesNothing) {
    host.hasClipboard = false;
    host.nextItemEnabled.fill(true);
    EXPECT_FALSE(Run("{PASTE-COMMAND}"));
    EXPECT_FALSE(Run("{PASTE-BUFFER}"));
    EXPECT_TRUE(Run("{REFRESH-COMMAND}"));
    EXPECT_TRUE(Run("{COPYDATE}"));
    EXPECT_TRUE(Run("{COPYRECNUM}"));
    EXPECT_TRUE(Run("{COPYFIELD(1)}"));
    EXPECT_EQ(host.log.Count("host.PerformLinkItem"), 1);
    EXPECT_EQ(host.log.Count("clipboard."), 0);
}

// --- Clipboard copies ---

TEST_F(DdeCommandTest, CopyCommandsPutTheItemLinkAndText) {
    host.topic = "SCALE";
    host.items = {{"DateTime", "12/7/2026"}, {"RecordNumber", "17"}, {"Field(2)", "12.5"}};
    EXPECT_TRUE(Run("{COPYDATE}"));
    EXPECT_TRUE(Run("{COPYRECNUM}"));
    EXPECT_TRUE(Run("{copyfield(2)}"));
    EXPECT_EQ(host.log.calls, (Calls{"clipboard.PutLink(Quorvane|SCALE!DateTime,12/7/2026)",
                                     "clipboard.PutLink(Quorvane|SCALE!RecordNumber,17)",
                                     "clipboard.PutLink(Quorvane|SCALE!Field(2),12.5)"}));
}

struct CopyFieldCase {
    const char* text;
    const char* item;  // nullptr: refused
};

class CopyField : public DdeCommandTest, public ::testing::WithParamInterface<CopyFieldCase> {};

TEST_P(CopyField, TakesTheRoundedFieldNumberWithinTheFields) {
    EXPECT_EQ(Run(GetParam().text), GetParam().item != nullptr);
    if (GetParam().item) {
        EXPECT_EQ(host.clipboard.link, std::string("Quorvane|COM1!") + GetParam().item);
    } else {
        EXPECT_TRUE(host.log.calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, CopyField,
    ::testing::Values(
        CopyFieldCase{"{COPYFIELD(0)}", nullptr}, CopyFieldCase{"{COPYFIELD(1)}", "Field(1)"},
        CopyFieldCase{"{COPYFIELD(2)}", "Field(2)"},
        CopyFieldCase{"{COPYFIELD(3)}", nullptr},  // two fields configured
        CopyFieldCase{"{COPYFIELD(-1)}", nullptr}, CopyFieldCase{"{COPYFIELD(0.6)}", "Field(1)"},
        CopyFieldCase{"{COPYFIELD(0.5)}", nullptr},  // halves go to even: 0
        CopyFieldCase{"{COPYFIELD(1.5)}", "Field(2)"},
        CopyFieldCase{"{COPYFIELD(2.5)}", "Field(2)"},
        CopyFieldCase{"{COPYFIELD(2abc)}", "Field(2)"},
        CopyFieldCase{"{COPYFIELD(x)}", nullptr},  // no number reads as 0
        CopyFieldCase{"{COPYFIELD(1e999)}", nullptr}, CopyFieldCase{"{COPYFIELD()}", nullptr}));
// --- Commands that queue output ---

struct QueueCase {
    const char* text;
    bool accepted;
    std::string queued;  // what follows the "q" already in the queue
};

class QueueCommand : public DdeCommandTest, public ::testing::WithParamInterface<QueueCase> {};

TEST_P(QueueCommand, AppendsOnlyWhenAccepted) {
    EXPECT_EQ(Run(GetParam().text), GetParam().accepted) << GetParam().text;
    EXPECT_EQ(g.OutputQueue, "q" + GetParam().queued) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Send, QueueCommand,
    ::testing::Values(QueueCase{"{send(Abc)}", true, "Abc"},  // the argument keeps its case
                      QueueCase{"{SEND()}", false, ""},       // a call needs one character
                      QueueCase{"{SEND(x)}", true, "x"}, QueueCase{"[SEND( a b )]", true, " a b "},
                      QueueCase{"{SEND(a)}b}", true, "a)}"},  // the last brace ends the command
                      QueueCase{"{SEND(ab}", true, "a"},     // final two characters not examined
                      QueueCase{"{SENDOUT('Hi',13,10)}", true, "Hi\r\n"},
                      QueueCase{"{sendout(27'P'0)}", true, "\x1bP\0"s},
                      QueueCase{"{SENDOUT()}", false, ""}));

INSTANTIATE_TEST_SUITE_P(
    SendCode, QueueCommand,
    ::testing::Values(
        QueueCase{"{SENDCODE(255)}", true, "\xff"}, QueueCase{"{SENDCODE(65)}", true, "A"},
        QueueCase{"{SENDCODE(65.5)}", true, "B"},  // halves to even
        QueueCase{"{SENDCODE(64.5)}", true, "@"}, QueueCase{"{SENDCODE(255.4)}", true, "\xff"},
        QueueCase{"{SENDCODE(0)}", true, "\0"s},
        QueueCase{"{SENDCODE(abc)}", true, "\0"s},  // no number is 0
        QueueCase{"{SENDCODE(1e2)}", true, "d"},
        QueueCase{"{SENDCODE(-0.4)}", false, ""},  // range checked before rounding
        QueueCase{"{SENDCODE(256)}", false, ""}, QueueCase{"{SENDCODE(255.5)}", false, ""},
        QueueCase{"{SENDCODE(-1)}", false, ""},
        QueueCase{"{SENDCODE(&H41)}", true, "\0"s},  // decimal numbers only
        QueueCase{"{SENDCODE(1e999)}", false, ""}));

INSTANTIATE_TEST_SUITE_P(
    Push, QueueCommand,
    ::testing::Values(QueueCase{"{PUSH(Start)}", true, "S\r"},
                      QueueCase{"{push(start)}", true, "S\r"},    // captions match in any case
                      QueueCase{"{PUSH(String3)}", true, ""},     // hidden for its empty string
                      QueueCase{"{PUSH(Twice)}", true, "first"},  // the first button wins
                      QueueCase{"{PUSH(Start )}", false, ""}, QueueCase{"{PUSH(Star)}", false, ""},
                      QueueCase{"{PUSH(Nothing)}", false, ""}));

TEST_F(DdeCommandTest, PushLinesPulseDtrAndBreakOutsideVirtualInstrumentMode) {
    g.ButtonCaption[1] = "DTR~";  // the line names take precedence over captions
    g.ButtonString[1] = "x";
    EXPECT_TRUE(Run("{PUSH(dtr~)}"));
    EXPECT_TRUE(Run("{PUSH(Break)}"));
    EXPECT_EQ(host.log.calls, (Calls{"host.PulseDtr", "host.StartBreak"}));
    host.virtualInstrument = true;
    EXPECT_FALSE(Run("{PUSH(DTR~)}"));
    EXPECT_FALSE(Run("{PUSH(BREAK)}"));
    EXPECT_EQ(host.log.calls.size(), 2u);
    EXPECT_EQ(g.OutputQueue, "q");
}

TEST_F(DdeCommandTest, SendKeepsEveryByte) {
    EXPECT_TRUE(Run("{SEND(\0\xff\r\n)}"s));
    EXPECT_EQ(g.OutputQueue, "q\0\xff\r\n"s);
}

TEST_F(DdeCommandTest, SendDateFormatsThePresentMoment) {
    clock.now = {2026, 12, 7, 21, 5, 9};
    EXPECT_TRUE(Run("{SENDDATE(yyyy-mm-dd hh:nn:ss)}"));
    EXPECT_EQ(g.OutputQueue, "q2026-12-07 21:05:09");
    EXPECT_TRUE(Run("{senddate(Long Date)}"));  // the format keeps its case
    EXPECT_EQ(g.OutputQueue, "q2026-12-07 21:05:09Monday, December 7, 2026");
}

TEST_F(DdeCommandTest, TimerStringTakesTheDecodedNotation) {
    EXPECT_FALSE(Run("{TIMERSTRING=7}"));  // an assignment needs two characters
    EXPECT_EQ(g.TimerString, "");
    EXPECT_TRUE(Run("{TIMERSTRING=07}"));
    EXPECT_EQ(g.TimerString, "\x07");
    EXPECT_TRUE(Run("{timerstring='W',13}"));
    EXPECT_EQ(g.TimerString, "W\r");
    EXPECT_EQ(g.OutputQueue, "q");
}

}  // namespace
}  // namespace quorvane
