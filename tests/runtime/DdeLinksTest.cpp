// The Command Source and Output Buffer links over a hand-fed link client: when links open,
// what arrives on them, the failure messages, the Edit menu and how links end.
#include "runtime/DdeLinks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/FakeDdeCommandHost.h"
#include "fakes/FakeDdeLinkClient.h"
#include "fakes/FakeMessages.h"
#include "runtime/DdeCommandInterpreter.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using Kinds = std::vector<DdeLinkKind>;
constexpr auto kCommand = DdeLinkKind::Command;
constexpr auto kBuffer = DdeLinkKind::Buffer;
constexpr auto kAutomatic = DdeLinkMode::Automatic;
constexpr auto kNone = DdeLinkMode::None;

class DdeLinksTest : public ::testing::Test {
  protected:
    DdeLinksTest() { client.served = {{"Excel", "Sheet1"}, {"Quorvane", "COM2"}}; }
    void CopyLink(const std::string& link) { clipboard.PutLink(link, "value"); }
    void LinkCommand(const std::string& item = "Field(1)") {
        g.CommandLinkApp = "Quorvane";
        g.CommandLinkTopic = "COM2";
        g.CommandLinkItem = item;
        links.EstablishCommandLink();
    }
    void LinkBuffer(const std::string& item = "Field(2)") {
        g.BufferLinkApp = "Quorvane";
        g.BufferLinkTopic = "COM2";
        g.BufferLinkItem = item;
        links.EstablishBufferLink();
    }

    SetupGlobals g;
    FakeDdeLinkClient client;
    FakeMessages messages;
    FakeClipboard clipboard;
    FakeDdeCommandHost host;
    FakeClock clock;
    LocaleInfo locale = LocaleInfo::EnUs();
    DdeCommandInterpreter interpreter{g, host, messages, clock, locale};
    // What a command link's text runs: the interpreter, unless a test says otherwise.
    DdeLinks::CommandRunner runner = [this](const std::string& text) {
        return interpreter.Execute(text);
    };
    Kinds scheduled;
    DdeLinks links{g,
                   client,
                   messages,
                   &clipboard,
                   [this](const std::string& text) { return runner(text); },
                   [this](DdeLinkKind kind) { scheduled.push_back(kind); }};
};

// --- Pasting and opening ---

