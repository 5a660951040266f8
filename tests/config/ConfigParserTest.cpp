#include "config/ConfigParser.h"

#include <gtest/gtest.h>

#include "config/ConfigCursor.h"
#include "config/ConfigRanges.h"
#include "config/ConfigTestSupport.h"

namespace quorvane {
namespace {

using testing::FileNewSettings;
using testing::LinesOf;
using testing::OlderLayoutBytes;
using testing::Serialize;

// Line numbers (from 1) of the current layout.
constexpr int kLineDelimiter = 18;
constexpr int kLineTargetAppSpecified = 21;
constexpr int kLineFirstKey = 25;
constexpr int kLineFirstTranslation = 281;
constexpr int kLineFirstDde = 537;
constexpr int kLineFirstLog = 793;
constexpr int kLineFirstButton = 1049;
constexpr int kLineLogFileName = 1189;
constexpr int kLineTimerInterval = 1203;
constexpr int kLineFirstHotKey = 1207;
constexpr int kLineFirstMath = 1307;
constexpr int kLineFirstLength = 1347;
constexpr int kLinesBeforeBlock = 1461;

SetupGlobals Distinctive() {
    SetupGlobals g = FileNewSettings();
    g.PortIndex = 3;
    g.InputBufferSize = 131072;
    g.NumberOfFields = 22;
    g.DelimiterChar = ";";
    g.ButtonCaption[2] = "Tare";
    g.FieldFilter[22] = "N";
    g.FieldLength[22] = 7;
    g.FieldFormat[21] = "0.00";
    g.TimerInterval = 99999999;
    g.ActivateSuspended = kTrue;
    g.HotKeyAction[49] = 13;
    g.HotKeyCode[49] = 1649;
    g.FieldMath[40] = "field(40) * 2";
    g.AckString = "ACK";
    g.TimerString = "T";
    g.RecordPreamble = "PRE";
    g.StartChars = "S";
    g.EndChars = "EE";
    g.ButtonString[1] = "B1";
    g.ButtonString[20] = "B20";
    g.FieldPostamble[1] = "P1";
    g.FieldPostamble[21] = "P21";
    g.HotKeyString[0] = "H0";
    g.HotKeyString[49] = "H49";
    g.DdeTopicName = "Scale";
    g.InputTranslation[7] = "Ignore";
    g.InputTranslation[8] = "Void Record";
    return g;
}

TEST(ConfigLayout, LinesStandWhereTheLayoutPutsThem) {
    const std::string bytes = Serialize(Distinctive());
    SetupGlobals back = FileNewSettings();
    const ConfigParseResult result = ParseConfigBytes(bytes, back);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    const auto lines = LinesOf(bytes, result.blockStart);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kLinesBeforeBlock));
    const auto at = [&](int lineNumber) { return lines[static_cast<size_t>(lineNumber - 1)]; };

