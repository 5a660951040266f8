#include "engine/format/FormatDecimal.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/LocaleInfo.h"
#include "engine/format/DatePictureCalendar.h"
#include "engine/format/FormatDateText.h"

namespace quorvane {
namespace {

std::string Digits(const FormatDecimal& d) {
    return std::string(d.digits, d.digits + d.count);
}

TEST(FormatDecimal, KeepsTheDigitsAUserTyped) {
    struct Row {
        double value;
        int significant;
        const char* digits;
        int pointPos;
    };
    const Row rows[] = {
        {1.005, 15, "1005", 1},
        {0.1 + 0.2, 15, "3", 0},
        {1234.5, 15, "12345", 4},
        {0.00012, 15, "12", -3},
        {1e300, 15, "1", 301},
        {5e-324, 15, "494065645841247", -323},
        {0.1f, 7, "1", 0},
        {123456789012345678.0, 15, "123456789012346", 18},
        {2.0 / 3.0, 15, "666666666666667", 0},
    };
    for (const Row& r : rows) {
        const FormatDecimal d = FormatDecimal::FromDouble(r.value, r.significant);
        EXPECT_EQ(Digits(d), r.digits) << r.value;
        EXPECT_EQ(d.pointPos, r.pointPos) << r.value;
    }
    EXPECT_TRUE(FormatDecimal::FromDouble(-0.0).IsZero());
    EXPECT_FALSE(FormatDecimal::FromDouble(-0.0).negative);
    EXPECT_TRUE(FormatDecimal::FromDouble(-2.5).negative);
}

TEST(FormatDecimal, RoundsHalvesAwayFromZero) {
    struct Row {
        double value;
        int fraction;
        const char* digits;
        int pointPos;
    };
    const Row rows[] = {
        {7.25, 1, "73", 1},   {7.249, 1, "72", 1}, {9.95, 1, "1", 2}, {0.5, 0, "1", 1},
        {0.49, 0, "", 0},     {0.05, 1, "1", 0},   {0.004, 2, "", 0}, {0.005, 2, "1", -1},
        {123.0, -1, "12", 3}, {150.0, -2, "2", 3}, {1e-30, 5, "", 0}, {999.5, 0, "1", 4},
    };
    for (const Row& r : rows) {
        FormatDecimal d = FormatDecimal::FromDouble(r.value);
        d.RoundToFraction(r.fraction);
        EXPECT_EQ(Digits(d), r.digits) << r.value << " to " << r.fraction;
        EXPECT_EQ(d.pointPos, r.pointPos) << r.value << " to " << r.fraction;
    }
    FormatDecimal d = FormatDecimal::FromDouble(99.96);
    d.RoundToSignificant(3);
    EXPECT_EQ(Digits(d), "1");
    EXPECT_EQ(d.pointPos, 3);
}

TEST(FormatDecimal, WritesGroupsAndPadding) {
    std::string out;
    AppendIntegerDigits(out, FormatDecimal::FromDouble(1234567.0), 1, ',', 3);
    EXPECT_EQ(out, "1,234,567");
    out.clear();
    AppendIntegerDigits(out, FormatDecimal::FromDouble(0.25), 3, '.', 3);
    AppendFractionDigits(out, FormatDecimal::FromDouble(0.25), 4);
    EXPECT_EQ(out, "0002500");
    out.clear();
    AppendIntegerDigits(out, FormatDecimal::FromDouble(1e20), 1, ' ', 4);
    EXPECT_EQ(out, "1 0000 0000 0000 0000 0000");
}

TEST(DateCalendar, SerialRangeIsTheYears100To9999) {
    CalendarMoment m;
    EXPECT_TRUE(MomentFromSerial(kMinDateSerial, m));
    EXPECT_EQ(m.Year, 100);
    EXPECT_EQ(m.Month, 1);
    EXPECT_EQ(m.Day, 1);
    EXPECT_FALSE(MomentFromSerial(kMinDateSerial - 1, m));
    EXPECT_TRUE(MomentFromSerial(kMaxDateSerial + 86399.0 / 86400.0, m));
    EXPECT_EQ(m.Year, 9999);
    EXPECT_EQ(m.Second, 59);
    EXPECT_FALSE(MomentFromSerial(kMaxDateSerial + 0.999999, m));  // rounds into year 10000
    EXPECT_FALSE(MomentFromSerial(kMaxDateSerial + 1, m));
    EXPECT_TRUE(MomentFromSerial(60, m));  // no phantom 29 February 1900
    EXPECT_EQ(m.Month, 2);
    EXPECT_EQ(m.Day, 28);
    EXPECT_TRUE(MomentFromSerial(-0.5, m));  // the same moment as 0.5
    EXPECT_EQ(m.Day, 30);
    EXPECT_EQ(m.Hour, 12);
}

TEST(DateCalendar, WeekNumberingModes) {
    CalendarMoment m;
    // 2022-01-01 is a Saturday, 2022-01-02 a Sunday.
    ASSERT_TRUE(MomentFromSerial(DayNumberFromCivil(2022, 1, 1), m));
    EXPECT_EQ(WeekOfYear(m, 1, 1), 1);
    EXPECT_EQ(WeekOfYear(m, 1, 3), 52);  // the first full Sunday week starts on 2 January
    EXPECT_EQ(WeekOfYear(m, 2, 2), 52);  // ISO: still the last week of 2021
    ASSERT_TRUE(MomentFromSerial(DayNumberFromCivil(2022, 1, 2), m));
    EXPECT_EQ(WeekOfYear(m, 1, 1), 2);
    EXPECT_EQ(WeekOfYear(m, 1, 3), 1);
    EXPECT_EQ(WeekdayFrom(m, 1), 1);
    EXPECT_EQ(WeekdayFrom(m, 2), 7);
}

TEST(DateText, ReadsTheShortFormsOnly) {
    const LocaleInfo us = LocaleInfo::EnUs();
    double serial = 0;
    ASSERT_TRUE(ParseDateText("1/2/29", us, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(2029, 1, 2));
    ASSERT_TRUE(ParseDateText("1/2/30", us, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(1930, 1, 2));
    ASSERT_TRUE(ParseDateText("2/29/2024 23:59:59", us, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(2024, 2, 29) + 86399.0 / 86400.0);
    ASSERT_TRUE(ParseDateText("12:00 AM", us, serial));
    EXPECT_EQ(serial, 0.0);
    for (const char* bad : {"2/29/2023", "1/2/3", "1/2/202", "13/1/2026", "1/2", "9:5", "9:60",
                            "0:30 PM", "1/2/2026 9:30 x", "", "  ", "1//2026"}) {
        EXPECT_FALSE(ParseDateText(bad, us, serial)) << bad;
    }
    const LocaleInfo de = LocaleInfo::DeDe();
    ASSERT_TRUE(ParseDateText("31.12.2026", de, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(2026, 12, 31));
    EXPECT_FALSE(ParseDateText("12/31/2026", de, serial));
    ASSERT_TRUE(ParseDateText("2026-12-31 08:00", de, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(2026, 12, 31) + 1.0 / 3.0);
    ASSERT_TRUE(ParseDateText("2026/12/31", us, serial));
    EXPECT_EQ(serial, DayNumberFromCivil(2026, 12, 31));
    EXPECT_FALSE(ParseDateText("2026-31-12", us, serial));
}

}  // namespace
}  // namespace quorvane
