#include "engine/FormatField.h"

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
        Case{T("1234.5"), "Fixed", &kDe, "12345,00"}));  // "." groups thousands in de-DE

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

}  // namespace
}  // namespace quorvane
