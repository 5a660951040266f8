// How the byte stream becomes records: parse modes, start events, pre-input translation,
// end events, the field cap and the record-end routine.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

TEST(ParseModeTable, FollowsEndEventAndStructure) {
    struct Row {
        int endEvent;
        int modes[3];  // single, delimited, fixed-length
    };
    const Row rows[] = {{0, {0, 2, 6}}, {1, {1, 4, 5}}, {2, {3, 3, 3}}, {3, {0, 2, 6}}};
    for (const Row& row : rows) {
        for (int structure = 0; structure < 3; ++structure) {
            EXPECT_EQ(DeriveParseMode(row.endEvent, structure), row.modes[structure])
                << "end event " << row.endEvent << " structure " << structure;
        }
    }
}

TEST(EndCharSetRule, SpecialCharactersOnlyForEvent3) {
    SetupGlobals g;
    g.EndChars = "#;";
    for (int event : {0, 1, 2}) {
        g.EndOfRecordEvent = static_cast<int16_t>(event);
        EXPECT_EQ(DeriveEndCharSet(g), "\r");
    }
    g.EndOfRecordEvent = 3;
    EXPECT_EQ(DeriveEndCharSet(g), "#;");
}

TEST(TransferTableRule, PerMode) {
    SetupGlobals g;
    ResetToDefaults(g, "/tmp");
    g.Mode = kModeKeystrokes;
    TransferTableArray t = BuildTransferTable(g);
    EXPECT_EQ(t[10], std::string(1, '\0'));  // "NUL" becomes the code-0 drop entry
    EXPECT_EQ(t[13], "{ENTER}");
    EXPECT_EQ(t['A'], "A");
    g.Mode = kModeDde;
    g.TransferCharTableDde[65] = 'B';
    t = BuildTransferTable(g);
    EXPECT_EQ(t[65], "B");
    EXPECT_EQ(t[13], std::string(1, '\0'));
    g.Mode = kModeLog;
    g.TransferCharTableLog.resize(100);  // a short table leaves the rest empty
    t = BuildTransferTable(g);
    EXPECT_EQ(t[13], "\r");
    EXPECT_EQ(t[200], "");
}

class RecordAssembly : public EngineFixture {};

TEST_F(RecordAssembly, SingleFieldCrLfKeepsCrAndLfStartsNextRecord) {
    MarkFields(1);
    Start();
    Feed("12.5\r\n13.0\r\n");
    EXPECT_EQ(Logged(), "12.5\r|\n13.0\r|");
    EXPECT_TRUE(engine.State().InRecord);  // the last LF opened record 3
    EXPECT_EQ(engine.FieldData()[1], "\n");
    EXPECT_EQ(view.recordNumber, "2");
}

TEST_F(RecordAssembly, DelimitedOverflowIsNeverDeliveredAndAlwaysEmptied) {
    Delimited(3, ",");
    Start();
    Feed("a,b,c,d\r");
    EXPECT_EQ(Logged(), "a|b|c|");
    Feed("a,b,c,d,e\r");
    Feed("x,y,z\r");
    EXPECT_EQ(Logged(), "a|b|c|a|b|c|x|y|z\r|");
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
}

TEST_F(RecordAssembly, SpaceDelimiterRunCountsOnceCommasDoNot) {
    Delimited(2, " ");
    Start();
    Feed("1   2\r");
    EXPECT_EQ(Logged(), "1|2\r|");
    log.contents.clear();
    Delimited(4, ",");
    Start();
    Feed(",,,\r");
    EXPECT_EQ(Logged(), "|||\r|");
}

TEST_F(RecordAssembly, SpaceRuleReadsTheTranslatedByteAndSeesIgnoredBytes) {
    Delimited(3, " ");
    g.InputTranslation['_'] = " ";     // becomes a space before the rule looks at it
    g.InputTranslation[1] = "Ignore";  // an ignored byte breaks a run of spaces
    Start();
    Feed("1_ 2\r");
    EXPECT_EQ(Logged(), "1|2\r||");
    log.contents.clear();
    Feed(std::string("1 \x01 2\r"));
    EXPECT_EQ(Logged(), "1||2\r|");
}

TEST_F(RecordAssembly, DelimiterEqualToEndCharacterClosesTheLastFieldFirst) {
    Delimited(3, "\r");
    Start();
    Feed("a\rb\rc\r");
    EXPECT_EQ(Logged(), "a|b|c|");
    EXPECT_EQ(view.recordNumber, "1");
    EXPECT_FALSE(engine.State().InRecord);
}

