// Per-field processing at record end: conversion, math, format, translation, in that order
// for each field before the next.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

struct RadixCase {
    std::string text;
    int base;
    bool converts;
    std::string decimal;
};

class RadixConversion : public ::testing::TestWithParam<RadixCase> {};

TEST_P(RadixConversion, ReadsTheNumber) {
    const RadixCase& c = GetParam();
    std::string out = "unchanged";
    EXPECT_EQ(ConvertRadixText(c.text, c.base, out), c.converts) << c.text;
    EXPECT_EQ(out, c.converts ? c.decimal : "unchanged") << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadixConversion,
    ::testing::Values(
        RadixCase{"1A\r", 16, true, "26"}, RadixCase{"1a", 16, true, "26"},
        RadixCase{"FFFF", 16, true, "-1"}, RadixCase{"8000", 16, true, "-32768"},
        RadixCase{"7FFF", 16, true, "32767"}, RadixCase{"FFFFF", 16, true, "1048575"},
        RadixCase{"10000", 16, true, "65536"}, RadixCase{"FFFFFFFF", 16, true, "-1"},
        RadixCase{"80000000", 16, true, "-2147483648"}, RadixCase{"XYZ", 16, true, "0"},
        RadixCase{"", 16, true, "0"}, RadixCase{"   1 A", 16, true, "26"},
        RadixCase{"1\t2\n3", 16, true, "291"}, RadixCase{"12G4", 16, true, "18"},
        // The written width decides the word size.
        RadixCase{"00FF", 16, true, "255"}, RadixCase{"0000FFFF", 16, true, "65535"},
        RadixCase{"00000000FFFF", 16, true, "65535"}, RadixCase{"123456789", 16, false, ""},
        RadixCase{"777", 8, true, "511"}, RadixCase{"8", 8, true, "0"},
        RadixCase{"177777", 8, true, "-1"}, RadixCase{"100000", 8, true, "-32768"},
        RadixCase{"200000", 8, true, "65536"}, RadixCase{"37777777777", 8, true, "-1"},
        RadixCase{"0000177777", 8, true, "-1"}, RadixCase{"40000000000", 8, false, ""}));

class FieldProcessing : public EngineFixture {
  protected:
    // Delivers one delimited record of the given fields and returns what was logged.
    std::string Record(const std::string& bytes) {
        log.contents.clear();
        Feed(bytes);
        return Logged();
    }
};

TEST_F(FieldProcessing, HexFieldDropsTheTrailingCr) {
    g.FieldFilter[1] = "H";
    MarkFields(1);
    Start();
    EXPECT_EQ(Record("1A\r"), "26|");
    EXPECT_EQ(Record("FFFFF\r"), "1048575|");
}

TEST_F(FieldProcessing, TooLongHexKeepsItsText) {
    g.FieldFilter[1] = "H";
    MarkFields(1);
    Start();
    EXPECT_EQ(Record("123456789\r"), "123456789\r|");
}

TEST_F(FieldProcessing, OctalField) {
    Delimited(2, ",");
    g.FieldFilter[1] = "O";
    g.FieldFilter[2] = "O";
    Start();
    EXPECT_EQ(Record("777,8\r"), "511|0|");
}

TEST_F(FieldProcessing, MathResultIsFormattedAsAValue) {
    g.FieldMath[1] = "field(1) * 2 + 1";
    MarkFields(1);
    g.EndOfRecordEvent = 3;
    g.EndChars = ";";
    g.FieldFilter[1] = "N";
    Start();
    EXPECT_EQ(Record("12.5;"), "26|");
    g.FieldFormat[1] = "Fixed";
    Start();
    EXPECT_EQ(Record("12.5;"), "26.00|");
}

TEST_F(FieldProcessing, TruthValueBecomesText) {
    g.FieldMath[1] = "field(1) > 5";
    MarkFields(1);
    g.FieldFilter[1] = "N";
    Start();
    EXPECT_EQ(Record("3\r"), "True|");
}

TEST_F(FieldProcessing, MathErrorStoresThePartialResult) {
    g.FieldMath[1] = "10 / 0";
    MarkFields(1);
    Start();
    EXPECT_EQ(Record("x\r"), "|");
}

TEST_F(FieldProcessing, FieldsBelowAreFinalFieldsAboveAreRaw) {
    Delimited(3, ",");
    g.EndOfRecordEvent = 3;
    g.EndChars = ";";
    g.FieldFormat[1] = "Fixed";
    g.FieldMath[2] = "field(1) + field(3)";  // two texts join
    g.FieldFormat[3] = "Fixed";
    g.TransferCharTableLog['0'] = 'o';  // field 1's translation is visible to field 2
    Start();
    EXPECT_EQ(Record("1,x,3,;"), "1.oo|1.oo3|3.oo|");
}

TEST_F(FieldProcessing, MathSeesTheConvertedTextOfItsOwnField) {
    g.FieldFilter[1] = "H";
    g.FieldMath[1] = "field(1) + 1";
    MarkFields(1);
    Start();
    EXPECT_EQ(Record("FF\r"), "256|");
}

TEST_F(FieldProcessing, FormatOfNonNumericTextKeepsIt) {
    g.FieldFormat[1] = "Fixed";
    MarkFields(1);
    g.EndOfRecordEvent = 3;
    g.EndChars = ";";
    Start();
    EXPECT_EQ(Record("ABC;"), "ABC;|");
}

TEST_F(FieldProcessing, KeystrokeTranslationEscapesMacroCharacters) {
    g.Mode = kModeKeystrokes;
    g.TargetAppSpecified = kFalse;
    Start();
    Feed("A+B\r\n");
    ASSERT_EQ(keys.typed.size(), 1u);
    EXPECT_EQ(keys.typed[0], "A{+}B{ENTER}");
}

TEST_F(FieldProcessing, TranslationMayGrowAField) {
    g.TransferCharTableLog.clear();  // empty entries: every character vanishes
    MarkFields(1);
    Start();
    EXPECT_EQ(Record("abc\r"), "|");
    g.Mode = kModeKeystrokes;
    g.TargetAppSpecified = kFalse;
    g.TransferKeyTable['x'] = "{F1}";
    Start();
    Feed("xx\r");
    EXPECT_EQ(keys.typed.back(), "{F1}{F1}{ENTER}|");
}

TEST_F(FieldProcessing, OnlyConfiguredFieldsAreProcessed) {
    Delimited(2, ",");
    g.FieldMath[3] = "1 + 1";  // field 3 is overflow: never computed, never delivered
    Start();
    EXPECT_EQ(Record("a,b,c\r"), "a|b|");
}

}  // namespace
}  // namespace quorvane
