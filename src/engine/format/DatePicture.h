// Date and time pictures (d dd ddd dddd ddddd dddddd w ww m mm mmm mmmm q y yy yyyy h hh n nn
// s ss ttttt c, AM/PM am/pm A/P a/p AMPM, "/" and ":" as the locale's separators) and the
// locale's own patterns in Windows notation (d M y h H m s t, 'quoted').
#pragma once

#include <string>
#include <string_view>

#include "engine/LocaleInfo.h"
#include "engine/format/DatePictureCalendar.h"

namespace quorvane {

// Appends moment written with a date/time picture section.
void AppendDatePicture(std::string_view section, const CalendarMoment& moment,
                       const LocaleInfo& locale, std::string& out);

// Appends moment written with a locale pattern such as "M/d/yyyy" or "h:mm:ss tt".
void AppendLocalePattern(std::string_view pattern, const CalendarMoment& moment,
                         const LocaleInfo& locale, std::string& out);

// The general date form: the short date unless the serial has no day part, then the long time
// unless it is midnight of a day (serial 0 is the time 12:00:00 AM).
void AppendGeneralDate(const CalendarMoment& moment, const LocaleInfo& locale, std::string& out);

// True when a picture holds a date or time placeholder outside quotes and escapes.
bool HasDatePlaceholder(std::string_view picture);

}  // namespace quorvane