    EXPECT_EQ(at(1), kSignatureCurrent);
    EXPECT_EQ(at(2), " 3 ");
    EXPECT_EQ(at(3), " 6 ");
    EXPECT_EQ(at(8), " 131072 ");
    EXPECT_EQ(at(17), " 22 ");  // NumberOfFields ends item 4
    EXPECT_EQ(at(kLineDelimiter), " 59 ");
    EXPECT_EQ(at(19), "Notepad");
    EXPECT_EQ(at(kLineTargetAppSpecified), "-1 ");
    EXPECT_EQ(at(kLineFirstKey + 0), "NUL");
    EXPECT_EQ(at(kLineFirstKey + 13), "{ENTER}");
    EXPECT_EQ(at(kLineFirstKey + 32), "{ }");
    EXPECT_EQ(at(kLineFirstKey + 65), "A");
    // Translation entries: no trailing blank, the two words as words.
    EXPECT_EQ(at(kLineFirstTranslation + 0), " 0");
    EXPECT_EQ(at(kLineFirstTranslation + 7), "Ignore");
    EXPECT_EQ(at(kLineFirstTranslation + 8), "Void Record");
    EXPECT_EQ(at(kLineFirstTranslation + 65), " 65");
    EXPECT_EQ(at(kLineFirstTranslation + 255), " 255");
    EXPECT_EQ(at(kLineFirstDde + 31), " 0 ");
    EXPECT_EQ(at(kLineFirstDde + 32), " 32 ");
    EXPECT_EQ(at(kLineFirstLog + 0), " 0 ");
    EXPECT_EQ(at(kLineFirstLog + 255), " 255 ");
    // Seven lines per button n: caption, filter n, length n, filter n+20, length n+20,
    // format n, format n+20.
    EXPECT_EQ(at(kLineFirstButton + 0), "String1");
    EXPECT_EQ(at(kLineFirstButton + 7), "Tare");
    EXPECT_EQ(at(kLineFirstButton + 7 + 3), "N");
    EXPECT_EQ(at(kLineFirstButton + 7 + 4), " 7 ");
    EXPECT_EQ(at(kLineFirstButton + 6), "0.00");
    EXPECT_EQ(at(kLineFirstButton + 19 * 7), "String20");
    EXPECT_EQ(at(kLineLogFileName), "/home/kim/Quorvane.Log");
    EXPECT_EQ(at(kLineTimerInterval), " 99999999 ");
    EXPECT_EQ(at(kLineTimerInterval + 2), "-1 ");  // ActivateSuspended
    EXPECT_EQ(at(kLineFirstHotKey + 98), " 13 ");
    EXPECT_EQ(at(kLineFirstHotKey + 99), " 1649 ");
    EXPECT_EQ(at(kLineFirstMath + 39), "field(40) * 2");
    // Length lines: Ack, Timer, Preamble, Start, End; then per button n its string and the
    // postambles n and n+20; then the hot key strings.
    EXPECT_EQ(at(kLineFirstLength + 0), " 3 ");
    EXPECT_EQ(at(kLineFirstLength + 1), " 1 ");
    EXPECT_EQ(at(kLineFirstLength + 2), " 3 ");
    EXPECT_EQ(at(kLineFirstLength + 3), " 1 ");
    EXPECT_EQ(at(kLineFirstLength + 4), " 2 ");
    EXPECT_EQ(at(kLineFirstLength + 5), " 2 ");
    EXPECT_EQ(at(kLineFirstLength + 6), " 2 ");
    EXPECT_EQ(at(kLineFirstLength + 7), " 3 ");
    EXPECT_EQ(at(kLineFirstLength + 5 + 57), " 3 ");  // ButtonString[20]
    EXPECT_EQ(at(kLineFirstLength + 65), " 2 ");      // HotKeyString[0]
    EXPECT_EQ(at(kLinesBeforeBlock), " 3 ");          // HotKeyString[49]

    // The block in its own order, then the topic line, then nothing.
    EXPECT_EQ(bytes.substr(result.blockStart), "SEEACKTPREB1B20P1P21H0H49Scale\r\n");
}

TEST(ConfigLayout, FileNewConfigurationHas1461LinesBeforeAnEmptyBlock) {
    const std::string bytes = Serialize(FileNewSettings());
    SetupGlobals back;
    const ConfigParseResult result = ParseConfigBytes(bytes, back);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    EXPECT_EQ(LinesOf(bytes, result.blockStart).size(), static_cast<size_t>(kLinesBeforeBlock));
    // Every raw text is empty: the length lines hold 0 and the topic line follows at once.
    EXPECT_EQ(bytes.substr(result.blockStart), "\r\n");
    EXPECT_EQ(bytes.substr(result.blockStart - 5, 5), " 0 \r\n");
}