TEST_F(DdeLinksTest, PastedCommandLinkSetsTheSettingsAndOpensOnlyAtTheTick) {
    CopyLink("Excel|Sheet1!R1C1");
    links.RecomputeEditMenu();
    ASSERT_TRUE(links.IsItemEnabled(LinkMenuItem::PasteCommand));
    links.Perform(LinkMenuItem::PasteCommand);

    EXPECT_EQ(g.CommandLinkApp, "Excel");
    EXPECT_EQ(g.CommandLinkTopic, "Sheet1");
    EXPECT_EQ(g.CommandLinkItem, "R1C1");
    EXPECT_TRUE(client.subscribes.empty());  // not inside the paste
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(scheduled, Kinds{kCommand});

    links.EstablishCommandLink();  // what the next tick does
    EXPECT_EQ(client.subscribes, std::vector<std::string>{"Excel|Sheet1!R1C1"});
    EXPECT_EQ(links.Mode(kCommand), kAutomatic);
    EXPECT_EQ(links.LinkTopic(kCommand), "Excel|Sheet1");
    EXPECT_EQ(links.LinkItem(kCommand), "R1C1");
    EXPECT_TRUE(g.BufferLinkApp.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DdeLinksTest, PastedBufferLinkGoesToTheBufferSettings) {
    CopyLink("Excel|Sheet1");
    links.Perform(LinkMenuItem::PasteBuffer);
    EXPECT_EQ(g.BufferLinkApp, "Excel");
    EXPECT_EQ(g.BufferLinkTopic, "Sheet1");
    EXPECT_EQ(g.BufferLinkItem, "");
    EXPECT_EQ(scheduled, Kinds{kBuffer});
    EXPECT_TRUE(g.CommandLinkApp.empty());
}

TEST_F(DdeLinksTest, PasteOfATextWithoutTopicChangesNothing) {
    g.CommandLinkApp = "Old";
    CopyLink("NoBarHere");
    links.Perform(LinkMenuItem::PasteCommand);
    EXPECT_EQ(g.CommandLinkApp, "Old");
    EXPECT_TRUE(scheduled.empty());
}

TEST_F(DdeLinksTest, RefreshOnlySchedules) {
    LinkCommand();
    client.subscribes.clear();
    links.Perform(LinkMenuItem::RefreshCommand);
    links.Perform(LinkMenuItem::RefreshBuffer);
    EXPECT_EQ(scheduled, (Kinds{kCommand, kBuffer}));
    EXPECT_TRUE(client.subscribes.empty());
}

struct ParseCase {
    const char* text;
    bool valid;
    const char *application, *topic, *item;
};

class ClipboardLinkParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ClipboardLinkParse, SplitsAtTheBarAndTheFirstBangAfterIt) {
    const ParseCase& c = GetParam();
    const auto parsed = ParseClipboardLink(c.text);
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!c.valid) return;
    EXPECT_EQ(*parsed, (ClipboardLink{c.application, c.topic, c.item}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ClipboardLinkParse,
    ::testing::Values(ParseCase{"Excel|Sheet1!R1C1", true, "Excel", "Sheet1", "R1C1"},
                      ParseCase{"Excel|Sheet1", true, "Excel", "Sheet1", ""},
                      ParseCase{"A|B!C!D", true, "A", "B", "C!D"},
                      ParseCase{"A|B|C!D", true, "A", "B|C", "D"},
                      ParseCase{"A!x|T!I", true, "A!x", "T", "I"},
                      ParseCase{"|T!", true, "", "T", ""}, ParseCase{"A|!I", true, "A", "", "I"},
                      ParseCase{"Quorvane|COM1!Field(2)", true, "Quorvane", "COM1", "Field(2)"},
                      ParseCase{"R1C1", false, "", "", ""}, ParseCase{"", false, "", "", ""}));

// --- Failures ---

TEST_F(DdeLinksTest, MissingServerGivesOneMessagePerLinkAndLeavesItOff) {
    g.CommandLinkApp = "Nobody";
    g.CommandLinkTopic = "Here";
    g.CommandLinkItem = "X\xE9";
    g.BufferLinkApp = "Nobody";
    g.BufferLinkTopic = "There";
    links.EstablishCommandLink();
    links.EstablishBufferLink();

    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "Cannot Establish DDE Command Link With: Nobody,Here,X\u00e9");
    EXPECT_EQ(messages.shown[1].text,
              "Cannot Establish DDE Output Buffer Link With: Nobody,There,");
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.title, "Quorvane");
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(links.Mode(kBuffer), kNone);
    EXPECT_EQ(links.LinkTopic(kCommand), "Nobody|Here");  // the steps before the failing one ran
}

