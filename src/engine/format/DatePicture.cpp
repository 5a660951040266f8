#include "engine/format/DatePicture.h"

#include "engine/format/FormatScan.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

void AppendNumber(std::string& out, int v, int minDigits) {
    AppendUnsignedDigits(out, v < 0 ? 0u : static_cast<unsigned>(v), minDigits);
}

size_t RunLength(std::string_view s, size_t pos, bool ignoreCase) {
    size_t n = 1;
    const char c = ignoreCase ? AsciiLower(s[pos]) : s[pos];
    while (pos + n < s.size() && (ignoreCase ? AsciiLower(s[pos + n]) : s[pos + n]) == c) ++n;
    return n;
}

int Hour12(int hour) {
    return hour % 12 == 0 ? 12 : hour % 12;
}

// The 12-hour markers of a picture: AM/PM and A/P write the picture's own spelling of the
// half, AMPM the locale's designators. Returns the marker length at pos, 0 for none.
size_t ClockMarker(std::string_view s, size_t pos) {
    if (AsciiStartsWithNoCase(s, pos, "am/pm")) return 5;
    if (AsciiStartsWithNoCase(s, pos, "ampm")) return 4;
    if (AsciiStartsWithNoCase(s, pos, "a/p")) return 3;
    return 0;
}

bool HasClockMarker(std::string_view s) {
    return AnyOutsideLiterals(
        s, [](std::string_view t, size_t pos) { return ClockMarker(t, pos) > 0; });
}

}  // namespace