TEST(ConfigRoundTrip, RawTextsKeepEveryByte) {
    SetupGlobals g = Distinctive();
    std::string every;
    for (int b = 255; b >= 0; --b) every += static_cast<char>(b);
    const std::string tricky = std::string("a\r\nb\rc\nd\0e\xFF", 11);
    g.AckString = tricky;
    g.TimerString = every;
    g.RecordPreamble = "\r\n";
    g.StartChars = std::string(1, '\0');
    g.EndChars = "\xFF";
    for (int n = 1; n <= 20; ++n) g.ButtonString[n] = tricky + std::to_string(n);
    for (int n = 1; n <= 40; ++n) g.FieldPostamble[n] = std::string(n, '\r');
    for (int s = 0; s < 50; ++s) g.HotKeyString[s] = std::string(static_cast<size_t>(s), '\n');
    g.DdeTopicName = "topic\r";  // a trailing CR of the last line survives too

    const std::string first = Serialize(g);
    SetupGlobals back;
    ResetToDefaults(back, "/elsewhere");
    ASSERT_EQ(ParseConfigBytes(first, back).status, ConfigParseStatus::Ok);
    EXPECT_EQ(back.AckString, tricky);
    EXPECT_EQ(back.TimerString, every);
    EXPECT_EQ(back.StartChars, std::string(1, '\0'));
    EXPECT_EQ(back.ButtonString[7], tricky + "7");
    EXPECT_EQ(back.FieldPostamble[40], std::string(40, '\r'));
    EXPECT_EQ(back.HotKeyString[49], std::string(49, '\n'));
    EXPECT_EQ(back.DdeTopicName, "topic\r");
    EXPECT_EQ(Serialize(back), first);
}

TEST(ConfigRoundTrip, TranslationOfCodeZeroAndTheWords) {
    SetupGlobals g = FileNewSettings();
    g.InputTranslation[65] = std::string(1, '\0');
    g.InputTranslation[66] = "Ignore";
    g.InputTranslation[67] = "Void Record";
    g.InputTranslation[68] = "\xFF";
    const std::string bytes = Serialize(g);
    const auto lines = LinesOf(bytes, bytes.size());
    EXPECT_EQ(lines[kLineFirstTranslation - 1 + 65], " 0");
    EXPECT_EQ(lines[kLineFirstTranslation - 1 + 68], " 255");
    SetupGlobals back = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(bytes, back).status, ConfigParseStatus::Ok);
    EXPECT_EQ(back.InputTranslation[65], std::string(1, '\0'));
    EXPECT_EQ(back.InputTranslation[66], "Ignore");
    EXPECT_EQ(back.InputTranslation[67], "Void Record");
    EXPECT_EQ(back.InputTranslation[68], "\xFF");
    EXPECT_EQ(back.InputTranslation[0], std::string(1, '\0'));
}

TEST(ConfigRoundTrip, SpaceKeystrokesFollowTheReadingRun) {
    SetupGlobals written = FileNewSettings();
    written.TransferKeyTable[65] = "{ }";  // any entry, not only 32 and 160
    const std::string braces = Serialize(written);

    SetupGlobals direct;
    direct.DirectKeyEvents = kTrue;
    ASSERT_EQ(ParseConfigBytes(braces, direct).status, ConfigParseStatus::Ok);
    EXPECT_EQ(direct.TransferKeyTable[32], " ");
    EXPECT_EQ(direct.TransferKeyTable[160], " ");
    EXPECT_EQ(direct.TransferKeyTable[65], " ");

    const std::string spaces = Serialize(direct);
    SetupGlobals plain;
    ASSERT_EQ(ParseConfigBytes(spaces, plain).status, ConfigParseStatus::Ok);
    EXPECT_EQ(plain.TransferKeyTable[32], "{ }");
    EXPECT_EQ(plain.TransferKeyTable[160], "{ }");
}

TEST(ConfigReader, MissingTopicLineKeepsThePreviousTopic) {
    SetupGlobals g = FileNewSettings();
    g.AckString = "\r";
    std::string bytes = Serialize(g);
    ASSERT_EQ(bytes.substr(bytes.size() - 3), "\r\r\n");
    bytes.resize(bytes.size() - 2);  // drop the topic line; the block's CR stays

    SetupGlobals back = FileNewSettings();
    back.DdeTopicName = "Previous";
    ASSERT_EQ(ParseConfigBytes(bytes, back).status, ConfigParseStatus::Ok);
    EXPECT_EQ(back.DdeTopicName, "Previous");
    EXPECT_EQ(back.AckString, "\r");

    // A last line without its CR LF is still the topic.
    SetupGlobals topic = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(bytes + "Balance", topic).status, ConfigParseStatus::Ok);
    EXPECT_EQ(topic.DdeTopicName, "Balance");
}

