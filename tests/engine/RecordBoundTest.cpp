// A record whose end never comes: past 1 MiB of bytes taken in it is voided, in every parse
// mode and on both the per-byte and the span path; the rest of it is passed over up to its
// end, and assembly starts again after that.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

constexpr size_t kBound = 1048576;

struct EndlessCase {
    const char* name;
    void (*configure)(SetupGlobals&);
    int parseMode;
    std::string pattern;  // repeated: bytes that never end a record in this mode
    std::string next;     // a well-formed record sent after the void
    std::string logged;   // what that record logs
};

void PrintTo(const EndlessCase& c, std::ostream* out) {
    *out << c.name;
}

bool IsTimeGap(int parseMode) {
    return parseMode == 1 || parseMode == 4 || parseMode == 5;
}

class EndlessRecord : public EngineFixture,
                      public ::testing::WithParamInterface<std::tuple<EndlessCase, bool>> {
  protected:
    void SetUp() override {
        g.AckString = "K";
        g.BeepOnInput = kTrue;
        g.RecordGapTicks = 2;
        Case().configure(g);
        Start();
        ASSERT_EQ(engine.ParseMode(), Case().parseMode);
    }
    const EndlessCase& Case() const { return std::get<0>(GetParam()); }
    // The bytes from..from+n of the endless stream.
    std::string Endless(size_t from, size_t n) const {
        const std::string& p = Case().pattern;
        std::string out(n, '\0');
        for (size_t i = 0; i < n; ++i) out[i] = p[(from + i) % p.size()];
        return out;
    }
    // Through RunBytes, or byte by byte through HandleByte.
    void Send(const std::string& bytes) {
        if (std::get<1>(GetParam())) {
            ASSERT_EQ(Feed(bytes), bytes.size());
        } else {
            for (char c : bytes) engine.HandleByte(static_cast<uint8_t>(c));
        }
    }
    size_t HeldBytes() {
        size_t total = 0;
        for (int n = 1; n <= kOverflowField; ++n) total += engine.FieldData()[n].size();
        return total;
    }
    void ExpectNothingOfItLeft() {
        EXPECT_FALSE(engine.State().InRecord);
        EXPECT_EQ(HeldBytes(), 0u);
        EXPECT_EQ(engine.State().CurrentField, 1);
        EXPECT_EQ(engine.State().FieldByteCount, 0);
        EXPECT_EQ(engine.State().RecordByteCount, 0);
        EXPECT_EQ(Logged(), "");
        EXPECT_EQ(calls.Count("log."), 0);
        EXPECT_EQ(calls.Count("keys."), 0);
        EXPECT_EQ(calls.Count("dde."), 0);
        EXPECT_EQ(view.recordNumber, "");
        EXPECT_EQ(g.OutputQueue, "");  // its end never came: no acknowledgement
        EXPECT_EQ(messages.beeps, 0);
    }
};

TEST_P(EndlessRecord, IsVoidedAtTheFirstBytePastTheBoundAndTheNextRecordIsWhole) {
    Send(Endless(0, kBound));
    EXPECT_TRUE(engine.State().InRecord);
    EXPECT_EQ(view.tooLongRecords, 0);
    Send(Endless(kBound, 1));
    EXPECT_EQ(view.tooLongRecords, 1);
    ExpectNothingOfItLeft();

    // More of the same, then its real end: no tail of it is delivered as a record.
    if (Case().parseMode != 3) {
        Send(Endless(kBound + 1, 1000));
        if (IsTimeGap(Case().parseMode)) {
            for (int i = 0; i < 2; ++i) Tick();
        } else {
            Send("\r");
        }
        ExpectNothingOfItLeft();
        EXPECT_EQ(view.tooLongRecords, 1);
    }

    Send(Case().next);
    if (IsTimeGap(Case().parseMode)) {
        for (int i = 0; i < 2; ++i) Tick();
    }
    EXPECT_EQ(Logged(), Case().logged);
    EXPECT_EQ(view.recordNumber, Case().logged.empty() ? "" : "1");
    EXPECT_EQ(view.tooLongRecords, 1);
}

TEST_P(EndlessRecord, StaysBoundedWhateverTheChunks) {
    // Chunks that do not divide the bound, so that it falls inside a burst.
    constexpr size_t kChunk = 65536 + 7;
    const size_t total = 3 * (kBound + 1);
    for (size_t at = 0; at < total; at += kChunk) {
        Send(Endless(at, std::min(kChunk, total - at)));
        ASSERT_LE(HeldBytes(), 2 * (kBound + 1)) << "after byte " << at;
    }
    // A record of a fixed number of bytes has no end to wait for: each MiB is voided anew.
    // Otherwise the rest of the endless record is passed over.
    EXPECT_EQ(view.tooLongRecords, Case().parseMode == 3 ? 3 : 1);
    ExpectNothingOfItLeft();
}

