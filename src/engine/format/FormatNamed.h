// The named formats: General Number, Currency, Fixed, Standard, Percent, Scientific,
// Yes/No, True/False, On/Off, and the named date and time formats.
#pragma once

#include <string>
#include <string_view>

#include "engine/LocaleInfo.h"
#include "engine/format/DatePictureCalendar.h"

namespace quorvane {

enum class NamedFormatKind {
    None,
    GeneralNumber,
    Currency,
    Fixed,
    Standard,
    Percent,
    Scientific,
    YesNo,
    TrueFalse,
    OnOff,
    GeneralDate,
    LongDate,
    MediumDate,
    ShortDate,
    LongTime,
    MediumTime,
    ShortTime,
};

// The named format an expression names, in any letter case; None for a picture.
NamedFormatKind FindNamedFormat(std::string_view expression);

inline bool IsDateFormat(NamedFormatKind kind) {
    return kind >= NamedFormatKind::GeneralDate;
}

// Appends a finite number in a numeric named format; significantDigits is 15 for double
// precision and 7 for single precision values.
void AppendNamedNumber(NamedFormatKind kind, double number, int significantDigits,
                       const LocaleInfo& locale, std::string& out);

// Appends a moment in a named date or time format.
void AppendNamedDate(NamedFormatKind kind, const CalendarMoment& moment, const LocaleInfo& locale,
                     std::string& out);

}  // namespace quorvane