TEST(ConfigReader, FirstLineMustBeASignatureExactly) {
    const std::string body = Serialize(FileNewSettings()).substr(kSignatureCurrent.size());
    const std::string cases[] = {
        std::string(kSignatureCurrent) + " ",
        " " + std::string(kSignatureCurrent),
        "quorvane Version 3.00 Configuration File for Serial Data Acquisition Software",
        "Quorvane Version 4.00 Configuration File for Serial Data Acquisition Software",
        "",
    };
    for (const std::string& first : cases) {
        SetupGlobals g = FileNewSettings();
        EXPECT_EQ(ParseConfigBytes(first + body, g).status, ConfigParseStatus::NotAConfigFile)
            << first;
        int16_t port = 0;
        EXPECT_EQ(ParseConfigHeader(first + body, port), ConfigHeaderStatus::NotAConfigFile);
    }
    int16_t port = -7;
    EXPECT_EQ(ParseConfigHeader(std::string(kSignatureOld) + "\r\n 12 \r\n", port),
              ConfigHeaderStatus::Ok);
    EXPECT_EQ(port, 12);
}

TEST(ConfigReader, IntegerLinesAllowBlanksAndNothingElse) {
    struct Case {
        const char* line;
        bool ok;
        int64_t value;
    } cases[] = {
        {" 5 ", true, 5},
        {"5", true, 5},
        {"-1 ", true, -1},
        {"  +7", true, 7},
        {"\t12\t", true, 12},
        {"32767", true, 32767},
        {"-32768", true, -32768},
        {"32768", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"five", false, 0},
        {"5x", false, 0},
        {"5 5", false, 0},
        {"0x10", false, 0},
        {"1e3", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int64_t value = 0;
        EXPECT_EQ(ParseIntegerLine(c.line, -32768, 32767, value), c.ok) << c.line;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.line;
        }
    }
}

// Every way a file can be damaged gives Damaged and leaves the settings untouched.
TEST(ConfigReader, DamagedFilesLeaveTheSettingsAsTheyWere) {
    const std::string good = Serialize(Distinctive());
    const auto replaceLine = [&](int lineNumber, const std::string& text) {
        size_t pos = 0;
        for (int i = 1; i < lineNumber; ++i) pos = good.find("\r\n", pos) + 2;
        const size_t end = good.find("\r\n", pos);
        return good.substr(0, pos) + text + good.substr(end);
    };
    const std::string cases[] = {
        replaceLine(2, "COM1"),                            // a word for PortIndex
        replaceLine(8, " 4294967296 "),                    // beyond 32 bits
        replaceLine(3, " 40000 "),                         // beyond 16 bits
        replaceLine(kLineDelimiter, " 256 "),              // not a character code
        replaceLine(kLineFirstTranslation + 3, "ignore"),  // the word in the wrong case
        replaceLine(kLineFirstTranslation + 4, " -1"),
        replaceLine(kLineFirstDde + 9, ""),
        replaceLine(kLineFirstHotKey + 1, "Ctrl+F2"),
        replaceLine(kLineFirstLength, "-3 "),          // a negative length
        replaceLine(kLineFirstLength + 1, " 99999 "),  // beyond the end of the file
        replaceLine(kLinesBeforeBlock, " 2147483647 "),
        good.substr(0, 1000),
        std::string(kSignatureCurrent) + "\r\n",
        std::string(kSignatureOld) + "\r\n 0 \r\n",
    };
    const std::string before = Serialize(FileNewSettings());
    for (const std::string& damaged : cases) {
        SetupGlobals g = FileNewSettings();
        EXPECT_EQ(ParseConfigBytes(damaged, g).status, ConfigParseStatus::Damaged);
        EXPECT_EQ(Serialize(g), before);
    }
}

TEST(ConfigReader, EveryCutBeforeTheBlockEndsIsDamaged) {
    SetupGlobals source = Distinctive();
    source.DdeTopicName.clear();
    const std::string good = Serialize(source);
    const size_t blockEnd = good.size() - 2;  // the empty topic line follows the block
    for (size_t cut = 0; cut < good.size(); ++cut) {
        SetupGlobals g = FileNewSettings();
        g.DdeTopicName = "Kept";
        const auto result = ParseConfigBytes(std::string_view(good).substr(0, cut), g);
        if (cut < blockEnd) {
            ASSERT_NE(result.status, ConfigParseStatus::Ok) << "cut at " << cut;
            EXPECT_EQ(g.DdeTopicName, "Kept");
        } else {
            ASSERT_EQ(result.status, ConfigParseStatus::Ok) << "cut at " << cut;
            // No topic line at all keeps the topic; the empty one (even cut in its CR LF)
            // empties it.
            EXPECT_EQ(g.DdeTopicName, cut == blockEnd ? "Kept" : "");
            EXPECT_EQ(g.HotKeyString[49], "H49");
        }
    }
}