void AppendLocalePattern(std::string_view p, const CalendarMoment& m, const LocaleInfo& locale,
                         std::string& out) {
    size_t pos = 0;
    while (pos < p.size()) {
        const char c = p[pos];
        if (c == '\'') {
            const size_t close = p.find('\'', pos + 1);
            const size_t end = close == std::string_view::npos ? p.size() : close;
            if (end == pos + 1 && close != std::string_view::npos) out += '\'';  // '' is a quote
            out.append(p.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? p.size() : close + 1;
            continue;
        }
        const size_t n = RunLength(p, pos, false);
        const int count = static_cast<int>(n);
        const std::string& designator = m.Hour < 12 ? locale.AmDesignator : locale.PmDesignator;
        switch (c) {
            case 'd':
                if (count <= 2)
                    AppendNumber(out, m.Day, count);
                else if (count == 3)
                    out += locale.ShortDayNames[m.Weekday - 1];
                else
                    out += locale.DayNames[m.Weekday - 1];
                break;
            case 'M':
                if (count <= 2)
                    AppendNumber(out, m.Month, count);
                else if (count == 3)
                    out += locale.ShortMonthNames[m.Month - 1];
                else
                    out += locale.MonthNames[m.Month - 1];
                break;
            case 'y':
                if (count <= 2)
                    AppendNumber(out, m.Year % 100, count);
                else
                    AppendNumber(out, m.Year, 4);
                break;
            case 'h':
                AppendNumber(out, Hour12(m.Hour), count >= 2 ? 2 : 1);
                break;
            case 'H':
                AppendNumber(out, m.Hour, count >= 2 ? 2 : 1);
                break;
            case 'm':
                AppendNumber(out, m.Minute, count >= 2 ? 2 : 1);
                break;
            case 's':
                AppendNumber(out, m.Second, count >= 2 ? 2 : 1);
                break;
            case 't':
                if (count == 1)
                    out.append(designator.substr(0, designator.empty() ? 0 : 1));
                else
                    out += designator;
                break;
            case 'g':
                break;  // no era in the Gregorian calendar
            default:
                out.append(p.substr(pos, n));
                break;
        }
        pos += n;
    }
    // Patterns like "HH:mm:ss tt" leave a blank behind when the locale has no designators.
    const std::string& designator = m.Hour < 12 ? locale.AmDesignator : locale.PmDesignator;
    if (designator.empty() && !p.empty() && p.back() == 't') {
        while (!out.empty() && out.back() == ' ') out.pop_back();
    }
}

void AppendGeneralDate(const CalendarMoment& m, const LocaleInfo& locale, std::string& out) {
    const bool date = m.HasDate();
    if (date) AppendLocalePattern(locale.ShortDatePattern, m, locale, out);
    if (m.HasTime() || !date) {
        if (date) out += ' ';
        AppendLocalePattern(locale.LongTimePattern, m, locale, out);
    }
}

bool HasDatePlaceholder(std::string_view s) {
    for (size_t pos = 0; pos < s.size(); ++pos) {
        const char c = AsciiLower(s[pos]);
        if (c == '"') {
            const size_t close = s.find('"', pos + 1);
            if (close == std::string_view::npos) return false;
            pos = close;
        } else if (c == '\\') {
            ++pos;
        } else if (c == 'd' || c == 'w' || c == 'm' || c == 'q' || c == 'y' || c == 'h' ||
                   c == 'n' || c == 's' || c == 'c' || ClockMarker(s, pos) > 0 ||
                   AsciiStartsWithNoCase(s, pos, "ttttt")) {
            return true;
        }
    }
    return false;
}

void AppendDatePicture(std::string_view s, const CalendarMoment& m, const LocaleInfo& locale,
                       std::string& out) {
    const bool twelveHour = HasClockMarker(s);
    bool afterHour = false;  // "m" right after an hour token means minutes
    size_t pos = 0;
    while (pos < s.size()) {
        const char raw = s[pos];
        const char c = AsciiLower(raw);
        if (raw == '"') {
            const size_t close = s.find('"', pos + 1);
            const size_t end = close == std::string_view::npos ? s.size() : close;
            out.append(s.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? s.size() : close + 1;
            continue;
        }
        if (raw == '\\') {
            if (pos + 1 < s.size()) out += s[pos + 1];
            pos += 2;
            continue;
        }
        if (const size_t marker = ClockMarker(s, pos); marker > 0) {
            const bool am = m.Hour < 12;
            if (marker == 4) {
                out += am ? locale.AmDesignator : locale.PmDesignator;
            } else {
                // "AM/PM" writes "AM" or "PM", "a/p" writes "a" or "p", as spelt.
                const size_t half = marker == 5 ? 2 : 1;
                out.append(s.substr(am ? pos : pos + half + 1, half));
            }
            pos += marker;
            continue;
        }
        const size_t run = RunLength(s, pos, true);
        size_t used = 1;
        bool token = true;
        switch (c) {
            case 'd':
                used = run > 6 ? 6 : run;
                if (used <= 2)
                    AppendNumber(out, m.Day, static_cast<int>(used));
                else if (used == 3)
                    out += locale.ShortDayNames[m.Weekday - 1];
                else if (used == 4)
                    out += locale.DayNames[m.Weekday - 1];
                else if (used == 5)
                    AppendLocalePattern(locale.ShortDatePattern, m, locale, out);
                else
                    AppendLocalePattern(locale.LongDatePattern, m, locale, out);
                break;
            case 'w':
                used = run > 2 ? 2 : run;
                if (used == 1) {
                    AppendNumber(out, WeekdayFrom(m, locale.FirstDayOfWeek), 1);
                } else {
                    AppendNumber(out, WeekOfYear(m, locale.FirstDayOfWeek, locale.FirstWeekOfYear),
                                 1);
                }
                break;
            case 'm':
                used = run > 4 ? 4 : run;
                if (afterHour && used <= 2) {
                    AppendNumber(out, m.Minute, static_cast<int>(used));
                } else if (used <= 2) {
                    AppendNumber(out, m.Month, static_cast<int>(used));
                } else {
                    out += used == 3 ? locale.ShortMonthNames[m.Month - 1]
                                     : locale.MonthNames[m.Month - 1];
                }
                break;
            case 'q':
                AppendNumber(out, (m.Month - 1) / 3 + 1, 1);
                break;
            case 'y':
                used = run >= 4 ? 4 : (run >= 2 ? 2 : 1);
                if (used == 4)
                    AppendNumber(out, m.Year, 4);
                else if (used == 2)
                    AppendNumber(out, m.Year % 100, 2);
                else
                    AppendNumber(out, m.DayOfYear, 1);
                break;
            case 'h':
                used = run > 2 ? 2 : run;
                AppendNumber(out, twelveHour ? Hour12(m.Hour) : m.Hour, static_cast<int>(used));
                break;
            case 'n':
                used = run > 2 ? 2 : run;
                AppendNumber(out, m.Minute, static_cast<int>(used));
                break;
            case 's':
                used = run > 2 ? 2 : run;
                AppendNumber(out, m.Second, static_cast<int>(used));
                break;
            case 'c':
                AppendGeneralDate(m, locale, out);
                break;
            case 't':
                if (run >= 5) {
                    used = 5;
                    AppendLocalePattern(locale.LongTimePattern, m, locale, out);
                } else {
                    used = run;
                    out.append(s.substr(pos, run));
                    token = false;
                }
                break;
            case '/':
                out += locale.DateSeparator;
                token = false;
                break;
            case ':':
                out += locale.TimeSeparator;
                token = false;
                break;
            default:
                out += raw;
                token = false;
                break;
        }
        if (token) afterHour = c == 'h';
        pos += used;
    }
}

}  // namespace quorvane