TEST_F(RecordAssembly, SingleFieldWithDelimiterEqualToEndCharacterStillEnds) {
    g.DelimiterChar = "\r";
    MarkFields(1);
    Start();
    Feed("abc\r");
    EXPECT_EQ(Logged(), "abc\r|");
}

TEST_F(RecordAssembly, FieldCapStaysAt41) {
    Delimited(3, ",");
    Start();
    Feed(std::string(60, ',') + "z");
    EXPECT_EQ(engine.State().CurrentField, 41);
    EXPECT_EQ(engine.FieldData()[41], "z");
    Feed("\r");
    EXPECT_EQ(Logged(), "|||");
    EXPECT_EQ(engine.FieldData()[41], "");
}

TEST_F(RecordAssembly, FixedLengthFieldsEndedByCrStoreTheCrPastTheLastField) {
    FixedLength({2, 3});
    Start();
    Feed("abcde\rfg");
    EXPECT_EQ(Logged(), "ab|cde|");
    EXPECT_EQ(engine.FieldData()[1], "fg");
    EXPECT_EQ(engine.State().CurrentField, 2);
}

TEST_F(RecordAssembly, FixedLengthOverflowFieldsAdvanceToTheCap) {
    FixedLength({1});
    for (int n = 2; n <= 41; ++n) g.FieldLength[n] = 1;
    Start();
    Feed(std::string(45, 'x'));
    EXPECT_EQ(engine.State().CurrentField, 41);
    EXPECT_EQ(engine.FieldData()[41], "xxxxx");  // 45 bytes, 40 into fields 1..40
}

TEST_F(RecordAssembly, FixedNumberOfBytesComparesOnlyWhenAFieldFills) {
    g.EndOfRecordEvent = 2;
    g.RecordLength = 10;
    FixedLength({4, 6});
    Start();
    Feed("0123456789AB");
    EXPECT_EQ(Logged(), "0123|456789|");
    EXPECT_EQ(engine.FieldData()[1], "AB");

    log.contents.clear();
    FixedLength({4, 4});
    Start();
    Feed(std::string(100, 'x'));
    EXPECT_EQ(Logged(), "");
    EXPECT_TRUE(engine.State().InRecord);
}

TEST_F(RecordAssembly, FixedNumberOfBytesAlsoForSingleAndDelimitedStructures) {
    g.EndOfRecordEvent = 2;
    g.RecordLength = 3;
    g.FieldLength[1] = 3;
    MarkFields(1);
    Start();
    EXPECT_EQ(engine.ParseMode(), 3);
    Feed("a\rbcde\r");  // every byte counts, CR included
    EXPECT_EQ(Logged(), "a\rb|cde|");
}

TEST_F(RecordAssembly, SpecialEndCharacters) {
    g.EndOfRecordEvent = 3;
    g.EndChars = "#;";
    MarkFields(1);
    Start();
    Feed("ab#\rc;");
    EXPECT_EQ(Logged(), "ab#|\rc;|");
}

struct StartCase {
    const char* name;
    int event;
    std::string startChars;
    std::string decimalSeparator;
    std::string input;
    std::string logged;
};

class StartEvents : public EngineFixture, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartEvents, DiscardBytesUntilOneStarts) {
    const StartCase& c = GetParam();
    g.StartOfRecordEvent = static_cast<int16_t>(c.event);
    g.StartChars = c.startChars;
    g.DecimalSeparator = c.decimalSeparator;
    MarkFields(1);
    Start();
    Feed(c.input);
    EXPECT_EQ(Logged(), c.logged);
}

