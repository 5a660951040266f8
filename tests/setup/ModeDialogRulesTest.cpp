#include "setup/ModeDialogRules.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(ModeDialogRules, TrimRemovesOnlyOuterBlanks) {
    const std::pair<const char*, const char*> rows[] = {
        {"", ""},           {"   ", ""},        {"  Notepad  ", "Notepad"}, {"a b", "a b"},
        {" a  b ", "a  b"}, {"\tx\t", "\tx\t"},  // blanks are spaces; other white space belongs to
                                                 // the text
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(TrimBlanks(in), out) << '"' << in << '"';
}

struct TargetRow {
    const char* title;
    const char* command;
    const char* storedTitle;
    const char* storedCommand;
    bool specified;
    bool changed;
};

TEST(ModeDialogRules, TargetAppStoresTrimmedTextsAndWhetherOneIsGiven) {
    const TargetRow rows[] = {
        {"Notepad", "Notepad.exe", "Notepad", "Notepad.exe", true, false},
        {"  Notepad ", " Notepad.exe  ", "Notepad", "Notepad.exe", true, false},
        {"  xterm ", "", "xterm", "", true, true},
        {"", " xterm -e cat", "", "xterm -e cat", true, true},
        {"", "", "", "", false, true},
        {"   ", "  ", "", "", false, true},
    };
    for (const TargetRow& row : rows) {
        SCOPED_TRACE(std::string(row.title) + "|" + row.command);
        SetupGlobals g;
        StoreTargetApp(g, row.title, row.command);
        EXPECT_EQ(g.TargetAppTitle, row.storedTitle);
        EXPECT_EQ(g.TargetAppCommand, row.storedCommand);
        EXPECT_EQ(g.TargetAppSpecified, row.specified ? kTrue : kFalse);
        EXPECT_EQ(IsTrue(g.ConfigChanged), row.changed);
    }
}

TEST(ModeDialogRules, TargetAppSpecifiedIsRepairedWithTheTexts) {
    SetupGlobals g;
    g.TargetAppTitle = "";
    g.TargetAppCommand = "";
    g.TargetAppSpecified = kTrue;  // as a hand-edited file may have it
    StoreTargetApp(g, "", "");
    EXPECT_EQ(g.TargetAppSpecified, kFalse);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST(ModeDialogRules, EachDdeKindReadsAndStoresItsOwnSettings) {
    SetupGlobals g;
    g.CommandLinkApp = "CmdApp";
    g.CommandLinkTopic = "CmdTopic";
    g.CommandLinkItem = "CmdItem";
    g.CommandLinkOnActivation = kTrue;
    g.BufferLinkApp = "BufApp";
    g.BufferLinkOnActivation = kFalse;
    g.StripCrLfFromBuffer = 1;  // any non-zero value is true
    g.DdeTargetItem = "R1C1";

    DdeDialogValues v = DdeValuesOf(g, kDdeCommandTarget);
    EXPECT_EQ(v.App, "Excel");
    EXPECT_EQ(v.Topic, "System");
    EXPECT_EQ(v.Item, "R1C1");
    v = DdeValuesOf(g, kDdeCommandSource);
    EXPECT_EQ(v.App + v.Topic + v.Item, "CmdAppCmdTopicCmdItem");
    EXPECT_TRUE(v.LinkOnActivation);
    v = DdeValuesOf(g, kDdeOutputBuffer);
    EXPECT_EQ(v.App, "BufApp");
    EXPECT_FALSE(v.LinkOnActivation);
    EXPECT_TRUE(v.StripCrLf);
    EXPECT_EQ(DdeValuesOf(g, 7).App, "Excel");

    SetupGlobals s;
    StoreDdeValues(s, kDdeCommandTarget, {" Calc ", " Sheet1 ", " R1C1 ", true, false});
    EXPECT_EQ(s.DdeTargetApp, "Calc");
    EXPECT_EQ(s.DdeTargetTopic, "Sheet1");
    EXPECT_EQ(s.DdeTargetItem, "R1C1");
    EXPECT_EQ(s.CommandLinkOnActivation, kFalse);  // kind 0 has no check boxes
    EXPECT_EQ(s.StripCrLfFromBuffer, kTrue);
    EXPECT_TRUE(IsTrue(s.ConfigChanged));

    SetupGlobals c;
    StoreDdeValues(c, kDdeCommandSource, {"A", "T", "I", true, true});
    EXPECT_EQ(c.CommandLinkApp + c.CommandLinkTopic + c.CommandLinkItem, "ATI");
    EXPECT_EQ(c.CommandLinkOnActivation, kTrue);
    EXPECT_EQ(c.BufferLinkApp, "");
    EXPECT_EQ(c.StripCrLfFromBuffer, kTrue);

    SetupGlobals b;
    StoreDdeValues(b, kDdeOutputBuffer, {"A ", " T", "I", true, false});
    EXPECT_EQ(b.BufferLinkApp + b.BufferLinkTopic + b.BufferLinkItem, "ATI");
    EXPECT_EQ(b.BufferLinkOnActivation, kTrue);
    EXPECT_EQ(b.StripCrLfFromBuffer, kFalse);
    EXPECT_EQ(b.CommandLinkApp, "");
}

TEST(ModeDialogRules, DdeStoreMarksAChangeOnlyWhenAStoredValueDiffers) {
    SetupGlobals g;
    StoreDdeValues(g, kDdeCommandTarget, {"  Excel", "System  ", "", false, false});
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    StoreDdeValues(g, kDdeOutputBuffer, {"", "", "", false, true});
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    StoreDdeValues(g, kDdeOutputBuffer, {"", "", "", false, false});
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.StripCrLfFromBuffer, kFalse);
}

TEST(ModeDialogRules, TopicChoice) {
    EXPECT_EQ(ChosenDdeTopic(false, "Scale"), std::optional<std::string>(""));
    EXPECT_EQ(ChosenDdeTopic(false, ""), std::optional<std::string>(""));
    EXPECT_EQ(ChosenDdeTopic(true, "  Scale 2 "), std::optional<std::string>("Scale 2"));
    EXPECT_EQ(ChosenDdeTopic(true, "   "), std::nullopt);
    EXPECT_EQ(ChosenDdeTopic(true, ""), std::nullopt);
}

TEST(ModeDialogRules, StoreTextAndBoolMarkChangesOnly) {
    int16_t changed = kFalse;
    std::string setting = "hh:mm";
    StoreText(setting, "hh:mm", changed);
    EXPECT_EQ(changed, kFalse);
    StoreText(setting, "hh:mm:ss", changed);
    EXPECT_EQ(changed, kTrue);
    EXPECT_EQ(setting, "hh:mm:ss");

    changed = kFalse;
    int16_t flag = 1;
    StoreBool(flag, true, changed);
    EXPECT_EQ(changed, kFalse);
    EXPECT_EQ(flag, kTrue);
    StoreBool(flag, false, changed);
    EXPECT_EQ(changed, kTrue);
    EXPECT_EQ(flag, kFalse);
}

}  // namespace
}  // namespace quorvane
