#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/math/MathExpression.h"

namespace quorvane {
namespace {

struct MathCase {
    std::string expression;
    std::vector<std::pair<int, std::string>> fields;
    std::string expected;  // the text of the result
    bool ok;
};

void CheckCases(const std::vector<MathCase>& cases, const LocaleInfo& locale) {
    for (const MathCase& c : cases) {
        MathEvaluator evaluator(locale);
        FieldDataArray fields;
        for (const auto& [n, text] : c.fields) fields[static_cast<size_t>(n)] = text;
        Value result = Value::Number(12345);  // must be replaced also after an error
        const bool ok = evaluator.EvaluateFieldMath(c.expression, fields, result);
        EXPECT_EQ(ValueToText(result, locale), c.expected) << "expression: " << c.expression;
        EXPECT_EQ(ok, c.ok) << "expression: " << c.expression;
    }
}

TEST(MathExpressionTest, FieldsAndTextJoining) {
    CheckCases(
        {
            {"field(1) * 2 + 1", {{1, "12.5"}}, "26", true},
            {"field(1) + field(2)", {{1, "12"}, {2, "34"}}, "1234", true},
            {"val(field(1)) + val(field(2))", {{1, "12"}, {2, "34"}}, "46", true},
            {"field(1) - field(2)", {{1, "12"}, {2, "34"}}, "-22", true},
            {"field(1) + 1", {{1, "12"}}, "13", true},
            {"field(1) + field(2)", {{1, "12"}, {2, ""}}, "12", true},
            {"field(1) * 2", {{1, " 1,234 "}}, "2468", true},
            {"field(1) * 2", {{1, "abc"}}, "", false},
            {"field(1) * 2", {{1, ""}}, "", false},
            {"field(1) + 1", {{1, "abc"}}, "", false},
            {"field(0)", {}, "", true},
            {"field(0)", {{0, "x"}}, "x", true},
            {"field(42)", {{42, "last"}}, "last", true},
            {"field(42.5)", {{42, "even"}}, "even", true},
            {"field(0.5)", {{0, "zero"}}, "zero", true},
            {"field(1.5)", {{2, "two"}}, "two", true},
            {"field(43)", {}, "", false},
            {"field(-1)", {}, "", false},
            {"2 * field(50)", {}, "0", false},
            {"field(field(1))", {{1, "2"}, {2, "deep"}}, "deep", true},
            {"FIELD(1)", {{1, "a"}}, "a", true},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, PrecedenceAndAssociativity) {
    CheckCases(
        {
            {"-2 ^ 2", {}, "-4", true},
            {"2 ^ 3 ^ 2", {}, "64", true},
            {"7 \\ 2", {}, "3", true},
            {"7 mod 2", {}, "1", true},
            {"-2 * 3", {}, "-6", true},
            {"2 * -3", {}, "-6", true},
            {"2 ^ -1", {}, "0.5", true},
            {"(-2) ^ 3", {}, "-8", true},
            {"1 - 2 - 3", {}, "-4", true},
            {"100 / 10 / 5", {}, "2", true},
            {"2 + 3 * 4", {}, "14", true},
            {"(2 + 3) * 4", {}, "20", true},
            {"2 * 3 ^ 2", {}, "18", true},
            {"7 \\ 2 * 2", {}, "1", true},
            {"7 mod 4 \\ 2", {}, "1", true},
            {"2 + 3 = 5", {}, "True", true},
            {"3 > 2 > 1", {}, "False", true},
            {"1 < 2 < 3", {}, "True", true},
            {"not 1 = 2", {}, "True", true},
            {"not 0 and 1", {}, "1", true},
            {"not 1 = 1 or 1 = 1", {}, "True", true},
            {"1 or 2 and 4", {}, "1", true},
            {"1 xor 3 or 2", {}, "2", true},
            {"--3", {}, "3", true},
            {"5 AND 3", {}, "1", true},
            {"7 MoD 2", {}, "1", true},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, ArithmeticResults) {
    CheckCases(
        {
            {"10 / 4", {}, "2.5", true},
            {"1 / 3", {}, "0.333333333333333", true},
            {"2 / 3", {}, "0.666666666666667", true},
            {"0.1 + 0.2", {}, "0.3", true},
            {"1000000000000000", {}, "1E+15", true},
            {"100000000000000", {}, "100000000000000", true},
            {"0.00001", {}, "1E-05", true},
            {"0.0001", {}, "0.0001", true},
            {"1.2.3", {}, "1.2", true},
            {".", {}, "0", true},
            {"5.", {}, "5", true},
            {".5 * 2", {}, "1", true},
            {"7.5 \\ 2", {}, "4", true},
            {"6.5 \\ 2", {}, "3", true},
            {"-7 \\ 2", {}, "-3", true},
            {"-7 mod 2", {}, "-1", true},
            {"7 mod -2", {}, "1", true},
            {"5.5 mod 3", {}, "0", true},
            {"(1 = 1) + 1", {}, "0", true},
            {"asc(field(1)) * asc(field(1))", {{1, "\xFF"}}, "65025", true},
            {"-2 ^ 0.5", {}, "-1.4142135623731", true},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, EvaluationFailuresYieldEmptyAtTheirLevel) {
    CheckCases(
        {
            {"10 / 0", {}, "", false},
            {"0 / 0", {}, "", false},
            {"7 \\ 0.4", {}, "", false},
            {"7 mod 0", {}, "", false},
            {"1 + 10 / 0", {}, "1", false},
            {"(10 / 0) * 3", {}, "", false},
            {"(-2) ^ 0.5", {}, "", false},
            {"(-8) ^ (1 / 3)", {}, "", false},
            {"10 ^ 400", {}, "", false},
            {"10 ^ 308 * 10", {}, "", false},
            {"0 ^ -1", {}, "", false},
            {"4294967296 and 1", {}, "", false},
            {"2147483647 or 0", {}, "2147483647", true},
            {"2147483647.5 or 0", {}, "", false},
            {"not 3000000000", {}, "", false},
            {"-field(1)", {{1, "x"}}, "", false},
            {"abs(1 / 0)", {}, "0", false},
            {"1" + std::string(400, '0'), {}, "", false},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, SyntaxErrorsKeepThePartialResult) {
    CheckCases(
        {
            {"1 2", {}, "1", false},
            {"\t1\r\n+\n2", {}, "3", true},
            {"_x&1(4)", {}, "4", false},
            {"1 + (2", {}, "3", false},
            {"", {}, "", false},
            {"(", {}, "", false},
            {")", {}, "", false},
            {"1 +", {}, "1", false},
            {"2 *", {}, "0", false},
            {"1 >> 2", {}, "1", false},
            {"1e5", {}, "1", false},
            {"abs 3", {}, "0", false},
            {"abs(-3", {}, "3", false},
            {"foo(5)", {}, "5", false},
            {"foo(5) + 1", {}, "5", false},
            {"1 + #", {}, "1", false},
            {"#", {}, "", false},
            {"and", {}, "", false},
            {std::string("1 \0", 3), {}, "1", false},
            {"(1 2) + 3", {}, "1", false},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, HexPrefixReadsTextOperands) {
    CheckCases(
        {
            {"&h field(1)", {{1, "1A"}}, "26", true},
            {"&h(field(1))", {{1, "1A"}}, "26", true},
            {"&H field(1)", {{1, "1a"}}, "26", true},
            {"&h1A", {}, "", false},
            {"&h field(1)", {{1, "FFFF"}}, "65535", true},
            {"&h field(1)", {{1, "FFFFFFFF"}}, "-1", true},
            {"&h field(1)", {{1, "123456789"}}, "", false},
            {"&h field(1)", {{1, "1G"}}, "1", true},
            {"&h field(1)", {{1, "FFFFZ"}}, "65535", true},
            {"&h field(1)", {{1, "0FFFFFFFF"}}, "-1", true},
            {"&h field(1)", {{1, "&hFF"}}, "0", true},
            {"&h field(1)", {{1, " 1A"}}, "26", true},
            {"&h field(1) + 1", {{1, "10"}}, "17", true},
            {"&h 5", {}, "", false},
            {"&h", {}, "0", false},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, Comparisons) {
    CheckCases(
        {
            {"field(1) > 5", {{1, "3"}}, "True", true},
            {"field(1) > 5", {{1, "abc"}}, "True", true},
            {"field(1) = 5", {{1, "5"}}, "False", true},
            {"field(1) < 5", {{1, "3"}}, "False", true},
            {"field(1) <= 5", {{1, "3"}}, "False", true},
            {"field(1) >= 5", {{1, "3"}}, "True", true},
            {"field(1) <> 5", {{1, "5"}}, "True", true},
            {"val(field(1)) > 5", {{1, "3"}}, "False", true},
            {"5 = field(1)", {{1, "5kg"}}, "True", true},
            {"0 = field(1)", {{1, "abc"}}, "True", true},
            {"5 > field(1)", {{1, ""}}, "True", true},
            {"1 = 1", {}, "True", true},
            {"1 = 2", {}, "False", true},
            {"1 <> 2", {}, "True", true},
            {"1 <= 1", {}, "True", true},
            {"2 >= 3", {}, "False", true},
            {"1 < 2", {}, "True", true},
            {"-1 = (1 = 1)", {}, "True", true},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, BitwiseAndLogicalOperators) {
    CheckCases(
        {
            {"5 and 3", {}, "1", true},
            {"5 or 3", {}, "7", true},
            {"5 xor 3", {}, "6", true},
            {"5 eqv 3", {}, "-7", true},
            {"5 imp 3", {}, "-5", true},
            {"not 5", {}, "-6", true},
            {"not 0", {}, "-1", true},
            {"not (1 = 1)", {}, "False", true},
            {"1 = 1 and 2 = 2", {}, "True", true},
            {"1 = 1 and 2 = 3", {}, "False", true},
            {"1 = 1 or 1 = 2", {}, "True", true},
            {"1 = 1 xor 1 = 1", {}, "False", true},
            {"1 = 2 imp 1 = 2", {}, "True", true},
            {"1 = 1 eqv 1 = 2", {}, "False", true},
            {"(1 = 1) and 7", {}, "7", true},
            {"2.5 and 3", {}, "2", true},
            {"3.5 and 7", {}, "4", true},
            {"field(1) or 1", {{1, "6"}}, "7", true},
            {"field(1) or 1", {{1, "x"}}, "", false},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, Functions) {
    CheckCases(
        {
            {"ABS(-3)", {}, "3", true},
            {"Abs(-3)", {}, "3", true},
            {"abs(field(1))", {{1, "-2.5"}}, "2.5", true},
            {"asc(field(1))", {{1, "A"}}, "65", true},
            {"asc(field(1))", {{1, "\xE9"}}, "233", true},
            {"asc(field(1))", {{1, ""}}, "", false},
            {"asc(5)", {}, "53", true},
            {"atn(1) * 4", {}, "3.14159265358979", true},
            {"cos(0)", {}, "1", true},
            {"sin(0)", {}, "0", true},
            {"tan(0)", {}, "0", true},
            {"exp(1)", {}, "2.71828182845905", true},
            {"exp(1000)", {}, "", false},
            {"fix(-2.5)", {}, "-2", true},
            {"int(-2.5)", {}, "-3", true},
            {"fix(2.7)", {}, "2", true},
            {"int(2.7)", {}, "2", true},
            {"hex(255)", {}, "FF", true},
            {"hex(0)", {}, "0", true},
            {"hex(-1)", {}, "FFFFFFFF", true},
            {"hex(-32768)", {}, "FFFF8000", true},
            {"hex(sgn(-5))", {}, "FFFF", true},
            {"hex(asc(field(1)))", {{1, "A"}}, "41", true},
            {"hex(2.5)", {}, "2", true},
            {"hex(3.5)", {}, "4", true},
            {"hex(4294967295)", {}, "FFFFFFFF", true},
            {"hex(4294967296)", {}, "", false},
            {"hex(-2147483649)", {}, "", false},
            {"hex(field(1))", {{1, "x"}}, "", false},
            {"lcase(field(1))", {{1, "AbC"}}, "abc", true},
            {"ucase(field(1))", {{1, "AbC\xE9"}}, "ABC\xE9", true},
            {"lcase(1 = 1)", {}, "true", true},
            {"log(1)", {}, "0", true},
            {"log(0)", {}, "", false},
            {"log(-1)", {}, "", false},
            {"ltrim(field(1))", {{1, "  a  "}}, "a  ", true},
            {"rtrim(field(1))", {{1, "  a  "}}, "  a", true},
            {"trim(field(1))", {{1, "  a  "}}, "a", true},
            {"trim(field(1))", {{1, "\ta "}}, "\ta", true},
            {"sgn(-5)", {}, "-1", true},
            {"sgn(0)", {}, "0", true},
            {"sgn(field(1))", {{1, "2"}}, "1", true},
            {"sqr(16)", {}, "4", true},
            {"sqr(-1)", {}, "", false},
            {"rnd(1) >= 0 and rnd(1) < 1", {}, "True", true},
            // An empty argument is an error and then reads as 0: the previous number again.
            {"rnd()", {}, "0.01953125", false},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, ValReadsTheLeadingNumber) {
    CheckCases(
        {
            {"val(field(1))", {{1, " 1 2 3abc"}}, "123", true},
            {"val(field(1))", {{1, "-1.5e2x"}}, "-150", true},
            {"val(field(1))", {{1, "\t-\n4"}}, "-4", true},
            {"val(field(1))", {{1, "+7"}}, "7", true},
            {"val(field(1))", {{1, "1.2.3"}}, "1.2", true},
            {"val(field(1))", {{1, "1D3"}}, "1000", true},
            {"val(field(1))", {{1, "1e"}}, "1", true},
            {"val(field(1))", {{1, "12,5"}}, "12", true},
            {"val(field(1))", {{1, "abc"}}, "0", true},
            {"val(field(1))", {{1, ""}}, "0", true},
            {"val(field(1))", {{1, "-"}}, "0", true},
            {"val(field(1))", {{1, "\r5"}}, "0", true},
            {"val(field(1))", {{1, "&HFF"}}, "255", true},
            {"val(field(1))", {{1, "&hffff"}}, "-1", true},
            {"val(field(1))", {{1, "&HFFFF&"}}, "65535", true},
            {"val(field(1))", {{1, "&H10000"}}, "65536", true},
            {"val(field(1))", {{1, "&O17"}}, "15", true},
            {"val(field(1))", {{1, "&O177777"}}, "-1", true},
            {"val(field(1))", {{1, "&H123456789"}}, "", false},
            {"val(field(1))", {{1, "1e999"}}, "", false},
            {"val(field(1))", {{1, "1e-999"}}, "0", true},
            {"val(field(1))", {{1, "&X1"}}, "0", true},
        },
        LocaleInfo::EnUs());
}

TEST(MathExpressionTest, GermanLocaleReadsAndWritesCommas) {
    CheckCases(
        {
            {"field(1) * 2 + 1", {{1, "12,5"}}, "26", true},
            {"field(1) + 13", {{1, "12,5"}}, "25,5", true},
            {"field(1) * 2", {{1, "1.234,5"}}, "2469", true},
            {"field(1) * 1", {{1, "12.5"}}, "", false},
            {"10 / 4", {}, "2,5", true},
            {"2.5 * 2", {}, "5", true},
            {"val(field(1))", {{1, "12,5"}}, "12", true},
            {"val(2.5)", {}, "2,5", true},
            {"hex(field(1))", {{1, "255,4"}}, "FF", true},
            {"field(1) > 5", {{1, "3"}}, "True", true},
            {"0.00001", {}, "1E-05", true},
        },
        LocaleInfo::DeDe());
}

TEST(MathExpressionTest, DeepNestingIsAnErrorNotACrash) {
    const LocaleInfo locale = LocaleInfo::EnUs();
    MathEvaluator evaluator(locale);
    FieldDataArray fields;
    Value result;
    EXPECT_TRUE(evaluator.EvaluateFieldMath(std::string(150, '(') + "1" + std::string(150, ')'),
                                            fields, result));
    EXPECT_EQ(ValueToText(result, locale), "1");
    EXPECT_TRUE(evaluator.EvaluateFieldMath(std::string(150, '-') + "1", fields, result));
    EXPECT_EQ(ValueToText(result, locale), "1");
    for (const char* unit : {"(", "-", "not ", "&h ", "abs("}) {
        std::string deep;
        for (int i = 0; i < 100000; ++i) deep += unit;
        EXPECT_FALSE(evaluator.EvaluateFieldMath(deep + "1", fields, result)) << unit;
    }
}

TEST(MathExpressionTest, RndFollowsOneSequencePerEvaluator) {
    const LocaleInfo locale = LocaleInfo::EnUs();
    FieldDataArray fields;
    auto evaluate = [&](MathEvaluator& e, const char* expression) {
        Value v;
        EXPECT_TRUE(e.EvaluateFieldMath(expression, fields, v)) << expression;
        EXPECT_EQ(v.kind, Value::Kind::Single);
        return v.number;
    };
    MathEvaluator first(locale), second(locale);
    // The classic sequence starts with this number.
    EXPECT_FLOAT_EQ(static_cast<float>(evaluate(first, "rnd(1)")), 0.7055475f);
    const double a = evaluate(first, "rnd(1)");
    EXPECT_EQ(evaluate(first, "rnd(0)"), a);
    EXPECT_NE(evaluate(first, "rnd(1)"), a);

    // A negative argument restarts the sequence from a seed of its own.
    const double seeded = evaluate(first, "rnd(-3)");
    const double next = evaluate(first, "rnd(1)");
    EXPECT_EQ(evaluate(second, "rnd(-3)"), seeded);
    EXPECT_EQ(evaluate(second, "rnd(5)"), next);
    EXPECT_NE(evaluate(second, "rnd(-4)"), seeded);
    for (int i = 0; i < 1000; ++i) {
        const double r = evaluate(second, "rnd(1)");
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

}  // namespace
}  // namespace quorvane
