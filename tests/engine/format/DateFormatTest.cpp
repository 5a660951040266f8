#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/format/FormatField.h"

namespace quorvane {
namespace {

const LocaleInfo kUs = LocaleInfo::EnUs();
const LocaleInfo kDe = LocaleInfo::DeDe();

Value At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Value::FromDate(DateSerial({y, mo, d, h, mi, s}));
}

struct DateCase {
    Value value;
    const char* picture;
    const LocaleInfo* locale;
    const char* expected;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.value.number << c.value.text << " with \"" << c.picture << "\"";
}

class DatePictures : public testing::TestWithParam<DateCase> {};

TEST_P(DatePictures, Formats) {
    const DateCase& c = GetParam();
    EXPECT_EQ(FormatValue(c.value, c.picture, *c.locale), std::optional<std::string>(c.expected));
}

const Value kMorning = At(2026, 12, 7, 9, 30, 15);  // a Monday
const Value kEvening = At(2026, 12, 7, 21, 5, 9);
const Value kMarch = At(2026, 3, 5, 0, 7, 3);

INSTANTIATE_TEST_SUITE_P(
    Named, DatePictures,
    testing::Values(DateCase{kMorning, "General Date", &kUs, "12/7/2026 9:30:15 AM"},
                    DateCase{At(2026, 12, 7), "General Date", &kUs, "12/7/2026"},
                    DateCase{Value::FromDate(0.5), "General Date", &kUs, "12:00:00 PM"},
                    DateCase{Value::FromDate(0), "General Date", &kUs, "12:00:00 AM"},
                    DateCase{kMorning, "Long Date", &kUs, "Monday, December 7, 2026"},
                    DateCase{kMorning, "Medium Date", &kUs, "07-Dec-26"},
                    DateCase{kMorning, "Short Date", &kUs, "12/7/2026"},
                    DateCase{kMorning, "Long Time", &kUs, "9:30:15 AM"},
                    DateCase{kEvening, "Medium Time", &kUs, "09:05 PM"},
                    DateCase{kEvening, "Short Time", &kUs, "21:05"},
                    DateCase{kMorning, "General Date", &kDe, "07.12.2026 09:30:15"},
                    DateCase{kMorning, "Long Date", &kDe, "Montag, 7. Dezember 2026"},
                    DateCase{kMarch, "Medium Date", &kDe, "05.M\xE4r 26"},
                    DateCase{kEvening, "Medium Time", &kDe, "21:05"},
                    DateCase{kMorning, "Fixed", &kUs, "46363.40"}));

INSTANTIATE_TEST_SUITE_P(
    Placeholders, DatePictures,
    testing::Values(DateCase{kMorning, "d dd ddd dddd", &kUs, "7 07 Mon Monday"},
                    DateCase{kMorning, "ddddd", &kUs, "12/7/2026"},
                    DateCase{kMorning, "dddddd", &kUs, "Monday, December 7, 2026"},
                    DateCase{kMarch, "m mm mmm mmmm", &kUs, "3 03 Mar March"},
                    DateCase{kMarch, "m/d/yy", &kUs, "3/5/26"},
                    DateCase{kMarch, "yyyy-mm-dd", &kUs, "2026-03-05"},
                    DateCase{kMarch, "DD.MM.YYYY", &kUs, "05.03.2026"},
                    DateCase{kMorning, "q", &kUs, "4"}, DateCase{kMarch, "q", &kUs, "1"},
                    DateCase{kMorning, "y", &kUs, "341"}, DateCase{kMarch, "y", &kUs, "64"},
                    DateCase{kMorning, "w ww", &kUs, "2 50"},
                    DateCase{kMorning, "w ww", &kDe, "1 50"},
                    DateCase{kMarch, "h:m:s", &kUs, "0:7:3"},
                    DateCase{kMarch, "hh:nn:ss", &kUs, "00:07:03"},
                    DateCase{kMarch, "h:mm", &kUs, "0:07"},  // minutes after an hour
                    DateCase{kMarch, "mm h", &kUs, "03 0"},  // month before it
                    DateCase{kMorning, "hh:mm mm", &kUs, "09:30 12"},
                    DateCase{kEvening, "hh:nn", &kUs, "21:05"},
                    DateCase{kEvening, "h:nn AM/PM", &kUs, "9:05 PM"},
                    DateCase{kMorning, "h:nn am/pm", &kUs, "9:30 am"},
                    DateCase{kEvening, "h:nn A/P", &kUs, "9:05 P"},
                    DateCase{kEvening, "h:nn a/p", &kUs, "9:05 p"},
                    DateCase{kEvening, "h:nn AMPM", &kUs, "9:05 PM"},
                    DateCase{kMarch, "hh:nn AM/PM", &kUs, "12:07 AM"},
                    DateCase{At(2026, 1, 1, 12, 0, 0), "h AM/PM", &kUs, "12 PM"},
                    DateCase{kMorning, "ttttt", &kUs, "9:30:15 AM"},
                    DateCase{kMorning, "ttttt", &kDe, "09:30:15"},
                    DateCase{kMorning, "c", &kUs, "12/7/2026 9:30:15 AM"},
                    DateCase{kMorning, "dd/mm/yyyy hh:nn", &kDe, "07.12.2026 09:30"},
                    DateCase{kMorning, "dddd, d. mmmm yyyy", &kDe, "Montag, 7. Dezember 2026"},
                    DateCase{kMorning, "\"Day\" d", &kUs, "Day 7"},
                    DateCase{kMorning, "yyyy\\y \\d\\a\\y", &kUs, "2026y day"},
                    DateCase{Value::FromDate(-1.25), "yyyy-mm-dd hh:nn", &kUs, "1899-12-29 06:00"},
                    DateCase{Value::FromDate(46363.99999999), "yyyy-mm-dd hh:nn:ss", &kUs,
                             "2026-12-08 00:00:00"}));

INSTANTIATE_TEST_SUITE_P(
    Weeks, DatePictures,
    testing::Values(DateCase{At(2026, 12, 31), "ww", &kUs, "53"},
                    DateCase{At(2026, 12, 26), "ww", &kUs, "52"},
                    DateCase{At(2026, 12, 27), "ww", &kUs, "53"},
                    DateCase{At(2026, 1, 1), "ww", &kUs, "1"},
                    DateCase{At(2027, 1, 1), "ww", &kDe, "53"},  // a Friday: last week of 2026
                    DateCase{At(2027, 1, 4), "ww", &kDe, "1"},
                    DateCase{At(2024, 12, 30), "ww", &kDe, "1"},  // first week of 2025
                    DateCase{At(2021, 1, 3), "ww w", &kDe, "53 7"}));

INSTANTIATE_TEST_SUITE_P(
    Inputs, DatePictures,
    testing::Values(DateCase{Value::FromText("12/7/2026"), "yyyy-mm-dd", &kUs, "2026-12-07"},
                    DateCase{Value::FromText("12-7-26"), "yyyy-mm-dd", &kUs, "2026-12-07"},
                    DateCase{Value::FromText("9:30:15"), "hh\\h nn", &kUs, "09h 30"},
                    DateCase{Value::FromText("12/7/2026 9:30"), "c", &kUs, "12/7/2026 9:30:00 AM"},
                    DateCase{Value::FromText(" 12/7/2026 9:30 PM "), "hh:nn", &kUs, "21:30"},
                    DateCase{Value::FromText("12/7/2026 12:15 am"), "hh:nn", &kUs, "00:15"},
                    DateCase{Value::FromText("07.12.2026"), "d. mmmm", &kDe, "7. Dezember"},
                    DateCase{Value::FromText("07.12.2026 18:45:00"), "hh:nn", &kDe, "18:45"},
                    DateCase{Value::FromText("46363.5"), "dd hh", &kUs, "07 12"},
                    DateCase{Value::Number(46363.5), "yyyy-mm-dd hh:nn", &kUs, "2026-12-07 12:00"},
                    // Texts that are not dates in the locale's form stay as they are.
                    DateCase{Value::FromText("ABC"), "yyyy", &kUs, "ABC"},
                    DateCase{Value::FromText("31/12/2026"), "yyyy", &kUs, "31/12/2026"},
                    DateCase{Value::FromText("2/30/2026"), "yyyy", &kUs, "2/30/2026"},
                    DateCase{Value::FromText("12/7/2026 9"), "yyyy", &kUs, "12/7/2026 9"},
                    DateCase{Value::FromText("25:00"), "hh", &kUs, "25:00"},
                    DateCase{Value::FromText("12/7/2026"), "Long Date", &kUs,
                             "Monday, December 7, 2026"},
                    DateCase{Value::FromText("soon"), "Short Date", &kUs, "soon"},
                    DateCase{Value::Empty(), "yyyy;;;\"no date\"", &kUs, "no date"},
                    DateCase{Value::Empty(), "Short Date", &kUs, ""}));

TEST(DatePictures, LocaleSeparatorsReplaceSlashAndColon) {
    LocaleInfo l = kUs;
    l.DateSeparator = "-";
    l.TimeSeparator = ".";
    EXPECT_EQ(FormatValue(kMorning, "mm/dd/yyyy hh:nn", l), "12-07-2026 09.30");
    EXPECT_EQ(FormatValue(Value::FromText("12-7-2026 9.30"), "yyyy", l), "2026");
}

TEST(DatePictures, SerialsOutsideTheCalendarFail) {
    EXPECT_EQ(FormatValue(Value::Number(1e10), "yyyy", kUs), std::nullopt);
    EXPECT_EQ(FormatValue(Value::Number(-700000), "Short Date", kUs), std::nullopt);
    EXPECT_EQ(FormatValue(Value::FromDate(2958465.5), "yyyy-mm-dd", kUs), "9999-12-31");
}

TEST(DateSerial, CountsDaysFrom1899_12_30) {
    EXPECT_EQ(DateSerial({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_EQ(DateSerial({2026, 12, 7, 12, 0, 0}), 46363.5);
    EXPECT_EQ(DateSerial({1900, 3, 1, 0, 0, 0}), 61.0);
    EXPECT_EQ(DateSerial({1899, 12, 29, 6, 0, 0}), -1.25);
}

TEST(FormatDateTime, EmptyExpressionGivesTheGeneralDate) {
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 9, 30, 15}, "", kUs), "12/7/2026 9:30:15 AM");
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 0, 0, 0}, "", kUs), "12/7/2026");
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 9, 30, 15}, "", kDe), "07.12.2026 09:30:15");
}

TEST(FormatDateTime, UsesTheExpression) {
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 21, 5, 9}, "ddd hh:nn:ss", kUs), "Mon 21:05:09");
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 21, 5, 9}, "Long Date", kDe),
              "Montag, 7. Dezember 2026");
    EXPECT_EQ(FormatDateTime({2026, 12, 7, 21, 5, 9}, "\"at\" h:nn a/p", kUs), "at 9:05 p");
}

}  // namespace
}  // namespace quorvane
