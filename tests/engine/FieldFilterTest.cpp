// What each field keeps of its bytes while the record arrives.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

class FieldFilter : public EngineFixture {
  protected:
    std::string Filtered(const std::string& bytes, int field = 1) {
        std::string out;
        for (char c : bytes) out += engine.Fields().FilterInputByte(static_cast<uint8_t>(c), field);
        return out;
    }
};

TEST_F(FieldFilter, BinaryGivesTwoUpperCaseHexDigitsPerByte) {
    g.FieldFilter[1] = "B";
    Start();
    EXPECT_EQ(Filtered("\x01\x02\xff\x0a"), "0102FF0A");
}

TEST_F(FieldFilter, NumericKeepsDigitsMinusAndTheDecimalSeparator) {
    g.FieldFilter[1] = "N";
    Start();
    EXPECT_EQ(Filtered("Wt: +12.5 kg"), "12.5");
    g.DecimalSeparator = ",";
    Start();
    EXPECT_EQ(Filtered("Wt: +12.5 kg"), "125");
    EXPECT_EQ(Filtered("-1,5"), "-1,5");
}

TEST_F(FieldFilter, IgnoreKeepsNothingButThePostambleIsStillDelivered) {
    Delimited(2, ",");
    g.FieldFilter[1] = "I";
    Start();
    Feed("abc,d\r");
    EXPECT_EQ(Logged(), "|d\r|");
}

TEST_F(FieldFilter, TransferTableDropsBytesExceptInLogMode) {
    g.Mode = kModeKeystrokes;  // default key table: control bytes other than 8, 9, 13 are "NUL"
    Start();
    EXPECT_EQ(Filtered("a\nb\rc\x01"), "ab\rc");
    g.Mode = kModeDde;  // default DDE table: every control byte is code 0
    Start();
    EXPECT_EQ(Filtered("a\nb\rc"), "abc");
    g.Mode = kModeLog;
    g.TransferCharTableLog[10] = '\0';  // a code-0 entry does not drop in Log mode
    Start();
    EXPECT_EQ(Filtered("a\nb"), "a\nb");
}

TEST_F(FieldFilter, HexOctalAndUnknownCodesFilterLikeNone) {
    g.Mode = kModeDde;
    for (const char* code : {"C", "H", "O", "X", ""}) {
        g.FieldFilter[1] = code;
        Start();
        EXPECT_EQ(Filtered("1A\r"), "1A") << "code '" << code << "'";
    }
}

TEST_F(FieldFilter, NumericIgnoreAndBinaryDisregardTheTransferTable) {
    g.Mode = kModeDde;
    g.TransferCharTableDde['5'] = '\0';
    g.FieldFilter[1] = "N";
    g.FieldFilter[2] = "B";
    Start();
    EXPECT_EQ(Filtered("15\n", 1), "15");
    EXPECT_EQ(Filtered("\n", 2), "0A");
}

TEST_F(FieldFilter, OverflowFieldUsesItsOwnFilterSlot) {
    g.FieldFilter[41] = "I";
    Start();
    EXPECT_EQ(Filtered("abc", 41), "");
    EXPECT_EQ(Filtered("abc", 40), "abc");
}

TEST_F(FieldFilter, FilterIsAppliedWhileTheFieldFills) {
    g.Mode = kModeKeystrokes;
    Delimited(2, ",");
    g.FieldFilter[1] = "N";
    g.FieldFilter[2] = "B";
    Start();
    Feed("x1.5y,\x7f");
    EXPECT_EQ(engine.FieldData()[1], "1.5");
    EXPECT_EQ(engine.FieldData()[2], "7F");
}

}  // namespace
}  // namespace quorvane
