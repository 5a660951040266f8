#include "config/SetupGlobals.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "config/ConfigWriter.h"
#include "config/KeyNames.h"

namespace quorvane {
namespace {

SetupGlobals FileNew(bool directKeyEvents = false) {
    SetupGlobals g;
    g.DirectKeyEvents = directKeyEvents ? kTrue : kFalse;
    ResetToDefaults(g, "/home/kim");
    return g;
}

std::string Stored(const SetupGlobals& g) {
    std::string bytes;
    EXPECT_TRUE(SerializeConfig(g, bytes));
    return bytes;
}

TEST(SetupGlobals, FileNewDefaults) {
    const SetupGlobals g = FileNew();
    EXPECT_EQ(BaudRate(g.BaudRateIndex), 9600);
    EXPECT_EQ(g.Parity, 2);         // Even
    EXPECT_EQ(g.DataBitsIndex, 2);  // 7 data bits
    EXPECT_EQ(g.StopBits, 0);
    EXPECT_EQ(g.FlowControl, 0);
    EXPECT_EQ(g.InputBufferSize, 4096);
    EXPECT_EQ(g.OutputBufferSize, 512);
    EXPECT_EQ(g.RecordStructure, 0);
    EXPECT_EQ(g.EndOfRecordEvent, 0);
    EXPECT_EQ(g.NumberOfFields, 1);
    EXPECT_EQ(g.DelimiterChar, ",");
    EXPECT_EQ(g.Mode, kModeKeystrokes);
    EXPECT_EQ(g.TargetAppTitle, "Notepad");
    EXPECT_EQ(g.TargetAppCommand, "Notepad.exe");
    EXPECT_EQ(g.TargetAppSpecified, kTrue);
    EXPECT_EQ(g.DdeTargetApp, "Excel");
    EXPECT_EQ(g.DdeTargetTopic, "System");
    EXPECT_EQ(g.StripCrLfFromBuffer, kTrue);
    EXPECT_EQ(g.LogFileName, "/home/kim/Quorvane.Log");
    EXPECT_EQ(g.ButtonCaption[1], "String1");
    EXPECT_EQ(g.ButtonCaption[20], "String20");
    for (int n = 1; n <= kMaxFields; ++n) EXPECT_EQ(g.FieldFilter[n], "C");
    for (int s = 0; s < kHotKeySlots; ++s) EXPECT_EQ(g.HotKeyCode[s] & 0xFF, 0) << s;
    EXPECT_EQ(g.ConfigLoaded, kFalse);
    EXPECT_EQ(g.ConfigChanged, kFalse);
}

TEST(SetupGlobals, ResetReplacesEveryStoredSettingButKeepsTheWorkingState) {
    SetupGlobals g = FileNew();
    g.PortIndex = 7;
    g.ButtonCaption[20] = "Tare";
    g.ButtonString[3] = "x";
    g.FieldMath[40] = "field(40)";
    g.FieldFilter[12] = "H";
    g.HotKeyCode[3] = 1649;
    g.HotKeyString[49] = "h";
    g.ActivateSuspended = kTrue;
    g.AlwaysOnTop = kTrue;
    g.DdeTopicName = "Topic";
    g.TransferKeyTable[13] = "~";
    g.InputTranslation[0] = "Ignore";
    g.TransferCharTableLog[5] = 'x';
    g.ConfigChanged = kTrue;
    g.ConfigLoaded = kTrue;
    g.ConfigFileName = "/data/scale.qv3";
    g.OutputQueue = "pending";
    g.RunMode = kRunTest;
    g.NamedFormats[1].DisplayName = "Allgemeine Zahl";

    ResetToDefaults(g, "/home/kim");
    EXPECT_EQ(Stored(g), Stored(FileNew()));
    EXPECT_EQ(g.ConfigChanged, kFalse);
    EXPECT_EQ(g.ConfigLoaded, kFalse);
    EXPECT_EQ(g.ConfigFileName, "/data/scale.qv3");  // the caller's to clear
    EXPECT_EQ(g.OutputQueue, "pending");
    EXPECT_EQ(g.RunMode, kRunTest);
    EXPECT_EQ(g.NamedFormats[1].DisplayName, "Allgemeine Zahl");
}

TEST(SetupGlobals, TransferTableDefaults) {
    const SetupGlobals g = FileNew();
    const std::map<int, std::string> special = {
        {8, "{BACKSPACE}"}, {9, "{TAB}"},      {13, "{ENTER}"}, {37, "{%}"},
        {40, "{(}"},        {41, "{)}"},       {43, "{+}"},     {91, "{[}"},
        {93, "{]}"},        {94, "{^}"},       {123, "{{}"},    {125, "{}}"},
        {126, "{~}"},       {127, "{DELETE}"}, {32, "{ }"},     {160, "{ }"}};
    for (int b = 0; b < 256; ++b) {
        std::string expected;
        if (special.count(b)) {
            expected = special.at(b);
        } else if (b < 32 || (b >= 128 && b < 160)) {
            expected = "NUL";
        } else {
            expected = std::string(1, static_cast<char>(b));
        }
        EXPECT_EQ(g.TransferKeyTable[b], expected) << b;
        EXPECT_EQ(g.InputTranslation[b], std::string(1, static_cast<char>(b))) << b;
        EXPECT_EQ(static_cast<unsigned char>(g.TransferCharTableDde[b]), b < 32 ? 0 : b) << b;
        EXPECT_EQ(static_cast<unsigned char>(g.TransferCharTableLog[b]), b) << b;
    }
    ASSERT_EQ(g.TransferCharTableDde.size(), 256u);
    ASSERT_EQ(g.TransferCharTableLog.size(), 256u);
}

TEST(SetupGlobals, DirectKeyEventsSendSpacesPlainly) {
    const SetupGlobals direct = FileNew(true);
    EXPECT_EQ(direct.TransferKeyTable[32], " ");
    EXPECT_EQ(direct.TransferKeyTable[160], " ");
    const SetupGlobals plain = FileNew(false);
    EXPECT_EQ(plain.TransferKeyTable[32], "{ }");
    EXPECT_EQ(plain.TransferKeyTable[160], "{ }");
}

TEST(SetupGlobals, BaudTable) {
    const std::pair<int, int32_t> rows[] = {{0, 110},   {1, 300},   {2, 600},      {3, 1200},
                                            {4, 2400},  {5, 4800},  {6, 9600},     {7, 14400},
                                            {8, 19200}, {9, 38400}, {10, 57600},   {11, 115200},
                                            {-1, 9600}, {12, 9600}, {32767, 9600}, {-32768, 9600}};
    for (const auto& [index, baud] : rows) EXPECT_EQ(BaudRate(index), baud) << index;
}

TEST(KeyNames, HundredNamesInDisplayOrder) {
    const KeyNameTable& t = KeyNames();
    const int head[] = {0,  32, 13, 8,  9,  45, 46, 38,  40,  39, 37, 36,
                        35, 34, 33, 27, 19, 12, 20, 144, 145, 42, 112};
    for (size_t i = 0; i < std::size(head); ++i) EXPECT_EQ(t.DisplayOrder[i], head[i]) << i;
    EXPECT_EQ(t.DisplayOrder[kKeyNameCount - 1], 'Z');
    EXPECT_EQ(t.DisplayOrder[kKeyNameCount - 36], '0');
    std::set<int> codes(t.DisplayOrder.begin(), t.DisplayOrder.end());
    EXPECT_EQ(codes.size(), static_cast<size_t>(kKeyNameCount));
    int named = 0;
    for (const auto& name : t.Names) named += name.empty() ? 0 : 1;
    EXPECT_EQ(named, kKeyNameCount);
    EXPECT_EQ(KeyName(0), "None");
    EXPECT_EQ(KeyName(127), "F16");
    EXPECT_EQ(KeyName(105), "NumPad 9");
    EXPECT_EQ(KeyName(192), "`");
    EXPECT_EQ(KeyName(220), "\\");
    EXPECT_EQ(KeyName(226), "");
    EXPECT_EQ(KeyName(-1), "");
}

TEST(KeyNames, HotKeyCodeOfCtrlAltF2) {
    const KeyNameTable& t = KeyNames();
    int f2 = -1;
    for (int code : t.DisplayOrder) {
        if (t.Names[static_cast<size_t>(code)] == "F2") f2 = code;
    }
    constexpr int kCtrl = 2, kAlt = 4;
    EXPECT_EQ((kCtrl | kAlt) * 256 + f2, 1649);
}

}  // namespace
}  // namespace quorvane