INSTANTIATE_TEST_SUITE_P(
    Events, StartEvents,
    ::testing::Values(StartCase{"Any", 0, "", ".", "\x02x\r", "\x02x\r|"},
                      StartCase{"Printable", 1, "", ".", "\x02\x7f~a\r\x01 b\r", "~a\r| b\r|"},
                      StartCase{"NumericDot", 2, "", ".", "ab+.5\rx-1\r", ".5\r|-1\r|"},
                      StartCase{"NumericComma", 2, "", ",", "W.t,5\r", ",5\r|"},
                      StartCase{"Dollar", 3, "$", ".", "junk\r$12\r", "$12\r|"},
                      StartCase{"EmptyStartCharsNeverStarts", 3, "", ".", "abc\r$1\r", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordAssembly, IgnoredByteLeavesNoTraceAndEndsNothing) {
    g.InputTranslation['\r'] = "Ignore";
    g.InputTranslation['!'] = "Ignore";
    g.EndOfRecordEvent = 3;
    g.EndChars = "\n";
    MarkFields(1);
    Start();
    Feed("!");
    EXPECT_FALSE(engine.State().InRecord);  // nor does it start a record
    Feed("a!b\r\n");
    EXPECT_EQ(Logged(), "ab\n|");
}

TEST_F(RecordAssembly, PreInputTranslationUsesTheFirstCharacter) {
    g.InputTranslation['a'] = "XYZ";
    g.InputTranslation['b'] = "";
    MarkFields(1);
    Start();
    Feed("ab\r");
    EXPECT_EQ(Logged(), "Xb\r|");
}

TEST_F(RecordAssembly, VoidRecordAcknowledgesAndBeepsButDeliversNothing) {
    g.InputTranslation['?'] = "Void Record";
    g.AckString = "ACK";
    g.BeepOnInput = kTrue;
    MarkFields(1);
    Start();
    Feed("12?3\r");
    EXPECT_EQ(Logged(), "");
    EXPECT_EQ(g.OutputQueue, "ACK");
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_EQ(view.recordNumber, "");
    EXPECT_EQ(engine.FieldData()[1], "");
    Feed("45\r");
    EXPECT_EQ(Logged(), "45\r|");
    EXPECT_EQ(g.OutputQueue, "ACKACK");
    EXPECT_EQ(view.recordNumber, "1");
}

TEST_F(RecordAssembly, VoidByteOutsideARecordOnlyStartsOne) {
    g.InputTranslation['?'] = "Void Record";
    MarkFields(1);
    Start();
    Feed("?1\r");
    EXPECT_EQ(Logged(), "?1\r|");
}

TEST_F(RecordAssembly, VoidedOverflowDataIsEmptiedToo) {
    Delimited(2, ",");
    g.InputTranslation['?'] = "Void Record";
    Start();
    Feed("a,b,c,?\r");
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
}

TEST_F(RecordAssembly, SpecialBeepSoundIsUsed) {
    g.BeepOnInput = kTrue;
    flags.SpecialBeep = 48;
    Start();
    Feed("a\rb\r");
    EXPECT_EQ(messages.beepTypes, (std::vector<int>{48, 48}));
}

TEST_F(RecordAssembly, RecordCounterCountsFromTheBoxText) {
    Start();
    view.recordNumber = "41";
    Feed("a\r");
    EXPECT_EQ(view.recordNumber, "42");
    view.recordNumber = "";
    Feed("b\r");
    EXPECT_EQ(view.recordNumber, "1");
}

TEST_F(RecordAssembly, TimeGapEndsOnTheThirdSilentTick) {
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 3;
    MarkFields(1);
    Start();
    EXPECT_EQ(engine.ParseMode(), 1);
    Tick("12");
    Tick("34");
    Tick();
    Tick();
    EXPECT_EQ(Logged(), "");
    Tick();  // tick 5
    EXPECT_EQ(Logged(), "1234|");
    for (int i = 0; i < 300; ++i) Tick();
    EXPECT_EQ(view.recordNumber, "1");  // silence after a record ends nothing more
}

TEST_F(RecordAssembly, TimeGapBeyond255TicksNeverEnds) {
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 256;
    Start();
    Tick("x");
    for (int i = 0; i < 600; ++i) Tick();
    EXPECT_TRUE(engine.State().InRecord);
    EXPECT_EQ(engine.State().IdleTicks, 600 % 256);
}

TEST_F(RecordAssembly, DelimitedTimeGap) {
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 1;
    Delimited(2, " ");
    Start();
    EXPECT_EQ(engine.ParseMode(), 4);
    Tick("1  2 3");
    Tick();
    EXPECT_EQ(Logged(), "1|2|");
}

TEST_F(RecordAssembly, FixedLengthTimeGap) {
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 2;
    FixedLength({2, 2});
    Start();
    EXPECT_EQ(engine.ParseMode(), 5);
    Tick("abcdef");
    Tick();
    Tick();
    EXPECT_EQ(Logged(), "ab|cd|");
    EXPECT_EQ(engine.State().CurrentField, 1);
    EXPECT_EQ(engine.State().FieldByteCount, 0);
}

TEST_F(RecordAssembly, SuspendedTicksReadNothingAndKeepThePartialRecord) {
    MarkFields(1);
    Start();
    Tick("ab");
    flags.Suspended = true;
    source.Add("c\rd\r");
    const int reads = source.reads;
    engine.PollInput(source);
    EXPECT_EQ(source.reads, reads);
    flags.Suspended = false;
    Tick();
    EXPECT_EQ(Logged(), "abc\r|d\r|");
}

TEST_F(RecordAssembly, ResumeOneRecordSuspendsAfterTheTickThatDeliveredIt) {
    MarkFields(1);
    Start();
    flags.ResumeOneRecord = true;
    Tick("a\rb\rc");
    EXPECT_EQ(Logged(), "a\r|b\r|");  // the byte loop of the tick still finishes
    EXPECT_TRUE(flags.Suspended);
    EXPECT_FALSE(flags.ResumeOneRecord);
    EXPECT_EQ(view.suspendedChanges, 1);
    EXPECT_EQ(calls.IndexOf("view.SetRecordNumberText(1)") + 1,
              calls.IndexOf("view.OnSuspendedChanged(1)"));
    Tick("\r");
    EXPECT_EQ(Logged(), "a\r|b\r|");
}

TEST_F(RecordAssembly, ResumeOneRecordSurvivesAVoidedRecord) {
    g.InputTranslation['?'] = "Void Record";
    MarkFields(1);
    Start();
    flags.ResumeOneRecord = true;
    Tick("a?\r");
    EXPECT_FALSE(flags.Suspended);
    EXPECT_TRUE(flags.ResumeOneRecord);
    Tick("b\r");
    EXPECT_TRUE(flags.Suspended);
    EXPECT_EQ(Logged(), "b\r|");
}

TEST_F(RecordAssembly, ResetReturnsToIdleAndEmptiesFieldsAndBoxes) {
    Delimited(3, ",");
    g.EndOfRecordEvent = 2;
    Start();
    Feed("a,b,c,d");
    view.recordNumber = "5";
    engine.Reset();
    EXPECT_FALSE(engine.State().InRecord);
    EXPECT_EQ(engine.State().CurrentField, 1);
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
    EXPECT_EQ(view.recordNumber, "");
    EXPECT_EQ(calls.Count("view.SetFieldText"), 3);
}

// The byte loop stores runs of plain bytes at once; byte by byte must give the same log.
class BurstEqualsByteByByte : public ::testing::TestWithParam<int> {};

TEST_P(BurstEqualsByteByByte, SameRecords) {
    static const int kEvents[] = {0, 1, 0, 2, 1, 1, 3};
    static const int kStructures[] = {0, 0, 1, 1, 1, 2, 2};
    const int mode = GetParam();
    std::string logs[2];
    for (int burst = 0; burst < 2; ++burst) {
        SetupGlobals g;
        ResetToDefaults(g, "/tmp");
        g.Mode = kModeKeystrokes;  // drops control bytes while fields fill
        g.TargetAppSpecified = kFalse;
        g.EndOfRecordEvent = static_cast<int16_t>(kEvents[mode]);
        g.RecordStructure = static_cast<int16_t>(kStructures[mode]);
        g.EndChars = ";";
        g.RecordGapTicks = 1;
        g.RecordLength = 7;
        g.NumberOfFields = 3;
        g.DelimiterChar = " ";
        g.InputTranslation['!'] = "Ignore";
        g.InputTranslation['?'] = "Void Record";
        g.InputTranslation['_'] = " ";
        g.FieldFilter[2] = "N";
        g.FieldFilter[3] = "B";
        for (int n = 1; n <= 41; ++n) g.FieldLength[n] = 3;
        for (int n = 1; n <= 3; ++n) g.FieldPostamble[n] = "|";
        RuntimeFlags flags;
        LocaleInfo locale = LocaleInfo::EnUs();
        FakeMessages messages;
        FakeClock clock;
        FakeEngineView view;
        FakeKeystrokeTarget keys;
        FakeDdeClient dde;
        FakeLogSink log;
        RecordEngine engine(g, flags, locale, {messages, clock, view, keys, dde, log});
        engine.Activate();
        const std::string input =
            "ab  c_ d!e\r\nx1.5 y;z  ?q;\x01\x02  12 34 56 78\r;a b c d e f g h;";
        for (int round = 0; round < 3; ++round) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
            if (burst) {
                engine.RunBytes(bytes, input.size());
            } else {
                for (size_t i = 0; i < input.size(); ++i) engine.HandleByte(bytes[i]);
            }
            engine.AdvanceIdleTicks();
            engine.IdleCheck();
        }
        for (const auto& typed : keys.typed) logs[burst] += typed + "\n";
        for (int n = 1; n <= kOverflowField; ++n) logs[burst] += engine.FieldData()[n] + "/";
    }
    EXPECT_FALSE(logs[0].empty());
    EXPECT_EQ(logs[0], logs[1]);
}

INSTANTIATE_TEST_SUITE_P(ParseModes, BurstEqualsByteByByte, ::testing::Range(0, 7));

}  // namespace
}  // namespace quorvane
