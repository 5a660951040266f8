#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
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
        const char* const buttons[][2] = {
            {"Start", "S\r"},    {"Empty", ""},          {"String3", ""}, {"Twice", "first"},
            {"TWICE", "second"}, {"\xc9t\xe9", "summer"}};  // "Été" in Windows-1252
        for (size_t n = 1; n <= 6; ++n) {
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
                      QueueCase{"{SEND(ab}", true, "a"},      // final two characters not examined
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
                      QueueCase{"{PUSH(\xe9t\xe9)}", true, "summer"},  // accented letters too
                      QueueCase{"{PUSH(\xc9T\xc9)}", true, "summer"},
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

// --- TIMERINTERVAL ---

struct IntervalCase {
    const char* text;
    int16_t flagsBefore;
    std::string timerString;
    bool accepted;
    int32_t interval;  // TimerInterval afterwards (it starts at 1000)
    Calls calls;
};

class TimerInterval : public DdeCommandTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(TimerInterval, SetsTheIntervalAndTheMenuItem) {
    g.TimerInterval = 1000;
    g.TimerString = GetParam().timerString;
    host.timedOutputFlags = GetParam().flagsBefore;
    EXPECT_EQ(Run(GetParam().text), GetParam().accepted);
    EXPECT_EQ(g.TimerInterval, GetParam().interval);
    EXPECT_EQ(host.log.calls, GetParam().calls);
}

const Calls kRestartEnabled = {"host.RestartTimedOutputSchedule", "host.SetTimedOutputMenu(1,1)"};
const Calls kRestartDisabled = {"host.RestartTimedOutputSchedule", "host.SetTimedOutputMenu(0,1)"};
const Calls kRestartItemOff = {"host.RestartTimedOutputSchedule", "host.SetTimedOutputMenu(1,0)"};
const Calls kSwitchedOff = {"host.ToggleTimedOutput->0", "host.SetTimedOutputMenu(0,0)"};
const Calls kItemOff = {"host.SetTimedOutputMenu(0,0)"};

INSTANTIATE_TEST_SUITE_P(
    Table, TimerInterval,
    ::testing::Values(
        IntervalCase{"{TIMERINTERVAL=5}", 3, "x", false, 1000, {}},  // one character: refused
        IntervalCase{"{TIMERINTERVAL=0}", 3, "x", false, 1000, {}},
        IntervalCase{"{TIMERINTERVAL=05}", 3, "x", true, 5, kRestartEnabled},
        IntervalCase{"{timerinterval=250}", 2, "x", true, 250, kRestartDisabled},
        IntervalCase{"{TIMERINTERVAL=2.5}", 3, "x", true, 2, kRestartEnabled},
        // Transmitting an empty timer string is no action: the item is disabled.
        IntervalCase{"{TIMERINTERVAL=500}", 3, "", true, 500, kRestartItemOff},
        IntervalCase{"{TIMERINTERVAL=500}", 5, "", true, 500, kRestartEnabled},  // toggle DTR
        IntervalCase{"{TIMERINTERVAL=00}", 3, "x", true, 0, kSwitchedOff},
        IntervalCase{"{TIMERINTERVAL=-7}", 2, "x", true, 0, kItemOff},
        IntervalCase{"{TIMERINTERVAL=0.4}", 2, "x", true, 0, kItemOff},
        IntervalCase{"{TIMERINTERVAL=xy}", 2, "x", true, 0, kItemOff},
        IntervalCase{"{TIMERINTERVAL=2147483647}", 3, "x", true, 2147483647, kRestartEnabled},
        IntervalCase{"{TIMERINTERVAL=2147483648}", 3, "x", false, 1000, {}},
        IntervalCase{"{TIMERINTERVAL=-2147483648}", 2, "x", true, 0, kItemOff},
        IntervalCase{"{TIMERINTERVAL=-2147483649}", 2, "x", false, 1000, {}},
        IntervalCase{"{TIMERINTERVAL=1e999}", 2, "x", false, 1000, {}}));

// --- Files: SENDFILE and CONFIG ---

class FileCommandTest : public DdeCommandTest {
  protected:
    void SetUp() override {
        DdeCommandTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("quorvane-commands-" + std::string(info->name()) + "-" +
                  std::to_string(std::random_device{}()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // A configuration of the given port, written by the program's own writer.
    std::string WriteConfig(const std::string& name, int16_t portIndex) {
        SetupGlobals file;
        ResetToDefaults(file, folder.string());
        file.PortIndex = portIndex;
        file.ConfigFileName = (folder / name).string();
        EXPECT_TRUE(WriteConfigFile(file, messages));
        return file.ConfigFileName;
    }

    std::filesystem::path folder;
};

TEST_F(FileCommandTest, SendFileQueuesEveryByte) {
    const std::string bytes = "line 1\r\n\0\xff\x1a end"s;
    const std::string path = WriteFile("Data File.BIN", bytes);
    EXPECT_TRUE(Run("{SENDFILE(" + path + ")}"));
    EXPECT_EQ(g.OutputQueue, "q" + bytes);
    EXPECT_TRUE(Run("{SENDFILE(" + WriteFile("empty", "") + ")}"));
    EXPECT_EQ(g.OutputQueue, "q" + bytes);
}

TEST_F(FileCommandTest, SendFileIsLimitedByTheFreeQueueSpace) {
    g.OutputQueue = std::string(1000, 'q');
    const std::string fits = WriteFile("fits", std::string(131000 - 1000, 'f'));
    const std::string over = WriteFile("over", std::string(131000 - 1000 + 1, 'o'));
    EXPECT_FALSE(Run("{SENDFILE(" + over + ")}"));
    EXPECT_EQ(g.OutputQueue, std::string(1000, 'q'));
    EXPECT_TRUE(Run("{SENDFILE(" + fits + ")}"));
    EXPECT_EQ(g.OutputQueue.size(), 131000u);
    // A full queue takes no more, not even an empty file.
    g.OutputQueue += "x";
    EXPECT_FALSE(Run("{SENDFILE(" + WriteFile("empty", "") + ")}"));
    EXPECT_EQ(g.OutputQueue.size(), 131001u);
}

TEST_F(FileCommandTest, SendFileRefusesWhatCannotBeRead) {
    EXPECT_FALSE(Run("{SENDFILE(" + (folder / "missing").string() + ")}"));
    EXPECT_FALSE(Run("{SENDFILE(" + folder.string() + ")}"));  // a folder
    // The path keeps its case: DATA is not data here.
    WriteFile("data", "abc");
    EXPECT_FALSE(Run("{SENDFILE(" + (folder / "DATA").string() + ")}"));
    EXPECT_EQ(g.OutputQueue, "q");
}

TEST_F(FileCommandTest, ConfigForTheSamePortReloads) {
    host.portIndex = 2;
    g.ConfigFileName = "/old.qv3";
    const std::string path = WriteConfig("Lab Scale.qv3", 2);
    EXPECT_TRUE(Run("{config(" + path + ")}"));
    EXPECT_EQ(g.ConfigFileName, path);  // letter case kept
    EXPECT_EQ(host.log.calls, Calls{"host.ReloadConfiguration"});
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandTest, ConfigForAnotherPortIsRefused) {
    host.portIndex = 0;
    g.ConfigFileName = "/old.qv3";
    EXPECT_FALSE(Run("{CONFIG(" + WriteConfig("com2.qv3", 1) + ")}"));
    EXPECT_EQ(g.ConfigFileName, "/old.qv3");
    EXPECT_TRUE(host.log.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandTest, ConfigRefusesInvalidAndMissingFiles) {
    EXPECT_FALSE(Run("{CONFIG(" + WriteFile("notes.qv3", "hello\r\n0\r\n") + ")}"));
    ASSERT_EQ(messages.shown.size(), 1u);  // the invalid-file message
    const std::string missing = (folder / "missing.qv3").string();
    EXPECT_FALSE(Run("{CONFIG(" + missing + ")}"));
    ASSERT_EQ(messages.shown.size(), 2u);  // a missing file is named with the reason
    EXPECT_EQ(messages.shown[1].text, missing + ": No such file or directory");
    EXPECT_TRUE(host.log.calls.empty());
}

TEST_F(FileCommandTest, ConfigIsRefusedInVirtualInstrumentMode) {
    host.virtualInstrument = true;
    EXPECT_FALSE(Run("{CONFIG(" + WriteConfig("com1.qv3", 0) + ")}"));
    EXPECT_TRUE(host.log.calls.empty());
}

TEST_F(FileCommandTest, ConfigThatFailsToLoadKeepsTheRunningName) {
    host.reloadSucceeds = false;
    g.ConfigFileName = "/old.qv3";
    EXPECT_FALSE(Run("{CONFIG(" + WriteConfig("com1.qv3", 0) + ")}"));
    EXPECT_EQ(host.log.calls, Calls{"host.ReloadConfiguration"});
    EXPECT_EQ(g.ConfigFileName, "/old.qv3");
}

}  // namespace
}  // namespace quorvane