TEST(ConfigReader, OutOfRangeValuesAreClampedOnRead) {
    SetupGlobals wild = FileNewSettings();
    wild.NumberOfFields = 99;
    wild.BaudRateIndex = 12;
    wild.Parity = -1;
    wild.DataBitsIndex = 9;
    wild.Mode = 3;
    wild.RecordGapTicks = 0;
    wild.RecordLength = -5;
    wild.FieldLength[40] = 32767;
    wild.InputBufferSize = 1;
    wild.OutputBufferSize = 1000000;
    wild.TimerInterval = 100000000;
    wild.HotKeyAction[0] = 14;
    wild.PortIndex = 200;
    wild.TimerOptions = 0x7FFF;  // a bit set: every value means something
    SetupGlobals g = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(Serialize(wild), g).status, ConfigParseStatus::Ok);
    EXPECT_EQ(g.NumberOfFields, 40);
    EXPECT_EQ(g.BaudRateIndex, 6);
    EXPECT_EQ(g.Parity, 0);
    EXPECT_EQ(g.DataBitsIndex, 3);
    EXPECT_EQ(g.Mode, 2);
    EXPECT_EQ(g.RecordGapTicks, 1);
    EXPECT_EQ(g.RecordLength, 0);
    EXPECT_EQ(g.FieldLength[40], 32766);
    EXPECT_EQ(g.InputBufferSize, 128);
    EXPECT_EQ(g.OutputBufferSize, 131072);
    EXPECT_EQ(g.TimerInterval, 99999999);
    EXPECT_EQ(g.HotKeyAction[0], 13);
    EXPECT_EQ(g.PortIndex, 98);
    EXPECT_EQ(g.TimerOptions, 0x7FFF);

    SetupGlobals inRange = Distinctive();
    EXPECT_FALSE(ClampToRanges(inRange));
}

TEST(ConfigReader, LongTextsBeyondSixteenBitsReadBack) {
    SetupGlobals g = FileNewSettings();
    g.ButtonString[3] = std::string(70000, 'x');
    for (int n = 1; n <= 40; ++n) g.FieldMath[n] = std::string(1000, 'm');  // a big line part
    SetupGlobals back = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(Serialize(g), back).status, ConfigParseStatus::Ok);
    EXPECT_EQ(back.ButtonString[3].size(), 70000u);
    EXPECT_EQ(back.FieldMath[40].size(), 1000u);
}

TEST(ConfigWriter, RefusesValuesTheLayoutCannotHold) {
    const auto refused = [](void (*change)(SetupGlobals&)) {
        SetupGlobals g = FileNewSettings();
        change(g);
        std::string out;
        return !SerializeConfig(g, out);
    };
    EXPECT_TRUE(refused([](SetupGlobals& g) { g.TargetAppTitle = "two\r\nlines"; }));
    EXPECT_TRUE(refused([](SetupGlobals& g) { g.DelimiterChar.clear(); }));
    EXPECT_TRUE(refused([](SetupGlobals& g) { g.InputTranslation[9].clear(); }));
    EXPECT_TRUE(refused([](SetupGlobals& g) { g.TransferCharTableLog.pop_back(); }));
    EXPECT_FALSE(refused([](SetupGlobals& g) { g.TargetAppTitle = "lone\r and \n"; }));
}