const EndlessCase kEndlessCases[] = {
    {"SingleEndChar", [](SetupGlobals& g) { g.FieldPostamble[1] = "|"; }, 0, "0123456789", "12.5\r",
     "12.5\r|"},
    // The binary filter writes two characters a byte: still bounded.
    {"SingleTimeGap",
     [](SetupGlobals& g) {
         g.EndOfRecordEvent = 1;
         g.FieldFilter[1] = "B";
         g.FieldPostamble[1] = "|";
     },
     1, "ab\rcd,", "12", "3132|"},
    // Most of it goes to the overflow field 41.
    {"DelimitedEndChar",
     [](SetupGlobals& g) {
         g.RecordStructure = 1;
         g.NumberOfFields = 3;
         g.DelimiterChar = ",";
         g.FieldFilter[41] = "B";
         for (int n = 1; n <= 3; ++n) g.FieldPostamble[n] = "|";
     },
     2, "a,b,c,d,", "1,2,3\r", "1|2|3\r|"},
    // Field lengths that never add up to the record length: no record of it can end.
    {"FixedNumberOfBytes",
     [](SetupGlobals& g) {
         g.EndOfRecordEvent = 2;
         g.RecordLength = 6;
         g.RecordStructure = 2;
         g.NumberOfFields = 2;
         g.FieldLength[1] = 4;
         g.FieldLength[2] = 4;
     },
     3, "abc\rdef", "", ""},
    {"DelimitedTimeGap",
     [](SetupGlobals& g) {
         g.EndOfRecordEvent = 1;
         g.RecordStructure = 1;
         g.NumberOfFields = 2;
         g.DelimiterChar = ",";
         for (int n = 1; n <= 2; ++n) g.FieldPostamble[n] = "|";
     },
     4, "x,y,z\r,", "1,2", "1|2|"},
    {"FixedLengthTimeGap",
     [](SetupGlobals& g) {
         g.EndOfRecordEvent = 1;
         g.RecordStructure = 2;
         g.NumberOfFields = 2;
         g.FieldLength[1] = 2;
         g.FieldLength[2] = 2;
         for (int n = 1; n <= 2; ++n) g.FieldPostamble[n] = "|";
     },
     5, "abc\r", "abcd", "ab|cd|"},
    {"FixedLengthEndChar",
     [](SetupGlobals& g) {
         g.RecordStructure = 2;
         g.NumberOfFields = 2;
         g.FieldLength[1] = 2;
         g.FieldLength[2] = 2;
         for (int n = 1; n <= 2; ++n) g.FieldPostamble[n] = "|";
     },
     6, "abcdef", "abcd\r", "ab|cd|"},
};

INSTANTIATE_TEST_SUITE_P(ParseModes, EndlessRecord,
                         ::testing::Combine(::testing::ValuesIn(kEndlessCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Burst" : "ByteByByte");
                         });

class RecordBound : public EngineFixture {};

// The byte that ends a record may come on top of the bound, and in a time-gap mode the gap
// does; one byte more than the bound voids the record before its end.
TEST_F(RecordBound, ExactlyTheBoundIsStillARecordOneByteMoreIsNot) {
    g.FieldPostamble[1] = "|";
    Start();
    const std::string bound(kBound, 'x');
    for (const std::string& input : {bound + "\r", bound + "x\r"}) {
        Feed(input);
        for (const char c : input) engine.HandleByte(static_cast<uint8_t>(c));
    }
    // After the void the CR ends what was left of the record, and starts none.
    const std::string record = bound + "\r|";
    EXPECT_EQ(Logged(), record + record);
    EXPECT_EQ(view.tooLongRecords, 2);

    log.contents.clear();
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 1;
    Start();
    TickUntilRead(bound);
    Tick();
    EXPECT_EQ(Logged(), bound + "|");
    TickUntilRead(bound + "x");
    Tick();
    EXPECT_EQ(Logged(), bound + "|");
    EXPECT_EQ(view.tooLongRecords, 3);
}

// Ignored bytes are never taken in; a "Void Record" byte is, and the void still needs no end.
TEST_F(RecordBound, IgnoredBytesDoNotCountVoidRecordBytesDo) {
    g.InputTranslation['!'] = "Ignore";
    g.InputTranslation['?'] = "Void Record";
    g.FieldPostamble[1] = "|";
    Start();
    Feed(std::string(kBound, 'x') + std::string(100, '!') + "\r");
    EXPECT_EQ(Logged(), std::string(kBound, 'x') + "\r|");
    Feed("x?" + std::string(kBound - 1, 'x'));
    EXPECT_EQ(view.tooLongRecords, 1);
    EXPECT_FALSE(engine.State().VoidPending);  // the next record is not voided by it
    Feed("\r1\r");
    EXPECT_EQ(Logged(), std::string(kBound, 'x') + "\r|1\r|");
}

}  // namespace
}  // namespace quorvane
