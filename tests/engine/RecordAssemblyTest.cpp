// How the byte stream becomes records: parse modes, start events, pre-input translation,
// end events, the field cap and the record-end routine.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

// Input waiting at the port: each tick the device sends a chunk, and each PeekBytes hands
// out at most the next of a few piece sizes, so spans end anywhere.
class PiecewiseSource : public ByteSource {
  public:
    size_t PeekBytes(const uint8_t*& data) override {
        peeked_ = std::min(pending.size(), pieces[next_++ % pieces.size()]);
        if (peeked_ > 0) data = reinterpret_cast<const uint8_t*>(pending.data());
        return peeked_;
    }
    void ConsumeBytes(size_t n) override {
        n = std::min(n, peeked_);
        peeked_ -= n;
        pending.erase(0, n);
    }
    void Purge() {
        pending.clear();
        peeked_ = 0;
    }
    std::string pending;
    std::vector<size_t> pieces{1};

  private:
    size_t next_ = 0, peeked_ = 0;
};

// The session around the engine: its reset after a cancelled log write purges the port, and
// every resetEvery-th record a Reset arrives while delivery waits, after which the device
// sends more.
class SessionLikeView : public FakeEngineView {
  public:
    void OnEngineReset() override {
        FakeEngineView::OnEngineReset();
        source->Purge();
    }
    void SetRecordNumberText(const std::string& text) override {
        FakeEngineView::SetRecordNumberText(text);
        if (text.empty() || resetEvery == 0 || ++records % resetEvery != 0) return;
        if (++resets > 5) return;  // what it sends could end records for ever
        source->Purge();
        engine->Reset();
        source->pending += "a;7\r#";
    }
    PiecewiseSource* source = nullptr;
    RecordEngine* engine = nullptr;
    int resetEvery = 0, records = 0, resets = 0;
};

// The tick reads the port span by span and stores runs of plain bytes at once; the byte
// loop one ReadPortByte at a time is the reference. Random configurations in every parse
// mode, random input and spans cut anywhere must deliver the same records.
class SpanLoopEqualsByteLoop : public ::testing::TestWithParam<int> {};

TEST_P(SpanLoopEqualsByteLoop, SameRecords) {
    static const int kEvents[] = {0, 1, 0, 2, 1, 1, 3};
    static const int kStructures[] = {0, 0, 1, 1, 1, 2, 2};
    static const char* const kFilters[] = {"C", "N", "B", "I", "H"};
    const int seed = GetParam();
    const int mode = seed % 7;
    std::mt19937 random(static_cast<unsigned>(seed));
    auto pick = [&random](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };

    SetupGlobals config;
    ResetToDefaults(config, "/tmp");
    config.Mode = pick(0, 1) ? kModeKeystrokes : kModeLog;  // keystrokes drop control bytes
    config.TargetAppSpecified = kFalse;
    config.EndOfRecordEvent = static_cast<int16_t>(kEvents[mode]);
    config.RecordStructure = static_cast<int16_t>(kStructures[mode]);
    config.StartOfRecordEvent = static_cast<int16_t>(pick(0, 3));
    config.StartChars = "a1";
    config.EndChars = std::string(";#\r").substr(static_cast<size_t>(pick(0, 2)));
    config.RecordGapTicks = static_cast<int16_t>(pick(1, 2));
    config.NumberOfFields = static_cast<int16_t>(pick(config.RecordStructure == 1 ? 2 : 1, 4));
    config.DelimiterChar = std::string(1, " ,;"[pick(0, 2)]);
    config.InputTranslation['!'] = "Ignore";
    config.InputTranslation['?'] = "Void Record";
    config.InputTranslation['_'] = " ";
    // One length for every field, so that a record of a fixed number of bytes can end.
    const int fieldLength = pick(1, 4);
    config.RecordLength = static_cast<int16_t>(fieldLength * pick(1, 4));
    for (int n = 1; n <= 41; ++n) {
        config.FieldLength[n] = static_cast<int16_t>(fieldLength);
        config.FieldFilter[n] = kFilters[pick(0, 4)];
    }
    for (int n = 1; n <= 4; ++n) config.FieldPostamble[n] = "|";

    // Hand-picked cases first (spaces after spaces, voids, ignores, binary), then noise.
    std::string input = "ab  c_ d!e\r\nx1.5 y;z  ?q;\x01\x02  12 34 56 78\r;a b c d e f g h;";
    const size_t handPicked = input.size();
    const std::string alphabet = "ab1 ,;#\r!_.-\x01";  // a void in most long records is dull
    for (int n = pick(100, 400); n > 0; --n) input += alphabet[pick(0, 12)];
    const bool cancelFirstWrite = pick(0, 2) == 0;
    const int resetEvery = pick(0, 3);
    std::vector<size_t> chunks, pieces;
    for (size_t sent = 0; sent < input.size(); sent += chunks.back()) {
        // Silent ticks end time-gap records, always once after the hand-picked part.
        if (sent >= handPicked && sent - chunks.back() < handPicked)
            chunks.insert(chunks.end(), 3, 0);
        chunks.push_back(static_cast<size_t>(pick(0, 2) == 0 ? 0 : pick(1, 40)));
    }
    for (int n = pick(1, 3); n > 0; --n)  // some spans hold all there is, as a port's buffer
        pieces.push_back(static_cast<size_t>(pick(0, 3) == 0 ? 4096 : pick(1, 9)));

    std::string out[2];
    for (int spans = 0; spans < 2; ++spans) {
        SetupGlobals g = config;
        RuntimeFlags flags;
        LocaleInfo locale = LocaleInfo::EnUs();
        FakeMessages messages;
        FakeClock clock;
        SessionLikeView view;
        FakeKeystrokeTarget keys;
        FakeDdeClient dde;
        FakeLogSink log;
        if (cancelFirstWrite) {
            log.writeFailures = 1;
            messages.answers = {MessageAnswer::Cancel};
        }
        RecordEngine engine(g, flags, locale, {messages, clock, view, keys, dde, log});
        engine.Activate();
        PiecewiseSource source;
        source.pieces = pieces;
        view.source = &source;
        view.engine = &engine;
        view.resetEvery = resetEvery;
        size_t sent = 0;
        for (size_t tick = 0; tick < chunks.size() + 8; ++tick) {
            const size_t chunk =
                std::min(tick < chunks.size() ? chunks[tick] : 0, input.size() - sent);
            source.pending += input.substr(sent, chunk);
            sent += chunk;
            if (spans) {
                engine.PollInput(source);
            } else if (!flags.Suspended) {
                engine.AdvanceIdleTicks();
                engine.RunByteLoop(source);
                engine.IdleCheck();
            }
            flags.Suspended = false;  // the user resumes after a cancelled write
            out[spans] += log.contents + "#" + view.recordNumber + "#";
            for (const auto& typed : keys.typed) out[spans] += typed + "#";
            log.contents.clear();
            keys.typed.clear();
        }
        out[spans] += source.pending + "/";
        for (int n = 1; n <= kOverflowField; ++n) out[spans] += engine.FieldData()[n] + "/";
    }
    // A cancelled write purges what was waiting, which may be every record of a time gap.
    if (!cancelFirstWrite) {
        EXPECT_NE(out[0].find('|'), std::string::npos) << "no record";
    }
    EXPECT_EQ(out[1], out[0]);
}

INSTANTIATE_TEST_SUITE_P(RandomConfigurations, SpanLoopEqualsByteLoop, ::testing::Range(0, 70));

}  // namespace
}  // namespace quorvane