TEST(ConfigOlderLayout, ReadsEveryItemAndKeepsWhatItLacks) {
    SetupGlobals old = FileNewSettings();
    old.PortIndex = 1;
    old.Mode = kModeLog;
    old.DelimiterChar = "\t";
    old.AckString = "\x06";
    old.TimerString = "P\r\n";
    old.TimerInterval = 2500;
    old.TimerOptions = 3;
    old.RecordPreamble = "{MONTH}";
    for (int n = 1; n <= 20; ++n) {
        old.ButtonCaption[n] = "Btn" + std::to_string(n);
        old.ButtonString[n] = "S" + std::to_string(n) + "\r";
        old.FieldPostamble[n] = "p" + std::to_string(n);
        old.FieldPostamble[n + 20] = "q" + std::to_string(n + 20);
        old.FieldFilter[n + 20] = "H";
        old.FieldLength[n] = static_cast<int16_t>(n);
        old.FieldFormat[n + 20] = "F" + std::to_string(n + 20);
    }
    old.LogFileName = "/tmp/old.log";
    old.WindowButtons = 3;
    old.StartChars = "\x02";
    old.EndChars = "\x03\x04";
    old.DdeTopicName = "OldTopic";

    SetupGlobals g = FileNewSettings();
    g.ActivateSuspended = kTrue;
    g.AlwaysOnTop = kTrue;
    g.HotKeyCode[5] = 1649;
    g.HotKeyAction[5] = 1;
    g.HotKeyString[5] = "hot";
    g.FieldMath[2] = "field(2) + 1";
    const SetupGlobals previous = g;

    const auto result = ParseConfigBytes(OlderLayoutBytes(old, true, "rest ignored"), g);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    EXPECT_EQ(result.layout, ConfigLayoutKind::Older);
    EXPECT_EQ(g.PortIndex, 1);
    EXPECT_EQ(g.DelimiterChar, "\t");
    EXPECT_EQ(g.TimerString, "P\r\n");
    EXPECT_EQ(g.TimerInterval, 2500);
    EXPECT_EQ(g.RecordPreamble, "{MONTH}");
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(g.ButtonCaption[n], "Btn" + std::to_string(n));
        EXPECT_EQ(g.ButtonString[n], "S" + std::to_string(n) + "\r");
        EXPECT_EQ(g.FieldPostamble[n + 20], "q" + std::to_string(n + 20));
        EXPECT_EQ(g.FieldFormat[n + 20], "F" + std::to_string(n + 20));
    }
    EXPECT_EQ(g.LogFileName, "/tmp/old.log");
    EXPECT_EQ(g.StartChars, "\x02");
    EXPECT_EQ(g.EndChars, "\x03\x04");
    EXPECT_EQ(g.DdeTopicName, "OldTopic");
    // Settings the older layout does not carry.
    EXPECT_EQ(g.ActivateSuspended, kTrue);
    EXPECT_EQ(g.AlwaysOnTop, kTrue);
    EXPECT_EQ(g.HotKeyCode, previous.HotKeyCode);
    EXPECT_EQ(g.HotKeyAction, previous.HotKeyAction);
    EXPECT_EQ(g.HotKeyString, previous.HotKeyString);
    EXPECT_EQ(g.FieldMath, previous.FieldMath);

    // Without the topic line the topic stays; a cut inline text is damage.
    SetupGlobals noTopic = previous;
    noTopic.DdeTopicName = "Mine";
    ASSERT_EQ(ParseConfigBytes(OlderLayoutBytes(old, false), noTopic).status,
              ConfigParseStatus::Ok);
    EXPECT_EQ(noTopic.DdeTopicName, "Mine");
    const std::string cut = OlderLayoutBytes(old, false);
    SetupGlobals damaged = previous;
    EXPECT_EQ(ParseConfigBytes(cut.substr(0, cut.size() - 1), damaged).status,
              ConfigParseStatus::Damaged);
}

TEST(ConfigOlderLayout, ConvertedFileKeepsEachButtonTogether) {
    SetupGlobals old = FileNewSettings();
    for (int n = 1; n <= 20; ++n) {
        old.ButtonCaption[n] = "Cap" + std::to_string(n);
        old.ButtonString[n] = "Str" + std::to_string(n);
    }
    SetupGlobals g = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(OlderLayoutBytes(old), g).status, ConfigParseStatus::Ok);
    SetupGlobals converted = FileNewSettings();
    const auto result = ParseConfigBytes(Serialize(g), converted);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    EXPECT_EQ(result.layout, ConfigLayoutKind::Current);
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(converted.ButtonCaption[n], "Cap" + std::to_string(n));
        EXPECT_EQ(converted.ButtonString[n], "Str" + std::to_string(n));
    }
}

}  // namespace
}  // namespace quorvane
