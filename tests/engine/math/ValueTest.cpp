#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/math/Value.h"

namespace quorvane {
namespace {

TEST(ValueTest, NumbersAsText) {
    const LocaleInfo en = LocaleInfo::EnUs(), de = LocaleInfo::DeDe();
    struct Case {
        Value value;
        std::string english, german;
    };
    const std::vector<Case> cases = {
        {Value::Number(1e15), "1E+15", "1E+15"},
        {Value::Number(1e14), "100000000000000", "100000000000000"},
        {Value::Number(123456789012345), "123456789012345", "123456789012345"},
        {Value::Number(1234567890123456), "1.23456789012346E+15", "1,23456789012346E+15"},
        {Value::Number(1e16), "1E+16", "1E+16"},
        {Value::Number(1e100), "1E+100", "1E+100"},
        {Value::Number(0.0001), "0.0001", "0,0001"},
        {Value::Number(0.00001), "1E-05", "1E-05"},
        {Value::Number(-1.5e-5), "-1.5E-05", "-1,5E-05"},
        {Value::Number(0.1 + 0.2), "0.3", "0,3"},
        {Value::Number(1.0 / 3), "0.333333333333333", "0,333333333333333"},
        {Value::Number(-2.5), "-2.5", "-2,5"},
        {Value::Number(-0.0), "0", "0"},
        {Value::Number(26), "26", "26"},
        {Value::SingleNumber(0.1f), "0.1", "0,1"},
        {Value::SingleNumber(1.0f / 3), "0.3333333", "0,3333333"},
        {Value::SingleNumber(1e7f), "1E+07", "1E+07"},
        {Value::Integer16(-5), "-5", "-5"},
        {Value::Truth(true), "True", "True"},
        {Value::Truth(false), "False", "False"},
        {Value::Empty(), "", ""},
        {Value::FromText("12,5"), "12,5", "12,5"},
        {Value::FromText(std::string("a\0b", 3)), std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValueToText(c.value, en), c.english) << c.english;
        EXPECT_EQ(ValueToText(c.value, de), c.german) << c.german;
    }
}

TEST(ValueTest, ParseLocaleNumber) {
    const LocaleInfo en = LocaleInfo::EnUs(), de = LocaleInfo::DeDe();
    struct Case {
        std::string text;
        bool german;
        bool ok;
        double expected;
    };
    const std::vector<Case> cases = {
        {"12.5", false, true, 12.5},
        {" -12.5 ", false, true, -12.5},
        {"+5", false, true, 5},
        {"- 5", false, true, -5},
        {"1,234.5", false, true, 1234.5},
        {"5.", false, true, 5},
        {".5", false, true, 0.5},
        {"1e3", false, true, 1000},
        {"1D3", false, true, 1000},
        {"2.5E-1", false, true, 0.25},
        {"1e-400", false, true, 0},
        {"&HFF", false, true, 255},
        {"&hFFFF", false, true, -1},
        {"&H8000", false, true, -32768},
        {"&H10000", false, true, 65536},
        {"&HFFFFFFFF", false, true, -1},
        {"&O17", false, true, 15},
        {"&O177777", false, true, -1},
        {"12,5", true, true, 12.5},
        {"1.234,5", true, true, 1234.5},
        {"1.234.567", true, true, 1234567},
        {"-0,25", true, true, -0.25},
        // A thousands separator needs a whole group after it.
        {"12,5", false, false, 0},
        {"12.5", true, false, 0},
        {"1,2345", false, false, 0},
        {"1,234,56", false, false, 0},
        {"", false, false, 0},
        {"  ", false, false, 0},
        {"abc", false, false, 0},
        {"12abc", false, false, 0},
        {".", false, false, 0},
        {",5", false, false, 0},
        {"1.5,3", false, false, 0},
        {"12.5.3", false, false, 0},
        {"1e", false, false, 0},
        {"1e400", false, false, 0},
        {"&H", false, false, 0},
        {"&H100000000", false, false, 0},
        {"&HG", false, false, 0},
        {"&O8", false, false, 0},
        {std::string("1\0", 2), false, false, 0},
        {"1" + std::string(400, '0'), false, false, 0},
    };
    for (const Case& c : cases) {
        double out = 99;
        EXPECT_EQ(ParseLocaleNumber(c.text, c.german ? de : en, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.expected) << c.text;
        }
    }
}

TEST(ValueTest, DecimalTextToDouble) {
    double out = 0;
    EXPECT_TRUE(DecimalTextToDouble("-12.5e1", out));
    EXPECT_EQ(out, -125);
    EXPECT_TRUE(DecimalTextToDouble("0." + std::string(400, '0') + "1", out));
    EXPECT_EQ(out, 0);
    EXPECT_TRUE(DecimalTextToDouble(std::string(400, '0') + "1", out));
    EXPECT_EQ(out, 1);
    EXPECT_FALSE(DecimalTextToDouble("1e309", out));
    EXPECT_FALSE(DecimalTextToDouble("1" + std::string(400, '0') + "e-50", out));
    EXPECT_FALSE(DecimalTextToDouble("1x", out));
    EXPECT_FALSE(DecimalTextToDouble("", out));
}

}  // namespace
}  // namespace quorvane
