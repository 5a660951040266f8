#include "engine/format/FormatField.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace quorvane {
namespace {

const LocaleInfo kUs = LocaleInfo::EnUs();
const LocaleInfo kDe = LocaleInfo::DeDe();

struct Case {
    Value value;
    const char* expression;
    const LocaleInfo* locale;
    const char* expected;
};

Value N(double d) {
    return Value::Number(d);
}
Value T(const char* s) {
    return Value::FromText(s);
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << "\"" << ValueToText(c.value, kUs) << "\" with \"" << c.expression << "\"";
}

class NamedFormats : public testing::TestWithParam<Case> {};

TEST_P(NamedFormats, Formats) {
    const Case& c = GetParam();
    EXPECT_EQ(FormatValue(c.value, c.expression, *c.locale),
              std::optional<std::string>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NamedFormats,
    testing::Values(
        Case{N(1234.5), "General Number", &kUs, "1234.5"},
        Case{N(1234.5), "Currency", &kUs, "$1,234.50"},
        Case{N(-1234.5), "Currency", &kUs, "($1,234.50)"},
        Case{N(1234.5), "Fixed", &kUs, "1234.50"}, Case{N(1234.5), "Standard", &kUs, "1,234.50"},
        Case{N(1234.5), "Percent", &kUs, "123450.00%"},
        Case{N(1234.5), "Scientific", &kUs, "1.23E+03"}, Case{N(1234.5), "Yes/No", &kUs, "Yes"},
        Case{N(1234.5), "True/False", &kUs, "True"}, Case{N(1234.5), "On/Off", &kUs, "On"},
        Case{N(0), "Yes/No", &kUs, "No"}, Case{N(-3), "Yes/No", &kUs, "Yes"},
        Case{N(0), "True/False", &kUs, "False"}, Case{N(0), "On/Off", &kUs, "Off"},
        Case{T("0.000"), "Yes/No", &kUs, "No"}, Case{Value::Truth(true), "Fixed", &kUs, "-1.00"},
        Case{Value::Truth(false), "Yes/No", &kUs, "No"}, Case{T("ABC"), "Fixed", &kUs, "ABC"},
        Case{T("ABC"), "Yes/No", &kUs, "ABC"}, Case{T("  12.5 "), "Fixed", &kUs, "12.50"},
        Case{T("1,234.5"), "Standard", &kUs, "1,234.50"}, Case{N(0.5), "Fixed", &kUs, "0.50"},
        Case{N(-0.004), "Fixed", &kUs, "0.00"},  // no "-0.00"
        Case{N(-12.345), "Fixed", &kUs, "-12.35"}, Case{N(1.005), "Fixed", &kUs, "1.01"},
        Case{N(2.675), "Standard", &kUs, "2.68"}, Case{N(0.0105), "Percent", &kUs, "1.05%"},
        Case{N(1234567.891), "Standard", &kUs, "1,234,567.89"},
        Case{N(999.995), "Standard", &kUs, "1,000.00"},
        Case{N(0.1 + 0.2), "General Number", &kUs, "0.3"},
        Case{N(0), "Scientific", &kUs, "0.00E+00"},
        Case{N(-0.000123456), "Scientific", &kUs, "-1.23E-04"},
        Case{N(9.996), "Scientific", &kUs, "1.00E+01"},
        Case{N(1e100), "Scientific", &kUs, "1.00E+100"},
        Case{Value::SingleNumber(0.1f), "General Number", &kUs, "0.1"},
        Case{Value::SingleNumber(2.675f), "Fixed", &kUs, "2.68"},
        Case{Value::Integer16(-5), "Currency", &kUs, "($5.00)"},
        Case{N(1234.5), "fixed", &kUs, "1234.50"},  // named formats ignore letter case
        Case{N(1234.5), "Fixed", &kDe, "1234,50"}, Case{N(1234.5), "Standard", &kDe, "1.234,50"},
        Case{N(1234.5), "Currency", &kDe, "1.234,50 \x80"},
        Case{N(-1234.5), "Currency", &kDe, "-1.234,50 \x80"},
        Case{N(1234.5), "General Number", &kDe, "1234,5"},
        Case{N(1234.5), "Scientific", &kDe, "1,23E+03"}, Case{N(0.5), "Percent", &kDe, "50,00%"},
        Case{T("1.234,5"), "Fixed", &kDe, "1234,50"},
        Case{T("1234.5"), "Fixed", &kDe, "1234.5"}));  // not a number in de-DE

TEST(NamedFormats, CurrencyFollowsTheLocaleForms) {
    LocaleInfo l = kUs;
    l.CurrencyDigits = 0;
    l.CurrencyNegativeFormat = 1;
    EXPECT_EQ(FormatValue(N(-1234.5), "Currency", l), "-$1,235");
    l.CurrencyNegativeFormat = 15;
    l.CurrencyPositiveFormat = 2;
    EXPECT_EQ(FormatValue(N(-7), "Currency", l), "(7 $)");
    EXPECT_EQ(FormatValue(N(7), "Currency", l), "$ 7");
    l.CurrencyDigits = 3;
    EXPECT_EQ(FormatValue(N(-0.0001), "Currency", l), "$ 0.000");
}

TEST(NamedFormats, EmptyValueGivesEmptyText) {
    EXPECT_EQ(FormatValue(Value::Empty(), "Fixed", kUs), "");
    EXPECT_EQ(FormatValue(T(""), "Yes/No", kUs), "");
}

TEST(NamedFormats, NumbersThatAreNotFiniteFail) {
    EXPECT_EQ(FormatValue(N(1.0 / 0.0), "Fixed", kUs), std::nullopt);
    EXPECT_EQ(FormatValue(N(std::nan("")), "0.00", kUs), std::nullopt);
}

TEST(NamedFormats, DisplayNamesMapToStoredNames) {
    std::array<NamedFormat, 7> names;
    const char* displayed[7] = {"",         "Zahl",    "W\xE4hrung",      "Festkomma",
                                "Standard", "Prozent", "Wissenschaftlich"};
    for (size_t k = 1; k < 7; ++k) names[k] = {displayed[k], kNamedFormatStoredNames[k]};
    EXPECT_EQ(FormatField(N(1234.5), "Festkomma", names, kUs), "1234.50");
    EXPECT_EQ(FormatField(N(1234.5), "W\xE4hrung", names, kUs), "$1,234.50");
    EXPECT_EQ(FormatField(N(0.5), "Prozent", names, kUs), "50.00%");
    EXPECT_EQ(FormatField(N(1234.5), "Wissenschaftlich", names, kUs), "1.23E+03");
    // The match is exact: another spelling is a picture, and other names pass unchanged.
    EXPECT_EQ(FormatField(N(1234.5), "Yes/No", names, kUs), "Yes");
    EXPECT_EQ(FormatField(N(1234.5), "Fixed", names, kUs), "1234.50");
    EXPECT_NE(FormatField(N(1234.5), "festkomma", names, kUs), "1234.50");
}

TEST(NamedFormats, DisplayNameEqualToAnotherStoredName) {
    // A translation may reuse an engine name for another row: the row decides.
    std::array<NamedFormat, 7> names;
    for (size_t k = 1; k < 7; ++k) names[k] = {"x", kNamedFormatStoredNames[k]};
    names[1] = {"Fixed", "Standard"};
    EXPECT_EQ(FormatField(N(1234.5), "Fixed", names, kUs), "1,234.50");
}

class Pictures : public testing::TestWithParam<Case> {};

TEST_P(Pictures, Formats) {
    const Case& c = GetParam();
    EXPECT_EQ(FormatValue(c.value, c.expression, *c.locale),
              std::optional<std::string>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Digits, Pictures,
    testing::Values(
        Case{N(7.25), "000.0", &kUs, "007.3"}, Case{N(-7.25), "000.0", &kUs, "-007.3"},
        Case{N(7.35), "0.0", &kUs, "7.4"}, Case{N(0.125), "0.00", &kUs, "0.13"},
        Case{N(1.005), "0.00", &kUs, "1.01"}, Case{N(1.45), "0.0", &kUs, "1.5"},
        Case{N(2.5), "0", &kUs, "3"}, Case{N(-2.5), "0", &kUs, "-3"},
        Case{N(12345.678), "0", &kUs, "12346"}, Case{N(9.995), "0.00", &kUs, "10.00"},
        Case{N(99.5), "#", &kUs, "100"}, Case{N(0.5), "0", &kUs, "1"},
        Case{N(0.05), "0.0", &kUs, "0.1"}, Case{N(0.00049), "0.000", &kUs, "0.000"},
        Case{N(0.0005), "0.000", &kUs, "0.001"}, Case{N(-0.0005), "0.000", &kUs, "-0.001"},
        Case{Value::FromDate(46363.5), "0.00", &kUs, "46363.50"},
        Case{Value::Truth(true), "0;(0)", &kUs, "(1)"}, Case{N(12345.678), "00", &kUs, "12346"},
        Case{N(5), "#.##", &kUs, "5."}, Case{N(5.1), "0.0#", &kUs, "5.1"},
        Case{N(5.125), "0.0#", &kUs, "5.13"}, Case{N(0.5), "#.00", &kUs, ".50"},
        Case{N(12.5), ".00", &kUs, "12.50"}, Case{N(0), "#", &kUs, ""}, Case{N(0), "0", &kUs, "0"},
        Case{N(42), "00000", &kUs, "00042"}, Case{N(42), "#####", &kUs, "42"},
        Case{N(1234567.5), "#,##0.00", &kUs, "1,234,567.50"}, Case{N(123), "#,##0", &kUs, "123"},
        Case{N(1234567.5), "#,##0.00", &kDe, "1.234.567,50"},
        Case{N(1234567), "#,##0,", &kUs, "1,235"}, Case{N(1234567), "0,,", &kUs, "1"},
        Case{N(1234567), "0.00,,", &kUs, "1234567.00"},  // "," after the point is ignored
        Case{N(1234567), "0,.00", &kUs, "1234.57"}, Case{N(0.256), "0%", &kUs, "26%"},
        Case{N(0.256), "0.0%", &kUs, "25.6%"}, Case{N(0.0105), "0.00%", &kDe, "1,05%"},
        Case{N(5551234567.0), "(000) 000-0000", &kUs, "(555) 123-4567"},
        Case{N(1234), "00-00", &kUs, "12-34"}, Case{N(123456), "00-00", &kUs, "1234-56"},
        Case{N(1234.5), "0.00E+00", &kUs, "1.23E+03"}, Case{N(1234.5), "0.00E-00", &kUs, "1.23E03"},
        Case{N(0.00012), "0.0E-00", &kUs, "1.2E-04"}, Case{N(0.00012), "0.0e+0", &kUs, "1.2e-4"},
        Case{N(1234.5), "00.0E+0", &kUs, "12.3E+2"}, Case{N(99999), "0.0E+00", &kUs, "1.0E+05"},
        Case{N(-1234.5), "0.00E+00", &kDe, "-1,23E+03"}));

INSTANTIATE_TEST_SUITE_P(
    Literals, Pictures,
    testing::Values(Case{N(5), "$0.00", &kUs, "$5.00"}, Case{N(-5), "$0.00", &kUs, "-$5.00"},
                    Case{N(5), "+0 kg", &kUs, "+5 kg"},
                    Case{N(12.5), "0.0 \"mm\"", &kUs, "12.5 mm"},
                    Case{N(12.5), "0.0 \\m\\m", &kUs, "12.5 mm"},
                    Case{N(12.5), "0.0 mm", &kUs,
                         "12.5 mm"},  // letters in a numeric picture are literal
                    Case{N(3), "\\#0", &kUs, "#3"}, Case{N(3), "\"0;0\"0", &kUs, "0;03"},
                    Case{N(3), "0 EUR", &kUs, "3 EUR"}, Case{N(3), "0\\", &kUs, "3"},
                    Case{N(3), "\\", &kUs, ""}, Case{N(-3), "0\\;", &kUs, "-3;"},
                    Case{N(3), "0 \"open", &kUs, "3 open"}));

INSTANTIATE_TEST_SUITE_P(
    Sections, Pictures,
    testing::Values(
        Case{N(5), "0.00;(0.00)", &kUs, "5.00"}, Case{N(-5), "0.00;(0.00)", &kUs, "(5.00)"},
        Case{N(0), "0.00;(0.00)", &kUs, "0.00"}, Case{N(0), "0.00;(0.00);\"zero\"", &kUs, "zero"},
        Case{N(0.001), "0.00;(0.00);\"zero\"", &kUs, "zero"},
        Case{N(-0.001), "0.00;(0.00);\"zero\"", &kUs, "zero"},
        Case{N(-0.001), "0.00;(0.00)", &kUs, "0.00"}, Case{N(-0.001), "0.00", &kUs, "0.00"},
        Case{N(-5), "0.00;;\"zero\"", &kUs, "-5.00"}, Case{N(-5), "0.00;", &kUs, "-5.00"},
        Case{N(0), "0;-0;Nothing", &kUs, "Nothing"}, Case{N(-2), "0;minus 0", &kUs, "minus 2"},
        Case{Value::Empty(), "0;-0;0;\"n/a\"", &kUs, "n/a"},
        Case{T(""), "0;-0;0;\"n/a\"", &kUs, "n/a"}, Case{Value::Empty(), "0.00", &kUs, ""},
        Case{T("ABC"), "0.00;-0.00;0;none", &kUs, "ABC"},
        Case{T("-12.5"), "0.0;[0.0]", &kUs, "[12.5]"}, Case{N(4), "\"Yes\"", &kUs, "Yes"}));

INSTANTIATE_TEST_SUITE_P(
    Text, Pictures,
    testing::Values(Case{T("ABC"), "@@@@@", &kUs, "  ABC"}, Case{T("ABC"), "!@@@@@", &kUs, "ABC  "},
                    Case{T("ABC"), "&&&&&", &kUs, "ABC"}, Case{T("ABCDEF"), "@@@", &kUs, "ABCDEF"},
                    Case{T("ABCDEF"), "!@@@-", &kUs, "ABCDEF-"},
                    Case{T("ABCDEF"), "@@-@@", &kUs, "ABCD-EF"}, Case{T("abc"), ">", &kUs, "ABC"},
                    Case{T("AbC"), "<@@@", &kUs, "abc"},
                    Case{T("abc"), "Name: >@@@", &kUs, "Name: ABC"},
                    Case{T("1234567"), "(@@@) @@@-@@@@", &kUs, "(   ) 123-4567"},
                    Case{N(12.5), "@@@@@@", &kUs, "  12.5"},
                    Case{N(12.5), "@@@@@@", &kDe, "  12,5"},
                    Case{T(""), "@@@;\"empty\"", &kUs, "empty"},
                    Case{Value::Empty(), "@@@;\"empty\"", &kUs, "empty"},
                    Case{T("x"), "@@@;\"empty\"", &kUs, "  x"}));

TEST(Pictures, HugeValuesAndLongPicturesStayExact) {
    EXPECT_EQ(FormatValue(N(1e20), "0", kUs), "100000000000000000000");
    EXPECT_EQ(FormatValue(N(123456789012345678.0), "#,##0", kUs), "123,456,789,012,346,000");
    EXPECT_EQ(FormatValue(N(1e-20), "0.00", kUs), "0.00");
    EXPECT_EQ(FormatValue(N(0.5), std::string(40, '0'), kUs), std::string(39, '0') + "1");
    const std::string fraction = "0." + std::string(30, '0');
    EXPECT_EQ(FormatValue(N(0.1), fraction, kUs), "0.1" + std::string(29, '0'));
}

}  // namespace
}  // namespace quorvane