TEST_F(DdeLinksTest, NothingIsTriedWithoutApplicationAndTopic) {
    g.CommandLinkApp = "Excel";
    g.BufferLinkTopic = "Sheet1";
    links.EstablishCommandLink();
    links.EstablishBufferLink();
    EXPECT_TRUE(client.subscribes.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DdeLinksTest, AFailedRelinkEndsTheOldLink) {
    LinkCommand();
    const DdeLinkHandle old = client.Find("Field(1)");
    g.CommandLinkTopic = "Gone";
    links.EstablishCommandLink();
    EXPECT_EQ(client.unsubscribes, std::vector<DdeLinkHandle>{old});
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// --- Incoming data ---

TEST_F(DdeLinksTest, CommandTextRunsAndTheLabelIsEmptiedSoARepeatRunsAgain) {
    LinkCommand();
    client.Publish("Field(1)", "{BEEP}");
    EXPECT_EQ(host.log.Count("host.Beep"), 1);
    EXPECT_EQ(links.LabelText(kCommand), "");
    client.Publish("Field(1)", "{BEEP}");
    EXPECT_EQ(host.log.Count("host.Beep"), 2);

    client.Publish("Field(1)", "{NOSUCH}");  // refused, dropped without notice
    client.Publish("Field(1)", "{SEND(Ab)}");
    EXPECT_EQ(g.OutputQueue, "Ab");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DdeLinksTest, EmptyCommandTextIsNotRun) {
    int runs = 0;
    runner = [&](const std::string&) { return ++runs > 0; };
    LinkCommand();
    client.Publish("Field(1)", "");
    EXPECT_EQ(runs, 0);
}

struct BufferCase {
    std::string text;
    bool strip;
    std::string sent;
};

class BufferLinkText : public DdeLinksTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(BufferLinkText, GoesToTheOutputQueue) {
    const BufferCase& c = GetParam();
    g.StripCrLfFromBuffer = c.strip ? kTrue : kFalse;
    g.OutputQueue = "q";
    LinkBuffer();
    client.Publish("Field(2)", c.text);
    EXPECT_EQ(g.OutputQueue, "q" + c.sent);
    EXPECT_EQ(StripCrLf(c.text, c.strip), c.sent);
    // A text that sent nothing stays in the label; one that was sent is emptied.
    EXPECT_EQ(links.LabelText(kBuffer), c.sent.empty() ? c.text : "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BufferLinkText,
    ::testing::Values(BufferCase{"abc\r\n", true, "abc"}, BufferCase{"\r\n", true, ""},
                      BufferCase{"\n", true, "\n"}, BufferCase{"\r", true, "\r"},
                      BufferCase{"abc\n\r", true, "abc\n\r"},
                      BufferCase{"ab\r\n\r\n", true, "ab\r\n"},
                      BufferCase{"abc\r\n", false, "abc\r\n"}, BufferCase{"\r\n", false, "\r\n"},
                      BufferCase{"a\0b"s, true, "a\0b"s}, BufferCase{"", true, ""}));

TEST_F(DdeLinksTest, SameBufferTextTwiceIsSentTwice) {
    LinkBuffer();
    client.Publish("Field(2)", "12.5\r\n");
    client.Publish("Field(2)", "12.5\r\n");
    EXPECT_EQ(g.OutputQueue, "12.512.5");
}

// --- How links end ---

TEST_F(DdeLinksTest, TerminateEndsOneLinkOnly) {
    LinkCommand();
    LinkBuffer();
    links.Perform(LinkMenuItem::TerminateCommand);
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(client.Find("Field(1)"), 0u);
    EXPECT_EQ(links.Mode(kBuffer), kAutomatic);
    client.Publish("Field(2)", "x");
    EXPECT_EQ(g.OutputQueue, "x");

    links.Perform(LinkMenuItem::TerminateBuffer);
    EXPECT_TRUE(client.links.empty());
}

TEST_F(DdeLinksTest, AnItemNotServedGivesTheFailureMessageAndLeavesBothLinksOff) {
    LinkCommand("Nothing");
    LinkBuffer("Nowhere");
    // The other program answers the first request with "no such item".
    client.Break(client.Find("Nothing"));
    client.Break(client.Find("Nowhere"));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "Cannot Establish DDE Command Link With: Quorvane,COM2,Nothing");
    EXPECT_EQ(messages.shown[1].text,
              "Cannot Establish DDE Output Buffer Link With: Quorvane,COM2,Nowhere");
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(links.Mode(kBuffer), kNone);
    EXPECT_TRUE(client.links.empty());
}

TEST_F(DdeLinksTest, ARelinkDoesNotRunTheTextItRanLastButANewLinkDoes) {
    LinkCommand();
    client.Publish("Field(1)", "{BEEP}");
    EXPECT_EQ(host.log.Count("host.Beep"), 1);
    LinkCommand();                         // re-established after a reload, say
    client.Publish("Field(1)", "{BEEP}");  // the item's current value, already run
    EXPECT_EQ(host.log.Count("host.Beep"), 1);
    client.Publish("Field(1)", "{BEEP}");  // a new arrival runs
    EXPECT_EQ(host.log.Count("host.Beep"), 2);
    LinkCommand("Field(3)");  // another item: its current value runs
    client.Publish("Field(3)", "{BEEP}");
    EXPECT_EQ(host.log.Count("host.Beep"), 3);
    LinkCommand("Field(3)");
    client.Publish("Field(3)", "{beep}");  // a different text runs at once
    EXPECT_EQ(host.log.Count("host.Beep"), 4);
}

TEST_F(DdeLinksTest, ErrorTurnsOffTheCommandLinkButNotTheBufferLink) {
    LinkCommand();
    LinkBuffer();
    client.Publish("Field(1)", "");
    client.Publish("Field(2)", "first ");
    client.Break(client.Find("Field(1)"));
    client.Break(client.Find("Field(2)"));
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(client.Find("Field(1)"), 0u);
    EXPECT_EQ(links.Mode(kBuffer), kAutomatic);
    client.Publish("Field(2)", "still");
    EXPECT_EQ(g.OutputQueue, "first still");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DdeLinksTest, CallbacksOfAnEndedLinkAreIgnored) {
    LinkCommand();
    const auto oldValue = client.links.begin()->second.onValue;
    const auto oldError = client.links.begin()->second.onError;
    LinkCommand();  // the same link again: a new subscription
    oldError();
    oldValue("{BEEP}");
    EXPECT_EQ(links.Mode(kCommand), kAutomatic);
    EXPECT_EQ(host.log.Count("host.Beep"), 0);
}

TEST_F(DdeLinksTest, ACommandMayEndOrRemakeItsOwnLink) {
    runner = [this](const std::string& text) {
        if (text == "end") links.Terminate(kCommand);
        if (text == "again") links.EstablishCommandLink();
        return true;
    };
    LinkCommand();
    client.Publish("Field(1)", "again");
    EXPECT_EQ(links.Mode(kCommand), kAutomatic);
    EXPECT_EQ(client.links.size(), 1u);
    client.Publish("Field(1)", "end");
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_TRUE(client.links.empty());
}

TEST_F(DdeLinksTest, UnloadEndsBothLinks) {
    LinkCommand();
    LinkBuffer();
    links.Unload();
    EXPECT_TRUE(client.links.empty());
    EXPECT_EQ(links.Mode(kCommand), kNone);
    EXPECT_EQ(links.Mode(kBuffer), kNone);
}

// --- The Edit menu ---

struct MenuCase {
    LinkMenuItem item;
    bool holdsLink;
    bool commandSet, bufferSet;  // application and topic of the link settings
    DdeLinkMode commandMode, bufferMode;
    bool enabled;
};

class EditMenuRule : public ::testing::TestWithParam<MenuCase> {};

TEST_P(EditMenuRule, FollowsClipboardSettingsAndModes) {
    const MenuCase& c = GetParam();
    SetupGlobals g;
    if (c.commandSet) g.CommandLinkApp = g.CommandLinkTopic = "x";
    if (c.bufferSet) g.BufferLinkApp = g.BufferLinkTopic = "x";
    EXPECT_EQ(LinkMenuItemEnabled(c.item, g, c.holdsLink, c.commandMode, c.bufferMode), c.enabled);
}

using LMI = LinkMenuItem;
INSTANTIATE_TEST_SUITE_P(
    Items, EditMenuRule,
    ::testing::Values(
        MenuCase{LMI::PasteCommand, true, false, false, kNone, kNone, true},
        MenuCase{LMI::PasteCommand, false, true, true, kAutomatic, kAutomatic, false},
        MenuCase{LMI::PasteBuffer, true, false, false, kNone, kNone, true},
        MenuCase{LMI::PasteBuffer, false, true, true, kAutomatic, kAutomatic, false},
        MenuCase{LMI::RefreshCommand, false, true, false, kNone, kNone, true},
        MenuCase{LMI::RefreshCommand, true, false, true, kAutomatic, kAutomatic, false},
        MenuCase{LMI::RefreshBuffer, false, false, true, kNone, kNone, true},
        MenuCase{LMI::RefreshBuffer, true, true, false, kAutomatic, kAutomatic, false},
        MenuCase{LMI::TerminateCommand, false, false, false, kAutomatic, kNone, true},
        MenuCase{LMI::TerminateCommand, true, true, true, kNone, kAutomatic, false},
        MenuCase{LMI::TerminateBuffer, false, false, false, kNone, kAutomatic, true},
        MenuCase{LMI::TerminateBuffer, true, true, true, kAutomatic, kNone, false}));

TEST(EditMenuRefresh, NeedsBothApplicationAndTopic) {
    SetupGlobals g;
    g.CommandLinkApp = "Excel";
    EXPECT_FALSE(LinkMenuItemEnabled(LMI::RefreshCommand, g, true, kNone, kNone));
    g.CommandLinkApp.clear();
    g.CommandLinkTopic = "Sheet1";
    EXPECT_FALSE(LinkMenuItemEnabled(LMI::RefreshCommand, g, true, kNone, kNone));
}

TEST_F(DdeLinksTest, PasteNeedsTheLinkFormatAndPlainText) {
    clipboard.hasLinkFormat = true;
    clipboard.linkData = "Excel|Sheet1!R1C1";
    links.RecomputeEditMenu();
    EXPECT_FALSE(links.IsItemEnabled(LMI::PasteCommand));  // no plain text beside it
    clipboard.hasText = true;
    links.RecomputeEditMenu();
    EXPECT_TRUE(links.IsItemEnabled(LMI::PasteCommand));
    EXPECT_TRUE(links.IsItemEnabled(LMI::PasteBuffer));
}

TEST_F(DdeLinksTest, WithoutADesktopClipboardPasteIsDisabledAndDoesNothing) {
    CopyLink("Excel|Sheet1!R1C1");
    clipboard.available = false;
    EXPECT_EQ(links.UsableClipboard(), nullptr);
    links.RecomputeEditMenu();
    EXPECT_FALSE(links.IsItemEnabled(LMI::PasteCommand));
    EXPECT_FALSE(links.IsItemEnabled(LMI::PasteBuffer));
    links.Perform(LMI::PasteCommand);
    EXPECT_TRUE(g.CommandLinkApp.empty());
    EXPECT_TRUE(scheduled.empty());

    DdeLinks noClipboard{g, client, messages, nullptr};
    noClipboard.RecomputeEditMenu();
    EXPECT_FALSE(noClipboard.IsItemEnabled(LMI::PasteCommand));
}

TEST_F(DdeLinksTest, MenuFollowsTheLinksAsTheyOpenAndEnd) {
    LinkCommand();
    links.RecomputeEditMenu();
    EXPECT_TRUE(links.IsItemEnabled(LMI::TerminateCommand));
    EXPECT_TRUE(links.IsItemEnabled(LMI::RefreshCommand));
    EXPECT_FALSE(links.IsItemEnabled(LMI::TerminateBuffer));
    client.Break(client.Find("Field(1)"));
    links.RecomputeEditMenu();
    EXPECT_FALSE(links.IsItemEnabled(LMI::TerminateCommand));
    EXPECT_TRUE(links.IsItemEnabled(LMI::RefreshCommand));
}

}  // namespace
}  // namespace quorvane
