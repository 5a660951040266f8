#include "engine/format/DatePictureCalendar.h"

#include <cmath>

namespace quorvane {

namespace {

// Days since 1970-01-01 of a civil date, and back (the well-known era-based algorithms).
long DaysFromCivil(long y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr long kEpochFrom1970 = -25569;  // 1899-12-30 in days since 1970-01-01

int Modulo(long a, int b) {
    const long r = a % b;
    return static_cast<int>(r < 0 ? r + b : r);
}

// Start (day number) of week 1 of a year.
long FirstWeekStart(int year, int firstDayOfWeek, int firstWeekOfYear) {
    const long jan1 = DayNumberFromCivil(year, 1, 1);
    // Weekday of day 0 (a Saturday) is 7; offset of jan1 within its week.
    const int weekday = Modulo(jan1 + 6, 7) + 1;
    const int offset = Modulo(weekday - firstDayOfWeek, 7);
    long start = jan1 - offset;
    if (firstWeekOfYear == 2 && offset > 3) start += 7;
    if (firstWeekOfYear == 3 && offset > 0) start += 7;
    return start;
}

}  // namespace

long DayNumberFromCivil(int year, int month, int day) {
    return DaysFromCivil(year, month, day) - kEpochFrom1970;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return kDays[month - 1];
}

double SerialFromParts(int year, int month, int day, int hour, int minute, int second) {
    const long days = DayNumberFromCivil(year, month, day);
    const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return days < 0 ? static_cast<double>(days) - time : static_cast<double>(days) + time;
}

bool MomentFromSerial(double serial, CalendarMoment& out) {
    // The bounds keep the day count small; the year check below settles the edges.
    if (!std::isfinite(serial) || serial <= kMinDateSerial - 1 || serial >= kMaxDateSerial + 1) {
        return false;
    }
    long day = static_cast<long>(std::trunc(serial));
    long seconds = std::lround(std::fabs(serial - static_cast<double>(day)) * 86400.0);
    if (seconds >= 86400) {
        seconds = 0;
        ++day;
    }
    out.DayNumber = day;
    out.SecondsOfDay = static_cast<int>(seconds);
    CivilFromDays(day + kEpochFrom1970, out.Year, out.Month, out.Day);
    if (out.Year < 100 || out.Year > 9999) return false;
    out.Hour = static_cast<int>(seconds / 3600);
    out.Minute = static_cast<int>(seconds / 60 % 60);
    out.Second = static_cast<int>(seconds % 60);
    out.Weekday = Modulo(day + 6, 7) + 1;
    out.DayOfYear = static_cast<int>(day - DayNumberFromCivil(out.Year, 1, 1) + 1);
    return true;
}

int WeekdayFrom(const CalendarMoment& m, int firstDayOfWeek) {
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7) firstDayOfWeek = 1;
    return Modulo(m.Weekday - firstDayOfWeek, 7) + 1;
}

int WeekOfYear(const CalendarMoment& m, int firstDayOfWeek, int firstWeekOfYear) {
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7) firstDayOfWeek = 1;
    if (firstWeekOfYear < 1 || firstWeekOfYear > 3) firstWeekOfYear = 1;
    const long start = FirstWeekStart(m.Year, firstDayOfWeek, firstWeekOfYear);
    if (firstWeekOfYear != 1) {
        // Early January may still belong to the last week of the year before, and late
        // December to week 1 of the next year.
        if (m.DayNumber < start) {
            const long previous = FirstWeekStart(m.Year - 1, firstDayOfWeek, firstWeekOfYear);
            return static_cast<int>((m.DayNumber - previous) / 7 + 1);
        }
        if (m.DayNumber >= FirstWeekStart(m.Year + 1, firstDayOfWeek, firstWeekOfYear)) return 1;
    }
    return static_cast<int>((m.DayNumber - start) / 7 + 1);
}

}  // namespace quorvane
