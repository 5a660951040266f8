// The example configurations in examples/ are written by our writer from the settings built
// here, so they can never drift from it. QUORVANE_REGENERATE_EXAMPLES=1 rewrites them (and
// their copies in the fuzz seed corpus) instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "config/ConfigParser.h"
#include "config/ConfigTestSupport.h"

namespace quorvane {
namespace {

using testing::FileNewSettings;
using testing::ReadBytes;
using testing::Serialize;

const std::string kExamples = std::string(QUORVANE_SOURCE_DIR) + "/examples/";
const std::string kCorpus = std::string(QUORVANE_SOURCE_DIR) + "/fuzz/corpus/config_reader/";
constexpr const char* kExampleLog = "/tmp/quorvane-example.log";

bool Regenerating() {
    const char* value = std::getenv("QUORVANE_REGENERATE_EXAMPLES");
    return value && std::string(value) == "1";
}

SetupGlobals SingleFieldCr() {
    SetupGlobals g = FileNewSettings();
    g.Mode = kModeLog;
    g.LogFileName = kExampleLog;
    g.FieldPostamble[1] = "\r\n";
    return g;
}

SetupGlobals Comma3Fields() {
    SetupGlobals g = FileNewSettings();
    g.RecordStructure = 1;
    g.NumberOfFields = 3;
    g.DelimiterChar = ",";
    g.FieldMath[1] = "field(1) * 2 + 1";
    g.FieldFormat[1] = "Fixed";
    g.FieldFormat[2] = "Standard";
    g.FieldFilter[3] = "N";
    g.FieldPostamble[1] = "\t";
    g.FieldPostamble[2] = "\t";
    g.FieldPostamble[3] = "\r\n";
    g.Mode = kModeLog;
    g.LogFileName = kExampleLog;
    return g;
}

// "ST+0012.50" CR LF: a two-letter status, an eight-character weight, the line end ignored.
SetupGlobals FixedLength() {
    SetupGlobals g = FileNewSettings();
    g.RecordStructure = 2;
    g.EndOfRecordEvent = 2;
    g.RecordLength = 12;
    g.NumberOfFields = 3;
    g.FieldLength[1] = 2;
    g.FieldLength[2] = 8;
    g.FieldLength[3] = 2;
    g.FieldFilter[2] = "N";
    g.FieldFilter[3] = "I";
    g.FieldPostamble[1] = "\t";
    g.FieldPostamble[2] = "\r\n";
    g.BaudRateIndex = 8;  // 19200
    g.Parity = 0;
    g.DataBitsIndex = 3;
    g.Mode = kModeLog;
    g.LogFileName = kExampleLog;
    return g;
}

SetupGlobals LogWithPreamble() {
    SetupGlobals g = FileNewSettings();
    g.Mode = kModeLog;
    g.LogFileName = kExampleLog;
    g.RecordPreamble = "{MONTH}/{DAY}/{YEAR} ";
    g.FieldPostamble[1] = "\r\n";
    g.AckString = "\x06";
    g.ButtonCaption[1] = "Print";
    g.ButtonString[1] = "P\r\n";
    g.HotKeyCode[0] = 6 * 256 + 113;  // Ctrl+Alt+F2
    g.HotKeyAction[0] = 1;
    g.HotKeyString[0] = "P\r\n";
    g.DdeTopicName = "Balance";
    return g;
}

struct Example {
    const char* file;
    std::function<SetupGlobals()> build;
};

const Example kWrittenExamples[] = {
    {"single-field-cr.qv3", SingleFieldCr},
    {"comma-3-fields.qv3", Comma3Fields},
    {"fixed-length.qv3", FixedLength},
    {"log-with-preamble.qv3", LogWithPreamble},
};

TEST(ConfigExamples, CommittedFilesAreWhatTheWriterProduces) {
    for (const Example& example : kWrittenExamples) {
        const std::string bytes = Serialize(example.build());
        if (Regenerating()) {
            testing::WriteBytes(kExamples + example.file, bytes);
            testing::WriteBytes(kCorpus + example.file, bytes);
            continue;
        }
        EXPECT_EQ(ReadBytes(kExamples + example.file), bytes) << example.file;
        EXPECT_EQ(ReadBytes(kCorpus + example.file), bytes) << "fuzz seed " << example.file;
    }
    if (Regenerating()) {
        testing::WriteBytes(kCorpus + "older-layout.qv3",
                            ReadBytes(kExamples + "older-layout.qv3"));
    }
    EXPECT_EQ(ReadBytes(kCorpus + "older-layout.qv3"), ReadBytes(kExamples + "older-layout.qv3"));
}

TEST(ConfigExamples, EachReadsAndWritesBackByteForByte) {
    for (const Example& example : kWrittenExamples) {
        const std::string bytes = ReadBytes(kExamples + example.file);
        SetupGlobals g = FileNewSettings();
        ASSERT_EQ(ParseConfigBytes(bytes, g).status, ConfigParseStatus::Ok) << example.file;
        EXPECT_EQ(Serialize(g), bytes) << example.file;
    }
}

// older-layout.qv3 is made by hand (examples/make-older-layout.py) from the layout list.
TEST(ConfigExamples, OlderLayoutFileConverts) {
    SetupGlobals g = FileNewSettings();
    g.FieldMath[1] = "kept";
    g.AlwaysOnTop = kTrue;
    const auto result = ParseConfigBytes(ReadBytes(kExamples + "older-layout.qv3"), g);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    EXPECT_EQ(result.layout, ConfigLayoutKind::Older);
    const std::pair<const char*, const char*> buttons[] = {
        {"Tare", "T\r\n"}, {"Zero", "Z\r\n"}, {"Print", "P\r\n"}, {"String4", ""}};
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(g.ButtonCaption[n], buttons[n - 1].first);
        EXPECT_EQ(g.ButtonString[n], buttons[n - 1].second);
    }
    EXPECT_EQ(g.ButtonCaption[20], "String20");
    EXPECT_EQ(g.Mode, kModeLog);
    EXPECT_EQ(g.LogFileName, kExampleLog);
    EXPECT_EQ(g.AckString, "\x06");
    EXPECT_EQ(g.RecordPreamble, "{MONTH}/{DAY}/{YEAR} ");
    EXPECT_EQ(g.FieldPostamble[1], "\r\n");
    EXPECT_EQ(g.TimerInterval, 5000);
    EXPECT_EQ(g.DelimiterChar, ",");
    EXPECT_EQ(g.DdeTopicName, "Balance");
    EXPECT_EQ(g.FieldMath[1], "kept");
    EXPECT_EQ(g.AlwaysOnTop, kTrue);

    SetupGlobals converted = FileNewSettings();
    ASSERT_EQ(ParseConfigBytes(Serialize(g), converted).status, ConfigParseStatus::Ok);
    EXPECT_EQ(Serialize(converted), Serialize(g));
    EXPECT_EQ(converted.ButtonCaption[2], "Zero");
    EXPECT_EQ(converted.ButtonString[2], "Z\r\n");
}

}  // namespace
}  // namespace quorvane
