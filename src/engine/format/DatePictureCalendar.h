// Calendar arithmetic on date serials: days since 1899-12-30 with the time of day as the
// fraction; before that day the integer part counts back and the fraction still runs forward
// (-1.25 is 1899-12-29 06:00).
#pragma once

namespace quorvane {

struct CalendarMoment {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0;
    long DayNumber = 0;    // the serial's day, 0 = 1899-12-30
    int SecondsOfDay = 0;  // 0..86399
    int Weekday = 7;       // 1 Sunday .. 7 Saturday
    int DayOfYear = 1;     // 1..366
    bool HasDate() const { return DayNumber != 0; }
    bool HasTime() const { return SecondsOfDay != 0; }
};

// The serials of the first and the last calendar day (0100-01-01 and 9999-12-31).
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958465.0;

// False when serial is not finite or outside the years 100..9999. Times round to the second.
bool MomentFromSerial(double serial, CalendarMoment& out);

// Days since 1899-12-30 of a civil date (any year, proleptic Gregorian).
long DayNumberFromCivil(int year, int month, int day);

// The serial of a civil date and time (no range check).
double SerialFromParts(int year, int month, int day, int hour, int minute, int second);

int DaysInMonth(int year, int month);

// Week of the year of a moment: firstDayOfWeek 1 Sunday .. 7 Saturday; firstWeekOfYear 1 the
// week of January 1, 2 the first week with four days in the year, 3 the first full week.
int WeekOfYear(const CalendarMoment& m, int firstDayOfWeek, int firstWeekOfYear);

// Weekday 1..7 counted from firstDayOfWeek.
int WeekdayFrom(const CalendarMoment& m, int firstDayOfWeek);

}  // namespace quorvane
